#include "shell/math.h"

#include <algorithm>
#include <cmath>

namespace {

// floor(65536 * sin(i degrees)), computed exactly (a plain double computation is off at 30 and 90);
// 90 is held at 65535, the largest value that fits.
constexpr u16 kSinTable[91] = {
    0, 1143, 2287, 3429, 4571, 5711, 6850, 7986, 9120, 10252,
    11380, 12504, 13625, 14742, 15854, 16961, 18064, 19160, 20251, 21336,
    22414, 23486, 24550, 25606, 26655, 27696, 28729, 29752, 30767, 31772,
    32768, 33753, 34728, 35693, 36647, 37589, 38521, 39440, 40347, 41243,
    42125, 42995, 43852, 44695, 45525, 46340, 47142, 47929, 48702, 49460,
    50203, 50931, 51643, 52339, 53019, 53683, 54331, 54963, 55577, 56175,
    56755, 57319, 57864, 58393, 58903, 59395, 59870, 60326, 60763, 61183,
    61583, 61965, 62328, 62672, 62997, 63302, 63589, 63856, 64103, 64331,
    64540, 64729, 64898, 65047, 65176, 65286, 65376, 65446, 65496, 65526,
    65535,
};

// floor(10000 * sin(i * 90 / 64 degrees)).
constexpr u32 kSin256Table[65] = {
    0, 245, 490, 735, 980, 1224, 1467, 1709, 1950, 2191,
    2429, 2667, 2902, 3136, 3368, 3598, 3826, 4052, 4275, 4496,
    4713, 4928, 5141, 5349, 5555, 5758, 5956, 6152, 6343, 6531,
    6715, 6895, 7071, 7242, 7409, 7572, 7730, 7883, 8032, 8175,
    8314, 8448, 8577, 8700, 8819, 8932, 9039, 9142, 9238, 9329,
    9415, 9495, 9569, 9637, 9700, 9757, 9807, 9852, 9891, 9924,
    9951, 9972, 9987, 9996, 10000,
};

static_assert(kSinTable[30] == 32768 && kSinTable[90] == 65535 && kSin256Table[64] == 10000);

u32 g_shift = 0;

u32 Shift() { return g_shift & 31; }
i64 One() { return i64(1) << Shift(); }

// Arguments in 0..359.
i32 SinDeg(u32 d) {
    if (d <= 90) return kSinTable[d];
    if (d <= 180) return kSinTable[180 - d];
    if (d <= 270) return -i32(kSinTable[d - 180]);
    return -i32(kSinTable[360 - d]);
}

i32 CosDeg(u32 d) {
    if (d <= 90) return kSinTable[90 - d];
    if (d <= 180) return -i32(kSinTable[d - 90]);
    if (d <= 270) return -i32(kSinTable[270 - d]);
    return kSinTable[d - 270];
}

// Into lo..lo+359, as adding or subtracting 360 repeatedly would.
i32 Wrap(i32 d, i32 lo) {
    i64 r = (i64(d) - lo) % 360;
    if (r < 0) r += 360;
    return i32(r + lo);
}

u32 Mod360(i32 d) { return u32(Wrap(d, 0)); }

// Signed 32-bit results of wider intermediates (identical inside the callers' limits).
i32 Narrow(i64 v) { return static_cast<i32>(v); }

i32 Diff(i32 a, i32 b) { return Narrow(i64(a) - i64(b)); }

i32 Sector(i64 a, i32 width) {
    if (width <= 0) return 0;  // a width of 0 would divide by zero
    return Wrap(Narrow(a), 0) / width;
}

}  // namespace

void MATH_SetShift(u32 shift) { g_shift = shift; }
u32 MATH_GetShift() { return g_shift; }

i32 MATH_SinTbl(u32 degrees) { return SinDeg(degrees % 360); }
i32 MATH_CosTbl(u32 degrees) { return CosDeg(degrees % 360); }
i32 MATH_Sin(i32 amplitude, u32 degrees) { return Narrow(i64(MATH_SinTbl(degrees)) * amplitude / 65535); }
i32 MATH_Cos(i32 amplitude, u32 degrees) { return Narrow(i64(MATH_CosTbl(degrees)) * amplitude / 65535); }

