// The action-state handlers of CPU mechs: stand, walk, boost, wall dash, inertial tracking dash and
// short dash, each moving the mech for its current basic action (CPU_MODE).
#include <algorithm>
#include <cstdlib>

#include "battle/cpu/cpu.h"
#include "battle/cpu/cpu_local.h"
#include "battle/effect/eft.h"
#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/map/mapcol.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "shell/math.h"
#include "shell/sound/sound.h"

using cpu::Cur;

namespace {

constexpr int kSeFootfall = 34;
constexpr int kSeBoostStart = 13;
constexpr int kSeBoostLoop = 14;
constexpr int kSeBoostEnd = 15;
constexpr int kEftAfterImage = 24;
constexpr int kWanderReach2 = 80 * 80;
constexpr int kLookAheadMax = 300;

int Wrap360(int degrees) { return (degrees % 360 + 360) % 360; }

// The handler's mech with its current mode; without a mode or a target the basic action ends.
bool Begin(Cur* c, const CPU_MODE** mode) {
    if (!cpu::GetCur(c)) {
        CPU_ResetAct(CurObj);
        return false;
    }
    if (c->w->mode < 0 || c->w->mode >= CPU_MODE_MAX || !c->target) {
        CPU_ResetAct(c->obj);
        return false;
    }
    *mode = &c->data->mode[c->w->mode];
    return true;
}

// Animations change only while no technique frame runs; they face the target.
void Anim(const Cur& c, int anim, int loop) {
    if (c.m->subAct == 0) MEKA_SetAnim(c.obj, anim, -1, 4, 1, loop);
}

void SetHeading(MEKA_WORK* m, int degrees) { MATH_GetAngleVec(Wrap360(degrees + 270), &m->moveVx, &m->moveVy); }

// Without an open map (or with an empty one) the point is the mech's own position.
void SetWander(const Cur& c) {
    CPU_WORK& w = *c.w;
    if (MAP_IsOpen() && MapData->pixelW > 0 && MapData->pixelH > 0) {
        w.pointX = plat::Rand() % MapData->pixelW;
        w.pointY = plat::Rand() % MapData->pixelH;
    } else {
        w.pointX = c.obj->x;
        w.pointY = c.obj->y;
    }
    w.angle = 32 - plat::Rand() % 65;
    w.angleStep = 8 - plat::Rand() % 17;
}

// The heading toward the wander point bent by the random-walked angle; reaching the point ends the
// action (timer -1).
int WanderHeading(const Cur& c) {
    CPU_WORK& w = *c.w;
    w.angleStep += 4 - plat::Rand() % 9;
    w.angle = std::clamp(w.angle + w.angleStep, -64, 64);
    const int heading = Wrap360(MATH_GetAngle(c.obj->x, c.obj->y, w.pointX, w.pointY) + w.angle);
    const i64 dx = i64(w.pointX) - c.obj->x, dy = i64(w.pointY) - c.obj->y;
    if (dx * dx + dy * dy < kWanderReach2) w.timer = -1;
    return heading;
}

// Where the mode's direction kind wants to go, in whole degrees.
int DesiredHeading(const Cur& c, const CPU_MODE& mode) {
    switch (mode.dirKind) {
        case 1: return MATH_GetAngle(c.target->x, c.target->y, c.obj->x, c.obj->y);
        case 2: return WanderHeading(c);
        default: return MATH_GetAngle(c.obj->x, c.obj->y, c.target->x, c.target->y);
    }
}

// The signed difference from one heading to another the shorter way, -179..180.
int TurnDiff(int from, int to) {
    const int d = Wrap360(to - from);
    return d > 180 ? d - 360 : d;
}

int TurnToward(int from, int to, int maxStep) {
    const int d = TurnDiff(from, to);
    return Wrap360(from + std::clamp(d, -maxStep, maxStep));
}

void BoostEntry(const Cur& c) {
    MEKA_WORK* m = c.m;
    Anim(c, 11, 1);
    m->moveSpeed = m->boostSpeed;
    m->boostSe = 1;
    m->actStep = 1;
    SE_Play(kSeBoostStart, 0);
}

// The boost's loop sound takes over from its start sound.
void BoostSound(const Cur& c, bool switchNow) {
    if (switchNow) {
        Anim(c, 12, 1);
        SE_Stop(kSeBoostStart);
        SE_Play(kSeBoostLoop, -1);
    } else if (!SE_IsPlaying(kSeBoostLoop)) {
        SE_Play(kSeBoostLoop, -1);
    }
}

void Brake(const Cur& c) {
    Anim(c, 13, 0);
    c.m->moveSpeed = 5;
    c.m->actStep = 2;
    SE_Stop(kSeBoostLoop);
    SE_Play(kSeBoostEnd, 0);
}

// Step 2 of every boost kind and the dash: speed falls by 1 a frame, then the action ends.
void Braking(const Cur& c) {
    if (--c.m->moveSpeed < 1) CPU_ResetAct(c.obj);
}

// What every boost kind does each frame after its own step.
void BoostTail(const Cur& c) {
    if (c.m->subAct == 0) MEKA_FaceTarget(c.obj, c.target);
    MEKA_AddGauge(c.obj, -3);
}

void Probe(const Cur& c, int heading, int dist, i32* x, i32* y) {
    FIX16 vx, vy;
    MATH_GetAngleVec(Wrap360(heading + 270), &vx, &vy);
    *x = c.obj->x + i32((i64(vx) * dist) >> 16);
    *y = c.obj->y + i32((i64(vy) * dist) >> 16);
}

// The first clear side of a blocked heading, 10 to 350 degrees away, positive first at each step;
// 0 when none is clear.
int ScanSide(const Cur& c, int heading, int dist) {
    for (int a = 10; a <= 350; a += 10) {
        for (int sign : {1, -1}) {
            i32 x, y;
            Probe(c, heading + sign * a, dist, &x, &y);
            if (HIT_CheckMapLine(c.obj->x, c.obj->y, x, y, 1)) return sign;
        }
    }
    return 0;
}

}  // namespace

