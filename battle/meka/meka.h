// Mechs: the kind-0 extension record, the ten slots (slot 0 the player's), creation, deletion, reset,
// stats, gauge, targets, facing, destruction and the position setters.
#pragma once
#include "battle/hit/hit_param.h"
#include "platform/types.h"

struct LIST_DATA;

constexpr int MEKA_SLOT_MAX = 10;
constexpr i16 MEKA_LIFE_UNITS = 2080;  // one life bar
constexpr i16 MEKA_GAUGE_MAX = 130;
constexpr int MEKA_HIST_MAX = 25;
constexpr int MEKA_WAIT_MAX = 128;
constexpr int MEKA_SLOT_FLAG_MAX = 12;

constexpr u8 MEKA_CTRL_PLAYER = 0;
constexpr u8 MEKA_CTRL_CPU = 1;

struct MEKA_WORK {
    i32 footW;  // base on the map plane in pixels (64 × 80), set at placement
    i32 footD;
    u16 footChipW;  // the same in chips
    u16 footChipD;
    i16 cellX;  // (position + foot box 1 offset) % 16, the sign of the dividend
    i16 cellY;
    i16 slideX;  // slide signs written by the map collision
    i16 slideY;
    u8 type;  // 0..24
    u8 ctrl;  // MEKA_CTRL_*
    u8 flag;  // also the shot-fired flag
    u8 cutIn;
    i16 life;  // units within the current bar, 0..2080
    i16 lifeBar;
    i16 lifeBarMax;
    i16 gauge;  // 0..130
    i16 gaugeMax;
    i16 endure;
    i16 endureMax;
    i16 walkSpeed;
    i16 boostSpeed;
    i16 dashSpeed;
    i16 dashTime;
    i16 stat1;  // strike power
    i16 stat2;  // strike thruster
    i16 stat3;  // strike overheat %
    i16 stat4;  // shot power
    i16 stat5;  // shot thruster
    i16 stat6;  // shot overheat %
    i16 freeze;  // frames frozen after an absorbed hit
    i16 stat7;  // defence
    FIX16 moveVx;
    FIX16 moveVy;
    FIX16 wazaVx;
    FIX16 wazaVy;
    FIX16 knockVx;
    FIX16 knockVy;
    i16 moveSpeed;
    i16 wazaSpeed;
    i16 knockSpeed;  // decays by 2 a frame
    i8 timedState;   // -1 or 0 none
    u8 shakePhase;
    u8 timedFrames;
    u16 frameCnt;    // frames in the current technique frame
    u16 frameTime;   // frames since the frame's start
    u16 frameTimer;  // wait mode 2's timer
    u16 cutInCnt;
    i16 act;  // 0 stand, 1 walk, 2-4 boost, 5 dash, 6 hit, 7 blown away, 8 down
    i16 actStep;
    i16 actCnt[2];
    u8 contact;  // result of the last movement sub-step
    i16 subAct;  // 0 none, 1 technique frame running, 2 ending
    i16 subActCnt[4];  // the last counts frames in the air
    i16 waza;          // current technique
    u8 slideMask;      // 1 slide on map contact, 2 on mech contact
    i16 mekaHits;      // the step's hit budgets
    i16 shotHits;
    i16 wazaHitCnt;
    i8 hitDelay;
    u8 step;  // 0..31
    u8 loopCnt[4];
    u8 motion;  // 0..15
    u8 frame;   // 0..9
    u8 frameDone;  // the frame's animation has ended
    u16 frameWait[MEKA_WAIT_MAX];
    u8 stepMark;
    i32 pendingWaza;  // waits for the hit-stop to end, -1 none
    i16 hitCnt;
    i16 hitCntMax;
    // Chain damage and its best, combo damage and its best, a second combo total, one spare.
    i32 hitDamage[6];
    u8 special;
    u8 recovery;
    u8 slotFlag[MEKA_SLOT_FLAG_MAX];
    i16 wazaHist[MEKA_HIST_MAX];  // -999 empty
    u8 histCnt;
    u8 repeat;
    u8 boostSe;
    u8 speedFloor;
    i32 chain;
    u8 wazaFlag;
    i32 aimX;
    i32 aimY;
    i32 sprGrp;
    HIT_PARAM lastHit;  // a copy of the last hit's block
    u8 cpuHeld;   // this mech holds a reference on its type's CPU data
    u8 wazaHeld;  // ... and on its techniques
};

extern LIST_DATA* MekaSlotTbl[MEKA_SLOT_MAX];
extern MEKA_WORK* CurMeka;

// The mech in a slot, null for an empty slot or one outside 0..9.
LIST_DATA* MEKA_GetSlot(int slot);

// 1, or -1 when the slot or type is out of range or the mech cannot be made (nothing kept).
int MEKA_Create(int slot, int team, int ctrl, int type, int x, int y);
// OBJ_Free's next index, or -999 for an empty slot.
int MEKA_Delete(int slot);
// 1, 0 for an empty slot; x, y -999 keep each.
int MEKA_Reset(int slot, int x, int y);
int MEKA_TestSpawn(int slot, int ctrl, int team, int type);
int MEKA_InitStat(LIST_DATA* obj);
int MEKA_SetLevelStat(MEKA_WORK* meka, int level);
int MEKA_SetAct(LIST_DATA* obj, int act);
int MEKA_SetSubAct(LIST_DATA* obj, int sub);
int MEKA_AddGauge(LIST_DATA* obj, int delta);
int MEKA_SelectTarget(LIST_DATA* obj, int mode, int slot);
int MEKA_FaceTarget(LIST_DATA* obj, LIST_DATA* target);
void MEKA_ClearHitCount(LIST_DATA* obj);
void MEKA_ClearWaza(LIST_DATA* obj);
int MEKA_RenewTimedState();
void MEKA_Explode();
void MEKA_SetX16(LIST_DATA* obj, FIX16 x16);
void MEKA_SetY16(LIST_DATA* obj, FIX16 y16);
int MEKA_SetX(LIST_DATA* obj, i32 x);
int MEKA_SetY(LIST_DATA* obj, i32 y);
