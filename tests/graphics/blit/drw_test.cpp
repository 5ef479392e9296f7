#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "display_support.h"
#include "draw_test_util.h"
#include "graphics/blit/drw.h"
#include "graphics/display/disp.h"

using namespace drawtest;

namespace {

// Per-channel models written from the pixel format, independent of the pair masks.
struct Channels {
    u32 c[3];
};

Channels Split(u16 p) {
    const DISP_PIXEL_FORMAT& f = DispPixelFormat;
    return {{u32(p & f.maskR) >> f.shiftR, u32(p & f.maskG) >> f.shiftG, u32(p & f.maskB) >> f.shiftB}};
}

u16 Join(const Channels& ch) {
    const DISP_PIXEL_FORMAT& f = DispPixelFormat;
    return u16(ch.c[0] << f.shiftR | ch.c[1] << f.shiftG | ch.c[2] << f.shiftB);
}

u16 Blend(u16 d, u16 s, u32 a) {
    Channels dc = Split(d), sc = Split(s), out{};
    for (int i = 0; i < 3; ++i) out.c[i] = dc.c[i] * (32 - a) / 32 + sc.c[i] * a / 32;
    return Join(out);
}

u16 Half(u16 d, u16 s) {
    Channels dc = Split(d), sc = Split(s), out{};
    for (int i = 0; i < 3; ++i) out.c[i] = dc.c[i] / 2 + sc.c[i] / 2;
    return Join(out);
}

u16 Darken(u16 s, u32 level) {
    Channels sc = Split(s), out{};
    for (int i = 0; i < 3; ++i) out.c[i] = sc.c[i] * level / 32;
    return Join(out);
}

struct Image {
    i32 w, h;
    std::vector<u16> px;
    DRW_BUFFER buf() { return {px.data(), w, h}; }
    u16& at(i32 x, i32 y) { return px[size_t(y) * w + x]; }
};

// Pixels from a small set so that colour keys occur often.
Image Random(std::mt19937& rng, i32 w, i32 h) {
    static const u16 kSet[] = {0x0000, 0xFFFF, 0xF81F, 0x07E0, 0x1234, 0x8410, 0x7BEF, 0xA5A5};
    Image im{w, h, std::vector<u16>(size_t(w) * h)};
    for (u16& p : im.px) p = rng() % 3 == 0 ? kSet[rng() % 8] : u16(rng());
    return im;
}

// The visible part of a copy as the intersection of destination and source rectangles.
struct Span {
    i32 i0, i1, j0, j1;
};
Span Visible(i32 x, i32 y, i32 w, i32 h, i32 sx, i32 sy, const Image& d, const Image& s) {
    return {std::max({0, -x, -sx}), std::min({w, d.w - x, s.w - sx}), std::max({0, -y, -sy}),
            std::min({h, d.h - y, s.h - sy})};
}

enum class PairRule { kPairsKeyed, kEveryPixel };

// Applies op to the visible part: pairs from the first visible column with the key rules (odd
// last column untouched), or every pixel.
template <class Op>
void Model(Image& d, const Image& s, i32 x, i32 y, i32 w, i32 h, i32 sx, i32 sy, u32 key, PairRule rule, Op op) {
    const Span v = Visible(x, y, w, h, sx, sy, d, s);
    if (v.i1 <= v.i0 || v.j1 <= v.j0) return;
    for (i32 j = v.j0; j < v.j1; ++j) {
        if (rule == PairRule::kEveryPixel) {
            for (i32 i = v.i0; i < v.i1; ++i) d.at(x + i, y + j) = op(d.at(x + i, y + j), s.px[size_t(sy + j) * s.w + sx + i]);
            continue;
        }
        for (i32 i = v.i0; i + 1 < v.i1; i += 2) {
            const u16 s0 = s.px[size_t(sy + j) * s.w + sx + i], s1 = s.px[size_t(sy + j) * s.w + sx + i + 1];
            if (s0 != key) d.at(x + i, y + j) = op(d.at(x + i, y + j), s0);
            if (s1 != key) d.at(x + i + 1, y + j) = op(d.at(x + i + 1, y + j), s1);
        }
    }
}

class Drw : public ::testing::TestWithParam<plat::PixelLayout> {
protected:
    void SetUp() override {
        display = std::make_unique<test::HeadlessDisplay>(GetParam());
        ASSERT_TRUE(display->ok());
        savedClass = ProcessorClass;
    }
    void TearDown() override { ProcessorClass = savedClass; }
    u16 White() const { return u16(DispPixelFormat.maskR | DispPixelFormat.maskG | DispPixelFormat.maskB); }
    std::unique_ptr<test::HeadlessDisplay> display;
    int savedClass = 0;
    std::mt19937 rng{1234};
};

TEST_P(Drw, AlphaBlendMatchesTheChannelModel) {
    for (int trial = 0; trial < 400; ++trial) {
        Image dst = Random(rng, 23, 11), src = Random(rng, 17, 9), want = dst;
        const i32 x = i32(rng() % 36) - 8, y = i32(rng() % 20) - 6, w = i32(rng() % 21), h = i32(rng() % 12);
        const i32 sx = i32(rng() % 26) - 5, sy = i32(rng() % 16) - 4, level = i32(rng() % 256);
        const u32 key = trial % 4 == 0 ? DRW_NO_KEY : src.px[rng() % src.px.size()];
        DRW_BUFFER db = dst.buf(), sb = src.buf();
        EXPECT_EQ(DWW_DrawObjectAlpha(&db, x, y, w, h, &sb, sx, sy, level, key), 0);
        Model(want, src, x, y, w, h, sx, sy, key, PairRule::kPairsKeyed,
              [&](u16 d, u16 s) { return Blend(d, s, u32(level) / 8); });
        ASSERT_EQ(dst.px, want.px) << "trial " << trial;
    }
}

TEST_P(Drw, FiftyPercentPathsAgreeWithTheModel) {
    for (int trial = 0; trial < 400; ++trial) {
        Image dst = Random(rng, 21, 9), src = Random(rng, 19, 8);
        const i32 x = i32(rng() % 30) - 6, y = i32(rng() % 16) - 4, w = i32(rng() % 24), h = i32(rng() % 11);
        const i32 sx = i32(rng() % 24) - 4, sy = i32(rng() % 12) - 3;
        const u32 key = trial % 2 == 0 ? DRW_NO_KEY : src.px[rng() % src.px.size()];
        Image want = dst;
        Model(want, src, x, y, w, h, sx, sy, key, key == DRW_NO_KEY ? PairRule::kEveryPixel : PairRule::kPairsKeyed,
              [](u16 d, u16 s) { return Half(d, s); });
        const int drawn = Visible(x, y, w, h, sx, sy, dst, src).i1 > Visible(x, y, w, h, sx, sy, dst, src).i0 &&
                          Visible(x, y, w, h, sx, sy, dst, src).j1 > Visible(x, y, w, h, sx, sy, dst, src).j0;
        for (int cls : {0, 1, 2, 3, 4}) {
            ProcessorClass = cls;
            Image out = dst;
            DRW_BUFFER db = out.buf(), sb = src.buf();
            ASSERT_EQ(DWW_DrawObjectBH(&db, x, y, w, h, &sb, sx, sy, key), drawn);
            ASSERT_EQ(out.px, want.px) << "trial " << trial << " class " << cls;
        }
    }
}

TEST_P(Drw, WhiteOverBlackGivesHalfGreyOnEveryPath) {
    const u16 half = Half(0x0000, White());
    if (GetParam() == plat::PixelLayout::k565) {
        EXPECT_EQ(half, 0x7BEF);
    }
    for (int cls : {1, 4}) {
        ProcessorClass = cls;
        for (u32 key : {DRW_NO_KEY, u32(0x1234)}) {
            for (i32 w : {1, 2, 3, 4, 5, 7, 8}) {
                Image dst{w, 1, std::vector<u16>(size_t(w), 0)}, src{w, 1, std::vector<u16>(size_t(w), White())};
                DRW_BUFFER db = dst.buf(), sb = src.buf();
                DWW_DrawObjectBH(&db, 0, 0, w, 1, &sb, 0, 0, key);
                const i32 last = key == DRW_NO_KEY ? w : w & ~1;
                for (i32 i = 0; i < w; ++i) ASSERT_EQ(dst.px[size_t(i)], i < last ? half : 0) << cls << " " << w;
            }
        }
    }
    Image dst{2, 1, {0, 0}}, src{2, 1, {White(), White()}};
    DRW_BUFFER db = dst.buf(), sb = src.buf();
    DWW_DrawObjectAlphaSub(&db, 0, 0, 2, 1, &sb, 0, 0, 128, DRW_NO_KEY);
    EXPECT_EQ(dst.px[0], half);
    // Level 7 leaves the destination; 255 keeps 1/32 of it.
    Image grey{2, 1, {0x4210, 0x4210}}, keep = grey;
    db = grey.buf();
    DWW_DrawObjectAlphaSub(&db, 0, 0, 2, 1, &sb, 0, 0, 7, DRW_NO_KEY);
    EXPECT_EQ(grey.px, keep.px);
    DWW_DrawObjectAlphaSub(&db, 0, 0, 2, 1, &sb, 0, 0, 255, DRW_NO_KEY);
    EXPECT_EQ(grey.px[0], Blend(0x4210, White(), 31));
}

// Below class 3 a level of exactly 128 goes to the 50 % blend, which also draws an odd last column.
TEST_P(Drw, SurfaceAlphaChoosesItsPathByProcessorClass) {
    auto dst = MakeSurface(6, 2, 16), src = MakeSurface(6, 2, 16);
    const u16 white = White();
    for (i32 x = 0; x < 6; ++x) Set(src.get(), x, 0, white), Set(src.get(), x, 1, white);
    struct Case {
        int cls, level;
        bool lastDrawn;
    };
    for (Case c : {Case{1, 128, true}, Case{2, 128, true}, Case{3, 128, false}, Case{4, 128, false},
                   Case{1, 136, false}}) {
        ProcessorClass = c.cls;
        std::memset(dst->pixels, 0, size_t(dst->pitch) * 2);
        EXPECT_EQ(DSW_DrawObjectAlpha(dst.get(), 0, 0, 5, 2, src.get(), 0, 0, c.level, DRW_NO_KEY),
                  c.lastDrawn ? 1 : 0);
        EXPECT_NE(Get(dst.get(), 3, 1), 0u);
        EXPECT_EQ(Get(dst.get(), 4, 1) != 0, c.lastDrawn) << "class " << c.cls << " level " << c.level;
        EXPECT_EQ(dst->lockCount + src->lockCount, 0);
    }
    // Two locks on one surface cannot both succeed: nothing drawn, nothing left locked.
    EXPECT_EQ(DSW_DrawObjectBH(dst.get(), 0, 0, 4, 1, dst.get(), 0, 0, DRW_NO_KEY), 0);
    EXPECT_EQ(dst->lockCount, 0);
    std::memset(dst->pixels, 0, size_t(dst->pitch) * 2);
    EXPECT_EQ(DSW_DrawObjectBH(dst.get(), 1, 0, 4, 1, src.get(), 0, 0, DRW_NO_KEY), 1);
    EXPECT_EQ(Get(dst.get(), 0, 0), 0u);
    EXPECT_EQ(Get(dst.get(), 4, 0), Half(0, white));
}

TEST_P(Drw, CheckProcessorReportsTheMultimediaClass) {
    ProcessorClass = 0;
    MmxFlag = 0;
    EXPECT_EQ(CheckProcessor(), 4);
    EXPECT_EQ(ProcessorClass, 4);
    EXPECT_EQ(MmxFlag, 1);
}

TEST_P(Drw, FadeMatchesTheModelAndClampsItsLevel) {
    for (int trial = 0; trial < 300; ++trial) {
        Image dst = Random(rng, 15, 10), src = Random(rng, 13, 7), want = dst;
        const i32 x = i32(rng() % 24) - 5, y = i32(rng() % 16) - 4, w = i32(rng() % 18), h = i32(rng() % 10);
        const i32 sx = i32(rng() % 18) - 3, sy = i32(rng() % 10) - 2, level = i32(rng() % 50) - 8;
        const u32 key = trial % 3 == 0 ? DRW_NO_KEY : src.px[rng() % src.px.size()];
        FadeInBlack(dst.px.data(), x, y, dst.w, dst.h, w, h, src.px.data(), sx, sy, src.w, src.h, level, key, nullptr);
        const u32 k = u32(std::clamp(level, 0, 31));
        Model(want, src, x, y, w, h, sx, sy, key, PairRule::kPairsKeyed, [&](u16, u16 s) { return Darken(s, k); });
        ASSERT_EQ(dst.px, want.px) << "trial " << trial;
    }
    // A clip rectangle narrower than the buffer, and one larger than it (which must not widen it).
    Image dst{8, 4, std::vector<u16>(32, 0)}, src{8, 4, std::vector<u16>(32, White())};
    const RECT clip{2, 1, 6, 3}, huge{-50, -50, 50, 50};
    FadeInBlack(dst.px.data(), 0, 0, 8, 4, 8, 4, src.px.data(), 0, 0, 8, 4, 31, DRW_NO_KEY, &clip);
    int lit = 0;
    for (i32 yy = 0; yy < 4; ++yy)
        for (i32 xx = 0; xx < 8; ++xx) {
            const bool in = xx >= 2 && xx < 6 && yy >= 1 && yy < 3;
            lit += dst.at(xx, yy) != 0;
            EXPECT_EQ(dst.at(xx, yy) != 0, in);
        }
    EXPECT_EQ(lit, 8);
    Image small{4, 2, std::vector<u16>(8, 0)};
    FadeInBlack(small.px.data(), 0, 0, 4, 2, 8, 4, src.px.data(), 0, 0, 8, 4, 16, DRW_NO_KEY, &huge);
    EXPECT_EQ(std::count(small.px.begin(), small.px.end(), Darken(White(), 16)), 8);
}

TEST_P(Drw, SurfaceFadeTakesTheWholeSourceOrAClippedRectangle) {
    auto dst = MakeSurface(8, 6, 16), src = MakeSurface(6, 4, 16);
    for (i32 y = 0; y < 4; ++y)
        for (i32 x = 0; x < 6; ++x) Set(src.get(), x, y, White());
    DWW_FadeInBlack(dst.get(), 1, 1, src.get(), nullptr, 40, DRW_NO_KEY);
    EXPECT_EQ(Get(dst.get(), 1, 1), Darken(White(), 31));
    EXPECT_EQ(Get(dst.get(), 6, 4), Darken(White(), 31));
    EXPECT_EQ(Get(dst.get(), 7, 4), 0u);
    EXPECT_EQ(Get(dst.get(), 0, 0), 0u);
    DWW_FadeInBlack(dst.get(), 1, 1, src.get(), nullptr, -3, DRW_NO_KEY);
    EXPECT_EQ(Get(dst.get(), 1, 1), 0u);
    EXPECT_EQ(Get(dst.get(), 6, 4), 0u);

    // The source rectangle reaches 2 left of and 1 above the source: the visible part lands 2 right
    // and 1 down of the given position.
    std::memset(dst->pixels, 0, size_t(dst->pitch) * 6);
    const RECT r{-2, -1, 4, 3};
    DWW_FadeInBlack(dst.get(), 0, 0, src.get(), &r, 31, DRW_NO_KEY);
    for (i32 y = 0; y < 6; ++y)
        for (i32 x = 0; x < 8; ++x) EXPECT_EQ(Get(dst.get(), x, y) != 0, x >= 2 && x < 6 && y >= 1 && y < 4) << x << "," << y;
    DWW_FadeInBlack(dst.get(), 0, 0, dst.get(), nullptr, 31, DRW_NO_KEY);
    EXPECT_EQ(dst->lockCount, 0);
}

TEST_P(Drw, FillsBlendPairsInsideTheBuffer) {
    for (int trial = 0; trial < 300; ++trial) {
        Image im = Random(rng, 13, 7), want = im;
        const i32 l = i32(rng() % 20) - 4, t = i32(rng() % 12) - 3, r = i32(rng() % 20) - 2, b = i32(rng() % 12) - 2;
        const u16 color = u16(rng());
        const i32 alpha = i32(rng() % 300) - 20;
        DRW_BUFFER buf = im.buf();
        const int result = DRWW_Fill(&buf, l, t, r, b, color, alpha);
        EXPECT_EQ(result, alpha == 0 ? 1 : 0);
        if (alpha > 0 && alpha < 256) {
            const i32 cl = std::max(l, 0), cr = std::min(r, 13), ct = std::max(t, 0), cb = std::min(b, 7);
            for (i32 y = ct; y < cb; ++y)
                for (i32 x = cl; x + 1 < cr; x += 2) {
                    want.at(x, y) = Blend(want.at(x, y), color, u32(alpha) / 8);
                    want.at(x + 1, y) = Blend(want.at(x + 1, y), color, u32(alpha) / 8);
                }
        }
        ASSERT_EQ(im.px, want.px) << "trial " << trial << " alpha " << alpha;
    }
    Image a = Random(rng, 9, 5), b = a;
    DRW_BUFFER ba = a.buf(), bb = b.buf();
    DRWW_FillHalf(&ba, 0, 0, 9, 5, 0x1234);
    DRWW_FillAlpha(&bb, 0, 0, 9, 5, 0x1234, 128);
    EXPECT_EQ(a.px, b.px);
}

TEST_P(Drw, SurfaceFillLocksAndReportsTheResult) {
    auto s = MakeSurface(4, 2, 16);
    EXPECT_EQ(DRWS_Fill(s.get(), 0, 0, 4, 2, White(), 0), 1);
    EXPECT_EQ(DRWS_Fill(s.get(), 0, 0, 4, 2, White(), 256), 0);
    EXPECT_EQ(Count(s.get()), 0);
    EXPECT_EQ(DRWS_Fill(s.get(), -3, -3, 40, 40, White(), 255), 0);
    EXPECT_EQ(Get(s.get(), 3, 1), Blend(0, White(), 31));
    plat::SurfaceDesc held{};
    ASSERT_EQ(plat::LockSurface(s.get(), &held), 0);
    EXPECT_EQ(DRWS_Fill(s.get(), 0, 0, 4, 2, White(), 0), 0);
    DRWS_DrawLine(s.get(), 0, 0, 3, 0, 0);
    plat::UnlockSurface(s.get());
    EXPECT_EQ(Get(s.get(), 3, 0), Blend(0, White(), 31));
}

TEST_P(Drw, LinesStartAtTheSecondEndAndStopBeforeTheFirst) {
    Image im{10, 10, std::vector<u16>(100, 0)};
    auto lit = [&] {
        std::vector<std::pair<i32, i32>> out;
        for (i32 y = 0; y < im.h; ++y)
            for (i32 x = 0; x < im.w; ++x)
                if (im.at(x, y) != 0) out.push_back({x, y});
        std::fill(im.px.begin(), im.px.end(), 0);
        return out;
    };
    using P = std::vector<std::pair<i32, i32>>;
    DRWW_DrawLine(im.px.data(), 0, 0, 3, 0, 10, 10, 1);
    EXPECT_EQ(lit(), (P{{1, 0}, {2, 0}, {3, 0}}));
    DRWW_DrawLine(im.px.data(), 5, 5, 5, 5, 10, 10, 1);
    EXPECT_EQ(lit(), P{});
    DRWW_DrawLine(im.px.data(), 2, 9, 2, 6, 10, 10, 1);
    EXPECT_EQ(lit(), (P{{2, 6}, {2, 7}, {2, 8}}));
    DRWW_DrawLine(im.px.data(), 0, 0, 3, 3, 10, 10, 1);
    EXPECT_EQ(lit(), (P{{1, 1}, {2, 2}, {3, 3}}));
    DRWW_DrawLine(im.px.data(), -5, 3, 3, -5, 10, 10, 1);  // passes outside the top-left corner
    EXPECT_EQ(lit(), P{});
    DRWW_DrawLine(im.px.data(), -100, 4, 100, 4, 10, 10, 1);
    EXPECT_EQ(lit().size(), 9u);  // clipped to 0..9, the first end (now column 0) not drawn

    Image tall{4, 400, std::vector<u16>(1600, 0)};
    DRWW_DrawLine(tall.px.data(), 0, 0, 1, 300, 4, 400, 1);  // steeper than 256:1: refused
    EXPECT_EQ(std::count(tall.px.begin(), tall.px.end(), 0), 1600);

    // The blended line halves every pixel it passes toward the colour.
    Image grey{6, 1, std::vector<u16>(6, White())};
    DRWW_DrawLineBH(grey.px.data(), 0, 0, 5, 0, 6, 1, 0);
    EXPECT_EQ(grey.px, (std::vector<u16>{White(), Half(White(), 0), Half(White(), 0), Half(White(), 0),
                                         Half(White(), 0), Half(White(), 0)}));
}

TEST_P(Drw, ClippedLinesStayInsideTheirRectangle) {
    std::uniform_int_distribution<int> near(-30, 40), far(-100000, 100000);
    for (int i = 0; i < 20000; ++i) {
        auto pick = [&] { return i % 4 == 0 ? far(rng) : near(rng); };
        i32 x1 = pick(), y1 = pick(), x2 = pick(), y2 = pick();
        const i32 ox1 = x1, oy1 = y1, ox2 = x2, oy2 = y2;
        if (!DRW_ClipingLine(&x1, &y1, &x2, &y2, 3, 2, 13, 9)) continue;
        ASSERT_TRUE(x1 >= 3 && x1 < 13 && x2 >= 3 && x2 < 13 && y1 >= 2 && y1 < 9 && y2 >= 2 && y2 < 9)
            << ox1 << "," << oy1 << " " << ox2 << "," << oy2 << " -> " << x1 << "," << y1 << " " << x2 << "," << y2;
    }
    // Drawn into a buffer with guards on both sides: nothing lands outside it.
    std::vector<u16> mem(16 + 12 * 9 + 16, 0);
    u16* px = mem.data() + 16;
    for (int i = 0; i < 5000; ++i) {
        auto pick = [&] { return i % 4 == 0 ? far(rng) : near(rng); };
        DRWW_DrawLine(px, pick(), pick(), pick(), pick(), 12, 9, 0xFFFF);
        DRWW_DrawLineBH(px, pick(), pick(), pick(), pick(), 12, 9, 0x1234);
    }
    for (int i = 0; i < 16; ++i) ASSERT_EQ(mem[size_t(i)] | mem[mem.size() - 1 - size_t(i)], 0);
}

// With inclusive corners the columns step exactly; the rows do when the side edges' step
// (h << 16) / (h - 1) is exact, which holds for the heights below.
TEST_P(Drw, SquareWithInclusiveCornersCopiesTheSource) {
    Image src = Random(rng, 20, 20);
    for (u16& p : src.px) p |= 1;  // no zero pixels, so a missed one shows
    for (auto [sw, sh] : {std::pair{7, 5}, std::pair{1, 2}, std::pair{12, 3}, std::pair{16, 17}, std::pair{5, 9}}) {
        const i32 sx = 2, sy = 1, X = 3, Y = 2;
        Image dst{24, 24, std::vector<u16>(576, 0)};
        DRW_BUFFER db = dst.buf(), sb = src.buf();
        EXPECT_EQ(DRW_DrawSquare(&db, X, Y, X + sw - 1, Y, X + sw - 1, Y + sh - 1, X, Y + sh - 1, &sb, sx, sy, sw, sh),
                  1);
        for (i32 y = 0; y < 24; ++y) {
            for (i32 x = 0; x < 24; ++x) {
                const bool in = x >= X && x < X + sw && y >= Y && y < Y + sh;
                ASSERT_EQ(dst.at(x, y), in ? src.at(sx + x - X, sy + y - Y) : 0) << sw << "x" << sh << " at " << x << "," << y;
            }
        }
    }
}

TEST_P(Drw, SquareStaysInsideTableBufferAndSource) {
    Image src{8, 8, std::vector<u16>(64, 0x1111)};
    // A destination taller than the row table keeps its lower rows untouched.
    Image tall{4, 500, std::vector<u16>(2000, 0)};
    DRW_BUFFER db = tall.buf(), sb = src.buf();
    DRW_DrawSquare(&db, 0, -5, 3, -5, 3, 700, 0, 700, &sb, 0, 0, 8, 8);
    EXPECT_EQ(std::count(tall.px.begin(), tall.px.begin() + 480 * 4, 0x1111), 480 * 4);
    EXPECT_EQ(std::count(tall.px.begin() + 480 * 4, tall.px.end(), 0), 20 * 4);

    // A source rectangle reaching past the source on every side: samples outside are not drawn,
    // the part over the source is.
    Image dst{16, 16, std::vector<u16>(256, 0)};
    db = dst.buf();
    DRW_DrawSquare(&db, 0, 0, 15, 0, 15, 15, 0, 15, &sb, -4, -4, 16, 16);
    EXPECT_EQ(dst.at(0, 0), 0);
    EXPECT_EQ(dst.at(15, 15), 0);
    EXPECT_EQ(dst.at(4, 4), 0x1111);
    EXPECT_EQ(dst.at(11, 11), 0x1111);
    const int drawn = int(std::count(dst.px.begin(), dst.px.end(), 0x1111));
    EXPECT_EQ(drawn, 64);

    // A quadrilateral far off the buffer draws nothing.
    Image none{8, 8, std::vector<u16>(64, 0)};
    db = none.buf();
    DRW_DrawSquare(&db, -900, -900, -800, -900, -800, -800, -900, -800, &sb, 0, 0, 8, 8);
    DRW_DrawSquare(&db, 100, 2, 200, 2, 200, 6, 100, 6, &sb, 0, 0, 8, 8);
    EXPECT_EQ(std::count(none.px.begin(), none.px.end(), 0), 64);
}

TEST_P(Drw, SurfaceSquareLocksBoth) {
    auto dst = MakeSurface(8, 8, 16), src = MakeSurface(4, 5, 16);
    for (i32 y = 0; y < 5; ++y)
        for (i32 x = 0; x < 4; ++x) Set(src.get(), x, y, u32(1 + x + 4 * y));
    EXPECT_EQ(DSW_DrawSquare(dst.get(), 2, 2, 5, 2, 5, 6, 2, 6, src.get(), 0, 0, 4, 5), 1);
    EXPECT_EQ(Get(dst.get(), 2, 2), 1u);
    EXPECT_EQ(Get(dst.get(), 5, 6), 20u);
    EXPECT_EQ(dst->lockCount + src->lockCount, 0);
    EXPECT_EQ(DSW_DrawSquare(dst.get(), 0, 0, 1, 0, 1, 1, 0, 1, dst.get(), 0, 0, 2, 2), 0);
    EXPECT_EQ(dst->lockCount, 0);
}

INSTANTIATE_TEST_SUITE_P(Layouts, Drw, ::testing::Values(plat::PixelLayout::k565, plat::PixelLayout::k555));

}  // namespace
