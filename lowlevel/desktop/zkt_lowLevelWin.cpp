// Desktop back end: lifecycle of the hardware model, display modes, the
// clock, vertical-sync pacing and the keyboard as the handheld's buttons.
#include "lowlevel/desktop/zkt_lowLevelWin.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------
// Lifecycle

static void ResetRegions()
{
    for (int i = 0; i < 5; i++) {
        g_RGBLayerRegion[i].bShow = 1;
        g_RGBLayerRegion[i].bEnable = 0;
    }
    g_RGBLayerRegion[4].bEnable = 1;
}

static void OutputSize(u32 mode, int *pW, int *pH)
{
    if (ZKT_ModeIsLCD(mode)) {
        *pW = 660; // room for the pictured handheld around the 320x240 screen
        *pH = 380;
    } else {
        *pW = ZKT_ModeWidth(mode);
        *pH = ZKT_ModeHeight(mode);
    }
}

static void ResetInputState();
static void InstallEventHandling();
static void ApplyCaption();
static char s_strCaption[128];
static char s_strCaptionExtra[160];
static char s_strCaptionLayers[96];

u32 ZKT_InitLowLevelAPI(const char *caption)
{
    std::printf("ZKT low-level API, desktop hardware model 1.0\n");
    g_bEnableGamma = 0;
    g_bSaveOnDisk = 0;

    for (u32 i = 0; i < 256; i++) {
        g_ulGammaTable[i] = i + i * 256 + i * 65536;
        g_ulRGBColorTable[i] = 0;
    }

    g_bGP2XBatteryLEDState = 0;
    g_bOSDLayerEnable = 0;
    g_ulOSDHeaderOddField = 0;
    g_ulOSDHeaderEvenField = 0;
    g_cursorLayer.bEnable = 0;
    g_YUVPlane[0].bEnable = 0;
    g_YUVPlane[1].bEnable = 0;
    ResetRegions();
    ResetInputState();
    ZKT_ResetVSyncPacing();

    if (!g_pGP2X_DUALCORE_MEM)
        g_pGP2X_DUALCORE_MEM = (u8 *)std::malloc(ZKT_DUALCORE_MEM_SIZE);
    if (!g_pGP2X_DUALCORE_MEM) {
        SDL_SetError("could not allocate the second core's shared memory");
        return ZKT_ERR_INIT;
    }
    ZKT_DualCoreResetQueue();

    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO | SDL_INIT_JOYSTICK) < 0)
        return ZKT_ERR_INIT;
    SDL_ShowCursor(1);
    InstallEventHandling();
    g_Screen = ZKT_WinOpenWindow(660, 380);
    if (!g_Screen)
        return ZKT_ERR_INIT;

    if (!g_GP2X_VIDEO_BASE_PTR)
        g_GP2X_VIDEO_BASE_PTR = (u8 *)std::malloc(ZKT_VIDEO_MEM_SIZE);
    if (!g_GP2X_VIDEO_BASE_PTR) {
        SDL_SetError("could not allocate 8 MiB of video memory");
        return ZKT_ERR_INIT;
    }
    g_nColorBitDepth = 16;
    g_nScreenSizeX = 320;
    g_nScreenSizeY = 240;
    g_ulGP2X_FRAME_COUNT = 0;
    g_ulDISPLAY_MODE = 0;
    std::snprintf(s_strCaption, sizeof s_strCaption, "%s", caption ? caption : "");
    s_strCaptionExtra[0] = 0;
    s_strCaptionLayers[0] = 0;
    ApplyCaption();

    for (u32 q = 0; q < 4; q++)
        ZKT_SetYUVSaturationAndHUE(q, 128, 0);
    return ZKT_OK;
}