i32 MATH_Sin256Tbl(u8 a) {
    if (a <= 64) return i32(kSin256Table[a]);
    if (a <= 128) return i32(kSin256Table[128 - a]);
    if (a <= 192) return -i32(kSin256Table[a - 128]);
    return -i32(kSin256Table[256 - a]);
}

i32 MATH_Cos256Tbl(u8 a) {
    if (a <= 64) return i32(kSin256Table[64 - a]);
    if (a <= 128) return -i32(kSin256Table[a - 64]);
    if (a <= 192) return -i32(kSin256Table[192 - a]);
    return i32(kSin256Table[a - 192]);
}

i32 MATH_Sin256(i32 amplitude, u8 a) { return Narrow(i64(MATH_Sin256Tbl(a)) * amplitude / 10000); }
i32 MATH_Cos256(i32 amplitude, u8 a) { return Narrow(i64(MATH_Cos256Tbl(a)) * amplitude / 10000); }

i32 MATH_GetAngle(i32 x1, i32 y1, i32 x2, i32 y2) {
    const i32 dx = Diff(x2, x1);
    const i32 dy = Diff(y2, y1);
    double rad = (dx == 0 && dy == 0) ? 0.0 : std::atan2(double(dy), double(dx));
    // 3.1415 rather than pi: exact left comes out as 180.005 and truncates to 180.
    i32 angle = i32(rad / 3.1415 * 180.0);
    return Wrap(angle, 0);
}

i32 MATH_GetDir16(i32 x1, i32 y1, i32 x2, i32 y2) {
    const i64 dx = i64(Diff(x2, x1));
    const i64 dy = i64(Diff(y2, y1));
    if (dx == 0) return dy > 0 ? 64 : 192;
    if (dx > 0) {
        if (dy == 0) return 0;
        if (dy > 0) return dx < dy ? 48 : dx == dy ? 32 : 16;
        return dx < -dy ? 208 : dx == -dy ? 224 : 240;
    }
    if (dy > 0) return -dx < dy ? 80 : -dx == dy ? 96 : 112;
    if (dy == 0) return 128;
    return -dx < -dy ? 176 : -dx == -dy ? 160 : 144;
}

i32 MATH_NegSinFix(i32 degrees) {
    const i32 d = Wrap(degrees, 0);
    if (d == 90) return Narrow(-One());
    if (d == 270) return Narrow(One());
    return -SinDeg(u32(d));
}

i32 MATH_CosFix(i32 degrees) {
    const i32 d = Wrap(degrees, -90);
    if (d == 0) return Narrow(One());
    if (d == 180) return Narrow(-One());
    return CosDeg(Mod360(d));
}

i32 MATH_NegSinShift(i32 value, i32 degrees) {
    const i32 d = Wrap(degrees, 0);
    if (d == 90) return Narrow(-i64(value));
    if (d == 270) return value;
    if (d <= 180) return Narrow(-(i64(value) * SinDeg(u32(d))) >> Shift());
    return Narrow((i64(value) * -SinDeg(u32(d))) >> Shift());
}

i32 MATH_CosShift(i32 value, i32 degrees) {
    const i32 d = Wrap(degrees, -90);
    if (d == 0) return value;
    if (d == 180) return Narrow(-i64(value));
    const i64 c = CosDeg(Mod360(d));
    if (d <= 90) return Narrow((i64(value) * c) >> Shift());
    // Negated after the shift, so negative products round the other way than above.
    return Narrow(-((i64(value) * -c) >> Shift()));
}

void MATH_RotatePoint(POINT* point, i32 x, i32 y, i32 degrees, i32 cx, i32 cy) {
    const i64 dx = i64(x) - cx;
    const i64 dy = i64(y) - cy;
    const i32 a = Narrow((630 - i64(degrees)) % 360);
    switch (a) {
    case 0:
        *point = {x, y};
        return;
    case 90:
        *point = {Narrow(cx + dy), Narrow(cy - dx)};
        return;
    case 180:
        *point = {Narrow(2 * i64(cx) - x), Narrow(2 * i64(cy) - y)};
        return;
    case 270:
        *point = {Narrow(cx - dy), Narrow(cy + dx)};
        return;
    default:
        break;
    }
    const i64 c = MATH_CosFix(a);
    const i64 s = MATH_NegSinFix(a);
    point->x = Narrow(((dx * c - dy * s) >> Shift()) + cx);
    point->y = Narrow(((dx * s + dy * c) >> Shift()) + cy);
}

