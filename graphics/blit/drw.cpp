// Blends, the darkening copy, lines and fills on 16-bit pixel memory, and their surface routines.
#include "graphics/blit/drw.h"

#include <algorithm>
#include <cstring>

#include "graphics/blit/drw_pair.h"
#include "graphics/blit/lock_pair.h"
#include "graphics/display/surf.h"

using namespace drw_detail;

int ProcessorClass = 0;
u8 MmxFlag = 0;

// The class of a family-6 processor with the multimedia extension, on every machine: all paths are
// portable code with the same pixels, so the choice only fixes which path runs.
int CheckProcessor() {
    ProcessorClass = 4;
    MmxFlag = 1;
    return ProcessorClass;
}

// ---------------------------------------------------------------------------------------------
// clipping

namespace {

// 64-bit arithmetic so that x + width cannot overflow. The destination is clipped first (moving the
// source), then the source against its buffer (moving the destination), so that a source
// rectangle reaching outside its buffer still draws its visible part.
int ClipCopy(i32* x, i32* y, i32* width, i32* height, i32* srcX, i32* srcY, i64 left, i64 top, i64 right,
             i64 bottom, i64 srcWidth, i64 srcHeight) {
    i64 dx = *x, dy = *y, w = *width, h = *height, sx = *srcX, sy = *srcY;
    if (dx + w < left || dx >= right || dy + h < top || dy >= bottom) return 0;
    if (dx < left) { w -= left - dx; sx += left - dx; dx = left; }
    if (dy < top) { h -= top - dy; sy += top - dy; dy = top; }
    if (dx + w > right) w = right - dx;
    if (dy + h > bottom) h = bottom - dy;
    if (sx < 0) { w += sx; dx -= sx; sx = 0; }
    if (sy < 0) { h += sy; dy -= sy; sy = 0; }
    if (sx + w > srcWidth) w = srcWidth - sx;
    if (sy + h > srcHeight) h = srcHeight - sy;
    if (w < 1 || h < 1) return 0;
    *x = i32(dx), *y = i32(dy), *width = i32(w), *height = i32(h), *srcX = i32(sx), *srcY = i32(sy);
    return 1;
}

bool Usable(const DRW_BUFFER* b) { return b != nullptr && b->pixels != nullptr && b->width > 0 && b->height > 0; }

}  // namespace

int DRW_Cliping(i32* x, i32* y, i32* width, i32* height, i32* srcX, i32* srcY, i32 left, i32 top, i32 right,
                i32 bottom, i32 srcWidth, i32 srcHeight) {
    return ClipCopy(x, y, width, height, srcX, srcY, left, top, right, bottom, srcWidth, srcHeight);
}

int DRW_Cliping2(i32* x, i32* y, i32* width, i32* height, i32* srcX, i32* srcY, i32 bufWidth, i32 bufHeight,
                 const RECT* clip, i32 srcWidth, i32 srcHeight) {
    // A clip rectangle larger than the buffer must not let the copy write past it.
    i64 l = 0, t = 0, r = bufWidth, b = bufHeight;
    if (clip != nullptr) {
        l = std::max<i64>(l, clip->left);
        t = std::max<i64>(t, clip->top);
        r = std::min<i64>(r, clip->right);
        b = std::min<i64>(b, clip->bottom);
    }
    return ClipCopy(x, y, width, height, srcX, srcY, l, t, r, b, srcWidth, srcHeight);
}

