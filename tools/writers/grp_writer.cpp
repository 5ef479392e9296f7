#include "tools/writers/grp_writer.h"

#include "tools/writers/byte_writer.h"
#include "tools/writers/lz_writer.h"

namespace tools {

std::vector<u8> GrpBytes(const GrpImage& image, bool compressed) {
    std::vector<u8> body = image.pixels;
    if (image.bpp == 8) {
        std::vector<u8> palette = image.palette;
        palette.resize(768, 0);
        body.insert(body.end(), palette.begin(), palette.end());
    }
    ByteWriter w;
    w.Text("GR").U8(compressed ? '2' : '1').U16(image.bpp).U32(image.width).U32(image.height);
    w.Bytes(compressed ? LzCompress(body) : body);
    return w.bytes();
}

bool SaveGrp(const std::string& path, const GrpImage& image, bool compressed) {
    return SaveFile(path, GrpBytes(image, compressed));
}

GrpImage Grp16(u32 width, u32 height, const std::function<u16(u32 x, u32 y)>& pixel) {
    GrpImage img;
    img.width = width;
    img.height = height;
    img.pixels.reserve(std::size_t(width) * height * 2);
    for (u32 y = 0; y < height; ++y)
        for (u32 x = 0; x < width; ++x) {
            const u16 v = pixel(x, y);
            img.pixels.push_back(u8(v));
            img.pixels.push_back(u8(v >> 8));
        }
    return img;
}

}  // namespace tools
