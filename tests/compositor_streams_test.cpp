// OSD areas, SPU bands and the cursor, composed from records written with
// the API's own writers, against values worked out from the stream rules.
#include <gtest/gtest.h>

#include <algorithm>

#include "compositor_helpers.h"

namespace {

void BeginFrame()
{
    ClearWork();
}

// Marks a pixel as written by a lower layer with the given Y, Cb, Cr.
void Under(s32 x, s32 y, u8 Y, u8 cb, u8 cr)
{
    SetWork((size_t)y * OutW() + x, Y, cb, cr, true);
}

u32 Y0(s32 x, s32 y)
{
    return Pixel(x, y)[0];
}

const u32 OSD = 0x170000;

void OSDArea(u32 at, u32 next, u16 x0, u16 y0, u16 x1, u16 yEnd, u16 bpp, u32 rle, u32 alpha = 0, u32 key = 0,
             u16 areaAlpha = 0, u8 keyIndex = 0)
{
    ZKT_WriteOSDHeader(at, next, x0, y0, x1, yEnd, bpp, rle, alpha, key, areaAlpha, keyIndex);
}

void DrawOSD()
{
    g_bOSDLayerEnable = 1;
    ZKT_LowLevelAPI_SoftRender_OSD_Layer();
}

} // namespace

TEST(CompositorOSD, RawAreaOpacityOverWrittenAndBackground)
{
    ResetModel(0);
    g_ulOSDPalette[5] = 0xF0C0B0A0; // opaque: Y A0, Cb B0, Cr C0
    g_ulOSDPalette[6] = 0x00C0B0A0; // invisible
    g_ulOSDPalette[7] = 0x80FF00F0; // opacity 8
    OSDArea(OSD, 0xFFFFFFFF, 0, 0, 2, 2, 8, 0);
    const u8 data[] = {5, 6, 7, 5, 6, 7};
    std::memcpy(VM(OSD + 12), data, sizeof data);
    g_ulOSDHeaderEvenField = OSD;
    BeginFrame();
    for (s32 x = 0; x < 3; x++)
        Under(x, 0, 100, 50, 60);
    DrawOSD();
    EXPECT_EQ(Y0(0, 0), 0xA0);
    EXPECT_EQ(Pixel(0, 0)[2], 0xC0);
    EXPECT_EQ(Y0(1, 0), 100); // opacity 0 over a written pixel
    EXPECT_EQ(Y0(2, 0), (100 * 7 + 0xF0 * 8) / 15);
    EXPECT_EQ(Pixel(2, 0)[1], (50 * 7 + 0x00 * 8) / 15);
    // Over unwritten background every colour shows whatever its opacity.
    EXPECT_EQ(Y0(1, 1), 0xA0);
    EXPECT_EQ(Y0(2, 1), 0xF0);
    EXPECT_EQ(Flag(1, 1), 1);
    EXPECT_EQ(Flag(3, 0), 0);
}

TEST(CompositorOSD, ColourKeyAndAreaAlpha)
{
    ResetModel(0);
    g_ulOSDPalette[0] = 0xF0808020;
    g_ulOSDPalette[1] = 0xF0808090;
    OSDArea(OSD, 0xFFFFFFFF, 0, 0, 3, 1, 8, 0, 1, 1, 15, 0);
    const u8 data[] = {0, 1, 0, 1};
    std::memcpy(VM(OSD + 12), data, sizeof data);
    g_ulOSDHeaderEvenField = OSD;
    BeginFrame();
    DrawOSD();
    EXPECT_EQ(Flag(0, 0), 0); // keyed: neither drawn nor flagged
    EXPECT_EQ(Y0(0, 0), 0x10);
    EXPECT_EQ(Y0(1, 0), 0x90);
    // Key requested without the alpha bit is not in force.
    OSDArea(OSD, 0xFFFFFFFF, 0, 0, 3, 1, 8, 0, 0, 1, 15, 0);
    BeginFrame();
    DrawOSD();
    EXPECT_EQ(Y0(0, 0), 0x20);
    // Area alpha 5 replaces the palette's opacity 15.
    OSDArea(OSD, 0xFFFFFFFF, 0, 0, 3, 1, 8, 0, 1, 0, 5, 0);
    BeginFrame();
    Under(1, 0, 0x30, 0x80, 0x80);
    DrawOSD();
    EXPECT_EQ(Y0(1, 0), (0x30 * 10 + 0x90 * 5) / 15);
}

