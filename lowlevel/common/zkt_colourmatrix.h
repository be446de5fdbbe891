// The YUV saturation and hue matrix, the same in both back ends.
#ifndef ZKT_COLOURMATRIX_H
#define ZKT_COLOURMATRIX_H

#include "lowlevel/zkt_lowLevel.h"

// The signed 256-step sine table and one quadrant's four coefficients
// (saturation 128, hue 0 is neutral).
extern const s8 g_scHueSinTable[256];
void ZKT_CalcYUVHueMatrix(u8 saturation, u8 hue, s8 *pCbA, s8 *pCbB, s8 *pCrA, s8 *pCrB);

#endif
