// Debug text console. The screen arrays have room for 1024 cells but only
// the first 1000 are ever written: the cursor is held to 0..1000 and the
// scroll runs before a character lands, so no input reaches past them.
#include "debug/zkt_lowLevelDbg.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

u8 g_ucZKT_DBG_CHAR_SCREEN[1024];
u8 g_ucZKT_DBG_CHARCOLOR_TABLE[1024];
s32 g_nZKT_DBG_CURPOS = 0;
u8 g_ucZKT_DBG_TEXT_COLOR = 0xE6;
u8 g_ucZKT_DBG_SCREEN_COLOR = 0xE6;

const u32 g_ulZKT_DBG_COLOR_TABLE32[16] = {
    0x000000, 0xFFFFFF, 0x880000, 0xAAFFEE, 0xCC44CC, 0x00CC55, 0x0000AA, 0xEEEE77,
    0xDD8855, 0x664400, 0xFF7777, 0x333333, 0x777777, 0xAAFF66, 0x0088FF, 0xBBBBBB};
const u16 g_ulZKT_DBG_COLOR_TABLE16[16] = {
    0x0000, 0xFFFF, 0x8800, 0xAFFD, 0xCA39, 0x066A, 0x0015, 0xEF6E,
    0xDC4A, 0x6220, 0xFBAE, 0x3186, 0x73AE, 0xAFEC, 0x045F, 0xBDD7};

// ---- Text ----

static void DbgScroll()
{
    std::memmove(g_ucZKT_DBG_CHAR_SCREEN, g_ucZKT_DBG_CHAR_SCREEN + ZKT_DBG_COLS, ZKT_DBG_CELLS - ZKT_DBG_COLS);
    std::memmove(g_ucZKT_DBG_CHARCOLOR_TABLE, g_ucZKT_DBG_CHARCOLOR_TABLE + ZKT_DBG_COLS,
                 ZKT_DBG_CELLS - ZKT_DBG_COLS);
    u8 attr = (u8)((g_ucZKT_DBG_TEXT_COLOR & 0xF0) | (g_ucZKT_DBG_SCREEN_COLOR & 0x0F));
    std::memset(g_ucZKT_DBG_CHAR_SCREEN + ZKT_DBG_CELLS - ZKT_DBG_COLS, 0, ZKT_DBG_COLS);
    std::memset(g_ucZKT_DBG_CHARCOLOR_TABLE + ZKT_DBG_CELLS - ZKT_DBG_COLS, attr, ZKT_DBG_COLS);
    g_nZKT_DBG_CURPOS = ZKT_DBG_CELLS - ZKT_DBG_COLS;
}

static void DbgPutText(const char *text)
{
    // The cursor is a plain global; whatever was stored in it, writing
    // starts inside the screen.
    if (g_nZKT_DBG_CURPOS < 0)
        g_nZKT_DBG_CURPOS = 0;
    for (const u8 *p = (const u8 *)text; *p; p++) {
        if (g_nZKT_DBG_CURPOS >= ZKT_DBG_CELLS)
            DbgScroll();
        s32 cur = g_nZKT_DBG_CURPOS;
        if (*p == '\n') {
            g_nZKT_DBG_CURPOS = (cur / ZKT_DBG_COLS) * ZKT_DBG_COLS + ZKT_DBG_COLS;
        } else if (*p == '\t') {
            g_nZKT_DBG_CURPOS = ((cur + 5) / 5) * 5;
        } else {
            g_ucZKT_DBG_CHAR_SCREEN[cur] = *p;
            g_ucZKT_DBG_CHARCOLOR_TABLE[cur] = g_ucZKT_DBG_TEXT_COLOR;
            g_nZKT_DBG_CURPOS = cur + 1;
        }
    }
}

void ZKT_DbgPrint(const char *format, ...)
{
    if (!format)
        return;
    // Longer text is cut at the buffer, never written past it.
    char text[ZKT_DBG_TEXT_MAX];
    va_list ap;
    va_start(ap, format);
    int n = std::vsnprintf(text, sizeof(text), format, ap);
    va_end(ap);
    if (n <= 0)
        return;
    DbgPutText(text);
}

