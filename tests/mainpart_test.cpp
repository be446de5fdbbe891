// The main part's pure pieces (wipes, visible ranges, span table, sprite
// order and drawing, formation extents, text slots and glyphs) and whole
// paints run against a private video memory block.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "assets/assets.h"
#include "assets/textfont.h"
#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "lowlevel/desktop/zkt_softrender_px.h"
#include "parts/dp_testPart.h"
#include "tools/zkt_basictools.h"

namespace {

struct Trig : ::testing::Environment {
    void SetUp() override { ZKT_PreCalc_SinCos(nullptr, nullptr); }
};
[[maybe_unused]] const auto *s_trig = ::testing::AddGlobalTestEnvironment(new Trig);

constexpr u32 kGuard = 4096;
constexpr u8 kGuardByte = 0xA5;

struct VideoMem {
    std::vector<u8> buf;
    u8 *saved;
    VideoMem() : buf(ZKT_VIDEO_MEM_SIZE + kGuard, 0)
    {
        std::memset(buf.data() + ZKT_VIDEO_MEM_SIZE, kGuardByte, kGuard);
        saved = g_GP2X_VIDEO_BASE_PTR;
        g_GP2X_VIDEO_BASE_PTR = buf.data();
    }
    ~VideoMem() { g_GP2X_VIDEO_BASE_PTR = saved; }
    u8 *at(u32 off) { return buf.data() + off; }
    bool GuardIntact() const
    {
        for (u32 i = 0; i < kGuard; i++)
            if (buf[ZKT_VIDEO_MEM_SIZE + i] != kGuardByte)
                return false;
        return true;
    }
};

TESTPART_GEOMETRY Geo(u32 mode)
{
    TESTPART_GEOMETRY g;
    TestPart_GetGeometry(mode, &g);
    return g;
}

constexpr u32 kSlot = TESTPART_BG_SLOT_SIZE;

// ---- Geometry and backgrounds ----

TEST(MainPartGeometry, LcdNtscPal)
{
    TESTPART_GEOMETRY g = Geo(0);
    EXPECT_EQ(g.P, 320);
    EXPECT_EQ(g.W, 320);
    EXPECT_EQ(g.H, 240);
    EXPECT_EQ(g.X0, 0);
    g = Geo(12);
    EXPECT_EQ(g.P, 360);
    EXPECT_EQ(g.W, 720);
    EXPECT_EQ(g.H, 240);
    EXPECT_EQ(g.X0, 20);
    g = Geo(26);
    EXPECT_EQ(g.H, 288);
    EXPECT_EQ(Geo(5).H, 240); // any other television mode is 240 lines
}

struct Wipe {
    u32 upper, lower;
    s32 split;
};
Wipe At(u32 t, s32 H = 240)
{
    Wipe w;
    GetYUVBackgroundInfo(t, H, &w.upper, &w.lower, &w.split);
    return w;
}

TEST(MainPartBackground, StartShowsTheSixthPictureWhole)
{
    for (u32 t : {0u, 1u, 5000u, 15898u}) {
        Wipe w = At(t);
        EXPECT_EQ(w.upper, 5 * kSlot) << t;
        EXPECT_EQ(w.lower, 5 * kSlot) << t;
        EXPECT_EQ(w.split, 240) << t;
    }
}

TEST(MainPartBackground, CutToBlackAt15900)
{
    // The one-millisecond "wipe" of an odd duration never eases to 0: at
    // 15899 and 15900 only the last line is black; from 15901 all of it.
    for (u32 t : {15899u, 15900u}) {
        Wipe w = At(t);
        EXPECT_EQ(w.upper, 5 * kSlot);
        EXPECT_EQ(w.lower, TESTPART_BG_BLACK);
        EXPECT_EQ(w.split, 239);
    }
    Wipe w;
    for (u32 t : {15901u, 16000u, 16249u}) {
        w = At(t);
        EXPECT_EQ(w.upper, TESTPART_BG_BLACK) << t;
        EXPECT_EQ(w.lower, TESTPART_BG_BLACK) << t;
        EXPECT_EQ(w.split, 240) << t;
    }
}

TEST(MainPartBackground, HalfwayThroughTheNebulaWipe)
{
    Wipe w = At(17625);
    EXPECT_EQ(w.upper, TESTPART_BG_BLACK);
    EXPECT_EQ(w.lower, 1 * kSlot);
    EXPECT_EQ(w.split, 119);
    EXPECT_EQ(At(17625, 288).split, 143);
}

TEST(MainPartBackground, EveryWipeEasesMonotonicallyToItsImage)
{
    for (s32 i = 2; i < TESTPART_YUVCTRL_COUNT; i++) {
        const TESTPART_YUVCTRL &rec = g_ctrlYuv[i];
        const u32 oldOff = g_ctrlYuv[i - 1].image * kSlot, newOff = rec.image * kSlot;
        for (s32 H : {240, 288}) {
            s32 prev = rec.fromTop ? -1 : H + 1;
            s32 steps = 0;
            for (u32 t = rec.time - rec.duration; t <= rec.time; t += 25) {
                Wipe w = At(t, H);
                ASSERT_GE(w.split, 0);
                ASSERT_LE(w.split, H);
                if (w.split == H) {
                    // Nothing of one picture shows: both regions are the same.
                    EXPECT_EQ(w.upper, w.lower);
                    continue;
                }
                steps++;
                EXPECT_EQ(w.upper, rec.fromTop ? newOff : oldOff) << t;
                EXPECT_EQ(w.lower, rec.fromTop ? oldOff : newOff) << t;
                if (rec.fromTop)
                    EXPECT_GE(w.split, prev) << t;
                else
                    EXPECT_LE(w.split, prev) << t;
                prev = w.split;
            }
            EXPECT_GT(steps, 100) << i;
            // Just before the wipe the old picture is whole, just after it the new.
            Wipe before = At(rec.time - rec.duration - 1, H), after = At(rec.time + 1, H);
            EXPECT_EQ(before.upper, oldOff);
            EXPECT_EQ(before.lower, oldOff);
            EXPECT_EQ(after.upper, newOff);
            EXPECT_EQ(after.lower, newOff);
            EXPECT_EQ(after.split, H);
        }
    }
    // After the last record the Julia set stays to the end.
    Wipe w = At(113999);
    EXPECT_EQ(w.upper, 4 * kSlot);
    EXPECT_EQ(w.split, 240);
}

TEST(MainPartBackground, EasingIsSlowAtTheEndsFastInTheMiddle)
{
    // Record 2 rises from the bottom over 16250..19000.
    const s32 first = 240 - 1 - At(16250 + 250).split;
    const s32 middle = At(17500).split - At(17750).split;
    EXPECT_GT(middle, 3 * first);
}

TEST(MainPartInit, CopiesBackgroundsBlackSlotAndSpanTable)
{
    VideoMem vm;
    EXPECT_EQ(ZKT_DP_TestPart_Init(0), 1u);
    // LCD: the central 320 columns, packed at 640 bytes per row.
    EXPECT_EQ(0, std::memcmp(vm.at(0), BMP_YUV1 + 40, 640));
    EXPECT_EQ(0, std::memcmp(vm.at(239 * 640), BMP_YUV1 + 239 * 720 + 40, 640));
    EXPECT_EQ(0, std::memcmp(vm.at(5 * kSlot + 100 * 640), BMP_YUV6 + 100 * 720 + 40, 640));
    // The fifth picture is taken from row 18 down on 240-line screens.
    EXPECT_EQ(0, std::memcmp(vm.at(4 * kSlot), BMP_YUV5 + 18 * 720 + 40, 640));
    const u8 black[4] = {0x10, 0x80, 0x10, 0x80};
    EXPECT_EQ(0, std::memcmp(vm.at(TESTPART_BG_BLACK), black, 4));
    EXPECT_EQ(0, std::memcmp(vm.at(TESTPART_BG_BLACK_END - 4), black, 4));
    EXPECT_EQ(vm.at(TESTPART_BG_BLACK_END)[0], 0);

    const ZKT_SPRDEF expect[8] = {{8, 0}, {2, 5}, {1, 7}, {1, 7}, {1, 7}, {1, 7}, {1, 7}, {2, 5}};
    for (int j = 0; j < 8; j++) {
        EXPECT_EQ(g_sprdef[j].start, expect[j].start) << j;
        EXPECT_EQ(g_sprdef[j].length, expect[j].length) << j;
    }
}

TEST(MainPartAssets, PicturesHaveTheirSizesAndRanges)
{
    for (u32 len : {BMP_YUV1_LEN, BMP_YUV2_LEN, BMP_YUV3_LEN, BMP_YUV4_LEN, BMP_YUV5_LEN, BMP_YUV6_LEN})
        EXPECT_EQ(len, 360u * 288u * 2u);
    ASSERT_EQ(BMP_VORNLOGO_LEN, 360u * 150u);
    // 0 outside the letters, 42..255 inside; the opening sweeps from the
    // left: the left half's mean threshold is below the right half's.
    int lo = 256, hi = -1;
    double sum[2] = {}, n[2] = {};
    for (u32 i = 0; i < BMP_VORNLOGO_LEN; i++) {
        const int v = BMP_VORNLOGO[i];
        if (v == 0)
            continue;
        ASSERT_GE(v, 42);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        const int half = (i % 360) < 160 ? 0 : 1;
        sum[half] += v;
        n[half]++;
    }
    EXPECT_EQ(lo, 42);
    EXPECT_EQ(hi, 255);
    EXPECT_GT(n[0] + n[1], 8000);
    EXPECT_LT(sum[0] / n[0], sum[1] / n[1]);
    // The handheld's screen shows columns 0..319 of each row: the word fits.
    for (u32 r = 0; r < 150; r++)
        for (u32 c = 320; c < 360; c++)
            ASSERT_EQ(BMP_VORNLOGO[r * 360 + c], 0) << r << "," << c;
    // No background is a flat fill: every picture has plenty of lumas.
    for (const u8 *pic : {BMP_YUV1, BMP_YUV2, BMP_YUV3, BMP_YUV4, BMP_YUV5, BMP_YUV6}) {
        bool seen[256] = {};
        int distinct = 0;
        for (u32 i = 0; i < 360u * 288u * 2u; i += 2)
            if (!seen[pic[i]]) {
                seen[pic[i]] = true;
                distinct++;
            }
        EXPECT_GT(distinct, 50);
    }
}

TEST(MainPartInit, TelevisionCopiesWholeRows)
{
    VideoMem vm;
    ZKT_DP_TestPart_Init(26);
    EXPECT_EQ(0, std::memcmp(vm.at(0), BMP_YUV1, 720 * 288));
    EXPECT_EQ(0, std::memcmp(vm.at(4 * kSlot), BMP_YUV5, 720 * 288));
    ZKT_DP_TestPart_Init(12);
    EXPECT_EQ(0, std::memcmp(vm.at(4 * kSlot), BMP_YUV5 + 18 * 720, 720 * 240));
    EXPECT_TRUE(vm.GuardIntact());
}

// ---- Visible range ----

struct Range {
    s32 first, last;
};
Range Visible(s32 t, s32 S, s32 E)
{
    Range r;
    TestPart_VisibleRange(t, S, E, &r.first, &r.last);
    return r;
}

TEST(MainPartRange, RingFadesInAndOut)
{
    EXPECT_EQ(Visible(18000, 18000, 40000).last, -500);
    EXPECT_EQ(Visible(19000, 18000, 40000).last, 0);
    EXPECT_EQ(Visible(20000, 18000, 40000).last, 500);
    EXPECT_EQ(Visible(22000, 18000, 40000).last, 1500);
    EXPECT_EQ(Visible(22001, 18000, 40000).last, 1500);
    EXPECT_EQ(Visible(18001, 18000, 40000).last, -499); // truncates towards zero
    EXPECT_EQ(Visible(36999, 18000, 40000).first, 0);
    EXPECT_EQ(Visible(37000, 18000, 40000).first, 0);
    EXPECT_EQ(Visible(38000, 18000, 40000).first, 500);
    EXPECT_EQ(Visible(39999, 18000, 40000).first, 1500);
}

TEST(MainPartRange, OtherFormationsUseTheirBands)
{
    const s32 bands[3][2] = {{40000, 58000}, {58000, 78000}, {78000, 99000}};
    for (auto &b : bands) {
        EXPECT_LT(Visible(b[0], b[0], b[1]).last, 0);
        EXPECT_EQ(Visible(b[0] + 2000, b[0], b[1]).last, 500);
        EXPECT_EQ(Visible(b[0] + 4000, b[0], b[1]).last, 1500);
        EXPECT_EQ(Visible(b[1] - 3000, b[0], b[1]).first, 0);
        EXPECT_EQ(Visible(b[1] - 1500, b[0], b[1]).first, 750);
        EXPECT_EQ(Visible(b[1] - 1, b[0], b[1]).first, 1500);
    }
}

// ---- Sprites ----

TEST(MainPartSprites, DepthOrderIsStableForEqualDepths)
{
    std::vector<TESTPART_SPRITE> s(TESTPART_SPRITES);
    for (s32 k = 0; k < TESTPART_SPRITES; k++) {
        s[k].offset = k;
        s[k].depth = (k * 7) % 5; // many equal depths, interleaved
        s[k].rows = 8;
        s[k].colour = 0;
    }
    ZKT_Sort(s.data(), TESTPART_SPRITES, sizeof(TESTPART_SPRITE), SortSprites);
    for (s32 k = 1; k < TESTPART_SPRITES; k++) {
        ASSERT_LE(s[k - 1].depth, s[k].depth);
        if (s[k - 1].depth == s[k].depth) {
            ASSERT_LT(s[k - 1].offset, s[k].offset) << "equal depths keep array order";
        }
    }
    TESTPART_SPRITE a{}, b{};
    a.depth = 4500;
    b.depth = 500;
    EXPECT_GT(SortSprites(&a, &b), 0);
    EXPECT_LT(SortSprites(&b, &a), 0);
    EXPECT_EQ(SortSprites(&a, &a), 0);
}

struct SpriteFixture : ::testing::Test {
    VideoMem vm;
    void SetUp() override { ZKT_DP_TestPart_Init(0); }
};

TEST_F(SpriteFixture, DiscIsDrawnFromTheSpanTable8Bit)
{
    TESTPART_GEOMETRY g = Geo(0);
    std::vector<u8> surf(320 * 240, 0);
    TESTPART_SPRITE s{};
    s.offset = 10 * 320 + 20;
    s.rows = 8;
    s.colour = 7;
    TestPart_DrawSprites(surf.data(), &g, &s, 0, 1);
    int count = 0;
    for (u8 v : surf)
        count += v == 7;
    EXPECT_EQ(count, 0 + 5 + 7 * 5 + 5);
    EXPECT_EQ(surf[10 * 320 + 20], 0);             // row 0 is empty
    EXPECT_EQ(surf[11 * 320 + 22], 7);             // row 1 starts at column 2
    EXPECT_EQ(surf[11 * 320 + 21], 0);
    EXPECT_EQ(surf[12 * 320 + 21], 7);             // rows 2..6 at column 1
    EXPECT_EQ(surf[12 * 320 + 27], 7);
    EXPECT_EQ(surf[12 * 320 + 28], 0);
    // Cut at the bottom edge by rows; zero or negative rows draw nothing.
    std::fill(surf.begin(), surf.end(), 0);
    s.rows = 2;
    TestPart_DrawSprites(surf.data(), &g, &s, 0, 1);
    EXPECT_EQ(std::count(surf.begin(), surf.end(), 7), 5);
    s.rows = -3;
    TestPart_DrawSprites(surf.data(), &g, &s, 0, 1);
    EXPECT_EQ(std::count(surf.begin(), surf.end(), 7), 5);
}

TEST_F(SpriteFixture, TelevisionWritesPixelPairs)
{
    TESTPART_GEOMETRY g = Geo(26);
    std::vector<u16> surf(360 * 288, 0);
    TESTPART_SPRITE s{};
    s.offset = 100 * 360 + 50;
    s.rows = 8;
    s.colour = 0x21;
    TestPart_DrawSprites(surf.data(), &g, &s, 0, 1);
    EXPECT_EQ(surf[103 * 360 + 51], 0x2121);
    EXPECT_EQ(surf[103 * 360 + 50], 0);
    EXPECT_EQ(std::count(surf.begin(), surf.end(), (u16)0x2121), 45);
}

TEST_F(SpriteFixture, OnlyTheRangeIsDrawnAndRowsCarryOver)
{
    TESTPART_GEOMETRY g = Geo(0);
    std::vector<u8> surf(320 * 240, 0);
    TESTPART_SPRITE s[3] = {};
    for (int i = 0; i < 3; i++) {
        s[i].offset = 50 * 320 + 10 * i;
        s[i].rows = 8;
        s[i].colour = (u8)(i + 1);
    }
    s[2].offset = 60 * 320 + 318; // past the right edge: carries into the next row
    TestPart_DrawSprites(surf.data(), &g, s, 1, 3);
    EXPECT_EQ(std::count(surf.begin(), surf.end(), 1), 0);
    EXPECT_EQ(std::count(surf.begin(), surf.end(), 2), 45);
    EXPECT_EQ(surf[62 * 320 + 319], 3);
    EXPECT_EQ(surf[63 * 320 + 0], 3);
}

TEST_F(SpriteFixture, SpansNeverLeaveTheOsdSlot)
{
    // Wild offsets, as a broken formation might produce, stay inside.
    TESTPART_GEOMETRY g = Geo(26);
    const u32 limitBytes = TESTPART_OSD_SLOT_SIZE - 12;
    std::vector<u8> slot(limitBytes + 64, 0xEE);
    std::fill(slot.begin(), slot.begin() + limitBytes, 0);
    TESTPART_SPRITE s[3] = {};
    s[0].offset = (s32)(limitBytes / 2) - 3;
    s[1].offset = -5 * 360;
    s[2].offset = 0x7FFFFF00;
    for (auto &x : s) {
        x.rows = 8;
        x.colour = 9;
    }
    TestPart_DrawSprites(slot.data(), &g, s, 0, 3);
    for (u32 i = limitBytes; i < slot.size(); i++)
        ASSERT_EQ(slot[i], 0xEE) << i;
}

// ---- Formations ----

// A pitch far wider than any X lets a test read the column and the top
// row back out of the offset.
struct Decoded {
    s32 x, top;
};
constexpr s32 kWide = 1 << 16;
Decoded Decode(const TESTPART_SPRITE &s)
{
    s32 top = (s.offset + kWide / 2) / kWide;
    if (s.offset + kWide / 2 < 0)
        top = -((-(s.offset + kWide / 2) + kWide - 1) / kWide);
    return Decoded{s.offset - top * kWide, top};
}

struct Box {
    s32 x0 = 1 << 30, x1 = -(1 << 30), y0 = 1 << 30, y1 = -(1 << 30);
    void Add(Decoded d)
    {
        x0 = std::min(x0, d.x);
        x1 = std::max(x1, d.x);
        y0 = std::min(y0, d.top);
        y1 = std::max(y1, d.top);
    }
};

Box Extent(void (*build)(u32, const TESTPART_GEOMETRY *, TESTPART_SPRITE *), u32 from, u32 to)
{
    TESTPART_GEOMETRY g = {kWide, 320, 240, 0};
    std::vector<TESTPART_SPRITE> s(TESTPART_SPRITES);
    Box b;
    for (u32 t = from; t < to; t += 97) {
        build(t, &g, s.data());
        for (auto &sp : s)
            b.Add(Decode(sp));
    }
    return b;
}

TEST(MainPartFormations, LcdExtents)
{
    Box ring = Extent(TestPart_BuildRing, 18000, 40000);
    EXPECT_GE(ring.x0, 16);
    EXPECT_LE(ring.x1, 296);
    EXPECT_GE(ring.y0, 9);
    EXPECT_LE(ring.y1, 231);
    EXPECT_LE(ring.x0, 20); // and it does reach out that far
    EXPECT_GE(ring.x1, 290);

    Box ribbon = Extent(TestPart_BuildRibbon, 40000, 58000);
    EXPECT_GE(ribbon.x0, 5);
    EXPECT_LE(ribbon.x1, 309);
    EXPECT_GE(ribbon.y0, 13);
    EXPECT_LE(ribbon.y1, 219);

    Box track = Extent(TestPart_BuildTrack, 78000, 99000);
    EXPECT_GE(track.x0, 16);
    EXPECT_LE(track.x1, 296);
    EXPECT_GE(track.y0, 40);
    EXPECT_LE(track.y1, 200);

    Box wall = Extent(TestPart_BuildWall, 58000, 78000);
    EXPECT_EQ(wall.x0, -240);
    EXPECT_GE(wall.x1, 530);
    EXPECT_LE(wall.x1, 540);
    EXPECT_GE(wall.y0, 128);
    EXPECT_LE(wall.y1, 285);
    EXPECT_GT(wall.y1, 240); // its lowest rows fall below the screen
}

TEST(MainPartFormations, RowsCutAtTheBottomEdge)
{
    TESTPART_GEOMETRY g = Geo(0);
    std::vector<TESTPART_SPRITE> s(TESTPART_SPRITES);
    bool sawCut = false, sawNone = false;
    for (u32 t = 58000; t < 78000; t += 250) {
        TestPart_BuildWall(t, &g, s.data());
        for (s32 k = 0; k < TESTPART_SPRITES; k++) {
            ASSERT_LE(s[k].rows, 8);
            ASSERT_EQ(s[k].depth, k + 100);
            if (s[k].rows > 0 && s[k].rows < 8)
                sawCut = true;
            if (s[k].rows <= 0)
                sawNone = true;
        }
    }
    EXPECT_TRUE(sawCut);
    EXPECT_TRUE(sawNone);
}

// The furthest byte any sprite of the formation touches, over its band.
void SpanReach(void (*build)(u32, const TESTPART_GEOMETRY *, TESTPART_SPRITE *), u32 from, u32 to, u32 mode,
               int64_t *pMin, int64_t *pMax)
{
    TESTPART_GEOMETRY g = Geo(mode);
    const int64_t bpp = g.W > 360 ? 2 : 1;
    // The first and the last byte of a sprite's rows 0..r-1 past its
    // offset, for each row count r: each sprite is then one look-up.
    int64_t first[9], last[9];
    first[0] = 1LL << 40, last[0] = -(1LL << 40);
    for (s32 j = 0; j < 8; j++) {
        first[j + 1] = first[j], last[j + 1] = last[j];
        if (g_sprdef[j].length <= 0)
            continue;
        const int64_t a = (int64_t)j * g.P + g_sprdef[j].start;
        first[j + 1] = std::min(first[j], a);
        last[j + 1] = std::max(last[j], a + g_sprdef[j].length);
    }
    std::vector<TESTPART_SPRITE> s(TESTPART_SPRITES);
    int64_t lo = 1LL << 40, hi = -(1LL << 40);
    for (u32 t = from; t < to; t += 53) {
        build(t, &g, s.data());
        for (const auto &sp : s) {
            const s32 rows = sp.rows < 8 ? sp.rows : 8;
            if (rows <= 0 || first[rows] > last[rows])
                continue;
            const int64_t a = (sp.offset + first[rows]) * bpp, b = (sp.offset + last[rows]) * bpp;
            lo = a < lo ? a : lo;
            hi = b > hi ? b : hi;
        }
    }
    *pMin = lo;
    *pMax = hi;
}

TEST_F(SpriteFixture, EveryFormationStaysInsideItsOsdSlot)
{
    struct {
        void (*build)(u32, const TESTPART_GEOMETRY *, TESTPART_SPRITE *);
        u32 from, to;
    } const f[4] = {{TestPart_BuildRing, 18000, 40000},
                    {TestPart_BuildRibbon, 40000, 58000},
                    {TestPart_BuildWall, 58000, 78000},
                    {TestPart_BuildTrack, 78000, 99000}};
    for (u32 mode : {0u, 12u, 26u})
        for (auto &x : f) {
            int64_t lo, hi;
            SpanReach(x.build, x.from, x.to, mode, &lo, &hi);
            EXPECT_GE(lo, 0) << mode;
            EXPECT_LE(hi, (int64_t)(TESTPART_OSD_SLOT_SIZE - 12)) << mode;
        }
    // The wall does spill past the displayed area, by a few hundred bytes.
    int64_t lo, hi;
    SpanReach(TestPart_BuildWall, 58000, 78000, 26, &lo, &hi);
    EXPECT_GT(hi, 720 * 288);
}

TEST(MainPartFormations, WallColoursDependOnTheMargin)
{
    TESTPART_GEOMETRY lcd = Geo(0), tv = Geo(12);
    std::vector<TESTPART_SPRITE> a(TESTPART_SPRITES), b(TESTPART_SPRITES);
    TestPart_BuildWall(60000, &lcd, a.data());
    TestPart_BuildWall(60000, &tv, b.data());
    int differ = 0;
    for (s32 k = 0; k < TESTPART_SPRITES; k++) {
        differ += a[k].colour != b[k].colour;
        ASSERT_GE(a[k].colour, 1);
        ASSERT_LE(a[k].colour, 128);
    }
    EXPECT_GT(differ, 0);
}

TEST(MainPartFormations, ColourRanges)
{
    TESTPART_GEOMETRY g = Geo(0);
    std::vector<TESTPART_SPRITE> s(TESTPART_SPRITES);
    for (u32 t = 18000; t < 40000; t += 1111) {
        TestPart_BuildRing(t, &g, s.data());
        for (auto &sp : s)
            ASSERT_TRUE(sp.colour >= 2 && sp.colour <= 63);
    }
    TestPart_BuildRibbon(45000, &g, s.data());
    EXPECT_EQ(s[0].colour, 1);
    EXPECT_EQ(s[1].colour, 34);
    EXPECT_EQ(s[31].colour, 64);
    TestPart_BuildTrack(80000, &g, s.data());
    EXPECT_EQ(s[33].colour, 2);
}

TEST(MainPartFormations, PalettesLoadTheirEntries)
{
    // Ring: transparent 0, gold 1..63, and entry 64 (never drawn) loaded as
    // transparent rather than read from past the end of the gold table.
    for (int i = 0; i < 256; i++)
        g_ulOSDPalette[i] = 0xDEADBEEF;
    TestPart_LoadRingPalette();
    EXPECT_EQ(g_ulOSDPalette[0] >> 24, 0u);
    for (int i = 1; i < 64; i++)
        EXPECT_EQ(g_ulOSDPalette[i] >> 24, 0xFFu) << i;
    EXPECT_EQ(g_ulOSDPalette[64] >> 24, 0u);
    EXPECT_EQ(g_ulOSDPalette[65], 0xDEADBEEFu);
    // Wall: three banks with falling opacity.
    TestPart_LoadWallPalette();
    EXPECT_EQ(g_ulOSDPalette[1] >> 24, 0xEEu);
    EXPECT_EQ(g_ulOSDPalette[65] >> 24, 0xBBu);
    EXPECT_EQ(g_ulOSDPalette[192] >> 24, 0x77u);
    EXPECT_EQ(g_ulOSDPalette[193], 0xDEADBEEFu);
    // Track: the 33 fire entries; ribbon: 65 entries.
    TestPart_LoadTrackPalette();
    EXPECT_EQ(g_ulOSDPalette[0] >> 24, 0u);
    EXPECT_EQ(g_ulOSDPalette[32] >> 24, 0xFFu);
    TestPart_LoadRibbonPalette();
    EXPECT_EQ(g_ulOSDPalette[64] >> 24, 0xFFu);
}

// ---- Text overlay ----

TEST(MainPartText, TableShape)
{
    for (s32 i = 0; i < TEXTINTRO_ROWS; i++) {
        const TEXTINTRO_ROW &r = g_TextIntro[i];
        EXPECT_EQ(r.height, 32);
        EXPECT_GE(r.slot, 0);
        EXPECT_LE(r.slot, 3);
        EXPECT_LT(std::strlen(r.text), sizeof r.text);
        if (i > 0) {
            EXPECT_GE(r.start, g_TextIntro[i - 1].start);
        }
    }
    EXPECT_EQ(std::strlen(g_TextIntro[0].text), 6u);
    EXPECT_EQ(g_TextIntro[0].text[0], '"');
    const int dataRows[] = {3, 5, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19, 27, 30};
    const size_t lengths[] = {12, 15, 15, 15, 4, 6, 8, 16, 8, 7, 9, 6, 3, 9, 12};
    for (int i = 0; i < 15; i++)
        EXPECT_EQ(std::strlen(g_TextIntro[dataRows[i]].text), lengths[i]) << dataRows[i];
    EXPECT_STREQ(g_TextIntro[35].text, "The End.");
}

TEST(MainPartText, SlotSelection)
{
    s32 slot[4];
    TextIntro_SelectSlots(19999, slot);
    for (s32 s = 0; s < 4; s++)
        EXPECT_EQ(slot[s], -1);
    TextIntro_SelectSlots(20000, slot);
    EXPECT_EQ(slot[0], 0);
    EXPECT_EQ(slot[1], -1);
    EXPECT_EQ(TextIntro_Alpha(20000, &g_TextIntro[0]), 0);
    // Slot 0 at 40000: nothing active, so the first started row, alpha 0.
    TextIntro_SelectSlots(40000, slot);
    EXPECT_EQ(slot[0], 0);
    EXPECT_EQ(slot[1], 1);
    EXPECT_EQ(TextIntro_Alpha(40000, &g_TextIntro[0]), 0);
    // The last active row in table order wins.
    TextIntro_SelectSlots(47300, slot);
    EXPECT_EQ(slot[0], 10);
    EXPECT_EQ(slot[1], 14);
    EXPECT_EQ(slot[3], 3); // row 13 ended at 46750, row 16 starts at 47750
    TextIntro_SelectSlots(113999, slot);
    EXPECT_EQ(slot[3], 35);
    EXPECT_EQ(slot[0], 0);
}

TEST(MainPartText, FadeInHoldFadeOut)
{
    const TEXTINTRO_ROW &r = g_TextIntro[4]; // 26250, 4000 ms
    EXPECT_EQ(TextIntro_Alpha(26250, &r), 0);
    EXPECT_EQ(TextIntro_Alpha(26250 + 50, &r), 1);
    EXPECT_EQ(TextIntro_Alpha(26250 + 749, &r), 14);
    EXPECT_EQ(TextIntro_Alpha(26250 + 750, &r), 15);
    EXPECT_EQ(TextIntro_Alpha(26250 + 3250, &r), 15);
    EXPECT_EQ(TextIntro_Alpha(26250 + 3300, &r), 14);
    EXPECT_EQ(TextIntro_Alpha(26250 + 3999, &r), 1);
    EXPECT_EQ(TextIntro_Alpha(26250 + 4000, &r), 0);
    EXPECT_EQ(TextIntro_Alpha(26250 + 9000, &r), 0);
    // "The End." outlasts the part: it never fades out.
    for (u32 t = 101750; t < 114000; t += 250)
        EXPECT_EQ(TextIntro_Alpha(t, &g_TextIntro[35]), 15) << t;
}

TEST(MainPartText, FontAssetMatchesTheTable)
{
    u32 total = 0;
    for (int i = 0; i < TEXTFONT_GLYPHS; i++)
        total += (u32)g_nTextFontWidths[i] * TEXTFONT_HEIGHT;
    ASSERT_EQ(BMP_TEXTFONT_LEN, total);
    int levels[256] = {};
    for (u32 i = 0; i < BMP_TEXTFONT_LEN; i++)
        levels[BMP_TEXTFONT[i]]++;
    for (int v = 0; v < 256; v++) {
        const bool allowed = v == 0 || (v & (v - 1)) == 0;
        if (!allowed) {
            EXPECT_EQ(levels[v], 0) << v;
        }
    }
    EXPECT_GT(levels[1], 1000);   // outline
    EXPECT_GT(levels[128], 1000); // body
    EXPECT_EQ(TextIntro_GlyphIndex('a'), 1);
    EXPECT_EQ(TextIntro_GlyphIndex(0xE9), 91);
    EXPECT_EQ(TextIntro_GlyphIndex('\t'), TEXTFONT_UNKNOWN);
    EXPECT_EQ(TextIntro_GlyphIndex('|'), TEXTFONT_UNKNOWN);
    EXPECT_EQ(TextIntro_GlyphIndex(0xE8), TEXTFONT_UNKNOWN); // è is not é
}

TEST(MainPartText, DrawCharOrsTheGlyphAndAdvances)
{
    std::vector<u8> surf(320 * 240, 0);
    EXPECT_EQ(DrawChar(surf.data(), 320, 240, 'W', 10, 20, 0, 32), 10 + 34 - 2);
    // Everything drawn is the glyph itself, at its place.
    const u8 *glyph = BMP_TEXTFONT;
    for (int i = 0; i < 49; i++)
        glyph += g_nTextFontWidths[i] * 32;
    for (int r = 0; r < 32; r++)
        ASSERT_EQ(0, std::memcmp(&surf[(20 + r) * 320 + 10], glyph + r * 34, 34));
    // OR: a second glyph over the first keeps the brighter bits of both.
    DrawChar(surf.data(), 320, 240, 'a', 10, 20, 0, 32);
    for (int r = 0; r < 32; r++)
        for (int c = 0; c < 20; c++)
            ASSERT_EQ(surf[(20 + r) * 320 + 10 + c] & glyph[r * 34 + c], glyph[r * 34 + c]);
    // Only the asked rows.
    std::vector<u8> part(320 * 240, 0);
    DrawChar(part.data(), 320, 240, 'W', 10, 20, 4, 6);
    for (int r = 0; r < 240; r++)
        for (int c = 0; c < 320; c++)
            if (part[r * 320 + c]) {
                ASSERT_TRUE(r == 24 || r == 25) << r;
            }
}

TEST(MainPartText, DrawCharRefusesWhatDoesNotFit)
{
    std::vector<u8> surf(320 * 240, 0);
    EXPECT_EQ(DrawChar(surf.data(), 320, 240, 'a', -1, 0, 0, 32), 0);
    EXPECT_EQ(DrawChar(surf.data(), 320, 240, 'a', 0, -1, 0, 32), 0);
    EXPECT_EQ(DrawChar(surf.data(), 320, 240, 'a', 305, 0, 0, 32), 0);
    EXPECT_EQ(DrawChar(surf.data(), 320, 240, 'a', 0, 209, 0, 32), 0);
    EXPECT_EQ(std::count(surf.begin(), surf.end(), 0), 320 * 240);
    EXPECT_EQ(DrawChar(surf.data(), 320, 240, 'a', 304, 208, 0, 32), 304 + 18);
    // A wide glyph in the bottom-right corner wraps into the next row but
    // never past the surface.
    std::vector<u8> tight(320 * 240 + 64, 0xEE);
    std::fill(tight.begin(), tight.begin() + 320 * 240, 0);
    DrawChar(tight.data(), 320, 240, 'W', 304, 208, 0, 32);
    for (size_t i = 320 * 240; i < tight.size(); i++)
        ASSERT_EQ(tight[i], 0xEE);
    // A refused glyph makes the next one start at column 0.
    std::fill(surf.begin(), surf.end(), 0);
    s32 x = DrawChar(surf.data(), 320, 240, 'a', 310, 0, 0, 32);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(DrawChar(surf.data(), 320, 240, 'b', x, 0, 0, 32), 20);
}

TEST(MainPartText, UnknownCharactersDrawTheReplacementGlyph)
{
    std::vector<u8> a(320 * 240, 0), b(320 * 240, 0);
    EXPECT_EQ(DrawChar(a.data(), 320, 240, '\t', 40, 40, 0, 32), 40 + 22 - 2);
    DrawChar(b.data(), 320, 240, '|', 40, 40, 0, 32);
    EXPECT_EQ(a, b);
    EXPECT_GT(std::count_if(a.begin(), a.end(), [](u8 v) { return v != 0; }), 50);
}

struct TextFixture : ::testing::Test {
    VideoMem vm;
    std::vector<u8> surf = std::vector<u8>(320 * 240, 0);
    void SetUp() override
    {
        for (u32 r = 1; r <= 5; r++)
            ZKT_SetRGBRegionOperation(r, 0, 0, 0, 0, 0, 0, 0, 0);
    }
};

TEST_F(TextFixture, RowStartSelectsItsBandWithAlphaZero)
{
    DrawTextIntro(20000, surf.data(), 320, 240, 320);
    EXPECT_EQ(std::count(surf.begin(), surf.end(), 0), 320 * 240); // nothing drawn
    const RGBLayerRegion &r1 = g_RGBLayerRegion[0];
    EXPECT_EQ(r1.bEnable, 1u);
    EXPECT_EQ(r1.usAlpha, 0);
    EXPECT_EQ(r1.usBlendMode, 1);
    EXPECT_EQ(r1.usStartX, 0);
    EXPECT_EQ(r1.usEndX, 319);
    const s32 w = _intsin(4, 20000, 2000) + 4;
    EXPECT_EQ(r1.usStartY, 30 + w);
    EXPECT_EQ(r1.usEndY, 30 + w + 32);
    EXPECT_EQ(g_RGBLayerRegion[1].bEnable, 0u); // slots without a row are left alone
    EXPECT_EQ(g_RGBLayerRegion[4].bEnable, 0u);
}

TEST_F(TextFixture, ActiveRowsAreDrawnAndAlphaLimitedTo11)
{
    ZKT_SetRGBRegionOperation(5, 1, 1, 1, 15, 0, 0, 0, 0);
    const u32 t = 22000;
    DrawTextIntro(t, surf.data(), 320, 240, 320);
    for (int s = 0; s < 4; s++) {
        EXPECT_EQ(g_RGBLayerRegion[s].bEnable, 1u);
        EXPECT_EQ(g_RGBLayerRegion[s].usAlpha, 11) << s;
        // Pixels only inside the band the region shows.
        const RGBLayerRegion &r = g_RGBLayerRegion[s];
        int inside = 0;
        for (int y = r.usStartY; y < r.usEndY; y++)
            for (int x = 0; x < 320; x++)
                inside += surf[y * 320 + x] != 0;
        EXPECT_GT(inside, 100) << s;
    }
    EXPECT_EQ(g_RGBLayerRegion[4].bEnable, 0u); // whole-screen region switched off
    // Row 0 ("Vorn" in quotes) starts at x = 106 - 8 in the LCD frame.
    const s32 y0 = g_RGBLayerRegion[0].usStartY;
    int leftmost = 320;
    for (int y = y0; y < y0 + 32; y++)
        for (int x = 0; x < 320; x++)
            if (surf[y * 320 + x])
                leftmost = std::min(leftmost, x);
    EXPECT_GE(leftmost, 98);
    EXPECT_LT(leftmost, 98 + 18);
}

TEST_F(TextFixture, TelevisionShiftsRight)
{
    std::vector<u8> lcd(320 * 240, 0), tv(360 * 288, 0);
    DrawTextIntro(21000, lcd.data(), 320, 240, 320);
    DrawTextIntro(21000, tv.data(), 360, 288, 720);
    EXPECT_EQ(g_RGBLayerRegion[0].usEndX, 719);
    // The same glyphs, 20 columns further right.
    const s32 y0 = g_RGBLayerRegion[0].usStartY;
    for (int y = y0; y < y0 + 32; y++)
        for (int x = 0; x < 300; x++)
            ASSERT_EQ(lcd[y * 320 + x], tv[y * 360 + x + 20]) << x << "," << y;
}

// ---- Whole paints ----

// The opening set-up (streak palette, region 5) happens once per run of the
// program; ctest runs every test in a process of its own.
struct PaintFixture : ::testing::Test {
    VideoMem vm;
    void SetUp() override
    {
        ZKT_DP_TestPart_Init(0);
        ZKT_DP_TestPart_Reset();
    }
};

TEST_F(PaintFixture, FirstPaintSetsUpLayersAndLogo)
{
    EXPECT_EQ(ZKT_DP_TestPart_Paint(0, 114000, 0), 0u);
    EXPECT_EQ(g_RGBLayerRegion[4].bEnable, 1u); // dissolve through region 5
    EXPECT_EQ(g_RGBLayerRegion[4].usAlpha, 15);
    EXPECT_EQ(g_ulRGBVideoMemOffset, TESTPART_RGB_BUF0);
    EXPECT_EQ(g_ulRegionColorKey, 0xFF00FFu);
    EXPECT_EQ(g_bYUVFirstPlanePriority, 1u);
    EXPECT_EQ(g_bSPULayerEnable, 0u);
    // Logo rows 35..184 of RGB buffer 0, rows of 320 bytes.
    EXPECT_EQ(0, std::memcmp(vm.at(TESTPART_RGB_BUF0 + 35 * 320), BMP_VORNLOGO, 320));
    EXPECT_EQ(0, std::memcmp(vm.at(TESTPART_RGB_BUF0 + 184 * 320), BMP_VORNLOGO + 149 * 360, 320));
    // At t = 0 every palette entry is black: nothing of the logo is open.
    for (int k = 0; k < 256; k++)
        ASSERT_EQ(g_ulRGBColorTable[k], 0u);
    const YUVPlane &a = g_YUVPlane[0];
    EXPECT_EQ(a.bEnable, 1u);
    EXPECT_EQ(a.ulTopOffset, 5 * kSlot);
    EXPECT_EQ(a.usSplitY, 240);
    EXPECT_EQ(a.usLineWidth, 320);
    EXPECT_EQ(a.usEndX, 319);
    EXPECT_EQ(g_bOSDLayerEnable, 1u);
    EXPECT_TRUE(g_ulOSDHeaderEvenField == TESTPART_OSD_HDR0 || g_ulOSDHeaderEvenField == TESTPART_OSD_HDR1);
}

TEST_F(PaintFixture, DissolveOpensTheLogoThenTextTakesOver)
{
    ZKT_DP_TestPart_Paint(0, 114000, 0);
    ZKT_DP_TestPart_Paint(8000, 114000, 0);
    // Threshold 612 at 8 s: every logo value shows through, 0 stays black.
    EXPECT_EQ(g_ulRGBColorTable[0], 0u);
    EXPECT_EQ(g_ulRGBColorTable[42], 0xFF00FFu);
    EXPECT_EQ(g_ulRGBColorTable[255], 0xFF00FFu);
    ZKT_DP_TestPart_Paint(1000, 114000, 0);
    const s32 n = _intsin(612, 1000, 32000);
    EXPECT_EQ(g_ulRGBColorTable[n - 1], 0xFF00FFu);
    EXPECT_EQ(g_ulRGBColorTable[n], 0u);
    // No text before 16001: the RGB layer stays on buffer 0 with the logo.
    ZKT_DP_TestPart_Paint(16000, 114000, 0);
    EXPECT_EQ(g_ulRGBVideoMemOffset, TESTPART_RGB_BUF0);
    EXPECT_EQ(g_RGBLayerRegion[4].bEnable, 1u);
    ZKT_DP_TestPart_Paint(16001, 114000, 0);
    EXPECT_EQ(g_RGBLayerRegion[4].bEnable, 0u);
    EXPECT_EQ(g_ulRGBColorTable[0], 0xFF00FFu);
    EXPECT_EQ(g_ulRGBColorTable[128], 0xFFFFFFu);
    EXPECT_EQ(g_ulRGBColorTable[1], 0u);
    EXPECT_EQ(g_ulRGBColorTable[3], 0x333333u);
    EXPECT_EQ(g_ulRGBColorTable[0x50], 0xE8E8E8u);
}

TEST_F(PaintFixture, StreaksDrawIntoAlternatingOsdBuffers)
{
    u8 probe[64 * 16] = {};
    ZKT_DrawLineW8(probe, 64, 16, 2, 8, 60, 8, 3, 1);
    if (probe[8 * 64 + 30] == 0)
        GTEST_SKIP() << "thick line drawer not built yet";
    ZKT_DP_TestPart_Paint(5000, 114000, 0);
    const u32 first = g_ulOSDHeaderEvenField;
    ZKT_DP_TestPart_Paint(5020, 114000, 0);
    const u32 second = g_ulOSDHeaderEvenField;
    EXPECT_NE(first, second);
    for (u32 hdr : {first, second}) {
        const u8 *px = vm.at(hdr + 12);
        int drawn = 0;
        for (int i = 0; i < 320 * 240; i++)
            drawn += px[i] != 0 && px[i] <= 64;
        EXPECT_GT(drawn, 5000) << std::hex << hdr;
    }
    // Streak palette: blue forced into every colour, entry 0 transparent.
    EXPECT_EQ(g_ulOSDPalette[0] >> 24, 0u);
    EXPECT_EQ(g_ulOSDPalette[1] >> 24, 0xFFu);
    // After 15749 no lines: a cleared buffer.
    ZKT_DP_TestPart_Paint(15800, 114000, 0);
    const u8 *px = vm.at(g_ulOSDHeaderEvenField + 12);
    EXPECT_EQ(std::count(px, px + 320 * 240, 0), 320 * 240);
}

TEST_F(PaintFixture, SpritesAndTextDoubleBuffered)
{
    ZKT_DP_TestPart_Paint(0, 114000, 0);
    ZKT_DP_TestPart_Paint(30000, 114000, 0);
    const u32 rgbA = g_ulRGBVideoMemOffset;
    const u8 *osd = vm.at(g_ulOSDHeaderEvenField + 12);
    int sprites = 0;
    for (int i = 0; i < 320 * 240; i++)
        sprites += osd[i] != 0;
    EXPECT_GT(sprites, 10000); // 1500 discs of the ring
    ZKT_DP_TestPart_Paint(30020, 114000, 0);
    EXPECT_NE(g_ulRGBVideoMemOffset, rgbA);
    // At 19000 the ring shows nothing yet: the buffer stays clear.
    ZKT_DP_TestPart_Paint(19000, 114000, 0);
    osd = vm.at(g_ulOSDHeaderEvenField + 12);
    EXPECT_EQ(std::count(osd, osd + 320 * 240, 0), 320 * 240);
}

TEST_F(PaintFixture, TelevisionPaintsPixelPairsInsideTheSlots)
{
    ZKT_DP_TestPart_Init(26);
    for (u32 t : {0u, 5000u, 30000u, 50000u, 70000u, 90000u, 110000u}) {
        ZKT_DP_TestPart_Paint(t, 114000, 26);
        const YUVPlane &a = g_YUVPlane[0];
        EXPECT_EQ(a.usEndX, 719);
        EXPECT_EQ(a.usLineWidth, 360);
        EXPECT_EQ(g_YUVScaler[0].usHScale, 512);
        const u16 *osd = (const u16 *)vm.at(g_ulOSDHeaderEvenField + 12);
        for (int i = 0; i < 360 * 288; i++)
            ASSERT_EQ(osd[i] >> 8, osd[i] & 0xFF) << t;
    }
    EXPECT_TRUE(vm.GuardIntact());
}

// On a television every output line of the background is one whole row of
// its slot, the left half of the row on the left: no line from memory
// before the slot, none made of two half rows side by side. Slot 0 starts
// at the very start of video memory.
TEST_F(PaintFixture, TelevisionBackgroundLinesAreWholeSlotRows)
{
    ZKT_DP_TestPart_Init(26);
    // Luma tells row and half: left 16 + r mod 100, right 130 + r mod 100.
    for (u32 slot : {0u, 1u})
        for (u32 r = 0; r < 288; r++)
            for (u32 x = 0; x < 360; x += 2) {
                u8 *p = vm.at(slot * kSlot + r * 720 + x * 2);
                const u8 y = (u8)((x < 180 ? 16 : 130) + r % 100);
                p[0] = p[2] = y;
                p[1] = p[3] = 128;
            }
    const u32 savedMode = g_ulDISPLAY_MODE;
    g_ulDISPLAY_MODE = 26;
    for (u32 t : {30000u, 50000u}) { // slot 1, then slot 0, both still
        ZKT_DP_TestPart_Paint(t, 114000, 26);
        ZKT_LowLevelAPI_SoftRender_YUV_Layer(1, 1);
        ZKT_LowLevelAPI_SoftRender_YUV_Layer(1, 0);
        for (u32 y = 0; y < 576; y++) {
            // Luma is the low byte of each working pixel.
            const u32 *line = g_ulSoftRenderWork + y * 720;
            const int left = (u8)line[0] - 16, right = (u8)line[719] - 130;
            for (u32 x = 0; x < 720; x++)
                ASSERT_EQ((u8)line[x], (u8)line[x < 360 ? 0 : 719]) << "t " << t << " line " << y << " x " << x;
            ASSERT_TRUE(left >= 0 && left < 100 && left == right) << "t " << t << " line " << y;
            const u32 row = y / 2 + 100; // one of rows y / 2 - 1 to y / 2 + 1
            ASSERT_TRUE(left == (int)((row - 1) % 100) || left == (int)(row % 100) || left == (int)((row + 1) % 100))
                << "t " << t << " line " << y;
        }
    }
    g_ulDISPLAY_MODE = savedMode;
    EXPECT_TRUE(vm.GuardIntact());
}

} // namespace
