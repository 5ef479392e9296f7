// The millisecond clock: an unsigned 32-bit count that wraps, as the original's time since boot.
#pragma once
#include <functional>

#include "platform/types.h"

namespace plat {

u32 GetTimeMs();

// Tests replace the clock; an empty function restores the real one.
void SetTimeSource(std::function<u32()> source);
// Whether a test's clock is in place (it does not move while the process sleeps).
bool TimeSourceReplaced();
// Tests that follow a wait through time give it to their clock: under a test clock, SleepUntilMs calls
// this with the millisecond it sleeps until instead of returning at once. Empty: none.
void SetSleepSource(std::function<void(u32 untilMs)> sleep);

// Local wall-clock time, for the history dates.
struct LocalTime {
    int year, month, day, hour, minute, second, millisecond, weekday;
};
LocalTime GetLocalTime();
// Tests fix the local time; an empty function restores the real one.
void SetLocalTimeSource(std::function<LocalTime()> source);

void SleepMs(u32 ms);
// Sleeps until GetTimeMs reads dueMs, waking as that millisecond begins; at once when it is reached
// already (on the wrapping clock: when it lies less than 2^31 ms behind).
void SleepUntilMs(u32 dueMs);

}  // namespace plat