int CPU_ActStand(int*) {
    Cur c;
    const CPU_MODE* mode;
    if (!Begin(&c, &mode)) return 0;
    MEKA_WORK* m = c.m;
    CPU_WORK& w = *c.w;
    if (m->actStep == 0) {
        m->moveSpeed = 0;
        Anim(c, 6, 1);
        m->actStep = 1;
    }
    w.priority = -1;
    // The mode stays current: the choice that follows looks for another one.
    if (w.phase != 1 && plat::Rand() % 20 == 0) w.phase = 0;
    MEKA_AddGauge(c.obj, -8);
    return 1;
}

int CPU_ActWalk(int*) {
    Cur c;
    const CPU_MODE* mode;
    if (!Begin(&c, &mode)) return 0;
    MEKA_WORK* m = c.m;
    CPU_WORK& w = *c.w;
    if (m->actStep == 0) {
        Anim(c, 7, 0);
        m->moveSpeed = m->walkSpeed;
        m->actCnt[0] = 0;
        m->actStep = 1;
        if (mode->dirKind == 2) SetWander(c);
    }
    i16& step = m->actCnt[0];
    if (m->subAct == 0 && !SPR_IsAnime(c.obj->spr)) {
        step = i16((step + 1) & 3);
        Anim(c, 7 + step, 0);
        if (step == 1 || step == 3) {
            SE_Play(kSeFootfall, 0);
            SCR_SetQuake(-1, -1, 2);
        }
    }
    if (step == 1 || step == 3) {
        m->moveSpeed = 0;
    } else {
        switch (mode->dirKind) {
            case 1: MATH_GetDirVec(c.target->x, c.target->y, c.obj->x, c.obj->y, &m->moveVx, &m->moveVy); break;
            case 2: SetHeading(m, WanderHeading(c)); break;
            default: MATH_GetDirVec(c.obj->x, c.obj->y, c.target->x, c.target->y, &m->moveVx, &m->moveVy); break;
        }
        m->moveSpeed = m->walkSpeed;
    }
    MEKA_AddGauge(c.obj, -5);
    if (w.timer-- < 0) CPU_ResetAct(c.obj);
    return 1;
}

int CPU_ActBoost(int*) {
    Cur c;
    const CPU_MODE* mode;
    if (!Begin(&c, &mode)) return 0;
    MEKA_WORK* m = c.m;
    CPU_WORK& w = *c.w;
    if (m->actStep == 0) {
        BoostEntry(c);
        m->actCnt[0] = 5;
        if (mode->dirKind == 2) SetWander(c);
    }
    if (m->actStep == 1) {
        EFT_CreateDebris(11, 8, 4);
        if (w.timer >= 0) {
            const i32 ax = c.obj->x + i32((i64(m->moveVx) * 32) >> 16);
            const i32 ay = c.obj->y + i32((i64(m->moveVy) * 32) >> 16);
            const int heading = MATH_GetAngle(c.obj->x, c.obj->y, ax, ay);
            SetHeading(m, TurnToward(heading, DesiredHeading(c, *mode), 30));
        }
        // Counts down to the switch, then stays below 0.
        if (m->actCnt[0] >= 0) m->actCnt[0]--;
        if (m->actCnt[0] <= 0) BoostSound(c, m->actCnt[0] == 0);
        if (w.timer-- < 0) Brake(c);
    } else if (m->actStep == 2) {
        Braking(c);
    }
    BoostTail(c);
    return 1;
}

