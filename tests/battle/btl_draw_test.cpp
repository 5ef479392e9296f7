// The battle renderer through a spy in the blit table: the twenty rows for group and surface sprites,
// flips, the ground cut, shadows, the depth sort and the three passes, and the battle draw by state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "battle/battle.h"
#include "battle/btl_draw.h"
#include "battle/map/cam.h"
#include "battle/map/map.h"
#include "battle/object/obj.h"
#include "display_support.h"
#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "platform/display.h"
#include "screens/btl/btl.h"
#include "shell/sys.h"
#include "test_support.h"
#include "tests/graphics/sprite/spr_draw_util.h"

namespace {

using Ints = std::vector<int>;

using test::BltCall;
using test::PageDef;

std::string Str(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

class BtlDraw : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display_.ok());
        SPR_Init();
        DISP_SetClipRect(0, 0, 640, 480);
        ASSERT_EQ(OBJ_Init(), 1);
        image_ = SPR_CreateSurf(32, 32, 0);
        BtlSkipFlag = 0;
        BTL_SetDrawOfs(0, 0);
        Drawn().clear();
    }
    void TearDown() override {
        OBJ_FreeAll();
        SPR_Release();
        SPR_DelSurfDat(image_);
        BTL_SetState(0);
        BtlSkipFlag = 0;
    }
    // Group 0: page 0 one 16×16 part standing on the position, (-4, -16, 12, 0), its source the whole
    // 16×16 corner; page 1 the same part scaled by its rectangles; hit rectangle 4's bottom 8.
    void OnePartGroup(u16 pageAttr = 0, u16 partAttr = 0) {
        test::MakeGroup(0, {PageDef{pageAttr, {{image_, {-4, -16, 12, 0}, {0, 0, 16, 16}, partAttr}}, {}},
                            PageDef{0, {{image_, {-4, -16, 12, 0}, {0, 0, 8, 8}, 0}}, {}}});
    }
    // An object in use that owns sprite s.
    static LIST_DATA* Own(int s, int kind = OBJ_KIND_EFFECT) {
        LIST_DATA* o = OBJ_Alloc(kind);
        SPR_SetSprObjNo(s, o->index);
        o->spr = i16(s);
        return o;
    }
    static std::vector<int>& Drawn() {
        static std::vector<int> drawn;
        return drawn;
    }
    static void Record(int s) { Drawn().push_back(s); }
    const BltCall& Only() {
        EXPECT_EQ(spy_.calls.size(), 1u);
        static const BltCall none{};
        return spy_.calls.empty() ? none : spy_.calls.back();
    }

    test::HeadlessDisplay display_;
    test::BltSpy spy_;
    int image_ = -1;
};

// ---- the blit choice ----

struct Row {
    u32 attr;
    i16 level;
    i16 level2;
    int plain;
    int scaled;
    int groupPlainKey;  // the key in place (Dark depends on level 2)
    int key;            // the key stretched
    i32 l1, l2, l3;
};

