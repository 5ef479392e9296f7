#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "battle/battle.h"
#include "battle/btl_draw.h"
#include "battle/map/cam.h"
#include "battle/map/mapobj.h"
#include "btl_support.h"
#include "screens/menu/menu.h"
#include "screens/ranking/his.h"
#include "screens/save/save.h"
#include "screens/title/title.h"

namespace {

using btltest::BattleMode;

TEST_F(BattleMode, SetStateKeepsThePreviousAndReturnsTheOneItReplaced) {
    BTL_SetState(7);
    BTL_SetState(3);
    EXPECT_EQ(BTL_SetState(5), 7);
    EXPECT_EQ(BTL_SetState(9), 3);
    EXPECT_EQ(BTL_GetState(0), 9);
    EXPECT_EQ(BTL_GetState(1), 5);
}

// Each phase state runs its step for one frame; a step that keeps a counter gets the phase counter.
TEST_F(BattleMode, PhaseStatesRunTheirStep) {
    // Fight start: one frame of the 41 counted.
    BtlPhaseCnt = 0;
    BTL_SetState(4);
    EXPECT_EQ(BTL_Loop(), 1);
    EXPECT_EQ(BtlPhaseCnt, 1);
    EXPECT_EQ(BTL_GetState(0), 4);
    EXPECT_EQ(BTL_GetState(2), 4);
    // Play: a decided fight counts on toward its round end.
    FightOver = 1;
    BTL_SetState(5);
    EXPECT_EQ(BTL_Loop(), 1);
    EXPECT_EQ(FightOver, 2);
    EXPECT_EQ(BTL_GetState(0), 5);
    FightOver = 0;
    // Both hit-stops: a slowed frame counted on the phase counter.
    for (int state : {6, 7}) {
        SCOPED_TRACE(state);
        BtlPhaseCnt = 0;
        HitSlowCnt = 2;
        HitStopCnt = 1;
        BTL_SetState(state);
        EXPECT_EQ(BTL_Loop(), 1);
        EXPECT_EQ(HitSlowCnt, 1);
        EXPECT_EQ(BtlPhaseCnt, 1);
        EXPECT_EQ(BTL_GetState(0), state);
        EXPECT_EQ(BTL_GetState(2), state);
    }
    HitSlowCnt = HitStopCnt = 0;
    // The scripted step waits while the battle script is off.
    BTL_SetState(8);
    EXPECT_EQ(BTL_Loop(), 1);
    EXPECT_EQ(BTL_GetState(0), 8);
    // The cut-in without a cut-in entry ends at once and returns to the state before it.
    BTL_SetState(5);
    BTL_SetState(9);
    EXPECT_EQ(BTL_Loop(), 1);
    EXPECT_EQ(BTL_GetState(0), 5);
    EXPECT_EQ(BTL_GetState(2), 9);
}

TEST_F(BattleMode, MenuPhasesAndSetUpMoveOn) {
    // The cancel key every other frame until the menus let the sub-state go.
    auto CancelMenus = [&](int state) {
        for (int f = 0; f < 40 && BTL_GetState(0) == state; ++f) {
            input_.keys[45] = f % 2 ? 0x80 : 0;
            BTL_Loop();
            clock_.Advance(33);
        }
        input_.keys[45] = 0;
    };
    // 3 sets a fight up.
    BTL_SetState(3);
    BTL_Loop();
    EXPECT_EQ(BTL_GetState(0), 5);
    // 1 polls the menu in the same frame: the menus open over a background picture (here without
    // the menu pictures); cancel closes the main menu, the menu mode ends and 2 leaves for 20.
    KEY_Init(&SysKey, nullptr, nullptr);
    BTL_SetState(1);
    BTL_Loop();
    EXPECT_EQ(BTL_GetState(0), 2);
    EXPECT_EQ(BTL_GetState(2), 1);
    EXPECT_EQ(MENU_GetMode(0), 1);
    EXPECT_EQ(SPR_GetTSpr(ScreenWorkSpr)->view, 1);
    CancelMenus(2);
    EXPECT_EQ(BTL_GetState(0), 20);
    EXPECT_EQ(SPR_GetTSpr(ScreenWorkSpr)->view, 0);
    // 12 restores the sprites and returns to the state before it once the menus end.
    BTL_SetState(6);
    BTL_SetState(12);
    CancelMenus(12);
    EXPECT_EQ(BTL_GetState(0), 6);
    // 11 clears the work picture, frees the battle and reloads through 13 to 1.
    BTL_InitBattle();
    SPR_SetTSprView(ScreenWorkSpr, 1);
    BTL_SetState(11);
    BTL_Loop();
    EXPECT_EQ(BTL_GetState(0), 13);
    EXPECT_EQ(SPR_GetTSpr(ScreenWorkSpr)->view, 0);
    EXPECT_EQ(ObjActHead, -1);
    BTL_Loop();
    EXPECT_EQ(BTL_GetState(0), 1);
}

TEST_F(BattleMode, TheSurvivalRoadFromInitToTheFirstBannerFrame) {
    BTL_SetState(0);
    BTL_Loop();
    EXPECT_EQ(BTL_GetState(0), 14);
    EXPECT_EQ(BtlBattleType, 1);
    EXPECT_EQ(BTL_CheckBattleType(), 1);
    BTL_Loop();
    EXPECT_EQ(BTL_GetState(0), 15);
    ASSERT_NE(MEKA_GetSlot(0), nullptr);
    BTL_Loop();
    EXPECT_EQ(BTL_GetState(0), 16);
    EXPECT_NE(MEKA_GetSlot(1), nullptr);
    int frames = 0;
    while (BTL_GetState(0) == 16 && frames < 200) {
        BTL_Loop();
        frames++;
    }
    EXPECT_EQ(BTL_GetState(0), 5);
    // The level-up waits for a click: wave 1 cleared, no portrait yet.
    BTL_SetState(17);
    frames = 0;
    while (BTL_GetState(0) == 17 && frames < 200) {
        input_.button[0] = frames % 10 == 9;
        BTL_Loop();
        clock_.Advance(16);
        frames++;
    }
    input_.button[0] = false;
    EXPECT_EQ(SvvWave, 1);
    EXPECT_EQ(BTL_GetState(0), 15);
    // Game over runs the ranking (entry mode) to its end, frees the survival picture and tears down.
    BTL_SetState(19);
    frames = 0;
    while (BTL_GetState(0) == 19 && frames < 2000) {
        input_.button[0] = frames % 10 == 9;
        BTL_Loop();
        clock_.Advance(16);
        frames++;
    }
    input_.button[0] = false;
    EXPECT_EQ(HisState.mode, 0);
    EXPECT_EQ(BTL_GetState(0), 20);
    EXPECT_EQ(SvvSurf, -1);
}

TEST_F(BattleMode, TeardownReturnsZeroSkipsTheOverlayAndSwitchesToTheTitle) {
    SysDebugFlag = 1;
    BTL_InitBattle();
    SYS_SetSeq(4);
    BTL_SetState(20);
    EXPECT_EQ(BTL_Loop(), 0);
    EXPECT_EQ(BTL_GetState(0), 0);
    EXPECT_EQ(SYS_GetSeq(0), 2u);
    EXPECT_EQ(BtlDebugSurf, -1);  // released, not drawn
    // A state beyond the table runs nothing.
    BTL_SetState(21);
    FightOver = 1;
    EXPECT_EQ(BTL_Loop(), 1);
    EXPECT_EQ(FightOver, 1) << "no play step";
    FightOver = 0;
    EXPECT_EQ(BTL_GetState(0), 21);
}

TEST_F(BattleMode, WithoutThePlayersSpriteSetTheRunGoesToTheTitle) {
    std::remove(dir_.File("Bmp/Meka/player.spr").c_str());
    test::DebugCapture debug;
    BTL_SetState(0);
    BTL_Loop();
    BTL_Loop();
    EXPECT_EQ(BTL_GetState(0), 20);
    EXPECT_EQ(SvvSurf, -1);
    EXPECT_NE(debug.text().find("player"), std::string::npos);
}

TEST_F(BattleMode, DebugKeysLeadIntoTheMenuPhasesOnlyWithTheFlag) {
    struct Row {
        u32 flag;
        int key;
        int next;
    };
    constexpr int kM = 0x32, kL = 0x26;  // their scan codes
    const Row rows[] = {{0, kM, 5}, {0, kL, 5}, {1, kM, 12}, {1, kL, 11}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.key + 1000 * int(r.flag));
        SysDebugFlag = r.flag;
        BTL_SetState(5);
        input_.keys.fill(0);
        BTL_Loop();  // the keys read up
        FightOver = 1;  // the play step counts it on
        input_.Press(r.key);
        BTL_Loop();
        EXPECT_EQ(BTL_GetState(0), r.next);
        EXPECT_EQ(FightOver, r.next == 5 ? 2 : 1);
        FightOver = 0;
        if (r.next == 12) {
            EXPECT_EQ(SPR_GetTSpr(ScreenWorkSpr)->view, 1) << "the tinted snapshot";
        }
        // Held down it is no fresh press.
        BTL_SetState(5);
        BTL_Loop();
        EXPECT_EQ(BTL_GetState(0), 5);
        input_.keys.fill(0);
        BTL_ReleaseBattle();
    }
}

