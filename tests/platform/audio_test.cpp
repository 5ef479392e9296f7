#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/audio.h"
#include "platform/thread.h"

namespace {

constexpr u32 kAll = plat::kSoundCtrlFrequency | plat::kSoundCtrlPan | plat::kSoundCtrlVolume |
                     plat::kSoundCtrlPositionNotify | plat::kSoundStickyFocus | plat::kSoundGetCurrentPosition2;

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::AudioSetManualMix(8000);
        device_ = plat::AudioOpenDevice();
        ASSERT_NE(device_, nullptr);
    }
    void TearDown() override {
        for (auto* b : buffers_) plat::SoundRelease(b);
        plat::AudioCloseDevice(device_);
        plat::AudioSetManualMix(0);
    }

    // A 16-bit mono buffer holding the given samples.
    plat::SoundBuffer* Mono16(const std::vector<i16>& samples, u32 rate = 8000) {
        auto* b = plat::SoundCreateBuffer(device_, {rate, 1, 16}, u32(samples.size() * 2), kAll);
        EXPECT_NE(b, nullptr);
        Write(b, 0, samples.data(), u32(samples.size() * 2));
        buffers_.push_back(b);
        return b;
    }
    static void Write(plat::SoundBuffer* b, u32 offset, const void* data, u32 size) {
        void *p1, *p2;
        u32 n1, n2;
        ASSERT_TRUE(plat::SoundLock(b, offset, size, &p1, &n1, &p2, &n2));
        std::memcpy(p1, data, n1);
        if (n2) std::memcpy(p2, static_cast<const u8*>(data) + n1, n2);
        ASSERT_TRUE(plat::SoundUnlock(b, p1, n1, p2, n2));
    }
    // Left channel of the next frames.
    static std::vector<i16> PullLeft(u32 frames) {
        std::vector<i16> out(frames * 2);
        plat::AudioMix(out.data(), frames);
        std::vector<i16> left(frames);
        for (u32 i = 0; i < frames; ++i) left[i] = out[2 * i];
        return left;
    }
    static std::vector<i16> Ramp(u32 n, i16 start = 1) {
        std::vector<i16> s(n);
        for (u32 i = 0; i < n; ++i) s[i] = i16(start + i);
        return s;
    }
    static u32 Position(plat::SoundBuffer* b) {
        u32 play = 0;
        EXPECT_TRUE(plat::SoundGetPosition(b, &play, nullptr));
        return play;
    }
    static u32 Status(plat::SoundBuffer* b) {
        u32 s = 0;
        EXPECT_TRUE(plat::SoundGetStatus(b, &s));
        return s;
    }
    // Consumes a signal when there is one.
    static bool Took(const plat::EventRef& e) {
        if (!plat::IsEventSignalled(e)) return false;
        plat::EventRef one[1] = {e};
        return plat::WaitForEvents(one, 1) == 0;
    }

    plat::AudioDevice* device_ = nullptr;
    std::vector<plat::SoundBuffer*> buffers_;
};

TEST_F(MixerTest, VolumeGainAndRefusals) {
    auto* b = Mono16(std::vector<i16>(64, 10000));
    ASSERT_TRUE(plat::SoundSetVolume(b, -1000));
    // Out of range both ways: refused, the volume stays.
    EXPECT_FALSE(plat::SoundSetVolume(b, 200));
    EXPECT_FALSE(plat::SoundSetVolume(b, -10001));
    i32 v = 0;
    ASSERT_TRUE(plat::SoundGetVolume(b, &v));
    EXPECT_EQ(v, -1000);
    ASSERT_TRUE(plat::SoundPlay(b, true));
    auto out = PullLeft(4);
    EXPECT_NEAR(out[0], 10000 * std::pow(10.0, -0.5), 1.0);  // 3162

    ASSERT_TRUE(plat::SoundSetVolume(b, -10000));
    EXPECT_EQ(PullLeft(4), std::vector<i16>(4, 0));
    ASSERT_TRUE(plat::SoundSetVolume(b, 0));
    EXPECT_EQ(PullLeft(4), std::vector<i16>(4, 10000));
    EXPECT_FLOAT_EQ(plat::SoundGain(-2000), 0.1f);
}

TEST_F(MixerTest, PanAttenuatesTheOtherSide) {
    auto* b = Mono16(std::vector<i16>(16, 8000));
    EXPECT_FALSE(plat::SoundSetPan(b, 10001));
    ASSERT_TRUE(plat::SoundSetPan(b, -10000));  // full left
    ASSERT_TRUE(plat::SoundPlay(b, true));
    std::vector<i16> out(8);
    plat::AudioMix(out.data(), 4);
    EXPECT_EQ(out[0], 8000);
    EXPECT_EQ(out[1], 0);
    ASSERT_TRUE(plat::SoundSetPan(b, 2000));  // right side up: left at -20 dB
    plat::AudioMix(out.data(), 4);
    EXPECT_EQ(out[0], 800);
    EXPECT_EQ(out[1], 8000);
    i32 pan = 0;
    ASSERT_TRUE(plat::SoundGetPan(b, &pan));
    EXPECT_EQ(pan, 2000);
}

