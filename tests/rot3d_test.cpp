// 3D rotation math in both flavours.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/zkt_3d.h"
#include "tools/zkt_basictools.h"

namespace {

class Rot3D : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ZKT_PreCalc_SinCos(nullptr, nullptr); }
};

TEST_F(Rot3D, NormalisationRoundsTowardZero)
{
    EXPECT_EQ(ZKTFL_MUL_NORM(-4095), 0);
    EXPECT_EQ(ZKTFL_MUL_NORM(-4096), -1);
    EXPECT_EQ(ZKTFL_MUL_NORM(4095), 0);
    EXPECT_EQ(ZKTFL_MUL_NORM(8191), 1);
    EXPECT_EQ(ZKTFL_MUL_NORM(-8193), -2);
    EXPECT_EQ(ZKTFL_MUL_NORM(INT32_MIN), -524288);
    EXPECT_EQ(ZKTFL_MUL_NORM(INT32_MAX), 524287);
}

TEST_F(Rot3D, IdentityFromZeroAngles)
{
    INT_ROT_MATRIX m;
    ZKT_Int_Rotation_Matrix(0, 0, 0, &m);
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(m.m[i], i % 4 == 0 ? 4096 : 0) << i;
    s32 x = 100, y = -200, z = 300;
    ZKT_Apply_Int_Rotation_Matrix(&x, &y, &z, &m);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, -200);
    EXPECT_EQ(z, 300);

    ROT_MATRIX f;
    ZKT_Rotation_Matrix(0, 0, 0, &f);
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(f.m[i], i % 4 == 0 ? 1.0f : 0.0f) << i;
}

TEST_F(Rot3D, QuarterTurnAboutX)
{
    INT_ROT_MATRIX m;
    ZKT_Int_Rotation_Matrix(0, 900, 0, &m);
    const s32 expect[9] = {4096, 0, 0, 0, 0, 4096, 0, -4096, 0};
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(m.m[i], expect[i]) << i;
    s32 x = 0, y = 1000, z = 0;
    ZKT_Apply_Int_Rotation_Matrix(&x, &y, &z, &m);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(z, -1000);

    ROT_MATRIX f;
    ZKT_Rotation_Matrix(0, 900, 0, &f);
    x = 0, y = 1000, z = 0;
    ZKT_Apply_Rotation_Matrix(&x, &y, &z, &f);
    // Single-precision sines are a hair off, and the sums are truncated.
    EXPECT_EQ(x, 0);
    EXPECT_NEAR(y, 0, 1);
    EXPECT_NEAR(z, -1000, 1);
}

TEST_F(Rot3D, AngleOrderIsXThenYThenZ)
{
    // The first angle turns about Y, the second about X, the third about Z,
    // applied X first: (0, 1000, 0) about X by 90 goes to (0, 0, -1000),
    // about Y by 90 to (1000, 0, 0), about Z by 90 to (0, -1000, 0).
    ROT_MATRIX f;
    ZKT_Rotation_Matrix(900, 900, 900, &f);
    s32 x = 0, y = 100000, z = 0;
    ZKT_Apply_Rotation_Matrix(&x, &y, &z, &f);
    EXPECT_NEAR(x, 0, 2);
    EXPECT_NEAR(y, -100000, 2);
    EXPECT_NEAR(z, 0, 2);
}

TEST_F(Rot3D, FlavoursAgreeAndMatricesAreOrthonormal)
{
    for (s32 a = -3600; a <= 3600; a += 377)
        for (s32 b = -1800; b <= 5400; b += 613)
            for (s32 c = 0; c <= 3600; c += 451) {
                ROT_MATRIX f;
                INT_ROT_MATRIX m;
                ZKT_Rotation_Matrix(a, b, c, &f);
                ZKT_Int_Rotation_Matrix(a, b, c, &m);
                // 4096-step tables: a few units of error per product.
                for (int i = 0; i < 9; i++)
                    ASSERT_NEAR(m.m[i], f.m[i] * 4096.0f, 24.0f) << a << " " << b << " " << c << " m" << i;
                for (int r = 0; r < 3; r++)
                    for (int s = 0; s < 3; s++) {
                        const float dot = f.m[r * 3] * f.m[s * 3] + f.m[r * 3 + 1] * f.m[s * 3 + 1] +
                                          f.m[r * 3 + 2] * f.m[s * 3 + 2];
                        ASSERT_NEAR(dot, r == s ? 1.0f : 0.0f, 1e-5f);
                    }
            }
}

