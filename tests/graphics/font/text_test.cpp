#include <string>
#include <vector>

#include "font_support.h"

namespace {

using fonttest::FontFixture;
using fonttest::kFace;
using fonttest::kShadow;
using fonttest::Pixel;
using fonttest::Snap;
using Rows = std::vector<std::string>;
using tools::FntBuilder;

// 10×10 probes: 'A' single bits, 'B' a 3×3 box, 'C' one pixel, 'D' a full column.
FntBuilder Probes10() {
    FntBuilder f(10, 10, 481);
    f.NarrowRow('A', 0, 1 << 1).NarrowRow('A', 1, 1 << 6).NarrowRow('A', 2, 1 << 0).NarrowRow('A', 3, 1 << 5);
    f.NarrowRow('A', 4, 1 << 7);
    for (u32 r = 2; r <= 4; ++r) f.NarrowRow('B', r, 0x38);
    f.NarrowRow('C', 0, 1 << 3);
    for (u32 r = 0; r < 10; ++r) f.NarrowRow('D', r, 1 << 3);
    // Wide probes: slot 480 (A4 40) pins the columns, slots 0 and 65 mark their rows.
    f.WideRow(480, 0, 1 << 1).WideRow(480, 1, 1 << 10).WideRow(480, 2, 1 << 13).WideRow(480, 3, 1 << 14);
    f.WideRow(0, 0, 1 << 13).WideRow(65, 1, 1 << 13);
    f.NarrowRow('@', 3, 1 << 6);
    return f;
}

using TextDraw = FontFixture;

TEST_F(TextDraw, NarrowBitsLandOnTheirColumnsAtBothSizes) {
    Use(Probes10());
    plat::Surface* s = Canvas();
    EXPECT_EQ(TXT_DrawText(s, 0, 0, "A"), 1);
    // Window of 6: column c shows bit 6 - c; bit 0 and bit 7 stay out.
    EXPECT_EQ(Snap(s, 0, 0, 8, 5), (Rows{".....F..", "F.......", "........", ".F......", "........"}));

    plat::Surface* l = Canvas();
    FONT_SetLarge(1);
    TXT_DrawText(l, 0, 0, "A");
    // Window of 5, every bit 2×2: bit 6 falls outside.
    EXPECT_EQ(Snap(l, 0, 0, 12, 8), (Rows{"........FF..", "........FF..", "............", "............",
                                          "............", "............", "FF..........", "FF.........."}));
}

TEST_F(TextDraw, WideBitsLandOnTheirColumnsAtBothSizes) {
    Use(Probes10());
    plat::Surface* s = Canvas();
    TXT_DrawText(s, 0, 0, "\xA4\x40");
    // Window of 13: bit 13 at column 0, bit 1 at column 12, bit 14 outside.
    EXPECT_EQ(Snap(s, 0, 0, 14, 4),
              (Rows{"............F.", "...F..........", "F.............", ".............."}));

    plat::Surface* l = Canvas();
    FONT_SetLarge(1);
    TXT_DrawText(l, 0, 0, "\xA4\x40");
    // Window of 10: bit 10 at columns 0-1, bit 1 at 18-19, bit 13 outside.
    EXPECT_EQ(Pixel(l, 18, 0), kFace);
    EXPECT_EQ(Pixel(l, 19, 1), kFace);
    EXPECT_EQ(Pixel(l, 0, 2), kFace);
    EXPECT_EQ(Pixel(l, 1, 3), kFace);
    EXPECT_EQ(Snap(l, 0, 4, 22, 8), (Rows(4, std::string(22, '.'))));
}

TEST_F(TextDraw, PlainRowsReadOnIntoTheFollowingBytes) {
    // A 14-wide font's narrow window is 8 columns: column 0 shows bit 8, the next row's bit 0, for the
    // plain drawers; bold copies the row alone and sees a zero there.
    FntBuilder f(14, 14, 1);
    f.NarrowRow('A', 1, 0x01);
    Use(f);
    plat::Surface* s = Canvas();
    TXT_DrawText(s, 0, 0, "A");
    EXPECT_EQ(Snap(s, 0, 0, 10, 2), (Rows{"F.........", ".........."}));

    plat::Surface* b = Canvas();
    FONT_SetStyle(FONT_STYLE_BOLD);
    TXT_DrawText(b, 0, 0, "A");
    // Row 1 bold: bits 0 and 1, window 10 → bit 1 at column 9.
    EXPECT_EQ(Snap(b, 0, 0, 10, 2), (Rows{"..........", ".........F"}));
}

TEST_F(TextDraw, StylesAroundABox) {
    Use(Probes10());
    struct Case {
        int style;
        Rows rows;
    } cases[] = {
        {0, {"..........", "..........", "..........", "...FFF....", "...FFF....", "...FFF....", ".........."}},
        {5, {"..........", "..........", "..........", "...FFF....", "...FFF....", "...FFF....", ".........."}},
        {-1, {"..........", "..........", "..........", "...FFF....", "...FFF....", "...FFF....", ".........."}},
        {1, {"..........", "..........", "..........", "....FFFF..", "....FFFF..", "....FFFF..", ".........."}},
        {2, {"..........", "..........", "..........", "...FFF....", "...FFFS...", "...FFFS...", "....SSS..."}},
        {3, {"..........", "..........", "..........", "...FFFF...", "...FFFF...", "...FFFF...", "....SSS..."}},
        // The outline is every pixel beside or above or below the glyph, never a corner.
        {4, {"..........", "..........", "...SSS....", "..SFFFS...", "..SFFFS...", "..SFFFS...", "...SSS...."}},
    };
    for (const Case& c : cases) {
        plat::Surface* s = Canvas();
        FONT_SetStyle(c.style);
        TXT_DrawText(s, 4, 4, "B");
        EXPECT_EQ(Snap(s, 2, 3, 12, 10), c.rows) << "style " << c.style;
    }
}

TEST_F(TextDraw, LargeStylesDoubleEveryBit) {
    Use(Probes10(), 0, 1);
    struct Case {
        int style;
        Rows rows;
    } cases[] = {
        {0, {"............", "......FF....", "......FF....", "............", "............"}},
        {1, {"............", "......FFFF..", "......FFFF..", "............", "............"}},
        {2, {"............", "......FF....", "......FFS...", ".......SS...", "............"}},
        // Shadow two columns right; bold face one left.
        {3, {"............", ".....FFFF...", ".....FFFFS..", "........SS..", "............"}},
        {4, {".......SSSS.", "......FFSSS.", "......FFSSS.", ".......SSSS.", "............"}},
    };
    for (const Case& c : cases) {
        plat::Surface* s = Canvas();
        FONT_SetStyle(c.style);
        TXT_DrawText(s, 4, 4, "C");
        EXPECT_EQ(Snap(s, 2, 3, 14, 8), c.rows) << "style " << c.style;
    }
}

TEST_F(TextDraw, GradientColoursEachGlyphRow) {
    Use(Probes10());
    FONT_SetColor(0xF800, 0x001F, -1);
    ASSERT_NE(FontGradTbl[1], FontGradTbl[2]);
    plat::Surface* s = Canvas();
    TXT_DrawText(s, 0, 0, "D");
    for (int r = 0; r < 10; ++r) EXPECT_EQ(Pixel(s, 3, r), FontGradTbl[r]) << r;

    plat::Surface* l = Canvas();
    FONT_SetLarge(1);
    TXT_DrawText(l, 0, 0, "D");
    for (int r = 0; r < 10; ++r) {
        EXPECT_EQ(Pixel(l, 4, 2 * r), FontGradTbl[r]) << r;
        EXPECT_EQ(Pixel(l, 5, 2 * r + 1), FontGradTbl[r]) << r;
    }

    // Bold takes the gradient too; the shadow stays flat.
    plat::Surface* b = Canvas();
    FONT_SetFont(-1, FONT_STYLE_SHADOW_BOLD, 0);
    TXT_DrawText(b, 1, 0, "D");
    for (int r = 0; r < 10; ++r) {
        EXPECT_EQ(Pixel(b, 4, r), FontGradTbl[r]) << r;
        EXPECT_EQ(Pixel(b, 5, r), FontGradTbl[r]) << r;
    }
    EXPECT_EQ(Pixel(b, 5, 10), kShadow);

    // Flat again once the colours match.
    FONT_SetColor(0x0300, 0x0300, -1);
    plat::Surface* f = Canvas();
    FONT_SetStyle(0);
    TXT_DrawText(f, 0, 0, "D");
    EXPECT_EQ(Pixel(f, 3, 5), 0x0300);
}

TEST_F(TextDraw, Big5PairsTakeTheirSlotsAndAdvance) {
    Use(Probes10());
    plat::Surface* s = Canvas(80, 16);
    // Slot 480, slot 65, an invalid pair (slot 0, still two bytes), then 0xCA 0x40 as two single bytes.
    TXT_DrawText(s, 0, 0, "%s", "\xA4\x40\xA1\xA1\xA4\x30\xCA\x40");
    EXPECT_EQ(Pixel(s, 0, 2), kFace);   // slot 480 at x
    EXPECT_EQ(Pixel(s, 10, 1), kFace);  // slot 65 at x + 10
    EXPECT_EQ(Pixel(s, 20, 0), kFace);  // slot 0 at x + 20
    EXPECT_EQ(Pixel(s, 35, 3), kFace);  // '@' after a half cell for 0xCA
    EXPECT_EQ(Pixel(s, 30, 3), 0);

    plat::Surface* l = Canvas(120, 24);
    FONT_SetLarge(1);
    TXT_DrawText(l, 0, 0, "\xA1\xA1" "A" "\xA1\xA1");
    // Wide cells advance 20, narrow ones 10 at large size: slot 65's bit 13 is outside the window, so
    // mark the narrow 'A' (bit 5 of row 3 at columns 0-1 of its cell).
    EXPECT_EQ(Pixel(l, 20, 6), kFace);
    EXPECT_EQ(Pixel(l, 18, 6), 0);
}

TEST_F(TextDraw, TextEndsAtItsTerminator) {
    Use(Probes10());
    plat::Surface* s = Canvas();
    // A lead byte just before the terminator ends the text; a code without a glyph draws nothing but
    // still advances.
    TXT_DrawText(s, 0, 0, "\x01" "@\xA4");
    EXPECT_EQ(Snap(s, 0, 3, 16, 4), (Rows{".....F.........."}));
    TXT_DrawText(s, 0, 20, "\xA4");
    EXPECT_EQ(Snap(s, 0, 20, 16, 30), (Rows(10, std::string(16, '.'))));
}

TEST_F(TextDraw, PercentSignsComeFromTheFormatOnly) {
    FntBuilder f(10, 10, 1);
    f.NarrowRow('7', 0, 1 << 6).NarrowRow('%', 1, 1 << 6).NarrowRow('d', 2, 1 << 6);
    Use(f);
    plat::Surface* s = Canvas();
    TXT_DrawText(s, 0, 0, "%d%%%s", 7, "%d");
    EXPECT_EQ(Pixel(s, 0, 0), kFace);
    EXPECT_EQ(Pixel(s, 5, 1), kFace);
    EXPECT_EQ(Pixel(s, 10, 1), kFace);
    EXPECT_EQ(Pixel(s, 15, 2), kFace);
    // Text past the buffer is cut, not written beyond it.
    const std::string lots(TXT_BUFFER_SIZE * 2, '7');
    EXPECT_EQ(TXT_DrawText(s, 0, 0, "%s", lots.c_str()), 1);
}

TEST_F(TextDraw, LockedSurfacesAndTheCallerLockedVariant) {
    Use(Probes10());
    plat::Surface* s = Canvas();
    plat::SurfaceDesc desc{};
    ASSERT_EQ(SURF_Lock(s, &desc), plat::kSurfOk);
    EXPECT_EQ(TXT_DrawText(s, 0, 0, "C"), 0);  // cannot lock: nothing drawn
    EXPECT_EQ(TXT_DrawText2(&desc, 0, 0, "%c", 'C'), 1);
    SURF_Unlock(s);
    EXPECT_EQ(Pixel(s, 3, 0), kFace);
    EXPECT_EQ(TXT_DrawText(nullptr, 0, 0, "C"), 0);

    // Only 16-bit pixels are drawn into.
    plat::SurfaceDesc eight{};
    plat::Surface* t = Canvas();
    ASSERT_EQ(SURF_Lock(t, &eight), plat::kSurfOk);
    eight.bitCount = 8;
    EXPECT_EQ(TXT_DrawText2(&eight, 0, 0, "C"), 1);
    SURF_Unlock(t);
    EXPECT_EQ(Pixel(t, 3, 0), 0);
}

// Every style and size: a glyph drawn across the clip edges shows exactly the unclipped pixels that
// lie inside, and nothing moves.
TEST_F(TextDraw, ClippingCutsWithoutShifting) {
    FntBuilder f(10, 10, 481);
    for (u32 r = 0; r < 10; ++r) {
        f.NarrowRow('X', r, 1u << (1 + r % 6) | 1u << 6);
        f.WideRow(480, r, 1u << (1 + r % 13) | 1u << 12);
    }
    Use(f);
    FONT_SetColor(0xF800, 0x001F, 0x0421);
    const RECT clips[] = {{23, 25, 640, 480}, {0, 0, 27, 29}, {21, 21, 26, 33}, {0, 0, 640, 480}};
    for (int style = 0; style <= 4; ++style) {
        for (int large = 0; large <= 1; ++large) {
            FONT_SetFont(-1, style, large);
            plat::Surface* whole = Canvas();
            DISP_SetClipRect(0, 0, 640, 480);
            TXT_DrawText(whole, 20, 20, "X\xA4\x40");
            for (const RECT& c : clips) {
                plat::Surface* cut = Canvas();
                DISP_SetClipRect(c.left, c.top, c.right - c.left, c.bottom - c.top);
                TXT_DrawText(cut, 20, 20, "X\xA4\x40");
                for (i32 y = 0; y < 48; ++y)
                    for (i32 x = 0; x < 64; ++x) {
                        const bool inside = x >= c.left && x < c.right && y >= c.top && y < c.bottom;
                        ASSERT_EQ(Pixel(cut, x, y), inside ? Pixel(whole, x, y) : 0)
                            << "style " << style << " large " << large << " at " << x << "," << y;
                    }
            }
            // The surface's own edges clip the same way.
            plat::Surface* edge = Canvas();
            DISP_SetClipRect(0, 0, 640, 480);
            TXT_DrawText(edge, -7, -9, "X\xA4\x40");
            for (i32 y = 0; y + 29 < 48; ++y)
                for (i32 x = 0; x + 27 < 64; ++x)
                    ASSERT_EQ(Pixel(edge, x, y), Pixel(whole, x + 27, y + 29))
                        << "style " << style << " large " << large << " at " << x << "," << y;
        }
    }
    DISP_SetClipRect(0, 0, 640, 480);
    // Far off positions draw nothing and do not overflow.
    plat::Surface* s = Canvas();
    TXT_DrawText(s, 0x7FFFFFF0, 0, "XXXX");
    for (int style = 0; style <= 4; ++style) {
        FONT_SetStyle(style);
        TXT_DrawText(s, 0x7FFFFFFF, 0x7FFFFFFF, "XX");
        TXT_DrawText(s, i32(0x80000000), i32(0x80000000), "XX");
    }
    TXT_DrawText(s, -0x7FFFFFF0, -0x7FFFFFF0, "XXXX");
    EXPECT_EQ(Snap(s, 0, 0, 64, 1), (Rows{std::string(64, '.')}));
}

TEST_F(TextDraw, TheLastGlyphOfTheBlockReadsThePadding) {
    // The block ends with a wide glyph whose last row is set: the 32-bit read of that row goes three
    // bytes past the block (the sanitizer checks the padding), and the padding adds no pixels.
    FntBuilder f(10, 10, 1);
    f.WideRow(0, 9, 0x3FFE);
    Use(f);
    plat::Surface* s = Canvas();
    TXT_DrawText(s, 0, 0, "\xA1\x40");
    EXPECT_EQ(Snap(s, 0, 9, 14, 10), (Rows{"FFFFFFFFFFFFF."}));
}

}  // namespace
