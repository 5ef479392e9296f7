// Laser behaviours: a chain of shots in a launcher's slots, laid out again from the owner outwards
// every sub-step; the head turns by its direction behaviour, the members bend by their member
// behaviour, and hits cut or straighten the chain.
#include <algorithm>
#include <cstdlib>

#include "battle/data/tama_data.h"
#include "battle/effect/eft.h"
#include "battle/meka/hit.h"
#include "battle/object/obj.h"
#include "battle/tama/tama.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "shell/math.h"

namespace {

constexpr FIX16 Fix(i32 v) { return FIX16(u32(v) << 16); }

int WrapDir(int f) { return ((f % TAMA_LSR_DIRS) + TAMA_LSR_DIRS) % TAMA_LSR_DIRS; }

LIST_DATA* LauncherOf(const LIST_DATA* shot) {
    LIST_DATA* l = shot && shot->tama ? OBJ_Get(shot->tama->ref) : nullptr;
    return l && l->lnch ? l : nullptr;
}

// A chain member of launcher l: a shot whose own slot still holds its index.
bool IsMember(const LIST_DATA* shot, const LIST_DATA* l) {
    if (!shot || !shot->use || shot->kind != OBJ_KIND_SHOT || !shot->tama || !l || !l->lnch) return false;
    const i32 k = shot->tama->state[TAMA_LSR_INDEX];
    return shot->tama->ref == l->index && k >= 0 && k < TAMA_CHAIN_MAX && l->lnch->shots[k] == shot->index;
}

LIST_DATA* MemberAt(const LIST_DATA* l, int k) {
    if (k < 0 || k >= TAMA_CHAIN_MAX) return nullptr;
    LIST_DATA* m = OBJ_Get(l->lnch->shots[k]);
    return IsMember(m, l) ? m : nullptr;
}

int ChainIndex(const LIST_DATA* shot) { return shot->tama->state[TAMA_LSR_INDEX]; }

void Place(LIST_DATA* shot, i32 x, i32 y, i32 z) {
    shot->x = x;
    shot->y = y;
    shot->z = z;
    shot->x16 = Fix(x);
    shot->y16 = Fix(y);
}

void SetVelocityByDir(LIST_DATA* shot) {
    MATH_GetAngleVec(WrapDir(shot->dir) * 9, &shot->vx16, &shot->vy16);
}

// ---- direction behaviours (the head) ----

void TAMA_LSR_InitAim(LIST_DATA* h, i32* s, const i32* p) {
    s[0] = MATH_GetVecSector(9, h->vx16, h->vy16);
    s[1] = p[1];
}

int TAMA_LSR_RenewAim(LIST_DATA* h, i32* s) {
    const i32 n = 2 * s[1] + 1;
    h->dir = i8(WrapDir(s[0] + s[1] - (n < 1 ? 0 : plat::Rand() % n)));
    return 0;
}

void TAMA_LSR_InitTrack(LIST_DATA* h, i32* s, const i32* p) {
    h->dir = i8(MATH_GetVecSector(9, h->vx16, h->vy16));
    s[0] = std::max(p[0], 1);
    s[1] = p[1];
}

int TAMA_LSR_RenewTrack(LIST_DATA* h, i32* s) {
    const LIST_DATA* l = LauncherOf(h);
    if (!l || s[0] < 1 || h->tama->age % s[0] != 0) return 0;
    i32 tx, ty, tz;
    TAMA_GetLauncherPos(l, &tx, &ty, &tz);
    SetVelocityByDir(h);
    TAMA_TurnToPoint(h, tx, ty - tz, s[1], 2, 9);
    return 0;
}

void TAMA_LSR_InitSweep(LIST_DATA*, i32* s, const i32* p) {
    s[0] = p[0];
    s[1] = p[1];
    s[2] = p[1] / 2;
}

int TAMA_LSR_RenewSweep(LIST_DATA* h, i32* s) {
    h->dir = i8(WrapDir(MATH_GetVecSector(9, h->vx16, h->vy16) + s[2]));
    s[2] += s[0];
    if (s[1] < 0) {
        s[2] = WrapDir(s[2]);  // full turns
    } else if (std::abs(s[2]) > s[1]) {
        s[0] = -s[0];
    }
    return 0;
}

// ---- member behaviours ----

int PrevDir(const LIST_DATA* m) {
    const LIST_DATA* prev = OBJ_Get(m->owner);
    return prev ? prev->dir : m->dir;
}

void TAMA_LSR_InitElectric(LIST_DATA*, i32* ms, const i32* q) { std::copy(q, q + 3, ms); }

int TAMA_LSR_RenewElectric(LIST_DATA* m, i32*) {
    i32* ms = m->tama->memberState;
    const i32 n = 2 * ms[0] + 1;
    m->dir = i8(WrapDir(PrevDir(m) + ms[0] - (n < 1 ? 0 : plat::Rand() % n)));
    ms[0] += ms[1];
    ms[0] = ms[1] < 1 ? std::max(ms[0], ms[2]) : std::min(ms[0], ms[2]);
    return 0;
}

void TAMA_LSR_InitGuided(LIST_DATA*, i32* ms, const i32* q) {
    ms[0] = q[0];
    ms[1] = std::max(q[1], 1);
}

int TAMA_LSR_RenewGuided(LIST_DATA* m, i32*) {
    const i32* ms = m->tama->memberState;
    m->dir = i8(WrapDir(PrevDir(m)));
    const int k = ChainIndex(m);
    const LIST_DATA* l = LauncherOf(m);
    if (!l || k < ms[0] || ms[1] < 1 || k % ms[1] != 0) return 0;
    i32 tx, ty, tz;
    TAMA_GetLauncherPos(l, &tx, &ty, &tz);
    SetVelocityByDir(m);
    TAMA_TurnToPoint(m, tx, ty - tz, 1, 2, 9);
    return 0;
}

void WriggleStep(i32* ms) {
    if (--ms[2] >= 0) return;
    ms[2] = ms[3];
    ms[4] += ms[0];
    if (std::abs(ms[4]) > ms[1]) {
        ms[4] = ms[0] < 1 ? -std::abs(ms[1]) : std::abs(ms[1]);
        ms[0] = -ms[0];
    }
}

void TAMA_LSR_InitWriggle(LIST_DATA* m, i32* ms, const i32* q) {
    const LIST_DATA* prev = OBJ_Get(m->owner);
    const LIST_DATA* l = LauncherOf(m);
    if (!IsMember(prev, l) || ChainIndex(prev) < 1) {
        ms[0] = q[0];
        ms[1] = q[1];
        ms[2] = ms[3] = q[2];
        ms[4] = 0;
        return;
    }
    std::copy(prev->tama->memberState, prev->tama->memberState + 5, ms);
    WriggleStep(ms);
}

int TAMA_LSR_RenewWriggle(LIST_DATA* m, i32*) {
    const LIST_DATA* l = LauncherOf(m);
    const LIST_DATA* head = l ? MemberAt(l, 0) : nullptr;
    i32* ms = m->tama->memberState;
    m->dir = i8(WrapDir((head ? head->dir : m->dir) + ms[4]));
    WriggleStep(ms);
    return 0;
}

// ---- after a hit ----

void EndNothing(LIST_DATA*, LIST_DATA*) {}

void EndErase(LIST_DATA* m, LIST_DATA* l) {
    for (int k = ChainIndex(m) + 1; k < TAMA_CHAIN_MAX; k++) l->lnch->shots[k] = -1;
}

void EndStraighten(LIST_DATA* m, LIST_DATA* l) {
    if (m->tama->state[TAMA_LSR_STRAIGHT]) return;
    const LIST_DATA* prev = m;
    for (int k = ChainIndex(m) + 1; k < TAMA_CHAIN_MAX; k++) {
        LIST_DATA* f = MemberAt(l, k);
        if (!f) break;
        i32 x, y;
        TAMA_LSR_GetLinkPos(prev, &x, &y);
        Place(f, x, y, prev->z);
        TAMA_SetDir(f, m->dir);
        f->tama->state[TAMA_LSR_STRAIGHT] = 1;
        prev = f;
    }
}

// Every sub-step: the head on its owner's box 6, each member on box 8 of the one before.
void LayOut(LIST_DATA* l, const TAMA_PHASE* ph) {
    LIST_DATA* head = MemberAt(l, 0);
    const LIST_DATA* owner = head ? OBJ_Get(head->owner) : nullptr;
    if (!owner) return;
    RECT b6{};
    if (!SPR_GetHitRect(owner->spr, 6, &b6)) b6 = RECT{};
    const i32 h = b6.bottom - b6.top;
    i32 x, y;
    TAMA_LSR_GetLinkPos(owner, &x, &y);
    Place(head, x, y + h, owner->z + h);
    if (const TAMA_PHASE* hp = TAMA_GetPhase(head); hp && hp->moveType < TAMA_LSR_TYPES)
        TamaLsrDirRenewTbl[hp->moveType](head, head->tama->state);
    TAMA_SetDir(head, WrapDir(head->dir));
    head->tama->state[TAMA_LSR_PLACED] = 1;

    const int len = std::clamp<int>(l->lnch->loops, 0, TAMA_CHAIN_MAX);
    const LIST_DATA* prev = head;
    for (int k = 1; k < len; k++) {
        LIST_DATA* m = MemberAt(l, k);
        if (!m) break;
        TAMA_LSR_GetLinkPos(prev, &x, &y);
        Place(m, x, y, prev->z);
        if (ph->laserType < TAMA_LSR_TYPES) TamaLsrMemRenewTbl[ph->laserType](m, m->tama->memberState);
        TAMA_SetDir(m, WrapDir(m->dir));
        m->tama->state[TAMA_LSR_PLACED] = 1;
        prev = m;
    }
}

void InitMember(LIST_DATA* shot, const TAMA_PHASE* ph, bool head) {
    if (head) {
        if (ph->moveType < TAMA_LSR_TYPES) TamaLsrDirInitTbl[ph->moveType](shot, shot->tama->state, ph->p);
    } else if (ph->laserType < TAMA_LSR_TYPES) {
        TamaLsrMemInitTbl[ph->laserType](shot, shot->tama->memberState, ph->q);
    }
}

void TakePhaseCounts(LIST_DATA* l, const TAMA_PHASE* ph) {
    l->lnch->count = i16(ph->q[12] & 0xffff);
    l->lnch->value2 = ph->q[11];
}

}  // namespace

