// The menus on the battle mode's headless set-up: the menu pictures in the data folder, the battle's
// key device, and every menu table emptied after each test so no stale handle outlives it.
#pragma once
#include <string>
#include <vector>

#include "../btl/btl_support.h"
#include "screens/menu/menu.h"
#include "tools/writers/battle_data_writer.h"
#include "tools/writers/menu_writer.h"

namespace menutest {

constexpr int kDikUp = 72, kDikDown = 80, kDikLeft = 75, kDikRight = 77;
constexpr int kDikDecide = 44, kDikCancel = 45, kDikHelp = 46;

inline void ClearMenus() {
    for (MENU_ITEM& it : MenuMainItem) it = MENU_ITEM{};
    for (MENU_ITEM& it : MenuMekaItem) it = MENU_ITEM{};
    for (MENU_ITEM& it : MenuWazaItem) it = MENU_ITEM{};
    MenuMain = MenuMeka = MenuWaza = MENU_WORK{};
    MenuWazaCnt = 0;
    for (MENU_EQUIP_DATA* e : {&MenuEquip, &MenuEquip2}) {
        for (int i = 0; i < e->panelMax; ++i) e->panel[i] = MENU_PANEL{};
        for (int i = 0; i < e->slotMax; ++i) e->slot[i] = MENU_SLOT{};
        e->panelCnt = 0;
        e->work = MENU_WORK{};
        e->markerSpr = e->iconSpr = -1;
    }
    MenuRepeatCnt = MenuActCnt = 0;
    MenuButton = -1;
    MENU_SetMode(0);
    MENU_SetMode(0);
}

class MenuTest : public btltest::BattleMode {
protected:
    void SetUp() override {
        BattleMode::SetUp();
        ASSERT_TRUE(tools::SaveMenuPictures(dir_.path()));
        KEY_Init(&SysKey, nullptr, nullptr);
        ClearMenus();
    }
    void TearDown() override {
        for (int t = 0; t < MEKA_TYPE_MAX; ++t)
            while (MekaTypeTbl[t].wazaRef) WAZA_ReleaseData(t);
        MENU_ReleaseBmp();
        ClearMenus();
        BattleMode::TearDown();
    }
    // One frame of the menus with these keys and buttons held and the mouse at (x, y) (-1 keeps it).
    void Frame(std::vector<int> keys = {}, bool left = false, bool right = false, i32 x = -1, i32 y = -1) {
        input_.keys.fill(0);
        for (int k : keys) input_.Press(k);
        input_.button[0] = left;
        input_.button[1] = right;
        if (x >= 0) {
            input_.cursorX = x;
            input_.cursorY = y;
        }
        INP_RenewMouse();
        MENU_LoopAll();
        clock_.Advance(33);
    }
    void Idle(int frames) {
        for (int i = 0; i < frames; ++i) Frame();
    }
    // The main menu open and waiting for input.
    void OpenMain() {
        if (MenuSurf < 0) MENU_LoadBmp();
        MENU_MAIN_Start();
        for (int i = 0; i < 20 && MenuMain.state != 3; ++i) Frame({}, false, false, 600, 400);
        ASSERT_EQ(MenuMain.state, 3);
        Frame();  // the buttons up: an earlier action's latch clears
    }
    void WriteTechniques(int type, int count) {
        std::vector<WAZA_DATA> v;
        for (int i = 0; i < count; ++i) v.push_back(tools::NewWaza(("t" + std::to_string(i)).c_str()));
        dir_.Write(std::string("Dat/") + MekaNameTbl[type] + ".waz", tools::WazFile(v));
    }
    static i32 CentreX(const MENU_ITEM& it) { return it.x + it.w / 2; }
    static i32 CentreY(const MENU_ITEM& it) { return it.y + it.h / 2; }
};

}  // namespace menutest