TEST_F(Rot3D, CombiningMultipliesAndLeavesTheSecondMatrix)
{
    INT_ROT_MATRIX m, id, p;
    ZKT_Int_Rotation_Matrix(123, -456, 789, &m);
    ZKT_Int_Rotation_Matrix(0, 0, 0, &id);
    INT_ROT_MATRIX before = m;
    ZKT_Combine_Int_Rotation(&m, &id);
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(m.m[i], before.m[i]) << i;

    ROT_MATRIX f, fid, fp;
    ZKT_Rotation_Matrix(123, -456, 789, &f);
    ZKT_Rotation_Matrix(0, 0, 0, &fid);
    ROT_MATRIX fbefore = f;
    ZKT_Combine_Rotation(&f, &fid);
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(f.m[i], fbefore.m[i]) << i;

    // Two quarter turns about Z make a half turn; the second is unchanged.
    ZKT_Int_Rotation_Matrix(0, 0, 900, &m);
    p = m;
    ZKT_Combine_Int_Rotation(&m, &p);
    const s32 half[9] = {-4096, 0, 0, 0, -4096, 0, 0, 0, 4096};
    for (int i = 0; i < 9; i++) {
        EXPECT_EQ(m.m[i], half[i]) << i;
        EXPECT_EQ(p.m[i], i == 1 ? 4096 : i == 3 ? -4096 : i == 8 ? 4096 : 0) << i;
    }
    // Combining a matrix with itself reads it whole before writing.
    ZKT_Rotation_Matrix(0, 0, 900, &fp);
    ZKT_Combine_Rotation(&fp, &fp);
    EXPECT_NEAR(fp.m[0], -1.0f, 1e-6f);
    EXPECT_NEAR(fp.m[1], 0.0f, 1e-6f);
    EXPECT_NEAR(fp.m[4], -1.0f, 1e-6f);
}

TEST_F(Rot3D, RotatingReadsAllInputsFirstAndTranslationMoves)
{
    INT_ROT_MATRIX m;
    ZKT_Int_Rotation_Matrix(0, 0, 900, &m); // rows (0,1,0), (-1,0,0), (0,0,1)
    s32 x = 7, y = 11, z = 13;
    ZKT_Apply_Int_Rotation_Matrix(&x, &y, &z, &m);
    EXPECT_EQ(x, 11);
    EXPECT_EQ(y, -7);
    EXPECT_EQ(z, 13);
    ZKT_Translation(&x, &y, &z, -11, 7, 1);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(z, 14);
    // Within +-170000 the 32-bit sums hold: a point on the diagonal.
    ZKT_Int_Rotation_Matrix(450, 450, 450, &m);
    x = 170000, y = -170000, z = 170000;
    ZKT_Apply_Int_Rotation_Matrix(&x, &y, &z, &m);
    const double r = std::sqrt(3.0) * 170000;
    EXPECT_NEAR(std::sqrt((double)x * x + (double)y * y + (double)z * z), r, r * 0.01);
}

TEST_F(Rot3D, OutOfRangeFloatResultsSaturate)
{
    ROT_MATRIX f;
    ZKT_Rotation_Matrix(0, 0, 0, &f);
    f.m[0] = 4.0f;
    f.m[4] = -4.0f;
    s32 x = 2000000000, y = 2000000000, z = 5;
    ZKT_Apply_Rotation_Matrix(&x, &y, &z, &f);
    EXPECT_EQ(x, INT32_MAX);
    EXPECT_EQ(y, INT32_MIN);
    EXPECT_EQ(z, 5);
}

} // namespace
