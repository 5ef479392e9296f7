// Stands in for the parts of the battle world not built yet.
// The stand-ins of effects, HUD and CPU AI do the least their callers need and
// record their calls (battle/placeholder.h).
#include "battle/placeholder.h"

#include "battle/battle.h"
#include "battle/data/tama_data.h"
#include "battle/effect/eft.h"
#include "battle/map/mapcol.h"
#include "battle/meka/meka.h"
#include "battle/meka/meka_act.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "battle/tama/tama.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "shell/sys.h"

BTL_STANDIN_LOG BtlStandIn;

// Until the effect set is loaded at battle set-up, tests load one here.
i32 EftSprGrpNo = -1;

// ---- effects ----

int EFT_Create(int type, LIST_DATA* owner, int x, int y, int z) {
    BtlStandIn.eftCreate.push_back({type, owner ? owner->index : -1, x, y, z});
    return -1;
}

// ---- the HUD ----

void PNL_Delete(int slot) { BtlStandIn.pnlDelete.push_back(slot); }

void PNL_SetGaugeRect(int slot, int piece) { BtlStandIn.gaugeRect.push_back({slot, piece}); }

void PNL_ClearSlotMark() { BtlStandIn.slotMarkClears++; }

void PNL_ShowAll(int flag) { BtlStandIn.pnlShowAll.push_back(flag); }

void PNL_SetDamageGauge(LIST_DATA* meka, int oldPx, int newPx, int life, int bars) {
    BtlStandIn.damageGauge.push_back({meka ? meka->mekaNo : -1, oldPx, newPx, life, bars});
}

void PNL_SetDamageWait(int slot, int frames) { BtlStandIn.damageWait.push_back({slot, frames}); }

int PNL_CreateChip(LIST_DATA* meka, int oldPx, int newPx) {
    BtlStandIn.chip.push_back({meka ? meka->mekaNo : -1, oldPx, newPx});
    return -999;
}

void PNL_SetSlotMark(int kind, int row, int column) { BtlStandIn.slotMark.push_back({kind, row, column}); }

void PNL_SetCountPopup() {}
void PNL_RenewCountPopup() {}
void PNL_RenewGauge(LIST_DATA*) {}
void PNL_RenewDamageBar(int) {}

// ---- effects: debris ----

int EFT_CreateDebris(int type, int spread, int life) {
    if (type < 0) return 0;
    BtlStandIn.debris.push_back({type, spread, life});
    return 1;
}

// ---- called by the battle renderer ----
// The target marker comes with the HUD, the mechs' shake and flash with the action states.

void PNL_RenewMarker(LIST_DATA*, LIST_DATA*) {}

void MEKA_RenewShake() {}
