// The store is one small text file, read whole on every call (it holds a handful of values):
//
//   # korvane settings
//   [Software\QUOLIA\KV_SC\Main]
//   WndMode=4:01000000
//
// A value line is name=type:data, the data as hex bytes. In key paths and value names every byte
// outside '!'..'~', and each of "%[]=#", is written %XX. Key paths and value names match ignoring
// ASCII case, as the registry's do. A file that does not parse (or is too large to be one) reads as
// empty; the next write keeps it aside as "<file>.corrupt" (".corrupt.1", ... when that is taken)
// before replacing it. A file that is there but cannot be opened or read is never replaced: writes
// are refused until it can be read. A write holds "<file>.lock" from its read to its rename, so
// programs writing at once each keep their change.
#include "platform/settings.h"

#include <fcntl.h>
#include <pwd.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/debug.h"
#include "platform/file.h"

namespace plat {

namespace {

constexpr i64 kMaxFileSize = 4 << 20;
constexpr size_t kMaxValueSize = 1 << 20;
// A lock held longer than this (even through a read-only descriptor) makes a write fail, not wait.
constexpr auto kLockWait = std::chrono::seconds(1);

std::string g_overridePath;

struct Value {
    std::string name;
    u32 type;
    std::string data;
};

struct Key {
    std::string path;
    std::vector<Value> values;
};

using Store = std::vector<Key>;

void Debug(const std::string& text) { DebugOutput("settings: " + text + "\r\n"); }

std::string StorePath() {
    if (!g_overridePath.empty()) return g_overridePath;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !home[0]) {
            const passwd* pw = getpwuid(getuid());
            home = pw ? pw->pw_dir : nullptr;
        }
        if (!home || !home[0]) return {};
        base = std::string(home) + "/.config";
    }
    return base + "/korvane/settings.txt";
}

bool Plain(unsigned char c) { return c > 0x20 && c < 0x7F && !std::strchr("%[]=#", c); }

std::string Escape(std::string_view s) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (Plain(c)) {
            out.push_back(char(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Unescape(std::string_view s, std::string* out) {
    out->clear();
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            if (!Plain(static_cast<unsigned char>(s[i]))) return false;
            out->push_back(s[i]);
            continue;
        }
        if (i + 2 >= s.size()) return false;
        int hi = HexDigit(s[i + 1]), lo = HexDigit(s[i + 2]);
        if (hi < 0 || lo < 0) return false;
        out->push_back(char(hi << 4 | lo));
        i += 2;
    }
    return true;
}

bool KnownType(u32 type) { return type == kRegSz || type == kRegBinary || type == kRegDword || type == kRegMultiSz; }

bool SameName(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

Key* FindKey(Store& store, const char* path) {
    for (Key& k : store)
        if (SameName(k.path, path)) return &k;
    return nullptr;
}

Value* FindValue(Key& key, const char* name) {
    for (Value& v : key.values)
        if (SameName(v.name, name)) return &v;
    return nullptr;
}

// Parses one value line ("name=type:hex") into v.
bool ParseValue(std::string_view line, Value* v) {
    size_t eq = line.find('=');
    if (eq == std::string_view::npos || !Unescape(line.substr(0, eq), &v->name)) return false;
    std::string_view rest = line.substr(eq + 1);
    size_t colon = rest.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2) return false;
    u32 type = 0;
    for (char c : rest.substr(0, colon)) {
        if (c < '0' || c > '9') return false;
        type = type * 10 + u32(c - '0');
    }
    std::string_view hex = rest.substr(colon + 1);
    if (!KnownType(type) || hex.size() % 2 != 0 || hex.size() / 2 > kMaxValueSize) return false;
    if (type == kRegDword && hex.size() != 8) return false;
    v->type = type;
    v->data.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        int hi = HexDigit(hex[i]), lo = HexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        v->data.push_back(char(hi << 4 | lo));
    }
    return true;
}

// The line number of the first line that does not parse, or 0 when the whole text did.
size_t Parse(std::string_view text, Store* store) {
    store->clear();
    Key* current = nullptr;
    size_t lineNo = 0;
    while (!text.empty()) {
        ++lineNo;
        size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            std::string path;
            if (line.size() < 3 || line.back() != ']' || !Unescape(line.substr(1, line.size() - 2), &path)) return lineNo;
            current = FindKey(*store, path.c_str());
            if (!current) {
                store->push_back(Key{path, {}});
                current = &store->back();
            }
            continue;
        }
        Value v;
        if (!current || !ParseValue(line, &v)) return lineNo;
        if (Value* old = FindValue(*current, v.name.c_str()))
            *old = std::move(v);
        else
            current->values.push_back(std::move(v));
    }
    return 0;
}

// kUnreadable: the file is there but could not be read, so its values are unknown and must not be
// replaced by a write that would drop them.
enum class Loaded { kOk, kMissing, kCorrupt, kUnreadable };

