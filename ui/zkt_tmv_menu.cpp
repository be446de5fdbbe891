// Tiny pause menu in the hardware cursor, the per-frame handling of the
// volume buttons, and the presentation clock that stands still while paused.
#include <cmath>

#include "assets/assets.h"
#include "tools/zkt_basictools.h"
#include "ui/zkt_tinymenu_vol.h"
#include "ui/zkt_tmv_internal.h"

ZKT_TMV_PLAYER_HOOKS g_TMV_PLAYER_HOOKS = {nullptr, nullptr};
u32 g_TMV_TINYMENU_STATE = ZKT_TMV_STATE_RUNNING;
u32 g_TMV_TINYMENU_SHOW = 0;
u32 g_TMV_TINYMENU_SELITEM = 0;
u32 g_TMV_TINYMENU_FADEIN_UNTIL_TIME = 0, g_TMV_TINYMENU_FADEOUT_UNTIL_TIME = 0;
u32 g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME = 0, g_TMV_TINYMENU_DO_PREV_UNTIL_TIME = 0;
u32 g_TMV_TINYMENU_TIME_START_SHOWING = 0;
u32 g_TMV_TINYMENU_NEXT_PRESSED = 0, g_TMV_TINYMENU_PREV_PRESSED = 0;
u16 g_TMV_TINYMENU_POSX = 144, g_TMV_TINYMENU_POSY = 104;
u32 g_TMV_Tinymenu_LCD = 1;
u32 g_TMV_ABSOLUTE_TIMER_START = 0;
u32 g_TMV_ABSOLUTE_TIMER_START_PAUSE = 0;
alignas(4) u8 g_TMV_TINYMENU_BUFFER[ZKT_TMV_SLOT_SIZE];

// Whether the clock is stopped. Kept apart from the pause start so that a
// pause beginning at time 0 still counts as one.
static u32 s_bTMV_CLOCK_PAUSED = 0;

#define TMV_BTN_VOLUME (ZKT_BTN_VOLDOWN | ZKT_BTN_VOLUP)

// ---- presentation clock ----

u32 ZKT_TMV_Start_Absolute_Timer()
{
    g_TMV_ABSOLUTE_TIMER_START = ZKT_TMV_Now();
    return ZKT_OK;
}

u32 ZKT_TMV_Retrieve_Absolute_Timer()
{
    if (s_bTMV_CLOCK_PAUSED)
        return g_TMV_ABSOLUTE_TIMER_START_PAUSE - g_TMV_ABSOLUTE_TIMER_START;
    return ZKT_TMV_Now() - g_TMV_ABSOLUTE_TIMER_START;
}

static void PauseClock(u32 now)
{
    // A pause already running is folded into the origin first, so that pauses
    // add up instead of the newer one hiding the older.
    if (s_bTMV_CLOCK_PAUSED)
        g_TMV_ABSOLUTE_TIMER_START += now - g_TMV_ABSOLUTE_TIMER_START_PAUSE;
    g_TMV_ABSOLUTE_TIMER_START_PAUSE = now;
    s_bTMV_CLOCK_PAUSED = 1;
}

static void ResumeClock(u32 now)
{
    if (s_bTMV_CLOCK_PAUSED)
        g_TMV_ABSOLUTE_TIMER_START += now - g_TMV_ABSOLUTE_TIMER_START_PAUSE;
    g_TMV_ABSOLUTE_TIMER_START_PAUSE = 0;
    s_bTMV_CLOCK_PAUSED = 0;
}

u32 ZKT_TMV_Pause_Absolute_Timer()
{
    PauseClock(ZKT_TMV_Now());
    return ZKT_OK;
}

u32 ZKT_TMV_Resume_Absolute_Timer()
{
    ResumeClock(ZKT_TMV_Now());
    return ZKT_OK;
}

u32 ZKT_TMV_Set_Absolute_Timer(u32 ms)
{
    const u32 ref = s_bTMV_CLOCK_PAUSED ? g_TMV_ABSOLUTE_TIMER_START_PAUSE : ZKT_TMV_Now();
    g_TMV_ABSOLUTE_TIMER_START = ref - ms;
    return ZKT_OK;
}

