// Handheld back end: the mapped windows, start-up and shut-down with the
// saved register set, the real-time-clock time base, sync waits and the
// display-mode programming (display controller and television encoder).
#include "lowlevel/gp2x/zkt_lowLevelGP2X.h"

#include <cstdio>
#include <cstring>

const GP2X_PLATFORM *g_pGP2XPlatform = &g_GP2XHandheldPlatform;

volatile u16 *g_pusGP2XRegs = nullptr;
volatile u32 *g_pulGP2XAccel = nullptr;
u8 *g_GP2X_VIDEO_BASE_PTR = nullptr;
u8 *g_pGP2X_940_MEM = nullptr;
u8 *g_pGP2X_DUALCORE_MEM = nullptr;
u32 (*g_pfnGP2XRegRead)(u32 phys, u32 width) = nullptr;
void (*g_pfnGP2XRegWrite)(u32 phys, u32 value, u32 width) = nullptr;

u32 g_ulGP2XModel = 0;
u32 g_ulGP2XFirmwareVersion = 0;
u32 g_ulDISPLAY_MODE = 0;
s32 g_nColorBitDepth = 16;
s32 g_nScreenSizeX = 320, g_nScreenSizeY = 240;
u32 g_ulGP2X_FRAME_COUNT = 0;

// The handheld's mode table: as the desktop's, except that the narrowest
// television modes are 184 and 96 pixels wide.
const u16 g_usGP2XModeSizeX[33] = {320, 160, 160, 80,  80,  320, 720, 720, 584, 512, 392,
                                   360, 360, 296, 256, 184, 184, 96,  96,  320, 720, 720,
                                   704, 512, 392, 360, 360, 352, 256, 184, 184, 96,  96};
const u16 g_usGP2XModeSizeY[33] = {240, 240, 120, 120, 60,  240, 480, 240, 480, 240, 240,
                                   480, 240, 240, 240, 240, 120, 120, 60,  240, 576, 288,
                                   576, 288, 288, 576, 288, 288, 288, 288, 144, 144, 72};

// What the firmware's menu needs back (GP2X_SAVED_REGS).
static u16 s_usSavedValues[GP2X_SAVED_REG_COUNT];
static u32 s_ulSaved32[2];
static u32 s_bRegsSaved = 0;
static u32 s_ulFirmwareFrameBuffer = 0;

static u32 s_ulTimeBase = 0;
static u32 s_bTimeBaseSet = 0;
static u32 s_ulBaseFrameTime = 0;

// ---------------------------------------------------------------- lifecycle

static void UnmapAll()
{
    const GP2X_PLATFORM *p = g_pGP2XPlatform;
    if (g_pulGP2XAccel)
        p->pfnUnmap((void *)g_pulGP2XAccel, GP2X_ACCEL_SIZE);
    if (g_pusGP2XRegs)
        p->pfnUnmap((void *)g_pusGP2XRegs, GP2X_REG_SIZE);
    if (g_GP2X_VIDEO_BASE_PTR)
        p->pfnUnmap(g_GP2X_VIDEO_BASE_PTR, GP2X_VIDEO_SIZE);
    if (g_pGP2X_940_MEM)
        p->pfnUnmap(g_pGP2X_940_MEM, GP2X_940_SIZE);
    g_pulGP2XAccel = nullptr;
    g_pusGP2XRegs = nullptr;
    g_GP2X_VIDEO_BASE_PTR = nullptr;
    g_pGP2X_940_MEM = nullptr;
    g_pGP2X_DUALCORE_MEM = nullptr;
    g_pfnGP2XRegRead = nullptr;
    g_pfnGP2XRegWrite = nullptr;
}

static void ReadFirmwareVersion()
{
    char text[64];
    int major = 0, minor = 0, patch = 0;
    g_ulGP2XFirmwareVersion = 0;
    if (g_pGP2XPlatform->pfnReadTextFile("/usr/gp2x/version", text, sizeof text) &&
        std::sscanf(text, "%d.%d.%d", &major, &minor, &patch) == 3)
        g_ulGP2XFirmwareVersion = (u32)(major & 0xFF) << 16 | (u32)(minor & 0xFF) << 8 | (u32)(patch & 0xFF);
}

