// The demo runtime: start-up, the timed part table, the main loop and the
// shut-down order, shared by the desktop and handheld entry points.
#ifndef VORN_DEMO_H
#define VORN_DEMO_H

#include "lowlevel/zkt_lowLevel.h"

struct MDRIVER;
struct MODULE;

// One timed part of the presentation: painted while start <= t < end.
struct DEMO_PART {
    u32 ulStart;
    u32 ulEnd;
    u32 (*pfnReset)();
    u32 (*pfnInit)(u32 mode);
    u32 (*pfnPaint)(u32 t, u32 length, u32 mode);
};

// A demo time and the module order position that plays at that time.
struct DEMO_START_POINT {
    u32 ulTime;
    u32 ulPosition;
};
static_assert(sizeof(DEMO_START_POINT) == 8, "two words per start point");

#define DEMO_PART_COUNT 2
#define DEMO_START_POINT_COUNT 20
#define DEMO_END_MS 126000u

extern const DEMO_START_POINT g_DemoStartPoints[DEMO_START_POINT_COUNT];
// The presentation's two parts, in table order.
extern const DEMO_PART g_DemoParts[DEMO_PART_COUNT];

// What differs between the two builds; the entry point fills it in.
struct DEMO_PLATFORM {
    const char *strUsage;     // the usage line written at every start
    u32 bDesktop;             // window icon, compositor and extra player updates
    MDRIVER *pSoundDriver;    // libmikmod output driver
    u32 ulMixFreq;            // mixing rate in Hz
    s32 nDisplayMode;         // -1: the build's own choice; else this mode (capture)
    // Optional: called once per round after the frame is shown, with the
    // demo time of that round (frame capture uses it); null in the product.
    void (*pfnFrameDone)(u32 t);
};

// Runs the whole presentation; returns the process exit code. Paths that
// end the process early (help, music extraction) call exit themselves.
int DEMO_Main(int argc, char **argv, const DEMO_PART *parts, const DEMO_PLATFORM *platform);

// Asks the main loop to leave after the current round, through the normal
// shut-down order, as the leave button would (from pfnFrameDone: tests and
// tools that drive their own clock). Cleared when DEMO_Main starts.
void DEMO_RequestLeave();

// Shut-down steps 1 to 7: every layer off, the screen memory cleared and
// the whole RGB layer shown again.
void DEMO_ClearLayers();

// The configured CPU clock in MHz, kept to 175..266.
u32 DEMO_ClampClock(u32 mhz);

// --- Viewer controls of the desktop window (runtime/demo_viewer.cpp) ---
struct DEMO_VIEWER {
    // Scale (1..4) and full screen from "config.txt", before the window opens.
    void (*pfnStart)(u32 scale, u32 bFullscreen);
    // The next clock key pressed, as its function key number: 2 pause,
    // 3 one frame forward, 4 and 5 back and forward one music position,
    // 6 restart; 0 when none is waiting.
    u32 (*pfnKey)();
    // The viewer's state for the window title ("" when nothing to say).
    void (*pfnStatus)(const char *text);
};
// Set by the desktop program before DEMO_Main; null (no viewer) elsewhere.
extern const DEMO_VIEWER *g_pDemoViewer;
// Frame step of the pause: to the next frame of a 60 fps capture from 0.
#define DEMO_VIEW_FPS 60
u32 DEMO_ViewerNextFrameTime(u32 t);
// SCALE= (1..4) and FULLSCREEN= (0 or 1) from "config.txt"; a bad value
// gives the default and one line on standard error.
void DEMO_ReadViewerConfig(u32 *pScale, u32 *pFullscreen);
void DEMO_ViewerReset();
// Once per round after the input is read: applies the clock keys, may move
// *pT, keeps the menu shut while paused (clears its buttons from *pInput);
// returns whether the parts paint this round.
u32 DEMO_ViewerRound(MODULE *module, DEMO_PART *parts, u32 mode, u32 *pT, u32 *pInput);

// Optional trace of the start-up and shut-down steps, for tests: every
// step reports its name before it runs.
extern void (*g_pfnDemoTrace)(const char *step);

// Optional: nonzero when this round's picture is not wanted, so the desktop
// does not compose it (a capture passing over frames it does not keep).
extern u32 (*g_pfnDemoSkipCompose)();

#endif
