#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "platform/audio.h"
#include "platform/timer.h"
#include "shell/sound/stream.h"
#include "test_support.h"
#include "tools/writers/wave_writer.h"

namespace {

using tools::WaveOptions;

constexpr u32 kRate = 8000;
constexpr u32 kSegFrames16 = 16000;  // two seconds of 16-bit mono at 8000 Hz: 32,000 bytes

class StreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::AudioSetManualMix(kRate);
        ASSERT_EQ(SND_InitDevice(nullptr), 1);
    }
    void TearDown() override {
        SND_TermDevice();
        plat::KillAllTimers();
        plat::AudioSetManualMix(0);
    }

    std::string Wave(const std::string& name, u32 samples, u16 bits = 16, long dataSizeOverride = -1) {
        WaveOptions o;
        o.bits = bits;
        o.rate = kRate;
        o.dataSizeOverride = dataSizeOverride;
        dir_.Write(name, tools::MakeWave(o, bits == 8 ? tools::IndexSamples8(samples) : tools::IndexSamples16(samples)));
        return dir_.File(name);
    }

    // Left channel of the next frames.
    static std::vector<i16> Pull(u32 frames) {
        std::vector<i16> out(size_t(frames) * 2);
        plat::AudioMix(out.data(), frames);
        std::vector<i16> left(frames);
        for (u32 i = 0; i < frames; ++i) left[i] = out[2 * i];
        return left;
    }
    // Whole segments, each followed by the refill thread finishing what the segment's end woke it for.
    static std::vector<i16> PullSegments(int count, u32 segFrames = kSegFrames16) {
        std::vector<i16> all;
        for (int i = 0; i < count; ++i) {
            std::vector<i16> part = Pull(segFrames);
            all.insert(all.end(), part.begin(), part.end());
            EXPECT_TRUE(plat::WaitThreadIdle(Stream.thread, 10000));
        }
        return all;
    }
    // The first frame at which the output differs from the expected sample value, or -1.
    static long FirstMismatch(const std::vector<i16>& out, const std::function<i16(u32)>& expected) {
        for (u32 i = 0; i < out.size(); ++i)
            if (out[i] != expected(i)) return long(i);
        return -1;
    }
    static i32 BufferVolume() {
        i32 v = 1;
        EXPECT_EQ(SND_GetVolume(Stream.buffer, &v), 1);
        return v;
    }

    test::TempDir dir_;
};

TEST_F(StreamTest, LoopingContinuesAtTheLoopSampleExactly) {
    // 12 s of index-valued samples; the data ends on a segment boundary.
    ASSERT_EQ(SND_StreamOpen(Wave("m.wav", 96000).c_str()), 1);
    EXPECT_EQ(Stream.streamed, 1u);
    EXPECT_EQ(Stream.segmentSize, 32000u);
    EXPECT_EQ(Stream.ringSize, 128000u);
    ASSERT_EQ(SND_StreamSetLoopPos(3000), 1);  // frame 24000
    ASSERT_EQ(SND_StreamPlay(1), 1);
    EXPECT_EQ(SND_StreamIsPlaying(), 1);
    std::vector<i16> out = PullSegments(13);
    EXPECT_EQ(FirstMismatch(out, [](u32 i) { return i16(i < 96000 ? i : 24000 + (i - 96000) % 72000); }), -1);
    EXPECT_EQ(SND_StreamIsPlaying(), 1);
}

TEST_F(StreamTest, ShortLoopSectionInsideASegmentRepeatsWithoutAGap) {
    // 11.25 s: the data ends inside a segment; the loop section (2000 frames) is shorter than the rest.
    ASSERT_EQ(SND_StreamOpen(Wave("m.wav", 90000).c_str()), 1);
    ASSERT_EQ(SND_StreamSetLoopPos(11000), 1);
    ASSERT_EQ(SND_StreamPlay(1), 1);
    std::vector<i16> out = PullSegments(9);
    EXPECT_EQ(FirstMismatch(out, [](u32 i) { return i16(i < 90000 ? i : 88000 + (i - 90000) % 2000); }), -1);
}

