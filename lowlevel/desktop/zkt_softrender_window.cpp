// The desktop window around the composed picture: the handheld's skin in
// LCD modes, the pointer's hot spots over its pictured buttons, and the
// copy of the finished picture to the SDL screen once per frame.
#include <SDL/SDL.h>

#include <cmath>
#include <cstring>

#include "assets/assets.h"
#include "lowlevel/desktop/zkt_lowLevelWin.h"

typedef int64_t s64;

struct HotSpot {
    s16 x0, x1, y0, y1; // pointer range, inclusive
    u32 bits;
    s16 hx0, hx1, hy0, hy1; // highlight, right and bottom exclusive
};

static const HotSpot s_hotGroup1[] = {
    {39, 69, 224, 243, ZKT_BTN_VOLDOWN, 38, 80, 223, 244},
    {70, 90, 224, 243, ZKT_BTN_VOLDOWN | ZKT_BTN_VOLUP, 38, 122, 223, 244},
    {91, 121, 224, 243, ZKT_BTN_VOLUP, 80, 122, 223, 244},
};
static const HotSpot s_hotGroup2[] = {
    {540, 585, 198, 251, ZKT_BTN_SELECT, 539, 586, 197, 252},
    {589, 634, 198, 251, ZKT_BTN_START, 588, 635, 197, 252},
};
static const HotSpot s_hotGroup3[] = {
    {64, 95, 82, 106, ZKT_BTN_UP, 63, 96, 81, 107},
    {64, 95, 149, 173, ZKT_BTN_DOWN, 63, 96, 148, 174},
    {34, 58, 111, 143, ZKT_BTN_LEFT, 33, 59, 110, 144},
    {102, 126, 111, 143, ZKT_BTN_RIGHT, 101, 127, 110, 144},
    {4, 116, 2, 27, ZKT_BTN_L, 3, 117, 1, 28},
    {542, 654, 2, 27, ZKT_BTN_R, 541, 655, 1, 28},
    {3, 15, 191, 237, ZKT_BTN_EXIT, 2, 16, 190, 238},
    {567, 597, 78, 108, ZKT_BTN_Y, 566, 598, 77, 109},
    {567, 597, 146, 176, ZKT_BTN_X, 566, 598, 145, 177},
    {532, 562, 112, 142, ZKT_BTN_A, 531, 563, 111, 143},
    {603, 633, 112, 142, ZKT_BTN_B, 602, 634, 111, 143},
};

static const HotSpot *FindHotSpot(const HotSpot *tab, s32 n, s32 x, s32 y)
{
    for (s32 i = 0; i < n; i++)
        if (tab[i].x0 <= x && x <= tab[i].x1 && tab[i].y0 <= y && y <= tab[i].y1)
            return &tab[i];
    return nullptr;
}

u32 ZKT_LowLevelAPI_SoftRender_HotSpot(s32 x, s32 y, u32 bPressed, s32 *pRect)
{
    u32 bits = 0;
    const HotSpot *lit = nullptr;
    if (const HotSpot *h = FindHotSpot(s_hotGroup1, 3, x, y)) {
        bits = bPressed ? h->bits : 0;
        lit = h;
    }
    if (const HotSpot *h = FindHotSpot(s_hotGroup2, 2, x, y)) {
        if (bPressed)
            bits |= h->bits;
        lit = h;
    }
    if (const HotSpot *h = FindHotSpot(s_hotGroup3, 11, x, y)) {
        if (bPressed)
            bits |= h->bits;
        lit = h;
    }
    if (pRect) {
        pRect[0] = lit ? lit->hx0 : -1;
        pRect[1] = lit ? lit->hx1 : -1;
        pRect[2] = lit ? lit->hy0 : -1;
        pRect[3] = lit ? lit->hy1 : -1;
    }
    return bits;
}

