// ".bmp" pictures for tests: 8, 16 (555) or 24-bit, rows stored bottom-up (or top-down) and padded
// to 4 bytes, with a colour table for 8 bits. Other depths, compressions and header sizes can be
// written too, for the readers' refusals.
#pragma once
#include <string>
#include <vector>

#include "platform/types.h"

namespace tools {

struct BmpImage {
    u16 bpp = 24;
    i32 width = 0;
    i32 height = 0;
    std::vector<u8> pixels;  // rows top-down, no padding (24 bits: blue, green, red)
    std::vector<u8> colors;  // 8 bits: entries of blue, green, red, reserved
    bool topDown = false;    // a negative height in the header
    u32 colorsUsed = 0;      // 0: the whole table for 8 bits
    u32 compression = 0;     // 3 (bit fields) writes the masks
    u32 masks[3] = {0x7C00, 0x03E0, 0x001F};
    u32 headerSize = 40;     // a larger header is zero past 40 bytes, but for the bit fields' masks
    std::vector<u8> body;    // when given: the pixel data as it stands (compressed rows), for pixels
};

std::vector<u8> BmpBytes(const BmpImage& image);
bool SaveBmp(const std::string& path, const BmpImage& image);

}  // namespace tools
