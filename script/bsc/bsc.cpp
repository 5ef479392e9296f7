#include "script/bsc/bsc.h"

#include <algorithm>

#include "battle/effect/eft.h"
#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/map/mapcol.h"
#include "battle/map/scr.h"
#include "battle/meka/meka.h"
#include "battle/meka/meka_act.h"
#include "battle/meka/waza.h"
#include "battle/object/obj.h"
#include "battle/tama/tama.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "screens/btl/btl.h"
#include "screens/save/save.h"
#include "script/core/ass.h"
#include "script/core/scr_data.h"
#include "shell/common.h"
#include "shell/math.h"
#include "shell/sound/sound.h"

BSC_QUEUE BscQueueTbl[BSC_QUEUE_MAX];
i32 BscActCnt = 0;
i32 BscMode = 0;

const BSC_ACT_FUNC BscActTbl[9] = {mBSC_ActStand, mBSC_ActWalk, mBSC_ActBoost, mBSC_ActBoost, mBSC_ActBoost,
                                   mBSC_ActDash,  MEKA_ActHit,  MEKA_ActBlown, MEKA_ActDown};

namespace {

constexpr int kEftBomb = 0;
constexpr int kEftBlast = 14;
constexpr int kEftAfterImage = 24;

bool ValidSlot(int slot) { return slot >= 0 && slot < BSC_QUEUE_MAX; }

MEKA_WORK* MekaOf(LIST_DATA* obj) { return obj && obj->use && obj->kind == OBJ_KIND_MEKA ? obj->meka : nullptr; }

bool Running(const MEKA_WORK* m) { return m->subAct == 1 || m->subAct == 2; }

int SlotOf(const LIST_DATA* obj) {
    for (int s = 0; s < MEKA_SLOT_MAX; s++)
        if (obj && MekaSlotTbl[s] == obj) return s;
    return -1;
}

void Recount() {
    BscActCnt = 0;
    for (const BSC_QUEUE& q : BscQueueTbl) BscActCnt += q.share;
}

void AddShare(int slot, int d) {
    BSC_QUEUE& q = BscQueueTbl[slot];
    q.share = std::max(0, q.share + d);
    Recount();
}

void EmptyQueue(int slot) {
    BscQueueTbl[slot] = BSC_QUEUE{};
    BscQueueTbl[slot].cur = -1;
    BscQueueTbl[slot].saved = -1;
    Recount();
}

int FreeStep(const BSC_QUEUE& q) {
    for (int i = 0; i < BSC_STEP_MAX; i++)
        if (!q.step[i].used) return i;
    return -1;
}

void SetDir(LIST_DATA* obj, int dir) {
    obj->dir = i8(dir & 7);
    if (SPR_DATA* spr = SPR_GetSpr(obj->spr)) spr->pageOffset = u8(obj->dir);
}

void Place(LIST_DATA* obj, int x, int y, int dir) {
    MEKA_SetX(obj, x);
    MEKA_SetY(obj, y);
    if (dir >= 0 && dir < 8) SetDir(obj, dir);
}

// The current step of CurObj's queue when it is a move, else null.
BSC_STEP* CurMove(int* slotOut) {
    const int slot = SlotOf(CurObj);
    if (slot < 0) return nullptr;
    BSC_QUEUE& q = BscQueueTbl[slot];
    if (q.cur < 0 || q.cur >= BSC_STEP_MAX || q.step[q.cur].kind != BSC_KIND_MOVE) return nullptr;
    *slotOut = slot;
    return &q.step[q.cur];
}

i64 Dist2(const LIST_DATA* obj, const BSC_STEP& s) {
    const i64 dx = i64(s.x) - obj->x, dy = i64(s.y) - obj->y;
    return dx * dx + dy * dy;
}

// Counts the frames a move runs without coming nearer its point; true once it has given up.
bool Stalled(int slot, const LIST_DATA* obj, const BSC_STEP& s, bool moving) {
    BSC_QUEUE& q = BscQueueTbl[slot];
    const i64 d = Dist2(obj, s);
    if (q.best < 0 || d < q.best) {
        q.best = d;
        q.stall = 0;
        return false;
    }
    if (moving && ++q.stall >= BSC_STALL_FRAMES) {
        DebugMsg("mBSC: slot %d gave up a move short of (%d, %d)", slot, s.x, s.y);
        return true;
    }
    return false;
}

// The move is over: the next step starts, or the mech stands and its queue ends.
void Arrive(int slot, LIST_DATA* obj, MEKA_WORK* m, const BSC_STEP& s, bool snap) {
    if (snap) {
        MEKA_SetX16(obj, FIX16(u32(s.x) << 16));
        MEKA_SetY16(obj, FIX16(u32(s.y) << 16));
    }
    m->moveSpeed = 0;
    if (mBSC_Chr_Step_Start(slot, BscQueueTbl[slot].cur + 1) < 0) {
        MEKA_SetAct(obj, 0);
        AddShare(slot, -1);
    }
}

void FaceMove(LIST_DATA* obj, const MEKA_WORK* m) { SetDir(obj, MATH_GetVecSector(45, m->moveVx, m->moveVy)); }

i32 Param() {
    i32 v = 0;
    ASS_GetScriptParam(&v);
    return v;
}

void FullRedraw() { SCR_Redraw(CamData.x, CamData.y); }

}  // namespace