void ZKT_DbgClrScr(u32 border, u32 background)
{
    g_ucZKT_DBG_SCREEN_COLOR = (u8)(((border & 15) << 4) | (background & 15));
    std::memset(g_ucZKT_DBG_CHAR_SCREEN, 0, ZKT_DBG_CELLS);
    std::memset(g_ucZKT_DBG_CHARCOLOR_TABLE, (g_ucZKT_DBG_TEXT_COLOR & 0xF0) | (background & 15), ZKT_DBG_CELLS);
    g_nZKT_DBG_CURPOS = 0;
}

void ZKT_DbgGotoXY(s32 x, s32 y)
{
    long long pos = (long long)x + (long long)ZKT_DBG_COLS * y;
    if (pos < 0)
        pos = 0;
    if (pos > ZKT_DBG_CELLS)
        pos = ZKT_DBG_CELLS;
    g_nZKT_DBG_CURPOS = (s32)pos;
}

void ZKT_DbgColor(u32 foreground, u32 background)
{
    g_ucZKT_DBG_TEXT_COLOR = (u8)(((foreground & 15) << 4) | (background & 15));
}

// ---- Blending and fills ----

static u32 Half16(u32 v) { return (v >> 1) & 0x7BEF7BEFu; }
static u32 Quarter16(u32 v) { return (v >> 2) & 0x39E739E7u; }
static u32 Half8(u32 v) { return (v >> 1) & 0x7F7F7F7Fu; }
static u32 Quarter8(u32 v) { return (v >> 2) & 0x3F3F3F3Fu; }

// The colour's share, pre-scaled once per span for the fills.
static u32 Scale16(u32 blend, u32 c)
{
    switch (blend & 3) {
    case 1: return Half16(c) + Quarter16(c);
    case 2: return Half16(c);
    case 3: return Quarter16(c);
    default: return c;
    }
}

static u32 Scale8(u32 blend, u32 c)
{
    switch (blend & 3) {
    case 1: return Half8(c) + Quarter8(c);
    case 2: return Half8(c);
    case 3: return Quarter8(c);
    default: return c;
    }
}

// The destination's share, added to a pre-scaled colour.
static u32 Keep16(u32 blend, u32 d)
{
    switch (blend & 3) {
    case 1: return Quarter16(d);
    case 2: return Half16(d);
    case 3: return Half16(d) + Quarter16(d);
    default: return 0;
    }
}

static u32 Keep8(u32 blend, u32 d)
{
    switch (blend & 3) {
    case 1: return Quarter8(d);
    case 2: return Half8(d);
    case 3: return Half8(d) + Quarter8(d);
    default: return 0;
    }
}

u32 ZKT_DbgBlend16(u32 blend, u32 c, u32 d)
{
    return Scale16(blend, c) + Keep16(blend, d);
}

u32 ZKT_DbgBlend8(u32 blend, u32 c, u32 d)
{
    return Scale8(blend, c) + Keep8(blend, d);
}

void ZKT_DbgDrawScr_Fill4bit(u8 value, u8 *pBegin, u8 *pEnd)
{
    if (pBegin < pEnd)
        std::memset(pBegin, value, (size_t)(pEnd - pBegin));
}

void ZKT_DbgDrawScr_Fill8bit(u16 value, u8 *pBegin, u8 *pEnd)
{
    for (u8 *p = pBegin; p + 2 <= pEnd; p += 2)
        std::memcpy(p, &value, 2);
}

void ZKT_DbgDrawScr_Fill16bit(u32 blend, u32 value, u8 *pBegin, u8 *pEnd)
{
    for (u8 *p = pBegin; p + 4 <= pEnd; p += 4) {
        u32 d = 0;
        if (blend & 3)
            std::memcpy(&d, p, 4);
        u32 v = value + Keep16(blend, d);
        std::memcpy(p, &v, 4);
    }
}

