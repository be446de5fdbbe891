// The colour pass, YUV to blue, green, red, and gamma.
#include <cstring>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "lowlevel/desktop/zkt_softrender_stages.h"

// YUV to RGB by the system's one rule (298, 409, 100, 208, 517; divide by
// 256 toward zero; clamp). A negative sum clamps to 0 either way, so an
// arithmetic shift stands in for the division. The chroma terms of all
// three sums depend on (Cb', Cr') only and, with hue and saturation, on
// (Cb, Cr) only: one table per matrix holds them packed, 21 bits each with
// a bias of 2^17, and the luma table carries 298 (Y' - 16) less that bias.
static const s32 CONV_BIAS = 1 << 17;

static inline s32 Clamp255(s32 v)
{
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

void ZKT_SoftRenderColourRule(PxColour &t, s32 brightness, s32 contrast, const s8 *matrix)
{
    const s32 b = brightness, c = contrast;
    t.brightness = b;
    t.contrast = c;
    for (s32 y = 0; y < 256; y++)
        t.luma[y] = 298 * (Clamp255(((y + b - 128) * (c + 8)) / 8 + 128) - 16) - CONV_BIAS;
    const s8 *m = matrix;
    for (s32 k = 0; k < 4; k++) {
        t.cbAB[k] = (s32)((u32)(u16)m[k] | (u32)(u16)m[4 + k] << 16);
        t.crAB[k] = (s32)((u32)(u16)m[8 + k] | (u32)(u16)m[12 + k] << 16);
    }

    // Rebuilt only when the matrix changes, which is rare.
    static uint64_t s_ulChroma[65536];
    static s8 s_scMatrix[16];
    static bool s_bChromaReady = false;
    if (!s_bChromaReady || memcmp(m, s_scMatrix, 16) != 0) {
        memcpy(s_scMatrix, m, 16);
        for (s32 cr = 0; cr < 256; cr++) {
            for (s32 cb = 0; cb < 256; cb++) {
                const s32 u = cb - 128, v = cr - 128;
                const s32 k = v >= 0 ? (u >= 0 ? 0 : 1) : (u < 0 ? 2 : 3);
                const s32 d = Clamp255((m[k] * u + m[4 + k] * v) / 64 + 128) - 128;
                const s32 e = Clamp255((m[8 + k] * u + m[12 + k] * v) / 64 + 128) - 128;
                const uint64_t tb = (uint64_t)(517 * d + CONV_BIAS);
                const uint64_t tg = (uint64_t)(-100 * d - 208 * e + CONV_BIAS);
                const uint64_t tr = (uint64_t)(409 * e + CONV_BIAS);
                s_ulChroma[cb | (cr << 8)] = tb | (tg << 21) | (tr << 42);
            }
        }
        s_bChromaReady = true;
    }
    t.chroma = s_ulChroma;
    // Unwritten pixels all hold the background: convert it once.
    u32 bg = 0x10 | 0x80 << 8 | 0x80 << 16 | ZKT_PX_WRITTEN;
    t.bg = 0;
    ZKT_SoftRenderScalar_Colour(&bg, 1, t);
    t.bg = bg & ZKT_PX_RGB;
}

void ZKT_SoftRenderColourPrepare(PxColour &t)
{
    s8 m[16];
    memcpy(m, g_sMLC_HUECb_A, 4);
    memcpy(m + 4, g_sMLC_HUECb_B, 4);
    memcpy(m + 8, g_sMLC_HUECr_A, 4);
    memcpy(m + 12, g_sMLC_HUECr_B, 4);
    ZKT_SoftRenderColourRule(t, g_scYUVBrightness, g_ucYUVContrast, m);
}

// Pixels an opaque RGB run replaces need no conversion.
void ZKT_SoftRenderColourLine(u32 *row, s32 W, const s32 *cover, s32 nCover, const PxColour &t,
                              const SoftRenderKernels &K)
{
    s32 x = 0;
    for (s32 i = 0; i < nCover; x = cover[2 * i + 1], i++)
        if (cover[2 * i] > x)
            K.colour(row + x, cover[2 * i] - x, t);
    if (x < W)
        K.colour(row + x, W - x, t);
}

void ZKT_LowLevelAPI_SoftRender_ColorPass()
{
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    PxColour t;
    ZKT_SoftRenderColourPrepare(t);
    ZKT_SoftRenderKernels().colour(g_ulSoftRenderWork, W * H, t);
}

// --- Gamma ---

bool ZKT_SoftRenderGammaPrepare(PxGamma &g)
{
    // The table seldom changes: the tables made from it are kept.
    static u32 s_ulTable[256];
    static PxGamma s_made;
    static bool s_bMade = false;
    if (!s_bMade || memcmp(s_ulTable, g_ulGammaTable, sizeof s_ulTable) != 0) {
        memcpy(s_ulTable, g_ulGammaTable, sizeof s_ulTable);
        for (u32 i = 0; i < 256; i++) {
            const u32 e = s_ulTable[i];
            s_made.lut[0][i] = (e >> 16) & 0xFF;
            s_made.lut[1][i] = e & 0xFF00;
            s_made.lut[2][i] = (e & 0xFF) << 16;
        }
        PxGammaSeal(s_made);
        s_bMade = true;
    }
    if (&g != &s_made)
        g = s_made;
    return !(g.same[0] && g.same[1] && g.same[2]);
}

void ZKT_LowLevelAPI_GammaCorrection()
{
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    static PxGamma s_gamma;
    ZKT_SoftRenderGammaPrepare(s_gamma);
    ZKT_SoftRenderKernels().gamma(g_ulSoftRenderWork, W * H, s_gamma);
}