// Rows 1..20 of the battle's table, and the combinations that show its order.
const Row kRows[] = {
    {0x104, i16(0xF800), 0, SPR_BLT_SILHOUETTE50, SPR_BLT_SILHOUETTE50_SCALED, 0, 0, 0xF800, 0, 0},
    {0x4, 9, 0, SPR_BLT_ALPHA50, SPR_BLT_ALPHA50_SCALED, 1, 1, 0, 0, 0},
    {0x8, 9, 0, SPR_BLT_ADD100, SPR_BLT_ADD100_SCALED, 1, 1, 0, 0, 0},
    {0x400, 9, 0, SPR_BLT_ADD50, SPR_BLT_ADD50_SCALED, 1, 1, 0, 0, 0},
    {0x800, 9, 0, SPR_BLT_ADD25, SPR_BLT_ADD25_SCALED, 1, 1, 0, 0, 0},
    {0x10, 9, 0, SPR_BLT_SUB100, SPR_BLT_SUB100_SCALED, 1, 1, 0, 0, 0},
    {0x1000, 9, 0, SPR_BLT_SUB50, SPR_BLT_SUB50_SCALED, 1, 1, 0, 0, 0},
    {0x2000, 9, 0, SPR_BLT_SUB25, SPR_BLT_SUB25_SCALED, 1, 1, 0, 0, 0},
    {0x20, 7, 0, SPR_BLT_MESH, SPR_BLT_MESH_SCALED, 1, 1, 7, 0, 0},
    {0x40, 9, 0, SPR_BLT_ALPHA, SPR_BLT_ALPHA_SCALED, 1, 1, 9, 0, 0},
    {0x80, 9, 0, SPR_BLT_ALPHAADD, SPR_BLT_ALPHAADD_SCALED, 1, 1, 9, 0, 0},
    {0x100, i16(0x07E0), 0, SPR_BLT_SILHOUETTE, SPR_BLT_SILHOUETTE_SCALED, 0, 0, 0x07E0, 0, 0},
    {0x200, 20, 0, SPR_BLT_TONE, SPR_BLT_TONE_SCALED, 1, 1, 20, 0, 0},
    {0x4000, 9, 0, SPR_BLT_COPY, SPR_BLT_COPY_SCALED, 0, 0, 0, 0, 0},
    {0x8000, 9, 0, SPR_BLT_DARK, SPR_BLT_DARK_SCALED, 1, 1, 9, 0, 0},
    {0x8000, 9, 3, SPR_BLT_DARK, SPR_BLT_DARK_SCALED, 0, 1, 9, 0, 0},
    {0x10000, 0x1008, 24, SPR_BLT_TONERGB, SPR_BLT_TONERGB_SCALED, 1, 1, 8, 16, 24},
    {0x20000, 0x1008, 24, SPR_BLT_ALPHARGB, SPR_BLT_ALPHARGB_SCALED, 1, 1, 8, 16, 24},
    {0x40000, 0x1008, 24, SPR_BLT_ALPHAADDRGB, SPR_BLT_ALPHAADDRGB_SCALED, 1, 1, 8, 16, 24},
    {0x1, 9, 0, SPR_BLT_COPYFLIP, SPR_BLT_COPY_SCALED, 1, 1, 0, 0, 0},
    {0x0, 9, 0, SPR_BLT_COPY, SPR_BLT_COPY_SCALED, 1, 1, 0, 0, 0},
    // order: the half blend before the additive, the mesh before the alpha, the copy without key
    // before the mirror
    {0x4 | 0x8, 9, 0, SPR_BLT_ALPHA50, SPR_BLT_ALPHA50_SCALED, 1, 1, 0, 0, 0},
    {0x20 | 0x40, 7, 0, SPR_BLT_MESH, SPR_BLT_MESH_SCALED, 1, 1, 7, 0, 0},
    {0x4000 | 0x1, 9, 0, SPR_BLT_COPY, SPR_BLT_COPY_SCALED, 0, 0, 0, 0, 0},
    {0x40000 | 0x2, 0x1008, 24, SPR_BLT_ALPHAADDRGB, SPR_BLT_ALPHAADDRGB_SCALED, 1, 1, 8, 16, 24},
};

