// Mesh, table blends, darkening and whitening against reference models.
#include <gtest/gtest.h>

#include "blt_model.h"
#include "display_support.h"
#include "graphics/blit/blt.h"
#include "graphics/display/surf.h"

using namespace bltt;

namespace {

using LevelPlain = int (*)(plat::Surface*, i32, i32, plat::Surface*, const RECT*, i32, int, int);
using LevelScaled = int (*)(plat::Surface*, RECT*, plat::Surface*, const RECT*, i32, int, int);

Family Leveled(const std::string& name, LevelPlain plain, LevelScaled scaled, i32 level,
               std::function<u16(bool, u16, u16, i32, i32)> model) {
    return Family{name + " " + std::to_string(level),
                  [=](plat::Surface* d, i32 x, i32 y, plat::Surface* s, const RECT* r, int m, int k) {
                      plain(d, x, y, s, r, level, m, k);
                  },
                  [=](plat::Surface* d, RECT* dr, plat::Surface* s, const RECT* r, int m, int k) {
                      scaled(d, dr, s, r, level, m, k);
                  },
                  std::move(model)};
}

u16 Copy(bool, u16, u16 s, i32, i32) { return s; }
u16 Keep(bool, u16 d, u16, i32, i32) { return d; }

auto Table(i32 level) {
    return [level](bool is565, u16 d, u16 s, i32, i32) { return ModelTable(is565, level, level, level, d, s); };
}

}  // namespace

TEST(Mesh, DotCountsPerLevel) {
    const int dots[15] = {0, 4, 8, 12, 16, 20, 24, 28, 32, 42, 44, 48, 52, 56, 60};
    for (bool is565 : {false, true}) {
        SetDisplay(is565);
        Surf dst(is565, 64, 64), src(is565, 64, 64), small(is565, 16, 16);
        src.FillAll(0x7FFF);
        small.FillAll(0x7FFF);
        auto count = [&] {
            int n = 0;
            for (u16 p : dst.Get().px) n += p != 0;
            return n;
        };
        for (i32 level = -1; level <= 16; ++level) {
            const int want = level <= 0 ? 0 : level >= 15 ? 4096 : dots[level] * 64;
            dst.FillAll(0);
            BLT_Mesh(dst, 0, 0, src, nullptr, level, 0, 1);
            EXPECT_EQ(count(), want) << "level " << level;
            // The scaled twin counts destination pixels.
            dst.FillAll(0);
            RECT dr{0, 0, 64, 64};
            BLT_MeshScaled(dst, &dr, small, nullptr, level, 0, 1);
            EXPECT_EQ(count(), want) << "scaled level " << level;
        }
    }
}

TEST(Mesh, PatternAnchoredToTheLastRowAndColumn) {
    SetDisplay(false);
    Surf dst(false, 16, 16), src(false, 5, 3);
    src.FillAll(0x0001);
    // Level 8: row byte 1 is 0x55 and row byte 2 is 0xaa, counted from the last row and column.
    BLT_Mesh(dst, 3, 4, src, nullptr, 8, 0, 0);
    Image got = dst.Get();
    EXPECT_EQ(got.at(7, 6), 0);  // R = 1, n = 1: bit 1 of 0x55
    EXPECT_EQ(got.at(6, 6), 1);  // n = 2: bit 2
    EXPECT_EQ(got.at(7, 5), 1);  // R = 2: row 0xaa, bit 1
    // Mirrored, the same source pixels carry the same dots, so the pattern flips with the image.
    dst.FillAll(0);
    BLT_Mesh(dst, 3, 4, src, nullptr, 8, BLT_MIRROR_LR, 0);
    got = dst.Get();
    EXPECT_EQ(got.at(3, 6), 0);
    EXPECT_EQ(got.at(4, 6), 1);
}

TEST(Mesh, MatchesModel) {
    for (i32 level : {1, 7, 9, 14})
        CheckFamily(Leveled("Mesh", BLT_Mesh, BLT_MeshScaled, level,
                            [level](bool, u16 d, u16 s, i32 rows, i32 cols) {
                                return ((MeshPatTbl[level][rows & 7] >> (cols & 7)) & 1) ? s : d;
                            }));
    CheckFamily(Leveled("Mesh", BLT_Mesh, BLT_MeshScaled, 15, Copy));
    CheckFamily(Leveled("Mesh", BLT_Mesh, BLT_MeshScaled, 0, Keep));
}

