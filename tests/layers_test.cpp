// Display layer setters: each argument must land in its own field of its
// own record, and nothing outside the addressed record may change.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "lowlevel/common/zkt_colourmatrix.h"
#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "tools/zkt_lowLevelCommon.h"

namespace {

class Layers : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(g_YUVPlane, 0xA5, sizeof(g_YUVPlane));
        std::memset(g_YUVScaler, 0xA5, sizeof(g_YUVScaler));
        std::memset(g_RGBLayerRegion, 0xA5, sizeof(g_RGBLayerRegion));
        std::memset(&g_cursorLayer, 0xA5, sizeof(g_cursorLayer));
        std::memset(g_ulRGBColorTable, 0xA5, sizeof(g_ulRGBColorTable));
        std::memset(g_ulGammaTable, 0xA5, sizeof(g_ulGammaTable));
        std::memset(g_sMLC_HUECb_A, 0x55, 4);
        std::memset(g_sMLC_HUECb_B, 0x55, 4);
        std::memset(g_sMLC_HUECr_A, 0x55, 4);
        std::memset(g_sMLC_HUECr_B, 0x55, 4);
    }

    static bool Untouched(const void *p, size_t n)
    {
        const u8 *b = static_cast<const u8 *>(p);
        for (size_t i = 0; i < n; i++)
            if (b[i] != 0xA5)
                return false;
        return true;
    }
};