TEST_F(BtlDraw, GroupSpritesChooseTheirBlitByTheBattlesTable) {
    OnePartGroup();
    ASSERT_EQ(SPR_CreateSpr(0, 128, 100, 100, 0, 0), 1);
    for (const Row& r : kRows) {
        SCOPED_TRACE(testing::Message() << std::hex << "attr 0x" << r.attr << " level2 " << r.level2);
        SPR_SetSprAttr(0, r.attr);
        SPR_SetSprAttrCnt1(0, r.level);
        SPR_SetSprAttrCnt2(0, r.level2);
        for (int scaled = 0; scaled < 2; ++scaled) {
            SPR_SetSprScale(0, scaled ? 512 : 256, scaled ? 512 : 256);
            spy_.Clear();
            EXPECT_EQ(BTL_DrawSpr(0), 1);
            const BltCall& c = Only();
            EXPECT_EQ(c.blt, scaled ? r.scaled : r.plain) << "scaled " << scaled;
            EXPECT_EQ(c.args.key, scaled ? r.key : r.groupPlainKey) << "scaled " << scaled;
            EXPECT_EQ(c.args.level, r.l1);
            EXPECT_EQ(c.args.level2, r.l2);
            EXPECT_EQ(c.args.level3, r.l3);
            EXPECT_EQ(c.args.flags, int(r.attr & 3));
            EXPECT_EQ(c.args.src, SPR_GetSlotSurf(image_));
            EXPECT_EQ(Str(c.srcRect), "0,0,16,16");
            if (scaled) {
                // flipped left-right: the part's right edge 12 becomes -12, doubled
                const i32 left = (r.attr & 1) ? 100 - 24 : 100 - 8;
                const i32 top = (r.attr & 2) ? 100 : 100 - 32;
                EXPECT_EQ(Str(c.dstRect), Str(RECT{left, top, left + 32, top + 32}));
            } else {
                EXPECT_EQ(c.args.x, (r.attr & 1) ? 88 : 96);
                EXPECT_EQ(c.args.y, (r.attr & 2) ? 100 : 84);
            }
        }
    }
}

TEST_F(BtlDraw, SurfaceSpritesUseTheSameTableButAlwaysTheHalfBlendFor4) {
    ASSERT_EQ(SPR_CreateTSpr(0, 10, 100, 100, image_, nullptr), 1);
    SPR_GetTSpr(0)->height = 6;
    for (const Row& r : kRows) {
        SCOPED_TRACE(testing::Message() << std::hex << "attr 0x" << r.attr << " level2 " << r.level2);
        SPR_SetTSprAttr(0, r.attr);
        SPR_SetTSprAttrCnt1(0, r.level);
        SPR_SetTSprAttrCnt2(0, r.level2);
        const bool halfBlend = r.attr == 0x104;
        for (int scaled = 0; scaled < 2; ++scaled) {
            SPR_SetTSprScale(0, scaled ? 384 : 256, 256);
            spy_.Clear();
            EXPECT_EQ(BTL_DrawSpr2(0), 1);
            const BltCall& c = Only();
            const int want =
                halfBlend ? (scaled ? SPR_BLT_ALPHA50_SCALED : SPR_BLT_ALPHA50) : (scaled ? r.scaled : r.plain);
            EXPECT_EQ(c.blt, want) << "scaled " << scaled;
            EXPECT_EQ(c.args.key, halfBlend ? 1 : scaled ? r.key : r.groupPlainKey);
            EXPECT_EQ(c.args.level, halfBlend ? 0 : r.l1);
            EXPECT_EQ(c.args.flags, int(r.attr & 3));
            // The position never mirrors.
            if (scaled)
                EXPECT_EQ(Str(c.dstRect), "100,94,148,126");
            else
                EXPECT_EQ(c.args.x * 1000 + c.args.y, 100 * 1000 + 94);
        }
    }
    EXPECT_EQ(BTL_DrawSpr(0), 0);  // not a group sprite
    SPR_SetTSprView(0, 0);
    EXPECT_EQ(BTL_DrawSpr2(0), 0);
}