void ZKT_DbgDrawScr_Fill24bit(u32 blend, u16 h0, u16 h1, u16 h2, u8 *pBegin, u8 *pEnd)
{
    const u16 h[3] = {h0, h1, h2};
    for (u8 *p = pBegin; p + 6 <= pEnd; p += 6) {
        for (int k = 0; k < 3; k++) {
            u16 d = 0;
            if (blend & 3)
                std::memcpy(&d, p + 2 * k, 2);
            u16 v = (u16)(h[k] + Keep8(blend, d));
            std::memcpy(p + 2 * k, &v, 2);
        }
    }
}

// ---- Drawing ----

struct DbgTarget {
    u8 *pFrame;
    u32 ulWidth;
    u32 ulDepth;
    u32 ulBlend;
};

static void DbgPutPixel(const DbgTarget *t, u32 x, u32 y, u32 color)
{
    size_t p = (size_t)y * t->ulWidth + x;
    switch (t->ulDepth) {
    case 4: {
        u8 *b = t->pFrame + p / 2;
        *b = (p & 1) ? (u8)((*b & 0x0F) | (color << 4)) : (u8)((*b & 0xF0) | color);
        break;
    }
    case 8:
        t->pFrame[p] = (u8)(0xF0 + color);
        break;
    case 16: {
        u8 *b = t->pFrame + p * 2;
        u16 d;
        std::memcpy(&d, b, 2);
        u16 v = (u16)ZKT_DbgBlend16(t->ulBlend, g_ulZKT_DBG_COLOR_TABLE16[color], d);
        std::memcpy(b, &v, 2);
        break;
    }
    default: {
        u8 *b = t->pFrame + p * 3;
        u32 c = g_ulZKT_DBG_COLOR_TABLE32[color];
        u32 d = (u32)b[0] | ((u32)b[1] << 8) | ((u32)b[2] << 16);
        u32 v = ZKT_DbgBlend8(t->ulBlend, c, d);
        b[0] = (u8)v;
        b[1] = (u8)(v >> 8);
        b[2] = (u8)(v >> 16);
        break;
    }
    }
}

// One run of border pixels [x0, x1) on line y: whole two-pixel units go
// through the fills, a pixel left over at either end is set alone.
static void DbgBorderSpan(const DbgTarget *t, u32 x0, u32 x1, u32 y, u32 color)
{
    size_t first = (size_t)y * t->ulWidth + x0;
    size_t last = (size_t)y * t->ulWidth + x1;
    if (first >= last)
        return;
    if (first & 1) {
        DbgPutPixel(t, x0, y, color);
        first++;
        x0++;
    }
    if ((last - first) & 1) {
        DbgPutPixel(t, x1 - 1, y, color);
        last--;
    }
    if (first >= last)
        return;
    switch (t->ulDepth) {
    case 4:
        ZKT_DbgDrawScr_Fill4bit((u8)(color | (color << 4)), t->pFrame + first / 2, t->pFrame + last / 2);
        break;
    case 8:
        ZKT_DbgDrawScr_Fill8bit((u16)((0xF0 + color) * 0x0101u), t->pFrame + first, t->pFrame + last);
        break;
    case 16: {
        u32 c = g_ulZKT_DBG_COLOR_TABLE16[color];
        ZKT_DbgDrawScr_Fill16bit(t->ulBlend, Scale16(t->ulBlend, c | (c << 16)), t->pFrame + first * 2,
                                 t->pFrame + last * 2);
        break;
    }
    default: {
        u32 c = g_ulZKT_DBG_COLOR_TABLE32[color];
        u8 b = (u8)c, g = (u8)(c >> 8), r = (u8)(c >> 16);
        u32 s = t->ulBlend;
        ZKT_DbgDrawScr_Fill24bit(s, (u16)Scale8(s, b | (g << 8)), (u16)Scale8(s, r | (b << 8)),
                                 (u16)Scale8(s, g | (r << 8)), t->pFrame + first * 3, t->pFrame + last * 3);
        break;
    }
    }
}