TEST(CompositorOSD, RunLengthAndPackedPixels)
{
    ResetModel(0);
    for (u32 i = 0; i < 256; i++)
        g_ulOSDPalette[i] = 0xF0808000 | i;
    // 0xC5 0x07: five pixels of 7; 0x10: one pixel of 16; 0xC0 0x03: 3 to
    // the end of the area, over the line end.
    OSDArea(OSD, 0xFFFFFFFF, 10, 0, 19, 2, 8, 1);
    const u8 rle[] = {0xC5, 0x07, 0x10, 0xC0, 0x03};
    std::memcpy(VM(OSD + 12), rle, sizeof rle);
    g_ulOSDHeaderEvenField = OSD;
    BeginFrame();
    DrawOSD();
    for (s32 x = 10; x < 15; x++)
        EXPECT_EQ(Y0(x, 0), 7u);
    EXPECT_EQ(Y0(15, 0), 16u);
    EXPECT_EQ(Y0(16, 0), 3u);
    EXPECT_EQ(Y0(19, 1), 3u);
    EXPECT_EQ(Flag(20, 0), 0);
    EXPECT_EQ(Flag(10, 2), 0);
    // Runs of seven over lines ten wide: most end on a later line than
    // they start, where they go on from its first column.
    OSDArea(OSD, 0xFFFFFFFF, 0, 0, 9, 7, 8, 1);
    for (u32 i = 0; i < 10; i++) {
        VM(OSD + 12)[2 * i] = 0xC7;
        VM(OSD + 12)[2 * i + 1] = (u8)(20 + i);
    }
    BeginFrame();
    DrawOSD();
    for (s32 p = 0; p < 70; p++)
        ASSERT_EQ(Y0(p % 10, p / 10), 20u + p / 7) << "pixel " << p;

    // 2 bits, 4x1: all four values from one byte, first in bits 0-1.
    OSDArea(OSD, 0xFFFFFFFF, 0, 0, 3, 1, 2, 0);
    VM(OSD + 12)[0] = 0xE4; // 11 10 01 00
    BeginFrame();
    DrawOSD();
    for (s32 x = 0; x < 4; x++)
        EXPECT_EQ(Y0(x, 0), (u32)x);

    // 4 bits, 3 wide: one stream with no padding at line ends.
    OSDArea(OSD, 0xFFFFFFFF, 0, 0, 2, 2, 4, 0);
    const u8 nib[] = {0x21, 0x43, 0x65};
    std::memcpy(VM(OSD + 12), nib, sizeof nib);
    BeginFrame();
    DrawOSD();
    EXPECT_EQ(Y0(0, 0), 1u);
    EXPECT_EQ(Y0(2, 0), 3u);
    EXPECT_EQ(Y0(0, 1), 4u);
    EXPECT_EQ(Y0(2, 1), 6u);
}

