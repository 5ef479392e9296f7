// Choice rectangles: chosen with the pad and the mouse through a script's wait, the edge cases of the
// renew, and the fill under the pointer.
#include <string>

#include "adv_env.h"
#include "graphics/blit/drw.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/sprite/spr.h"
#include "script/adv/adv_select.h"
#include "script/adv/adv_sprite.h"
#include "script/core/ass.h"
#include "script/core/scr_data.h"
#include "shell/input/inp.h"

namespace {

// Three rows of choices; each answer sets r to its index and returns.
const char* const kThree =
    "decl 3 r = 9\n"
    "call selrect 100, 100, 300, 130, -1, 0, 0, 0, a0\n"
    "call selrect 100, 140, 300, 170, 255, 0, 0, 200, a1\n"
    "call selrect 100, 180, 300, 210, 0, 255, 0, 64, a2\n"
    "call selwait\n"
    "call return 7\n"
    "a0: set r = 0\ncall return 5\n"
    "a1: set r = 1\ncall return 5\n"
    "a2: set r = 2\ncall return 5\n";

class AdvSelect : public test::AdvTest {
protected:
    i32 R() const { return actv_scr ? i32(actv_scr->value[0].value) : -1; }
    static void Three() {
        _ass_setselectrect(100, 100, 300, 130, 10);
        _ass_setselectrect(100, 140, 300, 170, 11);
        _ass_setselectrect(100, 180, 300, 210, 12);
    }
    // One renew in an update of its own.
    int Renew(u16 trigger) {
        ++ass_UpdateCount;
        key.trigger = trigger;
        i32 x = 0, y = 0;
        INP_GetMouse(&x, &y, nullptr);
        ASS_RenewKeyDevice(x, y, 0, 0);
        return _ass_renewselectrect();
    }
};

TEST_F(AdvSelect, PadMovesThePointerAndDecideTakesTheRectangleUnderIt) {
    MoveMouse(5, 5);
    Run(kThree);
    EXPECT_EQ(Loop(), 0);
    EXPECT_EQ(GetScriptWaitFunc(), ASS_WAIT_SELECT);
    EXPECT_EQ(Loop(2), 0);  // down: one rectangle on, the pointer onto (left + 8, middle)
    EXPECT_EQ(SelRectCursor, 1);
    EXPECT_EQ(fake.warpCount, 1);
    EXPECT_EQ(fake.warpX, 108);
    EXPECT_EQ(fake.warpY, 155);
    EXPECT_EQ(Loop(16), 5);
    EXPECT_EQ(R(), 1);
    EXPECT_EQ(_ass_getselectrectwait(), 0);  // the choice closed the rectangles
}

TEST_F(AdvSelect, FreshLeftClickTakesAndAHeldButtonDoesNot) {
    MoveMouse(5, 5);
    Run(kThree);
    Loop();
    fake.button[0] = true;
    EXPECT_EQ(Loop(), 0);  // a fresh press (word 5) outside every rectangle
    MoveMouse(150, 150);
    EXPECT_EQ(Loop(), 0);  // held (word 1) over the second: hovering only
    EXPECT_EQ(SelRectAns, -1);
    EXPECT_EQ(SelRectCursor, 1);  // the cursor follows the pointer
    fake.button[0] = false;
    Loop();
    fake.button[0] = true;
    MoveMouse(150, 195);
    EXPECT_EQ(Loop(), 5);
    EXPECT_EQ(R(), 2);
}

TEST_F(AdvSelect, RenewEdgeCases) {
    // No rectangles: the pad does nothing, nothing warps and the cursor stays 0.
    MoveMouse(400, 400);
    _ass_waitselectrect();
    for (u16 k : {1, 2, 16}) {
        EXPECT_EQ(Renew(k), 0);
        EXPECT_EQ(SelRectCursor, 0);
    }
    EXPECT_EQ(fake.warpCount, 0);

    // One rectangle: up and down keep the cursor and never warp.
    _ass_setselectrect(0, 0, 50, 50, 3);
    EXPECT_EQ(Renew(1), 0);
    EXPECT_EQ(Renew(2), 0);
    EXPECT_EQ(SelRectCursor, 0);
    EXPECT_EQ(fake.warpCount, 0);
    // Decide with the pointer outside chooses nothing.
    EXPECT_EQ(Renew(16), 0);
    EXPECT_EQ(SelRectAns, -1);

    // Overlapping: the first set wins; up wraps to the last.
    _ass_termselectrect();
    EXPECT_EQ(SelRectCursor, 0);
    _ass_setselectrect(0, 0, 100, 100, 20);
    _ass_setselectrect(50, 50, 150, 150, 21);
    EXPECT_EQ(_ass_chooseselectrect(60, 60, 0), 0);
    EXPECT_EQ(_ass_chooseselectrect(100, 60, 0), 1);  // right edge exclusive
    EXPECT_EQ(_ass_chooseselectrect(150, 60, 0), -1);
    _ass_waitselectrect();
    EXPECT_EQ(Renew(1), 0);
    EXPECT_EQ(SelRectCursor, 1);
    EXPECT_EQ(Renew(16), 2);
    EXPECT_EQ(SelRectAns, 1);
    EXPECT_EQ(_ass_getselectrectasnlabel(), 21);

    // One renew an update: a second call gives the first one's result and moves nothing.
    _ass_termselectrect();
    Three();
    _ass_waitselectrect();
    MoveMouse(400, 400);
    fake.warpCount = 0;
    EXPECT_EQ(Renew(2), 0);
    EXPECT_EQ(_ass_renewselectrect(), 0);
    EXPECT_EQ(SelRectCursor, 1);
    EXPECT_EQ(fake.warpCount, 1);

    // A ninth is refused and changes nothing.
    for (int i = 3; i < 8; ++i) EXPECT_EQ(_ass_setselectrect(0, 300 + i, 10, 301 + i, i), 1);
    EXPECT_EQ(_ass_setselectrect(0, 0, 640, 480, 99), 0);
    EXPECT_EQ(SelRectCnt, 8);
}

TEST_F(AdvSelect, AMinusOneAmongTheColourArgumentsGivesTheDefaultBlue) {
    const i32 cases[][4] = {{-1, 10, 10, 10}, {10, -1, 10, 10}, {10, 10, -1, 10}, {10, 10, 10, -1}};
    for (const auto& c : cases) {
        _ass_termselectrect();
        _ass_setselectrect2(0, 0, 1, 1, c[0], c[1], c[2], c[3], 0);
        EXPECT_EQ(SelRectTbl[0].color, DISP_PackRGB(0, 0, 255));
        EXPECT_EQ(SelRectTbl[0].alpha, 128);
    }
    _ass_setselectrectcolor(255, 0, 0, 64);
    _ass_setselectrect(0, 0, 1, 1, 0);
    EXPECT_EQ(SelRectTbl[1].color, DISP_PackRGB(255, 0, 0));
    EXPECT_EQ(SelRectTbl[1].alpha, 64);
    _ass_setselectrectcolor(-1, 0, 0, 0);
    EXPECT_EQ(SelRectColor, 31);
}

TEST_F(AdvSelect, FillOnlyUnderThePointerAndOnlyWhileShown) {
    Three();
    const RECT all{0, 0, 640, 480};
    const u16 bg = Pack({200, 200, 200});
    auto draw = [&] {
        SURF_Fill(DispBackBuffer, &all, bg);
        SPR_DrawAllSpr(-1);
    };
    MoveMouse(150, 150);
    draw();
    EXPECT_EQ(Pixel(150, 150), bg);  // not shown yet
    _ass_dispselectrect(1);
    draw();
    plat::Surface* ref = SURF_Create(640, 480, 0);
    SURF_Fill(ref, &all, bg);
    DRWS_Fill(ref, 100, 140, 300, 170, SelRectColor, 128);
    const u16 filled = reinterpret_cast<const u16*>(ref->pixels + 150 * ref->pitch)[150];
    SURF_Release(ref);
    EXPECT_NE(filled, bg);
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{100, 140}, {299, 169}, {150, 150}}) {
        EXPECT_EQ(Pixel(x, y), filled) << x << "," << y;
    }
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{300, 150}, {150, 139}, {150, 170}, {150, 110}}) {
        EXPECT_EQ(Pixel(x, y), bg) << x << "," << y;
    }
    MoveMouse(50, 50);
    draw();
    EXPECT_EQ(Pixel(150, 150), bg);
    EXPECT_EQ(Pixel(150, 115), bg);

    // The scene for a look: a script picture under the choice, the pointer on the third.
    WritePicture("scene.grp", 320, 240, [](int x, int y) { return test::Rgb8{60 + x / 2, 40 + y / 2, 90}; });
    ASSERT_EQ(_ass_createsprite2(0, "scene.bmp"), 0);
    ASSERT_EQ(ADV_SetSprite(0, 50, 0, 0, 0, 0), 1);
    MoveMouse(200, 190);
    draw();
    CheckGolden("script_choice.bmp", 320, 240);
}

}  // namespace
