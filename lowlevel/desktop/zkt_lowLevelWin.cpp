// Desktop back end: lifecycle of the hardware model, display modes, the
// clock and vertical-sync pacing (the keyboard and window events are in
// zkt_lowLevelWin_input.cpp).
#include "lowlevel/desktop/zkt_lowLevelWin.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>

// ---------------------------------------------------------------------------
// Lifecycle

static void ResetRegions()
{
    for (int i = 0; i < 5; i++) {
        g_RGBLayerRegion[i].bShow = 1;
        g_RGBLayerRegion[i].bEnable = 0;
    }
    g_RGBLayerRegion[4].bEnable = 1;
}

static void OutputSize(u32 mode, int *pW, int *pH)
{
    if (ZKT_ModeIsLCD(mode)) {
        *pW = 660; // room for the pictured handheld around the 320x240 screen
        *pH = 380;
    } else {
        *pW = ZKT_ModeWidth(mode);
        *pH = ZKT_ModeHeight(mode);
    }
}

u32 ZKT_InitLowLevelAPI(const char *caption)
{
    std::printf("ZKT low-level API, desktop hardware model 1.0\n");
    g_bEnableGamma = 0;
    g_bSaveOnDisk = 0;

    for (u32 i = 0; i < 256; i++) {
        g_ulGammaTable[i] = i + i * 256 + i * 65536;
        g_ulRGBColorTable[i] = 0;
    }

    g_bGP2XBatteryLEDState = 0;
    g_bOSDLayerEnable = 0;
    g_ulOSDHeaderOddField = 0;
    g_ulOSDHeaderEvenField = 0;
    g_cursorLayer.bEnable = 0;
    g_YUVPlane[0].bEnable = 0;
    g_YUVPlane[1].bEnable = 0;
    ResetRegions();
    ZKT_WinResetInput();
    ZKT_ResetVSyncPacing();

    if (!g_pGP2X_DUALCORE_MEM)
        g_pGP2X_DUALCORE_MEM = (u8 *)std::malloc(ZKT_DUALCORE_MEM_SIZE);
    if (!g_pGP2X_DUALCORE_MEM) {
        SDL_SetError("could not allocate the second core's shared memory");
        return ZKT_ERR_INIT;
    }
    ZKT_DualCoreResetQueue();

    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO | SDL_INIT_JOYSTICK) < 0)
        return ZKT_ERR_INIT;
    SDL_ShowCursor(1);
    ZKT_WinInstallEventHandling();
    g_Screen = ZKT_WinOpenWindow(660, 380);
    if (!g_Screen)
        return ZKT_ERR_INIT;

    if (!g_GP2X_VIDEO_BASE_PTR)
        g_GP2X_VIDEO_BASE_PTR = (u8 *)std::malloc(ZKT_VIDEO_MEM_SIZE);
    if (!g_GP2X_VIDEO_BASE_PTR) {
        SDL_SetError("could not allocate 8 MiB of video memory");
        return ZKT_ERR_INIT;
    }
    g_nColorBitDepth = 16;
    g_nScreenSizeX = 320;
    g_nScreenSizeY = 240;
    g_ulGP2X_FRAME_COUNT = 0;
    g_ulDISPLAY_MODE = 0;
    ZKT_WinSetCaption(caption);

    for (u32 q = 0; q < 4; q++)
        ZKT_SetYUVSaturationAndHUE(q, 128, 0);
    return ZKT_OK;
}

u32 ZKT_FreeLowLevelAPI(u32 bReturnToMenu)
{
    (void)bReturnToMenu; // the desktop has no menu program to return to
    if (g_ThreadId)
        ZKT_DualCoreStop();
    std::free(g_pGP2X_DUALCORE_MEM);
    g_pGP2X_DUALCORE_MEM = nullptr;
    std::free(g_GP2X_VIDEO_BASE_PTR);
    g_GP2X_VIDEO_BASE_PTR = nullptr;
    g_Screen = nullptr;
    ZKT_WinCloseWindow();
    SDL_Quit();
    return ZKT_OK;
}

u32 ZKT_GetDisplayMode(u32 *pMode, u32 *pBitDepth)
{
    *pMode = g_ulDISPLAY_MODE;
    *pBitDepth = (u32)g_nColorBitDepth;
    return ZKT_OK;
}

u32 ZKT_SetDisplayMode(u32 mode, u32 bitDepth)
{
    g_nColorBitDepth = (s32)bitDepth;
    int w, h;
    OutputSize(mode, &w, &h);
    g_Screen = ZKT_WinOpenWindow(w, h);
    g_cursorLayer.bEnable = 0;
    // Modes past the table keep the last valid size rather than reading
    // beyond it.
    u32 m = mode <= 32 ? mode : 32;
    g_nScreenSizeX = g_nModeSizeX[m];
    g_nScreenSizeY = g_nModeSizeY[m];
    g_YUVPlane[0].bEnable = 0;
    g_YUVPlane[1].bEnable = 0;
    ResetRegions();
    g_ulDISPLAY_MODE = mode;
    return ZKT_OK;
}

u32 ZKT_ModifyRGBbpp(u32 bitDepth)
{
    g_nColorBitDepth = (s32)bitDepth;
    return ZKT_OK;
}

u32 ZKT_GetDisplaySize(u32 *pWidth, u32 *pHeight)
{
    *pWidth = (u32)g_nScreenSizeX;
    *pHeight = (u32)g_nScreenSizeY;
    return ZKT_OK;
}

u32 ZKT_SetTvInterlace(u32 bInterlace)
{
    (void)bInterlace;
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

// ---------------------------------------------------------------------------
// Clock and pacing

u32 (*g_pfnZKTClock)() = nullptr;
void (*g_pfnZKTSleep)(u32 ms) = nullptr;

static u32 s_ulBaseFrameTime = 0;
static u32 s_ulLastFrame = 0;
static s32 s_nFrame = 0;

u32 ZKT_Clock()
{
    return g_pfnZKTClock ? g_pfnZKTClock() : SDL_GetTicks();
}

void ZKT_Sleep(u32 ms)
{
    if (g_pfnZKTSleep)
        g_pfnZKTSleep(ms);
    else
        SDL_Delay(ms);
}

void ZKT_ResetVSyncPacing()
{
    s_ulLastFrame = 0;
    s_nFrame = 0;
}

u32 ZKT_GetTime(u32 *pMs)
{
    *pMs = ZKT_Clock();
    return ZKT_OK;
}

u32 ZKT_ResetFrameTime()
{
    g_ulGP2X_FRAME_COUNT = 0;
    return ZKT_OK;
}

u32 ZKT_GetFrameTime(u32 *pMs)
{
    u32 now = ZKT_Clock();
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
    ZKT_Sleep(ms);
    return ZKT_OK;
}

// Paces pairs of frames: every second call waits until 17 ms have passed
// since the call before it, which averages two frames per ~17 ms window.
u32 ZKT_WaitVSync()
{
    u32 now = ZKT_Clock();
    if (s_nFrame & 1) {
        u32 elapsed = now - s_ulLastFrame;
        ZKT_Sleep(elapsed < 17 ? 17 - elapsed : 4);
    }
    s_ulLastFrame = now;
    s_nFrame++;
    return ZKT_OK;
}

u32 ZKT_WaitHSync()
{
    return ZKT_OK;
}

u32 ZKT_WaitVSync2()
{
    return ZKT_OK;
}