TEST(TableBlends, AlphaAdditiveAndAnyLevelMatchModel) {
    for (i32 level : {1, 16, 30}) CheckFamily(Leveled("Alpha", BLT_Alpha, BLT_AlphaScaled, level, Table(level)));
    CheckFamily(Leveled("Alpha", BLT_Alpha, BLT_AlphaScaled, 31, Copy));
    CheckFamily(Leveled("Alpha", BLT_Alpha, BLT_AlphaScaled, 0, Keep));
    for (i32 level : {1, 40, 63}) CheckFamily(Leveled("AlphaAdd", BLT_AlphaAdd, BLT_AlphaAddScaled, level, Table(level + 32)));
    CheckFamily(Leveled("AlphaAdd", BLT_AlphaAdd, BLT_AlphaAddScaled, 100, Table(95)));
    CheckFamily(Leveled("AlphaAdd", BLT_AlphaAdd, BLT_AlphaAddScaled, -4, Keep));
    for (i32 level : {0, 31, 32, 95}) CheckFamily(Leveled("BlendTbl", BLT_BlendTbl, BLT_BlendTblScaled, level, Table(level)));
}

TEST(TableBlends, EdgeValues) {
    for (bool is565 : {false, true}) {
        SetDisplay(is565);
        Surf dst(is565, 4, 4), src(is565, 4, 4);
        const u16 white = is565 ? 0xFFFF : 0x7FFF;
        // Level 30 over black: 31 becomes 29 in every channel; 565 green keeps bit 5 clear.
        src.FillAll(white);
        BLT_Alpha(dst, 0, 0, src, nullptr, 30, 0, 0);
        EXPECT_EQ(dst.Get().at(1, 1), is565 ? 0xEF5D : 0x77BD);
        // Level 1, destination 1 under a source 0 gives 0; unkeyed the 0 source is blended.
        dst.FillAll(is565 ? 0x0841 : 0x0421);
        src.FillAll(0);
        BLT_Alpha(dst, 0, 0, src, nullptr, 1, 0, 0);
        EXPECT_EQ(dst.Get().at(0, 0), 0);
        // Additive at 100 is 63: 63/32 of 16 over 0 saturates at 31.
        dst.FillAll(0);
        src.FillAll(is565 ? 0x8410 : 0x4210);
        BLT_AlphaAdd(dst, 0, 0, src, nullptr, 100, 0, 0);
        EXPECT_EQ(dst.Get().at(2, 2), is565 ? 0xFFDF : 0x7FFF);
    }
}

// ---- darkening and whitening ----

namespace {

// The pair blits: clipped to the destination alone, no mirroring, an odd clipped width leaves the last
// column, and the source part must lie inside the source.
Image ModelPairs(const Image& dst, const Image& src, i32 x, i32 y, const RECT& r, bool keyed,
                 const std::function<u16(u16)>& f) {
    Image out = dst;
    const i32 x0 = std::max(x, 0), x1 = std::min(x + (r.right - r.left), dst.w);
    const i32 y0 = std::max(y, 0), y1 = std::min(y + (r.bottom - r.top), dst.h);
    if (x1 - x0 < 1 || y1 - y0 < 1) return out;
    const i32 sl = r.left + (x0 - x), st = r.top + (y0 - y);
    if (sl < 0 || st < 0 || sl + (x1 - x0) > src.w || st + (y1 - y0) > src.h) return out;
    const i32 drawn = (x1 - x0) & ~1;
    for (i32 dy = y0; dy < y1; ++dy)
        for (i32 dx = x0; dx < x0 + drawn; ++dx) {
            const u16 s = src.at(sl + dx - x0, st + dy - y0);
            if (keyed && s == 0) continue;
            out.at(dx, dy) = f(s);
        }
    return out;
}

struct PairCase {
    i32 x, y;
    RECT src;
};

const PairCase kPairCases[] = {
    {3, 2, {0, 0, 21, 15}},   // odd width
    {-3, -2, {0, 0, 21, 15}}, // clipped to even
    {30, 20, {2, 1, 20, 14}}, // clipped right and bottom
    {5, 5, {4, 4, 30, 10}},   // source leaves the source: nothing
    {-4, 0, {-4, 0, 6, 6}},   // outside part clipped away
    {-30, 0, {0, 0, 21, 15}}, // wholly outside
};

}  // namespace