u32 ZKT_InitLowLevelAPI(const char *)
{
    const GP2X_PLATFORM *p = g_pGP2XPlatform;
    std::printf("ZKT low-level API, handheld back end (%s)\n", p->strName);
    std::fflush(stdout);
    s_bRegsSaved = 0;
    s_bTimeBaseSet = 0;
    g_ulGP2X_FRAME_COUNT = 0;

    ReadFirmwareVersion();
    if (p->pfnOpenMem() != 0)
        return ZKT_ERR_INIT;
    g_nGP2XTouchFd = p->pfnOpenDevice("/dev/touchscreen/wm97xx");
    g_ulGP2XModel = g_nGP2XTouchFd >= 0 ? 256 : 0;

    g_pusGP2XRegs = (volatile u16 *)p->pfnMap(GP2X_REG_BASE, GP2X_REG_SIZE);
    g_pulGP2XAccel = (volatile u32 *)p->pfnMap(GP2X_ACCEL_BASE, GP2X_ACCEL_SIZE);
    if (!g_pusGP2XRegs || !g_pulGP2XAccel) {
        UnmapAll();
        p->pfnCloseMem();
        return ZKT_ERR_INIT;
    }
    g_pfnGP2XRegRead = p->pfnRegRead;
    g_pfnGP2XRegWrite = p->pfnRegWrite;

    if (g_ulGP2XModel == 256) {
        GP2X_CLR16(GP2X_TOUCH_PINS, GP2X_TOUCH_PINS_MASK);
        if (!(GP2X_R16(GP2X_GPIOI_LEVEL) & GP2X_PI_MODEL257))
            g_ulGP2XModel = 257;
    }
    GP2X_OpenInputDevices(1);

    g_GP2X_VIDEO_BASE_PTR = (u8 *)p->pfnMap(GP2X_VIDEO_BASE, GP2X_VIDEO_SIZE);
    g_pGP2X_940_MEM = (u8 *)p->pfnMap(GP2X_940_BASE, GP2X_940_SIZE);
    if (!g_GP2X_VIDEO_BASE_PTR || !g_pGP2X_940_MEM) {
        GP2X_CloseDevices();
        UnmapAll();
        p->pfnCloseMem();
        return ZKT_ERR_INIT;
    }
    g_pGP2X_DUALCORE_MEM = g_pGP2X_940_MEM + GP2X_940_DATA;

    // The firmware left either the LCD or a television running.
    if (!(GP2X_R16(GP2X_DPC_CTRL) & GP2X_DPC_TV))
        g_ulDISPLAY_MODE = 0;
    else
        g_ulDISPLAY_MODE = GP2X_R16(GP2X_DPC_LAST_LINE) > 270 ? 19 : 5;
    g_nScreenSizeX = g_usGP2XModeSizeX[g_ulDISPLAY_MODE];
    g_nScreenSizeY = g_usGP2XModeSizeY[g_ulDISPLAY_MODE];
    g_nColorBitDepth = 16;

    s_ulFirmwareFrameBuffer = (u32)GP2X_R16(GP2X_RGB_FIELD2_ADDR + 2) << 16 | GP2X_R16(GP2X_RGB_FIELD2_ADDR);
    s_ulSaved32[0] = GP2X_R32(GP2X_RGB_LINE_WIDTH);
    s_ulSaved32[1] = GP2X_R32(GP2X_RGB_FIELD1_ADDR + 2);
    for (u32 i = 0; i < GP2X_SAVED_REG_COUNT; i++)
        s_usSavedValues[i] = GP2X_R16(GP2X_SAVED_REGS[i]);
    s_bRegsSaved = 1;

    GP2X_W16(GP2X_CLK_ENABLE2, 0xFFFF);
    GP2X_SET16(GP2X_CLK_ENABLE, GP2X_CLK_ACCEL);
    GP2X_W16(GP2X_YUV_PRIORITY, 0);
    return ZKT_OK;
}

