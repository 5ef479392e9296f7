// A 16-bit (555) drawing surface for the generated pictures, saved as a compressed ".grp".
#pragma once
#include <string>
#include <vector>

#include "platform/types.h"

namespace mkdata {

constexpr u16 Rgb(int r, int g, int b) { return u16((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)); }

// Rows of w pixels, saved as a compressed ".grp".
bool SavePixels(const std::string& path, u32 w, u32 h, const std::vector<u16>& px);

class Canvas {
public:
    Canvas(int w, int h) : w_(w), h_(h), px_(size_t(w) * size_t(h), 0) {}
    void Put(int x, int y, u16 c) {
        if (x >= 0 && y >= 0 && x < w_ && y < h_) px_[size_t(y) * size_t(w_) + size_t(x)] = c;
    }
    void Fill(int l, int t, int r, int b, u16 c) {
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x) Put(x, y, c);
    }
    void Frame(int l, int t, int r, int b, int width, u16 c) {
        Fill(l, t, r, t + width, c);
        Fill(l, b - width, r, b, c);
        Fill(l, t, l + width, b, c);
        Fill(r - width, t, r, b, c);
    }
    // A seven-segment digit 0..9 filling the box (x, y, w, h) with strokes `stroke` thick.
    void Digit(int x, int y, int w, int h, int stroke, int d, u16 colour);
    bool Save(const std::string& path) const;

private:
    int w_, h_;
    std::vector<u16> px_;
};

}  // namespace mkdata
