// The software compositor: turns the hardware model into one picture per
// frame. Layers draw into the working picture of 32-bit pixels (Y, Cb, Cr
// until the colour pass, blue, green, red after it, the written flag in the
// top byte); the frame ends packed into g_ucSoftRenderPicture, gamma going
// straight into the packed bytes (the working picture keeps the colours
// before it). Presenting it is zkt_softrender_window.cpp's job.
//
// Everything read from video memory is bounds-checked against its 8 MiB:
// the offsets come straight from the setters, which validate nothing.
#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "lowlevel/desktop/zkt_softrender_stages.h"

#include <cstring>

typedef int64_t s64;

u8 g_ucSoftRenderPicture[ZKT_MAX_OUT_W * ZKT_MAX_OUT_H * 3];
alignas(64) u32 g_ulSoftRenderWork[ZKT_MAX_OUT_W * ZKT_MAX_OUT_H];
const ZKT_SoftRenderCoverMap *g_pSoftRenderCover = nullptr;
bool g_bSoftRenderSkipCover = true;

void ZKT_LowLevelAPI_SoftRender_GetOutputSize(s32 *pW, s32 *pH)
{
    *pW = ZKT_ModeWidth(g_ulDISPLAY_MODE);
    *pH = ZKT_ModeHeight(g_ulDISPLAY_MODE);
}

// --- Frame ---

static ZKT_SoftRenderCoverMap s_cover;

void ZKT_SoftRenderCoverPlan(bool bPlan, s32 H, const SoftRenderKernels &K)
{
    bool bCover = false;
    for (s32 y = 0; bPlan && y < H; y++)
        bCover |= (s_cover.n[y] = ZKT_SoftRenderRGBPlanLine(y, s_cover.x[y], K)) != 0;
    g_pSoftRenderCover = bCover ? &s_cover : nullptr;
}

void ZKT_LowLevelAPI_SoftRender_Compose(u8 *pCopy, s32 copyPitch)
{
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    // The viewer's layer views; the model's own enable flags stay as set.
    const u32 hidden = g_ulViewHiddenLayers;
    const SoftRenderKernels &K = ZKT_SoftRenderKernels();
    // The RGB layer's cover first, so that nothing beneath it is drawn
    // only to be replaced.
    const bool bRGB = ZKT_SoftRenderRGBPrepare() && !(hidden & ZKT_VIEW_RGB);
    const bool bPlanned = bRGB && g_bSoftRenderSkipCover;
    ZKT_SoftRenderCoverPlan(bPlanned, H, K);
    ZKT_SoftRenderYUVPrepare(hidden);
    ZKT_SoftRenderYUVDraw();
    if (g_bSPUonTopOfOSDLayer) {
        if (g_bOSDLayerEnable && !(hidden & ZKT_VIEW_OSD))
            ZKT_LowLevelAPI_SoftRender_OSD_Layer();
        if (g_bSPULayerEnable && !(hidden & ZKT_VIEW_SPU))
            ZKT_LowLevelAPI_SoftRender_SPU_Layer();
    } else {
        if (g_bSPULayerEnable && !(hidden & ZKT_VIEW_SPU))
            ZKT_LowLevelAPI_SoftRender_SPU_Layer();
        if (g_bOSDLayerEnable && !(hidden & ZKT_VIEW_OSD))
            ZKT_LowLevelAPI_SoftRender_OSD_Layer();
    }
    ZKT_SoftRenderCoverPlan(false, H, K);

    // From the colour pass on every stage works line by line, so each line
    // goes through colour, RGB, cursor, gamma and packing while in cache.
    static PxColour s_colour;
    ZKT_SoftRenderColourPrepare(s_colour);
    ZKT_SoftRenderCursor cur;
    const bool bCursor = g_cursorLayer.bEnable && !(hidden & ZKT_VIEW_CURSOR) && ZKT_SoftRenderCursorPrepare(cur);
    // A table that changes nothing is skipped.
    static PxGamma s_gamma;
    const bool bGamma = g_bEnableGamma && ZKT_SoftRenderGammaPrepare(s_gamma);
    for (s32 y = 0; y < H; y++) {
        u32 *row = g_ulSoftRenderWork + (s64)y * W;
        // The colour pass leaves out the cover too.
        s32 *cover = s_cover.x[y];
        const s32 nCover = bPlanned ? s_cover.n[y] : bRGB ? ZKT_SoftRenderRGBPlanLine(y, cover, K) : 0;
        ZKT_SoftRenderColourLine(row, W, cover, nCover, s_colour, K);
        if (bRGB)
            ZKT_SoftRenderRGBDrawLine(y, K);
        if (bCursor)
            ZKT_SoftRenderCursorLine(cur, y);
        u8 *packed = g_ucSoftRenderPicture + (s64)y * W * 3;
        if (bGamma)
            K.gammaPack(packed, row, W, s_gamma);
        else
            K.pack(packed, row, W);
        // The window's copy of the line while it is still in cache.
        if (pCopy)
            memcpy(pCopy + (s64)y * copyPitch, packed, (size_t)W * 3);
    }
}
