#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display_support.h"
#include "graphics/display/disp.h"
#include "graphics/sprite/spr.h"
#include "graphics/sprite/spr_blt.h"
#include "spr_draw_util.h"
#include "test_support.h"

namespace {

using test::BltCall;
using test::PageDef;

std::string Str(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

class SpriteDraw : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.ok());
        SPR_Init();
        for (int& slot : img) {
            slot = SPR_CreateSurf(32, 32, 0);
            ASSERT_GE(slot, 0);
        }
    }
    void TearDown() override {
        SPR_Release();
        test::EmptySurfaceSlots();
        SPR_InitLayer();
    }
    // Group 0: page 0 holds one 16×16 part at dest (-8, -16, 8, 0).
    void OnePartGroup(u16 partAttr = 0, u16 pageAttr = 0) {
        test::MakeGroup(0, {PageDef{pageAttr, {{img[0], {-8, -16, 8, 0}, {0, 0, 16, 16}, partAttr}}, {}}});
    }
    const BltCall& Only() {
        EXPECT_EQ(spy.calls.size(), 1u);
        static BltCall none{};
        return spy.calls.empty() ? none : spy.calls[0];
    }

    test::HeadlessDisplay display;
    int img[3] = {-1, -1, -1};
    test::BltSpy spy;
};

// What one row of the table should draw: the blit, its level (or colour, or red), key, and whether
// the flags are the attribute's low byte (else 0).
struct Expect {
    int blt;
    i32 level;
    int key;
    bool flags;
    i32 green = 0;
    i32 blue = 0;
};

struct Row {
    u32 attr;
    Expect plain;
    Expect scaled;
};

constexpr i32 kLevel = 0x1234;  // low byte 0x34 (red), high byte 0x12 (green)
constexpr i32 kLevel2 = 0x33;   // blue, and the dark row's key switch

