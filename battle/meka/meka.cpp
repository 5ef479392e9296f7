#include "battle/meka/meka.h"

#include <algorithm>
#include <climits>

#include "battle/battle.h"
#include "battle/cpu/cpu.h"
#include "battle/data/meka_type.h"
#include "battle/effect/eft.h"
#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/map/mapcol.h"
#include "battle/map/scr.h"
#include "battle/object/obj.h"
#include "battle/panel/pnl.h"
#include "graphics/sprite/spr.h"
#include "platform/random.h"
#include "screens/save/save.h"
#include "shell/common.h"
#include "shell/math.h"
#include "shell/sound/sound.h"

LIST_DATA* MekaSlotTbl[MEKA_SLOT_MAX];
MEKA_WORK* CurMeka = nullptr;

namespace {

// Test points by map number: slot 0 stands 70 pixels left of it, the others 70 right.
constexpr POINT kTestPointTbl[13] = {{946, 674}, {960, 704}, {960, 832}, {960, 738}, {960, 690},
                                     {960, 810}, {802, 704}, {960, 600}, {960, 1024}, {946, 674},
                                     {960, 704}, {960, 832}, {960, 738}};

bool ValidSlot(int slot) { return slot >= 0 && slot < MEKA_SLOT_MAX; }

MEKA_WORK* MekaOf(LIST_DATA* obj) {
    return obj && obj->use && obj->kind == OBJ_KIND_MEKA ? obj->meka : nullptr;
}

// CPU data hold values of any size: level-scaled stats saturate instead of wrapping.
i16 SatI16(long v) { return i16(std::clamp<long>(v, SHRT_MIN, SHRT_MAX)); }

void ClearHistory(MEKA_WORK* m) {
    m->histCnt = 0;
    std::fill(std::begin(m->wazaHist), std::end(m->wazaHist), i16(-999));
}

void SetCell(i16* cell, i32 pos, i32 footOffset) { *cell = i16((pos + footOffset) % 16); }

}  // namespace

LIST_DATA* MEKA_GetSlot(int slot) { return ValidSlot(slot) ? MekaSlotTbl[slot] : nullptr; }

int MEKA_Create(int slot, int team, int ctrl, int type, int x, int y) {
    if (!ValidSlot(slot) || type < 0 || type >= MEKA_TYPE_MAX) return -1;
    // A mech left in the slot would be updated and drawn for the rest of the battle, never deletable.
    if (MekaSlotTbl[slot]) MEKA_Delete(slot);

    LIST_DATA* obj = OBJ_Alloc(OBJ_KIND_MEKA);
    if (!obj) return -1;
    obj->team = u8(team);
    obj->mekaNo = i8(slot);
    obj->target = -1;
    obj->owner = -1;
    obj->child = -999;
    obj->subStepCnt = 1;
    obj->subStep = 4;
    obj->shadow = 1;
    obj->level = 5;

    MEKA_WORK* m = obj->meka;
    m->ctrl = u8(ctrl);
    m->type = u8(type);
    m->gaugeMax = MEKA_GAUGE_MAX;
    m->timedState = -1;
    m->pendingWaza = -1;
    ClearHistory(m);
    m->sprGrp = -1;

    MEKA_TYPE_DATA* typeData = MEKA_GetTypeData(type);
    if (ctrl == MEKA_CTRL_CPU) {
        // A missing file still takes a reference (on default values); a refused load takes none.
        const u8 before = typeData->cpuRef;
        CPU_LoadData(type);
        m->cpuHeld = typeData->cpuRef != before;
    }
    MEKA_InitStat(obj);

    const int group = SPR_GetFreeSprGrp();
    const bool loaded = group >= 0 && SPR_LoadSprGrp(group, MakeFilePath("Bmp\\Meka\\%s.spr", MekaNameTbl[type]), 0);
    const int s = loaded ? SPR_GetFreeSpr() : -1;
    if (s < 0 || !SPR_CreateSpr(s, 128, x, y, group, 0)) {
        DebugMsg("MEKA_Create: slot %d, mech type %d (%s): no sprite set or sprite", slot, type, MekaNameTbl[type]);
        if (loaded) SPR_DelSprGrp(group);
        if (m->cpuHeld) CPU_ReleaseData(type);
        OBJ_Free(obj->index);
        return -1;
    }
    m->sprGrp = group;
    obj->spr = i16(s);
    SPR_SetSeq(s, 6, 0, 1);
    SPR_SetSprObjNo(s, obj->index);

    const u8 before = typeData->wazaRef;
    WAZA_LoadData(type);
    m->wazaHeld = typeData->wazaRef != before;
    MAP_SetObjPos(obj, x, y, 0);
    MEKA_SetAct(obj, 0);
    MekaSlotTbl[slot] = obj;
    return 1;
}

