// Start-up, main loop and shut-down of the presentation, in the one order
// both builds follow.
#include "runtime/demo.h"

#include <SDL/SDL.h>
#include <mikmod.h>
#include <cstdio>
#include <cstring>

#include "assets/assets.h"
#include "runtime/firmware.h"
#include "runtime/music.h"
#include "tools/zkt_basictools.h"
#include "tools/zkt_lowLevelCommon.h"
#include "ui/zkt_tinymenu_vol.h"

void (*g_pfnDemoTrace)(const char *step) = nullptr;
u32 (*g_pfnDemoSkipCompose)() = nullptr;

static inline void Trace(const char *step)
{
    if (g_pfnDemoTrace)
        g_pfnDemoTrace(step);
}

// Entry 0 starts the module at its first order; entry k (1..19) is the k-th
// 6-second section of the main part, which plays order position k + 2.
static constexpr DEMO_START_POINT MakeStartPoint(u32 k)
{
    return k == 0 ? DEMO_START_POINT{0, 0} : DEMO_START_POINT{12000 + 6000 * (k - 1), k + 2};
}
const DEMO_START_POINT g_DemoStartPoints[DEMO_START_POINT_COUNT] = {
    MakeStartPoint(0),  MakeStartPoint(1),  MakeStartPoint(2),  MakeStartPoint(3),  MakeStartPoint(4),
    MakeStartPoint(5),  MakeStartPoint(6),  MakeStartPoint(7),  MakeStartPoint(8),  MakeStartPoint(9),
    MakeStartPoint(10), MakeStartPoint(11), MakeStartPoint(12), MakeStartPoint(13), MakeStartPoint(14),
    MakeStartPoint(15), MakeStartPoint(16), MakeStartPoint(17), MakeStartPoint(18), MakeStartPoint(19),
};

// The configured CPU clock is kept inside what the chip runs reliably.
u32 DEMO_ClampClock(u32 mhz)
{
    return ZKT_ClampCPUClock(mhz);
}

