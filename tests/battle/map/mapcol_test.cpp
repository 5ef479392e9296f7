// Map and mech collision on attribute grids built in code: straight and diagonal contacts, slides,
// the map's edge, a random walk of two mechs that must never end inside a wall or each other, and
// the three map queries.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "battle/map/map.h"
#include "battle/map/mapcol.h"
#include "battle/meka/meka.h"
#include "battle/object/obj.h"
#include "graphics/sprite/spr.h"
#include "map_stage.h"
#include "shell/common.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/meka_set_writer.h"

namespace {

// An open map of w × h cells, blocked where asked.
class Grid {
public:
    Grid(int w, int h) : cells_(std::size_t(w) * std::size_t(h)) {
        map_.mapNo = 0;
        map_.width = i16(w);
        map_.height = i16(h);
        map_.pixelW = w * 16;
        map_.pixelH = h * 16;
        map_.cells = cells_.data();
        MAP_SetMapPtr(&map_);
    }
    ~Grid() { MAP_SetMapPtr(nullptr); }
    void Set(int cx, int cy, u8 attr = 1) { cells_[std::size_t(cy) * std::size_t(map_.width) + std::size_t(cx)].attrA = attr; }
    bool Blocked(int cx, int cy) const {
        return cx < 0 || cy < 0 || cx >= map_.width || cy >= map_.height ||
               (cells_[std::size_t(cy) * std::size_t(map_.width) + std::size_t(cx)].attrA & 1);
    }

private:
    MAP_DATA map_{};
    std::vector<MAP_CELL> cells_;
};

class MapCol : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(OBJ_Init(), 1); }
    void TearDown() override {
        for (LIST_DATA*& slot : MekaSlotTbl) slot = nullptr;
        CurObj = nullptr;
        OBJ_FreeAll();
        MAP_SetMapPtr(nullptr);
    }
    // A bare mech record in a slot, both foot boxes `foot` (offset x, y, width, height).
    static LIST_DATA* Mech(int slot, i32 x, i32 y, OBJ_FOOT foot = {0, 0, 16, 16}, u8 slideMask = 0) {
        LIST_DATA* obj = OBJ_Alloc(OBJ_KIND_MEKA);
        obj->mekaNo = i8(slot);
        obj->foot1 = obj->foot2 = foot;
        obj->boxHeight = 90;
        obj->meka->sprGrp = -1;
        obj->meka->slideMask = slideMask;
        MEKA_SetX(obj, x);
        MEKA_SetY(obj, y);
        MekaSlotTbl[slot] = obj;
        return obj;
    }
    struct Drive {
        int result;  // of the last call
        int calls;
    };
    // One movement sub-step as the mech driver runs it: repeat while 1, then commit.
    static Drive Step(LIST_DATA* obj, i32 dx, i32 dy) {
        CurObj = obj;
        FIX16 nx = obj->x16 + FIX16(u32(dx) << 16), ny = obj->y16 + FIX16(u32(dy) << 16);
        Drive d{1, 0};
        while (d.result == 1 && d.calls < 50) {
            d.result = HIT_MoveMeka(&nx, &ny, 0, 0);
            d.calls++;
        }
        MEKA_SetX16(obj, nx);
        MEKA_SetY16(obj, ny);
        return d;
    }
};

TEST_F(MapCol, StraightMovesEndFlushAndDeepOnesAreBlocked) {
    Grid g(20, 10);
    for (int cy = 0; cy < 10; cy++) g.Set(2, cy);  // wall x 32..48
    // Right by 3 into a wall 2 pixels away: flush, contact, and the repeat loop ends.
    LIST_DATA* a = Mech(0, 14, 64);
    CurObj = a;
    FIX16 nx = 17 << 16, ny = 64 << 16;
    EXPECT_EQ(HIT_MoveMeka(&nx, &ny, 0, 0), 1);
    EXPECT_EQ(nx >> 16, 16);
    EXPECT_EQ(HIT_MoveMeka(&nx, &ny, 0, 0), 0);

    // A move that would end 16 deep (longer than any sub-step the driver makes): blocked, and that
    // obstacle moves nothing.
    for (int cy = 0; cy < 10; cy++) g.Set(5, cy);  // x 80..96
    LIST_DATA* b = Mech(1, 98, 128);
    EXPECT_EQ(Step(b, -18, 0).result, -2);
    EXPECT_EQ(b->x, 80);

    // Mechs: deep inside another one, a move is blocked by the mech (-1).
    Grid open(20, 20);
    LIST_DATA* c = Mech(2, 200, 200, {0, 0, 32, 32});
    Mech(3, 210, 200, {0, 0, 32, 32});
    EXPECT_EQ(Step(c, 0, 3).result, -1);
}

