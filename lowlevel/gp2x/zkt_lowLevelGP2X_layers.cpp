// Handheld back end: the layer setters as register writes, and the OSD and
// SPU record writers with physical addresses.
#include "lowlevel/common/zkt_colourmatrix.h"
#include "lowlevel/common/zkt_streamrec.h"
#include "lowlevel/gp2x/zkt_lowLevelGP2X.h"

// ---------------------------------------------------------------- RGB layer

u32 ZKT_SetPalette(u16 first, const u32 *colors, u16 count)
{
    GP2X_W16(GP2X_RGB_PAL_INDEX, (u32)first * 2);
    for (u32 i = 0; i < count; i++) {
        GP2X_W16(GP2X_RGB_PAL_DATA, colors[i] & 0xFFFF);
        GP2X_W16(GP2X_RGB_PAL_DATA, colors[i] >> 16);
    }
    return ZKT_OK;
}

u32 ZKT_SetRGBStartAddress(u32 offset)
{
    u32 a = GP2X_Phys(offset);
    u32 b = a;
    // A frame-height source is scanned as two fields one line apart.
    if (g_nScreenSizeY >= 289) {
        u32 w = (u32)g_nScreenSizeX;
        switch (g_nColorBitDepth) {
        case 4: b += w / 2; break;
        case 8: b += w; break;
        case 16: b += 2 * w; break;
        default: b += 3 * w; break;
        }
    }
    GP2X_W16(GP2X_RGB_FIELD1_ADDR, b & 0xFFFF);
    GP2X_W16(GP2X_RGB_FIELD1_ADDR + 2, b >> 16);
    GP2X_W16(GP2X_RGB_FIELD2_ADDR, a & 0xFFFF);
    GP2X_W16(GP2X_RGB_FIELD2_ADDR + 2, a >> 16);
    return ZKT_OK;
}

u32 ZKT_SetRGBRegionColorKey(u32 color)
{
    GP2X_W16(GP2X_RGB_KEY_LO, color & 0xFFFF);
    GP2X_W16(GP2X_RGB_KEY_HI, color >> 16);
    return ZKT_OK;
}

u32 ZKT_SetRGBRegionOperation(u32 region, u32 bEnable, u32 bShow, u16 blendMode, u16 alpha, u16 startX,
                              u16 startY, u16 endX, u16 endY)
{
    u32 r = region - 1;
    GP2X_PUT16(GP2X_OVL_CTRL, GP2X_OVL_REGION(region), bEnable ? ~0u : 0u);
    GP2X_PUT16(GP2X_RGB_CTRL, 1u << (2 * r), bShow ? ~0u : 0u);
    GP2X_PUT16(GP2X_RGB_BLEND, 3u << (2 * r), (u32)blendMode << (2 * r));
    if (region <= 3)
        GP2X_PUT16(GP2X_RGB_ALPHA_123, 15u << (4 * r), (u32)alpha << (4 * r));
    else
        GP2X_PUT16(GP2X_RGB_ALPHA_45, 15u << (4 * (region - 4)), (u32)alpha << (4 * (region - 4)));
    if (region <= 4) {
        u32 base = GP2X_RGB_REGION1 + 8 * r; // x0, x1, y0, y1
        GP2X_W16(base, startX);
        GP2X_W16(base + 2, endX);
        GP2X_W16(base + 4, startY);
        GP2X_W16(base + 6, endY);
    }
    return ZKT_OK;
}

// ---------------------------------------------------------------- cursor and gamma

u32 ZKT_SetCursorParams(u32 bEnable, u16 size, u32 color1, u32 color0, u32 bitmapOffset)
{
    if (!bEnable) {
        GP2X_CLR16(GP2X_OVL_CTRL, GP2X_OVL_CURSOR);
        return ZKT_OK;
    }
    GP2X_W16(GP2X_CURSOR_CTRL,
             size | (color1 >> 28) << GP2X_CURSOR_ALPHA1_SHIFT | (color0 >> 28) << GP2X_CURSOR_ALPHA0_SHIFT);
    GP2X_W16(GP2X_CURSOR_COLOUR0, color0 & 0xFFFF);
    GP2X_W16(GP2X_CURSOR_COLOUR0 + 2, color0 >> 16);
    GP2X_W16(GP2X_CURSOR_COLOUR1, color1 & 0xFFFF);
    GP2X_W16(GP2X_CURSOR_COLOUR1 + 2, color1 >> 16);
    GP2X_W32(GP2X_CURSOR_ADDR2, GP2X_Phys(bitmapOffset) + (u32)size * size / 4);
    GP2X_W32(GP2X_CURSOR_ADDR1, GP2X_Phys(bitmapOffset));
    GP2X_SET16(GP2X_OVL_CTRL, GP2X_OVL_CURSOR);
    return ZKT_OK;
}

