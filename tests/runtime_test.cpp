// The runtime's start-up order, timeline and exits. Each run happens in a
// child process (libmikmod and SDL keep process-wide state) and reports
// what it did on stderr, which the parent matches.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <mikmod.h>

#include <cstdio>
#include <string>
#include <vector>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "runtime/demo.h"

namespace {

std::vector<u32> s_times; // scripted presentation times, one per round
size_t s_round = 0;
u32 s_now = 0;
u32 ScriptClock() { return s_now; }
void NoSleep(u32) {}

void NextRound(u32)
{
    s_round++;
    s_now = s_round < s_times.size() ? s_times[s_round] : s_times.back() + 17;
}

void TraceToStderr(const char *step) { std::fprintf(stderr, "[%s]", step); }

void PushKeyDown(SDLKey key)
{
    SDL_Event ev = {};
    ev.type = SDL_KEYDOWN;
    ev.key.type = SDL_KEYDOWN;
    ev.key.keysym.sym = key;
    SDL_PushEvent(&ev);
}

void PushEscapeWhenLooping(const char *step)
{
    TraceToStderr(step);
    if (std::string(step) == "loop")
        PushKeyDown(SDLK_ESCAPE);
}

void PushQuitWhenLooping(const char *step)
{
    TraceToStderr(step);
    if (std::string(step) == "loop") {
        SDL_Event ev = {};
        ev.type = SDL_QUIT;
        SDL_PushEvent(&ev);
    }
}

u32 PartReset() { return std::fprintf(stderr, "[reset]"), 1; }
u32 PartInit(u32 mode) { return std::fprintf(stderr, "[init %u]", mode), 1; }
u32 PaintA(u32 t, u32 len, u32) { return std::fprintf(stderr, "[A %u/%u]", t, len), 0; }
u32 PaintB(u32 t, u32 len, u32) { return std::fprintf(stderr, "[B %u/%u]", t, len), 0; }

const DEMO_PART kParts[DEMO_PART_COUNT] = {
    {0, 12000, PartReset, PartInit, PaintA},
    {12000, 126000, PartReset, PartInit, PaintB},
};

int RunDemo(std::vector<const char *> args, void (*trace)(const char *), MDRIVER *driver = &drv_nos)
{
    g_pfnDemoTrace = trace;
    g_pfnZKTClock = ScriptClock;
    g_pfnZKTSleep = NoSleep;
    s_round = 0;
    s_now = s_times.empty() ? 0 : s_times[0];
    DEMO_PLATFORM platform = {"Vorn.exe [/?] [/music]", 1, driver, 44100, -1, NextRound};
    args.insert(args.begin(), "Vorn.exe");
    return DEMO_Main((int)args.size(), const_cast<char **>(args.data()), kParts, &platform);
}

// A sound driver that is present but cannot start.
BOOL FailingInit()
{
    MikMod_errno = MMERR_OPENING_AUDIO;
    return 1;
}
MDRIVER s_failingDriver;

} // namespace

using ::testing::ExitedWithCode;

TEST(Runtime, StartPointTable)
{
    EXPECT_EQ(g_DemoStartPoints[0].ulTime, 0u);
    EXPECT_EQ(g_DemoStartPoints[0].ulPosition, 0u);
    EXPECT_EQ(g_DemoStartPoints[1].ulTime, 12000u);
    EXPECT_EQ(g_DemoStartPoints[1].ulPosition, 3u);
    EXPECT_EQ(g_DemoStartPoints[19].ulTime, 120000u);
    EXPECT_EQ(g_DemoStartPoints[19].ulPosition, 21u);
    EXPECT_EQ(sizeof g_DemoStartPoints, 160u);
}

TEST(Runtime, ClockClamp)
{
    EXPECT_EQ(DEMO_ClampClock(100), 175u);
    EXPECT_EQ(DEMO_ClampClock(174), 175u);
    EXPECT_EQ(DEMO_ClampClock(175), 175u);
    EXPECT_EQ(DEMO_ClampClock(200), 200u);
    EXPECT_EQ(DEMO_ClampClock(266), 266u);
    EXPECT_EQ(DEMO_ClampClock(300), 266u);
}

