// One-bit glyph cells rasterised with FreeType, fitted into the fixed cells of the game's fonts.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"

namespace mkdata {

// A cell of width × height pixels, row by row, 1 where the glyph is inked.
struct Cell {
    int width = 0;
    int height = 0;
    std::vector<u8> ink;
    bool At(int x, int y) const { return ink[size_t(y) * size_t(width) + size_t(x)] != 0; }
    bool Blank() const;
};

class GlyphRaster {
public:
    GlyphRaster();
    ~GlyphRaster();
    GlyphRaster(const GlyphRaster&) = delete;
    GlyphRaster& operator=(const GlyphRaster&) = delete;

    // Opens one face of a font file; the error names the file and FreeType's code.
    bool Open(const std::string& path, int faceIndex, std::string* error);

    // Fits the characters into cells of cellW × cellH: the em is cellW × widthRatio wide (1 for
    // full-width characters, 2 for half-width ones) and as tall as lets the union of the sample's ink
    // fit the cell's height; that ink band is centred vertically. Render uses this em and baseline.
    bool Fit(const std::u32string& sample, int cellW, int cellH, int widthRatio);

    bool Has(char32_t c) const;
    // The character in a cell at the fitted size, moved inside the cell where its ink would stick
    // out; false (blank cell) when the font has no glyph for it.
    bool Render(char32_t c, Cell* cell) const;

private:
    bool SetEm(int emW, int emH) const;
    // Ink rows above and below the baseline of the sample at the current em.
    void InkBand(const std::u32string& sample, int* above, int* below) const;

    struct Impl;
    std::unique_ptr<Impl> impl_;
    int cellW_ = 0;
    int cellH_ = 0;
    int baseline_ = 0;  // cell row of the baseline
};

}  // namespace mkdata