u32 ZKT_FreeLowLevelAPI(u32 bReturnToMenu)
{
    (void)bReturnToMenu; // the desktop has no menu program to return to
    if (g_ThreadId)
        ZKT_DualCoreStop();
    std::free(g_pGP2X_DUALCORE_MEM);
    g_pGP2X_DUALCORE_MEM = nullptr;
    std::free(g_GP2X_VIDEO_BASE_PTR);
    g_GP2X_VIDEO_BASE_PTR = nullptr;
    g_Screen = nullptr;
    ZKT_WinCloseWindow();
    SDL_Quit();
    return ZKT_OK;
}

u32 ZKT_GetDisplayMode(u32 *pMode, u32 *pBitDepth)
{
    *pMode = g_ulDISPLAY_MODE;
    *pBitDepth = (u32)g_nColorBitDepth;
    return ZKT_OK;
}

u32 ZKT_SetDisplayMode(u32 mode, u32 bitDepth)
{
    g_nColorBitDepth = (s32)bitDepth;
    int w, h;
    OutputSize(mode, &w, &h);
    g_Screen = ZKT_WinOpenWindow(w, h);
    g_cursorLayer.bEnable = 0;
    // Modes past the table keep the last valid size rather than reading
    // beyond it.
    u32 m = mode <= 32 ? mode : 32;
    g_nScreenSizeX = g_nModeSizeX[m];
    g_nScreenSizeY = g_nModeSizeY[m];
    g_YUVPlane[0].bEnable = 0;
    g_YUVPlane[1].bEnable = 0;
    ResetRegions();
    g_ulDISPLAY_MODE = mode;
    return ZKT_OK;
}

u32 ZKT_ModifyRGBbpp(u32 bitDepth)
{
    g_nColorBitDepth = (s32)bitDepth;
    return ZKT_OK;
}

u32 ZKT_GetDisplaySize(u32 *pWidth, u32 *pHeight)
{
    *pWidth = (u32)g_nScreenSizeX;
    *pHeight = (u32)g_nScreenSizeY;
    return ZKT_OK;
}

u32 ZKT_SetTvInterlace(u32 bInterlace)
{
    (void)bInterlace;
    return ZKT_OK;
}

u32 ZKT_GetVideoBasePtr(u32 **ppBase)
{
    *ppBase = (u32 *)g_GP2X_VIDEO_BASE_PTR;
    return ZKT_OK;
}

u8 *ZKT_GetVideoPtrOn920(u32 offset)
{
    return g_GP2X_VIDEO_BASE_PTR + offset;
}

// ---------------------------------------------------------------------------
// Clock and pacing

u32 (*g_pfnZKTClock)() = nullptr;
void (*g_pfnZKTSleep)(u32 ms) = nullptr;

static u32 s_ulBaseFrameTime = 0;
static u32 s_ulLastFrame = 0;
static s32 s_nFrame = 0;

u32 ZKT_Clock()
{
    return g_pfnZKTClock ? g_pfnZKTClock() : SDL_GetTicks();
}

void ZKT_Sleep(u32 ms)
{
    if (g_pfnZKTSleep)
        g_pfnZKTSleep(ms);
    else
        SDL_Delay(ms);
}

void ZKT_ResetVSyncPacing()
{
    s_ulLastFrame = 0;
    s_nFrame = 0;
}

u32 ZKT_GetTime(u32 *pMs)
{
    *pMs = ZKT_Clock();
    return ZKT_OK;
}

u32 ZKT_ResetFrameTime()
{
    g_ulGP2X_FRAME_COUNT = 0;
    return ZKT_OK;
}

u32 ZKT_GetFrameTime(u32 *pMs)
{
    u32 now = ZKT_Clock();
    if (g_ulGP2X_FRAME_COUNT == 0) {
        s_ulBaseFrameTime = now;
        *pMs = 0;
    } else {
        *pMs = now - s_ulBaseFrameTime;
    }
    g_ulGP2X_FRAME_COUNT++;
    return ZKT_OK;
}

u32 ZKT_GetFrameCount(u32 *pCount)
{
    *pCount = g_ulGP2X_FRAME_COUNT;
    return ZKT_OK;
}

