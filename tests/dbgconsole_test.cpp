// Debug text console: printing, scrolling and the cursor rules, drawing at
// every depth with its layout, blends and skip modes, the fills, the font,
// and the bounds the console must never cross.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "debug/zkt_lowLevelDbg.h"
#include "lowlevel/desktop/zkt_lowLevelWin.h"

namespace {

void ResetConsole()
{
    std::memset(g_ucZKT_DBG_CHAR_SCREEN, 0, sizeof(g_ucZKT_DBG_CHAR_SCREEN));
    std::memset(g_ucZKT_DBG_CHARCOLOR_TABLE, 0, sizeof(g_ucZKT_DBG_CHARCOLOR_TABLE));
    g_nZKT_DBG_CURPOS = 0;
    g_ucZKT_DBG_TEXT_COLOR = 0xE6;
    g_ucZKT_DBG_SCREEN_COLOR = 0xE6;
}

void PrintRepeated(char c, int n)
{
    while (n > 0) {
        int k = n > 100 ? 100 : n;
        ZKT_DbgPrint("%s", std::string(k, c).c_str());
        n -= k;
    }
}

class DbgText : public ::testing::Test {
protected:
    void SetUp() override { ResetConsole(); }
};

TEST_F(DbgText, FillsThenScrollsOnce)
{
    for (int row = 0; row < 25; row++)
        PrintRepeated((char)('A' + row), 40);
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 1000);
    EXPECT_EQ(g_ucZKT_DBG_CHAR_SCREEN[0], 'A');
    EXPECT_EQ(g_ucZKT_DBG_CHAR_SCREEN[999], 'Y');
    g_ucZKT_DBG_SCREEN_COLOR = 0x73; // background nibble 3 for the new row
    ZKT_DbgPrint("z");
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 961);
    EXPECT_EQ(g_ucZKT_DBG_CHAR_SCREEN[0], 'B');
    EXPECT_EQ(g_ucZKT_DBG_CHAR_SCREEN[959], 'Y');
    EXPECT_EQ(g_ucZKT_DBG_CHAR_SCREEN[960], 'z');
    EXPECT_EQ(g_ucZKT_DBG_CHARCOLOR_TABLE[960], 0xE6);
    EXPECT_EQ(g_ucZKT_DBG_CHAR_SCREEN[961], 0);
    EXPECT_EQ(g_ucZKT_DBG_CHARCOLOR_TABLE[961], 0xE3);
    EXPECT_EQ(g_ucZKT_DBG_CHARCOLOR_TABLE[999], 0xE3);
    // The spare cells past the screen are never written.
    for (int i = 1000; i < 1024; i++) {
        ASSERT_EQ(g_ucZKT_DBG_CHAR_SCREEN[i], 0);
        ASSERT_EQ(g_ucZKT_DBG_CHARCOLOR_TABLE[i], 0);
    }
}

TEST_F(DbgText, TabNewlineAndControlBytes)
{
    g_nZKT_DBG_CURPOS = 10;
    ZKT_DbgPrint("\t");
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 15);
    g_nZKT_DBG_CURPOS = 12;
    ZKT_DbgPrint("\t");
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 15);
    ZKT_DbgPrint("\t");
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 20);
    g_nZKT_DBG_CURPOS = 39;
    ZKT_DbgPrint("\n");
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 40);
    ZKT_DbgPrint("\n");
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 80);
    // "\r" is stored like any other byte; tab and newline store nothing.
    ZKT_DbgPrint("\r");
    EXPECT_EQ(g_ucZKT_DBG_CHAR_SCREEN[80], '\r');
    EXPECT_EQ(g_ucZKT_DBG_CHAR_SCREEN[39], 0);
    // A newline on the last row goes to 1000; the next byte scrolls.
    g_nZKT_DBG_CURPOS = 985;
    ZKT_DbgPrint("\nX");
    EXPECT_EQ(g_ucZKT_DBG_CHAR_SCREEN[960], 'X');
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 961);
}