u32 ZKT_MoveCursor(u16 x, u16 y)
{
    GP2X_W16(GP2X_CURSOR_X, x);
    GP2X_W16(GP2X_CURSOR_Y, y);
    return ZKT_OK;
}

u32 ZKT_EnableGamma(u32 bEnable)
{
    GP2X_PUT16(GP2X_OVL_CTRL, GP2X_OVL_NO_GAMMA, bEnable ? 0u : ~0u);
    return ZKT_OK;
}

u32 ZKT_SetGamma(u16 first, const u32 *table, u16 count)
{
    GP2X_W16(GP2X_GAMMA_INDEX, (u32)first * 2);
    for (u32 i = 0; i < count; i++) {
        GP2X_W16(GP2X_GAMMA_DATA, table[i] & 0xFFFF);
        GP2X_W16(GP2X_GAMMA_DATA, table[i] >> 16);
    }
    return ZKT_OK;
}

// ---------------------------------------------------------------- YUV planes

u32 ZKT_SetYUVVideoPlane(u32 bPlaneA, u32 bEnable, u16 startX, u16 startY, u16 endX, u16 bottomEndY,
                         u16 splitY, u16 lineWidth, u32 topOffset, u32 topMirrorH, u32 topMirrorV,
                         u32 bottomOffset, u32 bottomMirrorH, u32 bottomMirrorV)
{
    u32 enableBit = bPlaneA ? GP2X_OVL_YUVA : GP2X_OVL_YUVB;
    if (!bEnable) {
        GP2X_CLR16(GP2X_OVL_CTRL, enableBit);
        return ZKT_OK;
    }
    u32 d = bPlaneA ? 0 : GP2X_YUV_B;
    u32 width = GP2X_IsTV() ? 2u * lineWidth : lineWidth;
    GP2X_W16(GP2X_YUVA_LINE_WIDTH + d, width);
    GP2X_W16(GP2X_YUVA_LINE_WIDTH2 + d, width);
    GP2X_W16(GP2X_YUVA_START_X + d, startX);
    GP2X_W16(GP2X_YUVA_END_X + d, endX);
    GP2X_W16(GP2X_YUVA_START_Y + d, startY);
    GP2X_W16(GP2X_YUVA_SPLIT_Y + d, splitY);
    GP2X_W16(GP2X_YUVA_END_Y + d, bottomEndY);

    // On a television the two fields start one source line apart.
    u32 line = 2u * lineWidth;
    auto regionAddresses = [&](u32 reg, u32 offset, u32 bMirrorV) {
        u32 first = GP2X_Phys(offset), second = first;
        if (GP2X_IsTV()) {
            if (bMirrorV)
                second += line;
            else
                first += line;
        }
        GP2X_W16(reg, first & 0xFFFF);
        GP2X_W16(reg + 2, first >> 16);
        GP2X_W16(reg + 4, second & 0xFFFF);
        GP2X_W16(reg + 6, second >> 16);
    };
    regionAddresses(GP2X_YUVA_TOP_ADDR + d, topOffset, topMirrorV);
    regionAddresses(GP2X_YUVA_BOTTOM_ADDR + d, bottomOffset, bottomMirrorV);

    u32 mirror = (topMirrorH ? GP2X_YUV_TOP_H : 0u) | (topMirrorV ? GP2X_YUV_TOP_V : 0u) |
                 (bottomMirrorH ? GP2X_YUV_BOTTOM_H : 0u) | (bottomMirrorV ? GP2X_YUV_BOTTOM_V : 0u) |
                 (splitY != bottomEndY ? GP2X_YUV_BOTTOM_ON : 0u);
    u32 shift = bPlaneA ? 0 : GP2X_YUV_B_MIRROR_SHIFT;
    GP2X_PUT16(GP2X_YUV_MIRROR, GP2X_YUV_MIRROR_MASK << shift, mirror << shift);
    GP2X_SET16(GP2X_OVL_CTRL, enableBit);
    return ZKT_OK;
}

