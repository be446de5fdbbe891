// Colour conversion: the fixed examples, full-range properties, and the
// RGB-palette route into the OSD palette.
#include <gtest/gtest.h>

#include <cstring>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "tools/zkt_lowLevelCommon.h"

namespace {

struct RGB {
    s32 r, g, b;
};

RGB FromYUY2(u32 yuy2)
{
    RGB c;
    ZKT_YUY2toRGBColor(yuy2, &c.r, &c.g, &c.b);
    return c;
}

u32 YUY2(u32 y0, u32 u, u32 y1, u32 v)
{
    return y0 | (u << 8) | (y1 << 16) | (v << 24);
}

TEST(Colour, RGBtoYUVExamples)
{
    EXPECT_EQ(ZKT_RGBtoYUY2Color(0, 0, 0), 0x80108010u);
    EXPECT_EQ(ZKT_RGBtoYUY2Color(255, 255, 255), 0x80EB80EBu);
    EXPECT_EQ(ZKT_RGBAtoYUVAColor(255, 0, 0, 255), 0xFFF05A52u);
    // Pure blue puts the chroma sums at their extremes: U 240, V 110
    // (a negative sum shifted arithmetically).
    EXPECT_EQ(ZKT_RGBtoYUY2Color(0, 0, 255), YUY2(41, 240, 41, 110));
    // Alpha is carried untouched in the top byte, whatever its value.
    EXPECT_EQ(ZKT_RGBAtoYUVAColor(0, 0, 0, 0x5A) >> 24, 0x5Au);
}

TEST(Colour, YUVtoRGBExamples)
{
    RGB white = FromYUY2(0x80EB80EB);
    EXPECT_EQ(white.r, 254); // truncated, no rounding term
    EXPECT_EQ(white.g, 254);
    EXPECT_EQ(white.b, 254);
    RGB black = FromYUY2(0x80108010);
    EXPECT_EQ(black.r, 0);
    EXPECT_EQ(black.g, 0);
    EXPECT_EQ(black.b, 0);

    // Byte 2 (the second pixel's luma) is ignored; bytes 1 and 3 are U, V.
    RGB a = FromYUY2(YUY2(120, 200, 0, 60));
    RGB b = FromYUY2(YUY2(120, 200, 255, 60));
    EXPECT_EQ(a.r, b.r);
    EXPECT_EQ(a.g, b.g);
    EXPECT_EQ(a.b, b.b);
    // Y 120, U 200, V 60: L = 30992, R = (30992 - 27812) / 256 = 12,
    // G = (30992 - 7200 + 14144) / 256 = 148, B = (30992 + 37224) / 256 clamps.
    EXPECT_EQ(a.r, 12);
    EXPECT_EQ(a.g, 148);
    EXPECT_EQ(a.b, 255);

    // Green goes negative before clamping: must come out 0, not wrapped.
    RGB c = FromYUY2(YUY2(16, 255, 16, 255));
    EXPECT_EQ(c.g, 0);
    EXPECT_EQ(c.r, 202); // 409 * 127 / 256 truncated
    EXPECT_EQ(c.b, 255);
    // Small values keep their integer part: (1192 + 624) / 256 = 7.09.
    RGB d = FromYUY2(YUY2(20, 128, 20, 125));
    EXPECT_EQ(d.r, 0);
    EXPECT_EQ(d.g, 7);
    EXPECT_EQ(d.b, 4);
}

TEST(Colour, YUVAtoRGBA)
{
    s32 r, g, b, a;
    ZKT_YUVAtoRGBAColor(0xFFF05A52u, &r, &g, &b, &a);
    EXPECT_EQ(a, 255);
    EXPECT_GE(r, 250);
    EXPECT_LE(g, 2);
    EXPECT_LE(b, 2);
    // V is byte 2 here (not byte 3 as in YUY2): swapping them must show.
    ZKT_YUVAtoRGBAColor(YUY2(120, 200, 60, 0x37), &r, &g, &b, &a);
    EXPECT_EQ(r, 12);
    EXPECT_EQ(g, 148);
    EXPECT_EQ(b, 255);
    EXPECT_EQ(a, 0x37);
}

TEST(Colour, Dual16bit)
{
    // Pixel 0 black, pixel 1 white (widened to 248, 252, 248).
    EXPECT_EQ(ZKT_Dual16bitRGBtoYUY2Color(0xFFFF0000u), 0x7FE78010u);
    // U from pixel 0, V from pixel 1: pure red then pure blue.
    u32 red = 0xF800, blue = 0x001F;
    u32 w = ZKT_Dual16bitRGBtoYUY2Color(red | (blue << 16));
    u32 yr = ZKT_RGBtoYUY2Color(248, 0, 0), yb = ZKT_RGBtoYUY2Color(0, 0, 248);
    EXPECT_EQ(w & 0xFF, yr & 0xFF);
    EXPECT_EQ((w >> 8) & 0xFF, (yr >> 8) & 0xFF);
    EXPECT_EQ((w >> 16) & 0xFF, yb & 0xFF);
    EXPECT_EQ(w >> 24, yb >> 24);

    // Back to dual RGB565: pixel 0 from byte 0, pixel 1 from byte 2.
    u32 dual = 0;
    ZKT_YUY2ColortoDual16bitRGB(YUY2(16, 128, 235, 128), &dual);
    EXPECT_EQ(dual & 0xFFFF, 0u);
    EXPECT_EQ(dual >> 16, (254u >> 3) << 11 | (254u >> 2) << 5 | (254u >> 3));
    // Each channel lands in its own bits: Y 120, U 200, V 60 is (12, 148, 255).
    ZKT_YUY2ColortoDual16bitRGB(YUY2(120, 200, 16, 60), &dual);
    EXPECT_EQ(dual & 0xFFFF, (12u >> 3) << 11 | (148u >> 2) << 5 | (255u >> 3));
}

// Every 8-bit RGB colour lands in the studio ranges.
TEST(Colour, AllRGBInStudioRange)
{
    u32 bad = 0;
    for (s32 r = 0; r < 256; r++)
        for (s32 g = 0; g < 256; g++)
            for (s32 b = 0; b < 256; b++) {
                u32 w = ZKT_RGBAtoYUVAColor(r, g, b, 0);
                u32 y = w & 0xFF, u = (w >> 8) & 0xFF, v = (w >> 16) & 0xFF;
                bad += y < 16 || y > 235 || u < 16 || u > 240 || v < 16 || v > 240;
            }
    EXPECT_EQ(bad, 0u);
}

// Over every YUV triple the output never wraps: each channel stays in
// 0..255 and never decreases as luma rises (a wrap would break that).
TEST(Colour, AllYUVNoWrap)
{
    u32 bad = 0;
    for (u32 u = 0; u < 256; u++)
        for (u32 v = 0; v < 256; v++) {
            RGB prev = {0, 0, 0};
            for (u32 y = 0; y < 256; y++) {
                RGB c = FromYUY2(YUY2(y, u, 0, v));
                bad += c.r < 0 || c.r > 255 || c.g < 0 || c.g > 255 || c.b < 0 || c.b > 255;
                if (y > 0)
                    bad += c.r < prev.r || c.g < prev.g || c.b < prev.b;
                prev = c;
            }
        }
    EXPECT_EQ(bad, 0u);
    // Extremes saturate instead of wrapping.
    RGB hi = FromYUY2(0xFFFFFFFFu);
    EXPECT_EQ(hi.r, 255);
    EXPECT_EQ(hi.b, 255);
    RGB lo = FromYUY2(0); // Y, U, V all 0: red and blue clamp, green is 135
    EXPECT_EQ(lo.r, 0);
    EXPECT_EQ(lo.g, 135);
    EXPECT_EQ(lo.b, 0);
}

// Grey round trip: RGB -> YUV -> RGB is within 2 levels for neutral colours.
TEST(Colour, GreyRoundTrip)
{
    for (s32 i = 0; i < 256; i++) {
        RGB c = FromYUY2(ZKT_RGBtoYUY2Color(i, i, i));
        EXPECT_NEAR(c.r, i, 2) << i;
        EXPECT_NEAR(c.g, i, 2) << i;
        EXPECT_NEAR(c.b, i, 2) << i;
    }
}

class OSDPaletteRGB : public ::testing::Test {
protected:
    void SetUp() override { std::memset(g_ulOSDPalette, 0xCC, sizeof(g_ulOSDPalette)); }
};

TEST_F(OSDPaletteRGB, ConvertsAndKeepsAlpha)
{
    const u32 colours[3] = {0x80FF0000u, 0x000000FFu, 0xF0FFFFFFu};
    EXPECT_EQ(ZKT_SetOSDPaletteUsingRGB(10, colours, 3), 0u);
    EXPECT_EQ(g_ulOSDPalette[9], 0xCCCCCCCCu);
    EXPECT_EQ(g_ulOSDPalette[10], (ZKT_RGBAtoYUVAColor(255, 0, 0, 0x80)));
    EXPECT_EQ(g_ulOSDPalette[10], 0x80F05A52u);
    EXPECT_EQ(g_ulOSDPalette[11], ZKT_RGBAtoYUVAColor(0, 0, 255, 0));
    EXPECT_EQ(g_ulOSDPalette[12], 0xF08080EBu);
    EXPECT_EQ(g_ulOSDPalette[13], 0xCCCCCCCCu);
}

TEST_F(OSDPaletteRGB, CountZeroChangesNothing)
{
    EXPECT_EQ(ZKT_SetOSDPaletteUsingRGB(0, nullptr, 0), 0u);
    for (u32 e : g_ulOSDPalette)
        ASSERT_EQ(e, 0xCCCCCCCCu);
}

TEST_F(OSDPaletteRGB, FullClearAndRangePastEnd)
{
    static u32 black[300];
    EXPECT_EQ(ZKT_SetOSDPaletteUsingRGB(0, black, 256), 0u);
    for (u32 e : g_ulOSDPalette)
        ASSERT_EQ(e, 0x00808010u);

    // A range past entry 255 stops there; the call says so.
    static u32 white[300];
    for (u32 &c : white)
        c = 0xFFFFFFFFu;
    EXPECT_EQ(ZKT_SetOSDPaletteUsingRGB(250, white, 300), (u32)ZKT_ERR_INVALID_ARG);
    EXPECT_EQ(g_ulOSDPalette[249], 0x00808010u);
    EXPECT_EQ(g_ulOSDPalette[250], 0xFF8080EBu);
    EXPECT_EQ(g_ulOSDPalette[255], 0xFF8080EBu);
    EXPECT_EQ(ZKT_SetOSDPaletteUsingRGB(256, white, 1), (u32)ZKT_ERR_INVALID_ARG);
}

} // namespace