TEST_F(DbgText, ColoursAndClear)
{
    ZKT_DbgColor(12, 0);
    EXPECT_EQ(g_ucZKT_DBG_TEXT_COLOR, 0xC0);
    ZKT_DbgPrint("hi");
    ZKT_DbgClrScr(0, 0);
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 0);
    EXPECT_EQ(g_ucZKT_DBG_SCREEN_COLOR, 0x00);
    for (int i = 0; i < 1000; i++) {
        ASSERT_EQ(g_ucZKT_DBG_CHAR_SCREEN[i], 0);
        ASSERT_EQ(g_ucZKT_DBG_CHARCOLOR_TABLE[i], 0xC0);
    }
    ZKT_DbgClrScr(14, 6);
    EXPECT_EQ(g_ucZKT_DBG_SCREEN_COLOR, 0xE6);
    EXPECT_EQ(g_ucZKT_DBG_CHARCOLOR_TABLE[500], 0xC6);
    ZKT_DbgColor(1, 2);
    ZKT_DbgPrint("q");
    EXPECT_EQ(g_ucZKT_DBG_CHARCOLOR_TABLE[0], 0x12);
    // Indexes above 15 cannot spill into the other nibble.
    ZKT_DbgColor(0x1F, 0x13);
    EXPECT_EQ(g_ucZKT_DBG_TEXT_COLOR, 0xF3);
}

TEST_F(DbgText, FormattingCutAndEmpty)
{
    ZKT_DbgPrint("%d%%%s", 42, "%d");
    EXPECT_EQ(std::string((const char *)g_ucZKT_DBG_CHAR_SCREEN, 5), "42%%d");
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 5);
    ZKT_DbgPrint("%s", "");
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 5);
    ZKT_DbgPrint(nullptr);
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 5);
    // 300 characters formatted: only the first 159 arrive.
    ResetConsole();
    ZKT_DbgPrint("%s", std::string(300, 'k').c_str());
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 159);
    EXPECT_EQ(g_ucZKT_DBG_CHAR_SCREEN[158], 'k');
    EXPECT_EQ(g_ucZKT_DBG_CHAR_SCREEN[159], 0);
}

TEST_F(DbgText, CursorHeldToTheScreen)
{
    ZKT_DbgGotoXY(3, 2);
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 83);
    ZKT_DbgGotoXY(-5, 0);
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 0);
    ZKT_DbgGotoXY(0, -1);
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 0);
    ZKT_DbgGotoXY(INT_MAX, INT_MAX);
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 1000);
    ZKT_DbgGotoXY(INT_MIN, 0);
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 0);
    ZKT_DbgGotoXY(INT_MIN, INT_MAX);  // x + 40 y computed without overflow
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 1000);
    ZKT_DbgGotoXY(0, 30);
    ZKT_DbgPrint("end");
    EXPECT_EQ(g_ucZKT_DBG_CHAR_SCREEN[960], 'e');
    EXPECT_EQ(g_nZKT_DBG_CURPOS, 963);
    // The cursor global itself set out of range by hand.
    g_nZKT_DBG_CURPOS = -70000;
    ZKT_DbgPrint("a");
    EXPECT_EQ(g_ucZKT_DBG_CHAR_SCREEN[0], 'a');
    g_nZKT_DBG_CURPOS = 5000;
    ZKT_DbgPrint("b");
    EXPECT_EQ(g_ucZKT_DBG_CHAR_SCREEN[960], 'b');
    for (int i = 1000; i < 1024; i++)
        ASSERT_EQ(g_ucZKT_DBG_CHAR_SCREEN[i], 0);
}

// ---- Drawing ----

class DbgDraw : public ::testing::Test {
protected:
    u32 m_saved[5];
    void SetUp() override
    {
        if (!g_GP2X_VIDEO_BASE_PTR)
            g_GP2X_VIDEO_BASE_PTR = (u8 *)std::malloc(ZKT_VIDEO_MEM_SIZE);
        std::memset(g_GP2X_VIDEO_BASE_PTR, 0x5A, ZKT_VIDEO_MEM_SIZE);
        m_saved[0] = g_ulDISPLAY_MODE;
        m_saved[1] = (u32)g_nColorBitDepth;
        m_saved[2] = (u32)g_nScreenSizeX;
        m_saved[3] = (u32)g_nScreenSizeY;
        ResetConsole();
    }
    void TearDown() override
    {
        g_ulDISPLAY_MODE = m_saved[0];
        g_nColorBitDepth = (s32)m_saved[1];
        g_nScreenSizeX = (s32)m_saved[2];
        g_nScreenSizeY = (s32)m_saved[3];
    }
    void Display(u32 mode, s32 depth, s32 w, s32 h)
    {
        g_ulDISPLAY_MODE = mode;
        g_nColorBitDepth = depth;
        g_nScreenSizeX = w;
        g_nScreenSizeY = h;
    }
    u16 Px16(u32 offset, u32 x, u32 y)
    {
        u16 v;
        std::memcpy(&v, g_GP2X_VIDEO_BASE_PTR + offset + 2 * ((size_t)y * g_nScreenSizeX + x), 2);
        return v;
    }
    u32 Px24(u32 offset, u32 x, u32 y)
    {
        const u8 *p = g_GP2X_VIDEO_BASE_PTR + offset + 3 * ((size_t)y * g_nScreenSizeX + x);
        return p[0] | (p[1] << 8) | (p[2] << 16);
    }
};

