// Stands in for the parts of the battle world not built yet.
// The stand-ins of the HUD show-all call and the CPU AI do the least their callers need and
// record their calls (battle/placeholder.h).
#include "battle/placeholder.h"

#include "battle/battle.h"
#include "battle/cpu/cpu.h"
#include "battle/effect/eft.h"
#include "battle/map/mapcol.h"
#include "battle/meka/meka_act.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "shell/sys.h"

BTL_STANDIN_LOG BtlStandIn;

// ---- the HUD ----
// Built with the mechs' show calls; the HUD's own show calls exist.

void PNL_ShowAll(int flag) { BtlStandIn.pnlShowAll.push_back(flag); }

// ---- the CPU AI ----

void CPU_ResetAct(LIST_DATA* obj) {
    if (obj) BtlStandIn.cpuResetAct.push_back(obj->index);
}

void CPU_ResetAttack(LIST_DATA* obj) {
    if (obj) BtlStandIn.cpuResetAttack.push_back(obj->index);
}

// ---- called by the battle renderer ----
// The mechs' shake and flash come with the action states.

void MEKA_RenewShake() {}
