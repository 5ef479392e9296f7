#include <gtest/gtest.h>

#include <array>

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

// A window pixel reads as the picture pixel the renderer shows there: the one under its centre. Bars
// read outside the picture on every side, also a fraction of a pixel beyond its edge.
TEST(Picture, LetterboxedMappingKeepsBarsOutside) {
    const RECT side{240, 0, 1680, 1080};  // 1920×1080: bars left and right, ×2.25
    const RECT above{0, 125, 1000, 875};  // 1000×1000: bars above and below, ×1.5625
    const struct {
        const char* what;
        RECT place;
        i32 wx, wy, px, py;
    } rows[] = {
        {"side: first pixel", side, 240, 0, 0, 0},
        {"side: last pixel", side, 1679, 1079, 639, 479},
        {"side: pixel centres", side, 242, 2, 1, 1},
        {"side: left bar", side, 239, 500, -1, 222},
        {"side: right bar", side, 1680, 500, 640, 222},
        {"top: first pixel", above, 0, 125, 0, 0},
        {"top: pixel centres", above, 3, 128, 2, 2},
        {"top: last pixel", above, 999, 874, 639, 479},
        {"top: upper bar", above, 500, 124, 320, -1},
        {"top: lower bar", above, 500, 875, 320, 480},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        plat::SetPicturePlacement(r.place, 640, 480);
        i32 x = 0, y = 0;
        plat::WindowToPicture(r.wx, r.wy, &x, &y);
        EXPECT_EQ((std::array<i32, 2>{x, y}), (std::array<i32, 2>{r.px, r.py}));
        plat::PictureToWindow(320, 240, &x, &y);
        plat::WindowToPicture(x, y, &x, &y);
        EXPECT_EQ((std::array<i32, 2>{x, y}), (std::array<i32, 2>{320, 240}));
    }
    plat::SetPicturePlacement(RECT{0, 0, 640, 480}, 640, 480);
}

}  // namespace
