// The battle mode: its sub-state machine (main sequence 4), the loading and release of what every
// battle needs, the result screen and the debug overlay.
#pragma once
#include "platform/types.h"

constexpr int BTL_STATE_MAX = 21;  // sub-states 0..20; a larger value runs nothing
constexpr int BTL_DEBUG_ROW_MAX = 10;

struct BTL_DEBUG_ROW {
    u8 enabled;
    char label[15];
};

// 1, or 0 in the frame in which sub-state 20 hands over to the title.
int BTL_Loop();
// previous := current, current := n; returns the previous value that was replaced.
int BTL_SetState(int n);
// 1 the previous sub-state, 2 the one the frame began with, anything else the current one.
int BTL_GetState(int which);
// 1 while the battle type is 1, 2 or 3 (the survival battle is 1), else 0.
int BTL_CheckBattleType();

int BTL_InitBattle();
// A new fight with the mechs kept.
int BTL_SetupBattle();
// Safe to repeat: a second call finds nothing left to free.
int BTL_ReleaseBattle();
void BTL_ResetBattleWork();
void BTL_DelAllObjects();
// The same walk without the mechs.
void BTL_DelSubObjects();
void BTL_ReleaseStartBanner();
void BTL_DummyFunc();
// One frame of the result screen; its step ends with sub-state 20. Always 0.
int BTL_Result(u32* counter);

void BTL_InitDebugInfo();
// 0 when no overlay exists, else 1.
int BTL_TermDebugInfo();
void BTL_DrawDebugInfo();

// The weapon-level bonus added to a technique group's level when the player picks a technique.
extern i8 BtlLevelBonus;
extern i16 BtlType;  // 1 the survival battle
extern u32 BtlCounter;  // the phase counter handed to the frame steps
extern i32 BtlResultStep;
extern i32 BtlResultSurf;
extern i32 BtlResultSpr;
extern BTL_DEBUG_ROW BtlDebugRowTbl[BTL_DEBUG_ROW_MAX];
extern i32 BtlDebugGlyphSurf;  // -1 none
extern i32 BtlDebugSurf;       // -1 none
extern i32 BtlDebugLabelW;
extern i32 BtlDebugW;
extern i32 BtlDebugH;
extern u8 BtlDebugView;
// The overlay's sprite is the renderer's BtlDebugSpr (battle/btl_draw.h).
