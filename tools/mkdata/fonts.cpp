// The game's bitmap fonts and debug glyph pictures, rasterised from a CJK font.
#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/encoding.h"
#include "tools/mkdata/glyphs.h"
#include "tools/mkdata/mkdata.h"
#include "tools/writers/byte_writer.h"
#include "tools/writers/fnt_writer.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/hud_writer.h"

namespace mkdata {

namespace {

// Face 1 of the collection has half-width Latin beside full-width ideographs, as the fonts' narrow
// and wide cells are.
constexpr int kMonoFace = 1;

std::u32string PrintableAscii() {
    std::u32string s;
    for (char32_t c = 33; c < 127; ++c) s.push_back(c);
    return s;
}

// The ink band of ideographs and kana decides where full-width glyphs sit in their cells.
const std::u32string kWideSample = U"一中國麻鬱龍品あアー、。「」";

// The first character of a UTF-8 text, or 0 when it is "?" (no mapping) or malformed.
char32_t FirstChar(const std::string& utf8) {
    if (utf8.empty() || utf8 == "?") return 0;
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    const size_t n = s[0] < 0x80 ? 1 : s[0] >= 0xF0 ? 4 : s[0] >= 0xE0 ? 3 : s[0] >= 0xC0 ? 2 : 0;
    if (n == 0 || n > utf8.size()) return 0;
    char32_t c = n == 1 ? s[0] : s[0] & (0x7F >> n);
    for (size_t i = 1; i < n; ++i) {
        if ((s[i] & 0xC0) != 0x80) return 0;
        c = (c << 6) | (s[i] & 0x3F);
    }
    return c;
}

// The character of every wide slot, 0 where the slot holds none.
std::vector<char32_t> WideSlotChars() {
    std::vector<char32_t> chars(kWideSlots, 0);
    for (u32 slot = 0; slot < kWideSlots; ++slot) {
        const u16 code = Big5OfSlot(slot);
        if (code == 0) continue;
        const char pair[2] = {char(code >> 8), char(code & 0xFF)};
        chars[slot] = FirstChar(plat::Big5ToUtf8(std::string_view(pair, 2)));
    }
    return chars;
}

// The plain drawer shows `window` columns of a row and takes the bits past the row's own bytes from
// the row below, so ink in a row's lowest bits would show again at the left of the row above: the
// ink starts above those bits (and above bit 0, which is never drawn).
int LowestBit(int window, int rowBytes) { return std::max(1, window - 8 * rowBytes + 1); }

// Column x of a cell G pixels wide is bit (G - 1 - x + lowest) of its row.
u32 RowBits(const Cell& cell, int y, int lowest) {
    u32 bits = 0;
    for (int x = 0; x < cell.width; ++x)
        if (cell.At(x, y)) bits |= 1u << (cell.width - 1 - x + lowest);
    return bits;
}

struct FontResult {
    bool ok = false;
    std::string error;
    u32 drawn = 0;    // wide slots with a glyph
    u32 missing = 0;  // wide slots with a character the font cannot draw
};

void BuildOneFont(const std::string& path, const std::string& fontFile, int size, const std::vector<char32_t>& chars,
                  FontResult* result) {
    GlyphRaster narrow;
    GlyphRaster wide;
    if (!narrow.Open(fontFile, kMonoFace, &result->error) || !wide.Open(fontFile, kMonoFace, &result->error)) return;
    const int half = size >> 1;
    if (!narrow.Fit(PrintableAscii(), half, size, 2) || !wide.Fit(kWideSample, size, size, 1)) {
        result->error = fontFile + ": no size fits a " + std::to_string(size) + "-pixel cell";
        return;
    }
    tools::FntBuilder font{u16(size), u16(size), kWideSlots};
    const int narrowLow = LowestBit(half + 1, (half + 7) >> 3), wideLow = LowestBit(size + 3, (size + 7) >> 3);
    Cell cell;
    for (u32 code = 32; code < 127; ++code) {
        if (!narrow.Render(char32_t(code), &cell)) continue;
        for (int y = 0; y < size; ++y) font.NarrowRow(u8(code), u32(y), RowBits(cell, y, narrowLow));
    }
    for (u32 slot = 0; slot < kWideSlots; ++slot) {
        if (chars[slot] == 0) continue;
        if (!wide.Render(chars[slot], &cell)) {
            ++result->missing;
            continue;
        }
        for (int y = 0; y < size; ++y) font.WideRow(slot, u32(y), RowBits(cell, y, wideLow));
        ++result->drawn;
    }
    if (!tools::SaveFnt(path, font.Build())) {
        result->error = path + ": cannot write";
        return;
    }
    result->ok = true;
}

// The glyph of c in an 8×8 cell: digits drawn by hand (the HUD's 5×7 figures) in columns 1 to 5 from
// the top row, their foot on the letters' baseline, since rasterised into five rows the font's 7 and 2
// read as kana and the technique list numbers its rows with them; every other character from the raster.
bool GridGlyph(const GlyphRaster& raster, char32_t c, Cell* cell) {
    if (c < U'0' || c > U'9') return raster.Render(c, cell);
    cell->width = cell->height = 8;
    cell->ink.assign(64, 0);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 5; ++x)
            cell->ink[size_t(y * 8 + 1 + x)] = (tools::CapitalRows(char(c))[y] >> (4 - x)) & 1;
    return true;
}

// A glyph picture of 8×8 cells, `columns` a row, for the characters from `first` on: white ink
// (never 0, the transparent colour) in the left 7 columns of each cell, the 8th left clear so that
// glyphs placed 7 apart do not touch.
bool SaveGlyphGrid(const std::string& path, GlyphRaster& raster, u32 first, u32 last, u32 columns) {
    constexpr u16 kWhite = 0x7FFF;
    const u32 count = last - first + 1;
    tools::GrpImage image;
    image.bpp = 16;
    image.width = columns * 8;
    image.height = (count + columns - 1) / columns * 8;
    image.pixels.assign(size_t(image.width) * image.height * 2, 0);
    Cell cell;
    for (u32 n = 0; n < count; ++n) {
        if (!GridGlyph(raster, char32_t(first + n), &cell)) continue;
        const u32 cx = n % columns * 8;
        const u32 cy = n / columns * 8;
        for (int y = 0; y < cell.height; ++y) {
            for (int x = 0; x < cell.width; ++x) {
                if (!cell.At(x, y)) continue;
                const size_t at = (size_t(cy + u32(y)) * image.width + cx + u32(x)) * 2;
                image.pixels[at] = u8(kWhite);
                image.pixels[at + 1] = u8(kWhite >> 8);
            }
        }
    }
    return tools::SaveGrp(path, image, true);
}

}  // namespace

