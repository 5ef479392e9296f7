#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "../btl/btl_support.h"
#include "battle/btl_draw.h"
#include "battle/map/cam.h"
#include "screens/ranking/his.h"
#include "shell/sound/sound.h"

namespace {

class Survival : public btltest::BattleMode {
protected:
    void SetUp() override {
        BattleMode::SetUp();
        ASSERT_TRUE(tools::SaveSimpleMekaSet(dir_.path(), MekaNameTbl[1]));
        tools::GrpImage banner;
        banner.width = 480;
        banner.height = 112;
        banner.pixels.assign(size_t(480) * 112 * 2, 0x31);
        ASSERT_TRUE(tools::SaveGrp(dir_.File("Bmp/Survival.grp"), banner, false));
        BTL_InitBattle();
        SVV_Init();
        // A banner or portrait an earlier test left half-way would go on from there.
        SvvBannerStep = SvvPortraitStep = 0;
        ASSERT_NE(MEKA_GetSlot(0), nullptr);
        BgmVolume = 0;  // the music number is kept without opening a file
        BgmNo = -1;
    }
    void TearDown() override {
        BgmNo = -1;
        BgmVolume = 100;
        BattleMode::TearDown();
    }
    // Line-up and counter as after `waves` cleared waves, then the wave start.
    void StartAfter(int waves) {
        SVV_SkipLineup(waves);
        SVV_StartWave();
    }
    // The base stats a fresh CPU mech of the type gets.
    static MEKA_WORK Base(int type) {
        EXPECT_EQ(MEKA_Create(9, 1, 1, type, 100, 100), 1);
        const MEKA_WORK m = *MEKA_GetSlot(9)->meka;
        MEKA_Delete(9);
        return m;
    }
};

TEST_F(Survival, TheFirstWave) {
    StartAfter(0);
    LIST_DATA* player = MEKA_GetSlot(0);
    EXPECT_EQ(player->x, 700);
    EXPECT_EQ(player->y, 600);
    EXPECT_EQ(player->dir, 6);
    LIST_DATA* enemy = MEKA_GetSlot(1);
    ASSERT_NE(enemy, nullptr);
    EXPECT_EQ(enemy->meka->type, 4);
    EXPECT_EQ(enemy->x, 900);
    EXPECT_EQ(enemy->y, 600);
    EXPECT_EQ(enemy->dir, 2);
    EXPECT_EQ(enemy->target, MEKA_GetSlot(0)->index);
    EXPECT_EQ(player->target, enemy->index);
    for (int s = 2; s < MEKA_SLOT_MAX; s++) EXPECT_EQ(MEKA_GetSlot(s), nullptr);
    EXPECT_EQ(PnlTbl[1].use, 1);
    EXPECT_EQ(PnlTbl[1].x, 440);
    EXPECT_EQ(PnlTbl[1].y, 436);
    const HIS_ENTRY& run = HisData.entry[HIS_CUR];
    EXPECT_EQ(run.waves, 0);
    EXPECT_EQ(std::vector<i32>(run.type, run.type + 5), (std::vector<i32>{4, -1, -1, -1, -1}));
    EXPECT_EQ(CamData.mode, CAM_MODE_FOLLOW);
    EXPECT_EQ(CamData.obj, player->index);
    EXPECT_EQ(CamData.obj2, enemy->index);
    EXPECT_EQ(BgmNo, 0);
}

TEST_F(Survival, TheLastWaveOfAStageStrengthensSlotZero) {
    const MEKA_WORK base = Base(10);
    StartAfter(4);
    EXPECT_EQ(SvvLineup.stageChange, 1);
    const MEKA_WORK* m = MEKA_GetSlot(1)->meka;
    EXPECT_EQ(m->type, 10);
    EXPECT_EQ(m->stat7, base.stat7 + 5);
    EXPECT_EQ(m->lifeBarMax, std::min(7, base.lifeBarMax + 1));
    EXPECT_EQ(m->lifeBar, m->lifeBarMax);
    EXPECT_EQ(BgmNo, 8);
    // The next wave opens stage 1's map, "00_0_D", and plays the stage music again.
    test::DebugCapture debug;
    SysDebugFlag = 1;
    SVV_NextWave();
    SVV_StartWave();
    SysDebugFlag = 0;
    EXPECT_NE(debug.text().find("00_0_D"), std::string::npos);
    EXPECT_EQ(BgmNo, 0);
}

TEST_F(Survival, LifeBarsNeverExceedSeven) {
    SVV_SkipLineup(4);
    for (i32& level : SvvLineup.slot[0].level) level = 200;
    SVV_StartWave();
    EXPECT_EQ(MEKA_GetSlot(1)->meka->lifeBarMax, 7);
    EXPECT_EQ(MEKA_GetSlot(1)->meka->lifeBar, 7);
}

TEST_F(Survival, FormationsByEnemyCount) {
    const struct {
        int waves;
        std::vector<std::array<int, 2>> at;
    } rows[] = {
        {5, {{900, 550}, {900, 650}}},                          // stage 1, point (800, 600)
        {20, {{964, 624}, {964, 524}, {964, 724}}},             // stage 4, (864, 624)
        {37, {{900, 550}, {900, 650}, {1000, 550}, {1000, 650}}},  // stage 7, (800, 600)
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.waves);
        StartAfter(r.waves);
        for (size_t s = 0; s < r.at.size(); s++) {
            LIST_DATA* e = MEKA_GetSlot(int(s) + 1);
            ASSERT_NE(e, nullptr) << s;
            EXPECT_EQ(e->x, r.at[s][0]);
            EXPECT_EQ(e->y, r.at[s][1]);
        }
        EXPECT_EQ(MEKA_GetSlot(int(r.at.size()) + 1), nullptr);
    }
}

