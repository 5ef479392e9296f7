#include "graphics/display/surf.h"

#include <cstring>

#include "graphics/display/disp.h"
#include "platform/memory.h"

plat::Surface* SURF_Create(i32 width, i32 height, u32 caps) {
    if (!DispDevice) return nullptr;
    u32 r = 0, g = 0, b = 0;
    plat::GetDisplayMasks(DispDevice, &r, &g, &b);
    plat::Surface* surface = plat::CreateSurface(width, height, DispBpp, r, g, b, caps);
    if (!surface) return nullptr;
    SURF_Fill(surface, nullptr, 0);
    ++DispSurfCount;
    return surface;
}

void SURF_Release(plat::Surface* surface) {
    // Memory surfaces are never lost, so every counted surface is released.
    if (!DispDevice || !surface) return;
    --DispSurfCount;
    plat::ReleaseSurface(surface);
}

int SURF_SetColorKey(plat::Surface* surface, u32 key) { return plat::SetColorKey(surface, key, key); }

SURF_SAVE* SURF_Save(plat::Surface* surface) {
    plat::SurfaceDesc desc;
    if (!surface || SURF_Lock(surface, &desc) != plat::kSurfOk) return nullptr;
    const size_t rowBytes = size_t(desc.width) * (desc.bitCount / 8);
    auto* save = static_cast<SURF_SAVE*>(plat::GlobalAllocZero(sizeof(SURF_SAVE) + rowBytes * desc.height));
    if (!save) {
        SURF_Unlock(surface);
        return nullptr;
    }
    save->width = desc.width;
    save->height = desc.height;
    save->sysmem = (desc.flags & plat::kDescCaps) && (desc.caps & plat::kCapsSystemMemory) ? 1 : 0;
    save->colorKey = (desc.flags & plat::kDescColorKeySrc) ? i32(desc.colorKeyLow) : -1;
    save->bitCount = desc.bitCount;
    u8* out = reinterpret_cast<u8*>(save + 1);
    const u8* in = static_cast<const u8*>(desc.pixels);
    for (u32 y = 0; y < desc.height; ++y) std::memcpy(out + rowBytes * y, in + size_t(desc.pitch) * y, rowBytes);
    SURF_Unlock(surface);
    return save;
}

plat::Surface* SURF_Restore(SURF_SAVE** save) {
    if (!save || !*save) return nullptr;
    SURF_SAVE* block = *save;
    plat::Surface* surface =
        SURF_Create(i32(block->width), i32(block->height), block->sysmem ? SURF_CAPS_SYSMEM : SURF_CAPS_OFFSCREEN);
    if (!surface) return nullptr;
    if (block->colorKey != -1) SURF_SetColorKey(surface, u32(block->colorKey));
    plat::SurfaceDesc desc;
    if (SURF_Lock(surface, &desc) != plat::kSurfOk) return surface;
    // The rows are only meaningful at the depth they were saved at; another depth keeps the zero fill.
    if (desc.bitCount == block->bitCount) {
        const size_t rowBytes = size_t(desc.width) * (desc.bitCount / 8);
        const u8* in = reinterpret_cast<const u8*>(block + 1);
        u8* out = static_cast<u8*>(desc.pixels);
        for (u32 y = 0; y < desc.height; ++y) std::memcpy(out + size_t(desc.pitch) * y, in + rowBytes * y, rowBytes);
    }
    SURF_Unlock(surface);
    plat::GlobalFree(block);
    *save = nullptr;
    return surface;
}

int SURF_Fill(plat::Surface* surface, const RECT* rect, u32 color) {
    plat::SurfaceDesc desc;
    int result = SURF_GetDesc(surface, &desc);
    if (result != plat::kSurfOk) return result;
    RECT r{0, 0, i32(desc.width), i32(desc.height)};
    if (rect) {
        r.left = rect->left > 0 ? rect->left : 0;
        r.top = rect->top > 0 ? rect->top : 0;
        r.right = rect->right < i32(desc.width) ? rect->right : i32(desc.width);
        r.bottom = rect->bottom < i32(desc.height) ? rect->bottom : i32(desc.height);
    }
    return plat::Blt(surface, &r, nullptr, nullptr, plat::kBltColorFill, color);
}

