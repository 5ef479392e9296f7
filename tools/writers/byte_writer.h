// Little-endian byte building for the data-file writers.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace tools {

class ByteWriter {
public:
    ByteWriter& U8(u32 v);
    ByteWriter& U16(u32 v);
    ByteWriter& U32(u32 v);
    ByteWriter& I16(i32 v) { return U16(u32(v)); }
    ByteWriter& I32(i32 v) { return U32(u32(v)); }
    ByteWriter& Bytes(const void* data, size_t size);
    ByteWriter& Bytes(const std::vector<u8>& data) { return Bytes(data.data(), data.size()); }
    ByteWriter& Text(std::string_view text);  // without a terminator
    ByteWriter& Zeros(size_t count);
    ByteWriter& Rect(const RECT& r) { return I32(r.left).I32(r.top).I32(r.right).I32(r.bottom); }

    // Overwrites an earlier 32-bit field (sizes known only at the end).
    void PatchU32(size_t offset, u32 v);

    size_t size() const { return bytes_.size(); }
    const std::vector<u8>& bytes() const { return bytes_; }

private:
    std::vector<u8> bytes_;
};

// Writes a whole file (folders created on the way); false on failure.
bool SaveFile(const std::string& path, const std::vector<u8>& bytes);

}  // namespace tools
