// Shots: objects of kind 2 that step through the phases of a weapon record, move in sub-steps, hit
// mechs and shots, react to the map and hand their movement to the kind's behaviours.
#include "battle/tama/tama.h"

#include <algorithm>
#include <cstdlib>

#include "battle/battle.h"
#include "battle/data/tama_data.h"
#include "battle/effect/eft.h"
#include "battle/map/mapcol.h"
#include "battle/meka/hit.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "shell/math.h"
#include "shell/sound/sound.h"

i16 TamaShotCnt = 0;
LIST_DATA* TamaCurShot = nullptr;

namespace {

int SubStep = 0;

constexpr FIX16 Fix(i32 v) { return FIX16(u32(v) << 16); }

const TAMA_STEP* StepOf(const LIST_DATA* shot) {
    const TAMA_PHASE* ph = TAMA_GetPhase(shot);
    return ph && shot->tama->step < TAMA_STEP_MAX ? &ph->step[shot->tama->step] : nullptr;
}

// Kinds the behaviours do not name fly as missiles.
void KindInit(LIST_DATA* shot, const TAMA_PHASE* ph, int lnch) {
    switch (ph->kind) {
        case 1: TAMA_FLD_Init(shot, lnch); break;
        case 2: TAMA_LSR_Init(shot, lnch); break;
        default: TAMA_MSL_Init(shot, lnch); break;
    }
}

int KindCheck(const TAMA_PHASE* ph, int hits) {
    switch (ph->kind) {
        case 1: return TAMA_FLD_Check();
        case 2: return TAMA_LSR_Check(hits);
        default: return TAMA_MSL_Check();
    }
}

void SplitSpeed(LIST_DATA* shot, const TAMA_PHASE* ph) {
    i16 speed = ph->speed;
    if (ph->flags & TAMA_FLAG_RANDOM_SPEED) speed = i16(speed < 1 ? 0 : plat::Rand() % speed);
    shot->speed = speed;
    BTL_SplitSpeed(shot->speed, &shot->subStepCnt, &shot->subStep);
}

// The sprite's box n, all zeros when it cannot be read.
RECT Box(const LIST_DATA* obj, int n) {
    RECT r{};
    if (!SPR_GetHitRect(obj->spr, n, &r)) r = RECT{};
    return r;
}

void ReadBoxes(LIST_DATA* shot) {
    shot->hitBox = Box(shot, 2);
    const RECT b4 = Box(shot, 4);
    shot->boxTop = i16(std::abs(b4.top));
    shot->boxHeight = i16(b4.bottom - b4.top);
}

// Flag 8: the glow and the first trail segment, once while the phase asks for them.
void MakeTrail(LIST_DATA* shot, const TAMA_PHASE* ph) {
    TAMA_WORK* t = shot->tama;
    if (!(ph->flags & TAMA_FLAG_TRAIL)) {
        t->trailMade = 0;
        return;
    }
    if (t->trailMade) return;
    EFT_Create(19, shot, -999, -999, shot->z);
    const RECT b = Box(shot, 15);
    EFT_Create(12, shot, shot->x + 4 * b.left, shot->y + 4 * b.top, shot->z);
    t->trailMade = 1;
}

void SetSprHeight(LIST_DATA* shot, const TAMA_PHASE* ph) {
    if (SPR_DATA* spr = SPR_GetSpr(shot->spr)) spr->height = i16(shot->z);
    if (ph->flags & TAMA_FLAG_SUNK) SPR_SetSprView2(shot->spr, 1);
}

void SetScale(LIST_DATA* shot, const TAMA_SCALE& sc) {
    int v;
    switch (sc.mode) {
        case 0: v = sc.value; break;
        case 2: v = sc.value < 1 ? 1 : plat::Rand() % sc.value + 1; break;
        case 3: v = std::max(sc.value / 2 + plat::Rand() % (std::max(sc.value / 2, 0) + 1), 1); break;
        default: return;
    }
    SPR_SetSprScale(shot->spr, v, v);
}

int SetPhaseOf(LIST_DATA* shot, int n) {
    TAMA_WORK* t = shot->tama;
    const TAMA_PHASE* cur = TAMA_GetPhase(shot);
    if ((n < 0 || n >= TAMA_PHASE_MAX) && cur) n = cur->nextOnCalcEnd;
    if (n < 0 || n >= TAMA_PHASE_MAX) return 0;
    t->phase = u8(n);
    t->step = 0;
    t->hold = t->arc = t->age = 0;
    const TAMA_PHASE* ph = &t->weapon->phase[n];
    if (ph->step[0].duration < 0) return 0;
    SplitSpeed(shot, ph);
    t->charaHits = ph->charHits;
    t->weaponHits = ph->tamaHits;
    TAMA_StartPhase(shot, 0);
    shot->z = std::clamp<i32>(shot->z + ph->height, ph->heightMin, ph->heightMax);
    SetSprHeight(shot, ph);
    ReadBoxes(shot);
    MakeTrail(shot, ph);
    switch (ph->kind) {
        case 1: TAMA_FLD_Init(shot, -1); break;
        case 2: TAMA_LSR_InitStep(shot, t->ref); break;
        default: TAMA_MSL_Init(shot, t->ref); break;
    }
    return 1;
}

// A laser member's slot is freed only while it still holds this shot.
void FreeChainSlot(LIST_DATA* shot) {
    if (LIST_DATA* l = TAMA_LSR_GetLauncher(shot)) l->lnch->shots[shot->tama->state[TAMA_LSR_INDEX]] = -1;
}

}  // namespace

