// Stands in for the script engine until it is built: the script scene installs its dropped-file hook
// and returns to the title; a dropped name is only logged.
#include "script/bsc/bsc.h"
#include "script/placeholder.h"
#include "script/script.h"
#include "shell/common.h"
#include "shell/sys.h"

void ADV_Loop() {
    SYS_SetDropOpenFile(ASS_DropOpenScirpt);
    SYS_SetSeq(2);
}

void ADV_Draw() { SYS_DrawDefault(); }

void ASS_DropOpenScirpt(HDROP drop) {
    char name[kMaxPath];
    if (plat::DragQueryFile(drop, 0, name, sizeof(name)) > 0) DebugMsg("script not loaded: %s", name);
    plat::DragFinish(drop);
}

// ---- battle-script commands ----

SCRIPT_STANDIN_LOG ScriptStandIn;

void mBSC_Chr_Interrupt(int slot, int value) { ScriptStandIn.bscInterrupt.push_back({slot, value}); }

int mBSC_Chr_Exec() { return 0; }

#include "battle/map/cam.h"
#include "battle/meka/meka.h"

int mBSC_Chr_Create(int slot, int team, int ctrl, int type, int x, int y) {
    MEKA_Create(slot, team, ctrl, type, x, y);
    return 0;
}

int mBSC_Cam_Chase_Set(int a, int b) {
    const LIST_DATA* second = b >= 0 ? MEKA_GetSlot(b) : nullptr;
    CAM_Setup(CAM_MODE_FOLLOW, MEKA_GetSlot(a), second);
    return 0;
}