TEST_F(Survival, AnEnemyWithoutItsSpriteSetLeavesItsSlotEmpty) {
    std::remove(dir_.File("Bmp/Meka/zako04.spr").c_str());
    test::DebugCapture debug;
    StartAfter(0);
    EXPECT_EQ(MEKA_GetSlot(1), nullptr);
    EXPECT_EQ(HisData.entry[HIS_CUR].type[0], -1);
    EXPECT_NE(debug.text().find("mech type 4"), std::string::npos);
    EXPECT_EQ(PnlTbl[0].use, 1);  // the player's only
    for (int slot = 1; slot < PNL_MAX; slot++) EXPECT_EQ(PnlTbl[slot].use, 0) << slot;
}

TEST_F(Survival, BannerPlacesTheWordAndTheShownDigits) {
    const struct {
        int counter;
        int firstX;
        std::vector<int> shownDigitX;  // x of the hundreds, tens, ones piece, -1 hidden
    } rows[] = {
        {0, 216, {-1, -1, 392}},
        {8, 216, {-1, -1, 392}},
        {9, 200, {-1, 376, 408}},
        {99, 184, {360, 392, 424}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.counter);
        SvvWave = r.counter;
        EXPECT_EQ(SVV_ShowWave(), 0);
        ASSERT_NE(SPR_GetTSpr(SvvBannerTbl[0].spr), nullptr);
        EXPECT_EQ(SPR_GetTSpr(SvvBannerTbl[0].spr)->x, r.firstX);
        for (int d = 0; d < 3; d++) {
            const SVV_BANNER& b = SvvBannerTbl[5 + d];
            if (r.shownDigitX[size_t(d)] < 0) {
                EXPECT_EQ(b.spr, -1);
                EXPECT_EQ(b.state, 99);
                continue;
            }
            ASSERT_GE(b.spr, 0);
            ASSERT_GE(b.glow, 0);
            EXPECT_EQ(SPR_GetTSpr(b.spr)->x, r.shownDigitX[size_t(d)]);
            EXPECT_EQ(SPR_GetTSpr(b.spr)->view, 0);
        }
        // Run to its end: every sprite freed, step back at 0.
        int frames = 0;
        while (!SVV_ShowWave() && frames < 500) frames++;
        EXPECT_LT(frames, 500);
        EXPECT_EQ(SvvBannerStep, 0);
        for (const SVV_BANNER& b : SvvBannerTbl) EXPECT_EQ(b.spr, -1);
    }
}