TEST_F(StreamTest, LoopPositionPastTheEndMeansTheStart) {
    ASSERT_EQ(SND_StreamOpen(Wave("m.wav", 90000).c_str()), 1);
    ASSERT_EQ(SND_StreamSetLoopPos(20000), 1);
    ASSERT_EQ(SND_StreamPlay(1), 1);
    std::vector<i16> out = PullSegments(7);
    EXPECT_EQ(FirstMismatch(out, [](u32 i) { return i16(i % 90000); }), -1);
}

TEST_F(StreamTest, OneShotEndsWithSilenceToTheSegmentEndThenStops) {
    ASSERT_EQ(SND_StreamOpen(Wave("m.wav", 90000).c_str()), 1);
    ASSERT_EQ(SND_StreamPlay(0), 1);
    std::vector<i16> out = PullSegments(6);
    EXPECT_EQ(FirstMismatch(out, [](u32 i) { return i16(i < 90000 ? i : 0); }), -1);
    // The thread has rewound, stopped the buffer and ended; the stream stays open for another start.
    EXPECT_TRUE(plat::IsThreadFinished(Stream.thread));
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
    EXPECT_EQ(Pull(100), std::vector<i16>(100, 0));
    EXPECT_EQ(Stream.open, 1u);
    ASSERT_EQ(SND_StreamPlay(0), 1);
    std::vector<i16> again = PullSegments(1);
    EXPECT_EQ(again[0], 0);
    EXPECT_EQ(again[12345], 12345);
}

TEST_F(StreamTest, EightBitPadsWith0x80) {
    // 8-bit: a segment is 16,000 bytes = 16,000 frames; 0x80 plays as 0, a zero byte would play as -32768.
    ASSERT_EQ(SND_StreamOpen(Wave("m8.wav", 90000, 8).c_str()), 1);
    EXPECT_EQ(Stream.segmentSize, 16000u);
    ASSERT_EQ(SND_StreamPlay(0), 1);
    std::vector<i16> out = PullSegments(6, 16000);
    EXPECT_EQ(FirstMismatch(out, [](u32 i) { return i16(i < 90000 ? (int(u8(i)) - 128) * 256 : 0); }), -1);
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
}

TEST_F(StreamTest, SizesAndTheWholeSoundPath) {
    // 44100 Hz 16-bit stereo: segment 352,800 bytes, ring 1,411,200 bytes.
    WaveOptions o;
    o.channels = 2;
    o.rate = 44100;
    dir_.Write("cd.wav", tools::MakeWave(o, std::vector<u8>(1411200, 0)));
    ASSERT_EQ(SND_StreamOpen(dir_.File("cd.wav").c_str()), 1);
    EXPECT_EQ(Stream.segmentSize, 352800u);
    EXPECT_EQ(Stream.ringSize, 1411200u);
    EXPECT_EQ(Stream.streamed, 1u);
    dir_.Write("cd2.wav", tools::MakeWave(o, std::vector<u8>(1411196, 0)));
    ASSERT_EQ(SND_StreamOpen(dir_.File("cd2.wav").c_str()), 1);
    EXPECT_EQ(Stream.streamed, 0u);

    // Less data than the ring: one whole-sound buffer, no thread, looping from 0 whatever the loop position.
    ASSERT_EQ(SND_StreamOpen(Wave("short.wav", 50000).c_str()), 1);
    EXPECT_EQ(Stream.streamed, 0u);
    EXPECT_EQ(Stream.volume, 100);
    ASSERT_EQ(SND_StreamSetLoopPos(3000), 1);
    ASSERT_EQ(SND_StreamPlay(1), 1);
    EXPECT_EQ(Stream.thread, nullptr);
    std::vector<i16> out = Pull(120000);
    EXPECT_EQ(FirstMismatch(out, [](u32 i) { return i16(i % 50000); }), -1);
    // Stop and start again resumes where it stopped.
    ASSERT_EQ(SND_StreamStop(), 1);
    ASSERT_EQ(SND_StreamPlay(1), 1);
    EXPECT_EQ(Pull(1)[0], i16(120000 % 50000));
}

