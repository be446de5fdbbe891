// The splash inside the real main loop and part table, on a scripted clock:
// it points the RGB layer at buffer 0 and keeps logo pixels there until
// the closing sweep has passed over them. Each run leaves the loop through
// the normal shut-down once the splash is over, and reports its first fault.
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
std::string s_strResult;

u32 ScriptClock() { return s_now; }
void NoSleep(u32) {}

void Fail(const std::string &why, u32 t)
{
    if (s_strResult.empty())
        s_strResult = "FAIL: " + why + " at " + std::to_string(t);
    DEMO_RequestLeave();
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
        if (s_strResult.empty())
            s_strResult = "splash ok after " + std::to_string(s_ulRounds) + " rounds";
        DEMO_RequestLeave();
    }
    s_now += 100;
}

std::string RunSplash(s32 mode)
{
    s_now = 0;
    s_ulRounds = 0;
    s_strResult.clear();
    g_pfnZKTClock = ScriptClock;
    g_pfnZKTSleep = NoSleep;
    if (mode == 26) {
        s_ulLogoRow = 0x252FC0;
        s_ulRowBytes = 720;
    }
    DEMO_PLATFORM platform = {"Vorn.exe [/?] [/music]", 1, &drv_nos, 44100, mode, OnRoundDone};
    char name[] = "Vorn.exe";
    char *args[] = {name, nullptr};
    const int rc = DEMO_Main(1, args, g_DemoParts, &platform);
    g_pfnZKTClock = nullptr;
    g_pfnZKTSleep = nullptr;
    if (rc != 0)
        return "exit status " + std::to_string(rc);
    return s_strResult.empty() ? "the presentation ended before the splash did" : s_strResult;
}

} // namespace

TEST(SplashRun, PaintsTheLogoOnTheLcd)
{
    EXPECT_EQ(RunSplash(-1), "splash ok after 120 rounds");
}

TEST(SplashRun, PaintsTheLogoOnPalTelevision)
{
    EXPECT_EQ(RunSplash(26), "splash ok after 120 rounds");
}