u32 ZKT_FreeLowLevelAPI(u32 bReturnToMenu)
{
    const GP2X_PLATFORM *p = g_pGP2XPlatform;
    if (g_pusGP2XRegs) {
        GP2X_W16(GP2X_940_CTRL, GP2X_940_RESET);
        GP2X_SET16(GP2X_CLK_ENABLE, GP2X_CLK_940);
    }
    GP2X_CloseDevices();

    // The menu comes back to a black screen.
    if (g_pusGP2XRegs && s_ulFirmwareFrameBuffer) {
        void *fb = p->pfnMap(s_ulFirmwareFrameBuffer, 320 * 240 * 2);
        if (fb) {
            std::memset(fb, 0, 320 * 240 * 2);
            p->pfnUnmap(fb, 320 * 240 * 2);
        }
    }
    if (g_pusGP2XRegs && s_bRegsSaved) {
        GP2X_W32(GP2X_RGB_LINE_WIDTH, s_ulSaved32[0]);
        GP2X_W32(GP2X_RGB_FIELD1_ADDR + 2, s_ulSaved32[1]);
        for (u32 i = 0; i < GP2X_SAVED_REG_COUNT; i++)
            GP2X_W16(GP2X_SAVED_REGS[i], s_usSavedValues[i]);
        s_bRegsSaved = 0;
    }
    bool bWasOpen = g_pusGP2XRegs != nullptr;
    UnmapAll();
    if (bWasOpen)
        p->pfnCloseMem();
    if (bReturnToMenu)
        p->pfnExecMenu();
    return ZKT_OK;
}

u32 ZKT_GetDisplayMode(u32 *pMode, u32 *pBitDepth)
{
    *pMode = g_ulDISPLAY_MODE;
    *pBitDepth = (u32)g_nColorBitDepth;
    return ZKT_OK;
}

u32 ZKT_GetDisplaySize(u32 *pWidth, u32 *pHeight)
{
    *pWidth = (u32)g_nScreenSizeX;
    *pHeight = (u32)g_nScreenSizeY;
    return ZKT_OK;
}

u32 ZKT_GetVideoBasePtr(u32 **ppBase)
{
    *ppBase = (u32 *)g_GP2X_VIDEO_BASE_PTR;
    return ZKT_OK;
}

u8 *ZKT_GetVideoPtrOn920(u32 offset)
{
    return g_GP2X_VIDEO_BASE_PTR + offset;
}

// The display controller composes the layers by itself.
void ZKT_LowLevelAPI_SoftRender() {}

// ---------------------------------------------------------------- time

u32 GP2X_ReadRTCMs()
{
    u32 a, b;
    // The 1/1024 counter and the seconds are separate cells: retry around
    // a wrap and when the two reads of the counter disagree.
    do {
        a = GP2X_R32(GP2X_RTC_TICKS) & GP2X_RTC_TICKS_MASK;
        b = GP2X_R32(GP2X_RTC_TICKS) & GP2X_RTC_TICKS_MASK;
    } while (b < a || a == 1023 || b > a + 5);
    return ((a * 1000) >> 10) + GP2X_R32(GP2X_RTC_SECONDS) * 1000;
}

static u32 Now()
{
    u32 t = GP2X_ReadRTCMs();
    if (!s_bTimeBaseSet) {
        s_ulTimeBase = t;
        s_bTimeBaseSet = 1;
    }
    return t - s_ulTimeBase;
}

u32 ZKT_GetTime(u32 *pMs)
{
    *pMs = Now();
    return ZKT_OK;
}

u32 ZKT_ResetFrameTime()
{
    g_ulGP2X_FRAME_COUNT = 0;
    return ZKT_OK;
}

u32 ZKT_GetFrameTime(u32 *pMs)
{
    u32 now = Now();
    if (g_ulGP2X_FRAME_COUNT == 0) {
        s_ulBaseFrameTime = now;
        *pMs = 0;
    } else {
        *pMs = now - s_ulBaseFrameTime;
    }
    g_ulGP2X_FRAME_COUNT++;
    return ZKT_OK;
}

u32 ZKT_GetFrameCount(u32 *pCount)
{
    *pCount = g_ulGP2X_FRAME_COUNT;
    return ZKT_OK;
}

