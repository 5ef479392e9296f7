// Silhouettes and tones against per-channel models, and their listed edge values.
#include <gtest/gtest.h>

#include "blt_model.h"
#include "graphics/blit/blt.h"

using namespace bltt;

namespace {

using LevelPlain = int (*)(plat::Surface*, i32, i32, plat::Surface*, const RECT*, i32, int, int);
using LevelScaled = int (*)(plat::Surface*, RECT*, plat::Surface*, const RECT*, i32, int, int);

Family Leveled(const std::string& name, LevelPlain plain, LevelScaled scaled, i32 level,
               std::function<u16(bool, u16, u16)> model, bool alwaysKeyed = false) {
    return Family{name + " " + std::to_string(level),
                  [=](plat::Surface* d, i32 x, i32 y, plat::Surface* s, const RECT* r, int m, int k) {
                      plain(d, x, y, s, r, level, m, k);
                  },
                  [=](plat::Surface* d, RECT* dr, plat::Surface* s, const RECT* r, int m, int k) {
                      scaled(d, dr, s, r, level, m, k);
                  },
                  [model](bool is565, u16 d, u16 s, i32, i32) { return model(is565, d, s); }, alwaysKeyed};
}

// The tone constant: k in every channel with its lowest bit cleared, 2k in the six-bit green.
Rgb ToneParts(bool is565, u32 k) { return Rgb{k & ~1u, is565 ? 2 * k : k & ~1u, k & ~1u}; }

u16 Dark(bool is565, u16 s, i32 level) { return ModelSub(is565, s, ToneParts(is565, u32(31 - level))); }
u16 Light(bool is565, u16 s, i32 amount) { return ModelAdd(is565, s, ToneParts(is565, u32(amount))); }

}  // namespace

TEST(Tones, DarkAndLightMatchModel) {
    for (i32 level : {1, 16, 30})
        CheckFamily(Leveled("ToneDark", BLT_ToneDark, BLT_ToneDarkScaled, level,
                            [level](bool is565, u16, u16 s) { return Dark(is565, s, level); }));
    for (i32 amount : {1, 15, 30})
        CheckFamily(Leveled("ToneLight", BLT_ToneLight, BLT_ToneLightScaled, amount,
                            [amount](bool is565, u16, u16 s) { return Light(is565, s, amount); }));
}

TEST(Tones, DispatchByLevel) {
    auto black = [](bool, u16, u16) { return u16(0); };
    auto white = [](bool, u16, u16) { return u16(0xFFFF); };
    for (i32 level : {-5, 0}) CheckFamily(Leveled("Tone", BLT_Tone, BLT_ToneScaled, level, black, true));
    for (i32 level : {62, 100}) CheckFamily(Leveled("Tone", BLT_Tone, BLT_ToneScaled, level, white, true));
    CheckFamily(Leveled("Tone", BLT_Tone, BLT_ToneScaled, 31, [](bool, u16, u16 s) { return s; }));
    CheckFamily(Leveled("Tone", BLT_Tone, BLT_ToneScaled, 10, [](bool is565, u16, u16 s) { return Dark(is565, s, 10); }));
    CheckFamily(Leveled("Tone", BLT_Tone, BLT_ToneScaled, 46, [](bool is565, u16, u16 s) { return Light(is565, s, 15); }));
}

TEST(Tones, TableTonesMatchModel) {
    for (i32 level : {1, 16, 30, 32, 46, 61})
        CheckFamily(Leveled("ToneTbl", BLT_ToneTbl, BLT_ToneTblScaled, level, [level](bool is565, u16, u16 s) {
            return ModelToneRows(is565, level, level, level, s);
        }));
    CheckFamily(Leveled("ToneTbl", BLT_ToneTbl, BLT_ToneTblScaled, 0, [](bool, u16, u16) { return u16(0); }, true));
    CheckFamily(Leveled("ToneTbl", BLT_ToneTbl, BLT_ToneTblScaled, 31, [](bool, u16, u16 s) { return s; }));
}

