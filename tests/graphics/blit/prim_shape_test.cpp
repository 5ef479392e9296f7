#include <gtest/gtest.h>

#include <cstring>

#include "draw_test_util.h"
#include "graphics/blit/prim.h"
#include "shell/math.h"

using namespace drawtest;

namespace {

class ShapeDepth : public ::testing::TestWithParam<u32> {
protected:
    SurfacePtr surf = MakeSurface(9, 9, GetParam());
    plat::SurfaceDesc desc = DescOf(surf.get());
    std::string Picture() const { return Art(surf.get()); }
    void Clear() { std::memset(surf->pixels, 0, size_t(surf->pitch) * surf->height); }
};

TEST_P(ShapeDepth, SmallCirclesAreSquareRings) {
    const std::vector<std::string> expected[4] = {
        {".........", ".........", ".........", ".........", "....#....", ".........", ".........", ".........",
         "........."},
        {".........", ".........", ".........", "...###...", "...#.#...", "...###...", ".........", ".........",
         "........."},
        {".........", ".........", "..#####..", "..#...#..", "..#...#..", "..#...#..", "..#####..", ".........",
         "........."},
        {".........", ".#######.", ".#.....#.", ".#.....#.", ".#.....#.", ".#.....#.", ".#.....#.", ".#######.",
         "........."},
    };
    for (int r = 0; r <= 3; ++r) {
        Clear();
        PRIM_Circle(&desc, 4, 4, r, 3);
        EXPECT_EQ(Picture(), Lines(expected[r])) << "radius " << r;
        Clear();
        PRIM_Ellipse(&desc, 4, 4, r, r, 3);
        EXPECT_EQ(Picture(), Lines(expected[r])) << "ellipse radius " << r;
    }
    Clear();
    PRIM_Circle(&desc, 4, 4, -1, 3);
    PRIM_CircleFill(&desc, 4, 4, -2, 3);
    EXPECT_EQ(Count(surf.get()), 0);
}

TEST_P(ShapeDepth, SmallFilledCirclesAreBlocks) {
    for (int r = 0; r <= 2; ++r) {
        Clear();
        PRIM_CircleFill(&desc, 4, 4, r, 3);
        EXPECT_EQ(Count(surf.get()), (2 * r + 1) * (2 * r + 1)) << r;
        EXPECT_NE(Get(surf.get(), 4 - r, 4 - r), 0u);
        EXPECT_NE(Get(surf.get(), 4 + r, 4 + r), 0u);
    }
}

TEST_P(ShapeDepth, CircleOnTheEdgeKeepsTheInsideHalf) {
    PRIM_Circle(&desc, 0, 4, 3, 3);
    EXPECT_EQ(Picture(), Lines({".........", "####.....", "...#.....", "...#.....", "...#.....", "...#.....",
                                "...#.....", "####.....", "........."}));
}

TEST_P(ShapeDepth, PatternAnchorsAtTheClippedCorner) {
    const u8 solid[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    PRIM_PatternFill(&desc, 1, 2, 6, 5, 3, 0, solid);
    const std::string byPattern = Picture();
    Clear();
    PRIM_RectFill(&desc, 1, 2, 6, 5, 3);
    EXPECT_EQ(Picture(), byPattern);

    const u8 checker[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    Clear();
    PRIM_PatternFill(&desc, 1, 1, 4, 3, 3, 0, checker);
    EXPECT_EQ(Picture(), Lines({".........", ".#.#.....", "..#.#....", ".#.#.....", ".........", ".........",
                                ".........", ".........", "........."}));
    // Starting left of and above the surface: bit 7 and row 0 fall on column 0 and row 0.
    const u8 corner[8] = {0x80, 0, 0, 0, 0, 0, 0, 0};
    Clear();
    PRIM_PatternFill(&desc, -3, -2, 8, 8, 3, 0, corner);
    EXPECT_EQ(Picture(), Lines({"#.......#", ".........", ".........", ".........", ".........", ".........",
                                ".........", ".........", "#.......#"}));
    // Reversed corners draw nothing, as the filled rectangle.
    Clear();
    PRIM_PatternFill(&desc, 6, 5, 1, 2, 3, 0, solid);
    EXPECT_EQ(Count(surf.get()), 0);
}

TEST_P(ShapeDepth, KeyedPatternSparesKeyPixels) {
    const u8 solid[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    PRIM_PatternFill(&desc, 0, 0, 8, 8, 3, 1, solid);  // key 0 over an empty surface
    EXPECT_EQ(Count(surf.get()), 0);
    PRIM_HLine(&desc, 0, 8, 4, 5);
    PRIM_PatternFill(&desc, 0, 0, 8, 8, 3, 1, solid);
    EXPECT_EQ(Count(surf.get()), 9);
    EXPECT_EQ(PRIM_GetPixel(&desc, 2, 4), 3u);
    // The key is compared at the pixel's width.
    desc.colorKeyLow = 0x12340003u;
    PRIM_PatternFill(&desc, 0, 0, 8, 8, 6, 1, solid);
    const u32 expected = GetParam() == 32 ? 6u : 3u;
    EXPECT_EQ(PRIM_GetPixel(&desc, 2, 4), expected);
    EXPECT_EQ(PRIM_GetPixel(&desc, 2, 3), 6u);
}

INSTANTIATE_TEST_SUITE_P(Depths, ShapeDepth, ::testing::Values(8u, 16u, 32u));

TEST(PrimShape, EqualRadiiEllipsesMatchCircles) {
    for (u32 bpp : {8u, 16u, 32u}) {
        auto a = MakeSurface(40, 40, bpp), b = MakeSurface(40, 40, bpp);
        auto da = DescOf(a.get()), db = DescOf(b.get());
        for (int r = 0; r <= 19; ++r) {
            std::memset(a->pixels, 0, size_t(a->pitch) * 40);
            std::memset(b->pixels, 0, size_t(b->pitch) * 40);
            PRIM_Circle(&da, 20, 19, r, 1);
            PRIM_Ellipse(&db, 20, 19, r, r, 1);
            ASSERT_EQ(Art(a.get()), Art(b.get())) << "outline " << r;
            PRIM_CircleFill(&da, 20, 19, r, 2);
            PRIM_EllipseFill(&db, 20, 19, r, r, 2);
            ASSERT_EQ(Art(a.get()), Art(b.get())) << "filled " << r;
        }
    }
}

TEST(PrimShape, FilledEllipsesCoverTheirOutlines) {
    auto s = MakeSurface(80, 80, 8);
    auto d = DescOf(s.get());
    for (auto [rx, ry] : {std::pair{30, 6}, std::pair{6, 30}, std::pair{25, 24}, std::pair{3, 17}}) {
        std::memset(s->pixels, 0, size_t(s->pitch) * 80);
        PRIM_Ellipse(&d, 40, 40, rx, ry, 2);
        PRIM_EllipseFill(&d, 40, 40, rx, ry, 1);
        for (i32 y = 0; y < 80; ++y) {
            // The fill paints over every outline pixel, and each row is one run without gaps.
            int runs = 0;
            for (i32 x = 0; x < 80; ++x) {
                ASSERT_NE(Get(s.get(), x, y), 2u) << rx << "x" << ry << " outline not covered at " << x << "," << y;
                if (Get(s.get(), x, y) != 0 && (x == 0 || Get(s.get(), x - 1, y) == 0)) ++runs;
            }
            ASSERT_LE(runs, 1) << rx << "x" << ry << " row " << y;
        }
    }
}

TEST(PrimShape, EllipseWithZeroLargerRadiusMarksOnlyItsCentre) {
    auto s = MakeSurface(9, 9, 16);
    auto d = DescOf(s.get());
    PRIM_Ellipse(&d, 4, 4, 0, 0, 1);
    PRIM_EllipseFill(&d, 4, 4, 0, -3, 1);
    PRIM_Ellipse(&d, 4, 4, -2, 0, 1);
    EXPECT_EQ(Count(s.get()), 1);
    EXPECT_EQ(Get(s.get(), 4, 4), 1u);
    PRIM_Ellipse(&d, 4, 4, -2, -1, 1);  // both negative: nothing
    EXPECT_EQ(Count(s.get()), 1);
}

}  // namespace

namespace {

// Row r of a rotated bar as palette offsets from the colour ('.' for untouched).
std::string BarRow(const plat::Surface* s, i32 y, u32 color) {
    std::string out;
    for (i32 x = 0; x < s->width; ++x) {
        const u32 v = Get(s, x, y);
        out += v == 0 ? '.' : char('0' + (v - color));
    }
    return out;
}

std::vector<i32> DrawnRows(const plat::Surface* s) {
    std::vector<i32> rows;
    for (i32 y = 0; y < s->height; ++y)
        for (i32 x = 0; x < s->width; ++x)
            if (Get(s, x, y) != 0) {
                rows.push_back(y);
                break;
            }
    return rows;
}

TEST(PrimRotBar, RightAnglesTurnTheBarAboutItsStart) {
    const std::string right = std::string(20, '.') + "01234554321" + std::string(17, '.');
    for (i32 angle : {270, 630, -90}) {
        auto s = MakeSurface(48, 48, 8);
        PRIM_RotBarFill8(s.get(), 20, 30, 4, 10, angle, 10);
        EXPECT_EQ(DrawnRows(s.get()), (std::vector<i32>{28, 29, 30, 31})) << angle;
        for (i32 y = 28; y <= 31; ++y) EXPECT_EQ(BarRow(s.get(), y, 10), right) << angle << " row " << y;
    }
    auto left = MakeSurface(48, 48, 8);
    PRIM_RotBarFill8(left.get(), 20, 30, 4, 10, 90, 10);
    EXPECT_EQ(DrawnRows(left.get()), (std::vector<i32>{28, 29, 30, 31}));
    EXPECT_EQ(BarRow(left.get(), 29, 10), std::string(10, '.') + "01234554321" + std::string(27, '.'));

    auto down = MakeSurface(48, 48, 8);
    PRIM_RotBarFill8(down.get(), 20, 30, 4, 10, 0, 10);
    EXPECT_EQ(DrawnRows(down.get()), (std::vector<i32>{30, 31, 32, 33, 34, 35, 36, 37, 38, 39}));
    for (i32 y = 30; y <= 39; ++y)
        EXPECT_EQ(BarRow(down.get(), y, 10), std::string(18, '.') + "01221" + std::string(25, '.'));
}

// 45 degrees at the game's shift: the corners turn by fixed-point factors to (21, 21), (18, 18),
// (14, 22) and (17, 25); the edge walks and the ramp give these rows, the last corner's row left out.
TEST(PrimRotBar, ABarAtFortyFiveDegreesFillsBetweenItsTurnedEdges) {
    const u32 savedShift = MATH_GetShift();
    MATH_SetShift(16);
    auto s = MakeSurface(32, 32, 8);
    PRIM_RotBarFill8(s.get(), 20, 20, 4, 6, 45, 10);
    MATH_SetShift(savedShift);
    const struct {
        i32 y;
        i32 from;
        const char* ramp;
    } rows[] = {{18, 17, "00"},       {19, 16, "0111"},    {20, 15, "012221"}, {21, 14, "01233321"},
                {22, 14, "0123321"}, {23, 16, "0111"},    {24, 17, "00"}};
    EXPECT_EQ(DrawnRows(s.get()), (std::vector<i32>{18, 19, 20, 21, 22, 23, 24}));
    for (const auto& r : rows) {
        const std::string ramp = r.ramp;
        EXPECT_EQ(BarRow(s.get(), r.y, 10), std::string(size_t(r.from), '.') + ramp +
                                                std::string(32 - size_t(r.from) - ramp.size(), '.'))
            << "row " << r.y;
    }
}

TEST(PrimRotBar, RowsAndColumnsOffTheSurfaceAreSkipped) {
    auto s = MakeSurface(16, 12, 8);
    PRIM_RotBarFill8(s.get(), 8, 6, 6, 200, 0, 1);    // far below the surface and the table
    PRIM_RotBarFill8(s.get(), 8, 6, 6, 200, 180, 1);  // far above
    PRIM_RotBarFill8(s.get(), -5, 6, 30, 400, 270, 1);
    EXPECT_EQ(DrawnRows(s.get()).size(), 12u);
    PRIM_RotBarFill8(s.get(), 8, 6, 5, 7, 45, 1);  // an angle between the right ones
    EXPECT_EQ(s->lockCount, 0);
}

}  // namespace