TEST_F(BtlDraw, FlipsOfSpritePageAndPartCombine) {
    const struct {
        u32 spr;
        u16 page;
        u16 part;
        int blt;
        i32 x, y;
        int flags;
    } cases[] = {
        {0x1, 0, 0, SPR_BLT_COPYFLIP, 88, 84, 1},
        {0x0, 1, 0, SPR_BLT_COPYFLIP, 88, 84, 1},
        {0x1, 1, 0, SPR_BLT_COPY, 96, 84, 0},       // the two mirrors cancel
        {0x0, 0, 1, SPR_BLT_COPYFLIP, 96, 84, 1},   // a part's own mirror does not move it
        {0x2, 0, 1, SPR_BLT_COPYFLIP, 96, 100, 3},  // up-down: the part hangs below the position
        {0x9, 1, 2, SPR_BLT_ADD100, 96, 84, 2},     // a sprite effect keeps the flips of all three
        {0x0, 0, 0x8 | 1, SPR_BLT_ADD100, 96, 84, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "sprite " << c.spr << " page " << c.page << " part " << c.part);
        SPR_DelSprGrp(0);
        OnePartGroup(c.page, c.part);
        ASSERT_EQ(SPR_CreateSpr(0, 128, 100, 100, 0, 0), 1);
        SPR_SetSprAttr(0, c.spr);
        spy_.Clear();
        BTL_DrawSpr(0);
        const BltCall& call = Only();
        EXPECT_EQ((Ints{call.blt, call.args.x, call.args.y, call.args.flags}), (Ints{c.blt, c.x, c.y, c.flags}));
    }
}

// ---- the ground cut and shadows ----

class GroundCut : public BtlDraw {
protected:
    void SetUp() override {
        BtlDraw::SetUp();
        // One 32×32 part with destination (-16, -32, 16, 0); rectangle 4 reaches 8 below the feet.
        const RECT feet{-8, -8, 8, 8};
        test::MakeGroup(0, {PageDef{0, {{image_, {-16, -32, 16, 0}, {0, 0, 32, 32}}}, {{}, {}, {}, {}, feet}}});
        ASSERT_EQ(SPR_CreateSpr(0, 128, 100, 100, 0, 0), 1);
        SPR_SetSprView2(0, 1);
    }
};

TEST_F(GroundCut, SinkingFeetLoseTheirRowsBelowTheGround) {
    const struct {
        i16 height;
        u16 scale;
        int blt;
        const char* src;
        const char* dst;  // position in place, rectangle stretched
    } cases[] = {
        {0, 256, SPR_BLT_COPY, "0,0,32,24", "84,68"},
        {5, 256, SPR_BLT_COPY, "0,0,32,29", "84,63"},
        {8, 256, SPR_BLT_COPY, "0,0,32,32", "84,60"},
        {20, 256, SPR_BLT_COPY, "0,0,32,32", "84,48"},
        // at twice the size the feet reach 16 down: (16 - 0) × 256 / 512 = 8, (16 - 5) / 2 = 5 rows
        {0, 512, SPR_BLT_COPY_SCALED, "0,0,32,24", "68,36,132,84"},
        {5, 512, SPR_BLT_COPY_SCALED, "0,0,32,27", "68,31,132,85"},
        {-8, 256, SPR_BLT_COPY, "0,0,32,16", "84,76"},  // a sunk shot
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "height " << c.height << " scale " << c.scale);
        SPR_GetSpr(0)->height = c.height;
        SPR_SetSprScale(0, c.scale, c.scale);
        spy_.Clear();
        BTL_DrawSpr(0);
        const BltCall& call = Only();
        EXPECT_EQ(call.blt, c.blt);
        EXPECT_EQ(Str(call.srcRect), c.src);
        if (c.blt == SPR_BLT_COPY)
            EXPECT_EQ(std::to_string(call.args.x) + "," + std::to_string(call.args.y), c.dst);
        else
            EXPECT_EQ(Str(call.dstRect), c.dst);
    }
}