TEST_F(BattleMode, ReleaseTwiceLeavesWhatReleaseOnceLeaves) {
    const int surfBefore = SurfUses();
    const int sprBefore = LiveSprites();
    SysDebugFlag = 1;
    BTL_InitBattle();
    ASSERT_EQ(MEKA_Create(0, 0, 0, 0, 300, 300), 1);
    ASSERT_EQ(MEKA_Create(1, 1, 1, 4, 400, 300), 1);
    CAM_Setup(CAM_MODE_FOLLOW, MEKA_GetSlot(0), MEKA_GetSlot(1));
    EXPECT_GT(SurfUses(), surfBefore);
    BTL_ReleaseBattle();
    const int surfOnce = SurfUses();
    const int sprOnce = LiveSprites();
    BTL_ReleaseBattle();
    EXPECT_EQ(SurfUses(), surfOnce);
    EXPECT_EQ(LiveSprites(), sprOnce);
    EXPECT_EQ(SurfUses(), surfBefore);
    EXPECT_EQ(LiveSprites(), sprBefore);
    EXPECT_EQ(ObjActHead, -1);
    EXPECT_EQ(ObjLiveCnt, 0);
    EXPECT_EQ(CamData.mode, CAM_MODE_FIXED);
    EXPECT_EQ(CamData.obj, -1);
    EXPECT_EQ(CamData.obj2, -1);
    EXPECT_EQ(SPR_GetFreeSprGrp(), 0);
}

