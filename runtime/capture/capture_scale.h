// Whole-number enlargement of captured pictures, each pixel an f x f block,
// so small pictures stay sharp where players and sites smooth them.
#ifndef VORN_CAPTURE_SCALE_H
#define VORN_CAPTURE_SCALE_H

#include "lowlevel/zkt_lowLevel.h"

#define CAPTURE_MAX_SCALE 4u

// w x h pixels of 3 bytes, lines srcPitch apart, into dst (w*f x h*f,
// lines w*f*3 apart).
void CaptureScale(const u8 *src, u32 w, u32 h, u32 srcPitch, u32 f, u8 *dst);

#endif
