// Missile behaviours: straight, homing, wobble, attached mine and inertial guidance.
#include <algorithm>
#include <cstdlib>

#include "battle/data/tama_data.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "battle/tama/tama.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "shell/math.h"

namespace {

constexpr FIX16 Fix(i32 v) { return FIX16(u32(v) << 16); }

i32 Wrap360(i32 a) { return ((a % 360) + 360) % 360; }

// The target's pool record, even when it has been deleted (it keeps its last position); null when
// the shot has none.
const LIST_DATA* TargetOf(const LIST_DATA* shot) {
    return shot->target >= 0 && shot->target < OBJ_MAX ? ObjTbl[shot->target] : nullptr;
}

i64 Dist2(i32 x1, i32 y1, i32 x2, i32 y2) {
    const i64 dx = i64(x2) - x1, dy = i64(y2) - y1;
    return dx * dx + dy * dy;
}

void SetAngle(LIST_DATA* shot, i32 degrees) { MATH_GetAngleVec(Wrap360(degrees), &shot->vx16, &shot->vy16); }

void TAMA_MSL_InitStraight(LIST_DATA*, i32*, const i32*) {}

int TAMA_MSL_RenewStraight(LIST_DATA* shot, i32*) {
    TAMA_MoveByVelocity(shot);
    return 0;
}

void TAMA_MSL_InitHoming(LIST_DATA*, i32* s, const i32* p) {
    s[0] = 1;
    s[1] = p[1];
    s[2] = p[2];
}

int TAMA_MSL_RenewHoming(LIST_DATA* shot, i32* s) {
    if (s[0]) {
        const LIST_DATA* t = OBJ_Get(shot->target);
        if (!t) {
            s[0] = 0;  // a lost target is not taken up again
        } else if (TAMA_GetSubStep() == 0) {
            TAMA_TurnToPoint(shot, t->x, t->y, s[1], s[2], 15);
        }
    }
    TAMA_MoveByVelocity(shot);
    return 0;
}

i32 RandBelow(i32 n) { return n < 1 ? 0 : plat::Rand() % n; }

i32 PartLength(const i32* s) { return s[8] == 0 ? s[5] + RandBelow(s[5]) : s[6] + RandBelow(s[6]); }

void TAMA_MSL_InitWobble(LIST_DATA* shot, i32* s, const i32* p) {
    s[0] = MATH_GetVecSector(1, shot->vx16, shot->vy16);
    s[1] = p[1];
    s[2] = p[2];
    s[3] = (plat::Rand() & 1) ? p[3] : -p[3];
    s[4] = RandBelow(s[2]);
    if (!(plat::Rand() & 1)) s[4] = -s[4];
    s[5] = p[5];
    s[6] = p[6];
    s[7] = RandBelow(s[6]);
    s[8] = s[6] >= 1 ? plat::Rand() % 2 : 0;
    s[9] = PartLength(s);
    s[10] = p[10];
    TAMA_SetDir(shot, s[10] ? MATH_GetVecSector(15, shot->vx16, shot->vy16) : 0);
}

int TAMA_MSL_RenewWobble(LIST_DATA* shot, i32* s) {
    if (TAMA_GetSubStep() == 0) {
        if (s[8] == 0) {
            // Without a target the missile keeps its velocity and flies straight.
            if (const LIST_DATA* t = TargetOf(shot)) {
                SetAngle(shot, s[0] + s[4]);
                TAMA_TurnToPoint(shot, t->x, t->y, s[1], s[10], 15);
            }
            s[4] += s[3];
            if (std::abs(s[4]) > s[2]) s[3] = -s[3];
        } else if (s[7] == 0 && s[10]) {
            SetAngle(shot, s[0]);
            TAMA_SetDir(shot, MATH_GetVecSector(15, shot->vx16, shot->vy16));
        }
        if (s[6] > 0 && ++s[7] > s[9]) {
            s[7] = 0;
            s[8] ^= 1;
            s[9] = PartLength(s);
        }
    }
    TAMA_MoveByVelocity(shot);
    return 0;
}

void TAMA_MSL_InitMine(LIST_DATA* shot, i32* s, const i32* p) {
    int best = -1;
    i64 bestD = 0;
    for (int slot = 0; slot < MEKA_SLOT_MAX; slot++) {
        const LIST_DATA* m = MEKA_GetSlot(slot);
        if (!m || m->team == shot->team) continue;
        const i64 d = Dist2(shot->x, shot->y, m->x, m->y);
        if (best < 0 || d < bestD) best = slot, bestD = d;
    }
    if (best < 0 || bestD >= i64(p[0]) * p[0]) {
        s[1] = -1;
        return;
    }
    const LIST_DATA* m = MEKA_GetSlot(best);
    s[1] = best;
    s[2] = shot->x - m->x;
    s[3] = shot->y - m->y;
    s[4] = shot->z - m->z;
}

int TAMA_MSL_RenewMine(LIST_DATA* shot, i32* s) {
    if (s[1] < 0) return 0;
    const LIST_DATA* m = MEKA_GetSlot(s[1]);
    if (!m) return -1;
    shot->x = m->x + s[2];
    shot->y = m->y + s[3];
    shot->z = m->z + s[4];
    shot->x16 = Fix(shot->x);
    shot->y16 = Fix(shot->y);
    return 0;
}

void TAMA_MSL_InitInertial(LIST_DATA*, i32* s, const i32* p) { std::copy(p, p + 7, s); }

int TAMA_MSL_RenewInertial(LIST_DATA* shot, i32* s) {
    const LIST_DATA* t = TargetOf(shot);
    if (TAMA_GetSubStep() == 0 && t) {
        const i32 a = MATH_GetVecSector(1, shot->vx16, shot->vy16);
        const i32 b = MATH_GetSector(1, shot->x, shot->y, t->x, t->y);
        i32 d, turn;
        if (b < a) {
            d = a - b;
            turn = d < 181 ? -1 : 1;
        } else {
            d = b - a;
            turn = d < 181 ? 1 : -1;
        }
        // Off bearing by the shorter way round: 350 and 5 lie 15 degrees apart.
        i64 size = shot->subStep;
        if (std::min(d, 360 - d) < s[0]) {
            size = std::min<i64>(size + s[1], s[2]);
        } else {
            size = std::max<i64>(size - s[3], s[4]);
        }
        shot->subStep = i16(std::clamp<i64>(size, -32768, 32767));
        if (s[6]) TAMA_SetDir(shot, MATH_GetSector(15, shot->x, shot->y, t->x, t->y));
        SetAngle(shot, a + s[5] * turn);
    }
    TAMA_MoveByVelocity(shot);
    return 0;
}

// Kinds the shot code does not name (3 and up) and unknown movement types fly straight.
int MoveType(const TAMA_PHASE* ph) { return ph->kind == 0 && ph->moveType < TAMA_MSL_TYPES ? ph->moveType : 0; }

}  // namespace

