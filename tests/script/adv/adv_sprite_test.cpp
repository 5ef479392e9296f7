// Script sprites: kinds, failed loads, the state and level traces of every kind and fade type, the
// faults of zero-time fades and stuck fades, the transition geometry, and a movie drawn as a sprite.
#include <algorithm>
#include <string>
#include <vector>

#include "adv_env.h"
#include "graphics/blit/drw.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "script/adv/adv_sprite.h"
#include "script/core/ass_func.h"
#include "tools/writers/movie_writer.h"

namespace {

using test::Rgb8;

class AdvSprite : public test::AdvTest {
protected:
    void SetUp() override {
        AdvTest::SetUp();
        WritePicture("pic.grp", 64, 48, [](int x, int y) { return Rgb8{x * 4, y * 5, 120}; });
        WriteSpriteSet("anim.spr", 3);
    }
    // Slot s shown with fade type and time; the state then after each step of ms.
    std::vector<std::pair<i32, i32>> Trace(int slot, int show, i32 type, i32 ms, const std::vector<u32>& steps) {
        ADV_SetSprDisp(slot, show, type, ms);
        std::vector<std::pair<i32, i32>> out;
        for (u32 step : steps) {
            clock.Advance(step);
            _ass_renewsprite();
            out.emplace_back(AdvSprTbl[slot].state, AdvSprTbl[slot].level);
        }
        return out;
    }
};

TEST_F(AdvSprite, KindFollowsTheExactLowerCaseExtension) {
    const struct {
        const char* name;
        i32 kind;
    } rows[] = {{"a.bmp", 1}, {"a.grp", 1}, {"a.spr", 2}, {"a.avi", 8}, {"a.mpg", 8}, {"a.mpeg", 8},
                {"a.MPG", 0}, {"a.BMP", 0}, {"a.txt", 0}, {"noext", -1}};
    for (const auto& r : rows) EXPECT_EQ(_ass_spritekind(r.name), r.kind) << r.name;
}

TEST_F(AdvSprite, FailedLoadsReturnMinusOneAndLeaveTheSlotFree) {
    test::DebugCapture debug;
    for (const char* name : {"missing.bmp", "missing.spr", "missing.mpg"}) {
        EXPECT_EQ(_ass_createsprite2(7, name), -1) << name;
        EXPECT_EQ(AdvSprTbl[7].use, 0) << name;
        EXPECT_EQ(AdvSprTbl[7].state, ADV_STATE_FREE) << name;
    }
    EXPECT_EQ(_ass_createsprite3(0, 80, "missing.bmp"), -1);
    for (int s = 0; s < 80; ++s) ASSERT_EQ(AdvSprTbl[s].use, 0);
    EXPECT_TRUE(debug.Contains("missing.bmp did not load"));

    // 32 sprite groups: the 33rd set finds none and its slot stays free.
    for (int s = 0; s < SPRGRP_MAX; ++s) ASSERT_EQ(_ass_createsprite2(s, "anim.spr"), s);
    EXPECT_EQ(_ass_createsprite2(40, "anim.spr"), -1);
    EXPECT_EQ(AdvSprTbl[40].use, 0);
    EXPECT_TRUE(debug.Contains("no free sprite group"));

    // A slot in use is refused; with every slot in use, slot -1 finds none.
    EXPECT_EQ(_ass_createsprite2(0, "x.txt"), -1);
    for (int s = 0; s < ADV_SPR_MAX; ++s) _ass_createsprite(s, "x.txt", 0);
    EXPECT_EQ(_ass_createsprite(-1, "x.txt", 0), -1);
    _ass_initsprite();
    EXPECT_EQ(_ass_createsprite(-1, "x.txt", 0), 0);
}

TEST_F(AdvSprite, PictureFadeTracesOfEveryType) {
    // Levels at 0, 25, 50, 100 and 125 ms of a 100 ms fade, in and then out.
    const struct {
        i32 type, mode, value;
        std::vector<std::pair<i32, i32>> in, out;
    } rows[] = {
        {1, 0, 0, {{2, 0}, {2, 63}, {2, 127}, {3, 255}, {3, 255}}, {{4, 255}, {4, 191}, {4, 127}, {5, 0}, {5, 0}}},
        {1, 1, 100, {{2, 0}, {2, 25}, {2, 50}, {3, 100}, {3, 100}}, {{4, 100}, {4, 75}, {4, 50}, {5, 0}, {5, 0}}},
        {2, 0, 0, {{2, 0}, {2, 32}, {2, 64}, {3, 128}, {3, 128}}, {{4, 128}, {4, 96}, {4, 64}, {5, 0}, {5, 0}}},
        {3, 0, 0, {{2, 0}, {2, 25}, {2, 50}, {3, 100}, {3, 100}}, {{4, 100}, {4, 75}, {4, 50}, {5, 0}, {5, 0}}},
        {4, 0, 0, {{2, 0}, {2, 25}, {2, 50}, {3, 100}, {3, 100}}, {{4, 100}, {4, 75}, {4, 50}, {5, 0}, {5, 0}}},
    };
    const std::vector<u32> steps = {0, 25, 25, 50, 25};
    for (const auto& r : rows) {
        ASSERT_EQ(_ass_createsprite2(3, "pic.bmp"), 3);
        ASSERT_EQ(ADV_SetSprite(3, 5, 10, 20, 0, 0), 1);
        ADV_SetSprAttr(3, r.mode, r.value);
        ADV_SetSprDisp(3, 0, 0, 0);
        EXPECT_EQ(Trace(3, 1, r.type, 100, steps), r.in) << r.type;
        EXPECT_EQ(Trace(3, 0, r.type, 100, steps), r.out) << r.type;
        EXPECT_EQ(SPR_GetAnySpr(AdvSprTbl[3].spr)->view, 0);
        ADV_ReleaseSprite(3);
    }
}

TEST_F(AdvSprite, AnimationAndMovieFadesStepInThirtyTwoLevels) {
    // Kind 2 (a page) fades with any type as with type 1; kind 4 (a sequence) likewise.
    const std::vector<u32> steps = {0, 50, 46, 4, 10};
    for (i32 type : {1, 2, 4}) {
        ASSERT_EQ(_ass_createsprite2(90, "anim.spr"), 90);
        ASSERT_EQ(ADV_SetSprite(90, 5, 100, 100, 1, 0), 1);
        ADV_SetSprDisp(90, 0, 0, 0);
        const int s = ADV_GetSprNo(90);
        const auto in = Trace(90, 1, type, 100, steps);
        EXPECT_EQ(in, (std::vector<std::pair<i32, i32>>{{2, 0}, {2, 16}, {2, 30}, {3, 0}, {3, 0}})) << type;
        EXPECT_EQ(SPR_GetSpr(s)->attr, 0u);
        clock.Advance(1);
        ADV_SetSprDisp(90, 0, type, 100);
        clock.Advance(99);
        _ass_renewsprite();
        EXPECT_EQ(AdvSprTbl[90].level, 0);  // (100 - 99) * 32 / 100
        EXPECT_EQ(AdvSprTbl[90].state, ADV_STATE_HIDDEN) << type;
        EXPECT_EQ(SPR_GetSpr(s)->view, 0);
        ADV_ReleaseSprite(90);
    }
    // The highest level before the end is 31.
    ASSERT_EQ(_ass_createsprite(91, "anim.spr", ADV_KIND_SEQUENCE), 91);
    ASSERT_EQ(ADV_SetSprite(91, 5, 0, 0, 0, 0), 1);
    ADV_SetSprDisp(91, 1, 1, 1000);
    i32 top = 0;
    for (int t = 0; t < 1000; t += 7) {
        _ass_renewsprite();
        if (AdvSprTbl[91].state == ADV_STATE_FADEIN) top = std::max(top, AdvSprTbl[91].level);
        clock.Advance(7);
    }
    EXPECT_EQ(top, 31);
    EXPECT_EQ(SPR_GetSpr(ADV_GetSprNo(91))->mode, 4);  // the sequence plays
    ADV_SetSprDisp(91, 0, 1, 100);
    clock.Advance(100);
    _ass_renewsprite();
    EXPECT_EQ(AdvSprTbl[91].state, ADV_STATE_HIDDEN);
    EXPECT_EQ(AdvSprTbl[91].spr, -1);  // a sequence's sprite is removed
}

TEST_F(AdvSprite, ZeroTimeAndTypelessFadesEndAtOnce) {
    ASSERT_EQ(_ass_createsprite2(3, "pic.bmp"), 3);
    ASSERT_EQ(ADV_SetSprite(3, 5, 0, 0, 0, 0), 1);
    EXPECT_EQ(AdvSprTbl[3].state, ADV_STATE_SHOWN);
    EXPECT_EQ(ADV_SetSprite(3, 5, 0, 0, 0, 0), -1);  // a shown slot is refused
    for (i32 type = 1; type <= 4; ++type) {
        ADV_SetSprDisp(3, 0, type, 0);
        EXPECT_EQ(AdvSprTbl[3].state, ADV_STATE_HIDDEN) << type;
        ADV_SetSprDisp(3, 1, type, 0);
        EXPECT_EQ(AdvSprTbl[3].state, ADV_STATE_SHOWN) << type;
    }
    // A fade that ADV_SetSprite started with no type ends at the next update, in and out.
    ADV_SetSprDisp(3, 0, 0, 0);
    ASSERT_EQ(ADV_SetSprite(3, 5, 0, 0, 0, 200), 1);
    EXPECT_EQ(AdvSprTbl[3].state, ADV_STATE_FADEIN);
    _ass_renewsprite();
    EXPECT_EQ(AdvSprTbl[3].state, ADV_STATE_SHOWN);
    AdvSprTbl[3].state = ADV_STATE_FADEOUT;
    _ass_renewsprite();
    EXPECT_EQ(AdvSprTbl[3].state, ADV_STATE_HIDDEN);
}

TEST_F(AdvSprite, ShownPictureBlendsAtItsDrawValue) {
    ASSERT_EQ(_ass_createsprite2(3, "pic.bmp"), 3);
    ASSERT_EQ(ADV_SetSprite(3, 5, 10, 20, 0, 0), 1);
    ADV_SetSprDisp(3, 1, ADV_FADE_ZOOM, 100);
    clock.Advance(100);
    _ass_renewsprite();
    ASSERT_EQ(AdvSprTbl[3].state, ADV_STATE_SHOWN);
    ASSERT_EQ(AdvSprTbl[3].level, 100);
    ADV_SetSprAttr(3, 1, 128);

    const RECT all{0, 0, 640, 480};
    const u16 bg = Pack({200, 30, 30});
    plat::Surface* ref = SURF_Create(640, 480, 0);
    SURF_Fill(ref, &all, bg);
    plat::Surface* pic = SPR_GetSlotSurf(AdvSprTbl[3].surf);
    DSW_DrawObjectAlpha(ref, 10, 20, 64, 48, pic, 0, 0, 128, pic->colorKeyLow);
    SURF_Fill(DispBackBuffer, &all, bg);
    SPR_DrawAllSpr(-1);
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{12, 22}, {40, 40}, {72, 66}}) {
        const u16 want = reinterpret_cast<const u16*>(ref->pixels + y * ref->pitch)[x];
        EXPECT_EQ(Pixel(x, y), want) << x << "," << y;
        EXPECT_NE(Pixel(x, y), bg);
    }
    SURF_Release(ref);
}

