// Mesh, table blends (alpha, additive, any level) and the pixel-pair darkening and whitening blits.
#include "graphics/blit/blt_walk.h"
#include "graphics/blit/drw_pair.h"
#include "graphics/blit/lock_pair.h"
#include "graphics/display/disp.h"
#include "graphics/display/surf.h"

using blt::Session;

const u8 MeshPatTbl[15][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00, 0x11},
    {0x00, 0x44, 0x00, 0x11, 0x00, 0x44, 0x00, 0x11}, {0x00, 0x44, 0x00, 0x55, 0x00, 0x44, 0x00, 0x55},
    {0x00, 0x55, 0x00, 0x55, 0x00, 0x55, 0x00, 0x55}, {0x00, 0x55, 0x22, 0x55, 0x00, 0x55, 0x22, 0x55},
    {0x88, 0x55, 0x22, 0x55, 0x88, 0x55, 0x22, 0x55}, {0x88, 0x55, 0xaa, 0x55, 0x88, 0x55, 0xaa, 0x55},
    {0xaa, 0x55, 0xaa, 0x55, 0xaa, 0x55, 0xaa, 0x55}, {0xaa, 0xdd, 0xaa, 0x7f, 0xaa, 0xdd, 0xaa, 0x7f},
    {0xaa, 0xdd, 0xaa, 0xff, 0xaa, 0xdd, 0xaa, 0xff}, {0xaa, 0xff, 0xaa, 0xff, 0xaa, 0xff, 0xaa, 0xff},
    {0xaa, 0xff, 0xbb, 0xff, 0xaa, 0xff, 0xbb, 0xff}, {0xee, 0xff, 0xbb, 0xff, 0xee, 0xff, 0xbb, 0xff},
    {0xee, 0xff, 0xff, 0xff, 0xee, 0xff, 0xff, 0xff},
};

namespace {

// The pattern counts rows and pixels still to draw, so it stays anchored to the walk's last row and
// column whatever the clipping or mirroring.
template <bool Keyed, bool MirrorX>
void MeshRow(u16* d, const u16* sp, i32 w, u8 dots) {
    for (i32 i = 0; i < w; ++i) {
        const u16 sv = sp[i];
        u16* dp = MirrorX ? d - i : d + i;
        const bool on = ((dots >> ((w - i) & 7)) & 1) != 0 && (!Keyed || sv != 0);
        *dp = on ? sv : *dp;
    }
}

template <bool Keyed, bool MirrorX>
void MeshPlain(const Session& s, const u8* pat) {
    u16* d = s.dst;
    const u16* sp = s.src;
    for (i32 row = 0; row < s.h; ++row) {
        MeshRow<Keyed, MirrorX>(d, sp, s.w, pat[(s.h - row) & 7]);
        d += s.dstRowStep;
        sp += s.srcRowStep;
    }
}

template <bool Keyed, bool MirrorX>
void MeshScaled(const Session& s, const u8* pat) {
    const i32 w = s.w;
    const u32 h = u32(s.h);
    blt::ScaledRowWalk(s, [&](u32 row, u16* d, const u16* sp) {
        const u8 dots = pat[(h - row) & 7];
        for (i32 j = 0; j < w; ++j) {
            const u16 sv = *sp;
            u16* dp = MirrorX ? d - j : d + j;
            const bool on = ((dots >> ((w - j) & 7)) & 1) != 0 && (!Keyed || sv != 0);
            *dp = on ? sv : *dp;
            sp += BltStepTbl[j] >> 1;
        }
    });
}

// Both surfaces locked; the area is clipped to the destination's rows (not the global clip rectangle)
// and its source part checked against the source. Calls fn with everything the pair workers take.
template <class Fn>
void WithPairs(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, Fn fn) {
    if (!dst || !src) return;
    const SurfLockPair locks(dst, src);
    if (!locks.ok()) return;
    const plat::SurfaceDesc &dd = locks.firstDesc, &sd = locks.secondDesc;
    const RECT r = srcRect ? *srcRect : RECT{0, 0, i32(sd.width), i32(sd.height)};
    const i64 w64 = i64(r.right) - r.left, h64 = i64(r.bottom) - r.top;
    if (dd.bitCount == 16 && sd.bitCount == 16 && w64 > 0 && h64 > 0 && w64 <= INT32_MAX && h64 <= INT32_MAX) {
        i32 cx = x, cy = y, cw = i32(w64), ch = i32(h64), sl = r.left, st = r.top;
        const i32 dstRowPixels = dd.pitch / 2;
        if (BLT_ClipPairs(&cx, &cy, &cw, &ch, &sl, &st, dstRowPixels, i32(dd.height), nullptr) && sl >= 0 &&
            st >= 0 && i64(sl) + cw <= i64(sd.width) && i64(st) + ch <= i64(sd.height))
            fn(static_cast<u16*>(dd.pixels), cx, cy, dstRowPixels, i32(dd.height), cw, ch,
               static_cast<const u16*>(sd.pixels), sl, st, sd.pitch / 2);
    }
}

}  // namespace