// The table as a group sprite sees it, at a second level whose 0 turns the dark row's key on.
std::vector<Row> GroupRows(i32 kLevel2 = ::kLevel2) {
    const int darkKey = kLevel2 == 0 ? 1 : 0;
    return {
        {0x104, {SPR_BLT_SILHOUETTE50, 0x1234, 0, true}, {SPR_BLT_SILHOUETTE50_SCALED, 0x1234, 0, true}},
        {0x4, {SPR_BLT_ALPHA50, 0, 1, true}, {SPR_BLT_ALPHA50_SCALED, 0, 1, true}},
        {0x8, {SPR_BLT_ADD100, 0, 1, true}, {SPR_BLT_ADD100_SCALED, 0, 1, true}},
        {0x400, {SPR_BLT_ADD50, 0, 1, true}, {SPR_BLT_ADD50_SCALED, 0, 1, true}},
        {0x800, {SPR_BLT_ADD25, 0, 1, true}, {SPR_BLT_ADD25_SCALED, 0, 1, true}},
        {0x10, {SPR_BLT_SUB100, 0, 1, true}, {SPR_BLT_SUB100_SCALED, 0, 1, true}},
        {0x1000, {SPR_BLT_SUB50, 0, 1, true}, {SPR_BLT_SUB50_SCALED, 0, 1, true}},
        {0x2000, {SPR_BLT_SUB25, 0, 1, true}, {SPR_BLT_SUB25_SCALED, 0, 1, true}},
        {0x20, {SPR_BLT_ALPHA, 2 * kLevel, 1, true}, {SPR_BLT_MESH_SCALED, kLevel, 1, true}},
        {0x40, {SPR_BLT_ALPHA, kLevel, 1, true}, {SPR_BLT_ALPHA_SCALED, kLevel, 1, true}},
        {0x80, {SPR_BLT_ALPHAADD, kLevel, 1, true}, {SPR_BLT_ALPHAADD_SCALED, kLevel, 1, true}},
        {0x100, {SPR_BLT_SILHOUETTE, 0x1234, 0, true}, {SPR_BLT_SILHOUETTE_SCALED, 0x1234, 0, true}},
        {0x200, {SPR_BLT_WHITE, kLevel, 1, true}, {SPR_BLT_TONE_SCALED, kLevel, 1, true}},
        {0x1, {SPR_BLT_COPYFLIP, 0, 1, true}, {SPR_BLT_COPY_SCALED, 0, 1, true}},
        {0x2, {SPR_BLT_COPYFLIP, 0, 1, true}, {SPR_BLT_COPY_SCALED, 0, 1, true}},
        {0x4000, {SPR_BLT_COPY, 0, 0, false}, {SPR_BLT_COPY_SCALED, 0, 0, true}},
        {0x8000, {SPR_BLT_DARK, kLevel, darkKey, true}, {SPR_BLT_DARK_SCALED, kLevel, 1, true}},
        {0x10000, {SPR_BLT_TONERGB, 0x34, 1, true, 0x12, kLevel2}, {SPR_BLT_TONERGB_SCALED, 0x34, 1, true, 0x12, kLevel2}},
        {0x20000, {SPR_BLT_ALPHARGB, 0x34, 1, true, 0x12, kLevel2}, {SPR_BLT_ALPHARGB_SCALED, 0x34, 1, true, 0x12, kLevel2}},
        {0x40000,
         {SPR_BLT_ALPHAADDRGB, 0x34, 1, true, 0x12, kLevel2},
         {SPR_BLT_ALPHAADDRGB_SCALED, 0x34, 1, true, 0x12, kLevel2}},
        {0x0, {SPR_BLT_COPY, 0, 1, false}, {SPR_BLT_COPY_SCALED, 0, 1, true}},
        // First match: earlier rows shadow later ones; a mirror bit shadows rows 14..18 only in place.
        {0x7FFFC, {SPR_BLT_SILHOUETTE50, 0x1234, 0, true}, {SPR_BLT_SILHOUETTE50_SCALED, 0x1234, 0, true}},
        {0x4 | 0x8, {SPR_BLT_ALPHA50, 0, 1, true}, {SPR_BLT_ALPHA50_SCALED, 0, 1, true}},
        {0x20 | 0x40, {SPR_BLT_ALPHA, 2 * kLevel, 1, true}, {SPR_BLT_MESH_SCALED, kLevel, 1, true}},
        {0x40 | 0x1, {SPR_BLT_ALPHA, kLevel, 1, true}, {SPR_BLT_ALPHA_SCALED, kLevel, 1, true}},
        {0x200 | 0x2, {SPR_BLT_WHITE, kLevel, 1, true}, {SPR_BLT_TONE_SCALED, kLevel, 1, true}},
        {0x4001, {SPR_BLT_COPYFLIP, 0, 1, true}, {SPR_BLT_COPY_SCALED, 0, 0, true}},
        {0x8002, {SPR_BLT_COPYFLIP, 0, 1, true}, {SPR_BLT_DARK_SCALED, kLevel, 1, true}},
        {0x10003, {SPR_BLT_COPYFLIP, 0, 1, true}, {SPR_BLT_TONERGB_SCALED, 0x34, 1, true, 0x12, kLevel2}},
        {0x14000, {SPR_BLT_COPY, 0, 0, false}, {SPR_BLT_COPY_SCALED, 0, 0, true}},
    };
}

void Check(const BltCall& c, const Expect& e, u32 attr, const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(c.blt, e.blt);
    EXPECT_EQ(c.args.level, e.level);
    EXPECT_EQ(c.args.key, e.key);
    EXPECT_EQ(c.args.flags, e.flags ? int(attr & 0xFF) : 0);
    if (e.blt == SPR_BLT_TONERGB || e.blt == SPR_BLT_TONERGB_SCALED || e.blt == SPR_BLT_ALPHARGB ||
        e.blt == SPR_BLT_ALPHARGB_SCALED || e.blt == SPR_BLT_ALPHAADDRGB || e.blt == SPR_BLT_ALPHAADDRGB_SCALED) {
        EXPECT_EQ(c.args.level2, e.green);
        EXPECT_EQ(c.args.level3, e.blue);
    }
}

std::string Hex(u32 v) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%X", v);
    return b;
}

TEST_F(SpriteDraw, GroupSpritesChooseTheirBlitByTheFirstMatchingRow) {
    OnePartGroup();
    ASSERT_EQ(SPR_CreateSpr(0, 0, 100, 100, 0, 0), 1);
    SPR_SetSprAttrCnt1(0, kLevel);
    for (i32 level2 : {kLevel2, 0}) {
        SPR_SetSprAttrCnt2(0, level2);
        for (const Row& row : GroupRows(level2)) {
            SPR_SetSprAttr(0, row.attr);
            for (bool scaled : {false, true}) {
                SPR_SetSprScale(0, scaled ? 512 : 256, 256);
                spy.Clear();
                SPR_DrawSpr(0);
                const BltCall& c = Only();
                Check(c, scaled ? row.scaled : row.plain, row.attr,
                      "group " + Hex(row.attr) + " level 2 " + Hex(u32(level2)) + (scaled ? " scaled" : ""));
                EXPECT_EQ(c.args.dst, DispBackBuffer);
                EXPECT_EQ(c.args.src, SPR_GetSlotSurf(img[0]));
            }
        }
    }
}

