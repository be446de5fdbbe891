// Drawing library: clipped lines and sprite copies into plain pixel arrays
// (usually in video memory). A surface is row-major; its width is also its
// pitch in pixels. Every drawer clips against the surface, so coordinates
// may lie anywhere in the s32 range and nothing is written outside it.
#ifndef ZKT_DRAW_H
#define ZKT_DRAW_H

#include "lowlevel/zkt_lowLevel.h"

// One row of a span-drawn sprite: first covered column and covered count
// (a length of 0 or less draws nothing on that row).
typedef struct {
    s32 start;
    s32 length;
} ZKT_SPRDEF;
static_assert(sizeof(ZKT_SPRDEF) == 8, "ZKT_SPRDEF is two s32");

// ---- Lines ----
// One-pixel lines, both end points drawn.
void ZKT_DrawLine16(u16 *surface, s32 width, s32 height, s32 x0, s32 y0, s32 x1, s32 y1, u16 colour);
void ZKT_DrawLine32(u32 *surface, s32 width, s32 height, s32 x0, s32 y0, s32 x1, s32 y1, u32 colour);
// Thick lines: thickness/2 pixels on one side of the centre line, the rest
// on the other. The W16 colour is written as is (pass index * 257 for an
// 8-bit index on both halves of a pixel pair).
void ZKT_DrawLineW8(u8 *surface, s32 width, s32 height, s32 x0, s32 y0, s32 x1, s32 y1, s32 thickness,
                    u8 colour);
void ZKT_DrawLineW16(u16 *surface, s32 width, s32 height, s32 x0, s32 y0, s32 x1, s32 y1, s32 thickness,
                     u16 colour);

// ---- Sprites ----
// Packed w x h 8-bit picture with its top-left pixel at (x, y). With useKey
// non-zero, picture bytes equal to key leave the surface pixel alone.
void ZKT_DrawSprite8(u8 *surface, s32 width, s32 height, s32 x, s32 y, const u8 *picture, s32 w, s32 h,
                     u32 useKey, u8 key);
// Same picture into a 16-bit surface, each byte b written as b * 257.
void ZKT_DrawSpriteW8(u16 *surface, s32 width, s32 height, s32 x, s32 y, const u8 *picture, s32 w, s32 h,
                      u32 useKey, u8 key);
// srcW x srcH 0xAARRGGBB picture centred on (cx, cy), inverse mapped with
// 2.14 steps (16384 = one source pixel per destination pixel): dudx/dvdx per
// destination column, dudy/dvdy per destination row. Alpha 0 skips, 0xFF
// replaces, anything between blends with 32 levels in 5-6-5 precision.
void ZKT_Draw_AdvSprite(u32 *surface, s32 width, s32 height, s32 cx, s32 cy, const u32 *picture, s32 srcW,
                        s32 srcH, s32 dudx, s32 dvdx, s32 dudy, s32 dvdy);

#endif