const TAMA_INIT_FUNC TamaLsrDirInitTbl[TAMA_LSR_TYPES] = {TAMA_LSR_InitAim, TAMA_LSR_InitTrack, TAMA_LSR_InitSweep};
const TAMA_RENEW_FUNC TamaLsrDirRenewTbl[TAMA_LSR_TYPES] = {TAMA_LSR_RenewAim, TAMA_LSR_RenewTrack, TAMA_LSR_RenewSweep};
const TAMA_INIT_FUNC TamaLsrMemInitTbl[TAMA_LSR_TYPES] = {TAMA_LSR_InitElectric, TAMA_LSR_InitGuided, TAMA_LSR_InitWriggle};
const TAMA_RENEW_FUNC TamaLsrMemRenewTbl[TAMA_LSR_TYPES] = {TAMA_LSR_RenewElectric, TAMA_LSR_RenewGuided, TAMA_LSR_RenewWriggle};
const TAMA_LSR_END_FUNC TamaLsrMemEndTbl[TAMA_LSR_TYPES] = {EndNothing, EndErase, EndStraighten};

LIST_DATA* TAMA_LSR_GetLauncher(const LIST_DATA* shot) {
    LIST_DATA* l = LauncherOf(shot);
    return IsMember(shot, l) ? l : nullptr;
}

