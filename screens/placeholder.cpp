// Stands in for the screens until they are built: the opening goes straight to the title, the title
// stays, the battle mode and the ranking return to the title, and every draw presents the sprites.
#include "platform/file.h"
#include "platform/random.h"
#include "screens/btl/btl.h"
#include "screens/save/save.h"
#include "screens/screens.h"
#include "shell/common.h"
#include "shell/sys.h"

void SAVE_ScanSlots() {}

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

int BTL_GetState(int which) {
    if (which == 1) return BtlPrevState;
    if (which == 2) return BtlFrameState;
    return BtlState;
}

int HIS_Loop() {
    SYS_SetSeq(2);
    return 1;
}
void HIS_Draw() { SYS_DrawDefault(); }

// ---- the game record: only the new-game values ----

int SAVE_InitGameData() {
    static constexpr i16 kStart[GAME_START_MAX] = {2, 2, 1, 6, 18, 24, 8, 2, 2, 100, 100};
    static constexpr i16 kEquip[GAME_EQUIP_MAX] = {3, 27, 42, 87, 18, 51, 6, 24, 81, 69, 72, 66};
    GameData = GAME_DATA{};
    for (int i = 0; i < GAME_START_MAX; i++) GameData.start[i] = kStart[i];
    GameData.value24 = 3000;
    for (int i = 0; i < GAME_EQUIP_MAX; i++) GameData.equip[i] = kEquip[i];
    GameData.stage = u8(plat::Rand() & 7);
    GameData.stageFlag[GameData.stage] = 1;
    GameData.byte91 = 1;
    GameData.cpuLevel = 0;
    return 1;
}