TEST(CompositorOSD, ColumnsPastThePictureAreClippedNotWrapped)
{
    ResetModel(0);
    for (u32 i = 0; i < 256; i++)
        g_ulOSDPalette[i] = 0xF0808000 | i;
    OSDArea(OSD, 0xFFFFFFFF, 300, 0, 2047, 2, 8, 0);
    const u32 width = 2047 - 300 + 1;
    for (u32 i = 0; i < 2 * width; i++)
        VM(OSD + 12)[i] = (u8)(i < width ? 1 : 2);
    g_ulOSDHeaderEvenField = OSD;
    BeginFrame();
    DrawOSD();
    EXPECT_EQ(Y0(319, 0), 1u);
    EXPECT_EQ(Y0(300, 1), 2u);
    EXPECT_EQ(Flag(0, 1), 0);

    // The same through run-length data: runs past column 319 are skipped.
    OSDArea(OSD, 0xFFFFFFFF, 300, 0, 2047, 2, 8, 1);
    u8 *d = VM(OSD + 12);
    u32 n = 0;
    for (u32 left = width; left; left -= left > 63 ? 63 : left) {
        d[n++] = (u8)(0xC0 | (left > 63 ? 63 : left));
        d[n++] = 1;
    }
    d[n++] = 0xC0;
    d[n++] = 2;
    BeginFrame();
    DrawOSD();
    EXPECT_EQ(Y0(319, 0), 1u);
    EXPECT_EQ(Y0(300, 1), 2u);
    EXPECT_EQ(Flag(0, 1), 0);

    // Empty areas: first line at the end line, last column before the first.
    OSDArea(OSD, 0xFFFFFFFF, 0, 5, 10, 5, 8, 0);
    BeginFrame();
    DrawOSD();
    EXPECT_EQ(Flag(0, 5), 0);
    OSDArea(OSD, 0xFFFFFFFF, 10, 0, 9, 5, 8, 0);
    BeginFrame();
    DrawOSD();
    EXPECT_EQ(Flag(9, 0), 0);
    EXPECT_EQ(Flag(10, 0), 0);
}

TEST(CompositorOSD, ListsWalkFieldsAndStopOnLoops)
{
    ResetModel(12);
    for (u32 i = 0; i < 256; i++)
        g_ulOSDPalette[i] = 0xF0808000 | i;
    // Two areas in the even list, one in the odd list.
    OSDArea(OSD, OSD + 0x100, 0, 0, 9, 2, 8, 0);
    std::memset(VM(OSD + 12), 1, 20);
    OSDArea(OSD + 0x100, 0xFFFFFFFF, 20, 0, 29, 2, 8, 0);
    std::memset(VM(OSD + 0x10C), 2, 20);
    OSDArea(OSD + 0x200, 0xFFFFFFFF, 0, 0, 9, 2, 8, 0);
    std::memset(VM(OSD + 0x20C), 3, 20);
    ZKT_SetOSDPlane(1, OSD, OSD + 0x200);
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_OSD_Layer();
    EXPECT_EQ(Y0(0, 0), 1u);
    EXPECT_EQ(Y0(0, 2), 1u);
    EXPECT_EQ(Y0(20, 2), 2u);
    EXPECT_EQ(Y0(0, 1), 3u);
    EXPECT_EQ(Y0(0, 3), 3u);
    EXPECT_EQ(Flag(20, 1), 0);
    EXPECT_EQ(Flag(0, 4), 0);

    // An area linking back to itself without its last bit is drawn once:
    // twice would blend its opacity 8 over itself again.
    ResetModel(0);
    g_ulOSDPalette[1] = 0x80808000 | 250;
    OSDArea(OSD, OSD, 0, 0, 0, 1, 8, 0);
    VM(OSD + 12)[0] = 1;
    // A loop of two areas: A -> B -> A.
    OSDArea(OSD + 0x40, OSD + 0x80, 1, 0, 1, 1, 8, 0);
    VM(OSD + 0x4C)[0] = 1;
    OSDArea(OSD + 0x80, OSD + 0x40, 2, 0, 2, 1, 8, 0);
    VM(OSD + 0x8C)[0] = 1;
    for (u32 start : {OSD, OSD + 0x40}) {
        g_ulOSDHeaderEvenField = start;
        BeginFrame();
        for (s32 x = 0; x < 3; x++)
            Under(x, 0, 100, 128, 128);
        DrawOSD();
        for (s32 x = start == OSD ? 0 : 1; x < (start == OSD ? 1 : 3); x++)
            EXPECT_EQ(Y0(x, 0), (100u * 7 + 250 * 8) / 15) << "area at column " << x;
    }

    // A list that never ends is cut after a fixed number of areas.
    ResetModel(0);
    g_ulOSDPalette[1] = 0xF0808001;
    const u32 areas = ZKT_OSD_MAX_AREAS + 500;
    for (u32 i = 0; i < areas; i++) {
        const u32 at = 0x200000 + i * 16;
        OSDArea(at, at + 16, (u16)(i % 320), (u16)(i / 320), (u16)(i % 320), (u16)(i / 320 + 1), 8, 0);
        VM(at + 12)[0] = 1;
    }
    g_ulOSDHeaderEvenField = 0x200000;
    BeginFrame();
    DrawOSD();
    u32 drawn = 0;
    for (s32 i = 0; i < 320 * 240; i++)
        drawn += g_ulSoftRenderWork[i] >> 24 ? 1 : 0;
    EXPECT_EQ(drawn, (u32)ZKT_OSD_MAX_AREAS);
}