TEST_F(GroundCut, NothingIsCutWithoutTheFlagAndNothingDrawnWithoutRowsOrScale) {
    SPR_SetSprView2(0, 0);
    BTL_DrawSpr(0);
    EXPECT_EQ(Str(Only().srcRect), "0,0,32,32");

    SPR_SetSprView2(0, 1);
    SPR_GetSpr(0)->height = -40;  // deeper than the part is high
    for (u16 scale : {256, 300}) {
        SPR_SetSprScale(0, scale, scale);
        spy_.Clear();
        EXPECT_EQ(BTL_DrawSpr(0), 1);
        EXPECT_TRUE(spy_.calls.empty()) << scale;
    }
    // A scale of 0 draws nothing and cuts nothing (no division by it), shadows included.
    SPR_GetSpr(0)->height = 0;
    Own(0)->shadow = 1;
    for (auto [sx, sy] : {std::pair<u16, u16>{256, 0}, {0, 256}}) {
        SPR_SetSprScale(0, sx, sy);
        spy_.Clear();
        EXPECT_EQ(BTL_DrawSpr(0), 1);
        BTL_DrawPartSpr(0);
        EXPECT_TRUE(spy_.calls.empty()) << sx << " " << sy;
    }
}

TEST_F(GroundCut, ShadowsLieFlatOnTheGround) {
    const struct {
        i16 height;
        u16 scale;
        u32 attr;
        const char* dst;
        int flags;
    } cases[] = {
        {0, 256, 0, "84,84,116,99", 0},
        {30, 256, 0, "84,84,116,99", 0},  // the shadow stays on the ground
        {0, 128, 0, "92,92,108,100", 0},  // a quarter high at half size
        {0, 512, 0x1, "68,84,132,99", 1},  // at most half as high
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dst);
        SPR_GetSpr(0)->height = c.height;
        SPR_SetSprScale(0, c.scale, c.scale);
        SPR_SetSprAttr(0, c.attr);
        spy_.Clear();
        BTL_DrawPartSpr(0);
        const BltCall& call = Only();
        EXPECT_EQ(call.blt, SPR_BLT_SILHOUETTE50_SCALED);
        EXPECT_EQ(call.args.level, 0);
        EXPECT_EQ(Str(call.dstRect), c.dst);
        EXPECT_EQ(Str(call.srcRect), "0,0,32,32");
        EXPECT_EQ(call.args.flags, c.flags);
    }
}

TEST_F(BtlDraw, ASurfaceSpritesShadowIsItsSourceAtFullSizeOnTheGround) {
    const RECT src{4, 2, 20, 12};
    ASSERT_EQ(SPR_CreateTSpr(0, 10, 100, 100, image_, &src), 1);
    SPR_GetTSpr(0)->height = 20;
    SPR_SetTSprScale(0, 512, 512);
    SPR_SetTSprAttr(0, 0x2);
    BTL_SetDrawOfs(3, 4);
    BTL_DrawPartSpr2(0);
    EXPECT_EQ(Only().blt, SPR_BLT_SILHOUETTE50_SCALED);
    EXPECT_EQ(Str(Only().dstRect), "103,104,119,114");
    EXPECT_EQ(Only().args.flags, 2);
}

// ---- the sort and the passes ----

class Passes : public BtlDraw {
protected:
    void SetUp() override {
        BtlDraw::SetUp();
        OnePartGroup();
    }
    // A group sprite that the spy's calls name by its x (x - 4 in place).
    static void Group(int s, int priority, int x, int y) { ASSERT_EQ(SPR_CreateSpr(s, priority, x, y, 0, 0), 1); }
    static void Func(int s, int priority, i16 y = 0) {
        ASSERT_EQ(SPR_CreateFSpr(s, priority, Record), 1);
        SprTbl[s]->y = y;
    }
    std::vector<std::string> Calls() const {
        std::vector<std::string> out;
        for (const BltCall& c : spy_.calls) {
            const bool shadow = c.blt == SPR_BLT_SILHOUETTE50_SCALED;
            out.push_back((shadow ? "shadow " : "sprite ") + std::to_string((shadow ? c.dstRect.left : c.args.x) + 4));
        }
        return out;
    }
    void DrawAll(i32 x = 0, i32 y = 0) {
        i16 pri[BTL_LIST_MAX], world[BTL_LIST_MAX];
        BTL_SortSpr(pri, world);
        const int front = BTL_DrawSprList(pri);
        BTL_DrawSprListOfs(world, x, y);
        BTL_DrawSprList2(front, pri);
    }
};