// ---- queues ----

int mBSC_Chr_Mov_Set(int slot, int x, int y, int code, int mode, int wait) {
    LIST_DATA* obj = MEKA_GetSlot(slot);
    // The code indexes the action table: one outside it is refused like an empty slot.
    if (!obj || code < 0 || code >= 9) {
        DebugMsg("Error:mBSC_Chr_Mov_Set");
        return -1;
    }
    BSC_QUEUE& q = BscQueueTbl[slot];
    const int n = FreeStep(q);
    if (n < 0) {
        DebugMsg("mBSC_Chr_Mov_Set関数のエラー：最大範囲を超えて移動情報を設定しようとしました。");
        return -1;
    }
    q.step[n] = BSC_STEP{1, BSC_KIND_MOVE, x, y, code, mode == 1 ? 2 : mode == 2 ? 4 : 0, wait};
    MEKA_SetAct(obj, code);
    return 0;
}

int mBSC_Chr_Dir_Set(int slot, int dir, int wait) {
    const int n = MEKA_GetSlot(slot) ? FreeStep(BscQueueTbl[slot]) : -1;
    if (n < 0) {
        DebugMsg("Error:mBSC_Chr_Dir_Set");
        return -1;
    }
    BscQueueTbl[slot].step[n] = BSC_STEP{1, BSC_KIND_DIR, 0, 0, 0, std::clamp(dir, -1, 7), wait};
    return 0;
}

int mBSC_Chr_Waza_Set(int slot, int waza, int level, int wait) {
    LIST_DATA* obj = MEKA_GetSlot(slot);
    BSC_QUEUE* q = obj ? &BscQueueTbl[slot] : nullptr;
    int n = q ? FreeStep(*q) : -1;
    // An empty queue first turns to where the mech faces, so the technique has a step before it.
    if (n == 0) {
        q->step[0] = BSC_STEP{1, BSC_KIND_DIR, 0, 0, 0, obj->dir, 0};
        n = FreeStep(*q);
    }
    if (n < 0) {
        DebugMsg("Error:mBSC_Chr_Waza_Set");
        return -1;
    }
    q->step[n] = BSC_STEP{1, BSC_KIND_WAZA, 0, 0, waza * 3 + std::clamp(level, 0, 2), 0, wait};
    return 0;
}

