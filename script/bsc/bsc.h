// Battle-script commands: script functions 128 + n drive a battle map, its camera and per-mech
// action queues that play out while the script waits.
#pragma once
#include "platform/types.h"

constexpr int BSC_STEP_MAX = 24;
constexpr int BSC_QUEUE_MAX = 10;  // one per mech slot
constexpr int BSC_CMD_MAX = 23;
constexpr i32 BSC_AUTO = -999;       // a dash point worked out at its start; a speed of the mech's own
constexpr i32 BSC_INTERRUPTED = 99;  // a queue's current step while a hit holds it
constexpr int BSC_STALL_FRAMES = 60;  // frames of running without coming nearer before a move gives up

constexpr i32 BSC_KIND_MOVE = 0;
constexpr i32 BSC_KIND_DIR = 1;
constexpr i32 BSC_KIND_WAZA = 2;
constexpr i32 BSC_KIND_SPENT = -1;

struct BSC_STEP {
    u8 used;
    i32 kind;  // BSC_KIND_*
    i32 x;     // the move's point; BSC_AUTO for a dash worked out at its start
    i32 y;
    i32 code;  // action state of a move; technique × 3 + level
    i32 mode;  // a move's facing mode (0, 2, 4); a direction step's direction 0..7 or -1
    i32 wait;  // frames of a direction or technique step; a move's speed (BSC_AUTO: the mech's own)
};

struct BSC_QUEUE {
    i32 cur;    // -1 idle, 0..23 running, BSC_INTERRUPTED
    i32 saved;  // the step to resume after an interruption
    BSC_STEP step[BSC_STEP_MAX];
    // This queue's part of BscActCnt, so emptying a queue takes its part with it.
    i32 share;
    // The nearest a walk or boost came to its point and the frames since it last came nearer.
    i64 best;
    i32 stall;
};

extern BSC_QUEUE BscQueueTbl[BSC_QUEUE_MAX];
extern i32 BscActCnt;  // running queues plus pending interruptions: the sum of the shares
extern i32 BscMode;    // 1 while queued actions run

using BSC_ACT_FUNC = int (*)(int* result);
extern const BSC_ACT_FUNC BscActTbl[9];

// The script's game function: runs command n; 1 for commands 0..2, else 0.
int mBSC_AnalysisFunc(i32 n);

int mBSC_Chr_Mov_Set(int slot, int x, int y, int code, int mode, int wait);
int mBSC_Chr_Dir_Set(int slot, int dir, int wait);
int mBSC_Chr_Waza_Set(int slot, int waza, int level, int wait);
// Makes step n current and starts it; its kind, or -1 when step n is free.
int mBSC_Chr_Step_Start(int slot, int n);
void mBSC_Chr_Start_All();
// The per-frame update of the scripted mech CurObj: its queue and its action handler.
int mBSC_Chr_Exec();
// Moves the slot's queue to step value (the damage code uses 99), saving its step.
void mBSC_Chr_Interrupt(int slot, int value);
// -1 while off, 999 while a shot lives or the camera moves, else BscActCnt.
int mBSC_GetActCount();
void mBSC_Clear();
// Builds the battle and installs the commands as the script's game function.
void mBSC_Init();

int mBSC_Chr_Create(int slot, int team, int ctrl, int type, int x, int y);
int mBSC_Chr_Del(int slot);
int mBSC_Chr_Target_Set(int slot, int mode, int n);
int mBSC_Chr_Pos_Set(int slot, int x, int y, int dir);

int mBSC_Cam_Fix_Set();
int mBSC_Cam_Point_Set(int x, int y);
int mBSC_Cam_Chase_Set(int a, int b);
int mBSC_Cam_Pos_Set(int x, int y);
int mBSC_Cam_Step_Set(int a, int b);
int mBSC_Cam_Speed_Set(int a, int b);

int mBSC_Bomb(int flag, int x, int y, int z);
int mBSC_Test_Set();

int mBSC_ActStand(int* result);
int mBSC_ActWalk(int* result);
int mBSC_ActBoost(int* result);
int mBSC_ActDash(int* result);
