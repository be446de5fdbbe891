// The splash inside the real main loop and part table, on a scripted clock:
// it points the RGB layer at buffer 0 and keeps logo pixels there until
// the closing sweep has passed over them. Each run is a child process (SDL and libmikmod keep process-wide
// state); the child reports the first difference on stderr.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <mikmod.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "parts/dp_splashzkt.h"
#include "runtime/demo.h"

namespace {

u32 s_now = 0;
u32 s_ulLogoRow = 0x24E600, s_ulRowBytes = 640, s_ulRounds = 0;

u32 ScriptClock() { return s_now; }
void NoSleep(u32) {}

[[noreturn]] void Fail(const std::string &why, u32 t)
{
    std::fprintf(stderr, "FAIL: %s at %u\n", why.c_str(), t);
    std::exit(1);
}

u32 LitBytes()
{
    u32 *base = nullptr;
    ZKT_GetVideoBasePtr(&base);
    const u8 *p = reinterpret_cast<const u8 *>(base) + s_ulLogoRow;
    u32 n = 0;
    for (u32 k = 0; k < 39 * s_ulRowBytes; k++)
        n += p[k] != 0;
    return n;
}

void OnRoundDone(u32 t)
{
    s_ulRounds++;
    if (t <= 11500 && g_ulRGBVideoMemOffset != ZKT_SPLASH_RGB_OFFSET)
        Fail("RGB layer not on buffer 0", t);
    // The closing sweep has darkened the whole word by about 11080 ms.
    if (t < 11000 && LitBytes() < 50)
        Fail("no logo pixels in the buffer", t);
    if (t >= 11900) {
        std::fprintf(stderr, "splash ok after %u rounds\n", s_ulRounds);
        std::exit(0);
    }
    s_now += 100;
}

[[noreturn]] void RunSplash(s32 mode)
{
    g_pfnZKTClock = ScriptClock;
    g_pfnZKTSleep = NoSleep;
    if (mode == 26) {
        s_ulLogoRow = 0x252FC0;
        s_ulRowBytes = 720;
    }
    DEMO_PLATFORM platform = {"Vorn.exe [/?] [/music]", 1, &drv_nos, 44100, mode, OnRoundDone};
    char name[] = "Vorn.exe";
    char *args[] = {name, nullptr};
    DEMO_Main(1, args, g_DemoParts, &platform);
    Fail("the presentation ended before the splash did", s_now);
}

} // namespace

using ::testing::ExitedWithCode;

TEST(SplashRunDeathTest, PaintsTheLogoOnTheLcd)
{
    EXPECT_EXIT(RunSplash(-1), ExitedWithCode(0), "splash ok after 120 rounds");
}

TEST(SplashRunDeathTest, PaintsTheLogoOnPalTelevision)
{
    EXPECT_EXIT(RunSplash(26), ExitedWithCode(0), "splash ok after 120 rounds");
}