// ---- state changes ----

u32 ZKT_TMV_TinyMenu_Initialize(u32 bLCD, u32 bPAL)
{
    g_TMV_Tinymenu_LCD = bLCD ? 1 : 0;
    if (bLCD) {
        g_TMV_TINYMENU_POSX = 144;
        g_TMV_TINYMENU_POSY = 104;
    } else {
        g_TMV_TINYMENU_POSX = 328;
        g_TMV_TINYMENU_POSY = bPAL ? 130 : 90;
    }
    g_TMV_TINYMENU_STATE = ZKT_TMV_STATE_RUNNING;
    g_TMV_TINYMENU_SHOW = 0;
    g_TMV_TINYMENU_SELITEM = 0;
    g_TMV_TINYMENU_FADEIN_UNTIL_TIME = g_TMV_TINYMENU_FADEOUT_UNTIL_TIME = 0;
    g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME = g_TMV_TINYMENU_DO_PREV_UNTIL_TIME = 0;
    g_TMV_TINYMENU_TIME_START_SHOWING = 0;
    g_TMV_TINYMENU_NEXT_PRESSED = g_TMV_TINYMENU_PREV_PRESSED = 0;
    g_TMV_ABSOLUTE_TIMER_START = g_TMV_ABSOLUTE_TIMER_START_PAUSE = 0;
    s_bTMV_CLOCK_PAUSED = 0;
    // The television bitmap's lower halves are never drawn into: transparent.
    ZKT_MEMSET(g_TMV_TINYMENU_BUFFER, 0xAA, sizeof g_TMV_TINYMENU_BUFFER);
    return ZKT_OK;
}

u32 ZKT_TMV_TinyMenu_GetState() { return g_TMV_TINYMENU_STATE; }

static void TogglePlayerPause()
{
    if (g_TMV_PLAYER_HOOKS.pfnTogglePause)
        g_TMV_PLAYER_HOOKS.pfnTogglePause();
}

static bool MenuIdle()
{
    return !g_TMV_TINYMENU_FADEIN_UNTIL_TIME && !g_TMV_TINYMENU_FADEOUT_UNTIL_TIME &&
           !g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME && !g_TMV_TINYMENU_DO_PREV_UNTIL_TIME;
}

static void Open(u32 now)
{
    g_TMV_TINYMENU_SELITEM = 0;
    g_TMV_TINYMENU_STATE = ZKT_TMV_STATE_SHOWN;
    g_TMV_TINYMENU_SHOW = 1;
    PauseClock(now);
    g_TMV_TINYMENU_TIME_START_SHOWING = now;
    g_TMV_TINYMENU_FADEIN_UNTIL_TIME = now + ZKT_TMV_MENU_FADE_MS;
    g_TMV_TINYMENU_FADEOUT_UNTIL_TIME = 0;
    g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME = g_TMV_TINYMENU_DO_PREV_UNTIL_TIME = 0;
}

static void Reopen(u32 now)
{
    g_TMV_TINYMENU_STATE = ZKT_TMV_STATE_SHOWN;
    g_TMV_TINYMENU_TIME_START_SHOWING = now;
    g_TMV_TINYMENU_FADEIN_UNTIL_TIME = now + ZKT_TMV_MENU_FADE_MS;
    g_TMV_TINYMENU_FADEOUT_UNTIL_TIME = 0;
    g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME = g_TMV_TINYMENU_DO_PREV_UNTIL_TIME = 0;
}