int mBSC_Chr_Step_Start(int slot, int n) {
    LIST_DATA* obj = MEKA_GetSlot(slot);
    MEKA_WORK* m = MekaOf(obj);
    if (!m || n < 0 || n >= BSC_STEP_MAX || !BscQueueTbl[slot].step[n].used) return -1;
    BSC_QUEUE& q = BscQueueTbl[slot];
    BSC_STEP& s = q.step[n];
    q.cur = n;
    q.best = -1;
    q.stall = 0;
    switch (s.kind) {
        case BSC_KIND_MOVE:
            MEKA_SetAct(obj, s.code);
            if (s.code == 5 && (s.x == BSC_AUTO || s.y == BSC_AUTO)) {
                if (LIST_DATA* target = OBJ_Get(obj->target)) {
                    MATH_GetDirVec(obj->x, obj->y, target->x, target->y, &m->moveVx, &m->moveVy);
                } else {
                    MEKA_SetDirSpeed(obj, obj->dir, 65535);
                }
                const i64 reach = i64(m->dashSpeed) * m->dashTime;
                s.x = i32((i64(obj->x16) + i64(m->moveVx) * reach) >> 16);
                s.y = i32((i64(obj->y16) + i64(m->moveVy) * reach) >> 16);
            }
            break;
        case BSC_KIND_DIR:
            if (!Running(m)) {
                if (s.mode >= 0) SetDir(obj, s.mode);
                MEKA_SetAnim(obj, 6, -1, 0, 1, 1);
            }
            break;
        case BSC_KIND_WAZA: WAZA_Start(obj, s.code); break;
        default: break;
    }
    return s.kind;
}

void mBSC_Chr_Start_All() {
    for (BSC_QUEUE& q : BscQueueTbl) q.share = 0;
    BscActCnt = 0;
    for (int slot = 0; slot < BSC_QUEUE_MAX; slot++) {
        if (!MEKA_GetSlot(slot) || !BscQueueTbl[slot].step[0].used) continue;
        BscQueueTbl[slot].cur = 0;
        mBSC_Chr_Step_Start(slot, 0);
        AddShare(slot, 1);
    }
    BscMode = 1;
}

int mBSC_Chr_Exec() {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = MekaOf(obj);
    const int slot = SlotOf(obj);
    if (!m || slot < 0) return 0;
    BSC_QUEUE& q = BscQueueTbl[slot];
    int result = 0;
    // A hit is always seen through, script on or off, or the mech would keep its hit pose.
    if (q.cur >= BSC_INTERRUPTED) {
        if (m->act >= 0 && m->act < 9) BscActTbl[m->act](&result);
        if (m->act == 6 || m->act == 7) return 1;
        const int saved = q.saved;
        q.cur = -1;
        // A spent step is not replayed: its queue had already ended.
        if (saved >= 0 && saved < BSC_STEP_MAX && q.step[saved].kind != BSC_KIND_SPENT)
            mBSC_Chr_Step_Start(slot, saved);
        else if (saved >= 0)
            q.cur = saved;
        AddShare(slot, -1);
        return 1;
    }
    if (!BscMode || q.cur < 0 || q.cur >= BSC_STEP_MAX) return 0;
    BSC_STEP& s = q.step[q.cur];
    switch (s.kind) {
        case BSC_KIND_MOVE:
            if (m->act >= 0 && m->act < 9) BscActTbl[m->act](&result);
            return 1;
        case BSC_KIND_DIR:
            if (s.mode < 0) {
                if (LIST_DATA* target = OBJ_Get(obj->target))
                    SetDir(obj, MATH_GetSector(45, obj->x, obj->y, target->x, target->y));
            }
            [[fallthrough]];
        case BSC_KIND_WAZA:
            if (--s.wait < 0 && mBSC_Chr_Step_Start(slot, q.cur + 1) < 0) {
                AddShare(slot, -1);
                s.kind = BSC_KIND_SPENT;
            }
            return 1;
        default: return 0;
    }
}

void mBSC_Chr_Interrupt(int slot, int value) {
    if (!ValidSlot(slot)) return;
    BSC_QUEUE& q = BscQueueTbl[slot];
    if (q.cur >= BSC_INTERRUPTED) return;
    q.saved = q.cur;
    q.cur = value;
    AddShare(slot, 1);
}

