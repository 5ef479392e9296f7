#include "battle/meka/meka_act.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "battle/battle.h"
#include "battle/cpu/cpu.h"
#include "battle/data/waza_data.h"
#include "battle/effect/eft.h"
#include "battle/map/cam.h"
#include "battle/map/mapcol.h"
#include "battle/map/scr.h"
#include "battle/meka/meka.h"
#include "battle/meka/waza.h"
#include "battle/object/obj.h"
#include "battle/object/obj_ref.h"
#include "battle/panel/pnl.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "screens/btl/btl.h"
#include "script/bsc/bsc.h"
#include "shell/input/key.h"
#include "shell/math.h"
#include "shell/sound/sound.h"
#include "shell/sys.h"

const MEKA_ACT_FUNC MekaActTbl[MEKA_ACT_MAX] = {MEKA_ActStand, MEKA_ActWalk, MEKA_ActBoost,
                                                MEKA_ActBoost, MEKA_ActBoost, MEKA_ActDash,
                                                MEKA_ActHit,   MEKA_ActBlown, MEKA_ActDown};
const MEKA_ACT_FUNC MekaSubActTbl[3] = {nullptr, WAZA_RenewFrame, WAZA_RenewFrameEnd};

int PadDir = -999;
int PadHist[MEKA_PAD_HIST_MAX];
int PadHistIndex = 0;

namespace {

constexpr int kPadTbl[16] = {-1, 4, 0, -1, 2, 3, 1, -1, 6, 5, 7, -1, -1, -1, -1, -1};
constexpr int kDirVec[8][2] = {{0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}};
constexpr u32 kScriptScene = 5;
constexpr int kMoveRetryMax = 8;  // HIT_MoveMeka calls per sub-step
constexpr int kEftAfterImage = 24;
constexpr int kEftDust = 15;
constexpr int kEftDown = 13;

// The sub-step MEKA_Move is making: the height moves on the first only.
int MoveSubStep = 0;

MEKA_WORK* MekaOf(LIST_DATA* obj) { return obj && obj->use && obj->kind == OBJ_KIND_MEKA ? obj->meka : nullptr; }

bool Running(const MEKA_WORK* m) { return m->subAct == 1 || m->subAct == 2; }

i16 SatI16(long v) { return i16(std::clamp<long>(v, SHRT_MIN, SHRT_MAX)); }

void SetDir(LIST_DATA* obj, int dir) {
    obj->dir = i8(dir & 7);
    if (SPR_DATA* spr = SPR_GetSpr(obj->spr)) spr->pageOffset = u8(obj->dir);
}

// The driver prologue: CurObj's record and its running technique, motion and frame.
MEKA_WORK* Prologue() {
    MEKA_WORK* m = MekaOf(CurObj);
    if (!m) return nullptr;
    CurMeka = m;
    CurTargetObj = OBJ_Get(CurObj->target);
    CurWaza = OBJ_GetMekaWaza(CurObj);
    CurMotion = OBJ_GetMekaMotion(CurObj);
    CurFrame = OBJ_GetMekaFrame(CurObj);
    return m;
}

void Epilogue(LIST_DATA* obj) {
    obj->z16 = FIX16(u32(obj->z) << 16);
    ObjWalkNext = obj->next;
}

// The other mechs that run no technique and do not aim at this one get recovery frames.
void GiveRecovery(LIST_DATA* obj) {
    for (LIST_DATA* other : MekaSlotTbl) {
        MEKA_WORK* om = MekaOf(other);
        if (!om || other == obj || other->target == obj->index || Running(om)) continue;
        om->recovery = 10;
    }
}

void StandUpOrReset(LIST_DATA* obj, MEKA_WORK* m) {
    if (m->ctrl == MEKA_CTRL_CPU) {
        CPU_ResetAct(obj);
    } else {
        MEKA_SetAct(obj, 0);
    }
}

void PadToHistory() {
    PadDir = MEKA_PadToDir(SysKey.current & 15);
    PadHist[PadHistIndex] = PadDir;
}

// The action handler, the technique sub-state, the velocity and the movement sub-steps.
void RunStates(LIST_DATA* obj, MEKA_WORK* m, const MEKA_ACT_FUNC* actTbl) {
    int g1 = 0, g2 = 0;
    if (m->act >= 0 && m->act < MEKA_ACT_MAX && actTbl[m->act]) actTbl[m->act](&g1);
    if (m->subAct == 1 || m->subAct == 2) MekaSubActTbl[m->subAct](&g2);
    MEKA_SetFrameVelocity();
    for (int i = 0; i < obj->subStepCnt; i++) {
        MoveSubStep = i;
        m->contact = u8(MEKA_Move(g1 | g2, 0));
    }
    MoveSubStep = 0;
}

void CountFreeze(LIST_DATA* obj, MEKA_WORK* m) {
    if (--m->freeze == 0) {
        if (SPR_DATA* spr = SPR_GetSpr(obj->spr)) spr->running = 1;
    }
}

void Face(LIST_DATA* obj, int dir) {
    if (dir >= 0 && dir < 8) SetDir(obj, dir);
}

}  // namespace