TEST(CompositorOSD, DataRunningOffVideoMemoryEndsTheArea)
{
    ResetModel(0);
    g_ulOSDPalette[0] = 0xF0808011;
    const u32 at = ZKT_VIDEO_MEM_SIZE - 12 - 100;
    OSDArea(at, 0xFFFFFFFF, 0, 0, 319, 239, 8, 0);
    g_ulOSDHeaderEvenField = at;
    BeginFrame();
    DrawOSD();
    EXPECT_EQ(Flag(99, 0), 1);
    EXPECT_EQ(Flag(100, 0), 0);
    EXPECT_EQ(Flag(0, 1), 0);
    // Run-length data: a run byte whose value lies past the end.
    OSDArea(at, 0xFFFFFFFF, 0, 0, 319, 239, 8, 1);
    std::memset(VM(at + 12), 0x11, 99);
    VM(ZKT_VIDEO_MEM_SIZE - 1)[0] = 0xC3;
    BeginFrame();
    DrawOSD();
    EXPECT_EQ(Flag(98, 0), 1);
    EXPECT_EQ(Flag(99, 0), 0);
    // A header that does not fit is not read at all.
    g_ulOSDHeaderEvenField = ZKT_VIDEO_MEM_SIZE - 8;
    BeginFrame();
    DrawOSD();
    EXPECT_EQ(Flag(0, 0), 0);
}

namespace {

const u32 SPU_CMD = 0x300000, SPU_TOP = 0x301000, SPU_BOTTOM = 0x302000, SPU_LIST = 0x303000;

void SPUPalette()
{
    for (u32 i = 0; i < 16; i++)
        g_ulSPUColorPalette[i] = (20 + 10 * i) | ((100 + i) << 8) | ((200 - i) << 24);
}

u32 PalY(u32 i)
{
    return 20 + 10 * i;
}

} // namespace

TEST(CompositorSPU, NibbleCodesAndByteAlignedLines)
{
    ResetModel(0);
    SPUPalette();
    // Colour word: code c shows palette index c; all opaque.
    ZKT_WriteSPUBaseCmd(SPU_CMD, 0, 0, 0x3210, 0xFFFF, 0, 6, SPU_TOP, SPU_BOTTOM);
    std::memset(VM(SPU_BOTTOM), 0, 6); // three lines of 0x0000: code 0
    // Line 0: 0x5 (1 of 1), 0x12 (4 of 2), 0x041 (16 of 1), 0x0000 (rest 0).
    // Line 1: 0x5, 0x0000 ends on a high nibble; the 0xF after it is unused.
    // Line 2: 0x0002 fills with code 2 from the next byte on.
    const u8 top[] = {0x51, 0x20, 0x41, 0x00, 0x00, 0x50, 0x00, 0x0F, 0x00, 0x02};
    std::memcpy(VM(SPU_TOP), top, sizeof top);
    ZKT_SetSPUPlane(1, 0, 0, SPU_CMD, 0);
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_SPU_Layer();
    EXPECT_EQ(Y0(0, 0), PalY(1));
    for (s32 x = 1; x <= 4; x++)
        EXPECT_EQ(Y0(x, 0), PalY(2)) << x;
    EXPECT_EQ(Y0(5, 0), PalY(1));
    EXPECT_EQ(Y0(20, 0), PalY(1));
    EXPECT_EQ(Y0(21, 0), PalY(0));
    EXPECT_EQ(Y0(319, 0), PalY(0));
    EXPECT_EQ(Pixel(0, 0)[1], 101u);
    EXPECT_EQ(Pixel(0, 0)[2], 199u);
    EXPECT_EQ(Y0(0, 1), PalY(1));
    EXPECT_EQ(Y0(1, 1), PalY(0));
    EXPECT_EQ(Y0(0, 2), PalY(2));
    EXPECT_EQ(Y0(319, 2), PalY(2));
    EXPECT_EQ(Flag(0, 3), 0);
}