TEST_F(StreamTest, SndFilesStreamRawAndRefuseCompressedBodiesOnlyInTheRing) {
    test::DebugCapture debug;
    WaveOptions o;
    std::vector<u8> samples = tools::IndexSamples16(90000);
    dir_.Write("raw.snd", tools::MakeSnd(o, samples, false));
    ASSERT_EQ(SND_StreamOpen(dir_.File("raw.snd").c_str()), 1);
    EXPECT_EQ(Stream.sndFile, 1u);
    EXPECT_EQ(Stream.sndDataOffset, 25u);
    ASSERT_EQ(SND_StreamSetLoopPos(1000), 1);
    ASSERT_EQ(SND_StreamPlay(1), 1);
    std::vector<i16> out = PullSegments(7);
    EXPECT_EQ(FirstMismatch(out, [](u32 i) { return i16(i < 90000 ? i : 8000 + (i - 90000) % 82000); }), -1);

    // Flag 'D' on a body too long for one buffer (the body itself is never read).
    std::vector<u8> packed = tools::MakeSnd(o, samples, false);
    packed[2] = 'D';
    dir_.Write("lz.snd", packed);
    EXPECT_EQ(SND_StreamOpen(dir_.File("lz.snd").c_str()), 0);
    EXPECT_EQ(Stream.open, 0u);
    EXPECT_TRUE(debug.Contains("compressed sound is too long to stream"));

    // A short compressed one loads whole and plays its real samples.
    dir_.Write("short.snd", tools::MakeSnd(o, tools::IndexSamples16(20000), true));
    ASSERT_EQ(SND_StreamOpen(dir_.File("short.snd").c_str()), 1);
    EXPECT_EQ(Stream.streamed, 0u);
    ASSERT_EQ(SND_StreamPlay(0), 1);
    out = Pull(20000);
    EXPECT_EQ(FirstMismatch(out, [](u32 i) { return i16(i); }), -1);

    debug.Clear();
    EXPECT_EQ(SND_StreamOpen(dir_.File("none.snd").c_str()), 0);
    EXPECT_EQ(debug.text(), dir_.File("none.snd") + ":Open error -1\n");
    std::vector<u8> bad = tools::MakeSnd(o, samples, false);
    bad[0] = 'X';
    dir_.Write("bad.snd", bad);
    EXPECT_EQ(SND_StreamOpen(dir_.File("bad.snd").c_str()), 0);
}

TEST_F(StreamTest, MillisecondSeeks) {
    std::string path = Wave("m.wav", 96000);
    plat::RiffFile* file = nullptr;
    WAVE_FORMAT f{};
    plat::RiffChunk riff{}, data{};
    ASSERT_EQ(SND_OpenWaveFile(path.c_str(), &file, &f, &riff), 1);
    auto sampleAt = [&](u32 ms) {
        EXPECT_EQ(SND_SeekWaveDataMs(file, &data, &riff, &f, ms), 1);
        u16 v = 0xFFFF;
        u32 got = 0;
        SND_ReadWaveData(file, &v, 2, &data, &got);
        return v;
    };
    EXPECT_EQ(sampleAt(0), 0);
    EXPECT_EQ(sampleAt(1001), 8008);  // frame 8008 (8000 × 1001 / 1000)
    EXPECT_EQ(data.size, 192000u - 2 * 8008 - 2);
    EXPECT_EQ(sampleAt(11999), u16(95992));
    EXPECT_EQ(sampleAt(12000), 0);  // at the end: the start
    EXPECT_EQ(sampleAt(4000000), 0);
    SND_CloseWaveFile(file);

    dir_.Write("s.snd", tools::MakeSnd({}, tools::IndexSamples16(96000), false));
    plat::File* snd = plat::FileOpenRead(dir_.File("s.snd").c_str());
    ASSERT_NE(snd, nullptr);
    plat::RiffChunk count{};
    auto sndAt = [&](u32 ms) {
        EXPECT_EQ(SND_SeekSndDataMs(snd, 25, 192000, &count, &f, ms), 1);
        u16 v = 0xFFFF;
        u32 got = 0;
        SND_ReadSndData(snd, &v, 2, &count, &got);
        return v;
    };
    EXPECT_EQ(sndAt(500), 4000);
    EXPECT_EQ(count.size, 192000u - 8000 - 2);
    EXPECT_EQ(sndAt(12000), 0);
    EXPECT_EQ(count.size, 192000u - 2);
    SND_CloseSndFile(snd);
    EXPECT_EQ(snd, nullptr);
}