const TAMA_PHASE* TAMA_GetPhase(const LIST_DATA* shot) {
    if (!shot || !shot->tama || !shot->tama->weapon || shot->tama->phase >= TAMA_PHASE_MAX) return nullptr;
    return &shot->tama->weapon->phase[shot->tama->phase];
}

void TAMA_SetDir(LIST_DATA* shot, int dir) {
    shot->dir = i8(dir);
    if (SPR_DATA* spr = SPR_GetSpr(shot->spr)) spr->pageOffset = u8(dir);
}

int TAMA_CreateShot(int weapon, LIST_DATA* creator, i32 sx, i32 sy, i32 sz, i32 ox, i32 oy, i32 oz, i32 tx,
                    i32 ty, i32 tz, int box) {
    TAMA_DATA* d = TAMA_GetData(weapon);
    if (!d || !d->inUse || !creator) return -1;
    const int s = SPR_GetFreeWorldSpr();
    if (s < 0) return -1;
    LIST_DATA* o = OBJ_Alloc(OBJ_KIND_SHOT);
    if (!o) return -1;
    if (!SPR_CreateSpr(s, 128, sx, sy, EftSprGrpNo, 0)) {
        OBJ_Free(o->index);
        return -1;
    }
    o->spr = i16(s);
    SPR_SetSprObjNo(s, o->index);

    TAMA_WORK* t = o->tama;
    t->weapon = d;
    const TAMA_LNCH_WORK* lw = TamaCurLnch ? TamaCurLnch->lnch : nullptr;
    if (d->phase[0].kind == 2 && lw)
        if (const LIST_DATA* head = OBJ_Get(lw->shots[0]); head && head->tama) t->phase = head->tama->phase;
    const TAMA_PHASE* ph = &d->phase[t->phase];
    o->team = creator->team;
    o->mekaNo = creator->mekaNo;
    o->target = creator->target;
    o->owner = creator->index;
    o->level = 4;
    if (lw) {
        t->waza = lw->waza;
        t->repeat = lw->repeat;
        if (lw->fire) t->rangeType = lw->fire->rangeType;
    }
    SplitSpeed(o, ph);
    t->charaHits = ph->charHits;
    t->weaponHits = ph->tamaHits;

    o->x = sx;
    o->y = sy;
    o->z = sz + ph->height;
    o->x16 = Fix(o->x);
    o->y16 = Fix(o->y);
    o->z16 = Fix(o->z);
    t->targetX = tx;
    t->targetY = ty;
    t->targetZ = tz;
    MATH_GetDirVec(ox, oy - oz, tx, ty - tz, &o->vx16, &o->vy16);
    t->box = u8(std::clamp(box, 0, 255));

    LIST_DATA* saved = TamaCurShot;
    TamaCurShot = o;
    if (!TAMA_StartPhase(o, 0)) {
        TamaCurShot = saved;
        OBJ_Free(o->index);
        return -1;
    }
    ph = TAMA_GetPhase(o);
    // As the program does: a start-mask bit for the phase number makes a second launcher.
    if (ph->fire.weapon >= 0 && t->phase < 16 && (ph->fire.startMask & (1u << t->phase)))
        TAMA_CreateLauncher(o, &ph->fire);
    SetSprHeight(o, ph);
    SetScale(o, ph->scale[0]);  // once more after the step's own: a random scale draws twice
    MakeTrail(o, ph);
    ReadBoxes(o);
    KindInit(o, ph, TamaCurLnch ? TamaCurLnch->index : -1);
    if (LIST_DATA* m = MEKA_GetSlot(o->mekaNo); m && m->meka) m->meka->flag = 1;
    TamaShotCnt++;
    TamaCurShot = saved;
    return o->index;
}

