#include <cstdio>

#include "platform/settings.h"
#include "shell/common.h"
#include "shell/sys.h"

namespace {

constexpr const char* kVendor = "QUOLIA";
constexpr const char* kProduct = "KV_SC";

bool BuildKeyPath(const char* subKey, char (&path)[256]) {
    int n = std::snprintf(path, sizeof(path), "Software\\%s\\%s", kVendor, kProduct);
    if (subKey && *subKey) n = std::snprintf(path + n, sizeof(path) - size_t(n), "\\%s", subKey) + n;
    if (n < 0 || n >= int(sizeof(path))) {
        DebugMsg("registry: key name too long");
        return false;
    }
    return true;
}

}  // namespace

int GetRegistry(const char* subKey, const char* name, void* buffer, u32 size) {
    char path[256];
    if (!name || !buffer || !BuildKeyPath(subKey, path)) return 0;
    u32 stored = 0;
    if (!plat::SettingsRead(path, name, nullptr, nullptr, &stored)) return 0;
    if (stored != size) {
        DebugMsg("registry: %s holds %u bytes, %u expected; ignored", name, stored, size);
        return 0;
    }
    u32 got = size;
    return plat::SettingsRead(path, name, nullptr, buffer, &got) && got == size ? 1 : 0;
}

u32 GetRegistryValue(const char* subKey, const char* name) {
    u8 b[4] = {};
    if (!GetRegistry(subKey, name, b, 4)) return 0;
    return u32(b[0]) | u32(b[1]) << 8 | u32(b[2]) << 16 | u32(b[3]) << 24;
}

int SetRegistry(const char* subKey, const char* name, u32 type, const void* data, u32 size) {
    char path[256];
    if (!name || !BuildKeyPath(subKey, path)) return 0;
    if (size == 0 && data) {
        const auto* p = static_cast<const u8*>(data);
        switch (type) {
        case REG_SZ:
            while (p[size]) ++size;
            ++size;
            break;
        case REG_DWORD: size = 4; break;
        case REG_MULTI_SZ:
            while (p[size] || p[size + 1]) ++size;
            size += 2;
            break;
        default: break;
        }
    }
    return plat::SettingsWrite(path, name, type, data, size) ? 1 : 0;
}

void SetRegistryValue(const char* subKey, const char* name, u32 value) {
    const u8 b[4] = {u8(value), u8(value >> 8), u8(value >> 16), u8(value >> 24)};
    SetRegistry(subKey, name, REG_DWORD, b, 0);
}