TEST_F(MapCol, SlidesFollowTheSlideSignAndAFailedSlideReversesIt) {
    Grid g(10, 10);
    g.Set(2, 0);
    LIST_DATA* a = Mech(0, 32, 16, {0, 0, 16, 16}, 1);
    a->meka->slideX = 1;
    EXPECT_EQ(Step(a, 0, -4).result, 0);  // up into (2, 0): slides right by 4 instead
    EXPECT_EQ(a->x, 36);
    EXPECT_EQ(a->y, 16);

    // The slide itself blocked: nothing moves and the next slide goes left.
    g.Set(3, 1);
    MEKA_SetX(a, 32);
    a->meka->slideX = 1;
    Step(a, 0, -4);
    EXPECT_EQ(a->x, 32);
    EXPECT_EQ(a->meka->slideX, -1);
    EXPECT_EQ(Step(a, 0, -4).result, 0);
    EXPECT_EQ(a->x, 28);

    // Without the slide bit the mech just stops.
    LIST_DATA* b = Mech(1, 96, 16, {0, 0, 16, 16}, 2);
    g.Set(6, 0);
    EXPECT_EQ(Step(b, 0, -4).result, 0);
    EXPECT_EQ(b->x, 96);
    EXPECT_EQ(b->y, 16);
}

TEST_F(MapCol, DiagonalIntoACornerCellSlidesAlongIt) {
    Grid g(10, 10);
    g.Set(1, 1);
    // Foot box inside its cell column: the row scan finds (1, 1), the slide goes right.
    LIST_DATA* a = Mech(0, 0, 0, {8, 0, 16, 16}, 1);
    EXPECT_EQ(Step(a, 4, 4).result, 0);
    EXPECT_EQ(a->x, 4);
    EXPECT_EQ(a->y, 0);
    // Inside its cell row instead: the column scan finds it, the slide goes down.
    MekaSlotTbl[0] = nullptr;
    LIST_DATA* b = Mech(1, 0, 0, {0, 8, 16, 16}, 1);
    EXPECT_EQ(Step(b, 4, 4).result, 0);
    EXPECT_EQ(b->x, 0);
    EXPECT_EQ(b->y, 4);
    // (4, 1) with a wall 2 ahead and a floor just below: x is stopped by the floor's top (tag 2), y
    // first by the wall's side (tag 1). Not both from sides: the slide goes along x.
    g.Set(3, 2);
    g.Set(2, 3);
    LIST_DATA* c = Mech(2, 30, 32, {0, 0, 16, 16}, 1);
    EXPECT_EQ(Step(c, 4, 1).result, 0);
    EXPECT_EQ((std::vector<int>{c->x, c->y}), (std::vector<int>{31, 32}));
}

// One case for each diagonal direction and each side, mirrored from the down-right one: the box
// approaches cell (5, 5) of a 10×10 grid with a gap of 2 on one axis and 0 on the other.
TEST_F(MapCol, DiagonalContactsTakeTheSideTheBoxReachesFirst) {
    struct Case {
        int dir;
        bool ySide;
    };
    for (const Case c : {Case{3, true}, Case{3, false}, Case{1, true}, Case{1, false}, Case{9, true}, Case{9, false},
                         Case{7, true}, Case{7, false}}) {
        SCOPED_TRACE(testing::Message() << "direction " << c.dir << (c.ySide ? " y side" : " x side"));
        const bool mx = c.dir == 1 || c.dir == 7, my = c.dir == 7 || c.dir == 9;
        auto X = [&](i32 x) { return mx ? 160 - x - 16 : x; };
        auto Y = [&](i32 y) { return my ? 160 - y - 16 : y; };
        Grid g(10, 10);
        g.Set(mx ? 4 : 5, my ? 4 : 5);
        // Down-right: y side from (64, 62) ends at (66, 64); x side from (62, 64) at (64, 66).
        const i32 x0 = c.ySide ? 64 : 62, y0 = c.ySide ? 62 : 64;
        LIST_DATA* a = Mech(0, X(x0), Y(y0));
        const Drive d = Step(a, mx ? -4 : 4, my ? -4 : 4);
        EXPECT_EQ(d.result, 0);
        EXPECT_EQ(d.calls, 2);
        EXPECT_EQ(a->x, X(c.ySide ? 66 : 64));
        EXPECT_EQ(a->y, Y(c.ySide ? 64 : 66));
        MekaSlotTbl[0] = nullptr;
        OBJ_Free(a->index);
    }
}