TEST(Silhouettes, MatchModel) {
    for (u16 color : {u16(0x1234), u16(0xFFFF)}) {
        Family solid{"Silhouette " + Hex(color),
                     [=](plat::Surface* d, i32 x, i32 y, plat::Surface* s, const RECT* r, int m, int) {
                         BLT_Silhouette(d, x, y, s, r, color, m);
                     },
                     [=](plat::Surface* d, RECT* dr, plat::Surface* s, const RECT* r, int m, int) {
                         BLT_SilhouetteScaled(d, dr, s, r, color, m);
                     },
                     [=](bool, u16, u16, i32, i32) { return color; }, true};
        CheckFamily(solid);
        Family half{"Silhouette50 " + Hex(color),
                    [=](plat::Surface* d, i32 x, i32 y, plat::Surface* s, const RECT* r, int m, int) {
                        BLT_Silhouette50(d, x, y, s, r, color, m);
                    },
                    [=](plat::Surface* d, RECT* dr, plat::Surface* s, const RECT* r, int m, int) {
                        BLT_Silhouette50Scaled(d, dr, s, r, color, m);
                    },
                    [=](bool is565, u16 d, u16, i32, i32) { return ModelHalf(is565, d, color); }, true};
        CheckFamily(half);
    }
}

TEST(Tones, ListedEdgeValues) {
    struct Edge {
        const char* name;
        bool is565;
        int kind;  // 0 Tone, 1 ToneTbl, 2 Silhouette50
        i32 level;
        u16 src, dst, want;
    };
    const Edge edges[] = {
        {"dark 30 grey", false, 0, 30, 0x4210, 0, 0xC630},
        {"dark 30 grey 565", true, 0, 30, 0x8410, 0, 0x8BF0},
        {"dark 1 white", false, 0, 1, 0x7FFF, 0, 0x8421},
        {"dark 16 white", false, 0, 16, 0x7FFF, 0, 0xC631},
        {"dark 1 white 565", true, 0, 1, 0xFFFF, 0, 0x0861},
        {"dark 16 white 565", true, 0, 16, 0xFFFF, 0, 0x8C31},
        {"dark 1 blue", false, 0, 1, 0x001F, 0, 0x0001},
        {"dark 1 blue 565", true, 0, 1, 0x001F, 0, 0x0021},
        {"light 30 grey", false, 0, 61, 0x4210, 0, 0x7BDE},
        {"light 30 grey 565", true, 0, 61, 0x8410, 0, 0xF7DE},
        {"light 15 on 1", false, 0, 46, 0x0001, 0, 0x39CE},
        {"light 15 on 1 565", true, 0, 46, 0x0001, 0, 0x73CE},
        {"tbl 16 on 31", false, 1, 16, 0x7FFF, 0, 0x3DEF},
        {"tbl 46 on 1", false, 1, 46, 0x0001, 0, 0x3DF0},
        {"tbl 1 on 1", false, 1, 1, 0x0421, 0, 0x0421},
        {"sil50 white on black", false, 2, 0, 0x0001, 0, 0x3DEF},
        {"sil50 white on black 565", true, 2, 0, 0x0001, 0, 0x7BEF},
    };
    for (const Edge& e : edges) {
        SetDisplay(e.is565);
        Surf dst(e.is565, 6, 5), src(e.is565, 3, 3);
        src.FillAll(e.src);
        for (int mirror = 0; mirror < 4; ++mirror) {
            dst.FillAll(e.dst);
            RECT dr{0, 0, 6, 5};
            if (e.kind == 0) {
                BLT_Tone(dst, 1, 1, src, nullptr, e.level, mirror, 1);
                EXPECT_EQ(dst.Get().at(2, 2), e.want) << e.name;
                dst.FillAll(e.dst);
                BLT_ToneScaled(dst, &dr, src, nullptr, e.level, mirror, 1);
            } else if (e.kind == 1) {
                BLT_ToneTbl(dst, 1, 1, src, nullptr, e.level, mirror, 1);
                EXPECT_EQ(dst.Get().at(2, 2), e.want) << e.name;
                dst.FillAll(e.dst);
                BLT_ToneTblScaled(dst, &dr, src, nullptr, e.level, mirror, 1);
            } else {
                BLT_Silhouette50(dst, 1, 1, src, nullptr, 0xFFFF, mirror);
                EXPECT_EQ(dst.Get().at(2, 2), e.want) << e.name;
                dst.FillAll(e.dst);
                BLT_Silhouette50Scaled(dst, &dr, src, nullptr, 0xFFFF, mirror);
            }
            EXPECT_EQ(dst.Get().at(5, 4), e.want) << e.name << " scaled";
        }
    }
    // Unkeyed, a tone also tones the source's 0 pixels: level 46 paints a grey block.
    SetDisplay(false);
    Surf dst(false, 4, 4), src(false, 4, 4);
    BLT_Tone(dst, 0, 0, src, nullptr, 46, 0, 0);
    EXPECT_TRUE(dst.Get() == SolidImage(4, 4, 0x39CE));
    dst.FillAll(0x1111);
    BLT_Tone(dst, 0, 0, src, nullptr, 46, 0, 1);
    EXPECT_TRUE(dst.Get() == SolidImage(4, 4, 0x1111));
}