void ZKT_LowLevelAPI_SoftRender_FrameLCD(u8 *pWindow, s32 pitch, s32 mouseX, s32 mouseY, u32 bPressed, u32 ticks)
{
    // A skin of the wrong size is never read past its end: the frame is
    // then plain grey around the screen.
    const bool skinOk = BMP_GP2XW32_LEN >= (u32)ZKT_SKIN_SIZE;
    const u8 *pic = g_ucSoftRenderPicture;
    const s32 left = ZKT_LCD_X * 3, right = (ZKT_LCD_X + 320) * 3;
    if (skinOk && pitch == ZKT_WIN_PITCH) {
        // A window as wide as the skin takes it in one copy instead of 380
        // short ones; the screen then goes over it.
        memcpy(pWindow, BMP_GP2XW32, ZKT_SKIN_SIZE);
        for (s32 y = 0; y < 240; y++)
            memcpy(pWindow + (s64)(ZKT_LCD_Y + y) * pitch + left, pic + y * 960, 960);
    }
    for (s32 y = 0; y < ZKT_WIN_H && !(skinOk && pitch == ZKT_WIN_PITCH); y++) {
        u8 *row = pWindow + (s64)y * pitch;
        const u8 *skin = BMP_GP2XW32 + y * ZKT_WIN_PITCH;
        if (y < ZKT_LCD_Y || y >= ZKT_LCD_Y + 240) {
            if (skinOk)
                memcpy(row, skin, ZKT_WIN_PITCH);
            else
                memset(row, 0x60, ZKT_WIN_PITCH);
            continue;
        }
        // Skin columns 0 to 168 and 489 to 659 around the screen.
        if (skinOk) {
            memcpy(row, skin, left);
            memcpy(row + right, skin + right, ZKT_WIN_PITCH - right);
        } else {
            memset(row, 0x60, left);
            memset(row + right, 0x60, ZKT_WIN_PITCH - right);
        }
        memcpy(row + left, pic + (y - ZKT_LCD_Y) * 960, 960);
    }

    s32 rc[4];
    g_ulGP2XInputStateWinGUI = ZKT_LowLevelAPI_SoftRender_HotSpot(mouseX, mouseY, bPressed, rc);
    if (rc[0] < 0)
        return;
    const s32 w = (s32)(std::sin(ticks * 6.28318530718 / 1200.0) * 10.0 + 42.0);
    const s32 xa = rc[0] < 0 ? 0 : rc[0], xb = rc[1] > ZKT_WIN_W ? ZKT_WIN_W : rc[1];
    const s32 ya = rc[2] < 0 ? 0 : rc[2], yb = rc[3] > ZKT_WIN_H ? ZKT_WIN_H : rc[3];
    for (s32 y = ya; y < yb; y++) {
        u8 *p = pWindow + (s64)y * pitch + xa * 3;
        for (s32 i = 0; i < (xb - xa) * 3; i++)
            p[i] = p[i] > w ? (u8)(p[i] - w) : 0;
    }
}

// The browser's SDL asks a lock of every surface, even of the plain 24-bit
// window picture its entry point hands us; only its canvas has one.
#ifdef __EMSCRIPTEN__
#define ZKT_MUSTLOCK(s) ((s) == SDL_GetVideoSurface())
#else
#define ZKT_MUSTLOCK(s) SDL_MUSTLOCK(s)
#endif

void ZKT_LowLevelAPI_SoftRender()
{
    ZKT_LowLevelAPI_SoftRender_Compose();
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    const bool lcd = ZKT_ModeIsLCD(g_ulDISPLAY_MODE);
    const s32 winW = lcd ? ZKT_WIN_W : W, winH = lcd ? ZKT_WIN_H : H;

    // The window is only written when it has the shape the mode expects;
    // between a mode switch and the new surface nothing is drawn.
    SDL_Surface *s = g_Screen;
    const bool ok = s && s->pixels && s->format && s->format->BytesPerPixel == 3 && s->w >= winW &&
                    s->h >= winH && s->pitch >= winW * 3;
    const bool video = SDL_WasInit(SDL_INIT_VIDEO) != 0;
    if (ok && ZKT_MUSTLOCK(s) && SDL_LockSurface(s) < 0)
        return;
    if (lcd) {
        s32 mx = -1, my = -1;
        u32 pressed = 0;
        if (video)
            pressed = ZKT_WinReadPointer(&mx, &my);
        if (ok)
            ZKT_LowLevelAPI_SoftRender_FrameLCD((u8 *)s->pixels, s->pitch, mx, my, pressed,
                                                video ? SDL_GetTicks() : 0);
        else
            g_ulGP2XInputStateWinGUI = ZKT_LowLevelAPI_SoftRender_HotSpot(mx, my, pressed, nullptr);
    } else if (ok) {
        for (s32 y = 0; y < H; y++)
            memcpy((u8 *)s->pixels + (s64)y * s->pitch, g_ucSoftRenderPicture + (s64)y * W * 3, W * 3);
    }
    if (ok && ZKT_MUSTLOCK(s))
        SDL_UnlockSurface(s);
    // SDL_UpdateRect only knows the video surface; a surface of our own
    // (tests, captures) is complete once written.
    if (ok && video && s == SDL_GetVideoSurface())
        SDL_UpdateRect(s, 0, 0, winW, winH);
    else if (ok && video)
        ZKT_WinPresent(); // scaled, full screen or under the help
    // The fixed 2 ms pause, on the model's clock so a virtual one skips it.
    ZKT_Sleep(2);
    if (g_bSaveOnDisk)
        ZKT_LowLevelAPI_SaveBMP(g_strSaveFilePath);
}