TEST_F(MapCol, TheMapEdgeAndNearlyFlatMovesHoldWithoutDividingByZero) {
    Grid g(40, 10);
    LIST_DATA* a = Mech(0, 2, 32);
    EXPECT_EQ(Step(a, -4, 0).result, 0);
    EXPECT_EQ(a->x, 0);
    EXPECT_EQ(Step(a, 0, -36).result, 0);
    EXPECT_EQ(a->y, 0);
    // (300, 1): the slope truncates to 0, so the contact is taken on the x side.
    g.Set(19, 3);
    LIST_DATA* b = Mech(1, 0, 96 - 64);
    const Drive d = Step(b, 300, 1);
    EXPECT_EQ(d.result, 0);
    EXPECT_EQ(b->x, 288);
    EXPECT_EQ(b->y, 32);
}

TEST_F(MapCol, NoOpenMapAddsNoObstacles) {
    LIST_DATA* a = Mech(0, 2, 2);
    EXPECT_EQ(Step(a, -10, -10).result, 0);
    EXPECT_EQ(a->x, -8);
    EXPECT_EQ(HIT_CheckMapLine(0, 0, 100, 100, 1), 0);
    EXPECT_EQ(HIT_CheckMapLineBox(a, 100, 100, 1), 0);
    EXPECT_EQ(HIT_CheckMapAttr(a, 1), 0);
}

TEST_F(MapCol, MekaRectSkipsMechsAboveAndUsesNoOffsets) {
    LIST_DATA* a = Mech(0, 100, 100, {-32, -40, 64, 80});
    LIST_DATA* b = Mech(4, 150, 150, {-32, -40, 64, 80});
    EXPECT_EQ(HIT_CheckMekaRect(a), 4);
    b->z = 91;  // wholly above a (heights 0..90)
    EXPECT_EQ(HIT_CheckMekaRect(a), -1);
    b->z = 90;
    EXPECT_EQ(HIT_CheckMekaRect(a), 4);
    MEKA_SetX(b, 164);  // 100 + 64: flush
    EXPECT_EQ(HIT_CheckMekaRect(a), -1);
}

// Two mechs taking random sub-steps over random grids, each through the driver's repeat loop.
TEST_F(MapCol, RandomWalksNeverEndInsideAWallOrAnotherMech) {
    std::mt19937 rng(1234);
    int contacts = 0, nearMisses = 0;
    for (int round = 0; round < 40; round++) {
        Grid g(16, 12);
        for (int cy = 0; cy < 12; cy++)
            for (int cx = 0; cx < 16; cx++)
                if (rng() % 100 < 12) g.Set(cx, cy);
        const OBJ_FOOT foot = round % 2 ? OBJ_FOOT{-16, -16, 32, 32} : OBJ_FOOT{0, 0, 16, 32};
        auto clear = [&](i32 x, i32 y) {
            for (i32 cy = (y + foot.y) >> 4; cy <= (y + foot.y + foot.h - 1) >> 4; cy++)
                for (i32 cx = (x + foot.x) >> 4; cx <= (x + foot.x + foot.w - 1) >> 4; cx++)
                    if (g.Blocked(cx, cy)) return false;
            return true;
        };
        LIST_DATA* mech[2];
        for (int i = 0; i < 2; i++) {
            i32 x, y;
            do {
                x = i32(rng() % 256), y = i32(rng() % 192);
            } while (!clear(x, y) || (i == 1 && std::abs(x - mech[0]->x) < 40 && std::abs(y - mech[0]->y) < 40));
            mech[i] = Mech(i, x, y, foot, u8(rng() % 4));
            mech[i]->meka->slideX = mech[i]->meka->slideY = 1;
        }
        for (int step = 0; step < 200; step++) {
            LIST_DATA* m = mech[step % 2];
            const Drive d = Step(m, i32(rng() % 31) - 15, i32(rng() % 31) - 15);
            ASSERT_LE(d.calls, 8) << "round " << round << " step " << step;
            contacts += d.calls > 1 || d.result != 0;
            ASSERT_TRUE(clear(m->x, m->y)) << "round " << round << " step " << step << " at " << m->x << "," << m->y;
            const RECT r0{mech[0]->x + foot.x, mech[0]->y + foot.y, mech[0]->x + foot.x + foot.w, mech[0]->y + foot.y + foot.h};
            const RECT r1{mech[1]->x + foot.x, mech[1]->y + foot.y, mech[1]->x + foot.x + foot.w, mech[1]->y + foot.y + foot.h};
            const bool overlap = r0.left < r1.right && r1.left < r0.right && r0.top < r1.bottom && r1.top < r0.bottom;
            ASSERT_FALSE(overlap) << "round " << round << " step " << step;
            nearMisses += r0.left <= r1.right && r1.left <= r0.right && r0.top <= r1.bottom && r1.top <= r0.bottom;
        }
        for (LIST_DATA* m : mech) {
            MekaSlotTbl[m->mekaNo] = nullptr;
            OBJ_Free(m->index);
        }
    }
    // The walks really pressed against walls and against each other.
    EXPECT_GT(contacts, 2000);
    EXPECT_GT(nearMisses, 50);
}