TEST_F(BattleMode, DelAllObjectsEmptiesAPoolOfEveryKindAndSubObjectsKeepTheMechs) {
    for (bool all : {false, true}) {
        SCOPED_TRACE(all);
        BTL_InitBattle();
        ASSERT_EQ(MEKA_Create(0, 0, 0, 0, 300, 300), 1);
        for (int kind = 1; kind <= 5; kind++) ASSERT_NE(OBJ_Alloc(kind), nullptr);
        if (all) {
            BTL_DelAllObjects();
            EXPECT_EQ(ObjActHead, -1);
            EXPECT_EQ(MEKA_GetSlot(0), nullptr);
        } else {
            BTL_DelSubObjects();
            ASSERT_NE(MEKA_GetSlot(0), nullptr);
            EXPECT_EQ(ObjActHead, MEKA_GetSlot(0)->index);
            EXPECT_EQ(MEKA_GetSlot(0)->next, -1);
        }
        BTL_ReleaseBattle();
    }
}

TEST_F(BattleMode, ResetBattleWorkClearsTheFightAndTheBattlesExperience) {
    BTL_InitBattle();
    FightOver = 3;
    HitMarkSlot = 2;
    CutInTbl[0] = CutInTbl[1] = 4;
    GameData.exp[7].exp = 500;
    GameData.exp[7].penalty = 30;
    GameData.exp[7].damage = 99;
    SCR_SetQuake(5, 6, 20);  // a fight ended inside a hit-stop, mid-shake
    SCR_RenewQuake();
    BTL_ResetBattleWork();
    EXPECT_EQ(FightOver, 0);
    EXPECT_EQ(HitSlowCnt, 0);
    EXPECT_EQ(HitStopCnt, 0);
    EXPECT_EQ(ScrQuake, 0);
    EXPECT_EQ(ScrQuakeOfs, 0);
    EXPECT_EQ(ScrQuakeCnt, 0u);
    EXPECT_EQ(HitMarkSlot, -1);
    EXPECT_EQ(CutInTbl[0], -1);
    EXPECT_EQ(CutInTbl[1], -1);
    EXPECT_EQ(GameData.exp[7].shownExp, 500);
    EXPECT_EQ(GameData.exp[7].penalty, 0);
    EXPECT_EQ(GameData.exp[7].damage, 0);
}

