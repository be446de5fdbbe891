// OSD and SPU layers: the setters record their pointers and palettes, the
// writers format the in-memory records the controller (and the desktop
// compositor) reads: OSD area headers little-endian, SPU records big-endian.
#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "lowlevel/common/zkt_streamrec.h"

u32 ZKT_SetOSDPlane(u32 bEnable, u32 evenFieldHeaderOffset, u32 oddFieldHeaderOffset)
{
    g_bOSDLayerEnable = bEnable;
    g_ulOSDHeaderEvenField = evenFieldHeaderOffset;
    g_ulOSDHeaderOddField = oddFieldHeaderOffset;
    return ZKT_OK;
}

u32 ZKT_SetOSDPalette(u16 first, const u32 *colors, u16 count)
{
    // A range past the last entry stops there instead of running over the
    // neighbouring state.
    u32 i = 0;
    for (; i < count && first + i < 256; i++)
        g_ulOSDPalette[first + i] = colors[i];
    return i < count ? (u32)ZKT_ERR_INVALID_ARG : (u32)ZKT_OK;
}

u32 ZKT_WriteOSDHeader(u32 offset, u32 nextHeaderOffset, u16 firstColumn, u16 firstLine, u16 lastColumn,
                       u16 endLine, u16 bitsPerPixel, u32 bRunLength, u32 bAlpha, u32 bColorKey, u16 alpha,
                       u8 keyIndex)
{
    return ZKT_RecOSDHeader(g_GP2X_VIDEO_BASE_PTR, ZKT_VIDEO_MEM_SIZE, offset, nextHeaderOffset,
                            nextHeaderOffset >= ZKT_VIDEO_MEM_SIZE, firstColumn, firstLine, lastColumn, endLine,
                            bitsPerPixel, bRunLength, bAlpha, bColorKey, alpha, keyIndex);
}

u32 ZKT_SetSPUPlane(u32 bEnable, u32 bOnTopOfOSD, u32 bHighlight, u32 baseCmdOffset, u32 highlightOffset)
{
    g_bSPULayerEnable = bEnable;
    g_bSPUonTopOfOSDLayer = bOnTopOfOSD;
    g_bSPUHighlight = bHighlight;
    g_ulSPUBaseCmdMemOffset = baseCmdOffset;
    g_ulSPUHighlightInfoMemOffset = highlightOffset;
    return ZKT_OK;
}

u32 ZKT_SetSPUColor(u16 index, u32 color)
{
    if (index >= 16)
        return ZKT_ERR_INVALID_ARG; // the palette has 16 entries; nothing beyond it is touched
    g_ulSPUColorPalette[index] = color;
    return ZKT_OK;
}

u32 ZKT_WriteSPUBaseCmd(u32 offset, u32 bChangeList, u32 changeListOffset, u16 colorWord, u16 contrastWord,
                        u16 firstLine, u16 endLine, u32 topFieldOffset, u32 bottomFieldOffset)
{
    return ZKT_RecSPUBaseCmd(g_GP2X_VIDEO_BASE_PTR, ZKT_VIDEO_MEM_SIZE, offset, ZKT_ModeIsLCD(g_ulDISPLAY_MODE), bChangeList,
                             changeListOffset, colorWord, contrastWord, firstLine, endLine, topFieldOffset,
                             bottomFieldOffset);
}

u32 ZKT_WriteSPUChangeCmd(u32 offset, u32 bLast, u16 firstLine, u16 endLine, u16 count, const u16 *firstColumns,
                          const u16 *lastColumns, const u16 *colorWords, const u16 *contrastWords)
{
    return ZKT_RecSPUChangeCmd(g_GP2X_VIDEO_BASE_PTR, ZKT_VIDEO_MEM_SIZE, offset, bLast, firstLine, endLine, count,
                               firstColumns, lastColumns, colorWords, contrastWords);
}

u32 ZKT_WriteSPUHighlightInfo(u32 offset, u16 leftColumn, u16 firstLine, u16 rightColumn, u16 endLine,
                              u16 colorWord, u16 contrastWord)
{
    return ZKT_RecSPUHighlightInfo(g_GP2X_VIDEO_BASE_PTR, ZKT_VIDEO_MEM_SIZE, offset, leftColumn, firstLine,
                                   rightColumn, endLine, colorWord, contrastWord);
}