TEST_F(MixerTest, OneShotEndsAndLoopWraps) {
    auto* once = Mono16(Ramp(5));
    ASSERT_TRUE(plat::SoundPlay(once, false));
    EXPECT_EQ(Status(once), plat::kSoundStatusPlaying);
    EXPECT_EQ(PullLeft(8), (std::vector<i16>{1, 2, 3, 4, 5, 0, 0, 0}));
    EXPECT_EQ(Status(once), 0u);
    EXPECT_EQ(Position(once), 0u);  // a finished one-shot starts over on the next play

    auto* loop = Mono16(Ramp(3, 10));
    ASSERT_TRUE(plat::SoundPlay(loop, true));
    EXPECT_EQ(Status(loop), plat::kSoundStatusPlaying | plat::kSoundStatusLooping);
    EXPECT_EQ(PullLeft(7), (std::vector<i16>{10, 11, 12, 10, 11, 12, 10}));
    EXPECT_EQ(Position(loop), 2u);

    // On a playing buffer the newest loop flag holds: it now ends at its end.
    ASSERT_TRUE(plat::SoundPlay(loop, false));
    EXPECT_EQ(Status(loop), plat::kSoundStatusPlaying);
    EXPECT_EQ(PullLeft(4), (std::vector<i16>{11, 12, 0, 0}));
    EXPECT_EQ(Status(loop), 0u);
}

TEST_F(MixerTest, StopKeepsThePositionAndSetPositionJumps) {
    auto* b = Mono16(Ramp(100));
    ASSERT_TRUE(plat::SoundPlay(b, true));
    PullLeft(10);
    ASSERT_TRUE(plat::SoundStop(b));
    EXPECT_EQ(PullLeft(3), std::vector<i16>(3, 0));
    EXPECT_EQ(Position(b), 20u);
    ASSERT_TRUE(plat::SoundPlay(b, true));
    EXPECT_EQ(PullLeft(2), (std::vector<i16>{11, 12}));

    // While playing, at once; past the end refused.
    ASSERT_TRUE(plat::SoundSetPosition(b, 2 * 50));
    EXPECT_EQ(PullLeft(2), (std::vector<i16>{51, 52}));
    EXPECT_FALSE(plat::SoundSetPosition(b, 200));
    EXPECT_EQ(PullLeft(1), (std::vector<i16>{53}));
    u32 play = 0, write = 0;
    ASSERT_TRUE(plat::SoundGetPosition(b, &play, &write));
    EXPECT_EQ(play, 2u * 53);
    EXPECT_NE(write, play);  // the write cursor runs ahead while playing
}

TEST_F(MixerTest, NotificationsAtEachOffsetAcrossTheWrapAndOnStop) {
    constexpr u32 kSeg = 40;  // frames of one segment
    auto* b = Mono16(Ramp(4 * kSeg));
    plat::EventRef segEvent = plat::CreateAutoEvent(), stopEvent = plat::CreateAutoEvent();
    const u32 segBytes = kSeg * 2;
    std::vector<plat::SoundNotifyPosition> notes = {{segBytes, segEvent},
                                                    {2 * segBytes, segEvent},
                                                    {3 * segBytes, segEvent},
                                                    {4 * segBytes - 1, segEvent},
                                                    {plat::kSoundNotifyStop, stopEvent}};
    ASSERT_TRUE(plat::SoundSetNotifications(b, notes.data(), u32(notes.size())));
    ASSERT_TRUE(plat::SoundPlay(b, true));
    EXPECT_FALSE(plat::SoundSetNotifications(b, notes.data(), 1));  // not while playing

    for (int lap = 0; lap < 2; ++lap) {
        for (int seg = 0; seg < 4; ++seg) {
            PullLeft(kSeg - 1);
            EXPECT_FALSE(Took(segEvent)) << "lap " << lap << " segment " << seg;
            PullLeft(1);  // the segment's last frame: the cursor reaches the next offset
            EXPECT_TRUE(Took(segEvent)) << "lap " << lap << " segment " << seg;
        }
    }
    EXPECT_FALSE(Took(stopEvent));
    ASSERT_TRUE(plat::SoundStop(b));
    EXPECT_TRUE(Took(stopEvent));
    ASSERT_TRUE(plat::SoundStop(b));  // already stopped: no second stop
    EXPECT_FALSE(Took(stopEvent));

    // A one-shot reaching its end passes the last offset, then signals the stop.
    ASSERT_TRUE(plat::SoundSetPosition(b, 3 * segBytes));
    ASSERT_TRUE(plat::SoundPlay(b, false));
    PullLeft(kSeg + 5);
    EXPECT_TRUE(Took(segEvent));
    EXPECT_TRUE(Took(stopEvent));

    // Offsets outside the buffer are refused.
    plat::SoundNotifyPosition bad{4 * segBytes, segEvent};
    EXPECT_FALSE(plat::SoundSetNotifications(b, &bad, 1));
}

