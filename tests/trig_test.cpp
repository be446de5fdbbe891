// Integer trigonometry: the tables bit for bit and the scaled look-ups.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tools/zkt_basictools.h"

namespace {

class Trig : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ZKT_PreCalc_SinCos(nullptr, nullptr); }
};

TEST_F(Trig, TableEntries)
{
    EXPECT_EQ(g_ZKT_SIN[0], 32768);
    EXPECT_EQ(g_ZKT_SIN[1], 32818);
    EXPECT_EQ(g_ZKT_SIN[1023], 65535);
    EXPECT_EQ(g_ZKT_SIN[1024], 65535);
    EXPECT_EQ(g_ZKT_SIN[2047], 32768);
    EXPECT_EQ(g_ZKT_SIN[2048], 32768);
    EXPECT_EQ(g_ZKT_SIN[3071], 1);
    EXPECT_EQ(g_ZKT_SIN[3072], 1);
    EXPECT_EQ(g_ZKT_COS[0], 65535);
    EXPECT_EQ(g_ZKT_COS[2048], 1);

    s32 lo = 65536, hi = 0;
    for (int i = 0; i < 4096; i++) {
        lo = std::min(lo, g_ZKT_SIN[i]);
        hi = std::max(hi, g_ZKT_SIN[i]);
        ASSERT_EQ(g_ZKT_COS[i], g_ZKT_SIN[(i + 1024) & 0xFFF]) << i;
        // Mirror about 1023.5, and the second half the negation of the first.
        ASSERT_EQ(g_ZKT_SIN[i & 2047], g_ZKT_SIN[2047 - (i & 2047)]) << i;
        ASSERT_EQ(g_ZKT_SIN[i] - 32768, 32768 - g_ZKT_SIN[(i + 2048) & 0xFFF]) << i;
    }
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 65535);
}

// The first quarter exactly as built on the handheld: eleven-decimal 2 pi,
// truncated toward zero.
TEST_F(Trig, FirstQuarterBitForBit)
{
    for (int i = 0; i < 1024; i++) {
        s32 v = (s32)(std::sin(i * 6.28318530718 * 0.000244140625) * 32768.0);
        ASSERT_EQ(g_ZKT_SIN[i], 32768 + v) << i;
    }
}

TEST_F(Trig, CopiesOut)
{
    std::vector<s32> s(4096, -1), c(4096, -1);
    ZKT_PreCalc_SinCos(s.data(), nullptr);
    EXPECT_EQ(s[1], 32818);
    EXPECT_EQ(c[0], -1);
    ZKT_PreCalc_SinCos(nullptr, c.data());
    EXPECT_EQ(c[0], 65535);
    EXPECT_EQ(c[2048], 1);
    ZKT_PreCalc_SinCos(s.data(), c.data());
    for (int i = 0; i < 4096; i++) {
        ASSERT_EQ(s[i], g_ZKT_SIN[i]);
        ASSERT_EQ(c[i], g_ZKT_COS[i]);
    }
}

TEST_F(Trig, RoundedLookups)
{
    EXPECT_EQ(_intsin(4096, 0, 3600), 0);
    EXPECT_EQ(_intcos(4096, 0, 3600), 4096);
    EXPECT_EQ(_intsin(4096, 900, 3600), 4096);
    EXPECT_EQ(_intsin(4096, 2700, 3600), -4096);
    EXPECT_EQ(_intsin(4096, 1800, 3600), 0);
    // The mirror at 1023.5 makes sine and cosine differ by one step here.
    EXPECT_EQ(_intsin(4096, 450, 3600), 2896);
    EXPECT_EQ(_intcos(4096, 450, 3600), 2892);
    // Negative angles: the step divides toward zero, then wraps.
    EXPECT_EQ(_intcos(4096, -900, 3600), 6);
    EXPECT_EQ(_intcos(4096, -1, 3600), 4096);
    EXPECT_EQ(_intsin(4096, -900, 3600), -4096);
    // Whole turns and other periods.
    EXPECT_EQ(_intsin(1000, 3600 + 900, 3600), 1000);
    EXPECT_EQ(_intsin(1000, 90, 360), 1000);
    // At the largest amplitude the peak product falls just short: the
    // unsigned form reaches amplitude only for small amplitudes.
    EXPECT_EQ(_intcos(32767, 0, 3600), 32766);
    EXPECT_EQ(_intcos(32767, 1800, 3600), -32766);
    EXPECT_EQ(_intcos(16384, 0, 3600), 16384);
    EXPECT_EQ(_intsin(0, 123, 3600), 0);
}

TEST_F(Trig, TruncatedLookups)
{
    EXPECT_EQ(_intcosFast(4096, 0, 3600), 4095);
    EXPECT_EQ(_intsinFast(4096, 900, 3600), 4095);
    EXPECT_EQ(_intsinFast(4096, 0, 3600), 0);
    EXPECT_EQ(_intsinFast(4096, 2700, 3600), -4096);
    // No rounding term in the step: 3599 tenths stays on step 4094, where
    // the rounded form moves to step 4095.
    EXPECT_EQ(_intsinFast(4096, 3599, 3600), -7);
    EXPECT_EQ(_intsin(4096, 3599, 3600), 0);
}

TEST_F(Trig, Cos1024)
{
    EXPECT_EQ(_intcosFast1024(0, 3600), 1023);
    EXPECT_EQ(_intcosFast1024(1800, 3600), -1024);
    EXPECT_EQ(_intcosFast1024(900, 3600), 0);
    for (s32 a = -7200; a <= 7200; a += 7) {
        s32 v = _intcosFast1024(a, 3600);
        ASSERT_GE(v, -1024);
        ASSERT_LE(v, 1023);
    }
}

// Against the floating-point functions over two turns of tenths of a
// degree, at amplitude 4096 (one table step is up to about 6.3 units).
// Non-negative angles: the quarter mirrored about 1023.5 lags by up to a
// step in the quarters it is read backwards. Negative angles round toward
// zero, up to 1.5 steps more.
TEST_F(Trig, CloseToFloatingPoint)
{
    int worstPos = 0, worstNeg = 0;
    for (s32 a = -3600; a <= 3600; a++) {
        double rad = a * 2.0 * M_PI / 3600.0;
        int es = std::abs(_intsin(4096, a, 3600) - (int)std::lround(4096 * std::sin(rad)));
        int ec = std::abs(_intcos(4096, a, 3600) - (int)std::lround(4096 * std::cos(rad)));
        int &worst = a >= 0 ? worstPos : worstNeg;
        worst = std::max(worst, std::max(es, ec));
    }
    EXPECT_LE(worstPos, 10);
    EXPECT_LE(worstNeg, 16);
}

} // namespace
