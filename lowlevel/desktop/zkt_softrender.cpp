// The software compositor: turns the hardware model into one picture per
// frame. Layers draw into a packed working picture (Y, Cb, Cr until the
// colour pass, blue, green, red after it) and mark what they wrote in
// g_ucByteWriteOnPlane. Presenting it is zkt_softrender_window.cpp's job.
//
// Everything read from video memory is bounds-checked against its 8 MiB:
// the offsets come straight from the setters, which validate nothing.
#include <cstring>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "lowlevel/desktop/zkt_softrender_px.h"

typedef int64_t s64;

u8 g_ucSoftRenderPicture[ZKT_MAX_OUT_W * ZKT_MAX_OUT_H * 3];

static const s64 VMSIZE = ZKT_VIDEO_MEM_SIZE;

void ZKT_LowLevelAPI_SoftRender_GetOutputSize(s32 *pW, s32 *pH)
{
    // Modes past 32 are a caller error; they get the largest picture so
    // that nothing is ever sized from garbage.
    if (g_ulDISPLAY_MODE <= 4) {
        *pW = 320;
        *pH = 240;
    } else if (g_ulDISPLAY_MODE <= 18) {
        *pW = 720;
        *pH = 480;
    } else {
        *pW = 720;
        *pH = 576;
    }
}

// --- YUV planes ---

// One region of one plane, resolved for the current frame: its clipped
// lines and columns and the byte span one line reads.
struct YUVRegion {
    bool bDraw;
    bool tv;
    s32 first, yEnd; // output lines first .. yEnd - 1, inside the picture
    s32 x0, x1;      // output columns, inside the picture
    s64 offset, pitch, minOff, maxOff;
    u32 vScale, hScale;
    bool mirrorH;
};

static void YUVPrepare(u32 bPlaneA, u32 bTopRegion, YUVRegion &r)
{
    r.bDraw = false;
    const YUVPlane &pl = g_YUVPlane[bPlaneA ? 0 : 1];
    if (!pl.bEnable || !g_GP2X_VIDEO_BASE_PTR)
        return;
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    r.tv = g_ulDISPLAY_MODE > 4;

    u32 first, end, mirrorV;
    if (bTopRegion) {
        first = pl.usStartY;
        end = pl.usSplitY;
        r.offset = pl.ulTopOffset;
        r.mirrorH = pl.bTopMirrorH != 0;
        mirrorV = pl.bTopMirrorV;
    } else {
        first = pl.usSplitY;
        end = pl.usBottomEndY;
        r.offset = pl.ulBottomOffset;
        r.mirrorH = pl.bBottomMirrorH != 0;
        mirrorV = pl.bBottomMirrorV;
    }
    if (r.tv) {
        // The doubled bounds stay 16-bit, as in the controller's registers.
        first = (u16)(first * 2);
        end = (u16)(end * 2);
    }
    const YUVScaler &sc = g_YUVScaler[(bPlaneA ? 0 : 2) + (bTopRegion ? 0 : 1)];
    r.first = (s32)first;
    r.yEnd = (s32)end < H ? (s32)end : H;
    r.x0 = pl.usStartX;
    r.x1 = pl.usEndX < W ? pl.usEndX : W - 1;
    r.vScale = sc.usVScale;
    r.hScale = sc.usHScale;
    r.pitch = 2 * (s64)pl.usLineWidth;
    if (mirrorV)
        r.pitch = -r.pitch;
    if (first >= end || r.x0 > r.x1 || r.first >= r.yEnd)
        return;
    r.bDraw = true;

    // The byte span of one line, from the same walk as the drawing.
    const s32 startPhase = r.mirrorH ? 2 : 0;
    const s32 pairStep = r.mirrorH ? -4 : 4;
    s64 p = 0;
    s32 phase = startPhase;
    u32 acc = 0;
    r.minOff = 0;
    r.maxOff = 0;
    for (s32 x = r.x0; x <= r.x1; x++) {
        const s64 lo = phase == 0 ? p : p + 1, hi = p + 3;
        if (lo < r.minOff)
            r.minOff = lo;
        if (hi > r.maxOff)
            r.maxOff = hi;
        const u32 next = acc + r.hScale;
        const u32 n = (next >> 10) - (acc >> 10);
        p += (s64)(phase == startPhase ? n / 2 : (n + 1) / 2) * pairStep;
        if (n & 1)
            phase ^= 2;
        acc = next;
    }
}

