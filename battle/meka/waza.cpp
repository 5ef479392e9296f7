#include "battle/meka/waza.h"

#include <algorithm>
#include <climits>

#include "battle/battle.h"
#include "battle/data/meka_type.h"
#include "battle/data/waza_data.h"
#include "battle/effect/eft.h"
#include "battle/meka/hit.h"
#include "battle/meka/meka.h"
#include "battle/meka/meka_act.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "battle/tama/tama.h"
#include "graphics/sprite/spr.h"
#include "screens/btl/btl.h"
#include "screens/save/save.h"
#include "shell/common.h"
#include "shell/input/key.h"
#include "shell/math.h"
#include "shell/sound/sound.h"

WAZA_DATA* CurWaza = nullptr;
WAZA_MOTION* CurMotion = nullptr;
WAZA_FRAME* CurFrame = nullptr;

const u32 WazaAttrTbl[WAZA_ATTR_MAX] = {0,    1,    2,  4,  8,   1024, 2048,  16,     4096,
                                        8192, 32,   64, 128, 256, 512, 65536, 131072, 262144};

namespace {

constexpr int kEffectTypes = 25;
constexpr int kGaugeCap = 130;

// Step entries since the outermost engine call began: the step machine calls itself through
// branches and loops, and data can make that circle for ever.
int EngineDepth = 0;
int StepEntries = 0;

struct EngineCall {
    EngineCall() {
        if (EngineDepth++ == 0) StepEntries = 0;
    }
    ~EngineCall() { --EngineDepth; }
    EngineCall(const EngineCall&) = delete;
    EngineCall& operator=(const EngineCall&) = delete;
};

MEKA_WORK* MekaOf(LIST_DATA* obj) { return obj && obj->use && obj->kind == OBJ_KIND_MEKA ? obj->meka : nullptr; }

// CurObj's record, made CurMeka; null when CurObj is no live mech.
MEKA_WORK* Current() {
    MEKA_WORK* m = MekaOf(CurObj);
    if (m) CurMeka = m;
    return m;
}

bool Running(const MEKA_WORK* m) { return m->subAct == 1 || m->subAct == 2; }

i16 SatI16(long v) { return i16(std::clamp<long>(v, SHRT_MIN, SHRT_MAX)); }

void SetDir(LIST_DATA* obj, int dir) {
    obj->dir = i8(dir & 7);
    if (SPR_DATA* spr = SPR_GetSpr(obj->spr)) spr->pageOffset = u8(obj->dir);
}

void Turn(LIST_DATA* obj, int eighths) { SetDir(obj, obj->dir + eighths); }

// A frame in wait mode 2, 3 or 4, or with the wait value 255, loops its animation.
int FrameLoops(const WAZA_FRAME* f) { return (f->waitMode >= 2 && f->waitMode <= 4) || f->wait == 255; }

void SetSprLoop(LIST_DATA* obj) {
    if (SPR_DATA* spr = SPR_GetSpr(obj->spr)) spr->last = 1;
}

int MekaHitsLanded(const MEKA_WORK* m) { return CurMotion ? CurMotion->mekaHitLimit - m->mekaHits : 0; }

// The first kind-1 branch of the current step whose window the landed hits reach: its step entered
// (1 or 0 as WAZA_SetStep), or -1 when none applies.
int CheckHitBranch(MEKA_WORK* m) {
    if (!CurWaza) return -1;
    for (const WAZA_BRANCH& b : CurWaza->branch) {
        if (b.from != m->step || b.kind != 1) continue;
        if (b.window <= MekaHitsLanded(m)) return WAZA_SetStep(b.to);
    }
    return -1;
}

// The hit checks, the running animation and the debris of a running frame.
void RenewFrameBody(LIST_DATA* obj, MEKA_WORK* m) {
    if (!CurWaza || !CurMotion || !CurFrame) return;
    if (m->hitDelay < 1 && CurFrame->hitField) {
        HIT_ClearFlag();
        const int checks = std::max(1, 64 - int(CurMotion->hitCount));
        for (int i = 0; i < checks && m->wazaHitCnt < CurWaza->hitLimit && obj->use; i++) HIT_Check(1, 0);
    } else {
        m->hitDelay--;
    }
    if (!obj->use || !CurFrame) return;
    MEKA_SetAnim(obj, CurFrame->anim, CurFrame->boostAnim, CurMotion->facingMode, 0, FrameLoops(CurFrame));
    const int debris = int(CurMotion->debris) - 1;
    if (debris >= 0 && debris < kEffectTypes) EFT_CreateDebris(debris, 8, 4);
}

}  // namespace