TEST_F(Survival, BannerPieceStatesFrameByFrame) {
    SvvWave = 0;
    SVV_ShowWave();
    // Piece 0 waits one frame, piece 7 eight; then 2 frames in 1, 4 in 2, 10 in 3 (moving on every second), 8 in 4
    // (level 31 down by 4).
    std::vector<int> trace0, trace7;
    u32 glowAttr = 0;
    for (int f = 0; f < 30; f++) {
        SVV_ShowWave();
        if (f == 9) glowAttr = SPR_GetTSpr(SvvBannerTbl[7].glow)->attr;
        trace0.push_back(SvvBannerTbl[0].state);
        trace7.push_back(SvvBannerTbl[7].state);
    }
    const std::vector<int> want0 = {1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 4, 4, 4, 4,
                                    4, 4, 4, 4, 99, 99, 99, 99, 99, 99};
    EXPECT_EQ(trace0, want0);
    EXPECT_EQ(trace7[6], 0);
    EXPECT_EQ(trace7[7], 1);
    EXPECT_EQ(glowAttr, 128u);
}

TEST_F(Survival, PortraitFadesShowsTheWavesPictureAndWaitsForAClick) {
    tools::GrpImage pic;
    pic.width = 640;
    pic.height = 480;
    pic.pixels.assign(size_t(640) * 480 * 2, 0x77);
    ASSERT_TRUE(tools::SaveGrp(dir_.File("Bmp/Svv/Chr02.grp"), pic, false));
    SvvWave = 6;
    SPR_SetViewAll(0);
    SPR_SetAnimeAll(0);
    const TSPR_DATA* work = SPR_GetTSpr(ScreenWorkSpr);
    EXPECT_EQ(SVV_ShowPortrait(), 0);
    EXPECT_EQ(SvvPortraitStep, 1);
    EXPECT_EQ(work->attr, 0x200u);
    EXPECT_EQ(work->view, 1);
    clock_.Advance(400);
    SVV_ShowPortrait();
    EXPECT_EQ(work->level, 15);
    clock_.Advance(400);
    SVV_ShowPortrait();
    EXPECT_EQ(SvvPortraitStep, 2);
    SVV_ShowPortrait();  // loads, step 3 at once
    EXPECT_EQ(SvvPortraitStep, 3);
    plat::SurfaceDesc d{};
    ASSERT_EQ(SURF_Lock(SPR_GetSlotSurf(ScreenWorkSurf), &d), plat::kSurfOk);
    const u16 px = *static_cast<const u16*>(d.pixels);
    SURF_Unlock(SPR_GetSlotSurf(ScreenWorkSurf));
    EXPECT_NE(px, 0);
    clock_.Advance(400);
    SVV_ShowPortrait();
    EXPECT_EQ(work->level, 15);
    clock_.Advance(400);
    SVV_ShowPortrait();
    EXPECT_EQ(SvvPortraitStep, 4);
    for (int f = 0; f < 3; f++) {
        INP_RenewMouse();
        EXPECT_EQ(SVV_ShowPortrait(), 0);
    }
    EXPECT_EQ(SvvPortraitStep, 4);
    input_.button[0] = true;
    INP_RenewMouse();
    SVV_ShowPortrait();
    input_.button[0] = false;
    EXPECT_EQ(SvvPortraitStep, 5);
    clock_.Advance(800);
    BtlSkipFlag = 0;
    EXPECT_EQ(SVV_ShowPortrait(), 1);
    EXPECT_EQ(SvvPortraitStep, 0);
    EXPECT_EQ(work->view, 0);
    EXPECT_EQ(work->attr, 0u);
    EXPECT_EQ(BtlSkipFlag, 1);
}

}  // namespace