int mBSC_GetActCount() {
    if (!BscMode) return -1;
    // A camera of speed 0 stays where it is: waiting for it to arrive would wait for good.
    const bool camMoving = CamData.speed > 0 && !CAM_CheckStop();
    if (TAMA_GetShotCount() > 0 || camMoving) return 999;
    return BscActCnt;
}

void mBSC_Clear() {
    for (int slot = 0; slot < BSC_QUEUE_MAX; slot++) EmptyQueue(slot);
    BscActCnt = 0;
    BscMode = 0;
}

void mBSC_Init() {
    BTL_InitBattle();
    ASS_SetGameFunc(mBSC_AnalysisFunc);
    mBSC_Clear();
    CAM_SetMode(CAM_MODE_FIXED);
    mBSC_Cam_Step_Set(0, 0);
    mBSC_Cam_Speed_Set(0, 0);
    mBSC_Cam_Chase_Set(0, -1);
}

// ---- mechs ----

int mBSC_Chr_Create(int slot, int team, int ctrl, int type, int x, int y) {
    MEKA_Create(slot, team, ctrl, type, x, y);
    return 0;
}

int mBSC_Chr_Del(int slot) {
    LIST_DATA* obj = MEKA_GetSlot(slot);
    const int index = obj ? obj->index : -1;
    if (MEKA_Delete(slot) == -999) return -999;
    for (LIST_DATA* other : MekaSlotTbl)
        if (other && other->target == index) MEKA_SelectTarget(other, 3, -1);
    return 0;
}

int mBSC_Chr_Target_Set(int slot, int mode, int n) {
    MEKA_SelectTarget(MEKA_GetSlot(slot), mode, n);
    return 0;
}

int mBSC_Chr_Pos_Set(int, int x, int y, int dir) {
    if (MekaOf(CurObj)) Place(CurObj, x, y, dir);
    return 0;
}

// ---- camera ----

int mBSC_Cam_Fix_Set() {
    CAM_SetMode(CAM_MODE_FIXED);
    return 0;
}

int mBSC_Cam_Point_Set(int x, int y) {
    CAM_SetMode(CAM_MODE_POINT);
    const i32 vw = MapData ? MapData->viewW : 640, vh = MapData ? MapData->viewH : 480;
    CamData.fixX = std::max(std::min(x, ScrRangeRect.right - (vw - 320)), ScrRangeRect.left + 320);
    CamData.fixY = std::max(std::min(y, ScrRangeRect.bottom - (vh - 240)), ScrRangeRect.top + 240);
    return 0;
}

int mBSC_Cam_Chase_Set(int a, int b) {
    CAM_Setup(CAM_MODE_FOLLOW, MEKA_GetSlot(a), b >= 0 ? MEKA_GetSlot(b) : nullptr);
    return 0;
}

int mBSC_Cam_Pos_Set(int x, int y) {
    CAM_SetPos(x, y);
    return 0;
}

int mBSC_Cam_Step_Set(int a, int b) {
    CAM_SetSpeed(0, a, b);
    return 0;
}

int mBSC_Cam_Speed_Set(int a, int b) {
    CAM_SetLimit(a, b);
    return 0;
}

// ---- set pieces ----

int mBSC_Bomb(int flag, int x, int y, int z) {
    if (flag != 0) return 0;
    EFT_Create(kEftBomb, nullptr, x, y, z);
    for (int i = 0; i < 20; i++) {
        const int dy = 64 - plat::Rand() % 129;
        const int dx = 64 - plat::Rand() % 129;
        EFT_Create(kEftBlast, nullptr, x + dx, y + dy, z);
    }
    SE_Play(9, 0);
    SCR_SetQuake(-1, -1, 16);
    return 0;
}