int TAMA_DeleteShot(LIST_DATA* obj) {
    if (!obj || !obj->use) return ObjWalkNext;
    TamaShotCnt--;
    if (TamaCurShot == obj) TamaCurShot = nullptr;
    return OBJ_Free(obj->index);
}

int TAMA_GetShotCount() { return TamaShotCnt; }

int TAMA_StartPhase(LIST_DATA* shot, int k) {
    TAMA_WORK* t = shot->tama;
    const TAMA_PHASE* ph = TAMA_GetPhase(shot);
    if (!ph) return 0;
    t->step = u8(std::clamp(k, 0, 255));
    t->animeEnd = 0;
    if (k < 0 || k >= TAMA_STEP_MAX || ph->step[k].duration < 0) return SetPhaseOf(shot, ph->nextOnAnimEnd);
    const TAMA_STEP& st = ph->step[k];
    TAMA_SetShotSpr(shot);
    shot->shadow = ph->shadow[k];
    SPR_SetSprAttr(shot->spr, st.blend < 15 ? TamaBlendAttrTbl[st.blend] : 0);
    SPR_SetSprAttrCnt1(shot->spr, st.blendLevel);
    if (st.sound) SE_Play(st.sound - 1, 0);
    if (ph->fire.aimMask & (1u << k))
        if (const LIST_DATA* target = OBJ_Get(shot->target)) {
            t->aimX = target->x - shot->x;
            t->aimY = target->y - shot->y;
        }
    SetScale(shot, ph->scale[k]);
    const u32 mask = ph->fire.startMask;
    if (ph->fire.weapon >= 0 && (mask & (1u << k)) && (k == 0 || !(mask & (1u << (k - 1)))))
        TAMA_CreateLauncher(shot, &ph->fire);
    return 1;
}

int TAMA_SetPhase(int n) { return TamaCurShot ? SetPhaseOf(TamaCurShot, n) : 0; }

