// Desktop back end: the keyboard as the handheld's buttons or as an input
// device, window events, the pointer and the window title.
#include "lowlevel/desktop/zkt_lowLevelWin.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstring>

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

void ZKT_WinResetInput()
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

void ZKT_WinInstallEventHandling()
{
#ifndef __EMSCRIPTEN__ // the browser's SDL has neither (nor signals)
    SDL_SetEventFilter(QuitFilter);
    // The pointer is read as a state each frame; queued motion would only
    // crowd out the events that matter.
    SDL_EventState(SDL_MOUSEMOTION, SDL_IGNORE);
#endif
}

static char s_strCaption[128];
static char s_strCaptionExtra[160];
static char s_strCaptionLayers[96];

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

void ZKT_WinSetCaption(const char *caption)
{
    std::snprintf(s_strCaption, sizeof s_strCaption, "%s", caption ? caption : "");
    s_strCaptionExtra[0] = 0;
    s_strCaptionLayers[0] = 0;
    ApplyCaption();
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