// ---- drivers ----

int MEKA_Renew() {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = Prologue();
    if (!m) return 1;
    m->wazaFlag = 0;
    if (m->ctrl == MEKA_CTRL_CPU) {
        PadDir = -999;
        if (m->freeze < 1) {
            CPU_Think();
            RunStates(obj, m, CpuActTbl);
        } else {
            CountFreeze(obj, m);
        }
    } else {
        PadToHistory();
        MEKA_CheckPadAct();
        PadHistIndex = (PadHistIndex + 1) % MEKA_PAD_HIST_MAX;
        int r = 0;
        if (m->pendingWaza >= 0) {
            const int n = m->pendingWaza;
            m->pendingWaza = -1;
            WAZA_Start(obj, n);
        } else {
            r = WAZA_CheckTrigger(0);
            if (r < 0) SE_Play(4, 0);
        }
        if (m->freeze >= 1) {
            CountFreeze(obj, m);
        } else if (r != 1) {
            RunStates(obj, m, MekaActTbl);
        }
        PNL_SetCountPopup();
        PNL_RenewCountPopup();
    }

    MEKA_WORK* target = MekaOf(OBJ_Get(obj->target));
    if (obj->target < 0 || !OBJ_Get(obj->target)) {
        m->recovery = 10;
    } else if (m->special && m->gauge >= 1 && m->recovery == 0 && m->subAct == 0 && (!target || target->act < 6)) {
        m->recovery = 10;
    }
    if (m->recovery > 0 && --m->recovery == 0) MEKA_ClearWaza(obj);

    CurMeka = m;
    MEKA_RenewTimedState();
    PNL_RenewGauge(obj);
    PNL_RenewDamageBar(obj->mekaNo);

    if (m->gauge < 1) {
        MEKA_SelectTarget(obj, 3, 0);
        CAM_SetSpeed(-999, 1, 16);
        if (m->ctrl == MEKA_CTRL_PLAYER) CAM_SetObject2(OBJ_Get(obj->target));
    }
    m->subActCnt[3]++;
    if (m->act == 8 && m->actCnt[0] > 18) {
        MEKA_Explode();
        return 1;
    }
    Epilogue(obj);
    return 1;
}

int MEKA_RenewFreeze() {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = Prologue();
    if (!m) return 1;
    if (m->ctrl == MEKA_CTRL_PLAYER && m->pendingWaza < 0) {
        if (WAZA_CheckTrigger(1) < 0) SE_Play(4, 0);
    }
    Epilogue(obj);
    return 1;
}

int MEKA_RenewStart() {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = Prologue();
    if (!m) return 1;
    int g = 0;
    if (m->ctrl == MEKA_CTRL_CPU) {
        PadDir = -999;
        MEKA_SetFrameVelocity();
        if (m->act >= 0 && m->act < MEKA_ACT_MAX) CpuActTbl[m->act](&g);
    } else {
        PadToHistory();
        MEKA_CheckPadAct();
        PadHistIndex = (PadHistIndex + 1) % MEKA_PAD_HIST_MAX;
        MEKA_SetFrameVelocity();
        if (m->act >= 0 && m->act < MEKA_ACT_MAX) MekaActTbl[m->act](&g);
    }
    CurMeka = m;
    MEKA_RenewTimedState();
    PNL_RenewGauge(obj);
    PNL_RenewDamageBar(obj->mekaNo);
    Epilogue(obj);
    return 1;
}