int DRW_ClipingLine(i32* px1, i32* py1, i32* px2, i32* py2, i32 left, i32 top, i32 right, i32 bottom) {
    i64 x1 = *px1, y1 = *py1, x2 = *px2, y2 = *py2;
    const i64 l = left, t = top, lastX = i64(right) - 1, lastY = i64(bottom) - 1;
    if ((x1 < l && x2 < l) || (x1 > lastX && x2 > lastX) || (y1 < t && y2 < t) || (y1 > lastY && y2 > lastY))
        return 0;
    if (x1 == x2) {
        y1 = std::clamp(y1, t, lastY);
        y2 = std::clamp(y2, t, lastY);
    } else if (y1 == y2) {
        x1 = std::clamp(x1, l, lastX);
        x2 = std::clamp(x2, l, lastX);
    } else {
        const i64 k = (x1 - x2) * 256 / (y1 - y2);  // columns per row in 24.8
        if (k == 0) return 0;
        auto clipEnd = [&](i64& x, i64& y) {
            if (x < l) { y += (l - x) * 256 / k; x = l; }
            else if (x > lastX) { y += (lastX - x) * 256 / k; x = lastX; }
            if (y < t) { x += (t - y) * k / 256; y = t; }
            else if (y > lastY) { x += (lastY - y) * k / 256; y = lastY; }
        };
        clipEnd(x1, y1);
        clipEnd(x2, y2);
        auto inside = [&](i64 x, i64 y) { return x >= l && x <= lastX && y >= t && y <= lastY; };
        if (!inside(x1, y1) || !inside(x2, y2)) return 0;
    }
    *px1 = i32(x1), *py1 = i32(y1), *px2 = i32(x2), *py2 = i32(y2);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// blends

int DWW_DrawObjectAlphaSub(DRW_BUFFER* dst, i32 x, i32 y, i32 width, i32 height, DRW_BUFFER* src, i32 srcX,
                           i32 srcY, i32 level, u32 key) {
    if (!Usable(dst) || !Usable(src)) return 0;
    if (!DRW_Cliping(&x, &y, &width, &height, &srcX, &srcY, 0, 0, dst->width, dst->height, src->width,
                     src->height))
        return 0;
    const u32 a = level < 0 ? 0 : u32(level % 256) / 8;  // negative levels draw as 0
    const PairMasks m = DisplayMasks();
    WalkPairs(PixelAt(dst, x, y), dst->width, PixelAt(src, srcX, srcY), src->width, width, height, key,
              [&](u32 sp, u32 dp) { return ScalePair(dp, 32 - a, m) + ScalePair(sp, a, m); });
    return 0;
}

int DWW_DrawObjectAlpha(DRW_BUFFER* dst, i32 x, i32 y, i32 width, i32 height, DRW_BUFFER* src, i32 srcX, i32 srcY,
                        i32 level, u32 key) {
    return DWW_DrawObjectAlphaSub(dst, x, y, width, height, src, srcX, srcY, level, key);
}

int DWW_DrawObjectBH(DRW_BUFFER* dst, i32 x, i32 y, i32 width, i32 height, DRW_BUFFER* src, i32 srcX, i32 srcY,
                     u32 key) {
    if (!Usable(dst) || !Usable(src)) return 0;
    if (!DRW_Cliping(&x, &y, &width, &height, &srcX, &srcY, 0, 0, dst->width, dst->height, src->width,
                     src->height))
        return 0;
    const u16 m = HalfMask();
    for (i32 j = 0; j < height; ++j) {
        u16* d = PixelAt(dst, x, i64(y) + j);
        const u16* s = PixelAt(src, srcX, i64(srcY) + j);
        i32 i = 0;
        if (key != DRW_NO_KEY) {
            // Pairs; an odd last column is left as it is.
            for (; i + 1 < width; i += 2) {
                const bool key0 = s[i] == key, key1 = s[i + 1] == key;
                if (key0 && key1) continue;
                if (!key0) d[i] = HalfBlend(s[i], d[i], m);
                if (!key1) d[i + 1] = HalfBlend(s[i + 1], d[i + 1], m);
            }
            continue;
        }
        if (ProcessorClass >= 3) {
            // Four pixels per 64-bit word: the mask clears every lane's bit 0, so one shift of the
            // whole word halves each lane, and halves of at most 0x7BEF never carry across lanes.
            const u64 m4 = u64(m) * 0x0001000100010001ull;
            for (; i + 3 < width; i += 4) {
                const u64 sw = u64(Pair(s + i)) | u64(Pair(s + i + 2)) << 32;
                const u64 dw = u64(Pair(d + i)) | u64(Pair(d + i + 2)) << 32;
                const u64 out = ((sw & m4) >> 1) + ((dw & m4) >> 1);
                d[i] = u16(out), d[i + 1] = u16(out >> 16), d[i + 2] = u16(out >> 32), d[i + 3] = u16(out >> 48);
            }
        } else {
            const u32 m2 = u32(m) * 0x00010001u;
            for (; i + 1 < width; i += 2) {
                const u32 out = ((Pair(s + i) & m2) >> 1) + ((Pair(d + i) & m2) >> 1);
                d[i] = u16(out), d[i + 1] = u16(out >> 16);
            }
        }
        for (; i < width; ++i) d[i] = HalfBlend(s[i], d[i], m);
    }
    return 1;
}

namespace {

// Locks the source, then the destination, and runs fn on the two buffers; 0 when a lock fails.
template <class Fn>
int WithTwoLocks(plat::Surface* dst, plat::Surface* src, Fn&& fn) {
    const SurfLockPair locks(src, dst);
    if (!locks.ok()) return 0;
    DRW_BUFFER db = BufferOf(locks.secondDesc), sb = BufferOf(locks.firstDesc);
    return fn(&db, &sb);
}

}  // namespace

int DSW_DrawObjectAlpha(plat::Surface* dst, i32 x, i32 y, i32 width, i32 height, plat::Surface* src, i32 srcX,
                        i32 srcY, i32 level, u32 key) {
    return WithTwoLocks(dst, src, [&](DRW_BUFFER* db, DRW_BUFFER* sb) {
        if (ProcessorClass < 3 && level == 128) return DWW_DrawObjectBH(db, x, y, width, height, sb, srcX, srcY, key);
        return DWW_DrawObjectAlphaSub(db, x, y, width, height, sb, srcX, srcY, level, key);
    });
}

int DSW_DrawObjectBH(plat::Surface* dst, i32 x, i32 y, i32 width, i32 height, plat::Surface* src, i32 srcX,
                     i32 srcY, u32 key) {
    return WithTwoLocks(dst, src, [&](DRW_BUFFER* db, DRW_BUFFER* sb) {
        return DWW_DrawObjectBH(db, x, y, width, height, sb, srcX, srcY, key);
    });
}

// ---------------------------------------------------------------------------------------------
// darkening copy

void FadeInBlack(u16* dst, i32 x, i32 y, i32 dstWidth, i32 dstHeight, i32 width, i32 height, const u16* src,
                 i32 srcX, i32 srcY, i32 srcWidth, i32 srcHeight, i32 level, u32 key, const RECT* clip) {
    if (dst == nullptr || src == nullptr) return;
    if (!DRW_Cliping2(&x, &y, &width, &height, &srcX, &srcY, dstWidth, dstHeight, clip, srcWidth, srcHeight)) return;
    const u32 k = u32(std::clamp(level, 0, 31));
    const PairMasks m = DisplayMasks();
    WalkPairs(dst + i64(y) * dstWidth + x, dstWidth, src + i64(srcY) * srcWidth + srcX, srcWidth, width, height, key,
              [&](u32 sp, u32) { return ScalePair(sp, k, m); });
}

void DWW_FadeInBlack(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, u32 key) {
    const SurfLockPair locks(dst, src);
    if (!locks.ok()) return;
    const DRW_BUFFER db = BufferOf(locks.firstDesc), sb = BufferOf(locks.secondDesc);
    const RECT r = srcRect != nullptr ? *srcRect : RECT{0, 0, sb.width, sb.height};
    FadeInBlack(db.pixels, x, y, db.width, db.height, r.right - r.left, r.bottom - r.top, sb.pixels, r.left, r.top,
                sb.width, sb.height, level, key, nullptr);
}

// ---------------------------------------------------------------------------------------------
// lines

namespace {

// Steps from (x2, y2) toward (x1, y1), one pixel per step along the major axis; the far end itself is
// not plotted.
template <class Plot>
void StepLine(i64 x1, i64 y1, i64 x2, i64 y2, Plot&& plot) {
    const i64 adx = std::abs(x1 - x2), ady = std::abs(y1 - y2);
    const i64 sx = x1 > x2 ? 1 : -1, sy = y1 > y2 ? 1 : -1;
    i64 x = x2, y = y2, e = 0;
    if (adx >= ady) {
        for (i64 i = 0; i < adx; ++i) {
            plot(x, y);
            x += sx;
            e += ady;
            if (e >= adx) { y += sy; e -= adx; }
        }
    } else {
        for (i64 i = 0; i < ady; ++i) {
            plot(x, y);
            y += sy;
            e += adx;
            if (e >= ady) { x += sx; e -= ady; }
        }
    }
}

template <class Put>
void DrawLineWith(u16* pixels, i32 x1, i32 y1, i32 x2, i32 y2, i32 width, i32 height, Put&& put) {
    if (pixels == nullptr || width <= 0 || height <= 0) return;
    if (!DRW_ClipingLine(&x1, &y1, &x2, &y2, 0, 0, width, height)) return;
    StepLine(x1, y1, x2, y2, [&](i64 x, i64 y) { put(pixels[y * width + x]); });
}

template <class Fn>
void WithBuffer(plat::Surface* surface, Fn&& fn) {
    plat::SurfaceDesc desc;
    std::memset(&desc, 0, sizeof(desc));
    if (SURF_Lock(surface, &desc) != 0) return;
    DRW_BUFFER b = BufferOf(desc);
    fn(&b);
    SURF_Unlock(surface);
}

}  // namespace

void DRWW_DrawLine(u16* pixels, i32 x1, i32 y1, i32 x2, i32 y2, i32 width, i32 height, u32 color) {
    DrawLineWith(pixels, x1, y1, x2, y2, width, height, [&](u16& p) { p = u16(color); });
}

void DRWW_DrawLineBH(u16* pixels, i32 x1, i32 y1, i32 x2, i32 y2, i32 width, i32 height, u32 color) {
    const u16 m = HalfMask();
    DrawLineWith(pixels, x1, y1, x2, y2, width, height, [&](u16& p) { p = HalfBlend(color, p, m); });
}

void DRWS_DrawLine(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color) {
    WithBuffer(surface, [&](DRW_BUFFER* b) { DRWW_DrawLine(b->pixels, x1, y1, x2, y2, b->width, b->height, color); });
}

void DRWS_DrawLineBH(plat::Surface* surface, i32 x1, i32 y1, i32 x2, i32 y2, u32 color) {
    WithBuffer(surface, [&](DRW_BUFFER* b) { DRWW_DrawLineBH(b->pixels, x1, y1, x2, y2, b->width, b->height, color); });
}

// ---------------------------------------------------------------------------------------------
// fills

namespace {

// Fill rectangles come from script files, so they are clipped to the buffer. Pairs of pixels: an
// odd width leaves its last column.
void FillPairs(DRW_BUFFER* buf, i32 left, i32 top, i32 right, i32 bottom, u32 color, u32 a) {
    if (!Usable(buf)) return;
    const i64 l = std::max<i64>(left, 0), t = std::max<i64>(top, 0);
    const i64 r = std::min<i64>(right, buf->width), b = std::min<i64>(bottom, buf->height);
    if (l >= r || t >= b) return;
    const PairMasks m = DisplayMasks();
    const u32 part = ScalePair(u32(u16(color)) * 0x00010001u, a, m);  // the colour's share, once
    u16* first = PixelAt(buf, l, t);
    WalkPairs(first, buf->width, first, buf->width, i32(r - l), i32(b - t), DRW_NO_KEY,
              [&](u32, u32 dp) { return ScalePair(dp, 32 - a, m) + part; });
}

}  // namespace

int DRWW_FillHalf(DRW_BUFFER* buf, i32 left, i32 top, i32 right, i32 bottom, u32 color) {
    FillPairs(buf, left, top, right, bottom, color, 16);
    return 0;
}

int DRWW_FillAlpha(DRW_BUFFER* buf, i32 left, i32 top, i32 right, i32 bottom, u32 color, i32 alpha) {
    FillPairs(buf, left, top, right, bottom, color, alpha < 0 ? 0 : u32(alpha % 256) / 8);
    return 0;
}

int DRWW_Fill(DRW_BUFFER* buf, i32 left, i32 top, i32 right, i32 bottom, u32 color, i32 alpha) {
    if (alpha == 0) return 1;
    if (alpha < 0 || alpha >= 256) return 0;
    if (alpha == 128) return DRWW_FillHalf(buf, left, top, right, bottom, color);
    return DRWW_FillAlpha(buf, left, top, right, bottom, color, alpha);
}

int DRWS_Fill(plat::Surface* surface, i32 left, i32 top, i32 right, i32 bottom, u32 color, i32 alpha) {
    int result = 0;
    WithBuffer(surface, [&](DRW_BUFFER* b) { result = DRWW_Fill(b, left, top, right, bottom, color, alpha); });
    return result;
}
