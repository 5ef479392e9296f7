#include "shell/math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

namespace {

// The quarter-wave tables from long double sines; values within a hair of an integer are exact.
i64 ExactFloor(long double v) {
    const long double r = std::round(v);
    return std::fabs(v - r) < 1e-9L ? i64(r) : i64(std::floor(v));
}
const long double kPi = 3.141592653589793238462643383279502884L;

i32 ModelSin(i32 d) {  // degrees 0..359, 65535 scale
    if (d == 90) return 65535;  // 65536 does not fit
    if (d == 270) return -65535;
    const i32 mag = i32(ExactFloor(65536.0L * std::fabs(std::sin(d * kPi / 180))));
    return d <= 180 ? mag : -mag;
}
i32 ModelCos(i32 d) { return ModelSin((d + 90) % 360); }

class Math : public ::testing::Test {
protected:
    void SetUp() override { MATH_SetShift(16); }
    void TearDown() override { MATH_SetShift(0); }
};

TEST_F(Math, TablesAreExactFloorsOfTheSine) {
    for (i32 d = 0; d < 720; ++d) {
        ASSERT_EQ(MATH_SinTbl(u32(d)), ModelSin(d % 360)) << d;
        ASSERT_EQ(MATH_CosTbl(u32(d)), ModelCos(d % 360)) << d;
    }
    EXPECT_EQ(MATH_SinTbl(30), 32768);
    EXPECT_EQ(MATH_SinTbl(90), 65535);
    EXPECT_EQ(MATH_SinTbl(210), -32768);
    EXPECT_EQ(MATH_SinTbl(450), 65535);
    EXPECT_EQ(MATH_SinTbl(360), 0);
    EXPECT_EQ(MATH_CosTbl(0), 65535);
    EXPECT_EQ(MATH_CosTbl(180), -65535);
    for (i32 a = 0; a < 256; ++a) {
        const long double rad = a * kPi / 128;
        EXPECT_EQ(MATH_Sin256Tbl(u8(a)), i32(a < 128 ? 1 : -1) * i32(ExactFloor(10000 * std::fabs(std::sin(rad)))))
            << a;
        EXPECT_NEAR(MATH_Cos256Tbl(u8(a)), 10000 * std::cos(double(rad)), 1.0) << a;
    }
    EXPECT_EQ(MATH_Sin256Tbl(64), 10000);
    EXPECT_EQ(MATH_Cos256Tbl(128), -10000);
}

TEST_F(Math, ScaledSinesTruncateAndReduceUnsigned) {
    EXPECT_EQ(MATH_Sin(100, 30), 50);
    EXPECT_EQ(MATH_Sin(100, 270), -100);
    EXPECT_EQ(MATH_Cos(-100, 60), -50);     // toward zero, not down
    EXPECT_EQ(MATH_Sin(32768, 90), 32768);  // the extreme amplitude still fits
    // -30 is 2^32 - 30, which is 226 modulo 360, not 330.
    EXPECT_EQ(MATH_SinTbl(u32(-30)), MATH_SinTbl(226));
    EXPECT_NE(MATH_SinTbl(u32(-30)), -32768);
    EXPECT_EQ(MATH_Sin256(100, 32), 70);
    EXPECT_EQ(MATH_Sin256(-100, 32), -70);
    EXPECT_EQ(MATH_Cos256(100, 128), -100);
}

TEST_F(Math, GetAngleUsesTheShortPiAndWraps) {
    EXPECT_EQ(MATH_GetAngle(0, 0, 10, 0), 0);
    EXPECT_EQ(MATH_GetAngle(0, 0, 0, 10), 90);
    EXPECT_EQ(MATH_GetAngle(0, 0, -10, 0), 180);
    EXPECT_EQ(MATH_GetAngle(0, 0, 0, -10), 270);
    EXPECT_EQ(MATH_GetAngle(0, 0, 10, 10), 45);
    EXPECT_EQ(MATH_GetAngle(5, 5, 5, 5), 0);
    EXPECT_EQ(MATH_GetAngle(0, 0, -1000, -9), 181);  // -179.5 degrees
    // 44.9989 degrees: 3.1415 lifts it over 45 where pi would give 44.
    EXPECT_EQ(MATH_GetAngle(0, 0, 100000, 99996), 45);
    EXPECT_EQ(MATH_GetAngle(0, 0, 100, -1), 0);  // -0.57 truncates toward zero
    EXPECT_EQ(MATH_GetAngle(0, 0, 100, -2), 359);
}

TEST_F(Math, GetDir16GivesEveryCode) {
    const struct {
        i32 dx, dy, code;
    } cases[] = {{5, 0, 0},     {5, 2, 16},    {5, 5, 32},    {2, 5, 48},   {0, 5, 64},    {-2, 5, 80},
                 {-5, 5, 96},   {-5, 2, 112},  {-5, 0, 128},  {-5, -2, 144}, {-5, -5, 160}, {-2, -5, 176},
                 {0, -5, 192},  {2, -5, 208},  {5, -5, 224},  {5, -2, 240}, {0, 0, 192}};
    for (const auto& c : cases) EXPECT_EQ(MATH_GetDir16(1, 1, 1 + c.dx, 1 + c.dy), c.code) << c.dx << "," << c.dy;
}

TEST_F(Math, FixFactorsAndShiftsKeepTheirRangesAndRounding) {
    EXPECT_EQ(MATH_CosFix(0), 65536);
    EXPECT_EQ(MATH_CosFix(360), 65536);
    EXPECT_EQ(MATH_CosFix(-180), -65536);
    EXPECT_EQ(MATH_CosFix(270), 0);
    EXPECT_EQ(MATH_CosFix(60), 32768);
    EXPECT_EQ(MATH_NegSinFix(90), -65536);
    EXPECT_EQ(MATH_NegSinFix(-90), 65536);
    EXPECT_EQ(MATH_NegSinFix(450), -65536);
    EXPECT_EQ(MATH_NegSinFix(30), -32768);

    EXPECT_EQ(MATH_CosShift(7, 0), 7);
    EXPECT_EQ(MATH_CosShift(7, 180), -7);
    EXPECT_EQ(MATH_CosShift(100, 60), 50);
    // Above 90 the shift comes before the negation: -1 * cos(100) rounds to +1, not to 0.
    EXPECT_EQ(MATH_CosShift(-1, 80), -1);
    EXPECT_EQ(MATH_CosShift(-1, 100), 1);
    EXPECT_EQ(MATH_CosShift(1, 100), 0);
    EXPECT_EQ(MATH_CosShift(-1, -80), -1);  // -90..90 without wrapping

    EXPECT_EQ(MATH_NegSinShift(9, 90), -9);
    EXPECT_EQ(MATH_NegSinShift(9, -90), 9);
    EXPECT_EQ(MATH_NegSinShift(1, 10), -1);   // -11380 >> 16, arithmetic
    EXPECT_EQ(MATH_NegSinShift(-1, 190), -1);
    EXPECT_EQ(MATH_NegSinShift(100, 30), -50);
}

TEST_F(Math, RotationsTurnTheRightWay) {
    POINT p;
    const struct {
        i32 d, x, y;
    } quarter[] = {{270, 10, 0}, {0, 0, 10}, {90, -10, 0}, {180, 0, -10}, {630, 10, 0}};
    for (const auto& q : quarter) {
        MATH_RotatePoint(&p, 10, 0, q.d, 0, 0);
        EXPECT_EQ(p.x, q.x) << q.d;
        EXPECT_EQ(p.y, q.y) << q.d;
    }
    MATH_RotatePoint(&p, 15, 5, 0, 5, 5);  // about a centre
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(p.y, 15);
    MATH_RotatePoint(&p, 10, 0, 315, 0, 0);
    EXPECT_EQ(p.x, 7);
    EXPECT_EQ(p.y, 7);
    MATH_RotatePoint(&p, 10, 0, 225, 0, 0);  // the negative coordinate floors
    EXPECT_EQ(p.x, 7);
    EXPECT_EQ(p.y, -8);

    i32 x = 0, y = 0;
    MATH_RotatePointFix(&x, &y, 0, 0, 10, 0, 90);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, -10);
    MATH_RotatePointFix(&x, &y, 100, 100, 110, 100, 0);
    EXPECT_EQ(x, 110);
    EXPECT_EQ(y, 100);

