#include <cstring>

#include "font_support.h"
#include "platform/memory.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/lz_writer.h"

namespace {

using fonttest::FontFixture;
using tools::FntBuilder;

using FontLoad = FontFixture;

TEST_F(FontLoad, RowAndGlyphSizesFollowTheWidth) {
    u16 before[FONT_GRAD_ROWS];
    std::memcpy(before, FontGradTbl, sizeof before);
    ASSERT_EQ(Load(2, FntBuilder(10, 10, 481)), 1);
    const FONT_DATA& a = FontTbl[2];
    EXPECT_EQ(a.loaded, 1);
    EXPECT_EQ(a.width, 10);
    EXPECT_EQ(a.height, 10);
    EXPECT_EQ(a.narrowRow, 1);
    EXPECT_EQ(a.narrowSize, 10u);
    EXPECT_EQ(a.wideRow, 2);
    EXPECT_EQ(a.wideSize, 20u);
    EXPECT_EQ(a.narrowCount, 96u);
    EXPECT_EQ(a.wideCount, 481u);  // counted from the block's length

    ASSERT_EQ(Load(3, FntBuilder(14, 14, 2)), 1);
    const FONT_DATA& b = FontTbl[3];
    EXPECT_EQ(b.narrowRow, 1);
    EXPECT_EQ(b.narrowSize, 14u);
    EXPECT_EQ(b.wideRow, 2);
    EXPECT_EQ(b.wideSize, 28u);
    EXPECT_EQ(b.wideCount, 2u);

    // Loading neither selects the slot nor touches the gradient.
    EXPECT_EQ(FontCurrent, 0);
    EXPECT_EQ(std::memcmp(before, FontGradTbl, sizeof before), 0);
    // The largest supported cell loads.
    EXPECT_EQ(Load(4, FntBuilder(26, 30, 1)), 1);
}

TEST_F(FontLoad, BadFilesLeaveTheSlotEmpty) {
    ASSERT_EQ(Load(1, FntBuilder(10, 10, 1)), 1);
    std::vector<u8> bytes = FntBuilder(10, 10, 1).Build();
    bytes[0] = 'X';
    // A failed load still frees what the slot held.
    EXPECT_EQ(LoadBytes(1, bytes), 0);
    EXPECT_EQ(FontTbl[1].loaded, 0);
    EXPECT_EQ(FontTbl[1].glyphs, nullptr);

    EXPECT_EQ(FONT_LoadFont(1, dir_.File("missing.fnt").c_str()), 0);
    EXPECT_EQ(FONT_LoadFont(1, nullptr), 0);

    bytes = FntBuilder(10, 10, 4).Build();
    bytes.resize(7 + 6);  // the LZ stream's header ends early
    EXPECT_EQ(LoadBytes(1, bytes), 0);
    EXPECT_EQ(FontTbl[1].loaded, 0);

    EXPECT_EQ(LoadBytes(1, {'F', 'N', 'T', 10, 0}), 0);  // header cut short
    EXPECT_EQ(Load(-1, FntBuilder(10, 10, 1)), 0);
    EXPECT_EQ(Load(FONT_MAX, FntBuilder(10, 10, 1)), 0);
}

TEST_F(FontLoad, CellsTheDrawersCannotHoldAreRefused) {
    test::DebugCapture debug;
    const struct {
        u16 w, h;
    } refused[] = {{27, 10}, {10, 31}, {0, 10}, {10, 0}, {0xFFFF, 0xFFFF}};
    for (auto size : refused) {
        EXPECT_EQ(LoadBytes(5, FntBuilder::FntBytes(size.w, size.h, std::vector<u8>(64, 0))), 0)
            << size.w << "x" << size.h;
        EXPECT_EQ(FontTbl[5].loaded, 0);
    }
    EXPECT_TRUE(debug.Contains("not supported"));
}

// A glyph block stated far beyond any font's is refused before it is allocated.
TEST_F(FontLoad, HugeStatedBlocksAreRefused) {
    test::DebugCapture debug;
    const FntBuilder font(10, 10, 2);
    tools::LzTokenWriter lz;
    lz.Literals(font.block());
    lz.expandedSize = 0xFFFFFFF0u;
    tools::ByteWriter w;
    w.Text("FNT").U16(10).U16(10).Bytes(lz.Build());
    EXPECT_EQ(LoadBytes(6, w.bytes()), 0);
    EXPECT_EQ(FontTbl[6].loaded, 0);
    EXPECT_TRUE(debug.Contains("too large"));
}

TEST_F(FontLoad, ShortBlocksDrawMissingGlyphsBlank) {
    // 40 whole narrow glyphs and a cut one: codes from 72 on have no glyph in the block.
    std::vector<u8> block(40 * 10 + 3, 0xFF);
    ASSERT_EQ(LoadBytes(0, FntBuilder::FntBytes(10, 10, block)), 1);
    EXPECT_EQ(FontTbl[0].narrowCount, 40u);
    EXPECT_EQ(FontTbl[0].wideCount, 0u);
    const u8* inside = FONT_GetNarrowGlyph(32 + 39);
    EXPECT_EQ(inside, FontTbl[0].glyphs + 39 * 10);
    const u8* missing = FONT_GetNarrowGlyph(32 + 40);
    ASSERT_NE(missing, nullptr);
    for (int i = 0; i < 13; ++i) EXPECT_EQ(missing[i], 0);
    EXPECT_EQ(FONT_GetWideGlyph(0xA440)[0], 0);
    // The block is followed by zero bytes for the drawers' 32-bit row reads.
    for (u32 i = 0; i < FONT_BLOCK_PAD; ++i) EXPECT_EQ(FontTbl[0].glyphs[block.size() + i], 0);
}

TEST_F(FontLoad, InitReleasesFirstAndReportsTheDebugImage) {
    ASSERT_EQ(Load(7, FntBuilder(10, 10, 1)), 1);
    FONT_SetFont(7, 3, 1);
    EXPECT_EQ(FONT_Init(), 0);  // no "dfont.grp" here
    EXPECT_EQ(DebugFontSurf, -1);
    EXPECT_EQ(FontTbl[7].loaded, 0);
    EXPECT_EQ(FontCurrent, 0);
    EXPECT_EQ(FontStyle, 0);
    EXPECT_EQ(FontLarge, 0);
    EXPECT_EQ(FontTopColor, FONT_White());
    EXPECT_EQ(FontBottomColor, 1);
    EXPECT_EQ(FontShadowColor, 1);
    EXPECT_EQ(FontGradTbl[0], FONT_White());
    EXPECT_EQ(FontGradTbl[31], 1);
    EXPECT_EQ(FONT_White(), 0xFFFF);  // 565
}

TEST_F(FontLoad, SelectionAndSettings) {
    ASSERT_EQ(Load(0, FntBuilder(10, 10, 1)), 1);
    ASSERT_EQ(Load(2, FntBuilder(14, 14, 1)), 1);
    EXPECT_EQ(FONT_SelectFont(0), 1);
    EXPECT_EQ(FONT_SelectFont(5), 0);  // empty: the current font stays
    EXPECT_EQ(FONT_SelectFont(-1), 0);
    EXPECT_EQ(FONT_SelectFont(16), 0);
    EXPECT_EQ(FontCurrent, 0);

    // An empty slot still lets style and size through; negative arguments change nothing.
    EXPECT_EQ(FONT_SetFont(9, 4, 1), 1);
    EXPECT_EQ(FontCurrent, 0);
    EXPECT_EQ(FontStyle, 4);
    EXPECT_EQ(FontLarge, 1);
    FONT_SetFont(2, -1, -1);
    EXPECT_EQ(FontCurrent, 2);
    EXPECT_EQ(FontStyle, 4);
    EXPECT_EQ(FontLarge, 1);

    i32 w = 0, h = 0;
    FONT_GetCharSize(&w, &h);
    EXPECT_EQ(w, 14);
    EXPECT_EQ(h, 28);
    FONT_SetLarge(0);
    FONT_GetCharSize(&w, &h);
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 14);
    FONT_GetCharSize(nullptr, &h);
    FONT_GetCharSize(&w, nullptr);
    FONT_SetStyle(-3);
    EXPECT_EQ(FontStyle, -3);
}