int WAZA_CheckTrigger(int pending) {
    EngineCall call;
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = Current();
    if (!m) return 0;
    if (FightOver || !OBJ_Get(obj->target)) return 0;
    const u16 trg = SysKey.trigger;
    const int r = trg & (16 | 32 | 64) ? -1 : 0;
    if (m->act >= 6 && m->act <= 8) return r;
    if (!m->special) {
        if (m->gauge != 0) return r;
    } else if (m->stepMark == 0 || m->gauge >= kGaugeCap) {
        return 0;
    }
    if (SysKey.source == KEY_SOURCE_NONE) return 0;
    int col;
    if (trg & 16) {
        col = 0;
    } else if (trg & 32) {
        col = 1;
    } else if (trg & 64) {
        col = 2;
    } else {
        return 0;
    }
    int row;
    if (m->act == 5) {
        row = 2;
    } else if (m->act == 2 && m->actStep < 2) {
        row = 3;
    } else {
        LIST_DATA* target = OBJ_Get(obj->target);
        row = MATH_GetDist2(obj->x, obj->y, target->x, target->y) > 10000 ? 1 : 0;
    }
    while (m->slotFlag[col + 3 * row]) {
        if (++row > 3) return -1;
    }
    const int entry = GameData.equip[3 * row + col];
    const int group = entry / 3;
    const int level = (group >= 0 && group < GAME_EXP_MAX ? GameData.exp[group].level : 0) + BtlLevelBonus;
    const int n = level >= 2 ? entry + 2 : entry + level;
    const WAZA_DATA* waza = WAZA_GetData(m->type, n);
    if (!waza) {
        DebugMsg("WAZA_CheckTrigger: mech type %d has no technique %d", m->type, n);
        return -1;
    }
    if (obj->z > 0 && waza->airFlag == 0) return -1;
    if (pending) {
        m->pendingWaza = n;
    } else {
        WAZA_Start(obj, n);
    }
    m->slotFlag[col + 3 * row] = 1;
    PNL_SetSlotMark(1, row, col);
    return 1;
}

int WAZA_Start(LIST_DATA* obj, int n) {
    EngineCall call;
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    WAZA_DATA* waza = WAZA_GetData(m->type, n);
    if (!waza) {
        DebugMsg("WAZA_Start: mech type %d has no technique %d (count %d)", m->type, n, WAZA_GetCount(m->type));
        return 0;
    }
    CurObj = obj;
    CurMeka = m;
    CurTargetObj = OBJ_Get(obj->target);
    CurWaza = waza;

    m->stepMark = waza->motion[0].stepMarker;
    m->recovery = 0;
    m->waza = i16(n);
    m->wazaFlag = 1;
    m->frameCnt = m->frameTime = 0;
    m->hitDelay = 0;
    std::fill(std::begin(m->loopCnt), std::end(m->loopCnt), u8(0));
    // The hit limit counts this use's hits only.
    m->wazaHitCnt = 0;
    m->speedFloor = u8(std::clamp<int>(std::min(m->moveSpeed, m->dashSpeed), 0, 255));
    MEKA_SetSubAct(obj, 1);

    if (waza->cost != 0) {
        m->special = 1;
        PNL_SetGaugeRect(obj->mekaNo, 0);
        MEKA_AddGauge(obj, WAZA_GetCost(obj->mekaNo, n));
        const int stored = std::min<int>(m->histCnt, MEKA_HIST_MAX);
        m->repeat = u8(std::count(m->wazaHist, m->wazaHist + stored, i16(n)));
        // CPU and scripted chains set no slot flags to stop them: the history keeps its first 25.
        if (m->histCnt < MEKA_HIST_MAX) m->wazaHist[m->histCnt++] = i16(n);
    }

    if (m->ctrl == MEKA_CTRL_PLAYER && n / 3 < GAME_EXP_MAX) {
        WAZA_EXP& e = GameData.exp[n / 3];
        const long gain = (long(waza->expBase) / 2 - e.penalty) * ((long(m->histCnt) - 1) * 10 + 100) / 100;
        e.exp = SatI16(long(e.exp) + (gain < 2 ? 1 : gain));
        e.penalty = SatI16(long(e.penalty) + 10);
        e.useCnt++;
    }
    return WAZA_SetStep(0);
}