void TAMA_SetShotSpr(LIST_DATA* shot) {
    TAMA_WORK* t = shot->tama;
    const TAMA_PHASE* ph = TAMA_GetPhase(shot);
    const TAMA_STEP* st = StepOf(shot);
    SPR_DATA* spr = SPR_GetSpr(shot->spr);
    if (!ph || !st || !spr) return;
    const bool loop = st->timing == 2 || st->timing == 3 || st->duration == 255;
    if (st->timing == 2) t->hold = st->duration;
    if (!SPR_SetSeq(shot->spr, st->anim, loop, 1) || spr->group >= SPRGRP_MAX) {
        t->animeEnd = 1;  // nothing to play: the step's animation is over at once
    } else {
        const SPR_SEQ& q = SprSeqTbl[spr->group][st->anim];
        const int n = std::min<int>(q.count, TAMA_WAIT_MAX);
        const long d = st->duration;
        long total = 0;
        for (int i = 0; i < q.count; i++) total += long(q.steps[i].wait) + 1;
        for (int i = 0; i < n; i++) {
            const long w = q.steps[i].wait;
            long v = w;
            if (st->timing == 0) {
                v = q.count >= 2 ? (w + 1) * d / total - 1 : d - 1;
            } else if (st->timing == 1 && d != 100) {
                v = (w + 1) * d / 100 - 1;
            }
            // A step shorter than its frames would fit a wait of -1, which as u16 holds the step for
            // 65536 frames: it gets 0 instead.
            t->waits[i] = u16(std::clamp<long>(v, 0, 65535));
        }
        spr->wait = i16(std::min<long>(t->waits[0], 32767));
    }
    if (ph->kind != 2) TAMA_SetDir(shot, st->facing ? MATH_GetVecSector(15, shot->vx16, shot->vy16) : 0);
}

int TAMA_NextPhase() {
    LIST_DATA* o = TamaCurShot;
    TAMA_WORK* t = o ? o->tama : nullptr;
    const TAMA_PHASE* ph = TAMA_GetPhase(o);
    if (!ph) return 0;
    if (ph->kind == 2) {
        const LIST_DATA* l = OBJ_Get(t->ref);
        if (!l || !l->lnch || !OBJ_Get(o->owner)) return SetPhaseOf(o, -1);
        if (t->state[TAMA_LSR_REINIT]) return SetPhaseOf(o, ph->nextOnAnimEnd);
    }
    if (ph->nextOnObstacle >= 0 && t->mapHit) return SetPhaseOf(o, ph->nextOnObstacle);
    if (ph->charHitTrigger >= 0 &&
        ((ph->charHitTrigger == 999 && t->charaHits < 1) || ph->charHits - t->charaHits >= ph->charHitTrigger))
        return SetPhaseOf(o, ph->nextOnCharHit);
    if (ph->tamaHitTrigger >= 0 &&
        ((ph->tamaHitTrigger == 999 && t->weaponHits < 1) || ph->tamaHits - t->weaponHits >= ph->tamaHitTrigger))
        return SetPhaseOf(o, ph->nextOnTamaHit);
    if (ph->nextOnLand >= 0 && o->z < 1) return SetPhaseOf(o, ph->nextOnLand);
    const TAMA_STEP* st = StepOf(o);
    if (!st) return -1;
    switch (st->timing) {
        case 0:
        case 1:
            if (t->animeEnd) return TAMA_StartPhase(o, t->step + 1);
            break;
        case 2:
            if (--t->hold < 0) return TAMA_StartPhase(o, t->step + 1);
            break;
        case 3:
            if (o->z == 0) return TAMA_StartPhase(o, t->step + 1);
            break;
        default: break;  // mode 4: until an event moves the shot on
    }
    return -1;
}

