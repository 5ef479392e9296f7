// ".fnt" fonts: the reader, then a text of every single-byte glyph and a spread of Big5 characters
// laid out in every style at both sizes, half of it off the canvas's edges.
#include <string>

#include "fuzz/fuzz_support.h"
#include "graphics/display/surf.h"
#include "graphics/font/font.h"
#include "tools/writers/fnt_writer.h"

namespace {

std::string SampleText() {
    std::string text;
    for (int c = 32; c < 128; ++c) text += char(c);
    // Leads across the table, trails at both ends of both halves, an invalid pair and a lone lead.
    for (int lead : {0xA1, 0xA4, 0xB0, 0xC6, 0xC9})
        for (int trail : {0x40, 0x7E, 0xA1, 0xFE}) text += {char(lead), char(trail)};
    text += {char(0xA1), char(0x20), char(0xC9)};
    return text;
}

}  // namespace

fuzz::Seeds FuzzSeeds() {
    fuzz::Seeds seeds;
    for (auto [w, h] : {std::pair<u16, u16>{10, 10}, {14, 14}, {26, 30}, {1, 1}}) {
        tools::FntBuilder f(w, h, 200);
        for (u32 row = 0; row < h; ++row) {
            f.NarrowRow('A', row, 0x5u << (row % 3));
            f.WideRow(1, row, 0x3FFFFFFu >> (row % 7));
        }
        seeds.emplace_back("fnt" + std::to_string(w) + "x" + std::to_string(h), f.Build());
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const u8* data, size_t size) {
    fuzz::NeedDisplay();
    static plat::Surface* canvas = [] {
        FONT_Release();
        return fuzz::Canvas(160, 64);
    }();
    static const std::string text = SampleText();
    if (!FONT_LoadFont(0, fuzz::InputFile("in.fnt", data, size))) return 0;
    FONT_SelectFont(0);
    FONT_SetColor(0x1234, 0x7BEF, 0x0421);
    for (int large = 0; large < 2; ++large) {
        for (int style = FONT_STYLE_PLAIN; style <= FONT_STYLE_OUTLINE; ++style) {
            FONT_SetFont(0, style, large);
            TXT_DrawText(canvas, -5 - 40 * style, 2 + 6 * style, "%s", text.c_str());
        }
    }
    FONT_DelFont(0);
    return 0;
}
