// The compositor's stages as the frame (zkt_softrender.cpp) drives them:
// each resolved once per frame, then drawn whole or line by line.
#ifndef ZKT_SOFTRENDER_STAGES_H
#define ZKT_SOFTRENDER_STAGES_H

#include "lowlevel/desktop/zkt_softrender_px.h"

// YUV planes: the four regions resolved (without the planes the viewer's
// ZKT_VIEW_YUV_A / _B bits in hidden leave out), whether they draw the whole
// of line y (W wide), and the drawing, lower plane first.
void ZKT_SoftRenderYUVPrepare(u32 hidden);
bool ZKT_SoftRenderYUVCoversLine(s32 y, s32 W);
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
// the pixels below), then the drawing.
s32 ZKT_SoftRenderRGBPlanLine(s32 y, s32 *cover, const SoftRenderKernels &K);
void ZKT_SoftRenderRGBDrawLine(const SoftRenderKernels &K);

#endif
