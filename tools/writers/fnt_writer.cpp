#include "tools/writers/fnt_writer.h"

#include "tools/writers/byte_writer.h"
#include "tools/writers/grp_writer.h"
#include "tools/writers/lz_writer.h"

namespace tools {

FntBuilder::FntBuilder(u16 width, u16 height, u32 wideSlots) : width_(width), height_(height) {
    block_.assign(size_t(96) * narrowGlyphBytes() + size_t(wideSlots) * wideGlyphBytes(), 0);
}

void FntBuilder::PutRow(size_t offset, u32 rowBytes, u32 bits) {
    for (u32 i = 0; i < rowBytes && offset + i < block_.size(); ++i) block_[offset + i] = u8(bits >> (8 * i));
}

FntBuilder& FntBuilder::NarrowRow(u8 code, u32 row, u32 bits) {
    PutRow(size_t(code - 32) * narrowGlyphBytes() + size_t(row) * narrowRowBytes(), narrowRowBytes(), bits);
    return *this;
}

FntBuilder& FntBuilder::WideRow(u32 slot, u32 row, u32 bits) {
    PutRow(size_t(96) * narrowGlyphBytes() + size_t(slot) * wideGlyphBytes() + size_t(row) * wideRowBytes(),
           wideRowBytes(), bits);
    return *this;
}

std::vector<u8> FntBuilder::FntBytes(u16 width, u16 height, const std::vector<u8>& block) {
    ByteWriter w;
    w.Text("FNT").U16(width).U16(height).Bytes(LzCompress(block));
    return w.bytes();
}

bool SaveFnt(const std::string& path, const std::vector<u8>& fileBytes) { return SaveFile(path, fileBytes); }

u16 DebugGlyphColor(u32 cell) { return u16(cell + 1); }

std::vector<u8> DebugGlyphGrp(u32 columns, u32 rows) {
    GrpImage image;
    image.bpp = 16;
    image.width = columns * 8;
    image.height = rows * 8;
    image.pixels.resize(size_t(image.width) * image.height * 2);
    for (u32 y = 0; y < image.height; ++y) {
        for (u32 x = 0; x < image.width; ++x) {
            const u16 c = DebugGlyphColor((y / 8) * columns + x / 8);
            const size_t at = (size_t(y) * image.width + x) * 2;
            image.pixels[at] = u8(c);
            image.pixels[at + 1] = u8(c >> 8);
        }
    }
    return GrpBytes(image, true);
}

}  // namespace tools
