// Stage files: the layer decoders' run rules, opening and closing a stage, the writer round trip, and
// damaged files refused without a half-open map.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "battle/map/map.h"
#include "battle/map/scr.h"
#include "graphics/sprite/spr.h"
#include "map_stage.h"
#include "platform/memory.h"
#include "shell/sys.h"
#include "tools/writers/byte_writer.h"

namespace {

using Ints = std::vector<int>;

std::vector<u8> Words(std::initializer_list<u16> v) {
    tools::ByteWriter w;
    for (u16 x : v) w.U16(x);
    return w.bytes();
}

// A bare record of 8×2 cells for the decoders, released again with the test.
class DecodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        rec_ = MAP_DATA{};
        rec_.width = 8;
        rec_.height = 2;
        MAP_SetMapPtr(&rec_);
        MapCspCnt = 4;
        for (int i = 0; i < 4; ++i) MapCspTbl[i] = MAP_CSP_DATA{0, 0, 16, 16, i16(i), 0};
        MAP_ClearObjList();
    }
    void TearDown() override {
        MAP_Close();
        MAP_SetMapPtr(nullptr);
    }
    void Chips(const std::vector<u8>& layer) { ASSERT_EQ(MAP_DecodeChipLayer(layer.data(), i32(layer.size())), 1); }
    MAP_DATA rec_{};
};

TEST_F(DecodeTest, ChipRunsAndLiterals) {
    struct Case {
        std::vector<u8> layer;
        std::vector<u16> chips;  // expected chip values of the first cells (the rest stay 0)
    };
    const Case cases[] = {
        {Words({79}), {79}},
        {Words({5, 5, 3, 9}), {5, 5, 5, 9}},
        {Words({5, 6}), {5, 6}},
        {Words({7, 5, 5}), {7, 5, 5}},            // a run header cut off by the end: literal cells
        {Words({1, 1, 0, 2}), {2}},                // a run of 0 cells
        {Words({3, 3, 40, 4}), std::vector<u16>(16, 3)},  // runs stop at the last cell
    };
    for (const Case& c : cases) {
        SetUp();
        Chips(c.layer);
        for (size_t i = 0; i < 16; ++i) {
            const u16 want = i < c.chips.size() ? c.chips[i] : 0;
            EXPECT_EQ(rec_.cells[i].chipX, want % 40) << "cell " << i;
            EXPECT_EQ(rec_.cells[i].chipY, want / 40) << "cell " << i;
        }
        TearDown();
    }
}