u32 ZKT_DelayMS(u32 ms)
{
    ZKT_Sleep(ms);
    return ZKT_OK;
}

// Paces pairs of frames: every second call waits until 17 ms have passed
// since the call before it, which averages two frames per ~17 ms window.
u32 ZKT_WaitVSync()
{
    u32 now = ZKT_Clock();
    if (s_nFrame & 1) {
        u32 elapsed = now - s_ulLastFrame;
        ZKT_Sleep(elapsed < 17 ? 17 - elapsed : 4);
    }
    s_ulLastFrame = now;
    s_nFrame++;
    return ZKT_OK;
}

u32 ZKT_WaitHSync()
{
    return ZKT_OK;
}

u32 ZKT_WaitVSync2()
{
    return ZKT_OK;
}

// ---------------------------------------------------------------------------
// Keyboard as buttons, or as input-device events

struct KeyBit {
    SDLKey key;
    u32 ulMask;
};

static constexpr KeyBit s_ButtonKeys[20] = {
    {SDLK_KP8, 0x00001},      {SDLK_KP7, 0x00002},     {SDLK_KP4, 0x00004},      {SDLK_KP1, 0x00008},
    {SDLK_KP2, 0x00010},      {SDLK_KP3, 0x00020},     {SDLK_KP6, 0x00040},      {SDLK_KP9, 0x00080},
    {SDLK_PAGEDOWN, 0x00100}, {SDLK_DELETE, 0x00200},  {SDLK_KP_DIVIDE, 0x00400}, {SDLK_KP_MULTIPLY, 0x00800},
    {SDLK_HOME, 0x01000},     {SDLK_PAGEUP, 0x02000},  {SDLK_INSERT, 0x04000},   {SDLK_END, 0x08000},
    {SDLK_KP_MINUS, 0x10000}, {SDLK_KP_PLUS, 0x20000}, {SDLK_KP5, 0x40000},      {SDLK_ESCAPE, 0x80000},
};

// Keyboards without a keypad: the arrows as the stick, the main row's - and
// = as volume.
static constexpr KeyBit s_ExtraButtonKeys[6] = {
    {SDLK_UP, 0x00001},    {SDLK_LEFT, 0x00004},  {SDLK_DOWN, 0x00010},
    {SDLK_RIGHT, 0x00040}, {SDLK_MINUS, 0x10000}, {SDLK_EQUALS, 0x20000},
};

struct KeyCode {
    SDLKey key;
    u16 usCode;
};

