#include "battle/cpu/cpu.h"

#include <algorithm>

#include "battle/battle.h"
#include "battle/cpu/cpu_local.h"
#include "battle/data/meka_type.h"
#include "battle/data/waza_data.h"
#include "battle/map/mapcol.h"
#include "battle/meka/waza.h"
#include "platform/random.h"

CPU_WORK CpuWorkTbl[CPU_WORK_MAX];

const MEKA_ACT_FUNC CpuActTbl[MEKA_ACT_MAX] = {CPU_ActStand,     CPU_ActWalk,      CPU_ActBoost,
                                               CPU_ActBoostPath, CPU_ActBoostTurn, CPU_ActDash,
                                               MEKA_ActHit,      MEKA_ActBlown,    MEKA_ActDown};

namespace cpu {

MEKA_WORK* MekaOf(LIST_DATA* obj) { return obj && obj->use && obj->kind == OBJ_KIND_MEKA ? obj->meka : nullptr; }

bool GetCur(Cur* c) {
    *c = Cur{};
    c->obj = CurObj;
    c->m = MekaOf(c->obj);
    if (!c->m || c->obj->mekaNo < 0 || c->obj->mekaNo >= CPU_WORK_MAX) return false;
    c->w = &CpuWorkTbl[c->obj->mekaNo];
    const MEKA_TYPE_DATA* type = MEKA_GetTypeData(c->w->type);
    c->data = type ? type->cpu : nullptr;
    c->target = OBJ_Get(c->obj->target);
    c->tm = MekaOf(c->target);
    if (!c->tm) c->target = nullptr;
    return c->data != nullptr;
}

bool UsableMove(int move) { return move >= 0 && move < 6; }

}  // namespace cpu

using cpu::Cur;

namespace {

// A lottery that keeps rolling 0.1 % chances could run for thousands of passes; past this many the
// last pick stands.
constexpr int kPassMax = 4096;

CPU_WORK* WorkOf(LIST_DATA* obj) {
    return obj && obj->mekaNo >= 0 && obj->mekaNo < CPU_WORK_MAX ? &CpuWorkTbl[obj->mekaNo] : nullptr;
}

bool Roll(int chance) { return plat::Rand() % 1000 < chance; }

// The chance moved by the per-level step for each CPU level above the required one, as the 16-bit
// value the data holds.
int LevelChance(const CPU_WORK& w, int chance, int step, int required) {
    return i16(chance + step * (w.level - required));
}

// A required level above the CPU level never passes and draws no roll.
bool Pass(const CPU_WORK& w, int chance, int step, int required) {
    return required <= w.level && Roll(LevelChance(w, chance, step, required));
}

// Both bounds included, on squared distances.
bool InRange(const Cur& c, i64 lo, i64 hi) {
    const i64 dx = i64(c.target->x) - c.obj->x;
    const i64 dy = i64(c.target->y) - c.obj->y;
    const i64 d2 = dx * dx + dy * dy;
    return lo * lo <= d2 && d2 <= hi * hi;
}

// A delay moved by a random part of its spread per CPU level.
int SpreadDelay(const CPU_WORK& w, int delay, int spread, int required) {
    const int k = spread * (w.level - required);
    return k >= 1 ? delay + plat::Rand() % k : delay;
}

bool ValidWaza(const Cur& c, int n) { return n >= 0 && n < WAZA_GetCount(c.m->type); }

// Starts the movement of the current mode: the action state and the movement time.
void StartMove(const Cur& c, const CPU_MODE& mode) {
    MEKA_SetAct(c.obj, mode.move);
    c.w->timer = mode.time;
    c.w->phase = 2;
}

// The elimination lottery over candidates 0..n-1 in order. A candidate's first visit runs all its
// tests (first); a candidate still in rolls again on each later pass (again): a pass makes it the
// last pick, a failure drops it for the pass. When the count falls below 1 the pass's drops come
// back; the drops of a finished pass are final. Passes repeat while more than one is in.
template <int N, class First, class Again>
int Lottery(const bool (&candidate)[N], First first, Again again) {
    enum : u8 { kOut, kFresh, kIn, kDropped };
    u8 state[N];
    for (int i = 0; i < N; i++) state[i] = candidate[i] ? kFresh : kOut;
    int count = 0, last = -1;
    for (int pass = 0; pass < kPassMax; pass++) {
        const int start = count;
        for (int i = 0; i < N; i++) {
            if (state[i] == kFresh) {
                if (first(i)) {
                    state[i] = kIn;
                    count++;
                    last = i;
                } else {
                    state[i] = kOut;
                }
            } else if (state[i] == kIn) {
                if (again(i)) {
                    last = i;
                    continue;
                }
                state[i] = kDropped;
                if (--count < 1) {
                    count = start;
                    for (u8& s : state)
                        if (s == kDropped) s = kIn;
                }
            }
        }
        for (u8& s : state)
            if (s == kDropped) s = kOut;
        if (count <= 1) break;
    }
    return count >= 1 ? last : -1;
}

// The per-frame attack roll of a running mode (no level step).
void RollModeAttack(const Cur& c) {
    if (c.w->mode < 0 || c.w->mode >= CPU_MODE_MAX) return;
    if (Roll(c.data->mode[c.w->mode].atkChance)) CPU_TryAttackGroup(0);
}

void RunChain(const Cur& c) {
    CPU_WORK& w = *c.w;
    const CPU_ATK* atk = w.atk;
    if (!atk) {
        w.atkState = 6;
        return;
    }
    // Other cancel rules never become due: such a chain runs until a hit clears it.
    const bool due = (atk->cancelRule == 0 || atk->cancelRule == 1) && w.chainCnt >= w.chainTime + 1;
    if (due && c.m->stepMark) {
        if (Roll(atk->joinChance) && CPU_TryAttackGroup(1) >= 0) {
            // the chain goes on in another group
        } else if (w.nextEntry >= CPU_ATK_MAX || CPU_TryAttack(w.group, w.nextEntry) == 0) {
            w.atkState = 6;
        }
    }
    if (!(w.atk && w.atk->cancelRule == 1 && c.obj->z != 0)) w.chainCnt++;
}

}  // namespace

