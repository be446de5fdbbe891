// Colour-space conversion between RGB and the controller's YUV formats,
// used by the parts and the tools.
#ifndef ZKT_LOWLEVELCOMMON_H
#define ZKT_LOWLEVELCOMMON_H

#include "lowlevel/zkt_lowLevel.h"

u32 ZKT_RGBtoYUY2Color(s32 r, s32 g, s32 b);
void ZKT_YUY2toRGBColor(u32 yuy2, s32 *pR, s32 *pG, s32 *pB);
u32 ZKT_Dual16bitRGBtoYUY2Color(u32 dual);
void ZKT_YUY2ColortoDual16bitRGB(u32 yuy2, u32 *pDual);
u32 ZKT_RGBAtoYUVAColor(s32 r, s32 g, s32 b, s32 a);
void ZKT_YUVAtoRGBAColor(u32 yuva, s32 *pR, s32 *pG, s32 *pB, s32 *pA);
u32 ZKT_SetOSDPaletteUsingRGB(u16 first, const u32 *colors, u16 count);

#endif
