// Main-thread timers in place of the window timers: the shell's loop delivers due ticks on every turn
// (also while the game is paused); nothing runs on another thread.
#pragma once
#include <functional>

#include "platform/types.h"

namespace plat {

// Starts or restarts timer id with the given period (periods below 10 ms, the platform's
// minimum, run at 10 ms).
void SetTimer(u32 id, u32 periodMs, std::function<void(u32 id)> tick);
void KillTimer(u32 id);
bool TimerExists(u32 id);
// Runs every timer whose period has passed since its last tick (at most one tick per timer a call).
void RunDueTimers();
// Milliseconds until the next tick is due (0 when one is due now); 0xFFFFFFFF with no timer.
u32 MsUntilNextTimer();
void KillAllTimers();

}  // namespace plat
