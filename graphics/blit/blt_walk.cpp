#include "graphics/blit/blt_walk.h"

#include "graphics/display/disp.h"
#include "graphics/display/surf.h"

u32 BltStepTbl[BLT_STEP_MAX];

void BLT_SetStepTbl(u32* table, u32 dstCount, u32 srcCount) {
    u32 acc = dstCount / 2;
    u32 pos = 0;
    const u32 last = srcCount ? srcCount - 1 : 0;
    for (u32 j = 0; j < dstCount; ++j) {
        u32 n = 0;
        while (acc < srcCount) {
            ++n;
            acc += dstCount;
        }
        acc -= srcCount;
        // Enlarging more than twice would carry the last column one pixel past the rectangle.
        u32 next = pos + n;
        if (next > last) next = last;
        table[j] = 2 * (next - pos);
        pos = next;
    }
}

namespace blt {

namespace {

// A source rectangle (already non-empty from the clip) must lie inside its surface: rectangles come
// from data files and scripts.
bool SourceInside(const RECT& r, const plat::SurfaceDesc& d) {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= i32(d.width) &&
           r.bottom <= i32(d.height);
}

}  // namespace

bool Session::Lock(plat::Surface* dstSurf, plat::Surface* srcSurf) {
    locks_.emplace(dstSurf, srcSurf);
    if (!locks_->ok()) return false;
    const plat::SurfaceDesc &dd = locks_->firstDesc, &sd = locks_->secondDesc;
    if (dd.bitCount != 16 || sd.bitCount != 16) return false;
    is565 = SURF_Is565(&dd);
    dstRowStep = dd.pitch / 2;
    srcRowStep = sd.pitch / 2;
    dst = static_cast<u16*>(dd.pixels);
    src = static_cast<const u16*>(sd.pixels);
    return true;
}

bool Session::BeginPlain(plat::Surface* dstSurf, i32 x, i32 y, plat::Surface* srcSurf, const RECT* srcRect,
                         int flags) {
    if (!dstSurf || !srcSurf) return false;
    plat::SurfaceDesc dd{}, sd{};
    if (SURF_GetDesc(dstSurf, &dd) != 0 || SURF_GetDesc(srcSurf, &sd) != 0) return false;
    RECT r = srcRect ? *srcRect : RECT{0, 0, i32(sd.width), i32(sd.height)};
    const int mirror = flags & 0xFF;
    if (!SURF_ClipBlt(&dd, &DispClipRect, &x, &y, &r, mirror)) return false;
    if (!SourceInside(r, sd)) return false;
    if (!Lock(dstSurf, srcSurf)) return false;
    w = sw = r.right - r.left;
    h = sh = r.bottom - r.top;
    mirrorX = (mirror & BLT_MIRROR_LR) != 0;
    const bool mirrorY = (mirror & BLT_MIRROR_UD) != 0;
    src += std::ptrdiff_t(r.top) * srcRowStep + r.left;
    dst += std::ptrdiff_t(mirrorY ? y + h - 1 : y) * dstRowStep + (mirrorX ? x + w - 1 : x);
    if (mirrorY) dstRowStep = -dstRowStep;
    return true;
}

bool Session::BeginScaled(plat::Surface* dstSurf, RECT* dstRect, plat::Surface* srcSurf, const RECT* srcRect,
                          int flags) {
    if (!dstSurf || !srcSurf) return false;
    if (!Lock(dstSurf, srcSurf)) return false;
    plat::SurfaceDesc dd{}, sd{};
    SURF_GetDesc(dstSurf, &dd);
    SURF_GetDesc(srcSurf, &sd);
    RECT whole{0, 0, i32(dd.width), i32(dd.height)};
    RECT* d = dstRect ? dstRect : &whole;
    RECT r = srcRect ? *srcRect : RECT{0, 0, i32(sd.width), i32(sd.height)};
    const int mirror = flags & 0xFF;
    if (!SURF_ClipBltScaled(&dd, &DispClipRect, d, &r, mirror)) return false;
    if (!SourceInside(r, sd)) return false;
    w = d->right - d->left;
    h = d->bottom - d->top;
    if (w <= 0 || h <= 0 || u32(w) > BLT_STEP_MAX) return false;
    sw = r.right - r.left;
    sh = r.bottom - r.top;
    mirrorX = (mirror & BLT_MIRROR_LR) != 0;
    const bool mirrorY = (mirror & BLT_MIRROR_UD) != 0;
    src += std::ptrdiff_t(r.top) * srcRowStep + r.left;
    dst += std::ptrdiff_t(mirrorY ? d->top + h - 1 : d->top) * dstRowStep + (mirrorX ? d->left + w - 1 : d->left);
    if (mirrorY) dstRowStep = -dstRowStep;
    return true;
}

}  // namespace blt
