// Helpers shared by the volume control and the tiny menu; not for callers
// outside ui/.
#ifndef ZKT_TMV_INTERNAL_H
#define ZKT_TMV_INTERNAL_H

#include "lowlevel/zkt_lowLevel.h"

// 2-bit cursor pixels in frame coordinates. fieldSize 0: progressive rows of
// rowBytes; otherwise even rows in the first field and odd rows fieldSize
// bytes further on.
void ZKT_TMV_PutPixel(u8 *bitmap, u32 rowBytes, u32 fieldSize, u32 x, u32 y, u32 value);
u32 ZKT_TMV_GetPixel(const u8 *bitmap, u32 rowBytes, u32 fieldSize, u32 x, u32 y);
// Copies a packed width x height picture (rows padded to whole bytes) to
// pixel (x, y), frame rows split between the fields when interlaced.
void ZKT_TMV_PlacePicture(u8 *bitmap, u32 rowBytes, u32 fieldSize, u32 x, u32 y, const u8 *picture, u32 width,
                          u32 height);

// The volume actions at a given time, without the menu check.
void ZKT_TMV_VolMute(u32 now);
void ZKT_TMV_VolStep(u32 now, int dir);

#endif