TEST_F(MixerTest, TwoRegionLockWrapsAndCommitsOnUnlock) {
    auto* b = Mono16(std::vector<i16>(8, 0));
    void *p1, *p2;
    u32 n1, n2;
    ASSERT_TRUE(plat::SoundLock(b, 12, 8, &p1, &n1, &p2, &n2));
    EXPECT_EQ(n1, 4u);
    EXPECT_EQ(n2, 4u);
    void *q1, *q2;
    u32 m1, m2;
    EXPECT_FALSE(plat::SoundLock(b, 0, 2, &q1, &m1, &q2, &m2));  // one lock at a time
    const i16 tail[2] = {7, 8}, head[2] = {1, 2};
    std::memcpy(p1, tail, 4);
    std::memcpy(p2, head, 4);
    ASSERT_TRUE(plat::SoundUnlock(b, p1, n1, p2, n2));
    EXPECT_FALSE(plat::SoundUnlock(b, p1, n1, p2, n2));
    ASSERT_TRUE(plat::SoundPlay(b, true));
    EXPECT_EQ(PullLeft(8), (std::vector<i16>{1, 2, 0, 0, 0, 0, 7, 8}));

    EXPECT_FALSE(plat::SoundLock(b, 16, 2, &p1, &n1, &p2, &n2));  // offset past the end
    EXPECT_FALSE(plat::SoundLock(b, 0, 17, &p1, &n1, &p2, &n2));  // more than the buffer
}

TEST_F(MixerTest, EightBitStereoAndResampling) {
    auto* b = plat::SoundCreateBuffer(device_, {8000, 2, 8}, 6, kAll);
    ASSERT_NE(b, nullptr);
    buffers_.push_back(b);
    const u8 frames[6] = {0x80, 0xFF, 0x00, 0x81, 0x80, 0x80};
    Write(b, 0, frames, 6);
    ASSERT_TRUE(plat::SoundPlay(b, false));
    std::vector<i16> out(6);
    plat::AudioMix(out.data(), 3);
    EXPECT_EQ(out, (std::vector<i16>{0, 127 * 256, -128 * 256, 256, 0, 0}));
    plat::SoundRelease(b);
    buffers_.clear();

    // A 4000 Hz sound at 8000 Hz: every other frame is halfway.
    auto* slow = Mono16({0, 1000, 2000, 3000}, 4000);
    ASSERT_TRUE(plat::SoundPlay(slow, false));
    EXPECT_EQ(PullLeft(9), (std::vector<i16>{0, 500, 1000, 1500, 2000, 2500, 3000, 3000, 0}));
}

TEST_F(MixerTest, RefusesFormatsAndSizesItCannotPlay) {
    EXPECT_EQ(plat::SoundCreateBuffer(device_, {8000, 3, 16}, 60, kAll), nullptr);
    EXPECT_EQ(plat::SoundCreateBuffer(device_, {8000, 1, 12}, 60, kAll), nullptr);
    EXPECT_EQ(plat::SoundCreateBuffer(device_, {0, 1, 16}, 60, kAll), nullptr);
    EXPECT_EQ(plat::SoundCreateBuffer(device_, {8000, 2, 16}, 3, kAll), nullptr);  // less than a frame
    EXPECT_EQ(plat::SoundCreateBuffer(nullptr, {8000, 1, 16}, 60, kAll), nullptr);
    // A fresh buffer is silent: 0x80 for 8 bits.
    auto* b = plat::SoundCreateBuffer(device_, {8000, 1, 8}, 4, kAll);
    ASSERT_NE(b, nullptr);
    buffers_.push_back(b);
    ASSERT_TRUE(plat::SoundPlay(b, true));
    EXPECT_EQ(PullLeft(4), std::vector<i16>(4, 0));
}

TEST_F(MixerTest, BuffersMixTogetherAndClip) {
    auto* a = Mono16(std::vector<i16>(4, 30000));
    auto* b = Mono16(std::vector<i16>(4, 10000));
    ASSERT_TRUE(plat::SoundPlay(a, true));
    ASSERT_TRUE(plat::SoundPlay(b, true));
    EXPECT_EQ(PullLeft(2), std::vector<i16>(2, 32767));
    ASSERT_TRUE(plat::SoundSetVolume(a, -10000));
    EXPECT_EQ(PullLeft(2), std::vector<i16>(2, 10000));
}

// The real device under SDL's dummy driver runs the same mixer on its own thread.
TEST(AudioDevice, DummyDriverPlaysHeadless) {
    plat::AudioSetManualMix(0);
    plat::AudioDevice* device = plat::AudioOpenDevice();
    if (!device) GTEST_SKIP() << "no audio driver";
    EXPECT_EQ(plat::AudioOpenDevice(), nullptr);  // one device
    u32 rate = plat::AudioMixRate();
    EXPECT_TRUE(rate == 44100 || rate == 48000);
    auto* b = plat::SoundCreateBuffer(device, {22050, 1, 16}, 22050 * 2, kAll);
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(plat::SoundPlay(b, true));
    u32 play = 0;
    for (int i = 0; i < 200 && play == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        plat::SoundGetPosition(b, &play, nullptr);
    }
    EXPECT_GT(play, 0u);
    plat::SoundRelease(b);
    plat::AudioCloseDevice(device);
}

}  // namespace