// Confirms the selected item; returns whether the music is to be resumed.
static bool Confirm(u32 now)
{
    switch (g_TMV_TINYMENU_SELITEM) {
    case 0:
        g_TMV_TINYMENU_STATE = ZKT_TMV_STATE_RUNNING;
        g_TMV_TINYMENU_FADEOUT_UNTIL_TIME = now + ZKT_TMV_MENU_FADE_MS;
        ResumeClock(now);
        g_TMV_TINYMENU_FADEIN_UNTIL_TIME = 0;
        return true;
    case 1:
        g_TMV_TINYMENU_STATE = ZKT_TMV_STATE_HIDDEN;
        g_TMV_TINYMENU_FADEOUT_UNTIL_TIME = now + ZKT_TMV_MENU_FADE_MS;
        g_TMV_TINYMENU_FADEIN_UNTIL_TIME = 0;
        return false;
    default:
        g_TMV_TINYMENU_STATE = ZKT_TMV_STATE_LEAVE;
        return false;
    }
}

static void StartNext(u32 now)
{
    g_TMV_TINYMENU_TIME_START_SHOWING = now;
    g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME = now + ZKT_TMV_MENU_SCROLL_MS;
}

static void StartPrev(u32 now)
{
    g_TMV_TINYMENU_TIME_START_SHOWING = now;
    g_TMV_TINYMENU_DO_PREV_UNTIL_TIME = now + ZKT_TMV_MENU_SCROLL_MS;
}

u32 ZKT_TMV_TinyMenu_Activate()
{
    if (g_TMV_TINYMENU_STATE == ZKT_TMV_STATE_RUNNING)
        Open(ZKT_TMV_Now());
    return ZKT_OK;
}

u32 ZKT_TMV_TinyMenu_Awake()
{
    if (g_TMV_TINYMENU_STATE == ZKT_TMV_STATE_HIDDEN)
        Reopen(ZKT_TMV_Now());
    return ZKT_OK;
}

u32 ZKT_TMV_TinyMenu_Prev()
{
    if (g_TMV_TINYMENU_STATE == ZKT_TMV_STATE_SHOWN && MenuIdle())
        StartPrev(ZKT_TMV_Now());
    return ZKT_OK;
}

u32 ZKT_TMV_TinyMenu_Next()
{
    if (g_TMV_TINYMENU_STATE == ZKT_TMV_STATE_SHOWN && MenuIdle())
        StartNext(ZKT_TMV_Now());
    return ZKT_OK;
}

u32 ZKT_TMV_TinyMenu_Select()
{
    if (g_TMV_TINYMENU_STATE == ZKT_TMV_STATE_SHOWN && MenuIdle())
        Confirm(ZKT_TMV_Now());
    return ZKT_OK;
}

u32 ZKT_TMV_TinyMenu_SetNextState(u32 bPressed)
{
    g_TMV_TINYMENU_NEXT_PRESSED = bPressed ? 1 : 0;
    return ZKT_OK;
}

u32 ZKT_TMV_TinyMenu_SetPreviousState(u32 bPressed)
{
    g_TMV_TINYMENU_PREV_PRESSED = bPressed ? 1 : 0;
    return ZKT_OK;
}

u32 ZKT_TMV_HandleVolAndTinyMenu(u32 input, u32 previousInput)
{
    const u32 now = ZKT_TMV_Now();
    const u32 pressed = input & ~previousInput; // newly pressed this frame

    // Volume buttons belong to the menu from its opening until it has faded
    // out after a resume.
    if (!g_TMV_TINYMENU_SHOW) {
        const u32 v = input & TMV_BTN_VOLUME, w = previousInput & TMV_BTN_VOLUME;
        if (v == TMV_BTN_VOLUME && w != TMV_BTN_VOLUME)
            ZKT_TMV_VolMute(now);
        else if (v == ZKT_BTN_VOLDOWN && w == 0)
            ZKT_TMV_VolStep(now, -1);
        else if (v == ZKT_BTN_VOLUP && w == 0)
            ZKT_TMV_VolStep(now, 1);
    }
    if (ZKT_TMV_Vol_Update()) {
        const u32 volume = ZKT_TMV_Vol_GetVolume();
        if (g_TMV_PLAYER_HOOKS.pfnSetVolume)
            g_TMV_PLAYER_HOOKS.pfnSetVolume(volume);
    }

    g_TMV_TINYMENU_PREV_PRESSED = (input & (ZKT_BTN_RIGHT | ZKT_BTN_SELECT)) ? 1 : 0;
    g_TMV_TINYMENU_NEXT_PRESSED = (input & ZKT_BTN_LEFT) ? 1 : 0;

    const u32 state = g_TMV_TINYMENU_STATE;
    if (state == ZKT_TMV_STATE_HIDDEN && input && !previousInput) {
        Reopen(now);
    } else if ((pressed & ZKT_BTN_START) && state == ZKT_TMV_STATE_RUNNING) {
        TogglePlayerPause();
        Open(now);
    } else if ((pressed & ZKT_BTN_START) || (input & ZKT_BTN_B)) {
        if (state == ZKT_TMV_STATE_SHOWN && MenuIdle() && Confirm(now))
            TogglePlayerPause();
    } else if (state == ZKT_TMV_STATE_SHOWN && MenuIdle()) {
        if (pressed & ZKT_BTN_LEFT)
            StartNext(now);
        else if (pressed & (ZKT_BTN_RIGHT | ZKT_BTN_SELECT))
            StartPrev(now);
    }

    ZKT_TMV_TinyMenu_Update();
    return ZKT_OK;
}

