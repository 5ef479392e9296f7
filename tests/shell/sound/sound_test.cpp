#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "shell/sound/sound.h"
#include "shell/sound/stream.h"
#include "test_support.h"
#include "tools/writers/wave_writer.h"

namespace {

using tools::WaveOptions;

// A game folder with every effect, the music "LastBoss" (25 s at 4000 Hz, 8-bit: streamed) and voice 1.
class SoundFrontTest : public ::testing::Test {
protected:
    void SetUp() override {
        WaveOptions small;
        small.rate = 8000;
        for (int i = 0; i < kSeCount; ++i)
            if (skipEffect_ != i)
                dir_.Write(std::string("Wav/") + SeTbl[i].stem + ".wav", tools::MakeWave(small, tools::IndexSamples16(400)));
        WaveOptions music;
        music.rate = 4000;
        music.bits = 8;
        dir_.Write("Music/LastBoss.wav", tools::MakeWave(music, tools::IndexSamples8(100000)));
        dir_.Write("Music/Title.wav", tools::MakeWave(music, tools::IndexSamples8(30000)));
        dir_.Write("Voice/0001.wav", tools::MakeWave(small, tools::IndexSamples16(800)));
        cwd_ = std::make_unique<test::ScopedCwd>(dir_.path());

        plat::AudioSetManualMix(8000);
        ASSERT_EQ(SND_InitDevice(nullptr), 1);
        BgmNo = -1;
        BgmVolume = SeVolume = VoiceVolume = 100;
    }
    void TearDown() override {
        SND_StreamStop();
        SND_TermAll();
        SND_TermDevice();
        plat::AudioSetManualMix(0);
        BgmDataPath[0] = VoiceDataPath[0] = '\0';
        cwd_.reset();
    }
    static i32 Volume(SND_BUFFER b) {
        i32 v = 1;
        EXPECT_EQ(SND_GetVolume(b, &v), 1);
        return v;
    }

