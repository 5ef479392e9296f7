#include "platform/clock.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <thread>

namespace plat {

namespace {
std::function<u32()> g_source;
std::function<LocalTime()> g_localSource;
std::function<void(u32)> g_sleepSource;

// Never start near 0: the game treats a stamp of 0 as "never happened".
constexpr u64 kOrigin = 0x01000000;

u64 BootMs() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return u64(ts.tv_sec) * 1000u + u64(ts.tv_nsec) / 1000000u;
}

u32 RealTime() { return u32(BootMs() + kOrigin); }

bool StillAhead(u32 dueMs, u32 now) {
    const u32 left = dueMs - now;
    return left != 0 && left < 0x80000000u;
}
}  // namespace

u32 GetTimeMs() { return g_source ? g_source() : RealTime(); }

void SetTimeSource(std::function<u32()> source) { g_source = std::move(source); }

bool TimeSourceReplaced() { return bool(g_source); }

void SetSleepSource(std::function<void(u32 untilMs)> sleep) { g_sleepSource = std::move(sleep); }

void SetLocalTimeSource(std::function<LocalTime()> source) { g_localSource = std::move(source); }

LocalTime GetLocalTime() {
    if (g_localSource) return g_localSource();
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, int(ms), tm.tm_wday};
}

void SleepMs(u32 ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void SleepUntilMs(u32 dueMs) {
    if (g_source) {
        if (g_sleepSource && StillAhead(dueMs, g_source())) g_sleepSource(dueMs);
        return;
    }
    const u64 now = BootMs();
    if (!StillAhead(dueMs, u32(now + kOrigin))) return;
    // An absolute wake at the due millisecond's first nanosecond: a relative sleep of whole
    // milliseconds would start from somewhere inside the current one and end inside the next.
    const u64 due = now + (dueMs - u32(now + kOrigin));
    const timespec at{time_t(due / 1000u), long(due % 1000u) * 1000000L};
    while (clock_nanosleep(CLOCK_BOOTTIME, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}

}  // namespace plat
