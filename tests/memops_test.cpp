// Memory block operations: results at every alignment, untouched guard
// bytes, and the bit-block copies at odd bit positions.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tools/zkt_basictools.h"

namespace {

// Bytes that differ from each other so a misplaced copy shows.
std::vector<u8> Pattern(size_t n, u8 seed)
{
    std::vector<u8> v(n);
    for (size_t i = 0; i < n; i++)
        v[i] = (u8)(seed + i * 37 + (i >> 3));
    return v;
}

TEST(MemCopy, EveryAlignmentAndLengthMatchesAPlainCopy)
{
    alignas(16) u8 src[64], dst[64], want[64];
    auto p = Pattern(64, 5);
    std::memcpy(src, p.data(), 64);
    for (u32 so = 0; so < 4; so++)
        for (u32 doff = 0; doff < 4; doff++)
            for (u32 n = 0; n <= 20; n++) {
                std::memset(dst, 0xEE, sizeof dst);
                std::memset(want, 0xEE, sizeof want);
                std::memcpy(want + 8 + doff, src + so, n);
                ZKT_MEMCPY(dst + 8 + doff, src + so, n);
                ASSERT_EQ(0, std::memcmp(dst, want, sizeof dst)) << "src+" << so << " dst+" << doff << " n=" << n;
            }
}

TEST(MemCopy, BothAtThreeTenBytesAndMismatchedAlignment)
{
    alignas(16) u8 src[32], dst[32];
    auto p = Pattern(32, 9);
    std::memcpy(src, p.data(), 32);
    std::memset(dst, 0, sizeof dst);
    ZKT_MEMCPY(dst + 3, src + 3, 10); // 1 byte, 2 words, 1 byte
    EXPECT_EQ(0, std::memcmp(dst + 3, src + 3, 10));
    EXPECT_EQ(0, dst[2]);
    EXPECT_EQ(0, dst[13]);
    std::memset(dst, 0, sizeof dst);
    ZKT_MEMCPY(dst + 1, src + 2, 11); // never aligned together: bytes only
    EXPECT_EQ(0, std::memcmp(dst + 1, src + 2, 11));
    EXPECT_EQ(0, dst[12]);
}

TEST(MemSet, KeepsTheLowByteAtEveryAlignment)
{
    alignas(16) u8 buf[40];
    for (u32 off = 0; off < 4; off++)
        for (u32 n = 0; n <= 17; n++) {
            std::memset(buf, 0x11, sizeof buf);
            ZKT_MEMSET(buf + 4 + off, 0x1AB, n);
            for (u32 i = 0; i < sizeof buf; i++) {
                const bool in = i >= 4 + off && i < 4 + off + n;
                ASSERT_EQ(in ? 0xAB : 0x11, buf[i]) << "off " << off << " n " << n << " i " << i;
            }
        }
    ZKT_MEMSET(buf, -1, 4);
    EXPECT_EQ(0xFF, buf[3]);
}

TEST(WordOps, WholeWordsOnlyAndTheReturnedEnd)
{
    alignas(16) u8 buf[16];
    std::memset(buf, 0x55, sizeof buf);
    u32 *end = ZKT_FAST_MEMSET(buf, 0xA1B2C3D4u, 7);
    EXPECT_EQ(reinterpret_cast<u32 *>(buf + 4), end);
    u32 w;
    std::memcpy(&w, buf, 4);
    EXPECT_EQ(0xA1B2C3D4u, w);
    EXPECT_EQ(0x55, buf[4]);
    EXPECT_EQ(0x55, buf[6]);
    EXPECT_EQ(reinterpret_cast<u32 *>(buf), ZKT_FAST_MEMSET(buf, 0, 3)); // below a word: nothing
    EXPECT_EQ(0xD4, buf[0]);

    alignas(16) u8 src[16], dst[16];
    auto p = Pattern(16, 1);
    std::memcpy(src, p.data(), 16);
    std::memset(dst, 0, 16);
    ZKT_MEMORY_XFER_32BIT_FUNC(src, dst, 11); // source first; 2 words
    EXPECT_EQ(0, std::memcmp(dst, src, 8));
    EXPECT_EQ(0, dst[8]);
    EXPECT_EQ(0, dst[10]);
}

TEST(BitBlock, TenBitsAtBitThreeKeepTheNeighbours)
{
    const u8 src[2] = {0xFF, 0x03};
    u8 dst[3] = {0x00, 0x00, 0x00};
    ZKT_BLKMEMCPY(dst, 3, 64, src, 10, 1);
    EXPECT_EQ(0xF8, dst[0]); // bits 3..7
    EXPECT_EQ(0x1F, dst[1]); // bits 8..12
    EXPECT_EQ(0x00, dst[2]);

    u8 ones[3] = {0xFF, 0xFF, 0xFF};
    const u8 zero[2] = {0, 0};
    ZKT_BLKMEMCPY(ones, 3, 64, zero, 10, 1);
    EXPECT_EQ(0x07, ones[0]);
    EXPECT_EQ(0xE0, ones[1]);
    EXPECT_EQ(0xFF, ones[2]);
}

// Reference: bit by bit.
void SlowBlit(u8 *dst, u32 off, u32 pitch, const u8 *src, u32 w, u32 h)
{
    const u32 rb = (w + 7) / 8;
    for (u32 r = 0; r < h; r++)
        for (u32 x = 0; x < w; x++) {
            const u32 bit = (src[r * rb + x / 8] >> (x % 8)) & 1;
            const u32 p = off + r * pitch + x;
            dst[p / 8] = (u8)((dst[p / 8] & ~(1u << (p % 8))) | (bit << (p % 8)));
        }
}

TEST(BitBlock, MatchesABitByBitCopyAtManyOffsetsAndWidths)
{
    auto src = Pattern(64, 77);
    for (u32 off = 0; off < 16; off++)
        for (u32 w = 1; w <= 29; w += 3) {
            auto a = Pattern(96, 200), b = a;
            ZKT_BLKMEMCPY(a.data(), off, 61, src.data(), w, 5);
            SlowBlit(b.data(), off, 61, src.data(), w, 5);
            ASSERT_EQ(a, b) << "off " << off << " width " << w;
        }
}

TEST(BitBlock, InterlaceSplitsRowsBetweenTheFields)
{
    const u8 src[3] = {0x01, 0x02, 0x03}; // three 8-bit rows
    u8 even[4] = {}, odd[4] = {};
    ZKT_BLKMEMCPY_INTERLACE(even, odd, 8, 16, src, 8, 3);
    EXPECT_EQ(0, even[0]);
    EXPECT_EQ(0x01, even[1]); // row 0 -> even row 0
    EXPECT_EQ(0x03, even[3]); // row 2 -> even row 1
    EXPECT_EQ(0x02, odd[1]);  // row 1 -> odd row 0
    EXPECT_EQ(0, odd[3]);     // no fourth row
    EXPECT_EQ(0, odd[2]);
}

TEST(BitBlock, ZeroSizesChangeNothing)
{
    const u8 src[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    u8 dst[4] = {0x12, 0x34, 0x56, 0x78};
    ZKT_BLKMEMCPY(dst, 3, 8, src, 0, 4);
    ZKT_BLKMEMCPY(dst, 3, 8, src, 12, 0);
    ZKT_BLKMEMCPY_INTERLACE(dst, dst, 3, 8, src, 0, 3);
    ZKT_MEMCPY(dst, src, 0);
    ZKT_MEMSET(dst + 1, 0, 0);
    EXPECT_EQ(0x12, dst[0]);
    EXPECT_EQ(0x34, dst[1]);
    EXPECT_EQ(0x56, dst[2]);
    EXPECT_EQ(0x78, dst[3]);
}

} // namespace
