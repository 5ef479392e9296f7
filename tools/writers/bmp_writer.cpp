#include "tools/writers/bmp_writer.h"

#include "tools/writers/byte_writer.h"

namespace tools {

std::vector<u8> BmpBytes(const BmpImage& image) {
    const u32 rowBytes = u32(image.width) * (image.bpp / 8);
    const u32 stride = ((u32(image.width) * image.bpp + 31) & ~31u) / 8;
    const u32 tableBytes = u32(image.colors.size() / 4 * 4);
    const u32 pixelsAt = 14 + 40 + tableBytes;
    const u32 fileSize = pixelsAt + stride * u32(image.height);
    ByteWriter w;
    w.Text("BM").U32(fileSize).U16(0).U16(0).U32(pixelsAt);
    w.U32(40).I32(image.width).I32(image.topDown ? -image.height : image.height).U16(1).U16(image.bpp);
    w.U32(0).U32(stride * u32(image.height)).U32(2835).U32(2835).U32(image.colorsUsed).U32(0);
    w.Bytes(image.colors.data(), tableBytes);
    for (i32 i = 0; i < image.height; ++i) {
        const i32 row = image.topDown ? i : image.height - 1 - i;
        w.Bytes(image.pixels.data() + size_t(row) * rowBytes, rowBytes).Zeros(stride - rowBytes);
    }
    return w.bytes();
}

bool SaveBmp(const std::string& path, const BmpImage& image) { return SaveFile(path, BmpBytes(image)); }

}  // namespace tools