TEST(CompositorSPU, LCDHalvesLinesAndBlendsByContrast)
{
    ResetModel(0);
    SPUPalette();
    // Lines 0 to 480 cover output lines 0 to 239; top field (drawn second)
    // has code 1 at opacity 5 over the bottom field's opaque code 0.
    ZKT_WriteSPUBaseCmd(SPU_CMD, 0, 0, 0x3210, 0xFF5F, 0, 480, SPU_TOP, SPU_BOTTOM);
    std::memset(VM(SPU_BOTTOM), 0, 480);
    for (u32 l = 0; l < 240; l++) {
        VM(SPU_TOP)[l * 2] = 0x00;
        VM(SPU_TOP)[l * 2 + 1] = 0x01;
    }
    ZKT_SetSPUPlane(1, 0, 0, SPU_CMD, 0);
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_SPU_Layer();
    EXPECT_EQ(Y0(0, 0), (PalY(1) * 5 + PalY(0) * 10) / 15);
    EXPECT_EQ(Y0(319, 239), (PalY(1) * 5 + PalY(0) * 10) / 15);
}

TEST(CompositorSPU, ChangeListAndHighlightBands)
{
    ResetModel(0);
    SPUPalette();
    std::memset(VM(SPU_BOTTOM), 0, 64);
    std::memset(VM(SPU_TOP), 0, 64);
    // Entry for lines 2..4 (output line 1): columns 10..19 use palette 5.
    const u16 f[] = {10}, l[] = {19}, c[] = {0x5555}, k[] = {0xFFFF};
    ZKT_WriteSPUChangeCmd(SPU_LIST, 1, 2, 4, 1, f, l, c, k);
    ZKT_WriteSPUBaseCmd(SPU_CMD, 1, SPU_LIST, 0x3210, 0xFFFF, 0, 6, SPU_TOP, SPU_BOTTOM);
    ZKT_SetSPUPlane(1, 0, 0, SPU_CMD, 0);
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_SPU_Layer();
    EXPECT_EQ(Y0(10, 0), PalY(0)); // plain band before the entry
    EXPECT_EQ(Y0(9, 1), PalY(0));
    EXPECT_EQ(Y0(10, 1), PalY(5));
    EXPECT_EQ(Y0(19, 1), PalY(5));
    EXPECT_EQ(Y0(20, 1), PalY(0));
    EXPECT_EQ(Y0(15, 2), PalY(0)); // plain band after the list
    // With the highlight flag set the change list is ignored.
    ZKT_SetSPUPlane(1, 0, 1, SPU_CMD, 0);
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_SPU_Layer();
    EXPECT_EQ(Y0(10, 1), PalY(0));

    // Highlight without a change list: columns 100 up to, not including, 200.
    ZKT_WriteSPUBaseCmd(SPU_CMD, 0, 0, 0x3210, 0xFFFF, 0, 6, SPU_TOP, SPU_BOTTOM);
    ZKT_WriteSPUHighlightInfo(0x304000, 100, 2, 200, 4, 0x7777, 0xFFFF);
    ZKT_SetSPUPlane(1, 0, 1, SPU_CMD, 0x304000);
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_SPU_Layer();
    EXPECT_EQ(Y0(99, 1), PalY(0));
    EXPECT_EQ(Y0(100, 1), PalY(7));
    EXPECT_EQ(Y0(199, 1), PalY(7));
    EXPECT_EQ(Y0(200, 1), PalY(0));
    EXPECT_EQ(Y0(150, 0), PalY(0));
    EXPECT_EQ(Y0(150, 2), PalY(0));
}