// SDL key symbol to the Linux input key code a USB keyboard would deliver.
static constexpr KeyCode s_DeviceKeys[105] = {
    {SDLK_a, 30}, {SDLK_b, 48}, {SDLK_c, 46}, {SDLK_d, 32}, {SDLK_e, 18}, {SDLK_f, 33}, {SDLK_g, 34},
    {SDLK_h, 35}, {SDLK_i, 23}, {SDLK_j, 36}, {SDLK_k, 37}, {SDLK_l, 38}, {SDLK_m, 50}, {SDLK_n, 49},
    {SDLK_o, 24}, {SDLK_p, 25}, {SDLK_q, 16}, {SDLK_r, 19}, {SDLK_s, 31}, {SDLK_t, 20}, {SDLK_u, 22},
    {SDLK_v, 47}, {SDLK_w, 17}, {SDLK_x, 45}, {SDLK_y, 21}, {SDLK_z, 44},
    {SDLK_0, 11}, {SDLK_1, 2}, {SDLK_2, 3}, {SDLK_3, 4}, {SDLK_4, 5}, {SDLK_5, 6}, {SDLK_6, 7},
    {SDLK_7, 8}, {SDLK_8, 9}, {SDLK_9, 10},
    {SDLK_KP0, 82}, {SDLK_KP1, 79}, {SDLK_KP2, 80}, {SDLK_KP3, 81}, {SDLK_KP4, 75}, {SDLK_KP5, 76},
    {SDLK_KP6, 77}, {SDLK_KP7, 71}, {SDLK_KP8, 72}, {SDLK_KP9, 73},
    {SDLK_F1, 59}, {SDLK_F2, 60}, {SDLK_F3, 61}, {SDLK_F4, 62}, {SDLK_F5, 63}, {SDLK_F6, 64},
    {SDLK_F7, 65}, {SDLK_F8, 66}, {SDLK_F9, 67}, {SDLK_F10, 68}, {SDLK_F11, 87}, {SDLK_F12, 88},
    {SDLK_F13, 85}, {SDLK_F14, 89}, {SDLK_F15, 90},
    {SDLK_BACKSPACE, 14}, {SDLK_TAB, 15}, {SDLK_RETURN, 28}, {SDLK_PAUSE, 119}, {SDLK_ESCAPE, 1},
    {SDLK_SPACE, 57}, {SDLK_RSHIFT, 54}, {SDLK_LSHIFT, 42}, {SDLK_RCTRL, 97}, {SDLK_LCTRL, 29},
    {SDLK_RALT, 100}, {SDLK_LALT, 56}, {SDLK_RMETA, 126}, {SDLK_LMETA, 125}, {SDLK_CAPSLOCK, 58},
    {SDLK_NUMLOCK, 69}, {SDLK_DELETE, 111}, {SDLK_KP_PERIOD, 83}, {SDLK_KP_DIVIDE, 98},
    {SDLK_KP_MULTIPLY, 55}, {SDLK_KP_MINUS, 74}, {SDLK_KP_PLUS, 78}, {SDLK_KP_ENTER, 96},
    {SDLK_KP_EQUALS, 117}, {SDLK_UP, 103}, {SDLK_DOWN, 108}, {SDLK_RIGHT, 106}, {SDLK_LEFT, 105},
    {SDLK_INSERT, 110}, {SDLK_HOME, 102}, {SDLK_END, 107}, {SDLK_PAGEUP, 104}, {SDLK_PAGEDOWN, 109},
    {SDLK_MINUS, 12}, {SDLK_EQUALS, 13}, {SDLK_LEFTBRACKET, 26}, {SDLK_RIGHTBRACKET, 27},
    {SDLK_SEMICOLON, 39}, {SDLK_QUOTE, 40}, {SDLK_CARET, 41}, {SDLK_BACKSLASH, 43}, {SDLK_COMMA, 51},
    {SDLK_PERIOD, 52}, {SDLK_SLASH, 53},
};

static u32 s_bReadGP2XMode = 1;
static u32 s_bScrollLockDown = 0;
static u32 s_ulGP2XInputState = 0;
// Buttons pressed and released within one read: still reported held by
// that read and released at the next, so a quick tap lasts a frame.
static u32 s_ulPressedThisRead = 0;
static u32 s_ulReleaseNextRead = 0;

// Device events wait here until the program takes them, oldest first.
struct DeviceEvent {
    u16 usType, usCode;
    u32 unValue;
};
#define ZKT_WIN_DEVICE_QUEUE 64
static DeviceEvent s_DeviceQueue[ZKT_WIN_DEVICE_QUEUE];
static u32 s_ulDeviceHead = 0, s_ulDeviceCount = 0;

// A window close or SIGINT/SIGTERM, in either keyboard mode; never forgotten.
// Set from SDL's event filter, which also runs inside its signal handler and
// sees a quit even when the event queue is full.
static std::atomic<u32> s_bQuitRequested{0};

// A left click seen in the event queue: the compositor's next pointer read
// reports it pressed even if the button was released again meanwhile.
static u32 s_bClickLatched = 0;
static s32 s_nClickX = 0, s_nClickY = 0;