TEST_F(BattleMode, ResultZoomsHoldsDarkensSquashesWhitensAndEnds) {
    tools::GrpImage pic;
    pic.width = 64;
    pic.height = 32;
    pic.pixels.assign(size_t(64) * 32 * 2, 0x55);
    ASSERT_TRUE(tools::SaveGrp(dir_.File("Bmp/Title2.grp"), pic, false));
    BTL_InitBattle();
    const int surfBefore = SurfUses();
    BTL_SetState(10);
    BTL_Loop();  // step 0
    ASSERT_GE(BtlResultSpr, 0);
    // The fight set up again keeps its HUD; the result's picture is what goes at the end.
    const int surfWithPicture = SurfUses();
    EXPECT_GT(surfWithPicture, surfBefore);
    EXPECT_EQ(BtlPhaseCnt, 384);
    int zoom = 0;
    while (BtlResultStep == 1) {
        BTL_Loop();
        zoom++;
    }
    EXPECT_EQ(zoom, 8);
    const TSPR_DATA* p = SPR_GetTSpr(BtlResultSpr);
    EXPECT_EQ(p->scaleX, 256);
    EXPECT_EQ(p->x, 111);
    EXPECT_EQ(p->y, 76);
    EXPECT_EQ(BtlResultStep, 2);
    clock_.Advance(2999);
    BTL_Loop();
    EXPECT_EQ(BtlResultStep, 2);
    clock_.Advance(1);
    BTL_Loop();
    EXPECT_EQ(BtlResultStep, 3);
    EXPECT_EQ(SPR_GetTSpr(ScreenWorkSpr)->attr, 0x8000u);
    // Darken, squash, whiten: each step's frames and where the picture stands at its end, over the work
    // that stays darkened.
    const struct {
        i32 step;
        std::vector<int> want;  // frames, x, y, scaleX, scaleY, attr, level
    } steps[] = {
        {3, {16, 111, 76, 256, 256, 8, 0}},
        {4, {4, 3, 196, 384, 4, 0x200, 31}},
        {5, {9, -240, 196, 672, 4, 0x200, -5}},
    };
    for (const auto& s : steps) {
        int frames = 0;
        for (; BtlResultStep == s.step && frames < 100; frames++) BTL_Loop();
        EXPECT_EQ((std::vector<int>{frames, p->x, p->y, p->scaleX, p->scaleY, int(p->attr), p->level}), s.want)
            << s.step;
        EXPECT_EQ(SPR_GetTSpr(ScreenWorkSpr)->level, -1) << s.step;
    }
    BTL_Loop();  // step 99
    EXPECT_EQ(BTL_GetState(0), 20);
    EXPECT_EQ(BtlResultSpr, -1);
    EXPECT_EQ(BtlResultSurf, -1);
    EXPECT_EQ(BtlResultStep, 0);
    EXPECT_EQ(SurfUses(), surfWithPicture - 1);
}