    POINT a, b;
    MATH_RotateOffset(&a, 10, 0, -90, 0, 0);
    MATH_RotateOffset(&b, 10, 0, 270, 0, 0);
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, 655360);  // not shifted back
    EXPECT_EQ(b.y, 655360);

    // Only the shift's low five bits count.
    MATH_SetShift(16 + 32);
    MATH_RotatePointFix(&x, &y, 0, 0, 10, 0, 90);
    EXPECT_EQ(y, -10);
    EXPECT_EQ(MATH_GetShift(), 48u);
}

TEST_F(Math, SectorsCountFromDown) {
    EXPECT_EQ(MATH_GetSector(45, 0, 0, 0, 10), 0);
    EXPECT_EQ(MATH_GetSector(45, 0, 0, -10, 0), 2);
    EXPECT_EQ(MATH_GetSector(45, 0, 0, 10, 0), 6);
    EXPECT_EQ(MATH_GetSector(45, 0, 0, 0, -10), 4);
    EXPECT_EQ(MATH_GetVecSector(45, -10, 10), 1);
    EXPECT_EQ(MATH_GetAngleSector(45, 0), 0);
    EXPECT_EQ(MATH_GetAngleSector(45, 338), 0);
    EXPECT_EQ(MATH_GetAngleSector(45, 337), 7);
    EXPECT_EQ(MATH_GetAngleSector(90, -50), 3);
    EXPECT_EQ(MATH_GetAngleSector(0, 10), 0);  // no division by zero
}