static void ResetInputState()
{
    s_bReadGP2XMode = 1;
    s_bScrollLockDown = 0;
    s_ulGP2XInputState = 0;
    s_ulPressedThisRead = s_ulReleaseNextRead = 0;
    s_ulDeviceHead = s_ulDeviceCount = 0;
    s_bQuitRequested = 0;
    s_bClickLatched = 0;
}

#ifndef __EMSCRIPTEN__
static int QuitFilter(const SDL_Event *ev)
{
    if (ev->type == SDL_QUIT)
        s_bQuitRequested = 1;
    return 1;
}
#endif

static void InstallEventHandling()
{
#ifndef __EMSCRIPTEN__ // the browser's SDL has neither (nor signals)
    SDL_SetEventFilter(QuitFilter);
    // The pointer is read as a state each frame; queued motion would only
    // crowd out the events that matter.
    SDL_EventState(SDL_MOUSEMOTION, SDL_IGNORE);
#endif
}

static void ApplyCaption()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    char title[512];
    std::snprintf(title, sizeof title, "%s%s%s%s", s_strCaption,
                  s_bReadGP2XMode ? "" : " - keyboard is a USB device (Scroll Lock)", s_strCaptionExtra,
                  s_strCaptionLayers);
    SDL_WM_SetCaption(title, s_strCaption);
}

void ZKT_WinSetCaptionExtra(const char *extra)
{
    if (std::strcmp(extra, s_strCaptionExtra) == 0)
        return;
    std::snprintf(s_strCaptionExtra, sizeof s_strCaptionExtra, "%s", extra);
    ApplyCaption();
}

void ZKT_WinSetCaptionLayers(const char *text)
{
    if (std::strcmp(text, s_strCaptionLayers) == 0)
        return;
    std::snprintf(s_strCaptionLayers, sizeof s_strCaptionLayers, "%s", text);
    ApplyCaption();
}

u32 ZKT_WinKeyboardIsButtons()
{
    return s_bReadGP2XMode;
}

u32 ZKT_WinButtonMaskForKey(u32 key)
{
    u32 mask = 0;
    for (const KeyBit &k : s_ButtonKeys)
        if ((u32)k.key == key)
            mask |= k.ulMask;
    for (const KeyBit &k : s_ExtraButtonKeys)
        if ((u32)k.key == key)
            mask |= k.ulMask;
    return mask;
}

u32 ZKT_WinDeviceCodeForKey(u32 key)
{
    for (const KeyCode &k : s_DeviceKeys)
        if ((u32)k.key == key)
            return k.usCode;
    return 0;
}

static void QueueDeviceEvent(u16 code, u32 value)
{
    if (s_ulDeviceCount == ZKT_WIN_DEVICE_QUEUE) { // full: the oldest goes
        s_ulDeviceHead = (s_ulDeviceHead + 1) % ZKT_WIN_DEVICE_QUEUE;
        s_ulDeviceCount--;
    }
    DeviceEvent &e = s_DeviceQueue[(s_ulDeviceHead + s_ulDeviceCount) % ZKT_WIN_DEVICE_QUEUE];
    e.usType = 1;
    e.usCode = code;
    e.unValue = value;
    s_ulDeviceCount++;
}