// ---- resets ----

void CPU_ResetAct(LIST_DATA* obj) {
    if (!cpu::MekaOf(obj)) return;
    MEKA_SetAct(obj, 0);
    if (CPU_WORK* w = WorkOf(obj)) {
        w->phase = 0;
        w->mode = -1;
    }
}

void CPU_ResetAttack(LIST_DATA* obj) {
    CPU_WORK* w = cpu::MekaOf(obj) ? WorkOf(obj) : nullptr;
    if (!w) return;
    w->chainCnt = 0;
    w->timer = 0;
    w->chainTime = 0;
    w->group = -1;
    w->nextEntry = 0;
    w->atkState = 3;
}

// ---- the decision step ----

int CPU_Think() {
    Cur c;
    if (!cpu::GetCur(&c)) return 0;
    if (!c.target) return 1;
    if (FightOver || c.m->act >= 6) return 0;
    if (CPU_CheckCounter() != 0) return 1;

    CPU_WORK& w = *c.w;
    switch (w.phase) {
        case 0: CPU_SelectMode(); break;
        case 1:
            if (--w.timer < 1) {
                if (w.mode < 0 || w.mode >= CPU_MODE_MAX) {
                    CPU_ResetAct(c.obj);
                    return 0;
                }
                const CPU_MODE& mode = c.data->mode[w.mode];
                if (!cpu::UsableMove(mode.move)) return 0;
                StartMove(c, mode);
            }
            break;
        default: break;
    }

    switch (w.atkState) {
        case 3: RollModeAttack(c); break;
        case 4: RunChain(c); break;
        case 5:
            if (--w.timer <= 0) {
                if (w.counterGroup >= 0 && w.counterGroup < CPU_COUNTER_MAX)
                    WAZA_Start(c.obj, c.data->counter[w.counterGroup].action);
                w.atkState = 6;
            }
            break;
        case 6:
            if (c.m->special == 0) {
                MEKA_ClearWaza(c.obj);
                w.atkState = 3;
            } else if (c.m->subAct == 0) {
                RollModeAttack(c);
            }
            break;
        default: break;
    }
    return 1;
}