TEST_F(DbgDraw, LcdLayoutAt16Bits)
{
    Display(0, 16, 320, 240);
    g_ucZKT_DBG_CHAR_SCREEN[0] = 0xDB; // full block
    g_ucZKT_DBG_CHARCOLOR_TABLE[0] = 0x12;
    g_ucZKT_DBG_CHAR_SCREEN[999] = 0xDB;
    g_ucZKT_DBG_CHARCOLOR_TABLE[999] = 0x52;
    ZKT_DbgDrawScr(0, 0x1000);
    const u16 *t = g_ulZKT_DBG_COLOR_TABLE16;
    // 320 x 200 of text, 20 lines down, no side margins.
    EXPECT_EQ(Px16(0x1000, 0, 0), t[14]);
    EXPECT_EQ(Px16(0x1000, 319, 19), t[14]);
    EXPECT_EQ(Px16(0x1000, 0, 20), t[1]);
    EXPECT_EQ(Px16(0x1000, 7, 27), t[1]);
    EXPECT_EQ(Px16(0x1000, 8, 20), t[6]); // empty cell: screen background
    EXPECT_EQ(Px16(0x1000, 319, 219), t[5]);
    EXPECT_EQ(Px16(0x1000, 312, 212), t[5]);
    EXPECT_EQ(Px16(0x1000, 0, 220), t[14]);
    EXPECT_EQ(Px16(0x1000, 319, 239), t[14]);
    // Nothing before or after the frame.
    EXPECT_EQ(g_GP2X_VIDEO_BASE_PTR[0x0FFF], 0x5A);
    EXPECT_EQ(g_GP2X_VIDEO_BASE_PTR[0x1000 + 320 * 240 * 2], 0x5A);
}

TEST_F(DbgDraw, TelevisionLayoutScalesTwice)
{
    Display(6, 16, 720, 480);
    g_ucZKT_DBG_CHAR_SCREEN[0] = 0xDB;
    g_ucZKT_DBG_CHARCOLOR_TABLE[0] = 0x12;
    g_ucZKT_DBG_CHAR_SCREEN[39] = 0xDB;
    g_ucZKT_DBG_CHARCOLOR_TABLE[39] = 0x72;
    ZKT_DbgDrawScr(0, 0);
    const u16 *t = g_ulZKT_DBG_COLOR_TABLE16;
    // 640 x 400 at scale 2: margins 40 left and (480 - 400) / 4 = 20 top.
    EXPECT_EQ(Px16(0, 39, 20), t[14]);
    EXPECT_EQ(Px16(0, 40, 19), t[14]);
    EXPECT_EQ(Px16(0, 40, 20), t[1]);
    EXPECT_EQ(Px16(0, 55, 35), t[1]);
    EXPECT_EQ(Px16(0, 56, 20), t[6]);
    EXPECT_EQ(Px16(0, 40, 36), t[6]);
    EXPECT_EQ(Px16(0, 679, 20), t[7]);
    EXPECT_EQ(Px16(0, 664, 20), t[7]);
    EXPECT_EQ(Px16(0, 680, 20), t[14]);
    EXPECT_EQ(Px16(0, 40, 419), t[6]);
    EXPECT_EQ(Px16(0, 40, 420), t[14]); // the bottom band is the rest, 60 lines
    EXPECT_EQ(Px16(0, 719, 479), t[14]);
}

