// Sprite copies: clipping at every edge, colour keys, and the inverse-mapped
// rotating, scaling, blending sprite.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "draw/zkt_draw.h"
#include "draw_surface.h"

namespace {

// Straightforward per-pixel copy, the reference for the clipped drawers.
template <typename Pixel>
void RefSprite(GuardedSurface<Pixel> &s, int x, int y, const u8 *pic, int w, int h, bool bKey, u8 key)
{
    for (int j = 0; j < h; j++)
        for (int i = 0; i < w; i++) {
            const int dx = x + i, dy = y + j;
            const u8 b = pic[j * w + i];
            if (dx < 0 || dy < 0 || dx >= s.w || dy >= s.h || (bKey && b == key))
                continue;
            s.p()[dy * s.w + dx] = (Pixel)(b * (sizeof(Pixel) == 2 ? 257 : 1));
        }
}

std::vector<u8> MakePicture(int w, int h, u32 seed)
{
    std::vector<u8> v(w * h);
    for (auto &b : v) {
        seed = seed * 1664525u + 1013904223u;
        b = (u8)(seed >> 24) % 7; // small values so the key 0 shows up often
    }
    return v;
}

TEST(Sprite8, ClipsAtEveryEdgeLikeAPerPixelCopy)
{
    const int W = 23, H = 17, w = 6, h = 5;
    std::vector<u8> pic = MakePicture(w, h, 1);
    for (int y = -h - 1; y <= H + 1; y++)
        for (int x = -w - 1; x <= W + 1; x++)
            for (int key = 0; key < 2; key++) {
                GuardedSurface<u8> got(W, H, 0xEE), want(W, H, 0xEE);
                ZKT_DrawSprite8(got.p(), W, H, x, y, pic.data(), w, h, key, 0);
                RefSprite(want, x, y, pic.data(), w, h, key, 0);
                ASSERT_EQ(got.buf, want.buf) << x << "," << y << " key " << key;
            }
}

TEST(Sprite8, EdgeCases)
{
    const u8 pic[8] = {1, 2, 3, 4, 5, 6, 7, 8}; // 4 x 2
    GuardedSurface<u8> s(10, 6);
    ZKT_DrawSprite8(s.p(), 10, 6, 10, 0, pic, 4, 2, 0, 0); // x = width
    EXPECT_EQ(s.Count(0), 60);
    ZKT_DrawSprite8(s.p(), 10, 6, -2, 1, pic, 4, 2, 0, 0); // half off the left
    EXPECT_EQ(s.at(0, 1), 3);
    EXPECT_EQ(s.at(1, 1), 4);
    EXPECT_EQ(s.at(0, 2), 7);
    EXPECT_EQ(s.at(1, 2), 8);
    EXPECT_EQ(s.Count(0), 56);
    ZKT_DrawSprite8(s.p(), 10, 6, 3, 3, pic, 4, 2, 1, 6); // key 6 skipped
    EXPECT_EQ(s.at(3, 4), 5);
    EXPECT_EQ(s.at(4, 4), 0);
    EXPECT_EQ(s.at(5, 4), 7);
    EXPECT_TRUE(s.GuardsIntact());
}

TEST(SpriteW8, DoublesEachIndexAndClipsLikeTheByteForm)
{
    const int W = 19, H = 13, w = 5, h = 7;
    std::vector<u8> pic = MakePicture(w, h, 9);
    for (int y = -h - 1; y <= H + 1; y += 2)
        for (int x = -w - 1; x <= W + 1; x++) {
            GuardedSurface<u16> got(W, H, 0x1111), want(W, H, 0x1111);
            ZKT_DrawSpriteW8(got.p(), W, H, x, y, pic.data(), w, h, 1, 3);
            RefSprite(want, x, y, pic.data(), w, h, true, 3);
            ASSERT_EQ(got.buf, want.buf) << x << "," << y;
        }
    GuardedSurface<u16> s(4, 1);
    const u8 one = 0xAB;
    ZKT_DrawSpriteW8(s.p(), 4, 1, 2, 0, &one, 1, 1, 0, 0);
    EXPECT_EQ(s.at(2, 0), 0xABAB);
}

constexpr s32 kOne = 16384;

TEST(AdvSprite, IdentityDrawsThePictureCentred)
{
    for (int sw : {4, 5})
        for (int sh : {3, 6}) {
            std::vector<u32> pic(sw * sh);
            for (int i = 0; i < sw * sh; i++)
                pic[i] = 0xFF000000u | (u32)(i + 1);
            GuardedSurface<u32> s(40, 30, 0x12345678);
            ZKT_Draw_AdvSprite(s.p(), 40, 30, 20, 15, pic.data(), sw, sh, kOne, 0, 0, kOne);
            int drawn = 0;
            for (int y = 0; y < 30; y++)
                for (int x = 0; x < 40; x++) {
                    const int i = x - (20 - sw / 2), j = y - (15 - sh / 2);
                    const bool bIn = i >= 0 && j >= 0 && i < sw && j < sh;
                    ASSERT_EQ(s.at(x, y), bIn ? (u32)(j * sw + i + 1) : 0x12345678u) << x << "," << y;
                    drawn += bIn;
                }
            EXPECT_EQ(drawn, sw * sh);
            EXPECT_TRUE(s.GuardsIntact());
        }
}

TEST(AdvSprite, QuarterTurnWithZeroSteps)
{
    // u follows the destination row, v the negated column: a quarter turn.
    std::vector<u32> pic(9);
    for (int i = 0; i < 9; i++)
        pic[i] = 0xFF000000u | (u32)(i + 1);
    GuardedSurface<u32> s(20, 20);
    ZKT_Draw_AdvSprite(s.p(), 20, 20, 10, 10, pic.data(), 3, 3, 0, -kOne, kOne, 0);
    for (int y = 0; y < 20; y++)
        for (int x = 0; x < 20; x++) {
            const int u = 1 + (y - 10), v = 1 - (x - 10);
            const bool bIn = u >= 0 && v >= 0 && u < 3 && v < 3;
            ASSERT_EQ(s.at(x, y), bIn ? (u32)(v * 3 + u + 1) : 0u) << x << "," << y;
        }
}

TEST(AdvSprite, EveryPixelThatMapsIntoThePictureIsVisited)
{
    // Scaled, rotated and sheared steps: the result equals a brute-force
    // inverse mapping over the whole surface.
    const s32 steps[][4] = {{kOne, 14746, 0, 1638},   {8192, 0, 0, 8192},     {11585, 11585, -11585, 11585},
                            {-kOne, 0, 0, -kOne},     {3000, -40000, 700, 200}, {20, 0, 0, 20},
                            {kOne, kOne, kOne, kOne}, {0, 0, 0, 0}};
    const int W = 64, H = 48, sw = 7, sh = 5;
    std::vector<u32> pic(sw * sh);
    for (int i = 0; i < sw * sh; i++)
        pic[i] = 0xFF000000u | (u32)(i + 1);
    for (auto &st : steps) {
        GuardedSurface<u32> s(W, H);
        ZKT_Draw_AdvSprite(s.p(), W, H, 30, 21, pic.data(), sw, sh, st[0], st[1], st[2], st[3]);
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) {
                const long long u = (sw / 2) * 16384LL + (long long)st[0] * (x - 30) + (long long)st[2] * (y - 21);
                const long long v = (sh / 2) * 16384LL + (long long)st[1] * (x - 30) + (long long)st[3] * (y - 21);
                const bool bIn = u >= 0 && v >= 0 && (u >> 14) < sw && (v >> 14) < sh;
                ASSERT_EQ(s.at(x, y), bIn ? (u32)((v >> 14) * sw + (u >> 14) + 1) : 0u)
                    << x << "," << y << " steps " << st[0] << " " << st[1] << " " << st[2] << " " << st[3];
            }
        EXPECT_TRUE(s.GuardsIntact());
    }
}

