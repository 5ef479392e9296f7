// Survival histories ("History.dat", "Save\Svv.dat"): 488 little-endian bytes.
#pragma once
#include <vector>

#include "platform/types.h"

namespace tools {

struct HisRun {
    i32 waves = 0;
    i32 enemy[5] = {-1, -1, -1, -1, -1};
    u16 time[8] = {};  // year, month, day of week, day, hour, minute, second, milliseconds
    u32 carried = 0;
};

// The carried word, entries 0..9 (missing ones all zero) and the current run.
std::vector<u8> MakeHistory(const std::vector<HisRun>& table, const HisRun& current, u32 carried = 0);

}  // namespace tools