TEST(CompositorSPU, TelevisionFieldsAndRunawayStreams)
{
    ResetModel(12);
    SPUPalette();
    ZKT_WriteSPUBaseCmd(SPU_CMD, 0, 0, 0x3210, 0xFFFF, 0, 4, SPU_TOP, SPU_BOTTOM);
    const u8 fill1[] = {0x00, 0x01, 0x00, 0x01}, fill2[] = {0x00, 0x02, 0x00, 0x02};
    std::memcpy(VM(SPU_TOP), fill1, 4);
    std::memcpy(VM(SPU_BOTTOM), fill2, 4);
    ZKT_SetSPUPlane(1, 0, 0, SPU_CMD, 0);
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_SPU_Layer();
    EXPECT_EQ(Y0(700, 0), PalY(1)); // even lines: top field
    EXPECT_EQ(Y0(700, 2), PalY(1));
    EXPECT_EQ(Y0(700, 1), PalY(2)); // odd lines: bottom field
    EXPECT_EQ(Y0(700, 3), PalY(2));
    EXPECT_EQ(Flag(0, 4), 0);

    // An unterminated change list at the very end of video memory, and
    // field data that run off its end: the layer stops, nothing faults.
    ResetModel(0);
    SPUPalette();
    ZKT_WriteSPUBaseCmd(SPU_CMD, 1, ZKT_VIDEO_MEM_SIZE - 8, 0x3210, 0xFFFF, 0, 480, ZKT_VIDEO_MEM_SIZE - 3,
                        ZKT_VIDEO_MEM_SIZE - 2);
    std::memset(VM(ZKT_VIDEO_MEM_SIZE - 8), 0, 8);
    VM(ZKT_VIDEO_MEM_SIZE - 8)[1] = 0x00; // entries: lines 0..0, no changes
    ZKT_SetSPUPlane(1, 0, 0, SPU_CMD, 0);
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_SPU_Layer();
    // Bottom field: 0x0000 fills line 0, then its data are used up.
    EXPECT_EQ(Y0(319, 0), PalY(0));
    EXPECT_EQ(Flag(0, 1), 0);
    // Every record out of range.
    ZKT_SetSPUPlane(1, 0, 1, 0xFFFFFFFF, 0xFFFFFFFF);
    BeginFrame();
    ZKT_LowLevelAPI_SoftRender_SPU_Layer();
    EXPECT_EQ(Flag(0, 0), 0);
}

