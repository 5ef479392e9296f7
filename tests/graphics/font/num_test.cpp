#include <climits>
#include <vector>

#include "font_support.h"
#include "graphics/sprite/spr.h"

namespace {

using fonttest::FontFixture;
using fonttest::Pixel;

constexpr i32 kCw = 4, kCh = 3, kX0 = 2, kY0 = 1;

// A 16-bit colour of the display from a 555 picture colour.
u16 To565(u16 v) { return u16(((v & 0x7FE0) << 1) | (v & 0x1F)); }

class DigitStrip : public FontFixture {
protected:
    void SetUp() override {
        FontFixture::SetUp();
        src_ = Strip(100);
        TXT_SetNumStrip(0, &src_, 1, kX0, kY0, kCw, kCh);
        TXT_SetNumStrip(1, &src_, 0, kX0, kY0, kCw, kCh);
        dst_ = Canvas(200, 8);
    }
    // 30 cells from (kX0, kY0), cell n solid in base + n.
    plat::Surface* Strip(u16 base) {
        plat::Surface* s = Canvas(kX0 + 30 * kCw + 2, kY0 + kCh + 1);
        for (int n = 0; n < 30; ++n) {
            const RECT r{kX0 + n * kCw, kY0, kX0 + (n + 1) * kCw, kY0 + kCh};
            SURF_Fill(s, &r, u16(base + n));
        }
        SURF_SetColorKey(s, 0);
        return s;
    }
    // The cell shown at each cell position from x (-1 where nothing was drawn).
    std::vector<int> Cells(i32 x, int count, u16 base = 100) {
        std::vector<int> cells;
        for (int i = 0; i < count; ++i) {
            const u16 v = Pixel(dst_, x + i * kCw + 1, 3);
            cells.push_back(v == 0 ? -1 : v - base);
        }
        return cells;
    }
    void Clear() { SURF_Fill(dst_, nullptr, 0); }

