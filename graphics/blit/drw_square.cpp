// Affine mapping of a source rectangle onto a quadrilateral of a 16-bit buffer.
#include <algorithm>
#include <cstdint>
#include <utility>

#include "graphics/blit/drw.h"
#include "graphics/blit/drw_pair.h"
#include "graphics/blit/lock_pair.h"

using namespace drw_detail;

SCANLINE ScanlineTbl[DRW_SCANLINE_ROWS];

namespace {

void MarkScanline(i64 y, i64 x, i64 u, i64 v) {
    SCANLINE& row = ScanlineTbl[y];
    if (x < row.minX) {
        row.minX = i32(x), row.minU = i32(u), row.minV = i32(v);
    }
    if (x > row.maxX) {
        row.maxX = i32(x), row.maxU = i32(u), row.maxV = i32(v);
    }
}

}  // namespace

void DRW_SetScanlineTbl(i32 dstWidth, i32 rowCount, i32 xa, i32 ya, i32 xb, i32 yb, i32 ua, i32 va, i32 ub, i32 vb) {
    const i64 count = std::clamp(rowCount, 0, DRW_SCANLINE_ROWS);  // never past the table
    if ((ya < 0 && yb < 0) || (ya >= count && yb >= count)) return;
    if (ya == yb) {
        MarkScanline(ya, xa, ua, va);
        MarkScanline(ya, xb, ub, vb);
        return;
    }
    if (ya > yb) {
        std::swap(xa, xb), std::swap(ya, yb), std::swap(ua, ub), std::swap(va, vb);
    }
    // 16.16 steps computed once, truncated toward zero; only rows inside the table are visited.
    const i64 dy = i64(yb) - ya;
    const i64 sx = ((i64(xb) - xa) << 16) / dy;
    const i64 su = ((i64(ub) - ua) << 16) / dy;
    const i64 sv = ((i64(vb) - va) << 16) / dy;
    const i64 first = std::max<i64>(ya, 0), last = std::min<i64>(yb, count - 1);
    for (i64 y = first; y <= last; ++y) {
        const i64 k = y - ya;
        MarkScanline(y, ((i64(xa) << 16) + k * sx) >> 16, ((i64(ua) << 16) + k * su) >> 16,
                     ((i64(va) << 16) + k * sv) >> 16);
    }
}

int DRW_DrawSquare(DRW_BUFFER* dst, i32 x0, i32 y0, i32 x1, i32 y1, i32 x2, i32 y2, i32 x3, i32 y3, DRW_BUFFER* src,
                   i32 srcX, i32 srcY, i32 srcWidth, i32 srcHeight) {
    for (SCANLINE& row : ScanlineTbl) row = {32767, -32768, 0, 0, 0, 0};
    if (dst == nullptr || dst->pixels == nullptr || src == nullptr || src->pixels == nullptr) return 1;
    // The table holds 480 rows; a taller destination keeps its rows below that untouched.
    const i32 rows = std::clamp(dst->height, 0, DRW_SCANLINE_ROWS);
    auto sat = [](i64 v) { return i32(std::clamp<i64>(v, INT32_MIN, INT32_MAX)); };
    const i32 sr = sat(i64(srcX) + srcWidth), sb = sat(i64(srcY) + srcHeight);
    DRW_SetScanlineTbl(dst->width, rows, x0, y0, x1, y1, srcX, srcY, sr, srcY);
    DRW_SetScanlineTbl(dst->width, rows, x1, y1, x2, y2, sr, srcY, sr, sb);
    DRW_SetScanlineTbl(dst->width, rows, x2, y2, x3, y3, sr, sb, srcX, sb);
    DRW_SetScanlineTbl(dst->width, rows, x3, y3, x0, y0, srcX, sb, srcX, srcY);

    const i64 limitU = (i64(sr) - 1) << 16, limitV = (i64(sb) - 1) << 16;
    for (i32 y = 0; y < rows; ++y) {
        const SCANLINE& e = ScanlineTbl[y];
        if (e.minX > e.maxX) continue;
        const i64 n = i64(e.maxX) - e.minX + 1;
        const i64 du = ((i64(e.maxU) - e.minU) << 16) / n;
        const i64 dv = ((i64(e.maxV) - e.minV) << 16) / n;
        // Columns left of the buffer are stepped over in one go: nothing is limited there.
        const i64 xs = std::max<i64>(e.minX, 0), xe = std::min<i64>(e.maxX, i64(dst->width) - 1);
        i64 u = (i64(e.minU) << 16) + (xs - e.minX) * du;
        i64 v = (i64(e.minV) << 16) + (xs - e.minX) * dv;
        u16* d = PixelAt(dst, 0, y);
        for (i64 x = xs; x <= xe; ++x, u += du, v += dv) {
            if (u < 0 || v < 0) continue;
            // The limit stays in force for the following pixels.
            if (u > limitU) u = limitU;
            if (v > limitV) v = limitV;
            // Samples outside the source buffer are not drawn (a source rectangle may reach past it).
            const i64 su = u >> 16, sv = v >> 16;
            if (su < 0 || sv < 0 || su >= src->width || sv >= src->height) continue;
            d[x] = *PixelAt(src, su, sv);
        }
    }
    return 1;
}

int DSW_DrawSquare(plat::Surface* dst, i32 x0, i32 y0, i32 x1, i32 y1, i32 x2, i32 y2, i32 x3, i32 y3,
                   plat::Surface* src, i32 srcX, i32 srcY, i32 srcWidth, i32 srcHeight) {
    const SurfLockPair locks(dst, src);
    if (!locks.ok()) return 0;
    DRW_BUFFER db = BufferOf(locks.firstDesc), sb = BufferOf(locks.secondDesc);
    return DRW_DrawSquare(&db, x0, y0, x1, y1, x2, y2, x3, y3, &sb, srcX, srcY, srcWidth, srcHeight);
}
