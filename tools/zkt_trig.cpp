// Integer sine and cosine: biased 4096-step tables built once with floating
// point, then every look-up is one division, one multiply and one read, as
// the handheld's main core has no floating-point unit.
#include <cmath>
#include <cstring>

#include "tools/zkt_basictools.h"

s32 g_ZKT_SIN[ZKT_TRIG_STEPS];
s32 g_ZKT_COS[ZKT_TRIG_STEPS];

void ZKT_PreCalc_SinCos(s32 *sinOut, s32 *cosOut)
{
    // 2 pi to eleven decimals only, and the quarter wave mirrored about
    // step 1023.5 (step 1024 repeats 1023): every build and the second
    // core's own copy must agree bit for bit, so neither is "corrected".
    for (s32 i = 0; i < 1024; i++) {
        s32 v = (s32)(std::sin(i * 6.28318530718 * 0.000244140625) * 32768.0);
        g_ZKT_SIN[i] = 32768 + v;
        g_ZKT_SIN[2047 - i] = 32768 + v;
        g_ZKT_SIN[2048 + i] = 32768 - v;
        g_ZKT_SIN[4095 - i] = 32768 - v;
    }
    for (s32 i = 0; i < ZKT_TRIG_STEPS; i++)
        g_ZKT_COS[i] = g_ZKT_SIN[(i + 1024) & 0xFFF];
    if (sinOut)
        std::memcpy(sinOut, g_ZKT_SIN, sizeof(g_ZKT_SIN));
    if (cosOut)
        std::memcpy(cosOut, g_ZKT_COS, sizeof(g_ZKT_COS));
}

namespace {

// angle x 4096 is a 12-bit shift in 32 bits, done unsigned so a negative
// angle wraps instead of being undefined; the sum then divides signed.
s32 Step(s32 angle, s32 period, s32 bias)
{
    s32 scaled = (s32)(((u32)angle << 12) + (u32)bias);
    return (scaled / period) & 0xFFF;
}

// The bias makes T[index] non-negative, so the product is unsigned and
// the amplitude subtracted afterwards restores the sign.
s32 Scale(s32 amplitude, s32 t, u32 round)
{
    return (s32)(((u32)(2 * amplitude) * (u32)t + round) >> 16) - amplitude;
}

} // namespace

s32 _intsin(s32 amplitude, s32 angle, s32 period)
{
    return Scale(amplitude, g_ZKT_SIN[Step(angle, period, period >> 1)], 0x8000);
}

s32 _intcos(s32 amplitude, s32 angle, s32 period)
{
    return Scale(amplitude, g_ZKT_COS[Step(angle, period, period >> 1)], 0x8000);
}

s32 _intsinFast(s32 amplitude, s32 angle, s32 period)
{
    return Scale(amplitude, g_ZKT_SIN[Step(angle, period, 0)], 0);
}

s32 _intcosFast(s32 amplitude, s32 angle, s32 period)
{
    return Scale(amplitude, g_ZKT_COS[Step(angle, period, 0)], 0);
}

s32 _intcosFast1024(s32 angle, s32 period)
{
    return (g_ZKT_COS[Step(angle, period, 0)] >> 5) - 1024;
}