// ---- drawing ----

// Picture sets of one layout. Items show icon/label 1, 3 and 2 in turn.
struct TMVPictures {
    const u8 *icon[3], *label[3], *arrow[4];
    u32 iconW, labelW, labelH, arrowW, arrowH;
    u32 iconX, rightArrowX, labelY;
    u32 rowBytes, fieldSize;
    u32 glintBand;
    s32 slide;
};

static const TMVPictures &Pictures()
{
    static const TMVPictures kSmall = {
        {BMP_TINYMENU_ICON_SMALL_1, BMP_TINYMENU_ICON_SMALL_3, BMP_TINYMENU_ICON_SMALL_2},
        {BMP_TINYMENU_LABEL_SMALL_1, BMP_TINYMENU_LABEL_SMALL_3, BMP_TINYMENU_LABEL_SMALL_2},
        {BMP_TINYMENU_ARROWS_SMALL_1, BMP_TINYMENU_ARROWS_SMALL_2, BMP_TINYMENU_ARROWS_SMALL_3,
         BMP_TINYMENU_ARROWS_SMALL_4},
        20, 32, 12, 6, 20, 6, 26, 20, 8, 0, 7, 12};
    static const TMVPictures kBig = {
        {BMP_TINYMENU_ICON_BIG_1, BMP_TINYMENU_ICON_BIG_3, BMP_TINYMENU_ICON_BIG_2},
        {BMP_TINYMENU_LABEL_BIG_1, BMP_TINYMENU_LABEL_BIG_3, BMP_TINYMENU_LABEL_BIG_2},
        {BMP_TINYMENU_ARROWS_BIG_1, BMP_TINYMENU_ARROWS_BIG_2, BMP_TINYMENU_ARROWS_BIG_3, BMP_TINYMENU_ARROWS_BIG_4},
        40, 64, 24, 12, 40, 12, 52, 40, 16, 0x400, 12, 28};
    return g_TMV_Tinymenu_LCD ? kSmall : kBig;
}

static u32 PackedRowBytes(u32 width) { return (width * 2 + 7) / 8; }

// Two pictures squeezed side by side at split column c: columns left of c
// show the whole left picture, the rest the whole right one.
static void Squeeze(u8 *out, const u8 *left, const u8 *right, u32 w, u32 h, u32 c)
{
    const u32 rb = PackedRowBytes(w);
    ZKT_MEMSET(out, 0, rb * h);
    for (u32 y = 0; y < h; y++)
        for (u32 x = 0; x < w; x++) {
            const u32 v = x < c ? ZKT_TMV_GetPixel(left, rb, 0, (x * w) / (c + 1), y)
                                : ZKT_TMV_GetPixel(right, rb, 0, ((x - c) * w) / (w - c), y);
            if (v)
                ZKT_TMV_PutPixel(out, rb, 0, x, y, v);
        }
}