int BLT_Mesh(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, int flags,
             int keyFlag) {
    if (level <= 0) return 0;
    if (level >= 15) return BLT_CopyFlip(dst, x, y, src, srcRect, flags, keyFlag);
    Session s;
    if (!s.BeginPlain(dst, x, y, src, srcRect, flags)) return 0;
    const u8* pat = MeshPatTbl[level];
    blt::Dispatch4(keyFlag != 0, s.mirrorX, [&]<bool K, bool M>() { MeshPlain<K, M>(s, pat); });
    return 0;
}

int BLT_MeshScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 level,
                   int flags, int keyFlag) {
    if (level <= 0) return 0;
    if (level >= 15) return BLT_CopyScaled(dst, dstRect, src, srcRect, flags, keyFlag);
    Session s;
    if (!s.BeginScaled(dst, dstRect, src, srcRect, flags)) return 0;
    const u8* pat = MeshPatTbl[level];
    BLT_SetStepTbl(BltStepTbl, u32(s.w), u32(s.sw));
    blt::Dispatch4(keyFlag != 0, s.mirrorX, [&]<bool K, bool M>() { MeshScaled<K, M>(s, pat); });
    return 0;
}

int BLT_BlendTbl(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, int flags,
                 int keyFlag) {
    return BLT_BlendRGB(dst, x, y, src, srcRect, level, level, level, flags, keyFlag);
}

int BLT_BlendTblScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 level,
                       int flags, int keyFlag) {
    return BLT_BlendRGBScaled(dst, dstRect, src, srcRect, level, level, level, flags, keyFlag);
}

int BLT_Alpha(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, int flags,
              int keyFlag) {
    if (level <= 0) return 0;
    if (level >= 31) return BLT_CopyFlip(dst, x, y, src, srcRect, flags, keyFlag);
    return BLT_BlendTbl(dst, x, y, src, srcRect, level, flags, keyFlag);
}

int BLT_AlphaScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 level,
                    int flags, int keyFlag) {
    if (level <= 0) return 0;
    if (level >= 31) return BLT_CopyScaled(dst, dstRect, src, srcRect, flags, keyFlag);
    return BLT_BlendTblScaled(dst, dstRect, src, srcRect, level, flags, keyFlag);
}

int BLT_AlphaAdd(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, int flags,
                 int keyFlag) {
    if (level <= 0) return 0;
    if (level > 63) level = 63;
    return BLT_BlendTbl(dst, x, y, src, srcRect, level + 32, flags, keyFlag);
}

int BLT_AlphaAddScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 level,
                       int flags, int keyFlag) {
    if (level <= 0) return 0;
    if (level > 63) level = 63;
    return BLT_BlendTblScaled(dst, dstRect, src, srcRect, level + 32, flags, keyFlag);
}

// ---- pixel pairs ----

int BLT_ClipPairs(i32* x, i32* y, i32* w, i32* h, i32* srcLeft, i32* srcTop, i32 width, i32 height,
                  const RECT* clipRect) {
    const RECT c = clipRect ? *clipRect : RECT{0, 0, width, height};
    if (i64(*x) + *w < c.left || c.right <= *x || i64(*y) + *h < c.top || c.bottom <= *y) return 0;
    if (*x < c.left) {
        const i32 cut = c.left - *x;
        *srcLeft += cut;
        *w -= cut;
        *x = c.left;
    }
    if (*w > c.right - *x) *w = c.right - *x;
    if (*y < c.top) {
        const i32 cut = c.top - *y;
        *srcTop += cut;
        *h -= cut;
        *y = c.top;
    }
    if (*h > c.bottom - *y) *h = c.bottom - *y;
    return (*w >= 1 && *h >= 1) ? 1 : 0;
}

int BLT_DarkPairs(u16* dstBits, i32 x, i32 y, i32 dstRowPixels, i32 dstHeight, i32 w, i32 h, const u16* srcBits,
                  i32 srcLeft, i32 srcTop, i32 srcRowPixels, i32 level, u32 key, const RECT* clipRect) {
    if (!BLT_ClipPairs(&x, &y, &w, &h, &srcLeft, &srcTop, dstRowPixels, dstHeight, clipRect)) return 0;
    const u32 lv = u32(blt::Clamp(level, 0, 31));
    const drw_detail::PairMasks m = drw_detail::DisplayMasks();
    drw_detail::WalkPairs(dstBits + std::ptrdiff_t(y) * dstRowPixels + x, dstRowPixels,
                          srcBits + std::ptrdiff_t(srcTop) * srcRowPixels + srcLeft, srcRowPixels, w, h, key,
                          [&](u32 p, u32) { return drw_detail::ScalePair(p, lv, m); });
    return 1;
}