void TAMA_LSR_Init(LIST_DATA* shot, int lnch) {
    const TAMA_PHASE* ph = TAMA_GetPhase(shot);
    if (!ph) return;
    TAMA_WORK* t = shot->tama;
    t->ref = i16(lnch);
    LIST_DATA* l = LauncherOf(shot);
    if (l) TakePhaseCounts(l, ph);
    t->state[TAMA_LSR_REINIT] = t->state[TAMA_LSR_STRAIGHT] = t->state[TAMA_LSR_PLACED] = 0;
    t->state[TAMA_LSR_AFTER] = ph->q[15];
    const LIST_DATA* owner = OBJ_Get(shot->owner);
    if (IsMember(owner, l)) {
        t->state[TAMA_LSR_INDEX] = ChainIndex(owner) + 1;
        InitMember(shot, ph, false);
    } else {
        t->state[TAMA_LSR_INDEX] = 0;
        TAMA_LSR_StartHead(l, ph);
        InitMember(shot, ph, true);
    }
}

void TAMA_LSR_StartHead(LIST_DATA* l, const TAMA_PHASE* ph) {
    if (!l || !l->lnch || l->lnch->value1 != 0) return;
    // Base (variant 0) and tip (variant 1) pieces ride on the launcher.
    const i32 kinds[2] = {ph->q[14], ph->q[13]};
    for (int variant = 0; variant < 2; variant++) {
        if (kinds[variant] <= 0) continue;
        if (LIST_DATA* e = OBJ_Get(EFT_Create(21, l, l->x, l->y, l->z))) {
            e->level = 3;
            e->flagB = u8(kinds[variant]);
            e->zSpeed = i16(variant);
        }
    }
    l->lnch->value1 = 1;
}