TEST_F(DecodeTest, AttributeRunsAndLiterals) {
    Chips(Words({0, 0, 16}));
    const std::vector<u8> a{1, 1, 0x10, 0x00};
    ASSERT_EQ(MAP_DecodeAttrA(a.data(), i32(a.size())), 1);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(rec_.cells[i].attrA, 1);
    const std::vector<u8> b{4, 3, 9, 9, 1};  // "b, b, x" at the end is three literal cells
    ASSERT_EQ(MAP_DecodeAttrB(b.data(), i32(b.size())), 1);
    const u8 want[] = {4, 3, 9, 9, 1, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(rec_.cells[i].attrB, want[i]) << i;
}

TEST_F(DecodeTest, ObjectRunsSkipAndPlace) {
    Chips(Words({0, 0, 16}));
    const std::vector<u8> layer = Words({0, 0, 7, 3, 3, 2, 9, 1});  // record 8 does not exist
    ASSERT_EQ(MAP_DecodeObjLayer(layer.data(), i32(layer.size())), 1);
    ASSERT_EQ(MapObjCnt, 3);
    EXPECT_EQ((Ints{MapObjTbl[0].no, MapObjTbl[0].x, MapObjTbl[1].no, MapObjTbl[1].x, MapObjTbl[1].y, MapObjTbl[2].no,
                    MapObjTbl[2].x}),
              (Ints{2, 7 * 16 - 2, 2, 0 - 2, 16, 0, 2 * 16}));
}

TEST_F(DecodeTest, ObjectListHoldsAThousand) {
    test::DebugCapture debug;
    rec_.width = 100;
    rec_.height = 11;
    Chips(Words({0, 0, 1100}));
    const std::vector<u8> layer = Words({1, 1, 1100});
    ASSERT_EQ(MAP_DecodeObjLayer(layer.data(), i32(layer.size())), 1);
    EXPECT_EQ(MapObjCnt, 1000);
    EXPECT_TRUE(debug.Contains("MapObj =  12000 Byte   (背景Obj数 :   1000)")) << debug.text();
    EXPECT_TRUE(debug.Contains("   Map =   4400 Byte   (   Chip数 :   1100)")) << debug.text();
    EXPECT_EQ(MAP_AddObj(1, 0), 0);
}

class MapOpenTest : public ::testing::Test {
protected:
    test::MapFixtureEnv env_;
};

bool AllReleased() {
    for (const SURF_DATA& d : SurfTbl)
        if (d.useCount) return false;
    for (SPR_HEAD* s : SprTbl)
        if (s) return false;
    return true;
}

TEST_F(MapOpenTest, OpensTheSheetsOfSubZeroAndTheMapOfItsSub) {
    ASSERT_TRUE(env_.ok());
    test::StageFiles stage{test::RandomMap(50, 40, 1, 6, 30), test::OddCsp()};
    test::WriteStage(env_.dir(), 3, 2, 'D', stage);
    MAP_Open(3, 2, 1);
    ASSERT_EQ(MAP_IsOpen(), 1);
    EXPECT_EQ(MAP_GetMapNo(), 3);
    EXPECT_GE(MapChipSurf, 0);
    EXPECT_GE(MapObjSurf, 0);
    EXPECT_GE(MapSurf, 0);
    EXPECT_EQ(MapCspCnt, 6);
    EXPECT_NE(SPR_GetFSpr(MapSpr), nullptr);
    EXPECT_EQ((Ints{SprTbl[MapSpr]->priority, MapData->viewW, MapData->halfViewH, MapData->viewChipW, MapData->pixelW,
                    ScrRangeRect.right, ScrRangeRect.bottom}),
              (Ints{161, 640, 240, 40, 800, 800, 640}));

    // The 'L' stage and another sub are other files.
    test::DebugCapture debug;
    SysDebugFlag = 1;
    MAP_Open(3, 2, 0);
    EXPECT_TRUE(debug.Contains("03_2_L.map:Open error -1\n")) << debug.text();
    MAP_Open(3, 1, 1);
    EXPECT_TRUE(debug.Contains("03_1_D.map:Open error -1\n")) << debug.text();
    SysDebugFlag = 0;
    debug.Clear();
    MAP_Open(3, 1, 1);
    EXPECT_FALSE(debug.Contains("Open error")) << debug.text();
    EXPECT_EQ(MAP_IsOpen(), 0);
}

TEST_F(MapOpenTest, WriterRoundTrip) {
    ASSERT_TRUE(env_.ok());
    test::StageFiles stage{test::RandomMap(100, 80, 7, 6, 40), test::OddCsp()};
    test::WriteStage(env_.dir(), 5, 0, 'L', stage);
    MAP_Open(5, 0, 0);
    ASSERT_EQ(MAP_IsOpen(), 1);
    ASSERT_EQ(MapData->width, 100);
    ASSERT_EQ(MapData->height, 80);
    int objects = 0;
    for (i32 i = 0; i < 100 * 80; ++i) {
        const MAP_CELL& c = MapData->cells[i];
        ASSERT_EQ(c.chipX + 40 * c.chipY, stage.map.chips[size_t(i)]) << i;
        ASSERT_EQ(c.attrA, stage.map.attrA[size_t(i)]) << i;
        ASSERT_EQ(c.attrB, stage.map.attrB[size_t(i)]) << i;
        if (const u16 v = stage.map.objs[size_t(i)]) {
            ASSERT_LT(objects, MapObjCnt);
            const MAP_OBJ_DATA& o = MapObjTbl[objects++];
            const tools::CspDef& r = stage.csp[v - 1u];
            EXPECT_EQ(o.no, v - 1);
            EXPECT_EQ(o.x, (i % 100) * 16 - r.anchorX);
            EXPECT_EQ(o.y, (i / 100) * 16 - r.anchorY);
        }
    }
    EXPECT_EQ(objects, MapObjCnt);
    EXPECT_GT(objects, 100);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(MapCspTbl[i].width, stage.csp[size_t(i)].width);
        EXPECT_EQ(MapCspTbl[i].anchorY, stage.csp[size_t(i)].anchorY);
    }
}