TEST(FontGlyphs, WideSlotsOfBig5Pairs) {
    EXPECT_EQ(FONT_GetWideSlot(0xA440), 480u);
    EXPECT_EQ(FONT_GetWideSlot(0xA1A1), 65u);
    EXPECT_EQ(FONT_GetWideSlot(0xA140), 0u);
    EXPECT_EQ(FONT_GetWideSlot(0xA17E), 62u);
    EXPECT_EQ(FONT_GetWideSlot(0xA1FE), 158u);
    EXPECT_EQ(FONT_GetWideSlot(0xC940), 40u * 160);
    EXPECT_EQ(FONT_GetWideSlot(0xE2BF), 10495u);  // the last slot
    // Invalid pairs and slots past the table take slot 0.
    EXPECT_EQ(FONT_GetWideSlot(0xE2C0), 0u);
    EXPECT_EQ(FONT_GetWideSlot(0xF9FE), 0u);
    EXPECT_EQ(FONT_GetWideSlot(0xA430), 0u);
    EXPECT_EQ(FONT_GetWideSlot(0xA4FF), 0u);
    EXPECT_EQ(FONT_GetWideSlot(0xA040), 0u);
    EXPECT_EQ(FONT_GetWideSlot(0xFA40), 0u);
    EXPECT_EQ(FONT_GetWideSlot(0x4141), 0u);
}

