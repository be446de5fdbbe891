// The main part inside the real main loop and part table, on a scripted
// clock: from 12 s on, every round programs the background of its part
// time, flips the OSD buffers, keeps the RGB layer on buffer 0 until the
// double-buffered text begins, and shows no text before 16001 ms of part
// time. Each run leaves the loop through the normal shut-down once the main
// part is over and reports its first fault. The part sets its opening up
// once per process, so each run has a process of its own.
// The checks read the programmed layers, not pictures: only one round in
// kComposeEvery is composed, so the compositor still goes over states from
// the whole run (both OSD buffers, as the stride is odd) for a fraction of
// the time.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <mikmod.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "parts/dp_testPart.h"
#include "runtime/demo.h"

namespace {

u32 s_now = 0, s_rounds = 0, s_prevOsd = 0, s_prevRgb = 0, s_lastPart = 0, s_allRounds = 0;
constexpr u32 kComposeEvery = 15;
s32 s_mode = 0;
std::string s_strResult;

u32 ScriptClock() { return s_now; }
void NoSleep(u32) {}
u32 SkipMostPictures() { return s_allRounds % kComposeEvery != 0; }

void Fail(const std::string &why, u32 t)
{
    if (s_strResult.empty())
        s_strResult = "FAIL: " + why + " at " + std::to_string(t);
    DEMO_RequestLeave();
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
        if (s_strResult.empty())
            s_strResult = "main part ok";
        DEMO_RequestLeave();
    }
    // Odd steps visit every band, both sides of 16000 and 17999, and the wipes.
    s_now += 61;
    s_allRounds++;
}

std::string RunMain(s32 mode)
{
    s_mode = mode < 0 ? 0 : mode;
    s_now = s_rounds = s_prevOsd = s_prevRgb = s_lastPart = s_allRounds = 0;
    s_strResult.clear();
    g_pfnZKTClock = ScriptClock;
    g_pfnZKTSleep = NoSleep;
    g_pfnDemoSkipCompose = SkipMostPictures;
    DEMO_PLATFORM platform = {"Vorn.exe [/?] [/music]", 1, &drv_nos, 44100, mode, OnRoundDone};
    char name[] = "Vorn.exe";
    char *args[] = {name, nullptr};
    const int rc = DEMO_Main(1, args, g_DemoParts, &platform);
    g_pfnZKTClock = nullptr;
    g_pfnZKTSleep = nullptr;
    g_pfnDemoSkipCompose = nullptr;
    if (rc != 0)
        return "exit status " + std::to_string(rc);
    return s_strResult.empty() ? "the presentation ended before the main part did" : s_strResult;
}

// RunMain(mode) in a child process; its result, or how the child ended.
std::string RunMainApart(s32 mode)
{
    int fd[2];
    if (pipe(fd) != 0)
        return "no pipe";
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        return "no child process";
    if (pid == 0) {
        close(fd[0]);
        const std::string r = RunMain(mode);
        const bool sent = write(fd[1], r.data(), r.size()) == (ssize_t)r.size();
        _exit(sent ? 0 : 1);
    }
    close(fd[1]);
    std::string r;
    char buf[256];
    ssize_t n;
    while ((n = read(fd[0], buf, sizeof buf)) > 0)
        r.append(buf, (size_t)n);
    close(fd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "child ended with status " + std::to_string(status) + " after: " + r;
    return r;
}

} // namespace

TEST(MainPartRun, ProgramsItsLayersOnTheLcd)
{
    EXPECT_EQ(RunMainApart(-1), "main part ok");
}

TEST(MainPartRun, ProgramsItsLayersOnPalTelevision)
{
    EXPECT_EQ(RunMainApart(26), "main part ok");
}
