// The handheld back end at register level, on the simulated chip: start-up
// and shut-down, time base, display modes and the television encoder,
// layer setters, blitter and rotator, second core, device services.
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "gp2x_support.h"

namespace {

constexpr u32 kBase = 0x03800000;

// ------------------------------------------------------------ lifecycle

TEST_F(SimChip, StartModeFollowsWhatTheFirmwareDrives)
{
    u32 mode = 99, depth = 0;
    Start();
    ZKT_GetDisplayMode(&mode, &depth);
    EXPECT_EQ(mode, 0u);
    EXPECT_EQ(depth, 16u);
    ZKT_FreeLowLevelAPI(0);
    GP2X_SimUninstall();

    cfg.bTvOut = 1;
    cfg.bPAL = 1;
    cfg.usLastLine = 287;
    Start();
    ZKT_GetDisplayMode(&mode, &depth);
    EXPECT_EQ(mode, 19u);
    ZKT_FreeLowLevelAPI(0);
    GP2X_SimUninstall();

    cfg.bPAL = 0;
    cfg.usLastLine = 239;
    Start();
    ZKT_GetDisplayMode(&mode, &depth);
    EXPECT_EQ(mode, 5u);
}

TEST_F(SimChip, StartUpEnablesClocksAndMapsVideoMemory)
{
    GP2X_SimInstall(&cfg);
    ASSERT_EQ(ZKT_InitLowLevelAPI("test"), (u32)ZKT_OK);
    bOpen = true;
    EXPECT_TRUE(GP2X_SimMemIsOpen());
    EXPECT_EQ(Last(GP2X_CLK_ENABLE2), 0xFFFFu);
    EXPECT_TRUE(Last(GP2X_CLK_ENABLE) & 0x400);
    EXPECT_EQ(Last(GP2X_YUV_PRIORITY), 0u);
    u32 *base = nullptr;
    ZKT_GetVideoBasePtr(&base);
    EXPECT_EQ((u8 *)base, GP2X_SimVideoMem());
    EXPECT_EQ(ZKT_GetVideoPtrOn920(0x240000), GP2X_SimVideoMem() + 0x240000);
}

TEST_F(SimChip, ShutDownRestoresTheSavedRegistersInOrderAndClearsTheMenuScreen)
{
    u16 firmware[51];
    GP2X_SimInstall(&cfg);
    for (int i = 0; i < 51; i++)
        firmware[i] = GP2X_SimPeek16(GP2X_REG_BASE + kSavedRegs[i]);
    u32 cell0 = GP2X_SimPeek32(GP2X_RGB_LINE_WIDTH), cell1 = GP2X_SimPeek32(GP2X_RGB_FIELD1_ADDR + 2);
    ASSERT_EQ(ZKT_InitLowLevelAPI("test"), (u32)ZKT_OK);

    // Change much of it, as the presentation does.
    ZKT_SetDisplayMode(6, 16);
    ZKT_SetRGBStartAddress(0x100000);
    ZKT_SetCursorParams(1, 32, 0xF0000000, 0xF0FFFFFF, 0x1000);
    ZKT_SetCPUClock(250);
    std::memset(GP2X_Sim940Mem() + 0x101000, 0xAA, 153600); // the menu's frame buffer
    GP2X_SimClearLog();
    ZKT_FreeLowLevelAPI(1);

    u32 n = GP2X_SimWriteCount();
    ASSERT_GE(n, 53u);
    const GP2X_SIM_WRITE *w = GP2X_SimWrites() + (n - 53);
    EXPECT_EQ(w[0].ulAddr, GP2X_RGB_LINE_WIDTH);
    EXPECT_EQ(w[0].ulWidth, 32u);
    EXPECT_EQ(w[0].ulValue, cell0);
    EXPECT_EQ(w[1].ulAddr, GP2X_RGB_FIELD1_ADDR + 2);
    EXPECT_EQ(w[1].ulValue, cell1);
    for (int i = 0; i < 51; i++) {
        EXPECT_EQ(w[2 + i].ulAddr, GP2X_REG_BASE + kSavedRegs[i]) << i;
        EXPECT_EQ(w[2 + i].ulWidth, 16u);
        // Bit 8 of GP2X_DPC_SYNC is the live television sync status.
        u16 mask = kSavedRegs[i] == 0x2846 ? 0xFEFF : 0xFFFF;
        EXPECT_EQ(w[2 + i].ulValue & mask, firmware[i] & mask) << i;
        EXPECT_EQ(GP2X_SimPeek16(GP2X_REG_BASE + kSavedRegs[i]) & mask, firmware[i] & mask) << i;
    }
    // The second core was put in reset before anything was restored.
    EXPECT_EQ(GP2X_SimWrites()[0].ulAddr, GP2X_940_CTRL);
    EXPECT_EQ(GP2X_SimWrites()[0].ulValue, 0x83u);
    for (u32 i = 0; i < 153600; i += 997)
        ASSERT_EQ(GP2X_Sim940Mem()[0x101000 + i], 0) << i;
    EXPECT_EQ(GP2X_SimMenuExecCount(), 1u);
    EXPECT_FALSE(GP2X_SimMemIsOpen());
}

// ------------------------------------------------------------ time

TEST_F(SimChip, TimeQueriesFollowTheRealTimeClock)
{
    Start();
    u32 t0 = 0, t1 = 0;
    ZKT_GetTime(&t0);
    EXPECT_NEAR((double)t0, 20.0, 2.0); // the base was read before the input devices' 20 ms wait
    GP2X_SimAdvanceUs(1500000);
    ZKT_GetTime(&t1);
    EXPECT_NEAR((double)(t1 - t0), 1500.0, 1.0);

    uint64_t before = GP2X_SimTimeUs();
    ZKT_DelayMS(20);
    // The clock counts 1/1024 s, so a millisecond reading can run ahead by one.
    EXPECT_GE(GP2X_SimTimeUs() - before, 19000u);
    EXPECT_LT(GP2X_SimTimeUs() - before, 21000u);

    u32 f = 9;
    ZKT_ResetFrameTime();
    ZKT_GetFrameTime(&f);
    EXPECT_EQ(f, 0u);
    GP2X_SimAdvanceUs(40000);
    ZKT_GetFrameTime(&f);
    EXPECT_NEAR((double)f, 40.0, 1.0);
    ZKT_GetFrameCount(&f);
    EXPECT_EQ(f, 2u);
}

TEST_F(SimChip, VerticalSyncWaitsForOnePulse)
{
    Start();
    ZKT_WaitVSync();
    uint64_t t0 = GP2X_SimTimeUs();
    ZKT_WaitVSync();
    uint64_t dt = GP2X_SimTimeUs() - t0;
    EXPECT_NEAR((double)dt, 16667.0, 50.0); // one LCD frame

    ZKT_SetDisplayMode(26, 16);
    GP2X_SimClearLog();
    ZKT_WaitVSync();
    t0 = GP2X_SimTimeUs();
    ZKT_WaitVSync();
    EXPECT_NEAR((double)(GP2X_SimTimeUs() - t0), 20000.0, 50.0); // one PAL field
    EXPECT_EQ(Last(GP2X_DPC_SYNC), 0x20u);
}

// ------------------------------------------------------------ display modes

TEST_F(SimChip, LcdMode0At16Bits)
{
    Start();
    ASSERT_EQ(ZKT_SetDisplayMode(0, 16), (u32)ZKT_OK);
    EXPECT_EQ(Last(GP2X_RGB_LINE_WIDTH), 640u);
    EXPECT_EQ(Last(GP2X_RGB_HSCALE), 1024u);
    EXPECT_EQ(Last(GP2X_DPC_LAST_LINE), 240u);
    EXPECT_EQ(Last(GP2X_RGB_CTRL), 0x5AAu);
    EXPECT_EQ(Last(GP2X_OVL_CTRL), 0x1040u);
    EXPECT_EQ(Last(GP2X_RGB_VSCALE), 320u * 16 * 240 / 1920);
    EXPECT_TRUE(Last(GP2X_DPC_CTRL) & 1); // display back on at the end
    EXPECT_EQ(GP2X_SimWrites()[GP2X_SimWriteCount() - 1].ulAddr, GP2X_DPC_CTRL);
    u32 w = 0, h = 0;
    ZKT_GetDisplaySize(&w, &h);
    EXPECT_EQ(w, 320u);
    EXPECT_EQ(h, 240u);
    EXPECT_EQ(GP2X_SimEncoderWriteCount(), 0u); // the LCD needs no encoder
}

TEST_F(SimChip, FrameHeightTelevisionModeIsShownAsTwoFields)
{
    Start();
    ASSERT_EQ(ZKT_SetDisplayMode(6, 16), (u32)ZKT_OK);
    EXPECT_EQ(Last(GP2X_LINE_HEIGHT2), 240u);
    EXPECT_EQ(Last(GP2X_LINE_HEIGHT1), 240u);
    EXPECT_EQ(Last(GP2X_OUT_HEIGHT), 240u);
    EXPECT_EQ(Last(GP2X_RGB_LINE_WIDTH), 2880u);
    EXPECT_EQ(Last(GP2X_DPC_LAST_LINE), 239u);
    EXPECT_EQ(Last(GP2X_RGB_HSCALE), 1024u);
    EXPECT_EQ(Last(GP2X_DPC_TIMING_1C), 32u);
    // Switching from the LCD: the encoder is woken, then loaded with the NTSC table.
    EXPECT_EQ(GP2X_SimEncoderWrites()[0], 0xBA80);
    EXPECT_EQ(LastEncoder(0x38), 0x10);
    EXPECT_EQ(LastEncoder(0x76), 0xB4);
    EXPECT_EQ(LastEncoder(0xB4), 0x21);
    EXPECT_EQ(LastEncoder(0xC6), 0x06);
    EXPECT_EQ(LastEncoder(0x6C), 0xC6);
    EXPECT_EQ(LastEncoder(0x8C), 0x43);
    EXPECT_EQ(LastEncoder(0xD4), 0x59);
    EXPECT_EQ(GP2X_SimEncoderReg(0x5E) & 0x0F, 0x04);
    EXPECT_EQ(GP2X_SimEncoderReg(0xC4) & 0x38, 0x18);
    u32 w = 0, h = 0;
    ZKT_GetDisplaySize(&w, &h);
    EXPECT_EQ(w, 720u);
    EXPECT_EQ(h, 480u);
}

TEST_F(SimChip, PalModeUsesThePalTableAndNarrowModesTheHandheldWidths)
{
    Start();
    ZKT_SetDisplayMode(29, 16);
    EXPECT_EQ(LastEncoder(0x76), 0xC0);
    EXPECT_EQ(Last(GP2X_DPC_LAST_LINE), 287u);
    EXPECT_EQ(Last(GP2X_DPC_TIMING_1C), 35u);
    EXPECT_EQ(Last(GP2X_YUVA_LINE_WIDTH), 184u);
    EXPECT_EQ(Last(GP2X_RGB_HSCALE), 184u * 1024 / 720);
    EXPECT_EQ(Last(GP2X_RGB_VSCALE), 288u * 184 * 16 / 2304);
    // Back to the LCD: the encoder is put to sleep first.
    GP2X_SimClearLog();
    ZKT_SetDisplayMode(0, 16);
    EXPECT_EQ(GP2X_SimEncoderWrites()[0], 0xBA80);
    EXPECT_TRUE(GP2X_SimPeek16(GP2X_GPIOB_OUT) & 4);
}

TEST_F(SimChip, UnsupportedDepthChangesNothing)
{
    Start();
    EXPECT_EQ(ZKT_SetDisplayMode(3, 12), (u32)ZKT_ERR_INVALID_ARG);
    EXPECT_EQ(GP2X_SimWriteCount(), 0u);
    EXPECT_EQ(ZKT_ModifyRGBbpp(12), (u32)ZKT_ERR_INVALID_ARG);
    EXPECT_EQ(GP2X_SimWriteCount(), 0u);
    EXPECT_EQ(ZKT_SetDisplayMode(33, 16), (u32)ZKT_ERR_INVALID_ARG); // past the mode table
    u32 mode = 9, depth = 0;
    ZKT_GetDisplayMode(&mode, &depth);
    EXPECT_EQ(mode, 0u);
    EXPECT_EQ(depth, 16u);
}

TEST_F(SimChip, ModifyDepthRewritesOnlyWhatDependsOnIt)
{
    Start();
    ZKT_SetDisplayMode(6, 16);
    GP2X_SimClearLog();
    ASSERT_EQ(ZKT_ModifyRGBbpp(8), (u32)ZKT_OK);
    EXPECT_EQ(Last(GP2X_RGB_LINE_WIDTH), 1440u);
    EXPECT_EQ(Last(GP2X_RGB_CTRL), 0x3AAu);
    EXPECT_EQ(Last(GP2X_RGB_VSCALE), 480u * 720 * 8 / 1920);
    EXPECT_FALSE(Written(GP2X_DPC_LAST_LINE));
    u32 mode = 0, depth = 0;
    ZKT_GetDisplayMode(&mode, &depth);
    EXPECT_EQ(mode, 6u);
    EXPECT_EQ(depth, 8u);
}

TEST_F(SimChip, TelevisionInterlaceSwitch)
{
    Start();
    EXPECT_EQ(ZKT_SetTvInterlace(0), 1u); // LCD
    ZKT_SetDisplayMode(12, 16);
    GP2X_SimClearLog();
    ASSERT_EQ(ZKT_SetTvInterlace(0), (u32)ZKT_OK);
    EXPECT_EQ(Last(GP2X_DPC_TIMING_20), 0x1C0u);
    EXPECT_EQ(Last(GP2X_DPC_TIMING_22), 0x3815u);
    EXPECT_EQ(Last(GP2X_DPC_TIMING_26), 624u);
    EXPECT_EQ(Last(GP2X_DPC_CTRL) & 0x77FE, 0x388u);
    EXPECT_EQ(LastEncoder(0x90), 4);
    EXPECT_EQ(GP2X_SimEncoderWrites()[0], 0x6C42);
    EXPECT_EQ(LastEncoder(0x6C), 0x46);

    GP2X_SimClearLog();
    ASSERT_EQ(ZKT_SetTvInterlace(1), (u32)ZKT_OK);
    EXPECT_EQ(Last(GP2X_DPC_TIMING_20), 384u);
    EXPECT_EQ(Last(GP2X_DPC_TIMING_22), 0x3816u);
    EXPECT_EQ(LastEncoder(0x90), 6);
}

// ------------------------------------------------------------ layers

TEST_F(SimChip, RgbStartAddressOfATwoFieldMode)
{
    Start();
    ZKT_SetDisplayMode(6, 16);
    GP2X_SimClearLog();
    ZKT_SetRGBStartAddress(0);
    u32 second = Last(GP2X_RGB_FIELD1_ADDR) | Last(GP2X_RGB_FIELD1_ADDR + 2) << 16;
    u32 first = Last(GP2X_RGB_FIELD2_ADDR) | Last(GP2X_RGB_FIELD2_ADDR + 2) << 16;
    EXPECT_EQ(second, kBase + 1440);
    EXPECT_EQ(first, kBase);

    ZKT_SetDisplayMode(0, 16);
    ZKT_SetRGBStartAddress(0x25800);
    EXPECT_EQ(Last(GP2X_RGB_FIELD1_ADDR) | Last(GP2X_RGB_FIELD1_ADDR + 2) << 16, kBase + 0x25800);
    EXPECT_EQ(Last(GP2X_RGB_FIELD2_ADDR) | Last(GP2X_RGB_FIELD2_ADDR + 2) << 16, kBase + 0x25800);
}

TEST_F(SimChip, CursorAddressesAndColours)
{
    Start();
    ZKT_SetCursorParams(1, 32, 0xA0112233, 0x50445566, 0x1000);
    EXPECT_EQ(Last(GP2X_CURSOR_ADDR1), 0x03801000u);
    EXPECT_EQ(Last(GP2X_CURSOR_ADDR2), 0x03801100u);
    EXPECT_EQ(Last(GP2X_CURSOR_CTRL), 32u | 0xA << 8 | 0x5 << 12);
    EXPECT_EQ(Last(GP2X_CURSOR_COLOUR0), 0x5566u);
    EXPECT_EQ(Last(GP2X_CURSOR_COLOUR0 + 2), 0x5044u);
    EXPECT_EQ(Last(GP2X_CURSOR_COLOUR1), 0x2233u);
    EXPECT_EQ(Last(GP2X_CURSOR_COLOUR1 + 2), 0xA011u);
    EXPECT_TRUE(GP2X_SimPeek16(GP2X_OVL_CTRL) & 0x200);
    ZKT_MoveCursor(100, 50);
    EXPECT_EQ(Last(GP2X_CURSOR_X), 100u);
    EXPECT_EQ(Last(GP2X_CURSOR_Y), 50u);
    ZKT_SetCursorParams(0, 32, 0, 0, 0);
    EXPECT_FALSE(GP2X_SimPeek16(GP2X_OVL_CTRL) & 0x200);
}

TEST_F(SimChip, RgbRegions)
{
    Start();
    ZKT_SetDisplayMode(0, 16);
    GP2X_SimClearLog();
    ZKT_SetRGBRegionOperation(5, 1, 1, 0, 0, 1, 2, 3, 4);
    EXPECT_TRUE(GP2X_SimPeek16(GP2X_OVL_CTRL) & 0x40);
    EXPECT_TRUE(GP2X_SimPeek16(GP2X_RGB_CTRL) & 0x100);
    for (u32 a = GP2X_RGB_REGION1; a < GP2X_RGB_KEY_LO; a += 2)
        EXPECT_FALSE(Written(a)) << std::hex << a;

    ZKT_SetRGBRegionOperation(2, 1, 1, 2, 9, 10, 20, 30, 40);
    EXPECT_TRUE(GP2X_SimPeek16(GP2X_OVL_CTRL) & 0x08);
    EXPECT_EQ((GP2X_SimPeek16(GP2X_RGB_BLEND) >> 2) & 3, 2);
    EXPECT_EQ((GP2X_SimPeek16(GP2X_RGB_ALPHA_123) >> 4) & 15, 9);
    EXPECT_EQ(Last(GP2X_RGB_REGION1 + 8), 10u);
    EXPECT_EQ(Last(GP2X_RGB_REGION1 + 10), 30u);
    EXPECT_EQ(Last(GP2X_RGB_REGION1 + 12), 20u);
    EXPECT_EQ(Last(GP2X_RGB_REGION1 + 14), 40u);
    ZKT_SetRGBRegionOperation(4, 1, 0, 1, 7, 0, 0, 0, 0);
    EXPECT_EQ(GP2X_SimPeek16(GP2X_RGB_ALPHA_45) & 15, 7);
    EXPECT_FALSE(GP2X_SimPeek16(GP2X_RGB_CTRL) & 0x40);
    ZKT_SetRGBRegionOperation(5, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_FALSE(GP2X_SimPeek16(GP2X_OVL_CTRL) & 0x40);
    EXPECT_TRUE(GP2X_SimPeek16(GP2X_OVL_CTRL) & 0x08); // region 2 untouched
}

TEST_F(SimChip, PalettesGoThroughIndexAndDataRegisters)
{
    Start();
    const u32 rgb[2] = {0x00112233, 0x00445566};
    ZKT_SetPalette(7, rgb, 2);
    const GP2X_SIM_WRITE *w = GP2X_SimWrites();
    ASSERT_EQ(GP2X_SimWriteCount(), 5u);
    EXPECT_EQ(w[0].ulAddr, GP2X_RGB_PAL_INDEX);
    EXPECT_EQ(w[0].ulValue, 14u);
    EXPECT_EQ(w[1].ulValue, 0x2233u);
    EXPECT_EQ(w[2].ulValue, 0x0011u);
    EXPECT_EQ(w[4].ulValue, 0x0044u);

    GP2X_SimClearLog();
    const u32 yuva[1] = {0xF0806040};
    ZKT_SetOSDPalette(1, yuva, 1);
    EXPECT_EQ(GP2X_SimWrites()[0].ulValue, 2u);
    EXPECT_EQ(GP2X_SimWrites()[1].ulValue, 0x6040u);
    EXPECT_EQ(GP2X_SimWrites()[2].ulValue, 0xF80u);

    GP2X_SimClearLog();
    ZKT_SetSPUColor(3, 0xAA11BB22);
    EXPECT_EQ(Last(GP2X_SPU_COLOUR + 12), 0xAABBu);
    EXPECT_EQ(Last(GP2X_SPU_COLOUR + 14), 0x22u);

    ZKT_SetYUVSaturationAndHUE(5, 128, 0);
    EXPECT_EQ(Last(GP2X_HUE_CB + 4), 63u << 8);
    EXPECT_EQ(Last(GP2X_HUE_CR + 4), 63u);
}

TEST_F(SimChip, YuvPlaneOnTelevisionStartsItsFieldsOneLineApart)
{
    Start();
    ZKT_SetDisplayMode(12, 16);
    GP2X_SimClearLog();
    ZKT_SetYUVVideoPlane(0, 1, 0, 0, 719, 480, 240, 360, 0x100000, 1, 0, 0x200000, 0, 1);
    u32 d = 0x2A; // plane B
    EXPECT_EQ(Last(GP2X_YUVA_LINE_WIDTH + d), 720u);
    EXPECT_EQ(Last(GP2X_YUVA_TOP_ADDR + d) | Last(GP2X_YUVA_TOP_ADDR + 2 + d) << 16, kBase + 0x100000 + 720);
    EXPECT_EQ(Last(GP2X_YUVA_TOP_ADDR + 4 + d) | Last(GP2X_YUVA_TOP_ADDR + 6 + d) << 16, kBase + 0x100000);
    EXPECT_EQ(Last(GP2X_YUVA_BOTTOM_ADDR + d) | Last(GP2X_YUVA_BOTTOM_ADDR + 2 + d) << 16, kBase + 0x200000);
    EXPECT_EQ(Last(GP2X_YUVA_BOTTOM_ADDR + 4 + d) | Last(GP2X_YUVA_BOTTOM_ADDR + 6 + d) << 16, kBase + 0x200000 + 720);
    EXPECT_EQ((GP2X_SimPeek16(GP2X_YUV_MIRROR) >> 5) & 0x1F, 0x8 | 0x1 | 0x10);
    EXPECT_TRUE(GP2X_SimPeek16(GP2X_OVL_CTRL) & 2);
    EXPECT_FALSE(GP2X_SimPeek16(GP2X_OVL_CTRL) & 1);

    ZKT_SetYUVVideoPlaneScaler(0, 1, 512, 2048);
    EXPECT_EQ(Last(GP2X_YUVA_TOP_HSCALE + d), 512u);
    EXPECT_EQ(Last(GP2X_YUVA_TOP_VSCALE_LO + d), (2048u * 720) >> 10);
    EXPECT_EQ(Last(GP2X_YUVA_TOP_VSCALE_HI + d), 0u);
}

TEST_F(SimChip, RecordsCarryPhysicalAddresses)
{
    Start();
    u8 *v = GP2X_SimVideoMem();
    ZKT_WriteOSDHeader(0x170000, 0x170100, 0, 0, 319, 240, 8, 0, 0, 0, 0, 0);
    u32 w0 = 0, w1 = 0;
    std::memcpy(&w0, v + 0x170000, 4);
    std::memcpy(&w1, v + 0x170004, 4);
    EXPECT_EQ(w0, kBase + 0x170100);
    EXPECT_FALSE(w1 >> 31);
    ZKT_WriteOSDHeader(0x170000, 0xFFFFFFFF, 0, 0, 319, 240, 8, 0, 0, 0, 0, 0);
    std::memcpy(&w0, v + 0x170000, 4);
    std::memcpy(&w1, v + 0x170004, 4);
    EXPECT_EQ(w0, 0xFFFFFFFFu);
    EXPECT_EQ(w1, 0xA00000F0u);

    ZKT_WriteSPUBaseCmd(0x180000, 1, 0x180100, 0x1234, 0x5678, 0, 480, 0x181000, 0x182000);
    const u8 *p = v + 0x180000;
    EXPECT_EQ(p[3], 0x81);
    EXPECT_EQ(p[16] << 24 | p[17] << 16 | p[18] << 8 | p[19], (int)(kBase + 0x181000));
    EXPECT_EQ(p[24] << 24 | p[25] << 16 | p[26] << 8 | p[27], (int)(kBase + 0x180100));

    ZKT_SetOSDPlane(1, 0x170000, 0x170200);
    EXPECT_EQ(Last(GP2X_OSD_EVEN_ADDR) | Last(GP2X_OSD_EVEN_ADDR + 2) << 16, kBase + 0x170000);
    EXPECT_EQ(Last(GP2X_OSD_ODD_ADDR) | Last(GP2X_OSD_ODD_ADDR + 2) << 16, kBase + 0x170200);
    ZKT_SetSPUPlane(1, 1, 1, 0x180000, 0x180200);
    EXPECT_EQ(Last(GP2X_SPU_CMD_ADDR), kBase + 0x180000);
    EXPECT_EQ(Last(GP2X_SPU_CTRL), 7u);
    EXPECT_FALSE(GP2X_SimPeek16(GP2X_OVL_CTRL) & 0x800);
    EXPECT_TRUE(GP2X_SimPeek16(GP2X_OVL_CTRL) & 0x180);
}

// ------------------------------------------------------------ blitter and rotator

TEST_F(SimChip, BlitIsProgrammedAndPerformedBeforeTheBusyBitClears)
{
    Start();
    u8 *v = GP2X_SimVideoMem();
    u16 *src = (u16 *)(v + 0x10000);
    for (int i = 0; i < 64 * 4; i++)
        src[i] = (u16)(i * 257 + 1);
    ZKT_HwBitBlt(0x20000, 64, 64, 4, 0x10000, 64, 12, 0, 0, 0);
    EXPECT_EQ(Last(0xE0024000), 32u); // copy: the destination is not read
    EXPECT_EQ(Last(0xE0024004), kBase + 0x20000);
    EXPECT_EQ(Last(0xE0024008), 128u);
    EXPECT_EQ(Last(0xE002400C), 0x1A0u);
    EXPECT_EQ(Last(0xE0024014), 128u);
    EXPECT_EQ(Last(0xE002402C), 4u << 16 | 64);
    EXPECT_EQ(Last(0xE0024030), 0x30Cu);
    EXPECT_EQ(GP2X_SimBlitCount(), 0u); // still running
    ZKT_WaitHwBlitter(0);
    EXPECT_EQ(GP2X_SimBlitCount(), 1u);
    EXPECT_EQ(std::memcmp(v + 0x20000, v + 0x10000, 64 * 4 * 2), 0);

    // Clear, as the shut-down does: the source is not read.
    ZKT_HwBitBlt(0x20000, 64, 64, 4, 0, 64, 0, 0, 0, 0);
    EXPECT_EQ(Last(0xE002400C), 0x120u);
    ZKT_WaitHwBlitter(0);
    for (int i = 0; i < 64 * 4 * 2; i++)
        ASSERT_EQ(v[0x20000 + i], 0) << i;

    // 8-bit XOR with transparency.
    ZKT_HwBitBlt(0x30001, 16, 3, 1, 0x10002, 16, 0x506, 0, 0, 0);
    EXPECT_EQ(Last(0xE0024000), 64u + 8);
    EXPECT_EQ(Last(0xE002400C), 0x180u + 16);
    EXPECT_EQ(Last(0xE0024030), 0xB06u);
    ZKT_WaitHwBlitter(0);
}

TEST_F(SimChip, RotatorTurnsAPairOfPixels)
{
    Start();
    u8 *v = GP2X_SimVideoMem();
    u16 *src = (u16 *)(v + 0x40000);
    src[0] = 0xAAAA;
    src[1] = 0xBBBB;
    ZKT_HwBitBltRotate(0x50000, 1, 2, 1, 0x40000, 2, 5);
    EXPECT_EQ(Last(0xE0024104), 4u);
    EXPECT_EQ(Last(0xE0024108), 2u);
    EXPECT_EQ(Last(0xE002410C), 1u << 16 | 2);
    EXPECT_EQ(Last(0xE0024110), kBase + 0x40000);
    EXPECT_EQ(Last(0xE0024100) & ~1u, (1u << 3) | 2);
    ZKT_WaitHwBlitter(1);
    EXPECT_EQ(GP2X_SimRotateCount(), 1u);
    const u16 *dst = (const u16 *)(v + 0x50000);
    EXPECT_EQ(dst[0], 0xAAAA);
    EXPECT_EQ(dst[1], 0xBBBB);
}

// ------------------------------------------------------------ second core

TEST_F(SimChip, SecondCoreStartsWithItsImageAndAnEmptyQueue)
{
    Start();
    ZKT_DualCoreStart();
    EXPECT_EQ(GP2X_SimWrites()[0].ulAddr, GP2X_940_CTRL);
    EXPECT_EQ(GP2X_SimWrites()[0].ulValue, 0x83u);
    EXPECT_EQ(Last(GP2X_940_CTRL), 3u);
    EXPECT_EQ(Last(GP2X_940_IRQ_PENDING1), 0xFFFFu);
    EXPECT_EQ(std::memcmp(GP2X_Sim940Mem(), g_ulGP2X_940_IMAGE, 1040), 0);
    const u32 *h = (const u32 *)(GP2X_Sim940Mem() + 0x100FE0);
    EXPECT_EQ(h[3], 1000u);
    EXPECT_EQ(h[7], 0x100040u);

    for (u32 i = 0; i < 3; i++)
        ZKT_DualCoreSendCmd(i);
    ZKT_WaitArm940T();
    u32 sent = 0, done = 0;
    ZKT_DualCoreGetSendCmdCount(&sent);
    ZKT_DualCoreGetCmdProcessedCount(&done);
    EXPECT_EQ(sent, 3u);
    EXPECT_EQ(done, 3u);
    EXPECT_EQ(*(const u32 *)(GP2X_Sim940Mem() + 0x101000), 1u);
    ZKT_DualCoreStop();
    EXPECT_EQ(Last(GP2X_940_CTRL), 0x83u);
}

TEST_F(SimChip, FullQueueBlocksUntilTheSecondCoreTakesOne)
{
    Start();
    ZKT_DualCoreStart();
    ZKT_DualCorePause(1);
    EXPECT_FALSE(GP2X_SimPeek16(GP2X_CLK_ENABLE) & 1);
    for (u32 i = 0; i < 1000; i++)
        ZKT_DualCoreSendCmd(i);
    u32 done = 0;
    ZKT_DualCoreGetCmdProcessedCount(&done);
    EXPECT_EQ(done, 0u);

    // The second core's clock comes back 50 ms later, from outside.
    std::thread resume([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        GP2X_SimClockCore(1);
    });
    auto t0 = std::chrono::steady_clock::now();
    ZKT_DualCoreSendCmd(1000);
    auto waited = std::chrono::steady_clock::now() - t0;
    resume.join();
    EXPECT_GE(waited, std::chrono::milliseconds(40));
    ZKT_DualCoreGetCmdProcessedCount(&done);
    EXPECT_GE(done, 1u);
    ZKT_WaitArm940T();
    u32 sent = 0;
    ZKT_DualCoreGetSendCmdCount(&sent);
    ZKT_DualCoreGetCmdProcessedCount(&done);
    EXPECT_EQ(sent, 1001u);
    EXPECT_EQ(done, 1001u);
}

TEST_F(SimChip, QueueKeepsItsCountWhileBothCoresChangeIt)
{
    Start();
    ZKT_DualCoreStart();
    for (u32 i = 0; i < 20000; i++)
        ZKT_DualCoreSendCmd(i);
    ZKT_WaitArm940T();
    u32 sent = 0, done = 0;
    ZKT_DualCoreGetSendCmdCount(&sent);
    ZKT_DualCoreGetCmdProcessedCount(&done);
    EXPECT_EQ(sent, 20000u);
    EXPECT_EQ(done, 20000u);
    const u32 *h = (const u32 *)(GP2X_Sim940Mem() + 0x100FE0);
    EXPECT_EQ(h[0], 20000u % 1000);
    EXPECT_EQ(h[1], 20000u % 1000);
    EXPECT_EQ(h[2], 0u);
}

// ------------------------------------------------------------ device services

TEST_F(SimChip, CpuClockFromThePll)
{
    Start();
    ASSERT_EQ(ZKT_SetCPUClock(200), (u32)ZKT_OK);
    EXPECT_EQ(Last(GP2X_PLL_SET), 18692u);
    u32 mhz = 0;
    ZKT_GetCPUClock(&mhz);
    EXPECT_EQ(mhz, 199u);
    GP2X_SimPoke16(GP2X_CPU_DIVIDER, 0x1C3 | 1);
    ZKT_SetCPUClock(266);
    EXPECT_EQ(GP2X_SimPeek16(GP2X_CPU_DIVIDER) & 0x1C3, 0);
}

TEST_F(SimChip, FirmwareVersionAndModel)
{
    cfg.strVersion = "4.1.1\n";
    Start();
    u32 v = 0, model = 9;
    ZKT_GetFirmwareVersion(&v);
    EXPECT_EQ(v, 0x040101u);
    ZKT_GetHardwareModel(&model);
    EXPECT_EQ(model, 0u);
    ZKT_FreeLowLevelAPI(0);
    GP2X_SimUninstall();

    cfg.strVersion = nullptr;
    cfg.bTouchScreen = 1;
    Start();
    ZKT_GetFirmwareVersion(&v);
    EXPECT_EQ(v, 0u);
    ZKT_GetHardwareModel(&model);
    EXPECT_EQ(model, 256u);
    EXPECT_EQ(ZKT_GetBatteryLEDState(), (u32)ZKT_ERR_NOT_AVAILABLE);
    ZKT_FreeLowLevelAPI(0);
    GP2X_SimUninstall();

    cfg.bModel257 = 1;
    Start();
    ZKT_GetHardwareModel(&model);
    EXPECT_EQ(model, 257u);
}

TEST_F(SimChip, ButtonsFromTheGpioPorts)
{
    Start();
    u32 b = 1;
    ZKT_GetGP2XInputState(&b);
    EXPECT_EQ(b, 0u);
    GP2X_SimSetButtons(ZKT_BTN_L | ZKT_BTN_R);
    ZKT_GetGP2XInputState(&b);
    EXPECT_EQ(b, ZKT_BTN_L | ZKT_BTN_R | ZKT_BTN_EXIT);
    GP2X_SimSetButtons(ZKT_BTN_L | ZKT_BTN_B);
    ZKT_GetGP2XInputState(&b);
    EXPECT_EQ(b, ZKT_BTN_L | ZKT_BTN_B);
    GP2X_SimSetButtons(0x7FFFF & ~(ZKT_BTN_L | ZKT_BTN_R));
    ZKT_GetGP2XInputState(&b);
    EXPECT_EQ(b, 0x7FFFFu & ~(ZKT_BTN_L | ZKT_BTN_R));
}

TEST_F(SimChip, TouchScreenModelHasNoDiagonals)
{
    cfg.bTouchScreen = 1;
    Start();
    GP2X_SimSetButtons(0xFF | ZKT_BTN_PUSH | ZKT_BTN_VOLUP);
    u32 b = 0;
    ZKT_GetGP2XInputState(&b);
    EXPECT_EQ(b, 0x55u | ZKT_BTN_VOLUP);

    GP2X_SimPushTouchSample(1, 200, 300, 4);
    u16 p1 = 0, p2 = 0, p3 = 0;
    EXPECT_EQ(ZKT_GetTouchScreen(&p1, &p2, &p3), (u32)ZKT_OK);
    EXPECT_EQ(p1, 200);
    EXPECT_EQ(p2, 300);
    EXPECT_EQ(p3, 1);
}

TEST_F(SimChip, InputEventDevices)
{
    cfg.nInputDevices = 1;
    Start();
    u16 type = 0, code = 0;
    u32 value = 0;
    EXPECT_EQ(ZKT_GetHIDEvent(1, &type, &code, &value), (u32)ZKT_NO_DEVICE);
    EXPECT_EQ(ZKT_GetHIDEvent(0, &type, &code, &value), (u32)ZKT_NO_EVENT);
    GP2X_SimPushInputEvent(0, 1, 30, 1);
    EXPECT_EQ(ZKT_GetHIDEvent(0, &type, &code, &value), (u32)ZKT_EVENT_READY);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(code, 30);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(ZKT_GetHIDEvent(0, &type, &code, &value), (u32)ZKT_NO_EVENT);
    EXPECT_EQ(ZKT_GetTouchScreen(&type, &type, &type), (u32)ZKT_ERR_NOT_AVAILABLE);

    uint64_t t0 = GP2X_SimTimeUs();
    ZKT_HIDDetection(0);
    EXPECT_GE(GP2X_SimTimeUs() - t0, 19000u); // the settling wait
    EXPECT_EQ(ZKT_GetHIDEvent(0, &type, &code, &value), (u32)ZKT_NO_DEVICE);
    ZKT_HIDDetection(1);
    EXPECT_EQ(ZKT_GetHIDEvent(0, &type, &code, &value), (u32)ZKT_NO_EVENT);
}

TEST_F(SimChip, LedPowerAndCard)
{
    Start();
    EXPECT_EQ(ZKT_GetBatteryLEDState(), (u32)ZKT_LED_OFF);
    ZKT_SetBatteryLEDState(1);
    EXPECT_EQ(ZKT_GetBatteryLEDState(), (u32)ZKT_LED_ON);
    ZKT_SetBatteryLEDState(0);
    EXPECT_EQ(ZKT_GetBatteryLEDState(), (u32)ZKT_LED_OFF);
    u16 level = 0;
    ZKT_GetPowerState(&level);
    EXPECT_EQ(level, 0x2A5);
    EXPECT_EQ(ZKT_GetSDState(), (u32)ZKT_NO_DEVICE);
    GP2X_SimPoke16(GP2X_GPIOI_LEVEL, (u16)(GP2X_SimPeek16(GP2X_GPIOI_LEVEL) & ~0x4000));
    EXPECT_EQ(ZKT_GetSDState(), (u32)ZKT_NO_EVENT);
    GP2X_SimPoke16(GP2X_GPIOD_LEVEL, (u16)(GP2X_SimPeek16(GP2X_GPIOD_LEVEL) | 4));
    EXPECT_EQ(ZKT_GetSDState(), (u32)ZKT_SD_SWITCH);
    EXPECT_EQ(ZKT_SaveOnDisk(1, "x"), (u32)ZKT_ERR_NOT_AVAILABLE);
    u16 r = 0;
    ZKT_WriteMemRegister(0x2921, 0x1234);
    EXPECT_EQ(Last(GP2X_CURSOR_X), 0x1234u);
    ZKT_ReadMemRegister(0x2920, &r);
    EXPECT_EQ(r, 0x1234);
}

TEST_F(SimChip, EncoderOnTheTwoWireBus)
{
    Start();
    EXPECT_EQ(ZKT_OutCX25874(0x42, 0xA5), (u32)ZKT_OK);
    EXPECT_EQ(GP2X_SimEncoderReg(0x42), 0xA5);
    u8 v = 0;
    EXPECT_EQ(ZKT_InCX25874(0x42, &v), (u32)ZKT_OK);
    EXPECT_EQ(v, 0xA5);
    ZKT_OutCX25874(0x43, 0x5A);
    ZKT_InCX25874(0x43, &v);
    EXPECT_EQ(v, 0x5A);

    u32 field = 7;
    EXPECT_EQ(ZKT_GetCurrentTVFieldOutput(&field), (u32)ZKT_ERR_NOT_AVAILABLE);
    ZKT_SetDisplayMode(26, 16);
    GP2X_SimAdvanceUs(20000 - GP2X_SimTimeUs() % 20000 + 100); // start of a field
    u32 f0 = 9, f1 = 9;
    EXPECT_EQ(ZKT_GetCurrentTVFieldOutput(&f0), (u32)ZKT_OK);
    GP2X_SimAdvanceUs(20000);
    ZKT_GetCurrentTVFieldOutput(&f1);
    EXPECT_LE(f0, 1u);
    EXPECT_EQ(f1, 1 - f0);
}

TEST_F(SimChip, ClosedCaptionsWithOddParity)
{
    Start();
    EXPECT_EQ(ZKT_CC_OddParity('A'), 0xC1); // two ones: parity bit set
    EXPECT_EQ(ZKT_CC_OddParity('C'), 0x43); // three ones
    EXPECT_EQ(ZKT_CC_OddParity(0), 0x80);

    ZKT_CC_SetChannel(1);
    ASSERT_EQ(ZKT_CC_printf("H%d", 1), (u32)ZKT_OK); // "H1"
    ASSERT_EQ(ZKT_CC_printf("A"), (u32)ZKT_OK);      // half a pair waits
    ASSERT_EQ(ZKT_CC_SetCommand(15), (u32)ZKT_OK);   // completes it with 0x80
    GP2X_SimClearLog();
    for (int i = 0; i < 4; i++)
        ZKT_CC_OutputToTV();
    u32 n = GP2X_SimEncoderWriteCount();
    const u16 *w = GP2X_SimEncoderWrites();
    ASSERT_EQ(n, 8u);
    EXPECT_EQ(w[0], 0xC000 | ZKT_CC_OddParity('H'));
    EXPECT_EQ(w[1], 0xC200 | ZKT_CC_OddParity('1'));
    EXPECT_EQ(w[2], 0xC000 | ZKT_CC_OddParity('A'));
    EXPECT_EQ(w[3], 0xC280);
    EXPECT_EQ(w[4], 0xC000 | ZKT_CC_OddParity(0x14));
    EXPECT_EQ(w[5], 0xC200 | ZKT_CC_OddParity(0x2F));
    EXPECT_EQ(w[6], w[4]); // control codes are sent twice
    GP2X_SimClearLog();
    ZKT_CC_OutputToTV(); // empty ring: nothing sent
    EXPECT_EQ(GP2X_SimEncoderWriteCount(), 0u);

    // Channel 2 codes and a special character.
    ZKT_CC_SetChannel(2);
    ZKT_CC_printf("\xAE");
    ZKT_CC_SetColor(1, 1);
    ZKT_CC_OutputToTV();
    ZKT_CC_OutputToTV();
    EXPECT_EQ(GP2X_SimEncoderWrites()[0], 0xC000 | ZKT_CC_OddParity(0x19));
    EXPECT_EQ(GP2X_SimEncoderWrites()[1], 0xC200 | ZKT_CC_OddParity(0x30));
    EXPECT_EQ(GP2X_SimEncoderWrites()[2], 0xC000 | ZKT_CC_OddParity(0x19));
    EXPECT_EQ(GP2X_SimEncoderWrites()[3], 0xC200 | ZKT_CC_OddParity(0x42));

    // Text that does not fit is refused whole.
    char big[301];
    std::memset(big, 'x', 300);
    big[300] = 0;
    EXPECT_EQ(ZKT_CC_printf("%s", big), 11u);
    std::memset(big, 'x', 240);
    big[240] = 0;
    EXPECT_EQ(ZKT_CC_printf("%s", big), (u32)ZKT_OK); // 120 pairs of 254 free
    EXPECT_EQ(ZKT_CC_printf("%s", big), (u32)ZKT_OK); // 120 of 134
    EXPECT_EQ(ZKT_CC_printf("%s", big), 11u);         // 14 left
}

} // namespace
