// How the desktop window shows the composed window picture: at an integer
// scale or full screen, with the help drawn over it, plus the keys that only
// change what is shown (layer views, help, size) or save it (screenshots).
// None of this touches the model: the compositor still writes the same
// window picture, and only presenting it to SDL's screen differs.
#include <SDL/SDL.h>

#include <cstdio>
#include <cstring>

#include "assets/assets.h"
#include "lowlevel/desktop/zkt_lowLevelWin.h"

typedef int64_t s64;

u32 g_ulViewHiddenLayers = 0;

static u32 s_bViewer = 0;       // the viewer keys are on (the desktop program only)
static s32 s_nScale = 1;        // the scale asked for, 1..4
static u32 s_bFullscreen = 0;
static u32 s_bHelp = 0;
static s32 s_nDesktopW = 0, s_nDesktopH = 0; // 0: not known (no real display)
static SDL_Surface *s_pVideo = nullptr;      // SDL's screen
static SDL_Surface *s_pPicture = nullptr;    // the window picture when it is not the screen
static s32 s_nPicW = 0, s_nPicH = 0;
static s32 s_nShownScale = 1, s_nOffX = 0, s_nOffY = 0;

// Clock keys waiting for the runtime, as function key numbers.
#define ZKT_VIEW_KEY_QUEUE 16
static u32 s_ulViewKeys[ZKT_VIEW_KEY_QUEUE];
static u32 s_ulViewKeyCount = 0;

static const char *const s_strLayerNames[ZKT_VIEW_LAYERS] = {"YUV A", "YUV B", "OSD", "SPU", "RGB", "cursor"};

void ZKT_WinViewerStart(u32 scale, u32 bFullscreen)
{
    s_bViewer = 1;
    s_nScale = scale >= 1 && scale <= ZKT_VIEW_MAX_SCALE ? (s32)scale : 1;
    s_bFullscreen = bFullscreen ? 1 : 0;
}

u32 ZKT_WinViewerScale()
{
    return (u32)s_nShownScale;
}

u32 ZKT_WinViewerIsFullscreen()
{
    return s_bFullscreen;
}

static void RememberDesktopSize()
{
    if (s_nDesktopW)
        return;
    // Before the first mode is set SDL reports the desktop's own size.
    const SDL_VideoInfo *vi = SDL_GetVideoInfo();
    if (vi && vi->current_w > 0 && vi->current_h > 0) {
        s_nDesktopW = vi->current_w;
        s_nDesktopH = vi->current_h;
    }
}

// The largest scale up to want at which w x h fits on the desktop.
static s32 FitScale(s32 w, s32 h, s32 want)
{
    s32 s = want;
    while (s > 1 && s_nDesktopW && (w * s > s_nDesktopW || h * s > s_nDesktopH))
        s--;
    return s;
}

static void FreePicture()
{
    if (s_pPicture)
        SDL_FreeSurface(s_pPicture);
    s_pPicture = nullptr;
}

// Sets SDL's screen for the current settings and returns the surface the
// compositor writes the window picture into.
static SDL_Surface *Open(s32 w, s32 h, bool bNewMode)
{
    s_nPicW = w;
    s_nPicH = h;
    const bool full = s_bFullscreen && s_nDesktopW;
    const s32 scale = FitScale(w, h, full ? ZKT_VIEW_MAX_SCALE : s_nScale);
    const s32 vw = full ? s_nDesktopW : w * scale, vh = full ? s_nDesktopH : h * scale;
    const Uint32 flags = SDL_SWSURFACE | (full ? SDL_FULLSCREEN : 0);
    if (bNewMode || !s_pVideo || s_pVideo->w != vw || s_pVideo->h != vh || (s_pVideo->flags & SDL_FULLSCREEN) != (full ? SDL_FULLSCREEN : 0u)) {
        s_pVideo = SDL_SetVideoMode(vw, vh, 24, flags);
        if (!s_pVideo && (scale != 1 || full)) {
            std::fprintf(stderr, "Vorn: could not open a %dx%d %s; using the plain window\n", vw, vh,
                         full ? "full screen" : "window");
            s_bFullscreen = 0;
            s_nScale = 1;
            return Open(w, h, true);
        }
    }
    s_nShownScale = scale;
    s_nOffX = s_pVideo ? (s_pVideo->w - w * scale) / 2 : 0;
    s_nOffY = s_pVideo ? (s_pVideo->h - h * scale) / 2 : 0;
    if (!s_pVideo || (scale == 1 && !full && !s_bHelp)) {
        FreePicture();
        return s_pVideo; // the window is the picture itself, as without the viewer
    }
    if (!s_pPicture || s_pPicture->w != w || s_pPicture->h != h) {
        FreePicture();
        s_pPicture = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    }
    SDL_FillRect(s_pVideo, nullptr, 0); // the borders of full screen stay black
    return s_pPicture ? s_pPicture : s_pVideo;
}