int MEKA_RenewCutIn() {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = Prologue();
    if (!m) return 1;
    const int slot = obj->mekaNo;
    if ((slot == 0 || slot == 1) && CutInTbl[slot] >= 0) {
        if (Running(m)) {
            WAZA_CheckBranch();
            if (CurFrame && CurMotion && Running(m)) {
                MEKA_SetAnim(obj, CurFrame->anim, CurFrame->boostAnim, CurMotion->facingMode, 0,
                             CurFrame->waitMode >= 2 && CurFrame->waitMode <= 4);
                const int debris = int(CurMotion->debris) - 1;
                if (debris >= 0 && debris < 25) EFT_CreateDebris(debris, 8, 4);
            }
            if (m->cutInCnt == 0) m->cutInCnt = 1;
        }
        // A technique that ended (by its data or by a hit) will never leave its step: its cut-in
        // ends with it.
        if (!Running(m) || m->step != CutInTbl[slot]) {
            if (m->cutIn > 0) m->cutIn--;
            CutInTbl[slot] = -1;
        }
    }
    Epilogue(obj);
    return 1;
}

int MEKA_RenewScript() {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = Prologue();
    if (!m) return 1;
    mBSC_Chr_Exec();
    MEKA_SetFrameVelocity();
    int g = 0;
    if (m->subAct == 1 || m->subAct == 2) MekaSubActTbl[m->subAct](&g);
    for (int i = 0; i < obj->subStepCnt; i++) {
        MoveSubStep = i;
        m->contact = u8(MEKA_Move(g, 0));
    }
    MoveSubStep = 0;
    m->subActCnt[3]++;
    Epilogue(obj);
    return 1;
}

// ---- the pad ----

int MEKA_PadToDir(int pad) { return kPadTbl[pad & 15]; }

void MEKA_SetDirSpeed(LIST_DATA* obj, int dir, int speed) {
    MEKA_WORK* m = MekaOf(obj);
    if (!m || dir < 0 || dir > 7) return;
    m->moveVx = kDirVec[dir][0] * speed;
    m->moveVy = kDirVec[dir][1] * speed;
}

int MEKA_CheckPadAct() {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = MekaOf(obj);
    if (!m || (m->act >= 6 && m->act <= 8) || obj->z != 0) return 0;

    const bool technique = Running(m);
    if (!(m->special && m->stepMark == 0) && (SysKey.current & 128) && m->act != 5) {
        if (technique) {
            MEKA_SetSubAct(obj, 0);
            m->wazaSpeed = 0;
        }
        if (LIST_DATA* target = OBJ_Get(obj->target)) {
            MATH_GetDirVec(obj->x, obj->y, target->x, target->y, &m->moveVx, &m->moveVy);
        } else {
            // Facing d points at heading 90 + 45 d.
            MATH_GetAngleVec((90 + 45 * obj->dir + 270) % 360, &m->moveVx, &m->moveVy);
        }
        if (!technique) SetDir(obj, MATH_GetVecSector(45, m->moveVx, m->moveVy));
        MEKA_SetAct(obj, 5);
        return 1;
    }

    const int d = SysKey.current & 15;
    if (d == 0 || (KEY_GetHistory(&SysKey, 1) & 15) != 0) return 0;
    int earlier = 0;
    for (int n = 2; n <= 4 && earlier == 0; n++) earlier = KEY_GetHistory(&SysKey, n) & 15;
    const int dir = MEKA_PadToDir(d);
    if (earlier != d || dir < 0) return 0;
    MEKA_SetDirSpeed(obj, dir, 65535);
    if (!technique) SetDir(obj, dir);
    MEKA_SetAct(obj, 2);
    return 1;
}

// ---- action states ----

int MEKA_ActStand(int*) {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    const bool technique = Running(m);
    if (m->actStep == 0 || m->actStep == 99) {
        m->moveSpeed = 0;
        m->slideMask = technique ? 1 : 3;
        m->actStep = 1;
    }
    if (!technique) MEKA_SetAnim(obj, 6, -1, 4, obj->anime != 6, 1);
    FIX16 x16 = obj->x16, y16 = obj->y16;
    if (MEKA_PushApart(&x16, &y16, 1)) {
        MEKA_SetX16(obj, x16);
        MEKA_SetY16(obj, y16);
    }
    if (PadDir >= 0) {
        MEKA_SetAct(obj, 1);
        if (!OBJ_Get(obj->target)) Face(obj, PadDir);
        return 0;
    }
    MEKA_AddGauge(obj, -10);
    return 1;
}