int TAMA_RenewShot() {
    LIST_DATA* o = CurObj;
    if (!o || !o->tama) return 1;
    TamaCurShot = o;
    TAMA_WORK* t = o->tama;
    const i32 oldX = o->x, oldY = o->y, oldZ = o->z;
    t->struck = 0;
    const TAMA_PHASE* ph = TAMA_GetPhase(o);
    if (ph && (ph->flags & TAMA_FLAG_AFTERIMAGE)) EFT_Create(24, o, o->x, o->y, o->z);

    bool alive = TAMA_NextPhase() != 0;
    if (alive) {
        ph = TAMA_GetPhase(o);
        ReadBoxes(o);
        BTL_SplitSpeed(o->speed, &o->subStepCnt, &o->subStep);
        for (SubStep = 0; SubStep < o->subStepCnt; SubStep++) {
            if (!TAMA_CheckHit()) {
                alive = false;
                break;
            }
        }
        SubStep = 0;
        if ((ph->flags & TAMA_FLAG_FACE_MOVE) && (o->x != oldX || o->y != oldY || o->z != oldZ))
            TAMA_SetDir(o, MATH_GetSector(15, oldX, oldY - oldZ, o->x, o->y - o->z));
        if (ph->constEffect > 0 && SPR_GetSpr(o->spr)) {
            const RECT b = Box(o, ph->constBox);
            const int k = HIT_CheckChance(ph->constChance);
            for (int e = 0; e < k; e++)
                EFT_CreateRandom(ph->constEffect - 1, o, o->x + b.left, o->y + b.top, o->z, ph->constSpread);
        }
        if (alive) TAMA_ClampSpeed();
        t->age++;
    }
    if (!alive || o->z < 0) {
        if (!SetPhaseOf(o, -1)) {
            FreeChainSlot(o);
            TAMA_DeleteShot(o);
            TamaCurShot = nullptr;
            return 1;
        }
    }
    SPR_SetSprPos(o->spr, o->x, o->y);
    if (SPR_DATA* spr = SPR_GetSpr(o->spr)) spr->height = i16(o->z);
    TamaCurShot = nullptr;
    return 1;
}

int TAMA_CheckHit() {
    LIST_DATA* o = TamaCurShot;
    TAMA_WORK* t = o->tama;
    const TAMA_PHASE* ph = TAMA_GetPhase(o);
    const TAMA_STEP* st = StepOf(o);
    if (!ph || !st) return 0;
    if (const LIST_DATA* m = MEKA_GetSlot(o->mekaNo); m && m->meka && m->meka->chain > t->combo)
        t->combo = m->meka->chain;
    u32 flags = 0;
    if (ph->kind == 2)
        if (const LIST_DATA* l = OBJ_Get(t->ref); l && l->lnch) flags = u32(l->lnch->value3);
    HIT_ClearFlag();
    int hits = 0;
    if (t->hitPause < 1 && st->hitFlag) {
        const int n = std::max(64 - int(i8(ph->hitRange)), 1);
        for (int i = 0; i < n && o->use; i++) hits |= HIT_Check(1, flags);
    } else {
        hits = HIT_Check(0, flags);
        if (t->hitPause > 0) t->hitPause--;
    }
    if (!hits || ((hits & 1) && (ph->flags & TAMA_FLAG_PIERCE_CHAR)) ||
        ((hits & 2) && (ph->flags & TAMA_FLAG_PIERCE_TAMA)))
        return TAMA_CheckShot(1, 1, hits);
    if (ph->hitFlags & 2) return TAMA_CheckShot(0, 1, hits);
    return 1;
}

int TAMA_CheckShot(int check, int height, int hits) {
    LIST_DATA* o = TamaCurShot;
    TAMA_WORK* t = o->tama;
    const TAMA_PHASE* ph = TAMA_GetPhase(o);
    if (!ph) return 0;
    // The 16.16 copies too: movement integrates them, so restoring the integers alone would let the
    // next sub-step carry the shot through the wall.
    const i32 x = o->x, y = o->y, z = o->z;
    const FIX16 x16 = o->x16, y16 = o->y16;
    if (check && !KindCheck(ph, hits)) return 0;
    if (height) {
        if (ph->flags & TAMA_FLAG_PARABOLIC) {
            o->z += ph->heightAdd - ((i32(t->arc) * t->arc) >> 3);
            t->arc++;
        } else {
            o->z += ph->heightAdd;
        }
    }
    t->mapHit = 0;
    if (ph->obstacle != 0 && HIT_CheckMapAttr(o, 1)) {
        t->mapHit = 1;
        if (ph->kind == 2)
            if (LIST_DATA* l = OBJ_Get(t->ref); l && l->lnch) l->lnch->extension = i16(std::min(l->lnch->extension + 2, 32767));
        switch (ph->obstacle) {
            case 1:
                o->x = x, o->y = y, o->z = z;
                o->x16 = x16, o->y16 = y16;
                break;
            case 2: return 0;
            case 3:
                o->x = x, o->y = y;
                o->x16 = x16, o->y16 = y16;
                o->vx16 = -o->vx16;
                o->vy16 = -o->vy16;
                break;
            default: break;
        }
    }
    o->z16 = Fix(o->z);
    o->z = std::clamp<i32>(o->z, ph->heightMin, ph->heightMax);
    return 1;
}

