// Per-channel tone and blends, and the in-place tint, against per-channel models.
#include <gtest/gtest.h>

#include <algorithm>

#include "blt_model.h"
#include "graphics/blit/blt.h"

using namespace bltt;

namespace {

using RgbPlain = int (*)(plat::Surface*, i32, i32, plat::Surface*, const RECT*, i32, i32, i32, int, int);
using RgbScaled = int (*)(plat::Surface*, RECT*, plat::Surface*, const RECT*, i32, i32, i32, int, int);

Family Channels(const std::string& name, RgbPlain plain, RgbScaled scaled, i32 r, i32 g, i32 b,
                std::function<u16(bool, u16, u16)> model) {
    return Family{name + " " + std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b),
                  [=](plat::Surface* d, i32 x, i32 y, plat::Surface* s, const RECT* rc, int m, int k) {
                      plain(d, x, y, s, rc, r, g, b, m, k);
                  },
                  [=](plat::Surface* d, RECT* dr, plat::Surface* s, const RECT* rc, int m, int k) {
                      scaled(d, dr, s, rc, r, g, b, m, k);
                  },
                  [model](bool is565, u16 d, u16 s, i32, i32) { return model(is565, d, s); }};
}

}  // namespace

TEST(ChannelEffects, ToneMatchesModel) {
    const i32 levels[][3] = {{31, 31, 31}, {0, 0, 0}, {62, 31, 31}, {5, 40, 17}, {33, 61, 1}};
    for (const auto& l : levels)
        CheckFamily(Channels("ToneRGB", BLT_ToneRGB, BLT_ToneRGBScaled, l[0], l[1], l[2],
                             [l](bool is565, u16, u16 s) { return ModelToneRows(is565, l[0], l[1], l[2], s); }));
    // Sprite levels are bytes and words: anything outside 0..62 is folded into it.
    CheckFamily(Channels("ToneRGB", BLT_ToneRGB, BLT_ToneRGBScaled, 255, -7, 70000,
                         [](bool is565, u16, u16 s) { return ModelToneRows(is565, 62, 0, 62, s); }));
}

TEST(ChannelEffects, BlendsMatchModel) {
    const i32 levels[][3] = {{0, 0, 0}, {31, 16, 1}, {40, -3, 12}};
    for (const auto& l : levels) {
        const i32 r = std::clamp(l[0], 0, 31), g = std::clamp(l[1], 0, 31), b = std::clamp(l[2], 0, 31);
        CheckFamily(Channels("AlphaRGB", BLT_AlphaRGB, BLT_AlphaRGBScaled, l[0], l[1], l[2],
                             [=](bool is565, u16 d, u16 s) { return ModelTable(is565, r, g, b, d, s); }));
    }
    const i32 adds[][3] = {{0, 63, 32}, {80, 5, -1}};
    for (const auto& l : adds) {
        const i32 r = std::clamp(l[0], 0, 63) + 32, g = std::clamp(l[1], 0, 63) + 32, b = std::clamp(l[2], 0, 63) + 32;
        CheckFamily(Channels("AlphaAddRGB", BLT_AlphaAddRGB, BLT_AlphaAddRGBScaled, l[0], l[1], l[2],
                             [=](bool is565, u16 d, u16 s) { return ModelTable(is565, r, g, b, d, s); }));
    }
    CheckFamily(Channels("BlendRGB", BLT_BlendRGB, BLT_BlendRGBScaled, 95, 0, 50,
                         [](bool is565, u16 d, u16 s) { return ModelTable(is565, 95, 0, 50, d, s); }));
}

