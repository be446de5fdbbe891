// Splash part: band drawing, logo rendering, the logo asset and the frame
// by time band, against a private video memory block.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "assets/assets.h"
#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "parts/dp_splashzkt.h"

namespace {

class Splash : public ::testing::Test {
protected:
    std::vector<u8> mem;
    u8 *saved = nullptr;
    void SetUp() override
    {
        mem.assign(ZKT_VIDEO_MEM_SIZE, 0xAA);
        saved = g_GP2X_VIDEO_BASE_PTR;
        g_GP2X_VIDEO_BASE_PTR = mem.data();
        ZKT_DP_SplashZkt_Init(0);
    }
    void TearDown() override { g_GP2X_VIDEO_BASE_PTR = saved; }
    u16 Pixel(u32 at) const { return (u16)(mem[at] | mem[at + 1] << 8); }
};

std::vector<u8> Strip(s32 len) { return std::vector<u8>(3 * (size_t)len, 0); }

u16 Rgb565(u32 v, u32 b, u32 g, u32 r)
{
    return (u16)(((v * b) >> 7) | ((((v * g) >> 6) & 0x3F) << 5) | ((((v * r) & 0xFFF) >> 7) << 11));
}

// Pixel code for intensity v, group g, index i.
u16 Px(u32 v, u32 g, u32 i) { return (u16)(v << 12 | g << 8 | i); }

TEST(SplashStrip, GradientAddsAndSaturates)
{
    std::vector<u8> s = Strip(200);
    const SplashColorStop blue[2] = {{0, 0}, {10000, 0x0000FF}};
    ZKT_DP_SplashZkt_DrawColorStrip(s.data(), 200, 10, 100, blue, 2);
    EXPECT_EQ(s[3 * 9], 0);
    EXPECT_EQ(s[3 * 10], 0);
    EXPECT_EQ(s[3 * 60], 127);   // halfway: 50 * 255 / 100
    EXPECT_EQ(s[3 * 109], 252);  // 99 * 255 / 100
    EXPECT_EQ(s[3 * 110], 0);    // the band ends before its last stop
    EXPECT_EQ(s[3 * 60 + 1], 0); // green and red untouched
    EXPECT_EQ(s[3 * 60 + 2], 0);

    // A second band on top adds; where the sum passes 255 it stays 255.
    ZKT_DP_SplashZkt_DrawColorStrip(s.data(), 200, 10, 100, blue, 2);
    EXPECT_EQ(s[3 * 40], 2 * (30 * 255 / 100));
    EXPECT_EQ(s[3 * 109], 255);

    // Colour channels land as blue, green, red.
    std::vector<u8> c = Strip(10);
    const SplashColorStop flat[2] = {{0, 0x123456}, {10000, 0x123456}};
    ZKT_DP_SplashZkt_DrawColorStrip(c.data(), 10, 0, 10, flat, 2);
    EXPECT_EQ(c[0], 0x56);
    EXPECT_EQ(c[1], 0x34);
    EXPECT_EQ(c[2], 0x12);
    EXPECT_EQ(c[3 * 9], 0); // the last entry is never reached
}

TEST(SplashStrip, NegativeStartIsClippedAndEndIsLimited)
{
    const SplashColorStop ramp[3] = {{0, 0}, {5000, 0xFF0000}, {10000, 0x00FF00}};
    std::vector<u8> whole = Strip(400), clipped = Strip(400);
    ZKT_DP_SplashZkt_DrawColorStrip(whole.data(), 400, 100, 200, ramp, 3);
    ZKT_DP_SplashZkt_DrawColorStrip(clipped.data(), 400, -60, 200, ramp, 3);
    // The clipped band is the same band moved left by 160, its head cut off.
    for (int j = 0; j < 140; j++)
        for (int c = 0; c < 3; c++)
            ASSERT_EQ(clipped[3 * j + c], whole[3 * (j + 160) + c]) << j;
    for (size_t j = 3 * 140; j < clipped.size(); j++)
        ASSERT_EQ(clipped[j], 0);

    // A band running past the strip stops one before its end; the vector's
    // exact size lets the sanitizer catch any write beyond.
    std::vector<u8> tail = Strip(50);
    const SplashColorStop white[2] = {{0, 0xFFFFFF}, {10000, 0xFFFFFF}};
    ZKT_DP_SplashZkt_DrawColorStrip(tail.data(), 50, 40, 1000, white, 2);
    EXPECT_EQ(tail[3 * 48], 255);
    EXPECT_EQ(tail[3 * 49], 0);
    // Entirely before the strip: nothing.
    std::vector<u8> none = Strip(50);
    ZKT_DP_SplashZkt_DrawColorStrip(none.data(), 50, -500, 100, white, 2);
    for (u8 b : none)
        ASSERT_EQ(b, 0);
}

TEST(SplashStrip, ReversedStopsMirrorTheBand)
{
    const SplashColorStop ember[4] = {{0, 0x200000}, {3300, 0x400000}, {6600, 0xC03000}, {10000, 0xFF6000}};
    const SplashColorStop rev[4] = {{0, 0xFF6000}, {3300, 0xC03000}, {6600, 0x400000}, {10000, 0x200000}};
    std::vector<u8> s = Strip(300);
    ZKT_DP_SplashZkt_DrawColorStrip(s.data(), 300, 50, 100, ember, 4);
    ZKT_DP_SplashZkt_DrawColorStrip(s.data(), 300, 150, 100, rev, 4);
    // Red rises up to the meeting point and falls after it.
    for (int j = 51; j < 150; j++)
        ASSERT_GE(s[3 * j + 2], s[3 * (j - 1) + 2]) << j;
    for (int j = 151; j < 250; j++)
        ASSERT_LE(s[3 * j + 2], s[3 * (j - 1) + 2]) << j;
    EXPECT_EQ(s[3 * 150 + 2], 0xFF);
    EXPECT_EQ(s[3 * 150 + 1], 0x60);
    EXPECT_GT(s[3 * 149 + 2], 0xF0);
}

TEST_F(Splash, PixelFormulaAndStripEntry)
{
    std::vector<u8> s = Strip(ZKT_SPLASH_STRIP_LEN);
    // Group 14 starts at 256: index 4 is strip entry (85 * 260) >> 8 = 86.
    s[3 * 86] = 0x10;
    s[3 * 86 + 1] = 0x80;
    s[3 * 86 + 2] = 0xF0;
    // Group 6 index 255 is the farthest entry a code can reach: 470.
    s[3 * 470] = s[3 * 470 + 1] = s[3 * 470 + 2] = 0xFF;
    const u16 codes[] = {Px(8, 14, 4), Px(15, 6, 255), Px(1, 14, 4), 0};
    ZKT_DrawSingleSegment(0, 0x100000, codes, s.data(), ZKT_SPLASH_STRIP_LEN);
    EXPECT_EQ(Pixel(0x100000), Rgb565(8, 0x10, 0x80, 0xF0));
    EXPECT_EQ(Pixel(0x100000), 1 | 16 << 5 | 15 << 11);
    EXPECT_EQ(Pixel(0x100002), 29 | 59 << 5 | 29 << 11); // full white, full intensity
    EXPECT_EQ(Pixel(0x100004), Rgb565(1, 0x10, 0x80, 0xF0));
    EXPECT_EQ(mem[0x100006], 0xAA);
    EXPECT_EQ(mem[0xFFFFF], 0xAA);
}

TEST_F(Splash, LcdCropsToColumns20To339)
{
    std::vector<u8> s = Strip(ZKT_SPLASH_STRIP_LEN);
    for (u8 &b : s)
        b = 0xFF;
    // Columns 19 and 20, 339 and 340, then column 20 of the next row.
    const u16 codes[] = {19, Px(15, 15, 0), Px(15, 15, 1), 318, Px(15, 15, 2), Px(15, 15, 3), 39, Px(15, 15, 4), 0};
    const u16 white = Rgb565(15, 255, 255, 255);
    ZKT_DrawSingleSegment(1, 0x200001, codes, s.data(), ZKT_SPLASH_STRIP_LEN); // odd offsets round down
    EXPECT_EQ(Pixel(0x200000), white);             // column 20
    EXPECT_EQ(Pixel(0x200000 + 2 * 319), white);   // column 339
    EXPECT_EQ(Pixel(0x200000 + 640), white);       // next row, column 20
    int written = 0;
    for (u32 a = 0x1FF000; a < 0x202000; a++)
        written += mem[a] != 0xAA;
    EXPECT_EQ(written, 6); // columns 19 and 340 are not shown

    // The television layout writes all 360 columns in 720-byte rows.
    std::fill(mem.begin(), mem.end(), 0xAA);
    ZKT_DrawSingleSegment(0, 0x200000, codes, s.data(), ZKT_SPLASH_STRIP_LEN);
    EXPECT_EQ(Pixel(0x200000 + 2 * 19), white);
    EXPECT_EQ(Pixel(0x200000 + 2 * 340), white);
    EXPECT_EQ(Pixel(0x200000 + 720 + 2 * 20), white);
    written = 0;
    for (u32 a = 0x1FF000; a < 0x202000; a++)
        written += mem[a] != 0xAA;
    EXPECT_EQ(written, 10);
}

TEST_F(Splash, RenderingStaysInsideVideoMemory)
{
    std::vector<u8> s = Strip(ZKT_SPLASH_STRIP_LEN);
    // Many long skips walk the rows far past the end of video memory.
    std::vector<u16> codes;
    for (int k = 0; k < 20000; k++) {
        codes.push_back(0x5FF);
        codes.push_back(Px(15, 6, 255));
    }
    codes.push_back(0);
    // The sanitizer build catches any write past mem's exact 8 MiB.
    ZKT_DrawSingleSegment(0, ZKT_VIDEO_MEM_SIZE - 720 * 3, codes.data(), s.data(), ZKT_SPLASH_STRIP_LEN);
    ZKT_DrawSingleSegment(1, 0xFFFFFFFFu, codes.data(), s.data(), ZKT_SPLASH_STRIP_LEN);
    ZKT_DrawMultiSegment(ZKT_VIDEO_MEM_SIZE - 7, codes.data(), s.data(), 85);
    // A strip shorter than any code reaches is never read past its end.
    std::vector<u8> tiny = Strip(3);
    ZKT_DrawSingleSegment(0, 0, codes.data(), tiny.data(), 3);
    ZKT_DrawSingleSegment(0, 0, codes.data(), tiny.data(), 0);
    SUCCEED();
}

TEST_F(Splash, MultiSegmentWrites24BitWithoutWrapping)
{
    std::vector<u8> s = Strip(ZKT_SPLASH_STRIP_LEN);
    s[3 * 86] = 0x10;
    s[3 * 86 + 1] = 0x80;
    s[3 * 86 + 2] = 0xF0;
    const u16 codes[] = {Px(8, 14, 4), 400, Px(16 - 1, 14, 4), 0};
    ZKT_DrawMultiSegment(0x300000, codes, s.data(), 85);
    EXPECT_EQ(mem[0x300000], 0x08); // 0x10 * 8 / 16
    EXPECT_EQ(mem[0x300001], 0x40);
    EXPECT_EQ(mem[0x300002], 0x78);
    const u32 next = 0x300000 + 3 * 401; // the skip does not wrap at 360
    EXPECT_EQ(mem[next], (0x10 * 15) >> 4);
    EXPECT_EQ(mem[next + 2], (0xF0 * 15) >> 4);
    EXPECT_EQ(mem[0x300003], 0xAA);
}

TEST(SplashLogo, AssetReadsAsA360By39CodeSequence)
{
    ASSERT_EQ(BMP_ZKT_LOGO_LEN % 2, 0u);
    const u32 n = BMP_ZKT_LOGO_LEN / 2;
    u32 col = 0, row = 0, pixels = 0, end = n;
    bool groups[16] = {}, levels[16] = {};
    int lastGroupAt[360];
    for (int &g : lastGroupAt)
        g = -1;
    for (u32 k = 0; k < n; k++) {
        u16 c;
        std::memcpy(&c, g_pZktLogo + k, 2);
        if (c == 0) {
            end = k;
            break;
        }
        if (c < 0x600) {
            col += c;
        } else {
            const int v = c >> 12, g = (c >> 8) & 0xF, i = c & 0xFF;
            ASSERT_GE(v, 1);
            ASSERT_GE(g, 6);
            groups[g] = levels[v] = true;
            // Strip positions follow the column, so bands sweep across the word.
            ASSERT_LE(g_nZktLogoGroupBase[g] + i, 1417);
            if (lastGroupAt[col] < 0)
                lastGroupAt[col] = g_nZktLogoGroupBase[g] + i;
            ASSERT_EQ(lastGroupAt[col], g_nZktLogoGroupBase[g] + i) << "column " << col;
            // Everything visible on the handheld's own 320 columns.
            ASSERT_GE(col, 20u);
            ASSERT_LE(col, 339u);
            pixels++;
            col++;
        }
        while (col >= 360) {
            col -= 360;
            row++;
        }
    }
    EXPECT_EQ(end, n - 1) << "the codes end with their only 0";
    EXPECT_LT(row, 39u);
    EXPECT_GT(pixels, 2500u);
    for (int g = 6; g <= 15; g++)
        EXPECT_TRUE(groups[g]) << "group " << g;
    for (int v = 1; v <= 15; v++)
        EXPECT_TRUE(levels[v]) << "intensity " << v;
    int prev = -1;
    for (int c = 0; c < 360; c++)
        if (lastGroupAt[c] >= 0) {
            EXPECT_GT(lastGroupAt[c], prev);
            prev = lastGroupAt[c];
        }
}

TEST(SplashTime, BandsByTime)
{
    std::vector<u8> s = Strip(ZKT_SPLASH_STRIP_LEN);
    auto lit = [&](int j) { return s[3 * j] | s[3 * j + 1] | s[3 * j + 2]; };

    // t = 300: only the two pulse waves, each drawn twice: entries 0..65 and
    // 409..513 (phase 7000), 146..175 and 224..253 (phase 2000).
    ASSERT_EQ(ZKT_DP_SplashZkt_FillStrip(s.data(), 300), 1u);
    for (int j = 0; j < ZKT_SPLASH_STRIP_LEN; j++) {
        bool in = j <= 65 || (j >= 146 && j <= 175) || (j >= 224 && j <= 253) || (j >= 409 && j <= 513);
        if (!in) {
            ASSERT_EQ(lit(j), 0) << j;
        }
    }
    EXPECT_GT(s[3 * 30], s[3 * 30 + 1]); // blue over green in a pulse
    EXPECT_NE(lit(160), 0);

    // t = 5400: the ember and fire bands, the pulses gone.
    ASSERT_EQ(ZKT_DP_SplashZkt_FillStrip(s.data(), 5400), 1u);
    {
        std::vector<u8> ref = Strip(ZKT_SPLASH_STRIP_LEN);
        const SplashColorStop ember[4] = {{0, 0x200000}, {3300, 0x400000}, {6600, 0xC03000}, {10000, 0xFF6000}};
        const SplashColorStop emberRev[4] = {{0, 0xFF6000}, {3300, 0xC03000}, {6600, 0x400000}, {10000, 0x200000}};
        const SplashColorStop fire[4] = {{0, 0x400000}, {3300, 0xFF0000}, {6600, 0xFFFF00}, {10000, 0xFFFFFF}};
        const SplashColorStop fireRev[4] = {{0, 0xFFFFFF}, {3300, 0xFFFF00}, {6600, 0xFF0000}, {10000, 0x400000}};
        const double t = 5400;
        const s32 g = (s32)(10 * std::sin(2 * M_PI * t / 600) + 15);
        const s32 m = (s32)(135 + 135 * std::sin(2 * M_PI * t / 360 - M_PI / 2) + 20);
        const s32 o = (s32)(1200 * std::sin((t - 800) * M_PI / 20000 - M_PI / 2) + 1200);
        const s32 u = (s32)(o + o * std::sin(2 * M_PI * t / 900) + 20);
        EXPECT_NEAR(g, 15, 1);
        EXPECT_EQ(m, 20);
        EXPECT_NEAR(u, 319, 1);
        ZKT_DP_SplashZkt_DrawColorStrip(ref.data(), ZKT_SPLASH_STRIP_LEN, g - m + 241, m, ember, 4);
        ZKT_DP_SplashZkt_DrawColorStrip(ref.data(), ZKT_SPLASH_STRIP_LEN, g + 241, m, emberRev, 4);
        ZKT_DP_SplashZkt_DrawColorStrip(ref.data(), ZKT_SPLASH_STRIP_LEN, g - u + 241, u, fire, 4);
        ZKT_DP_SplashZkt_DrawColorStrip(ref.data(), ZKT_SPLASH_STRIP_LEN, g + 241, u, fireRev, 4);
        EXPECT_EQ(s, ref);
    }
    // t = 5399 still has the pulses on top.
    std::vector<u8> before = Strip(ZKT_SPLASH_STRIP_LEN);
    ZKT_DP_SplashZkt_FillStrip(before.data(), 5399);
    EXPECT_GT(before[3 * 10], s[3 * 10]); // pulse blue near the start

    // t = 5401 to 8800: solid white.
    for (u32 t : {5401u, 8800u}) {
        ASSERT_EQ(ZKT_DP_SplashZkt_FillStrip(s.data(), t), 1u);
        for (int j = 0; j < ZKT_SPLASH_STRIP_LEN - 1; j++)
            ASSERT_EQ(lit(j), 0xFF) << j;
    }

    // t = 10000: black before 177, a 27-entry dark-red edge, then white.
    ASSERT_EQ(ZKT_DP_SplashZkt_FillStrip(s.data(), 10000), 1u);
    EXPECT_EQ(lit(176), 0);
    EXPECT_EQ(s[3 * 177 + 2], 0x40);
    EXPECT_EQ(s[3 * 177], 0);
    EXPECT_EQ(s[3 * 204], 0xFF);
    EXPECT_EQ(s[3 * 1388], 0xFF);

    // t = 11501: nothing.
    EXPECT_EQ(ZKT_DP_SplashZkt_FillStrip(s.data(), 11501), 0u);
}

TEST_F(Splash, FirstFrameClearsAndLaterFramesDrawOver)
{
    g_ulRGBVideoMemOffset = 0x1234;
    mem[0x240000] = 0x55;
    ZKT_DP_SplashZkt_Paint(6000, 12000, 0);
    EXPECT_EQ(g_ulRGBVideoMemOffset, 0x240000u);
    EXPECT_EQ(mem[0x240000], 0);
    EXPECT_EQ(mem[0x240000 - 1], 0xAA);
    EXPECT_EQ(mem[0x240000 + ZKT_SPLASH_CLEAR_BYTES], 0xAA);
    EXPECT_NE(std::vector<u8>(mem.begin() + 0x24E600, mem.begin() + 0x24E600 + 39 * 640),
              std::vector<u8>(39 * 640, 0));

    // Later frames draw logo pixels only; the rest is not cleared again.
    mem[0x240000] = 0x55;
    ZKT_DP_SplashZkt_Paint(6001, 12000, 0);
    EXPECT_EQ(mem[0x240000], 0x55);

    // After the end the last picture and the start address stay.
    std::vector<u8> last(mem.begin() + 0x240000, mem.begin() + 0x240000 + ZKT_SPLASH_CLEAR_BYTES);
    g_ulRGBVideoMemOffset = 0x1234;
    EXPECT_EQ(ZKT_DP_SplashZkt_Paint(11501, 12000, 0), 0u);
    EXPECT_EQ(g_ulRGBVideoMemOffset, 0x1234u);
    EXPECT_TRUE(std::equal(last.begin(), last.end(), mem.begin() + 0x240000));

    // Init starts over with a cleared buffer.
    ZKT_DP_SplashZkt_Init(0);
    ZKT_DP_SplashZkt_Paint(6000, 12000, 0);
    EXPECT_EQ(mem[0x240000], 0);
}

TEST_F(Splash, DestinationPerMode)
{
    // The logo's rows land at row 92 (LCD and NTSC) or 108 (PAL) of the buffer.
    std::vector<u8> s = Strip(ZKT_SPLASH_STRIP_LEN);
    ZKT_DP_SplashZkt_FillStrip(s.data(), 6000);
    struct { u32 mode, dst, lcd; } cases[] = {{0, 0x24E600, 1}, {12, 0x2502C0, 0}, {26, 0x252FC0, 0}};
    for (const auto &c : cases) {
        std::fill(mem.begin(), mem.end(), 0);
        ZKT_DrawSingleSegment(c.lcd, c.dst, g_pZktLogo, s.data(), ZKT_SPLASH_STRIP_LEN);
        std::vector<u8> want(mem.begin() + 0x240000, mem.begin() + 0x240000 + ZKT_SPLASH_CLEAR_BYTES);
        std::fill(mem.begin(), mem.end(), 0xAA);
        ZKT_DP_SplashZkt_Init(0);
        ZKT_DP_SplashZkt_Paint(6000, 12000, c.mode);
        EXPECT_TRUE(std::equal(want.begin(), want.end(), mem.begin() + 0x240000)) << "mode " << c.mode;
        // Nothing above the logo's first row.
        for (u32 a = 0x240000; a < c.dst; a++)
            ASSERT_EQ(mem[a], 0) << "mode " << c.mode;
    }
}

TEST_F(Splash, WhiteFrameShowsGreyLevels)
{
    ZKT_DP_SplashZkt_Paint(5401, 12000, 0);
    int pixels = 0;
    for (u32 a = 0x24E600; a < 0x24E600 + 39 * 640; a += 2) {
        const u16 p = Pixel(a);
        if (!p)
            continue;
        pixels++;
        bool grey = false;
        for (u32 v = 1; v <= 15; v++)
            grey = grey || p == Rgb565(v, 255, 255, 255);
        ASSERT_TRUE(grey) << std::hex << p;
    }
    EXPECT_GT(pixels, 2000);
}

} // namespace
