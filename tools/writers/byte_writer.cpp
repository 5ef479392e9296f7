#include "tools/writers/byte_writer.h"

#include <filesystem>
#include <fstream>

namespace tools {

ByteWriter& ByteWriter::U8(u32 v) {
    bytes_.push_back(u8(v));
    return *this;
}

ByteWriter& ByteWriter::U16(u32 v) {
    bytes_.push_back(u8(v));
    bytes_.push_back(u8(v >> 8));
    return *this;
}

ByteWriter& ByteWriter::U32(u32 v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(u8(v >> (8 * i)));
    return *this;
}

ByteWriter& ByteWriter::Bytes(const void* data, size_t size) {
    const auto* p = static_cast<const u8*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
    return *this;
}

ByteWriter& ByteWriter::Text(std::string_view text) { return Bytes(text.data(), text.size()); }

ByteWriter& ByteWriter::Zeros(size_t count) {
    bytes_.insert(bytes_.end(), count, 0);
    return *this;
}

void ByteWriter::PatchU32(size_t offset, u32 v) {
    for (int i = 0; i < 4; ++i) bytes_.at(offset + size_t(i)) = u8(v >> (8 * i));
}

bool SaveFile(const std::string& path, const std::vector<u8>& bytes) {
    std::filesystem::path p(path);
    std::error_code ec;
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    std::ofstream out(p, std::ios::binary);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

}  // namespace tools