void TAMA_ClampSpeed() {
    LIST_DATA* o = TamaCurShot;
    const TAMA_PHASE* ph = TAMA_GetPhase(o);
    const TAMA_STEP* st = StepOf(o);
    if (!ph || !st) return;
    if ((ph->flags & TAMA_FLAG_RANDOM_SPEED) && o->tama->age == 1) o->speed = ph->speed;
    o->speed = i16(std::clamp<int>(o->speed + ph->speedAdd, ph->speedMin, std::max(ph->speedMin, ph->speedMax)));
    if (SPR_DATA* spr = SPR_GetSpr(o->spr)) {
        const TAMA_SCALE& sc = ph->scale[o->tama->step];
        auto next = [&](int v) {
            v = std::max(v + sc.add, 0);
            return u16(std::clamp<int>(v, sc.min, std::max(sc.min, sc.max)));
        };
        spr->scaleX = next(spr->scaleX);
        spr->scaleY = next(spr->scaleY);
    }
}

void TAMA_MoveByVelocity(LIST_DATA* o) {
    o->x16 = FIX16(i64(o->x16) + i64(o->vx16) * o->subStep);
    o->y16 = FIX16(i64(o->y16) + i64(o->vy16) * o->subStep);
    o->x = o->x16 >> 16;
    o->y = o->y16 >> 16;
}

int TAMA_GetSubStep() { return SubStep; }

int TAMA_GetTurnDir(int a, int b, int size) {
    const int d = a - b;
    if (d < 0) return b - a > size / 2 ? 1 : -1;
    return d > size / 2 ? -1 : 1;
}

int TAMA_TurnToPoint(LIST_DATA* o, i32 px, i32 py, int rate, int mode, int width) {
    const i32 ax = i32((i64(o->x16) + i64(o->vx16) * 32) >> 16);
    const i32 ay = i32((i64(o->y16) + i64(o->vy16) * 32) >> 16);
    const int a = MATH_GetAngle(o->x, o->y, ax, ay);
    const int b = MATH_GetAngle(o->x, o->y, px, py);
    const int turn = TAMA_GetTurnDir(a, b, 360);
    const int diff = std::abs(a - b);
    i32 rx, ry;
    MATH_RotatePointFix(&rx, &ry, o->x, o->y, ax, ay, turn * rate);
    MATH_GetDirVec(o->x, o->y, rx, ry, &o->vx16, &o->vy16);

    if (width < 1 || mode < 1 || mode > 6) return diff;
    const int dirs = std::max(360 / width, 1);
    const int toPoint = MATH_GetSector(width, o->x, o->y, px, py);
    const int alongVel = MATH_GetVecSector(width, o->vx16, o->vy16);
    int f = o->dir;
    switch (mode) {
        case 1: f = toPoint; break;
        case 2: if (toPoint != f) f -= turn * rate; break;
        case 3: if (toPoint != f) f -= turn; break;
        case 4: f = alongVel; break;
        case 5: if (alongVel != f) f -= turn * rate; break;
        case 6: if (alongVel != f) f -= turn; break;
        default: break;
    }
    TAMA_SetDir(o, ((f % dirs) + dirs) % dirs);
    return diff;
}
