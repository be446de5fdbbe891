// Display layer setters of the desktop model: YUV planes, RGB layer and
// regions, cursor, gamma. They only record; the compositor draws.
#include "lowlevel/common/zkt_colourmatrix.h"
#include "lowlevel/desktop/zkt_lowLevelWin.h"

u32 ZKT_SetYUVVideoPlane(u32 bPlaneA, u32 bEnable, u16 startX, u16 startY, u16 endX, u16 bottomEndY,
                         u16 splitY, u16 lineWidth, u32 topOffset, u32 topMirrorH, u32 topMirrorV,
                         u32 bottomOffset, u32 bottomMirrorH, u32 bottomMirrorV)
{
    YUVPlane &p = g_YUVPlane[bPlaneA ? 0 : 1];
    p.bEnable = bEnable;
    p.usStartX = startX;
    p.usStartY = startY;
    p.usEndX = endX;
    p.usBottomEndY = bottomEndY;
    p.usSplitY = splitY;
    p.usLineWidth = lineWidth;
    p.ulTopOffset = topOffset;
    p.bTopMirrorH = topMirrorH;
    p.bTopMirrorV = topMirrorV;
    p.ulBottomOffset = bottomOffset;
    p.bBottomMirrorH = bottomMirrorH;
    p.bBottomMirrorV = bottomMirrorV;
    return ZKT_OK;
}

u32 ZKT_SetYUVVideoPlaneScaler(u32 bPlaneA, u32 bTop, u16 hScale, u16 vScale)
{
    YUVScaler &s = g_YUVScaler[(bPlaneA ? 0 : 2) + (bTop ? 0 : 1)];
    s.usHScale = hScale;
    s.usVScale = vScale;
    return ZKT_OK;
}

u32 ZKT_SetYUVVideoPlanePriority(u32 bFirstOnTop)
{
    g_bYUVFirstPlanePriority = bFirstOnTop;
    return ZKT_OK;
}

u32 ZKT_SetYUVSaturationAndHUE(u32 quadrant, u8 saturation, u8 hue)
{
    u32 q = quadrant & 3;
    ZKT_CalcYUVHueMatrix(saturation, hue, &g_sMLC_HUECb_A[q], &g_sMLC_HUECb_B[q], &g_sMLC_HUECr_A[q],
                         &g_sMLC_HUECr_B[q]);
    return ZKT_OK;
}

u32 ZKT_SetYUVBrightness(s8 brightness)
{
    g_scYUVBrightness = brightness;
    return ZKT_OK;
}

u32 ZKT_SetYUVContrast(u8 contrast)
{
    g_ucYUVContrast = contrast;
    return ZKT_OK;
}

u32 ZKT_SetRGBStartAddress(u32 offset)
{
    g_ulRGBVideoMemOffset = offset & ~3u; // fetched as 32-bit words
    return ZKT_OK;
}

u32 ZKT_SetPalette(u16 first, const u32 *colors, u16 count)
{
    // A range past entry 255 stops there rather than overwrite whatever
    // state follows the table.
    u32 i = 0;
    for (; i < count && first + i < 256; i++)
        g_ulRGBColorTable[first + i] = colors[i];
    return i < count ? (u32)ZKT_ERR_INVALID_ARG : (u32)ZKT_OK;
}

u32 ZKT_SetRGBRegionColorKey(u32 color)
{
    g_ulRegionColorKey = color;
    return ZKT_OK;
}

u32 ZKT_SetRGBRegionOperation(u32 region, u32 bEnable, u32 bShow, u16 blendMode, u16 alpha, u16 startX,
                              u16 startY, u16 endX, u16 endY)
{
    // Regions are 1..5; any other number would index outside the table.
    if (region < 1 || region > 5)
        return ZKT_ERR_INVALID_ARG;
    RGBLayerRegion &r = g_RGBLayerRegion[region - 1];
    r.bEnable = bEnable;
    r.bShow = bShow;
    r.usBlendMode = blendMode;
    r.usAlpha = alpha;
    r.usStartX = startX;
    r.usStartY = startY;
    r.usEndX = endX;
    r.usEndY = endY;
    return ZKT_OK;
}

u32 ZKT_SetCursorParams(u32 bEnable, u16 size, u32 color1, u32 color0, u32 bitmapOffset)
{
    g_cursorLayer.bEnable = bEnable;
    g_cursorLayer.bLarge = size != 32; // the controller knows only 32x32 and 64x64
    g_cursorLayer.ulColor1 = color1;
    g_cursorLayer.ulColor0 = color0;
    g_cursorLayer.ulBitmapOffset = bitmapOffset & ~3u;
    return ZKT_OK;
}

u32 ZKT_MoveCursor(u16 x, u16 y)
{
    g_cursorLayer.usX = x;
    g_cursorLayer.usY = y;
    return ZKT_OK;
}

u32 ZKT_EnableGamma(u32 bEnable)
{
    g_bEnableGamma = bEnable;
    return ZKT_OK;
}

u32 ZKT_SetGamma(u16 first, const u32 *table, u16 count)
{
    // As with the palettes, a range past entry 255 stops there.
    u32 i = 0;
    for (; i < count && first + i < 256; i++)
        g_ulGammaTable[first + i] = table[i];
    return i < count ? (u32)ZKT_ERR_INVALID_ARG : (u32)ZKT_OK;
}