void MATH_RotateOffset(POINT* pair, i32 x, i32 y, i32 degrees, i32 cx, i32 cy) {
    const i32 d = degrees < 0 ? Wrap(degrees, 0) : degrees;  // raised by 360 while negative
    const i64 c = MATH_CosFix(d);
    const i64 s = MATH_NegSinFix(d);
    const i64 dx = i64(x) - cx;
    const i64 dy = i64(y) - cy;
    pair->x = Narrow(dx * c - dy * s);
    pair->y = Narrow(dx * s + dy * c);
}

void MATH_RotatePointFix(i32* xOut, i32* yOut, i32 cx, i32 cy, i32 x, i32 y, i32 degrees) {
    POINT p;
    MATH_RotateOffset(&p, x, y, degrees, cx, cy);
    *xOut = Narrow(cx + (i64(p.x) >> Shift()));
    *yOut = Narrow(cy + (i64(p.y) >> Shift()));
}

i32 MATH_GetDirVec(i32 x1, i32 y1, i32 x2, i32 y2, i32* cosOut, i32* sinOut) {
    const i32 a = MATH_GetAngle(x1, y1, x2, y2);
    const i32 s = MATH_SinTbl(u32(a));
    if (cosOut) *cosOut = MATH_CosTbl(u32(a));
    if (sinOut) *sinOut = s;
    return s;
}

i32 MATH_GetAngleVec(i32 degrees, i32* cosOut, i32* sinOut) {
    POINT p;
    MATH_RotatePoint(&p, 32767, 0, degrees, 0, 0);
    return MATH_GetDirVec(0, 0, p.x, p.y, cosOut, sinOut);
}

i32 MATH_GetSector(i32 width, i32 x1, i32 y1, i32 x2, i32 y2) {
    return Sector(i64(MATH_GetAngle(x1, y1, x2, y2)) + (width >> 1) - 90, width);
}

i32 MATH_GetVecSector(i32 width, i32 vx, i32 vy) {
    return Sector(i64(MATH_GetAngle(0, 0, vx, vy)) + (width >> 1) - 90, width);
}

i32 MATH_GetAngleSector(i32 width, i32 degrees) { return Sector(i64(degrees) + (width >> 1), width); }

i32 MATH_GetDist2(i32 x1, i32 y1, i32 x2, i32 y2) {
    const i64 dx = std::max(i64(x2) - x1, i64(x1) - x2);
    const i64 dy = std::max(i64(y2) - y1, i64(y1) - y2);
    return Narrow(dx * dx + dy * dy);
}

i32 MATH_RotatePos(i32 x, i32 y, i32 cx, i32 cy, i32* xOut, i32* yOut, i32 degrees) {
    const i32 dx = Diff(x, cx);
    const i32 dy = Diff(y, cy);
    const u32 d = u32(degrees);  // the unsigned reduction of MATH_Sin and MATH_Cos
    const i32 cosDy = MATH_Cos(dy, d);
    *xOut = Narrow(i64(x) - MATH_Cos(dx, d) + MATH_Sin(dy, d));
    *yOut = Narrow(i64(y) + MATH_Sin(dx, d) - cosDy);
    return cosDy;
}

// The y term's sign is the opposite of MATH_RotatePos's.
i32 MATH_RotatePosScale(i32 x, i32 y, i32 cx, i32 cy, i32* xOut, i32* yOut, i32 degrees, i32 k) {
    const i32 dx = Diff(x, cx);
    const i32 dy = Diff(y, cy);
    const u32 d = u32(degrees);
    *xOut = Narrow(i64(x) - (i64(MATH_Cos(dx, d)) - MATH_Sin(dy, d)) * k);
    *yOut = Narrow(i64(y) + (i64(MATH_Cos(dy, d)) - MATH_Sin(dx, d)) * k);
    return *yOut;
}
