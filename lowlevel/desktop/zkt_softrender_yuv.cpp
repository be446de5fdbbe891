// The two YUV planes, two regions each: every output column's source
// position worked out once per frame, then drawn line by line.
#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "lowlevel/desktop/zkt_softrender_stages.h"

typedef int64_t s64;

static const s64 VMSIZE = ZKT_VIDEO_MEM_SIZE;

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
    // What the walk above was made for (walkCount 0: nothing yet); planes
    // seldom change their scaling, so it is kept from frame to frame.
    s32 walkCount;
    u32 walkScale;
    bool walkMirror;
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
    const s32 count = r.x1 - r.x0 + 1;
    if (r.walkCount != count || r.walkScale != r.hScale || r.walkMirror != r.mirrorH) {
        YUVWalk(r);
        r.walkCount = count;
        r.walkScale = r.hScale;
        r.walkMirror = r.mirrorH;
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

// Pixels i0 to i1 - 1 of a region's line whose source line starts at src.
// The copies start on an even pixel, a pair of source pixels; a pixel more
// than asked for is drawn only in a column the RGB layer replaces anyway.
static inline void YUVSpan(const YUVRegion &r, const SoftRenderKernels &K, u32 *dst, const u8 *src, s32 i0, s32 i1)
{
    if (r.copy == 1) {
        i0 &= ~1;
        K.yuvCopy(dst + i0, src + 2 * i0, i1 - i0);
    } else if (r.copy == 2) {
        i0 &= ~1;
        K.yuvCopyMirror(dst + i0, src - 2 * i0, i1 - i0);
    } else {
        K.yuvGather(dst + i0, src, r.offY + i0, r.offC + i0, i1 - i0);
    }
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
        const s32 *cx = nullptr;
        const s32 nCover = ZKT_SoftRenderCoverOf(y, &cx);
        if (line + r.minOff >= 0 && line + r.maxOff < VMSIZE) {
            if (!nCover) {
                YUVSpan(r, K, dst, vm + line, 0, count);
                continue;
            }
            ZKT_SoftRenderUncovered(cx, nCover, r.x0, r.x1 + 1, [&](s32 xa, s32 xb) {
                YUVSpan(r, K, dst, vm + line, xa - r.x0, xb - r.x0);
            });
        } else if (line + r.maxOff >= 0 && line + r.minOff < VMSIZE) {
            // Partly outside video memory: draw only what can be read.
            ZKT_SoftRenderUncovered(cx, nCover, r.x0, r.x1 + 1, [&](s32 xa, s32 xb) {
                for (s32 i = xa - r.x0; i < xb - r.x0; i++) {
                    const s64 oy = line + r.offY[i], oc = line + r.offC[i];
                    if (oy < 0 || oy >= VMSIZE || oc < 0 || oc + 2 >= VMSIZE)
                        continue;
                    dst[i] = vm[oy] | vm[oc] << 8 | vm[oc + 2] << 16 | ZKT_PX_WRITTEN;
                }
            });
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
void ZKT_SoftRenderYUVPrepare(u32 hidden)
{
    const u32 lowerA = g_bYUVFirstPlanePriority ? 0 : 1;
    YUVRegion *r = s_yuvRegion;
    YUVPrepare(lowerA, 1, r[0]);
    YUVPrepare(lowerA, 0, r[1]);
    YUVPrepare(!lowerA, 1, r[2]);
    YUVPrepare(!lowerA, 0, r[3]);
    // A plane the viewer leaves out draws nothing and covers nothing.
    if (hidden & (lowerA ? ZKT_VIEW_YUV_A : ZKT_VIEW_YUV_B))
        r[0].bDraw = r[1].bDraw = false;
    if (hidden & (lowerA ? ZKT_VIEW_YUV_B : ZKT_VIEW_YUV_A))
        r[2].bDraw = r[3].bDraw = false;
}

// True when a region draws the whole of line y (W wide).
static bool YUVCoversLine(s32 y, s32 W)
{
    for (s32 k = 0; k < 4; k++)
        if (YUVCovers(s_yuvRegion[k], y, 0, W - 1))
            return true;
    return false;
}

void ZKT_SoftRenderYUVDraw()
{
    // Every pixel starts as the background, unwritten. Only the flags
    // matter: no layer reads an unwritten pixel's colour (they replace it),
    // and the colour pass gives every pixel still unwritten the converted
    // background. Lines that a region draws whole need no clearing.
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    const SoftRenderKernels &K = ZKT_SoftRenderKernels();
    for (s32 y = 0; y < H; y++) {
        if (YUVCoversLine(y, W))
            continue;
        u32 *row = g_ulSoftRenderWork + (s64)y * W;
        const s32 *cx = nullptr;
        if (const s32 n = ZKT_SoftRenderCoverOf(y, &cx))
            ZKT_SoftRenderUncovered(cx, n, 0, W, [&](s32 a, s32 b) { K.fill(row + a, b - a, 0); });
        else
            K.fill(row, W, 0);
    }
    const YUVRegion *r = s_yuvRegion;
    const YUVRegion *above[2] = {&r[2], &r[3]};
    YUVDraw(r[0], above, 2);
    YUVDraw(r[1], above, 2);
    YUVDraw(r[2], nullptr, 0);
    YUVDraw(r[3], nullptr, 0);
}