u32 ZKT_SetYUVVideoPlaneScaler(u32 bPlaneA, u32 bTop, u16 hScale, u16 vScale)
{
    u32 d = bPlaneA ? 0 : GP2X_YUV_B;
    u32 width = GP2X_R16(GP2X_YUVA_LINE_WIDTH + d);
    u32 v = (u32)vScale * width;
    GP2X_W16((bTop ? GP2X_YUVA_TOP_HSCALE : GP2X_YUVA_BOTTOM_HSCALE) + d, hScale);
    GP2X_W16((bTop ? GP2X_YUVA_TOP_VSCALE_LO : GP2X_YUVA_BOTTOM_VSCALE_LO) + d, (v >> 10) & 0xFFFF);
    GP2X_W16((bTop ? GP2X_YUVA_TOP_VSCALE_HI : GP2X_YUVA_BOTTOM_VSCALE_HI) + d, v >> 26);
    return ZKT_OK;
}

u32 ZKT_SetYUVVideoPlanePriority(u32 bFirstOnTop)
{
    GP2X_PUT16(GP2X_YUV_PRIORITY, GP2X_YUV_B_ON_TOP, bFirstOnTop ? 0u : ~0u);
    return ZKT_OK;
}

u32 ZKT_SetYUVBrightness(s8 brightness)
{
    GP2X_PUT16(GP2X_YUV_EFFECT, GP2X_YUV_BRIGHTNESS_MASK, (u8)brightness);
    return ZKT_OK;
}

u32 ZKT_SetYUVContrast(u8 contrast)
{
    GP2X_PUT16(GP2X_YUV_EFFECT, GP2X_YUV_CONTRAST_MASK, (u32)contrast << GP2X_YUV_CONTRAST_SHIFT);
    return ZKT_OK;
}

u32 ZKT_SetYUVSaturationAndHUE(u32 quadrant, u8 saturation, u8 hue)
{
    s8 cbA, cbB, crA, crB;
    ZKT_CalcYUVHueMatrix(saturation, hue, &cbA, &cbB, &crA, &crB);
    u32 k = quadrant & 3;
    GP2X_W16(GP2X_HUE_CB + 4 * k, (u32)(u8)cbA << 8 | (u8)cbB);
    GP2X_W16(GP2X_HUE_CR + 4 * k, (u32)(u8)crA << 8 | (u8)crB);
    return ZKT_OK;
}

// ---------------------------------------------------------------- OSD and SPU

u32 ZKT_SetOSDPalette(u16 first, const u32 *colors, u16 count)
{
    GP2X_W16(GP2X_OSD_PAL_INDEX, (u32)first * 2);
    for (u32 i = 0; i < count; i++) {
        u32 e = colors[i];
        GP2X_W16(GP2X_OSD_PAL_DATA, e & 0xFFFF);
        GP2X_W16(GP2X_OSD_PAL_DATA, (e >> 28) << 8 | ((e >> 16) & 0xFF));
    }
    return ZKT_OK;
}

u32 ZKT_SetOSDPlane(u32 bEnable, u32 evenFieldHeaderOffset, u32 oddFieldHeaderOffset)
{
    if (!bEnable) {
        GP2X_CLR16(GP2X_OVL_CTRL, GP2X_OVL_OSD);
        return ZKT_OK;
    }
    u32 odd = GP2X_Phys(oddFieldHeaderOffset), even = GP2X_Phys(evenFieldHeaderOffset);
    GP2X_W16(GP2X_OSD_ODD_ADDR, odd & 0xFFFF);
    GP2X_W16(GP2X_OSD_ODD_ADDR + 2, odd >> 16);
    GP2X_W16(GP2X_OSD_EVEN_ADDR, even & 0xFFFF);
    GP2X_W16(GP2X_OSD_EVEN_ADDR + 2, even >> 16);
    GP2X_SET16(GP2X_OVL_CTRL, GP2X_OVL_OSD);
    return ZKT_OK;
}