// Start of output line y's source data, relative to video memory.
static inline s64 YUVLineStart(const YUVRegion &r, s32 y)
{
    s64 s = ((s64)(y - r.first) * r.vScale) >> 10;
    if (r.tv)
        s = (s & ~(s64)1) + (y & 1);
    return r.offset + s * r.pitch;
}

// True when region r draws every column x0..x1 of line y.
static inline bool YUVCovers(const YUVRegion &r, s32 y, s32 x0, s32 x1)
{
    if (!r.bDraw || y < r.first || y >= r.yEnd || r.x0 > x0 || r.x1 < x1)
        return false;
    const s64 line = YUVLineStart(r, y);
    return line + r.minOff >= 0 && line + r.maxOff < VMSIZE;
}

// Draws one region; lines wholly covered by one of the regions in pAbove
// (drawn later, on top) are skipped, as their pixels would not show.
static void YUVDraw(u32 bPlaneA, u32 bTopRegion, const YUVRegion *pAbove, s32 nAbove)
{
    YUVRegion r;
    YUVPrepare(bPlaneA, bTopRegion, r);
    if (!r.bDraw)
        return;
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    const u8 *vm = g_GP2X_VIDEO_BASE_PTR;

    // The horizontal walk is the same on every line: record where each
    // output column reads its luma and chroma, relative to the line start.
    static s32 s_nOffY[ZKT_MAX_OUT_W], s_nOffC[ZKT_MAX_OUT_W];
    const s32 startPhase = r.mirrorH ? 2 : 0;
    const s32 pairStep = r.mirrorH ? -4 : 4;
    s64 p = 0;
    s32 phase = startPhase;
    u32 acc = 0;
    const s32 count = r.x1 - r.x0 + 1;
    for (s32 i = 0; i < count; i++) {
        s_nOffY[i] = (s32)(p + phase);
        s_nOffC[i] = (s32)(p + 1);
        const u32 next = acc + r.hScale;
        const u32 n = (next >> 10) - (acc >> 10);
        // n phase steps: every second one lands back on the start phase
        // and moves the pointer by a pair.
        p += (s64)(phase == startPhase ? n / 2 : (n + 1) / 2) * pairStep;
        if (n & 1)
            phase ^= 2;
        acc = next;
    }

    u8 *pic = g_ucSoftRenderPicture;
    u8 *flags = g_ucByteWriteOnPlane;
    for (s32 y = r.first; y < r.yEnd; y++) {
        bool hidden = false;
        for (s32 k = 0; k < nAbove && !hidden; k++)
            hidden = YUVCovers(pAbove[k], y, r.x0, r.x1);
        if (hidden)
            continue;
        const s64 line = YUVLineStart(r, y);
        u8 *dst = pic + ((s64)y * W + r.x0) * 3;
        u8 *fl = flags + (s64)y * W + r.x0;
        if (line + r.minOff >= 0 && line + r.maxOff < VMSIZE) {
            const u8 *src = vm + line;
            for (s32 i = 0; i < count; i++) {
                dst[0] = src[s_nOffY[i]];
                dst[1] = src[s_nOffC[i]];
                dst[2] = src[s_nOffC[i] + 2];
                dst += 3;
            }
            memset(fl, 1, count);
        } else if (line + r.maxOff >= 0 && line + r.minOff < VMSIZE) {
            // Partly outside video memory: draw only what can be read.
            for (s32 i = 0; i < count; i++, dst += 3) {
                const s64 oy = line + s_nOffY[i], oc = line + s_nOffC[i];
                if (oy < 0 || oy >= VMSIZE || oc < 0 || oc + 2 >= VMSIZE)
                    continue;
                dst[0] = vm[oy];
                dst[1] = vm[oc];
                dst[2] = vm[oc + 2];
                fl[i] = 1;
            }
        }
    }
}

void ZKT_LowLevelAPI_SoftRender_YUV_Layer(u32 bPlaneA, u32 bTopRegion)
{
    YUVDraw(bPlaneA, bTopRegion, nullptr, 0);
}

// Step 3: the lower plane's regions, then the upper plane's; lines of the
// lower plane that the upper one covers completely are not drawn.
static void YUVPlanes()
{
    const u32 lowerA = g_bYUVFirstPlanePriority ? 0 : 1;
    YUVRegion above[2];
    YUVPrepare(!lowerA, 1, above[0]);
    YUVPrepare(!lowerA, 0, above[1]);
    YUVDraw(lowerA, 1, above, 2);
    YUVDraw(lowerA, 0, above, 2);
    YUVDraw(!lowerA, 1, nullptr, 0);
    YUVDraw(!lowerA, 0, nullptr, 0);
}

// --- Colour pass ---

