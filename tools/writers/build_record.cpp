#include "tools/writers/build_record.h"

#include <sys/stat.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "platform/file.h"

namespace tools {

namespace {

constexpr const char* kRecordName = ".mkdata-record";

bool Present(const std::string& path) {
    struct stat st{};
    return lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

}  // namespace

ReadResult ReadDataFile(const std::string& path, std::vector<u8>* out, i64 limit) {
    out->clear();
    if (!Present(path)) return ReadResult::Missing;
    plat::File* f = plat::FileOpenReadNative(path);
    if (!f) return ReadResult::Failed;
    const i64 size = plat::FileSize(f);
    bool ok = size >= 0 && size <= limit;
    if (!ok && size > limit) std::printf("korvane_mkdata: %s: larger than any data file; not read\n", path.c_str());
    if (ok) {
        // One byte more than its size: a file that gives more (a pseudo-file of size 0, one still being
        // written) is not one whole file. One that shrank since gives less, which is what it holds.
        out->resize(size_t(size) + 1);
        const i64 got = plat::FileRead(f, out->data(), size + 1);
        ok = got >= 0 && got <= size;
        if (ok) out->resize(size_t(got));
    }
    plat::FileClose(f);
    return ok ? ReadResult::Ok : ReadResult::Failed;
}

BuildRecord::BuildRecord(std::string dir) : dir_(std::move(dir)) {
    const std::string path = dir_ + "/" + kRecordName;
    std::vector<u8> bytes;
    switch (ReadDataFile(path, &bytes, i64(16) << 20)) {
    case ReadResult::Missing:
        legacy_ = true;
        return;
    case ReadResult::Failed:
        // Nothing there can be taken for the builder's own: every file that differs stays.
        unreadable_ = true;
        std::printf("korvane_mkdata: %s cannot be read: every file that differs from the build stays\n", path.c_str());
        return;
    case ReadResult::Ok:
        break;
    }
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
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
    asked_.insert(Key(path));
    std::vector<u8> now;
    switch (ReadDataFile(path, &now)) {
    case ReadResult::Missing:
        return Action::Write;
    case ReadResult::Failed:
        return Action::Keep;  // never replace what could not be read
    case ReadResult::Ok:
        break;
    }
    if (now == bytes) return Action::Same;
    // A write-protected file is one the player means to keep (and the atomic writer will not replace).
    struct stat st{};
    if (stat(path.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR)) return Action::Keep;
    const auto it = hashes_.find(Key(path));
    if (legacy_ || (it != hashes_.end() && it->second == Hash(now))) return Action::Write;
    return Action::Keep;
}

void BuildRecord::Note(const std::string& path, const std::vector<u8>& bytes) { hashes_[Key(path)] = Hash(bytes); }

void BuildRecord::ForgetUnasked() {
    std::erase_if(hashes_, [this](const auto& entry) { return !asked_.count(entry.first); });
}

bool BuildRecord::Save() const {
    const std::string path = dir_ + "/" + kRecordName;
    if (unreadable_) {
        std::printf("korvane_mkdata: %s was not replaced: it could not be read\n", path.c_str());
        return true;
    }
    std::ostringstream text;
    for (const auto& [key, hash] : hashes_) {
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016" PRIx64, hash);
        text << hex << ' ' << key << '\n';
    }
    const std::string s = text.str();
    return plat::WriteFileAtomicNative(path, s.data(), s.size());
}

bool BuildRecord::Complete() const {
    if (legacy_ || unreadable_) return false;
    for (const auto& entry : hashes_)
        if (!Present(dir_ + "/" + entry.first)) return false;
    return true;
}

}  // namespace tools