int CPU_ActBoostPath(int*) {
    Cur c;
    const CPU_MODE* mode;
    if (!Begin(&c, &mode)) return 0;
    MEKA_WORK* m = c.m;
    CPU_WORK& w = *c.w;
    i16& count = m->actCnt[0];
    i16& turnSign = m->actCnt[1];
    if (m->actStep == 0) {
        BoostEntry(c);
        turnSign = plat::Rand() % 2 == 0 ? 1 : -1;
        count = 0;
        switch (mode->dirKind) {
            case 1: w.angle = MATH_GetAngle(c.target->x, c.target->y, c.obj->x, c.obj->y); break;
            case 2: w.angle = plat::Rand() % 360; break;
            default: w.angle = MATH_GetAngle(c.obj->x, c.obj->y, c.target->x, c.target->y); break;
        }
        w.angleStep = 0;
        w.scanDone = 0;
    }
    if (m->actStep == 1) {
        EFT_CreateDebris(11, 8, 4);
        i32& lookAhead = w.angleStep;
        Probe(c, w.angle, lookAhead, &w.pointX, &w.pointY);
        if (m->contact == 0 && HIT_CheckMapLineBox(c.obj, w.pointX, w.pointY, 1)) {
            lookAhead = std::min(lookAhead + 10, kLookAheadMax);
            m->moveSpeed = m->boostSpeed;
            w.scanDone = 0;
        } else {
            if (!w.scanDone) {
                w.scanDone = 1;
                // A zero-length line says nothing about a side.
                if (const int side = ScanSide(c, w.angle, std::max(lookAhead, 10))) turnSign = i16(side);
            }
            const int bend = std::max(0, kLookAheadMax - lookAhead);
            w.angle = Wrap360(w.angle + bend / 8 * turnSign);
            lookAhead = std::max(lookAhead - 20, 10);
            m->moveSpeed = i16(std::max(0, m->boostSpeed - (kLookAheadMax - lookAhead) / 32));
        }
        Probe(c, w.angle, lookAhead, &w.pointX, &w.pointY);
        MATH_GetDirVec(c.obj->x, c.obj->y, w.pointX, w.pointY, &m->moveVx, &m->moveVy);
        if (count < 6) count++;
        if (count >= 5) BoostSound(c, count == 5);
        if (w.timer-- < 0) Brake(c);
    } else if (m->actStep == 2) {
        Braking(c);
    }
    BoostTail(c);
    return 1;
}

int CPU_ActBoostTurn(int*) {
    Cur c;
    const CPU_MODE* mode;
    if (!Begin(&c, &mode)) return 0;
    MEKA_WORK* m = c.m;
    CPU_WORK& w = *c.w;
    i16& count = m->actCnt[0];
    if (m->actStep == 0) {
        BoostEntry(c);
        m->actCnt[0] = m->actCnt[1] = 0;
    }
    if (m->actStep == 1) {
        EFT_CreateDebris(11, 8, 4);
        const int heading = MATH_GetAngle(0, 0, m->moveVx, m->moveVy);
        const int wanted = MATH_GetAngle(c.obj->x, c.obj->y, c.target->x, c.target->y);
        if (std::abs(TurnDiff(heading, wanted)) <= 20) {
            if (m->moveSpeed < m->boostSpeed) m->moveSpeed++;
        } else if (m->moveSpeed > 8) {
            m->moveSpeed--;
        }
        SetHeading(m, TurnToward(heading, wanted, 6));
        if (count < 6) count++;
        if (count > 5 && !SE_IsPlaying(kSeBoostLoop)) SE_Play(kSeBoostLoop, -1);
        if (w.timer-- < 0) Brake(c);
    } else if (m->actStep == 2) {
        Braking(c);
    }
    BoostTail(c);
    return 1;
}

int CPU_ActDash(int*) {
    Cur c;
    const CPU_MODE* mode;
    if (!Begin(&c, &mode)) return 0;
    LIST_DATA* obj = c.obj;
    MEKA_WORK* m = c.m;
    CPU_WORK& w = *c.w;
    i16& frames = m->actCnt[0];
    if (m->actStep == 0) {
        MATH_GetDirVec(obj->x, obj->y, c.target->x, c.target->y, &m->moveVx, &m->moveVy);
        MEKA_FaceTarget(obj, c.target);
        Anim(c, 11, 1);
        m->moveSpeed = m->dashSpeed;
        frames = i16(std::clamp<i32>(std::min<i32>(w.timer, m->dashTime), -32768, 32767));
        m->actCnt[1] = i16(std::max(-32768, frames - 3));
        m->actStep = 1;
        SE_Play(kSeBoostStart, 0);
    }
    if (m->actStep == 1) {
        EFT_CreateDebris(11, 8, 4);
        EFT_Create(kEftAfterImage, obj, obj->x, obj->y, obj->z);
        if (frames == m->actCnt[1]) {
            Anim(c, 12, 1);
            SE_Stop(kSeBoostStart);
            SE_Play(kSeBoostLoop, -1);
        }
        --frames;
        if (m->special == 0) MEKA_AddGauge(obj, -2);
        if (frames < 0) {
            if (w.timer == m->dashTime) {
                Anim(c, 13, 0);
                m->moveSpeed = 5;
                m->actStep = 2;
            } else {
                CPU_ResetAct(obj);
            }
            SE_Stop(kSeBoostLoop);
            SE_Play(kSeBoostEnd, 0);
        }
    } else if (m->actStep == 2) {
        Braking(c);
    }
    return 1;
}
