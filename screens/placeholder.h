// What the screens' stand-ins record of their calls, for the tests.
#pragma once
#include <vector>

struct SCREENS_STANDIN_LOG {
    std::vector<int> menuBg;    // MENU_SetBG
    std::vector<int> menuMode;  // MENU_SetMode
    int menuRenew = 0;          // MENU_Renew calls
};

extern SCREENS_STANDIN_LOG ScreensStandIn;