int MEKA_ActWalk(int*) {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    const bool technique = Running(m);
    if (m->actStep == 0) {
        if (!technique) MEKA_SetAnim(obj, 7, -1, 0, 1, 0);
        m->moveSpeed = m->walkSpeed;
        m->actCnt[0] = 0;
        m->slideMask = technique ? 1 : 3;
        m->actStep = 1;
    }
    if (PadDir < 0) {
        m->moveSpeed = 0;
        MEKA_SetAct(obj, 0);
        return 0;
    }
    i16& phase = m->actCnt[0];
    if (!technique && !SPR_IsAnime(obj->spr)) {
        phase = i16((phase + 1) & 3);
        MEKA_SetAnim(obj, 7 + phase, -1, 0, 1, 0);
        if (phase == 1 || phase == 3) {
            SE_Play(34, 0);
            SCR_SetQuake(-1, -1, 2);
        }
    }
    if (!OBJ_Get(obj->target)) Face(obj, PadDir);
    m->moveVx = m->moveVy = 0;
    if (phase == 1 || phase == 3) {
        m->moveSpeed = 0;
    } else {
        MEKA_SetDirSpeed(obj, PadDir, 65535);
        m->moveSpeed = m->walkSpeed;
    }
    MEKA_AddGauge(obj, -8);
    return 1;
}

int MEKA_ActBoost(int*) {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    const bool technique = Running(m);
    if (m->actStep == 0) {
        if (!technique) MEKA_SetAnim(obj, 11, -1, 4, 1, 1);
        m->moveSpeed = m->boostSpeed;
        m->actCnt[0] = 5;
        m->slideMask = 1;
        m->boostSe = 1;
        m->actStep = 1;
        SE_Play(13, 0);
    }
    if (m->actStep == 1) {
        EFT_CreateDebris(11, 8, 4);
        if (PadDir >= 0) {
            const i32 ax = obj->x + i32((i64(m->moveVx) * 32) >> 16);
            const i32 ay = obj->y + i32((i64(m->moveVy) * 32) >> 16);
            const int heading = MATH_GetAngle(obj->x, obj->y, ax, ay);
            const int wanted = (PadDir * 45 + 90) % 360;
            const int diff = wanted - heading;
            // The shorter way round: a difference under 181 degrees turns directly.
            const bool direct = std::abs(diff) < 181;
            const int sign = (diff > 0) == direct ? 1 : -1;
            const int turn = sign * std::min(direct ? std::abs(diff) : 360 - std::abs(diff), 30);
            const int h = ((heading + turn) % 360 + 360) % 360;
            MATH_GetAngleVec((h + 270) % 360, &m->moveVx, &m->moveVy);
            if (--m->actCnt[0] == 0) {
                if (!technique) MEKA_SetAnim(obj, 12, -1, 4, 1, 1);
                SE_Stop(13);
                SE_Play(14, -1);
            } else if (m->actCnt[0] < 0 && !SE_IsPlaying(14)) {
                SE_Play(14, -1);
            }
        } else {
            if (!technique) MEKA_SetAnim(obj, 13, -1, 4, 1, 0);
            m->moveSpeed = 5;
            m->actStep = 2;
            SE_Stop(14);
            SE_Play(15, 0);
        }
    } else if (m->actStep == 2) {
        if (--m->moveSpeed < 1) MEKA_SetAct(obj, 0);
    }
    if (!technique) MEKA_FaceTarget(obj, OBJ_Get(obj->target));
    MEKA_AddGauge(obj, -5);
    return 1;
}