TEST_F(SpriteDraw, SurfaceSpritesTakeTheTableWithTheirOwnTwoRows) {
    ASSERT_EQ(SPR_CreateTSpr(0, 0, 100, 100, img[1], nullptr), 1);
    SPR_SetTSprAttrCnt1(0, kLevel);
    for (i32 level2 : {kLevel2, 0}) {
        SPR_SetTSprAttrCnt2(0, level2);
        for (Row row : GroupRows(level2)) {
            // Bit 0x4 is always the 50 % blend; whitening in place goes at twice the level.
            if ((row.attr & 0x4) && (row.attr & 0x100)) {
                row.plain = {SPR_BLT_ALPHA50, 0, 1, true};
                row.scaled = {SPR_BLT_ALPHA50_SCALED, 0, 1, true};
            }
            if (row.plain.blt == SPR_BLT_WHITE) row.plain.level = 2 * kLevel;
            SPR_SetTSprAttr(0, row.attr);
            for (bool scaled : {false, true}) {
                SPR_SetTSprScale(0, 256, scaled ? 128 : 256);
                spy.Clear();
                SPR_DrawTSpr(0);
                const BltCall& c = Only();
                Check(c, scaled ? row.scaled : row.plain, row.attr,
                      "surface " + Hex(row.attr) + " level 2 " + Hex(u32(level2)) + (scaled ? " scaled" : ""));
                EXPECT_EQ(c.args.src, SPR_GetSlotSurf(img[1]));
            }
        }
    }
}

TEST_F(SpriteDraw, DirectPageDrawHasNoMirrorRowAndWhitensAtTheLevel) {
    OnePartGroup(0x40, 0x1);  // the page's and part's own bits are not used
    for (i32 level2 : {kLevel2, 0}) {
        for (Row row : GroupRows(level2)) {
            if (row.plain.blt == SPR_BLT_COPYFLIP) {
                // Without the mirror row the next matching row draws, with the flips where it takes them.
                const u32 rest = row.attr & ~3u;
                row.plain = rest & 0x4000    ? Expect{SPR_BLT_COPY, 0, 0, false}
                            : rest & 0x8000  ? Expect{SPR_BLT_DARK, kLevel, level2 == 0 ? 1 : 0, true}
                            : rest & 0x10000 ? Expect{SPR_BLT_TONERGB, 0x34, 1, true, 0x12, level2}
                                             : Expect{SPR_BLT_COPY, 0, 1, false};
            }
            spy.Clear();
            SPR_DrawSpr2(DispBackBuffer, 0, 0, 0, 0, row.attr, kLevel, level2);
            Check(Only(), row.plain, row.attr, "direct " + Hex(row.attr) + " level 2 " + Hex(u32(level2)));
        }
    }
}

// With no rectangle a surface sprite takes its whole surface; the drawn size follows the rectangle.
TEST_F(SpriteDraw, SurfaceSpritesTakeTheirSurfaceWholeOrInPart) {
    const int small = SPR_CreateSurf(20, 12, 0);
    ASSERT_GE(small, 0);
    ASSERT_EQ(SPR_CreateTSpr(0, 0, 100, 100, img[0], nullptr), 1);
    const RECT part{3, 4, 13, 9};
    const struct {
        int slot;
        const RECT* rect;
        RECT src;
    } cases[] = {{small, nullptr, {0, 0, 20, 12}}, {img[1], &part, part}, {img[2], nullptr, {0, 0, 32, 32}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.slot);
        ASSERT_EQ(SPR_SetTSprSurf(0, c.slot, c.rect), 1);
        const TSPR_DATA* spr = SPR_GetTSpr(0);
        EXPECT_EQ(spr->surf, c.slot);
        EXPECT_EQ(Str(spr->src), Str(c.src));
        EXPECT_EQ(spr->drawW, c.src.right - c.src.left);
        EXPECT_EQ(spr->drawH, c.src.bottom - c.src.top);
        spy.Clear();
        SPR_DrawTSpr(0);
        const BltCall& call = Only();
        EXPECT_EQ(call.args.src, SPR_GetSlotSurf(c.slot));
        ASSERT_NE(call.args.srcRect, nullptr);
        EXPECT_EQ(Str(*call.args.srcRect), Str(c.src));
    }
    EXPECT_EQ(SPR_SetTSprSurf(1, small, nullptr), 0);  // no such sprite
}

