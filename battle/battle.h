// The battle world's entry points that the shell calls.
#pragma once
#include "battle/data/tama_data.h"  // TAMA_LoadData, TAMA_ClearData

int BTL_Draw();
// The battle picture of the script scene and of the battle script's frame, drawn to the sprite draw
// target; the caller presents.
int BTL_DrawScript();

// ---- the battle frame steps ----

#include "platform/types.h"

// Slot of the mech last knocked out by a fatal hit, -1 none; cleared when its hit-stop ends.
extern i8 HitMarkSlot;

// 0 while the fight runs; 1 when it is decided, then counted up by the round end.
extern i16 FightOver;
// Technique cut-in entries of the mechs of slots 0 and 1: the step that asked for a cut-in, -1 none.
extern i16 CutInTbl[2];

// The fight-start banner: two sprites that slide in and a third that drops; made and freed by the
// battle mode.
struct BTL_START_BANNER {
    u8 use;
    i32 surf;    // -1 none
    i32 spr[3];  // -1 none
    i32 savedX[2];
    i32 savedY;
};
extern BTL_START_BANNER BtlStartBanner;

// The battle's mouse, read by the play, fight-start and hit-stop steps (picture pixels, INP_MOUSE_*).
extern i32 BtlMouseX;
extern i32 BtlMouseY;
extern u32 BtlMouseBtn;

// The steps of the battle phases; a step counter is the battle mode's phase counter. Each returns 1
// when the frame was stepped.
int BTL_Renew();                  // play (sub-state 5)
int BTL_RenewStart(i32* cnt);     // fight start (4), 41 frames, then 5
int BTL_RenewHitStop(i32* cnt);   // hit-stop (6): slow frames, then stop frames, then 5
int BTL_RenewHitStop2(i32* cnt);  // hit-stop with knock-back (7); returns 0 (-1 when the gate refuses)
// Scripted action (8, and the script scene): 1 once the battle script has no running action left.
int BTL_RenewScript();
// Asked by the battle mode before each frame's step: 1 when it switched to the cut-in (9).
int BTL_StartCutIn();
// The cut-in (9): 0 on the frame that ends it and returns to the previous sub-state.
int BTL_RenewCutIn();
// Counts a decided fight to its end: 1 on the frame that switches to 17 (won) or 19 (lost).
int BTL_RenewRoundEnd();
// 1 while the fight was handed over by a script: its round end returns to the script scene.
extern i8 BtlScriptFight;
// The gate of the play, fight-start and hit-stop steps; always 1.
int BTL_CheckRenew();

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