TEST_F(StreamTest, VolumeClampsAndFollowsTheLaw) {
    EXPECT_EQ(SND_VolumeLaw(100), 0);
    EXPECT_EQ(SND_VolumeLaw(50), -1000);
    EXPECT_EQ(SND_VolumeLaw(1), -1980);
    EXPECT_EQ(SND_VolumeLaw(0), -10000);
    EXPECT_EQ(SND_VolumeLaw(-5), -10000);
    EXPECT_EQ(SND_VolumeLaw(150), 1000);  // the mixer refuses it
    EXPECT_GT(SND_VolumeLaw(INT32_MAX), 0);  // a script's huge volume stays refusable, without overflow

    ASSERT_EQ(SND_StreamOpen(Wave("m.wav", 96000).c_str()), 1);
    SND_StreamSetVolume(150);
    EXPECT_EQ(SND_StreamGetVolume(), 100);
    EXPECT_EQ(BufferVolume(), 0);
    SND_StreamSetVolume(-5);
    EXPECT_EQ(SND_StreamGetVolume(), 0);
    EXPECT_EQ(BufferVolume(), -10000);
    SND_StreamSetVolume(50);
    EXPECT_EQ(BufferVolume(), -1000);
}

TEST_F(StreamTest, FadesTickOnTheMainThreadAndEnd) {
    test::FakeClock clock;
    ASSERT_EQ(SND_StreamOpen(Wave("m.wav", 96000).c_str()), 1);
    ASSERT_EQ(SND_StreamPlay(1), 1);
    const u32 t0 = clock.now();
    ASSERT_EQ(SND_StreamFadeOut(640), 1);
    EXPECT_EQ(SND_StreamIsFading(), 1);
    EXPECT_TRUE(plat::TimerExists(kStreamFadeTimer));
    EXPECT_EQ(SND_StreamFadeIn(100), 0);  // refused while one runs
    EXPECT_EQ(SND_StreamFadeOut(100), 0);
    clock.Set(t0 + 9);
    plat::RunDueTimers();
    EXPECT_EQ(BufferVolume(), 0);  // not due yet: 640 ms ticks every 10 ms
    for (u32 e = 10; e < 640; e += 10) {
        clock.Set(t0 + e);
        plat::RunDueTimers();
    }
    EXPECT_EQ(SND_StreamIsFading(), 1);
    clock.Advance(10);
    plat::RunDueTimers();
    EXPECT_EQ(BufferVolume(), -10000);
    EXPECT_EQ(SND_StreamIsFading(), 0);
    EXPECT_FALSE(plat::TimerExists(kStreamFadeTimer));
    EXPECT_EQ(SND_StreamGetVolume(), 100);  // only the attenuation moved

    // In: from silence back to the volume before it; the stored volume is 0 from the start.
    SND_StreamSetVolume(80);
    ASSERT_EQ(SND_StreamFadeIn(640), 1);
    EXPECT_EQ(SND_StreamGetVolume(), 0);
    EXPECT_EQ(BufferVolume(), -10000);
    clock.Advance(320);
    plat::RunDueTimers();
    EXPECT_EQ(BufferVolume(), SND_VolumeLaw(40));
    clock.Advance(320);
    plat::RunDueTimers();
    EXPECT_EQ(BufferVolume(), SND_VolumeLaw(80));
    EXPECT_EQ(SND_StreamIsFading(), 0);
    EXPECT_EQ(SND_StreamGetVolume(), 0);
}