TEST_F(SpriteDraw, BlendBitsComeFromTheSpriteWhenItHasAnyElseFromEachPart) {
    test::MakeGroup(0, {PageDef{0, {{img[0], {0, 0, 16, 16}, {0, 0, 16, 16}, 0x8},
                                    {img[1], {0, 0, 16, 16}, {0, 0, 16, 16}, 0x10 | 0x1}}, {}}});
    SPR_CreateSpr(0, 0, 0, 0, 0, 0);
    SPR_DrawSpr(0);
    ASSERT_EQ(spy.calls.size(), 2u);
    EXPECT_EQ(spy.calls[0].blt, SPR_BLT_ADD100);
    EXPECT_EQ(spy.calls[1].blt, SPR_BLT_SUB100);
    EXPECT_EQ(spy.calls[1].args.flags & 3, 1);

    spy.Clear();
    SPR_SetSprAttr(0, 0x40);
    SPR_SetSprAttrCnt1(0, 20);
    SPR_DrawSpr(0);
    ASSERT_EQ(spy.calls.size(), 2u);
    for (const BltCall& c : spy.calls) {
        EXPECT_EQ(c.blt, SPR_BLT_ALPHA);
        EXPECT_EQ(c.args.level, 20);
    }
    EXPECT_EQ(spy.calls[0].args.flags, 0x40);
    EXPECT_EQ(spy.calls[1].args.flags, 0x41);  // the part's mirror bit still counts
}

TEST_F(SpriteDraw, MirrorBitsOfSpritePageAndPartCancel) {
    // Sprite bit 0 on a page with bit 0: drawn unmirrored, the part in place.
    test::MakeGroup(0, {PageDef{0x1, {{img[0], {2, -16, 18, 0}, {0, 0, 16, 16}, 0}}, {}}});
    SPR_CreateSpr(0, 0, 100, 200, 0, 0);
    SPR_SetSprAttr(0, 0x1);
    SPR_DrawSpr(0);
    const BltCall& c = Only();
    EXPECT_EQ(c.blt, SPR_BLT_COPY);
    EXPECT_EQ(c.args.x, 102);
    EXPECT_EQ(c.args.y, 184);
}

TEST_F(SpriteDraw, PartsArePlacedUnderFlipsScaleHeightAndOffset) {
    test::MakeGroup(0, {PageDef{0, {{img[0], {2, -16, 18, 0}, {0, 0, 16, 16}, 0}}, {}},
                        PageDef{0, {{img[0], {-8, -16, 8, 0}, {0, 0, 16, 16}, 0}}, {}},
                        PageDef{0, {{img[0], {-5, -3, 5, 0}, {0, 0, 10, 3}, 0}}, {}},
                        PageDef{0, {{img[0], {0, 0, 20, 10}, {0, 0, 16, 16}, 0}}, {}}});
    SPR_CreateSpr(0, 0, 100, 200, 0, 0);
    SprTbl[0]->height = 10;  // Y0 = 190
    struct Case {
        int page;
        u32 attr;
        int sx, sy;
        bool scaled;
        RECT at;  // unscaled: left, top only
    };
    const Case cases[] = {
        {0, 0x0, 256, 256, false, {102, 174, 0, 0}},
        {0, 0x1, 256, 256, false, {82, 174, 0, 0}},   // px = -right
        {0, 0x2, 256, 256, false, {102, 190, 0, 0}},  // py = -bottom
        {0, 0x3, 256, 256, false, {82, 190, 0, 0}},
        {1, 0x0, 512, 512, true, {84, 158, 116, 190}},
        {1, 0x0, 512, 256, true, {84, 174, 116, 190}},  // an axis at 256 keeps its values
        {0, 0x1, 512, 256, true, {64, 174, 96, 190}},
        {2, 0x0, 128, 128, true, {97, 188, 102, 189}},  // -5 × 128 >> 8 = -3 (towards minus infinity)
        {3, 0x0, 256, 256, true, {100, 190, 120, 200}},  // sizes differ: stretched even at 256
    };
    for (const Case& k : cases) {
        SCOPED_TRACE("page " + std::to_string(k.page) + " attr " + std::to_string(k.attr) + " scale " +
                     std::to_string(k.sx) + "/" + std::to_string(k.sy));
        SPR_SetSprPage(0, k.page);
        SPR_SetSprAttr(0, k.attr);
        SPR_SetSprScale(0, k.sx, k.sy);
        spy.Clear();
        SPR_DrawSpr(0);
        const BltCall& c = Only();
        if (k.scaled) {
            EXPECT_EQ(Str(c.dstRect), Str(k.at));
        } else {
            EXPECT_EQ(c.args.x, k.at.left);
            EXPECT_EQ(c.args.y, k.at.top);
        }
    }
    // The draw offset moves everything; the page offset picks the page.
    SPR_SetDrawOffset(-10, 20);
    SPR_SetSprScale(0, 256, 256);
    SPR_SetSprAttr(0, 0);
    SPR_SetSprPage(0, 0);
    SPR_GetSpr(0)->pageOffset = 1;
    spy.Clear();
    SPR_DrawSpr(0);
    EXPECT_EQ(Only().args.x, 82);
    EXPECT_EQ(Only().args.y, 194);
    SPR_SetDrawOffset(0, 0);
}