TEST_F(DbgDraw, PalettedDepths)
{
    Display(0, 8, 320, 240);
    g_ucZKT_DBG_CHAR_SCREEN[0] = 0xDB;
    g_ucZKT_DBG_CHARCOLOR_TABLE[0] = 0x3A;
    ZKT_DbgDrawScr(0, 0);
    const u8 *fb = g_GP2X_VIDEO_BASE_PTR;
    EXPECT_EQ(fb[0], 0xF0 + 14);
    EXPECT_EQ(fb[20 * 320], 0xF3);
    EXPECT_EQ(fb[20 * 320 + 8], 0xF6);
    for (u32 i = 0; i < 320 * 240; i++)
        ASSERT_GE(fb[i], 240); // only palette entries 240..255
    EXPECT_EQ(fb[320 * 240], 0x5A);

    // 4 bits: even pixels in the low nibble.
    std::memset(g_GP2X_VIDEO_BASE_PTR, 0x5A, 320 * 240);
    Display(0, 4, 320, 240);
    g_ucZKT_DBG_CHAR_SCREEN[0] = 'I'; // row 0 ".####..."
    g_ucZKT_DBG_CHARCOLOR_TABLE[0] = 0x3A;
    ZKT_DbgDrawScr(0, 0);
    EXPECT_EQ(fb[0], 0xEE);
    const u8 *row = fb + 20 * 160;
    EXPECT_EQ(row[0], 0x3A); // x0 background (low), x1 ink (high)
    EXPECT_EQ(row[1], 0x33);
    EXPECT_EQ(row[2], 0xA3);
    EXPECT_EQ(row[3], 0xAA);
    EXPECT_EQ(row[4], 0x66); // next cell is empty
    EXPECT_EQ(fb[320 * 240 / 2], 0x5A);
}

TEST_F(DbgDraw, TrueColourBytesBlueFirst)
{
    Display(0, 24, 320, 240);
    g_ucZKT_DBG_CHAR_SCREEN[0] = 0xDB;
    g_ucZKT_DBG_CHARCOLOR_TABLE[0] = 0x80;
    ZKT_DbgDrawScr(0, 0);
    EXPECT_EQ(Px24(0, 0, 20), 0xDD8855u);
    EXPECT_EQ(g_GP2X_VIDEO_BASE_PTR[3 * 20 * 320], 0x55); // blue first
    EXPECT_EQ(Px24(0, 0, 0), 0x0088FFu);
    EXPECT_EQ(Px24(0, 319, 239), 0x0088FFu);
    EXPECT_EQ(Px24(0, 8, 20), 0x0000AAu);
    EXPECT_EQ(g_GP2X_VIDEO_BASE_PTR[3 * 320 * 240], 0x5A);
}

TEST_F(DbgDraw, BlendModes)
{
    EXPECT_EQ(ZKT_DbgBlend16(0, 0xFFFF, 0x1234), 0xFFFFu);
    EXPECT_EQ(ZKT_DbgBlend16(1, 0xFFFF, 0), 0xB5D6u);
    EXPECT_EQ(ZKT_DbgBlend16(2, 0xFFFF, 0), 0x7BEFu);
    EXPECT_EQ(ZKT_DbgBlend16(3, 0xFFFF, 0), 0x39E7u);
    EXPECT_EQ(ZKT_DbgBlend16(2, 0, 0xFFFF), 0x7BEFu);
    EXPECT_EQ(ZKT_DbgBlend16(3, 0, 0xFFFF), 0xB5D6u);
    // The masks keep each field apart: no carry from green into red.
    EXPECT_EQ(ZKT_DbgBlend16(2, 0x07E0, 0x07E0), 0x07C0u);
    EXPECT_EQ(ZKT_DbgBlend8(2, 0xFF00FF, 0x00FF00), 0x7F7F7Fu);
    EXPECT_EQ(ZKT_DbgBlend8(1, 0xFF, 0), 0xBEu);

    // Drawn: mode 2 over a 16-bit frame of 0xFFFF.
    Display(0, 16, 320, 240);
    std::memset(g_GP2X_VIDEO_BASE_PTR, 0xFF, 320 * 240 * 2);
    ZKT_DbgDrawScr(2, 0);
    u16 c = g_ulZKT_DBG_COLOR_TABLE16[14];
    EXPECT_EQ(Px16(0, 0, 0), ((c >> 1) & 0x7BEF) + 0x7BEF);
    EXPECT_EQ(Px16(0, 5, 0), Px16(0, 6, 0)); // the fill and odd pixels agree
    // 24 bits, mode 3: a quarter of the colour, three quarters of the old.
    Display(0, 24, 320, 240);
    std::memset(g_GP2X_VIDEO_BASE_PTR, 0x80, 320 * 240 * 3);
    ZKT_DbgDrawScr(3, 0);
    u32 c32 = g_ulZKT_DBG_COLOR_TABLE32[14];
    EXPECT_EQ(Px24(0, 0, 0), ZKT_DbgBlend8(3, c32, 0x808080));
    EXPECT_EQ(Px24(0, 1, 0), ZKT_DbgBlend8(3, c32, 0x808080));
}

