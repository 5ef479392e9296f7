// The text window: presets, font setters, the wipe's alphas and map edges, open and close with their
// timing, the background styles, the frame style of function 25; and the faces.
#include <tuple>
#include <vector>

#include "graphics/display/disp.h"
#include "graphics/display/surf.h"
#include "graphics/font/font.h"
#include "graphics/sprite/spr.h"
#include "script/adv/adv_sprite.h"
#include "text_env.h"

namespace {

using test::TextTest;

TEST_F(TextTest, PresetsSetTheTableAndTypeOneKeepsTheLineWidth) {
    struct Row {
        i32 type, x, y, w, h, ox, oy, lw, fx, fy, nx, ny, bgLeft, bgTop;
    };
    const Row rows[] = {
        {0, 0, 344, 640, 136, 92, 48, 518, 16, 51, 66, 14, 0, 0},
        {2, 56, 344, 576, 128, 36, 48, 518, -1, -1, 8, 14, 56, 544},
        {1, 0, 344, 640, 136, 92, 48, 300, 16, 51, 66, 14, 0, 272},
    };
    for (const Row& r : rows) {
        TextWindow.lineWidth = 300;
        _ass_settextwindowtype(r.type);
        const TEXT_WINDOW& w = TextWindow;
        EXPECT_EQ(std::vector<i32>({w.type, w.x, w.y, w.w, w.h, w.originX, w.originY, w.lineWidth, w.faceX, w.faceY,
                                    w.nameX, w.nameY, TextBgFill.src.left, TextBgFill.src.top}),
                  std::vector<i32>({r.type, r.x, r.y, r.w, r.h, r.ox, r.oy, r.lw, r.fx, r.fy, r.nx, r.ny, r.bgLeft,
                                    r.bgTop}));
        EXPECT_EQ(TextFrame.src.top, 272 * r.type + 136);
        EXPECT_EQ(TextFrame.src.right, r.type == 2 ? 632 : 640);
        plat::Surface* s = ADV_GetTextSurface();
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(std::vector<i32>({s->width, s->height}), std::vector<i32>({r.w, r.h}));
    }
    // Outside 0..2 only the type is kept.
    for (i32 type : {-1, 3}) {
        _ass_settextwindowtype(type);
        EXPECT_EQ(TextWindow.type, type);
        EXPECT_EQ(TextWindow.x, 0);
        EXPECT_EQ(TextWindow.lineWidth, 300);
    }
}

TEST_F(TextTest, FontSlotsAndTheFontFileSetter) {
    struct Row {
        i32 slot, want, w, h;
    };
    for (const Row& r : {Row{0, 0, 10, 10}, Row{1, 1, 14, 14}, Row{2, 2, 20, 20}, Row{3, 3, -1, -1},
                         Row{4, -1, -1, -1}, Row{-2, -1, -1, -1}}) {
        ASS_SetTextWidnowFontType(r.slot);
        EXPECT_EQ(TextWindow.fontSlot, r.want) << r.slot;
        EXPECT_EQ(TextWindow.fontW, r.w) << r.slot;
        EXPECT_EQ(TextWindow.fontH, r.h) << r.slot;
    }
    LoadProbeFont(9, 16);
    ASS_SetTextWidnowFontType(1);
    ASS_SetTextWidnowFontSize(16, 16, "probe9.fnt");
    EXPECT_EQ(TextWindow.fontW, 14);
    EXPECT_FALSE(FontTbl[TEXT_FONT_SLOT_LOADED].loaded);
    ASS_SetTextWidnowFontType(-1);
    ASS_SetTextWidnowFontSize(16, 16, "probe9.fnt");
    EXPECT_EQ(TextWindow.fontW, 16);
    EXPECT_TRUE(FontTbl[TEXT_FONT_SLOT_LOADED].loaded);
    EXPECT_EQ(FontCurrent, TEXT_FONT_SLOT_LOADED);
    EXPECT_EQ(TextWindow.color[0], FONT_White());
}

TEST_F(TextTest, WipeAlphasAtTheEdgesOfTheProgress) {
    // Opening reads map[135 - y][x], closing map[y][639 - x]: columns 0 and 8 hold 0 and 255, and
    // columns 639 and 631 likewise.
    WriteMap(136, [](int x, int) { return u8(x == 8 || x == 631 ? 255 : 0); });
    _ass_opentext();
    struct Row {
        int closing;
        i32 x, p, want;
    };
    for (const Row& r : {Row{0, 0, 0, 0}, Row{0, 8, 0, 0}, Row{0, 0, 256, 1}, Row{0, 8, 256, 255},
                         Row{0, 0, 512, 255}, Row{0, 8, 512, 255}, Row{1, 0, 0, 255}, Row{1, 8, 0, 255},
                         Row{1, 0, 256, 0}, Row{1, 8, 256, 254}, Row{1, 0, 512, 0}, Row{1, 8, 512, 0}})
        EXPECT_EQ(_ass_textwipealpha(r.closing, r.x, 16, r.p), r.want) << r.closing << " " << r.x << " " << r.p;
}

TEST_F(TextTest, WindowsBeyondTheMapAndAMissingMap) {
    // A 576 × 200 window over a 136-row map (row 135 holds 77), then over a short file: reads past the
    // map take its nearest byte.
    for (int rows : {136, 100}) {
        WriteMap(rows, [rows](int, int y) { return u8(y == rows - 1 ? 77 : 1); });
        _ass_settextwindowsize(576, 200);
        _ass_opentext();
        EXPECT_EQ(_ass_textwipealpha(0, 568, 0, 512), 255);
        EXPECT_EQ(_ass_textwipealpha(0, 0, 192, 255), 1);      // row 135 - 192: row 0
        EXPECT_EQ(_ass_textwipealpha(1, 0, 192, 255), 77);     // row 192: the last row
        EXPECT_EQ(_ass_textwipealpha(0, 0, 0, 255), 77);  // row 135, or the short map's last row
        clock.Advance(150);
        DrawAll();  // blocks past the map's rows, under the sanitizers
        ASS_Term();
        ASS_Init();
    }
    // A map swapped for a longer one while it is read: the wipe reads only what was read.
    test::SwapWhileReading(dir.File("bmp/etc/tbl.dat"), std::string(TEXT_MAP_WIDTH, 1),
                           std::string(TEXT_MAP_WIDTH * 136, 1), 200, [] {
                               _ass_opentext();
                               _ass_textwipealpha(1, 0, 192, 255);
                               ASS_Term();
                               ASS_Init();
                           });

    // Without a map nothing shows while opening; the window shows once open and keeps its times.
    _ass_settextwindowtype(0);
    SPR_SetSurfColorKey(0);
    _ass_opentext();
    SURF_Fill(ADV_GetTextSurface(), nullptr, DISP_PackRGB(200, 0, 0));
    DrawAll();
    EXPECT_EQ(Pixel(100, 400), 0);
    clock.Advance(TEXT_OPEN_MS);
    Step();
    EXPECT_EQ(_ass_gettextwindowstate(), TEXT_WINDOW_OPEN);
}

TEST_F(TextTest, OpenWindowIsAKeyedCopyRedrawnEachFrame) {
    WriteMap(136, [](int, int) { return u8(0); });
    _ass_settextwindowbg2(0, nullptr, 0, 0);
    _ass_changeframe(-1);
    _ass_opentext();
    clock.Advance(TEXT_OPEN_MS);
    Step();
    ASSERT_EQ(_ass_gettextwindowstate(), TEXT_WINDOW_OPEN);
    plat::Surface* s = ADV_GetTextSurface();
    const RECT mark{10, 10, 20, 20};
    SURF_Fill(s, &mark, Pack({0, 255, 0}));
    SURF_Fill(DispBackBuffer, nullptr, Pack({0, 0, 255}));
    DrawTextWindow(0);
    EXPECT_EQ(Pixel(15, 344 + 15), Pack({0, 255, 0}));
    EXPECT_EQ(Pixel(30, 344 + 30), Pack({0, 0, 255}));  // the key colour is left out
    const u16* row = reinterpret_cast<const u16*>(s->pixels + 15 * s->pitch);
    EXPECT_EQ(row[15], TextWindow.key);
}

TEST_F(TextTest, OpeningAndClosingTimes) {
    WriteMap(136, [](int x, int) { return u8(x); });
    _ass_closetext(100);  // refused while closed
    EXPECT_EQ(_ass_gettextwindowstate(), TEXT_WINDOW_CLOSED);
    _ass_opentext();
    const u32 start = TextWindow.start;
    clock.Advance(100);
    _ass_opentext();  // refused while opening
    EXPECT_EQ(TextWindow.start, start);
    clock.Advance(200);
    Step();
    ASSERT_EQ(_ass_gettextwindowstate(), TEXT_WINDOW_OPEN);

    // 0 ms: a draw between the close and the next update is fully closed; the update ends it.
    ASS_CloseText(0);
    DrawAll();
    EXPECT_EQ(_ass_textwipeprogress(), 512);
    Step();
    EXPECT_EQ(_ass_gettextwindowstate(), TEXT_WINDOW_CLOSED);
    EXPECT_EQ(ADV_GetTextSurface(), nullptr);
    EXPECT_EQ(_ass_getpagestate(), ADV_PAGE_CLOSED);

    // The state after each of four updates 100 ms apart, for a close once open and one asked for while
    // the window opens, which runs once it is open (at 0 ms, and at 0 for a negative time).
    for (const auto& [openMs, closeMs, want] : {std::tuple(TEXT_OPEN_MS, 300, std::vector<int>{3, 3, 0, 0}),
                                                std::tuple(0, 100, std::vector<int>{1, 1, 3, 0}),
                                                std::tuple(0, 0, std::vector<int>{1, 1, 3, 0}),
                                                std::tuple(0, -5, std::vector<int>{1, 1, 3, 0})}) {
        _ass_opentext();
        clock.Advance(u32(openMs));
        Step();
        ASS_CloseText(closeMs);
        std::vector<int> states;
        for (int i = 0; i < 4; ++i) {
            clock.Advance(100);
            ASS_Loop();
            states.push_back(_ass_gettextwindowstate());
        }
        EXPECT_EQ(states, want) << closeMs;
    }
}

TEST_F(TextTest, BackgroundStylesAndTheirWipe) {
    UseSampleWindow();
    // Map 255 everywhere: at half the opening every block's wipe alpha is 255, so the wipe draws as the
    // open window would at the background's alpha.
    WriteMap(136, [](int, int) { return u8(255); });
    const RECT bgRect{0, 0, 640, 136};
    const u16 fill = Pack({200, 100, 50});
    for (i32 style : {1, 2, 5, 6}) {
        _ass_settextwindowbg2(style, &bgRect, fill, 96);
        _ass_changeframe(-1);
        _ass_opentext();
        clock.Advance(150);
        DrawAll();
        const u16 wiped = Pixel(200, 400);
        clock.Advance(150);
        Step();
        ASSERT_EQ(_ass_gettextwindowstate(), TEXT_WINDOW_OPEN) << style;
        DrawAll();
        const u16 open = Pixel(200, 400);
        EXPECT_NE(open, 0) << style;
        if (style == 1) {
            EXPECT_EQ(open, fill);
        } else if (style != 2) {
            EXPECT_EQ(wiped, open) << style;
        }
        ASS_CloseText(0);
        Step();
    }
    // At the start of an opening every block's alpha is 0: nothing of the background shows.
    _ass_settextwindowbg2(6, &bgRect, 0, 255);
    _ass_opentext();
    DrawAll();
    EXPECT_EQ(Pixel(200, 400), 0);
}

TEST_F(TextTest, FunctionTwentyFiveChangesTheFrameStyleAndKeepsItsRectangle) {
    const RECT before = TextFrame.src;
    Run("call changeframe -1\ncall changeframe 1\ncall wait 1000");
    Loop();
    EXPECT_EQ(TextFrame.style, 1);
    EXPECT_GE(TextFrame.sprite, 0);
    EXPECT_EQ(TextFrame.src.top, before.top);
    EXPECT_EQ(TextFrame.src.bottom, before.bottom);
    _ass_changeframe(-1);
    EXPECT_EQ(TextFrame.sprite, -1);
    EXPECT_EQ(TextFrame.src.bottom, before.bottom);
}

// ---- faces ----

TEST_F(TextTest, FaceSlotsLoadSelectAndRelease) {
    WriteSpriteSet("face.spr", 4);
    for (int id = 0; id < FACE_SLOT_MAX; ++id) EXPECT_GE(_ass_loadface(id, "face.spr"), 0) << id;
    EXPECT_EQ(_ass_loadface(16, "face.spr"), -1);  // a 17th is refused
    ADV_SetFace(5, 2);
    EXPECT_EQ(FaceCurrent, 5);
    ADV_SetFace(5, 3);  // already current: the pattern stays
    EXPECT_EQ(FaceSprTbl[5].pattern, 2);
    ADV_SetFace(6, 1);
    EXPECT_EQ(FaceCurrent, 6);
    EXPECT_EQ(ADV_GetSprNo(FaceSprTbl[5].slot), -1);  // the old face's sprite is gone from view
    ADV_SetFace(6, -1);
    EXPECT_EQ(FaceCurrent, -1);
    ADV_SetFace(7, 0);
    _ass_releaseface(7);
    EXPECT_EQ(FaceCurrent, -1);
    ADV_SetFace(7, 0);  // released: the id no longer selects
    EXPECT_EQ(FaceCurrent, -1);
    // An id loaded twice: one release frees the first of its slots only.
    EXPECT_GE(_ass_loadface(9, "face.spr"), 0);
    _ass_releaseface(9);
    EXPECT_EQ(FaceSprTbl[7].id, -1);
    EXPECT_EQ(FaceSprTbl[9].id, 9);
    _ass_releaseface(-1);
    for (const FACE_SPR& f : FaceSprTbl) EXPECT_EQ(f.id, -1);
    for (int s = 0; s < ADV_SPR_MAX; ++s) EXPECT_EQ(AdvSprTbl[s].use, 0);

    // A missing set leaves its face slot free.
    EXPECT_EQ(_ass_loadface(3, "none.spr"), -1);
    EXPECT_EQ(FaceSprTbl[0].id, -1);
    ADV_SetFaceSpace(-1, -1);
    EXPECT_EQ(FaceMode, 2);
    i32 x = 0, y = 0;
    ADV_GetFacePos(&x, &y);
    EXPECT_EQ(x, 16);
    EXPECT_EQ(y, 51);
}

}  // namespace
