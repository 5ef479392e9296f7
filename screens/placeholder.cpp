// Stands in for the screens until they are built: the opening goes straight to the title, the title
// waits for cancel to show the ranking, the battle mode returns to the title, every draw presents the sprites.
#include "screens/btl/btl.h"
#include "screens/screens.h"
#include "shell/common.h"
#include "shell/input/key.h"
#include "shell/sys.h"

void OP_Renew() { SYS_SetSeq(2); }
void OP_Draw() { SYS_DrawDefault(); }

// The ranking is reached from the title by cancel or a right click.
void TITLE_Renew() {
    KEY_RenewScreenKey();
    if ((ScreenKey.trigger & 32) || (ScreenMouseTrg & 2)) {
        HIS_SetMode(1);
        SYS_SetSeq(6);
    }
}
void TITLE_Draw() { SYS_DrawDefault(); }

void BTL_Loop() { SYS_SetSeq(2); }

// ---- the battle mode's sub-state ----

namespace {
int BtlState = 0;
int BtlPrevState = 0;
int BtlFrameState = 0;  // stored by the battle mode's update at each frame's start
}  // namespace

int BTL_SetState(int n) {
    const int replaced = BtlPrevState;
    BtlPrevState = BtlState;
    BtlState = n;
    return replaced;
}

int BTL_CheckBattleType() { return 1; }

i8 BtlLevelBonus = 0;

int BTL_GetState(int which) {
    if (which == 1) return BtlPrevState;
    if (which == 2) return BtlFrameState;
    return BtlState;
}


// The mech types' display names until the menus bring the real ones: the file stems.
#include "screens/menu/menu.h"

const char* const MekaDispNameTbl[MEKA_TYPE_MAX] = {
    "player",  "zako01",  "zako02",  "zako03",  "zako04",  "zako05",  "zako06",  "zako07",  "zako08",
    "zako09",  "zako10",  "zako11",  "zako12",  "zako13",  "zako14",  "zako15",  "zako16",  "chara01",
    "chara02", "chara03", "chara04", "chara05", "chara06", "chara07", "chara08",
};
