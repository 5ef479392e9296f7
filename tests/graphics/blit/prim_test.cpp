#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "draw_test_util.h"
#include "graphics/blit/prim.h"

using namespace drawtest;

namespace {

class PrimDepth : public ::testing::TestWithParam<u32> {
protected:
    SurfacePtr surf = MakeSurface(16, 12, GetParam());
    plat::SurfaceDesc desc = DescOf(surf.get());
    std::string Picture() const { return Art(surf.get()); }
    void Clear() { std::memset(surf->pixels, 0, size_t(surf->pitch) * surf->height); }
};

TEST_P(PrimDepth, SpansClipAndIgnoreEndOrder) {
    PRIM_HLine(&desc, 5, 2, 1, 7);
    PRIM_HLine(&desc, 9, 9, 3, 7);
    PRIM_HLine(&desc, -10, 16 + 10, 5, 7);
    PRIM_HLine(&desc, 0, 15, 12, 7);  // row H
    PRIM_HLine(&desc, 0, 15, -1, 7);
    PRIM_HLine(&desc, -5, -1, 7, 7);   // wholly left
    PRIM_HLine(&desc, 16, 30, 7, 7);   // wholly right
    PRIM_VLine(&desc, 11, 8, 2, 7);
    PRIM_VLine(&desc, -3, 100, 14, 7);
    PRIM_VLine(&desc, 0, 11, 16, 7);  // column W
    EXPECT_EQ(Picture(), Lines({
                             "..............#.",
                             "..####........#.",
                             "..............#.",
                             ".........#....#.",
                             "..............#.",
                             "################",
                             "..............#.",
                             "..............#.",
                             "..#...........#.",
                             "..#...........#.",
                             "..#...........#.",
                             "..#...........#.",
                         }));
    Clear();
    PRIM_HLine(&desc, 2, 5, 1, 7);
    PRIM_VLine(&desc, 8, 11, 2, 7);
    EXPECT_EQ(Count(surf.get()), 8);
}

TEST_P(PrimDepth, RectanglesOutlineOrdersCornersFillDoesNot) {
    PRIM_Rect(&desc, 10, 8, 3, 3, 1);
    const std::string reversed = Picture();
    Clear();
    PRIM_Rect(&desc, 3, 3, 10, 8, 1);
    EXPECT_EQ(Picture(), reversed);
    EXPECT_EQ(Picture(), Lines({
                             "................",
                             "................",
                             "................",
                             "...########.....",
                             "...#......#.....",
                             "...#......#.....",
                             "...#......#.....",
                             "...#......#.....",
                             "...########.....",
                             "................",
                             "................",
                             "................",
                         }));
    Clear();
    PRIM_RectFill(&desc, 10, 8, 3, 3, 1);
    EXPECT_EQ(Count(surf.get()), 0);
    PRIM_RectFill(&desc, 3, 3, 10, 8, 1);
    EXPECT_EQ(Count(surf.get()), 8 * 6);
    Clear();
    // Clipped on every side; an outline whose edges fall outside keeps only the visible ones.
    PRIM_RectFill(&desc, -4, -4, 100, 100, 1);
    EXPECT_EQ(Count(surf.get()), 16 * 12);
    Clear();
    PRIM_Rect(&desc, -1, -1, 16, 5, 1);
    EXPECT_EQ(Picture(), Lines({
                             "................",
                             "................",
                             "................",
                             "................",
                             "................",
                             "################",
                             "................",
                             "................",
                             "................",
                             "................",
                             "................",
                             "................",
                         }));
}

TEST_P(PrimDepth, LinesAreSymmetricAndCountMaxPlusOne) {
    PRIM_Line(&desc, 0, 0, 9, 3, 1);
    const std::string forward = Picture();
    EXPECT_EQ(Count(surf.get()), 10);
    Clear();
    PRIM_Line(&desc, 9, 3, 0, 0, 1);
    EXPECT_EQ(Picture(), forward);
    Clear();
    PRIM_Line(&desc, 2, 2, 2, 2, 1);
    EXPECT_EQ(Count(surf.get()), 1);
    EXPECT_NE(Get(surf.get(), 2, 2), 0u);

    // Random lines inside the surface: both ends set, max(dx, dy) + 1 pixels, either direction.
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> xs(0, 15), ys(0, 11);
    for (int i = 0; i < 200; ++i) {
        const int x1 = xs(rng), y1 = ys(rng), x2 = xs(rng), y2 = ys(rng);
        Clear();
        PRIM_Line(&desc, x1, y1, x2, y2, 1);
        const std::string a = Picture();
        ASSERT_EQ(Count(surf.get()), std::max(std::abs(x2 - x1), std::abs(y2 - y1)) + 1);
        ASSERT_NE(Get(surf.get(), x1, y1), 0u);
        ASSERT_NE(Get(surf.get(), x2, y2), 0u);
        Clear();
        PRIM_Line(&desc, x2, y2, x1, y1, 1);
        ASSERT_EQ(Picture(), a) << x1 << "," << y1 << " " << x2 << "," << y2;
    }
}

TEST_P(PrimDepth, LockWrappersDrawAndFailedLockLeavesSurfaceLocked) {
    PRIM_PutPixelLock(surf.get(), 4, 4, 9);
    PRIM_RectFillLock(surf.get(), 0, 0, 1, 0, 9);
    EXPECT_EQ(PRIM_GetPixelLock(surf.get(), 4, 4), 9u);
    EXPECT_EQ(PRIM_GetPixelLock(surf.get(), 1, 0), 9u);
    EXPECT_EQ(surf->lockCount, 0);

    plat::SurfaceDesc held{};
    ASSERT_EQ(plat::LockSurface(surf.get(), &held), 0);
    PRIM_HLineLock(surf.get(), 0, 15, 6, 9);
    PRIM_CircleFillLock(surf.get(), 8, 8, 2, 9);
    EXPECT_EQ(PRIM_GetPixelLock(surf.get(), 4, 4), 0u);  // lock refused: 0
    EXPECT_EQ(surf->lockCount, 1);                       // and nothing unlocked it
    plat::UnlockSurface(surf.get());
    EXPECT_EQ(Count(surf.get()), 3);
}

INSTANTIATE_TEST_SUITE_P(Depths, PrimDepth, ::testing::Values(8u, 16u, 32u));

TEST(Prim, WorkersStoreTheLowBitsOfTheColour) {
    auto s8 = MakeSurface(4, 4, 8), s16 = MakeSurface(4, 4, 16), s32 = MakeSurface(4, 4, 32);
    const auto d8 = DescOf(s8.get()), d16 = DescOf(s16.get()), d32 = DescOf(s32.get());
    PRIM_PutPixel8(&d8, 1, 1, 0x1FF);
    PRIM_PutPixel16(&d16, 1, 1, 65536 + 5);
    PRIM_PutPixel32(&d32, 1, 1, 0xDEADBEEF);
    PRIM_HLine16(&d16, 0, 3, 2, 0x12345);
    PRIM_RectFill8(&d8, 0, 3, 3, 3, 0x301);
    EXPECT_EQ(Get(s8.get(), 1, 1), 0xFFu);
    EXPECT_EQ(Get(s16.get(), 1, 1), 5u);
    EXPECT_EQ(Get(s32.get(), 1, 1), 0xDEADBEEFu);
    EXPECT_EQ(Get(s16.get(), 3, 2), 0x2345u);
    EXPECT_EQ(Get(s8.get(), 3, 3), 1u);
    // The pixel beside the 16-bit one stays clean (no 32-bit store).
    EXPECT_EQ(Get(s16.get(), 2, 1), 0u);
}

TEST(Prim, GetPixelAndDispatchersRefuseOtherDepthsAndOutside) {
    auto s16 = MakeSurface(6, 3, 16);
    auto d16 = DescOf(s16.get());
    PRIM_PutPixel(&d16, 5, 0, 0xABCD);
    EXPECT_EQ(PRIM_GetPixel(&d16, 5, 0), 0xABCDu);
    EXPECT_EQ(PRIM_GetPixel(&d16, 6, 0), 0u);
    EXPECT_EQ(PRIM_GetPixel(&d16, -1, 0), 0u);
    EXPECT_EQ(PRIM_GetPixel(&d16, 0, 3), 0u);

    auto s24 = MakeSurface(6, 3, 24);
    auto d24 = DescOf(s24.get());
    Set(s24.get(), 1, 1, 0x123456);
    EXPECT_EQ(PRIM_GetPixel(&d24, 1, 1), 0u);
    PRIM_RectFill(&d24, 0, 0, 5, 2, 7);
    PRIM_LineLock(s24.get(), 0, 0, 5, 2, 7);
    PRIM_EllipseLock(s24.get(), 2, 1, 3, 1, 7);
    EXPECT_EQ(Count(s24.get()), 1);
    EXPECT_EQ(s24->lockCount, 0);  // the lock-and-dispatch wrapper still unlocks
}

TEST(Prim, ClipLineKeepsEndsOnTheLine) {
    auto s = MakeSurface(16, 20, 8);
    auto d = DescOf(s.get());
    i32 x1 = -100, y1 = 10, x2 = 116, y2 = 10;
    ASSERT_EQ(PRIM_ClipLine(&d, x1, y1, x2, y2), 1);
    EXPECT_EQ((std::vector<i32>{x1, y1, x2, y2}), (std::vector<i32>{0, 10, 15, 10}));
    i32 vx1 = 3, vy1 = -50, vx2 = 3, vy2 = 50;
    ASSERT_EQ(PRIM_ClipLine(&d, vx1, vy1, vx2, vy2), 1);
    EXPECT_EQ((std::vector<i32>{vx1, vy1, vx2, vy2}), (std::vector<i32>{3, 0, 3, 19}));
    // Clipped in x, still above: then clipped in y, x recomputed from the original end.
    i32 dx1 = -4, dy1 = -10, dx2 = 6, dy2 = 10;
    ASSERT_EQ(PRIM_ClipLine(&d, dx1, dy1, dx2, dy2), 1);
    EXPECT_EQ((std::vector<i32>{dx1, dy1, dx2, dy2}), (std::vector<i32>{1, 0, 6, 10}));
    i32 a = -5, b = 1, c = -1, e = 9;
    EXPECT_EQ(PRIM_ClipLine(&d, a, b, c, e), 0);
    i32 f = 1, g = 20, h = 9, k = 25;
    EXPECT_EQ(PRIM_ClipLine(&d, f, g, h, k), 0);

    PRIM_Line(&d, -100, 10, 116, 10, 1);
    EXPECT_EQ(Count(s.get()), 16);
    PRIM_Line(&d, -30, 3, -1, 15, 1);  // both left
    PRIM_Line(&d, 0, 20, 15, 40, 1);   // both below
    EXPECT_EQ(Count(s.get()), 16);
}

// Lines with ends far outside, drawn on a window of a larger surface: nothing may land in the
// frame around the window.
TEST(Prim, ClippedLinesNeverWriteOutsideTheSurface) {
    for (u32 bpp : {8u, 16u, 32u}) {
        auto big = MakeSurface(32, 28, bpp);
        plat::SurfaceDesc win = DescOf(big.get());
        const i32 bytes = i32(bpp / 8);
        win.pixels = big->pixels + 6 * big->pitch + 8 * bytes;
        win.width = 16;
        win.height = 12;
        std::mt19937 rng(bpp);
        std::uniform_int_distribution<int> near(-40, 60), far(-100000, 100000);
        for (int i = 0; i < 3000; ++i) {
            auto pick = [&] { return i % 3 == 0 ? far(rng) : near(rng); };
            PRIM_Line(&win, pick(), pick(), pick(), pick(), 0xFFFFFFFF);
        }
        for (i32 y = 0; y < 28; ++y)
            for (i32 x = 0; x < 32; ++x) {
                const bool inside = x >= 8 && x < 24 && y >= 6 && y < 18;
                if (!inside) {
                    ASSERT_EQ(Get(big.get(), x, y), 0u) << bpp << " at " << x << "," << y;
                }
            }
        EXPECT_GT(Count(big.get()), 100);
    }
}

}  // namespace
