// Entry point of the desktop build.
#include <mikmod.h>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "runtime/demo.h"
#include "runtime/music.h"

extern "C" int SDL_main(int argc, char **argv)
{
    static const DEMO_VIEWER viewer = {ZKT_WinViewerStart, ZKT_WinTakeViewerKey, ZKT_WinSetCaptionExtra};
    g_pDemoViewer = &viewer;
#ifdef _WIN32
    // On Windows the program plays through DirectSound.
    DEMO_PLATFORM platform = {"Vorn.exe [/?] [/music]", 1, &drv_ds, 44100, -1, nullptr};
#else
    DEMO_PLATFORM platform = {"Vorn.exe [/?] [/music]", 1, &drv_sdl12, 44100, -1, nullptr};
#endif
    return DEMO_Main(argc, argv, g_DemoParts, &platform);
}

#ifndef _WIN32
// On Windows SDLmain is the entry: it sends standard output and standard
// error to "stdout.txt" and "stderr.txt", then calls SDL_main.
int main(int argc, char **argv)
{
    return SDL_main(argc, argv);
}
#endif
