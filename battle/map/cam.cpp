// The camera step, its target, the sprite placement relative to the centre, and the screen quake.
#include "battle/map/cam.h"

#include <algorithm>

#include "battle/battle.h"
#include "battle/map/map.h"
#include "battle/map/scr.h"
#include "battle/object/obj.h"
#include "graphics/sprite/spr.h"
#include "shell/math.h"

CAM_DATA CamData{CAM_MODE_FIXED, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -1, -1, -1};
i16 ScrQuake = 0;
i16 ScrQuakeOfs = 0;
u32 ScrQuakeCnt = 0;

namespace {

constexpr i32 kKeep = -999;

i32 IndexOf(const LIST_DATA* obj) { return obj ? obj->index : -1; }

// The range the centre may take: the scroll range shrunk by the half view on each side. The upper
// bound is applied after the lower one, so a range narrower than the view ends on the upper.
struct Bounds {
    i32 l, r, t, b;
};

Bounds CentreBounds() {
    const i32 vw = MapData ? MapData->viewW : 640, vh = MapData ? MapData->viewH : 480;
    const i32 hw = MapData ? MapData->halfViewW : 320, hh = MapData ? MapData->halfViewH : 240;
    return Bounds{ScrRangeRect.left + hw, ScrRangeRect.right - (vw - hw), ScrRangeRect.top + hh,
                  ScrRangeRect.bottom - (vh - hh)};
}

i32 Limit(i32 half, i32 limit) {
    if (limit < 0) return 0;
    return std::clamp(half, -limit, limit);
}

FIX16 ToFix(i32 v) { return FIX16(u32(v) << 16); }

// One axis of the step: toward the target by the speed along the unit vector, or onto it.
void StepAxis(i32* centre, FIX16* acc, i32 target, i32 unit) {
    const i64 gap = i64(*centre) - target;
    if ((gap < 0 ? -gap : gap) >= CamData.speed) {
        *acc = FIX16(u32(*acc) + u32(i64(unit) * CamData.speed));
        *centre = *acc >> 16;
    } else {
        *centre = target;
        *acc = ToFix(target);
    }
}

// Keeps the centre inside [lo, hi] and returns the scroll of this axis: only the part of the move
// from prev that lies inside the range.
i32 ClampAxis(i32* centre, FIX16* acc, i32 prev, i32 scroll, i32 lo, i32 hi) {
    if (*centre < lo) {
        scroll = prev > lo ? lo - prev : 0;
        *centre = lo;
        *acc = ToFix(lo);
    } else if (prev < lo) {
        scroll = *centre - lo;
    }
    if (*centre > hi) {
        scroll = prev < hi ? hi - prev : 0;
        *centre = hi;
        *acc = ToFix(hi);
    } else if (prev > hi) {
        scroll = *centre - hi;
    }
    return scroll;
}

}  // namespace

void CAM_Setup(i32 mode, const LIST_DATA* first, const LIST_DATA* second) {
    CamData.mode = mode;
    CamData.obj = IndexOf(first);
    CamData.obj2 = IndexOf(second);
    CamData.nextObj = -1;
}

void CAM_SetMode(i32 mode) { CamData.mode = mode; }
void CAM_SetObject(const LIST_DATA* obj) { CamData.obj = IndexOf(obj); }
void CAM_SetObject2(const LIST_DATA* obj) { CamData.obj2 = IndexOf(obj); }
void CAM_SetNextObject(const LIST_DATA* obj) { CamData.nextObj = IndexOf(obj); }

void CAM_SetPos(i32 x, i32 y) {
    CamData.x = x;
    CamData.y = y;
    CamData.x16 = ToFix(x);
    CamData.y16 = ToFix(y);
}

void CAM_SetSpeed(i32 ramp, i32 rampStep, i32 speed) {
    if (ramp != kKeep) CamData.ramp = ramp;
    if (rampStep != kKeep) CamData.rampStep = rampStep;
    if (speed != kKeep) CamData.speed = speed;
}

// The ramp value is kept moving for whoever reads it; the camera itself moves by the speed.
void CAM_RenewSpeed() {
    const i32 step = CamData.rampStep < 0 ? -CamData.rampStep : CamData.rampStep;
    if (CamData.ramp < CamData.speed) CamData.ramp = std::min(CamData.ramp + step, CamData.speed);
    else if (CamData.ramp > CamData.speed) CamData.ramp = std::max(CamData.ramp - step, CamData.speed);
}