TEST_F(MapOpenTest, CloseReleasesEverythingAndMayRepeat) {
    ASSERT_TRUE(env_.ok());
    test::WriteStage(env_.dir(), 1, 0, 'L', {test::RandomMap(45, 35, 2, 6, 20), test::OddCsp()});
    test::WriteMapOnly(env_.dir(), "00_0_L", tools::MapBytes(test::RandomMap(45, 35, 3, 1, 0)));
    MAP_Open(1, 0, 0);
    MAP_LoadBg();  // no background picture: nothing held
    EXPECT_EQ(MapBgSurf, -1);
    EXPECT_EQ(MapBgSpr, -1);
    test::WriteBackground(env_.dir());
    MAP_LoadBg();
    MAP_LoadBg();  // again: the first picture and sprite are not leaked
    ASSERT_NE(SPR_GetTSpr(MapBgSpr), nullptr);
    EXPECT_EQ((Ints{SprTbl[MapBgSpr]->priority, SprTbl[MapBgSpr]->x, SprTbl[MapBgSpr]->y, SurfTbl[MapBgSurf].useCount}),
              (Ints{162, 24, 32, 1}));
    MAP_ShowLayer(0);
    EXPECT_EQ(SprTbl[MapSpr]->view, 0);
    MAP_ShowLayer(1);
    EXPECT_EQ(SprTbl[MapSpr]->view, 1);
    ASSERT_EQ(MAP_IsOpen(), 1);
    ASSERT_GT(MapObjCnt, 0);
    MAP_Close();
    MAP_Close();
    EXPECT_TRUE(AllReleased());
    EXPECT_EQ((Ints{MAP_IsOpen(), MAP_GetMapNo(), MapObjCnt, MapSurf, MapSpr}), (Ints{0, MAP_NONE, 0, -1, -1}));

    // Map 0 has no sheets and no ".csp": none of map 1's records or objects carry over.
    MAP_Open(1, 0, 0);
    MAP_Open(0, 0, 0);
    ASSERT_EQ(MAP_IsOpen(), 1);
    EXPECT_EQ(MapCspCnt, 0);
    EXPECT_EQ(MapObjCnt, 0);
    EXPECT_EQ(MapChipSurf, -1);
    MAP_Close();
    EXPECT_TRUE(AllReleased());
}

// Damaged ".map" files: the open fails whole, nothing is held and the map reads as closed.
TEST_F(MapOpenTest, DamagedMapsLeaveTheMapClosed) {
    ASSERT_TRUE(env_.ok());
    const tools::MapDef good = test::RandomMap(40, 30, 4, 6, 0);
    const std::vector<std::vector<u8>> layers{tools::MapWordLayer(good.chips), tools::MapWordLayer(good.objs), {},
                                              tools::MapByteLayer(good.attrA), tools::MapByteLayer(good.attrB)};
    auto patched = [&](size_t at, u32 v) {
        std::vector<u8> b = tools::MapFileBytes(40, 30, layers);
        for (int i = 0; i < 4; ++i) b[at + size_t(i)] = u8(v >> (8 * i));
        return b;
    };
    const size_t fileSize = tools::MapFileBytes(40, 30, layers).size();
    struct Case {
        const char* what;
        std::vector<u8> bytes;
    };
    const Case cases[] = {
        {"width 0", tools::MapFileBytes(0, 30, layers)},
        {"negative height", tools::MapFileBytes(40, 0x8000, layers)},
        {"too many cells", tools::MapFileBytes(5000, 5000, layers)},
        {"layer 0 inside the header", patched(0x28, 10)},
        {"layers out of order", patched(0x2C, 40)},
        {"end past the file", patched(0x3C, u32(fileSize + 1))},
        {"layer 3 past the file", patched(0x34, 0xFFFFFF00u)},
        {"short header", std::vector<u8>(40, 0)},
    };
    test::WriteStage(env_.dir(), 2, 0, 'L', {good, test::OddCsp()});
    for (const Case& c : cases) {
        test::WriteMapOnly(env_.dir(), "02_0_L", c.bytes);
        MAP_Open(2, 0, 0);
        EXPECT_EQ(MAP_IsOpen(), 0) << c.what;
        EXPECT_EQ(MAP_GetMapNo(), MAP_NONE) << c.what;
        EXPECT_TRUE(AllReleased()) << c.what;
        SCR_Redraw(320, 240);  // nothing to draw, nothing read
        EXPECT_EQ(SCR_Scroll(15, 15), 1) << c.what;
    }
    test::WriteMapOnly(env_.dir(), "02_0_L", tools::MapFileBytes(40, 30, layers));
    MAP_Open(2, 0, 0);
    EXPECT_EQ(MAP_IsOpen(), 1);
}

