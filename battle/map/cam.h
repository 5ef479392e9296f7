// The camera and the screen quake. The camera's centre moves once per drawn frame toward a target
// chosen by its mode, stays inside the scroll range, and scrolls the map by the part of the move
// that lies inside it. Followed objects are kept as pool indices and looked up at each use, so an
// object freed (or a pool torn down) under the camera is simply not followed.
#pragma once
#include "platform/types.h"

struct LIST_DATA;

constexpr i32 CAM_MODE_FIXED = 0;
constexpr i32 CAM_MODE_POINT = 1;
constexpr i32 CAM_MODE_FOLLOW = 2;
constexpr i16 SCR_QUAKE_MAX = 32;

struct CAM_DATA {
    i32 mode;
    i32 x;  // centre in map pixels
    i32 y;
    i32 fixX;  // the target of CAM_MODE_POINT
    i32 fixY;
    FIX16 x16;
    FIX16 y16;
    i32 limitX;  // largest lean toward the second object; negative: none
    i32 limitY;
    i32 ramp;
    i32 rampStep;
    i32 speed;  // pixels per drawn frame
    i32 obj = -1;  // first, second and fallback object: pool indices, -1 none
    i32 obj2 = -1;
    i32 nextObj = -1;
};

extern CAM_DATA CamData;
extern i16 ScrQuake;
extern i16 ScrQuakeOfs;
extern u32 ScrQuakeCnt;  // the quake's own frame counter

void CAM_Setup(i32 mode, const LIST_DATA* first, const LIST_DATA* second);
void CAM_SetMode(i32 mode);
void CAM_SetObject(const LIST_DATA* obj);
void CAM_SetObject2(const LIST_DATA* obj);
void CAM_SetNextObject(const LIST_DATA* obj);
void CAM_SetPos(i32 x, i32 y);
// Each argument equal to -999 leaves its field unchanged.
void CAM_SetSpeed(i32 ramp, i32 rampStep, i32 speed);
void CAM_RenewSpeed();
void CAM_SetLimit(i32 limitX, i32 limitY);
// The camera's target point, clamped to the scroll range.
void CAM_GetTargetPos(i32* x, i32* y);
int CAM_CheckStop();
void CAM_SetObjSpr(const LIST_DATA* obj);
void CAM_SetAllObjSpr();

// The camera step of one drawn frame; yOfs is the quake offset.
void SCR_Renew(i32 yOfs);
// Raises the hit-stop's slow and stop counts to the values given and, with an amplitude >= 0, sets
// the quake (at most 32).
void SCR_SetQuake(i32 slow, i32 stop, i32 amp);
void SCR_RenewQuake();
