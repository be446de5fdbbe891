// Thousands of lines and sprites with wild coordinates (fixed seeds) into
// surfaces with guard pixels around them, and into exactly sized heap
// blocks so that AddressSanitizer sees any stray access at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "draw/zkt_draw.h"
#include "draw_surface.h"

namespace {

struct Rng {
    u32 s;
    u32 Next()
    {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
    // Mostly near the surface, sometimes anywhere in the s32 range or at
    // the extremes.
    s32 Coord(s32 extent)
    {
        static const s32 kWild[] = {INT_MIN, INT_MIN + 1, -(1 << 30), -(1 << 30) - 1, -65536, -1, 0,
                                    1,       65535,       1 << 30,    (1 << 30) + 1,  INT_MAX - 1, INT_MAX};
        switch (Next() % 8) {
        case 0: return kWild[Next() % (sizeof kWild / sizeof kWild[0])];
        case 1: return (s32)Next();
        case 2: return (s32)(Next() % 200000) - 100000;
        default: return (s32)(Next() % (u32)(3 * extent)) - extent;
        }
    }
    s32 Thickness()
    {
        switch (Next() % 6) {
        case 0: return (s32)Next();
        case 1: return (s32)(Next() % 100000);
        default: return (s32)(Next() % 12);
        }
    }
};

template <typename Pixel> struct Surfaces {
    GuardedSurface<Pixel> guarded;
    std::vector<Pixel> exact;
    Surfaces(int w, int h) : guarded(w, h), exact((size_t)w * h) {}
};

TEST(DrawFuzz, LinesNeverWriteOutsideTheSurface)
{
    const int sizes[][2] = {{320, 240}, {360, 288}, {1, 1}, {7, 300}, {300, 3}};
    Rng r{12345};
    for (auto &sz : sizes) {
        const int W = sz[0], H = sz[1];
        Surfaces<u8> s8(W, H);
        Surfaces<u16> s16(W, H);
        Surfaces<u32> sf32(W, H);
        for (int n = 0; n < 3000; n++) {
            const s32 x0 = r.Coord(W), y0 = r.Coord(H), x1 = r.Coord(W), y1 = r.Coord(H);
            const s32 th = r.Thickness();
            ZKT_DrawLineW8(s8.guarded.p(), W, H, x0, y0, x1, y1, th, 1);
            ZKT_DrawLineW8(s8.exact.data(), W, H, x0, y0, x1, y1, th, 1);
            ZKT_DrawLineW16(s16.guarded.p(), W, H, x0, y0, x1, y1, th, 1);
            ZKT_DrawLineW16(s16.exact.data(), W, H, x0, y0, x1, y1, th, 1);
            ZKT_DrawLine16(s16.guarded.p(), W, H, x0, y0, x1, y1, 2);
            ZKT_DrawLine16(s16.exact.data(), W, H, x0, y0, x1, y1, 2);
            ZKT_DrawLine32(sf32.guarded.p(), W, H, x0, y0, x1, y1, 3);
            ZKT_DrawLine32(sf32.exact.data(), W, H, x0, y0, x1, y1, 3);
        }
        EXPECT_TRUE(s8.guarded.GuardsIntact()) << W << "x" << H;
        EXPECT_TRUE(s16.guarded.GuardsIntact()) << W << "x" << H;
        EXPECT_TRUE(sf32.guarded.GuardsIntact()) << W << "x" << H;
        EXPECT_GT(s8.guarded.Count(1), 0) << W << "x" << H;
    }
}

TEST(DrawFuzz, SpritesNeverAccessOutsideSurfaceOrPicture)
{
    Rng r{777};
    const int W = 96, H = 64;
    Surfaces<u8> s8(W, H);
    Surfaces<u16> s16(W, H);
    Surfaces<u32> sf32(W, H);
    for (int n = 0; n < 3000; n++) {
        const int w = 1 + (int)(r.Next() % 40), h = 1 + (int)(r.Next() % 40);
        std::vector<u8> pic8((size_t)w * h);
        std::vector<u32> pic32((size_t)w * h);
        for (size_t i = 0; i < pic8.size(); i++) {
            pic8[i] = (u8)r.Next();
            pic32[i] = r.Next();
        }
        const s32 x = r.Coord(W), y = r.Coord(H);
        const u32 key = r.Next() & 1;
        ZKT_DrawSprite8(s8.guarded.p(), W, H, x, y, pic8.data(), w, h, key, 0);
        ZKT_DrawSprite8(s8.exact.data(), W, H, x, y, pic8.data(), w, h, key, 0);
        ZKT_DrawSpriteW8(s16.guarded.p(), W, H, x, y, pic8.data(), w, h, key, 0);
        ZKT_DrawSpriteW8(s16.exact.data(), W, H, x, y, pic8.data(), w, h, key, 0);

        s32 st[4];
        for (auto &v : st) {
            switch (r.Next() % 4) {
            case 0: v = (s32)r.Next(); break;
            case 1: v = 0; break;
            default: v = (s32)(r.Next() % 65536) - 32768; break;
            }
        }
        ZKT_Draw_AdvSprite(sf32.guarded.p(), W, H, x, y, pic32.data(), w, h, st[0], st[1], st[2], st[3]);
        ZKT_Draw_AdvSprite(sf32.exact.data(), W, H, x, y, pic32.data(), w, h, st[0], st[1], st[2], st[3]);
    }
    EXPECT_TRUE(s8.guarded.GuardsIntact());
    EXPECT_TRUE(s16.guarded.GuardsIntact());
    EXPECT_TRUE(sf32.guarded.GuardsIntact());
    EXPECT_TRUE(std::equal(s8.exact.begin(), s8.exact.end(), s8.guarded.p()));
    EXPECT_TRUE(std::equal(sf32.exact.begin(), sf32.exact.end(), sf32.guarded.p()));
}

} // namespace
