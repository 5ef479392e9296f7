#include "platform/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace plat {

namespace {
std::function<u32()> g_source;
std::function<LocalTime()> g_localSource;

// Never start near 0: the game treats a stamp of 0 as "never happened".
constexpr u64 kOrigin = 0x01000000;

u32 RealTime() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    u64 ms = u64(ts.tv_sec) * 1000u + u64(ts.tv_nsec) / 1000000u;
    return u32(ms + kOrigin);
}
}  // namespace

u32 GetTimeMs() { return g_source ? g_source() : RealTime(); }

void SetTimeSource(std::function<u32()> source) { g_source = std::move(source); }

bool TimeSourceReplaced() { return bool(g_source); }

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

}  // namespace plat
