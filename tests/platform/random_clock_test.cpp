#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/clock.h"
#include "platform/random.h"
#include "test_support.h"

namespace {

TEST(Random, FollowsTheRuntimeSequence) {
    plat::SRand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int v : expected) EXPECT_EQ(plat::Rand(), v);
}

TEST(Clock, RealClockNeverStartsNearZero) { EXPECT_GT(plat::GetTimeMs(), 1000u); }

TEST(Clock, FakeClockWraps) {
    test::FakeClock clock(0xFFFFFFF0u);
    u32 before = plat::GetTimeMs();
    clock.Advance(0x22);
    EXPECT_EQ(plat::GetTimeMs(), 0x12u);
    EXPECT_EQ(u32(plat::GetTimeMs() - before), 0x22u);
}

// The real clock's absolute sleep returns at once for a due time reached or passed (one taken as
// ahead would sleep up to 49 days), and wakes no earlier than one ahead. Each row sleeps in a child
// whose alarm ends a sleep that does not return.
TEST(Clock, RealSleepUntilReturnsByItsDueTime) {
    for (const i64 offset : {i64(-1), i64(-1000), -i64(0x70000000), i64(0), i64(20)}) {
        const int status = test::InChild([offset] {
            alarm(2);
            const u32 due = u32(i64(plat::GetTimeMs()) + offset);
            plat::SleepUntilMs(due);
            _exit(u32(plat::GetTimeMs() - due) < 0x80000000u ? 0 : 1);
        });
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << offset;
    }
}

TEST(Clock, LocalTimeCanBeSet) {
    plat::SetLocalTimeSource([] { return plat::LocalTime{2026, 3, 9, 14, 5, 0, 0, 1}; });
    plat::LocalTime t = plat::GetLocalTime();
    EXPECT_EQ(t.month * 1000000 + t.day * 10000 + t.hour * 100 + t.minute, 3091405);
    plat::SetLocalTimeSource({});
    EXPECT_GE(plat::GetLocalTime().year, 2024);
}

}  // namespace
