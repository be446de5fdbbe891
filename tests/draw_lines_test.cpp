// One-pixel and thick lines: clipping cases and the shape of what is drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "draw/zkt_draw.h"
#include "draw_surface.h"

namespace {

// Distance from pixel (px, py) to the segment (x0, y0)-(x1, y1).
double SegDist(double px, double py, double x0, double y0, double x1, double y1)
{
    const double dx = x1 - x0, dy = y1 - y0;
    if (dx == 0 && dy == 0)
        return std::hypot(px - x0, py - y0);
    double t = ((px - x0) * dx + (py - y0) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return std::hypot(px - (x0 + t * dx), py - (y0 + t * dy));
}

TEST(Line1, StraightLinesClampAndSkip)
{
    GuardedSurface<u16> s(20, 10);
    ZKT_DrawLine16(s.p(), 20, 10, -9, 2, -1, 7, 1); // both ends left
    ZKT_DrawLine16(s.p(), 20, 10, 20, -5, 20, 50, 1); // x = width
    ZKT_DrawLine16(s.p(), 20, 10, -5, 10, 50, 10, 1); // y = height
    EXPECT_EQ(s.Count(0), 200);

    ZKT_DrawLine16(s.p(), 20, 10, 3, 50, 3, -50, 7); // whole column
    EXPECT_EQ(s.Count(7), 10);
    ZKT_DrawLine16(s.p(), 20, 10, 25, 4, 15, 4, 9); // clamped to 15..19
    EXPECT_EQ(s.Count(9), 5);
    EXPECT_EQ(s.at(15, 4), 9);
    EXPECT_EQ(s.at(19, 4), 9);
    EXPECT_TRUE(s.GuardsIntact());
}

TEST(Line1, InsideLinesHitBothEndsOnePixelPerStep)
{
    srand(3);
    for (int n = 0; n < 500; n++) {
        GuardedSurface<u32> s(64, 48);
        const int x0 = rand() % 64, y0 = rand() % 48, x1 = rand() % 64, y1 = rand() % 48;
        ZKT_DrawLine32(s.p(), 64, 48, x0, y0, x1, y1, 0xFFFFFFFF);
        const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
        ASSERT_EQ(s.Count(0xFFFFFFFF), (dx > dy ? dx : dy) + 1) << x0 << "," << y0 << " " << x1 << "," << y1;
        // The start (smaller major coordinate) is exact; the 16.16 slope is
        // truncated, so the far end may sit one step short on the minor axis.
        const bool bXMajor = dx > dy;
        const bool bFirstStarts = bXMajor ? x0 <= x1 : y0 <= y1;
        const int sx = bFirstStarts ? x0 : x1, sy = bFirstStarts ? y0 : y1;
        const int ex = bFirstStarts ? x1 : x0, ey = bFirstStarts ? y1 : y0;
        EXPECT_EQ(s.at(sx, sy), 0xFFFFFFFFu);
        const int step = bXMajor ? (ey > sy ? -1 : 1) : (ex > sx ? -1 : 1);
        EXPECT_TRUE(s.at(ex, ey) || s.at(bXMajor ? ex : ex + step, bXMajor ? ey + step : ey));
        for (int y = 0; y < 48; y++) {
            for (int x = 0; x < 64; x++) {
                if (s.at(x, y)) {
                    ASSERT_LT(SegDist(x, y, x0, y0, x1, y1), 1.0);
                }
            }
        }
    }
}

TEST(Line1, ClippedLinesStayOnTheLineAndCrossTheWholeSurface)
{
    // End points far outside: every pixel drawn is near the line, and a
    // line crossing the surface lights one pixel per major step across it.
    srand(5);
    for (int n = 0; n < 2000; n++) {
        GuardedSurface<u16> s(50, 40);
        const int x0 = rand() % 400 - 200, y0 = rand() % 400 - 200;
        const int x1 = rand() % 400 - 200, y1 = rand() % 400 - 200;
        ZKT_DrawLine16(s.p(), 50, 40, x0, y0, x1, y1, 1);
        ASSERT_TRUE(s.GuardsIntact());
        const bool bXMajor = std::abs(x1 - x0) > std::abs(y1 - y0);
        int perStep[50] = {};
        for (int y = 0; y < 40; y++)
            for (int x = 0; x < 50; x++)
                if (s.at(x, y)) {
                    ASSERT_LT(SegDist(x, y, x0, y0, x1, y1), 2.0) << x0 << "," << y0 << " " << x1 << "," << y1;
                    perStep[bXMajor ? x : y]++;
                }
        for (int i = 0; i < (bXMajor ? 50 : 40); i++)
            ASSERT_LE(perStep[i], 1);
    }
    // A diagonal across the surface from far outside still reaches it.
    GuardedSurface<u16> s(50, 40);
    ZKT_DrawLine16(s.p(), 50, 40, -1000, -1000, 1000, 1000, 1);
    EXPECT_GE(s.Count(1), 38);
    EXPECT_EQ(s.at(20, 20), 1);
}

TEST(LineThick, StraightCases)
{
    GuardedSurface<u8> s(40, 30);
    // Thickness 3 at y = 0: rows -1..1, row -1 cut.
    ZKT_DrawLineW8(s.p(), 40, 30, 5, 0, 9, 0, 3, 1);
    EXPECT_EQ(s.Count(1), 10);
    EXPECT_EQ(s.at(5, 0), 1);
    EXPECT_EQ(s.at(9, 1), 1);
    // Thickness 1: h1 = 0, h2 = 1, exactly the centre row / column.
    ZKT_DrawLineW8(s.p(), 40, 30, 2, 20, 7, 20, 1, 2);
    EXPECT_EQ(s.Count(2), 6);
    ZKT_DrawLineW8(s.p(), 40, 30, 30, 25, 30, 5, 1, 3);
    EXPECT_EQ(s.Count(3), 21);
    // Thickness 4 vertical: columns x - 2 .. x + 1.
    ZKT_DrawLineW8(s.p(), 40, 30, 20, 3, 20, 4, 4, 4);
    EXPECT_EQ(s.Count(4), 8);
    EXPECT_EQ(s.at(18, 3), 4);
    EXPECT_EQ(s.at(21, 4), 4);
    EXPECT_TRUE(s.GuardsIntact());
}

TEST(LineThick, StreaksLeavingTheScreen)
{
    GuardedSurface<u8> s(320, 240);
    ZKT_DrawLineW8(s.p(), 320, 240, -39, 170, -9, 170, 5, 9);
    EXPECT_EQ(s.Count(9), 0);
    ZKT_DrawLineW8(s.p(), 320, 240, -20, 170, 10, 170, 5, 9);
    EXPECT_EQ(s.Count(9), 11 * 5);
    for (int y = 168; y <= 172; y++) {
        EXPECT_EQ(s.at(0, y), 9);
        EXPECT_EQ(s.at(10, y), 9);
        EXPECT_EQ(s.at(11, y), 0);
    }
    // The 16-bit form writes the colour as given, here an index on both halves.
    GuardedSurface<u16> t(360, 288);
    ZKT_DrawLineW16(t.p(), 360, 288, 350, 100, 380, 100, 3, 7 * 257);
    EXPECT_EQ(t.Count(7 * 257), 10 * 3);
    EXPECT_TRUE(s.GuardsIntact());
    EXPECT_TRUE(t.GuardsIntact());
}

TEST(LineThick, SlopedLinesCoverTheirBandOnly)
{
    // Sloped thick lines well inside: the centre line is covered except for
    // its last pixel at either end (on the caps' edges), and nothing lies farther out than half the thickness
    // plus the rounding of corners and spans.
    srand(11);
    for (int n = 0; n < 400; n++) {
        GuardedSurface<u8> s(80, 60);
        const int x0 = 10 + rand() % 60, y0 = 10 + rand() % 40, x1 = 10 + rand() % 60, y1 = 10 + rand() % 40;
        const int th = 3 + rand() % 6;
        if (x0 == x1 || y0 == y1)
            continue;
        ZKT_DrawLineW8(s.p(), 80, 60, x0, y0, x1, y1, th, 1);
        ASSERT_TRUE(s.GuardsIntact());
        const double len = std::hypot(x1 - x0, y1 - y0);
        for (double t = 1.0; t <= len - 1.0; t += 0.25) {
            // Edges are walked in whole rows with slopes over dy + 1 rows, so
            // they may run a fraction of a pixel off: the centre pixel or
            // one beside it on the row is covered.
            const double fx = x0 + (x1 - x0) * t / len;
            const int cy = (int)std::lround(y0 + (y1 - y0) * t / len);
            const int cl = (int)std::floor(fx), cr = (int)std::ceil(fx);
            ASSERT_TRUE(s.at(cl, cy) || s.at(cr, cy)) << x0 << "," << y0 << " " << x1 << "," << y1 << " t" << th;
        }
        for (int y = 0; y < 60; y++) {
            for (int x = 0; x < 80; x++) {
                if (s.at(x, y)) {
                    ASSERT_LT(SegDist(x, y, x0, y0, x1, y1), th / 2.0 + 2.5);
                }
            }
        }
    }
}

TEST(LineThick, ThicknessBelowOneDrawsNothing)
{
    GuardedSurface<u8> s(40, 30);
    for (int th : {0, -1, -3, -1000000})
        for (int k = 0; k < 3; k++)
            ZKT_DrawLineW8(s.p(), 40, 30, 5, 5, k ? 30 : 5, k == 1 ? 5 : 20, th, 1);
    EXPECT_EQ(s.Count(1), 0);
    EXPECT_TRUE(s.GuardsIntact());
}

TEST(LineThick, DegenerateSurfacesAreIgnored)
{
    u8 px = 0x55;
    ZKT_DrawLineW8(&px, 0, 1, 0, 0, 5, 5, 3, 1);
    ZKT_DrawLineW8(&px, 1, -4, 0, 0, 5, 5, 3, 1);
    ZKT_DrawLineW8(nullptr, 10, 10, 0, 0, 5, 5, 3, 1);
    ZKT_DrawLine16(nullptr, 10, 10, 0, 0, 5, 5, 1);
    EXPECT_EQ(px, 0x55);
}

} // namespace