TEST_F(DbgDraw, SkipModes)
{
    Display(0, 16, 320, 240);
    ZKT_DbgColor(1, 2);
    ZKT_DbgPrint("Hi");
    std::vector<u8> before(g_GP2X_VIDEO_BASE_PTR, g_GP2X_VIDEO_BASE_PTR + 320 * 240 * 2);

    // Mode 8: only the letters' ink, nothing else.
    ZKT_DbgDrawScr(8, 0);
    int changed = 0;
    for (u32 y = 0; y < 240; y++)
        for (u32 x = 0; x < 320; x++) {
            u16 v = Px16(0, x, y);
            u16 old;
            std::memcpy(&old, &before[2 * (y * 320 + x)], 2);
            if (v == old)
                continue;
            changed++;
            ASSERT_EQ(v, g_ulZKT_DBG_COLOR_TABLE16[1]);
            ASSERT_TRUE(y >= 20 && y < 28 && x < 16);
            u8 bits = g_uc_ZKT_DBG_CHARSET[g_ucZKT_DBG_CHAR_SCREEN[x / 8] * 8 + (y - 20)];
            ASSERT_TRUE((bits >> (7 - x % 8)) & 1);
        }
    int ink = 0;
    for (int r = 0; r < 8; r++)
        ink += __builtin_popcount(g_uc_ZKT_DBG_CHARSET['H' * 8 + r]) +
               __builtin_popcount(g_uc_ZKT_DBG_CHARSET['i' * 8 + r]);
    EXPECT_EQ(changed, ink);

    // Mode 4: the two cells whole, border and empty cells untouched.
    std::memcpy(g_GP2X_VIDEO_BASE_PTR, before.data(), before.size());
    ZKT_DbgDrawScr(4, 0);
    EXPECT_EQ(Px16(0, 0, 0), 0x5A5A);
    EXPECT_EQ(Px16(0, 16, 20), 0x5A5A);
    EXPECT_EQ(Px16(0, 7, 27), g_ulZKT_DBG_COLOR_TABLE16[2]); // glyph background drawn

    // Mode 0 covers the whole frame.
    std::memcpy(g_GP2X_VIDEO_BASE_PTR, before.data(), before.size());
    ZKT_DbgDrawScr(0, 0);
    for (u32 i = 0; i < 320 * 240; i++) {
        u16 v;
        std::memcpy(&v, g_GP2X_VIDEO_BASE_PTR + 2 * i, 2);
        ASSERT_NE(v, 0x5A5A) << i;
    }
}

