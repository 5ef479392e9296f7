#include "tools/mkdata/glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

namespace mkdata {

bool Cell::Blank() const {
    return std::none_of(ink.begin(), ink.end(), [](u8 v) { return v != 0; });
}

struct GlyphRaster::Impl {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    ~Impl() {
        if (face) FT_Done_Face(face);
        if (lib) FT_Done_FreeType(lib);
    }
};

namespace {

// Hinted one-bit outlines: the auto-hinter keeps strokes whole at 10 to 14 pixels, where the font's
// own hints and its embedded strikes (other sizes, other baselines) do worse.
constexpr FT_Int32 kLoadFlags =
    FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME | FT_LOAD_FORCE_AUTOHINT | FT_LOAD_NO_BITMAP;

bool Ink(const FT_Bitmap& b, unsigned x, unsigned y) {
    const unsigned char* row = b.buffer + ptrdiff_t(y) * b.pitch;
    if (b.pixel_mode == FT_PIXEL_MODE_MONO) return (row[x >> 3] >> (7 - (x & 7))) & 1;
    return b.pixel_mode == FT_PIXEL_MODE_GRAY && row[x] >= 128;
}

}  // namespace

GlyphRaster::GlyphRaster() : impl_(std::make_unique<Impl>()) {}
GlyphRaster::~GlyphRaster() = default;

bool GlyphRaster::Open(const std::string& path, int faceIndex, std::string* error) {
    FT_Error e = FT_Init_FreeType(&impl_->lib);
    if (e == 0) e = FT_New_Face(impl_->lib, path.c_str(), faceIndex, &impl_->face);
    if (e != 0) {
        if (error) *error = path + ": cannot open face " + std::to_string(faceIndex) + " (FreeType error " + std::to_string(e) + ")";
        return false;
    }
    return true;
}

bool GlyphRaster::SetEm(int emW, int emH) const {
    return FT_Set_Pixel_Sizes(impl_->face, FT_UInt(emW), FT_UInt(emH)) == 0;
}

bool GlyphRaster::Has(char32_t c) const { return FT_Get_Char_Index(impl_->face, FT_ULong(c)) != 0; }

void GlyphRaster::InkBand(const std::u32string& sample, int* above, int* below) const {
    *above = 0;
    *below = 0;
    for (char32_t c : sample) {
        const FT_UInt index = FT_Get_Char_Index(impl_->face, FT_ULong(c));
        if (index == 0 || FT_Load_Glyph(impl_->face, index, kLoadFlags) != 0) continue;
        const FT_GlyphSlot g = impl_->face->glyph;
        if (g->bitmap.rows == 0) continue;
        *above = std::max(*above, g->bitmap_top);
        *below = std::max(*below, int(g->bitmap.rows) - g->bitmap_top);
    }
}

bool GlyphRaster::Fit(const std::u32string& sample, int cellW, int cellH, int widthRatio) {
    cellW_ = cellW;
    cellH_ = cellH;
    for (int emH = cellH + cellH / 2; emH >= 4; --emH) {
        if (!SetEm(cellW * widthRatio, emH)) return false;
        int above = 0;
        int below = 0;
        InkBand(sample, &above, &below);
        if (above + below <= cellH) {
            baseline_ = above + (cellH - above - below) / 2;
            return true;
        }
    }
    return false;
}

bool GlyphRaster::Render(char32_t c, Cell* cell) const {
    cell->width = cellW_;
    cell->height = cellH_;
    cell->ink.assign(size_t(cellW_) * size_t(cellH_), 0);
    const FT_UInt index = FT_Get_Char_Index(impl_->face, FT_ULong(c));
    if (index == 0 || FT_Load_Glyph(impl_->face, index, kLoadFlags) != 0) return false;
    const FT_GlyphSlot g = impl_->face->glyph;
    const FT_Bitmap& b = g->bitmap;
    const int w = int(b.width);
    const int h = int(b.rows);
    // Ink that would stick out of the cell moves in; only ink larger than the cell is cut.
    const int left = std::max(0, std::min(g->bitmap_left, cellW_ - w));
    const int top = std::max(0, std::min(baseline_ - g->bitmap_top, cellH_ - h));
    for (int y = 0; y < h && top + y < cellH_; ++y)
        for (int x = 0; x < w && left + x < cellW_; ++x)
            if (Ink(b, unsigned(x), unsigned(y))) cell->ink[size_t(top + y) * size_t(cellW_) + size_t(left + x)] = 1;
    return true;
}

}  // namespace mkdata