u32 ZKT_DelayMS(u32 ms)
{
    u32 start = Now();
    while (Now() - start < ms) {
    }
    return ZKT_OK;
}

static void WaitBit(u32 phys, u32 bit)
{
    while (!(GP2X_R16(phys) & bit)) {
    }
    while (GP2X_R16(phys) & bit) {
    }
}

u32 ZKT_WaitHSync()
{
    WaitBit(GP2X_GPIOB_LEVEL, GP2X_PB_HSYNC);
    return ZKT_OK;
}

u32 ZKT_WaitVSync()
{
    if (!GP2X_IsTV()) {
        WaitBit(GP2X_GPIOB_LEVEL, GP2X_PB_VSYNC);
    } else {
        GP2X_W16(GP2X_DPC_SYNC, GP2X_DPC_SYNC_ARM);
        WaitBit(GP2X_DPC_SYNC, GP2X_DPC_SYNC_TV);
    }
    return ZKT_OK;
}

// A second vertical sync wait: the LCD timing signal, whatever the output.
u32 ZKT_WaitVSync2()
{
    WaitBit(GP2X_GPIOB_LEVEL, GP2X_PB_VSYNC);
    return ZKT_OK;
}

// ---------------------------------------------------------------- display modes

static u32 DepthCode(u32 depth)
{
    switch (depth) {
    case 4: return GP2X_RGB_DEPTH_4;
    case 8: return GP2X_RGB_DEPTH_8;
    case 16: return GP2X_RGB_DEPTH_16;
    case 24: return GP2X_RGB_DEPTH_24;
    }
    return 0xFFFFFFFFu;
}

static const u8 s_ucNTSCTable[36] = {0x10, 0xB4, 0xD0, 0x7E, 0x90, 0x58, 0x03, 0x14, 0xF0, 0x26, 0x15, 0x5A,
                                     0x28, 0x13, 0x06, 0x13, 0xF0, 0x31, 0x00, 0x40, 0x00, 0x00, 0x8C, 0x0A,
                                     0xE5, 0x76, 0xC1, 0x89, 0x9A, 0x1F, 0x7C, 0xF0, 0x21, 0x06, 0xC0, 0xC6};
static const u8 s_ucPALTable[36] = {0x10, 0xC0, 0xD0, 0x7E, 0x98, 0x54, 0x15, 0x17, 0x20, 0xA6, 0xFA, 0x60,
                                    0x28, 0x13, 0x38, 0x16, 0x20, 0x35, 0x00, 0x40, 0x00, 0x00, 0x8C, 0x24,
                                    0xF0, 0x59, 0xCF, 0x93, 0xA4, 0xCB, 0x8A, 0x09, 0x2A, 0x06, 0xC0, 0xC6};

static void LoadEncoderTable(const u8 *table)
{
    ZKT_OutCX25874(0x38, table[0]);
    for (u32 i = 1; i <= 32; i++)
        ZKT_OutCX25874((u8)(0x76 + 2 * (i - 1)), table[i]);
    ZKT_OutCX25874(0xC6, table[33]);
    ZKT_OutCX25874(0xC8, table[34]);
    ZKT_DelayMS(10);
    ZKT_OutCX25874(0x6C, table[35]);
    ZKT_OutCX25874(0x8C, 0x43);
}

static void EncoderSetBits(u8 reg, u8 keep, u8 bits)
{
    u8 v = 0;
    ZKT_InCX25874(reg, &v);
    ZKT_OutCX25874(reg, (u8)((v & keep) | bits));
}

// Vertical scale, GP2X_LINE_STEPS and the line width: what depends on the depth.
static void ProgramDepth(u32 wm, u32 hm, u32 depth)
{
    if (GP2X_IsPAL())
        GP2X_W16(GP2X_RGB_VSCALE, hm * wm * depth / 2304);
    else if (GP2X_IsTV())
        GP2X_W16(GP2X_RGB_VSCALE, hm * wm * depth / 1920);
    else
        GP2X_W16(GP2X_RGB_VSCALE, wm * depth * hm / 1920);
    u32 e = hm <= 288 ? hm : hm / 2;
    GP2X_W16(GP2X_LINE_STEPS, (wm / depth - 1) | (e / depth - 1) << 8);
    GP2X_W16(GP2X_RGB_LINE_WIDTH, depth * wm * (hm <= 288 ? 1 : 2) / 8);
}