TEST(ChannelEffects, EdgeValues) {
    for (bool is565 : {false, true}) {
        SetDisplay(is565);
        Surf dst(is565, 4, 4), src(is565, 4, 4);
        const u16 white = is565 ? 0xFFFF : 0x7FFF;
        // Level 0 on every channel keeps the destination where the source channel is not 0 and
        // writes 0 where it is.
        dst.FillAll(white);
        src.FillAll(0x001F);
        BLT_AlphaRGB(dst, 0, 0, src, nullptr, 0, 0, 0, 0, 0);
        EXPECT_EQ(dst.Get().at(0, 0), 0x001F);
        // 565 writes keep green's lowest bit clear.
        if (is565) {
            dst.FillAll(0x07E0);
            src.FillAll(0x07E0);
            BLT_AlphaRGB(dst, 0, 0, src, nullptr, 16, 16, 16, 0, 0);
            EXPECT_EQ(dst.Get().at(1, 1), 0x07C0);
            BLT_ToneRGB(dst, 0, 0, src, nullptr, 31, 31, 31, 0, 0);
            EXPECT_EQ(dst.Get().at(1, 1), 0x07C0);
        }
        // (62, 31, 31) lifts every non-zero red to 31.
        src.FillAll(is565 ? 0x0841 : 0x0421);
        BLT_ToneRGB(dst, 0, 0, src, nullptr, 62, 31, 31, 0, 0);
        EXPECT_EQ(dst.Get().at(3, 3), is565 ? 0xF841 : 0x7C21);
    }
}

namespace {

// Every pixel of the area through the rows at flat index level × 1024 + component × 32.
Image ModelTint(const Image& img, const RECT& area, i32 r, i32 g, i32 b, i32 level, bool is565) {
    Image out = img;
    auto row = [&](i32 comp, u32 v) {
        const i32 flat = level * 1024 + comp * 32 + i32(v);
        return TableEntry(flat / 1024, (flat / 32) % 32, flat % 32);
    };
    for (i32 y = std::max(area.top, 0); y < std::min(area.bottom, img.h); ++y)
        for (i32 x = std::max(area.left, 0); x < std::min(area.right, img.w); ++x) {
            const Rgb c = Unpack(is565, img.at(x, y));
            Rgb o{row(r, c.r), 0, row(b, c.b)};
            o.g = is565 ? row(g, c.g >> 1) << 1 : row(g, c.g);
            out.at(x, y) = Pack(is565, o);
        }
    return out;
}

}  // namespace

TEST(Tint, RecoloursTheAreaInPlace) {
    std::mt19937 rng(11);
    const i32 settings[][4] = {{100, 100, 100, 7}, {0, 100, 0, 10}, {0, 0, 100, 10}, {5, 31, 0, 0}, {12, 3, 9, 80}};
    const RECT areas[] = {{0, 0, 33, 20}, {20, 5, 50, 12}, {-5, -5, 3, 40}, {-10, 0, -1, 5}, {34, 0, 40, 5}};
    for (bool is565 : {false, true}) {
        SetDisplay(is565, RECT{0, 0, 1, 1});  // the global clip rectangle plays no part
        Surf s(is565, 33, 20);
        for (const auto& t : settings) {
            for (const RECT& a : areas) {
                const Image img = RandomImage(rng, 33, 20, 10);
                s.Put(img);
                BLT_Tint(s, &a, t[0], t[1], t[2], t[3]);
                EXPECT_TRUE(s.Get() == ModelTint(img, a, t[0], t[1], t[2], t[3], is565))
                    << "area " << a.left << "," << a.top << " level " << t[3];
            }
            const Image img = RandomImage(rng, 33, 20, 10);
            s.Put(img);
            BLT_Tint(s, nullptr, t[0], t[1], t[2], t[3]);
            EXPECT_TRUE(s.Get() == ModelTint(img, RECT{0, 0, 33, 20}, t[0], t[1], t[2], t[3], is565));
        }
        // Rows that would reach past the table's end, or before its start, are refused.
        const Image img = RandomImage(rng, 33, 20, 10);
        s.Put(img);
        BLT_Tint(s, nullptr, 100, 100, 100, 93);
        BLT_Tint(s, nullptr, 1, 1, 1, 95 + 1);
        BLT_Tint(s, nullptr, -40, 1, 1, 1);
        BLT_Tint(s, nullptr, 1, 1, 1, -1);
        EXPECT_TRUE(s.Get() == img);
        // The last row that fits: level 95, component 31.
        BLT_Tint(s, nullptr, 31, 31, 31, 95);
        EXPECT_TRUE(s.Get() == ModelTint(img, RECT{0, 0, 33, 20}, 31, 31, 31, 95, is565));
    }
}