SDL_Surface *ZKT_WinOpenWindow(s32 w, s32 h)
{
    g_ulWinPictureSerial++;
    if (!s_bViewer) {
        s_nPicW = w;
        s_nPicH = h;
        return s_pVideo = SDL_SetVideoMode(w, h, 24, SDL_SWSURFACE);
    }
    RememberDesktopSize();
    return Open(w, h, true);
}

void ZKT_WinCloseWindow()
{
    g_ulWinPictureSerial++;
    FreePicture();
    s_pVideo = nullptr;
    s_bViewer = 0;
    s_nScale = 1;
    s_bFullscreen = s_bHelp = 0;
    s_nShownScale = 1;
    s_nOffX = s_nOffY = 0;
    s_nDesktopW = s_nDesktopH = 0;
    s_ulViewKeyCount = 0;
    g_ulViewHiddenLayers = 0;
}

static void Reopen()
{
    if (s_pVideo) {
        g_Screen = Open(s_nPicW, s_nPicH, false);
        g_ulWinPictureSerial++;
    }
}

void ZKT_WinMapPointer(s32 *pX, s32 *pY)
{
    if (!s_pPicture || *pX < 0 || *pY < 0)
        return;
    const s32 x = *pX - s_nOffX, y = *pY - s_nOffY;
    const bool inside = x >= 0 && y >= 0 && x < s_nPicW * s_nShownScale && y < s_nPicH * s_nShownScale;
    *pX = inside ? x / s_nShownScale : -1;
    *pY = inside ? y / s_nShownScale : -1;
}

// ---------------------------------------------------------------------------
// Help

static const char *const s_strHelp[] = {
    "F1        this help (again to close)",
    "F2        pause / resume",
    "F3        one frame forward while paused",
    "F4 / F5   back / forward one music position",
    "F6        restart from the beginning",
    "F9 / F10  smaller / larger window",
    "F11       full screen on / off",
    "F12       screenshot (Shift+F12: whole window)",
    "1 to 6    hide / show YUV A, YUV B, OSD,",
    "          SPU, RGB layer, cursor",
    "Arrows    stick      - / =   volume",
    "Escape    leave",
    "Scroll Lock  keyboard as buttons / USB keys",
    "Mouse     click the pictured buttons",
};

static void DrawHelp(SDL_Surface *v)
{
    const s32 lines = (s32)(sizeof s_strHelp / sizeof s_strHelp[0]);
    s32 cols = 0;
    for (const char *l : s_strHelp)
        cols = (s32)std::strlen(l) > cols ? (s32)std::strlen(l) : cols;
    const s32 k = s_nShownScale, pad = 6 * k, lineH = 10 * k;
    const s32 bw = cols * 8 * k + 2 * pad, bh = lines * lineH + 2 * pad;
    const s32 bx = s_nOffX + (s_nPicW * s_nShownScale - bw) / 2, by = s_nOffY + (s_nPicH * s_nShownScale - bh) / 2;
    u8 *px = (u8 *)v->pixels;
    for (s32 y = by < 0 ? 0 : by; y < by + bh && y < v->h; y++)
        for (s32 x = bx < 0 ? 0 : bx; x < bx + bw && x < v->w; x++) {
            u8 *p = px + (s64)y * v->pitch + x * 3;
            p[0] = (u8)(p[0] / 4);
            p[1] = (u8)(p[1] / 4);
            p[2] = (u8)(p[2] / 4 + 24);
        }
    for (s32 l = 0; l < lines; l++)
        for (s32 c = 0; s_strHelp[l][c]; c++) {
            const u8 *glyph = g_uc_ZKT_DBG_CHARSET + (u8)s_strHelp[l][c] * 8;
            for (s32 gy = 0; gy < 8 * k; gy++) {
                const s32 y = by + pad + l * lineH + gy;
                if (y < 0 || y >= v->h)
                    continue;
                for (s32 gx = 0; gx < 8 * k; gx++) {
                    const s32 x = bx + pad + (c * 8) * k + gx;
                    if (x < 0 || x >= v->w || !(glyph[gy / k] & (0x80 >> (gx / k))))
                        continue;
                    u8 *p = px + (s64)y * v->pitch + x * 3;
                    p[0] = p[1] = p[2] = 0xFF;
                }
            }
        }
}

// ---------------------------------------------------------------------------
// Presenting