// ---- basic actions ----

int CPU_SelectMode() {
    Cur c;
    if (!cpu::GetCur(&c) || !c.target) return 0;
    const CPU_WORK& w = *c.w;
    bool candidate[CPU_MODE_MAX];
    for (int i = 0; i < CPU_MODE_MAX; i++) candidate[i] = cpu::UsableMove(c.data->mode[i].move) && i != w.mode;
    const int n = Lottery(
        candidate,
        [&](int i) {
            const CPU_MODE& md = c.data->mode[i];
            return Pass(w, md.chance, md.chanceStep, md.level) && c.m->lifeBar <= md.lifeLimit &&
                   InRange(c, md.rangeMin, md.rangeMax) && CPU_CheckSelfCond(md.selfMask) &&
                   CPU_CheckTargetCond(md.targetMask);
        },
        [&](int i) {
            const CPU_MODE& md = c.data->mode[i];
            return Roll(LevelChance(w, md.chance, md.chanceStep, md.level));
        });
    if (n < 0) return 0;
    CPU_SetMode(n);
    return 1;
}

void CPU_SetMode(int n) {
    Cur c;
    if (!cpu::GetCur(&c) || n < 0 || n >= CPU_MODE_MAX) return;
    CPU_WORK& w = *c.w;
    const CPU_MODE& mode = c.data->mode[n];
    w.phase = 1;
    w.timer = mode.delay;
    w.priority = mode.priority;
    w.mode = i8(n);
    w.chainCnt = 0;
    if (w.timer < 1 && cpu::UsableMove(mode.move)) StartMove(c, mode);
}

// ---- attacks ----

int CPU_CheckAttack(int group, int entry) {
    Cur c;
    if (!cpu::GetCur(&c) || !c.target) return 0;
    if (group < 0 || group >= CPU_GROUP_MAX || entry < 0 || entry >= CPU_ATK_MAX) return 0;
    const CPU_ATK& a = c.data->group[group].atk[entry];
    if (!ValidWaza(c, a.waza)) return 0;
    if (c.m->special == 0 ? c.m->gauge != 0 : !c.m->stepMark || c.m->gauge >= MEKA_GAUGE_MAX) return 0;
    if (!Pass(*c.w, a.chance, a.chanceStep, a.level)) return 0;
    if (c.m->lifeBar > a.lifeLimit || !InRange(c, a.rangeMin, a.rangeMax)) return 0;
    return CPU_CheckSelfCond(a.selfMask) && CPU_CheckTargetCond(a.targetMask) ? 1 : 0;
}

void CPU_SetAttack(int group, int entry) {
    Cur c;
    if (!cpu::GetCur(&c) || group < 0 || group >= CPU_GROUP_MAX || entry < 0 || entry >= CPU_ATK_MAX) return;
    CPU_WORK& w = *c.w;
    const CPU_ATK& a = c.data->group[group].atk[entry];
    w.atk = &a;
    w.group = i8(group);
    w.nextEntry = i16(entry + 1);
    const int k = a.timeCorrect * w.level;
    // Saturated: a wrapped time would make the entry due at once.
    w.chainTime = i16(std::min(k >= 1 ? a.time + plat::Rand() % k : a.time, 32767));
    w.priority = a.priority;
    w.chainCnt = 0;
    w.atkState = 4;
}

int CPU_TryAttack(int group, int entry) {
    if (!CPU_CheckAttack(group, entry)) return 0;
    Cur c;
    cpu::GetCur(&c);
    if (!HIT_CheckMapLine(c.obj->x, c.obj->y, c.target->x, c.target->y, 1)) return 1;
    WAZA_Start(c.obj, c.data->group[group].atk[entry].waza);
    CPU_SetAttack(group, entry);
    return 1;
}