u32 ZKT_SetDisplayMode(u32 mode, u32 bitDepth)
{
    u32 code = DepthCode(bitDepth);
    if (code == 0xFFFFFFFFu || mode > 32)
        return ZKT_ERR_INVALID_ARG;
    g_nColorBitDepth = (s32)bitDepth;

    u32 bWasTV = GP2X_IsTV();
    u32 bTV = ZKT_ModeIsTV(mode), bPAL = ZKT_ModeIsPAL(mode);
    if (bWasTV && !bTV) {
        ZKT_OutCX25874(0xBA, 0x80);
        ZKT_DelayMS(10);
        GP2X_SET16(GP2X_GPIOB_OUT, GP2X_PB_LCD_ON);
    } else if (!bWasTV && bTV) {
        GP2X_CLR16(GP2X_GPIOB_OUT, GP2X_PB_LCD_ON | GP2X_PB_TV_ON);
        ZKT_DelayMS(10);
        GP2X_SET16(GP2X_GPIOB_OUT, GP2X_PB_TV_ON);
        ZKT_DelayMS(10);
        ZKT_OutCX25874(0xBA, 0x80);
        ZKT_DelayMS(10);
    }
    if (bTV)
        LoadEncoderTable(bPAL ? s_ucPALTable : s_ucNTSCTable);

    u32 wm = g_usGP2XModeSizeX[mode], hm = g_usGP2XModeSizeY[mode];
    GP2X_W16(GP2X_DPC_TIMING_0A, 0);
    GP2X_W16(GP2X_DPC_TIMING_0C, 0);
    GP2X_W16(GP2X_DPC_TIMING_0E, 0);
    GP2X_CLR16(GP2X_DPC_CTRL, GP2X_DPC_ON);

    u32 old2800 = GP2X_R16(GP2X_DPC_CTRL);
    if (bPAL) {
        GP2X_W16(GP2X_DPC_CTRL, (old2800 & GP2X_DPC_KEEP) + GP2X_DPC_PAL_SETUP);
        GP2X_W16(GP2X_DPC_TIMING_20, 385);
        GP2X_W16(GP2X_DPC_TIMING_22, 0x3818);
        GP2X_W16(GP2X_RGB_HSCALE, wm * 1024 / 720);
        GP2X_W16(GP2X_RGB_VSCALE, hm * wm * bitDepth / 2304);
    } else if (bTV) {
        GP2X_W16(GP2X_DPC_CTRL, (old2800 & GP2X_DPC_KEEP) + GP2X_DPC_NTSC_SETUP);
        GP2X_W16(GP2X_DPC_TIMING_20, 384);
        GP2X_W16(GP2X_DPC_TIMING_22, 0x3816);
        GP2X_W16(GP2X_RGB_HSCALE, wm * 1024 / 720);
        GP2X_W16(GP2X_RGB_VSCALE, hm * wm * bitDepth / 1920);
    } else {
        GP2X_W16(GP2X_DPC_CTRL, (old2800 & GP2X_DPC_KEEP) + GP2X_DPC_LCD_SETUP);
        GP2X_W16(GP2X_DPC_TIMING_20, (GP2X_R16(GP2X_DPC_TIMING_20) & 0xF0) | 0x502);
        GP2X_W16(GP2X_DPC_TIMING_22, (GP2X_R16(GP2X_DPC_TIMING_22) & 0xFE00) | 0x16);
        GP2X_W16(GP2X_RGB_HSCALE, wm * 1024 / 320);
        GP2X_W16(GP2X_RGB_VSCALE, wm * bitDepth * hm / 1920);
    }

    if (bTV) {
        GP2X_W16(GP2X_GPIOH_OUT, 24);
        GP2X_W16(GP2X_VCLK_SOURCE, 0x4170);
        GP2X_W16(GP2X_VCLK_DIVIDER, 256);
        GP2X_W16(GP2X_DPC_TIMING_04, 19);
        GP2X_W16(GP2X_DPC_TIMING_06, 0);
        GP2X_W16(GP2X_DPC_TIMING_08, 0);
        GP2X_W16(GP2X_DPC_LAST_COLUMN, 719);
        GP2X_W16(GP2X_DPC_TIMING_1A, 1055);
        GP2X_W16(GP2X_DPC_TIMING_1C, bPAL ? 35 : 32);
        GP2X_W16(GP2X_DPC_TIMING_1E, bPAL ? 35 : 32);
        GP2X_W16(GP2X_DPC_TIMING_24, 0);
        GP2X_W16(GP2X_DPC_TIMING_48, 10);
        if (g_ulGP2XModel == 256) {
            GP2X_CLR16(GP2X_GPIOL_OUT, GP2X_PL_LCD);
            GP2X_CLR16(GP2X_GPIOF_OUT, GP2X_PF_LCD);
        }
        EncoderSetBits(0x5E, 0xF0, 0x04);
        EncoderSetBits(0xC4, 0xC7, 0x18);
        ZKT_OutCX25874(0xD0, 0x4A);
        ZKT_OutCX25874(0xD2, 0x8C);
        ZKT_OutCX25874(0xD4, 0x59);
    } else {
        GP2X_W16(GP2X_VCLK_SOURCE, 0x9000);
        GP2X_W16(GP2X_VCLK_DIVIDER, 0x8A80);
        if (g_ulGP2XModel == 257) {
            GP2X_W16(GP2X_DPC_TIMING_04, 4);
            GP2X_W16(GP2X_DPC_TIMING_06, 0);
            GP2X_W16(GP2X_DPC_TIMING_08, 0);
        } else {
            GP2X_W16(GP2X_DPC_TIMING_04, 1);
            GP2X_W16(GP2X_DPC_TIMING_06, 0xFFFF);
            GP2X_W16(GP2X_DPC_TIMING_08, 255);
        }
        GP2X_W16(GP2X_DPC_LAST_COLUMN, 319);
        GP2X_W16(GP2X_DPC_TIMING_1A, (GP2X_R16(GP2X_DPC_TIMING_1A) & 0xFF00) | 0x1D);
        GP2X_W16(GP2X_DPC_TIMING_1C, 1);
        GP2X_W16(GP2X_DPC_TIMING_1E, 1);
        GP2X_W16(GP2X_DPC_TIMING_24, (GP2X_R16(GP2X_DPC_TIMING_24) & 0xF00F) | 0x250);
        GP2X_SET16(GP2X_GPIOH_OUT, GP2X_PH_LCD);
        GP2X_W16(GP2X_DPC_TIMING_48, 16);
        if (g_ulGP2XModel == 256) {
            GP2X_SET16(GP2X_GPIOL_OUT, GP2X_PL_LCD);
            GP2X_SET16(GP2X_GPIOF_OUT, GP2X_PF_LCD);
        }
    }
    GP2X_W16(GP2X_DPC_LAST_LINE, bPAL ? 287 : (bTV ? 239 : 240));

    // A frame-height source is shown as two fields.
    u32 e = hm <= 288 ? hm : hm / 2;
    GP2X_W16(GP2X_LINE_STEPS, (wm / bitDepth - 1) | (e / bitDepth - 1) << 8);
    GP2X_W16(GP2X_LINE_HEIGHT2, e);
    GP2X_W16(GP2X_LINE_HEIGHT1, e);
    GP2X_W16(GP2X_LINE_WIDTH2, wm - 1);
    GP2X_W16(GP2X_LINE_WIDTH1, wm - 1);
    GP2X_W16(GP2X_YUVA_LINE_WIDTH, wm);
    GP2X_W16(GP2X_OUT_WIDTH, wm);
    GP2X_W16(GP2X_OUT_HEIGHT, e);
    GP2X_W16(GP2X_RGB_LINE_WIDTH, bitDepth * wm * (hm <= 288 ? 1 : 2) / 8);
    GP2X_W16(GP2X_RGB_FIELD1_ADDR, 0);
    GP2X_W16(GP2X_RGB_CTRL, code | GP2X_RGB_CTRL_SETUP);
    GP2X_W16(GP2X_RGB_BLEND, 0);
    GP2X_W16(GP2X_OVL_CTRL, GP2X_OVL_NO_GAMMA | GP2X_OVL_REGION(5));
    GP2X_W16(GP2X_DPC_TIMING_26, 624);
    GP2X_W16(GP2X_DPC_SYNC, 0);
    GP2X_W16(GP2X_DPC_TIMING_0A, 0xFFFF);
    GP2X_W16(GP2X_DPC_TIMING_0C, 0xFFFF);
    GP2X_W16(GP2X_DPC_TIMING_0E, 0xFFFF);

    g_ulDISPLAY_MODE = mode;
    g_nScreenSizeX = (s32)wm;
    g_nScreenSizeY = (s32)hm;
    GP2X_SET16(GP2X_DPC_CTRL, GP2X_DPC_ON);
    return ZKT_OK;
}