namespace {

// Pixel by pixel, the way the stream is described: codes nibble by nibble,
// each pixel's words from the changes that cover its column.
void ReadSPULines(u32 *pic, u32 top, s32 first, s32 firstLine, s32 last, s32 endLine, u16 cw, u16 kw, s32 n,
                  const u16 *cf, const u16 *cl, const u16 *cc, const u16 *ck, u8 **pp)
{
    const u8 *vm = VM(0);
    const s32 W = OutW(), H = ZKT_ModeHeight(g_ulDISPLAY_MODE);
    const bool tv = ZKT_ModeIsTV(g_ulDISPLAY_MODE);
    s32 y = tv ? firstLine + ((firstLine & 1) != (top ? 0 : 1)) : firstLine / 2;
    const s32 yEnd = std::min(tv ? endLine : endLine / 2, H);
    if (y >= yEnd || last < first)
        return;
    int64_t q = 2 * (int64_t)(*pp - vm);
    for (; y < yEnd; y += tv ? 2 : 1)
        for (s32 x = first; x <= last;) {
            u32 code = 0;
            for (s32 k = 0; k < 4 && code < (k == 1 ? 4u : k == 2 ? 16u : 64u); k++, q++) {
                if (q / 2 >= ZKT_VIDEO_MEM_SIZE) {
                    *pp = nullptr;
                    return;
                }
                code = code << 4 | ((vm[q / 2] >> (q & 1 ? 0 : 4)) & 15);
            }
            s32 run = (s32)(code >> 2);
            if (run == 0 || run > last - x + 1)
                run = last - x + 1;
            for (s32 px = x; px < x + run && px < W; px++) {
                u16 c = cw, k = kw;
                for (s32 j = 0; j < n; j++)
                    if (cf[j] <= px && px <= cl[j])
                        c = cc[j], k = ck[j];
                const u32 colour = g_ulSPUColorPalette[(c >> (4 * (code & 3))) & 15];
                ZKT_SoftRenderScalar_Ink(pic + (size_t)y * W + px, 1,
                                         (colour & 0xFFFF) | ((colour >> 8) & 0xFF0000), (k >> (4 * (code & 3))) & 15);
            }
            x += run;
            if (x > last)
                q += q & 1;
        }
    *pp = (u8 *)vm + q / 2;
}

} // namespace

// Random streams (codes of every length, runs that end the line), change
// columns overlapping, reversed and past the picture, data up to the end of
// video memory, over random pictures on the LCD and a television.
TEST(CompositorSPU, LinesMatchAPixelByPixelReading)
{
    uint64_t seed = 0x5350554C;
    auto next = [&seed](u32 n) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return (u32)(seed >> 33) % n;
    };
    static u32 want[ZKT_MAX_OUT_W * ZKT_MAX_OUT_H];
    for (int round = 0; round < 200; round++) {
        ResetModel(round % 3 ? 0 : 26);
        const s32 W = OutW(), H = ZKT_ModeHeight(g_ulDISPLAY_MODE);
        for (u32 &c : g_ulSPUColorPalette)
            c = next(0x10000) << 16 | next(0x10000);
        for (s32 i = 0; i < W * H; i++) {
            const u32 v = (u32)(i + round) * 2654435761u;
            g_ulSoftRenderWork[i] = (v & ZKT_PX_RGB) | (v >> 29 ? ZKT_PX_WRITTEN : 0);
        }
        std::memcpy(want, g_ulSoftRenderWork, sizeof(u32) * W * H);
        // Short runs mostly, some long ones and line ends.
        const u32 at = next(4) ? 0x300000 : ZKT_VIDEO_MEM_SIZE - 1 - next(200);
        for (u32 i = at; i < std::min(at + 0x4000u, (u32)ZKT_VIDEO_MEM_SIZE); i++)
            VM(i)[0] = (u8)(next(8) ? next(4) << 6 | next(64) >> (2 * next(4)) : next(256));
        const s32 n = (s32)next(16);
        u16 cf[16], cl[16], cc[16], ck[16];
        for (s32 j = 0; j < n; j++) {
            cf[j] = (u16)next(W + 20);
            cl[j] = (u16)(next(4) ? cf[j] + next(80) : next(W + 20));
            cc[j] = (u16)next(0x10000);
            ck[j] = (u16)next(0x10000);
        }
        const s32 first = (s32)next(W + 10), last = next(5) ? first + (s32)next(W) : (s32)next(0x10000);
        const s32 firstLine = (s32)next(2 * H), endLine = firstLine + (s32)next(40);
        const u16 cw = (u16)next(0x10000), kw = (u16)next(0x10000);
        const u32 top = next(2);
        u8 *got = VM(at), *ref = VM(at);
        ZKT_LowLevelAPI_SoftRender_SPU_Layer_SubProc(top, first, firstLine, last, endLine, cw, kw, n, cf, cl, cc, ck,
                                                     &got);
        ReadSPULines(want, top, first, firstLine, last, endLine, cw, kw, n, cf, cl, cc, ck, &ref);
        ASSERT_EQ(ref, got) << "round " << round;
        ASSERT_EQ(0, std::memcmp(want, g_ulSoftRenderWork, sizeof(u32) * W * H)) << "round " << round;
    }
}