// Places icon or label `set` at (x, y), squeezed while a scroll runs.
static void PlaceItemPicture(const TMVPictures &pics, const u8 *const set[3], u32 w, u32 h, u32 x, u32 y, u32 now)
{
    static u8 s_ucSqueezed[512];
    const u32 item = g_TMV_TINYMENU_SELITEM % 3;
    const u8 *pic = set[item];
    if (g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME) {
        u32 r = g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME - now;
        r = r > ZKT_TMV_MENU_SCROLL_MS ? ZKT_TMV_MENU_SCROLL_MS : r;
        Squeeze(s_ucSqueezed, set[item], set[(item + 1) % 3], w, h, ((w - 1) * r) / ZKT_TMV_MENU_SCROLL_MS);
        pic = s_ucSqueezed;
    } else if (g_TMV_TINYMENU_DO_PREV_UNTIL_TIME) {
        u32 r = g_TMV_TINYMENU_DO_PREV_UNTIL_TIME - now;
        r = r > ZKT_TMV_MENU_SCROLL_MS ? ZKT_TMV_MENU_SCROLL_MS : r;
        Squeeze(s_ucSqueezed, set[(item + 2) % 3], set[item], w, h, w - 1 - ((w - 1) * r) / ZKT_TMV_MENU_SCROLL_MS);
        pic = s_ucSqueezed;
    }
    ZKT_TMV_PlacePicture(g_TMV_TINYMENU_BUFFER, pics.rowBytes, pics.fieldSize, x, y, pic, w, h);
}

static u32 ScaleOpacity(u32 color, u32 f) { return ((((color >> 24) * f) >> 8) << 24) | (color & 0xFFFFFF); }

