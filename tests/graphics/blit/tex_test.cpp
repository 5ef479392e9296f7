#include <gtest/gtest.h>

#include <cstring>

#include "draw_test_util.h"
#include "graphics/blit/tex.h"

using namespace drawtest;

namespace {

u8 SourceValue(i32 x, i32 y) { return u8(1 + (y * 37 + x * 11) % 250); }

SurfacePtr MakeSource(i32 w, i32 h) {
    SurfacePtr s = MakeSurface(w, h, 8);
    for (i32 y = 0; y < h; ++y)
        for (i32 x = 0; x < w; ++x) Set(s.get(), x, y, SourceValue(x, y));
    return s;
}

// An axis-aligned quad of the source rectangle's size: rows copy exactly, but the span step
// ⌊(w−1)·256/w⌋ falls short, so pixel k samples column ⌊(k·s + 128)/256⌋.
TEST(TexQuad, AxisAlignedQuadSamplesTheShortSpanStep) {
    auto src = MakeSource(14, 9);
    for (i32 w : {1, 2, 5, 10, 13}) {
        auto dst = MakeSurface(40, 20, 8);
        const RECT r{1, 2, 1 + w, 8};
        const i32 h = r.bottom - r.top, X = 5, Y = 3;
        const POINT quad[4] = {{X, Y}, {X + w - 1, Y}, {X + w - 1, Y + h - 1}, {X, Y + h - 1}};
        BLT_TexQuad8(dst.get(), quad, src.get(), &r, 0);
        const i32 s = (w - 1) * 256 / w;
        int differs = 0;
        for (i32 y = 0; y < 20; ++y) {
            for (i32 x = 0; x < 40; ++x) {
                const bool inside = x >= X && x < X + w && y >= Y && y < Y + h;
                u32 expected = 0;
                if (inside) {
                    const i32 k = x - X, col = (k * s + 128) / 256;
                    expected = SourceValue(r.left + col, r.top + y - Y);
                    differs += col != k;
                }
                ASSERT_EQ(Get(dst.get(), x, y), expected) << "w " << w << " at " << x << "," << y;
            }
        }
        if (w == 10) {
            EXPECT_GT(differs, 0);  // the short step is real, not an exact copy
        }
    }
}

TEST(TexQuad, KeySparesSourceZero) {
    auto src = MakeSource(4, 4);
    Set(src.get(), 1, 1, 0);
    Set(src.get(), 2, 3, 0);
    const RECT r{0, 0, 4, 4};
    const POINT quad[4] = {{0, 0}, {3, 0}, {3, 3}, {0, 3}};
    for (int key : {0, 1}) {
        auto dst = MakeSurface(4, 4, 8);
        std::memset(dst->pixels, 0xEE, size_t(dst->pitch) * 4);
        BLT_TexQuad8(dst.get(), quad, src.get(), &r, key);
        // Columns 0 and 3 of a 4-wide span sample columns 0 and 2 (step 192): (1,1) and (2,3) are
        // read at destination (1,1) and (3,3).
        EXPECT_EQ(Get(dst.get(), 1, 1), key ? 0xEEu : 0u);
        EXPECT_EQ(Get(dst.get(), 3, 3), key ? 0xEEu : 0u);
        EXPECT_EQ(Get(dst.get(), 0, 0), SourceValue(0, 0));
    }
}

TEST(TexQuad, TriangleEdgesStopOneStepShort) {
    auto src = MakeSurface(8, 8, 8);
    std::memset(src->pixels, 7, size_t(src->pitch) * 8);
    auto dst = MakeSurface(6, 6, 8);
    const POINT tri[3] = {{0, 0}, {4, 0}, {0, 4}};
    const POINT tex[3] = {{0, 0}, {4, 0}, {0, 4}};
    BLT_TexTri8(dst.get(), tri, src.get(), tex, 0);
    EXPECT_EQ(Art(dst.get()), Lines({"#####.", "###...", "##....", "#.....", "#.....", "......"}));
}

TEST(TexQuad, EdgeWalkMarksRowsInsideTheTableOnly) {
    for (TEX_EDGE& e : TexEdgeTbl) e = {9999, -9999, 0, 0, 0, 0};
    BLT_SetTexEdge(7, 5, 7, 5, 3, 4, 3, 4);  // degenerate: one pixel with its texture point
    const TEX_EDGE& row = TexEdgeTbl[5];
    EXPECT_EQ(row.minX, 7);
    EXPECT_EQ(row.maxX, 7);
    EXPECT_EQ(row.minU, 3 * 256);
    EXPECT_EQ(row.minV, 4 * 256);
    EXPECT_EQ(row.maxU, 3 * 256);
    BLT_SetTexEdge(0, -9, 30, -1, 0, 0, 5, 5);
    BLT_SetTexEdge(0, 480, 3, 900, 0, 0, 5, 5);
    int marked = 0;
    for (const TEX_EDGE& e : TexEdgeTbl) marked += e.minX <= e.maxX;
    EXPECT_EQ(marked, 1);
    // A long steep edge: one mark per row, texture stepped by the distance to land on the far end.
    BLT_SetTexEdge(10, 10, 12, 20, 0, 0, 0, 10);
    EXPECT_EQ(TexEdgeTbl[10].minX, 10);
    EXPECT_EQ(TexEdgeTbl[20].minV, 10 * 256);
    EXPECT_LT(TexEdgeTbl[20].minX, 12);  // the position steps by the count and stops short
}

// The row table reaches row 479 whatever the destination: rows stop at the surface, and texture
// points outside the source are not sampled.
TEST(TexQuad, ShortDestinationsAndOutsideTexturesStayInBounds) {
    auto src = MakeSurface(4, 4, 8);
    std::memset(src->pixels, 9, size_t(src->pitch) * 4);
    auto dst = MakeSurface(8, 10, 8);
    const RECT r{0, 0, 4, 4};
    const POINT tall[4] = {{0, 0}, {7, 0}, {7, 600}, {0, 600}};
    BLT_TexQuad8(dst.get(), tall, src.get(), &r, 0);
    EXPECT_EQ(Count(dst.get()), 8 * 10);

    auto dst2 = MakeSurface(24, 24, 8);
    const POINT tri[3] = {{0, 0}, {19, 0}, {0, 19}};
    const POINT tex[3] = {{0, 0}, {40, 0}, {0, 40}};
    BLT_TexTri8(dst2.get(), tri, src.get(), tex, 0);
    EXPECT_EQ(Get(dst2.get(), 0, 0), 9u);
    EXPECT_EQ(Get(dst2.get(), 1, 1), 9u);
    EXPECT_EQ(Get(dst2.get(), 10, 0), 0u);
    EXPECT_EQ(Get(dst2.get(), 0, 10), 0u);
    const RECT wide{-20, -20, 60, 60};
    BLT_TexQuad8(dst2.get(), tall, src.get(), &wide, 0);  // just must not read outside
}

TEST(TexQuad, FailedLocksDrawNothingAndReleaseTheDestination) {
    auto src = MakeSource(4, 4);
    auto dst = MakeSurface(4, 4, 8);
    const RECT r{0, 0, 4, 4};
    const POINT quad[4] = {{0, 0}, {3, 0}, {3, 3}, {0, 3}};
    plat::SurfaceDesc held{};
    ASSERT_EQ(plat::LockSurface(src.get(), &held), 0);
    BLT_TexQuad8(dst.get(), quad, src.get(), &r, 0);
    EXPECT_EQ(dst->lockCount, 0);
    EXPECT_EQ(Count(dst.get()), 0);
    plat::UnlockSurface(src.get());
    ASSERT_EQ(plat::LockSurface(dst.get(), &held), 0);
    BLT_TexQuad8(dst.get(), quad, src.get(), &r, 0);
    EXPECT_EQ(src->lockCount, 0);
    EXPECT_EQ(dst->lockCount, 1);
    plat::UnlockSurface(dst.get());
    EXPECT_EQ(Count(dst.get()), 0);
}

}  // namespace