int MEKA_Delete(int slot) {
    LIST_DATA* obj = MEKA_GetSlot(slot);
    if (!obj) return -999;
    MEKA_WORK* m = obj->meka;
    if (m) {
        if (m->sprGrp >= 0) SPR_DelSprGrp(m->sprGrp);
        if (m->wazaHeld) WAZA_ReleaseData(m->type);
        // Only the mechs that took the CPU record drop it: a player mech of the same type must not
        // free the record its CPU mechs still use.
        if (m->cpuHeld) CPU_ReleaseData(m->type);
        if (CurMeka == m) CurMeka = nullptr;
    }
    MekaSlotTbl[slot] = nullptr;
    if (slot < 2) CutInTbl[slot] = -1;  // a cut-in of a mech that is gone would never end
    return OBJ_Free(obj->index);
}

int MEKA_Reset(int slot, int x, int y) {
    LIST_DATA* obj = MEKA_GetSlot(slot);
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    obj->child = -999;
    obj->shadow = 1;
    obj->boxTop = obj->boxHeight = 0;
    obj->subStepCnt = 1;
    obj->subStep = 0;
    obj->flagA = 0;
    obj->zSpeed = 0;
    obj->flagB = 0;
    obj->dir = 0;

    m->flag = 0;
    m->cutIn = 0;
    if (slot < 2) CutInTbl[slot] = -1;
    m->gauge = 0;
    m->gaugeMax = MEKA_GAUGE_MAX;
    m->moveVx = m->moveVy = m->wazaVx = m->wazaVy = m->knockVx = m->knockVy = 0;
    m->moveSpeed = m->wazaSpeed = m->knockSpeed = 0;
    m->timedState = -1;
    m->timedFrames = 0;
    m->shakePhase = 0;
    m->frameCnt = m->frameTime = m->frameTimer = m->cutInCnt = 0;
    m->act = m->actStep = 0;
    m->actCnt[0] = m->actCnt[1] = 0;
    m->contact = 0;
    m->subAct = 0;
    std::fill(std::begin(m->subActCnt), std::end(m->subActCnt), i16(0));
    m->slideMask = 0;
    m->mekaHits = m->shotHits = m->wazaHitCnt = 0;
    m->hitDelay = 0;
    m->step = 0;
    std::fill(std::begin(m->loopCnt), std::end(m->loopCnt), u8(0));
    m->motion = m->frame = m->frameDone = 0;
    m->stepMark = 0;
    m->pendingWaza = -1;
    m->hitCnt = m->hitCntMax = 0;
    std::fill(std::begin(m->hitDamage), std::end(m->hitDamage), 0);
    m->special = 0;
    m->recovery = 0;
    std::fill(std::begin(m->slotFlag), std::end(m->slotFlag), u8(0));
    // The entries go with the count, so a fresh mech's repeat counts find no old chain.
    ClearHistory(m);
    m->repeat = 0;
    m->boostSe = 0;
    m->speedFloor = 0;
    m->chain = 0;
    m->wazaFlag = 0;
    std::fill(std::begin(m->frameWait), std::end(m->frameWait), u16(0));
    m->lastHit = HIT_PARAM{};

    MEKA_InitStat(obj);
    SPR_SetSeq(obj->spr, 6, 1, 1);
    MAP_SetObjPos(obj, x == -999 ? obj->x : x, y == -999 ? obj->y : y, 0);
    MEKA_SetAct(obj, 0);
    MEKA_SetSubAct(obj, 0);
    return 1;
}

int MEKA_TestSpawn(int slot, int ctrl, int team, int type) {
    if (!ValidSlot(slot)) return -1;
    MEKA_Delete(slot);
    const int mapNo = MAP_GetMapNo();
    const POINT& p = kTestPointTbl[mapNo >= 0 && mapNo < 13 ? mapNo : 0];
    const int result = MEKA_Create(slot, team, ctrl, type, p.x + (slot == 0 ? -70 : 70), p.y);
    for (int s = 0; s < 2; s++) {
        if (LIST_DATA* obj = MekaSlotTbl[s]) MEKA_SelectTarget(obj, 1, 0);
    }
    CAM_SetSpeed(0, 1, 12);
    i32 cx = 0, cy = 0;
    CAM_GetTargetPos(&cx, &cy);
    SCR_Redraw(cx, cy);
    return result;
}

