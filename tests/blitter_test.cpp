// Blitter and rotator of the desktop back end, run on a private 8 MiB block
// followed by guard bytes that no job may touch.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "lowlevel/common/zkt_blitcore.h"

namespace {

constexpr u32 kGuard = 4096;
constexpr u8 kGuardByte = 0xA5;

struct VideoMem {
    std::vector<u8> buf;
    u8 *saved;
    VideoMem() : buf(ZKT_VIDEO_MEM_SIZE + kGuard, 0)
    {
        memset(buf.data() + ZKT_VIDEO_MEM_SIZE, kGuardByte, kGuard);
        saved = g_GP2X_VIDEO_BASE_PTR;
        g_GP2X_VIDEO_BASE_PTR = buf.data();
    }
    ~VideoMem() { g_GP2X_VIDEO_BASE_PTR = saved; }
    u8 *at(u32 off) { return buf.data() + off; }
    u16 px16(u32 off) const
    {
        u16 v;
        memcpy(&v, buf.data() + off, 2);
        return v;
    }
    void set16(u32 off, u16 v) { memcpy(buf.data() + off, &v, 2); }
    bool GuardIntact() const
    {
        for (u32 i = 0; i < kGuard; i++)
            if (buf[ZKT_VIDEO_MEM_SIZE + i] != kGuardByte)
                return false;
        return true;
    }
};

TEST(BlitterOps, EachIndexIsItsOwnTruthTable)
{
    // result bit = bit (2s + d) of the index, for every bit pattern of S, D.
    const u16 S = 0x3C5A, D = 0x0FF0;
    for (int op = 0; op < 16; op++) {
        u16 expect = 0;
        for (int b = 0; b < 16; b++) {
            const int s = (S >> b) & 1, d = (D >> b) & 1;
            expect |= (u16)(((op >> (2 * s + d)) & 1) << b);
        }
        EXPECT_EQ(g_pBlitterOps[op](S, D), expect) << "op " << op;
    }
}

TEST(Blitter, ClearOf320x240Is153600Bytes)
{
    VideoMem vm;
    memset(vm.at(0x100000), 0xFF, 153600 + 16);
    EXPECT_EQ(ZKT_HwBitBlt(0x100000, 320, 320, 240, 0, 0, 0, 0, 0, 0), 0u);
    for (u32 i = 0; i < 153600; i++)
        ASSERT_EQ(*vm.at(0x100000 + i), 0) << i;
    EXPECT_EQ(*vm.at(0x100000 + 153600), 0xFF);
    EXPECT_EQ(*vm.at(0x100000 - 1), 0);
    EXPECT_EQ(ZKT_WaitHwBlitter(0), 0u);
}

TEST(Blitter, TransparentCopySkipsKeyColour)
{
    VideoMem vm;
    const u32 src = 0x1000, dst = 0x2000;
    const u16 s[4] = {0, 0x1234, 0, 0xFFFF};
    for (int i = 0; i < 4; i++) {
        vm.set16(src + 2 * i, s[i]);
        vm.set16(dst + 2 * i, 0x7777);
    }
    ZKT_HwBitBlt(dst, 4, 4, 1, src, 4, 0x40C, 0, 0, 0);
    EXPECT_EQ(vm.px16(dst + 0), 0x7777);
    EXPECT_EQ(vm.px16(dst + 2), 0x1234);
    EXPECT_EQ(vm.px16(dst + 4), 0x7777);
    EXPECT_EQ(vm.px16(dst + 6), 0xFFFF);
}

TEST(Blitter, XorTwiceRestoresAndRespectsPitch)
{
    VideoMem vm;
    const u32 src = 0x10000, dst = 0x20000;
    // 5x3 rectangles inside pitch-8 surfaces; the pitch gap must stay.
    for (u32 i = 0; i < 8 * 3; i++) {
        vm.set16(src + 2 * i, (u16)(i * 2654435761u >> 7));
        vm.set16(dst + 2 * i, (u16)(i * 40503u + 11));
    }
    std::vector<u8> before(vm.at(dst), vm.at(dst) + 48);
    ZKT_HwBitBlt(dst, 8, 5, 3, src, 8, 6, 0, 0, 0);
    EXPECT_NE(memcmp(before.data(), vm.at(dst), 48), 0);
    for (u32 r = 0; r < 3; r++)
        for (u32 c = 5; c < 8; c++)
            EXPECT_EQ(vm.px16(dst + 2 * (r * 8 + c)), (u16)((r * 8 + c) * 40503u + 11));
    ZKT_HwBitBlt(dst, 8, 5, 3, src, 8, 6, 0, 0, 0);
    EXPECT_EQ(memcmp(before.data(), vm.at(dst), 48), 0);
}

TEST(Blitter, EightBitCopyOfWidthThree)
{
    VideoMem vm;
    const u32 src = 0x3000, dst = 0x4000;
    for (u32 i = 0; i < 16; i++)
        *vm.at(src + i) = (u8)(0x10 + i);
    memset(vm.at(dst), 0xEE, 16);
    ZKT_HwBitBlt(dst, 5, 3, 2, src, 4, 0x10C, 0, 0, 0);
    const u8 expect[10] = {0x10, 0x11, 0x12, 0xEE, 0xEE, 0x14, 0x15, 0x16, 0xEE, 0xEE};
    EXPECT_EQ(memcmp(vm.at(dst), expect, 10), 0);
}

TEST(Blitter, OneBitSourceExpandsToTwoColours)
{
    VideoMem vm;
    const u32 src = 0x5000, dst = 0x6000;
    *vm.at(src) = 0x80;
    ZKT_HwBitBlt(dst, 8, 8, 1, src, 8, 0x30C, 0, 0x22, 0x11);
    const u8 expect[8] = {0x11, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22, 0x22};
    EXPECT_EQ(memcmp(vm.at(dst), expect, 8), 0);

    // Second row starts srcPitch bits further; the pitch counts bits.
    *vm.at(src + 2) = 0x41;
    ZKT_HwBitBlt(dst, 16, 8, 2, src, 16, 0x30C, 0, 0, 9);
    const u8 row1[8] = {0, 9, 0, 0, 0, 0, 0, 9};
    EXPECT_EQ(memcmp(vm.at(dst + 16), row1, 8), 0);

    // Transparency on the expanded value: background left alone.
    memset(vm.at(dst), 0x55, 8);
    ZKT_HwBitBlt(dst, 8, 8, 1, src, 8, 0x70C, 0x22, 0x22, 0x11);
    const u8 keyed[8] = {0x11, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55};
    EXPECT_EQ(memcmp(vm.at(dst), keyed, 8), 0);
}

TEST(Blitter, OneBitSourceWithSixteenBitPixels)
{
    // Same bit order as the 8-bit case, each pixel receiving the full colour.
    VideoMem vm;
    const u32 src = 0x5000, dst = 0x6000;
    *vm.at(src) = 0xA0;
    *vm.at(src + 1) = 0x01;
    ZKT_HwBitBlt(dst, 10, 10, 1, src, 16, 0x20C, 0, 0x1234, 0xBEEF);
    const u16 expect[10] = {0xBEEF, 0x1234, 0xBEEF, 0x1234, 0x1234, 0x1234, 0x1234, 0x1234, 0x1234, 0x1234};
    for (int i = 0; i < 10; i++)
        EXPECT_EQ(vm.px16(dst + 2 * i), expect[i]) << i;
}

TEST(Blitter, OperationIndexAboveFifteenWraps)
{
    VideoMem vm;
    memset(vm.at(0x100), 0x5A, 4);
    ZKT_HwBitBlt(0x100, 2, 2, 1, 0, 0, 0x1F, 0, 0, 0); // 0x1F & 15 = fill
    EXPECT_EQ(vm.px16(0x100), 0xFFFF);
    EXPECT_EQ(vm.px16(0x102), 0xFFFF);
}

TEST(Blitter, RectanglesReachingPastTheEndAreCut)
{
    VideoMem vm;
    const u32 end = ZKT_VIDEO_MEM_SIZE;
    // Destination runs off the end: only whole pixels inside are written.
    ZKT_HwBitBlt(end - 7, 4, 4, 100, 0, 0, 0xF, 0, 0, 0);
    EXPECT_TRUE(vm.GuardIntact());
    EXPECT_EQ(*vm.at(end - 7), 0xFF);
    EXPECT_EQ(*vm.at(end - 2), 0xFF);
    EXPECT_EQ(*vm.at(end - 1), 0); // half a pixel: not written

    // Offsets and pitches far outside, in both pixel sizes and with a source.
    ZKT_HwBitBlt(0xFFFFFFF0u, 0xFFFFFFFFu, 65535, 65535, 0, 0, 0xF, 0, 0, 0);
    ZKT_HwBitBlt(end - 100, 0xFFFFFFFFu, 65535, 3, 0, 0xFFFFFFFFu, 0x10C, 0, 0, 0);
    ZKT_HwBitBlt(end - 64, 1, 1000, 2000, end - 10, 7, 0x10C, 0, 0, 0);
    ZKT_HwBitBlt(end - 64, 1, 1000, 2000, end - 10, 9999, 0x30C, 0, 1, 2);
    EXPECT_TRUE(vm.GuardIntact());

    // Source past the end: pixels without a source keep their value.
    memset(vm.at(0x1000), 0x33, 8);
    memset(vm.at(end - 4), 0x44, 4);
    ZKT_HwBitBlt(0x1000, 8, 8, 1, end - 4, 8, 0x10C, 0, 0, 0);
    const u8 expect[8] = {0x44, 0x44, 0x44, 0x44, 0x33, 0x33, 0x33, 0x33};
    EXPECT_EQ(memcmp(vm.at(0x1000), expect, 8), 0);
}

TEST(Blitter, NoVideoMemoryIsHarmless)
{
    u8 *saved = g_GP2X_VIDEO_BASE_PTR;
    g_GP2X_VIDEO_BASE_PTR = nullptr;
    EXPECT_EQ(ZKT_HwBitBlt(0, 320, 320, 240, 0, 0, 0, 0, 0, 0), 0u);
    EXPECT_EQ(ZKT_HwBitBltRotate(0, 1, 2, 1, 0, 2, 5), 0u);
    g_GP2X_VIDEO_BASE_PTR = saved;
}

TEST(Rotator, QuarterTurnOfTwoPixels)
{
    VideoMem vm;
    vm.set16(0x100, 0xAAAA);
    vm.set16(0x102, 0xBBBB);
    EXPECT_EQ(ZKT_HwBitBltRotate(0x200, 1, 2, 1, 0x100, 2, 5), 0u);
    EXPECT_EQ(vm.px16(0x200), 0xAAAA);
    EXPECT_EQ(vm.px16(0x202), 0xBBBB);
    EXPECT_EQ(ZKT_WaitHwBlitter(1), 0u);
}

// 3x2 source of one-byte pixels:  a b c / d e f
TEST(Rotator, AllFourTurnsOfBytes)
{
    VideoMem vm;
    const u32 src = 0x100, dst = 0x400;
    memcpy(vm.at(src), "abc.def.", 8); // pitch 4
    struct {
        u32 mode, pitch, rows;
        const char *expect;
    } cases[] = {{0, 3, 2, "abcdef"}, {1, 2, 3, "daebfc"}, {2, 3, 2, "fedcba"}, {3, 2, 3, "cfbead"}};
    for (auto &k : cases) {
        memset(vm.at(dst), '.', 16);
        ZKT_HwBitBltRotate(dst, k.pitch, 3, 2, src, 4, k.mode);
        std::string got;
        for (u32 r = 0; r < k.rows; r++)
            got.append((const char *)vm.at(dst + r * k.pitch), k.pitch);
        EXPECT_EQ(got, k.expect) << "mode " << k.mode;
    }
}

TEST(Rotator, ThreeByteTurnsCompose)
{
    // A quarter turn clockwise then counter-clockwise is the identity, two
    // clockwise quarter turns are a half turn.
    VideoMem vm;
    const u16 w = 7, h = 5;
    const u32 a = 0x10000, b = 0x20000, c = 0x30000, d = 0x40000;
    for (u32 i = 0; i < w * h * 3u; i++)
        *vm.at(a + i) = (u8)(i * 37 + 1);
    ZKT_HwBitBltRotate(b, h, w, h, a, w, 9);  // 3-byte, clockwise: h wide, w high
    ZKT_HwBitBltRotate(c, w, h, w, b, h, 11); // counter-clockwise back
    EXPECT_EQ(memcmp(vm.at(a), vm.at(c), w * h * 3u), 0);
    ZKT_HwBitBltRotate(c, w, h, w, b, h, 9);  // clockwise again
    ZKT_HwBitBltRotate(d, w, w, h, a, w, 10); // half turn
    EXPECT_EQ(memcmp(vm.at(c), vm.at(d), w * h * 3u), 0);
    EXPECT_NE(memcmp(vm.at(a), vm.at(d), w * h * 3u), 0);
}

TEST(Rotator, JobsReachingPastTheEndAreCut)
{
    VideoMem vm;
    const u32 end = ZKT_VIDEO_MEM_SIZE;
    for (u32 mode = 0; mode < 12; mode++) {
        ZKT_HwBitBltRotate(end - 10, 3, 50, 40, 0, 50, mode);
        ZKT_HwBitBltRotate(0, 50, 50, 40, end - 10, 3, mode);
        ZKT_HwBitBltRotate(0xFFFFFFF0u, 0xFFFFFFFFu, 65535, 2, 0, 0xFFFFFFFFu, mode);
    }
    EXPECT_TRUE(vm.GuardIntact());
    // A pixel whose source and destination are both inside is still copied.
    *vm.at(8) = 0x5C; // clockwise: row 0 starts with the bottom source pixel
    ZKT_HwBitBltRotate(end - 1, 1, 1, 9, 0, 1, 1);
    EXPECT_EQ(*vm.at(end - 1), 0x5C);
    EXPECT_TRUE(vm.GuardIntact());
}

} // namespace