static void HandleEvent(const SDL_Event &ev)
{
    const bool down = ev.type == SDL_KEYDOWN;
    const bool up = ev.type == SDL_KEYUP;
    if (ev.type == SDL_QUIT) {
        s_bQuitRequested = 1;
        return;
    }
    if (ev.type == SDL_MOUSEBUTTONDOWN && ev.button.button == SDL_BUTTON_LEFT) {
        s_bClickLatched = 1;
        s_nClickX = ev.button.x;
        s_nClickY = ev.button.y;
        return;
    }
    if (!down && !up)
        return;
    const SDLKey sym = ev.key.keysym.sym;
    if (sym == SDLK_SCROLLOCK) {
        if (down && !s_bScrollLockDown) {
            s_bScrollLockDown = 1;
        } else if (up && s_bScrollLockDown) {
            s_bScrollLockDown = 0;
            s_bReadGP2XMode = !s_bReadGP2XMode;
            ApplyCaption();
        }
    }
    if (s_bReadGP2XMode) {
        if (down && ZKT_WinViewerKey(sym, ev.key.keysym.mod))
            return;
        const u32 m = ZKT_WinButtonMaskForKey(sym);
        if (down) {
            s_ulGP2XInputState |= m;
            s_ulPressedThisRead |= m;
            s_ulReleaseNextRead &= ~m;
        } else {
            s_ulReleaseNextRead |= m & s_ulPressedThisRead;
            s_ulGP2XInputState &= ~(m & ~s_ulPressedThisRead);
        }
    } else if (u32 code = ZKT_WinDeviceCodeForKey(sym)) {
        QueueDeviceEvent((u16)code, down ? 1 : 0);
    }
}

u32 ZKT_WinReadSDLEvent(u32 bGP2XMode, u32 *pButtons, u16 *pType, u16 *pCode, u32 *pValue)
{
    s_ulGP2XInputState &= ~s_ulReleaseNextRead;
    s_ulReleaseNextRead = s_ulPressedThisRead = 0;
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        SDL_Event ev;
        while (SDL_PollEvent(&ev))
            HandleEvent(ev);
    }
    *pButtons = s_ulGP2XInputState | g_ulGP2XInputStateWinGUI | (s_bQuitRequested ? ZKT_BTN_EXIT : 0);
    if (s_ulDeviceCount) {
        const DeviceEvent &e = s_DeviceQueue[s_ulDeviceHead];
        *pType = e.usType;
        *pCode = e.usCode;
        *pValue = e.unValue;
        if (!bGP2XMode) { // taken
            s_ulDeviceHead = (s_ulDeviceHead + 1) % ZKT_WIN_DEVICE_QUEUE;
            s_ulDeviceCount--;
        }
    } else {
        *pType = *pCode = 0;
        *pValue = 0;
    }
    return bGP2XMode == s_bReadGP2XMode ? 1 : 0;
}

u32 ZKT_WinReadPointer(s32 *pX, s32 *pY)
{
    int x = -1, y = -1;
    SDL_PumpEvents();
    u32 pressed = SDL_GetMouseState(&x, &y) & SDL_BUTTON(SDL_BUTTON_LEFT) ? 1 : 0;
    if (!pressed && s_bClickLatched) {
        pressed = 1;
        x = s_nClickX;
        y = s_nClickY;
    }
    s_bClickLatched = 0;
    *pX = x;
    *pY = y;
    ZKT_WinMapPointer(pX, pY);
    return pressed;
}

u32 ZKT_GetGP2XInputState(u32 *pButtons)
{
    u16 type, code;
    u32 value;
    ZKT_WinReadSDLEvent(1, pButtons, &type, &code, &value);
    return ZKT_OK;
}

u32 ZKT_GetHIDEvent(u16 device, u16 *pType, u16 *pCode, u32 *pValue)
{
    if (device != 0)
        return ZKT_NO_DEVICE;
    u32 buttons;
    u16 type, code;
    u32 value;
    if (!ZKT_WinReadSDLEvent(0, &buttons, &type, &code, &value))
        return ZKT_NO_DEVICE;
    if (type == 0 || code == 0)
        return ZKT_NO_EVENT;
    *pType = type;
    *pCode = code;
    *pValue = value;
    return ZKT_EVENT_READY;
}

u32 ZKT_HIDDetection(u32 bOpen)
{
    (void)bOpen;
    return ZKT_ERR_NOT_AVAILABLE;
}

u32 ZKT_GetTouchScreen(u16 *p1, u16 *p2, u16 *p3)
{
    (void)p1;
    (void)p2;
    (void)p3;
    return ZKT_ERR_NOT_AVAILABLE;
}