int SURF_Lock(plat::Surface* surface, plat::SurfaceDesc* desc) { return plat::LockSurface(surface, desc); }

void SURF_Unlock(plat::Surface* surface) { plat::UnlockSurface(surface); }

int SURF_CheckLock(plat::Surface* surface) {
    plat::SurfaceDesc desc;
    int result = SURF_Lock(surface, &desc);
    if (result == plat::kSurfOk) SURF_Unlock(surface);
    return result;
}

int SURF_GetDesc(plat::Surface* surface, plat::SurfaceDesc* desc) { return plat::GetSurfaceDesc(surface, desc); }

namespace {

// The source rectangle a blit works on: the caller's copy, or the whole source.
bool SourceRect(plat::Surface* src, const RECT* srcRect, RECT* out) {
    if (srcRect) {
        *out = *srcRect;
        return true;
    }
    plat::SurfaceDesc desc;
    if (SURF_GetDesc(src, &desc) != plat::kSurfOk) return false;
    *out = RECT{0, 0, i32(desc.width), i32(desc.height)};
    return true;
}

u32 MirrorFx(int mirror) {
    return ((mirror & BLT_MIRROR_LR) ? plat::kBltMirrorLeftRight : 0) |
           ((mirror & BLT_MIRROR_UD) ? plat::kBltMirrorUpDown : 0);
}

}  // namespace

int BLT_Copy(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, int keyFlag) {
    RECT s;
    if (!SourceRect(src, srcRect, &s)) return plat::kSurfErrInvalid;
    plat::SurfaceDesc desc;
    int result = SURF_GetDesc(dst, &desc);
    if (result != plat::kSurfOk) return result;
    if (!SURF_ClipBlt(&desc, &DispClipRect, &x, &y, &s, 0)) return 0;
    if (!DispFullScreen && dst == DispPrimary) {
        RECT d{x, y, x + (s.right - s.left), y + (s.bottom - s.top)};
        return plat::Blt(dst, &d, src, &s, keyFlag ? plat::kBltKeySrc : 0, 0);
    }
    return plat::BltFast(dst, x, y, src, &s, keyFlag != 0);
}

int BLT_CopyFlip(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, int mirror, int keyFlag) {
    mirror &= 0xFF;
    if ((mirror & (BLT_MIRROR_LR | BLT_MIRROR_UD)) == 0) return BLT_Copy(dst, x, y, src, srcRect, keyFlag);
    RECT s;
    if (!SourceRect(src, srcRect, &s)) return plat::kSurfErrInvalid;
    plat::SurfaceDesc desc;
    int result = SURF_GetDesc(dst, &desc);
    if (result != plat::kSurfOk) return result;
    if (!SURF_ClipBlt(&desc, &DispClipRect, &x, &y, &s, mirror)) return 0;
    RECT d{x, y, x + (s.right - s.left), y + (s.bottom - s.top)};
    return plat::Blt(dst, &d, src, &s, MirrorFx(mirror) | (keyFlag ? plat::kBltKeySrc : 0), 0);
}

int BLT_CopyScaled(plat::Surface* dst, const RECT* dstRect, plat::Surface* src, const RECT* srcRect, int mirror,
                   int keyFlag) {
    mirror &= 0xFF;
    RECT s;
    if (!SourceRect(src, srcRect, &s)) return plat::kSurfErrInvalid;
    plat::SurfaceDesc desc;
    int result = SURF_GetDesc(dst, &desc);
    if (result != plat::kSurfOk) return result;
    RECT d = dstRect ? *dstRect : RECT{0, 0, i32(desc.width), i32(desc.height)};
    if (!SURF_ClipBltScaled(&desc, &DispClipRect, &d, &s, mirror)) return 0;
    return plat::Blt(dst, &d, src, &s, MirrorFx(mirror) | (keyFlag ? plat::kBltKeySrc : 0), 0);
}