    int skipEffect_ = 7;  // "bom03" is missing
    test::TempDir dir_;
    std::unique_ptr<test::ScopedCwd> cwd_;
};

TEST_F(SoundFrontTest, StartUpLoadsEveryEffectAndNamesTheMissingOne) {
    test::DebugCapture debug;
    EXPECT_EQ(SND_InitAll(), 55);
    EXPECT_EQ(debug.text(), "bom03が、見つかりません。\r\n");
    for (int i = 0; i < kSeCount; ++i) EXPECT_EQ(SeBuffer[i] != nullptr, i != 7) << SeTbl[i].stem;
    EXPECT_EQ(SeBuffer[55], nullptr);
    EXPECT_STREQ(SeTbl[14].stem, "dash2");
    EXPECT_STREQ(SeTbl[54].stem, "sword");
    EXPECT_EQ(SeTbl[55].stem[0], '\0');
    for (int i = 0; i < kSeCount; ++i) EXPECT_EQ(SeTbl[i].loop, i == 14 ? 1 : 0);

    // Loading again replaces the buffers; releasing empties every slot.
    EXPECT_EQ(SE_LoadAll(), 55);
    SE_ReleaseAll();
    for (auto* b : SeBuffer) EXPECT_EQ(b, nullptr);
}

// With no device every load fails: that is said once, and only files that are really not there are named.
TEST_F(SoundFrontTest, WithNoDeviceOnlyAFileThatIsNotThereIsNamed) {
    const auto taken = test::TakeSoundDevice();
    ASSERT_NE(taken, nullptr);
    test::DebugCapture debug;
    EXPECT_EQ(SND_InitDevice(nullptr), 0);
    EXPECT_EQ(SND_InitAll(), 55);
    EXPECT_EQ(VOICE_Play(1), 0);
    EXPECT_EQ(VOICE_Play(2), 0);
    EXPECT_EQ(debug.text(),
              "The sound device could not be opened: the game runs without sound.\r\n"
              "bom03が、見つかりません。\r\n音声の0002%が見つかりません。\r\n");
}

TEST_F(SoundFrontTest, EffectsPlayByNumberWithTheirDefaultLoop) {
    ASSERT_EQ(SND_InitAll(), 55);
    EXPECT_EQ(SE_SetVolume(50), 1);
    EXPECT_EQ(SE_Play(14, -1), 1);
    EXPECT_EQ(SND_GetStatus(SeBuffer[14]), plat::kSoundStatusPlaying | plat::kSoundStatusLooping);
    EXPECT_EQ(Volume(SeBuffer[14]), -1000);
    EXPECT_EQ(SE_Play(14, 0), 1);
    EXPECT_EQ(SND_GetStatus(SeBuffer[14]), plat::kSoundStatusPlaying);
    EXPECT_EQ(SE_Play(0, -1), 1);
    EXPECT_EQ(SND_GetStatus(SeBuffer[0]), plat::kSoundStatusPlaying);
    EXPECT_EQ(SE_IsPlaying(0), 1);
    EXPECT_EQ(SE_Stop(0), 1);
    EXPECT_EQ(SE_IsPlaying(0), 0);

    // A playing effect restarts from its beginning.
    std::vector<i16> out(200);
    plat::AudioMix(out.data(), 100);
    u32 pos = 0;
    SND_GetPosition(SeBuffer[14], &pos, nullptr);
    EXPECT_EQ(pos, 200u);
    EXPECT_EQ(SE_Play(14, 1), 1);
    SND_GetPosition(SeBuffer[14], &pos, nullptr);
    EXPECT_EQ(pos, 0u);

    // Missing or out-of-range numbers do nothing.
    EXPECT_EQ(SE_Play(7, -1), 0);
    EXPECT_EQ(SE_Stop(7), 0);
    EXPECT_EQ(SE_Stop(55), 0);
    EXPECT_EQ(SE_Play(55, 0), 0);
    EXPECT_EQ(SE_Play(56, 0), 0);
    EXPECT_EQ(SE_Play(-1, 0), 0);
    EXPECT_EQ(SE_Stop(1000), 0);
    EXPECT_EQ(SE_IsPlaying(-3), 0);
    EXPECT_EQ(SE_IsPlaying(56), 0);
}

TEST_F(SoundFrontTest, EffectVolumesAtTheEdges) {
    ASSERT_EQ(SND_InitAll(), 55);
    SE_SetVolume(50);
    EXPECT_EQ(Volume(SeBuffer[3]), -1000);
    // Above 100 the level is over 0 dB: refused, the buffer keeps -1000.
    SE_SetVolume(150);
    EXPECT_EQ(SE_Play(3, 0), 1);
    EXPECT_EQ(Volume(SeBuffer[3]), -1000);
    SE_SetVolume(INT32_MAX);
    EXPECT_EQ(SE_Play(3, 0), 1);
    EXPECT_EQ(Volume(SeBuffer[3]), -1000);
    // Volume 0: plays nothing and still reports 1.
    SE_SetVolume(0);
    EXPECT_EQ(Volume(SeBuffer[3]), -10000);
    SE_Stop(3);
    EXPECT_EQ(SE_Play(3, 0), 1);
    EXPECT_EQ(SE_IsPlaying(3), 0);
    SE_SetVolume(-20);  // silent, not louder than 0
    EXPECT_EQ(Volume(SeBuffer[3]), -10000);
}

TEST_F(SoundFrontTest, MusicByNumber) {
    EXPECT_EQ(BGM_Play(3, 1), -1);  // nothing before
    EXPECT_EQ(Stream.open, 1u);
    EXPECT_EQ(Stream.streamed, 1u);
    EXPECT_EQ(Stream.loopPos, 23704u);
    EXPECT_EQ(SND_StreamIsPlaying(), 1);
    EXPECT_EQ(Stream.volume, 100);

    std::vector<i16> out(2000);
    plat::AudioMix(out.data(), 1000);
    u32 pos = 0;
    SND_GetPosition(Stream.buffer, &pos, nullptr);
    plat::Thread* thread = Stream.thread;
    EXPECT_EQ(BGM_Play(3, 1), 4);  // the same piece: not restarted
    EXPECT_EQ(Stream.thread, thread);
    u32 still = 0;
    SND_GetPosition(Stream.buffer, &still, nullptr);
    EXPECT_EQ(still, pos);

    EXPECT_EQ(BGM_Play(11, 0), 4);  // "Title": short, one whole-sound buffer
    EXPECT_EQ(Stream.streamed, 0u);
    EXPECT_EQ(BgmNo, 11);
    EXPECT_EQ(BGM_Play(13, 0), 0);  // out of the table: nothing changes
    EXPECT_EQ(BgmNo, 11);
    EXPECT_EQ(BGM_Play(-1, 0), -1);
    EXPECT_EQ(Stream.open, 0u);
    EXPECT_EQ(BgmNo, -1);
}

TEST_F(SoundFrontTest, MissingMusicLeavesNothingCurrent) {
    test::DebugCapture debug;
    ASSERT_EQ(BGM_Play(3, 1), -1);
    EXPECT_EQ(BGM_Play(5, 1), 0);  // "Adv01" is missing
    EXPECT_EQ(debug.text(), "");
    EXPECT_EQ(Stream.open, 0u);
    EXPECT_EQ(BgmNo, -1);
    EXPECT_EQ(BGM_Play(3, 1), -1);  // asking for the earlier piece plays it again
    EXPECT_EQ(SND_StreamIsPlaying(), 1);
}

TEST_F(SoundFrontTest, MusicVolumeZeroOnlyRecordsTheNumber) {
    EXPECT_EQ(BGM_SetVolume(0), 1);
    EXPECT_EQ(BGM_Play(3, 1), -1);
    EXPECT_EQ(BgmNo, 3);
    EXPECT_EQ(Stream.open, 0u);
    EXPECT_EQ(BGM_SetVolume(100), 1);
    EXPECT_EQ(Stream.open, 0u);  // raising the volume starts nothing
    EXPECT_EQ(BGM_Play(3, 1), 4);
    EXPECT_EQ(Stream.open, 0u);
    EXPECT_EQ(BGM_SetVolume(50), 1);
    EXPECT_EQ(BgmVolume, 50);
}

TEST_F(SoundFrontTest, MusicAndVoicePrefixes) {
    WaveOptions o;
    o.rate = 8000;
    dir_.Write("alt/Bgm/Title.wav", tools::MakeWave(o, tools::IndexSamples16(100)));
    dir_.Write("alt/Voice/0002.wav", tools::MakeWave(o, tools::IndexSamples16(100)));
    std::string prefix = dir_.path() + "/alt/";
    std::strcpy(BgmDataPath, prefix.c_str());
    std::strcpy(VoiceDataPath, prefix.c_str());
    EXPECT_EQ(BGM_Play(11, 0), -1);
    EXPECT_EQ(Stream.open, 1u);
    EXPECT_EQ(VOICE_Play(2), 1);
    EXPECT_EQ(VOICE_Play(1), 0);  // only under the prefix
}

TEST_F(SoundFrontTest, OneVoiceAtATime) {
    test::DebugCapture debug;
    EXPECT_EQ(VOICE_Stop(), 0);
    EXPECT_EQ(VOICE_SetVolume(50), 0);  // no voice: nothing stored
    EXPECT_EQ(VoiceVolume, 100);
    EXPECT_EQ(VOICE_Play(1), 1);
    ASSERT_NE(VoiceBuffer, nullptr);
    EXPECT_EQ(SND_GetStatus(VoiceBuffer), plat::kSoundStatusPlaying);
    EXPECT_EQ(Volume(VoiceBuffer), 0);
    EXPECT_EQ(VOICE_SetVolume(50), 1);
    EXPECT_EQ(Volume(VoiceBuffer), -1000);

    EXPECT_EQ(VOICE_Play(2), 0);
    EXPECT_EQ(debug.text(), "音声の0002%が見つかりません。\r\n");
    EXPECT_EQ(VoiceBuffer, nullptr);  // the earlier voice is gone too

    EXPECT_EQ(VOICE_Play(1), 1);
    EXPECT_EQ(VOICE_Stop(), 1);
    EXPECT_EQ(VoiceBuffer, nullptr);
    VoiceVolume = 0;
    EXPECT_EQ(VOICE_Play(1), 1);  // silent: nothing loaded
    EXPECT_EQ(VoiceBuffer, nullptr);
}

TEST_F(SoundFrontTest, ShutDownStopsAndReleasesEverything) {
    ASSERT_EQ(SND_InitAll(), 55);
    BGM_SetVolume(100);
    SE_SetVolume(50);
    ASSERT_EQ(BGM_Play(3, 1), -1);
    ASSERT_EQ(SE_Play(14, -1), 1);
    ASSERT_EQ(VOICE_Play(1), 1);
    std::vector<i16> out(2 * 16000);
    plat::AudioMix(out.data(), 16000);
    // The shell's order: stop the stream, release voice and effects, close the device.
    SND_StreamStop();
    SND_TermAll();
    EXPECT_EQ(VoiceBuffer, nullptr);
    EXPECT_EQ(SeBuffer[14], nullptr);
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
    SND_TermDevice();
    EXPECT_EQ(Stream.open, 0u);
    EXPECT_EQ(Stream.thread, nullptr);
    ASSERT_EQ(SND_InitDevice(nullptr), 1);
}

}  // namespace
