// Small surfaces and ASCII pictures for the drawing tests.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/surface.h"
#include "platform/types.h"

namespace drawtest {

struct SurfaceDeleter {
    void operator()(plat::Surface* s) const { plat::ReleaseSurface(s); }
};
using SurfacePtr = std::unique_ptr<plat::Surface, SurfaceDeleter>;

// A zero-filled memory surface; 16 bits are 565, 32 bits 888.
inline SurfacePtr MakeSurface(i32 width, i32 height, u32 bpp) {
    u32 r = 0, g = 0, b = 0;
    if (bpp == 16) r = 0xF800, g = 0x07E0, b = 0x001F;
    if (bpp == 32) r = 0xFF0000, g = 0x00FF00, b = 0x0000FF;
    return SurfacePtr(plat::CreateSurface(width, height, bpp, r, g, b, plat::kCapsOffscreenPlain));
}

// The locked-description view the workers take, without locking (tests own the memory).
inline plat::SurfaceDesc DescOf(plat::Surface* s) {
    plat::SurfaceDesc d{};
    d.width = u32(s->width);
    d.height = u32(s->height);
    d.pitch = s->pitch;
    d.pixels = s->pixels;
    d.bitCount = s->bitCount;
    d.colorKeyLow = s->colorKeyLow;
    return d;
}

inline u32 Get(const plat::Surface* s, i32 x, i32 y) {
    const u8* p = s->pixels + size_t(y) * s->pitch + size_t(x) * (s->bitCount / 8);
    switch (s->bitCount) {
        case 8: return p[0];
        case 16: return u32(p[0]) | u32(p[1]) << 8;
        case 24: return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16;
        default: return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16 | u32(p[3]) << 24;
    }
}

inline void Set(plat::Surface* s, i32 x, i32 y, u32 v) {
    u8* p = s->pixels + size_t(y) * s->pitch + size_t(x) * (s->bitCount / 8);
    for (u32 i = 0; i < s->bitCount / 8; ++i) p[i] = u8(v >> (8 * i));
}

// One line per row: '.' for 0, '#' for any other value.
inline std::string Art(const plat::Surface* s) {
    std::string out;
    for (i32 y = 0; y < s->height; ++y) {
        for (i32 x = 0; x < s->width; ++x) out += Get(s, x, y) == 0 ? '.' : '#';
        out += '\n';
    }
    return out;
}

inline std::string Lines(const std::vector<std::string>& rows) {
    std::string out;
    for (const std::string& r : rows) out += r + '\n';
    return out;
}

inline int Count(const plat::Surface* s) {
    int n = 0;
    for (i32 y = 0; y < s->height; ++y)
        for (i32 x = 0; x < s->width; ++x) n += Get(s, x, y) != 0;
    return n;
}

}  // namespace drawtest