u32 ZKT_ModifyRGBbpp(u32 bitDepth)
{
    u32 code = DepthCode(bitDepth);
    if (code == 0xFFFFFFFFu)
        return ZKT_ERR_INVALID_ARG;
    g_nColorBitDepth = (s32)bitDepth;
    ProgramDepth((u32)g_nScreenSizeX, (u32)g_nScreenSizeY, bitDepth);
    GP2X_PUT16(GP2X_RGB_CTRL, GP2X_RGB_DEPTH_MASK, code);
    return ZKT_OK;
}

u32 ZKT_SetTvInterlace(u32 bInterlace)
{
    if (!GP2X_IsTV())
        return 1;
    u32 bPAL = GP2X_IsPAL();
    ZKT_OutCX25874(0x6C, 0x42);
    if (bInterlace) {
        u32 old = GP2X_R16(GP2X_DPC_CTRL);
        if (!bPAL) {
            GP2X_W16(GP2X_DPC_TIMING_22, 0x3816);
            GP2X_W16(GP2X_DPC_CTRL, (old & (GP2X_DPC_KEEP | GP2X_DPC_ON)) | GP2X_DPC_NTSC_SETUP);
            GP2X_W16(GP2X_DPC_TIMING_20, 384);
            GP2X_W16(GP2X_DPC_TIMING_26, 624);
            ZKT_OutCX25874(0x90, 6);
        } else {
            GP2X_W16(GP2X_DPC_TIMING_22, 0x3818);
            GP2X_W16(GP2X_DPC_CTRL, (old & (GP2X_DPC_KEEP | GP2X_DPC_ON)) | GP2X_DPC_NTSC_SETUP | (old & GP2X_DPC_PAL));
            GP2X_W16(GP2X_DPC_TIMING_20, 385);
            GP2X_W16(GP2X_DPC_TIMING_26, 624);
            ZKT_OutCX25874(0x90, 0x38);
        }
    } else {
        // Switch on a field boundary.
        u8 v = 0;
        do {
            ZKT_InCX25874(6, &v);
        } while (!(v & 0xF));
        do {
            ZKT_InCX25874(6, &v);
        } while (v & 0xF);
        GP2X_W16(GP2X_DPC_TIMING_20, bPAL ? 0x1C1 : 0x1C0);
        u32 old = GP2X_R16(GP2X_DPC_CTRL);
        GP2X_W16(GP2X_DPC_CTRL, (old & ~0x77FEu) | (old & GP2X_DPC_PAL) | GP2X_DPC_PROGRESSIVE_SETUP);
        GP2X_W16(GP2X_DPC_TIMING_26, 624);
        ZKT_DelayMS(bPAL ? 48 : 40);
        if (!bPAL) {
            ZKT_OutCX25874(0x90, 4);
            GP2X_W16(GP2X_DPC_TIMING_22, 0x3815);
        } else {
            ZKT_OutCX25874(0x90, 0x37);
        }
    }
    ZKT_OutCX25874(0x6C, 0x46);
    return ZKT_OK;
}
