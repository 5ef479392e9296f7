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

// The circle stepping every circle and ellipse shares: step(x, y) at each step; farRows(x, y') just
// before x decreases, with y' the y of that step (the filled shapes draw their far rows there).
template <class Step, class Far>
void StepCircle(i64 r, Step step, Far farRows) {
    i64 x = r, y = 0, e = r;
    while (y <= x) {
        step(x, y);
        e -= 2 * y - 1;
        ++y;
        if (e < 0) {
            farRows(x, y - 1);
            e += 2 * x - 2;
            --x;
        }
    }
}

void NoFar(i64, i64) {}

// The eight mirrored points of one step: (±a, ±b) then (±c, ±e) about the centre, in that order.
template <class P>
void Plot8(const PRIM_DESC* d, i64 cx, i64 cy, i64 a, i64 b, i64 c, i64 e, u32 color) {
    PutPixel<P>(d, cx + a, cy + b, color);
    PutPixel<P>(d, cx + a, cy - b, color);
    PutPixel<P>(d, cx - a, cy + b, color);
    PutPixel<P>(d, cx - a, cy - b, color);
    PutPixel<P>(d, cx + c, cy + e, color);
    PutPixel<P>(d, cx + c, cy - e, color);
    PutPixel<P>(d, cx - c, cy + e, color);
    PutPixel<P>(d, cx - c, cy - e, color);
}

// Spans cx - half .. cx + half on rows cy + dy, then cy - dy.
template <class P>
void Spans2(const PRIM_DESC* d, i64 cx, i64 half, i64 cy, i64 dy, u32 color) {
    HLine<P>(d, cx - half, cx + half, cy + dy, color);
    HLine<P>(d, cx - half, cx + half, cy - dy, color);
}

template <class P>
void Circle(const PRIM_DESC* d, i64 cx, i64 cy, i64 r, u32 color) {
    StepCircle(r, [&](i64 x, i64 y) { Plot8<P>(d, cx, cy, x, y, y, x, color); }, NoFar);
}

template <class P>
void CircleFill(const PRIM_DESC* d, i64 cx, i64 cy, i64 r, u32 color) {
    StepCircle(
        r, [&](i64 x, i64 y) { Spans2<P>(d, cx, x, cy, y, color); },
        [&](i64 x, i64 y) { Spans2<P>(d, cx, y, cy, x, color); });
}

// The larger radius is stepped; offsets along the other axis are scaled by the ratio of the radii.
template <class P>
void Ellipse(const PRIM_DESC* d, i64 cx, i64 cy, i64 rx, i64 ry, u32 color) {
    if (rx > ry) {
        StepCircle(
            rx,
            [&](i64 x, i64 y) { Plot8<P>(d, cx, cy, x, Scale(y, ry, rx), y, Scale(x, ry, rx), color); },
            NoFar);
    } else {
        StepCircle(
            ry,
            [&](i64 x, i64 y) { Plot8<P>(d, cx, cy, Scale(x, rx, ry), y, Scale(y, rx, ry), x, color); },
            NoFar);
    }
}

template <class P>
void EllipseFill(const PRIM_DESC* d, i64 cx, i64 cy, i64 rx, i64 ry, u32 color) {
    if (rx > ry) {
        StepCircle(
            rx, [&](i64 x, i64 y) { Spans2<P>(d, cx, x, cy, Scale(y, ry, rx), color); },
            [&](i64 x, i64 y) { Spans2<P>(d, cx, y, cy, Scale(x, ry, rx), color); });
    } else {
        StepCircle(
            ry, [&](i64 x, i64 y) { Spans2<P>(d, cx, Scale(x, rx, ry), cy, y, color); },
            [&](i64 x, i64 y) { Spans2<P>(d, cx, Scale(y, rx, ry), cy, x, color); });
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

