// The scroll buffer against a picture of the whole map: full redraws and random scrolls must show
// exactly the map under the view, drawing no more than the chips that come into view.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "battle/map/map.h"
#include "battle/map/scr.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "map_stage.h"

namespace {

using Ints = std::vector<int>;

std::vector<std::pair<i32, i32>> g_steps;
void RecordStep(i32 dx, i32 dy) { g_steps.emplace_back(dx, dy); }

class ScrollTest : public ::testing::Test {
protected:
    void Open(u16 w, u16 h, u32 seed, int objEvery) {
        ASSERT_TRUE(env_.ok());
        test::WriteStage(env_.dir(), 7, 0, 'L', {test::RandomMap(w, h, seed, 6, objEvery), test::OddCsp()});
        MAP_Open(7, 0, 0);
        ASSERT_EQ(MAP_IsOpen(), 1);
        whole_ = test::PaintWholeMap();
    }
    // The view as SCR_DrawScrBuf puts it on the back buffer.
    std::vector<u16> View() {
        const RECT all{0, 0, 640, 480};
        SURF_Fill(DispBackBuffer, &all, 0x5555);
        SCR_DrawScrBuf(DispBackBuffer, 0, 0, 0);
        return test::ReadSurface(DispBackBuffer);
    }
    void ExpectViewMatches(const char* what) {
        i32 x = -1, y = -1;
        const int bad = test::ViewMismatches(View(), whole_, &x, &y);
        EXPECT_EQ(bad, 0) << what << ": scroll (" << MapData->scrollX << ", " << MapData->scrollY << "), origin ("
                          << MapData->originX << ", " << MapData->originY << "), first at (" << x << ", " << y << ")";
    }
    void TearDown() override { ScrStepHook = nullptr; }

