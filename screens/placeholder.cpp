// Stands in for the screens until they are built: the opening goes straight to the title, the title
// starts the battle mode or shows the ranking, and every draw presents the sprites. The stand-ins
// record their calls (screens/placeholder.h).
#include "screens/btl/btl.h"
#include "screens/screens.h"
#include "shell/common.h"
#include "shell/sys.h"
#include "screens/placeholder.h"
#include "screens/ranking/his.h"
#include "screens/survival/svv.h"
#include "shell/input/key.h"
#include "graphics/sprite/spr.h"

void OP_Renew() { SYS_SetSeq(2); }
void OP_Draw() { SYS_DrawDefault(); }

// The title's entries until the title is built: decide or a left click starts the battle mode,
// cancel or a right click shows the ranking.
void TITLE_Renew() {
    static bool keysReady = false;
    if (!keysReady) {
        KEY_InitScreenKey();
        keysReady = true;
    }
    KEY_RenewScreenKey();
    if ((ScreenKey.trigger & 16) || (ScreenMouseTrg & 1)) {
        BTL_SetState(0);
        SYS_SetSeq(4);
    } else if ((ScreenKey.trigger & 32) || (ScreenMouseTrg & 2)) {
        HIS_SetMode(1);
        SYS_SetSeq(6);
    }
}
void TITLE_Draw() { SYS_DrawDefault(); }

SCREENS_STANDIN_LOG ScreensStandIn;

// ---- the weapon level-up screen ----
// Counts the wave; every third one up to the sixteenth portrait hides the battle, as the screen's
// build does, so that the portrait's restore finds saved flags.
int SVV_LevelUp() {
    ScreensStandIn.levelUp++;
    SVV_NextWave();
    if (SvvWave % 3 == 0 && SvvWave / 3 < 17) {
        SPR_SetViewAll(0);
        SPR_SetAnimeAll(0);
        BTL_SetState(18);
    } else {
        BTL_SetState(15);
    }
    return 1;
}