int MEKA_ActDash(int*) {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    const bool technique = Running(m);
    if (m->actStep == 0) {
        if (!technique) MEKA_SetAnim(obj, 11, -1, 0, 1, 1);
        m->moveSpeed = SatI16(long(m->dashSpeed) * 2);
        m->actCnt[0] = m->dashTime;
        m->actCnt[1] = SatI16(long(m->dashTime) - 3);
        m->slideMask = 1;
        m->boostSe = 1;
        m->actStep = 1;
        for (int i = 0; i < 5; i++) EFT_CreateDebris(11, 8, 16);
        SE_Play(53, 0);
    }
    if (m->actStep == 1) {
        EFT_CreateDebris(11, 8, 4);
        EFT_Create(kEftAfterImage, obj, obj->x, obj->y + 8, obj->z);
        if (m->actCnt[0] > m->actCnt[1]) {
            m->moveSpeed = SatI16(long(m->moveSpeed) - m->dashSpeed / 3);
        } else if (m->actCnt[0] == m->actCnt[1] && !technique) {
            MEKA_SetAnim(obj, 12, -1, 0, 1, 1);
        }
        m->actCnt[0]--;
        if (m->actCnt[0] == 0 || !(SysKey.current & 128)) {
            if (m->actCnt[0] == 0) {
                if (!technique) MEKA_SetAnim(obj, 13, -1, 0, 1, 0);
                m->moveSpeed = 5;
                m->actStep = 2;
            } else {
                MEKA_SetAct(obj, 0);
            }
            SE_Play(15, 0);
        }
    } else if (m->actStep == 2) {
        if (--m->moveSpeed < 1) MEKA_SetAct(obj, 0);
    }
    if (!m->special) MEKA_AddGauge(obj, -4);
    return 1;
}

int MEKA_ActHit(int*) {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    const int react = m->lastHit.reactTime;
    if (m->actStep == 0) {
        MEKA_SetAnim(obj, 0, -1, 0, 1, 0);
        m->actCnt[0] = 0;
        m->actStep = 1;
    }
    if (m->actStep == 1 && m->actCnt[0] >= react / 2) {
        MEKA_SetAnim(obj, 1, -1, 0, 1, 0);
        m->actStep = 2;
    }
    EFT_CreateDebris(11, 8, 4);
    MEKA_AddGauge(obj, -6);
    if (++m->actCnt[0] >= react) {
        StandUpOrReset(obj, m);
        obj->flagB = 0;
        m->knockSpeed = 0;
        m->endure = m->endureMax;
        GiveRecovery(obj);
    }
    return 1;
}

int MEKA_ActBlown(int* gravity) {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    const long t = m->subActCnt[3];
    const int d = int(std::clamp<long>(obj->zSpeed - t * t / 8, -24, 24));
    i16& pose = m->actCnt[1];
    if (m->actCnt[0] == 0) {
        pose = 0;
        obj->anime = 2;
        SPR_SetSeqStep(obj->spr, 2, 0);
    } else {
        int wanted = -1;
        if (!obj->flagA) {
            if (pose < 7 && (m->knockSpeed >= 8 || obj->zSpeed >= 9 || pose == 0)) {
                wanted = d >= 9 ? 0 : d >= 3 ? 1 : d >= -2 ? 2 : d >= -8 ? 3 : 7;
            } else {
                MEKA_SetAnim(obj, 15, -1, 4, 0, 0);
            }
        } else {
            const int k = obj->zSpeed < 9 ? 1 : 2;
            wanted = d > 4 * k ? 0 : d >= k + 1 ? 1 : d >= -k ? 2 : d >= -4 * k ? 3 : 4;
        }
        if (wanted >= 0) {
            if (pose < wanted) pose++;
            obj->anime = 2;
            SPR_SetSeqStep(obj->spr, 2, pose);
        }
    }
    MEKA_AddGauge(obj, 1);
    if (m->actCnt[0] > 0 && obj->z < 1) {
        if (obj->flagA) {
            obj->zSpeed = 0;
            obj->flagB = 100;
            SE_Play(16, 0);
            MEKA_SetAct(obj, 8);
            SCR_SetQuake(-1, -1, 8);
        } else {
            obj->zSpeed = 0;
            obj->flagA = obj->flagB = 0;
            m->knockSpeed = 0;
            m->endure = m->endureMax;
            SE_Play(34, 0);
            StandUpOrReset(obj, m);
            GiveRecovery(obj);
        }
        return 1;
    }
    m->actCnt[0]++;
    if (gravity) *gravity = 1;
    return 1;
}