int MEKA_InitStat(LIST_DATA* obj) {
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    if (m->ctrl == MEKA_CTRL_CPU) {
        MEKA_SetLevelStat(m, m->type);
        if (ValidSlot(obj->mekaNo)) {
            CPU_WORK& cpu = CpuWorkTbl[obj->mekaNo];
            cpu.type = i8(m->type);
            cpu.level = GameData.cpuLevel;
        }
        CPU_ResetAct(obj);
        CPU_ResetAttack(obj);
    } else {
        m->lifeBarMax = 2;
        m->endureMax = 500;
        m->cutIn = 0;
        m->walkSpeed = GameData.start[3];
        m->boostSpeed = GameData.start[4];
        m->dashSpeed = GameData.start[5];
        m->dashTime = GameData.start[6];
        m->stat3 = GameData.start[9];
        m->stat6 = GameData.start[10];
        m->stat1 = m->stat4 = 40;
        m->stat7 = 0;
    }
    m->life = MEKA_LIFE_UNITS;
    m->lifeBar = m->lifeBarMax;
    m->endure = m->endureMax;
    return 1;
}

int MEKA_SetLevelStat(MEKA_WORK* m, int level) {
    if (!m) return 0;
    const MEKA_TYPE_DATA* typeData = MEKA_GetTypeData(m->type);
    static const CPU_DATA kNone{};
    // A type whose CPU record is not loaded plays on zero parameters rather than reading freed memory.
    const i16* p = (typeData && typeData->cpu ? typeData->cpu : &kNone)->param;
    const long L = level;
    m->lifeBarMax = SatI16(std::min(7L, p[0] + p[14] * L));
    m->endureMax = SatI16(std::min(20L, p[1] + p[15] * L) * 100);
    m->walkSpeed = p[2];
    m->boostSpeed = p[3];
    m->dashSpeed = p[4];
    m->dashTime = p[5];
    m->stat1 = SatI16(std::min(20L, p[6] + p[16] * L));
    m->stat2 = SatI16(std::min(20L, p[7] + p[17] * L));
    m->stat3 = SatI16(std::max(0L, p[8] - p[18] * L));
    m->stat4 = SatI16(std::min(20L, p[9] + p[19] * L));
    m->stat5 = SatI16(std::min(20L, p[10] + p[20] * L));
    m->stat6 = SatI16(std::max(0L, p[11] - p[21] * L));
    m->stat7 = SatI16(p[13] + p[23] * L);
    m->cutIn = 0;
    return 1;
}

int MEKA_SetAct(LIST_DATA* obj, int act) {
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    if (m->act == 2 || m->act == 5) SE_Stop(14);  // the boost loop
    m->act = i16(act);
    m->actStep = 0;
    m->actCnt[0] = m->actCnt[1] = 0;
    m->subActCnt[3] = 0;
    return 1;
}

int MEKA_SetSubAct(LIST_DATA* obj, int sub) {
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    m->subAct = i16(sub);
    std::fill(std::begin(m->subActCnt), std::end(m->subActCnt), i16(0));
    return 1;
}

int MEKA_AddGauge(LIST_DATA* obj, int delta) {
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return -1;
    if (m->special && delta < 0) return -1;
    const int gauge = m->gauge + delta;
    if (gauge < 1) {
        if (m->gauge > 0) {  // the chain ends
            m->chain = 0;
            ClearHistory(m);
        }
        m->gauge = 0;
        return 1;
    }
    if (gauge >= MEKA_GAUGE_MAX) {
        m->gauge = MEKA_GAUGE_MAX;
        return 2;
    }
    m->gauge = i16(gauge);
    return 0;
}

int MEKA_SelectTarget(LIST_DATA* obj, int mode, int slot) {
    if (!MekaOf(obj)) return -1;
    auto candidate = [obj](int s) -> LIST_DATA* {
        LIST_DATA* other = MekaSlotTbl[s];
        return other && other->team != obj->team ? other : nullptr;
    };
    switch (mode) {
        case 0: {
            LIST_DATA* other = MEKA_GetSlot(slot);
            obj->target = other ? other->index : -1;
            break;
        }
        case 1:
            obj->target = -1;
            for (int s = 0; s < MEKA_SLOT_MAX; s++) {
                if (LIST_DATA* other = candidate(s)) {
                    obj->target = other->index;
                    break;
                }
            }
            break;
        case 2: {
            int order[MEKA_SLOT_MAX];
            bool taken[MEKA_SLOT_MAX] = {};
            for (int& o : order) {
                int v;
                do v = plat::Rand() % MEKA_SLOT_MAX;
                while (taken[v]);
                taken[v] = true;
                o = v;
            }
            obj->target = -1;
            for (int s : order) {
                LIST_DATA* other = candidate(s);
                if (other && other->meka->lifeBar >= 0) {
                    obj->target = other->index;
                    break;
                }
            }
            break;
        }
        case 3: {
            obj->target = -1;
            i64 best = 0;
            for (int s = 0; s < MEKA_SLOT_MAX; s++) {
                LIST_DATA* other = candidate(s);
                if (!other) continue;
                const i64 dx = i64(other->x) - obj->x;
                const i64 dy = i64(other->y) - obj->y;
                const i64 d2 = dx * dx + dy * dy;
                if (obj->target < 0 || d2 < best) {
                    obj->target = other->index;
                    best = d2;
                }
            }
            break;
        }
        default: break;
    }
    return -1;
}

