#include "platform/timer.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/clock.h"

namespace plat {

namespace {
constexpr u32 kMinPeriodMs = 10;  // the platform's timer resolution; shorter periods run at it

struct Timer {
    u32 period;
    u32 last;
    std::function<void(u32)> tick;
};
std::map<u32, Timer> g_timers;
}  // namespace

void SetTimer(u32 id, u32 periodMs, std::function<void(u32 id)> tick) {
    g_timers[id] = Timer{std::max(periodMs, kMinPeriodMs), GetTimeMs(), std::move(tick)};
}

void KillTimer(u32 id) { g_timers.erase(id); }

bool TimerExists(u32 id) { return g_timers.count(id) != 0; }

void RunDueTimers() {
    u32 now = GetTimeMs();
    // A tick may kill or set timers: walk a snapshot of the ids.
    std::vector<u32> ids;
    for (auto& [id, t] : g_timers) ids.push_back(id);
    for (u32 id : ids) {
        auto it = g_timers.find(id);
        if (it == g_timers.end()) continue;
        if (u32(now - it->second.last) < it->second.period) continue;
        it->second.last = now;
        auto tick = it->second.tick;
        if (tick) tick(id);
    }
}

u32 MsUntilNextTimer() {
    const u32 now = GetTimeMs();
    u32 next = 0xFFFFFFFFu;
    for (const auto& [id, t] : g_timers) {
        const u32 elapsed = now - t.last;
        next = std::min(next, elapsed >= t.period ? 0u : t.period - elapsed);
    }
    return next;
}

void KillAllTimers() { g_timers.clear(); }

}  // namespace plat
