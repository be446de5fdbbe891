// Splash part: the logo is an intensity map whose pixels each look up one
// entry of a colour strip; moving the bands along the strip makes light
// sweep across the logo without touching its pixels' positions.
#include "parts/dp_splashzkt.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "assets/assets.h"
#include "tools/zkt_basictools.h"

// The embedded codes are little-endian u16 words, as both targets are.
// Codes are always read with memcpy, so the byte array is never accessed
// through a u16 lvalue.
const u16 *g_pZktLogo = reinterpret_cast<const u16 *>(BMP_ZKT_LOGO);

const s32 g_nZktLogoGroupBase[16] = {0, 0, 0, 0, 0, 0, 1162, 1025, 973, 886, 735, 584, 557, 393, 256, 0};

u32 g_bZktLogoInit = 0;

typedef int64_t s64;
typedef uint64_t u64;

static const double s_PI = 3.14159265358979323846;

static inline u16 ReadCode(const u16 *codes, u32 k)
{
    u16 c;
    std::memcpy(&c, codes + k, sizeof c);
    return c;
}

u32 ZKT_DP_SplashZkt_Reset()
{
    g_bZktLogoInit = 0; // its picture area is cleared again on the next paint
    return 1;
}

u32 ZKT_DP_SplashZkt_Init(u32 mode)
{
    (void)mode;
    g_bZktLogoInit = 0;
    return 1;
}

u32 ZKT_DP_SplashZkt_DrawColorStrip(u8 *strip, s32 stripLength, s32 start, s32 span,
                                    const SplashColorStop *stops, s32 stopCount)
{
    s64 prevEnd = start;
    s32 prev[3] = {0, 0, 0}; // blue, green, red: the strip's byte order
    for (s32 k = 0; k < stopCount; k++) {
        s64 end = (s64)start + (s64)span * stops[k].nPos / 10000;
        if (end > (s64)stripLength - 1)
            end = (s64)stripLength - 1;
        const s32 cur[3] = {(s32)(stops[k].ulColor & 0xFF), (s32)((stops[k].ulColor >> 8) & 0xFF),
                            (s32)((stops[k].ulColor >> 16) & 0xFF)};
        const s64 len = end - prevEnd;
        // Entries below 0 are off the strip; start the walk at 0 directly.
        for (s64 j = prevEnd < 0 ? 0 : prevEnd; j < end; j++) {
            const s64 n = j - prevEnd;
            u8 *e = strip + 3 * j;
            for (int c = 0; c < 3; c++) {
                s64 v = e[c] + prev[c] + n * (cur[c] - prev[c]) / len;
                e[c] = (u8)(v > 255 ? 255 : v);
            }
        }
        prev[0] = cur[0];
        prev[1] = cur[1];
        prev[2] = cur[2];
        prevEnd = end;
    }
    return 0;
}

// Strip entry of a pixel code; scale is 8.8 fixed point.
static inline s64 StripEntry(u16 code, s64 scale)
{
    return (scale * (g_nZktLogoGroupBase[(code >> 8) & 0xF] + (code & 0xFF))) >> 8;
}

u32 ZKT_DrawSingleSegment(u32 bLcd, u32 offset, const u16 *codes, const u8 *strip, s32 stripLength)
{
    if (stripLength <= 0)
        return 0;
    u32 *base32 = nullptr;
    ZKT_GetVideoBasePtr(&base32);
    u8 *base = reinterpret_cast<u8 *>(base32);
    const s64 scale = (s64)stripLength * 256 / 4170;
    const u64 rowBytes = bLcd ? 640 : 720;
    u64 row = (u64)(offset & ~1u);
    u32 col = 0;
    for (u32 k = 0;; k++) {
        const u16 code = ReadCode(codes, k);
        if (code == 0)
            break;
        if (code < 0x600) {
            col += code;
        } else {
            const s64 e = StripEntry(code, scale);
            const bool shown = !bLcd || (col >= 20 && col <= 339);
            const u64 at = row + 2 * (u64)(bLcd ? col - 20 : col);
            if (shown && e < stripLength && at + 2 <= ZKT_VIDEO_MEM_SIZE) {
                const u32 v = code >> 12;
                const u8 *s = strip + 3 * e;
                const u16 px = (u16)(((v * s[0]) >> 7) | ((((v * s[1]) >> 6) & 0x3F) << 5) |
                                     ((((v * s[2]) & 0xFFF) >> 7) << 11));
                std::memcpy(base + at, &px, 2);
            }
            col++;
        }
        while (col >= ZKT_LOGO_WIDTH) {
            col -= ZKT_LOGO_WIDTH;
            row += rowBytes;
        }
        // Rows only move down: once past video memory nothing more can land.
        if (row >= ZKT_VIDEO_MEM_SIZE)
            break;
    }
    return 0;
}

u32 ZKT_DrawMultiSegment(u32 offset, const u16 *codes, const u8 *strip, u32 scale)
{
    u32 *base32 = nullptr;
    ZKT_GetVideoBasePtr(&base32);
    u8 *base = reinterpret_cast<u8 *>(base32);
    u64 at = offset;
    for (u32 k = 0;; k++) {
        const u16 code = ReadCode(codes, k);
        if (code == 0 || at >= ZKT_VIDEO_MEM_SIZE)
            break;
        if (code < 0x600) {
            at += 3 * (u64)code;
            continue;
        }
        if (at + 3 <= ZKT_VIDEO_MEM_SIZE) {
            // (scale * position) >> 8 stays below the strip length that gives
            // this scale, as positions never reach 4170.
            const u32 v = code >> 12;
            const u8 *s = strip + 3 * StripEntry(code, scale);
            base[at] = (u8)((v * s[0]) >> 4);
            base[at + 1] = (u8)((v * s[1]) >> 4);
            base[at + 2] = (u8)((v * s[2]) >> 4);
        }
        at += 3;
    }
    return 0;
}

