// The compositor's layer stages against values worked out by hand from the
// layer rules: YUV regions, colour pass, RGB regions, gamma.
#include <gtest/gtest.h>

#include "compositor_helpers.h"

namespace {

// Step 2 of a frame: background everywhere, no pixel written.
void BeginFrame()
{
    ClearWork();
}

void ExpectYCC(s32 x, s32 y, u32 Y, u32 cb, u32 cr)
{
    const u8 *p = Pixel(x, y);
    EXPECT_EQ(p[0], Y) << "at " << x << "," << y;
    EXPECT_EQ(p[1], cb) << "at " << x << "," << y;
    EXPECT_EQ(p[2], cr) << "at " << x << "," << y;
}

void ExpectRGBAt(s32 x, s32 y, u32 r, u32 g, u32 b)
{
    const u8 *p = Pixel(x, y);
    EXPECT_EQ(p[2], r) << "red at " << x << "," << y;
    EXPECT_EQ(p[1], g) << "green at " << x << "," << y;
    EXPECT_EQ(p[0], b) << "blue at " << x << "," << y;
}

u32 LumaXY(s32 x, s32 y)
{
    return (u32)(x * 3 + y * 7) & 0xFF;
}

const u32 SRC = 0x100000;

} // namespace

TEST(CompositorColour, TablesEqualTheConversionRuleForEveryYCbCr)
{
    ResetModel(19);
    IdentityColour();
    const u32 total = 1u << 24;
    const u32 per = 720 * 576;
    for (u32 start = 0; start < total; start += per) {
        const u32 n = total - start < per ? total - start : per;
        for (u32 i = 0; i < n; i++) {
            const u32 v = start + i;
            SetWork(i, v, v >> 8, v >> 16, true);
        }
        ZKT_LowLevelAPI_SoftRender_ColorPass();
        for (u32 i = 0; i < n; i++) {
            const u32 v = start + i;
            s32 r, g, b;
            ZKT_YUY2toRGBColor((v & 0xFF) | ((v >> 8 & 0xFF) << 8) | ((v >> 16) << 24), &r, &g, &b);
            const u8 *p = WorkBytes(i);
            if (p[0] != b || p[1] != g || p[2] != r)
                FAIL() << "YCbCr " << std::hex << v;
        }
    }
}

TEST(CompositorColour, BrightnessContrastAndQuadrantMatrix)
{
    ResetModel(0);
    BeginFrame();
    // Neutral settings after initialisation: luma kept, chroma times 63/64.
    u8 *p = WorkBytes(0), *q = WorkBytes(1);
    p[0] = 100, p[1] = 200, p[2] = 50; // u = 72, v = -78: quadrant 3
    p[3] = 0xFF;                       // written
    ZKT_LowLevelAPI_SoftRender_ColorPass();
    u8 e[3];
    ExpectBGR(100, 198, 52, e); // 63*72/64 = 70.9 -> 70; 63*-78/64 = -76.8 -> -76
    EXPECT_EQ(0, std::memcmp(p, e, 3));

    // Contrast 1, Y 127: (-1 * 9) / 8 truncates to -1, so 127 stays 127.
    IdentityColour();
    g_ucYUVContrast = 1;
    p[0] = 127, p[1] = 128, p[2] = 128;
    ZKT_LowLevelAPI_SoftRender_ColorPass();
    ExpectBGR(127, 128, 128, e);
    EXPECT_EQ(0, std::memcmp(p, e, 3));
    // Brightness 10, contrast 8: 100 -> ((-18) * 16) / 8 + 128 = 92; 250 clamps.
    g_scYUVBrightness = 10;
    g_ucYUVContrast = 8;
    p[0] = 100, p[1] = 128, p[2] = 128;
    q[0] = 250, q[1] = 128, q[2] = 128, q[3] = 0xFF;
    ZKT_LowLevelAPI_SoftRender_ColorPass();
    ExpectBGR(92, 128, 128, e);
    EXPECT_EQ(0, std::memcmp(p, e, 3));
    ExpectBGR(255, 128, 128, e);
    EXPECT_EQ(0, std::memcmp(q, e, 3));

    // A matrix per quadrant: Cb' = (10 (k + 1) u) / 64 + 128, Cr' = 128.
    g_scYUVBrightness = 0;
    g_ucYUVContrast = 0;
    for (int k = 0; k < 4; k++) {
        g_sMLC_HUECb_A[k] = (s8)(10 * (k + 1));
        g_sMLC_HUECb_B[k] = g_sMLC_HUECr_A[k] = g_sMLC_HUECr_B[k] = 0;
    }
    struct Case {
        u8 cb, cr;
        u8 expectCb;
    } cases[] = {
        {192, 128, 128 + 10},      // u 64, v 0: quadrant 0
        {64, 128, 128 - 20},       // u -64, v 0: quadrant 1
        {64, 127, 128 - 30},       // u -64, v -1: quadrant 2
        {192, 127, 128 + 40},      // u 64, v -1: quadrant 3
        {128, 127, 128},           // u 0 counts as positive: quadrant 3, 0
    };
    for (const Case &c : cases) {
        p[0] = 120, p[1] = c.cb, p[2] = c.cr;
        ZKT_LowLevelAPI_SoftRender_ColorPass();
        ExpectBGR(120, c.expectCb, 128, e);
        EXPECT_EQ(0, std::memcmp(p, e, 3)) << "cb " << (int)c.cb << " cr " << (int)c.cr;
    }
}