int CPU_TryAttackGroup(int join) {
    Cur c;
    if (!cpu::GetCur(&c) || !c.target) return -1;
    if (!HIT_CheckMapLine(c.obj->x, c.obj->y, c.target->x, c.target->y, 1)) return -1;
    const CPU_WORK& w = *c.w;
    bool candidate[CPU_GROUP_MAX];
    for (int g = 0; g < CPU_GROUP_MAX; g++)
        candidate[g] = g != w.group && (join != 1 || c.data->group[g].join != 0);
    const int g = Lottery(
        candidate, [](int i) { return CPU_CheckAttack(i, 0) != 0; },
        [&](int i) {
            const CPU_ATK& a = c.data->group[i].atk[0];
            return Roll(LevelChance(w, a.chance, a.chanceStep, a.level));
        });
    if (g < 0) return -1;
    WAZA_Start(c.obj, c.data->group[g].atk[0].waza);
    CPU_SetAttack(g, 0);
    return g;
}

// ---- counters ----

int CPU_CheckCounter() {
    Cur c;
    if (!cpu::GetCur(&c) || !c.target) return 0;
    const MEKA_WORK& t = *c.tm;
    if (!t.wazaFlag || t.waza < 0 || c.target->target != c.obj->index || c.obj->z != 0) return 0;
    // Technique numbers are not bounded: a group beyond the table has no counter.
    const int group = t.waza / 3;
    if (group >= CPU_COUNTER_MAX) return 0;
    const CPU_COUNTER& e = c.data->counter[group];
    if (e.type == -1) return -1;

    CPU_WORK& w = *c.w;
    if (e.priority < w.priority || !Pass(w, e.chance, e.chanceStep, e.level)) return 0;
    if (!InRange(c, e.rangeMin, e.rangeMax) || !CPU_CheckSelfCond(e.selfMask)) return 0;
    if (e.type == 0) {
        if (!ValidWaza(c, e.action)) return 0;
        w.counterGroup = i16(group);
        w.timer = SpreadDelay(w, e.delay, e.delaySpread, e.level);
        if (w.timer <= 0) {
            WAZA_Start(c.obj, e.action);
            w.atkState = 6;
        } else {
            w.atkState = 5;
        }
    } else if (e.type == 1) {
        if (e.action < 0 || e.action >= CPU_MODE_MAX) return 0;
        const CPU_MODE& mode = c.data->mode[e.action];
        if (!cpu::UsableMove(mode.move)) return 0;
        w.mode = i8(e.action);
        w.timer = SpreadDelay(w, e.delay, e.delaySpread, e.level);
        if (w.timer < 1) {
            StartMove(c, mode);
        } else {
            w.phase = 1;
        }
    }
    w.priority = e.priority;
    w.chainCnt = 0;
    return 1;
}

// ---- conditions ----

int CPU_CheckSelfCond(int mask) {
    Cur c;
    if (!cpu::GetCur(&c)) return 0;
    const MEKA_WORK& m = *c.m;
    const int act = m.act;
    const bool holds[11] = {
        c.obj->z == 0,
        c.obj->z != 0,
        act == 0,
        act == 1,
        act >= 2 && act <= 4,
        act == 5,
        false,
        m.subAct != 0,
        m.special == 0 && m.gauge != 0,
        c.w->atkState == 4,
        m.gauge == 0,
    };
    for (int bit = 0; bit < 11; bit++)
        if ((mask >> bit & 1) && holds[bit]) return 0;
    return 1;
}

int CPU_CheckTargetCond(int mask) {
    Cur c;
    if (!cpu::GetCur(&c) || !c.target) return 1;
    const int act = c.tm->act;
    const bool holds[10] = {
        c.target->z == 0, c.target->z != 0, act == 0, act == 1, act == 2, act >= 2 && act <= 4, false,
        act == 6,         act == 7,         act == 8,
    };
    for (int bit = 0; bit < 10; bit++)
        if ((mask >> bit & 1) && holds[bit]) return 0;
    return 1;
}
