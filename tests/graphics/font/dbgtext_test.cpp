#include <string>

#include "font_support.h"
#include "graphics/font/dbgtext.h"
#include "graphics/sprite/spr.h"

namespace {

using fonttest::FontFixture;
using fonttest::Pixel;

constexpr u32 kCells = 64;  // '!' to '`'

class DebugOverlay : public FontFixture {
protected:
    void SetUp() override {
        FontFixture::SetUp();
        dir_.Write("Bmp/DebugEft.grp", tools::DebugGlyphGrp(kCells, 1));
    }
    void TearDown() override {
        DBG_TermText();
        DBG_TextDisp = 0;
        FontFixture::TearDown();
    }
    // Row y + 3 from x as one character per column: the character whose cell shows there, '.' for none.
    static std::string Row(plat::Surface* s, i32 x, i32 y, int width) {
        std::string out;
        for (i32 c = 0; c < width; ++c) {
            const u16 v = Pixel(s, x + c, y + 3);
            const u16 v555 = u16(((v >> 1) & 0x7FE0) | (v & 0x1F));
            out += v == 0 ? '.' : char('!' + v555 - 1);
        }
        return out;
    }
};

TEST_F(DebugOverlay, CellsSevenPixelsApart) {
    const int slot = DBG_InitText("Bmp\\DebugEft.bmp");
    ASSERT_GE(slot, 0);
    EXPECT_EQ(DBG_GlyphSurf, slot);
    EXPECT_EQ(DBG_TextDisp, 1);
    plat::Surface* s = Canvas(200, 20);
    DBG_DrawText(s, 5, 4, "%04d %04d", 12, 3456);
    // Nine positions over x .. x + 63; the right cell covers the shared column, the space is empty.
    EXPECT_EQ(Row(s, 5, 4, 66), "00000000000000111111122222222......33333334444444555555566666666..");
    EXPECT_EQ(Pixel(s, 5, 4), Pixel(s, 5, 11));  // full 8×8 cells
    EXPECT_EQ(Pixel(s, 5, 12), 0);
}

TEST_F(DebugOverlay, CharacterSelection) {
    ASSERT_GE(DBG_InitText("Bmp\\DebugEft.bmp"), 0);
    plat::Surface* s = Canvas(200, 20);
    // Lower case uses the upper-case cells; bytes below '!' (space, controls, 128 and up) and cells
    // past the image draw nothing but keep their place.
    DBG_DrawText(s, 0, 0, "az\x01" "A\xB0~Z");
    EXPECT_EQ(Row(s, 0, 0, 49), "AAAAAAAZZZZZZZZ......AAAAAAAA.............ZZZZZZZ");
}

TEST_F(DebugOverlay, SlotTextIsDrawnAsFormatted) {
    ASSERT_GE(DBG_InitText("Bmp\\DebugEft.bmp"), 0);
    const int target = SPR_CreateSurf(100, 10, 0);
    ASSERT_GE(target, 0);
    plat::Surface* s = SPR_GetSlotSurf(target);
    SURF_Fill(s, nullptr, 0);
    DBG_DrawTextSlot(target, 0, 0, "%s%d", "5%d", 1);
    EXPECT_EQ(Row(s, 0, 0, 32), "5555555%%%%%%%DDDDDDD11111111...");
    DBG_DrawTextSlot(SURF_SLOT_MAX, 0, 0, "X");  // no such slot
    SPR_DelSurfDat(target);

    // Text past the buffer is cut at 127 characters.
    plat::Surface* wide = Canvas(100, 10);
    DBG_DrawText(wide, -7 * 120, 0, "%s", std::string(300, '1').c_str());
    EXPECT_NE(Pixel(wide, 7 * 6 + 3, 3), 0);
    EXPECT_EQ(Pixel(wide, 7 * 7 + 3, 3), 0);
}

TEST_F(DebugOverlay, SwitchingAndLifetime) {
    const int slot = DBG_InitText("Bmp\\DebugEft.bmp");
    ASSERT_GE(slot, 0);
    EXPECT_EQ(DBG_InitText("Bmp\\Other.bmp"), slot);  // already loaded: nothing changes
    EXPECT_EQ(SurfTbl[slot].useCount, 1);

    plat::Surface* s = Canvas(40, 10);
    DBG_SetTextDisp(0);
    DBG_DrawText(s, 0, 0, "1");
    EXPECT_EQ(Pixel(s, 3, 3), 0);
    DBG_SetTextDisp(1);
    DBG_DrawText(s, 0, 0, "1");
    EXPECT_NE(Pixel(s, 3, 3), 0);

    DBG_TermText();
    EXPECT_EQ(DBG_GlyphSurf, -1);
    EXPECT_EQ(SurfTbl[slot].useCount, 0);
    EXPECT_EQ(DBG_TextDisp, 1);  // the flag is kept
    DBG_SetTextDisp(0);          // no slot: no effect
    EXPECT_EQ(DBG_TextDisp, 1);
    DBG_DrawText(s, 20, 0, "1");
    EXPECT_EQ(Pixel(s, 23, 3), 0);
    DBG_TermText();  // twice is harmless
}

TEST_F(DebugOverlay, MissingImageLeavesItOff) {
    EXPECT_EQ(DBG_InitText("Bmp\\Missing.bmp"), -1);
    EXPECT_EQ(DBG_GlyphSurf, -1);
    EXPECT_EQ(DBG_TextDisp, 0);
    DBG_SetTextDisp(1);
    EXPECT_EQ(DBG_TextDisp, 0);
    plat::Surface* s = Canvas(40, 10);
    DBG_DrawText(s, 0, 0, "1");
    EXPECT_EQ(Pixel(s, 3, 3), 0);
}

}  // namespace
