// Entry point of the desktop build: the part table and SDL_main.
#include <mikmod.h>

#include "runtime/demo.h"
#include "parts/dp_splashzkt.h"
#include "runtime/pending.h"

static const DEMO_PART s_Parts[DEMO_PART_COUNT] = {
    {0, 12000, ZKT_DP_SplashZkt_Reset, ZKT_DP_SplashZkt_Init, ZKT_DP_SplashZkt_Paint},
    {12000, 126000, ZKT_DP_TestPart_Reset, ZKT_DP_TestPart_Init, ZKT_DP_TestPart_Paint},
};

extern "C" int SDL_main(int argc, char **argv)
{
    DEMO_PLATFORM platform = {"Vorn.exe [/?] [/music]", 1, &drv_nos, 44100, nullptr};
    return DEMO_Main(argc, argv, s_Parts, &platform);
}

int main(int argc, char **argv)
{
    return SDL_main(argc, argv);
}