TEST(CompositorYUV, OneToOneCopyAndDoubleSizeScaling)
{
    ResetModel(0);
    FillYUY2(SRC, 320, 240, 90, 160, LumaXY);
    SetPlane(1, 0, 0, 319, 240, 240, 320, SRC, SRC);
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_YUV_Layer(1, 1);
    for (s32 y : {0, 1, 117, 239})
        for (s32 x : {0, 1, 2, 3, 200, 319}) {
            ExpectYCC(x, y, LumaXY(x, y), 90, 160);
            EXPECT_EQ(Flag(x, y), 1);
        }

    // 512 shows every source pixel and line twice.
    g_YUVScaler[0] = YUVScaler{512, 512};
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_YUV_Layer(1, 1);
    for (s32 y : {0, 1, 2, 3, 101, 239})
        for (s32 x : {0, 1, 2, 3, 4, 5, 255, 319})
            ExpectYCC(x, y, LumaXY(x / 2, y / 2), 90, 160);
}

TEST(CompositorYUV, MirrorsRegionsAndPartialRectangle)
{
    ResetModel(0);
    const s32 w = 64;
    FillYUY2(SRC, w, 32, 70, 180, LumaXY);
    // Horizontal mirror: the offset points at the last pair of the first
    // line, whose second luma is the first pixel shown.
    SetPlane(1, 10, 5, 10 + w - 1, 5 + 32, 5 + 32, w, SRC + (w / 2 - 1) * 4, 0, 1, 0);
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_YUV_Layer(1, 1);
    ExpectYCC(10, 5, LumaXY(w - 1, 0), 70, 180);
    ExpectYCC(11, 5, LumaXY(w - 2, 0), 70, 180);
    ExpectYCC(12, 5, LumaXY(w - 3, 0), 70, 180);
    ExpectYCC(10 + w - 1, 5 + 31, LumaXY(0, 31), 70, 180);
    EXPECT_EQ(Flag(9, 5), 0);
    EXPECT_EQ(Flag(10 + w, 5), 0);
    EXPECT_EQ(Flag(10, 4), 0);
    EXPECT_EQ(Flag(10, 5 + 32), 0);

    // Vertical mirror: negative pitch from the last line up.
    SetPlane(1, 0, 0, w - 1, 32, 32, w, SRC + 31 * w * 2, 0, 0, 1);
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_YUV_Layer(1, 1);
    ExpectYCC(3, 0, LumaXY(3, 31), 70, 180);
    ExpectYCC(3, 31, LumaXY(3, 0), 70, 180);

    // Bottom region: its own source and its own restart of the line step.
    FillYUY2(SRC + 0x40000, w, 32, 20, 30, [](s32 x, s32 y) { return 200 + ((x + y) & 31); });
    SetPlane(1, 0, 0, w - 1, 40, 20, w, SRC, SRC + 0x40000);
    g_YUVScaler[1] = YUVScaler{1024, 1024};
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_YUV_Layer(1, 1);
    ZKT_LowLevelAPI_SoftRender_YUV_Layer(1, 0);
    ExpectYCC(5, 19, LumaXY(5, 19), 70, 180);
    ExpectYCC(5, 20, 200 + 5, 20, 30);
    ExpectYCC(5, 39, 200 + ((5 + 19) & 31), 20, 30);
    EXPECT_EQ(Flag(5, 40), 0);
}

