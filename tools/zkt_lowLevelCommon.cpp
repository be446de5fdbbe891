// Colour-space conversion between 8-bit RGB and the controller's packed
// YUV encodings (integer studio-range coefficients), shared by both back
// ends and the parts so every build computes the same bytes.
#include "tools/zkt_lowLevelCommon.h"

namespace {

struct YUV {
    s32 y, u, v;
};

// The ">> 8" is an arithmetic shift: the chroma sums may be negative and
// must round toward minus infinity, not toward zero.
YUV RGBtoYUV(s32 r, s32 g, s32 b)
{
    YUV c;
    c.y = (((66 * r + 129 * g + 25 * b + 128) >> 8) + 16) & 0xFF;
    c.u = (((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128) & 0xFF;
    c.v = (((112 * r - 94 * g - 18 * b + 128) >> 8) + 128) & 0xFF;
    return c;
}

s32 Clamp255(s32 x)
{
    return x < 0 ? 0 : (x > 255 ? 255 : x);
}

// No rounding term, so studio white (235) comes back as 254; both builds
// must agree on that, so do not "fix" it here alone.
void YUVtoRGB(s32 y, s32 u, s32 v, s32 *pR, s32 *pG, s32 *pB)
{
    s32 l = 298 * (y - 16);
    s32 d = u - 128;
    s32 e = v - 128;
    *pR = Clamp255((l + 409 * e) / 256);
    *pG = Clamp255((l - 100 * d - 208 * e) / 256);
    *pB = Clamp255((l + 517 * d) / 256);
}

u32 RGBtoRGB565(s32 r, s32 g, s32 b)
{
    return ((u32)(r >> 3) << 11) | ((u32)(g >> 2) << 5) | (u32)(b >> 3);
}

} // namespace

u32 ZKT_RGBtoYUY2Color(s32 r, s32 g, s32 b)
{
    YUV c = RGBtoYUV(r, g, b);
    return (u32)c.y | ((u32)c.u << 8) | ((u32)c.y << 16) | ((u32)c.v << 24);
}

void ZKT_YUY2toRGBColor(u32 yuy2, s32 *pR, s32 *pG, s32 *pB)
{
    YUVtoRGB(yuy2 & 0xFF, (yuy2 >> 8) & 0xFF, yuy2 >> 24, pR, pG, pB);
}

u32 ZKT_Dual16bitRGBtoYUY2Color(u32 dual)
{
    u32 p0 = dual & 0xFFFF, p1 = dual >> 16;
    YUV c0 = RGBtoYUV((p0 >> 11) << 3, ((p0 >> 5) & 0x3F) << 2, (p0 & 0x1F) << 3);
    YUV c1 = RGBtoYUV((p1 >> 11) << 3, ((p1 >> 5) & 0x3F) << 2, (p1 & 0x1F) << 3);
    // Chroma is not averaged: U comes from pixel 0, V from pixel 1.
    return (u32)c0.y | ((u32)c0.u << 8) | ((u32)c1.y << 16) | ((u32)c1.v << 24);
}

void ZKT_YUY2ColortoDual16bitRGB(u32 yuy2, u32 *pDual)
{
    s32 u = (yuy2 >> 8) & 0xFF, v = yuy2 >> 24;
    s32 r0, g0, b0, r1, g1, b1;
    YUVtoRGB(yuy2 & 0xFF, u, v, &r0, &g0, &b0);
    YUVtoRGB((yuy2 >> 16) & 0xFF, u, v, &r1, &g1, &b1);
    *pDual = RGBtoRGB565(r0, g0, b0) | (RGBtoRGB565(r1, g1, b1) << 16);
}

u32 ZKT_RGBAtoYUVAColor(s32 r, s32 g, s32 b, s32 a)
{
    YUV c = RGBtoYUV(r, g, b);
    return (u32)c.y | ((u32)c.u << 8) | ((u32)c.v << 16) | ((u32)a << 24);
}

void ZKT_YUVAtoRGBAColor(u32 yuva, s32 *pR, s32 *pG, s32 *pB, s32 *pA)
{
    YUVtoRGB(yuva & 0xFF, (yuva >> 8) & 0xFF, (yuva >> 16) & 0xFF, pR, pG, pB);
    *pA = yuva >> 24;
}

u32 ZKT_SetOSDPaletteUsingRGB(u16 first, const u32 *colors, u16 count)
{
    // The converted entries live in a 256-entry local table; entries that
    // would land past the end of the palette are dropped here rather than
    // read from beyond the table.
    u32 converted[256];
    u32 room = first < 256 ? 256u - first : 0u;
    u32 n = count < room ? count : room;
    for (u32 i = 0; i < n; i++) {
        u32 c = colors[i];
        YUV yuv = RGBtoYUV((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
        converted[i] = (c & 0xFF000000u) | ((u32)yuv.v << 16) | ((u32)yuv.u << 8) | (u32)yuv.y;
    }
    u32 result = ZKT_SetOSDPalette(first, converted, (u16)n);
    return n < count ? (u32)ZKT_ERR_INVALID_ARG : result;
}