static void DrawPulses(u8 *strip, u32 t)
{
    for (s32 w = 0; w < 2; w++) {
        s32 p = 10000 - (s32)((10 * t) % 10000) - 5000 * w;
        if (p < 0)
            p += 10000;
        const u32 a = (u32)(64 * p / 10000), b = (u32)(96 * p / 10000), c = (u32)(255 * p / 10000);
        const SplashColorStop stops[4] = {
            {0, a}, {3300, b << 16 | b}, {6600, (c / 2) << 16 | (c / 8) << 8 | c}, {10000, a}};
        const s32 s = (3700000 - 370 * p) / 10000 - 150;
        const s32 span = 150 * p / 10000;
        ZKT_DP_SplashZkt_DrawColorStrip(strip, ZKT_SPLASH_STRIP_LEN, s, span, stops, 4);
        ZKT_DP_SplashZkt_DrawColorStrip(strip, ZKT_SPLASH_STRIP_LEN, 370 - s, span, stops, 4);
    }
}

static void DrawFireBands(u8 *strip, u32 t)
{
    static const SplashColorStop ember[4] = {{0, 0x200000}, {3300, 0x400000}, {6600, 0xC03000}, {10000, 0xFF6000}};
    static const SplashColorStop emberRev[4] = {{0, 0xFF6000}, {3300, 0xC03000}, {6600, 0x400000}, {10000, 0x200000}};
    static const SplashColorStop fire[4] = {{0, 0x400000}, {3300, 0xFF0000}, {6600, 0xFFFF00}, {10000, 0xFFFFFF}};
    static const SplashColorStop fireRev[4] = {{0, 0xFFFFFF}, {3300, 0xFFFF00}, {6600, 0xFF0000}, {10000, 0x400000}};

    const double dt = (double)t;
    const s32 g = (s32)(10.0 * std::sin(2.0 * s_PI * dt / 600.0) + 15.0);
    const double w1 = (double)(250 * t / 10000);
    const s32 m = (s32)(w1 + w1 * std::sin(2.0 * s_PI * dt / 360.0 - s_PI / 2) + 20.0);
    ZKT_DP_SplashZkt_DrawColorStrip(strip, ZKT_SPLASH_STRIP_LEN, g - m + 241, m, ember, 4);
    ZKT_DP_SplashZkt_DrawColorStrip(strip, ZKT_SPLASH_STRIP_LEN, g + 241, m, emberRev, 4);
    if (t >= 801) {
        const s32 o = (s32)(1200.0 * std::sin((dt - 800.0) * s_PI / 20000.0 - s_PI / 2) + 1200.0);
        const s32 u = (s32)(o + o * std::sin(2.0 * s_PI * dt / 900.0) + 20.0);
        ZKT_DP_SplashZkt_DrawColorStrip(strip, ZKT_SPLASH_STRIP_LEN, g - u + 241, u, fire, 4);
        ZKT_DP_SplashZkt_DrawColorStrip(strip, ZKT_SPLASH_STRIP_LEN, g + 241, u, fireRev, 4);
    }
}

u32 ZKT_DP_SplashZkt_FillStrip(u8 *strip, u32 t)
{
    std::memset(strip, 0, 3 * ZKT_SPLASH_STRIP_LEN);
    if (t > 11500)
        return 0;
    if (t <= 5399)
        DrawPulses(strip, t);
    if (t >= 500 && t <= 5400) {
        DrawFireBands(strip, t);
    } else if (t > 5400 && t <= 8800) {
        static const SplashColorStop white[2] = {{0, 0xFFFFFF}, {10000, 0xFFFFFF}};
        ZKT_DP_SplashZkt_DrawColorStrip(strip, ZKT_SPLASH_STRIP_LEN, 0, ZKT_SPLASH_STRIP_LEN, white, 2);
    } else if (t > 8800) {
        // A dark-red edge with white behind it, moving from -100 to 523.
        static const SplashColorStop sweep[3] = {{0, 0x400000}, {100, 0xFFFFFF}, {10000, 0xFFFFFF}};
        const s32 start = (s32)((600 * t - 5279000u) / 2600) - 100;
        ZKT_DP_SplashZkt_DrawColorStrip(strip, ZKT_SPLASH_STRIP_LEN, start, 2780, sweep, 3);
    }
    return 1;
}

u32 ZKT_DP_SplashZkt_Paint(u32 t, u32 length, u32 mode)
{
    (void)length;
    if (!g_bZktLogoInit) {
        u32 *base = nullptr;
        ZKT_GetVideoBasePtr(&base);
        ZKT_FAST_MEMSET(base + ZKT_SPLASH_RGB_OFFSET / 4, 0, ZKT_SPLASH_CLEAR_BYTES);
        g_bZktLogoInit = 1;
    }

    u8 strip[3 * ZKT_SPLASH_STRIP_LEN];
    // Past the end the last picture stays until the main part takes over.
    if (!ZKT_DP_SplashZkt_FillStrip(strip, t))
        return 0;

    const u32 dst = mode == 0 ? 0x24E600u : mode == 26 ? 0x252FC0u : 0x2502C0u;
    ZKT_DrawSingleSegment(mode == 0, dst, g_pZktLogo, strip, ZKT_SPLASH_STRIP_LEN);
    ZKT_SetRGBStartAddress(ZKT_SPLASH_RGB_OFFSET);
    return 0;
}