TEST(Darkening, MatchesModelAndIgnoresMirrorAndGlobalClip) {
    std::mt19937 rng(7);
    for (bool is565 : {false, true})
        for (int key : {0, 1})
            for (i32 level : {-3, 0, 1, 16, 31, 40}) {
                // The global clip rectangle plays no part.
                SetDisplay(is565, RECT{10, 10, 12, 12});
                const Image dstImg = RandomImage(rng, 40, 30, 5), srcImg = RandomImage(rng, 21, 15, 25);
                Surf dst(is565, 40, 30), src(is565, 21, 15);
                src.Put(srcImg);
                for (const PairCase& c : kPairCases) {
                    const Image want = ModelPairs(dstImg, srcImg, c.x, c.y, c.src, key != 0,
                                                  [&](u16 s) { return ModelDark(is565, s, level); });
                    dst.Put(dstImg);
                    BLT_Dark(dst, c.x, c.y, src, &c.src, level, BLT_MIRROR_LR | BLT_MIRROR_UD, key);
                    EXPECT_TRUE(dst.Get() == want) << (is565 ? "565" : "555") << " key " << key << " level "
                                                   << level << " at " << c.x << "," << c.y;
                }
            }
}

TEST(Whitening, MatchesModelCopiesBelowOneAndFillsFrom32) {
    std::mt19937 rng(8);
    for (bool is565 : {false, true})
        for (int key : {0, 1}) {
            SetDisplay(is565, RECT{10, 10, 12, 12});
            const Image dstImg = RandomImage(rng, 40, 30, 5), srcImg = RandomImage(rng, 21, 15, 25);
            Surf dst(is565, 40, 30), src(is565, 21, 15);
            src.Put(srcImg);
            for (i32 level : {1, 16, 31})
                for (const PairCase& c : kPairCases) {
                    // The key flag is ignored: 0 pixels are whitened too.
                    const Image want = ModelPairs(dstImg, srcImg, c.x, c.y, c.src, false,
                                                  [&](u16 s) { return ModelWhite(is565, s, level); });
                    dst.Put(dstImg);
                    BLT_White(dst, c.x, c.y, src, &c.src, level, 0, key);
                    EXPECT_TRUE(dst.Get() == want) << (is565 ? "565" : "555") << " level " << level << " at " << c.x;
                }
            // Level 32 and above: a white area of the source rectangle's size, cut to the surface.
            dst.Put(dstImg);
            const RECT r{0, 0, 7, 5};
            BLT_White(dst, 36, 27, src, &r, 32, 0, key);
            Image want = dstImg;
            for (i32 y = 27; y < 30; ++y)
                for (i32 x = 36; x < 40; ++x) want.at(x, y) = 0xFFFF;
            EXPECT_TRUE(dst.Get() == want);
            // Below 1: the plain copy, clipped by the global rectangle and keyed by the flag.
            SetDisplay(is565);
            dst.Put(dstImg);
            BLT_White(dst, 2, 3, src, nullptr, 0, 0, key);
            EXPECT_TRUE(dst.Get() == ModelPlain(dstImg, srcImg, 2, 3, RECT{0, 0, 21, 15}, 0, key != 0,
                                                RECT{0, 0, 640, 480}, [](u16, u16 s, i32, i32) { return s; }));
        }
}

