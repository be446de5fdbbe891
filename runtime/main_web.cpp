// Entry point of the browser build. The program is the desktop one; the
// page gets its turn at every wait of the model's clock (the loop is
// suspended there and resumed by the browser), and the window picture,
// composed at 24 bits as everywhere else, reaches the 32-bit canvas once per
// round of the loop.
#include <emscripten.h>
#include <SDL/SDL.h>
#include <mikmod.h>

#include <cstring>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "runtime/demo.h"
#include "runtime/music.h"
#include "ui/zkt_tinymenu_vol.h"

static SDL_Surface *s_pCanvas = nullptr; // the page's canvas surface
static SDL_Surface *s_pWindow = nullptr; // the 24-bit window picture
// The page's SDL makes every surface 32-bit; the window picture is ours.
static SDL_Surface s_Window;
static SDL_PixelFormat s_WindowFormat;
static u8 s_ucWindowPixels[ZKT_MAX_OUT_W * ZKT_MAX_OUT_H * 3];
static u32 s_ulFrames = 0;

// A held run (the page's test hook) reaches one presentation time on a clock
// of its own as vorn-capture --at does, through rounds at 60 per second
// from 0 that are painted but not composed, shows that one frame and stands
// still.
#define HOLD_FPS 60u
static u32 s_bHold = 0, s_ulHoldAt = 0, s_ulHoldNow = 0;
static u32 s_ulHoldRound = 0, s_ulHoldLead = 0;

static u32 HoldRoundTime(u32 r)
{
    return r < s_ulHoldLead ? (u32)((uint64_t)r * 1000 / HOLD_FPS) : s_ulHoldAt;
}
static u32 HoldSkipCompose() { return s_ulHoldRound < s_ulHoldLead ? 1 : 0; }

static void PageSleep(u32 ms) { emscripten_sleep(ms); }
static u32 HeldClock() { return s_ulHoldNow; }
static void HeldSleep(u32) {}

static void Present()
{
    SDL_Surface *dst = s_pCanvas, *src = s_pWindow;
    if (!dst || !src || dst != SDL_GetVideoSurface() || dst->format->BytesPerPixel != 4)
        return;
    if (SDL_LockSurface(dst) < 0)
        return;
    const int w = dst->w < src->w ? dst->w : src->w, h = dst->h < src->h ? dst->h : src->h;
    // The canvas takes red, green, blue and alpha bytes in that order,
    // whatever masks its surface reports.
    for (int y = 0; y < h; y++) {
        const u8 *s = (const u8 *)src->pixels + y * src->pitch;
        u8 *d = (u8 *)dst->pixels + y * dst->pitch;
        for (int x = 0; x < w; x++, s += 3, d += 4) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
            d[3] = 0xFF;
        }
    }
    SDL_UnlockSurface(dst); // this is what copies it onto the canvas
}

static void OnTrace(const char *step)
{
    if (std::strcmp(step, "loop") != 0)
        return;
    // The mode is set: from here on the compositor draws into a 24-bit
    // picture of the window's size, never into the canvas itself.
    s_pCanvas = g_Screen;
    if (s_pCanvas && s_pCanvas->w <= ZKT_MAX_OUT_W && s_pCanvas->h <= ZKT_MAX_OUT_H) {
        s_WindowFormat = SDL_PixelFormat();
        s_WindowFormat.BitsPerPixel = 24;
        s_WindowFormat.BytesPerPixel = 3;
        s_Window = SDL_Surface();
        s_Window.format = &s_WindowFormat;
        s_Window.w = s_pCanvas->w;
        s_Window.h = s_pCanvas->h;
        s_Window.pitch = s_pCanvas->w * 3;
        s_Window.pixels = s_ucWindowPixels;
        s_pWindow = g_Screen = &s_Window;
        g_ulWinPictureSerial++;
    }
    if (s_bHold) {
        s_ulHoldLead = (u32)(((uint64_t)s_ulHoldAt * HOLD_FPS + 999) / 1000);
        s_ulHoldRound = 0;
        s_ulHoldNow = HoldRoundTime(0);
    }
}

static void OnFrameDone(u32 t)
{
    if (s_bHold && s_ulHoldRound < s_ulHoldLead) {
        s_ulHoldNow = HoldRoundTime(++s_ulHoldRound);
        return;
    }
    Present();
    s_ulFrames++;
    EM_ASM({ if (Module.onVornFrame) Module.onVornFrame($0, $1); }, s_ulFrames, t);
    while (s_bHold)
        emscripten_sleep(1000);
}

extern "C" {

// Before main: run held at t ms.
EMSCRIPTEN_KEEPALIVE void VORN_WebHoldAt(u32 t)
{
    s_bHold = 1;
    s_ulHoldAt = t;
}

// What the page and its test read back: volume step, whether its indicator
// shows, and the tiny menu's state, in one word.
EMSCRIPTEN_KEEPALIVE u32 VORN_WebState()
{
    return (g_TMV_VOLUME_INDEX & 0xFF) | (g_TMV_IS_VOLUME_SHOW ? 0x100u : 0) | (ZKT_TMV_TinyMenu_GetState() & 0xFF) << 16;
}

// Time of the fastest of n compositions of the current model state, in ms
// (the fastest, since the page shares the machine with everything else).
EMSCRIPTEN_KEEPALIVE double VORN_WebTimeCompose(u32 n)
{
    if (!g_GP2X_VIDEO_BASE_PTR || n == 0)
        return -1;
    double best = 1e9;
    for (u32 i = 0; i < n; i++) {
        const double t0 = emscripten_get_now();
        ZKT_LowLevelAPI_SoftRender_Compose();
        const double t = emscripten_get_now() - t0;
        best = t < best ? t : best;
    }
    return best;
}

} // extern "C"

int main(int argc, char **argv)
{
    g_pfnZKTClock = s_bHold ? HeldClock : nullptr;
    g_pfnZKTSleep = s_bHold ? HeldSleep : PageSleep;
    g_pfnDemoTrace = OnTrace;
    g_pfnDemoSkipCompose = s_bHold ? HoldSkipCompose : nullptr;
    DEMO_PLATFORM platform = {"Vorn.exe [/?] [/music]", 1, &drv_sdl12, 44100, -1, OnFrameDone};
    const int rc = DEMO_Main(argc, argv, g_DemoParts, &platform);
    s_pWindow = s_pCanvas = nullptr;
    EM_ASM({ if (Module.onVornEnd) Module.onVornEnd($0); }, rc);
    return rc;
}