// YUV to RGB by the system's one rule (298, 409, 100, 208, 517; divide by
// 256 toward zero; clamp). A negative sum clamps to 0 either way, so an
// arithmetic shift stands in for the division. The chroma terms of all
// three sums depend on (Cb', Cr') only and, with hue and saturation, on
// (Cb, Cr) only: one table per matrix holds them packed, 21 bits each with
// a bias of 2^17, and the luma table carries 298 (Y' - 16) less that bias.
static const s32 CONV_BIAS = 1 << 17;
static u8 s_ucConvClamp[1024]; // index (sum >> 8) + 384
static bool s_bConvReady = false;

static void ConvInit()
{
    for (s32 i = 0; i < 1024; i++) {
        const s32 v = i - 384;
        s_ucConvClamp[i] = (u8)(v < 0 ? 0 : v > 255 ? 255 : v);
    }
    s_bConvReady = true;
}

static inline void ConvPixel(u8 *p, const s32 *luma, const uint64_t *chroma)
{
    const s32 l = luma[p[0]];
    const uint64_t c = chroma[p[1] | (p[2] << 8)];
    p[0] = s_ucConvClamp[((l + (s32)(c & 0x1FFFFF)) >> 8) + 384];
    p[1] = s_ucConvClamp[((l + (s32)((c >> 21) & 0x1FFFFF)) >> 8) + 384];
    p[2] = s_ucConvClamp[((l + (s32)(c >> 42)) >> 8) + 384];
}

