#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "battle/data/bat_voice.h"
#include "battle/data/meka_type.h"
#include "platform/audio.h"
#include "shell/sound/snd.h"
#include "test_support.h"
#include "tools/writers/wave_writer.h"

namespace {

constexpr int kChara = 3;
constexpr int kMissing = 2;  // c03_v02.wav is not written

class BatVoice : public ::testing::Test {
protected:
    void SetUp() override {
        for (int v = 0; v < MEKA_VOICE_MAX; v++) {
            if (v == kMissing) continue;
            dir_.Write("Wav/BatVoice/c03_v0" + std::to_string(v) + ".wav",
                       tools::MakeWave({}, tools::IndexSamples16(800)));
        }
        plat::AudioSetManualMix(8000);
        ASSERT_EQ(SND_InitDevice(nullptr), 1);
        BatVoiceVolume = 100;
    }
    void TearDown() override {
        for (int type = 0; type < MEKA_TYPE_MAX; type++)
            while (MekaTypeTbl[type].voiceRef) VOICE_ReleaseBatVoice(type);
        SND_TermDevice();
        plat::AudioSetManualMix(0);
    }

    test::TempDir dir_;
    test::ScopedCwd cwd_{dir_.path()};
};

TEST_F(BatVoice, LoadsTheSixClipsAndLeavesAMissingOneEmptyWithALine) {
    test::DebugCapture debug;
    EXPECT_EQ(VOICE_LoadBatVoice(4, kChara), 1);
    for (int v = 0; v < MEKA_VOICE_MAX; v++) EXPECT_EQ(MekaTypeTbl[4].voice[v] != nullptr, v != kMissing) << v;
    EXPECT_TRUE(debug.Contains("c03_v02.wav が、見つかりません。"));
    EXPECT_FALSE(debug.Contains("c03_v01.wav"));
    // An empty slot: stopping does nothing, and it never plays.
    EXPECT_EQ(VOICE_StopBatVoice(4, kMissing), 0);
    EXPECT_EQ(VOICE_CheckBatVoice(4, kMissing), 0);
    // A loaded clip reports its playing until stopped.
    SND_Play(MekaTypeTbl[4].voice[1], 0);
    EXPECT_EQ(VOICE_CheckBatVoice(4, 1), 1);
    EXPECT_EQ(VOICE_StopBatVoice(4, 1), 0);
    EXPECT_EQ(VOICE_CheckBatVoice(4, 1), 0);
    // Numbers outside the tables.
    for (auto [type, voice] : {std::pair{-1, 0}, {25, 0}, {4, -1}, {4, 6}}) {
        EXPECT_EQ(VOICE_CheckBatVoice(type, voice), 0);
        EXPECT_EQ(VOICE_StopBatVoice(type, voice), 0);
    }
    EXPECT_EQ(VOICE_LoadBatVoice(25, kChara), 0);
}

TEST_F(BatVoice, WithNoDeviceOnlyTheMissingClipIsNamed) {
    const auto taken = test::TakeSoundDevice();
    ASSERT_NE(taken, nullptr);
    test::DebugCapture debug;
    EXPECT_EQ(SND_InitDevice(nullptr), 0);
    EXPECT_EQ(VOICE_LoadBatVoice(4, kChara), 1);
    EXPECT_FALSE(debug.Contains("c03_v01.wav"));
    EXPECT_TRUE(debug.Contains("c03_v02.wav が、見つかりません。"));
}

TEST_F(BatVoice, VolumeReachesEveryLoadedClipOfEveryType) {
    VOICE_LoadBatVoice(1, kChara);
    VOICE_LoadBatVoice(7, kChara);
    struct Case {
        int volume, stored;
        i32 level;
    };
    for (const Case c : {Case{50, 50, -1000}, Case{0, 0, -10000}, Case{150, 100, 0}, Case{-5, 0, -10000}}) {
        EXPECT_EQ(VOICE_SetBatVoiceVolume(c.volume), 1);
        EXPECT_EQ(BatVoiceVolume, c.stored);
        for (int type : {1, 7}) {
            for (int v = 0; v < MEKA_VOICE_MAX; v++) {
                if (v == kMissing) continue;
                i32 level = 1;
                ASSERT_EQ(SND_GetVolume(MekaTypeTbl[type].voice[v], &level), 1);
                EXPECT_EQ(level, c.level) << "volume " << c.volume << " type " << type << " voice " << v;
            }
        }
    }
    // A type loaded afterwards takes the volume in force.
    VOICE_SetBatVoiceVolume(50);
    VOICE_LoadBatVoice(9, kChara);
    i32 level = 1;
    SND_GetVolume(MekaTypeTbl[9].voice[0], &level);
    EXPECT_EQ(level, -1000);
}

TEST_F(BatVoice, ClipsLiveFromTheFirstLoadToTheLastRelease) {
    VOICE_LoadBatVoice(2, kChara);
    SND_BUFFER first = MekaTypeTbl[2].voice[0];
    // A second holder only counts; the file is not read again.
    dir_.Write("Wav/BatVoice/c03_v00.wav", std::string("not a wave"));
    VOICE_LoadBatVoice(2, kChara);
    EXPECT_EQ(MekaTypeTbl[2].voiceRef, 2);
    EXPECT_EQ(MekaTypeTbl[2].voice[0], first);
    EXPECT_EQ(VOICE_ReleaseBatVoice(2), 1);
    EXPECT_EQ(MekaTypeTbl[2].voice[0], first);
    EXPECT_EQ(VOICE_ReleaseBatVoice(2), 1);
    EXPECT_EQ(MekaTypeTbl[2].voiceRef, 0);
    for (SND_BUFFER b : MekaTypeTbl[2].voice) EXPECT_EQ(b, nullptr);
    // A release with no holder changes nothing: the count does not wrap, so the next load loads.
    EXPECT_EQ(VOICE_ReleaseBatVoice(2), 0);
    EXPECT_EQ(MekaTypeTbl[2].voiceRef, 0);
    VOICE_LoadBatVoice(2, kChara);
    EXPECT_EQ(MekaTypeTbl[2].voiceRef, 1);
    EXPECT_EQ(MekaTypeTbl[2].voice[0], nullptr);  // the damaged file
    EXPECT_NE(MekaTypeTbl[2].voice[1], nullptr);
}

}  // namespace