int mBSC_Test_Set() {
    MAP_Open(0, 0, 0);
    mBSC_Chr_Create(0, 0, MEKA_CTRL_PLAYER, 0, 800, 600);
    mBSC_Chr_Create(1, 1, MEKA_CTRL_CPU, 10, 1100, 600);
    mBSC_Cam_Pos_Set(800, 600);
    mBSC_Cam_Chase_Set(0, 1);
    mBSC_Cam_Step_Set(1, 16);
    mBSC_Cam_Speed_Set(120, 80);
    FullRedraw();
    return 0;
}

// ---- the command set ----

int mBSC_AnalysisFunc(i32 n) {
    switch (n) {
        case 0:
            ASS_ReadDummyScrData(1);
            mBSC_Chr_Start_All();
            ASS_StopScript();
            return 1;
        case 1:
            ASS_ReadDummyScrData(1);
            mBSC_Chr_Start_All();
            return 1;
        case 2:
            ASS_ReadDummyScrData(1);
            if (mBSC_GetActCount() > 0) ASS_StopScript();
            return 1;
        case 3: {
            const i32 map = Param(), sub = Param(), flag = Param(), x = Param(), y = Param();
            MAP_Open(map, sub, flag);
            CAM_SetPos(x, y);
            ASS_SetClearSurfFlag(0);
            return 0;
        }
        case 4: MAP_Close(); return 0;
        case 5: {
            const i32 x = Param(), y = Param();
            CAM_SetMode(CAM_MODE_FIXED);
            CAM_SetPos(x, y);
            FullRedraw();
            return 0;
        }
        case 6: {
            const i32 x = Param(), y = Param();
            mBSC_Cam_Point_Set(x, y);
            return 0;
        }
        case 7: {
            const i32 a = Param(), b = Param();
            mBSC_Cam_Step_Set(a, b);
            return 0;
        }
        case 8: {
            const i32 a = Param(), b = Param();
            mBSC_Cam_Speed_Set(a, b);
            return 0;
        }
        case 9: mBSC_Cam_Fix_Set(); return 0;
        case 10: {
            const i32 a = Param(), b = Param();
            mBSC_Cam_Chase_Set(a, b);
            return 0;
        }
        case 11: FullRedraw(); return 0;
        case 12:
        case 13:
        case 14: {
            i32 slot = Param(), team = 0, ctrl = MEKA_CTRL_PLAYER, type = 0;
            if (n == 12) team = Param(), ctrl = Param(), type = Param();
            const i32 x = Param(), y = Param();
            if (n == 14) team = 1, ctrl = MEKA_CTRL_CPU, type = Param();
            if (!ValidSlot(slot)) {
                DebugMsg("mBSC: command %d: no mech slot %d", n, slot);
                return 0;
            }
            // A replaced mech's queue goes with it.
            EmptyQueue(slot);
            mBSC_Chr_Create(slot, team, ctrl, type, x, y);
            return 0;
        }
        case 15: {
            const i32 slot = Param();
            if (slot >= BSC_QUEUE_MAX) {
                DebugMsg("mBSC: command 15: no mech slot %d", slot);
                return 0;
            }
            for (int s = slot < 0 ? 0 : slot; s <= (slot < 0 ? BSC_QUEUE_MAX - 1 : slot); s++) {
                EmptyQueue(s);
                mBSC_Chr_Del(s);
            }
            return 0;
        }
        case 16: {
            const i32 slot = Param(), x = Param(), y = Param(), code = Param(), mode = Param(), wait = Param();
            mBSC_Chr_Mov_Set(slot, x, y, code, mode, wait);
            return 0;
        }
        case 17: {
            const i32 slot = Param(), dir = Param(), wait = Param();
            mBSC_Chr_Dir_Set(slot, dir, wait);
            return 0;
        }
        case 18: {
            const i32 slot = Param(), waza = Param(), level = Param(), wait = Param();
            mBSC_Chr_Waza_Set(slot, waza, level, wait);
            return 0;
        }
        case 19: {
            const i32 slot = Param(), mode = Param(), k = Param();
            if (!MEKA_GetSlot(slot)) {
                DebugMsg("mBSC: command 19: no mech in slot %d", slot);
                return 0;
            }
            mBSC_Chr_Target_Set(slot, mode, k);
            return 0;
        }
        case 20: {
            const i32 slot = Param(), x = Param(), y = Param(), dir = Param();
            LIST_DATA* obj = MEKA_GetSlot(slot);
            if (!obj) {
                DebugMsg("mBSC: command 20: no mech in slot %d", slot);
                return 0;
            }
            Place(obj, x, y, dir);
            return 0;
        }
        case 21: {
            const i32 level = std::clamp(Param(), 0, 2);
            for (i16& e : GameData.equip) e = i16(e / 3 * 3 + level);
            return 0;
        }
        case 23: {
            const i32 flag = Param(), x = Param(), y = Param(), z = Param();
            mBSC_Bomb(flag, x, y, z);
            return 0;
        }
        default: return 0;
    }
}

