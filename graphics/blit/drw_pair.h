// Pixel-pair arithmetic shared by the 16-bit software drawing routines and the darkening and
// whitening blits: two adjacent pixels in one 32-bit word, first pixel in the low half.
#pragma once
#include <cstddef>
#include <cstring>

#include "graphics/display/disp.h"
#include "graphics/blit/drw.h"
#include "platform/surface.h"

namespace drw_detail {

// Mask A keeps red and blue of the high pixel and green of the low one, mask B the rest; no channel
// in either mask has a neighbour within five bits, so each can be multiplied by up to 32.
struct PairMasks {
    u32 a;
    u32 b;
};

inline PairMasks DisplayMasks() {
    const DISP_PIXEL_FORMAT& f = DispPixelFormat;
    const u32 r = f.maskR, g = f.maskG, b = f.maskB;
    return {(r | b) << 16 | g, g << 16 | r | b};
}

// Clears the lowest bit of every channel (and bit 15 in 555) so that halves add without carries.
inline u16 HalfMask() { return DispPixelFormat.maxG == 63 ? 0xF7DE : 0x7BDE; }

// Every channel of both pixels times k / 32, rounded down (k = 0..32).
inline u32 ScalePair(u32 word, u32 k, PairMasks m) {
    return ((((word & m.a) >> 5) * k) & m.a) | ((((word & m.b) * k) >> 5) & m.b);
}

inline u32 Pair(const u16* p) { return u32(p[0]) | u32(p[1]) << 16; }

// Walks the whole pairs of each row of a w × h area (an odd last column is left as it is) and writes
// fn(source word, destination word). A source pixel equal to key keeps its destination pixel, so a
// pair of two key pixels is left whole; a key above 0xFFFF matches nothing.
template <class Fn>
void WalkPairs(u16* dst, std::ptrdiff_t dstRowPixels, const u16* src, std::ptrdiff_t srcRowPixels, i32 w, i32 h,
               u32 key, Fn&& fn) {
    const i32 pairs = w / 2;
    for (i32 row = 0; row < h; ++row, dst += dstRowPixels, src += srcRowPixels) {
        for (i32 k = 0; k < pairs; ++k) {
            u32 s, d;
            std::memcpy(&s, src + 2 * k, 4);
            std::memcpy(&d, dst + 2 * k, 4);
            const u32 keep = ((s & 0xFFFF) == key ? 0x0000FFFFu : 0u) | ((s >> 16) == key ? 0xFFFF0000u : 0u);
            const u32 out = (fn(s, d) & ~keep) | (d & keep);
            std::memcpy(dst + 2 * k, &out, 4);
        }
    }
}

inline u16 HalfBlend(u32 s, u32 d, u16 m) { return u16(((s & m) >> 1) + ((d & m) >> 1)); }

// Describes a locked 16-bit surface as a buffer (width = pitch in pixels).
inline DRW_BUFFER BufferOf(const plat::SurfaceDesc& desc) {
    return {static_cast<u16*>(desc.pixels), desc.pitch / 2, i32(desc.height)};
}

inline u16* PixelAt(const DRW_BUFFER* b, i64 x, i64 y) { return b->pixels + y * b->width + x; }

}  // namespace drw_detail
