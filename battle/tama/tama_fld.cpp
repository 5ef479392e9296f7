// Force-field behaviours: a shot that stays on a sprite box of the object that fired it while that
// object holds the technique frame or step that made it.
#include <algorithm>

#include "battle/data/tama_data.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/tama/tama.h"
#include "graphics/sprite/spr.h"
#include "shell/math.h"

namespace {

constexpr FIX16 Fix(i32 v) { return FIX16(u32(v) << 16); }

struct BoxPoint {
    i32 x, y, z;
    RECT box;
};

// Box s0 of the reference's sprite as a point on its bottom edge, lifted by the box height; false
// when the reference has no live group sprite.
bool GetBoxPoint(const LIST_DATA* ref, int n, BoxPoint* b) {
    if (!ref || !SPR_GetSpr(ref->spr)) return false;
    if (!SPR_GetHitRect(ref->spr, n, &b->box)) b->box = RECT{};
    b->x = ref->x + b->box.left;
    b->y = ref->y + b->box.bottom;
    b->z = ref->z + (b->box.bottom - b->box.top);
    return true;
}

void Place(LIST_DATA* shot, i32 x, i32 y, i32 z) {
    shot->x = x;
    shot->y = y;
    shot->z = z;
    shot->x16 = Fix(x);
    shot->y16 = Fix(y);
}

void TAMA_FLD_InitShield(LIST_DATA*, i32*, const i32*) {}

void TAMA_FLD_InitRange(LIST_DATA*, i32* s, const i32* p) {
    s[1] = p[1];
    s[2] = p[2];
    s[3] = 0;
}

void TAMA_FLD_InitChip(LIST_DATA* shot, i32* s, const i32* p) { TAMA_FLD_InitRange(shot, s, p); }

int TAMA_FLD_RenewShield(LIST_DATA* shot, i32* s) {
    BoxPoint b;
    if (!GetBoxPoint(OBJ_Get(shot->tama->ref), s[0], &b)) return -1;
    Place(shot, b.x, b.y, b.z);
    return 0;
}

// Pushes the field out from the box point by radius along the direction from `from` to the point.
void PushOut(LIST_DATA* shot, const BoxPoint& b, i32 fromX, i32 fromY, i32 toX, i32 toY, i32 radius) {
    MATH_GetAngleVec(MATH_GetSector(1, fromX, fromY, toX, toY), &shot->vx16, &shot->vy16);
    Place(shot, b.x + i32((i64(shot->vx16) * radius) >> 16), b.y + i32((i64(shot->vy16) * radius) >> 16), b.z);
}

int TAMA_FLD_RenewRange(LIST_DATA* shot, i32* s) {
    const LIST_DATA* ref = OBJ_Get(shot->tama->ref);
    BoxPoint b;
    if (!GetBoxPoint(ref, s[0], &b)) return -1;
    PushOut(shot, b, ref->x, ref->y - ref->z, b.x, b.y - b.z, s[3]);
    s[3] = std::min(s[3] + s[1], s[2]);
    return 0;
}

int TAMA_FLD_RenewChip(LIST_DATA* shot, i32* s) {
    const LIST_DATA* ref = OBJ_Get(shot->tama->ref);
    BoxPoint b;
    if (!GetBoxPoint(ref, s[0], &b)) return -1;
    if (b.box.left == b.box.right || b.box.top == b.box.bottom) return -1;
    RECT own{};
    if (!SPR_GetHitRect(shot->spr, 2, &own)) own = RECT{};
    const i32 size = std::max(own.right - own.left, own.bottom - own.top) / 2;
    PushOut(shot, b, ref->x, ref->y - ref->z, b.x, b.y, size + s[3]);
    s[3] = std::min(s[3] + s[1], s[2]);
    return 0;
}

}  // namespace

const TAMA_INIT_FUNC TamaFldInitTbl[TAMA_FLD_TYPES] = {TAMA_FLD_InitShield, TAMA_FLD_InitRange, TAMA_FLD_InitChip};
const TAMA_RENEW_FUNC TamaFldRenewTbl[TAMA_FLD_TYPES] = {TAMA_FLD_RenewShield, TAMA_FLD_RenewRange, TAMA_FLD_RenewChip};

void TAMA_FLD_Init(LIST_DATA* shot, int lnch) {
    const TAMA_PHASE* ph = TAMA_GetPhase(shot);
    if (!ph) return;
    i32* s = shot->tama->state;
    if (lnch >= 0) {
        const LIST_DATA* l = OBJ_Get(lnch);
        shot->tama->ref = l ? l->owner : -1;
        s[0] = shot->tama->box;
    }
    if (ph->moveType < TAMA_FLD_TYPES) TamaFldInitTbl[ph->moveType](shot, s, ph->p);
}

int TAMA_FLD_Check() {
    LIST_DATA* shot = TamaCurShot;
    const TAMA_PHASE* ph = TAMA_GetPhase(shot);
    const LIST_DATA* ref = shot ? OBJ_Get(shot->tama->ref) : nullptr;
    if (!ph || !ref) return 0;
    if (ref->kind == OBJ_KIND_MEKA) {
        if (!ref->meka || ref->meka->subAct != 2) return 0;
    } else if (ref->kind == OBJ_KIND_SHOT) {
        const TAMA_PHASE* rp = TAMA_GetPhase(ref);
        if (!rp || ref->tama->step >= 16 || !(rp->fire.holdMask & (1u << ref->tama->step))) return 0;
    } else {
        return 0;
    }
    // An unknown type has nothing to hold the field: it ends.
    if (ph->moveType >= TAMA_FLD_TYPES) return 0;
    return TamaFldRenewTbl[ph->moveType](shot, shot->tama->state) >= 0 ? 1 : 0;
}
