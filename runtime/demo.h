// The demo runtime: start-up, the timed part table, the main loop and the
// shut-down order, shared by the desktop and handheld entry points.
#ifndef VORN_DEMO_H
#define VORN_DEMO_H

#include "lowlevel/zkt_lowLevel.h"

struct MDRIVER;

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

// The configured CPU clock in MHz, kept to 175..266.
u32 DEMO_ClampClock(u32 mhz);

// Optional trace of the start-up and shut-down steps, for tests: every
// step reports its name before it runs.
extern void (*g_pfnDemoTrace)(const char *step);

// Optional: nonzero when this round's picture is not wanted, so the desktop
// does not compose it (a capture passing over frames it does not keep).
extern u32 (*g_pfnDemoSkipCompose)();

#endif