TEST(Darkening, PairWorkersKeyEachHalfAndClipToTheirRectangle) {
    SetDisplay(false);
    u16 dstBits[8 * 4], srcBits[8 * 4];
    for (int i = 0; i < 32; ++i) {
        dstBits[i] = 0x7FFF;
        srcBits[i] = (i % 3 == 0) ? 0 : 0x7FFF;
    }
    const RECT clip{2, 1, 6, 3};
    EXPECT_EQ(BLT_DarkPairs(dstBits, 0, 0, 8, 4, 8, 4, srcBits, 0, 0, 8, 16, 0, &clip), 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 1 && y < 3;
            const u16 s = srcBits[y * 8 + x];
            EXPECT_EQ(dstBits[y * 8 + x], inside && s != 0 ? 0x3DEF : 0x7FFF) << x << "," << y;
        }
    const RECT away{20, 20, 30, 30};
    EXPECT_EQ(BLT_DarkPairs(dstBits, 0, 0, 8, 4, 8, 4, srcBits, 0, 0, 8, 16, 0x10000, &away), 0);
    // Whitening draws only without a key.
    EXPECT_EQ(BLT_WhitePairs(dstBits, 0, 0, 8, 4, 8, 4, srcBits, 0, 0, 8, 0, nullptr, 16), 0);
    EXPECT_EQ(dstBits[0], 0x7FFF);
    i32 x = -3, y = 2, w = 10, h = 5, sl = 0, st = 0;
    EXPECT_EQ(BLT_ClipPairs(&x, &y, &w, &h, &sl, &st, 8, 4, nullptr), 1);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(sl, 3);
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 2);
}

TEST(Darkening, EdgeValues) {
    for (bool is565 : {false, true}) {
        SetDisplay(is565);
        Surf dst(is565, 4, 2), src(is565, 4, 2);
        src.FillAll(is565 ? 0xFFFF : 0x7FFF);
        dst.FillAll(0x1234);
        BLT_Dark(dst, 0, 0, src, nullptr, 0, 0, 1);
        EXPECT_EQ(dst.Get().at(0, 0), 0);
        BLT_Dark(dst, 0, 0, src, nullptr, 31, 0, 1);
        EXPECT_EQ(dst.Get().at(3, 1), is565 ? 0xF7BE : 0x7BDE);  // 31 → 30, six-bit 63 → 61
    }
}

TEST(DarkeningScaled, DarkensIntoATemporaryThenStretches) {
    std::mt19937 rng(9);
    for (bool is565 : {false, true})
        for (int key : {0, 1})
            for (int mirror = 0; mirror < 4; ++mirror)
                for (i32 level : {0, 12, 31}) {
                    // The temporary surface comes from the display device.
                    test::HeadlessDisplay display(is565 ? plat::PixelLayout::k565 : plat::PixelLayout::k555);
                    ASSERT_TRUE(display.ok());
                    const RECT clip{3, 2, 45, 33};
                    SetDisplay(is565, clip);
                    const Image dstImg = RandomImage(rng, 48, 36, 5), srcImg = RandomImage(rng, 21, 15, 25);
                    Surf dst(is565, 48, 36), src(is565, 21, 15);
                    src.Put(srcImg);
                    for (const RECT& srcRect : {RECT{0, 0, 21, 15}, RECT{2, 3, 12, 14}, RECT{1, 1, 8, 4}})
                        for (const RECT& dstRect : {RECT{5, 5, 26, 20}, RECT{-10, -4, 60, 40}, RECT{4, 6, 9, 30}}) {
                            // The temporary: the darkened area without key, its odd last column left 0.
                            const i32 w = srcRect.right - srcRect.left, h = srcRect.bottom - srcRect.top;
                            const Image tmp = ModelPairs(SolidImage(w, h, 0), srcImg, 0, 0, srcRect, false,
                                                         [&](u16 s) { return ModelDark(is565, s, level); });
                            RECT d = dstRect, s{0, 0, w, h};
                            Image want = dstImg;
                            if (ClipScaled(48, 36, clip, &d, &s, mirror))
                                want = ModelScaledClipped(dstImg, tmp, d, s, mirror, key != 0,
                                                          [](u16, u16 sv, i32, i32) { return sv; });
                            dst.Put(dstImg);
                            RECT callerRect = dstRect;
                            BLT_DarkScaled(dst, &callerRect, src, &srcRect, level, mirror, key);
                            EXPECT_TRUE(dst.Get() == want) << (is565 ? "565" : "555") << " key " << key
                                                           << " mirror " << mirror << " level " << level;
                        }
                }
}