TEST(CompositorYUV, PlanePriorityBothWays)
{
    ResetModel(0);
    FillYUY2(SRC, 320, 240, 100, 100, [](s32, s32) { return 50; });
    FillYUY2(SRC + 0x40000, 320, 240, 150, 150, [](s32, s32) { return 200; });
    SetPlane(1, 0, 0, 319, 240, 240, 320, SRC, SRC);                     // plane A
    SetPlane(0, 100, 100, 200, 200, 200, 320, SRC + 0x40000, SRC + 0x40000); // plane B
    g_bYUVFirstPlanePriority = 1;
    g_RGBLayerRegion[4].bShow = 0;
    u8 a[3], b[3];
    ExpectBGR(50, 100, 100, a);
    ExpectBGR(200, 150, 150, b);
    IdentityColour();
    ZKT_LowLevelAPI_SoftRender_Compose();
    EXPECT_EQ(0, std::memcmp(Pixel(150, 150), a, 3)); // A on top
    g_bYUVFirstPlanePriority = 0;
    ZKT_LowLevelAPI_SoftRender_Compose();
    EXPECT_EQ(0, std::memcmp(Pixel(150, 150), b, 3)); // B on top
    EXPECT_EQ(0, std::memcmp(Pixel(50, 50), a, 3));
}

TEST(CompositorYUV, TelevisionLinesKeepTheirFieldParity)
{
    ResetModel(12);
    FillYUY2(SRC, 720, 480, 128, 128, [](s32, s32 y) { return 16 + y; });
    SetPlane(1, 0, 0, 719, 240, 240, 720, SRC, SRC);
    g_YUVScaler[0] = YUVScaler{1024, 512};
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_YUV_Layer(1, 1);
    // s = y / 2, then (s & ~1) + (y & 1): lines 0 1 0 1 2 3 2 3 ...
    const u32 expect[8] = {0, 1, 0, 1, 2, 3, 2, 3};
    for (s32 y = 0; y < 8; y++)
        EXPECT_EQ(Pixel(7, y)[0], 16 + expect[y]) << "line " << y;
    EXPECT_EQ(Flag(0, 479), 1);
}

TEST(CompositorYUV, ExtremeRecordsStayInsidePictureAndVideoMemory)
{
    ResetModel(0);
    // Source near the end of video memory: lines that would read past it
    // are left out, the rest are drawn.
    FillYUY2(ZKT_VIDEO_MEM_SIZE - 320 * 2 * 4, 320, 4, 60, 60, [](s32, s32) { return 77; });
    SetPlane(1, 0, 0, 319, 10, 10, 320, ZKT_VIDEO_MEM_SIZE - 320 * 2 * 4, 0);
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_YUV_Layer(1, 1);
    ExpectYCC(0, 3, 77, 60, 60);
    EXPECT_EQ(Flag(0, 4), 0);
    EXPECT_EQ(Flag(319, 9), 0);

    // Every extent at its largest: clipped to the picture, no wrap.
    SetPlane(1, 300, 230, 65535, 65535, 65535, 65535, 0xFFFFFFF0u, 0, 1, 1);
    g_YUVScaler[0] = YUVScaler{65535, 65535};
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_YUV_Layer(1, 1);
    EXPECT_EQ(Flag(0, 231), 0);
    SetPlane(1, 0, 0, 65535, 65535, 65535, 65535, 0x10, 0);
    g_YUVScaler[0] = YUVScaler{65535, 65535};
    ZKT_LowLevelAPI_SoftRender_YUV_Layer(1, 1);
    EXPECT_EQ(Flag(0, 0), 1); // line 0 reads from the start of memory
    ResetModel(19);
    SetPlane(1, 0, 40000, 65535, 65535, 65535, 65535, 0, 0);
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_YUV_Layer(1, 1); // doubled bounds wrap to 16 bits: 14464..65534
    EXPECT_EQ(Flag(0, 575), 0);
}

TEST(CompositorRGB, SixteenBitRegionsHideAndOverlap)
{
    ResetModel(0, 16);
    for (s32 i = 0; i < 320 * 240; i++) {
        const u16 v = (u16)(0xF800 | ((i % 320) & 0x3F) << 5); // red with varying green
        VM(SRC)[i * 2] = (u8)v;
        VM(SRC)[i * 2 + 1] = (u8)(v >> 8);
    }
    g_ulRGBVideoMemOffset = SRC;
    // Region 1 hidden over a rectangle; region 2 shows over one overlapping
    // it; region 1 wins in the overlap.
    SetRegion(1, 1, 0, 0, 0, 10, 10, 19, 19);
    SetRegion(2, 1, 1, 0, 0, 15, 15, 30, 30);
    ZKT_LowLevelAPI_SoftRender_Compose();
    ExpectRGBAt(5, 5, 0xF8, (5 & 0x3F) << 2, 0);
    ExpectRGBAt(10, 10, 0, 0, 0); // hidden: the background stays
    ExpectRGBAt(19, 19, 0, 0, 0);
    ExpectRGBAt(25, 25, 0xF8, (25 & 0x3F) << 2, 0);
    ExpectRGBAt(20, 12, 0xF8, (20 & 0x3F) << 2, 0);

    // Region 5 off, region 1 on and shown: only its rectangle.
    ResetModel(0, 16);
    for (s32 i = 0; i < 320 * 240; i++)
        VM(SRC)[i * 2 + 1] = 0xF8;
    g_ulRGBVideoMemOffset = SRC;
    g_RGBLayerRegion[4].bEnable = 0;
    SetRegion(1, 1, 1, 0, 0, 100, 50, 199, 99);
    ZKT_LowLevelAPI_SoftRender_Compose();
    ExpectRGBAt(100, 50, 0xF8, 0, 0);
    ExpectRGBAt(199, 99, 0xF8, 0, 0);
    ExpectRGBAt(99, 50, 0, 0, 0);
    ExpectRGBAt(100, 100, 0, 0, 0);
}

