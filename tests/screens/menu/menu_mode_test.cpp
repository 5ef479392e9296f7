#include <gtest/gtest.h>

#include <vector>

#include "battle/effect/eft.h"
#include "menu_support.h"
#include "shell/sys.h"

namespace {

using menutest::MenuTest;

class MenuModeTest : public MenuTest {
protected:
    // The survival road up to the fight.
    void StartFight() {
        BTL_SetState(0);
        for (int f = 0; f < 300 && BTL_GetState(0) != 5; ++f) Loop();
        ASSERT_EQ(BTL_GetState(0), 5);
    }
    void Loop() {
        BTL_Loop();
        clock_.Advance(33);
    }
    // The debug keys by scan code, as the keyboard device reads them.
    static constexpr int kDikM = 0x32, kDikL = 0x26;
    void PressKey(int dik) {
        input_.keys[size_t(dik)] = 0x80;
        Loop();
        input_.keys[size_t(dik)] = 0;
    }
    // The cancel key every other frame while the sub-state stays; the frames it took.
    int CancelWhile(int state) {
        int f = 0;
        for (; f < 60 && BTL_GetState(0) == state; ++f) {
            input_.keys[45] = f % 2 ? 0x80 : 0;
            Loop();
        }
        input_.keys[45] = 0;
        return f;
    }
    struct Flags {
        std::vector<int> view, running;
        bool operator==(const Flags&) const = default;
    };
    static Flags SpriteFlags() {
        Flags f;
        for (int s = 0; s < SPR_MAX; ++s) {
            const SPR_HEAD* h = SPR_GetAnySpr(s);
            f.view.push_back(h ? h->view : -1);
            const SPR_DATA* g = SPR_GetSpr(s);
            f.running.push_back(g ? g->running : -1);
        }
        return f;
    }
};

TEST_F(MenuModeTest, PauseMenuOverTheTintedFightReturnsToItAsItWas) {
    StartFight();
    SysDebugFlag = 1;
    Loop();  // the debug keys read up
    const Flags before = SpriteFlags();
    const int surfaces = SurfUses(), sprites = LiveSprites();
    for (int use = 0; use < 2; ++use) {
        SCOPED_TRACE(use);
        PressKey(kDikM);
        EXPECT_EQ(BTL_GetState(0), 12);
        Loop();
        EXPECT_EQ(MENU_GetMode(0), 1);
        EXPECT_EQ(SPR_GetTSpr(ScreenWorkSpr)->view, 1) << "the snapshot";
        EXPECT_EQ(SPR_GetSpr(MEKA_GetSlot(0)->spr)->view, 0) << "the fight hidden behind it";
        EXPECT_GE(MenuMain.state, 2);
        CancelWhile(12);
        EXPECT_EQ(BTL_GetState(0), 5);
        EXPECT_EQ(MENU_GetMode(0), 0);
        EXPECT_TRUE(SpriteFlags() == before);
        EXPECT_EQ(SurfUses(), surfaces);
        EXPECT_EQ(LiveSprites(), sprites);
        Loop();
        EXPECT_EQ(BTL_GetState(0), 5) << "the menus ended once";
    }
}

// The menus' part of the sprite table holds the fullest of them: the pause menu, then the mech menu's
// cards still fading while a type's full page of techniques is built.
TEST_F(MenuModeTest, PauseAndTechniqueMenusOverAFightFullOfEffectsHaveTheirSprites) {
    WriteTechniques(2, MENU_WAZA_LINES);  // a type the fight does not use
    StartFight();
    SysDebugFlag = 1;
    Loop();  // the debug keys read up
    // Effects until the table takes no more (any loaded set draws them).
    const i32 effectSet = EftSprGrpNo;
    EftSprGrpNo = SPR_GetSpr(MEKA_GetSlot(0)->spr)->group;
    while (EFT_Create(0, nullptr, 300, 200, 0) >= 0) {
    }
    EftSprGrpNo = effectSet;
    EXPECT_GT(EftCnt, 400);
    PressKey(kDikM);
    Loop();
    ASSERT_EQ(MENU_GetMode(0), 1);
    for (const MENU_ITEM& it : MenuMainItem) {
        EXPECT_NE(SPR_GetTSpr(it.spr), nullptr);
        EXPECT_NE(SPR_GetTSpr(it.spr2), nullptr);
    }
    auto click = [&](i32 x, i32 y) {
        input_.cursorX = x;
        input_.cursorY = y;
        input_.button[0] = true;
        Loop();
        input_.button[0] = false;
        Loop();
    };
    for (int f = 0; f < 20 && MenuMain.state != 3; ++f) Loop();
    click(MenuMainItem[1].x + 8, MenuMainItem[1].y + 8);  // the mechs
    for (int f = 0; f < 20 && MenuMeka.state != 3; ++f) Loop();
    ASSERT_EQ(MenuMeka.state, 3);
    Loop();  // the buttons up: the main menu's click lets go
    click(MenuMekaItem[2].x + 10, MenuMekaItem[2].y + 10);
    ASSERT_EQ(MenuWazaType, 2);
    ASSERT_EQ(MenuWazaCnt, 6 + MENU_WAZA_LINES);
    for (int i = 0; i < MenuWazaCnt; ++i) EXPECT_NE(SPR_GetTSpr(MenuWazaItem[i].spr), nullptr) << i;
}

TEST_F(MenuModeTest, LeavingTheFightGoesThroughTheMenusToTheTitle) {
    StartFight();
    SysDebugFlag = 1;
    Loop();
    SYS_SetSeq(4);
    PressKey(kDikL);
    std::vector<int> states{BTL_GetState(0)};
    for (int f = 0; f < 3; ++f) {
        Loop();
        states.push_back(BTL_GetState(0));
    }
    EXPECT_EQ(states, (std::vector<int>{11, 13, 1, 2}));
    EXPECT_EQ(SPR_GetTSpr(ScreenWorkSpr)->view, 1) << "a menu background";
    CancelWhile(2);
    EXPECT_EQ(BTL_GetState(0), 20);
    Loop();
    EXPECT_EQ(SYS_GetSeq(0), 2u);
}

}  // namespace