TEST(RuntimeDeathTest, StartUpAndShutDownOrderWithEscape)
{
    s_times = {0};
    EXPECT_EXIT(std::exit(RunDemo({}, PushEscapeWhenLooping)), ExitedWithCode(0),
                "^\\[ZKT_ParseConfig\\]\\[SDL_Init\\]\\[SDL_WM_SetIcon\\]\\[ZKT_InitLowLevelAPI\\]"
                "\\[ZKT_CheckOpen2X\\]\\[ZKT_GetDisplayMode\\]\\[ZKT_SetDisplayMode\\]\\[ZKT_PreCalc_SinCos\\]"
                "\\[ZKT_TMV_Vol_Initialize\\]\\[ZKT_TMV_TinyMenu_Initialize\\]\\[IncMikMod_LoadMainMusic\\]"
                "\\[MikMod_Init\\]\\[Player_LoadGeneric\\]\\[ZKT_DualCoreStart\\]"
                "\\[init\\]\\[init 0\\]\\[init 0\\]\\[reset\\]\\[reset\\]\\[reset\\]"
                "(\\[Player_Start\\])?\\[ZKT_TMV_Start_Absolute_Timer\\]\\[loop\\]"
                // Escape leaves before anything of the first round paints.
                "\\[shutdown\\]\\[ZKT_DualCoreStop\\]\\[MikMod_Exit\\]\\[ZKT_SetDisplayMode\\(saved\\)\\]"
                "\\[ZKT_FreeLowLevelAPI\\]\\[SDL_Quit\\]$");
}

TEST(RuntimeDeathTest, WindowCloseEndsTheFirstRound)
{
    s_times = {0};
    EXPECT_EXIT(std::exit(RunDemo({}, PushQuitWhenLooping)), ExitedWithCode(0), "\\[loop\\]\\[shutdown\\]");
}

TEST(RuntimeDeathTest, TimelineBoundaries)
{
    // Each round reads one scripted time; the part windows are half open and
    // the round with t >= 126000 paints nothing and ends the loop.
    s_times = {0, 11999, 12000, 50000, 125999, 126000, 130000};
    EXPECT_EXIT(std::exit(RunDemo({}, TraceToStderr)), ExitedWithCode(0),
                "\\[loop\\]\\[A 0/12000\\]\\[A 11999/12000\\]\\[B 0/114000\\]\\[B 38000/114000\\]"
                "\\[B 113999/114000\\]\\[shutdown\\]");
}

TEST(RuntimeDeathTest, HelpPrintsAndLeavesBeforeSetUp)
{
    s_times = {0};
    EXPECT_EXIT(
        {
            RunDemo({"/?"}, TraceToStderr);
            std::fprintf(stderr, "[wasinit %u]", SDL_WasInit(SDL_INIT_EVERYTHING));
            std::exit(0);
        },
        ExitedWithCode(0), "^\\[wasinit 0\\]$");
}

TEST(RuntimeDeathTest, OnlyTheExactFirstArgumentCounts)
{
    s_times = {0, 126000};
    // Lower case, a longer "/?" and later arguments are all ignored: the
    // demo runs.
    EXPECT_EXIT(std::exit(RunDemo({"/music"}, TraceToStderr)), ExitedWithCode(0), "\\[loop\\]");
    EXPECT_EXIT(std::exit(RunDemo({"/?x"}, TraceToStderr)), ExitedWithCode(0), "\\[loop\\]");
    EXPECT_EXIT(std::exit(RunDemo({"x", "/?"}, TraceToStderr)), ExitedWithCode(0), "\\[loop\\]");
}

// No sound device: said once, then the whole show plays on the silent driver.
TEST(RuntimeDeathTest, FailedSoundStartPlaysWithoutSound)
{
    s_times = {0, 60000, 126000};
    s_failingDriver = drv_nos;
    s_failingDriver.Name = "failing";
    s_failingDriver.Alias = "fail";
    s_failingDriver.Init = FailingInit;
    EXPECT_EXIT(std::exit(RunDemo({}, TraceToStderr, &s_failingDriver)), ExitedWithCode(0),
                "\\[MikMod_Init\\]Vorn: no sound device, playing without sound[^\n]*\n\\[Player_LoadGeneric\\]"
                ".*\\[loop\\]\\[A 0/12000\\]\\[B 48000/114000\\]\\[shutdown\\].*"
                "\\[SDL_Quit\\]$");
}

TEST(RuntimeDeathTest, MissingDisplayIsReportedWithNonZeroStatus)
{
    s_times = {0};
    EXPECT_EXIT(
        {
            setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
            std::exit(RunDemo({}, TraceToStderr));
        },
        ExitedWithCode(1), "\\[ZKT_InitLowLevelAPI\\]$");
}
