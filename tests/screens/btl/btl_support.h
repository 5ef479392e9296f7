// A battle mode on a headless display: a temporary data folder with the player's and the enemies'
// sprite sets and stage 0's map, the fake input backend and clock, and a clean teardown.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "battle/data/meka_type.h"
#include "battle/map/map.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "display_support.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "platform/input_fake.h"
#include "platform/picture.h"
#include "screens/btl/btl.h"
#include "screens/survival/svv.h"
#include "shell/input/inp.h"
#include "shell/input/key.h"
#include "shell/sys.h"
#include "test_support.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/fnt_writer.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/hud_writer.h"
#include "tools/writers/map_writer.h"
#include "tools/writers/meka_set_writer.h"

namespace btltest {

class BattleMode : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display_.ok());
        SPR_Init();
        cwd_ = std::make_unique<test::ScopedCwd>(dir_.path());
        for (int type : {0, 4, 7, 5, 14, 10}) ASSERT_TRUE(tools::SaveSimpleMekaSet(dir_.path(), MekaNameTbl[type]));
        ASSERT_TRUE(tools::SaveFile(dir_.File("Bmp/DebugEft.grp"), tools::DebugGlyphGrp(96, 1)));
        // The HUD's bitmaps, so that the mechs' panels are really made.
        ASSERT_TRUE(tools::SaveHudPictures(dir_.path()));
        plat::SetInputBackend(&input_);
        plat::SetPicturePlacement(RECT{0, 0, 640, 480}, 640, 480);
        ASSERT_EQ(INP_Init(nullptr, nullptr), &input_);
        ScreenWorkSurf = SPR_CreateSurf(640, 480, 0);
        ScreenWorkSpr = SPR_GetFreeSpr();
        SPR_CreateTSpr(ScreenWorkSpr, 160, 0, 0, ScreenWorkSurf, nullptr);
        SPR_SetTSprView(ScreenWorkSpr, 0);
        SysDebugFlag = 0;
        BTL_SetState(0);
        BTL_SetState(0);
    }
    void TearDown() override {
        BTL_ReleaseBattle();
        SysDebugFlag = 1;
        BTL_TermDebugInfo();
        SysDebugFlag = 0;
        SVV_Release();
        for (auto& slot : MekaSlotTbl) slot = nullptr;
        INP_Term();
        plat::SetInputBackend(nullptr);
        SPR_Release();
        for (int i = 0; i < SURF_SLOT_MAX; ++i)
            while (SurfTbl[i].useCount) SPR_DelSurfDat(i);
        ScreenWorkSurf = ScreenWorkSpr = -1;
    }

    static int SurfUses() {
        int n = 0;
        for (const SURF_DATA& s : SurfTbl) n += s.useCount;
        return n;
    }
    static int LiveSprites() {
        int n = 0;
        for (int s = 0; s < SPR_MAX; s++) n += SPR_GetAnySpr(s) ? 1 : 0;
        return n;
    }

    test::TempDir dir_;
    test::FakeClock clock_;
    plat::FakeInputBackend input_;
    test::HeadlessDisplay display_;
    std::unique_ptr<test::ScopedCwd> cwd_;
};

}  // namespace btltest
