// A 16-bit (555) picture the sample data parts draw into and save as ".grp" (0 is the colour key).
#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "platform/types.h"
#include "tools/mkdata/canvas.h"

namespace mkdata {

struct Picture {
    u32 w, h;
    std::vector<u16> px;
    Picture(u32 width, u32 height, u16 fill = 0) : w(width), h(height), px(size_t(width) * height, fill) {}
    void Rect(int x0, int y0, int x1, int y1, u16 c) {
        for (int y = std::max(0, y0); y < std::min(int(h), y1); y++)
            for (int x = std::max(0, x0); x < std::min(int(w), x1); x++) px[size_t(y) * w + size_t(x)] = c;
    }
    // Every pixel from colour(x, y).
    template <typename Colour>
    Picture& Fill(Colour colour) {
        for (u32 y = 0; y < h; y++)
            for (u32 x = 0; x < w; x++) px[size_t(y) * w + x] = colour(x, y);
        return *this;
    }
    // A blocky digit 0..9 in a 3×5 grid of cells.
    void Digit(int x, int y, int cell, int d, u16 c) {
        static const char* const kFont[10] = {"111101101101111", "010110010010111", "111001111100111",
                                              "111001111001111", "101101111001001", "111100111001111",
                                              "111100111101111", "111001001001001", "111101111101111",
                                              "111101111001111"};
        for (int r = 0; r < 5; r++)
            for (int col = 0; col < 3; col++)
                if (kFont[d][r * 3 + col] == '1') Rect(x + col * cell, y + r * cell, x + (col + 1) * cell, y + (r + 1) * cell, c);
    }
    bool Save(const std::string& path) const { return SavePixels(path, w, h, px); }
};

}  // namespace mkdata
