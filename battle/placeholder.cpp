// Stands in for the parts of the battle world not built yet.
// The stand-ins of the HUD show-all call, weapon launchers and the CPU AI do the least their callers need and
// record their calls (battle/placeholder.h).
#include "battle/placeholder.h"

#include "battle/battle.h"
#include "battle/cpu/cpu.h"
#include "battle/data/tama_data.h"
#include "battle/effect/eft.h"
#include "battle/map/mapcol.h"
#include "battle/meka/meka_act.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "battle/tama/tama.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "shell/sys.h"

BTL_STANDIN_LOG BtlStandIn;

// ---- the HUD ----
// Built with the mechs' show calls; the HUD's own show calls exist.

void PNL_ShowAll(int flag) { BtlStandIn.pnlShowAll.push_back(flag); }

// ---- weapon launchers ----

int TAMA_CreateLauncher(LIST_DATA* creator, const TAMA_FIRE* fire) {
    BtlStandIn.launcher.push_back({creator ? creator->index : -1, fire ? fire->weapon : -1});
    return -1;
}

// ---- the CPU AI ----

void CPU_ResetAct(LIST_DATA* obj) {
    if (!obj) return;
    BtlStandIn.cpuResetAct.push_back(obj->index);
    MEKA_SetAct(obj, 0);
}

int CPU_Think() { return 0; }

namespace {
int CpuStandStandIn(int*) { return 0; }
}  // namespace

const MEKA_ACT_FUNC CpuActTbl[MEKA_ACT_MAX] = {CpuStandStandIn, CpuStandStandIn, CpuStandStandIn,
                                               CpuStandStandIn, CpuStandStandIn, CpuStandStandIn,
                                               MEKA_ActHit,     MEKA_ActBlown,   MEKA_ActDown};

void CPU_ResetAttack(LIST_DATA* obj) {
    if (obj) BtlStandIn.cpuResetAttack.push_back(obj->index);
}