    test::MapFixtureEnv env_;
    std::vector<u16> whole_;
};

TEST_F(ScrollTest, RandomScrollsKeepTheViewEqualToTheMap) {
    Open(90, 70, 11, 12);
    const i32 maxX = MapData->pixelW - 640, maxY = MapData->pixelH - 480;
    std::mt19937 rng(5);
    for (int run = 0; run < 4; ++run) {
        SCR_Redraw(320 + i32(rng() % u32(maxX)), 240 + i32(rng() % u32(maxY)));
        ExpectViewMatches("redraw");
        for (int move = 0; move < 60; ++move) {
            i32 dx = i32(rng() % 81) - 40, dy = i32(rng() % 81) - 40;
            if (rng() % 8 == 0) dx = (rng() % 2 ? 1 : -1) * 2000;  // runs into an edge
            if (rng() % 8 == 0) dy = (rng() % 2 ? 1 : -1) * 2000;
            // As the camera does: only the part of the move that stays inside the range.
            dx = std::clamp(MapData->scrollX + dx, 0, maxX) - MapData->scrollX;
            dy = std::clamp(MapData->scrollY + dy, 0, maxY) - MapData->scrollY;
            const u32 before = ScrDrawChipCnt;
            SCR_Scroll(dx, dy);
            const i32 steps = std::max(std::abs(dx), std::abs(dy)) / 15 + 1;
            EXPECT_LE(ScrDrawChipCnt - before, u32(steps * (31 + 41)));
            ExpectViewMatches("scroll");
            if (HasFailure()) return;
        }
    }
}

TEST_F(ScrollTest, StepsAreAtMostFifteenPixels) {
    Open(90, 70, 12, 0);
    SCR_Redraw(700, 500);
    ScrStepHook = RecordStep;
    using Steps = std::vector<std::pair<i32, i32>>;
    const struct {
        i32 dx, dy;
        Steps steps;
    } cases[] = {
        {40, -7, {{15, -7}, {15, 0}, {10, 0}}},
        {15, 0, {{15, 0}, {0, 0}}},
        {-31, 45, {{-15, 15}, {-15, 15}, {-1, 15}, {0, 0}}},
        {0, 0, {}},
    };
    for (const auto& c : cases) {
        g_steps.clear();
        const u32 before = ScrDrawChipCnt;
        EXPECT_EQ(SCR_Scroll(c.dx, c.dy), 1);
        EXPECT_EQ(g_steps, c.steps) << c.dx << ", " << c.dy;
        if (c.steps.empty()) {
            EXPECT_EQ(ScrDrawChipCnt, before);
        }
    }
    // A diagonal step across a chip boundary on both axes draws one column and one row.
    SCR_Redraw(703, 511);
    ASSERT_EQ(MapData->scrollX % 16, 15);
    const u32 before = ScrDrawChipCnt;
    SCR_Scroll(15, 15);
    EXPECT_EQ(ScrDrawChipCnt - before, 31u + 41u);
    ExpectViewMatches("diagonal");
}

// Each ring origin: the view is the ring read from the origin with wrap, whatever the piece count.
TEST_F(ScrollTest, ViewIsTheRingReadFromItsOrigin) {
    Open(45, 35, 13, 0);
    plat::Surface* buf = SPR_GetSlotSurf(MapSurf);
    for (i32 y = 0; y < 496; ++y) {
        const RECT row{0, y, 656, y + 1};
        SURF_Fill(buf, &row, u32(1 + y));
    }
    for (i32 x = 0; x < 656; x += 41) {
        const RECT col{x, 0, x + 1, 496};
        SURF_Fill(buf, &col, u32(1000 + x));
    }
    const std::vector<u16> ring = test::ReadSurface(buf);
    const std::pair<i32, i32> origins[] = {{0, 0}, {20, 0}, {20, 30}, {10, 30}, {16, 16}, {17, 17}, {655, 495}};
    for (auto [ox, oy] : origins) {
        MapData->originX = ox;
        MapData->originY = oy;
        const std::vector<u16> view = View();
        int bad = 0;
        for (i32 y = 0; y < 480; ++y)
            for (i32 x = 0; x < 640; ++x)
                bad += view[size_t(y) * 640 + x] != ring[size_t((oy + y) % 496) * 656 + (ox + x) % 656];
        EXPECT_EQ(bad, 0) << "origin " << ox << ", " << oy;
    }
}

TEST_F(ScrollTest, RightEndClampLeavesTheSpareColumnUndrawn) {
    Open(60, 50, 14, 0);  // objects may cover the spare column: the chips leave it
    plat::Surface* buf = SPR_GetSlotSurf(MapSurf);
    SURF_Fill(buf, nullptr, 0x1234);
    const u32 before = ScrDrawChipCnt;
    SCR_Redraw(MapData->pixelW - 10, 400);
    EXPECT_EQ(MapData->scrollX, MapData->pixelW - 640);
    EXPECT_EQ(ScrDrawChipCnt - before, 40u * 31u);
    const std::vector<u16> ring = test::ReadSurface(buf);
    int marked = 0;
    for (i32 y = 0; y < 496; ++y)
        for (i32 x = 640; x < 656; ++x) marked += ring[size_t(y) * 656 + x] == 0x1234;
    EXPECT_EQ(marked, 16 * 496);
    ExpectViewMatches("right end");
    // And back to the left across the spare column.
    SCR_Scroll(-37, 0);
    ExpectViewMatches("back from the right end");
}

TEST_F(ScrollTest, RangeNarrowerThanTheViewStaysInForce) {
    test::DebugCapture debug;
    Open(37, 40, 15, 10);  // 592 pixels wide
    EXPECT_TRUE(debug.Contains("Error : SCR_SetScrRect > スクロール範囲が小さい！(0,0)-(592,640)")) << debug.text();
    EXPECT_EQ(ScrRangeRect.right, 592);
    SCR_Redraw(296, 300);
    EXPECT_EQ(MapData->scrollX, -48);  // the lower bound, then the upper one
    ExpectViewMatches("narrow map");

    // A source rectangle is clamped to the map without a word.
    debug.Clear();
    RECT r;
    const RECT src{-5, 8, 900, 100};
    SCR_SetScrRect(&r, &src);
    EXPECT_EQ((Ints{r.left, r.top, r.right, r.bottom}), (Ints{0, 8, 592, 100}));
    EXPECT_EQ(debug.text(), "");
}

TEST_F(ScrollTest, DirtyTableHoldsFourStrips) {
    Open(45, 35, 16, 0);
    ScrDirtyCnt = 0;
    for (int i = 0; i < 5; ++i) SCR_AddDirtyRect(SCR_DIRTY_ROW, i, 0, 17, 33, 100, 49);
    EXPECT_EQ((Ints{ScrDirtyCnt, ScrDirtyTbl[3].a, ScrDirtyTbl[0].rect.left, ScrDirtyTbl[0].rect.bottom}),
              (Ints{SCR_DIRTY_MAX, 3, 16, 48}));
}

TEST_F(ScrollTest, BufferDrawingKeepsTheCallersClip) {
    Open(45, 35, 17, 6);
    DISP_SetClipRect(3, 4, 100, 200);
    SCR_Redraw(400, 300);
    SCR_Scroll(-33, -20);
    RECT clip;
    DISP_GetClipRect(&clip);
    EXPECT_EQ(clip.left, 3);
    EXPECT_EQ(clip.bottom, 204);
    DISP_SetClipRect(0, 0, 640, 480);
    ExpectViewMatches("after a narrow clip");
}

TEST_F(ScrollTest, ChipsOutsideTheSheetAndAMissingSheetDrawBlank) {
    ASSERT_TRUE(env_.ok());
    tools::MapDef m = test::RandomMap(45, 35, 18, 1, 0);
    m.chips[0] = 40 * 7 + 3;  // row 7 of a sheet of three rows
    test::WriteStage(env_.dir(), 8, 0, 'L', {m, {}});
    MAP_Open(8, 0, 0);
    ASSERT_EQ(MAP_IsOpen(), 1);
    plat::Surface* buf = SPR_GetSlotSurf(MapSurf);
    auto blankChips = [&] {
        const std::vector<u16> ring = test::ReadSurface(buf);
        int blank = 0;
        for (i32 cy = 0; cy < 31; ++cy)
            for (i32 cx = 0; cx < 41; ++cx) blank += ring[size_t(cy * 16 + 5) * 656 + cx * 16 + 5] == 0;
        return blank;
    };
    SURF_Fill(buf, nullptr, 0x1234);
    SCR_Redraw(320, 240);
    EXPECT_EQ(blankChips(), 1);
    SPR_DelSurfDat(MapChipSurf);
    MapChipSurf = -1;
    SURF_Fill(buf, nullptr, 0x1234);
    SCR_Redraw(320, 240);
    EXPECT_EQ(blankChips(), 41 * 31);
}

TEST_F(ScrollTest, DebugLinesMarkTheViewAndTheOrigin) {
    Open(80, 60, 19, 0);
    SCR_Redraw(660, 520);  // origin (4, 8)
    SCR_DrawDebugLine(DispBackBuffer, 0, 0, 0);
    const std::vector<u16> screen = test::ReadSurface(DispBackBuffer);
    EXPECT_EQ((Ints{screen[200 * 640 + 4], screen[8 * 640 + 200], screen[200 * 640 + 639], screen[479 * 640 + 200]}),
              (Ints{1103, 1147, 13103, 13103}));
}

}  // namespace
