// The ground most battle tests stand on: a headless display, the sprite system, a working folder, the
// object pool with the effect set and the HUD loaded, and on request every sound effect and a blank
// open map. Everything a test leaves behind (mechs, objects, sounds, sprites, surfaces) goes after it.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "display_support.h"
#include "graphics/sprite/spr.h"
#include "platform/audio.h"
#include "platform/random.h"
#include "shell/sound/snd.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"
#include "test_support.h"
#include "tests/battle/effect/eft_probe.h"
#include "tools/writers/wave_writer.h"

namespace test {

class BattleEnv : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display_.ok());
        SPR_Init();
        ASSERT_EQ(OBJ_Init(), 1);
        ASSERT_TRUE(LoadEffectsAndHud(dir_.path()));
    }
    void TearDown() override {
        plat::SetRandSource({});
        for (int slot = 0; slot < MEKA_SLOT_MAX; slot++) MEKA_Delete(slot);
        MAP_SetMapPtr(nullptr);
        ScrQuake = ScrQuakeOfs = 0;  // footfalls shake the screen; a later frame would be drawn shifted
        ScrQuakeCnt = 0;
        CurObj = nullptr;
        CurMeka = nullptr;
        OBJ_FreeAll();
        if (sound_) {
            SND_TermAll();
            SND_TermDevice();
            plat::AudioSetManualMix(0);
            sound_ = false;
        }
        UnloadEffectsAndHud();
        SPR_Release();
        for (int i = 0; i < SURF_SLOT_MAX; ++i)
            while (SurfTbl[i].useCount) SPR_DelSurfDat(i);
        SYS_SetSeq(0);
    }
    // Every sound effect as a short wave, mixed by hand at 8000 Hz.
    void LoadSounds(int samples = 400) {
        const std::vector<u8> wave = tools::MakeWave({}, tools::IndexSamples16(samples));
        for (int i = 0; i < kSeCount; ++i) dir_.Write(std::string("Wav/") + SeTbl[i].stem + ".wav", wave);
        plat::AudioSetManualMix(8000);
        ASSERT_EQ(SND_InitDevice(nullptr), 1);
        sound_ = true;
        SeVolume = 100;
        SE_LoadAll();
    }
    // One frame's walk of effects and gauge chips.
    static void Walk() {
        const OBJ_RENEW_FUNC funcs[OBJ_KIND_COUNT] = {nullptr, nullptr, nullptr, EFT_Renew, PNL_RenewChip, nullptr};
        OBJ_RenewAll(funcs);
    }
    // A width × height map of empty cells, open as map `mapNo`.
    void OpenBlankMap(int width, int height, int mapNo = 1) {
        cells_.assign(std::size_t(width) * std::size_t(height), MAP_CELL{});
        map_ = MAP_DATA{};
        map_.mapNo = u8(mapNo);
        map_.width = i16(width);
        map_.height = i16(height);
        map_.pixelW = width * 16;
        map_.pixelH = height * 16;
        map_.cells = cells_.data();
        MAP_SetMapPtr(&map_);
    }

    HeadlessDisplay display_;
    TempDir dir_;
    ScopedCwd cwd_{dir_.path()};
    MAP_DATA map_{};
    std::vector<MAP_CELL> cells_;
    bool sound_ = false;
};

}  // namespace test