void WAZA_End() {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = Current();
    if (!m) return;
    const MEKA_WORK* target = MekaOf(OBJ_Get(obj->target));
    if (!target || target->act < 6) m->recovery = 10;
    obj->zSpeed = 0;
    m->stepMark = 1;
    MEKA_SetSubAct(obj, 0);
}

int WAZA_SetStep(int s) {
    EngineCall call;
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = Current();
    if (!m) return 0;
    if (++StepEntries > WAZA_STEP_ENTRY_MAX) {
        if (StepEntries == WAZA_STEP_ENTRY_MAX + 1)
            DebugMsg("WAZA_SetStep: technique %d of mech type %d steps without end; ended", m->waza, m->type);
        WAZA_End();
        return 0;
    }
    if (!CurWaza || s < 0 || s >= WAZA_STEP_MAX || CurWaza->stepTbl[s] >= WAZA_MOTION_MAX) {
        WAZA_End();
        return 0;
    }
    m->step = u8(s);
    m->motion = CurWaza->stepTbl[s];
    CurMotion = &CurWaza->motion[m->motion];
    m->stepMark = CurMotion->stepMarker;

    if ((CurMotion->stepFlags & 4) && obj->z > 0) return WAZA_NextStep(0);

    m->slideMask = u8(((CurMotion->stepFlags & 16) ? 1 : 0) | ((CurMotion->stepFlags & 32) ? 2 : 0));
    m->subActCnt[3] = 0;
    m->wazaSpeed = CurMotion->speed;
    obj->zSpeed = CurMotion->zSpeed;
    m->mekaHits = CurMotion->mekaHitLimit;
    m->shotHits = CurMotion->shotHitLimit;

    // Frame 0 may already move on to another step or end the technique: that step is then the one
    // entered, and this one sets nothing more.
    const int entries = StepEntries;
    WAZA_SetFrame(0);
    if (StepEntries != entries || !Running(m)) return Running(m) ? 1 : 0;

    LIST_DATA* target = OBJ_Get(obj->target);
    switch (CurMotion->velocityMode) {
        case 0: m->wazaSpeed = 0; break;
        case 1:
        case 2: {
            const bool toTarget = CurMotion->velocityMode == 1;
            if (toTarget && !target) break;
            const i32 px = toTarget ? target->x : obj->x + m->aimX;
            const i32 py = toTarget ? target->y : obj->y + m->aimY;
            i32 rx = px, ry = py;
            if (CurMotion->angleOffset != 0) MATH_RotatePointFix(&rx, &ry, obj->x, obj->y, px, py, CurMotion->angleOffset);
            MATH_GetDirVec(obj->x, obj->y, rx, ry, &m->wazaVx, &m->wazaVy);
            break;
        }
        default: break;
    }

    if (CurMotion->facingMode == 1) {
        SetDir(obj, MATH_GetSector(45, obj->x, obj->y, obj->x + m->aimX, obj->y + m->aimY));
    } else if (CurMotion->facingMode == 3) {
        SetDir(obj, target ? MATH_GetSector(45, obj->x, obj->y, target->x, target->y)
                           : MATH_GetVecSector(45, m->wazaVx, m->wazaVy));
    }
    // As the data expects: frame 0's turn was already made by WAZA_SetFrame and is made once more.
    if (CurFrame) Turn(obj, CurFrame->turn);

    if (CurMotion->cutIn && (obj->mekaNo == 0 || obj->mekaNo == 1)) {
        CutInTbl[obj->mekaNo] = i16(s);
        m->cutInCnt = 0;
    }
    return 1;
}

int WAZA_NextStep(int end) {
    EngineCall call;
    MEKA_WORK* m = Current();
    if (!m) return 0;
    if (!CurWaza) {
        WAZA_End();
        return 0;
    }
    for (int i = 0; i < WAZA_LOOP_MAX; i++) {
        const WAZA_LOOP& l = CurWaza->loop[i];
        if (l.from != m->step || m->loopCnt[i] >= l.count) continue;
        m->loopCnt[i]++;
        return WAZA_SetStep(l.to);
    }
    for (const WAZA_BRANCH& b : CurWaza->branch) {
        if (b.from != m->step) continue;
        if (b.kind == 0 && end) {
            WAZA_End();
            return 0;
        }
        if (b.kind == 2 && MekaHitsLanded(m) < b.window) return WAZA_SetStep(b.to);
    }
    return WAZA_SetStep(m->step + 1);
}