int MEKA_FaceTarget(LIST_DATA* obj, LIST_DATA* target) {
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    const i32 tx = target ? target->x : obj->x + m->aimX;
    const i32 ty = target ? target->y : obj->y + m->aimY;
    const i8 dir = i8(MATH_GetSector(45, obj->x, obj->y, tx, ty));
    const bool changed = dir != obj->dir;
    obj->dir = dir;
    if (SPR_DATA* spr = SPR_GetSpr(obj->spr)) spr->pageOffset = u8(dir);
    if (changed) SPR_SetSeq(obj->spr, obj->anime, 0, 1);
    return 1;
}

void MEKA_ClearHitCount(LIST_DATA* obj) {
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return;
    m->hitCnt = 0;
    m->recovery = 0;
    m->hitDamage[0] = 0;
    m->hitDamage[2] = 0;
}

void MEKA_ClearWaza(LIST_DATA* obj) {
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return;
    MEKA_ClearHitCount(obj);
    m->special = 0;
    PNL_SetGaugeRect(obj->mekaNo, 1);
    if (m->ctrl == MEKA_CTRL_PLAYER) {
        std::fill(std::begin(m->slotFlag), std::end(m->slotFlag), u8(0));
        PNL_ClearSlotMark();
    } else if (m->ctrl == MEKA_CTRL_CPU) {
        CPU_ResetAttack(obj);
    }
}

int MEKA_RenewTimedState() {
    MEKA_WORK* m = CurMeka;
    if (!m) return 0;
    if (m->timedState != -1 && m->timedState != 0) {
        if (m->timedFrames == 0) {
            m->timedState = -1;
        } else {
            m->timedFrames--;
        }
    }
    return 1;
}

void MEKA_Explode() {
    LIST_DATA* obj = CurObj;
    if (!MekaOf(obj)) return;
    const int index = obj->index;
    const int slot = obj->mekaNo;
    const i32 x = obj->x, y = obj->y, z = obj->z;

    EFT_Create(0, nullptr, x, y, z);
    for (int i = 0; i < 20; i++) {
        const int dy = 64 - plat::Rand() % 129;
        const int dx = 64 - plat::Rand() % 129;
        EFT_Create(14, nullptr, x + dx, y + dy, z);
    }
    SE_Play(9, 0);
    SCR_SetQuake(-1, -1, 16);

    PNL_Delete(slot);
    // Only a mech that holds its slot goes through it; any other is freed alone.
    ObjWalkNext = MEKA_GetSlot(slot) == obj ? MEKA_Delete(slot) : OBJ_Free(index);

    for (LIST_DATA* other : MekaSlotTbl) {
        if (!other || other->target != index) continue;
        MEKA_SelectTarget(other, 3, 0);
        MEKA_ClearWaza(other);
    }
    LIST_DATA* player = MekaSlotTbl[0];
    if (player && player->target >= 0) return;
    FightOver = 1;
    SCR_SetQuake(5, 5, 20);
}

void MEKA_SetX16(LIST_DATA* obj, FIX16 x16) {
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return;
    obj->x16 = x16;
    obj->x = x16 >> 16;
    SetCell(&m->cellX, obj->x, obj->foot1.x);
}

void MEKA_SetY16(LIST_DATA* obj, FIX16 y16) {
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return;
    obj->y16 = y16;
    obj->y = y16 >> 16;
    SetCell(&m->cellY, obj->y, obj->foot1.y);
}

int MEKA_SetX(LIST_DATA* obj, i32 x) {
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    obj->x = x;
    obj->x16 = FIX16(u32(x) << 16);
    SetCell(&m->cellX, x, obj->foot1.x);
    return m->cellX;
}

int MEKA_SetY(LIST_DATA* obj, i32 y) {
    MEKA_WORK* m = MekaOf(obj);
    if (!m) return 0;
    obj->y = y;
    obj->y16 = FIX16(u32(y) << 16);
    SetCell(&m->cellY, y, obj->foot1.y);
    return m->cellY;
}