// The quads the tiles and blinds ask for.
struct Quad {
    i32 p[8];
    i32 sx, sy, sw, sh;
    bool operator==(const Quad&) const = default;
};
std::vector<Quad> Quads;
int RecordQuad(plat::Surface*, i32 x0, i32 y0, i32 x1, i32 y1, i32 x2, i32 y2, i32 x3, i32 y3, plat::Surface*, i32 sx,
               i32 sy, i32 sw, i32 sh) {
    Quads.push_back(Quad{{x0, y0, x1, y1, x2, y2, x3, y3}, sx, sy, sw, sh});
    return 1;
}

TEST_F(AdvSprite, TileAndBlindQuadsFollowTheCosineOfTheLevel) {
    WritePicture("big.grp", 256, 192, [](int x, int y) { return Rgb8{x, y, 60}; });
    ASSERT_EQ(_ass_createsprite2(4, "big.bmp"), 4);
    ASSERT_EQ(ADV_SetSprite(4, 5, 30, 40, 0, 0), 1);
    ADV_SetSquareFunc(RecordQuad);
    ADV_SPR a = AdvSprTbl[4];
    const i32 tw = 64, th = 48, hw = 32, hh = 24;
    for (i32 level : {0, 64, 128}) {
        const i32 k = level == 0 ? 0 : level == 64 ? 2896 : 4096;  // cos of 224 and 256 in 256 steps
        ASSERT_EQ(ASS_Sine(((level / 2 + 192) & 255) + 64), k);
        Quads.clear();
        a.level = level;
        ADV_DrawSprTiles(DispBackBuffer, &a, SPR_GetSlotSurf(a.surf));
        ASSERT_EQ(Quads.size(), 16u);
        const Quad& q = Quads[5];  // column 1, row 1
        const i32 tx = 30 + tw, ty = 40 + th;
        EXPECT_EQ(q, (Quad{{tx, ty, tx + hw + ((hw * k) >> 12) - 1, ty + hh + ((-hh * k) >> 12) - 1, tx + tw - 1,
                            ty + th - 1, tx + hw + ((-hw * k) >> 12) - 1, ty + hh + ((hh * k) >> 12) - 1},
                           tw, th, tw, th}))
            << level;
    }
    a.fadeTime = 300;
    for (i32 level : {0, 150, 300}) {
        const i32 k = ASS_Sine(((level * 64 / 300 + 192) & 255) + 64);
        const i32 h = 8, open = (h * k) >> 12;  // strips of 16 rows
        Quads.clear();
        a.level = level;
        ADV_DrawSprBlinds(DispBackBuffer, &a, SPR_GetSlotSurf(a.surf));
        ASSERT_EQ(Quads.size(), 12u);
        const i32 s = 40 + 3 * 16;
        EXPECT_EQ(Quads[3], (Quad{{30, s + h - open, 285, s + h - open, 285, s + h + open, 30, s + h + open}, 0, 48,
                                  256, 16}))
            << level;
    }
    EXPECT_EQ(ASS_Sine(256), 0);
    ADV_SetSquareFunc(nullptr);
}

