// The CPU opponents' AI: one state record per mech slot, the decision step (basic actions by an
// elimination lottery, attack chains, counters to the opponent's techniques) and the action-state
// handlers that move a CPU mech for its basic action.
#pragma once
#include "battle/meka/meka_act.h"
#include "platform/types.h"

struct CPU_ATK;
struct LIST_DATA;

constexpr int CPU_WORK_MAX = 10;  // one per mech slot

struct CPU_WORK {
    i8 type;      // mech type: selects the CPU_DATA
    i32 phase;    // 0 choose a basic action, 1 its delay, 2 running
    i32 atkState; // 3 ready, 4 chain running, 5 counter waiting, 6 chain over
    i8 level;     // CPU level 0..10, from the game record at creation
    i32 chainCnt;   // frames since the running attack entry started
    i32 timer;      // delay, then movement time (shared with the counter's delay)
    i16 chainTime;  // frames after which the chain may move on
    i8 priority;    // -1 none
    i8 mode;        // running CPU_MODE 0..15, -1 none
    i8 group;       // running CPU_ATK_GROUP 0..23, -1 none
    i16 counterGroup;  // technique group whose CPU_COUNTER waits for its delay
    i16 nextEntry;     // running entry's index in its group + 1
    const CPU_ATK* atk;  // the running entry
    i32 pointX;  // wander point, or the wall dash's probe point
    i32 pointY;
    i32 angle;      // wander bend (-64..64), or the wall dash's heading
    i32 angleStep;  // wander bend speed, or the wall dash's look-ahead (10..300)
    i32 scanDone;   // wall dash: side scan run since the way was last clear
};

extern CPU_WORK CpuWorkTbl[CPU_WORK_MAX];

// Back to choosing a basic action; and the attack state back to ready.
void CPU_ResetAct(LIST_DATA* obj);
void CPU_ResetAttack(LIST_DATA* obj);
// The decision step for CurObj, once a frame before its action handler.
int CPU_Think();
// Action-state handlers of CPU mechs; 6..8 are the shared hit, blown-away and down handlers.
extern const MEKA_ACT_FUNC CpuActTbl[MEKA_ACT_MAX];

// The steps of the decision, all on CurObj. Every roll is Rand() % 1000 below a chance in per mille.
// A basic action chosen by lottery: 1, or 0 when none was left.
int CPU_SelectMode();
void CPU_SetMode(int n);
// 1 when entry `entry` of group `group` may start now (draws its roll).
int CPU_CheckAttack(int group, int entry);
void CPU_SetAttack(int group, int entry);
// 1 started, or waiting for a clear line to the target; 0 not allowed.
int CPU_TryAttack(int group, int entry);
// A group chosen by lottery and started (join 1: only groups that accept a running chain): its
// index, -1 none or the line to the target blocked.
int CPU_TryAttackGroup(int join);
// The reaction to a technique the target started this frame: -1 the entry says do nothing (the whole
// decision is skipped), 1 reacted, 0 no reaction.
int CPU_CheckCounter();
// 1 when none of the mask's conditions holds (on the mech itself, on its target).
int CPU_CheckSelfCond(int mask);
int CPU_CheckTargetCond(int mask);

int CPU_ActStand(int* gravity);
int CPU_ActWalk(int* gravity);
int CPU_ActBoost(int* gravity);
int CPU_ActBoostPath(int* gravity);  // wall dash
int CPU_ActBoostTurn(int* gravity);  // inertial tracking dash
int CPU_ActDash(int* gravity);       // short dash