void TAMA_LSR_InitStep(LIST_DATA* shot, int lnch) {
    LIST_DATA* l = OBJ_Get(lnch);
    const TAMA_PHASE* ph = TAMA_GetPhase(shot);
    if (!l || !l->lnch || !ph) return;
    TakePhaseCounts(l, ph);
    if (!shot->tama->state[TAMA_LSR_REINIT]) {
        for (int k = 0; k < TAMA_CHAIN_MAX && l->lnch->shots[k] >= 0; k++) {
            LIST_DATA* m = OBJ_Get(l->lnch->shots[k]);
            if (!m || !m->tama) continue;
            m->tama->ref = i16(lnch);
            m->tama->state[TAMA_LSR_AFTER] = ph->q[15];
            InitMember(m, ph, k == 0);
            m->tama->state[TAMA_LSR_REINIT] = 1;
        }
    }
    shot->tama->state[TAMA_LSR_REINIT] = 0;
}

int TAMA_LSR_Check(int hits) {
    LIST_DATA* shot = TamaCurShot;
    const TAMA_PHASE* ph = TAMA_GetPhase(shot);
    LIST_DATA* l = LauncherOf(shot);
    const LIST_DATA* owner = shot ? OBJ_Get(shot->owner) : nullptr;
    if (!ph || !l || !owner || !SPR_GetSpr(owner->spr) || !IsMember(shot, l) || ChainIndex(shot) >= l->lnch->loops)
        return 0;
    i32* s = shot->tama->state;
    if (!s[TAMA_LSR_PLACED]) LayOut(l, ph);
    s[TAMA_LSR_PLACED] = 0;
    TAMA_LNCH_WORK* w = l->lnch;
    if (!hits) {
        if (w->extension > 0) w->extension--;
    } else {
        if (s[TAMA_LSR_AFTER] >= 0 && s[TAMA_LSR_AFTER] < TAMA_LSR_TYPES) TamaLsrMemEndTbl[s[TAMA_LSR_AFTER]](shot, l);
        w->value3 |= i32(HIT_GetFlag());
        w->extension = i16(std::min(w->extension + 2, 32767));
    }
    s[TAMA_LSR_STRAIGHT] = 0;
    return 1;
}

void TAMA_LSR_GetLinkPos(const LIST_DATA* owner, i32* x, i32* y) {
    const int n = owner->kind == OBJ_KIND_SHOT && TAMA_LSR_GetLauncher(owner) ? 8 : 6;
    RECT b{};
    if (!SPR_GetHitRect(owner->spr, n, &b)) b = RECT{};
    *x = owner->x + b.left;
    *y = owner->y + b.top;
}
