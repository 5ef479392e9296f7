// The battle mode's sub-state and the per-battle work that the battle frame steps share with it.
#include "screens/btl/btl.h"

#include "battle/battle.h"
#include "battle/effect/eft.h"
#include "battle/map/map.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "battle/tama/tama.h"
#include "graphics/sprite/spr.h"
#include "screens/save/save.h"

i32 BtlState = 0;
i32 BtlPrevState = 0;
i32 BtlFrameState = 0;
i32 BtlPhaseCnt = 0;
i16 BtlBattleType = 0;
i8 BtlLevelBonus = 0;

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

int BTL_CheckBattleType() { return BtlBattleType >= 1 && BtlBattleType <= 3 ? 1 : 0; }

void BTL_DummyFunc() {}

void BTL_ResetBattleWork() {
    BTL_ReleaseStartBanner();
    FightOver = 0;
    HitMarkSlot = -1;
    CutInTbl[0] = CutInTbl[1] = -1;
    for (WAZA_EXP& e : GameData.exp) {
        e.shownExp = e.exp;
        e.penalty = 0;
        e.damage = 0;
    }
}

namespace {

// Each delete returns the next active index, so the walk survives deletes of its own objects.
void DelObjects(bool keepMechs) {
    for (int i = ObjActHead; i >= 0;) {
        LIST_DATA* obj = ObjTbl[i];
        switch (obj->kind) {
            case OBJ_KIND_MEKA:
                if (keepMechs) {
                    i = obj->next;
                    break;
                }
                // The mech's panel goes with it: nothing else frees its sprites and surface.
                PNL_Delete(obj->mekaNo);
                i = MEKA_Delete(obj->mekaNo);
                break;
            case OBJ_KIND_LAUNCHER: i = TAMA_DeleteLauncher(obj); break;
            case OBJ_KIND_SHOT: i = TAMA_DeleteShot(obj); break;
            case OBJ_KIND_EFFECT: i = EFT_Delete(obj); break;
            case OBJ_KIND_CHIP: i = PNL_DeleteChip(obj); break;
            case OBJ_KIND_MAPOBJ: i = MAP_DelObjSpr(obj); break;
            default: i = obj->next; break;
        }
    }
}

}  // namespace

void BTL_DelAllObjects() { DelObjects(false); }

void BTL_DelSubObjects() { DelObjects(true); }

void BTL_ReleaseStartBanner() {
    if (BtlStartBanner.surf >= 0) SPR_DelSurfDat(BtlStartBanner.surf);
    BtlStartBanner.surf = -1;
    for (i32& s : BtlStartBanner.spr) {
        if (s >= 0) SPR_DelSpr(s);
        s = -1;
    }
    BtlStartBanner.use = 0;
}
