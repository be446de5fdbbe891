// The viewer's clock keys: pause, frame step, moving by music positions and
// restarting. They act through the same presentation clock and music pause
// as the tiny menu, so picture and sound stay in step.
#include <mikmod.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/demo.h"
#include "runtime/music.h"
#include "tools/zkt_basictools.h"
#include "ui/zkt_tinymenu_vol.h"

typedef uint64_t u64;

const DEMO_VIEWER *g_pDemoViewer = nullptr;

static u32 s_bPaused = 0;
static u32 s_bTrace = 0;
static u32 s_ulLastPosition = 0xFFFFFFFFu;
static char s_strStatus[64] = "";

void DEMO_ReadViewerConfig(u32 *pScale, u32 *pFullscreen)
{
    u32 v = 0;
    *pScale = 1;
    *pFullscreen = 0;
    if (u32 found = ZKT_ParseConfigKey("SCALE", &v)) {
        if (found == ZKT_CONFIG_NUMBER && v >= 1 && v <= 4)
            *pScale = v;
        else
            std::fprintf(stderr, "Vorn: SCALE in config.txt must be 1 to 4; using 1\n");
    }
    if (u32 found = ZKT_ParseConfigKey("FULLSCREEN", &v)) {
        if (found == ZKT_CONFIG_NUMBER && v <= 1)
            *pFullscreen = v;
        else
            std::fprintf(stderr, "Vorn: FULLSCREEN in config.txt must be 0 or 1; using 0\n");
    }
}

void DEMO_ViewerReset()
{
    s_bPaused = 0;
    s_ulLastPosition = 0xFFFFFFFFu;
    s_strStatus[0] = 0;
    s_bTrace = std::getenv("VORN_TRACE_CLOCK") != nullptr;
}

u32 DEMO_ViewerIsPaused()
{
    return s_bPaused;
}

u32 DEMO_ViewerNextFrameTime(u32 t)
{
    // The frames of a 60 fps capture from 0: k * 1000 / 60 ms.
    u64 k = (u64)t * DEMO_VIEW_FPS / 1000 + 1;
    while (k * 1000 / DEMO_VIEW_FPS <= t)
        k++;
    return (u32)(k * 1000 / DEMO_VIEW_FPS);
}

// Index of the start point whose section holds t.
static u32 SectionOf(u32 t)
{
    u32 i = 0;
    while (i + 1 < DEMO_START_POINT_COUNT && g_DemoStartPoints[i + 1].ulTime <= t)
        i++;
    return i;
}

static void Seek(u32 index, MODULE *module, DEMO_PART *parts, u32 mode)
{
    const DEMO_START_POINT &sp = g_DemoStartPoints[index];
    if (module) {
        Player_SetPosition((UWORD)sp.ulPosition);
        // Setting the position also lifts the player's pause.
        if (s_bPaused && !Player_Paused())
            Player_TogglePause();
    }
    ZKT_TMV_Set_Absolute_Timer(sp.ulTime);
    // The picture reaches that time as a first run would: layers as at
    // start-up, every part from its first frame, and a part already under
    // way by then paints that first frame (unseen) before the frame at the
    // new time.
    DEMO_ClearLayers();
    ZKT_ModifyRGBbpp(16);
    for (int i = 0; i < DEMO_PART_COUNT; i++)
        parts[i].pfnReset();
    for (int i = 0; i < DEMO_PART_COUNT; i++)
        if (parts[i].ulStart < sp.ulTime && sp.ulTime < parts[i].ulEnd)
            parts[i].pfnPaint(0, parts[i].ulEnd - parts[i].ulStart, mode);
}

static void Status(u32 t)
{
    char text[64] = "";
    if (s_bPaused)
        std::snprintf(text, sizeof text, " - paused at %u ms", t);
    if (std::strcmp(text, s_strStatus) != 0) {
        std::snprintf(s_strStatus, sizeof s_strStatus, "%s", text);
        g_pDemoViewer->pfnStatus(text);
    }
}

u32 DEMO_ViewerRound(MODULE *module, DEMO_PART *parts, u32 mode, u32 *pT, u32 *pInput)
{
    u32 bPaint = !s_bPaused;
    const bool menuIdle = ZKT_TMV_TinyMenu_GetState() == 0 && !g_TMV_TINYMENU_SHOW;
    for (u32 key; (key = g_pDemoViewer->pfnKey()) != 0;) {
        const char *what = nullptr;
        if (key == 2 && menuIdle) {
            if (!s_bPaused) {
                // Held at this round's time, which is still painted.
                ZKT_TMV_Pause_Absolute_Timer();
                ZKT_TMV_Set_Absolute_Timer(*pT);
                TinyMenu_TogglePause();
                s_bPaused = 1;
                what = "pause";
            } else {
                ZKT_TMV_Resume_Absolute_Timer();
                TinyMenu_TogglePause();
                s_bPaused = 0;
                bPaint = 1;
                what = "resume";
            }
        } else if (key == 3 && s_bPaused) {
            *pT = DEMO_ViewerNextFrameTime(*pT);
            ZKT_TMV_Set_Absolute_Timer(*pT);
            bPaint = 1;
            what = "step";
        } else if ((key == 4 || key == 5 || key == 6) && menuIdle) {
            const u32 cur = SectionOf(*pT);
            u32 to = 0;
            if (key == 4)
                to = cur ? cur - 1 : 0;
            else if (key == 5)
                to = cur + 1 < DEMO_START_POINT_COUNT ? cur + 1 : cur;
            if (key == 5 && to == cur)
                continue; // no position after the last
            Seek(to, module, parts, mode);
            *pT = g_DemoStartPoints[to].ulTime;
            bPaint = 1;
            what = key == 4 ? "back" : key == 5 ? "forward" : "restart";
        }
        if (what && s_bTrace)
            std::fprintf(stderr, "viewer: %s, time %u ms, module position %d\n", what, *pT,
                         module ? (int)module->sngpos : -1);
    }
    // While paused the menu cannot open: its own pause would undo ours.
    if (s_bPaused)
        *pInput &= ~(u32)(ZKT_BTN_START | ZKT_BTN_B);
    if (s_bTrace && module && (u32)module->sngpos != s_ulLastPosition) {
        s_ulLastPosition = (u32)module->sngpos;
        std::fprintf(stderr, "clock: time %u ms, module position %u\n", *pT, s_ulLastPosition);
    }
    Status(*pT);
    return bPaint;
}
