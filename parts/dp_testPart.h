// The main part (12 s to 126 s): wiping backgrounds on YUV plane A, the
// logo dissolve and then the timed text on the 8-bit RGB layer, and the
// streak and sprite formations on the double-buffered OSD layer.
#ifndef DP_TESTPART_H
#define DP_TESTPART_H

#include "draw/zkt_draw.h"
#include "lowlevel/zkt_lowLevel.h"

// ---- Demo-part record ----
u32 ZKT_DP_TestPart_Reset();
u32 ZKT_DP_TestPart_Init(u32 mode);
u32 ZKT_DP_TestPart_Paint(u32 t, u32 length, u32 mode);

// ---- Video memory map ----
#define TESTPART_BG_SLOT_SIZE 0x33000u   // background slot k at k * this
#define TESTPART_BG_BLACK 0x132000u      // slot 6, filled with black
#define TESTPART_BG_BLACK_END 0x164A00u
#define TESTPART_OSD_HDR0 0x170000u
#define TESTPART_OSD_HDR1 0x1A3000u
#define TESTPART_OSD_HDR2 0x1D6000u      // written, never shown
#define TESTPART_OSD_SLOT_SIZE 0x33000u  // header + pixels of one OSD buffer
#define TESTPART_RGB_BUF0 0x240000u
#define TESTPART_RGB_BUF1 0x28C000u

// ---- Display geometry, from the display mode ----
typedef struct {
    s32 P;  // surface pitch in drawing pixels
    s32 W;  // display width
    s32 H;  // display height
    s32 X0; // horizontal margin
} TESTPART_GEOMETRY;

void TestPart_GetGeometry(u32 mode, TESTPART_GEOMETRY *pGeo);

// ---- Backgrounds ----
typedef struct {
    u32 time;     // part time at which the wipe to image is complete
    s32 duration; // length of the wipe, ending at time
    s32 image;    // background slot 0..6
    s32 fromTop;  // non-zero: the new image grows downwards from the top
} TESTPART_YUVCTRL;
static_assert(sizeof(TESTPART_YUVCTRL) == 16, "four 32-bit fields");

#define TESTPART_YUVCTRL_COUNT 7
extern const TESTPART_YUVCTRL g_ctrlYuv[TESTPART_YUVCTRL_COUNT];

// Background wipe at part time t for display height H: video offsets of
// the picture above and below the split row.
void GetYUVBackgroundInfo(u32 t, s32 H, u32 *pUpper, u32 *pLower, s32 *pSplit);

// ---- Sprites ----
#define TESTPART_SPRITES 1500

typedef struct {
    s32 offset; // pixel index of the top-left cell: row * P + column
    s32 rows;   // rows to draw, 8 or fewer at the bottom edge
    s32 depth;  // drawn in ascending depth: larger lies in front
    u8 colour;  // OSD palette index
} TESTPART_SPRITE;

// Span table of the 8x8 disc sprite, built by Init.
extern ZKT_SPRDEF g_sprdef[8];

s32 SortSprites(const void *a, const void *b);

// Draws sprites [first, last) of the (sorted) array into an OSD surface of
// the given geometry: bytes when W <= 360, index * 257 pixel pairs above.
// Spans are kept inside the OSD buffer slot whatever the offsets say.
void TestPart_DrawSprites(void *surface, const TESTPART_GEOMETRY *pGeo, const TESTPART_SPRITE *sprites, s32 first,
                          s32 last);

// ---- Formations ----
// Fade-in/out window of a sprite formation whose band runs [S, E).
void TestPart_VisibleRange(s32 t, s32 S, s32 E, s32 *pFirst, s32 *pLast);

void TestPart_DrawStreaks(u32 t, const TESTPART_GEOMETRY *pGeo, void *surface);
void TestPart_BuildRing(u32 t, const TESTPART_GEOMETRY *pGeo, TESTPART_SPRITE *sprites);
void TestPart_BuildRibbon(u32 t, const TESTPART_GEOMETRY *pGeo, TESTPART_SPRITE *sprites);
void TestPart_BuildWall(u32 t, const TESTPART_GEOMETRY *pGeo, TESTPART_SPRITE *sprites);
void TestPart_BuildTrack(u32 t, const TESTPART_GEOMETRY *pGeo, TESTPART_SPRITE *sprites);

// Palette loaders, one per formation.
void TestPart_LoadStreakPalette();
void TestPart_LoadRingPalette();
void TestPart_LoadRibbonPalette();
void TestPart_LoadWallPalette();
void TestPart_LoadTrackPalette();

// Runs the formation of part time t: loads its palette, fills the records
// and sets the visible range (leaves first/last alone outside the sprite
// bands). Streaks are drawn straight into the surface.
void TestPart_RunFormation(u32 t, const TESTPART_GEOMETRY *pGeo, void *surface, TESTPART_SPRITE *sprites,
                           s32 *pFirst, s32 *pLast);

// ---- Text overlay ----
typedef struct {
    u32 start;     // part time the row begins to fade in
    s32 duration;  // start to the end of the fade-out
    s32 slot;      // 0..3, shown through RGB region slot + 1
    s32 x;         // left edge of the first glyph in the 320-pixel frame
    s32 y;         // top row of the glyphs and of the region band
    s32 width;     // not read
    s32 height;    // height of the region band
    char text[40]; // Latin-1, zero-terminated
} TEXTINTRO_ROW;

#define TEXTINTRO_ROWS 36
extern const TEXTINTRO_ROW g_TextIntro[TEXTINTRO_ROWS];

// ORs one glyph into an 8-bit surface; returns the next x (x + width - 2),
// or 0 when the glyph does not fit at (x, y).
s32 DrawChar(u8 *surface, s32 pitch, s32 height, u8 ch, s32 x, s32 y, s32 rowFrom, s32 rowTo);

// Draws the rows active at t and programs RGB regions 1 to 5.
void DrawTextIntro(u32 t, u8 *surface, s32 pitch, s32 height, s32 displayWidth);

// Row shown by each slot at t, or -1 when the slot is left alone.
void TextIntro_SelectSlots(u32 t, s32 rowOfSlot[4]);
// Region alpha of a row at t before the limit to 11 (0..15).
s32 TextIntro_Alpha(u32 t, const TEXTINTRO_ROW *pRow);
// Glyph index of a character (TEXTFONT_UNKNOWN when not in the list).
s32 TextIntro_GlyphIndex(u8 ch);

#endif
