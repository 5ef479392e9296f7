#include "platform/surface.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/keyed_row.h"

namespace plat {

namespace {

constexpr i32 kMaxSide = 16384;

u32 BytesPer(const Surface* s) { return s->bitCount / 8; }

bool RectInside(const RECT& r, const Surface* s) {
    return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom && r.right <= s->width &&
           r.bottom <= s->height;
}

u32 ReadPixel(const u8* p, u32 bpp) {
    switch (bpp) {
        case 1: return p[0];
        case 2: { u16 v; std::memcpy(&v, p, 2); return v; }
        case 3: return u32(p[0]) | u32(p[1]) << 8 | u32(p[2]) << 16;
        default: { u32 v; std::memcpy(&v, p, 4); return v; }
    }
}

void WritePixel(u8* p, u32 bpp, u32 v) {
    switch (bpp) {
        case 1: p[0] = u8(v); break;
        case 2: { u16 w = u16(v); std::memcpy(p, &w, 2); break; }
        case 3: p[0] = u8(v); p[1] = u8(v >> 8); p[2] = u8(v >> 16); break;
        default: std::memcpy(p, &v, 4); break;
    }
}

void FillDesc(const Surface* s, SurfaceDesc* d) {
    std::memset(d, 0, sizeof(*d));
    d->flags = kDescCaps | kDescHeight | kDescWidth | kDescPitch | kDescPixelFormat;
    d->width = u32(s->width);
    d->height = u32(s->height);
    d->pitch = s->pitch;
    d->bitCount = s->bitCount;
    d->rMask = s->rMask;
    d->gMask = s->gMask;
    d->bMask = s->bMask;
    d->caps = s->caps;
    if (s->hasColorKey) {
        d->flags |= kDescColorKeySrc;
        d->colorKeyLow = s->colorKeyLow;
        d->colorKeyHigh = s->colorKeyHigh;
    }
}

}  // namespace

i32 StretchSourceIndex(i32 j, i32 sw, i32 dw) {
    if (sw <= 0 || dw <= 0) return 0;
    i64 num = i64(j) * sw - dw / 2;
    i64 idx = num <= 0 ? 0 : (num + dw - 1) / dw;
    if (idx > sw - 1) idx = sw - 1;
    return i32(idx);
}

Surface* CreateSurface(i32 width, i32 height, u32 bitCount, u32 rMask, u32 gMask, u32 bMask, u32 caps) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return nullptr;
    if (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) return nullptr;
    auto* s = new Surface;
    s->width = width;
    s->height = height;
    s->bitCount = bitCount;
    s->pitch = i32((u32(width) * (bitCount / 8) + 3) & ~3u);
    s->rMask = rMask;
    s->gMask = gMask;
    s->bMask = bMask;
    s->caps = caps;
    s->pixels = static_cast<u8*>(std::calloc(size_t(s->pitch) * size_t(height), 1));
    if (!s->pixels) {
        delete s;
        return nullptr;
    }
    return s;
}

void ReleaseSurface(Surface* surface) {
    if (!surface) return;
    std::free(surface->pixels);
    delete surface;
}

int LockSurface(Surface* surface, SurfaceDesc* desc) {
    if (!surface || !desc) return kSurfErrInvalid;
    if (surface->lockCount > 0) return kSurfErrBusy;
    surface->lockCount = 1;
    FillDesc(surface, desc);
    desc->flags |= kDescSurface;
    desc->pixels = surface->pixels;
    return kSurfOk;
}

void UnlockSurface(Surface* surface) {
    if (surface && surface->lockCount > 0) surface->lockCount = 0;
}

int GetSurfaceDesc(Surface* surface, SurfaceDesc* desc) {
    if (!surface || !desc) return kSurfErrInvalid;
    FillDesc(surface, desc);
    return kSurfOk;
}

int SetColorKey(Surface* surface, u32 low, u32 high) {
    if (!surface) return kSurfErrInvalid;
    surface->hasColorKey = true;
    surface->colorKeyLow = low;
    surface->colorKeyHigh = high;
    return kSurfOk;
}

int ClearColorKey(Surface* surface) {
    if (!surface) return kSurfErrInvalid;
    surface->hasColorKey = false;
    return kSurfOk;
}