int BLT_WhitePairs(u16* dstBits, i32 x, i32 y, i32 dstRowPixels, i32 dstHeight, i32 w, i32 h,
                   const u16* srcBits, i32 srcLeft, i32 srcTop, i32 srcRowPixels, u32 key, const RECT* clipRect,
                   i32 level) {
    if (key != 0xFFFFFFFFu) return 0;
    if (!BLT_ClipPairs(&x, &y, &w, &h, &srcLeft, &srcTop, dstRowPixels, dstHeight, clipRect)) return 0;
    const u32 lv = u32(level);
    const drw_detail::PairMasks m = drw_detail::DisplayMasks();
    // Each channel moves toward its maximum: c + (max - c) × level / 32.
    drw_detail::WalkPairs(dstBits + std::ptrdiff_t(y) * dstRowPixels + x, dstRowPixels,
                          srcBits + std::ptrdiff_t(srcTop) * srcRowPixels + srcLeft, srcRowPixels, w, h, key,
                          [&](u32 p, u32) {
                              const u32 pa = p & m.a, pb = p & m.b;
                              return (((((m.a - pa) >> 5) * lv) + pa) & m.a) |
                                     (((((m.b - pb) * lv) >> 5) + pb) & m.b);
                          });
    return 1;
}

int BLT_Dark(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, int flags,
             int keyFlag) {
    WithPairs(dst, x, y, src, srcRect,
              [&](u16* db, i32 cx, i32 cy, i32 drp, i32 dh, i32 cw, i32 ch, const u16* sb, i32 sl, i32 st, i32 srp) {
                  BLT_DarkPairs(db, cx, cy, drp, dh, cw, ch, sb, sl, st, srp, level, keyFlag ? 0u : 0x10000u,
                                nullptr);
              });
    return 0;
}

int BLT_White(plat::Surface* dst, i32 x, i32 y, plat::Surface* src, const RECT* srcRect, i32 level, int flags,
              int keyFlag) {
    if (level < 1) return BLT_Copy(dst, x, y, src, srcRect, keyFlag);
    if (level >= 32) {
        // The white area has the source rectangle's size.
        if (!src) return 0;
        plat::SurfaceDesc sd{};
        if (SURF_GetDesc(src, &sd) != 0) return 0;
        const RECT r = srcRect ? *srcRect : RECT{0, 0, i32(sd.width), i32(sd.height)};
        const RECT area{x, y, i32(i64(x) + r.right - r.left), i32(i64(y) + r.bottom - r.top)};
        SURF_Fill(dst, &area, 0xFFFF);
        return 0;
    }
    WithPairs(dst, x, y, src, srcRect,
              [&](u16* db, i32 cx, i32 cy, i32 drp, i32 dh, i32 cw, i32 ch, const u16* sb, i32 sl, i32 st, i32 srp) {
                  BLT_WhitePairs(db, cx, cy, drp, dh, cw, ch, sb, sl, st, srp, 0xFFFFFFFFu, nullptr, level);
              });
    return 0;
}

int BLT_DarkScaled(plat::Surface* dst, RECT* dstRect, plat::Surface* src, const RECT* srcRect, i32 level,
                   int flags, int keyFlag) {
    if (!dst || !src) return 0;
    plat::SurfaceDesc sd{};
    if (SURF_GetDesc(src, &sd) != 0) return 0;
    const RECT r = srcRect ? *srcRect : RECT{0, 0, i32(sd.width), i32(sd.height)};
    if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom || r.right > i32(sd.width) ||
        r.bottom > i32(sd.height))
        return 0;
    const i32 w = r.right - r.left, h = r.bottom - r.top;
    plat::Surface* tmp = SURF_Create(w, h, SURF_CAPS_SYSMEM);
    if (!tmp) return 0;
    // Pixel 0 is every surface's key; the stretch below honours keyFlag through it.
    SURF_SetColorKey(tmp, 0);
    BLT_Dark(tmp, 0, 0, src, &r, level, 0, 0);
    const RECT whole{0, 0, w, h};
    BLT_CopyScaled(dst, dstRect, tmp, &whole, flags, keyFlag);
    SURF_Release(tmp);
    return 0;
}
