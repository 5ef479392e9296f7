#include <gtest/gtest.h>

#include "platform/picture.h"
#include "platform/timer.h"
#include "test_support.h"

namespace {

TEST(Timers, TickOncePerPeriodAndStopWhenKilled) {
    test::FakeClock clock;
    int ticks = 0;
    plat::SetTimer(5000, 0, [&](u32 id) {
        EXPECT_EQ(id, 5000u);
        ++ticks;
    });
    plat::RunDueTimers();
    EXPECT_EQ(ticks, 0);
    clock.Advance(10);
    plat::RunDueTimers();
    EXPECT_EQ(ticks, 1);
    clock.Advance(35);  // several periods late: still one tick
    plat::RunDueTimers();
    EXPECT_EQ(ticks, 2);
    plat::KillTimer(5000);
    clock.Advance(10);
    plat::RunDueTimers();
    EXPECT_EQ(ticks, 2);
    EXPECT_FALSE(plat::TimerExists(5000));
}

TEST(Timers, PeriodsBelowTheMinimumRunAtTenMilliseconds) {
    for (u32 period : {0u, 1u, 5u, 9u, 10u}) {
        SCOPED_TRACE(period);
        test::FakeClock clock;
        int ticks = 0;
        plat::SetTimer(7, period, [&](u32) { ++ticks; });
        clock.Advance(9);
        plat::RunDueTimers();
        EXPECT_EQ(ticks, 0);
        clock.Advance(1);
        plat::RunDueTimers();
        EXPECT_EQ(ticks, 1);
        plat::KillAllTimers();
    }
    test::FakeClock clock;
    int ticks = 0;
    plat::SetTimer(7, 25, [&](u32) { ++ticks; });
    clock.Advance(24);
    plat::RunDueTimers();
    EXPECT_EQ(ticks, 0) << "longer periods are kept";
    clock.Advance(1);
    plat::RunDueTimers();
    EXPECT_EQ(ticks, 1);
    plat::KillAllTimers();
}

TEST(Picture, LetterboxedMappingKeepsBarsOutside) {
    // A 1920×1080 window shows the picture 1440×1080 with 240-pixel bars.
    plat::SetPicturePlacement(RECT{240, 0, 1680, 1080}, 640, 480);
    i32 x, y;
    plat::WindowToPicture(240, 0, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    plat::WindowToPicture(1679, 1079, &x, &y);
    EXPECT_EQ(x, 639);
    EXPECT_EQ(y, 479);
    plat::WindowToPicture(239, 500, &x, &y);
    EXPECT_LT(x, 0);
    plat::WindowToPicture(1680, 500, &x, &y);
    EXPECT_GE(x, 640);
    plat::PictureToWindow(320, 240, &x, &y);
    plat::WindowToPicture(x, y, &x, &y);
    EXPECT_EQ(x, 320);
    EXPECT_EQ(y, 240);
    plat::SetPicturePlacement(RECT{0, 0, 640, 480}, 640, 480);
}

}  // namespace