TEST_F(BattleMode, DebugOverlayDrawsItsEnabledRowsWithTheGlyphCells) {
    SysDebugFlag = 1;
    BTL_InitBattle();
    ASSERT_GE(BtlDebugSurf, 0);
    ASSERT_GE(BtlDebugSpr, 0);
    EXPECT_EQ(BtlDebugLabelW, 64);
    EXPECT_EQ(BtlDebugW, 144);
    EXPECT_EQ(BtlDebugH, 80);
    const TSPR_DATA* spr = SPR_GetTSpr(BtlDebugSpr);
    EXPECT_EQ(spr->x, 250);
    EXPECT_EQ(spr->y, 400);
    EXPECT_EQ(spr->priority, 1);
    BtlLevelBonus = 2;
    BTL_DrawDebugInfo();
    BtlLevelBonus = 0;
    plat::Surface* s = SPR_GetSlotSurf(BtlDebugSurf);
    auto pixel = [&](i32 x, i32 y) {
        plat::SurfaceDesc d{};
        EXPECT_EQ(SURF_Lock(s, &d), plat::kSurfOk);
        const u16 v = reinterpret_cast<const u16*>(static_cast<const u8*>(d.pixels) + y * d.pitch)[x];
        SURF_Unlock(s);
        return v;
    };
    // "     FPS": only F, P, S at 35, 42, 49 on row 0.
    for (i32 x = 0; x < 35; x++) EXPECT_EQ(pixel(x, 3), 0) << x;
    EXPECT_NE(pixel(36, 3), 0);
    EXPECT_NE(pixel(43, 3), 0);
    EXPECT_NE(pixel(50, 3), 0);
    // Nine rows 8 pixels apart: the last label ("  WPN_LV") on row 8, nothing below 72.
    EXPECT_NE(pixel(16, 64 + 3), 0);
    EXPECT_EQ(pixel(16, 72 + 3), 0);
    // Row 8's value "  2 /   2": the digit at 64 + 14 is glyph '2', a blank at 64.
    const u16 two = pixel(64 + 14 + 1, 64 + 1);
    EXPECT_NE(two, 0);
    EXPECT_EQ(pixel(64 + 1, 64 + 1), 0);
    EXPECT_EQ(pixel(64 + 7 * 8 + 1, 64 + 1), two);
}

// Through the real scene switch, 34 ms a turn: the title's battle entry starts the survival, the
// first wave's banner runs into the fight, and a lost fight returns to the title.
TEST_F(BattleMode, TheTitlesBattleEntryStartsTheSurvivalAndAGameOverReturnsToTheTitle) {
    SYS_SetSeq(2);
    SysRenewTime = SysDrawTime = clock_.now();
    auto turn = [&] {
        clock_.Advance(34);
        SYS_Loop_Main();
    };
    turn();
    EXPECT_EQ(SYS_GetSeq(0), 2u);
    // A click skips the intro; in the menu a decide takes the first entry after the fade.
    input_.button[0] = true;
    turn();
    input_.button[0] = false;
    for (int t = 0; t < 10 && TitleWork.step != 4; t++) turn();
    ASSERT_EQ(TitleWork.step, 4);
    TitleWork.selected = 0;
    input_.Press(44);
    turn();
    input_.Let(44);
    for (int t = 0; t < 60 && SYS_GetSeq(0) == 2; t++) turn();
    EXPECT_EQ(SYS_GetSeq(0), 4u);
    std::vector<int> road;
    for (int t = 0; t < 200 && BTL_GetState(0) != 5; t++) {
        turn();
        if (road.empty() || road.back() != BTL_GetState(0)) road.push_back(BTL_GetState(0));
    }
    EXPECT_EQ(road, (std::vector<int>{14, 15, 16, 5}));
    EXPECT_EQ(SvvWave, 0);
    BTL_SetState(19);
    // The ranking runs until its closing picture is clicked away.
    for (int t = 0; t < 2000 && BTL_GetState(0) == 19; t++) {
        input_.button[0] = t % 10 == 9;
        turn();
    }
    input_.button[0] = false;
    EXPECT_EQ(BTL_GetState(0), 20);
    turn();
    EXPECT_EQ(SYS_GetSeq(0), 2u);
    EXPECT_EQ(BTL_GetState(0), 0);
    EXPECT_EQ(ObjActHead, -1);
    SYS_SetSeq(0);
    SYS_SetSeq(0);
    SysRenewTime = SysDrawTime = 0;
}

}  // namespace