static SDL_Surface *CreateWindowIcon()
{
    SDL_Surface *icon =
        SDL_CreateRGBSurface(SDL_SWSURFACE, 32, 32, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
    if (!icon)
        return nullptr;
    // The icon's top byte is stored inverted: alpha = 255 - TT.
    const u8 *src = DEMOICON;
    for (int i = 0; i < 1024; i++) {
        u32 word = (u32)src[4 * i] | (u32)src[4 * i + 1] << 8 | (u32)src[4 * i + 2] << 16 | (u32)src[4 * i + 3] << 24;
        u32 pixel = (~word & 0xFF000000u) | (word & 0x00FFFFFFu);
        u8 *row = (u8 *)icon->pixels + (i / 32) * icon->pitch;
        std::memcpy(row + (i % 32) * 4, &pixel, 4);
    }
    SDL_WM_SetIcon(icon, nullptr);
    SDL_ShowCursor(1);
    return icon;
}

static u32 s_bDemoLeave = 0;

void DEMO_RequestLeave()
{
    s_bDemoLeave = 1;
}

void DEMO_ClearLayers()
{
    u32 black[256] = {};
    ZKT_SetOSDPaletteUsingRGB(0, black, 256);
    ZKT_SetPalette(0, black, 256);
    ZKT_SetYUVVideoPlane(1, 0, 0, 0, 319, 240, 240, 320, 0, 0, 0, 0, 0, 0);
    ZKT_SetYUVVideoPlane(0, 0, 0, 0, 319, 240, 240, 320, 0, 0, 0, 0, 0, 0);
    ZKT_SetSPUPlane(0, 0, 0, 0, 0);
    ZKT_SetOSDPlane(0, 0, 0);
    ZKT_SetRGBRegionOperation(5, 0, 0, 0, 0, 0, 0, 0, 0);
    for (u32 r = 1; r <= 4; r++)
        ZKT_SetRGBRegionOperation(r, 0, 0, 0, 0, 0, 0, 0, 0);
    ZKT_SetYUVVideoPlaneScaler(1, 1, 1024, 1024);
    ZKT_SetYUVVideoPlaneScaler(1, 0, 1024, 1024);
    ZKT_SetYUVVideoPlanePriority(1);
    ZKT_HwBitBlt(0, 720, 720, 576, 0, 720, 0, 0, 0, 0);
    ZKT_SetRGBStartAddress(0);
    ZKT_WaitHwBlitter(0);
    ZKT_SetRGBRegionOperation(5, 1, 1, 0, 0, 0, 0, 0, 0);
}

int DEMO_Main(int argc, char **argv, const DEMO_PART *parts, const DEMO_PLATFORM *platform)
{
    s_bDemoLeave = 0;
    // 1. The part table is the caller's; the start points are constant.
    DEMO_START_POINT start[DEMO_START_POINT_COUNT];
    std::memcpy(start, g_DemoStartPoints, sizeof start);

    // 2. Usage line, then argv[1] alone.
    u32 bExtract = 0;
    std::printf("%s\n", platform->strUsage);
    if (argc > 1) {
        if (std::strcmp(argv[1], "/MUSIC") == 0) {
            bExtract = 1;
        } else if (std::strcmp(argv[1], "/?") == 0) {
            std::printf("  /?       HELP (this note)\n");
            std::printf("  /music   Extract music module to disk.\n\n");
            return 0;
        }
    }

    // 3. Configured clock.
    Trace("ZKT_ParseConfig");
    u32 ulConfiguredClock = (u32)ZKT_ParseConfig("config.txt");
    if (g_pDemoViewer) {
        u32 scale = 1, bFullscreen = 0;
        DEMO_ReadViewerConfig(&scale, &bFullscreen);
        g_pDemoViewer->pfnStart(scale, bFullscreen);
    }

    // 4.
    Trace("SDL_Init");
    SDL_Init(platform->bDesktop ? (SDL_INIT_AUDIO | SDL_INIT_VIDEO) : SDL_INIT_AUDIO);

    // 5. Window icon (desktop).
    // SDL 1.2 crashes setting an icon without video, so a failed SDL_Init
    // skips it and lets the API's own start-up report the failure.
    SDL_Surface *icon = nullptr;
    if (platform->bDesktop && SDL_WasInit(SDL_INIT_VIDEO)) {
        Trace("SDL_WM_SetIcon");
        icon = CreateWindowIcon();
    }

    // 6. A failed initialisation leaves nothing usable behind: say what
    // failed and stop before anything touches the window or video memory.
    Trace("ZKT_InitLowLevelAPI");
    if (ZKT_InitLowLevelAPI("Vorn by Zokatel") != ZKT_OK) {
        std::printf("Vorn: could not start the hardware layer: %s\n", SDL_GetError());
        std::fflush(stdout);
        ZKT_FreeLowLevelAPI(0);
        if (icon)
            SDL_FreeSurface(icon);
        SDL_Quit();
        return 1;
    }

    // 7.
    Trace("ZKT_CheckOpen2X");
    if (ZKT_CheckOpen2X(1, 1) == ZKT_OPEN2X_QUIT) {
        ZKT_FreeLowLevelAPI(1);
        if (icon)
            SDL_FreeSurface(icon);
        SDL_Quit();
        return 0;
    }

    // 8, 9. Save the display mode, then pick ours at 16 bits per pixel.
    Trace("ZKT_GetDisplayMode");
    u32 ulSavedMode = 0, ulSavedDepth = 0;
    ZKT_GetDisplayMode(&ulSavedMode, &ulSavedDepth);
    u32 ulMode = 0;
    if (!platform->bDesktop)
        ulMode = ZKT_ModeIsLCD(ulSavedMode) ? 0 : (ZKT_ModeIsPAL(ulSavedMode) ? 26 : 12);
    if (platform->nDisplayMode >= 0)
        ulMode = (u32)platform->nDisplayMode;
    Trace("ZKT_SetDisplayMode");
    ZKT_SetDisplayMode(ulMode, 16);
    if (!platform->bDesktop && ZKT_ModeIsTV(ulSavedMode))
        ZKT_SetTvInterlace(0);

    // 10.
    Trace("ZKT_PreCalc_SinCos");
    ZKT_PreCalc_SinCos(nullptr, nullptr);

    // 11.
    u32 ulSavedClock = 0;
    if (ulConfiguredClock != 0) {
        Trace("ZKT_SetCPUClock");
        ZKT_GetCPUClock(&ulSavedClock);
        ZKT_SetCPUClock(DEMO_ClampClock(ulConfiguredClock));
    }

    // 12.
    u32 lcd = platform->bDesktop || ZKT_ModeIsLCD(ulSavedMode) ? 1 : 0;
    u32 pal = !platform->bDesktop && ZKT_ModeIsPAL(ulSavedMode) ? 1 : 0;
    if (platform->nDisplayMode >= 0) {
        lcd = ZKT_ModeIsLCD(ulMode) ? 1 : 0;
        pal = ZKT_ModeIsPAL(ulMode) ? 1 : 0;
    }
    IncMikMod_ConnectTinyMenu();
    Trace("ZKT_TMV_Vol_Initialize");
    ZKT_TMV_Vol_Initialize(lcd, pal);
    Trace("ZKT_TMV_TinyMenu_Initialize");
    ZKT_TMV_TinyMenu_Initialize(lcd, pal);

    // 13.
    Trace("IncMikMod_LoadMainMusic");
    IncMikMod_LoadMainMusic();

    // 14. Extraction ends the process here; nothing is restored.
    if (bExtract) {
        Trace("IncMikMod_WriteMainMusic");
        return IncMikMod_WriteMainMusic() ? 0 : 255;
    }

    // 15.
    Trace("MikMod_Init");
    IncMikMod_PrepareMainMusicMREADER();
    MikMod_RegisterDriver(platform->pSoundDriver);
    md_mixfreq = (UWORD)platform->ulMixFreq;
    MikMod_RegisterLoader(&load_it);
    md_mode = DMODE_16BITS | DMODE_STEREO | DMODE_SOFT_MUSIC;
    bool bSound = MikMod_Init("") == 0;
    if (!bSound) {
        std::printf("Could not init sound: %s\n", MikMod_strerror(MikMod_errno));
        std::fflush(stdout);
        // No sound device is no reason to miss the picture: the player runs
        // on libmikmod's silent driver instead.
        MikMod_RegisterDriver(&drv_nos);
        md_device = (UWORD)MikMod_DriverFromAlias((CHAR *)"nosound");
        bSound = md_device != 0 && MikMod_Init("") == 0;
        if (bSound)
            std::fprintf(stderr, "Vorn: no sound device, playing without sound"
                                 " (SDL_AUDIODRIVER chooses the device)\n");
    }
    MODULE *module = nullptr;
    DEMO_PART part[DEMO_PART_COUNT];
    std::memcpy(part, parts, sizeof part);

    if (bSound) {
        // 16. A module that fails to load leaves the demo silent.
        Trace("Player_LoadGeneric");
        module = Player_LoadGeneric(&g_MainMusic, 32, 0);

        // 17.
        Trace("ZKT_DualCoreStart");
        ZKT_DualCoreStart();

        // 18. Every init before any reset.
        Trace("init");
        for (int i = 0; i < DEMO_PART_COUNT; i++)
            part[i].pfnInit(ulMode);
        Trace("reset");
        for (int i = 0; i < DEMO_PART_COUNT; i++)
            part[i].pfnReset();

        // 19.
        if (module) {
            Trace("Player_Start");
            Player_Start(module);
            Player_SetPosition((UWORD)start[0].ulPosition);
            Player_SetVolume((SWORD)ZKT_TMV_Vol_GetVolume());
        }

        // 20.
        Trace("ZKT_TMV_Start_Absolute_Timer");
        ZKT_TMV_Start_Absolute_Timer();

        Trace("loop");
        u32 input = 0, prevInput = 0;
        if (g_pDemoViewer)
            DEMO_ViewerReset();
        for (;;) {
            u32 t = ZKT_TMV_Retrieve_Absolute_Timer() + start[0].ulTime;
            ZKT_GetGP2XInputState(&input);
            if (input & ZKT_BTN_EXIT)
                break;
            u32 bPaint = 1;
            if (g_pDemoViewer)
                bPaint = DEMO_ViewerRound(module, part, ulMode, &t, &input);
            ZKT_TMV_HandleVolAndTinyMenu(input, prevInput);
            if (ZKT_TMV_TinyMenu_GetState() == 0 && bPaint) {
                for (int i = 0; i < DEMO_PART_COUNT; i++)
                    if (part[i].ulStart <= t && t < part[i].ulEnd)
                        part[i].pfnPaint(t - part[i].ulStart, part[i].ulEnd - part[i].ulStart, ulMode);
                if (Player_Active())
                    MikMod_Update();
            }
            ZKT_WaitVSync();
            if (platform->bDesktop) {
                if (Player_Active())
                    MikMod_Update();
                if (!g_pfnDemoSkipCompose || !g_pfnDemoSkipCompose())
                    ZKT_LowLevelAPI_SoftRender();
                // The desktop's 1 ms yield; through the API so that a program
                // driving its own clock does not wait for real.
                ZKT_DelayMS(1);
                if (Player_Active())
                    MikMod_Update();
            }
            if (platform->pfnFrameDone)
                platform->pfnFrameDone(t);
            prevInput = input;
            if (t >= DEMO_END_MS || ZKT_TMV_TinyMenu_GetState() == 2 || s_bDemoLeave)
                break;
        }

        // Shut-down 1 to 8: every layer off and the screen memory cleared.
        Trace("shutdown");
        DEMO_ClearLayers();
        ZKT_WaitVSync();
        if (!platform->bDesktop && ZKT_ModeIsTV(ulSavedMode))
            ZKT_SetTvInterlace(1);
    }

    // 9. A failed MikMod_Init enters here.
    Trace("ZKT_DualCoreStop");
    ZKT_DualCoreStop();
    Player_Stop();
    if (module)
        Player_Free(module);
    Trace("MikMod_Exit");
    MikMod_Exit();

    // 10 to 15.
    if (ulConfiguredClock != 0) {
        Trace("ZKT_SetCPUClock(saved)");
        ZKT_SetCPUClock(ulSavedClock);
    }
    ZKT_SetRGBRegionOperation(5, 1, 1, 0, 0, 0, 0, 0, 0);
    Trace("ZKT_SetDisplayMode(saved)");
    ZKT_SetDisplayMode(ulSavedMode, ulSavedDepth);
    Trace("ZKT_FreeLowLevelAPI");
    ZKT_FreeLowLevelAPI(1);
    if (icon)
        SDL_FreeSurface(icon);
    Trace("SDL_Quit");
    SDL_Quit();
    return 0;
}