int MEKA_ActDown(int*) {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    i16& cnt = m->actCnt[0];
    m->knockSpeed = i16(std::max(0, m->knockSpeed - cnt));
    if (cnt < 20 && m->knockSpeed > 4 && obj->z < 1) {
        EFT_CreateDebris(11, 8, 4);
        for (int i = 0; i < 2; i++) {
            const int dy = 8 - plat::Rand() % 17;
            const int dx = 24 - plat::Rand() % 49;
            EFT_Create(kEftDust, obj, obj->x + dx, obj->y + dy, obj->z);
        }
    }
    MEKA_AddGauge(obj, -20);
    const bool alive = m->lifeBar >= 0;
    switch (cnt) {
        case 0: EFT_Create(kEftDown, obj, obj->x, obj->y + 1, obj->z + 1); break;
        case 5: MEKA_SetAnim(obj, 4, -1, 0, 1, 0); break;
        case 10:
            GiveRecovery(obj);
            if (alive) MEKA_SetAnim(obj, 5, -1, 0, 1, 0);
            break;
        case 18:
            if (alive && !(BTL_CheckBattleType() == 0 && m->life < 1)) {
                StandUpOrReset(obj, m);
                obj->z = 0;
                obj->zSpeed = 0;
                obj->flagA = obj->flagB = 0;
                m->knockSpeed = 0;
                m->actStep = 99;
                m->endure = m->endureMax;
                cnt = 0;
                m->timedFrames = 0;
                return 1;
            }
            break;
        default: break;
    }
    cnt++;
    return 1;
}

// ---- animation and movement ----

int MEKA_SetAnim(LIST_DATA* obj, int a, int b, int mode, int restart, int loop) {
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    const int anim = m->act == 2 && b >= 0 ? b : a;
    const int oldDir = obj->dir;
    if (mode == 2) {
        SetDir(obj, MATH_GetSector(45, obj->x, obj->y, obj->x + m->aimX, obj->y + m->aimY));
    } else if (mode == 4 && obj->target >= 0) {
        if (LIST_DATA* target = OBJ_Get(obj->target)) {
            SetDir(obj, MATH_GetSector(45, obj->x, obj->y, target->x, target->y));
        } else if (obj->vx16 != 0 || obj->vy16 != 0) {
            SetDir(obj, MATH_GetVecSector(45, obj->vx16, obj->vy16));
        }
    }
    if (anim == obj->anime && obj->dir == oldDir && SPR_IsAnime(obj->spr)) return 1;
    SPR_SetSeq(obj->spr, anim, loop, restart);
    obj->anime = i16(anim);
    return 1;
}

void MEKA_SetFrameVelocity() {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return;
    long s = m->moveSpeed;
    if (Running(m) && SYS_GetSeq(0) != kScriptScene) {
        const WAZA_DATA* waza = OBJ_GetMekaWaza(obj);
        const int shift = waza ? waza->moveShift : 0;
        // A shift of 31 or more leaves nothing (the editor allows up to 127).
        s = shift >= 31 ? 0 : s >> shift;
        if (s < m->speedFloor) s = m->speedFloor;
    }
    FIX16 vx = 0, vy = 0;
    long speed = 0;
    auto combine = [&](FIX16 ux, FIX16 uy, long v) {
        if (v == 0) return;
        if (speed != 0) {
            vx = FIX16((i64(vx) + ux) / 2);
            vy = FIX16((i64(vy) + uy) / 2);
            speed += v;
        } else {
            vx = ux;
            vy = uy;
            speed = v;
        }
    };
    combine(m->moveVx, m->moveVy, s);
    combine(m->wazaVx, m->wazaVy, m->wazaSpeed);
    combine(m->knockVx, m->knockVy, m->knockSpeed);
    obj->vx16 = vx;
    obj->vy16 = vy;
    obj->speed = SatI16(speed);
    if (m->act != 6 && m->act != 7) {
        if (m->knockSpeed > 0) {
            m->knockSpeed = i16(std::max(0, m->knockSpeed - 2));
        } else if (m->knockSpeed < 0) {
            m->knockSpeed = i16(std::min(0, m->knockSpeed + 2));
        }
    }
    BTL_SplitSpeed(obj->speed, &obj->subStepCnt, &obj->subStep);
    m->speedFloor = u8(std::max(0, m->speedFloor - 2));
}

