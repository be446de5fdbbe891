#include "lowlevel/common/zkt_streamrec.h"

static u8 *RecordPtr(u8 *mem, u32 memSize, u32 offset, u32 size)
{
    offset &= ~3u;
    if (!mem || size > memSize || offset > memSize - size)
        return nullptr;
    return mem + offset;
}

void ZKT_PutLE32(u8 *p, u32 w)
{
    p[0] = (u8)w;
    p[1] = (u8)(w >> 8);
    p[2] = (u8)(w >> 16);
    p[3] = (u8)(w >> 24);
}

void ZKT_PutBE32(u8 *p, u32 w)
{
    p[0] = (u8)(w >> 24);
    p[1] = (u8)(w >> 16);
    p[2] = (u8)(w >> 8);
    p[3] = (u8)w;
}

u32 ZKT_RecOSDHeader(u8 *mem, u32 memSize, u32 offset, u32 nextWord, u32 bLast, u16 firstColumn, u16 firstLine, u16 lastColumn, u16 endLine,
                      u16 bitsPerPixel, u32 bRunLength, u32 bAlpha, u32 bColorKey, u16 alpha, u8 keyIndex)
{
    u8 *p = RecordPtr(mem, memSize, offset, 12);
    if (!p)
        return ZKT_ERR_INVALID_ARG;
    u32 depth = bitsPerPixel == 4 ? 1u : (bitsPerPixel == 8 ? 2u : 0u);
    u32 w1 = (endLine & 0x7FFu) | ((firstLine & 0x3FFu) << 11) | ((alpha & 15u) << 22) | (bAlpha ? 1u << 26 : 0u) |
             (depth << 28) | (bRunLength ? 1u << 30 : 0u) | (bLast ? 1u << 31 : 0u);
    u32 w2 = (lastColumn & 0x7FFu) | ((firstColumn & 0x3FFu) << 11) | ((u32)keyIndex << 22) |
             (bColorKey ? 1u << 30 : 0u);
    ZKT_PutLE32(p, nextWord);
    ZKT_PutLE32(p + 4, w1);
    ZKT_PutLE32(p + 8, w2);
    return ZKT_OK;
}

u32 ZKT_RecSPUBaseCmd(u8 *mem, u32 memSize, u32 offset, u32 bLCD, u32 bChangeList, u32 changeListAddr, u16 colorWord, u16 contrastWord,
                       u16 firstLine, u16 endLine, u32 topFieldAddr, u32 bottomFieldAddr)
{
    u8 *p = RecordPtr(mem, memSize, offset, 28);
    if (!p)
        return ZKT_ERR_INVALID_ARG;
    // Words 0 and 2 carry the output width, so they follow the mode current
    // now; a switch between LCD and television needs the record rewritten.
    ZKT_PutBE32(p, (bLCD ? 0x280u : 0x5A0u) + (bChangeList ? 1u : 0u));
    ZKT_PutBE32(p + 4, ((u32)colorWord << 16) | contrastWord);
    ZKT_PutBE32(p + 8, bLCD ? 319u : 719u);
    ZKT_PutBE32(p + 12, ((u32)firstLine << 16) | endLine);
    ZKT_PutBE32(p + 16, topFieldAddr);
    ZKT_PutBE32(p + 20, bottomFieldAddr);
    ZKT_PutBE32(p + 24, changeListAddr);
    return ZKT_OK;
}

u32 ZKT_RecSPUChangeCmd(u8 *mem, u32 memSize, u32 offset, u32 bLast, u16 firstLine, u16 endLine, u16 count, const u16 *firstColumns,
                         const u16 *lastColumns, const u16 *colorWords, const u16 *contrastWords)
{
    u8 *p = RecordPtr(mem, memSize, offset, 4 + 8 * (u32)count + (bLast ? 4u : 0u));
    if (!p)
        return ZKT_ERR_INVALID_ARG;
    // Count and end line are not masked: the caller keeps them in range.
    ZKT_PutBE32(p, ((u32)firstLine << 16) | ((u32)count << 12) | endLine);
    p += 4;
    for (u32 k = 0; k < count; k++, p += 8) {
        ZKT_PutBE32(p, ((u32)colorWords[k] << 16) | contrastWords[k]);
        ZKT_PutBE32(p + 4, ((u32)firstColumns[k] << 16) | lastColumns[k]);
    }
    if (bLast)
        ZKT_PutBE32(p, 0xFFFFFFFFu);
    return ZKT_OK;
}

u32 ZKT_RecSPUHighlightInfo(u8 *mem, u32 memSize, u32 offset, u16 leftColumn, u16 firstLine, u16 rightColumn, u16 endLine, u16 colorWord,
                             u16 contrastWord)
{
    u8 *p = RecordPtr(mem, memSize, offset, 12);
    if (!p)
        return ZKT_ERR_INVALID_ARG;
    ZKT_PutBE32(p, ((u32)leftColumn << 16) | rightColumn);
    ZKT_PutBE32(p + 4, ((u32)firstLine << 16) | endLine);
    ZKT_PutBE32(p + 8, ((u32)colorWord << 16) | contrastWord);
    return ZKT_OK;
}
