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

// The skin (grey when the asset has the wrong size, so that it is never
// read past its end) over columns x0 to x1 - 1 of lines y0 to y1 - 1.
static void DrawSkin(u8 *pWindow, s32 pitch, s32 x0, s32 x1, s32 y0, s32 y1)
{
    const bool skinOk = BMP_GP2XW32_LEN >= (u32)ZKT_SKIN_SIZE;
    if (skinOk && pitch == ZKT_WIN_PITCH && x0 == 0 && x1 == ZKT_WIN_W) {
        // A window as wide as the skin takes it in one copy.
        memcpy(pWindow + (s64)y0 * pitch, BMP_GP2XW32 + y0 * ZKT_WIN_PITCH, (size_t)(y1 - y0) * pitch);
        return;
    }
    for (s32 y = y0; y < y1; y++) {
        u8 *row = pWindow + (s64)y * pitch + x0 * 3;
        if (skinOk)
            memcpy(row, BMP_GP2XW32 + y * ZKT_WIN_PITCH + x0 * 3, (size_t)(x1 - x0) * 3);
        else
            memset(row, 0x60, (size_t)(x1 - x0) * 3);
    }
}

// The same but for the screen's place, which the screen covers.
static void DrawSkinAround(u8 *pWindow, s32 pitch, s32 x0, s32 x1, s32 y0, s32 y1)
{
    const s32 sx0 = ZKT_LCD_X, sx1 = ZKT_LCD_X + 320, sy0 = ZKT_LCD_Y, sy1 = ZKT_LCD_Y + 240;
    if (y0 < sy0)
        DrawSkin(pWindow, pitch, x0, x1, y0, y1 < sy0 ? y1 : sy0);
    if (y1 > sy1)
        DrawSkin(pWindow, pitch, x0, x1, y0 > sy1 ? y0 : sy1, y1);
    const s32 ya = y0 > sy0 ? y0 : sy0, yb = y1 < sy1 ? y1 : sy1;
    if (ya >= yb)
        return;
    if (x0 < sx0)
        DrawSkin(pWindow, pitch, x0, x1 < sx0 ? x1 : sx0, ya, yb);
    if (x1 > sx1)
        DrawSkin(pWindow, pitch, x0 > sx1 ? x0 : sx1, x1, ya, yb);
}

// Out of line and not specialised, so that the row length is not a
// constant g++ turns into a string move, which is slower than the
// library's copy for rows that start at an odd address.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((noipa))
#else
__attribute__((noinline))
#endif
static void CopyRows(u8 *dst, s32 dstPitch, const u8 *src, s32 srcPitch, s32 bytes, s32 rows)
{
    for (s32 y = 0; y < rows; y++)
        memcpy(dst + (s64)y * dstPitch, src + (s64)y * srcPitch, (size_t)bytes);
}

// Each of n bytes less w, down to 0. Eight at a time for a w below 128:
// with its top bit set first, no byte can borrow from the next; the top
// bits before and after tell which bytes went below w.
static void DarkenBytes(u8 *p, s32 n, s32 w)
{
    s32 i = 0;
    if (w >= 0 && w < 128) {
        const uint64_t H = 0x8080808080808080ull, W = (uint64_t)w * 0x0101010101010101ull;
        for (; i + 8 <= n; i += 8) {
            uint64_t x;
            memcpy(&x, p + i, 8);
            const uint64_t t = (x | H) - W, top = x & H;
            const uint64_t keep = ((top | (t & H)) >> 7) * 0xFF;
            x = (t ^ (~top & H)) & keep;
            memcpy(p + i, &x, 8);
        }
    }
    for (; i < n; i++)
        p[i] = p[i] > w ? (u8)(p[i] - w) : 0;
}

void ZKT_LowLevelAPI_SoftRender_FrameLCD(u8 *pWindow, s32 pitch, s32 mouseX, s32 mouseY, u32 bPressed, u32 ticks,
                                         ZKT_WinSkinKept *pKept, u32 bScreenThere)
{
    // Only the screen and the highlight change from frame to frame: a
    // window that still holds the skin of the last frame gets back only
    // what that frame's highlight darkened.
    if (pKept && pKept->pWindow == pWindow && pKept->pitch == pitch) {
        if (pKept->lit[0] >= 0)
            DrawSkinAround(pWindow, pitch, pKept->lit[0], pKept->lit[1], pKept->lit[2], pKept->lit[3]);
    } else {
        DrawSkinAround(pWindow, pitch, 0, ZKT_WIN_W, 0, ZKT_WIN_H);
    }
    if (!bScreenThere)
        CopyRows(ZKT_WinScreenOf(pWindow, pitch), pitch, g_ucSoftRenderPicture, 960, 960, 240);

    s32 rc[4];
    g_ulGP2XInputStateWinGUI = ZKT_LowLevelAPI_SoftRender_HotSpot(mouseX, mouseY, bPressed, rc);
    if (pKept) {
        pKept->pWindow = pWindow;
        pKept->pitch = pitch;
        pKept->lit[0] = -1;
    }
    if (rc[0] < 0)
        return;
    const s32 w = (s32)(std::sin(ticks * 6.28318530718 / 1200.0) * 10.0 + 42.0);
    const s32 xa = rc[0] < 0 ? 0 : rc[0], xb = rc[1] > ZKT_WIN_W ? ZKT_WIN_W : rc[1];
    const s32 ya = rc[2] < 0 ? 0 : rc[2], yb = rc[3] > ZKT_WIN_H ? ZKT_WIN_H : rc[3];
    if (pKept && xa < xb && ya < yb) {
        pKept->lit[0] = xa;
        pKept->lit[1] = xb;
        pKept->lit[2] = ya;
        pKept->lit[3] = yb;
    }
    for (s32 y = ya; y < yb; y++) {
        u8 *p = pWindow + (s64)y * pitch + xa * 3;
        DarkenBytes(p, (xb - xa) * 3, w);
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
    if (ok && ZKT_MUSTLOCK(s) && SDL_LockSurface(s) < 0) {
        ZKT_LowLevelAPI_SoftRender_Compose();
        return;
    }
    // An LCD window takes each line of the screen as it is composed.
    const bool direct = lcd && ok && W == 320 && H == 240;
    if (direct)
        ZKT_LowLevelAPI_SoftRender_Compose(ZKT_WinScreenOf((u8 *)s->pixels, s->pitch), s->pitch);
    else
        ZKT_LowLevelAPI_SoftRender_Compose();
    // The skin left in the window by the last LCD frame, good while the same
    // surface stays and nothing else has written into it.
    static ZKT_WinSkinKept s_kept;
    static const SDL_Surface *s_pKeptSurface = nullptr;
    static u32 s_ulKeptSerial = 0;
    if (!lcd || !ok || s != s_pKeptSurface || g_ulWinPictureSerial != s_ulKeptSerial)
        s_kept.pWindow = nullptr;
    if (lcd) {
        s32 mx = -1, my = -1;
        u32 pressed = 0;
        if (video)
            pressed = ZKT_WinReadPointer(&mx, &my);
        if (ok) {
            ZKT_LowLevelAPI_SoftRender_FrameLCD((u8 *)s->pixels, s->pitch, mx, my, pressed,
                                                video ? SDL_GetTicks() : 0, &s_kept, direct);
            s_pKeptSurface = s;
            s_ulKeptSerial = g_ulWinPictureSerial;
        } else {
            g_ulGP2XInputStateWinGUI = ZKT_LowLevelAPI_SoftRender_HotSpot(mx, my, pressed, nullptr);
        }
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
