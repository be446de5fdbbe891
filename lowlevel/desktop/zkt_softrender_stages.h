// The compositor's stages as the frame (zkt_softrender.cpp) drives them:
// each resolved once per frame, then drawn whole or line by line.
#ifndef ZKT_SOFTRENDER_STAGES_H
#define ZKT_SOFTRENDER_STAGES_H

#include "lowlevel/desktop/zkt_softrender_px.h"

// YUV planes: the four regions resolved (without the planes the viewer's
// ZKT_VIEW_YUV_A / _B bits in hidden leave out), and the drawing: every
// pixel no region draws becomes the background, unwritten, then the
// regions draw, lower plane first.
void ZKT_SoftRenderYUVPrepare(u32 hidden);
void ZKT_SoftRenderYUVDraw();

void ZKT_SoftRenderColourPrepare(PxColour &t);
// The colour pass over a line of W pixels but for the nCover column ranges
// in cover (as ZKT_SoftRenderRGBPlanLine gives them).
void ZKT_SoftRenderColourLine(u32 *row, s32 W, const s32 *cover, s32 nCover, const PxColour &t,
                              const SoftRenderKernels &K);
// False when the gamma table maps every level to itself.
bool ZKT_SoftRenderGammaPrepare(PxGamma &g);

// RGB layer: false when it draws nothing this frame.
bool ZKT_SoftRenderRGBPrepare();
void ZKT_SoftRenderRGBLine(s32 y, const SoftRenderKernels &K);
// Regions 1 to 4 cut a line at most 8 times, into at most 9 runs.
constexpr s32 ZKT_RGB_MAX_RUNS = 9;
// The same line in two steps: the plan, which gives the column ranges the
// layer replaces outright (from cover[2i] to cover[2i + 1] - 1, left to
// right, at most ZKT_RGB_MAX_RUNS ranges; their result does not depend on
// the pixels below), then the drawing, of any line planned since the layer
// was prepared.
s32 ZKT_SoftRenderRGBPlanLine(s32 y, s32 *cover, const SoftRenderKernels &K);
void ZKT_SoftRenderRGBDrawLine(s32 y, const SoftRenderKernels &K);

// Those ranges for every line, worked out before the layers beneath draw:
// while a frame draws them, they leave these columns alone (the RGB layer
// replaces them anyway, flag byte included). Outside a frame, or with
// g_bSoftRenderSkipCover off (the tests' way of checking that it changes
// nothing), no line has any.
struct ZKT_SoftRenderCoverMap {
    s32 n[ZKT_MAX_OUT_H];
    s32 x[ZKT_MAX_OUT_H][2 * ZKT_RGB_MAX_RUNS];
};
extern const ZKT_SoftRenderCoverMap *g_pSoftRenderCover;
extern bool g_bSoftRenderSkipCover;
// With bPlan, plans every one of H lines (the RGB layer prepared) and
// hands the cover to the layers beneath; without, takes it back.
void ZKT_SoftRenderCoverPlan(bool bPlan, s32 H, const SoftRenderKernels &K);

// Line y's ranges: their number, *pX set to them when there are any.
static inline s32 ZKT_SoftRenderCoverOf(s32 y, const s32 **pX)
{
    const ZKT_SoftRenderCoverMap *m = g_pSoftRenderCover;
    if (!m || !m->n[y])
        return 0;
    *pX = m->x[y];
    return m->n[y];
}

// The first column from which on the n ranges of cover cover every column
// up to end - 1 (end when they do not reach it). Run-length lines draw
// no further: short runs cost more to cut one by one than to draw.
static inline s32 ZKT_SoftRenderCoverTail(const s32 *cover, s32 n, s32 end)
{
    for (s32 i = n - 1; i >= 0 && cover[2 * i + 1] >= end; i--)
        if (cover[2 * i] < end)
            end = cover[2 * i];
    return end;
}

// draw(xa, xb) for each piece of columns x0 to x1 - 1 outside the n ranges
// of cover. A piece may take in columns of the ranges next to it, up to a
// multiple of 16 columns: vector kernels then need no short tail.
template <class F>
inline void ZKT_SoftRenderUncovered(const s32 *cover, s32 n, s32 x0, s32 x1, F draw)
{
    s32 back = x0; // how far back the next piece may start
    auto piece = [&](s32 xa, s32 xb, s32 lim) {
        const s32 pad = (xa - xb) & 15;
        if (xb + pad <= lim)
            xb += pad;
        else if (xa - pad >= back)
            xa -= pad;
        draw(xa, xb);
    };
    for (s32 i = 0; i < n && x0 < x1; i++) {
        const s32 ca = cover[2 * i], cb = cover[2 * i + 1];
        if (ca >= x1)
            break;
        if (ca > x0) {
            piece(x0, ca, cb < x1 ? cb : x1);
            back = ca;
        }
        if (cb > x0)
            x0 = cb;
    }
    if (x0 < x1)
        piece(x0, x1, x1);
}

#endif
