// What the screens' stand-ins record of their calls, for the tests.
#pragma once
#include <vector>

struct SCREENS_STANDIN_LOG {
    int levelUp = 0;            // SVV_LevelUp calls
};

extern SCREENS_STANDIN_LOG ScreensStandIn;
