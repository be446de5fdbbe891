// Entry point of the desktop build.
#include <mikmod.h>

#include "runtime/demo.h"
#include "runtime/music.h"

extern "C" int SDL_main(int argc, char **argv)
{
    DEMO_PLATFORM platform = {"Vorn.exe [/?] [/music]", 1, &drv_sdl12, 44100, -1, nullptr};
    return DEMO_Main(argc, argv, g_DemoParts, &platform);
}

int main(int argc, char **argv)
{
    return SDL_main(argc, argv);
}
