#include <gtest/gtest.h>

#include <vector>

#include "menu_support.h"
#include "screens/save/save.h"

namespace {

using menutest::MenuTest;
using namespace menutest;

class EquipTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        SAVE_InitGameData();
        OpenMain();
    }
    // Main menu item 0, then frames until the grid takes input.
    void OpenEquip() {
        Frame({}, true, false, CentreX(MenuMainItem[0]), CentreY(MenuMainItem[0]));
        EXPECT_EQ(MenuEquip.work.state, 3) << "built in the same frame";
        for (int f = 0; f < 20 && MenuEquip.work.state != 2; ++f) Frame({}, false, false, 630, 470);
        ASSERT_EQ(MenuEquip.work.state, 2);
        Frame();  // the buttons up: the latch of the opening decide clears
    }
    static POINT SlotCentre(const MENU_EQUIP_DATA& e, int slot) {
        const MENU_PANEL& p = e.panel[e.slot[slot].panel];
        const RECT& r = e.slot[slot].rect;
        return POINT{p.x + (r.left + r.right) / 2, p.y + (r.top + r.bottom) / 2};
    }
    void Click(const MENU_EQUIP_DATA& e, int slot, bool right = false) {
        const POINT c = SlotCentre(e, slot);
        Frame({}, !right, right, c.x, c.y);
    }
    static u16 Pixel(int surf, i32 x, i32 y) {
        plat::Surface* s = SPR_GetSlotSurf(surf);
        plat::SurfaceDesc d;
        if (!s || SURF_Lock(s, &d) != 0) return 0;
        const u16 v = reinterpret_cast<const u16*>(static_cast<const u8*>(d.pixels) + y * d.pitch)[x];
        SURF_Unlock(s);
        return v;
    }
};

// A grid entry whose group has no icon leaves the frame's well as it is.
TEST_F(EquipTest, GridEntriesOutsideTheGroupsDrawNoIcon) {
    GameData.equip[0] = -3;
    GameData.equip[1] = 45 * 3;
    OpenEquip();
    for (int c : {0, 1})
        for (i32 x : {3, 50}) EXPECT_EQ(Pixel(MenuEquipPanel[0].surf, 84 + 100 * c + x, 18), Pixel(EquipSurf, 16 + 100 * c + x, 18)) << c;
}

TEST_F(EquipTest, DownFromTheLastTakenSlotWrapsOverTheFreeEntries) {
    OpenEquip();
    MENU_EQUIP_KeyCheck();  // nothing held
    MenuEquip.work.cursor = 11;
    Frame();
    Frame({kDikDown});
    EXPECT_EQ(MenuEquip.work.cursor, 0);
    EXPECT_EQ(MenuEquip.markerSlot, 0);
    const POINT c = SlotCentre(MenuEquip, 0);
    EXPECT_EQ(input_.warpX, MenuEquip.panel[0].x + 84 + 92 - 8);
    EXPECT_LT(input_.warpY - c.y, 11);
    Frame({kDikUp});
    Frame();
    Frame({kDikUp});
    EXPECT_EQ(MenuEquip.work.cursor, 11) << "up from slot 0 wraps back";
}

TEST_F(EquipTest, CategoriesHoldTheirGroupsAndGroupThirtyFiveStaysOnItsPanel) {
    MENU_EQUIP2_Start();
    for (int f = 0; f < 20 && MenuEquip2.work.state != 2; ++f) Frame({}, false, false, 630, 470);
    std::vector<int> perPanel(MENU_CATEGORIES, 0);
    int slot35 = -1;
    for (int i = 0; i < MENU_EQUIP2_SLOTS; ++i) {
        if (!MenuEquip2Slot[i].used) continue;
        perPanel[size_t(MenuEquip2Slot[i].panel)]++;
        if (MenuEquip2Slot[i].group == 35) slot35 = i;
    }
    EXPECT_EQ(perPanel, (std::vector<int>{7, 9, 7, 13, 5, 4}));
    ASSERT_GE(slot35, 0);
    const MENU_PANEL& p3 = MenuEquip2Panel[3];
    const RECT& r = MenuEquip2Slot[slot35].rect;
    EXPECT_LE(r.bottom, p3.h);
    EXPECT_LE(p3.y + p3.h, MenuEquip2Panel[4].y);
    for (i32 y = r.top; y <= r.bottom; ++y)
        for (i32 x = r.left; x <= r.right; x += 7) {
            const int hit = MENU_EQUIP_HitSlot(MenuEquip2, p3.x + x, p3.y + y);
            ASSERT_GE(hit, 0);
            ASSERT_NE(MenuEquip2Slot[hit].panel, 4) << x << "," << y;
        }
    RECT icon;
    EXPECT_FALSE(MENU_EQUIP_IconRect(45, &icon));
    EXPECT_FALSE(MENU_EQUIP_IconRect(-1, &icon));
    ASSERT_TRUE(MENU_EQUIP_IconRect(44, &icon));
    EXPECT_EQ(icon.left, 2 * 92);
    EXPECT_EQ(icon.bottom, 7 * 20 + 200 + 20);
}

