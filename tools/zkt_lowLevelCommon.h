// Colour-space conversion between RGB and the controller's YUV formats,
// and the firmware check; shared by both back ends and the parts.
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

// Colour matrix for YUV saturation and hue: the signed 256-step sine table
// and one quadrant's four coefficients (saturation 128, hue 0 is neutral).
// Shared by both back ends' ZKT_SetYUVSaturationAndHUE and their init.
extern const s8 g_scHueSinTable[256];
void ZKT_CalcYUVHueMatrix(u8 saturation, u8 hue, s8 *pCbA, s8 *pCbB, s8 *pCrA, s8 *pCrB);

// Returns 0 on the expected firmware (always on the desktop), 12 to carry
// on elsewhere, 13 when the user chose to leave from the warning screen.
u32 ZKT_CheckOpen2X(u32 bWarn, u32 bAllowProceed);

#endif
