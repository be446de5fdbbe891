// The main part inside the real main loop and part table, on a scripted
// clock: from 12 s on, every round programs the background of its part
// time, flips the OSD buffers, keeps the RGB layer on buffer 0 until the
// double-buffered text begins, and shows no text before 16001 ms of part
// time. Each run is a child process (SDL and libmikmod keep process-wide
// state); the child reports the first difference on stderr.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <mikmod.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "parts/dp_testPart.h"
#include "runtime/demo.h"

namespace {

u32 s_now = 0, s_rounds = 0, s_prevOsd = 0, s_prevRgb = 0, s_lastPart = 0;
s32 s_mode = 0;

u32 ScriptClock() { return s_now; }
void NoSleep(u32) {}

[[noreturn]] void Fail(const std::string &why, u32 t)
{
    std::fprintf(stderr, "FAIL: %s at %u\n", why.c_str(), t);
    std::exit(1);
}

void OnRoundDone(u32 t)
{
    if (t >= 12000) {
        const u32 p = t - 12000;
        TESTPART_GEOMETRY g;
        TestPart_GetGeometry((u32)s_mode, &g);
        u32 upper, lower;
        s32 split;
        GetYUVBackgroundInfo(p, g.H, &upper, &lower, &split);
        const YUVPlane &a = g_YUVPlane[0];
        if (!a.bEnable || a.ulTopOffset != upper || a.ulBottomOffset != lower || a.usSplitY != split)
            Fail("background not the wipe of its time", t);
        if (g_ulOSDHeaderEvenField != TESTPART_OSD_HDR0 && g_ulOSDHeaderEvenField != TESTPART_OSD_HDR1)
            Fail("OSD not on one of the two buffers", t);
        if (s_rounds > 0 && g_ulOSDHeaderEvenField == s_prevOsd)
            Fail("OSD buffer not flipped", t);
        if (p <= 17999 && g_ulRGBVideoMemOffset != TESTPART_RGB_BUF0)
            Fail("RGB layer left the logo buffer during the dissolve", t);
        if (p <= 16000 && g_RGBLayerRegion[4].bEnable != 1)
            Fail("whole-screen region off before the text", t);
        for (int r = 0; r < 4; r++)
            if (p < 20000 && g_RGBLayerRegion[r].bEnable)
                Fail("a text region on before the first row", t);
        if (p > 16000 && g_RGBLayerRegion[4].bEnable)
            Fail("whole-screen region still on with the text", t);
        if (p > 17999 && s_lastPart > 17999 && g_ulRGBVideoMemOffset == s_prevRgb)
            Fail("RGB buffers not flipped", t);
        s_prevOsd = g_ulOSDHeaderEvenField;
        s_prevRgb = g_ulRGBVideoMemOffset;
        s_lastPart = p;
        s_rounds++;
    }
    if (t >= 125900) {
        std::fprintf(stderr, "main part ok\n");
        std::exit(0);
    }
    // Odd steps visit every band, both sides of 16000 and 17999, and the wipes.
    s_now += 61;
}

[[noreturn]] void RunMain(s32 mode)
{
    s_mode = mode < 0 ? 0 : mode;
    g_pfnZKTClock = ScriptClock;
    g_pfnZKTSleep = NoSleep;
    DEMO_PLATFORM platform = {"Vorn.exe [/?] [/music]", 1, &drv_nos, 44100, mode, OnRoundDone};
    char name[] = "Vorn.exe";
    char *args[] = {name, nullptr};
    DEMO_Main(1, args, g_DemoParts, &platform);
    Fail("the presentation ended before the main part did", s_now);
}

} // namespace

using ::testing::ExitedWithCode;

TEST(MainPartRunDeathTest, ProgramsItsLayersOnTheLcd)
{
    EXPECT_EXIT(RunMain(-1), ExitedWithCode(0), "main part ok");
}

TEST(MainPartRunDeathTest, ProgramsItsLayersOnPalTelevision)
{
    EXPECT_EXIT(RunMain(26), ExitedWithCode(0), "main part ok");
}