// A decide on a cell dims the grid while the category menu slides in; a group chosen there is
// stored × 3 in the cell and its icon drawn at once; the grid comes back.
TEST_F(EquipTest, ChoosingAGroupStoresItInTheGridAndRedrawsTheIcon) {
    OpenEquip();
    Click(MenuEquip, 4);  // row 1, column 1
    EXPECT_EQ(MenuEquip.work.state, 5);
    EXPECT_EQ(MenuEquip2.work.state, 3);
    EXPECT_EQ(SPR_GetTSpr(MenuEquipPanel[0].spr)->attr, 512u);
    for (int f = 0; f < 20 && MenuEquip2.work.state != 2; ++f) Frame({}, false, false, 630, 470);
    EXPECT_EQ(MenuEquip.work.state, 0) << "dimmed behind its child";
    int slot = -1;
    for (int i = 0; i < MENU_EQUIP2_SLOTS; ++i)
        if (MenuEquip2Slot[i].used && MenuEquip2Slot[i].group == 30) slot = i;
    ASSERT_GE(slot, 0);
    Frame();
    Click(MenuEquip2, slot);
    EXPECT_EQ(GameData.equip[4], 90);
    EXPECT_EQ(MenuEquip.slot[4].group, 30);
    RECT r;
    MENU_EQUIP_IconRect(30, &r);
    for (i32 x : {3, 40, 70})
        for (i32 y : {2, 10}) EXPECT_EQ(Pixel(MenuEquipPanel[1].surf, 184 + x, 8 + y), Pixel(EquipSurf, r.left + x, r.top + y));
    EXPECT_EQ(MenuEquip2.work.state, 4);
    EXPECT_EQ(MenuEquip.work.state, 6) << "resumed in the same frame";
    for (int f = 0; f < 12 && (MenuEquip.work.state != 2 || MenuEquip2.work.state != 0); ++f) Frame({}, false, false, 630, 470);
    EXPECT_EQ(MenuEquip.work.state, 2);
    EXPECT_EQ(MenuEquip2.work.state, 0);
    EXPECT_EQ(MenuEquipPanel[0].y, 32);
    EXPECT_EQ(SPR_GetTSpr(MenuEquipPanel[0].spr)->attr, 0u);
    EXPECT_EQ(MenuEquip2.markerSpr, -1);
}

// A right click on a cell shows the battle until the next click (or the decide key), then the menu
// fades back in.
TEST_F(EquipTest, PeekShowsTheBattleUntilTheNextClickOrDecide) {
    OpenEquip();
    for (int end : {0, 1}) {
        SCOPED_TRACE(end);
        SPR_SetTSprView(ScreenWorkSpr, 1);
        Frame();
        Click(MenuEquip, 2, true);
        EXPECT_EQ(MenuEquip.work.state, 7);
        EXPECT_EQ(SPR_GetTSpr(ScreenWorkSpr)->view, 0);
        Idle(4);
        EXPECT_EQ(MenuEquip.work.state, 9);
        EXPECT_EQ(SPR_GetTSpr(MenuEquipPanel[0].spr)->view, 0);
        Idle(3);
        EXPECT_EQ(MenuEquip.work.state, 9) << "waits";
        if (end == 0) {
            Frame({}, true, false);
        } else {
            Frame({kDikDecide});
        }
        EXPECT_EQ(MenuEquip.work.state, 8);
        EXPECT_EQ(SPR_GetTSpr(ScreenWorkSpr)->view, 1);
        Idle(4);
        EXPECT_EQ(MenuEquip.work.state, 2);
        EXPECT_EQ(SPR_GetTSpr(MenuEquipPanel[0].spr)->view, 1);
        EXPECT_EQ(SPR_GetTSpr(MenuEquipPanel[0].spr)->attr, 0u);
    }
}

// From the category menu both menus fade out; the grid comes back dimmed behind its child.
TEST_F(EquipTest, PeekFromTheCategoryMenuKeepsTheGridDimmed) {
    OpenEquip();
    Click(MenuEquip, 4);
    for (int f = 0; f < 20 && MenuEquip2.work.state != 2; ++f) Frame({}, false, false, 630, 470);
    Frame();
    Click(MenuEquip2, 0, true);
    EXPECT_EQ(MenuEquip2.work.state, 5);
    EXPECT_EQ(MenuEquip.work.state, 7);
    Idle(4);
    EXPECT_EQ(MenuEquip2.work.state, 7);
    EXPECT_EQ(MenuEquip.work.state, 0);
    EXPECT_EQ(SPR_GetTSpr(MenuEquipPanel[0].spr)->view, 0);
    EXPECT_EQ(SPR_GetTSpr(MenuEquip2Panel[0].spr)->view, 0);
    Frame({kDikDecide});
    EXPECT_EQ(MenuEquip2.work.state, 6);
    EXPECT_EQ(MenuEquip.work.state, 8);
    Idle(4);
    EXPECT_EQ(MenuEquip2.work.state, 2);
    EXPECT_EQ(MenuEquip.work.state, 0);
    EXPECT_EQ(SPR_GetTSpr(MenuEquipPanel[0].spr)->attr, 512u);
    EXPECT_EQ(SPR_GetTSpr(MenuEquipPanel[0].spr)->level, 12);
    EXPECT_EQ(SPR_GetTSpr(MenuEquip2Panel[0].spr)->attr, 0u);
}

// Cancel slides the grid out and restarts the main menu; nothing of the grid stays behind.
TEST_F(EquipTest, CancelReleasesTheGridAndRestartsTheMainMenu) {
    OpenEquip();
    Frame({kDikCancel});
    EXPECT_EQ(MenuEquip.work.state, 4);
    EXPECT_EQ(MenuMain.state, 1) << "restarted";
    Idle(8);
    EXPECT_EQ(MenuEquip.work.state, 0);
    EXPECT_EQ(MenuEquip.panelCnt, 0);
    EXPECT_EQ(MenuEquip.markerSpr, -1);
    for (const MENU_SLOT& s : MenuEquipSlot) EXPECT_EQ(s.used, 0);
}

}  // namespace
