// OSD and SPU: plane and palette setters, and the bytes the record writers
// put into video memory (a test-owned 8 MiB block).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "lowlevel/desktop/zkt_lowLevelWin.h"

namespace {

// Filled when a test of this file sets up, not at every start of the merged
// test program.
std::vector<u8> s_mem;

class Streams : public ::testing::Test {
protected:
    void SetUp() override
    {
        s_mem.assign(ZKT_VIDEO_MEM_SIZE, 0xEE);
        g_GP2X_VIDEO_BASE_PTR = s_mem.data();
        g_ulDISPLAY_MODE = 0;
    }
    void TearDown() override { g_GP2X_VIDEO_BASE_PTR = nullptr; }

    static u32 LE(u32 off)
    {
        const u8 *p = &s_mem[off];
        return p[0] | (p[1] << 8) | (p[2] << 16) | ((u32)p[3] << 24);
    }
    static u32 BE(u32 off)
    {
        const u8 *p = &s_mem[off];
        return ((u32)p[0] << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
    }
    static bool Untouched(u32 off, u32 n)
    {
        for (u32 i = 0; i < n; i++)
            if (s_mem[off + i] != 0xEE)
                return false;
        return true;
    }
};

TEST_F(Streams, OSDPlaneAndPalette)
{
    ZKT_SetOSDPlane(0x11, 0x170000, 0x180000);
    EXPECT_EQ(g_bOSDLayerEnable, 0x11u);
    EXPECT_EQ(g_ulOSDHeaderEvenField, 0x170000u);
    EXPECT_EQ(g_ulOSDHeaderOddField, 0x180000u);

    std::memset(g_ulOSDPalette, 0, sizeof(g_ulOSDPalette));
    const u32 pal[2] = {0xF0801080u, 0x12345678u};
    EXPECT_EQ(ZKT_SetOSDPalette(254, pal, 2), 0u);
    EXPECT_EQ(g_ulOSDPalette[253], 0u);
    EXPECT_EQ(g_ulOSDPalette[254], 0xF0801080u);
    EXPECT_EQ(g_ulOSDPalette[255], 0x12345678u);
    // Past the end: the first entries that fit are written, then it stops.
    EXPECT_EQ(ZKT_SetOSDPalette(255, pal, 2), (u32)ZKT_ERR_INVALID_ARG);
    EXPECT_EQ(g_ulOSDPalette[255], 0xF0801080u);
}

TEST_F(Streams, OSDHeaderExamples)
{
    EXPECT_EQ(ZKT_WriteOSDHeader(0x170000, 0xFFFFFFFF, 0, 0, 319, 240, 8, 0, 0, 0, 0, 0), 0u);
    EXPECT_EQ(LE(0x170000), 0xFFFFFFFFu);
    EXPECT_EQ(LE(0x170004), 0xA00000F0u);
    EXPECT_EQ(LE(0x170008), 0x0000013Fu);
    EXPECT_TRUE(Untouched(0x17000C, 4));
    EXPECT_TRUE(Untouched(0x16FFFC, 4));
    // Little-endian in memory: the low byte first.
    EXPECT_EQ(s_mem[0x170004], 0xF0);
    EXPECT_EQ(s_mem[0x170007], 0xA0);

    ZKT_WriteOSDHeader(0x170000, 0xFFFFFFFF, 0, 0, 319, 240, 4, 1, 1, 0, 9, 0);
    EXPECT_EQ(LE(0x170004), 0xD64000F0u);
}

TEST_F(Streams, OSDHeaderEveryField)
{
    // Distinct values in every field; each one decoded from its own bits.
    ZKT_WriteOSDHeader(0x200003, 0x123458, 0x2A5, 0x1B3, 0x5C1, 0x6D2, 8, 1, 1, 1, 0xB, 0x96);
    u32 w0 = LE(0x200000), w1 = LE(0x200004), w2 = LE(0x200008);
    EXPECT_EQ(w0, 0x123458u);
    EXPECT_EQ(w1 & 0x7FF, 0x6D2u);
    EXPECT_EQ((w1 >> 11) & 0x3FF, 0x1B3u);
    EXPECT_EQ((w1 >> 21) & 1, 0u);
    EXPECT_EQ((w1 >> 22) & 15, 0xBu);
    EXPECT_EQ((w1 >> 26) & 1, 1u);
    EXPECT_EQ((w1 >> 27) & 1, 0u);
    EXPECT_EQ((w1 >> 28) & 3, 2u);
    EXPECT_EQ((w1 >> 30) & 1, 1u);
    EXPECT_EQ(w1 >> 31, 0u); // next header inside video memory
    EXPECT_EQ(w2 & 0x7FF, 0x5C1u);
    EXPECT_EQ((w2 >> 11) & 0x3FF, 0x2A5u);
    EXPECT_EQ((w2 >> 21) & 1, 0u);
    EXPECT_EQ((w2 >> 22) & 0xFF, 0x96u);
    EXPECT_EQ((w2 >> 30) & 1, 1u);
    EXPECT_EQ(w2 >> 31, 0u);
}

TEST_F(Streams, OSDHeaderEachFlagItsOwnBit)
{
    auto word1 = [](u16 bpp, u32 rl, u32 alphaOn, u16 alpha, u32 next) {
        ZKT_WriteOSDHeader(0x1000, next, 0, 0, 0, 0, bpp, rl, alphaOn, 0, alpha, 0);
        return LE(0x1004);
    };
    auto word2 = [](u32 keyOn, u8 key) {
        ZKT_WriteOSDHeader(0x1000, 0, 0, 0, 0, 0, 2, 0, 0, keyOn, 0, key);
        return LE(0x1008);
    };
    u32 base = word1(2, 0, 0, 0, 0);
    EXPECT_EQ(base, 0u);
    EXPECT_EQ(word1(4, 0, 0, 0, 0), 1u << 28);
    EXPECT_EQ(word1(8, 0, 0, 0, 0), 2u << 28);
    EXPECT_EQ(word1(16, 0, 0, 0, 0), 0u); // any other depth codes as 2 bits
    EXPECT_EQ(word1(2, 7, 0, 0, 0), 1u << 30);
    EXPECT_EQ(word1(2, 0, 7, 0, 0), 1u << 26);
    EXPECT_EQ(word1(2, 0, 0, 0x1F, 0), 15u << 22); // alpha masked to 4 bits
    // The last-area bit follows the next offset: 0x800000 and above is
    // outside video memory.
    EXPECT_EQ(word1(2, 0, 0, 0, 0x7FFFFC), 0u);
    EXPECT_EQ(word1(2, 0, 0, 0, 0x800000), 1u << 31);
    EXPECT_EQ(word2(0, 0), 0u);
    EXPECT_EQ(word2(5, 0), 1u << 30);
    EXPECT_EQ(word2(0, 0xFF), 0xFFu << 22);

    // Lines and columns are masked to their widths and cannot spill into
    // the neighbouring field.
    ZKT_WriteOSDHeader(0x1000, 0, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 2, 0, 0, 0, 0, 0);
    EXPECT_EQ(LE(0x1004), 0x001FFFFFu);
    EXPECT_EQ(LE(0x1008), 0x001FFFFFu);
}

TEST_F(Streams, OSDHeaderStaysInsideVideoMemory)
{
    // The last 12 bytes take a header; one word further does not fit.
    EXPECT_EQ(ZKT_WriteOSDHeader(0x7FFFF6, 0xFFFFFFFF, 0, 0, 1, 1, 8, 0, 0, 0, 0, 0), 0u);
    EXPECT_EQ(LE(0x7FFFF4), 0xFFFFFFFFu);
    SetUp();
    EXPECT_EQ(ZKT_WriteOSDHeader(0x7FFFF8, 0xFFFFFFFF, 0, 0, 1, 1, 8, 0, 0, 0, 0, 0), (u32)ZKT_ERR_INVALID_ARG);
    EXPECT_EQ(ZKT_WriteOSDHeader(0xFFFFFFFC, 0xFFFFFFFF, 0, 0, 1, 1, 8, 0, 0, 0, 0, 0), (u32)ZKT_ERR_INVALID_ARG);
    EXPECT_TRUE(Untouched(0x7FFFF0, 16));
    // No video memory at all: nothing is written.
    g_GP2X_VIDEO_BASE_PTR = nullptr;
    EXPECT_EQ(ZKT_WriteOSDHeader(0, 0, 0, 0, 1, 1, 8, 0, 0, 0, 0, 0), (u32)ZKT_ERR_INVALID_ARG);
}

TEST_F(Streams, SPUPlaneAndColour)
{
    ZKT_SetSPUPlane(0x51, 0x52, 0x53, 0x1A0000, 0x1B0000);
    EXPECT_EQ(g_bSPULayerEnable, 0x51u);
    EXPECT_EQ(g_bSPUonTopOfOSDLayer, 0x52u);
    EXPECT_EQ(g_bSPUHighlight, 0x53u);
    EXPECT_EQ(g_ulSPUBaseCmdMemOffset, 0x1A0000u);
    EXPECT_EQ(g_ulSPUHighlightInfoMemOffset, 0x1B0000u);

    for (u32 i = 0; i < 16; i++)
        g_ulSPUColorPalette[i] = i;
    EXPECT_EQ(ZKT_SetSPUColor(15, 0x80EB80EBu), 0u);
    for (u32 i = 0; i < 15; i++)
        EXPECT_EQ(g_ulSPUColorPalette[i], i);
    EXPECT_EQ(g_ulSPUColorPalette[15], 0x80EB80EBu);
    ZKT_SetSPUColor(0, 0x11);
    EXPECT_EQ(g_ulSPUColorPalette[0], 0x11u);
    // There are 16 entries; index 16 touches nothing.
    EXPECT_EQ(ZKT_SetSPUColor(16, 0xDEAD), (u32)ZKT_ERR_INVALID_ARG);
    EXPECT_EQ(g_ulSPUColorPalette[15], 0x80EB80EBu);
}

TEST_F(Streams, SPUBaseCommand)
{
    EXPECT_EQ(ZKT_WriteSPUBaseCmd(0x1A0002, 1, 0x1A1000, 0x3210, 0xFEDC, 0x0102, 0x01E0, 0x1A2000, 0x1A3000), 0u);
    const u8 word0[4] = {0x00, 0x00, 0x02, 0x81}, word2[4] = {0x00, 0x00, 0x01, 0x3F};
    EXPECT_EQ(std::memcmp(&s_mem[0x1A0000], word0, 4), 0);
    EXPECT_EQ(std::memcmp(&s_mem[0x1A0008], word2, 4), 0);
    EXPECT_EQ(BE(0x1A0004), 0x3210FEDCu);
    EXPECT_EQ(BE(0x1A000C), 0x010201E0u);
    EXPECT_EQ(BE(0x1A0010), 0x1A2000u);
    EXPECT_EQ(BE(0x1A0014), 0x1A3000u);
    EXPECT_EQ(BE(0x1A0018), 0x1A1000u);
    EXPECT_TRUE(Untouched(0x1A001C, 4));

    // Without a change list, and on a television (modes 5 and up).
    ZKT_WriteSPUBaseCmd(0x1A0000, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(BE(0x1A0000), 0x280u);
    g_ulDISPLAY_MODE = 4;
    ZKT_WriteSPUBaseCmd(0x1A0000, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(BE(0x1A0000), 0x280u);
    EXPECT_EQ(BE(0x1A0008), 319u);
    g_ulDISPLAY_MODE = 5;
    ZKT_WriteSPUBaseCmd(0x1A0000, 9, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(BE(0x1A0000), 0x5A1u);
    EXPECT_EQ(BE(0x1A0008), 719u);
    g_ulDISPLAY_MODE = 26;
    ZKT_WriteSPUBaseCmd(0x1A0000, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(BE(0x1A0000), 0x5A0u);

    // Seven words must fit: 28 bytes from the end fits, 24 does not.
    EXPECT_EQ(ZKT_WriteSPUBaseCmd(0x800000 - 28, 0, 0, 0, 0, 0, 0, 0, 0), 0u);
    EXPECT_EQ(ZKT_WriteSPUBaseCmd(0x800000 - 24, 0, 0, 0, 0, 0, 0, 0, 0), (u32)ZKT_ERR_INVALID_ARG);
}

TEST_F(Streams, SPUChangeEntry)
{
    const u16 first[2] = {0x0011, 0x0033}, last[2] = {0x0022, 0x0044};
    const u16 colour[2] = {0x5678, 0x9ABC}, contrast[2] = {0xFFF0, 0x0F0F};
    EXPECT_EQ(ZKT_WriteSPUChangeCmd(0x1A1001, 1, 0x0040, 0x0123, 2, first, last, colour, contrast), 0u);
    EXPECT_EQ(BE(0x1A1000), 0x00402123u);
    EXPECT_EQ(BE(0x1A1004), 0x5678FFF0u);
    EXPECT_EQ(BE(0x1A1008), 0x00110022u);
    EXPECT_EQ(BE(0x1A100C), 0x9ABC0F0Fu);
    EXPECT_EQ(BE(0x1A1010), 0x00330044u);
    EXPECT_EQ(BE(0x1A1014), 0xFFFFFFFFu);
    EXPECT_TRUE(Untouched(0x1A1018, 4)); // 24 bytes in all
    EXPECT_EQ(s_mem[0x1A1003], 0x23);    // big-endian: low byte last

    // Not the last entry: no end word; the next entry follows at 4 + 8n.
    SetUp();
    ZKT_WriteSPUChangeCmd(0x1A1000, 0, 0x0040, 0x0050, 1, first, last, colour, contrast);
    EXPECT_EQ(BE(0x1A1000), 0x00401050u);
    EXPECT_TRUE(Untouched(0x1A100C, 4));
    ZKT_WriteSPUChangeCmd(0x1A100C, 1, 0x0050, 0x0060, 0, first, last, colour, contrast);
    EXPECT_EQ(BE(0x1A100C), 0x00500060u);
    EXPECT_EQ(BE(0x1A1010), 0xFFFFFFFFu);

    // The entry and its end word must both fit.
    SetUp();
    EXPECT_EQ(ZKT_WriteSPUChangeCmd(0x800000 - 24, 1, 0, 0, 2, first, last, colour, contrast), 0u);
    EXPECT_EQ(BE(0x800000 - 4), 0xFFFFFFFFu);
    SetUp();
    EXPECT_EQ(ZKT_WriteSPUChangeCmd(0x800000 - 20, 1, 0, 0, 2, first, last, colour, contrast),
              (u32)ZKT_ERR_INVALID_ARG);
    EXPECT_EQ(ZKT_WriteSPUChangeCmd(0x800000 - 20, 0, 0, 0, 2, first, last, colour, contrast), 0u);
}

TEST_F(Streams, SPUHighlight)
{
    EXPECT_EQ(ZKT_WriteSPUHighlightInfo(0x1B0000, 0x0102, 0x0304, 0x0506, 0x0708, 0x090A, 0x0B0C), 0u);
    EXPECT_EQ(BE(0x1B0000), 0x01020506u);
    EXPECT_EQ(BE(0x1B0004), 0x03040708u);
    EXPECT_EQ(BE(0x1B0008), 0x090A0B0Cu);
    EXPECT_TRUE(Untouched(0x1B000C, 4));
    EXPECT_EQ(ZKT_WriteSPUHighlightInfo(0x800000 - 8, 1, 2, 3, 4, 5, 6), (u32)ZKT_ERR_INVALID_ARG);
    EXPECT_TRUE(Untouched(0x800000 - 8, 8));
}

} // namespace
