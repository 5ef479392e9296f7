// The battle world's entry points that the shell calls.
#pragma once
#include "battle/data/tama_data.h"  // TAMA_LoadData, TAMA_ClearData

int BTL_Draw();

// ---- the battle frame steps ----

#include "platform/types.h"

// Slot of the mech last knocked out by a fatal hit, -1 none; cleared when its hit-stop ends.
extern i8 HitMarkSlot;

// 0 while the fight runs; 1 when it is decided, then counted up by the round end.
extern i16 FightOver;
// Technique cut-in entries of the mechs of slots 0 and 1: the step that asked for a cut-in, -1 none.
extern i16 CutInTbl[2];

// A speed split into movement sub-steps of at most 16 pixels: |speed| / 16 + 1 sub-steps of speed / n
// (truncated toward 0).
void BTL_SplitSpeed(i16 speed, i16* subStepCnt, i16* subStep);
// Shows (1) or hides (0) the panels, the map layer and every mech's sprite (hidden also pauses it).
void BTL_ShowAll(int flag);

// ---- hit-stop counts, raised by SCR_SetQuake ----
extern i16 HitSlowCnt;  // frames of slowed play still to run
extern i16 HitStopCnt;  // frames of frozen play after them

// Copies a rectangle of a surface slot with colour key into the sprite draw target at (x, y) plus
// the battle draw offset.
void BTL_DrawSurfOfs(int surf, int x, int y, const RECT* src);

// The battle picture of the script scene and of the battle script's frame, drawn to the sprite draw
// target; the caller presents.
int BTL_DrawScript();

// ---- the phase steps of the battle mode ----
// Each takes the battle mode's phase counter where it keeps one.
int BTL_Renew();
int BTL_RenewStart(u32* counter);
int BTL_RenewHitStop(u32* counter);
int BTL_RenewHitStop2(u32* counter);
// 1 once the battle script has no running action left.
int BTL_RenewScript();
int BTL_RenewCutIn(u32* counter);
// 1 when it switched to sub-state 9.
int BTL_StartCutIn();

// The fight-start banner: a surface slot and three sprites (-1 none); freed by BTL_ReleaseStartBanner.
struct BTL_START_BANNER {
    i32 surf;
    i32 spr[3];
    i32 saveX[2];
    i32 saveY;
    u8 flag;
};
extern BTL_START_BANNER BtlStartBanner;