TEST_F(StreamTest, FadeLevelsFollowTheFormulaEveryTick) {
    test::FakeClock clock;
    ASSERT_EQ(SND_StreamOpen(Wave("m.wav", 96000).c_str()), 1);
    ASSERT_EQ(SND_StreamFadeOut(640), 1);
    for (u32 e = 10; e < 640; e += 10) {
        clock.Advance(10);
        plat::RunDueTimers();
        ASSERT_EQ(BufferVolume(), SND_VolumeLaw(int(100 - 100 * e / 640))) << e;
    }
    clock.Advance(10);
    plat::RunDueTimers();
    EXPECT_EQ(BufferVolume(), -10000);
    EXPECT_EQ(SND_StreamIsFading(), 0);
}

TEST_F(StreamTest, FreeingKillsTheFadeTimer) {
    test::FakeClock clock;
    ASSERT_EQ(SND_StreamOpen(Wave("a.wav", 96000).c_str()), 1);
    ASSERT_EQ(SND_StreamFadeOut(640), 1);
    SND_StreamClose();
    EXPECT_FALSE(plat::TimerExists(kStreamFadeTimer));
    EXPECT_EQ(SND_StreamIsFading(), 0);
    // The next piece keeps its full volume.
    ASSERT_EQ(SND_StreamOpen(Wave("b.wav", 96000).c_str()), 1);
    clock.Advance(1000);
    plat::RunDueTimers();
    EXPECT_EQ(BufferVolume(), 0);
}

TEST_F(StreamTest, StopsAndClosedStreams) {
    EXPECT_EQ(SND_StreamStop(), 0);
    EXPECT_EQ(SND_StreamSetLoopPos(10), 0);
    EXPECT_EQ(SND_StreamPlay(1), 0);
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
    EXPECT_EQ(SND_StreamOpen(dir_.File("missing.wav").c_str()), 0);

    ASSERT_EQ(SND_StreamOpen(Wave("m.wav", 96000).c_str()), 1);
    ASSERT_EQ(SND_StreamPlay(1), 1);
    PullSegments(2);
    // A stop: the thread rewinds, closes its events and ends; the stream stays open.
    ASSERT_EQ(SND_StreamStop(), 1);
    ASSERT_TRUE(plat::WaitThreadIdle(Stream.thread, 10000));
    EXPECT_TRUE(plat::IsThreadFinished(Stream.thread));
    EXPECT_EQ(Stream.events[0], nullptr);
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
    ASSERT_EQ(SND_StreamPlayFrom(0, 5000), 1);  // from frame 40000
    std::vector<i16> out = PullSegments(1);
    EXPECT_EQ(out[0], i16(40000));
    EXPECT_EQ(out[15999], i16(55999));
    // Playing again while the thread lives ends that thread first.
    ASSERT_EQ(SND_StreamPlay(1), 1);
    EXPECT_EQ(PullSegments(1)[7], 7);
}

TEST_F(StreamTest, DataChunksLongerThanTheirFileNeverHang) {
    // The header claims 200,000 bytes; the file holds 140,000. The loop position lies past the real end.
    ASSERT_EQ(SND_StreamOpen(Wave("t.wav", 70000, 16, 200000).c_str()), 1);
    ASSERT_EQ(SND_StreamSetLoopPos(9000), 1);
    ASSERT_EQ(SND_StreamPlay(1), 1);
    PullSegments(12);
    EXPECT_EQ(SND_StreamIsPlaying(), 1);
    SND_StreamClose();
    EXPECT_EQ(Stream.open, 0u);
}