TEST_F(Passes, BehindThenTheWorldByYThenInFront) {
    Group(20, 40, 400, 0);
    Group(21, 34, 340, 0);
    Group(22, 140, 140, 0);
    Group(23, 161, 161, 0);
    Group(24, 162, 162, 0);
    Group(27, 128, 270, 90);
    Group(28, 128, 280, 60);
    Group(29, 128, 290, 90);  // equal y: the higher slot is drawn first, behind
    for (int s : {27, 28, 29}) Own(s);
    Group(30, 200, 300, 0);
    SPR_SetSprView(30, 0);
    i16 pri[BTL_LIST_MAX], world[BTL_LIST_MAX];
    BTL_SortSpr(pri, world);
    EXPECT_EQ(std::vector<i16>(pri, pri + 6), (std::vector<i16>{24, 23, 22, 20, 21, -1}));
    EXPECT_EQ(std::vector<i16>(world, world + 4), (std::vector<i16>{28, 29, 27, -1}));
    DrawAll(0, 0);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"sprite 162", "sprite 161", "sprite 140", "sprite 280", "sprite 290",
                                                 "sprite 270", "sprite 400", "sprite 340"}));
}

TEST_F(Passes, TheWorldLayerDrawsWhatItsOwnersViewMarksAllow) {
    const struct {
        const char* what;
        u8 owned;
        i8 outView;
        u32 shadowView;
        std::vector<std::string> calls;
    } cases[] = {
        {"in view with its shadow", 1, 0, 1, {"shadow 110", "sprite 110"}},
        {"in view, shadow out of view", 1, 0, 0, {"sprite 110"}},
        {"out of view, shadow in view", 1, i8(0xFF), 1, {"shadow 110"}},
        {"out of view altogether (left out of the list)", 1, i8(0xFF), 0, {}},
        {"without an owner", 0, 0, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Group(0, 128, 100, 100);
        if (c.owned) {
            LIST_DATA* o = Own(0);
            o->shadow = 1;
            o->outView = c.outView;
            o->shadowView = c.shadowView;
        }
        spy_.Clear();
        DrawAll(10, 0);
        EXPECT_EQ(Calls(), c.calls);
        OBJ_FreeAll();
        ASSERT_EQ(OBJ_Init(), 1);
    }
}

TEST_F(Passes, OwnersThatAreGoneCountAsNone) {
    Group(0, 128, 100, 100);
    LIST_DATA* o = Own(0);
    o->outView = i8(0xFF);
    OBJ_Free(o->index);  // frees the sprite too: make a new one naming the freed object
    Group(0, 128, 100, 100);
    SPR_SetSprObjNo(0, o->index);
    Group(1, 128, 200, 100);
    SPR_SetSprObjNo(1, 5000);  // outside the pool
    Func(2, 128);
    SPR_SetSprObjNo(2, -3);
    i16 pri[BTL_LIST_MAX], world[BTL_LIST_MAX];
    BTL_SortSpr(pri, world);
    EXPECT_EQ(std::vector<i16>(world, world + 4), (std::vector<i16>{2, 1, 0, -1}));  // nothing left out
    DrawAll();
    EXPECT_TRUE(spy_.calls.empty());                 // ownerless group sprites are not drawn
    EXPECT_EQ(Drawn(), (std::vector<int>{2}));       // an ownerless function sprite is
}

TEST_F(Passes, ShadowsBehindAndInFrontFollowTheOwnersFlagAndInFrontTheHeight) {
    Group(0, 150, 100, 100);
    Group(1, 20, 200, 100);
    Group(2, 20, 300, 100);
    for (int s : {0, 1, 2}) Own(s)->shadow = 1;
    SPR_GetSpr(0)->height = 0;
    SPR_GetSpr(1)->height = 0;
    SPR_GetSpr(2)->height = 12;
    Group(3, 20, 400, 100);
    Own(3)->shadow = 0;
    SPR_GetSpr(3)->height = 12;
    DrawAll();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"shadow 100", "sprite 100", "sprite 400", "shadow 300", "sprite 300",
                                                 "sprite 200"}));
}