int Blt(Surface* dst, const RECT* dstRect, Surface* src, const RECT* srcRect, u32 flags, u32 fillColor) {
    if (!dst) return kSurfErrInvalid;
    if (dst->lockCount > 0) return kSurfErrBusy;
    RECT d = dstRect ? *dstRect : RECT{0, 0, dst->width, dst->height};
    if (!RectInside(d, dst)) return kSurfErrInvalidRect;
    const u32 dbpp = BytesPer(dst);
    const i32 dw = d.right - d.left, dh = d.bottom - d.top;

    if (flags & kBltColorFill) {
        for (i32 y = d.top; y < d.bottom; ++y) {
            u8* row = dst->pixels + size_t(y) * size_t(dst->pitch) + size_t(d.left) * dbpp;
            for (i32 x = 0; x < dw; ++x) WritePixel(row + size_t(x) * dbpp, dbpp, fillColor);
        }
        return kSurfOk;
    }

    if (!src) return kSurfErrInvalid;
    if (src != dst && src->lockCount > 0) return kSurfErrBusy;
    if (src->bitCount != dst->bitCount) return kSurfErrInvalid;
    RECT s = srcRect ? *srcRect : RECT{0, 0, src->width, src->height};
    if (!RectInside(s, src)) return kSurfErrInvalidRect;
    const i32 sw = s.right - s.left, sh = s.bottom - s.top;
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return kSurfOk;

    // An overlapping copy reads from a snapshot of the source rectangle.
    std::vector<u8> snapshot;
    const u8* sbase = src->pixels + size_t(s.top) * size_t(src->pitch) + size_t(s.left) * dbpp;
    size_t spitch = size_t(src->pitch);
    if (src == dst) {
        snapshot.resize(size_t(sw) * dbpp * size_t(sh));
        for (i32 y = 0; y < sh; ++y)
            std::memcpy(&snapshot[size_t(y) * size_t(sw) * dbpp], sbase + size_t(y) * spitch, size_t(sw) * dbpp);
        sbase = snapshot.data();
        spitch = size_t(sw) * dbpp;
    }

    const bool keyed = (flags & kBltKeySrc) && src->hasColorKey;
    const bool mirrorX = flags & kBltMirrorLeftRight;
    const bool mirrorY = flags & kBltMirrorUpDown;
    if (dbpp == 2 && sw == dw && sh == dh && !mirrorX) {
        // Straight 16-bit rows, the sprite copy of every frame: no per-pixel index or depth switch. A
        // key range is one unsigned compare, in the widest row loop the CPU runs; a range that holds
        // no 16-bit value keys nothing.
        const bool keyRows = keyed && src->colorKeyLow <= 0xFFFF && src->colorKeyHigh >= src->colorKeyLow;
        const KeyedRow16Fn keyRow = keyRows ? KeyedRow16() : nullptr;
        const u16 lo = u16(src->colorKeyLow);
        const u16 span = u16(std::min<u32>(src->colorKeyHigh, 0xFFFF) - src->colorKeyLow);
        for (i32 i = 0; i < dh; ++i) {
            const u8* srow = sbase + size_t(mirrorY ? dh - 1 - i : i) * spitch;
            u8* drow = dst->pixels + size_t(d.top + i) * size_t(dst->pitch) + size_t(d.left) * 2;
            if (keyRow) keyRow(reinterpret_cast<u16*>(drow), reinterpret_cast<const u16*>(srow), dw, lo, span);
            else std::memmove(drow, srow, size_t(dw) * 2);
        }
        return kSurfOk;
    }
    std::vector<i32> cols(static_cast<size_t>(dw));
    for (i32 j = 0; j < dw; ++j) cols[size_t(j)] = StretchSourceIndex(mirrorX ? dw - 1 - j : j, sw, dw);
    for (i32 i = 0; i < dh; ++i) {
        i32 sy = StretchSourceIndex(mirrorY ? dh - 1 - i : i, sh, dh);
        const u8* srow = sbase + size_t(sy) * spitch;
        u8* drow = dst->pixels + size_t(d.top + i) * size_t(dst->pitch) + size_t(d.left) * dbpp;
        if (!keyed && !mirrorX && sw == dw) {
            std::memmove(drow, srow, size_t(dw) * dbpp);
            continue;
        }
        for (i32 j = 0; j < dw; ++j) {
            u32 v = ReadPixel(srow + size_t(cols[size_t(j)]) * dbpp, dbpp);
            if (keyed && v >= src->colorKeyLow && v <= src->colorKeyHigh) continue;
            WritePixel(drow + size_t(j) * dbpp, dbpp, v);
        }
    }
    return kSurfOk;
}

int BltFast(Surface* dst, i32 x, i32 y, Surface* src, const RECT* srcRect, bool keyed) {
    if (!dst || !src) return kSurfErrInvalid;
    RECT s = srcRect ? *srcRect : RECT{0, 0, src->width, src->height};
    const i64 right = i64(x) + (i64(s.right) - s.left), bottom = i64(y) + (i64(s.bottom) - s.top);
    if (right < 0 || right > dst->width || bottom < 0 || bottom > dst->height) return kSurfErrInvalidRect;
    RECT d{x, y, i32(right), i32(bottom)};
    return Blt(dst, &d, src, &s, keyed ? kBltKeySrc : 0, 0);
}

bool SaveSurfaceBmp(Surface* surface, const char* path) {
    if (!surface || !path) return false;
    if (surface->bitCount == 8) {
        // No palette travels with a surface: write the indices as grey.
        Surface* grey = CreateSurface(surface->width, surface->height, 32, 0xFF0000, 0xFF00, 0xFF, 0);
        if (!grey) return false;
        for (i32 y = 0; y < surface->height; ++y)
            for (i32 x = 0; x < surface->width; ++x) {
                u32 v = surface->pixels[size_t(y) * size_t(surface->pitch) + size_t(x)];
                WritePixel(grey->pixels + size_t(y) * size_t(grey->pitch) + size_t(x) * 4, 4, v | v << 8 | v << 16);
            }
        bool ok = SaveSurfaceBmp(grey, path);
        ReleaseSurface(grey);
        return ok;
    }
    SDL_Surface* s = SDL_CreateRGBSurfaceFrom(surface->pixels, surface->width, surface->height, int(surface->bitCount),
                                              surface->pitch, surface->rMask, surface->gMask, surface->bMask, 0);
    if (!s) return false;
    bool ok = SDL_SaveBMP(s, path) == 0;
    SDL_FreeSurface(s);
    return ok;
}

}  // namespace plat
