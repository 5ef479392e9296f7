// Integer trigonometry in whole degrees (and a 256-step circle) for screen coordinates: x right, y
// down, so a growing angle turns clockwise on the screen; 0 is right, 90 down, 180 left, 270 up.
// Sines and cosines come from quarter-wave tables on a 65535 scale (10000 for the 256-step circle).
#pragma once
#include "platform/types.h"

void MATH_SetShift(u32 shift);  // the fixed-point shift of the rotations; 16 in the game
u32 MATH_GetShift();

// Degrees here are reduced as unsigned numbers: a negative angle does not wrap.
i32 MATH_SinTbl(u32 degrees);
i32 MATH_CosTbl(u32 degrees);
i32 MATH_Sin(i32 amplitude, u32 degrees);  // amplitude within +-32768
i32 MATH_Cos(i32 amplitude, u32 degrees);

i32 MATH_Sin256Tbl(u8 angle);
i32 MATH_Cos256Tbl(u8 angle);
i32 MATH_Sin256(i32 amplitude, u8 angle);
i32 MATH_Cos256(i32 amplitude, u8 angle);

// Whole degrees 0..359 of the vector from (x1, y1) to (x2, y2).
i32 MATH_GetAngle(i32 x1, i32 y1, i32 x2, i32 y2);
// 0, 16, ..., 240 on the 256-step circle: the octant, and whether the vector is more horizontal,
// diagonal or more vertical.
i32 MATH_GetDir16(i32 x1, i32 y1, i32 x2, i32 y2);

// Factors and products on the fixed-point shift's scale.
i32 MATH_NegSinFix(i32 degrees);
i32 MATH_CosFix(i32 degrees);
i32 MATH_NegSinShift(i32 value, i32 degrees);
i32 MATH_CosShift(i32 value, i32 degrees);

// Turns (x, y) about the centre by (degrees - 270).
void MATH_RotatePoint(POINT* point, i32 x, i32 y, i32 degrees, i32 cx, i32 cy);
// The offset from the centre turned by -degrees, left on the fixed-point scale.
void MATH_RotateOffset(POINT* pair, i32 x, i32 y, i32 degrees, i32 cx, i32 cy);
// (x, y) turned about the centre by -degrees.
void MATH_RotatePointFix(i32* xOut, i32* yOut, i32 cx, i32 cy, i32 x, i32 y, i32 degrees);

// Unit vectors on the 65535 scale; both return the sine.
i32 MATH_GetDirVec(i32 x1, i32 y1, i32 x2, i32 y2, i32* cosOut, i32* sinOut);
i32 MATH_GetAngleVec(i32 degrees, i32* cosOut, i32* sinOut);  // heading degrees + 90

// Sector indices of a width in degrees; sector 0 is centred on "down".
i32 MATH_GetSector(i32 width, i32 x1, i32 y1, i32 x2, i32 y2);
i32 MATH_GetVecSector(i32 width, i32 vx, i32 vy);
i32 MATH_GetAngleSector(i32 width, i32 degrees);  // degrees already counted from "down"

i32 MATH_GetDist2(i32 x1, i32 y1, i32 x2, i32 y2);

i32 MATH_RotatePos(i32 x, i32 y, i32 cx, i32 cy, i32* xOut, i32* yOut, i32 degrees);
i32 MATH_RotatePosScale(i32 x, i32 y, i32 cx, i32 cy, i32* xOut, i32* yOut, i32 degrees, i32 k);
