// The battle world's entry points that the shell calls.
#pragma once
#include "platform/types.h"

int TAMA_LoadData();
void TAMA_ClearData();
int BTL_Draw();

// ---- hit-stop counts, raised by SCR_SetQuake ----
extern i16 HitSlowCnt;  // frames of slowed play still to run
extern i16 HitStopCnt;  // frames of frozen play after them

// Copies a rectangle of a surface slot with colour key into the sprite draw target at (x, y) plus
// the battle draw offset.
void BTL_DrawSurfOfs(int surf, int x, int y, const RECT* src);