// ---- scripted action states ----

int mBSC_ActStand(int*) {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = MekaOf(obj);
    if (!m || (m->actStep != 0 && m->actStep != 1 && m->actStep != 99)) return 1;
    const bool technique = Running(m);
    if (m->actStep != 1) {
        m->moveSpeed = 0;
        m->slideMask = technique ? 1 : 3;
        m->actStep = 1;
    }
    if (!technique) MEKA_SetAnim(obj, 6, -1, CurTargetObj ? 4 : 0, 0, 1);
    FIX16 x16 = obj->x16, y16 = obj->y16;
    if (MEKA_PushApart(&x16, &y16, 1)) {
        MEKA_SetX16(obj, x16);
        MEKA_SetY16(obj, y16);
    }
    return 1;
}

int mBSC_ActWalk(int*) {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = MekaOf(obj);
    int slot = -1;
    const BSC_STEP* s = m ? CurMove(&slot) : nullptr;
    if (!s) return 1;
    const i32 speed = s->wait == BSC_AUTO ? m->walkSpeed : s->wait;
    // A speed of 0 or less would never come within reach.
    if (speed <= 0 || Dist2(obj, *s) < i64(speed) * speed) {
        Arrive(slot, obj, m, *s, true);
        return 1;
    }
    const bool technique = Running(m);
    if (m->actStep == 0) {
        if (!technique) MEKA_SetAnim(obj, 7, -1, s->mode, 1, 0);
        m->moveSpeed = i16(speed);
        m->actCnt[0] = 0;
        m->slideMask = 3;
        m->actStep = 1;
    } else if (m->actStep != 1) {
        return 1;
    }
    MATH_GetDirVec(obj->x, obj->y, s->x, s->y, &m->moveVx, &m->moveVy);
    i16& phase = m->actCnt[0];
    if (!technique && !SPR_IsAnime(obj->spr)) {
        phase = i16((phase + 1) & 3);
        MEKA_SetAnim(obj, 7 + phase, -1, phase == 0 || phase == 2 ? s->mode : 0, 1, 0);
        if (phase == 1 || phase == 3) {
            SE_Play(34, 0);
            SCR_SetQuake(-1, -1, 2);
        }
    }
    if (!CurTargetObj || s->mode == 0) FaceMove(obj, m);
    const bool footfall = phase == 1 || phase == 3;
    m->moveSpeed = footfall ? 0 : i16(speed);
    if (Stalled(slot, obj, *s, !footfall)) Arrive(slot, obj, m, *s, false);
    return 1;
}

