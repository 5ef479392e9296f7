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
// The target marker comes with the HUD.

void PNL_RenewMarker(LIST_DATA*, LIST_DATA*) {}

// ---- the battle frame steps ----
// Until they are built a fight stays in its phase: every step only records its call.

BTL_START_BANNER BtlStartBanner = {-1, {-1, -1, -1}, {0, 0}, 0, 0};

int BTL_Renew() {
    BtlStandIn.calls.push_back("BTL_Renew");
    return 1;
}
int BTL_RenewStart(u32*) {
    BtlStandIn.calls.push_back("BTL_RenewStart");
    return 1;
}
int BTL_RenewHitStop(u32*) {
    BtlStandIn.calls.push_back("BTL_RenewHitStop");
    return 1;
}
int BTL_RenewHitStop2(u32*) {
    BtlStandIn.calls.push_back("BTL_RenewHitStop2");
    return 0;
}
int BTL_RenewScript() {
    BtlStandIn.calls.push_back("BTL_RenewScript");
    return 0;
}
int BTL_RenewCutIn(u32*) {
    BtlStandIn.calls.push_back("BTL_RenewCutIn");
    return 1;
}
int BTL_StartCutIn() { return 0; }

// ---- set-up and teardown of effects and the HUD ----

i16 PnlChipCnt = 0;

int EFT_Init() {
    BtlStandIn.calls.push_back("EFT_Init");
    return 1;
}
void EFT_Term() { BtlStandIn.calls.push_back("EFT_Term"); }
int EFT_Delete(LIST_DATA* obj) { return obj ? OBJ_Free(obj->index) : -1; }
int PNL_Init() {
    BtlStandIn.calls.push_back("PNL_Init");
    return 1;
}
void PNL_Term() { BtlStandIn.calls.push_back("PNL_Term"); }
void PNL_InitAll() { BtlStandIn.calls.push_back("PNL_InitAll"); }
int PNL_Create(int slot, int, int x, int y) {
    BtlStandIn.pnlCreate.push_back({slot, x, y});
    return 1;
}
void PNL_Show(int slot, int flag) { BtlStandIn.pnlShow.push_back({slot, flag}); }
int PNL_DeleteChip(LIST_DATA* chip) { return chip ? OBJ_Free(chip->index) : -1; }
void PNL_CreateSlotPanel(int, int) { BtlStandIn.calls.push_back("PNL_CreateSlotPanel"); }
void PNL_DeleteSlotPanel() { BtlStandIn.calls.push_back("PNL_DeleteSlotPanel"); }
void PNL_CreateCountPopup() { BtlStandIn.calls.push_back("PNL_CreateCountPopup"); }
void PNL_DeleteCountPopup() { BtlStandIn.calls.push_back("PNL_DeleteCountPopup"); }
void PNL_CreateMarker() { BtlStandIn.calls.push_back("PNL_CreateMarker"); }
void PNL_DeleteMarker() { BtlStandIn.calls.push_back("PNL_DeleteMarker"); }