TEST_F(Math, DistanceAndPositionHelpers) {
    EXPECT_EQ(MATH_GetDist2(0, 0, 3, -4), 25);
    EXPECT_EQ(MATH_GetDist2(3, -4, 0, 0), 25);

    i32 x = 0, y = 0;
    EXPECT_EQ(MATH_RotatePos(30, 50, 10, 20, &x, &y, 0), 30);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
    MATH_RotatePos(30, 50, 10, 20, &x, &y, 90);
    EXPECT_EQ(x, 60);
    EXPECT_EQ(y, 70);
    // The scaled form has the opposite sign in y.
    EXPECT_EQ(MATH_RotatePosScale(30, 50, 10, 20, &x, &y, 0, 1), 80);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 80);
    MATH_RotatePosScale(30, 50, 10, 20, &x, &y, 0, 2);
    EXPECT_EQ(x, -10);
    EXPECT_EQ(y, 110);
}

// The full heading table against a model built only from long double sines, floor division for the
// shifts and the same arc tangent.
TEST_F(Math, GetAngleVecMatchesAnIndependentModel) {
    std::map<i32, i32> deviations;  // d -> whole degree found
    for (i32 d = 0; d < 360; ++d) {
        const i32 a = (630 - d) % 360;
        long double px, py;
        if (a == 0) {
            px = 32767, py = 0;
        } else if (a == 90) {
            px = 0, py = -32767;
        } else if (a == 180) {
            px = -32767, py = 0;
        } else if (a == 270) {
            px = 0, py = 32767;
        } else {
            px = std::floor(32767.0L * ModelCos(a) / 65536.0L);
            py = std::floor(32767.0L * -ModelSin(a) / 65536.0L);
        }
        i32 angle = i32(std::atan2(double(py), double(px)) / 3.1415 * 180.0);
        if (angle < 0) angle += 360;
        i32 c = 0, s = 0;
        EXPECT_EQ(MATH_GetAngleVec(d, &c, &s), s);
        ASSERT_EQ(c, ModelCos(angle)) << d;
        ASSERT_EQ(s, ModelSin(angle)) << d;
        if (angle != (d + 90) % 360) deviations[d] = angle;
    }
    std::map<i32, i32> expect{{262, 353}, {263, 354}};
    for (i32 d : {271, 272, 273, 274, 275, 276, 277, 278, 279, 280, 281, 282, 283, 284, 285, 286, 287,
                  288, 289, 290, 291, 293, 294, 295, 297, 301, 303})
        expect[d] = (d + 89) % 360;
    EXPECT_EQ(deviations, expect);

    i32 c = -1, s = -1;
    MATH_GetAngleVec(0, &c, &s);
    EXPECT_EQ(c, 0);
    EXPECT_EQ(s, 65535);
    MATH_GetAngleVec(270, &c, &s);
    EXPECT_EQ(c, 65535);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(MATH_GetDirVec(0, 0, -5, 0, &c, &s), 0);
    EXPECT_EQ(c, -65535);
}

}  // namespace