namespace {

struct Bounds {
    i64 l, t, r, b;
};

Bounds ClipBounds(const plat::SurfaceDesc* dst, const RECT* clip) {
    const i64 w = dst->width, h = dst->height;
    if (!clip) return Bounds{0, 0, w, h};
    return Bounds{clip->left > 0 ? clip->left : 0, clip->top > 0 ? clip->top : 0,
                  clip->right < w ? clip->right : w, clip->bottom < h ? clip->bottom : h};
}

// One axis of the unscaled clip. With the mirror bit the cut margins come from the opposite source side.
bool ClipAxis(i64 lo, i64 hi, i32* pos, i32* srcLo, i32* srcHi, bool mirror) {
    i64 p = *pos, a = *srcLo, b = *srcHi;
    if (p >= hi) return false;
    if (!mirror) {
        if (p < lo) {
            a += lo - p;
            p = lo;
        }
        if (p + (b - a) > hi) b = a + hi - p;
    } else {
        if (p < lo) {
            b -= lo - p;
            p = lo;
        }
        if (p + (b - a) > hi) a = b - (hi - p);
    }
    *pos = i32(p);
    *srcLo = i32(a);
    *srcHi = i32(b);
    return a < b;
}

// One axis of the scaled clip: a destination edge moved onto the bounds moves the matching source edge
// inward by cut × source size / destination size (sizes from before any cut, quotient toward zero).
bool ClipAxisScaled(i64 lo, i64 hi, i32* dLo, i32* dHi, i32* sLo, i32* sHi, bool mirror) {
    i64 d0 = *dLo, d1 = *dHi, s0 = *sLo, s1 = *sHi;
    if (d0 > hi || d1 <= lo) return false;
    const i64 dw = d1 - d0, sw = s1 - s0;
    if (dw <= 0) return false;
    if (d0 < lo) {
        const i64 move = (lo - d0) * sw / dw;
        if (!mirror) s0 += move; else s1 -= move;
        d0 = lo;
    }
    if (d1 > hi) {
        const i64 move = (d1 - hi) * sw / dw;
        if (!mirror) s1 -= move; else s0 += move;
        d1 = hi;
    }
    *dLo = i32(d0), *dHi = i32(d1), *sLo = i32(s0), *sHi = i32(s1);
    return d0 < d1 && s0 < s1;
}

}  // namespace

int SURF_ClipBlt(const plat::SurfaceDesc* dst, const RECT* clip, i32* x, i32* y, RECT* src, int mirror) {
    if (!dst || !x || !y || !src) return 0;
    const Bounds bd = ClipBounds(dst, clip);
    if (!ClipAxis(bd.l, bd.r, x, &src->left, &src->right, mirror & BLT_MIRROR_LR)) return 0;
    if (!ClipAxis(bd.t, bd.b, y, &src->top, &src->bottom, mirror & BLT_MIRROR_UD)) return 0;
    return 1;
}

int SURF_ClipBltScaled(const plat::SurfaceDesc* dst, const RECT* clip, RECT* dstRect, RECT* src, int mirror) {
    if (!dst || !dstRect || !src) return 0;
    const Bounds bd = ClipBounds(dst, clip);
    if (!ClipAxisScaled(bd.l, bd.r, &dstRect->left, &dstRect->right, &src->left, &src->right,
                        mirror & BLT_MIRROR_LR))
        return 0;
    if (!ClipAxisScaled(bd.t, bd.b, &dstRect->top, &dstRect->bottom, &src->top, &src->bottom,
                        mirror & BLT_MIRROR_UD))
        return 0;
    return 1;
}
