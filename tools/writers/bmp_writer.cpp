#include "tools/writers/bmp_writer.h"

#include "tools/writers/byte_writer.h"

namespace tools {

std::vector<u8> BmpBytes(const BmpImage& image) {
    const u32 rowBytes = u32(image.width) * (image.bpp / 8);
    const u32 stride = ((u32(image.width) * image.bpp + 31) & ~31u) / 8;
    const bool fields = image.compression == 3;
    const bool fieldsInHeader = fields && image.headerSize >= 52;
    const u32 tableBytes = fields ? (fieldsInHeader ? 0 : 12) : u32(image.colors.size() / 4 * 4);
    const u32 pixelsAt = 14 + image.headerSize + tableBytes;
    const u32 bodyBytes = image.body.empty() ? stride * u32(image.height) : u32(image.body.size());
    ByteWriter w;
    w.Text("BM").U32(pixelsAt + bodyBytes).U16(0).U16(0).U32(pixelsAt);
    w.U32(image.headerSize).I32(image.width).I32(image.topDown ? -image.height : image.height).U16(1).U16(image.bpp);
    w.U32(image.compression).U32(bodyBytes).U32(2835).U32(2835).U32(image.colorsUsed).U32(0);
    if (image.headerSize > 40) {
        size_t rest = image.headerSize - 40;
        if (fieldsInHeader) {
            w.U32(image.masks[0]).U32(image.masks[1]).U32(image.masks[2]);
            rest -= 12;
        }
        w.Zeros(rest);
    }
    if (fields && !fieldsInHeader) w.U32(image.masks[0]).U32(image.masks[1]).U32(image.masks[2]);
    if (!fields) w.Bytes(image.colors.data(), tableBytes);
    if (!image.body.empty()) return w.Bytes(image.body).bytes();
    for (i32 i = 0; i < image.height; ++i) {
        const i32 row = image.topDown ? i : image.height - 1 - i;
        w.Bytes(image.pixels.data() + size_t(row) * rowBytes, rowBytes).Zeros(stride - rowBytes);
    }
    return w.bytes();
}

bool SaveBmp(const std::string& path, const BmpImage& image) { return SaveFile(path, BmpBytes(image)); }

}  // namespace tools