TEST_F(MapCol, LineOfSightIsSymmetricAndEndsTested) {
    Grid g(30, 30);
    std::mt19937 rng(77);
    for (int i = 0; i < 120; i++) g.Set(int(rng() % 30), int(rng() % 30));
    for (int i = 0; i < 500; i++) {
        const i32 x1 = i32(rng() % 480), y1 = i32(rng() % 480), x2 = i32(rng() % 480), y2 = i32(rng() % 480);
        ASSERT_EQ(HIT_CheckMapLine(x1, y1, x2, y2, 1), HIT_CheckMapLine(x2, y2, x1, y1, 1));
    }
    Grid h(10, 10);
    h.Set(5, 5);
    EXPECT_EQ(HIT_CheckMapLine(84, 84, 90, 90, 1), 1);    // one cell, blocked or not
    EXPECT_EQ(HIT_CheckMapLine(8, 8, 170, 8, 1), 0);      // end outside
    EXPECT_EQ(HIT_CheckMapLine(-1, 8, 40, 8, 1), 0);      // start outside (floor)
    EXPECT_EQ(HIT_CheckMapLine(8, 88, 88, 88, 1), 0);     // the end cell is tested
    EXPECT_EQ(HIT_CheckMapLine(8, 88, 88, 88, 2), 1);     // ... with the mask
    EXPECT_EQ(HIT_CheckMapLine(8, 8, 120, 120, 1), 0);    // through (5, 5)
    EXPECT_EQ(HIT_CheckMapLine(8, 24, 120, 136, 1), 1);   // beside it
}

TEST_F(MapCol, LineBoxStepsByTheBoxToATargetCellOnTheMap) {
    Grid g(10, 4);
    LIST_DATA* a = Mech(0, 8, 8, {0, 0, 12, 12});
    EXPECT_EQ(HIT_CheckMapLineBox(a, 88, 8, 1), 1);
    g.Set(6, 0);
    EXPECT_EQ(HIT_CheckMapLineBox(a, 88, 8, 1), 1);  // beyond the fifth step
    g.Set(5, 0);
    EXPECT_EQ(HIT_CheckMapLineBox(a, 88, 8, 1), 0);  // the fifth step
    EXPECT_EQ(HIT_CheckMapLineBox(a, 88, 8, 2), 1);
    EXPECT_EQ(HIT_CheckMapLineBox(a, 200, 8, 2), 0);  // the walk leaves the map
    LIST_DATA* back = Mech(1, 24, 40, {-16, 0, 16, 16});
    EXPECT_EQ(HIT_CheckMapLineBox(back, 168, 40, 2), 0);  // the target's cell is off the map, the box is not
    for (int cx = 0; cx < 10; cx++)
        for (int cy = 0; cy < 4; cy++) g.Set(cx, cy);
    LIST_DATA* wide = Mech(2, 8, 8, {0, 0, 32, 32});
    EXPECT_EQ(HIT_CheckMapLineBox(wide, 24, 8, 1), 0);  // less than one box step: a short last step
    EXPECT_EQ(HIT_CheckMapLineBox(wide, 12, 12, 1), 1);  // the start cell is not tested
}