u16 Big5OfSlot(u32 slot) {
    if (slot >= kWideSlots) return 0;
    const u32 lead = 0xA1 + slot / 160;
    const u32 index = slot % 160;
    const u32 trail = index < 64 ? 0x40 + index : 0x60 + index;
    if (trail == 0x7F || trail == 0xA0 || trail == 0xFF) return 0;
    return u16(lead << 8 | trail);
}

bool BuildFonts(const std::string& dataDir, const std::string& fontFile, std::string* error) {
    const std::vector<char32_t> chars = WideSlotChars();
    FontResult small;
    FontResult large;
    std::thread other(BuildOneFont, dataDir + "/Dat/Fnt14x14.fnt", fontFile, 14, std::cref(chars), &large);
    BuildOneFont(dataDir + "/Dat/Fnt10x10.fnt", fontFile, 10, chars, &small);
    other.join();
    for (const FontResult* r : {&small, &large}) {
        if (!r->ok) {
            *error = r->error;
            return false;
        }
    }
    std::printf("korvane_mkdata: %u of %u wide slots drawn, %u characters missing from the font\n", small.drawn,
                kWideSlots, small.missing);
    return true;
}

bool BuildDebugGlyphs(const std::string& dataDir, const std::string& fontFile, std::string* error) {
    GlyphRaster raster;
    if (!raster.Open(fontFile, kMonoFace, error)) return false;
    if (!raster.Fit(PrintableAscii(), 7, 8, 2)) {
        *error = fontFile + ": no size fits an 8-pixel cell";
        return false;
    }
    for (const auto& [path, first, columns] : {std::tuple{dataDir + "/dfont.grp", 32u, 16u},
                                               std::tuple{dataDir + "/Bmp/DebugEft.grp", 33u, 95u}}) {
        if (!SaveGlyphGrid(path, raster, first, 127, columns)) {
            *error = path + ": cannot write";
            return false;
        }
    }
    return true;
}

}  // namespace mkdata
