// The camera and the screen quake.
#pragma once
#include "platform/types.h"

// Each argument equal to -999 leaves its field unchanged.
void CAM_SetSpeed(i32 ramp, i32 rampStep, i32 speed);
// The camera's target point, clamped.
void CAM_GetTargetPos(i32* x, i32* y);
// Raises the hit-stop's slow and stop counts to the values given and, with an amplitude >= 0, sets
// the quake.
void SCR_SetQuake(i32 slow, i32 stop, i32 amp);
