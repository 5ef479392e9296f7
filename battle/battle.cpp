// The battle frame steps' state and the helpers they share with the mechs and shots.
#include "battle/battle.h"

#include <cstdlib>

#include "battle/map/map.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "graphics/sprite/spr.h"

i16 FightOver = 0;
i16 CutInTbl[2] = {-1, -1};
i8 HitMarkSlot = -1;

void BTL_SplitSpeed(i16 speed, i16* subStepCnt, i16* subStep) {
    const int n = std::abs(int(speed)) / 16 + 1;
    if (subStepCnt) *subStepCnt = i16(n);
    if (subStep) *subStep = i16(speed / n);
}

void BTL_ShowAll(int flag) {
    PNL_ShowAll(flag);
    MAP_ShowLayer(flag);
    for (int slot = 0; slot < MEKA_SLOT_MAX; slot++) {
        LIST_DATA* obj = MEKA_GetSlot(slot);
        if (!obj) continue;
        SPR_SetSprView(obj->spr, flag);
        if (SPR_DATA* spr = SPR_GetSpr(obj->spr)) spr->running = flag ? 1 : 0;
    }
}

i16 HitSlowCnt = 0;
i16 HitStopCnt = 0;
