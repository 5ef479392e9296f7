// 8-bit ".bmp" files read as alpha maps.
#include <algorithm>

#include "graphics/blit/drw.h"
#include "platform/file.h"
#include "platform/memory.h"
#include "shell/common.h"

namespace {

u32 Get16(const u8* p) { return u32(p[0]) | u32(p[1]) << 8; }
u32 Get32(const u8* p) { return Get16(p) | Get16(p + 2) << 16; }

int Fail(plat::File* file, const char* name, const char* why) {
    DebugMsg("LoadAlpha: %s: %s", name, why);
    plat::FileClose(file);
    return 0;
}

}  // namespace

int LoadAlpha(ALPHA_MAP* map, const char* name) {
    if (map == nullptr || name == nullptr) return 0;
    plat::File* file = plat::FileOpenRead(name);
    if (file == nullptr) {
        DebugMsg("LoadAlpha: %s: cannot open", name);
        return 0;
    }
    u8 head[54];
    if (plat::FileRead(file, head, sizeof(head)) != i64(sizeof(head))) return Fail(file, name, "header too short");
    if (Get16(head + 28) != 8) return Fail(file, name, "not an 8-bit picture");
    const i64 width = Get32(head + 18) & 0xFFFF, height = Get32(head + 22) & 0xFFFF;
    const i64 offset = Get32(head + 10);
    const i64 entries = std::clamp<i64>((offset - 54) / 4, 0, 256);
    const i64 padded = (width + 3) & ~i64(3);
    // The sizes come from the file: refuse one that cannot hold its rows before allocating for them.
    const i64 size = plat::FileSize(file);
    if (size < 54 + entries * 4 + padded * height) return Fail(file, name, "pixel data too short");

    map->width = i32(width);
    map->height = i32(height);
    map->pixels = static_cast<u8*>(plat::GlobalAllocZero(size_t(width * height)));
    if (map->pixels == nullptr) return Fail(file, name, "out of memory");
    u8 skip[256 * 4];
    if (plat::FileRead(file, skip, entries * 4) != entries * 4) return Fail(file, name, "palette too short");
    // Rows are stored bottom row first; the map keeps them top to bottom.
    u8 pad[4];
    for (i64 r = height - 1; r >= 0; --r) {
        if (plat::FileRead(file, map->pixels + r * width, width) != width ||
            plat::FileRead(file, pad, padded - width) != padded - width)
            return Fail(file, name, "pixel data too short");
    }
    plat::FileClose(file);
    return 1;
}