TEST(CompositorRGB, AlphaAndColourKeyOverWrittenAndUnwrittenPixels)
{
    ResetModel(0, 8);
    IdentityColour();
    // A YUV plane over the left half only.
    FillYUY2(SRC, 160, 240, 100, 160, [](s32, s32) { return 120; });
    SetPlane(1, 0, 0, 159, 240, 240, 160, SRC, SRC);
    u8 old[3];
    ExpectBGR(120, 100, 160, old);
    g_ulRGBColorTable[1] = 0x00C08040; // R C0, G 80, B 40
    g_ulRGBColorTable[2] = 0x00112233;
    for (s32 y = 0; y < 240; y++)
        for (s32 x = 0; x < 320; x++)
            VM(0x200000)[y * 320 + x] = (u8)((x / 4) % 2 + 1);
    g_ulRGBVideoMemOffset = 0x200000;

    // Alpha 8 over a written pixel: (8 source + 7 old) / 15 per byte.
    SetRegion(5, 1, 1, 2, 8, 0, 0, 0, 0);
    ZKT_LowLevelAPI_SoftRender_Compose();
    const u8 *p = Pixel(0, 0); // palette 1
    EXPECT_EQ(p[0], (8 * 0x40 + 7 * old[0]) / 15);
    EXPECT_EQ(p[1], (8 * 0x80 + 7 * old[1]) / 15);
    EXPECT_EQ(p[2], (8 * 0xC0 + 7 * old[2]) / 15);
    ExpectRGBAt(200, 0, 0xC0, 0x80, 0x40); // unwritten: stored as it is

    // Key mode: the key is blue-first, so palette 0x00112233 is 0x332211.
    g_ulRegionColorKey = 0x332211;
    SetRegion(5, 1, 1, 1, 15, 0, 0, 0, 0);
    ZKT_LowLevelAPI_SoftRender_Compose();
    EXPECT_EQ(0, std::memcmp(Pixel(4, 10), old, 3)); // keyed over YUV: vanishes
    ExpectRGBAt(0, 10, 0xC0, 0x80, 0x40);            // other colour opaque
    ExpectRGBAt(204, 10, 0x11, 0x22, 0x33);          // keyed over background: drawn

    // Alpha 0 leaves written pixels alone; a covering region with mode 0
    // keeps the alpha found so far.
    SetRegion(5, 1, 1, 2, 0, 0, 0, 0, 0);
    SetRegion(3, 1, 1, 0, 9, 0, 0, 319, 239);
    ZKT_LowLevelAPI_SoftRender_Compose();
    EXPECT_EQ(0, std::memcmp(Pixel(0, 0), old, 3));
}

TEST(CompositorRGB, KeyInSixteenBitsIsMasked)
{
    ResetModel(0, 16);
    FillYUY2(SRC, 320, 240, 128, 128, [](s32, s32) { return 60; });
    SetPlane(1, 0, 0, 319, 240, 240, 320, SRC, SRC);
    // Black but for single white pixels at the ends of lines 5 and 6.
    std::memset(VM(0x200000), 0, 320 * 240 * 2);
    for (s32 i : {320 * 5 + 319, 320 * 6})
        VM(0x200000)[i * 2] = VM(0x200000)[i * 2 + 1] = 0xFF; // white: F8 FC F8
    g_ulRGBVideoMemOffset = 0x200000;
    g_ulRegionColorKey = 0xFFFFFF;
    SetRegion(5, 1, 1, 1, 15, 0, 0, 0, 0);
    ZKT_LowLevelAPI_SoftRender_Compose();
    u8 e[3];
    const u8 black[3] = {0, 0, 0};
    ExpectBGR(60, 128, 128, e); // white is keyed: the YUV plane shows
    EXPECT_EQ(0, std::memcmp(Pixel(319, 5), e, 3));
    EXPECT_EQ(0, std::memcmp(Pixel(0, 6), e, 3));
    EXPECT_EQ(0, std::memcmp(Pixel(318, 5), black, 3));
    EXPECT_EQ(0, std::memcmp(Pixel(1, 6), black, 3));
}