TEST_F(Passes, AnEntryOnAnOpenLayerDrawsIntoTheLayersPicture) {
    const int layerSurf = SPR_CreateSurf(64, 64, 0);
    SprLayerTbl[3].open = 1;
    SprLayerTbl[3].surf = layerSurf;
    Group(0, 150, 100, 100);
    SPR_SetSprLayer(0, 3);
    Group(1, 140, 200, 100);
    SPR_SetSprLayer(1, 4);  // closed: the back buffer
    Group(2, 128, 300, 100);
    SPR_SetSprLayer(2, 3);
    Own(2);
    DrawAll(5, 0);
    ASSERT_EQ(spy_.calls.size(), 3u);
    EXPECT_EQ(spy_.calls[0].args.dst, SPR_GetSlotSurf(layerSurf));
    EXPECT_EQ(spy_.calls[1].args.dst, DispBackBuffer);
    EXPECT_EQ(spy_.calls[2].args.dst, SPR_GetSlotSurf(layerSurf));
    EXPECT_EQ(spy_.calls[2].args.x, 301);  // with the world's offset
    EXPECT_EQ(*SprDrawSurf, DispBackBuffer);
    SprLayerTbl[3] = SPR_LAYER{};
    SPR_DelSurfDat(layerSurf);
}

TEST_F(Passes, TheWorldPassMakesEachOwnerTheCurrentObjectAndOffsetsOnlyTheWorld) {
    static LIST_DATA* seen[2];
    static i32 offset[2];
    auto probe = [](int s) {
        seen[s] = CurObj;
        offset[s] = BtlDrawOfsX;
    };
    ASSERT_EQ(SPR_CreateFSpr(0, 128, probe), 1);
    ASSERT_EQ(SPR_CreateFSpr(1, 20, probe), 1);
    LIST_DATA* o = Own(0, OBJ_KIND_MAPOBJ);
    LIST_DATA* before = OBJ_Alloc(OBJ_KIND_EFFECT);
    CurObj = before;
    DrawAll(33, 44);
    EXPECT_EQ(seen[0], o);
    EXPECT_EQ(CurObj, before);
    EXPECT_EQ((Ints{offset[0], offset[1]}), (Ints{33, 0}));
}

// ---- the battle draw ----

class BattleDraw : public Passes {
protected:
    void SetUp() override {
        Passes::SetUp();
        Func(0, 128);  // the world layer
        Func(1, 10);   // the HUD
    }
};

TEST_F(BattleDraw, EachStateDrawsItsWayAndPresentsOnce) {
    for (int state = 0; state <= 20; ++state) {
        SCOPED_TRACE(state);
        BTL_SetState(state);
        Drawn().clear();
        const u64 presents = plat::GetPresentCount();
        const u32 quakes = ScrQuakeCnt;
        EXPECT_EQ(BTL_Draw(), 1);
        EXPECT_EQ(plat::GetPresentCount(), presents + 1);
        const bool world = (state >= 4 && state <= 10) || state == 12 || state == 16;
        const bool spritesOnly = state == 2 || state == 11 || state == 15 || (state >= 17 && state <= 19);
        EXPECT_EQ(ScrQuakeCnt - quakes, world ? 1u : 0u);
        if (world)
            EXPECT_EQ(Drawn(), (std::vector<int>{0, 1}));
        else if (spritesOnly)
            EXPECT_EQ(Drawn(), (std::vector<int>{1}));
        else
            EXPECT_TRUE(Drawn().empty());
    }
}