TEST(CompositorCursor, ClipsBlendsInvertsAndUsesBothFieldImages)
{
    ResetModel(0);
    g_RGBLayerRegion[4].bShow = 0;
    const u32 BM = 0x400000;
    std::memset(VM(BM), 0xFF, 8 * 32); // value 3 everywhere: invert
    g_cursorLayer = CursorLayer{300, 100, 1, 0, 0, 0, BM};
    ZKT_LowLevelAPI_SoftRender_Compose();
    const u8 *p = Pixel(300, 100);
    EXPECT_EQ(p[0], 255); // black turned white
    EXPECT_EQ(Pixel(319, 131)[2], 255);
    EXPECT_EQ(Pixel(299, 100)[0], 0);
    EXPECT_EQ(Flag(0, 101), 0); // cut to 20 pixels: no wrap into the next line
    EXPECT_EQ(Pixel(300, 132)[0], 0);

    // Values 0, 1, 2: colour 0 opaque, colour 1 at opacity 8 (t 128),
    // transparent (flagged all the same).
    VM(BM)[0] = 0x24; // 00 01 10 00 -> values 0, 1, 2, 0
    g_cursorLayer = CursorLayer{0, 230, 1, 0, 0x80102030, 0xF0112233, BM};
    ZKT_LowLevelAPI_SoftRender_Compose();
    EXPECT_EQ(Pixel(0, 230)[0], 0x11); // blue from bits 16-23
    EXPECT_EQ(Pixel(0, 230)[2], 0x33);
    EXPECT_EQ(Pixel(1, 230)[0], 0x10 * 128 / 240);
    EXPECT_EQ(Pixel(1, 230)[2], 0x30 * 128 / 240);
    EXPECT_EQ(Pixel(2, 230)[0], 0);
    EXPECT_EQ(Flag(2, 230), 1);
    EXPECT_EQ(Flag(0, 239), 1); // cut at the bottom: 10 lines

    // Television: even lines from the first image, odd ones from the second.
    ResetModel(12);
    g_RGBLayerRegion[4].bShow = 0;
    std::memset(VM(BM), 0x00, 8 * 32);      // first image: colour 0
    std::memset(VM(BM + 8 * 32), 0xFF, 8 * 32); // second image: invert
    g_cursorLayer = CursorLayer{700, 230, 1, 0, 0, 0xF0405060, BM};
    ZKT_LowLevelAPI_SoftRender_Compose();
    EXPECT_EQ(Pixel(700, 460)[0], 0x40);
    EXPECT_EQ(Pixel(700, 461)[0], 255);
    EXPECT_EQ(Pixel(719, 479)[0], 255);
    EXPECT_EQ(Flag(0, 461), 0);

    // Positions far outside the picture draw nothing.
    g_cursorLayer = CursorLayer{65535, 65535, 1, 1, 0, 0, BM};
    ZKT_LowLevelAPI_SoftRender_Compose();
    g_cursorLayer = CursorLayer{0, 0, 1, 0, 0, 0, ZKT_VIDEO_MEM_SIZE - 16};
    ZKT_LowLevelAPI_SoftRender_Compose();
    // Only rows 0 and 1 of the first image lie inside video memory: output
    // lines 0 and 2; the second image (odd lines) is past its end.
    EXPECT_EQ(Flag(0, 0), 1);
    EXPECT_EQ(Flag(0, 2), 1);
    EXPECT_EQ(Flag(0, 1), 0);
    EXPECT_EQ(Flag(0, 4), 0);
}
