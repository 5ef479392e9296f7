// Stands in for the screens until they are built: the opening goes straight to the title, the title
// stays, the battle mode runs the phases of a fight set up by its caller, the ranking returns to the
// title, and every draw presents the sprites.
#include "battle/battle.h"
#include "platform/file.h"
#include "screens/btl/btl.h"
#include "screens/screens.h"
#include "shell/common.h"
#include "shell/input/inp.h"
#include "shell/sys.h"

int SVV_LoadHistory() {
    u8 record[488];
    plat::File* f = plat::FileOpenRead(MakeFilePath("Save\\Svv.dat"));
    if (!f) return 0;
    const bool whole = plat::FileRead(f, record, sizeof(record)) == i64(sizeof(record));
    plat::FileClose(f);
    return whole ? 1 : 0;
}

void OP_Renew() { SYS_SetSeq(2); }
void OP_Draw() { SYS_DrawDefault(); }

void TITLE_Renew() {}
void TITLE_Draw() { SYS_DrawDefault(); }

// Until the battle mode is built, scene 4 runs the fight's phases of a battle that the caller has set
// up; the other sub-states do nothing.
void BTL_Loop() {
    INP_RenewMouse();
    BtlFrameState = BtlState;
    BTL_StartCutIn();
    switch (BtlState) {
        case 4: BTL_RenewStart(&BtlPhaseCnt); break;
        case 5: BTL_Renew(); break;
        case 6: BTL_RenewHitStop(&BtlPhaseCnt); break;
        case 7: BTL_RenewHitStop2(&BtlPhaseCnt); break;
        case 8: BTL_RenewScript(); break;
        case 9: BTL_RenewCutIn(); break;
        default: break;
    }
}

int HIS_Loop() {
    SYS_SetSeq(2);
    return 1;
}
void HIS_Draw() { SYS_DrawDefault(); }

// The mech types' display names until the menus bring the real ones: the file stems.
#include "screens/menu/menu.h"

const char* const MekaDispNameTbl[MEKA_TYPE_MAX] = {
    "player",  "zako01",  "zako02",  "zako03",  "zako04",  "zako05",  "zako06",  "zako07",  "zako08",
    "zako09",  "zako10",  "zako11",  "zako12",  "zako13",  "zako14",  "zako15",  "zako16",  "chara01",
    "chara02", "chara03", "chara04", "chara05", "chara06", "chara07", "chara08",
};
