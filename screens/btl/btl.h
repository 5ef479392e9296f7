// The battle mode's state machine: its sub-state.
#pragma once

// previous := current, current := n; returns the previous value that was replaced.
int BTL_SetState(int n);
// 1 the previous sub-state, 2 the one the frame began with, anything else the current one.
int BTL_GetState(int which);