TEST_F(BattleDraw, TheSkipFlagSuppressesExactlyOneFramePresentIncluded) {
    BTL_SetState(5);
    const u64 presents = plat::GetPresentCount();
    BTL_SkipDraw();
    BTL_SkipDraw();
    EXPECT_EQ(BTL_Draw(), 1);
    EXPECT_EQ(plat::GetPresentCount(), presents);
    EXPECT_TRUE(Drawn().empty());
    BTL_Draw();
    EXPECT_EQ(plat::GetPresentCount(), presents + 1);
    EXPECT_EQ(Drawn(), (std::vector<int>{0, 1}));
}

TEST_F(BattleDraw, TheScriptsPictureNeedsAnOpenMapForTheWorld) {
    // A closed map keeps its record: no camera step or placement then, only every sprite by priority.
    MAP_DATA closed{};
    closed.mapNo = MAP_NONE;
    MAP_SetMapPtr(&closed);
    Group(2, 128, 7, 9);
    Own(2)->x = 500;
    BTL_DrawScript();
    EXPECT_EQ(Drawn(), (std::vector<int>{0, 1}));
    EXPECT_EQ(SPR_GetSpr(2)->x, 7);
    EXPECT_EQ(spy_.calls.size(), 1u);
    MAP_SetMapPtr(nullptr);
}

TEST_F(BattleDraw, TheWorldRedrawGoesToTheWorkSurfaceAndTheOffsetCopyAddsTheBattleOffset) {
    Group(2, 20, 100, 100);
    for (i32 slot : {-1, SPR_CreateSurf(640, 480, 0)}) {
        SCOPED_TRACE(slot);
        ScreenWorkSurf = slot;
        spy_.Clear();
        BTL_RedrawMap();
        EXPECT_EQ(SprDrawSurf, &DispBackBuffer);
        if (slot < 0) {
            EXPECT_TRUE(spy_.calls.empty());
            continue;
        }
        ASSERT_EQ(spy_.calls.size(), 1u);
        EXPECT_EQ(spy_.calls[0].args.dst, SPR_GetSlotSurf(slot));
        SPR_DelSurfDat(slot);
    }
    ScreenWorkSurf = -1;

    const RECT src{1, 2, 9, 10};
    BTL_SetDrawOfs(30, 40);
    spy_.Clear();
    BTL_DrawSurfOfs(image_, 5, 6, &src);
    const BltCall& c = Only();
    EXPECT_EQ(c.blt, SPR_BLT_COPY);
    EXPECT_EQ(c.args.x * 1000 + c.args.y, 35 * 1000 + 46);
    EXPECT_EQ(c.args.key, 1);
    EXPECT_EQ(Str(c.srcRect), "1,2,9,10");
    spy_.Clear();
    BTL_DrawSurfOfs(-1, 5, 6, &src);  // no such slot
    EXPECT_TRUE(spy_.calls.empty());
}

TEST_F(BattleDraw, TheShellsBattleSceneDrawsThroughTheBattleDraw) {
    test::FakeClock clock(0x10000000);
    SYS_SetSeq(4);
    SysRenewTime = clock.now();  // the update waits, the draw is due
    SysDrawTime = clock.now() - 40;
    BTL_SetState(2);
    const u64 presents = plat::GetPresentCount();
    SYS_Loop_Main();
    EXPECT_EQ(plat::GetPresentCount(), presents + 1);
    EXPECT_EQ(Drawn(), (std::vector<int>{1}));
    SYS_SetSeq(0);
    SYS_SetSeq(0);
    SysRenewTime = SysDrawTime = 0;
}

}  // namespace
