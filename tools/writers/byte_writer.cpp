#include "tools/writers/byte_writer.h"

#include <cstdio>
#include <filesystem>

#include "platform/file.h"
#include "tools/writers/build_record.h"

namespace tools {

namespace {
BuildRecord* ActiveRecord = nullptr;
}  // namespace

void SetBuildRecord(BuildRecord* record) { ActiveRecord = record; }

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
    if (ActiveRecord) {
        switch (ActiveRecord->Decide(path, bytes)) {
        case BuildRecord::Action::Same:
            ActiveRecord->Note(path, bytes);
            return true;
        case BuildRecord::Action::Keep:
            std::printf("korvane_mkdata: kept %s: it is not what was built there (remove it to build it again)\n", path.c_str());
            return true;
        case BuildRecord::Action::Write:
            break;
        }
    }
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    // Whole or not at all (a cut-off file would look like one changed since it was built), through a
    // fresh temporary of its own: nothing planted beside the file is written through.
    if (!plat::WriteFileAtomicNative(path, bytes.data(), bytes.size())) return false;
    if (ActiveRecord) ActiveRecord->Note(path, bytes);
    return true;
}

}  // namespace tools