// Every transition draws nothing off the tiles' diagonals and the strips' centres at its start, and
// there the whole picture at its end; the five levels of each are drawn under the sanitizers.
TEST_F(AdvSprite, TransitionsDrawFromNothingToThePicture) {
    WritePicture("big.grp", 256, 192, [](int x, int y) { return Rgb8{x, y, 255 - x / 2}; });
    ASSERT_EQ(_ass_createsprite2(4, "big.bmp"), 4);
    ASSERT_EQ(ADV_SetSprite(4, 5, 0, 0, 0, 0), 1);
    ADV_SPR& a = AdvSprTbl[4];
    a.fadeTime = 400;
    ADV_SetSprRect(4, 0, 0, 128, 96);  // the transitions still cut the whole picture
    const RECT all{0, 0, 640, 480};
    const u16 bg = Pack({30, 60, 90});
    for (i32 type = 1; type <= 4; ++type) {
        for (int i = 0; i < 5; ++i) {
            a.state = ADV_STATE_FADEIN;
            a.fadeType = type;
            a.level = (type == 1 ? 255 : type == 2 ? 128 : 400) * i / 4;
            SURF_Fill(DispBackBuffer, &all, bg);
            SPR_DrawAllSpr(-1);
            if (i == 0 && type != 1) {
                EXPECT_EQ(Pixel(100, 60), bg) << type;
            }
            if (i == 4) {
                EXPECT_NE(Pixel(100, 60), bg) << type;
                if (type != 1) {
                    EXPECT_NE(Pixel(200, 150), bg) << type;
                }
            }
        }
    }
}