TEST_F(DbgDraw, StaysInsideVideoMemory)
{
    u8 *mem = g_GP2X_VIDEO_BASE_PTR;
    // A frame that would end past video memory is not drawn at all.
    Display(0, 24, 320, 240);
    u32 frame = 320 * 240 * 3;
    ZKT_DbgDrawScr(0, ZKT_VIDEO_MEM_SIZE - frame + 1);
    ZKT_DbgDrawScr(0, 0xFFFFFFF0u);
    for (u32 i = ZKT_VIDEO_MEM_SIZE - frame; i < ZKT_VIDEO_MEM_SIZE; i++)
        ASSERT_EQ(mem[i], 0x5A);
    // One that ends exactly at the end is.
    ZKT_DbgDrawScr(0, ZKT_VIDEO_MEM_SIZE - frame);
    EXPECT_EQ(Px24(ZKT_VIDEO_MEM_SIZE - frame, 319, 239), 0x0088FFu);
    // Depths the console does not draw leave memory alone.
    Display(0, 32, 320, 240);
    ZKT_DbgDrawScr(0, 0);
    EXPECT_EQ(mem[0], 0x5A);
    // Tiny and odd-sized displays: only whole cells, inside the frame.
    Display(4, 16, 80, 60);
    std::memset(g_ucZKT_DBG_CHAR_SCREEN, 0xDB, 1000);
    std::memset(g_ucZKT_DBG_CHARCOLOR_TABLE, 0x11, 1000);
    ZKT_DbgDrawScr(0, 0);
    EXPECT_EQ(Px16(0, 79, 57), g_ulZKT_DBG_COLOR_TABLE16[1]);
    EXPECT_EQ(Px16(0, 0, 59), g_ulZKT_DBG_COLOR_TABLE16[14]); // 7 rows, margins 2
    EXPECT_EQ(mem[80 * 60 * 2], 0x5A);
    std::memset(mem, 0x5A, 80 * 60 * 2 + 1);
    Display(0, 4, 77, 33);
    ZKT_DbgDrawScr(0, 0);
    EXPECT_EQ(mem[(77 * 33 + 1) / 2], 0x5A);
    std::memset(mem, 0x5A, 80 * 60 * 2 + 1);
    Display(0, 24, 0, 240);
    ZKT_DbgDrawScr(0, 0x100);
    EXPECT_EQ(mem[0x100], 0x5A);
}

TEST_F(DbgDraw, FillsWorkInWholeUnits)
{
    u8 buf[16];
    std::memset(buf, 0, sizeof(buf));
    ZKT_DbgDrawScr_Fill4bit(0x37, buf, buf + 3);
    EXPECT_EQ(buf[2], 0x37);
    EXPECT_EQ(buf[3], 0);
    std::memset(buf, 0, sizeof(buf));
    ZKT_DbgDrawScr_Fill8bit(0xF1F2, buf, buf + 5); // two whole units
    EXPECT_EQ(buf[0], 0xF2);
    EXPECT_EQ(buf[3], 0xF1);
    EXPECT_EQ(buf[4], 0);
    std::memset(buf, 0xFF, sizeof(buf));
    ZKT_DbgDrawScr_Fill16bit(2, 0x10001000u, buf + 1, buf + 10); // misaligned, 2 units
    u32 v;
    std::memcpy(&v, buf + 1, 4);
    EXPECT_EQ(v, 0x10001000u + 0x7BEF7BEFu);
    EXPECT_EQ(buf[9], 0xFF);
    std::memset(buf, 0x80, sizeof(buf));
    ZKT_DbgDrawScr_Fill24bit(1, 0x0101, 0x0202, 0x0303, buf, buf + 6);
    EXPECT_EQ(buf[0], 0x01 + 0x20);
    EXPECT_EQ(buf[5], 0x03 + 0x20);
    EXPECT_EQ(buf[6], 0x80);
    ZKT_DbgDrawScr_Fill24bit(0, 1, 2, 3, buf + 6, buf + 6); // empty range
    EXPECT_EQ(buf[6], 0x80);
}

TEST_F(DbgDraw, OutputDebugPrintsAndDraws)
{
    Display(0, 16, 320, 240);
    ZKT_OUTPUT_DEBUG(0, 0, "x=%d", 7);
    EXPECT_EQ(std::string((const char *)g_ucZKT_DBG_CHAR_SCREEN, 3), "x=7");
    EXPECT_EQ(Px16(0, 0, 0), g_ulZKT_DBG_COLOR_TABLE16[14]);
}

