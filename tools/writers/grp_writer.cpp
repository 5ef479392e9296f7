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

}  // namespace tools
