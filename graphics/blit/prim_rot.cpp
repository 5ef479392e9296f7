// The rotated bar on 8-bit palette surfaces: four turned corners walked into a row table, each row
// filled with a palette ramp.
#include <algorithm>
#include <cstdlib>

#include "graphics/blit/prim.h"
#include "graphics/blit/prim_impl.h"
#include "shell/math.h"

using namespace prim_detail;

PRIM_ROT_EDGE RotEdgeTbl[PRIM_ROT_ROWS];

void PRIM_SetRotEdge(i32 x1, i32 y1, i32 x2, i32 y2) {
    const i64 nx = std::abs(i64(x2) - x1) + 1, ny = std::abs(i64(y2) - y1) + 1;
    const i64 sx = x2 >= x1 ? 1 : -1, sy = y2 >= y1 ? 1 : -1;
    auto mark = [](i64 x, i64 y) {
        if (y < 0 || y >= PRIM_ROT_ROWS) return;
        PRIM_ROT_EDGE& row = RotEdgeTbl[y];
        row.minX = i32(std::min<i64>(row.minX, x));
        row.maxX = i32(std::max<i64>(row.maxX, x));
    };
    // The minor axis steps by the point count, not the distance, so it stops one step short.
    if (nx >= ny) {
        const i64 step = ((i64(y2) - y1) * 65536) / nx;
        i64 fy = i64(y1) * 65536, x = x1;
        for (i64 i = 0; i < nx; ++i, x += sx, fy += step) mark(x, fy >> 16);
    } else {
        const i64 step = ((i64(x2) - x1) * 65536) / ny;
        i64 fx = i64(x1) * 65536, y = y1;
        for (i64 i = 0; i < ny; ++i, y += sy, fx += step) mark(fx >> 16, y);
    }
}

void PRIM_RotBarFill8(plat::Surface* surface, i32 x, i32 y, i32 height, i32 width, i32 angle, u32 color) {
    for (PRIM_ROT_EDGE& row : RotEdgeTbl) row = {9999, -9999};
    const i32 half = height >> 1;
    angle %= 360;
    if (angle < 0) angle += 360;
    POINT p[4] = {{x, y - half}, {x, y + half}, {x + width, y + half}, {x + width, y - half}};
    for (POINT& pt : p) MATH_RotatePoint(&pt, pt.x, pt.y, angle, x, y);
    PRIM_SetRotEdge(p[0].x, p[0].y, p[1].x, p[1].y);
    PRIM_SetRotEdge(p[1].x, p[1].y, p[2].x, p[2].y);
    PRIM_SetRotEdge(p[2].x, p[2].y, p[3].x, p[3].y);
    PRIM_SetRotEdge(p[3].x, p[3].y, p[0].x, p[0].y);
    // The topmost and bottommost rotated corners by quadrant; the last row is excluded.
    static constexpr int kFirst[4] = {1, 2, 3, 0};
    static constexpr int kLast[4] = {3, 0, 1, 2};
    const int q = angle / 90;
    i64 first = p[kFirst[q]].y, last = p[kLast[q]].y;

    WithLock(surface, [&](const PRIM_DESC* d) {
        // Rows without a table entry or without pixels are skipped.
        first = std::max<i64>(first, 0);
        last = std::min<i64>({last, PRIM_ROT_ROWS, Height(d)});
        const i64 w = Width(d);
        for (i64 r = first; r < last; ++r) {
            const i64 lo = RotEdgeTbl[r].minX, hi = RotEdgeTbl[r].maxX;
            if (lo > hi) continue;
            const i64 ramp = std::min<i64>((hi - lo) >> 1, 7);
            u8* row = Row<u8>(d, r);
            // The index climbs by one after each of the first ramp pixels and falls by one after
            // each pixel past hi - ramp; only the visible columns are visited.
            for (i64 px = std::max<i64>(lo, 0); px <= std::min(hi, w - 1); ++px) {
                const i64 c = i64(color) + std::min(px - lo, ramp) - std::max<i64>(0, px - 1 - (hi - ramp));
                row[px] = u8(c);
            }
        }
    });
}