TEST(DbgFont, CodePageLayout)
{
    auto blank = [](int c) {
        for (int r = 0; r < 8; r++)
            if (g_uc_ZKT_DBG_CHARSET[c * 8 + r])
                return false;
        return true;
    };
    for (int c : {0, 7, 8, 9, 10, 13, 32, 255})
        EXPECT_TRUE(blank(c)) << c;
    for (int c = 0x21; c <= 0x7E; c++)
        EXPECT_FALSE(blank(c)) << c;
    EXPECT_FALSE(blank(1));
    EXPECT_FALSE(blank(0x7F));
    for (int r = 0; r < 8; r++)
        EXPECT_EQ(g_uc_ZKT_DBG_CHARSET[0xDB * 8 + r], 0xFF);
    // Distinct shapes for every printable character.
    for (int a = 0x21; a <= 0x7E; a++)
        for (int b = a + 1; b <= 0x7E; b++)
            EXPECT_NE(std::memcmp(g_uc_ZKT_DBG_CHARSET + a * 8, g_uc_ZKT_DBG_CHARSET + b * 8, 8), 0)
                << (char)a << " " << (char)b;
}

TEST(DbgFont, ColourTablesAgree)
{
    for (int i = 0; i < 16; i++) {
        u32 c = g_ulZKT_DBG_COLOR_TABLE32[i];
        u16 n = (u16)(((c >> 8) & 0xF800) | ((c >> 5) & 0x07E0) | ((c >> 3) & 0x001F));
        EXPECT_EQ(g_ulZKT_DBG_COLOR_TABLE16[i], n) << i;
    }
}

// Renders a sample screen to dbgconsole.ppm in the build folder (the
// picture under docs/ is made from it).
TEST_F(DbgDraw, RenderSample)
{
    Display(0, 24, 320, 240);
    ZKT_DbgClrScr(ZKT_DBG_LIGHTBLUE, ZKT_DBG_BLUE);
    ZKT_DbgColor(ZKT_DBG_LIGHTBLUE, ZKT_DBG_BLUE);
    ZKT_DbgPrint("\n    **** VORN DEBUG CONSOLE ****\n\n");
    ZKT_DbgColor(ZKT_DBG_WHITE, ZKT_DBG_BLUE);
    ZKT_DbgPrint(" 40 x 25 cells, 16 colours, 8 x 8 font\n\n");
    for (int c = 0; c < 16; c++) {
        ZKT_DbgColor((u32)c, c == 0 ? ZKT_DBG_LIGHTGREY : ZKT_DBG_BLACK);
        ZKT_DbgPrint("%X", c);
    }
    ZKT_DbgColor(ZKT_DBG_YELLOW, ZKT_DBG_BLUE);
    ZKT_DbgPrint("\n\n");
    for (int c = 0x20; c < 0x80; c++) {
        ZKT_DbgPrint("%c", c);
        if ((c & 31) == 31)
            ZKT_DbgPrint("\n");
    }
    ZKT_DbgColor(ZKT_DBG_LIGHTGREEN, ZKT_DBG_BLUE);
    ZKT_DbgPrint("\n\x01\x02\x03\x04\x05\x06 \x10\x11\x18\x19\x1a\x1b\x1e\x1f \xb0\xb1\xb2\xdb\xdc\xdd\xde\xdf");
    ZKT_DbgPrint(" \xf8\xfa\xfe\n\n");
    ZKT_DbgColor(ZKT_DBG_CYAN, ZKT_DBG_BLUE);
    ZKT_DbgPrint("\xda\xc4\xc4\xc2\xc4\xc4\xbf  \xc9\xcd\xcd\xcd\xbb\n\xb3ok\xb3hi\xb3  \xba   \xba\n");
    ZKT_DbgPrint("\xc3\xc4\xc4\xc5\xc4\xc4\xb4  \xba   \xba\n\xc0\xc4\xc4\xc1\xc4\xc4\xd9  \xc8\xcd\xcd\xcd\xbc\n\n");
    ZKT_DbgColor(ZKT_DBG_WHITE, ZKT_DBG_RED);
    ZKT_DbgPrint(" READY. ");
    ZKT_DbgColor(ZKT_DBG_YELLOW, ZKT_DBG_BLUE);
    ZKT_DbgPrint("\t\xdb");
    ZKT_DbgDrawScr(0, 0);
    std::string path = std::string(VORN_BINARY_DIR) + "/dbgconsole.ppm";
    FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fprintf(f, "P6\n320 240\n255\n");
    for (u32 i = 0; i < 320 * 240; i++) {
        const u8 *p = g_GP2X_VIDEO_BASE_PTR + 3 * i;
        u8 rgb[3] = {p[2], p[1], p[0]};
        std::fwrite(rgb, 1, 3, f);
    }
    std::fclose(f);
}

} // namespace
