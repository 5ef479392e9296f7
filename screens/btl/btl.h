// The battle mode's state machine: its sub-state.
#pragma once
#include "platform/types.h"

// previous := current, current := n; returns the previous value that was replaced.
int BTL_SetState(int n);
// 1 the previous sub-state, 2 the one the frame began with, anything else the current one.
int BTL_GetState(int which);
// 1 while the battle type is 1, 2 or 3 (the survival battle is 1), else 0.
int BTL_CheckBattleType();
// The weapon-level bonus added to a technique group's level when the player picks a technique.
extern i8 BtlLevelBonus;