TEST_F(FontLoad, GlyphAddressesInTheBlock) {
    ASSERT_EQ(Load(0, FntBuilder(10, 10, 481)), 1);
    FONT_SelectFont(0);
    const u8* block = FontTbl[0].glyphs;
    EXPECT_EQ(FONT_GetNarrowGlyph(' '), block);
    EXPECT_EQ(FONT_GetNarrowGlyph(127), block + 95 * 10);
    EXPECT_EQ(FONT_GetNarrowGlyph(31), nullptr);
    EXPECT_EQ(FONT_GetNarrowGlyph(128), nullptr);
    EXPECT_EQ(FONT_GetWideGlyph(0xA440), block + 960 + 480 * 20);
    EXPECT_EQ(FONT_GetWideGlyph(0xA430), block + 960);
    // Past the block's last wide glyph: blank, not the bytes after the block.
    const u8* past = FONT_GetWideGlyph(0xA441);
    ASSERT_NE(past, nullptr);
    EXPECT_TRUE(past < block || past >= block + FontTbl[0].blockSize);

    FONT_Release();
    EXPECT_EQ(FONT_GetNarrowGlyph('A'), nullptr);  // no font
    EXPECT_EQ(FONT_GetWideGlyph(0xA440), nullptr);
}

using FontColor = FontFixture;

TEST_F(FontColor, ZeroIsStoredAsOneAndNegativeKeeps) {
    FONT_SetColor(0x5555, 0x5555, 0x0101);
    EXPECT_EQ(FontTopColor, 0x5555);
    EXPECT_EQ(FontBottomColor, 0x5555);
    EXPECT_EQ(FontShadowColor, 0x0101);
    FONT_SetColor(0, -1, -1);
    EXPECT_EQ(FontTopColor, 1);
    EXPECT_EQ(FontBottomColor, 0x5555);
    EXPECT_EQ(FontShadowColor, 0x0101);
    FONT_SetColor(-1, 0, 0);
    EXPECT_EQ(FontTopColor, 1);
    EXPECT_EQ(FontBottomColor, 1);
    EXPECT_EQ(FontShadowColor, 1);
}

