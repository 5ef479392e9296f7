// Circles, ellipses, the 8×8 pattern fill and the rotated bar, built on the pixel and span bodies.
#include <algorithm>
#include <cstdlib>

#include "graphics/blit/prim.h"
#include "graphics/blit/prim_impl.h"

using namespace prim_detail;

namespace {

// v × num / den truncated toward zero; a zero denominator (an ellipse whose larger radius is 0)
// scales to 0, so such an ellipse marks only its centre.
i64 Scale(i64 v, i64 num, i64 den) { return den == 0 ? 0 : v * num / den; }

template <class P>
void Circle(const PRIM_DESC* d, i64 cx, i64 cy, i64 r, u32 color) {
    i64 x = r, y = 0, e = r;
    while (y <= x) {
        PutPixel<P>(d, cx + x, cy + y, color);
        PutPixel<P>(d, cx + x, cy - y, color);
        PutPixel<P>(d, cx - x, cy + y, color);
        PutPixel<P>(d, cx - x, cy - y, color);
        PutPixel<P>(d, cx + y, cy + x, color);
        PutPixel<P>(d, cx + y, cy - x, color);
        PutPixel<P>(d, cx - y, cy + x, color);
        PutPixel<P>(d, cx - y, cy - x, color);
        e -= 2 * y - 1;
        ++y;
        if (e < 0) {
            e += 2 * x - 2;
            --x;
        }
    }
}

template <class P>
void CircleFill(const PRIM_DESC* d, i64 cx, i64 cy, i64 r, u32 color) {
    i64 x = r, y = 0, e = r;
    while (y <= x) {
        HLine<P>(d, cx - x, cx + x, cy + y, color);
        HLine<P>(d, cx - x, cx + x, cy - y, color);
        e -= 2 * y - 1;
        ++y;
        if (e < 0) {
            HLine<P>(d, cx - y + 1, cx + y - 1, cy + x, color);
            HLine<P>(d, cx - y + 1, cx + y - 1, cy - x, color);
            e += 2 * x - 2;
            --x;
        }
    }
}

template <class P>
void Ellipse(const PRIM_DESC* d, i64 cx, i64 cy, i64 rx, i64 ry, u32 color) {
    const bool wide = rx > ry;
    const i64 r = wide ? rx : ry;
    const i64 other = wide ? ry : rx;
    i64 x = r, y = 0, e = r;
    while (y <= x) {
        const i64 sx = Scale(x, other, r), sy = Scale(y, other, r);
        if (wide) {
            PutPixel<P>(d, cx + x, cy + sy, color);
            PutPixel<P>(d, cx + x, cy - sy, color);
            PutPixel<P>(d, cx - x, cy + sy, color);
            PutPixel<P>(d, cx - x, cy - sy, color);
            PutPixel<P>(d, cx + y, cy + sx, color);
            PutPixel<P>(d, cx + y, cy - sx, color);
            PutPixel<P>(d, cx - y, cy + sx, color);
            PutPixel<P>(d, cx - y, cy - sx, color);
        } else {
            PutPixel<P>(d, cx + sx, cy + y, color);
            PutPixel<P>(d, cx + sx, cy - y, color);
            PutPixel<P>(d, cx - sx, cy + y, color);
            PutPixel<P>(d, cx - sx, cy - y, color);
            PutPixel<P>(d, cx + sy, cy + x, color);
            PutPixel<P>(d, cx + sy, cy - x, color);
            PutPixel<P>(d, cx - sy, cy + x, color);
            PutPixel<P>(d, cx - sy, cy - x, color);
        }
        e -= 2 * y - 1;
        ++y;
        if (e < 0) {
            e += 2 * x - 2;
            --x;
        }
    }
}

template <class P>
void EllipseFill(const PRIM_DESC* d, i64 cx, i64 cy, i64 rx, i64 ry, u32 color) {
    if (rx > ry) {
        i64 x = rx, y = 0, e = rx;
        while (y <= x) {
            const i64 sy = Scale(y, ry, rx);
            HLine<P>(d, cx - x, cx + x, cy + sy, color);
            HLine<P>(d, cx - x, cx + x, cy - sy, color);
            e -= 2 * y - 1;
            ++y;
            if (e < 0) {
                const i64 sx = Scale(x, ry, rx);
                HLine<P>(d, cx - y + 1, cx + y - 1, cy + sx, color);
                HLine<P>(d, cx - y + 1, cx + y - 1, cy - sx, color);
                e += 2 * x - 2;
                --x;
            }
        }
    } else {
        i64 x = ry, y = 0, e = ry;
        i64 sx = Scale(x, rx, ry);
        while (y <= x) {
            HLine<P>(d, cx - sx, cx + sx, cy + y, color);
            HLine<P>(d, cx - sx, cx + sx, cy - y, color);
            e -= 2 * y - 1;
            ++y;
            if (e < 0) {
                const i64 sy = Scale(y - 1, rx, ry);
                HLine<P>(d, cx - sy, cx + sy, cy + x, color);
                HLine<P>(d, cx - sy, cx + sy, cy - x, color);
                e += 2 * x - 2;
                --x;
                sx = Scale(x, rx, ry);
            }
        }
    }
}

template <class P>
void PatternFill(const PRIM_DESC* d, i64 x1, i64 y1, i64 x2, i64 y2, u32 color, i32 keyFlag, const u8* pattern) {
    if (pattern == nullptr) return;
    if (x1 < 0) x1 = 0;
    if (y1 < 0) y1 = 0;
    if (x2 >= Width(d)) x2 = Width(d) - 1;
    if (y2 >= Height(d)) y2 = Height(d) - 1;
    if (x2 < x1 || y2 < y1) return;
    const P key = P(d->colorKeyLow);
    for (i64 y = y1; y <= y2; ++y) {
        const u8 bits = pattern[(y - y1) & 7];
        P* row = Row<P>(d, y);
        for (i64 x = x1; x <= x2; ++x) {
            if (((bits >> (7 - ((x - x1) & 7))) & 1) == 0) continue;
            if (keyFlag != 0 && row[x] == key) continue;
            row[x] = P(color);
        }
    }
}

}  // namespace

PRIM_DEFINE_FAMILY(Circle, Circle, (i32 cx, i32 cy, i32 r, u32 color), (cx, cy, r, color))
PRIM_DEFINE_FAMILY(CircleFill, CircleFill, (i32 cx, i32 cy, i32 r, u32 color), (cx, cy, r, color))
PRIM_DEFINE_FAMILY(Ellipse, Ellipse, (i32 cx, i32 cy, i32 rx, i32 ry, u32 color), (cx, cy, rx, ry, color))
PRIM_DEFINE_FAMILY(EllipseFill, EllipseFill, (i32 cx, i32 cy, i32 rx, i32 ry, u32 color), (cx, cy, rx, ry, color))
PRIM_DEFINE_FAMILY(PatternFill, PatternFill,
                   (i32 x1, i32 y1, i32 x2, i32 y2, u32 color, i32 keyFlag, const u8* pattern),
                   (x1, y1, x2, y2, color, keyFlag, pattern))