TEST_F(SpriteDraw, SurfaceSpritesArePlacedButNeverMirrored) {
    ASSERT_EQ(SPR_CreateTSpr(0, 0, 50, 60, img[1], nullptr), 1);
    SPR_SetTSprRect(0, 0, 0, 32, 16);
    SprTbl[0]->height = 5;
    SPR_SetTSprAttr(0, 0x3);
    SPR_DrawTSpr(0);
    EXPECT_EQ(Only().blt, SPR_BLT_COPYFLIP);
    EXPECT_EQ(Only().args.x, 50);
    EXPECT_EQ(Only().args.y, 55);

    spy.Clear();
    SPR_SetTSprScale(0, 512, 256);
    SPR_DrawTSpr(0);
    EXPECT_EQ(Only().blt, SPR_BLT_COPY_SCALED);
    EXPECT_EQ(Str(Only().dstRect), Str(RECT{50, 55, 114, 71}));
    EXPECT_EQ(Only().args.flags, 3);

    // A drawn size other than the source rectangle's stretches at scale 1.
    spy.Clear();
    SPR_SetTSprScale(0, 256, 256);
    SPR_GetTSpr(0)->drawW = 40;
    SPR_SetDrawOffset(1, 2);
    SPR_DrawTSpr(0);
    EXPECT_EQ(Str(Only().dstRect), Str(RECT{51, 57, 91, 73}));
    SPR_SetDrawOffset(0, 0);
}

TEST_F(SpriteDraw, MissingSurfacesAndHiddenSpritesDrawNothing) {
    test::MakeGroup(0, {PageDef{0, {{0xFFFF, {0, 0, 4, 4}, {0, 0, 4, 4}, 0},
                                    {img[2], {0, 0, 4, 4}, {0, 0, 4, 4}, 0},
                                    {200, {0, 0, 4, 4}, {0, 0, 4, 4}, 0}}, {}}});
    SPR_CreateSpr(0, 0, 0, 0, 0, 0);
    SPR_DrawSpr(0);
    EXPECT_EQ(spy.calls.size(), 1u);  // only the part whose slot has a surface

    spy.Clear();
    SPR_SetSprPage(0, 7);  // no such page
    SPR_DrawSpr(0);
    SPR_SetSprPage(0, 0);
    SPR_SetSprView(0, 0);
    SPR_DrawSpr(0);
    SPR_CreateTSpr(1, 0, 0, 0, img[1], nullptr);
    SPR_DelSurfDat(img[1]);
    SPR_DrawTSpr(1);
    SPR_DrawTSpr(0);  // not a surface sprite
    SPR_DrawSpr(1);   // not a group sprite
    plat::Surface** target = SprDrawSurf;
    SPR_SetSprView(0, 1);
    SPR_SetDrawSurf(nullptr);
    SPR_DrawSpr(0);
    SPR_SetDrawSurf(target);
    EXPECT_TRUE(spy.calls.empty());
}

// ---- hit rectangles ----