    plat::Surface* src_ = nullptr;
    plat::Surface* dst_ = nullptr;
};

TEST_F(DigitStrip, AdvanceModes) {
    using V = std::vector<int>;
    // Zero shows as one digit: at the end of a fixed field, or closed up.
    EXPECT_EQ(TXT_DrawNum(dst_, 10, 2, 1, 0, 4, 0, -1, 1, 1), 10 + 4 * kCw);
    EXPECT_EQ(Cells(10, 5), (V{-1, -1, -1, 0, -1}));
    Clear();
    EXPECT_EQ(TXT_DrawNum(dst_, 10, 2, 1, 0, 4, 0, -1, 0, 1), 10 + kCw);
    EXPECT_EQ(Cells(10, 2), (V{0, -1}));
    Clear();
    EXPECT_EQ(TXT_DrawNum(dst_, 10, 2, 1, 1234, 4, 0, -1, 0, 1), 10 + 4 * kCw);
    EXPECT_EQ(Cells(10, 5), (V{1, 2, 3, 4, -1}));
    Clear();
    EXPECT_EQ(TXT_DrawNum(dst_, 10, 2, 1, 56, 4, 0, -1, 1, 1), 10 + 4 * kCw);
    EXPECT_EQ(Cells(10, 4), (V{-1, -1, 5, 6}));
    Clear();
    // Inner zeros are digits once one was drawn.
    EXPECT_EQ(TXT_DrawNum(dst_, 10, 2, 1, 3007, 6, 0, -1, 0, 1), 10 + 4 * kCw);
    EXPECT_EQ(Cells(10, 4), (V{3, 0, 0, 7}));
    Clear();
    // Any other mode stays put: every digit lands on x and the last one shows.
    EXPECT_EQ(TXT_DrawNum(dst_, 10, 2, 1, 1234, 4, 0, -1, 2, 1), 10);
    EXPECT_EQ(Cells(10, 2), (V{4, -1}));
    Clear();
    // A count of 0 or less means one digit; negatives draw their magnitude.
    EXPECT_EQ(TXT_DrawNum(dst_, 10, 2, 1, 8, 0, 0, -1, 0, 1), 10 + kCw);
    EXPECT_EQ(TXT_DrawNum(dst_, 30, 2, 1, -78, -3, 0, -1, 1, 1), 30 + kCw);  // one position: 78 / 1 is off the strip
    EXPECT_EQ(TXT_DrawNum(dst_, 50, 2, 1, -78, 2, 0, -1, 0, 1), 50 + 2 * kCw);
    EXPECT_EQ(Cells(10, 1), (V{8}));
    EXPECT_EQ(Cells(30, 1), (V{-1}));
    EXPECT_EQ(Cells(50, 2), (V{7, 8}));
}

TEST_F(DigitStrip, AlternateSetsBySign) {
    using V = std::vector<int>;
    EXPECT_EQ(TXT_GetNumStrip(0), 1);
    EXPECT_EQ(TXT_GetNumStrip(1), 0);
    TXT_DrawNum(dst_, 0, 2, 0, 42, 2, 1, -1, 0, 1);
    TXT_DrawNum(dst_, 20, 2, 0, -42, 2, 1, -1, 0, 1);
    TXT_DrawNum(dst_, 40, 2, 0, 0, 2, 1, -1, 0, 1);
    TXT_DrawNum(dst_, 60, 2, 0, 42, 2, 0, -1, 0, 1);   // not asked for
    TXT_DrawNum(dst_, 80, 2, 1, -42, 2, 1, -1, 0, 1);  // the strip has none
    EXPECT_EQ(Cells(0, 2), (V{14, 12}));
    EXPECT_EQ(Cells(20, 2), (V{24, 22}));
    EXPECT_EQ(Cells(40, 2), (V{0, -1}));
    EXPECT_EQ(Cells(60, 2), (V{4, 2}));
    EXPECT_EQ(Cells(80, 2), (V{4, 2}));
}

TEST_F(DigitStrip, WideValuesAndCountsStayIn64Bits) {
    using V = std::vector<int>;
    EXPECT_EQ(TXT_DrawNum(dst_, 0, 2, 1, INT_MIN, 10, 0, -1, 0, 1), 10 * kCw);
    EXPECT_EQ(Cells(0, 10), (V{2, 1, 4, 7, 4, 8, 3, 6, 4, 8}));
    Clear();
    EXPECT_EQ(TXT_DrawNum(dst_, 0, 2, 1, INT_MAX, 12, 0, -1, 1, 1), 12 * kCw);
    EXPECT_EQ(Cells(0, 12), (V{-1, -1, 2, 1, 4, 7, 4, 8, 3, 6, 4, 7}));
    Clear();
    // Counts above 18 are held at 18.
    EXPECT_EQ(TXT_DrawNum(dst_, 0, 2, 1, 7, 40, 0, -1, 1, 1), 18 * kCw);
    EXPECT_EQ(Cells(16, 1)[0], -1);
    EXPECT_EQ(Pixel(dst_, 17 * kCw + 1, 3), 107);
}

TEST_F(DigitStrip, TheSourceIsReadAtEveryDraw) {
    using V = std::vector<int>;
    TXT_DrawNum(dst_, 0, 2, 1, 5, 1, 0, -1, 0, 1);
    plat::Surface* second = Strip(200);
    src_ = second;  // as when a display change re-creates the slot's surface
    TXT_DrawNum(dst_, 20, 2, 1, 5, 1, 0, -1, 0, 1);
    EXPECT_EQ(Cells(0, 1), (V{5}));
    EXPECT_EQ(Cells(20, 1, 200), (V{5}));
    src_ = nullptr;  // a released slot draws nothing, the number still takes its place
    EXPECT_EQ(TXT_DrawNum(dst_, 40, 2, 1, 5, 1, 0, -1, 0, 1), 40 + kCw);
    EXPECT_EQ(Cells(40, 1), (V{-1}));
    TXT_SetNumStrip(2, nullptr, 0, 0, 0, kCw, kCh);
    EXPECT_EQ(TXT_DrawNum(dst_, 60, 2, 2, 5, 1, 0, -1, 0, 1), 60 + kCw);
    // Strips outside the table do nothing.
    EXPECT_EQ(TXT_DrawNum(dst_, 80, 2, NUM_STRIP_MAX, 5, 1, 0, -1, 0, 1), 80);
    EXPECT_EQ(TXT_DrawNum(dst_, 80, 2, -1, 5, 1, 0, -1, 0, 1), 80);
    TXT_SetNumStrip(-1, &src_, 1, 0, 0, 1, 1);
    EXPECT_EQ(TXT_GetNumStrip(NUM_STRIP_MAX), 0);
}

TEST_F(DigitStrip, ColourKeyAndSignCells) {
    using V = std::vector<int>;
    // A hole in cell 3 shows the destination only with the key on.
    plat::SurfaceDesc d{};
    ASSERT_EQ(SURF_Lock(src_, &d), plat::kSurfOk);
    reinterpret_cast<u16*>(static_cast<u8*>(d.pixels) + (kY0 + 1) * d.pitch)[kX0 + 3 * kCw + 1] = 0;
    SURF_Unlock(src_);
    SURF_Fill(dst_, nullptr, 0x5555);
    TXT_DrawNum(dst_, 0, 2, 1, 3, 1, 0, -1, 0, 1);
    TXT_DrawNum(dst_, 10, 2, 1, 3, 1, 0, -1, 0, 0);
    EXPECT_EQ(Pixel(dst_, 1, 3), 0x5555);
    EXPECT_EQ(Pixel(dst_, 11, 3), 0);
    EXPECT_EQ(Pixel(dst_, 2, 3), 103);
    Clear();

    // A sign cell (20 for positive, 21 for negative values) goes first when a sign mode is given.
    EXPECT_EQ(TXT_DrawNum(dst_, 0, 2, 1, -5, 1, 0, 0, 0, 1), 2 * kCw);
    EXPECT_EQ(TXT_DrawNum(dst_, 20, 2, 1, 5, 1, 0, 1, 0, 1), 20 + 2 * kCw);
    EXPECT_EQ(TXT_DrawNum(dst_, 40, 2, 1, 0, 1, 0, 0, 0, 1), 40 + kCw);
    EXPECT_EQ(Cells(0, 2), (V{21, 5}));
    EXPECT_EQ(Cells(20, 2), (V{20, 5}));
    EXPECT_EQ(Cells(40, 2), (V{0, -1}));
}

using DebugFont = FontFixture;

TEST_F(DebugFont, CellsOfTheDebugImageByCode) {
    dir_.Write("dfont.grp", tools::DebugGlyphGrp(16, 6));
    ASSERT_EQ(FONT_Init(), 1);
    ASSERT_GE(DebugFontSurf, 0);
    const int slot = DebugFontSurf;
    plat::Surface* s = Canvas(80, 16);
    TXT_DrawDebugText(s, 3, 2, "a\tb%c!", 0xB0);
    // 'a' is cell 65 (column 1, row 4 of the image), the tab draws nothing, 'b' is cell 66 at x + 16.
    const u16 a = To565(tools::DebugGlyphColor(65)), b = To565(tools::DebugGlyphColor(66));
    EXPECT_EQ(Pixel(s, 3, 2), a);
    EXPECT_EQ(Pixel(s, 10, 9), a);
    EXPECT_EQ(Pixel(s, 11, 5), 0);
    EXPECT_EQ(Pixel(s, 18, 5), 0);
    EXPECT_EQ(Pixel(s, 19, 2), b);
    EXPECT_EQ(Pixel(s, 26, 9), b);
    EXPECT_EQ(Pixel(s, 30, 5), 0);  // 0xB0 has no cell
    EXPECT_EQ(Pixel(s, 35, 5), To565(tools::DebugGlyphColor('!' - 32)));

    FONT_Release();
    EXPECT_EQ(DebugFontSurf, -1);
    EXPECT_EQ(SurfTbl[slot].useCount, 0);
    // Without the image nothing is drawn.
    plat::Surface* t = Canvas(80, 16);
    TXT_DrawDebugText(t, 3, 2, "ab");
    EXPECT_EQ(Pixel(t, 3, 2), 0);
}

}  // namespace