void ZKT_DbgDrawScr(u32 mode, u32 offset)
{
    u32 *base = nullptr;
    u32 displayMode = 0, depth = 0, w = 0, h = 0;
    ZKT_GetVideoBasePtr(&base);
    ZKT_GetDisplayMode(&displayMode, &depth);
    ZKT_GetDisplaySize(&w, &h);
    if (!base || w == 0 || h == 0)
        return;
    if (depth != 4 && depth != 8 && depth != 16 && depth != 24)
        return;
    // The whole frame must lie in video memory, or nothing is drawn.
    unsigned long long frameBytes = ((unsigned long long)w * h * depth + 7) / 8;
    if (offset >= ZKT_VIDEO_MEM_SIZE || frameBytes > ZKT_VIDEO_MEM_SIZE - offset)
        return;

    DbgTarget t = {(u8 *)base + offset, w, depth, mode & 3};

    u32 cols = w / 8, scaleX = 1;
    if (cols > ZKT_DBG_COLS) {
        scaleX = w / 320;
        cols = ZKT_DBG_COLS;
    }
    u32 rows = h / 8, scaleY = 1;
    if (rows > ZKT_DBG_ROWS) {
        scaleY = rows / ZKT_DBG_ROWS;
        rows = ZKT_DBG_ROWS;
    }
    u32 textW = 8 * scaleX * cols, textH = 8 * scaleY * rows;
    u32 left = (w - textW) / 2;
    u32 top = ZKT_ModeIsLCD(displayMode) ? (h - textH) / 2 : (h - textH) / 4;

    u8 screenBg = g_ucZKT_DBG_SCREEN_COLOR & 15;
    if (mode < ZKT_DBG_MODE_SKIP_EMPTY) {
        u32 border = g_ucZKT_DBG_SCREEN_COLOR >> 4;
        for (u32 y = 0; y < h; y++) {
            if (y < top || y >= top + textH) {
                DbgBorderSpan(&t, 0, w, y, border);
            } else {
                DbgBorderSpan(&t, 0, left, y, border);
                DbgBorderSpan(&t, left + textW, w, y, border);
            }
        }
    }

    bool lettersOnly = mode >= ZKT_DBG_MODE_LETTERS_ONLY;
    for (u32 cy = 0; cy < rows; cy++) {
        for (u32 cx = 0; cx < cols; cx++) {
            u32 cell = cx + ZKT_DBG_COLS * cy;
            u32 ch = g_ucZKT_DBG_CHAR_SCREEN[cell];
            u32 fg, bg;
            if (ch == 0) {
                if (mode >= ZKT_DBG_MODE_SKIP_EMPTY)
                    continue;
                fg = bg = screenBg;
            } else {
                fg = g_ucZKT_DBG_CHARCOLOR_TABLE[cell] >> 4;
                bg = g_ucZKT_DBG_CHARCOLOR_TABLE[cell] & 15;
            }
            const u8 *glyph = g_uc_ZKT_DBG_CHARSET + ch * 8;
            u32 px0 = left + cx * 8 * scaleX, py0 = top + cy * 8 * scaleY;
            for (u32 gy = 0; gy < 8; gy++) {
                for (u32 sy = 0; sy < scaleY; sy++) {
                    u32 y = py0 + gy * scaleY + sy;
                    for (u32 gx = 0; gx < 8; gx++) {
                        bool on = (glyph[gy] >> (7 - gx)) & 1;
                        if (!on && lettersOnly)
                            continue;
                        for (u32 sx = 0; sx < scaleX; sx++)
                            DbgPutPixel(&t, px0 + gx * scaleX + sx, y, on ? fg : bg);
                    }
                }
            }
        }
    }
}

void ZKT_OUTPUT_DEBUG(u32 mode, u32 offset, const char *format, ...)
{
    if (format) {
        char text[ZKT_DBG_TEXT_MAX];
        va_list ap;
        va_start(ap, format);
        int n = std::vsnprintf(text, sizeof(text), format, ap);
        va_end(ap);
        // Printed as it is: a '%' in the result is not a format again.
        if (n > 0)
            DbgPutText(text);
    }
    ZKT_DbgDrawScr(mode, offset);
    ZKT_LowLevelAPI_SoftRender();
}
