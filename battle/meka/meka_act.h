// Mech action states, movement and the per-frame drivers: the player's pad, dash and boost, the
// action-state handlers (the hit, blown-away and down states shared by every controller), movement
// in sub-steps with mech and map collision, and the sprite shake of the timed states.
#pragma once
#include "platform/types.h"

struct LIST_DATA;

constexpr int MEKA_ACT_MAX = 9;  // 0 stand, 1 walk, 2-4 boost, 5 dash, 6 hit, 7 blown away, 8 down
constexpr int MEKA_PAD_HIST_MAX = 32;

// An action-state or sub-state handler; it may set the gravity flag. The result is not used.
using MEKA_ACT_FUNC = int (*)(int* gravity);

extern const MEKA_ACT_FUNC MekaActTbl[MEKA_ACT_MAX];
extern const MEKA_ACT_FUNC MekaSubActTbl[3];  // 1 and 2; sub-state 0 has none
// The player's pad direction this frame (-999 while a CPU mech is updated) and its history.
extern int PadDir;
extern int PadHist[MEKA_PAD_HIST_MAX];
extern int PadHistIndex;

// Drivers of the battle phases for CurObj; each returns 1.
int MEKA_Renew();
int MEKA_RenewFreeze();
int MEKA_RenewStart();
int MEKA_RenewCutIn();
int MEKA_RenewScript();
// 1 when it started a dash or boost.
int MEKA_CheckPadAct();

int MEKA_ActStand(int* gravity);
int MEKA_ActWalk(int* gravity);
int MEKA_ActBoost(int* gravity);
int MEKA_ActDash(int* gravity);
int MEKA_ActHit(int* gravity);
int MEKA_ActBlown(int* gravity);
int MEKA_ActDown(int* gravity);

// Animation a (b while boosting, when b is not negative), facing mode 2 (aim point) or 4 (target);
// 1, 0 for no mech.
int MEKA_SetAnim(LIST_DATA* obj, int a, int b, int mode, int restart, int loop);
// The movement vector of direction 0..7 (0 down, clockwise); diagonals are not shortened.
void MEKA_SetDirSpeed(LIST_DATA* obj, int dir, int speed);
// Direction 0..7 of the pad bits (1 up, 2 down, 4 left, 8 right), -1 none or contradictory.
int MEKA_PadToDir(int pad);
// Moves CurObj's (x16, y16) out of the first mech it overlaps; 1 when it pushed.
int MEKA_PushApart(FIX16* x16, FIX16* y16, int ignoreMeka);
// One movement sub-step of CurObj (the height only on the first); 1 when a collision step reported
// contact.
int MEKA_Move(int gravity, int ignoreMeka);
void MEKA_SetFrameVelocity();
// Shake and flash of every mech sprite, once per drawn frame.
void MEKA_RenewShake();
