// The software compositor: turns the hardware model into one picture per
// frame. Layers draw into the working picture of 32-bit pixels (Y, Cb, Cr
// until the colour pass, blue, green, red after it, the written flag in the
// top byte); the frame ends packed into g_ucSoftRenderPicture. Presenting
// it is zkt_softrender_window.cpp's job.
//
// Everything read from video memory is bounds-checked against its 8 MiB:
// the offsets come straight from the setters, which validate nothing.
#include <cstring>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "lowlevel/desktop/zkt_softrender_px.h"

typedef int64_t s64;

u8 g_ucSoftRenderPicture[ZKT_MAX_OUT_W * ZKT_MAX_OUT_H * 3];
alignas(64) u32 g_ulSoftRenderWork[ZKT_MAX_OUT_W * ZKT_MAX_OUT_H];

static const s64 VMSIZE = ZKT_VIDEO_MEM_SIZE;

void ZKT_LowLevelAPI_SoftRender_GetOutputSize(s32 *pW, s32 *pH)
{
    *pW = ZKT_ModeWidth(g_ulDISPLAY_MODE);
    *pH = ZKT_ModeHeight(g_ulDISPLAY_MODE);
}

// --- YUV planes ---

// One region of one plane, resolved for the current frame: its clipped
// lines and columns, and where each output column reads its luma and
// chroma relative to the line start (the horizontal walk is the same on
// every line), with the byte span that covers.
struct YUVRegion {
    bool bDraw;
    bool tv;
    u8 copy;         // 1:1 from an even pixel: 1 a plain deinterleave, 2 mirrored
    s32 first, yEnd; // output lines first .. yEnd - 1, inside the picture
    s32 x0, x1;      // output columns, inside the picture
    s64 offset, pitch, minOff, maxOff;
    u32 vScale, hScale;
    bool mirrorH;
    s32 offY[ZKT_MAX_OUT_W], offC[ZKT_MAX_OUT_W];
};