TEST_F(AdvSprite, MovieSpriteDrawsItsCurrentFrameAtItsPlaceEveryFrame) {
    tools::TestMovieOptions opt;
    opt.sampleRate = 0;
    ASSERT_TRUE(tools::WriteTestMovie(dir.File("clip.mpg"), opt));
    ASSERT_EQ(_ass_createsprite2(10, "clip.mpg"), 10);
    ASSERT_EQ(ADV_SetSprite(10, 5, 100, 80, 0, 0), 1);
    const RECT all{0, 0, 640, 480};
    const u16 bg = Pack({10, 10, 200});
    int last = -1;
    for (int f = 0; f < 60; ++f) {
        SURF_Fill(DispBackBuffer, &all, bg);
        SPR_DrawAllSpr(-1);
        const u16 p = Pixel(132, 104);
        const int shown = tools::TestMovieFrameOf(u8((p >> 11) << 3), u8(((p >> 5) & 63) << 2), u8((p & 31) << 3));
        const int want = std::min(f * 40 / 40, 49);
        EXPECT_NEAR(shown, want, 1) << "frame " << f;
        EXPECT_GE(shown, last);
        last = shown;
        EXPECT_EQ(Pixel(99, 104), bg);
        EXPECT_EQ(Pixel(164, 104), bg);
        EXPECT_NE(Pixel(100, 80), bg);
        if (f == 30) CheckGolden("script_movie_frame30.bmp", 240, 160);
        clock.Advance(40);
    }
    // Out over 100 ms in 32 levels; at the end the sprite goes and the movie pauses.
    EXPECT_EQ(Trace(10, 0, ADV_FADE_ALPHA, 100, {0, 50, 50}),
              (std::vector<std::pair<i32, i32>>{{4, 32}, {4, 16}, {5, 0}}));
    EXPECT_EQ(AdvSprTbl[10].spr, -1);
    EXPECT_EQ(AdvSprTbl[10].movie->paused, 1);
    ADV_ReleaseSprite(10);
    EXPECT_EQ(AdvSprTbl[10].use, 0);
}

}  // namespace