int mBSC_ActBoost(int*) {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = MekaOf(obj);
    int slot = -1;
    const BSC_STEP* s = m ? CurMove(&slot) : nullptr;
    if (!s) return 1;
    const bool technique = Running(m);
    const i32 speed = m->actStep == 0 ? (s->wait == BSC_AUTO ? m->boostSpeed : s->wait) : m->moveSpeed;
    if (speed <= 0 || Dist2(obj, *s) <= i64(speed) * speed) {
        const i16 kept = i16(speed);
        Arrive(slot, obj, m, *s, true);
        SE_Stop(14);
        BSC_QUEUE& q = BscQueueTbl[slot];
        // A boost into another boost goes on without its start-up.
        if (q.cur >= 0 && q.cur < BSC_STEP_MAX && &q.step[q.cur] != s && q.step[q.cur].kind == BSC_KIND_MOVE &&
            q.step[q.cur].code == 2) {
            m->actStep = 1;
            m->actCnt[0] = 0;
            m->moveSpeed = kept;
        }
        return 1;
    }
    if (m->actStep == 0) {
        if (!technique) MEKA_SetAnim(obj, 11, -1, s->mode, 1, 1);
        m->moveSpeed = i16(speed);
        m->actCnt[0] = 5;
        m->slideMask = 3;
        m->boostSe = 1;
        m->actStep = 1;
        SE_Play(13, 0);
    }
    if (m->actStep == 1) {
        EFT_CreateDebris(11, 8, 4);
        MATH_GetDirVec(obj->x, obj->y, s->x, s->y, &m->moveVx, &m->moveVy);
        if (--m->actCnt[0] == 0) {
            if (!technique) MEKA_SetAnim(obj, 12, -1, s->mode, 1, 1);
            SE_Stop(13);
            SE_Play(14, -1);
        } else if (m->actCnt[0] < 0 && !SE_IsPlaying(14)) {
            SE_Play(14, -1);
        }
    }
    if (!technique) MEKA_FaceTarget(obj, s->mode != 0 ? CurTargetObj : nullptr);
    if (Stalled(slot, obj, *s, true)) {
        SE_Stop(14);
        Arrive(slot, obj, m, *s, false);
    }
    return 1;
}

int mBSC_ActDash(int*) {
    LIST_DATA* obj = CurObj;
    MEKA_WORK* m = MekaOf(obj);
    int slot = -1;
    const BSC_STEP* s = m ? CurMove(&slot) : nullptr;
    if (!s) return 1;
    const bool technique = Running(m);
    const i32 speed = m->actStep == 0 ? (s->wait == BSC_AUTO ? 2 * m->dashSpeed : s->wait) : m->moveSpeed;
    if (speed <= 0 || Dist2(obj, *s) <= i64(speed) * speed) {
        Arrive(slot, obj, m, *s, true);
        return 1;
    }
    if (m->actStep == 0) {
        if (!technique) MEKA_SetAnim(obj, 11, -1, 0, 1, 1);
        m->moveSpeed = i16(speed);
        m->actCnt[0] = m->dashTime;
        m->actCnt[1] = i16(m->dashTime - 3);
        m->slideMask = 3;
        m->boostSe = 1;
        m->actStep = 1;
        for (int i = 0; i < 5; i++) EFT_CreateDebris(11, 8, 16);
        SE_Play(53, 0);
    }
    if (m->actStep == 1) {
        EFT_CreateDebris(11, 8, 4);
        EFT_Create(kEftAfterImage, obj, obj->x, obj->y, obj->z);
        MATH_GetDirVec(obj->x, obj->y, s->x, s->y, &m->moveVx, &m->moveVy);
        if (m->actCnt[0] == m->actCnt[1] && !technique) MEKA_SetAnim(obj, 12, -1, 0, 1, 1);
        if (m->actCnt[0] > m->actCnt[1]) m->moveSpeed = i16(m->moveSpeed - m->dashSpeed / 3);
        if (--m->actCnt[0] == 0) {
            if (!technique) MEKA_SetAnim(obj, 13, -1, 0, 1, 0);
            m->actCnt[0] = 5;
            m->actStep = 2;
            SE_Play(15, 0);
        }
    } else if (m->actStep == 2) {
        // Braked to a halt short of the point: the dash is over all the same.
        if (m->actCnt[0] < 1) {
            Arrive(slot, obj, m, *s, false);
        } else {
            m->actCnt[0]--;
        }
    }
    return 1;
}
