// ".fnt" fonts for tests and sample data: "FNT", u16 width, u16 height, then the glyph block as one LZ
// stream. The block is 96 narrow glyphs (codes 32..127) and then wide glyphs in wide-slot order, each
// glyph `height` rows of least-significant-bit-first row bytes.
#pragma once
#include <string>
#include <vector>

#include "platform/types.h"

namespace tools {

class FntBuilder {
public:
    // A block with room for wideSlots wide glyphs, all blank.
    FntBuilder(u16 width, u16 height, u32 wideSlots);

    u32 narrowRowBytes() const { return ((width_ >> 1) + 7) >> 3; }
    u32 wideRowBytes() const { return (width_ + 7) >> 3; }
    u32 narrowGlyphBytes() const { return narrowRowBytes() * height_; }
    u32 wideGlyphBytes() const { return wideRowBytes() * height_; }

    // Row bits as the file stores them (bit n of the row is bit n % 8 of byte n / 8).
    FntBuilder& NarrowRow(u8 code, u32 row, u32 bits);
    FntBuilder& WideRow(u32 slot, u32 row, u32 bits);

    std::vector<u8>& block() { return block_; }
    const std::vector<u8>& block() const { return block_; }
    std::vector<u8> Build() const { return FntBytes(width_, height_, block_); }

    static std::vector<u8> FntBytes(u16 width, u16 height, const std::vector<u8>& block);

private:
    void PutRow(size_t offset, u32 rowBytes, u32 bits);
    u16 width_;
    u16 height_;
    std::vector<u8> block_;
};

bool SaveFnt(const std::string& path, const std::vector<u8>& fileBytes);

// An 8×8 glyph image for the debug texts: `columns` × `rows` cells in a 16-bit (555) ".grp" picture,
// cell n (row by row) solid in DebugGlyphColor(n), never 0 (the transparent colour).
std::vector<u8> DebugGlyphGrp(u32 columns, u32 rows);
u16 DebugGlyphColor(u32 cell);

}  // namespace tools
