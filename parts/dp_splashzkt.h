// Splash part (first 12 s): the maker's logo, a run-length coded intensity
// map, coloured every frame through a strip of moving colour bands and
// drawn into RGB buffer 0.
#ifndef DP_SPLASHZKT_H
#define DP_SPLASHZKT_H

#include "lowlevel/zkt_lowLevel.h"

// One stop of a band: position in 1/10000 of the band's span, colour 0x00RRGGBB.
struct SplashColorStop {
    s32 nPos;
    u32 ulColor;
};
static_assert(sizeof(SplashColorStop) == 8, "SplashColorStop layout");

#define ZKT_SPLASH_STRIP_LEN 1390      // entries of three bytes: blue, green, red
#define ZKT_SPLASH_RGB_OFFSET 0x240000u // RGB buffer 0
#define ZKT_SPLASH_CLEAR_BYTES 207360u  // 360 x 288 pixels of 16 bits
#define ZKT_LOGO_WIDTH 360

// Logo codes, ending with 0: below 0x600 a skip of that many columns, else
// one pixel: intensity << 12 | group << 8 | index within the group.
extern const u16 *g_pZktLogo;
// Strip position of each group's first pixel, by group 0..15.
extern const s32 g_nZktLogoGroupBase[16];
// Set once RGB buffer 0 has been cleared by the first paint.
extern u32 g_bZktLogoInit;

u32 ZKT_DP_SplashZkt_Reset();
u32 ZKT_DP_SplashZkt_Init(u32 mode = 0);
u32 ZKT_DP_SplashZkt_Paint(u32 t, u32 length, u32 mode);

// Paints the strip (3 * ZKT_SPLASH_STRIP_LEN bytes) for part time t;
// returns 0, with the strip black, once the part has stopped drawing.
u32 ZKT_DP_SplashZkt_FillStrip(u8 *strip, u32 t);

// Adds one band of gradients between the stops to the strip, saturating.
u32 ZKT_DP_SplashZkt_DrawColorStrip(u8 *strip, s32 stripLength, s32 start, s32 span,
                                    const SplashColorStop *stops, s32 stopCount);

// Renders the codes through the strip as RGB565 at video offset `offset`:
// 640-byte rows showing columns 20..339 when bLcd is set, else 720-byte rows.
u32 ZKT_DrawSingleSegment(u32 bLcd, u32 offset, const u16 *codes, const u8 *strip, s32 stripLength);

// 24-bit variant without row wrapping; `strip` must hold (scale * 4170) / 256
// entries, the length that gives this scale in ZKT_DrawSingleSegment.
u32 ZKT_DrawMultiSegment(u32 offset, const u16 *codes, const u8 *strip, u32 scale);

#endif