// Files written to a pipe claim far more data than they hold; they end or loop where the data ends.
TEST_F(StreamTest, DataSizesClaimedPastTheFileEndAtTheRealEnd) {
    struct Case {
        const char* name;
        u32 frames;
        u32 claim;
        int loop;
        u32 loopMs;
        bool streamed;
        u32 pullFrames;
        std::function<i16(u32)> expected;
    };
    const Case cases[] = {
        {"pipe.wav", 96000, 0xFFFFFFFFu, 0, 0, true, 8 * kSegFrames16, [](u32 i) { return i16(i < 96000 ? i : 0); }},
        {"loop.wav", 90000, 0x7FFFF000u, 1, 11000, true, 9 * kSegFrames16,
         [](u32 i) { return i16(i < 90000 ? i : 88000 + (i - 90000) % 2000); }},
        {"short.wav", 40000, 0xFFFFFFFFu, 1, 0, false, 100000, [](u32 i) { return i16(i % 40000); }},
        {"pipe.snd", 96000, 0xFFFFFFFFu, 0, 0, true, 8 * kSegFrames16, [](u32 i) { return i16(i < 96000 ? i : 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::DebugCapture debug;
        WaveOptions o;
        o.rate = kRate;
        o.dataSizeOverride = long(c.claim);
        const std::vector<u8> samples = tools::IndexSamples16(c.frames);
        const bool snd = std::string(c.name).ends_with(".snd");
        dir_.Write(c.name, snd ? tools::MakeSnd(o, samples, false, long(c.claim)) : tools::MakeWave(o, samples));
        ASSERT_EQ(SND_StreamOpen(dir_.File(c.name).c_str()), 1);
        EXPECT_TRUE(debug.Contains("claims " + std::to_string(c.claim) + " bytes but the file holds " +
                                   std::to_string(2 * c.frames)));
        EXPECT_EQ(Stream.streamed, c.streamed ? 1u : 0u);
        ASSERT_EQ(SND_StreamSetLoopPos(c.loopMs), 1);
        ASSERT_EQ(SND_StreamPlay(c.loop), 1);
        const std::vector<i16> out =
            c.streamed ? PullSegments(int(c.pullFrames / kSegFrames16)) : Pull(c.pullFrames);
        EXPECT_EQ(FirstMismatch(out, c.expected), -1);
        EXPECT_EQ(SND_StreamIsPlaying(), c.loop);
        SND_StreamClose();
    }
}

// Stops and frees that land while the refill thread works; the ThreadSanitizer build runs these too.
TEST_F(StreamTest, StopOrFreeDuringARefillIsClean) {
    std::string path = Wave("m.wav", 96000);
    for (int round = 0; round < 12; ++round) {
        ASSERT_EQ(SND_StreamOpen(path.c_str()), 1);
        ASSERT_EQ(SND_StreamSetLoopPos(1000), 1);
        ASSERT_EQ(SND_StreamPlay(round & 1), 1);
        for (int k = 0; k <= round % 6; ++k) Pull(kSegFrames16);  // wake the thread, don't wait for it
        // Land before, inside and after the refill.
        std::this_thread::sleep_for(std::chrono::microseconds(round / 3 * 700));
        if (round % 3 == 0) {
            SND_StreamStop();
            Pull(500);
        } else if (round % 3 == 1) {
            SND_StreamFadeOut(640);
        }
        SND_StreamFree();
        EXPECT_EQ(Stream.thread, nullptr);
        EXPECT_FALSE(plat::TimerExists(kStreamFadeTimer));
    }
    // Shut-down with music playing.
    ASSERT_EQ(SND_StreamOpen(path.c_str()), 1);
    ASSERT_EQ(SND_StreamPlay(1), 1);
    Pull(kSegFrames16);
    SND_TermDevice();
    EXPECT_EQ(Stream.open, 0u);
    ASSERT_EQ(SND_InitDevice(nullptr), 1);
}

}  // namespace
