// Shared set-up for the compositor tests: a hardware model in its
// after-initialisation state, built without a window.
#ifndef VORN_TESTS_COMPOSITOR_HELPERS_H
#define VORN_TESTS_COMPOSITOR_HELPERS_H

#include <cstring>
#include <vector>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "lowlevel/desktop/zkt_softrender_px.h"
#include "tools/zkt_lowLevelCommon.h"

inline std::vector<u8> &TestVideoMemory()
{
    static std::vector<u8> s_mem(ZKT_VIDEO_MEM_SIZE);
    return s_mem;
}

// The state ZKT_InitLowLevelAPI and ZKT_SetDisplayMode leave, video memory
// zeroed, in the given display mode.
inline void ResetModel(u32 mode = 0, s32 depth = 16)
{
    std::vector<u8> &vm = TestVideoMemory();
    std::memset(vm.data(), 0, vm.size());
    g_GP2X_VIDEO_BASE_PTR = vm.data();
    g_Screen = nullptr;
    g_ulDISPLAY_MODE = mode;
    g_nScreenSizeX = g_nModeSizeX[mode];
    g_nScreenSizeY = g_nModeSizeY[mode];
    g_nColorBitDepth = depth;
    g_ulRGBVideoMemOffset = 0;
    std::memset(g_ulRGBColorTable, 0, sizeof g_ulRGBColorTable);
    g_ulRegionColorKey = 0;
    for (RGBLayerRegion &r : g_RGBLayerRegion)
        r = RGBLayerRegion{0, 1, 0, 0, 0, 0, 0, 0};
    g_RGBLayerRegion[4].bEnable = 1;
    std::memset(g_YUVPlane, 0, sizeof g_YUVPlane);
    std::memset(g_YUVScaler, 0, sizeof g_YUVScaler);
    g_bYUVFirstPlanePriority = 1;
    for (int q = 0; q < 4; q++) {
        g_sMLC_HUECb_A[q] = 63;
        g_sMLC_HUECb_B[q] = 0;
        g_sMLC_HUECr_A[q] = 0;
        g_sMLC_HUECr_B[q] = 63;
    }
    g_scYUVBrightness = 0;
    g_ucYUVContrast = 0;
    std::memset(&g_cursorLayer, 0, sizeof g_cursorLayer);
    g_bOSDLayerEnable = 0;
    g_ulOSDHeaderOddField = g_ulOSDHeaderEvenField = 0;
    std::memset(g_ulOSDPalette, 0, sizeof g_ulOSDPalette);
    g_bSPULayerEnable = 0;
    g_bSPUonTopOfOSDLayer = 0;
    g_bSPUHighlight = 0;
    g_ulSPUBaseCmdMemOffset = g_ulSPUHighlightInfoMemOffset = 0;
    std::memset(g_ulSPUColorPalette, 0, sizeof g_ulSPUColorPalette);
    g_bEnableGamma = 0;
    for (u32 i = 0; i < 256; i++)
        g_ulGammaTable[i] = i + i * 256 + i * 65536;
    g_bSaveOnDisk = 0;
    g_ulGP2XInputStateWinGUI = 0;
}

// Identity colour pass: chroma matrix 64 on the diagonal.
inline void IdentityColour()
{
    for (int q = 0; q < 4; q++) {
        g_sMLC_HUECb_A[q] = 64;
        g_sMLC_HUECb_B[q] = 0;
        g_sMLC_HUECr_A[q] = 0;
        g_sMLC_HUECr_B[q] = 64;
    }
}

inline u8 *VM(u32 offset)
{
    return g_GP2X_VIDEO_BASE_PTR + offset;
}

inline s32 OutW()
{
    s32 w, h;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&w, &h);
    return w;
}

// The working picture's colour bytes of a pixel, in memory order (the
// desktop hosts are little-endian), and its written flag as 0 or 1.
inline u8 *WorkBytes(size_t i)
{
    return (u8 *)&g_ulSoftRenderWork[i];
}

inline const u8 *Pixel(s32 x, s32 y)
{
    return WorkBytes((size_t)y * OutW() + x);
}

inline u8 Flag(s32 x, s32 y)
{
    return g_ulSoftRenderWork[(size_t)y * OutW() + x] >> 24 ? 1 : 0;
}

inline void SetWork(size_t i, u32 b0, u32 b1, u32 b2, bool bWritten)
{
    g_ulSoftRenderWork[i] = (b0 & 0xFF) | (b1 & 0xFF) << 8 | (b2 & 0xFF) << 16 | (bWritten ? ZKT_PX_WRITTEN : 0);
}

// Step 2 of a frame: background everywhere, no pixel written.
inline void ClearWork()
{
    s32 w, h;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&w, &h);
    for (s32 i = 0; i < w * h; i++)
        SetWork(i, 0x10, 0x80, 0x80, false);
}

// Blue, green, red of a YUV colour after the identity colour pass.
inline void ExpectBGR(u32 y, u32 cb, u32 cr, u8 *bgr)
{
    s32 r, g, b;
    ZKT_YUY2toRGBColor(y | (cb << 8) | (cr << 24), &r, &g, &b);
    bgr[0] = (u8)b;
    bgr[1] = (u8)g;
    bgr[2] = (u8)r;
}

// Fills a full-picture plane source at offset with pixel (x, y) taking
// luma f(x, y) and a constant chroma per pair.
template <typename F>
inline void FillYUY2(u32 offset, s32 w, s32 h, u8 cb, u8 cr, F lumaOf)
{
    for (s32 y = 0; y < h; y++)
        for (s32 x = 0; x < w; x += 2) {
            u8 *p = VM(offset + (u32)(y * w + x) * 2);
            p[0] = (u8)lumaOf(x, y);
            p[1] = cb;
            p[2] = (u8)lumaOf(x + 1, y);
            p[3] = cr;
        }
}

inline void SetPlane(u32 bPlaneA, u16 x0, u16 y0, u16 x1, u16 endY, u16 splitY, u16 lineWidth, u32 topOffset,
                     u32 bottomOffset, u32 mirrorH = 0, u32 mirrorV = 0)
{
    YUVPlane &p = g_YUVPlane[bPlaneA ? 0 : 1];
    p.bEnable = 1;
    p.usStartX = x0;
    p.usStartY = y0;
    p.usEndX = x1;
    p.usBottomEndY = endY;
    p.usSplitY = splitY;
    p.usLineWidth = lineWidth;
    p.ulTopOffset = topOffset;
    p.ulBottomOffset = bottomOffset;
    p.bTopMirrorH = p.bBottomMirrorH = mirrorH;
    p.bTopMirrorV = p.bBottomMirrorV = mirrorV;
    for (int k = 0; k < 2; k++)
        g_YUVScaler[(bPlaneA ? 0 : 2) + k] = YUVScaler{1024, 1024};
}

inline void SetRegion(u32 region, u32 bEnable, u32 bShow, u16 mode, u16 alpha, u16 x0, u16 y0, u16 x1, u16 y1)
{
    g_RGBLayerRegion[region - 1] = RGBLayerRegion{bEnable, bShow, mode, alpha, x0, x1, y0, y1};
}

#endif
