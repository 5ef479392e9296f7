#include "tools/mkdata/lettering.h"

#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "tools/mkdata/glyphs.h"

namespace mkdata {

namespace {

struct Rasters {
    GlyphRaster wide, narrow;
};

std::u32string Decode(const std::string& s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        const u8 b = u8(s[i]);
        const int n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
        char32_t c = n == 1 ? b : b & (0x7F >> n);
        for (int k = 1; k < n && i + size_t(k) < s.size(); ++k) c = c << 6 | (u8(s[i + size_t(k)]) & 0x3F);
        out.push_back(c);
        i += size_t(n);
    }
    return out;
}

// Fitted once per height, on fixed samples, so that every label of a height shares its baseline.
const Rasters* RastersFor(const std::string& fontFile, int height, std::string* error) {
    static std::mutex lock;
    static std::map<std::pair<std::string, int>, std::unique_ptr<Rasters>> cache;
    const std::lock_guard<std::mutex> hold(lock);
    auto& slot = cache[{fontFile, height}];
    if (slot) return slot.get();
    auto r = std::make_unique<Rasters>();
    std::u32string ascii;
    for (char32_t c = 33; c < 127; ++c) ascii.push_back(c);
    if (!r->wide.Open(fontFile, 1, error) || !r->narrow.Open(fontFile, 1, error)) return nullptr;
    if (!r->wide.Fit(U"一中國麻鬱龍品「」", height, height, 1) || !r->narrow.Fit(ascii, height / 2, height, 2)) {
        *error = fontFile + ": no size fits a " + std::to_string(height) + "-pixel line";
        return nullptr;
    }
    slot = std::move(r);
    return slot.get();
}

}  // namespace

bool Letter(const std::string& fontFile, const std::string& utf8, int height, Ink* ink, std::string* error) {
    const Rasters* r = RastersFor(fontFile, height, error);
    if (!r) return false;
    const std::u32string text = Decode(utf8);
    ink->height = height;
    ink->width = 0;
    for (char32_t c : text) ink->width += c < 0x80 ? height / 2 : height;
    ink->px.assign(size_t(ink->width) * size_t(height), 0);
    int x = 0;
    Cell cell;
    for (char32_t c : text) {
        (c < 0x80 ? r->narrow : r->wide).Render(c, &cell);
        for (int cy = 0; cy < cell.height; ++cy)
            for (int cx = 0; cx < cell.width; ++cx)
                if (cell.At(cx, cy)) ink->px[size_t(cy) * size_t(ink->width) + size_t(x + cx)] = 1;
        x += cell.width;
    }
    return true;
}

}  // namespace mkdata