// The walk along a line: p the pair, phase the luma byte in it (0 or 2);
// every usHScale / 1024 steps the phase flips and every second flip back
// to the start phase moves p by a pair.
static void YUVWalk(YUVRegion &r)
{
    const s32 startPhase = r.mirrorH ? 2 : 0;
    const s32 pairStep = r.mirrorH ? -4 : 4;
    s64 p = 0;
    s32 phase = startPhase;
    u32 acc = 0;
    r.minOff = 0;
    r.maxOff = 0;
    const s32 count = r.x1 - r.x0 + 1;
    for (s32 i = 0; i < count; i++) {
        r.offY[i] = (s32)(p + phase);
        r.offC[i] = (s32)(p + 1);
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
    r.copy = r.hScale != 1024 ? 0 : r.mirrorH ? 2 : 1;
}

static void YUVPrepare(u32 bPlaneA, u32 bTopRegion, YUVRegion &r)
{
    r.bDraw = false;
    const YUVPlane &pl = g_YUVPlane[bPlaneA ? 0 : 1];
    if (!pl.bEnable || !g_GP2X_VIDEO_BASE_PTR)
        return;
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    r.tv = ZKT_ModeIsTV(g_ulDISPLAY_MODE);

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
    YUVWalk(r);
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
static void YUVDraw(const YUVRegion &r, const YUVRegion *const *pAbove, s32 nAbove)
{
    if (!r.bDraw)
        return;
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    const u8 *vm = g_GP2X_VIDEO_BASE_PTR;
    const SoftRenderKernels &K = ZKT_SoftRenderKernels();
    const s32 count = r.x1 - r.x0 + 1;
    for (s32 y = r.first; y < r.yEnd; y++) {
        bool hidden = false;
        for (s32 k = 0; k < nAbove && !hidden; k++)
            hidden = YUVCovers(*pAbove[k], y, r.x0, r.x1);
        if (hidden)
            continue;
        const s64 line = YUVLineStart(r, y);
        u32 *dst = g_ulSoftRenderWork + (s64)y * W + r.x0;
        if (line + r.minOff >= 0 && line + r.maxOff < VMSIZE) {
            if (r.copy == 1)
                K.yuvCopy(dst, vm + line, count);
            else if (r.copy == 2)
                K.yuvCopyMirror(dst, vm + line, count);
            else
                K.yuvGather(dst, vm + line, r.offY, r.offC, count);
        } else if (line + r.maxOff >= 0 && line + r.minOff < VMSIZE) {
            // Partly outside video memory: draw only what can be read.
            for (s32 i = 0; i < count; i++) {
                const s64 oy = line + r.offY[i], oc = line + r.offC[i];
                if (oy < 0 || oy >= VMSIZE || oc < 0 || oc + 2 >= VMSIZE)
                    continue;
                dst[i] = vm[oy] | vm[oc] << 8 | vm[oc + 2] << 16 | ZKT_PX_WRITTEN;
            }
        }
    }
}

static YUVRegion s_yuvRegion[4];

void ZKT_LowLevelAPI_SoftRender_YUV_Layer(u32 bPlaneA, u32 bTopRegion)
{
    YUVRegion &r = s_yuvRegion[0];
    YUVPrepare(bPlaneA, bTopRegion, r);
    YUVDraw(r, nullptr, 0);
}

// Step 3: the lower plane's regions, then the upper plane's; lines of the
// lower plane that the upper one covers completely are not drawn.
static void YUVPlanesPrepare()
{
    const u32 lowerA = g_bYUVFirstPlanePriority ? 0 : 1;
    YUVRegion *r = s_yuvRegion;
    YUVPrepare(lowerA, 1, r[0]);
    YUVPrepare(lowerA, 0, r[1]);
    YUVPrepare(!lowerA, 1, r[2]);
    YUVPrepare(!lowerA, 0, r[3]);
}

static void YUVPlanesDraw()
{
    const YUVRegion *r = s_yuvRegion;
    const YUVRegion *above[2] = {&r[2], &r[3]};
    YUVDraw(r[0], above, 2);
    YUVDraw(r[1], above, 2);
    YUVDraw(r[2], nullptr, 0);
    YUVDraw(r[3], nullptr, 0);
}

// --- Colour pass ---

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

struct ColourTables {
    s32 luma[256];
    const uint64_t *chroma;
    u32 bg; // the background, converted
};

static void ColourPrepare(ColourTables &t)
{
    const s32 b = g_scYUVBrightness, c = g_ucYUVContrast;
    for (s32 y = 0; y < 256; y++)
        t.luma[y] = 298 * (Clamp255(((y + b - 128) * (c + 8)) / 8 + 128) - 16) - CONV_BIAS;

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
    t.chroma = s_ulChroma;
    // Unwritten pixels all hold the background: convert it once.
    u32 bg = 0x10 | 0x80 << 8 | 0x80 << 16 | ZKT_PX_WRITTEN;
    ZKT_SoftRenderScalar_Colour(&bg, 1, t.luma, t.chroma, 0);
    t.bg = bg & ZKT_PX_RGB;
}

void ZKT_LowLevelAPI_SoftRender_ColorPass()
{
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    ColourTables t;
    ColourPrepare(t);
    ZKT_SoftRenderKernels().colour(g_ulSoftRenderWork, W * H, t.luma, t.chroma, t.bg);
}

// --- RGB layer ---

// The layer resolved for the frame: source, scaling and the defaults of
// region 5.
struct RGBFrame {
    bool bDraw;
    bool tv;
    s32 W, H, depth;
    s64 SX, SY, base;
    u32 key;
    bool defDraw;
    u32 defMode, defAlpha;
    bool bStraight;   // source column x for output column x
    u32 palette[256]; // blue | green << 8 | red << 16
    s32 srcX[ZKT_MAX_OUT_W];
};

static RGBFrame s_rgb;

static void RGBPrepare(RGBFrame &f)
{
    f.bDraw = false;
    if (!g_GP2X_VIDEO_BASE_PTR)
        return;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&f.W, &f.H);
    f.tv = ZKT_ModeIsTV(g_ulDISPLAY_MODE);
    f.SX = g_nScreenSizeX;
    f.SY = g_nScreenSizeY;
    // A line longer than video memory cannot be read; refusing it also
    // keeps every index below within 64 bits.
    if (f.SX <= 0 || f.SY <= 0 || f.SX > VMSIZE)
        return;
    f.depth = g_nColorBitDepth;
    f.base = g_ulRGBVideoMemOffset;
    f.key = f.depth == 16 ? (g_ulRegionColorKey & 0xF8FCF8) : g_ulRegionColorKey;
    const RGBLayerRegion &r5 = g_RGBLayerRegion[4];
    f.defDraw = r5.bEnable && r5.bShow;
    f.defMode = r5.usBlendMode;
    // Opacity is four bits: anything above 15 is opaque.
    f.defAlpha = r5.usBlendMode ? (r5.usAlpha > 15 ? 15 : r5.usAlpha) : 15;
    bool any = f.defDraw;
    for (s32 r = 0; r < 4; r++)
        any = any || g_RGBLayerRegion[r].bEnable;
    if (!any)
        return;
    for (s32 x = 0; x < f.W; x++)
        f.srcX[x] = (s32)((s64)x * f.SX / f.W);
    f.bStraight = f.SX == f.W;
    if (f.depth == 4 || f.depth == 8)
        for (s32 i = 0; i < 256; i++)
            f.palette[i] = g_ulRGBColorTable[i] & ZKT_PX_RGB;
    f.bDraw = true;
}

// Source colours of n output columns from index rowIndex + srcX[i]; CHECK
// leaves out (as invalid) what lies outside video memory.
template <int DEPTH, bool CHECK>
static void RGBFetch(u32 *out, u8 *valid, const RGBFrame &f, const u8 *src, s64 rowIndex, const s32 *srcX, s32 n)
{
    for (s32 i = 0; i < n; i++) {
        const s64 idx = rowIndex + srcX[i];
        if (DEPTH == 4 || DEPTH == 8) {
            const s64 o = DEPTH == 4 ? idx >> 1 : idx;
            if (CHECK && !(valid[i] = f.base + o >= 0 && f.base + o < VMSIZE))
                continue;
            u32 v = src[o];
            if (DEPTH == 4)
                v = (idx & 1) ? v >> 4 : v & 15;
            out[i] = f.palette[v];
        } else if (DEPTH == 16) {
            const s64 o = idx * 2;
            if (CHECK && !(valid[i] = f.base + o >= 0 && f.base + o + 1 < VMSIZE))
                continue;
            const u32 v = src[o] | (src[o + 1] << 8);
            out[i] = ((v << 3) & 0xF8) | ((v >> 3) & 0xFC) << 8 | ((v >> 8) & 0xF8) << 16;
        } else {
            const s64 o = idx * 3;
            if (CHECK && !(valid[i] = f.base + o >= 0 && f.base + o + 2 < VMSIZE))
                continue;
            out[i] = src[o] | src[o + 1] << 8 | src[o + 2] << 16;
        }
    }
}

template <bool CHECK>
static void RGBFetchDepth(u32 *out, u8 *valid, const RGBFrame &f, const u8 *src, s64 rowIndex, const s32 *srcX,
                          s32 n)
{
    switch (f.depth) {
    case 4: RGBFetch<4, CHECK>(out, valid, f, src, rowIndex, srcX, n); break;
    case 8: RGBFetch<8, CHECK>(out, valid, f, src, rowIndex, srcX, n); break;
    case 16: RGBFetch<16, CHECK>(out, valid, f, src, rowIndex, srcX, n); break;
    default: RGBFetch<24, CHECK>(out, valid, f, src, rowIndex, srcX, n); break;
    }
}

static void RGBLine(const RGBFrame &f, s32 y, const SoftRenderKernels &K)
{
    // Regions 1 to 4 active on this line, kept in test order 4, 3, 2, 1.
    const RGBLayerRegion *act[4];
    s32 nAct = 0;
    for (s32 r = 3; r >= 0; r--) {
        const RGBLayerRegion &rg = g_RGBLayerRegion[r];
        const s32 sy = f.tv ? 2 * rg.usStartY : rg.usStartY;
        const s32 ey = f.tv ? 2 * rg.usEndY : rg.usEndY;
        if (rg.bEnable && sy <= y && y <= ey)
            act[nAct++] = &rg;
    }
    if (!f.defDraw && nAct == 0)
        return;
    const s32 W = f.W;

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

    const s64 rowIndex = ((s64)y * f.SY / f.H) * f.SX;
    const u8 *src = g_GP2X_VIDEO_BASE_PTR + f.base;
    u32 colours[ZKT_MAX_OUT_W];
    u8 valid[ZKT_MAX_OUT_W];
    for (s32 c = 0; c + 1 < nCuts; c++) {
        const s32 xa = cuts[c], xb = cuts[c + 1];
        if (xa >= xb)
            continue;
        bool draw = f.defDraw;
        u32 mode = f.defMode, alpha = f.defAlpha;
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
        const s64 iLo = rowIndex + f.srcX[xa], iHi = rowIndex + f.srcX[xb - 1];
        s64 lo, hi;
        switch (f.depth) {
        case 4: lo = iLo >> 1; hi = iHi >> 1; break;
        case 8: lo = iLo; hi = iHi; break;
        case 16: lo = iLo * 2; hi = iHi * 2 + 1; break;
        default: lo = iLo * 3; hi = iHi * 3 + 2; break;
        }
        if (f.base + hi < 0 || f.base + lo >= VMSIZE)
            continue;
        const s32 n = xb - xa;
        u32 *dst = g_ulSoftRenderWork + (s64)y * W + xa;
        if (f.base + lo >= 0 && f.base + hi < VMSIZE) {
            if (f.depth == 16 && f.bStraight)
                K.rgb565(colours, src + (rowIndex + xa) * 2, n);
            else
                RGBFetchDepth<false>(colours, valid, f, src, rowIndex, f.srcX + xa, n);
            K.rgb(dst, colours, n, alpha, mode == 1, f.key);
        } else {
            // Reaches outside video memory: only the readable pixels.
            RGBFetchDepth<true>(colours, valid, f, src, rowIndex, f.srcX + xa, n);
            for (s32 i = 0; i < n; i++)
                if (valid[i])
                    ZKT_SoftRenderScalar_RGB(dst + i, colours + i, 1, alpha, mode == 1, f.key);
        }
    }
}

void ZKT_LowLevelAPI_SoftRender_RGB_Layer()
{
    RGBPrepare(s_rgb);
    if (!s_rgb.bDraw)
        return;
    const SoftRenderKernels &K = ZKT_SoftRenderKernels();
    for (s32 y = 0; y < s_rgb.H; y++)
        RGBLine(s_rgb, y, K);
}

// --- Gamma ---

static void GammaPrepare(u8 (*lut)[256])
{
    for (s32 i = 0; i < 256; i++) {
        lut[0][i] = (u8)(g_ulGammaTable[i] >> 16);
        lut[1][i] = (u8)(g_ulGammaTable[i] >> 8);
        lut[2][i] = (u8)g_ulGammaTable[i];
    }
}

void ZKT_LowLevelAPI_GammaCorrection()
{
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    u8 lut[3][256];
    GammaPrepare(lut);
    ZKT_SoftRenderKernels().gamma(g_ulSoftRenderWork, W * H, lut);
}

// --- Frame ---

void ZKT_LowLevelAPI_SoftRender_Compose()
{
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    const SoftRenderKernels &K = ZKT_SoftRenderKernels();
    // Every pixel starts as the background, unwritten. Only the flags
    // matter: no layer reads an unwritten pixel's colour (they replace it),
    // and the colour pass gives every pixel still unwritten the converted
    // background.
    // Lines that a YUV region draws whole need no clearing.
    YUVPlanesPrepare();
    for (s32 y = 0; y < H; y++) {
        bool covered = false;
        for (s32 k = 0; k < 4 && !covered; k++)
            covered = YUVCovers(s_yuvRegion[k], y, 0, W - 1);
        if (!covered)
            K.fill(g_ulSoftRenderWork + (s64)y * W, W, 0);
    }
    YUVPlanesDraw();
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

    // From the colour pass on every stage works line by line, so each line
    // goes through colour, RGB, cursor, gamma and packing while in cache.
    ColourTables ct;
    ColourPrepare(ct);
    RGBPrepare(s_rgb);
    ZKT_SoftRenderCursor cur;
    const bool bCursor = g_cursorLayer.bEnable && ZKT_SoftRenderCursorPrepare(cur);
    const bool bGamma = g_bEnableGamma != 0;
    u8 lut[3][256];
    if (bGamma)
        GammaPrepare(lut);
    for (s32 y = 0; y < H; y++) {
        u32 *row = g_ulSoftRenderWork + (s64)y * W;
        K.colour(row, W, ct.luma, ct.chroma, ct.bg);
        if (s_rgb.bDraw)
            RGBLine(s_rgb, y, K);
        if (bCursor)
            ZKT_SoftRenderCursorLine(cur, y);
        if (bGamma)
            K.gamma(row, W, lut);
        K.pack(g_ucSoftRenderPicture + (s64)y * W * 3, row, W);
    }
}
