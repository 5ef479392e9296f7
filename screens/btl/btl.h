// The battle mode's state machine: its sub-state, the battle type and the per-battle work.
#pragma once
#include "platform/types.h"

// The sub-state, the one before the last change and the one the current frame began with.
extern i32 BtlState;
extern i32 BtlPrevState;
extern i32 BtlFrameState;
// The frame counter or start time of the running phase step, handed to it by address.
extern i32 BtlPhaseCnt;
// 1 for the survival battle.
extern i16 BtlBattleType;

// previous := current, current := n; returns the previous value that was replaced.
int BTL_SetState(int n);
// 1 the previous sub-state, 2 the one the frame began with, anything else the current one.
int BTL_GetState(int which);
// 1 while the battle type is 1, 2 or 3 (the survival battle is 1), else 0.
int BTL_CheckBattleType();
// The weapon-level bonus added to a technique group's level when the player picks a technique.
extern i8 BtlLevelBonus;

// An empty hook the menu step and the battle phase steps call once a frame.
void BTL_DummyFunc();
// Per-battle work: the banner freed, the fight undecided, no hit marker or cut-in, and every
// technique group's shown experience caught up with no use penalty or damage.
void BTL_ResetBattleWork();
// Deletes every object by its kind; BTL_DelSubObjects leaves the mechs.
void BTL_DelAllObjects();
void BTL_DelSubObjects();
// Frees the fight-start banner's surface and sprites.
void BTL_ReleaseStartBanner();
