// Stands in for the battle world until it is built: the battle's draw presents the sprites alone.
// The stand-ins of map placement, effects, HUD and CPU AI do the least their callers need and
// record their calls (battle/placeholder.h).
#include "battle/placeholder.h"

#include "battle/battle.h"
#include "battle/cpu/cpu.h"
#include "battle/effect/eft.h"
#include "battle/map/mapcol.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "shell/sys.h"

BTL_STANDIN_LOG BtlStandIn;

int BTL_Draw() {
    SYS_DrawDefault();
    return 1;
}

// ---- map placement (the boxes come with the collision code) ----

void MAP_SetObjPos(LIST_DATA* obj, i32 x, i32 y, i32 z) {
    if (!obj) return;
    obj->x = x;
    obj->y = y;
    obj->z = z;
    obj->x16 = FIX16(u32(x) << 16);
    obj->y16 = FIX16(u32(y) << 16);
    obj->z16 = FIX16(u32(z) << 16);
}

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

// ---- the CPU AI ----

void CPU_ResetAct(LIST_DATA* obj) {
    if (obj) BtlStandIn.cpuResetAct.push_back(obj->index);
}

void CPU_ResetAttack(LIST_DATA* obj) {
    if (obj) BtlStandIn.cpuResetAttack.push_back(obj->index);
}

// ---- battle draw services ----

// The battle draw offset stays (0, 0) until the renderer sets it.
void BTL_DrawSurfOfs(int surf, int x, int y, const RECT* src) {
    if (!SprDrawSurf || !*SprDrawSurf) return;
    BLT_Copy(*SprDrawSurf, x, y, SPR_GetSlotSurf(surf), src, 1);
}
