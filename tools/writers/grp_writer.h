// ".grp" pictures for tests and sample data: the 13-byte header, then the body raw or as one LZ stream.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace tools {

struct GrpImage {
    u16 bpp = 16;  // 8, 16 (555) or 24 (blue, green, red)
    u32 width = 0;
    u32 height = 0;
    std::vector<u8> pixels;   // rows top-down, no padding
    std::vector<u8> palette;  // 8 bits: 256 × red, green, blue (zero-padded to 768 bytes)
};

// The whole file; variant '2' compresses the body, any other variant byte stores it raw.
std::vector<u8> GrpBytes(const GrpImage& image, bool compressed);
bool SaveGrp(const std::string& path, const GrpImage& image, bool compressed);
// A 16-bit picture whose every pixel comes from pixel(x, y).
GrpImage Grp16(u32 width, u32 height, const std::function<u16(u32 x, u32 y)>& pixel);

}  // namespace tools