const TAMA_INIT_FUNC TamaMslInitTbl[TAMA_MSL_TYPES] = {TAMA_MSL_InitStraight, TAMA_MSL_InitHoming, TAMA_MSL_InitWobble, TAMA_MSL_InitMine, TAMA_MSL_InitInertial};
const TAMA_RENEW_FUNC TamaMslRenewTbl[TAMA_MSL_TYPES] = {TAMA_MSL_RenewStraight, TAMA_MSL_RenewHoming, TAMA_MSL_RenewWobble, TAMA_MSL_RenewMine,
                                                         TAMA_MSL_RenewInertial};

void TAMA_MSL_Init(LIST_DATA* shot, int ref) {
    const TAMA_PHASE* ph = TAMA_GetPhase(shot);
    if (!ph) return;
    i32* s = shot->tama->state;
    shot->tama->ref = i16(ref);
    s[TAMA_MSL_STOP] = ph->p[15];
    TamaMslInitTbl[MoveType(ph)](shot, s, ph->p);
}

int TAMA_MSL_Check() {
    LIST_DATA* shot = TamaCurShot;
    const TAMA_PHASE* ph = TAMA_GetPhase(shot);
    if (!ph) return 0;
    i32* s = shot->tama->state;
    const i32 stop = s[TAMA_MSL_STOP];
    if (const LIST_DATA* t = TargetOf(shot); t && stop >= 0 && Dist2(shot->x, shot->y, t->x, t->y) < i64(stop) * stop)
        return 0;
    return TamaMslRenewTbl[MoveType(ph)](shot, s) >= 0 ? 1 : 0;
}