u32 ZKT_WinPresent()
{
    SDL_Surface *v = s_pVideo, *pic = s_pPicture;
    if (!v || !pic || g_Screen != pic || v->format->BytesPerPixel != 3)
        return 0;
    if (SDL_MUSTLOCK(v) && SDL_LockSurface(v) < 0)
        return 0;
    const s32 k = s_nShownScale;
    const s32 x0 = s_nOffX < 0 ? 0 : s_nOffX, x1 = s_nOffX + s_nPicW * k < v->w ? s_nOffX + s_nPicW * k : v->w;
    const s32 y0 = s_nOffY < 0 ? 0 : s_nOffY, y1 = s_nOffY + s_nPicH * k < v->h ? s_nOffY + s_nPicH * k : v->h;
    u8 *dst = (u8 *)v->pixels;
    const u8 *src = (const u8 *)pic->pixels;
    s32 lastSy = -1;
    for (s32 y = y0; y < y1; y++) {
        u8 *row = dst + (s64)y * v->pitch;
        const s32 sy = (y - s_nOffY) / k;
        if (sy == lastSy) { // nearest neighbour: the line above again
            std::memcpy(row + x0 * 3, row - v->pitch + x0 * 3, (size_t)(x1 - x0) * 3);
            continue;
        }
        lastSy = sy;
        const u8 *s = src + (s64)sy * pic->pitch;
        if (k == 1) {
            std::memcpy(row + x0 * 3, s + (x0 - s_nOffX) * 3, (size_t)(x1 - x0) * 3);
            continue;
        }
        // Each source pixel k times, stepping instead of dividing per pixel.
        const u8 *p = s + ((x0 - s_nOffX) / k) * 3;
        s32 left = k - (x0 - s_nOffX) % k;
        for (u8 *d = row + x0 * 3, *end = row + x1 * 3; d < end; d += 3) {
            d[0] = p[0];
            d[1] = p[1];
            d[2] = p[2];
            if (--left == 0) {
                p += 3;
                left = k;
            }
        }
    }
    if (s_bHelp)
        DrawHelp(v);
    if (SDL_MUSTLOCK(v))
        SDL_UnlockSurface(v);
    SDL_UpdateRect(v, 0, 0, 0, 0);
    return 1;
}

// ---------------------------------------------------------------------------
// Keys

static void UpdateLayerCaption()
{
    char text[96] = "";
    if (g_ulViewHiddenLayers) {
        std::snprintf(text, sizeof text, " - hidden:");
        for (u32 i = 0; i < ZKT_VIEW_LAYERS; i++)
            if (g_ulViewHiddenLayers & (1u << i)) {
                const size_t n = std::strlen(text);
                std::snprintf(text + n, sizeof text - n, " %s", s_strLayerNames[i]);
            }
    }
    ZKT_WinSetCaptionLayers(text);
}

u32 ZKT_WinViewerKey(u32 sym, u32 mod)
{
    if (!s_bViewer)
        return 0;
    switch (sym) {
    case SDLK_F1:
        s_bHelp = !s_bHelp;
        Reopen();
        return 1;
    case SDLK_F2:
    case SDLK_F3:
    case SDLK_F4:
    case SDLK_F5:
    case SDLK_F6:
        if (s_ulViewKeyCount < ZKT_VIEW_KEY_QUEUE)
            s_ulViewKeys[s_ulViewKeyCount++] = sym - SDLK_F1 + 1;
        return 1;
    case SDLK_F9:
    case SDLK_F10: {
        // From the window's scale, which may be below the one asked for
        // when that did not fit; asking past what fits changes nothing.
        const s32 base = FitScale(s_nPicW, s_nPicH, s_nScale);
        const s32 want = base + (sym == SDLK_F9 ? -1 : 1);
        if (want >= 1 && want <= ZKT_VIEW_MAX_SCALE && FitScale(s_nPicW, s_nPicH, want) == want)
            s_nScale = want;
        Reopen();
        return 1;
    }
    case SDLK_F11:
        s_bFullscreen = !s_bFullscreen;
        Reopen();
        return 1;
    case SDLK_F12: {
        char name[64];
        const u32 whole = (mod & KMOD_SHIFT) != 0;
        if (ZKT_WinSaveScreenshot(whole, name, sizeof name))
            std::printf("Screenshot saved: %s\n", name);
        std::fflush(stdout);
        return 1;
    }
    default:
        break;
    }
    if (sym >= SDLK_1 && sym < SDLK_1 + ZKT_VIEW_LAYERS) {
        g_ulViewHiddenLayers ^= 1u << (sym - SDLK_1);
        UpdateLayerCaption();
        return 1;
    }
    return 0;
}

u32 ZKT_WinTakeViewerKey()
{
    if (!s_ulViewKeyCount)
        return 0;
    const u32 k = s_ulViewKeys[0];
    std::memmove(s_ulViewKeys, s_ulViewKeys + 1, (s_ulViewKeyCount - 1) * sizeof s_ulViewKeys[0]);
    s_ulViewKeyCount--;
    return k;
}

// The window picture as the compositor left it (skin included), for the
// whole-window screenshot.
const u8 *ZKT_WinPicture(s32 *pW, s32 *pH, s32 *pPitch)
{
    SDL_Surface *s = g_Screen;
    if (!s || !s->pixels || s->format->BytesPerPixel != 3)
        return nullptr;
    *pW = s_nPicW ? s_nPicW : s->w;
    *pH = s_nPicH ? s_nPicH : s->h;
    *pPitch = s->pitch;
    return (const u8 *)s->pixels;
}
