#include "tools/writers/build_record.h"

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace tools {

namespace {

constexpr const char* kRecordName = ".mkdata-record";

bool ReadWhole(const std::string& path, std::vector<u8>* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

BuildRecord::BuildRecord(std::string dir) : dir_(std::move(dir)) {
    std::ifstream in(dir_ + "/" + kRecordName);
    if (!in) {
        legacy_ = true;
        return;
    }
    std::string line;
    while (std::getline(in, line)) {
        // "<hash in hex> <path under the folder>"
        const size_t space = line.find(' ');
        if (space != 16 || line.size() <= 17) continue;
        hashes_[line.substr(17)] = std::strtoull(line.substr(0, 16).c_str(), nullptr, 16);
    }
}

u64 BuildRecord::Hash(const std::vector<u8>& bytes) {
    u64 h = 0xcbf29ce484222325ull;  // FNV-1a
    for (u8 b : bytes) h = (h ^ b) * 0x100000001b3ull;
    return h;
}

std::string BuildRecord::Key(const std::string& path) const {
    namespace fs = std::filesystem;
    return fs::path(path).lexically_normal().lexically_relative(fs::path(dir_).lexically_normal()).generic_string();
}

BuildRecord::Action BuildRecord::Decide(const std::string& path, const std::vector<u8>& bytes) {
    std::vector<u8> now;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return Action::Write;
    if (!ReadWhole(path, &now)) return Action::Keep;  // never replace what could not be read
    if (now == bytes) return Action::Same;
    const auto it = hashes_.find(Key(path));
    if (legacy_ || (it != hashes_.end() && it->second == Hash(now))) return Action::Write;
    return Action::Keep;
}

void BuildRecord::Note(const std::string& path, const std::vector<u8>& bytes) { hashes_[Key(path)] = Hash(bytes); }

bool BuildRecord::Save() const {
    std::ostringstream text;
    for (const auto& [key, hash] : hashes_) {
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016" PRIx64, hash);
        text << hex << ' ' << key << '\n';
    }
    const std::string path = dir_ + "/" + kRecordName;
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << text.str();
        if (!out.flush()) return false;
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    return !ec;
}

}  // namespace tools
