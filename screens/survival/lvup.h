// The weapon level-up screen's bookkeeping: a won wave's uses become mastery and experience, and the
// bars fill a frame at a time. These work on the records alone so that the screen's drawing stays apart.
#pragma once
#include "platform/types.h"
#include "screens/save/save.h"

constexpr u8 LVUP_FLAG_MASTERY = 1;  // the mastery countdown runs
constexpr u8 LVUP_FLAG_EXP = 2;      // the experience bar fills

struct LVUP_BAR {
    int surf = -1;    // 100 × 12 bar surface
    int sprite = -1;
    int banner = -1;  // level-up banner sprite
    u8 flags = 0;
    i32 costShown = 0;
    i32 costStart = 0;
    i32 countdown = 0;
    i32 gain = 0;
    i32 barStart = 0;
    i32 barWidth = 0;
    i32 shownExp = 0;
};

// What one frame of a bar's fill brought.
constexpr int LVUP_EVENT_MASTERED = 1;  // the mastery countdown ended
constexpr int LVUP_EVENT_LEVEL = 2;     // the technique's level rose
constexpr int LVUP_EVENT_FULL = 4;      // level 0 passed 1000: the bar starts again
constexpr int LVUP_EVENT_TOP = 8;       // the bar reached 1000 (at any level): the stars are redrawn

// The wave's gains of one technique: cost is its gauge cost now, base its base cost.
void LVUP_TakeGains(LVUP_BAR* bar, WAZA_EXP* exp, i32 cost, i32 base);
// One frame of one bar; LVUP_EVENT_* bits.
int LVUP_FillStep(LVUP_BAR* bar, WAZA_EXP* exp);
// The battle sub-state after the screen, given the wave counter already counted on: the portrait
// (18) after every third wave up to the 16th portrait, else the next wave (15).
int LVUP_NextState(int waveCounter);

// ---- the screen ----

constexpr int LVUP_BAR_MAX = 12;  // 4 rows of 3 equipped techniques

extern LVUP_BAR LvupBarTbl[LVUP_BAR_MAX];
extern i32 LvupStep;       // 0 build, 1 fill, 2 wait, 99 end
extern i32 LvupSurf;       // "Bmp\WpnLvUp.bmp", -1 none
extern u32 LvupStartTime;  // when the screen was built

// The line of the technique in row r, column c.
constexpr i32 LVUP_LineY(int r, int c) { return 112 * r + 36 * c + 36; }
