// The in-memory records the display controller reads for its OSD and SPU
// layers. Both back ends write the same layouts; they differ only in the
// address stored for another record (a video memory offset on the desktop,
// a physical address on the handheld), which the caller passes translated.
#ifndef ZKT_STREAMREC_H
#define ZKT_STREAMREC_H

#include "lowlevel/zkt_lowLevel.h"

// Each writer places its record at `offset` rounded down to a multiple of 4
// inside the block `mem` of `memSize` bytes, and returns 0, or writes nothing
// and returns 4 when the record would not fit wholly inside the block:
// offsets come straight from the parts.

void ZKT_PutLE32(u8 *p, u32 w);
void ZKT_PutBE32(u8 *p, u32 w);

// OSD area header, three little-endian words.
u32 ZKT_RecOSDHeader(u8 *mem, u32 memSize, u32 offset, u32 nextWord, u32 bLast, u16 firstColumn, u16 firstLine, u16 lastColumn, u16 endLine,
                      u16 bitsPerPixel, u32 bRunLength, u32 bAlpha, u32 bColorKey, u16 alpha, u8 keyIndex);
// SPU base command, seven big-endian words.
u32 ZKT_RecSPUBaseCmd(u8 *mem, u32 memSize, u32 offset, u32 bLCD, u32 bChangeList, u32 changeListAddr, u16 colorWord, u16 contrastWord,
                       u16 firstLine, u16 endLine, u32 topFieldAddr, u32 bottomFieldAddr);
// One SPU change-list entry (and the end word when bLast), big-endian.
u32 ZKT_RecSPUChangeCmd(u8 *mem, u32 memSize, u32 offset, u32 bLast, u16 firstLine, u16 endLine, u16 count, const u16 *firstColumns,
                         const u16 *lastColumns, const u16 *colorWords, const u16 *contrastWords);
// SPU highlight record, three big-endian words.
u32 ZKT_RecSPUHighlightInfo(u8 *mem, u32 memSize, u32 offset, u16 leftColumn, u16 firstLine, u16 rightColumn, u16 endLine, u16 colorWord,
                             u16 contrastWord);

#endif
