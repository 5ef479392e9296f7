// Stands in for the screens until they are built. The stand-ins record their calls
// (screens/placeholder.h).
#include "screens/btl/btl.h"
#include "screens/screens.h"
#include "shell/common.h"
#include "shell/sys.h"
#include "screens/placeholder.h"
#include "screens/ranking/his.h"
#include "screens/survival/svv.h"
#include "shell/input/key.h"
#include "graphics/sprite/spr.h"

SCREENS_STANDIN_LOG ScreensStandIn;

// The mech types' display names until the menus bring the real ones: the file stems.
#include "screens/menu/menu.h"

const char* const MekaDispNameTbl[MEKA_TYPE_MAX] = {
    "player",  "zako01",  "zako02",  "zako03",  "zako04",  "zako05",  "zako06",  "zako07",  "zako08",
    "zako09",  "zako10",  "zako11",  "zako12",  "zako13",  "zako14",  "zako15",  "zako16",  "chara01",
    "chara02", "chara03", "chara04", "chara05", "chara06", "chara07", "chara08",
};

// ---- the menus ----

int MENU_Renew() {
    ScreensStandIn.menuRenew++;
    return -999;
}

void MENU_SetBG(int mode) {
    ScreensStandIn.menuBg.push_back(mode);
    if (mode == 1) {
        SPR_SetViewAll(0);
        SPR_SetAnimeAll(0);
    }
}

void MENU_SetMode(int mode) { ScreensStandIn.menuMode.push_back(mode); }