TEST_F(FontColor, GradientRowsInterpolateEachChannel) {
    ASSERT_EQ(Load(1, FntBuilder(10, 10, 1)), 1);
    for (u16& row : FontGradTbl) row = 0x7777;
    FONT_SelectFont(1);
    FONT_SetColor(0xFFFF, 0, -1);
    EXPECT_EQ(FontGradTbl[0], 0xFFFF);
    EXPECT_EQ(FontGradTbl[9], 1);
    // Widened: top (248, 252, 248), bottom (0, 0, 8); row i = top + (bottom - top) * i / 9, toward zero.
    // Row 1: (221, 224, 222) → (27, 56, 27); row 4: (138, 140, 142) → (17, 35, 17); row 8: (28, 28, 35).
    EXPECT_EQ(FontGradTbl[1], 27 << 11 | 56 << 5 | 27);
    EXPECT_EQ(FontGradTbl[4], 17 << 11 | 35 << 5 | 17);
    EXPECT_EQ(FontGradTbl[8], 3 << 11 | 7 << 5 | 4);
    EXPECT_EQ(FontGradTbl[10], 0x7777);  // rows below the font keep what they held

    // Equal arguments set the two end rows only.
    for (u16& row : FontGradTbl) row = 0x7777;
    FONT_SetColor(0x0842, 0x0842, -1);
    EXPECT_EQ(FontGradTbl[0], 0x0842);
    EXPECT_EQ(FontGradTbl[9], 0x0842);
    EXPECT_EQ(FontGradTbl[5], 0x7777);

    // Rising from dark to light as well; a keep argument differs from the other and rebuilds.
    FONT_SetColor(1, 0xFFFF, -1);
    EXPECT_EQ(FontGradTbl[1], 3 << 11 | 7 << 5 | 4);
    for (u16& row : FontGradTbl) row = 0x7777;
    FONT_SetColor(-1, 0x0842, -1);
    EXPECT_NE(FontGradTbl[4], 0x7777);
}

TEST_F(FontColor, SelectingAFontRebuildsForItsHeight) {
    ASSERT_EQ(Load(0, FntBuilder(10, 10, 1)), 1);
    ASSERT_EQ(Load(1, FntBuilder(14, 14, 1)), 1);
    FONT_SelectFont(0);
    FONT_SetColor(0xF800, 0x001F, -1);
    EXPECT_EQ(FontGradTbl[9], 0x001F);
    FONT_SelectFont(1);
    EXPECT_EQ(FontGradTbl[13], 0x001F);
    EXPECT_EQ(FontGradTbl[0], 0xF800);
    // Halfway down 13 rows: red 248 → 248 - 248 * 6 / 13, blue 0 → 248 * 6 / 13.
    EXPECT_EQ(FontGradTbl[6], (248 - 248 * 6 / 13) >> 3 << 11 | (248 * 6 / 13) >> 3);

    // Without a font the gradient spans all 32 rows.
    FONT_Release();
    FONT_SetColor(0xF800, 0x001F, -1);
    EXPECT_EQ(FontGradTbl[31], 0x001F);
}

TEST(FontColor555, ChannelsUseTheDisplayLayout) {
    test::HeadlessDisplay display(plat::PixelLayout::k555);
    ASSERT_TRUE(display.ok());
    FONT_Release();
    EXPECT_EQ(FONT_White(), 0x7FFF);
    FONT_SetColor(0x7C00, 0x03E0, -1);  // red to green over 31 rows
    const int r = 248 - 248 * 10 / 31, g = 248 * 10 / 31;
    EXPECT_EQ(FontGradTbl[10], (r >> 3) << 10 | (g >> 3) << 5);
    FONT_Release();
}

}  // namespace
