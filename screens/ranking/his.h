// The survival history (the ten best runs and the run just played) and the ranking screen that
// inserts a finished run after a game over (mode 0) or only shows the table from the title (mode 1).
#pragma once
#include <cstddef>

#include "platform/types.h"
#include "shell/common.h"

constexpr int HIS_ENTRY_MAX = 10;  // table places; entry 10 is the current run
constexpr int HIS_ENTRY_SIZE = 44;
constexpr int HIS_DATA_SIZE = 488;
constexpr int HIS_ENEMY_MAX = 5;

constexpr int HIS_RANK_MAX = HIS_ENTRY_MAX;
constexpr int HIS_CUR = 10;  // the entry of the current run

struct HIS_ENTRY {
    i32 word0;    // carried along, never set
    i32 waves;    // the ranking key
    i32 type[HIS_ENEMY_MAX];  // the last wave's enemy mech types, -1 empty
    u16 time[8];  // a SYSTEMTIME: year, month, day of week, day, hour, minute, second, milliseconds
};
static_assert(sizeof(HIS_ENTRY) == HIS_ENTRY_SIZE && offsetof(HIS_ENTRY, time) == 28);

struct HIS_DATA {
    i32 word0;
    HIS_ENTRY entry[HIS_RANK_MAX + 1];
};
static_assert(sizeof(HIS_DATA) == HIS_DATA_SIZE && offsetof(HIS_DATA, entry) == 4);

extern HIS_DATA HisData;

// The record as its 488 little-endian bytes and back.
void HIS_ReadData(HIS_DATA* data, const u8* bytes);
void HIS_WriteData(const HIS_DATA* data, u8* bytes);

// The table place the current run earns: the first whose waves are <= the run's (a tie ranks the
// run higher), 10 when none.
int HIS_GetEntryPlace(const HIS_DATA* data);
// Moves places p..8 down (place 9 drops out) and copies the current run into p; the place, 10 when
// the run did not enter the table (nothing changes then).
int HIS_StoreEntry(HIS_DATA* data);

// Writes "History.dat" and then "Save\Svv.dat", each whole or not at all (creating "Save");
// 1 when both were written, else 0 with the old files kept.
int SVV_SaveHistory();
// 1 when "Save\Svv.dat" held 488 bytes (a longer file gives its first 488); else 0 and HisData is
// left as it was.
int SVV_LoadHistory();

// ---- the ranking screen ----

void HIS_SetMode(int mode);  // 0 entry after a game, 1 view from the title
int HIS_Loop();              // 1 in the frame the term phase ran
void HIS_Draw();
void HIS_Init();
void HIS_Run();
void HIS_Term();
void HIS_Entry();
void HIS_View();
void HIS_DrawRow(int row, int x, int y, int n);
void HIS_SwapRow(int a, int b);

void HIS_TimerStop(TIME_DATA* timer);
void HIS_TimerStart(TIME_DATA* timer, u32 duration);
int HIS_GetTimeRate(TIME_DATA* timer, int target);   // clamped to target
int HIS_GetTimeRate2(TIME_DATA* timer, int target);  // reaches target at duration x sqrt 2

// The screen's state, for tests.
struct HIS_ROW {
    i32 x, y;
    int sprite;
    int surface;
    TIME_DATA timer;
    i32 word1, word2;
    int sprite2;
    TIME_DATA timer2;
};
struct HIS_STATE {
    int requestedMode, mode, phase, entryStep, viewStep;
    int place;
    int rankingSurf, closingSurf, closingSpr;
    HIS_ROW row[HIS_ENTRY_MAX + 1];
    TIME_DATA t1, t2, t3, t4;
};
extern HIS_STATE HisState;