int WAZA_SetFrame(int f) {
    EngineCall call;
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = Current();
    if (!m) return 0;
    m->frame = u8(std::clamp(f, 0, 255));
    m->frameDone = 0;
    m->frameCnt = 0;
    if (!CurMotion || f < 0 || f >= WAZA_FRAME_MAX || CurMotion->frame[f].wait < 0) return WAZA_NextStep(1);

    CurFrame = &CurMotion->frame[f];
    MEKA_SetAnim(obj, CurFrame->anim, CurFrame->boostAnim, 0, 1, FrameLoops(CurFrame));
    MEKA_SetFrameWait(obj);

    // Byte 12 is the attribute's first blend level; the scale stays as it is.
    const u32 attr = CurFrame->attrIndex < WAZA_ATTR_MAX ? WazaAttrTbl[CurFrame->attrIndex] : 0;
    SPR_SetSprAttr(obj->spr, attr);
    SPR_SetSprAttrCnt1(obj->spr, i16(CurFrame->blendLevel));

    Turn(obj, CurFrame->turn);
    if (CurFrame->sound > 0) SE_Play(CurFrame->sound - 1, 0);

    const TAMA_FIRE& fire = CurMotion->fire;
    if (LIST_DATA* target = OBJ_Get(obj->target); target && (fire.aimMask & (1u << f))) {
        m->aimX = target->x - obj->x;
        m->aimY = target->y - obj->y;
    }
    if (fire.weapon >= 0 && (fire.startMask & (1u << f))) {
        TAMA_CreateLauncher(obj, &fire);
        MEKA_SetSubAct(obj, 2);
    }
    return 1;
}

int MEKA_SetFrameWait(LIST_DATA* obj) {
    MEKA_WORK* m = MekaOf(obj);
    SPR_DATA* spr = m ? SPR_GetSpr(obj->spr) : nullptr;
    if (!spr || !CurFrame || spr->group >= SPRGRP_MAX || spr->step < 0 || spr->step >= SPR_SEQ_MAX) return 1;
    const SPR_SEQ& q = SprSeqTbl[spr->group][spr->step];
    const int n = std::min<int>(q.count, MEKA_WAIT_MAX);
    if (n < 1 || !q.steps) return 1;
    const long v = CurFrame->wait;
    long w[MEKA_WAIT_MAX];
    long sum = 0;
    for (int i = 0; i < n; i++) sum += long(q.steps[i].wait) + 1;
    for (int i = 0; i < n; i++) {
        const long d = q.steps[i].wait;
        switch (CurFrame->waitMode) {
            case 0: w[i] = n >= 2 ? (d + 1) * v / sum - 1 : v; break;
            case 1: w[i] = v == 100 ? d : (d + 1) * v / 100 - 1; break;
            default: w[i] = d; break;  // 2, 3, 4 and above: the set's own durations
        }
        // A short total gives -1: it shows for one update, as 0 does.
        m->frameWait[i] = u16(std::clamp<long>(w[i], 0, 65535));
    }
    if (CurFrame->waitMode == 2) m->frameTimer = u16(std::max<long>(v, 0));
    if (FrameLoops(CurFrame)) spr->last = 1;
    spr->wait = i16(std::clamp<long>(w[0], 1, SHRT_MAX));
    return 1;
}

int WAZA_CheckBranch() {
    EngineCall call;
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = Current();
    if (!m || !Running(m)) return 0;
    const int branched = CheckHitBranch(m);
    if (branched >= 0) return branched;
    if (!CurFrame) return 1;
    const int mode = CurFrame->waitMode;
    if (mode >= 2 && mode <= 4) SetSprLoop(obj);
    switch (mode) {
        case 0:
        case 1:
            if (m->frameDone) return WAZA_SetFrame(m->frame + 1);
            break;
        case 2:
            if (m->frameTimer == 0) return WAZA_SetFrame(m->frame + 1);
            m->frameTimer--;
            break;
        case 3:
            if (obj->z < 1) return WAZA_SetFrame(m->frame + 1);
            break;
        default: break;
    }
    return 1;
}