// Which cells the box covers on its way, on a 12 × 8 map with at most one blocked cell.
TEST_F(MapCol, LineBoxCoversTheWholeBoxAtEveryStep) {
    const struct {
        const char* what;
        OBJ_FOOT foot;
        i32 x, y, tx, ty;
        int blockX, blockY, clear;  // blockX -1: no blocked cell
    } cases[] = {
        {"a start cell off the map", {16, 0, 16, 16}, -8, 8, 88, 8, -1, -1, 0},
        {"box cells off the map", {16, 0, 16, 16}, 184, 8, 184, 56, -1, -1, 0},
        {"the minor axis steps by the box", {0, 0, 32, 32}, 8, 8, 136, 72, 5, 3, 0},
        {"the error starts at half the distance", {0, 0, 32, 32}, 8, 8, 136, 72, 2, 2, 1},
        {"equal distances walk along y", {0, 0, 32, 16}, 8, 8, 72, 72, 6, 3, 0},
        {"the box's offsets", {16, 16, 16, 16}, 8, 8, 72, 8, 5, 1, 0},
        {"a short last step stops at the target", {0, 0, 32, 16}, 8, 8, 56, 8, 5, 0, 1},
    };
    for (const auto& c : cases) {
        Grid g(12, 8);
        if (c.blockX >= 0) g.Set(c.blockX, c.blockY);
        LIST_DATA* a = Mech(0, c.x, c.y, c.foot);
        EXPECT_EQ(HIT_CheckMapLineBox(a, c.tx, c.ty, 1), c.clear) << c.what;
        MekaSlotTbl[0] = nullptr;
        OBJ_Free(a->index);
    }
}

// Boxes from a sprite: a mech reads them as it faces 0; rectangle 2 decides the cells under it.
TEST(MapColSprite, PlacementAndCellsUnderRectangleTwo) {
    test::MapFixtureEnv env;
    ASSERT_TRUE(env.ok());
    ASSERT_EQ(OBJ_Init(), 1);
    tools::SprSetDef set = tools::SimpleMekaSet("zako01");
    for (std::size_t p = 0; p < set.pages.size(); p++) {
        set.pages[p].hit[2] = RECT{8, 8, 24, 24};
        if (p == 2) set.pages[p].hit[13] = RECT{0, 0, 16, 16};  // facing 2 differs
    }
    ASSERT_TRUE(tools::SaveMekaSet(env.dir().path(), "zako01", set));
    const int grp = SPR_GetFreeSprGrp();
    ASSERT_EQ(SPR_LoadSprGrp(grp, MakeFilePath("Bmp\\Meka\\zako01.spr"), 0), 1);
    LIST_DATA* obj = OBJ_Alloc(OBJ_KIND_MEKA);
    obj->spr = i16(SPR_GetFreeSpr());
    ASSERT_EQ(SPR_CreateSpr(obj->spr, 128, 0, 0, grp, 0), 1);
    SPR_GetSpr(obj->spr)->pageOffset = 2;
    obj->dir = 2;
    MAP_SetObjPos(obj, 5, -3, 7);
    EXPECT_EQ(obj->foot1.x, -32);
    EXPECT_EQ(obj->foot2.h, 80);
    EXPECT_EQ(obj->boxTop, 90);
    EXPECT_EQ(obj->boxHeight, 90);
    EXPECT_EQ(obj->hitBox.left, -24);
    EXPECT_EQ(obj->meka->cellX, (5 - 32) % 16);
    EXPECT_EQ(obj->meka->cellY, (-3 - 40) % 16);
    EXPECT_EQ(obj->meka->footChipD, 5);
    EXPECT_EQ(obj->dir, 2);
    EXPECT_EQ(SPR_GetSpr(obj->spr)->pageOffset, 2);
    EXPECT_EQ(obj->z16, 7 << 16);

    // (8, 8)-(24, 24) at (0, 0): 8 is inside a cell, so columns and rows 0..2 are tested.
    MAP_SetObjPos(obj, 0, 0, 0);
    struct Case {
        int cx, cy, hit;
    };
    for (const Case c : {Case{2, 2, 1}, Case{0, 0, 1}, Case{3, 0, 0}, Case{0, 3, 0}, Case{2, 0, 1}}) {
        Grid g(8, 8);
        g.Set(c.cx, c.cy, 4);
        EXPECT_EQ(HIT_CheckMapAttr(obj, 4), c.hit) << c.cx << "," << c.cy;
        EXPECT_EQ(HIT_CheckMapAttr(obj, 1), 0);
    }
    // Off the map's top-left corner: outside cells match nothing.
    Grid g(8, 8);
    g.Set(0, 0, 4);
    MAP_SetObjPos(obj, -40, -40, 0);
    EXPECT_EQ(HIT_CheckMapAttr(obj, 4), 0);
    SPR_DelSpr(obj->spr);
    OBJ_FreeAll();
}

}  // namespace
