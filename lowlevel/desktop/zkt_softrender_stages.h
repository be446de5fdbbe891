// The compositor's stages as the frame (zkt_softrender.cpp) drives them:
// each resolved once per frame, then drawn whole or line by line.
#ifndef ZKT_SOFTRENDER_STAGES_H
#define ZKT_SOFTRENDER_STAGES_H

#include "lowlevel/desktop/zkt_softrender_px.h"

// YUV planes: the four regions resolved, whether they draw the whole of
// line y (W wide), and the drawing, lower plane first.
void ZKT_SoftRenderYUVPrepare();
bool ZKT_SoftRenderYUVCoversLine(s32 y, s32 W);
void ZKT_SoftRenderYUVDraw();

struct ColourTables {
    s32 luma[256];
    const uint64_t *chroma;
    u32 bg; // the background, converted
};
void ZKT_SoftRenderColourPrepare(ColourTables &t);
// lut[k][v]: channel k's (blue, green, red) level for v.
void ZKT_SoftRenderGammaPrepare(u8 (*lut)[256]);

// RGB layer: false when it draws nothing this frame.
bool ZKT_SoftRenderRGBPrepare();
void ZKT_SoftRenderRGBLine(s32 y, const SoftRenderKernels &K);

#endif
