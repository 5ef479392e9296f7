// Pixels, spans, lines and rectangles at 8, 16 and 32 bits per pixel.
#include <cmath>
#include <limits>

#include "graphics/blit/prim.h"
#include "graphics/blit/prim_impl.h"

using namespace prim_detail;

namespace {

// v + 0.5 truncated toward zero (so negative halves round toward zero), saturated to 32 bits.
i32 RoundHalf(double v) {
    const double t = std::trunc(v + 0.5);
    if (!(t == t)) return 0;
    if (t <= double(std::numeric_limits<i32>::min())) return std::numeric_limits<i32>::min();
    if (t >= double(std::numeric_limits<i32>::max())) return std::numeric_limits<i32>::max();
    return i32(t);
}

// Every recomputed coordinate comes from the unclipped end (X, Y) and the slope m. A vertical line
// has an infinite slope, so its x never changes; a horizontal one never reaches the y step.
void ClipEnd(i32& x, i32& y, double X, double Y, double m, bool vertical, i64 w, i64 h) {
    if (x < 0) {
        x = 0;
        y = RoundHalf(Y - X * m);
    } else if (x >= w) {
        x = i32(w - 1);
        y = RoundHalf((double(w - 1) - X) * m + Y);
    }
    if (y < 0) {
        if (!vertical && m != 0.0) x = RoundHalf(X - Y / m);
        y = 0;
    } else if (y >= h) {
        y = i32(h - 1);
        if (!vertical && m != 0.0) x = RoundHalf((double(h - 1) - Y) / m + X);
    }
}

}  // namespace

int PRIM_ClipLine(const PRIM_DESC* desc, i32& x1, i32& y1, i32& x2, i32& y2) {
    const i64 w = Width(desc), h = Height(desc);
    if ((x1 < 0 && x2 < 0) || (x1 >= w && x2 >= w) || (y1 < 0 && y2 < 0) || (y1 >= h && y2 >= h)) return 0;
    const double X1 = x1, Y1 = y1, X2 = x2, Y2 = y2;
    const bool vertical = x1 == x2;
    const double m = vertical ? 0.0 : (Y2 - Y1) / (X2 - X1);
    ClipEnd(x1, y1, X1, Y1, m, vertical, w, h);
    ClipEnd(x2, y2, X2, Y2, m, vertical, w, h);
    return 1;
}

u32 PRIM_GetPixel(const PRIM_DESC* desc, i32 x, i32 y) {
    if (x < 0 || x >= Width(desc) || y < 0 || y >= Height(desc)) return 0;
    switch (desc->bitCount) {
        case 8: return Row<u8>(desc, y)[x];
        case 16: return Row<u16>(desc, y)[x];
        case 32: return Row<u32>(desc, y)[x];
        default: return 0;
    }
}

u32 PRIM_GetPixelLock(plat::Surface* surface, i32 x, i32 y) {
    u32 value = 0;
    WithLock(surface, [&](const PRIM_DESC* d) { value = PRIM_GetPixel(d, x, y); });
    return value;
}

PRIM_DEFINE_FAMILY(PutPixel, PutPixel, (i32 x, i32 y, u32 color), (x, y, color))
PRIM_DEFINE_FAMILY(HLine, HLine, (i32 x1, i32 x2, i32 y, u32 color), (x1, x2, y, color))
PRIM_DEFINE_FAMILY(VLine, VLine, (i32 y1, i32 y2, i32 x, u32 color), (y1, y2, x, color))
PRIM_DEFINE_FAMILY(Line, Line, (i32 x1, i32 y1, i32 x2, i32 y2, u32 color), (x1, y1, x2, y2, color))
PRIM_DEFINE_FAMILY(Rect, Rect, (i32 x1, i32 y1, i32 x2, i32 y2, u32 color), (x1, y1, x2, y2, color))
PRIM_DEFINE_FAMILY(RectFill, RectFill, (i32 x1, i32 y1, i32 x2, i32 y2, u32 color), (x1, y1, x2, y2, color))
