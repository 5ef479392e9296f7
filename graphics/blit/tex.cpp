// Texture-mapped quadrilaterals and triangles on 8-bit surfaces.
#include "graphics/blit/tex.h"

#include <algorithm>
#include <cstdlib>

#include "graphics/blit/lock_pair.h"

TEX_EDGE TexEdgeTbl[TEX_EDGE_ROWS];

namespace {

void ClearEdges() {
    for (TEX_EDGE& row : TexEdgeTbl) row = {9999, -9999, 0, 0, 0, 0};
}

void MarkEdge(i64 x, i64 y, i64 u, i64 v) {
    if (y < 0 || y >= TEX_EDGE_ROWS) return;
    TEX_EDGE& row = TexEdgeTbl[y];
    if (x < row.minX) {
        row.minX = i32(x);
        row.minU = i32(u);
        row.minV = i32(v);
    }
    if (x > row.maxX) {
        row.maxX = i32(x);
        row.maxU = i32(u);
        row.maxV = i32(v);
    }
}

// Draws the rows of TexEdgeTbl from the source. Rows stop at the destination's height (the table
// alone would run to row 479 of any surface), and samples outside the source are not drawn.
void FillRows(const plat::SurfaceDesc& dd, const plat::SurfaceDesc& sd, int keyFlag) {
    auto* dp = static_cast<u8*>(dd.pixels);
    const auto* sp = static_cast<const u8*>(sd.pixels);
    const i64 dw = dd.width, sw = sd.width, sh = sd.height;
    const i64 rows = std::min<i64>(TEX_EDGE_ROWS, dd.height);
    for (i64 y = 0; y < rows; ++y) {
        const TEX_EDGE& e = TexEdgeTbl[y];
        if (e.minX > e.maxX) continue;
        const i64 n = i64(e.maxX) - e.minX;
        const i64 du = (i64(e.maxU) - e.minU) / (n + 1);
        const i64 dv = (i64(e.maxV) - e.minV) / (n + 1);
        // The texture advances for every x, drawn or not, so the first visible column starts
        // where the stepping would have brought it.
        const i64 x0 = std::max<i64>(e.minX, 0), x1 = std::min<i64>(e.maxX, dw - 1);
        i64 u = e.minU + du * (x0 - e.minX), v = e.minV + dv * (x0 - e.minX);
        u8* row = dp + y * dd.pitch;
        for (i64 x = x0; x <= x1; ++x, u += du, v += dv) {
            const i64 sr = (v + 128) >> 8, sc = (u + 128) >> 8;
            if (sr < 0 || sr >= sh || sc < 0 || sc >= sw) continue;
            const u8 b = sp[sr * sd.pitch + sc];
            if (keyFlag != 0 && b == 0) continue;
            row[x] = b;
        }
    }
}

// Locks the destination, then the source.
void DrawTable(plat::Surface* dst, plat::Surface* src, int keyFlag) {
    const SurfLockPair locks(dst, src);
    if (locks.ok()) FillRows(locks.firstDesc, locks.secondDesc, keyFlag);
}

}  // namespace

void BLT_SetTexEdge(i32 xa, i32 ya, i32 xb, i32 yb, i32 ua, i32 va, i32 ub, i32 vb) {
    const i64 nx = std::abs(i64(xb) - xa) + 1, ny = std::abs(i64(yb) - ya) + 1;
    const i64 sx = xb >= xa ? 1 : -1, sy = yb >= ya ? 1 : -1;
    i64 u = i64(ua) * 256, v = i64(va) * 256;
    // The position steps by the pixel count, the texture by the distance.
    if (nx < ny) {
        const i64 step = (i64(xb) - xa) * 65536 / ny;
        const i64 dist = std::abs(i64(yb) - ya);
        const i64 du = dist != 0 ? (i64(ub) - ua) * 256 / dist : 0;
        const i64 dv = dist != 0 ? (i64(vb) - va) * 256 / dist : 0;
        i64 x = i64(xa) * 65536, y = ya;
        for (i64 i = 0; i < ny; ++i, y += sy, x += step, u += du, v += dv) MarkEdge(x / 65536, y, u, v);
    } else {
        const i64 step = (i64(yb) - ya) * 65536 / nx;
        const i64 dist = std::abs(i64(xb) - xa);
        const i64 du = dist != 0 ? (i64(ub) - ua) * 256 / dist : 0;
        const i64 dv = dist != 0 ? (i64(vb) - va) * 256 / dist : 0;
        i64 y = i64(ya) * 65536, x = xa;
        for (i64 i = 0; i < nx; ++i, x += sx, y += step, u += du, v += dv) MarkEdge(x, y / 65536, u, v);
    }
}

void BLT_TexQuad8(plat::Surface* dst, const POINT* p, plat::Surface* src, const RECT* r, int keyFlag) {
    if (p == nullptr || r == nullptr) return;
    ClearEdges();
    const i32 l = r->left, t = r->top, rr = r->right - 1, b = r->bottom - 1;
    BLT_SetTexEdge(p[0].x, p[0].y, p[1].x, p[1].y, l, t, rr, t);
    BLT_SetTexEdge(p[1].x, p[1].y, p[2].x, p[2].y, rr, t, rr, b);
    BLT_SetTexEdge(p[2].x, p[2].y, p[3].x, p[3].y, rr, b, l, b);
    BLT_SetTexEdge(p[3].x, p[3].y, p[0].x, p[0].y, l, b, l, t);
    DrawTable(dst, src, keyFlag);
}

void BLT_TexTri8(plat::Surface* dst, const POINT* p, plat::Surface* src, const POINT* t, int keyFlag) {
    if (p == nullptr || t == nullptr) return;
    ClearEdges();
    BLT_SetTexEdge(p[0].x, p[0].y, p[1].x, p[1].y, t[0].x, t[0].y, t[1].x, t[1].y);
    BLT_SetTexEdge(p[1].x, p[1].y, p[2].x, p[2].y, t[1].x, t[1].y, t[2].x, t[2].y);
    BLT_SetTexEdge(p[2].x, p[2].y, p[0].x, p[0].y, t[2].x, t[2].y, t[0].x, t[0].y);
    DrawTable(dst, src, keyFlag);
}
