// The in-memory records the display controller reads for its OSD and SPU
// layers. Both back ends write the same layouts; they differ only in the
// address stored for another record (a video memory offset on the desktop,
// a physical address on the handheld), which the caller passes translated.
#ifndef ZKT_STREAMREC_H
#define ZKT_STREAMREC_H

#include "lowlevel/zkt_lowLevel.h"

// Where a record of `size` bytes at `offset` goes, or null when it would not
// fit wholly inside the memory block: offsets come straight from the parts.
u8 *ZKT_RecordPtr(u8 *mem, u32 memSize, u32 offset, u32 size);

void ZKT_PutLE32(u8 *p, u32 w);
void ZKT_PutBE32(u8 *p, u32 w);

// OSD area header, three little-endian words at p.
void ZKT_RecOSDHeader(u8 *p, u32 nextWord, u32 bLast, u16 firstColumn, u16 firstLine, u16 lastColumn, u16 endLine,
                      u16 bitsPerPixel, u32 bRunLength, u32 bAlpha, u32 bColorKey, u16 alpha, u8 keyIndex);
// SPU base command, seven big-endian words at p.
void ZKT_RecSPUBaseCmd(u8 *p, u32 bLCD, u32 bChangeList, u32 changeListAddr, u16 colorWord, u16 contrastWord,
                       u16 firstLine, u16 endLine, u32 topFieldAddr, u32 bottomFieldAddr);
// One SPU change-list entry (and the end word when bLast), big-endian.
u32 ZKT_SPUChangeCmdSize(u16 count, u32 bLast);
void ZKT_RecSPUChangeCmd(u8 *p, u32 bLast, u16 firstLine, u16 endLine, u16 count, const u16 *firstColumns,
                         const u16 *lastColumns, const u16 *colorWords, const u16 *contrastWords);
// SPU highlight record, three big-endian words.
void ZKT_RecSPUHighlightInfo(u8 *p, u16 leftColumn, u16 firstLine, u16 rightColumn, u16 endLine, u16 colorWord,
                             u16 contrastWord);

#endif