u32 ZKT_SetSPUColor(u16 index, u32 color)
{
    if (index >= 16)
        return ZKT_ERR_INVALID_ARG; // the next registers are not colours
    GP2X_W16(GP2X_SPU_COLOUR + 4u * index, (color >> 24) << 8 | ((color >> 8) & 0xFF));
    GP2X_W16(GP2X_SPU_COLOUR + 2 + 4u * index, color & 0xFF);
    return ZKT_OK;
}

u32 ZKT_SetSPUPlane(u32 bEnable, u32 bOnTopOfOSD, u32 bHighlight, u32 baseCmdOffset, u32 highlightOffset)
{
    if (!bEnable) {
        GP2X_W16(GP2X_SPU_CTRL, GP2X_SPU_OFF);
        GP2X_CLR16(GP2X_OVL_CTRL, GP2X_OVL_SPU);
        return ZKT_OK;
    }
    GP2X_W16(GP2X_SPU_CTRL2, 0);
    GP2X_W32(GP2X_SPU_CMD_ADDR, GP2X_Phys(baseCmdOffset));
    GP2X_W32(GP2X_SPU_HL_ADDR, GP2X_Phys(highlightOffset));
    GP2X_PUT16(GP2X_OVL_CTRL, GP2X_OVL_SPU_BELOW_OSD, bOnTopOfOSD ? 0u : ~0u);
    GP2X_W16(GP2X_SPU_CTRL, bHighlight ? GP2X_SPU_ON_HIGHLIGHT : GP2X_SPU_ON);
    GP2X_SET16(GP2X_OVL_CTRL, GP2X_OVL_SPU);
    return ZKT_OK;
}

u32 ZKT_WriteOSDHeader(u32 offset, u32 nextHeaderOffset, u16 firstColumn, u16 firstLine, u16 lastColumn,
                       u16 endLine, u16 bitsPerPixel, u32 bRunLength, u32 bAlpha, u32 bColorKey, u16 alpha,
                       u8 keyIndex)
{
    // The controller follows the list by physical address; a value past
    // video memory ends it and is kept as it is.
    u32 bLast = nextHeaderOffset > GP2X_VIDEO_SIZE;
    return ZKT_RecOSDHeader(g_GP2X_VIDEO_BASE_PTR, GP2X_VIDEO_SIZE, offset,
                            bLast ? nextHeaderOffset : GP2X_Phys(nextHeaderOffset), bLast, firstColumn, firstLine,
                            lastColumn, endLine, bitsPerPixel, bRunLength, bAlpha, bColorKey, alpha, keyIndex);
}

u32 ZKT_WriteSPUBaseCmd(u32 offset, u32 bChangeList, u32 changeListOffset, u16 colorWord, u16 contrastWord,
                        u16 firstLine, u16 endLine, u32 topFieldOffset, u32 bottomFieldOffset)
{
    return ZKT_RecSPUBaseCmd(g_GP2X_VIDEO_BASE_PTR, GP2X_VIDEO_SIZE, offset, !GP2X_IsTV(), bChangeList,
                             GP2X_Phys(changeListOffset), colorWord, contrastWord, firstLine, endLine,
                             GP2X_Phys(topFieldOffset), GP2X_Phys(bottomFieldOffset));
}

u32 ZKT_WriteSPUChangeCmd(u32 offset, u32 bLast, u16 firstLine, u16 endLine, u16 count, const u16 *firstColumns,
                          const u16 *lastColumns, const u16 *colorWords, const u16 *contrastWords)
{
    return ZKT_RecSPUChangeCmd(g_GP2X_VIDEO_BASE_PTR, GP2X_VIDEO_SIZE, offset, bLast, firstLine, endLine, count,
                               firstColumns, lastColumns, colorWords, contrastWords);
}

u32 ZKT_WriteSPUHighlightInfo(u32 offset, u16 leftColumn, u16 firstLine, u16 rightColumn, u16 endLine,
                              u16 colorWord, u16 contrastWord)
{
    return ZKT_RecSPUHighlightInfo(g_GP2X_VIDEO_BASE_PTR, GP2X_VIDEO_SIZE, offset, leftColumn, firstLine, rightColumn,
                                   endLine, colorWord, contrastWord);
}
