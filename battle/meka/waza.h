// The technique engine: starting a technique (buttons, AI, script), its gauge cost and experience,
// the step machine (loops, hit-count branches), the frame player and the two technique sub-states.
// Everything but WAZA_Start and the cost functions works on CurObj and CurMeka.
#pragma once
#include "platform/types.h"

struct LIST_DATA;
struct WAZA_DATA;
struct WAZA_MOTION;
struct WAZA_FRAME;

// Valid for CurObj only; set by the mech drivers and the step machine. Null while none runs.
extern WAZA_DATA* CurWaza;
extern WAZA_MOTION* CurMotion;
extern WAZA_FRAME* CurFrame;

constexpr int WAZA_ATTR_MAX = 18;
// Sprite attribute words by a frame entry's attribute index (0 none).
extern const u32 WazaAttrTbl[WAZA_ATTR_MAX];
// Step entries one call from outside the engine may make before the technique is ended: 32 steps
// and four loops of 255 need at most 1052.
constexpr int WAZA_STEP_ENTRY_MAX = 1100;

// Player: 1 started (or made pending), 0 nothing pressed or not allowed, -1 refused while a button
// was pressed.
int WAZA_CheckTrigger(int pending);
// Starts technique n of the mech's type at step 0; 0 (nothing done) for n outside the type's count.
int WAZA_Start(LIST_DATA* obj, int n);
void WAZA_End();
// 1 entered, 0 the technique ended.
int WAZA_SetStep(int step);
int WAZA_NextStep(int end);
int WAZA_SetFrame(int frame);
int MEKA_SetFrameWait(LIST_DATA* obj);
// The kind-1 branches and the frame's end condition, once a frame; 0 when the technique ended.
int WAZA_CheckBranch();
void WAZA_RenewSpeed();
// Sub-state 1 and 2 handlers; the flag returns the motion's flag 2 (gravity).
int WAZA_RenewFrame(int* flag);
int WAZA_RenewFrameEnd(int* flag);
// Gauge costs of technique n for the mech of a slot: after scaling and experience (at most 130),
// after scaling only, and half the cost scaled by the game record's stats (returns 0).
int WAZA_GetCost(int slot, int n);
int WAZA_GetBaseCost(int slot, int n);
int WAZA_GetHalfCost(int slot, int n, int* out);