void WAZA_RenewSpeed() {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = Current();
    if (!m || !CurMotion) return;
    const WAZA_MOTION& mo = *CurMotion;
    long s = long(m->wazaSpeed) + mo.speedAdd;
    if (s < mo.speedMin) s = mo.speedMin;
    if (s > mo.speedMax) s = mo.speedMax;
    m->wazaSpeed = SatI16(s);
    long z = long(obj->zSpeed) + mo.zSpeedAdd;
    if (z < mo.zSpeedMin) z = mo.zSpeedMin;
    if (z > mo.zSpeedMax) z = mo.zSpeedMax;
    obj->zSpeed = SatI16(z);
}

int WAZA_RenewFrame(int* flag) {
    EngineCall call;
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = Current();
    if (!m) return 0;
    if (!CurWaza || !CurMotion) {  // the technique's data went away under it
        WAZA_End();
        return 1;
    }
    if (m->subActCnt[0] == 0) {
        m->subActCnt[0] = 1;
        m->frameCnt = 0;
    }
    WAZA_RenewSpeed();
    WAZA_CheckBranch();
    if (m->subAct == 0) {
        m->wazaSpeed = 0;
    } else if (m->subAct == 1) {
        RenewFrameBody(obj, m);
    }
    if (flag && CurMotion) *flag = CurMotion->stepFlags & 2 ? 1 : 0;
    m->frameCnt++;
    m->frameTime++;
    return 1;
}

int WAZA_RenewFrameEnd(int* flag) {
    EngineCall call;
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = Current();
    if (!m) return 0;
    if (!CurWaza || !CurMotion) {
        WAZA_End();
        return 1;
    }
    WAZA_RenewSpeed();
    CheckHitBranch(m);
    if (!Running(m) || !CurFrame) return 1;
    bool ended = false;
    switch (CurFrame->waitMode) {
        case 0:
        case 1: ended = m->frameDone != 0; break;
        case 2: ended = --m->subActCnt[1] < 0; break;
        case 3:
            SetSprLoop(obj);
            ended = obj->z < 1;
            break;
        case 4: ended = obj->child < 0; break;
        default: break;
    }
    if (ended) {
        MEKA_SetSubAct(obj, 1);
        WAZA_SetFrame(m->frame + 1);
        if (m->subAct != 1) return 1;
    }
    RenewFrameBody(obj, m);
    if (flag && CurMotion) *flag = CurMotion->stepFlags & 2 ? 1 : 0;
    return 1;
}

int WAZA_GetBaseCost(int slot, int n) {
    const MEKA_WORK* m = MekaOf(MEKA_GetSlot(slot));
    const WAZA_DATA* waza = m ? WAZA_GetData(m->type, n) : nullptr;
    if (!waza) return 0;
    switch (waza->costKind) {
        case 0: return int(long(waza->cost) * m->stat3 / 100);
        case 1: return int(long(waza->cost) * m->stat6 / 100);
        case 2: return waza->cost;
        default: return 0;
    }
}

int WAZA_GetCost(int slot, int n) {
    const MEKA_WORK* m = MekaOf(MEKA_GetSlot(slot));
    if (!m) return 0;
    const int c = WAZA_GetBaseCost(slot, n);
    if (m->ctrl != MEKA_CTRL_PLAYER) return std::min(c, kGaugeCap);
    const int mastery = n >= 0 && n / 3 < GAME_EXP_MAX ? GameData.exp[n / 3].mastery : 0;
    return std::min(c - std::min(mastery, c / 3 * 2), kGaugeCap);
}

int WAZA_GetHalfCost(int slot, int n, int* out) {
    const MEKA_WORK* m = MekaOf(MEKA_GetSlot(slot));
    const WAZA_DATA* waza = WAZA_GetData(m ? m->type : 0, n);
    long c = 0;
    if (waza) {
        switch (waza->costKind) {
            case 0: c = long(waza->cost) * GameData.start[9] / 100; break;
            case 1: c = long(waza->cost) * GameData.start[10] / 100; break;
            case 2: c = waza->cost; break;
            default: break;
        }
    }
    if (out) *out = int(c / 2);
    return 0;
}
