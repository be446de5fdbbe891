// OSD and SPU layers: the setters record their pointers and palettes, the
// writers format the in-memory records the controller (and the desktop
// compositor) reads: OSD area headers little-endian, SPU records big-endian.
#include "lowlevel/desktop/zkt_lowLevelWin.h"

namespace {

// A record is written only when it fits wholly inside video memory: the
// offsets come straight from the parts, and a bad one must not turn into
// a write past the 8 MiB block.
u8 *RecordPtr(u32 offset, u32 size)
{
    if (!g_GP2X_VIDEO_BASE_PTR || size > ZKT_VIDEO_MEM_SIZE || offset > ZKT_VIDEO_MEM_SIZE - size)
        return nullptr;
    return g_GP2X_VIDEO_BASE_PTR + offset;
}

void PutLE(u8 *p, u32 w)
{
    p[0] = (u8)w;
    p[1] = (u8)(w >> 8);
    p[2] = (u8)(w >> 16);
    p[3] = (u8)(w >> 24);
}

void PutBE(u8 *p, u32 w)
{
    p[0] = (u8)(w >> 24);
    p[1] = (u8)(w >> 16);
    p[2] = (u8)(w >> 8);
    p[3] = (u8)w;
}

u32 IsLCDMode()
{
    return g_ulDISPLAY_MODE <= 4;
}

} // namespace

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
    u8 *p = RecordPtr(offset & ~3u, 12);
    if (!p)
        return ZKT_ERR_INVALID_ARG;
    u32 depth = bitsPerPixel == 4 ? 1u : (bitsPerPixel == 8 ? 2u : 0u);
    u32 w1 = (endLine & 0x7FFu) | ((firstLine & 0x3FFu) << 11) | ((alpha & 15u) << 22) | (bAlpha ? 1u << 26 : 0u) |
             (depth << 28) | (bRunLength ? 1u << 30 : 0u) | (nextHeaderOffset >= ZKT_VIDEO_MEM_SIZE ? 1u << 31 : 0u);
    u32 w2 = (lastColumn & 0x7FFu) | ((firstColumn & 0x3FFu) << 11) | ((u32)keyIndex << 22) |
             (bColorKey ? 1u << 30 : 0u);
    PutLE(p, nextHeaderOffset);
    PutLE(p + 4, w1);
    PutLE(p + 8, w2);
    return ZKT_OK;
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
    u8 *p = RecordPtr(offset & ~3u, 28);
    if (!p)
        return ZKT_ERR_INVALID_ARG;
    // Words 0 and 2 carry the output width, so they follow the mode current
    // now; a switch between LCD and television needs the record rewritten.
    PutBE(p, (IsLCDMode() ? 0x280u : 0x5A0u) + (bChangeList ? 1u : 0u));
    PutBE(p + 4, ((u32)colorWord << 16) | contrastWord);
    PutBE(p + 8, IsLCDMode() ? 319u : 719u);
    PutBE(p + 12, ((u32)firstLine << 16) | endLine);
    PutBE(p + 16, topFieldOffset);
    PutBE(p + 20, bottomFieldOffset);
    PutBE(p + 24, changeListOffset);
    return ZKT_OK;
}

u32 ZKT_WriteSPUChangeCmd(u32 offset, u32 bLast, u16 firstLine, u16 endLine, u16 count, const u16 *firstColumns,
                          const u16 *lastColumns, const u16 *colorWords, const u16 *contrastWords)
{
    u32 size = 4 + 8 * (u32)count + (bLast ? 4u : 0u);
    u8 *p = RecordPtr(offset & ~3u, size);
    if (!p)
        return ZKT_ERR_INVALID_ARG;
    // Count and end line are not masked: the caller keeps them in range.
    PutBE(p, ((u32)firstLine << 16) | ((u32)count << 12) | endLine);
    p += 4;
    for (u32 k = 0; k < count; k++, p += 8) {
        PutBE(p, ((u32)colorWords[k] << 16) | contrastWords[k]);
        PutBE(p + 4, ((u32)firstColumns[k] << 16) | lastColumns[k]);
    }
    if (bLast)
        PutBE(p, 0xFFFFFFFFu);
    return ZKT_OK;
}

u32 ZKT_WriteSPUHighlightInfo(u32 offset, u16 leftColumn, u16 firstLine, u16 rightColumn, u16 endLine,
                              u16 colorWord, u16 contrastWord)
{
    u8 *p = RecordPtr(offset & ~3u, 12);
    if (!p)
        return ZKT_ERR_INVALID_ARG;
    PutBE(p, ((u32)leftColumn << 16) | rightColumn);
    PutBE(p + 4, ((u32)firstLine << 16) | endLine);
    PutBE(p + 8, ((u32)colorWord << 16) | contrastWord);
    return ZKT_OK;
}