u32 ZKT_TMV_TinyMenu_Update()
{
    if (!g_TMV_TINYMENU_SHOW)
        return ZKT_OK;
    const u32 now = ZKT_TMV_Now();
    const TMVPictures &pics = Pictures();
    const u16 size = g_TMV_Tinymenu_LCD ? 32 : 64;

    // Opacity pulse over 1750 ms.
    const double wave = std::sin(2.0 * M_PI * (double)(now % 1750) / 1750.0);
    const u32 p = (u32)std::floor(5177344.0 * wave + 5177344.0) / 2 + 0xB00000;
    u32 color1 = (p * 255) | 0xFFFFFF;
    u32 color0 = (p << 7) & 0xFF000000;

    if (g_TMV_TINYMENU_FADEIN_UNTIL_TIME && now >= g_TMV_TINYMENU_FADEIN_UNTIL_TIME)
        g_TMV_TINYMENU_FADEIN_UNTIL_TIME = 0;
    if (g_TMV_TINYMENU_FADEOUT_UNTIL_TIME && now >= g_TMV_TINYMENU_FADEOUT_UNTIL_TIME) {
        g_TMV_TINYMENU_FADEOUT_UNTIL_TIME = 0;
        ZKT_SetCursorParams(0, size, color1, color0, ZKT_TMV_MENU_BITMAP);
        if (g_TMV_TINYMENU_STATE == ZKT_TMV_STATE_RUNNING)
            g_TMV_TINYMENU_SHOW = 0;
        return ZKT_OK;
    }
    if (g_TMV_TINYMENU_STATE == ZKT_TMV_STATE_HIDDEN && !g_TMV_TINYMENU_FADEOUT_UNTIL_TIME)
        return ZKT_OK;

    // Fades: linear opacity ramp, the menu easing in from the left and out to it.
    s32 slide = 0;
    const double d = pics.slide;
    if (g_TMV_TINYMENU_FADEOUT_UNTIL_TIME || g_TMV_TINYMENU_FADEIN_UNTIL_TIME) {
        const bool out = g_TMV_TINYMENU_FADEOUT_UNTIL_TIME != 0;
        u32 r = (out ? g_TMV_TINYMENU_FADEOUT_UNTIL_TIME : g_TMV_TINYMENU_FADEIN_UNTIL_TIME) - now;
        r = r > ZKT_TMV_MENU_FADE_MS ? ZKT_TMV_MENU_FADE_MS : r;
        const double q = M_PI / 2.0 * (double)r / (double)ZKT_TMV_MENU_FADE_MS;
        u32 f;
        if (out) {
            f = (255 * r) / ZKT_TMV_MENU_FADE_MS;
            slide = (s32)(d * std::cos(M_PI / 2.0 - q) - d);
        } else {
            f = 255 - (255 * r) / ZKT_TMV_MENU_FADE_MS;
            slide = (s32)(d * std::cos(q) - d);
        }
        color1 = ScaleOpacity(color1, f);
        color0 = ScaleOpacity(color0, f);
    }

    // A finished scroll moves the selection.
    if (g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME && now >= g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME) {
        g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME = 0;
        g_TMV_TINYMENU_SELITEM = (g_TMV_TINYMENU_SELITEM + 1) % 3;
    }
    if (g_TMV_TINYMENU_DO_PREV_UNTIL_TIME && now >= g_TMV_TINYMENU_DO_PREV_UNTIL_TIME) {
        g_TMV_TINYMENU_DO_PREV_UNTIL_TIME = 0;
        g_TMV_TINYMENU_SELITEM = (g_TMV_TINYMENU_SELITEM + 2) % 3;
    }

    // Compose: dark panel, arrows, the item's icon and label, the glint.
    u8 *buf = g_TMV_TINYMENU_BUFFER;
    if (pics.fieldSize) {
        ZKT_MEMSET(buf, 0, 32 * pics.rowBytes);
        ZKT_MEMSET(buf + pics.fieldSize, 0, 32 * pics.rowBytes);
    } else {
        ZKT_MEMSET(buf, 0, sizeof g_TMV_TINYMENU_BUFFER);
    }
    ZKT_TMV_PlacePicture(buf, pics.rowBytes, pics.fieldSize, 0, 0,
                         pics.arrow[g_TMV_TINYMENU_NEXT_PRESSED ? 2 : 0], pics.arrowW, pics.arrowH);
    ZKT_TMV_PlacePicture(buf, pics.rowBytes, pics.fieldSize, pics.rightArrowX, 0,
                         pics.arrow[g_TMV_TINYMENU_PREV_PRESSED ? 3 : 1], pics.arrowW, pics.arrowH);
    PlaceItemPicture(pics, pics.icon, pics.iconW, pics.iconW, pics.iconX, 0, now);
    PlaceItemPicture(pics, pics.label, pics.labelW, pics.labelH, 0, pics.labelY, now);

    // A diagonal band sweeps the icon in the last second of every ten.
    const u32 e = (now - g_TMV_TINYMENU_TIME_START_SHOWING) % 10000;
    if (e > 9000) {
        const s32 band = (s32)pics.glintBand;
        const s32 front = (s32)((2 * pics.iconW + pics.glintBand) * (e - 9000) / 1000);
        for (u32 j = 0; j < pics.iconW; j++)
            for (u32 i = 0; i < pics.iconW; i++) {
                const s32 diag = (s32)(i + j);
                if (diag > front - band && diag < front &&
                    ZKT_TMV_GetPixel(buf, pics.rowBytes, pics.fieldSize, pics.iconX + i, j))
                    ZKT_TMV_PutPixel(buf, pics.rowBytes, pics.fieldSize, pics.iconX + i, j, 3);
            }
    }

    u32 *base = nullptr;
    ZKT_GetVideoBasePtr(&base);
    if (base)
        ZKT_MEMCPY(reinterpret_cast<u8 *>(base) + ZKT_TMV_MENU_BITMAP, buf, ZKT_TMV_SLOT_SIZE);
    ZKT_MoveCursor((u16)((s32)g_TMV_TINYMENU_POSX + slide), g_TMV_TINYMENU_POSY);
    ZKT_SetCursorParams(1, size, color1, color0, ZKT_TMV_MENU_BITMAP);
    return ZKT_OK;
}
