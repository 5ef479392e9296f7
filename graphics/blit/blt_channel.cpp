// Per-channel effects: tone, alpha and additive blends with a level for each of red, green and blue,
// and the in-place tint of a rectangle through colour rows of the blend table.
#include "graphics/blit/blt_walk.h"
#include "graphics/display/surf.h"

using blt::Session;

namespace {

// Below 32 a row toward black (level, destination 0), from 32 toward white (62 - level, destination 31).
// Levels come from sprite bytes and words, so they are folded into 0..62 first.
const u8* ToneRow(i32 level) {
    level = blt::Clamp(level, 0, 62);
    return level < 32 ? &BlendTbl[size_t(level) * 1024] : &BlendTbl[size_t(62 - level) * 1024 + 31 * 32];
}

auto ToneOp(i32 r, i32 g, i32 b) {
    return [rr = ToneRow(r), rg = ToneRow(g), rb = ToneRow(b)](const Session& s, auto&& walk) {
        if (s.is565) walk(blt::OpRows<true>{rr, rg, rb});
        else walk(blt::OpRows<false>{rr, rg, rb});
    };
}

auto BlendOp(i32 r, i32 g, i32 b) {
    const u8* tr = blt::BlendLevel(blt::Clamp(r, 0, 95));
    const u8* tg = blt::BlendLevel(blt::Clamp(g, 0, 95));
    const u8* tb = blt::BlendLevel(blt::Clamp(b, 0, 95));
    return [tr, tg, tb](const Session& s, auto&& walk) {
        if (s.is565) walk(blt::OpTable<true>{tr, tg, tb});
        else walk(blt::OpTable<false>{tr, tg, tb});
    };
}

// The tint reads 32 entries from a flat index; a component of 32 or more reaches into later levels.
const u8* TintRow(i32 level, i32 component) {
    const i64 index = i64(level) * 1024 + i64(component) * 32;
    if (index < 0 || index + 31 >= kBlendTblSize) return nullptr;
    return &BlendTbl[size_t(index)];
}

template <bool Is565>
void TintRows(u16* p, std::ptrdiff_t rowStep, i32 w, i32 h, const blt::OpRows<Is565>& op) {
    for (i32 row = 0; row < h; ++row, p += rowStep)
        for (i32 i = 0; i < w; ++i) p[i] = op(0, p[i]);
}

}  // namespace

int BLT_ToneRGB(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 r, i32 g, i32 b,
                int flags, int keyFlag) {
    return blt::RunPlain(dst, x, y, src, srcRect, flags, keyFlag, ToneOp(r, g, b));
}

int BLT_ToneRGBScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 r, i32 g,
                      i32 b, int flags, int keyFlag) {
    return blt::RunScaled(dst, dstRect, src, srcRect, flags, keyFlag, ToneOp(r, g, b));
}

int BLT_BlendRGB(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 r, i32 g, i32 b,
                 int flags, int keyFlag) {
    return blt::RunPlain(dst, x, y, src, srcRect, flags, keyFlag, BlendOp(r, g, b));
}

int BLT_BlendRGBScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 r, i32 g,
                       i32 b, int flags, int keyFlag) {
    return blt::RunScaled(dst, dstRect, src, srcRect, flags, keyFlag, BlendOp(r, g, b));
}

int BLT_AlphaRGB(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 r, i32 g, i32 b,
                 int flags, int keyFlag) {
    return BLT_BlendRGB(dst, x, y, src, srcRect, blt::Clamp(r, 0, 31), blt::Clamp(g, 0, 31), blt::Clamp(b, 0, 31),
                        flags, keyFlag);
}

int BLT_AlphaRGBScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 r, i32 g,
                       i32 b, int flags, int keyFlag) {
    return BLT_BlendRGBScaled(dst, dstRect, src, srcRect, blt::Clamp(r, 0, 31), blt::Clamp(g, 0, 31),
                              blt::Clamp(b, 0, 31), flags, keyFlag);
}

int BLT_AlphaAddRGB(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 r, i32 g,
                    i32 b, int flags, int keyFlag) {
    return BLT_BlendRGB(dst, x, y, src, srcRect, blt::Clamp(r, 0, 63) + 32, blt::Clamp(g, 0, 63) + 32,
                        blt::Clamp(b, 0, 63) + 32, flags, keyFlag);
}

int BLT_AlphaAddRGBScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 r,
                          i32 g, i32 b, int flags, int keyFlag) {
    return BLT_BlendRGBScaled(dst, dstRect, src, srcRect, blt::Clamp(r, 0, 63) + 32, blt::Clamp(g, 0, 63) + 32,
                              blt::Clamp(b, 0, 63) + 32, flags, keyFlag);
}

void BLT_Tint(plat::Surface* surface, const RECT* rect, i32 r, i32 g, i32 b, i32 level) {
    if (!surface) return;
    plat::SurfaceDesc d{};
    if (SURF_Lock(surface, &d) != 0) return;
    const i32 width = i32(d.width), height = i32(d.height);
    RECT a = rect ? *rect : RECT{0, 0, width, height};
    const u8* rr = TintRow(level, r);
    const u8* rg = TintRow(level, g);
    const u8* rb = TintRow(level, b);
    if (d.bitCount == 16 && rr && rg && rb && !(width < a.left || height < a.top || a.right < 0 || a.bottom < 0)) {
        if (a.left < 0) a.left = 0;
        if (a.top < 0) a.top = 0;
        if (a.right > width) a.right = width;
        if (a.bottom > height) a.bottom = height;
        if (a.left < a.right && a.top < a.bottom) {
            const std::ptrdiff_t step = d.pitch / 2;
            u16* p = static_cast<u16*>(d.pixels) + a.top * step + a.left;
            const i32 w = a.right - a.left, h = a.bottom - a.top;
            if (SURF_Is565(&d)) TintRows(p, step, w, h, blt::OpRows<true>{rr, rg, rb});
            else TintRows(p, step, w, h, blt::OpRows<false>{rr, rg, rb});
        }
    }
    SURF_Unlock(surface);
}
