// Debug text console: a 40 x 25 character screen with a cursor, 16 colours
// and scrolling, painted into the RGB frame buffer at 4, 8, 16 or 24 bits
// per pixel with the processor alone. Printing never draws; ZKT_DbgDrawScr
// (or ZKT_OUTPUT_DEBUG) puts the console on screen.
#ifndef ZKT_LOWLEVELDBG_H
#define ZKT_LOWLEVELDBG_H

#include "lowlevel/zkt_lowLevel.h"

#define ZKT_DBG_COLS 40
#define ZKT_DBG_ROWS 25
#define ZKT_DBG_CELLS (ZKT_DBG_COLS * ZKT_DBG_ROWS)
#define ZKT_DBG_TEXT_MAX 160 // formatted text buffer, terminator included

// Colour indexes.
enum {
    ZKT_DBG_BLACK, ZKT_DBG_WHITE, ZKT_DBG_RED, ZKT_DBG_CYAN,
    ZKT_DBG_PURPLE, ZKT_DBG_GREEN, ZKT_DBG_BLUE, ZKT_DBG_YELLOW,
    ZKT_DBG_ORANGE, ZKT_DBG_BROWN, ZKT_DBG_LIGHTRED, ZKT_DBG_DARKGREY,
    ZKT_DBG_GREY, ZKT_DBG_LIGHTGREEN, ZKT_DBG_LIGHTBLUE, ZKT_DBG_LIGHTGREY
};

// Drawing modes: the low two bits blend (0 opaque, 1 colour 3/4, 2 half,
// 3 colour 1/4); 4..7 skip the border and empty cells; 8 and up also skip
// the glyphs' background pixels.
#define ZKT_DBG_MODE_SKIP_EMPTY 4u
#define ZKT_DBG_MODE_LETTERS_ONLY 8u

// Cell = x + 40 * y; character code 0 is an empty cell. Attribute: the
// foreground index in the high nibble, the background in the low nibble.
extern u8 g_ucZKT_DBG_CHAR_SCREEN[1024];
extern u8 g_ucZKT_DBG_CHARCOLOR_TABLE[1024];
extern s32 g_nZKT_DBG_CURPOS;
extern u8 g_ucZKT_DBG_TEXT_COLOR;
extern u8 g_ucZKT_DBG_SCREEN_COLOR; // border in the high nibble
extern const u16 g_ulZKT_DBG_COLOR_TABLE16[16];
extern const u32 g_ulZKT_DBG_COLOR_TABLE32[16];
// 8 x 8 font in code page 437 order, top row first, bit 7 leftmost.
extern const u8 g_uc_ZKT_DBG_CHARSET[2048];

void ZKT_DbgClrScr(u32 border, u32 background);
void ZKT_DbgPrint(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Positions outside the screen are held to it: below 0 gives 0, past the
// end gives 1000, so the next character scrolls onto the last row.
void ZKT_DbgGotoXY(s32 x, s32 y);
void ZKT_DbgColor(u32 foreground, u32 background);
void ZKT_DbgDrawScr(u32 mode, u32 offset);
void ZKT_OUTPUT_DEBUG(u32 mode, u32 offset, const char *format, ...) __attribute__((format(printf, 3, 4)));

// Span fills used for the border. Each takes a byte range [pBegin, pEnd)
// and works in whole units of 1, 2, 4 and 6 bytes; the value holds two
// pixels (except at 4 bits) already scaled for the blend by the caller:
// blend 0 stores it, 1 adds a quarter of the old pixels, 2 a half, 3 three
// quarters.
void ZKT_DbgDrawScr_Fill4bit(u8 value, u8 *pBegin, u8 *pEnd);
void ZKT_DbgDrawScr_Fill8bit(u16 value, u8 *pBegin, u8 *pEnd);
void ZKT_DbgDrawScr_Fill16bit(u32 blend, u32 value, u8 *pBegin, u8 *pEnd);
void ZKT_DbgDrawScr_Fill24bit(u32 blend, u16 h0, u16 h1, u16 h2, u8 *pBegin, u8 *pEnd);

// RGB565 blend of colour c over destination d (two pixels at once work
// too, the masks cover both halves).
u32 ZKT_DbgBlend16(u32 blend, u32 c, u32 d);
// The same per byte lane for 24-bit pixels.
u32 ZKT_DbgBlend8(u32 blend, u32 c, u32 d);

#endif
