#include "tools/mkdata/canvas.h"

#include "tools/writers/grp_writer.h"

namespace mkdata {

void Canvas::Digit(int x, int y, int w, int h, int stroke, int d, u16 colour) {
    // Segments a b c d e f g.
    static constexpr u8 kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const u8 s = kSegments[d % 10];
    const int l = x, r = x + w, t = y, m = y + (h - stroke) / 2, b = y + h;
    if (s & 0x01) Fill(l, t, r, t + stroke, colour);
    if (s & 0x02) Fill(r - stroke, t, r, m + stroke, colour);
    if (s & 0x04) Fill(r - stroke, m, r, b, colour);
    if (s & 0x08) Fill(l, b - stroke, r, b, colour);
    if (s & 0x10) Fill(l, m, l + stroke, b, colour);
    if (s & 0x20) Fill(l, t, l + stroke, m + stroke, colour);
    if (s & 0x40) Fill(l, m, r, m + stroke, colour);
}

bool SavePixels(const std::string& path, u32 w, u32 h, const std::vector<u16>& px) {
    return tools::SaveGrp(path, tools::Grp16(w, h, [&](u32 x, u32 y) { return px[size_t(y) * w + x]; }), true);
}

bool Canvas::Save(const std::string& path) const { return SavePixels(path, u32(w_), u32(h_), px_); }

}  // namespace mkdata
