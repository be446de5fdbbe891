// Handheld back end: the mapped windows, start-up and shut-down with the
// saved register set, the real-time-clock time base and the sync waits.
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