TEST_F(Layers, YUVPlaneEveryFieldInPlace)
{
    EXPECT_EQ(ZKT_SetYUVVideoPlane(1, 0x71, 11, 12, 13, 14, 15, 16, 0x101017, 0x18, 0x19, 0x202020, 0x21, 0x22), 0u);
    const YUVPlane &a = g_YUVPlane[0];
    EXPECT_EQ(a.bEnable, 0x71u);
    EXPECT_EQ(a.usStartX, 11);
    EXPECT_EQ(a.usStartY, 12);
    EXPECT_EQ(a.usEndX, 13);
    EXPECT_EQ(a.usBottomEndY, 14);
    EXPECT_EQ(a.usSplitY, 15);
    EXPECT_EQ(a.usLineWidth, 16);
    EXPECT_EQ(a.ulTopOffset, 0x101017u);
    EXPECT_EQ(a.bTopMirrorH, 0x18u);
    EXPECT_EQ(a.bTopMirrorV, 0x19u);
    EXPECT_EQ(a.ulBottomOffset, 0x202020u);
    EXPECT_EQ(a.bBottomMirrorH, 0x21u);
    EXPECT_EQ(a.bBottomMirrorV, 0x22u);
    EXPECT_TRUE(Untouched(&g_YUVPlane[1], sizeof(YUVPlane)));

    // Plane B is element 1, for any zero bPlaneA; any non-zero value is A.
    SetUp();
    ZKT_SetYUVVideoPlane(0, 1, 0, 0, 319, 240, 240, 320, 0x300000, 0, 0, 0x300000, 0, 0);
    EXPECT_TRUE(Untouched(&g_YUVPlane[0], sizeof(YUVPlane)));
    EXPECT_EQ(g_YUVPlane[1].usEndX, 319);
    EXPECT_EQ(g_YUVPlane[1].ulTopOffset, 0x300000u);
    ZKT_SetYUVVideoPlane(0x100, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
    EXPECT_EQ(g_YUVPlane[0].usStartX, 1);
}

TEST_F(Layers, ScalerEntries)
{
    // Entry = (plane A ? 0 : 2) + (top ? 0 : 1); each gets distinct steps.
    ZKT_SetYUVVideoPlaneScaler(1, 1, 100, 101);
    ZKT_SetYUVVideoPlaneScaler(1, 0, 200, 201);
    ZKT_SetYUVVideoPlaneScaler(0, 1, 300, 301);
    ZKT_SetYUVVideoPlaneScaler(0, 0, 2048, 1024);
    EXPECT_EQ(g_YUVScaler[0].usHScale, 100);
    EXPECT_EQ(g_YUVScaler[0].usVScale, 101);
    EXPECT_EQ(g_YUVScaler[1].usHScale, 200);
    EXPECT_EQ(g_YUVScaler[1].usVScale, 201);
    EXPECT_EQ(g_YUVScaler[2].usHScale, 300);
    EXPECT_EQ(g_YUVScaler[2].usVScale, 301);
    EXPECT_EQ(g_YUVScaler[3].usHScale, 2048);
    EXPECT_EQ(g_YUVScaler[3].usVScale, 1024);

    SetUp();
    ZKT_SetYUVVideoPlaneScaler(0, 0, 2048, 1024);
    EXPECT_TRUE(Untouched(g_YUVScaler, 3 * sizeof(YUVScaler)));
}

TEST_F(Layers, PriorityBrightnessContrast)
{
    ZKT_SetYUVVideoPlanePriority(0);
    EXPECT_EQ(g_bYUVFirstPlanePriority, 0u);
    ZKT_SetYUVVideoPlanePriority(7);
    EXPECT_EQ(g_bYUVFirstPlanePriority, 7u);
    ZKT_SetYUVBrightness(-37);
    ZKT_SetYUVContrast(5);
    EXPECT_EQ(g_scYUVBrightness, -37);
    EXPECT_EQ(g_ucYUVContrast, 5);
}

TEST_F(Layers, HueSineTable)
{
    for (int i = 0; i < 256; i++)
        ASSERT_EQ(g_scHueSinTable[i], (s8)(127.0 * std::sin(2.0 * M_PI * i / 256.0))) << i;
    EXPECT_EQ(g_scHueSinTable[64], 127);
    EXPECT_EQ(g_scHueSinTable[192], -127);
}

TEST_F(Layers, SaturationAndHue)
{
    // Quadrant is taken mod 4: 5 writes entry 1 only.
    ZKT_SetYUVSaturationAndHUE(5, 128, 0);
    EXPECT_EQ(g_sMLC_HUECb_A[1], 63);
    EXPECT_EQ(g_sMLC_HUECb_B[1], 0);
    EXPECT_EQ(g_sMLC_HUECr_A[1], 0);
    EXPECT_EQ(g_sMLC_HUECr_B[1], 63);
    for (int q : {0, 2, 3}) {
        EXPECT_EQ(g_sMLC_HUECb_A[q], 0x55);
        EXPECT_EQ(g_sMLC_HUECb_B[q], 0x55);
        EXPECT_EQ(g_sMLC_HUECr_A[q], 0x55);
        EXPECT_EQ(g_sMLC_HUECr_B[q], 0x55);
    }

    // A quarter turn: the sine terms go to the B/A fields, and -s rounds
    // down to -127 (arithmetic shift), not -126.
    ZKT_SetYUVSaturationAndHUE(0, 255, 64);
    EXPECT_EQ(g_sMLC_HUECb_A[0], 0);
    EXPECT_EQ(g_sMLC_HUECb_B[0], 126);
    EXPECT_EQ(g_sMLC_HUECr_A[0], -127);
    EXPECT_EQ(g_sMLC_HUECr_B[0], 0);

    // A hue where sine and cosine differ tells every field apart:
    // hue 32: s = c = 89; hue 16: s = 48, c = 117.
    ZKT_SetYUVSaturationAndHUE(3, 200, 16);
    EXPECT_EQ(g_sMLC_HUECb_A[3], (200 * 117) >> 8);
    EXPECT_EQ(g_sMLC_HUECb_B[3], (200 * 48) >> 8);
    EXPECT_EQ(g_sMLC_HUECr_A[3], (-(200 * 48)) >> 8);
    EXPECT_EQ(g_sMLC_HUECr_B[3], (200 * 117) >> 8);
    EXPECT_EQ(g_sMLC_HUECr_A[3], -38);

    // Past the half turn the cosine index wraps: hue 200 uses entry 8.
    ZKT_SetYUVSaturationAndHUE(2, 255, 200);
    EXPECT_EQ(g_sMLC_HUECb_A[2], (s8)((255 * g_scHueSinTable[8]) >> 8));
    EXPECT_EQ(g_sMLC_HUECb_B[2], (s8)((255 * g_scHueSinTable[200]) >> 8));
}

TEST_F(Layers, RGBStartAddressAndKey)
{
    ZKT_SetRGBStartAddress(0x240003);
    EXPECT_EQ(g_ulRGBVideoMemOffset, 0x240000u);
    ZKT_SetRGBStartAddress(0x7FFFFE);
    EXPECT_EQ(g_ulRGBVideoMemOffset, 0x7FFFFCu);
    ZKT_SetRGBRegionColorKey(0x00123456);
    EXPECT_EQ(g_ulRegionColorKey, 0x00123456u);
}

TEST_F(Layers, PaletteRange)
{
    u32 colours[300];
    for (u32 i = 0; i < 300; i++)
        colours[i] = 0x00100000u + i;
    EXPECT_EQ(ZKT_SetPalette(5, colours, 3), 0u);
    EXPECT_EQ(g_ulRGBColorTable[4], 0xA5A5A5A5u);
    EXPECT_EQ(g_ulRGBColorTable[5], 0x00100000u);
    EXPECT_EQ(g_ulRGBColorTable[7], 0x00100002u);
    EXPECT_EQ(g_ulRGBColorTable[8], 0xA5A5A5A5u);

    // Exactly to the end is fine; past it stops at entry 255 and says so.
    EXPECT_EQ(ZKT_SetPalette(0, colours, 256), 0u);
    EXPECT_EQ(g_ulRGBColorTable[255], 0x001000FFu);
    EXPECT_EQ(ZKT_SetPalette(200, colours, 300), (u32)ZKT_ERR_INVALID_ARG);
    EXPECT_EQ(g_ulRGBColorTable[199], 0x001000C7u);
    EXPECT_EQ(g_ulRGBColorTable[255], 0x00100037u);
    EXPECT_EQ(ZKT_SetPalette(0xFFFF, colours, 2), (u32)ZKT_ERR_INVALID_ARG);
    EXPECT_EQ(ZKT_SetPalette(0, nullptr, 0), 0u);
}

TEST_F(Layers, RegionEveryFieldInPlace)
{
    // Arguments give corners (startX, startY, endX, endY); the record
    // stores columns before lines.
    EXPECT_EQ(ZKT_SetRGBRegionOperation(3, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38), 0u);
    const RGBLayerRegion &r = g_RGBLayerRegion[2];
    EXPECT_EQ(r.bEnable, 0x31u);
    EXPECT_EQ(r.bShow, 0x32u);
    EXPECT_EQ(r.usBlendMode, 0x33);
    EXPECT_EQ(r.usAlpha, 0x34);
    EXPECT_EQ(r.usStartX, 0x35);
    EXPECT_EQ(r.usStartY, 0x36);
    EXPECT_EQ(r.usEndX, 0x37);
    EXPECT_EQ(r.usEndY, 0x38);
    EXPECT_TRUE(Untouched(&g_RGBLayerRegion[0], 2 * sizeof(RGBLayerRegion)));
    EXPECT_TRUE(Untouched(&g_RGBLayerRegion[3], 2 * sizeof(RGBLayerRegion)));

    // Region 5 is the last element.
    ZKT_SetRGBRegionOperation(5, 1, 1, 0, 15, 0, 0, 319, 239);
    EXPECT_EQ(g_RGBLayerRegion[4].usEndX, 319);
    EXPECT_EQ(g_RGBLayerRegion[4].usEndY, 239);
}

TEST_F(Layers, RegionOutsideTableIgnored)
{
    EXPECT_EQ(ZKT_SetRGBRegionOperation(0, 1, 1, 1, 1, 1, 1, 1, 1), (u32)ZKT_ERR_INVALID_ARG);
    EXPECT_EQ(ZKT_SetRGBRegionOperation(6, 1, 1, 1, 1, 1, 1, 1, 1), (u32)ZKT_ERR_INVALID_ARG);
    EXPECT_EQ(ZKT_SetRGBRegionOperation(0xFFFFFFFFu, 1, 1, 1, 1, 1, 1, 1, 1), (u32)ZKT_ERR_INVALID_ARG);
    EXPECT_TRUE(Untouched(g_RGBLayerRegion, sizeof(g_RGBLayerRegion)));
}

TEST_F(Layers, CursorEveryFieldInPlace)
{
    ZKT_SetCursorParams(0x41, 32, 0xF0112233u, 0x80445566u, 0x123457);
    EXPECT_EQ(g_cursorLayer.bEnable, 0x41u);
    EXPECT_EQ(g_cursorLayer.bLarge, 0u);
    EXPECT_EQ(g_cursorLayer.ulColor1, 0xF0112233u);
    EXPECT_EQ(g_cursorLayer.ulColor0, 0x80445566u);
    EXPECT_EQ(g_cursorLayer.ulBitmapOffset, 0x123454u);
    // Position is a separate call and the parameters leave it alone.
    EXPECT_EQ(g_cursorLayer.usX, 0xA5A5);
    EXPECT_EQ(g_cursorLayer.usY, 0xA5A5);
    ZKT_MoveCursor(301, 222);
    EXPECT_EQ(g_cursorLayer.usX, 301);
    EXPECT_EQ(g_cursorLayer.usY, 222);
    EXPECT_EQ(g_cursorLayer.ulColor1, 0xF0112233u);

    // Every size but 32 selects the 64x64 cursor.
    for (u16 size : {64, 48, 0, 33}) {
        ZKT_SetCursorParams(1, size, 0, 0, 0);
        EXPECT_EQ(g_cursorLayer.bLarge, 1u) << size;
    }
}

TEST_F(Layers, GammaRange)
{
    ZKT_EnableGamma(1);
    EXPECT_EQ(g_bEnableGamma, 1u);
    ZKT_EnableGamma(0);
    EXPECT_EQ(g_bEnableGamma, 0u);

    u32 table[300];
    for (u32 i = 0; i < 300; i++)
        table[i] = 0x00AB0000u + i;
    EXPECT_EQ(ZKT_SetGamma(16, table, 2), 0u);
    EXPECT_EQ(g_ulGammaTable[15], 0xA5A5A5A5u);
    EXPECT_EQ(g_ulGammaTable[16], 0x00AB0000u);
    EXPECT_EQ(g_ulGammaTable[17], 0x00AB0001u);
    EXPECT_EQ(g_ulGammaTable[18], 0xA5A5A5A5u);
    // A range past entry 255 stops there.
    EXPECT_EQ(ZKT_SetGamma(250, table, 0xFFFF), (u32)ZKT_ERR_INVALID_ARG);
    EXPECT_EQ(g_ulGammaTable[255], 0x00AB0005u);
}

} // namespace