TEST_F(MapOpenTest, CspBlockIsCheckedAndBounded) {
    ASSERT_TRUE(env_.ok());
    std::vector<tools::CspDef> many(320, tools::CspDef{0, 0, 8, 8, 0, 0});
    many[300].width = 99;
    const std::string path = env_.dir().File("Bmp/Map/x_o.csp");
    tools::SaveFile(path, tools::CspBytes(many));
    ASSERT_EQ(MAP_LoadCsp(path.c_str()), 1);
    EXPECT_EQ(MapCspCnt, MAP_CSP_MAX);
    EXPECT_EQ(MapCspTbl[300].width, 99);

    // Block size past the file, block offset past the file, a size that is not whole records.
    struct Case {
        u32 size, offset;
        int result;
        i32 count;
    };
    const Case cases[] = {{12 * 3 + 1, 16, 0, 0}, {12, 1000, 0, 0}, {12 * 2 + 5, 16, 1, 2}, {0, 16, 1, 0}};
    for (const Case& c : cases) {
        std::vector<u8> bytes = tools::CspBytes({{1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}});
        bytes.resize(16 + 12 * 2 + 5);
        std::memcpy(&bytes[8], &c.size, 4);
        std::memcpy(&bytes[12], &c.offset, 4);
        tools::SaveFile(path, bytes);
        MapCspCnt = 0;
        EXPECT_EQ(MAP_LoadCsp(path.c_str()), c.result) << c.size << "@" << c.offset;
        EXPECT_EQ(MapCspCnt, c.count) << c.size << "@" << c.offset;
    }
}

TEST_F(MapOpenTest, ObjectNumbersBeyondTheCspAreSkipped) {
    ASSERT_TRUE(env_.ok());
    tools::MapDef m = test::RandomMap(40, 30, 5, 1, 0);
    m.objs[0] = 2;   // record 1: present
    m.objs[1] = 3;   // record 2: the ".csp" holds two
    m.objs[2] = 0xFFFF;
    test::WriteStage(env_.dir(), 4, 0, 'L', {m, {{0, 0, 8, 8, 0, 0}, {0, 0, 8, 8, 1, 1}}});
    MAP_Open(4, 0, 0);
    ASSERT_EQ(MAP_IsOpen(), 1);
    ASSERT_EQ(MapObjCnt, 1);
    EXPECT_EQ(MapObjTbl[0].no, 1);
    EXPECT_EQ(MapObjTbl[0].x, -1);
}

// Damaged bytes anywhere in a ".map": the stage opens whole or stays closed, never reading past a
// block (the sanitizers watch) and never leaving objects placed outside the ".csp" records.
TEST_F(MapOpenTest, RandomlyDamagedMapsOpenWholeOrNotAtAll) {
    ASSERT_TRUE(env_.ok());
    const std::vector<u8> good = tools::MapBytes(test::RandomMap(48, 36, 6, 6, 9));
    test::WriteStage(env_.dir(), 6, 0, 'L', {test::RandomMap(48, 36, 6, 6, 9), test::OddCsp()});
    std::mt19937 rng(9);
    int opened = 0;
    for (int round = 0; round < 150; ++round) {
        std::vector<u8> bytes = good;
        const int hits = 1 + int(rng() % 6);
        for (int h = 0; h < hits; ++h) {
            // Header fields half the time, layer bytes otherwise.
            const size_t at = rng() % 2 ? rng() % 64 : rng() % bytes.size();
            bytes[at] = u8(rng());
        }
        if (rng() % 4 == 0) bytes.resize(rng() % bytes.size());
        test::WriteMapOnly(env_.dir(), "06_0_L", bytes);
        MAP_Open(6, 0, 0);
        if (!MAP_IsOpen()) {
            EXPECT_TRUE(AllReleased());
            continue;
        }
        ++opened;
        for (i32 n = 0; n < MapObjCnt; ++n) ASSERT_LT(MapObjTbl[n].no, MapCspCnt);
        SCR_Redraw(MapData->pixelW / 2, MapData->pixelH / 2);
        SCR_Scroll(-40, 33);
    }
    EXPECT_GT(opened, 10);
}

}  // namespace
