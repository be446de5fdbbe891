// The volume indicator and the tiny menu inside the real main loop, driven
// through the keyboard on a scripted clock. Each run records what it saw
// round by round, leaves the loop through the normal shut-down, and then
// reports the first difference.
#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <mikmod.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "runtime/demo.h"
#include "ui/zkt_tinymenu_vol.h"

namespace {

struct Key {
    u32 ulAt; // clock time of the round that first sees the change
    SDLKey key;
    u32 bDown;
};

struct Round {
    u32 ulClock, ulDemoTime, ulPaints;
    CursorLayer cursor;
    u32 ulState;
};

u32 s_ulStep = 20;   // clock advance per round, ms
u32 s_ulStopAt = 0;  // clock time at which the loop is asked to leave
std::vector<Key> s_keys;
size_t s_nextKey = 0;
u32 s_now = 0;
u32 s_ulPaints = 0;
std::vector<Round> s_rounds;
std::string s_strTrace;
std::string s_strResult; // the first fault

u32 ScriptClock() { return s_now; }
void NoSleep(u32) {}

void Push(SDLKey key, bool down)
{
    SDL_Event ev = {};
    ev.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    ev.key.type = ev.type;
    ev.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    ev.key.keysym.sym = key;
    SDL_PushEvent(&ev);
}

// Keys due by the coming round, one event per round since the input state
// takes one window event per read.
void PushDue()
{
    if (s_nextKey < s_keys.size() && s_keys[s_nextKey].ulAt <= s_now) {
        Push(s_keys[s_nextKey].key, s_keys[s_nextKey].bDown);
        s_nextKey++;
    }
}

void OnTrace(const char *step)
{
    s_strTrace += std::string("[") + step + "]";
    if (std::string(step) == "loop")
        PushDue();
}

void OnRoundDone(u32 t)
{
    s_rounds.push_back({s_now, t, s_ulPaints, g_cursorLayer, ZKT_TMV_TinyMenu_GetState()});
    s_ulPaints = 0;
    s_now += s_ulStep;
    PushDue();
    if (s_ulStopAt && s_now >= s_ulStopAt)
        DEMO_RequestLeave();
}

u32 PartReset() { return 1; }
u32 PartInit(u32) { return 1; }
u32 Paint(u32, u32, u32) { return s_ulPaints++, 0; }

const DEMO_PART kParts[DEMO_PART_COUNT] = {
    {0, 12000, PartReset, PartInit, Paint},
    {12000, 126000, PartReset, PartInit, Paint},
};

void Hold(u32 at, SDLKey key, u32 ms = 100)
{
    s_keys.push_back({at, key, 1});
    s_keys.push_back({at + ms, key, 0});
}

// A fresh script: rounds ulStep ms apart, keys added by Hold.
void Reset(u32 ulStep)
{
    s_ulStep = ulStep;
    s_ulStopAt = 0;
    s_keys.clear();
    s_nextKey = 0;
    s_now = 0;
    s_ulPaints = 0;
    s_rounds.clear();
    s_strTrace.clear();
    s_strResult.clear();
}

int Run()
{
    g_pfnDemoTrace = OnTrace;
    g_pfnZKTClock = ScriptClock;
    g_pfnZKTSleep = NoSleep;
    DEMO_PLATFORM platform = {"Vorn.exe [/?] [/music]", 1, &drv_nos, 44100, -1, OnRoundDone};
    char name[] = "Vorn.exe";
    char *args[] = {name, nullptr};
    const int rc = DEMO_Main(1, args, kParts, &platform);
    g_pfnDemoTrace = nullptr;
    g_pfnZKTClock = nullptr;
    g_pfnZKTSleep = nullptr;
    return rc;
}

const Round *At(u32 clock)
{
    for (const Round &r : s_rounds)
        if (r.ulClock == clock)
            return &r;
    return nullptr;
}

void Check(bool ok, const std::string &why, u32 clock)
{
    if (!ok && s_strResult.empty())
        s_strResult = "FAIL: " + why + " at " + std::to_string(clock);
}

std::string Result(const char *ok)
{
    return s_strResult.empty() ? ok : s_strResult;
}

// Keypad + at 5 s: the indicator shows for exactly 2 s, fading in its last
// 240 ms, and the level goes up one step.
std::string IndicatorRun()
{
    Reset(20);
    Hold(5000, SDLK_KP_PLUS);
    s_ulStopAt = 8000;
    Check(Run() == 0, "the presentation did not end normally", 0);
    for (const Round &r : s_rounds) {
        const u32 c = r.ulClock;
        const bool shown = c >= 5000 && c < 7000;
        Check(r.ulDemoTime == c, "demo time follows the clock", c);
        Check(r.ulPaints == 1, "one part paints every round", c);
        Check(r.cursor.bEnable == (shown ? 1u : 0u), shown ? "indicator shown" : "indicator hidden", c);
        if (!shown)
            continue;
        Check(r.cursor.ulBitmapOffset == ZKT_TMV_VOL_STEP_BITMAP(16), "step 16 shown", c);
        Check(r.cursor.usX == 240 && r.cursor.usY == 195, "indicator position", c);
        if (c <= 6760)
            Check(r.cursor.ulColor1 == 0xFFFFFFFFu && r.cursor.ulColor0 == 0x80000000u, "opaque before the fade", c);
        else
            Check((r.cursor.ulColor1 >> 24) < ((7000 - c) * 256) / 240 + 1, "fading out", c);
    }
    Check(At(6980) && At(6980)->cursor.ulColor1 >> 24 < 0x20, "nearly faded", 6980);
    Check(g_TMV_VOLUME_INDEX == 16, "volume up one step", 0);
    return Result("indicator ok");
}

// Page Down at 30 s opens the menu: nothing paints and the presentation time
// stands still until Page Up resumes at 35 s; then it goes on from 30 s.
std::string PauseRun()
{
    Reset(50);
    Hold(30000, SDLK_PAGEDOWN);
    Hold(35000, SDLK_PAGEUP);
    s_ulStopAt = 37000;
    Check(Run() == 0, "the presentation did not end normally", 0);
    for (const Round &r : s_rounds) {
        const u32 c = r.ulClock;
        if (c < 30000) {
            Check(r.ulDemoTime == c && r.ulPaints == 1 && r.ulState == 0, "running before the menu", c);
        } else if (c < 35000) {
            Check(r.ulDemoTime == 30000, "presentation time stands still", c);
            Check(r.ulPaints == 0, "picture frozen", c);
            Check(r.ulState == 1, "menu open", c);
            Check(r.cursor.bEnable == 1 && r.cursor.ulBitmapOffset == ZKT_TMV_MENU_BITMAP, "menu in the cursor", c);
        } else {
            Check(r.ulDemoTime == c - 5000, "presentation time goes on from where it stopped", c);
            Check(r.ulPaints == 1 && r.ulState == 0, "painting again", c);
        }
    }
    Check(At(35300) && At(35300)->cursor.bEnable == 1, "menu fades out", 35300);
    Check(At(35350) && At(35350)->cursor.bEnable == 0, "menu gone after its fade", 35350);
    return Result("pause ok");
}

// Leaving through the menu: open, one step back to the last item, confirm;
// the loop ends in that round and the shut-down runs.
std::string LeaveRun()
{
    Reset(20);
    Hold(1000, SDLK_PAGEDOWN);
    Hold(1500, SDLK_DELETE);
    Hold(2000, SDLK_PAGEDOWN);
    s_ulStopAt = 10000;
    int rc = Run();
    Check(rc == 0, "exit status 0", rc);
    Check(!s_rounds.empty() && s_rounds.back().ulClock == 2000, "the round that confirms is the last", 0);
    Check(!s_rounds.empty() && s_rounds.back().ulState == 2, "leave state", 2000);
    const size_t loop = s_strTrace.find("[loop]"), shut = s_strTrace.find("[shutdown]");
    Check(loop != std::string::npos && shut != std::string::npos && shut > loop, "shut-down after the loop", 0);
    Check(shut != std::string::npos && s_strTrace.find("[ZKT_FreeLowLevelAPI]", shut) != std::string::npos,
          "the API freed in the shut-down", 0);
    return Result("leave ok");
}

} // namespace

TEST(TinyMenuRun, IndicatorAfterKeypadPlus)
{
    EXPECT_EQ(IndicatorRun(), "indicator ok");
}

TEST(TinyMenuRun, MenuFreezesThePresentation)
{
    EXPECT_EQ(PauseRun(), "pause ok");
}

TEST(TinyMenuRun, LeaveEndsThroughTheShutDown)
{
    EXPECT_EQ(LeaveRun(), "leave ok");
}
