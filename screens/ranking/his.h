// The survival history: the ten best runs and the current one, 488 bytes as stored on disk.
#pragma once
#include <cstddef>

#include "platform/types.h"

constexpr int HIS_RANK_MAX = 10;
constexpr int HIS_CUR = 10;  // the entry of the current run

struct HIS_ENTRY {
    i32 word0;  // carried along, never set
    i32 waves;  // the ranking key
    i32 type[5];  // the last wave's enemy mech types, -1 empty
    u16 time[8];  // year, month, day of week, day, hour, minute, second, milliseconds
};
static_assert(sizeof(HIS_ENTRY) == 44);

struct HIS_DATA {
    i32 word0;
    HIS_ENTRY entry[HIS_RANK_MAX + 1];
};
static_assert(sizeof(HIS_DATA) == 488 && offsetof(HIS_DATA, entry) == 4);

extern HIS_DATA HisData;

// 0 entry after a game (inside the battle mode), 1 view from the title.
void HIS_SetMode(int mode);
