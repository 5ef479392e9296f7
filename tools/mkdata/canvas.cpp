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

bool Canvas::Save(const std::string& path) const {
    tools::GrpImage img;
    img.width = u32(w_);
    img.height = u32(h_);
    img.pixels.resize(px_.size() * 2);
    for (size_t i = 0; i < px_.size(); ++i) {
        img.pixels[2 * i] = u8(px_[i]);
        img.pixels[2 * i + 1] = u8(px_[i] >> 8);
    }
    return tools::SaveGrp(path, img, true);
}

}  // namespace mkdata