Loaded Load(const std::string& path, Store* store) {
    store->clear();
    if (path.empty()) return Loaded::kMissing;
    File* f = FileOpenReadNative(path);
    if (!f) {
        struct stat st{};
        if (stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR))
            return Loaded::kMissing;  // the first run has no file: nothing to say
        Debug("cannot open " + path + "; using no stored values");
        return Loaded::kUnreadable;
    }
    const i64 size = FileSize(f);
    if (size > kMaxFileSize) {
        FileClose(f);
        Debug(path + " is too large for a settings file (" + std::to_string(size) + " bytes); using no stored values");
        return Loaded::kCorrupt;
    }
    std::string text;
    bool ok = size >= 0;
    if (ok) {
        text.resize(size_t(size));
        ok = FileRead(f, text.data(), size) == size;
    }
    FileClose(f);
    if (!ok) {
        Debug("cannot read " + path + "; using no stored values");
        return Loaded::kUnreadable;
    }
    if (size_t bad = Parse(text, store)) {
        Debug(path + " is damaged at line " + std::to_string(bad) + "; using no stored values");
        store->clear();
        return Loaded::kCorrupt;
    }
    return Loaded::kOk;
}

std::string Serialize(const Store& store) {
    static const char hex[] = "0123456789abcdef";
    std::string out = "# korvane settings\n";
    for (const Key& k : store) {
        out += '[';
        out += Escape(k.path);
        out += "]\n";
        for (const Value& v : k.values) {
            out += Escape(v.name);
            out += '=';
            out += std::to_string(v.type);
            out += ':';
            for (unsigned char c : v.data) {
                out.push_back(hex[c >> 4]);
                out.push_back(hex[c & 15]);
            }
            out.push_back('\n');
        }
    }
    return out;
}

// The store's lock, held while it lives (when held() says so).
class StoreLock {
public:
    explicit StoreLock(const std::string& path) : name_(path + ".lock") {
        fd_ = open(name_.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
        struct stat st{};
        if (fd_ < 0 || fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
            Debug("cannot open the lock " + name_ + (fd_ < 0 ? std::string(": ") + std::strerror(errno) : ""));
            return;
        }
        // Tried often rather than waited on, so a lock held for good costs a bounded wait.
        const auto deadline = std::chrono::steady_clock::now() + kLockWait;
        while (!(held_ = flock(fd_, LOCK_EX | LOCK_NB) == 0) && (errno == EWOULDBLOCK || errno == EINTR) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        if (!held_) Debug(name_ + " is held by another program");
    }
    ~StoreLock() {
        if (fd_ >= 0) close(fd_);
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    bool held() const { return held_; }

private:
    std::string name_;
    int fd_ = -1;
    bool held_ = false;
};

// A free name to keep a damaged file under, never one kept earlier; empty when there is none.
std::string AsideName(const std::string& path) {
    for (int n = 0; n < 1000; ++n) {
        std::string name = path + ".corrupt";
        if (n) {
            name += '.';
            name += std::to_string(n);
        }
        struct stat st{};
        if (lstat(name.c_str(), &st) != 0 && errno == ENOENT) return name;
    }
    return {};
}

}  // namespace

bool SettingsRead(const char* keyPath, const char* name, u32* type, void* data, u32* size) {
    if (!keyPath || !name || !size) return false;
    Store store;
    Load(StorePath(), &store);
    Key* key = FindKey(store, keyPath);
    Value* v = key ? FindValue(*key, name) : nullptr;
    if (!v) return false;
    if (data) {
        if (v->data.size() > *size) return false;
        std::memcpy(data, v->data.data(), v->data.size());
    }
    if (type) *type = v->type;
    *size = u32(v->data.size());
    return true;
}

bool SettingsWrite(const char* keyPath, const char* name, u32 type, const void* data, u32 size) {
    if (!keyPath || !name || !KnownType(type) || size > kMaxValueSize || (!data && size > 0)) return false;
    if (type == kRegDword && size != 4) return false;
    std::string path = StorePath();
    if (path.empty()) {
        Debug("no home folder for the settings file");
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    const StoreLock lock(path);
    if (!lock.held()) {
        Debug("not writing " + path);
        return false;
    }
    Store store;
    const Loaded loaded = Load(path, &store);
    if (loaded == Loaded::kUnreadable) {
        Debug("not writing " + path + ": it would lose the values it holds");
        return false;
    }
    if (loaded == Loaded::kCorrupt) {
        // Keep the damaged file for a look rather than overwrite it.
        const std::string aside = AsideName(path);
        if (aside.empty() || std::rename(path.c_str(), aside.c_str()) != 0) {
            Debug("cannot keep the damaged " + path + " aside; not writing it");
            return false;
        }
        Debug("kept the damaged file as " + aside);
    }
    Key* key = FindKey(store, keyPath);
    if (!key) {
        store.push_back(Key{keyPath, {}});
        key = &store.back();
    }
    Value v{name, type, size ? std::string(static_cast<const char*>(data), size) : std::string()};
    if (Value* old = FindValue(*key, name))
        *old = std::move(v);
    else
        key->values.push_back(std::move(v));

    std::string text = Serialize(store);
    if (!WriteFileAtomicNative(path, text.data(), text.size())) {
        Debug("cannot write " + path);
        return false;
    }
    return true;
}

void SetSettingsFile(const char* path) { g_overridePath = path ? path : ""; }

}  // namespace plat
