// Words for the generated pictures, rasterised from the CJK font file (face 1): full-width
// characters take a square cell of the line's height, half-width ones half of it.
#pragma once
#include <string>
#include <vector>

#include "platform/types.h"

namespace mkdata {

// One line of ink, 1 where a character is inked.
struct Ink {
    int width = 0;
    int height = 0;
    std::vector<u8> px;
    bool At(int x, int y) const { return px[size_t(y) * size_t(width) + size_t(x)] != 0; }
    // Calls put(x + ix, y + iy) for each inked pixel.
    template <typename Put>
    void Stamp(int x, int y, Put put) const {
        for (int iy = 0; iy < height; ++iy)
            for (int ix = 0; ix < width; ++ix)
                if (At(ix, iy)) put(x + ix, y + iy);
    }
    // With a one-pixel shadow down and right, so light words read on light art.
    template <typename Put>
    void StampShadowed(int x, int y, u16 ink, u16 shadow, Put put) const {
        Stamp(x + 1, y + 1, [&](int px_, int py) { put(px_, py, shadow); });
        Stamp(x, y, [&](int px_, int py) { put(px_, py, ink); });
    }
};

// The text (UTF-8) at a line height of `height` pixels; false with a message when the font cannot be
// opened or fits no size.
bool Letter(const std::string& fontFile, const std::string& utf8, int height, Ink* ink, std::string* error);

}  // namespace mkdata
