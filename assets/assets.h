// Every embedded asset, with its length in bytes. The bytes are made at
// build time by the generator programs in this folder.
#ifndef VORN_ASSETS_H
#define VORN_ASSETS_H

#include "lowlevel/zkt_lowLevel.h"

#define VORN_ASSET(name)         \
    extern const u8 name[];      \
    extern const u32 name##_LEN;

// Add one VORN_ASSET line per embedded asset, grouped by its generator.

// Main part: backgrounds (360x288 YUY2), logo dissolve map (360x150, one
// byte per pixel) and the text overlay's glyphs (layout in textfont.h).
VORN_ASSET(BMP_YUV1)
VORN_ASSET(BMP_YUV2)
VORN_ASSET(BMP_YUV3)
VORN_ASSET(BMP_YUV4)
VORN_ASSET(BMP_YUV5)
VORN_ASSET(BMP_YUV6)
VORN_ASSET(BMP_VORNLOGO)
VORN_ASSET(BMP_TEXTFONT)

// zktlogo_gen: the splash logo, 16-bit little-endian run-length codes.
VORN_ASSET(BMP_ZKT_LOGO)

#endif
