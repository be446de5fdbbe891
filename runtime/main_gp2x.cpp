// Entry point of the handheld build. On any other machine it runs only on
// the simulated chip, and only when asked to (VORN_SIMULATED_CHIP=1); the
// handheld's platform layer refuses to start anywhere else.
#include <mikmod.h>

#include "lowlevel/gp2x/zkt_gp2xSim.h"
#include "runtime/demo.h"

extern "C" int SDL_main(int argc, char **argv)
{
    // The simulated chip has no sound device.
    u32 bSimulated = GP2X_SimInstallFromEnvironment();
    DEMO_PLATFORM platform = {"Vorn.gpe [/?] [/music]", 0, bSimulated ? &drv_nos : &drv_oss, 22050, -1, nullptr};
    int result = DEMO_Main(argc, argv, g_DemoParts, &platform);
    GP2X_SimUninstall();
    return result;
}

int main(int argc, char **argv)
{
    return SDL_main(argc, argv);
}