TEST(CompositorRGB, ScalingDepthsAndTelevisionRegionLines)
{
    // Mode 1: a 160-wide source doubled across 320 columns; 4-bit pixels,
    // the even one in the low nibble.
    ResetModel(1, 4);
    g_ulRGBColorTable[3] = 0x00030303;
    g_ulRGBColorTable[9] = 0x00090909;
    for (s32 i = 0; i < 160 * 240 / 2; i++)
        VM(0x200000)[i] = 0x93;
    g_ulRGBVideoMemOffset = 0x200000;
    ZKT_LowLevelAPI_SoftRender_Compose();
    ExpectRGBAt(0, 0, 3, 3, 3);
    ExpectRGBAt(1, 0, 3, 3, 3);
    ExpectRGBAt(2, 0, 9, 9, 9);
    ExpectRGBAt(3, 7, 9, 9, 9);

    // 24 bits: blue, green, red bytes.
    ResetModel(0, 24);
    VM(0x200000 + (10 * 320 + 7) * 3)[0] = 1;
    VM(0x200000 + (10 * 320 + 7) * 3)[1] = 2;
    VM(0x200000 + (10 * 320 + 7) * 3)[2] = 3;
    g_ulRGBVideoMemOffset = 0x200000;
    ZKT_LowLevelAPI_SoftRender_Compose();
    ExpectRGBAt(7, 10, 3, 2, 1);

    // Television: region lines 10 to 20 cover output lines 20 to 40.
    ResetModel(12, 8);
    g_ulRGBColorTable[0] = 0x00FFFFFF;
    g_ulRGBVideoMemOffset = 0x200000;
    SetRegion(1, 1, 0, 0, 0, 0, 10, 719, 20);
    ZKT_LowLevelAPI_SoftRender_Compose();
    ExpectRGBAt(5, 19, 255, 255, 255);
    ExpectRGBAt(5, 20, 0, 0, 0);
    ExpectRGBAt(5, 40, 0, 0, 0);
    ExpectRGBAt(5, 41, 255, 255, 255);
}

TEST(CompositorRGB, SourcePastVideoMemoryIsNotRead)
{
    ResetModel(20, 24);
    g_ulRGBVideoMemOffset = ZKT_VIDEO_MEM_SIZE - 720 * 3 * 2; // two lines fit
    std::memset(VM(g_ulRGBVideoMemOffset), 0x44, 720 * 3 * 2);
    ZKT_LowLevelAPI_SoftRender_Compose();
    ExpectRGBAt(719, 1, 0x44, 0x44, 0x44);
    EXPECT_EQ(Flag(0, 2), 0);
    // Nonsense source sizes draw nothing and do not overflow.
    g_nScreenSizeX = 0x7FFFFFFF;
    g_nScreenSizeY = 0x7FFFFFFF;
    ZKT_LowLevelAPI_SoftRender_Compose();
    g_nScreenSizeX = -5;
    ZKT_LowLevelAPI_SoftRender_Compose();
    EXPECT_EQ(Flag(0, 0), 0);
}

TEST(CompositorGamma, OnlyWrittenPixelsAreMapped)
{
    ResetModel(0, 16);
    g_RGBLayerRegion[4].bShow = 0;
    FillYUY2(SRC, 320, 240, 128, 128, [](s32, s32) { return 180; });
    SetPlane(1, 0, 0, 159, 240, 240, 320, SRC, SRC);
    g_bEnableGamma = 1;
    for (u32 i = 0; i < 256; i++)
        g_ulGammaTable[i] = (255 - i) | ((i / 2) << 8) | ((i ^ 0x55) << 16);
    IdentityColour();
    ZKT_LowLevelAPI_SoftRender_Compose();
    u8 e[3];
    ExpectBGR(180, 128, 128, e);
    // Gamma goes to the packed picture only.
    const u8 *p = g_ucSoftRenderPicture + (10 * OutW() + 10) * 3, *bg = g_ucSoftRenderPicture + (10 * OutW() + 200) * 3;
    EXPECT_EQ(p[0], e[0] ^ 0x55);
    EXPECT_EQ(p[1], e[1] / 2);
    EXPECT_EQ(p[2], 255 - e[2]);
    EXPECT_EQ(bg[0] | bg[1] | bg[2], 0); // background untouched
}