static inline s32 Clamp255(s32 v)
{
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

void ZKT_LowLevelAPI_SoftRender_ColorPass()
{
    if (!s_bConvReady)
        ConvInit();
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    const s32 N = W * H;

    s32 luma[256];
    const s32 b = g_scYUVBrightness, c = g_ucYUVContrast;
    for (s32 y = 0; y < 256; y++)
        luma[y] = 298 * (Clamp255(((y + b - 128) * (c + 8)) / 8 + 128) - 16) - CONV_BIAS;

    // Rebuilt only when the matrix changes, which is rare.
    static uint64_t s_ulChroma[65536];
    static s8 s_scMatrix[16];
    static bool s_bChromaReady = false;
    s8 m[16];
    memcpy(m, g_sMLC_HUECb_A, 4);
    memcpy(m + 4, g_sMLC_HUECb_B, 4);
    memcpy(m + 8, g_sMLC_HUECr_A, 4);
    memcpy(m + 12, g_sMLC_HUECr_B, 4);
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

    // Unwritten pixels all hold the background: convert it once.
    u8 bg[3] = {0x10, 0x80, 0x80};
    ConvPixel(bg, luma, s_ulChroma);
    u8 *p = g_ucSoftRenderPicture;
    const u8 *fl = g_ucByteWriteOnPlane;
    for (s32 i = 0; i < N; i++, p += 3) {
        if (fl[i]) {
            ConvPixel(p, luma, s_ulChroma);
        } else {
            p[0] = bg[0];
            p[1] = bg[1];
            p[2] = bg[2];
        }
    }
}

// --- RGB layer ---

// One run of output columns with the same region outcome. DEPTH selects the
// source format, KEY the colour-key test, CHECK the bounds test for a run
// that reaches outside video memory; all three are fixed per run.
template <int DEPTH, bool KEY, bool CHECK>
static void RGBSpan(u8 *dst, u8 *fl, const u8 *src, s64 srcOffset, s64 rowIndex, const s32 *srcX, s32 count,
                    u32 alpha, u32 key)
{
    for (s32 i = 0; i < count; i++, dst += 3) {
        const s64 idx = rowIndex + srcX[i];
        u32 b, g, r;
        if (DEPTH == 4 || DEPTH == 8) {
            const s64 o = DEPTH == 4 ? idx >> 1 : idx;
            if (CHECK && (srcOffset + o < 0 || srcOffset + o >= VMSIZE))
                continue;
            u32 v = src[o];
            if (DEPTH == 4)
                v = (idx & 1) ? v >> 4 : v & 15;
            const u32 e = g_ulRGBColorTable[v];
            b = e & 0xFF;
            g = (e >> 8) & 0xFF;
            r = (e >> 16) & 0xFF;
        } else if (DEPTH == 16) {
            const s64 o = idx * 2;
            if (CHECK && (srcOffset + o < 0 || srcOffset + o + 1 >= VMSIZE))
                continue;
            const u32 v = src[o] | (src[o + 1] << 8);
            b = (v << 3) & 0xF8;
            g = (v >> 3) & 0xFC;
            r = (v >> 8) & 0xF8;
        } else {
            const s64 o = idx * 3;
            if (CHECK && (srcOffset + o < 0 || srcOffset + o + 2 >= VMSIZE))
                continue;
            b = src[o];
            g = src[o + 1];
            r = src[o + 2];
        }
        u32 a = alpha;
        if (KEY && ((b << 16) | (g << 8) | r) == key)
            a = 0;
        if (fl[i] == 0 || a == 15) {
            dst[0] = (u8)b;
            dst[1] = (u8)g;
            dst[2] = (u8)r;
            fl[i] = 1;
        } else if (a != 0) {
            PxApplyColour(dst, b | (g << 8) | (r << 16), a);
            fl[i] = 1;
        }
    }
}

template <int DEPTH>
static void RGBSpanDepth(bool key, bool check, u8 *dst, u8 *fl, const u8 *src, s64 srcOffset, s64 rowIndex,
                         const s32 *srcX, s32 count, u32 alpha, u32 keyValue)
{
    if (key) {
        if (check)
            RGBSpan<DEPTH, true, true>(dst, fl, src, srcOffset, rowIndex, srcX, count, alpha, keyValue);
        else
            RGBSpan<DEPTH, true, false>(dst, fl, src, srcOffset, rowIndex, srcX, count, alpha, keyValue);
    } else {
        if (check)
            RGBSpan<DEPTH, false, true>(dst, fl, src, srcOffset, rowIndex, srcX, count, alpha, keyValue);
        else
            RGBSpan<DEPTH, false, false>(dst, fl, src, srcOffset, rowIndex, srcX, count, alpha, keyValue);
    }
}

void ZKT_LowLevelAPI_SoftRender_RGB_Layer()
{
    const u8 *vm = g_GP2X_VIDEO_BASE_PTR;
    if (!vm)
        return;
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    const bool tv = g_ulDISPLAY_MODE > 4;
    const s64 SX = g_nScreenSizeX, SY = g_nScreenSizeY;
    // A line longer than video memory cannot be read; refusing it also
    // keeps every index below within 64 bits.
    if (SX <= 0 || SY <= 0 || SX > VMSIZE)
        return;
    const s32 depth = g_nColorBitDepth;
    const s64 base = g_ulRGBVideoMemOffset;
    const u32 key = depth == 16 ? (g_ulRegionColorKey & 0xF8FCF8) : g_ulRegionColorKey;

    static s32 s_nSrcX[ZKT_MAX_OUT_W];
    for (s32 x = 0; x < W; x++)
        s_nSrcX[x] = (s32)((s64)x * SX / W);

    const RGBLayerRegion &r5 = g_RGBLayerRegion[4];
    const bool defDraw = r5.bEnable && r5.bShow;
    const u32 defMode = r5.usBlendMode;
    // Opacity is four bits: anything above 15 is opaque.
    const u32 defAlpha = r5.usBlendMode ? (r5.usAlpha > 15 ? 15 : r5.usAlpha) : 15;

    u8 *pic = g_ucSoftRenderPicture;
    u8 *flags = g_ucByteWriteOnPlane;
    for (s32 y = 0; y < H; y++) {
        // Regions 1 to 4 active on this line, kept in test order 4, 3, 2, 1.
        const RGBLayerRegion *act[4];
        s32 nAct = 0;
        for (s32 r = 3; r >= 0; r--) {
            const RGBLayerRegion &rg = g_RGBLayerRegion[r];
            const s32 sy = tv ? 2 * rg.usStartY : rg.usStartY;
            const s32 ey = tv ? 2 * rg.usEndY : rg.usEndY;
            if (rg.bEnable && sy <= y && y <= ey)
                act[nAct++] = &rg;
        }
        if (!defDraw && nAct == 0)
            continue;

        // The outcome only changes at region edges: cut the line there.
        s32 cuts[10];
        s32 nCuts = 0;
        cuts[nCuts++] = 0;
        for (s32 i = 0; i < nAct; i++) {
            if (act[i]->usStartX < W)
                cuts[nCuts++] = act[i]->usStartX;
            if (act[i]->usEndX + 1 < W)
                cuts[nCuts++] = act[i]->usEndX + 1;
        }
        for (s32 i = 1; i < nCuts; i++) // insertion sort, at most ten
            for (s32 j = i; j > 0 && cuts[j - 1] > cuts[j]; j--) {
                const s32 t = cuts[j];
                cuts[j] = cuts[j - 1];
                cuts[j - 1] = t;
            }
        cuts[nCuts++] = W;

        const s64 rowIndex = ((s64)y * SY / H) * SX;
        for (s32 c = 0; c + 1 < nCuts; c++) {
            const s32 xa = cuts[c], xb = cuts[c + 1];
            if (xa >= xb)
                continue;
            bool draw = defDraw;
            u32 mode = defMode, alpha = defAlpha;
            for (s32 i = 0; i < nAct; i++) {
                const RGBLayerRegion &rg = *act[i];
                if (rg.usStartX <= xa && xa <= rg.usEndX) {
                    draw = rg.bShow != 0;
                    if (rg.bShow && rg.usBlendMode) {
                        mode = rg.usBlendMode;
                        alpha = rg.usAlpha > 15 ? 15 : rg.usAlpha;
                    }
                }
            }
            if (!draw)
                continue;
            // Byte range this run reads; source columns never decrease.
            const s64 iLo = rowIndex + s_nSrcX[xa], iHi = rowIndex + s_nSrcX[xb - 1];
            s64 lo, hi;
            switch (depth) {
            case 4: lo = iLo >> 1; hi = iHi >> 1; break;
            case 8: lo = iLo; hi = iHi; break;
            case 16: lo = iLo * 2; hi = iHi * 2 + 1; break;
            default: lo = iLo * 3; hi = iHi * 3 + 2; break;
            }
            if (base + hi < 0 || base + lo >= VMSIZE)
                continue;
            const bool check = base + lo < 0 || base + hi >= VMSIZE;
            const bool keyed = mode == 1;
            u8 *dst = pic + ((s64)y * W + xa) * 3;
            u8 *fl = flags + (s64)y * W + xa;
            const u8 *src = vm + base;
            switch (depth) {
            case 4:
                RGBSpanDepth<4>(keyed, check, dst, fl, src, base, rowIndex, s_nSrcX + xa, xb - xa, alpha, key);
                break;
            case 8:
                RGBSpanDepth<8>(keyed, check, dst, fl, src, base, rowIndex, s_nSrcX + xa, xb - xa, alpha, key);
                break;
            case 16:
                RGBSpanDepth<16>(keyed, check, dst, fl, src, base, rowIndex, s_nSrcX + xa, xb - xa, alpha, key);
                break;
            default:
                RGBSpanDepth<24>(keyed, check, dst, fl, src, base, rowIndex, s_nSrcX + xa, xb - xa, alpha, key);
                break;
            }
        }
    }
}

// --- Gamma ---

void ZKT_LowLevelAPI_GammaCorrection()
{
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    u8 gb[256], gg[256], gr[256];
    for (s32 i = 0; i < 256; i++) {
        gb[i] = (u8)(g_ulGammaTable[i] >> 16);
        gg[i] = (u8)(g_ulGammaTable[i] >> 8);
        gr[i] = (u8)g_ulGammaTable[i];
    }
    u8 *p = g_ucSoftRenderPicture;
    const u8 *fl = g_ucByteWriteOnPlane;
    const s32 N = W * H;
    for (s32 i = 0; i < N; i++, p += 3) {
        if (fl[i]) {
            p[0] = gb[p[0]];
            p[1] = gg[p[1]];
            p[2] = gr[p[2]];
        }
    }
}

// --- Frame ---

void ZKT_LowLevelAPI_SoftRender_Compose()
{
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    // Every pixel starts as the background (Y 16, Cb 128, Cr 128). Only the
    // flags are cleared: no layer reads an unwritten pixel's bytes (they
    // replace it), and the colour pass writes the converted background
    // into every pixel still unwritten, so the bytes need no fill.
    memset(g_ucByteWriteOnPlane, 0, (size_t)W * H);

    YUVPlanes();
    if (g_bSPUonTopOfOSDLayer) {
        if (g_bOSDLayerEnable)
            ZKT_LowLevelAPI_SoftRender_OSD_Layer();
        if (g_bSPULayerEnable)
            ZKT_LowLevelAPI_SoftRender_SPU_Layer();
    } else {
        if (g_bSPULayerEnable)
            ZKT_LowLevelAPI_SoftRender_SPU_Layer();
        if (g_bOSDLayerEnable)
            ZKT_LowLevelAPI_SoftRender_OSD_Layer();
    }
    ZKT_LowLevelAPI_SoftRender_ColorPass();
    ZKT_LowLevelAPI_SoftRender_RGB_Layer();
    if (g_cursorLayer.bEnable)
        ZKT_LowLevelAPI_SoftRender_Cursor_Layer();
    if (g_bEnableGamma)
        ZKT_LowLevelAPI_GammaCorrection();
}