void CAM_SetLimit(i32 limitX, i32 limitY) {
    CamData.limitX = limitX;
    CamData.limitY = limitY;
}

void CAM_GetTargetPos(i32* x, i32* y) {
    i32 tx = CamData.x, ty = CamData.y;
    const LIST_DATA* a = OBJ_Get(CamData.obj);
    const LIST_DATA* b = OBJ_Get(CamData.obj2);
    if (CamData.mode == CAM_MODE_POINT) {
        tx = CamData.fixX;
        ty = CamData.fixY;
    } else if (CamData.mode == CAM_MODE_FOLLOW && a) {
        tx = a->x;
        ty = a->y - a->z;
        if (b) {
            tx += Limit((b->x - a->x) >> 1, CamData.limitX);
            ty += Limit(((b->y - b->z) - (a->y - a->z)) >> 1, CamData.limitY);
        }
    }
    const Bounds r = CentreBounds();
    tx = std::min(std::max(tx, r.l), r.r);
    ty = std::min(std::max(ty, r.t), r.b);
    if (x) *x = tx;
    if (y) *y = ty;
}

int CAM_CheckStop() {
    if (CamData.mode == CAM_MODE_FIXED) return 1;
    i32 tx, ty;
    CAM_GetTargetPos(&tx, &ty);
    return CamData.x == tx && CamData.y == ty ? 1 : 0;
}

void CAM_SetObjSpr(const LIST_DATA* obj) {
    SPR_HEAD* h = obj ? SPR_GetAnySpr(obj->spr) : nullptr;
    if (!h) return;
    const i32 hw = MapData ? MapData->halfViewW : 320, hh = MapData ? MapData->halfViewH : 240;
    h->x = i16(hw + obj->x - CamData.x);
    h->y = i16(hh + obj->y - CamData.y);
    h->height = i16(obj->z);
}

void CAM_SetAllObjSpr() {
    for (i32 i = ObjActHead; i >= 0;) {
        const LIST_DATA* obj = OBJ_Get(i);
        if (!obj) break;
        if (obj->spr >= 0 && obj->kind != OBJ_KIND_CHIP && obj->kind != OBJ_KIND_MAPOBJ) CAM_SetObjSpr(obj);
        i = obj->next;
    }
}

void SCR_Renew(i32 yOfs) {
    if (CamData.mode == CAM_MODE_FOLLOW && !OBJ_Get(CamData.obj)) {
        CamData.obj = CamData.nextObj;
        CamData.nextObj = -1;
    }
    const i32 px = CamData.x, py = CamData.y;
    i32 tx, ty;
    CAM_GetTargetPos(&tx, &ty);
    ty += yOfs;
    i32 ux = 0, uy = 0;
    MATH_GetDirVec(CamData.x, CamData.y, tx, ty, &ux, &uy);
    StepAxis(&CamData.x, &CamData.x16, tx, ux);
    StepAxis(&CamData.y, &CamData.y16, ty, uy);
    CAM_RenewSpeed();
    const Bounds r = CentreBounds();
    const i32 sx = ClampAxis(&CamData.x, &CamData.x16, px, CamData.x - px, r.l, r.r);
    const i32 sy = ClampAxis(&CamData.y, &CamData.y16, py, CamData.y - py, r.t, r.b);
    SCR_Scroll(sx, sy);
}

void SCR_SetQuake(i32 slow, i32 stop, i32 amp) {
    if (slow > HitSlowCnt) HitSlowCnt = i16(std::min(slow, 0x7FFF));
    if (stop > HitStopCnt) HitStopCnt = i16(std::min(stop, 0x7FFF));
    if (amp >= 0) ScrQuake = i16(std::min(amp, i32(SCR_QUAKE_MAX)));
}

void SCR_RenewQuake() {
    ScrQuakeOfs = (ScrQuakeCnt & 1) ? ScrQuake : i16(-ScrQuake);
    const i16 fall = i16(ScrQuake >> 2);
    ScrQuake = i16(std::max(0, ScrQuake - (fall < 2 ? 1 : fall)));
    ++ScrQuakeCnt;
}