TEST_F(SpriteDraw, HitRectanglesMirrorByTheSpriteAndScaleTowardsMinusInfinity) {
    test::MakeGroup(0, {PageDef{0x1, {{img[0], {2, -16, 18, 0}, {0, 0, 16, 16}, 0}},
                                {{10, 0, 30, 20}, {-5, -3, 5, 0}}}});
    SPR_CreateSpr(0, 0, 100, 200, 0, 0);
    SprTbl[0]->height = 10;
    struct Case {
        u32 attr;
        int sx, sy;
        RECT hit0, hit1;
    };
    const Case cases[] = {
        {0x0, 256, 256, {10, 0, 30, 20}, {-5, -3, 5, 0}},  // the page's mirror bit does not count
        {0x1, 128, 256, {-15, 0, -5, 20}, {-3, -3, 2, 0}},
        {0x2, 256, 512, {10, -40, 30, 0}, {-5, 0, 5, 6}},
        {0x0, 128, 128, {5, 0, 15, 10}, {-3, -2, 2, -1}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE("attr " + std::to_string(k.attr) + " scale " + std::to_string(k.sx) + "/" + std::to_string(k.sy));
        SPR_SetSprAttr(0, k.attr);
        SPR_SetSprScale(0, k.sx, k.sy);
        RECT r{};
        ASSERT_EQ(SPR_GetHitRect(0, 0, &r), 1);
        EXPECT_EQ(Str(r), Str(k.hit0));
        ASSERT_EQ(SPR_GetHitRect(0, 1, &r), 1);
        EXPECT_EQ(Str(r), Str(k.hit1));
    }

    // Screen rectangles add the position and the draw offset, not the height above ground.
    SPR_SetSprAttr(0, 0x1);
    SPR_SetSprScale(0, 128, 256);
    SPR_SetDrawOffset(-20, 5);
    RECT r{};
    ASSERT_EQ(SPR_GetHitRectScr(0, 0, &r), 1);
    EXPECT_EQ(Str(r), Str(RECT{65, 205, 75, 225}));
    SPR_SetDrawOffset(0, 0);

    // Points and rectangles against all sixteen (hit 1 at scale 128: -3, -3, 2, 0; hit 0: -15, 0, -5, 20).
    EXPECT_EQ(SPR_CheckHitPoint(0, -3, -3), 0x2u);
    EXPECT_EQ(SPR_CheckHitPoint(0, 2, -1), 0u);   // right edge is outside
    EXPECT_EQ(SPR_CheckHitPoint(0, -15, 0), 0x1u);
    EXPECT_EQ(SPR_CheckHitPoint(0, -5, 0), 0u);
    const RECT touching{-5, 0, 0, 5};            // shares only an edge with hit 0
    EXPECT_EQ(SPR_CheckHitRect(0, &touching), 0u);
    const RECT both{-6, -1, 0, 1};
    EXPECT_EQ(SPR_CheckHitRect(0, &both), 0x3u);

    // Parts mirror by the page only; the sprite's scale applies.
    ASSERT_EQ(SPR_GetPartRect(0, 0, &r), 1);
    EXPECT_EQ(Str(r), Str(RECT{-9, -16, -1, 0}));

    // Out of range and wrong kinds answer 0 and leave the output alone.
    SPR_CreateTSpr(1, 0, 0, 0, img[1], nullptr);
    RECT keep{1, 2, 3, 4};
    EXPECT_EQ(SPR_GetHitRect(0, 16, &keep), 0);
    EXPECT_EQ(SPR_GetHitRect(0, -1, &keep), 0);
    EXPECT_EQ(SPR_GetHitRectScr(0, 16, &keep), 0);
    EXPECT_EQ(SPR_GetPartRect(0, 1, &keep), 0);
    EXPECT_EQ(SPR_GetPartRect(0, -1, &keep), 0);
    EXPECT_EQ(SPR_GetHitRect(1, 0, &keep), 0);
    EXPECT_EQ(SPR_GetHitRect(2, 0, &keep), 0);
    EXPECT_EQ(SPR_GetTSprRect(0, &keep), 0);
    SPR_SetSprPage(0, 3);  // no such page
    EXPECT_EQ(SPR_GetHitRect(0, 0, &keep), 0);
    EXPECT_EQ(Str(keep), Str(RECT{1, 2, 3, 4}));
    EXPECT_EQ(SPR_CheckHitPoint(1, 0, 0), 0u);
    EXPECT_EQ(SPR_CheckHitRect(1, &both), 0u);

    // A surface sprite's rectangle: its source rectangle mirrored by its own bits and scaled.
    SPR_SetTSprRect(1, 4, 0, 16, 8);
    SPR_SetTSprAttr(1, 0x3);
    SPR_SetTSprScale(1, 512, 256);
    ASSERT_EQ(SPR_GetTSprRect(1, &r), 1);
    EXPECT_EQ(Str(r), Str(RECT{-40, -8, -8, 0}));
}

// ---- order ----

std::vector<int> DrawnXs(const std::vector<BltCall>& calls) {
    std::vector<int> xs;
    for (const BltCall& c : calls) xs.push_back(c.args.x);
    return xs;
}

TEST_F(SpriteDraw, HigherPrioritiesFirstThenHigherSlotsFirst) {
    OnePartGroup();
    // x = slot + 8 (the part's left is -8), so the drawn x names the sprite.
    for (auto [s, pri] : {std::pair{3, 10}, {7, 10}, {9, 20}, {12, -5}, {400, 10}, {511, 0}})
        SPR_CreateSpr(s, pri, s + 8, 100, 0, 0);
    SPR_SetSprView(400, 0);
    SPR_DrawAllSpr(-1);
    EXPECT_EQ(DrawnXs(spy.calls), (std::vector<int>{9, 7, 3, 511, 12}));

    u16 list[SPR_MAX + 1];
    SPR_SortSpr(list);
    EXPECT_EQ((std::vector<u16>(list, list + 6)), (std::vector<u16>{9, 7, 3, 511, 12, 0xFFFF}));

    spy.Clear();
    SPR_DrawAllSpr(10);
    EXPECT_EQ(DrawnXs(spy.calls), (std::vector<int>{7, 3}));
    spy.Clear();
    SPR_DrawAllSpr(30);
    EXPECT_TRUE(spy.calls.empty());
}

TEST_F(SpriteDraw, AFullTableSortsAndEndsItsList) {
    OnePartGroup();
    for (int s = 0; s < SPR_MAX; ++s) SPR_CreateSpr(s, s % 7, 0, 0, 0, 0);
    u16 list[SPR_MAX + 1];
    SPR_SortSpr(list);
    EXPECT_EQ(list[SPR_MAX], 0xFFFF);
    for (int i = 1; i < SPR_MAX; ++i) {
        const int a = list[i - 1], b = list[i];
        ASSERT_TRUE(SprTbl[a]->priority > SprTbl[b]->priority || (SprTbl[a]->priority == SprTbl[b]->priority && a > b))
            << i;
    }
}

std::vector<int> g_callbackOrder;

void DeletingCallback(int s) {
    g_callbackOrder.push_back(s);
    SPR_DelSpr(5);  // a later group sprite
    SPR_DelSpr(6);  // a later function sprite
    SPR_DelSpr(s);  // itself
}
void RecordingCallback(int s) { g_callbackOrder.push_back(s); }

TEST_F(SpriteDraw, ACallbackMayDeleteSpritesStillToBeDrawn) {
    OnePartGroup();
    g_callbackOrder.clear();
    SPR_CreateFSpr(10, 50, DeletingCallback);
    SPR_CreateSpr(5, 10, 13, 0, 0, 0);
    SPR_CreateFSpr(6, 10, RecordingCallback);
    SPR_CreateSpr(4, 10, 12, 0, 0, 0);
    SPR_DrawAllSpr(-1);
    EXPECT_EQ(g_callbackOrder, (std::vector<int>{10}));
    EXPECT_EQ(DrawnXs(spy.calls), (std::vector<int>{4}));
    EXPECT_EQ(SprTbl[10], nullptr);
}

// ---- fade layers ----

plat::Surface* g_seenTarget = nullptr;
void TargetCallback(int) { g_seenTarget = SprDrawSurf ? *SprDrawSurf : nullptr; }

TEST_F(SpriteDraw, SpritesOfAnOpenLayerDrawIntoItsPicture) {
    test::FakeClock clock;
    OnePartGroup();
    plat::Surface* back = DispBackBuffer;
    ASSERT_EQ(SPR_OpenLayer(2, 0, 1000, 100), 1);
    const SPR_LAYER layer = SprLayerTbl[2];
    plat::Surface* picture = SPR_GetSlotSurf(layer.surf);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(SprTbl[layer.sprite]->layer, -1);

    SPR_CreateSpr(1, 10, 0, 0, 0, 0);
    SPR_SetSprLayer(1, 2);
    SPR_CreateSpr(2, 10, 0, 0, 0, 0);
    SPR_SetSprLayer(2, 3);  // a closed layer does not redirect
    SPR_CreateFSpr(3, 20, TargetCallback);
    SPR_SetSprLayer(3, 2);
    g_seenTarget = nullptr;
    SPR_DrawAllSpr(-1);

    EXPECT_EQ(g_seenTarget, picture);
    ASSERT_EQ(spy.calls.size(), 3u);
    // The layer's own sprite (priority 100) first: its picture whitened at 2 × 31 onto the back buffer.
    EXPECT_EQ(spy.calls[0].blt, SPR_BLT_WHITE);
    EXPECT_EQ(spy.calls[0].args.level, 62);
    EXPECT_EQ(spy.calls[0].args.src, picture);
    EXPECT_EQ(spy.calls[0].args.dst, back);
    EXPECT_EQ(spy.calls[1].args.dst, back);     // slot 2, layer 3
    EXPECT_EQ(spy.calls[2].args.dst, picture);  // slot 1, layer 2
    EXPECT_EQ(DispBackBuffer, back);
    EXPECT_EQ(SprDrawSurf, &DispBackBuffer);
}

TEST_F(SpriteDraw, OneSpriteDrawsIntoASlotWithoutLayers) {
    OnePartGroup();
    ASSERT_EQ(SPR_OpenLayer(0, 1, 500, 100), 1);
    SPR_CreateSpr(1, 10, 0, 0, 0, 0);
    SPR_SetSprLayer(1, 0);
    plat::Surface* other = SPR_GetSlotSurf(img[2]);

    SPR_DrawAllSpr2(img[2], 1);
    EXPECT_EQ(Only().args.dst, other);
    EXPECT_EQ(SprDrawSurf, &DispBackBuffer);

    // With -1 the target stays where it was, here the slot's surface.
    spy.Clear();
    SPR_SetDrawSurf(&SurfTbl[img[2]].surface);
    SPR_DrawAllSpr2(-1, 1);
    EXPECT_EQ(Only().args.dst, other);
    EXPECT_EQ(SprDrawSurf, &SurfTbl[img[2]].surface);

    // A slot that holds nothing is refused, and the target still ends on the back buffer; a hidden or
    // free sprite is not drawn.
    spy.Clear();
    SPR_DrawAllSpr2(255, 1);
    EXPECT_EQ(SprDrawSurf, &DispBackBuffer);
    SPR_DrawAllSpr2(SURF_SLOT_MAX, 1);
    SPR_DrawAllSpr2(img[2], 300);
    SPR_SetSprView(1, 0);
    SPR_DrawAllSpr2(img[2], 1);
    EXPECT_TRUE(spy.calls.empty());
}

TEST_F(SpriteDraw, DirectPageDrawPlacesPartsFromTheGivenPoint) {
    test::MakeGroup(0, {PageDef{0, {{img[0], {0, 0, 8, 8}, {0, 0, 8, 8}, 0}, {img[1], {10, 5, 18, 13}, {0, 0, 8, 8}, 0}}, {}}});
    SPR_DrawSpr2(DispBackBuffer, 100, 50, 0, 0, 0, 0, 0);
    ASSERT_EQ(spy.calls.size(), 2u);
    EXPECT_EQ(spy.calls[0].args.x, 100);
    EXPECT_EQ(spy.calls[0].args.y, 50);
    EXPECT_EQ(spy.calls[1].args.x, 110);
    EXPECT_EQ(spy.calls[1].args.y, 55);
    spy.Clear();
    SPR_SetDrawOffset(3, 4);
    SPR_DrawSpr2(DispBackBuffer, 100, 50, 0, 0, 0, 0, 0);
    EXPECT_EQ(spy.calls[1].args.x, 113);
    EXPECT_EQ(spy.calls[1].args.y, 59);
    SPR_SetDrawOffset(0, 0);
    // An unloaded group or a page beyond the group is refused.
    spy.Clear();
    SPR_DrawSpr2(DispBackBuffer, 0, 0, 0, 1, 0, 0, 0);
    SPR_DrawSpr2(DispBackBuffer, 0, 0, 5, 0, 0, 0, 0);
    SPR_DrawSpr2(DispBackBuffer, 0, 0, 40, 0, 0, 0, 0);
    EXPECT_TRUE(spy.calls.empty());
}

}  // namespace