TEST(AdvSprite, AlphaZeroSkipsFullAlphaReplaces)
{
    const u32 pic[2] = {0x00FFFFFFu, 0xFF123456u};
    GuardedSurface<u32> s(8, 8, 0xAA998877u);
    ZKT_Draw_AdvSprite(s.p(), 8, 8, 4, 4, pic, 2, 1, kOne, 0, 0, kOne);
    EXPECT_EQ(s.at(3, 4), 0xAA998877u);
    EXPECT_EQ(s.at(4, 4), 0x00123456u); // top byte cleared
}

TEST(AdvSprite, PartialAlphaBlendsWithThirtyTwoLevels)
{
    // The blend keeps 5-6-5 bits and weighs source and surface by a and
    // 31 - a out of 32: the result is near the exact mix, never brighter,
    // and its top byte is 0.
    srand(21);
    for (int n = 0; n < 3000; n++) {
        const u32 a8 = 0x01 + rand() % 0xFE; // 0x01..0xFE
        const u32 src = (a8 << 24) | ((u32)rand() & 0xFFFFFF);
        const u32 dst = (u32)rand() * 2654435761u;
        GuardedSurface<u32> s(1, 1, dst);
        ZKT_Draw_AdvSprite(s.p(), 1, 1, 0, 0, &src, 1, 1, kOne, 0, 0, kOne);
        const u32 got = s.at(0, 0);
        ASSERT_EQ(got >> 24, 0u);
        const int a = (int)(src >> 27);
        for (int sh = 0; sh < 24; sh += 8) {
            const double mix = (((src >> sh) & 0xFF) * a + ((dst >> sh) & 0xFF) * (31 - a)) / 32.0;
            const int g = (int)((got >> sh) & 0xFF);
            ASSERT_LE(g, mix + 0.5) << std::hex << src << " over " << dst << " -> " << got;
            ASSERT_GE(g, mix - 17) << std::hex << src << " over " << dst << " -> " << got;
        }
    }
    // Opaque white at the largest partial weight is nearly white, not half.
    const u32 white = 0xFEFFFFFFu;
    GuardedSurface<u32> s(1, 1, 0);
    ZKT_Draw_AdvSprite(s.p(), 1, 1, 0, 0, &white, 1, 1, kOne, 0, 0, kOne);
    EXPECT_EQ(s.at(0, 0), 0xF0F4F0u);
}

TEST(AdvSprite, DegenerateArgumentsAreIgnored)
{
    const u32 pic = 0xFFFFFFFFu;
    u32 px = 7;
    ZKT_Draw_AdvSprite(&px, 1, 1, 0, 0, &pic, 0, 1, kOne, 0, 0, kOne);
    ZKT_Draw_AdvSprite(&px, 1, 1, 0, 0, &pic, 1, -1, kOne, 0, 0, kOne);
    ZKT_Draw_AdvSprite(&px, 0, 1, 0, 0, &pic, 1, 1, kOne, 0, 0, kOne);
    ZKT_Draw_AdvSprite(&px, 1, 1, 0, 0, nullptr, 1, 1, kOne, 0, 0, kOne);
    EXPECT_EQ(px, 7u);
}

} // namespace