int MEKA_Move(int gravity, int ignoreMeka) {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    if (MoveSubStep == 0) {
        const long t = m->subActCnt[3];
        const long dz = gravity ? std::clamp<long>(obj->zSpeed - t * t / 8, -24, 24) : obj->zSpeed;
        long z = obj->z + dz;
        if (z < 0) {
            if (obj->z > 0) SE_Play(34, 0);
            z = 0;
        }
        obj->z = i32(std::min(z, 400L));
    }
    FIX16 nx = FIX16(u32(obj->x16) + u32(i64(obj->vx16) * obj->subStep));
    FIX16 ny = FIX16(u32(obj->y16) + u32(i64(obj->vy16) * obj->subStep));
    if ((nx >> 16) == obj->x && (ny >> 16) == obj->y) {
        // The fraction is kept: slow speeds still add up to whole pixels.
        obj->x16 = nx;
        obj->y16 = ny;
        return 0;
    }
    int contact = 0;
    int r = 1;
    for (int i = 0; i < kMoveRetryMax && r == 1; i++) {
        r = HIT_MoveMeka(&nx, &ny, ignoreMeka, 0);
        if (r != 0) contact = 1;
    }
    if (r == -1 && !ignoreMeka) MEKA_PushApart(&nx, &ny, 1);
    MEKA_SetX16(obj, nx);
    MEKA_SetY16(obj, ny);
    return contact;
}

int MEKA_PushApart(FIX16* x16, FIX16* y16, int ignoreMeka) {
    LIST_DATA* obj = CurObj;
    if (!MekaOf(obj) || !x16 || !y16) return 0;
    LIST_DATA* other = MEKA_GetSlot(HIT_CheckMekaRect(obj));
    if (!other) return 0;
    i32 vx, vy;
    if (other->x == obj->x && other->y == obj->y) {
        vy = (plat::Rand() % 3 - 1) * 65535;
        vx = (plat::Rand() % 3 - 1) * 65535;
    } else {
        MATH_GetDirVec(other->x, other->y, obj->x, obj->y, &vx, &vy);
    }
    *x16 = FIX16(u32(*x16) + u32(vx) * 8u);
    *y16 = FIX16(u32(*y16) + u32(vy) * 8u);
    for (int i = 0; i < kMoveRetryMax && HIT_MoveMeka(x16, y16, ignoreMeka, 0) == 1; i++) {
    }
    return 1;
}

void MEKA_RenewShake() {
    for (LIST_DATA* obj : MekaSlotTbl) {
        MEKA_WORK* m = MekaOf(obj);
        if (!m) continue;
        if (m->shakePhase == 1) {
            SPR_SetSprAttr(obj->spr, 65536);
            int l1 = -1, l2 = -1;
            bool ends = false;
            switch (m->timedState) {
                case 0:
                    l1 = 15 + (plat::Rand() & 15), l2 = 0;
                    ends = true;
                    break;
                case 1: l1 = 2575 + (plat::Rand() & 15), l2 = 0; break;
                case 2: l1 = 0, l2 = 30; break;
                case 3: l1 = 2570, l2 = 15 + (plat::Rand() & 15); break;
                case 4:
                    l1 = 2575 + (plat::Rand() & 15);
                    l2 = 15 + (plat::Rand() & 15);
                    ends = true;
                    break;
                default: break;
            }
            if (l1 >= 0) {
                SPR_SetSprAttrCnt1(obj->spr, l1);
                SPR_SetSprAttrCnt2(obj->spr, l2);
            }
            if (ends) {
                m->timedState = -1;
                m->timedFrames = 0;
            }
            m->shakePhase = 2;
            continue;
        }
        // A running technique frame keeps its own blend.
        const WAZA_FRAME* frame = Running(m) ? OBJ_GetMekaFrame(obj) : nullptr;
        if (frame) {
            SPR_SetSprAttr(obj->spr, frame->attrIndex < WAZA_ATTR_MAX ? WazaAttrTbl[frame->attrIndex] : 0);
            SPR_SetSprAttrCnt1(obj->spr, i16(frame->blendLevel));
        } else {
            SPR_SetSprAttr(obj->spr, 0);
        }
        m->shakePhase = 0;
    }
}
