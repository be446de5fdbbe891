// The desktop hardware model: lifecycle, display modes, clock, pacing and
// the keyboard as buttons or as input-device events.
#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "lowlevel/desktop/zkt_lowLevelWin.h"

namespace {

u32 s_fakeNow = 0;
std::vector<u32> s_sleeps;
u32 FakeClock() { return s_fakeNow; }
void FakeSleep(u32 ms)
{
    s_sleeps.push_back(ms);
    s_fakeNow += ms;
}

struct LowLevel : ::testing::Test {
    void SetUp() override
    {
        ASSERT_EQ(ZKT_InitLowLevelAPI("test"), 0u);
        s_fakeNow = 1000;
        s_sleeps.clear();
    }
    void TearDown() override
    {
        g_pfnZKTClock = nullptr;
        g_pfnZKTSleep = nullptr;
        ZKT_FreeLowLevelAPI(0);
    }
};

void PushKey(SDLKey key, bool down)
{
    SDL_Event ev = {};
    ev.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    ev.key.type = ev.type;
    ev.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    ev.key.keysym.sym = key;
    ASSERT_EQ(SDL_PushEvent(&ev), 0);
}

u32 Buttons()
{
    u32 b = 0;
    ZKT_GetGP2XInputState(&b);
    return b;
}

} // namespace

TEST_F(LowLevel, InitialisedState)
{
    u32 mode = 99, depth = 99, w = 0, h = 0;
    ZKT_GetDisplayMode(&mode, &depth);
    ZKT_GetDisplaySize(&w, &h);
    EXPECT_EQ(mode, 0u);
    EXPECT_EQ(depth, 16u);
    EXPECT_EQ(w, 320u);
    EXPECT_EQ(h, 240u);
    ASSERT_NE(g_Screen, nullptr);
    EXPECT_EQ(g_Screen->w, 660);
    EXPECT_EQ(g_Screen->h, 380);
    EXPECT_EQ(g_Screen->format->BitsPerPixel, 24);
    EXPECT_EQ(g_ulGammaTable[0x80], 0x00808080u);
    EXPECT_EQ(g_ulGammaTable[255], 0x00FFFFFFu);
    EXPECT_EQ(g_ulRGBColorTable[17], 0u);
    for (int r = 0; r < 4; r++) {
        EXPECT_EQ(g_RGBLayerRegion[r].bEnable, 0u);
        EXPECT_EQ(g_RGBLayerRegion[r].bShow, 1u);
    }
    EXPECT_EQ(g_RGBLayerRegion[4].bEnable, 1u);
    EXPECT_EQ(g_RGBLayerRegion[4].bShow, 1u);
    EXPECT_EQ(g_YUVPlane[0].bEnable | g_YUVPlane[1].bEnable | g_cursorLayer.bEnable | g_bOSDLayerEnable, 0u);
    EXPECT_EQ(g_bEnableGamma | g_bSaveOnDisk | g_bGP2XBatteryLEDState, 0u);
    EXPECT_EQ(g_dualCoreItemHdr.ulCapacity, 1000u);
    EXPECT_EQ(g_dualCoreItemHdr.ulPending.load() + g_dualCoreItemHdr.ulSentCount, 0u);
    EXPECT_EQ(g_dualCoreItemHdr.pWriteBuffer, g_ulDualCoreMsg);
    u32 *base = nullptr;
    ZKT_GetVideoBasePtr(&base);
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(ZKT_GetVideoPtrOn920(0x240000), (u8 *)base + 0x240000);
    // Video memory spans the whole 8 MiB: touching both ends must be legal.
    ZKT_GetVideoPtrOn920(0)[0] = 1;
    ZKT_GetVideoPtrOn920(ZKT_VIDEO_MEM_SIZE - 1)[0] = 1;
}

TEST_F(LowLevel, ModeTableAndWindowSizes)
{
    struct Case {
        u32 mode;
        int sx, sy, ww, wh;
    } cases[] = {
        {0, 320, 240, 660, 380}, {1, 160, 240, 660, 380}, {4, 80, 60, 660, 380},   {5, 320, 240, 720, 480},
        {6, 720, 480, 720, 480}, {8, 584, 480, 720, 480}, {12, 360, 240, 720, 480}, {15, 180, 240, 720, 480},
        {18, 90, 60, 720, 480},  {19, 320, 240, 720, 576}, {20, 720, 576, 720, 576}, {22, 704, 576, 720, 576},
        {26, 360, 288, 720, 576}, {27, 352, 288, 720, 576}, {32, 90, 72, 720, 576},
    };
    for (const Case &c : cases) {
        g_cursorLayer.bEnable = 1;
        g_YUVPlane[0].bEnable = g_YUVPlane[1].bEnable = 1;
        for (int r = 0; r < 5; r++)
            g_RGBLayerRegion[r].bEnable = g_RGBLayerRegion[r].bShow = 0;
        g_ulRGBVideoMemOffset = 0x1234;
        g_ulRGBColorTable[3] = 0xABCDEF;
        ASSERT_EQ(ZKT_SetDisplayMode(c.mode, 8), 0u);
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(g_ulDISPLAY_MODE, c.mode);
        EXPECT_EQ(g_nScreenSizeX, c.sx);
        EXPECT_EQ(g_nScreenSizeY, c.sy);
        EXPECT_EQ(g_nColorBitDepth, 8);
        EXPECT_EQ(g_Screen->w, c.ww);
        EXPECT_EQ(g_Screen->h, c.wh);
        EXPECT_EQ(g_cursorLayer.bEnable, 0u);
        EXPECT_EQ(g_YUVPlane[0].bEnable | g_YUVPlane[1].bEnable, 0u);
        EXPECT_EQ(g_RGBLayerRegion[4].bEnable, 1u);
        EXPECT_EQ(g_RGBLayerRegion[0].bEnable, 0u);
        EXPECT_EQ(g_RGBLayerRegion[2].bShow, 1u);
        // Start address and palettes survive a mode change.
        EXPECT_EQ(g_ulRGBVideoMemOffset, 0x1234u);
        EXPECT_EQ(g_ulRGBColorTable[3], 0xABCDEFu);
    }
    // Every NTSC mode has 480 output lines and every PAL mode 576, and no
    // source is larger than its output.
    for (u32 m = 0; m <= 32; m++) {
        EXPECT_LE(g_nModeSizeX[m], m <= 4 ? 320 : 720);
        EXPECT_LE(g_nModeSizeY[m], m <= 4 ? 240 : (m <= 18 ? 480 : 576));
    }
    ZKT_ModifyRGBbpp(4);
    EXPECT_EQ(g_nColorBitDepth, 4);
    EXPECT_EQ(g_ulDISPLAY_MODE, 32u);
    EXPECT_EQ(g_nScreenSizeX, 90);
}

TEST_F(LowLevel, FrameClock)
{
    g_pfnZKTClock = FakeClock;
    ZKT_ResetFrameTime();
    u32 ms = 99, count = 0;
    ZKT_GetFrameTime(&ms);
    EXPECT_EQ(ms, 0u);
    s_fakeNow += 250;
    ZKT_GetFrameTime(&ms);
    EXPECT_EQ(ms, 250u);
    ZKT_GetFrameCount(&count);
    EXPECT_EQ(count, 2u);
    ZKT_ResetFrameTime();
    s_fakeNow += 1000;
    ZKT_GetFrameTime(&ms);
    EXPECT_EQ(ms, 0u) << "a reset starts a new time base";
    u32 t = 0;
    ZKT_GetTime(&t);
    EXPECT_EQ(t, s_fakeNow);
}

TEST_F(LowLevel, VSyncPacesPairsOfFrames)
{
    g_pfnZKTClock = FakeClock;
    g_pfnZKTSleep = FakeSleep;
    ZKT_WaitVSync(); // even: never sleeps
    s_fakeNow += 3;
    ZKT_WaitVSync(); // odd: waits out the rest of 17 ms
    ASSERT_EQ(s_sleeps.size(), 1u);
    EXPECT_EQ(s_sleeps[0], 14u);
    ZKT_WaitVSync(); // even again
    EXPECT_EQ(s_sleeps.size(), 1u);
    s_fakeNow += 30; // late: a short 4 ms breather
    ZKT_WaitVSync();
    ASSERT_EQ(s_sleeps.size(), 2u);
    EXPECT_EQ(s_sleeps[1], 4u);
    // The reference is the clock before the sleep.
    ZKT_WaitVSync();
    u32 before = s_fakeNow;
    ZKT_WaitVSync();
    EXPECT_EQ(s_sleeps.back(), 17u);
    EXPECT_EQ(s_fakeNow, before + 17);
}

TEST_F(LowLevel, VSyncRealClockTakesAtLeast17msPerPair)
{
    u32 t0 = SDL_GetTicks();
    ZKT_WaitVSync();
    ZKT_WaitVSync();
    u32 t1 = SDL_GetTicks();
    EXPECT_GE(t1 - t0, 17u);
}

TEST_F(LowLevel, KeyboardButtonMap)
{
    const struct {
        SDLKey key;
        u32 bit;
    } keys[20] = {{SDLK_KP8, 0x1},           {SDLK_KP7, 0x2},       {SDLK_KP4, 0x4},         {SDLK_KP1, 0x8},
                  {SDLK_KP2, 0x10},          {SDLK_KP3, 0x20},      {SDLK_KP6, 0x40},        {SDLK_KP9, 0x80},
                  {SDLK_PAGEDOWN, 0x100},    {SDLK_DELETE, 0x200},  {SDLK_KP_DIVIDE, 0x400}, {SDLK_KP_MULTIPLY, 0x800},
                  {SDLK_HOME, 0x1000},       {SDLK_PAGEUP, 0x2000}, {SDLK_INSERT, 0x4000},   {SDLK_END, 0x8000},
                  {SDLK_KP_MINUS, 0x10000},  {SDLK_KP_PLUS, 0x20000}, {SDLK_KP5, 0x40000},   {SDLK_ESCAPE, 0x80000}};
    u32 all = 0;
    for (auto &k : keys) {
        PushKey(k.key, true);
        EXPECT_EQ(Buttons(), all | k.bit) << k.key;
        all |= k.bit;
    }
    EXPECT_EQ(all, 0xFFFFFu);
    for (auto &k : keys) {
        PushKey(k.key, false);
        all &= ~k.bit;
        EXPECT_EQ(Buttons(), all) << k.key;
    }
    // Keys that are not buttons change nothing.
    PushKey(SDLK_a, true);
    EXPECT_EQ(Buttons(), 0u);
}

TEST_F(LowLevel, ChordsReleaseAndTheMouseBits)
{
    PushKey(SDLK_KP8, true);
    Buttons();
    PushKey(SDLK_KP6, true);
    EXPECT_EQ(Buttons(), 0x41u);
    PushKey(SDLK_KP8, false);
    EXPECT_EQ(Buttons(), 0x40u);
    // Every pending event is taken; the mouse bits are ORed in.
    PushKey(SDLK_KP6, false);
    PushKey(SDLK_KP2, true);
    g_ulGP2XInputStateWinGUI = 0x30000;
    EXPECT_EQ(Buttons(), 0x30010u);
    g_ulGP2XInputStateWinGUI = 0;
}

TEST_F(LowLevel, WindowCloseSetsExitAndItStays)
{
    SDL_Event ev = {};
    ev.type = SDL_QUIT;
    SDL_PushEvent(&ev);
    EXPECT_EQ(Buttons(), 0x80000u);
    EXPECT_EQ(Buttons(), 0x80000u);
}

TEST_F(LowLevel, DeviceKeyTableHas105DistinctCodes)
{
    // Every SDL key symbol the keyboard can send, checked against the table.
    std::vector<u32> codes;
    for (u32 sym = 0; sym < SDLK_LAST; sym++) {
        u32 code = ZKT_WinDeviceCodeForKey(sym);
        if (code)
            codes.push_back(code);
    }
    EXPECT_EQ(codes.size(), 105u);
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(std::unique(codes.begin(), codes.end()), codes.end()) << "two keys share a code";
    EXPECT_EQ(ZKT_WinDeviceCodeForKey(SDLK_a), 30u);
    EXPECT_EQ(ZKT_WinDeviceCodeForKey(SDLK_1), 2u);
    EXPECT_EQ(ZKT_WinDeviceCodeForKey(SDLK_KP0), 82u);
    EXPECT_EQ(ZKT_WinDeviceCodeForKey(SDLK_F11), 87u);
    EXPECT_EQ(ZKT_WinDeviceCodeForKey(SDLK_PAUSE), 119u);
    EXPECT_EQ(ZKT_WinDeviceCodeForKey(SDLK_RCTRL), 97u);
    EXPECT_EQ(ZKT_WinDeviceCodeForKey(SDLK_KP_ENTER), 96u);
    EXPECT_EQ(ZKT_WinDeviceCodeForKey(SDLK_CARET), 41u);
    EXPECT_EQ(ZKT_WinDeviceCodeForKey(SDLK_SLASH), 53u);
    EXPECT_EQ(ZKT_WinDeviceCodeForKey(SDLK_SCROLLOCK), 0u);
    EXPECT_EQ(ZKT_WinDeviceCodeForKey(SDLK_PRINT), 0u);
}

TEST_F(LowLevel, ScrollLockSwitchesToDeviceEvents)
{
    u16 type = 0, code = 0;
    u32 value = 0;
    // In button mode the keyboard is not a device.
    EXPECT_EQ(ZKT_GetHIDEvent(0, &type, &code, &value), (u32)ZKT_NO_DEVICE);
    EXPECT_EQ(ZKT_GetHIDEvent(1, &type, &code, &value), (u32)ZKT_NO_DEVICE);

    PushKey(SDLK_KP4, true); // held across the switch
    Buttons();
    PushKey(SDLK_SCROLLOCK, true);
    Buttons();
    PushKey(SDLK_SCROLLOCK, false);
    Buttons(); // the release switches modes

    PushKey(SDLK_q, true);
    ASSERT_EQ(ZKT_GetHIDEvent(0, &type, &code, &value), (u32)ZKT_EVENT_READY);
    EXPECT_EQ(type, 1);
    EXPECT_EQ(code, 16);
    EXPECT_EQ(value, 1u);
    // The event was consumed.
    EXPECT_EQ(ZKT_GetHIDEvent(0, &type, &code, &value), (u32)ZKT_NO_EVENT);
    PushKey(SDLK_q, false);
    ASSERT_EQ(ZKT_GetHIDEvent(0, &type, &code, &value), (u32)ZKT_EVENT_READY);
    EXPECT_EQ(value, 0u);

    // Button keys no longer change the mask; the held one stays set.
    PushKey(SDLK_KP8, true);
    EXPECT_EQ(Buttons(), 0x4u);

    // Back to button mode; the stale key-up now releases the held button.
    PushKey(SDLK_SCROLLOCK, true);
    Buttons();
    PushKey(SDLK_SCROLLOCK, false);
    Buttons();
    EXPECT_EQ(ZKT_GetHIDEvent(0, &type, &code, &value), (u32)ZKT_NO_DEVICE);
    PushKey(SDLK_KP4, false);
    EXPECT_EQ(Buttons(), 0u);
}

// Under a flood of pointer events every key still counts at once, a tap
// shorter than a frame is seen for one read, a click shorter than a frame
// presses the pictured button for one frame, and a window close or a signal
// ends the program in the device mode too, even with the queue full.
TEST_F(LowLevel, EveryEventTakenAndNoQuitOrShortPressLost)
{
    for (int i = 0; i < 100; i++) {
        SDL_Event ev = {};
        ev.type = SDL_MOUSEMOTION;
        ev.motion.x = (Uint16)i;
        SDL_PushEvent(&ev);
    }
    PushKey(SDLK_KP6, true);
    PushKey(SDLK_KP2, true);
    PushKey(SDLK_KP2, false);
    EXPECT_EQ(Buttons(), 0x50u);
    EXPECT_EQ(Buttons(), 0x40u);

    SDL_Event click = {};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_LEFT;
    click.button.x = 611; // the pictured right small button
    click.button.y = 224;
    SDL_PushEvent(&click);
    click.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&click);
    Buttons();
    ZKT_LowLevelAPI_SoftRender();
    EXPECT_EQ(Buttons(), 0x140u);
    ZKT_LowLevelAPI_SoftRender();
    EXPECT_EQ(Buttons(), 0x40u);

    PushKey(SDLK_SCROLLOCK, true);
    PushKey(SDLK_SCROLLOCK, false);
    Buttons();
    char *title = nullptr;
    SDL_WM_GetCaption(&title, nullptr);
    EXPECT_NE(std::string(title ? title : "").find("USB device"), std::string::npos) << title;
    PushKey(SDLK_a, true);
    PushKey(SDLK_b, true);
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_EQ(Buttons(), 0x80040u);
    // Both letters wait for the program, in order.
    u16 type = 0, code = 0;
    u32 value = 0;
    ASSERT_EQ(ZKT_GetHIDEvent(0, &type, &code, &value), (u32)ZKT_EVENT_READY);
    EXPECT_EQ(code, 30);
    ASSERT_EQ(ZKT_GetHIDEvent(0, &type, &code, &value), (u32)ZKT_EVENT_READY);
    EXPECT_EQ(code, 48);
    EXPECT_EQ(ZKT_GetHIDEvent(0, &type, &code, &value), (u32)ZKT_NO_EVENT);

    // A fresh start, then SIGTERM while the queue is full.
    ZKT_FreeLowLevelAPI(0);
    ASSERT_EQ(ZKT_InitLowLevelAPI("test"), 0u);
    struct sigaction sa = {};
    sigaction(SIGTERM, nullptr, &sa);
    ASSERT_NE(sa.sa_handler, SIG_DFL) << "SDL catches SIGTERM";
    SDL_Event key = {};
    key.type = SDL_KEYDOWN;
    key.key.keysym.sym = SDLK_x;
    while (SDL_PushEvent(&key) == 0) {
    }
    raise(SIGTERM);
    EXPECT_EQ(Buttons() & 0x80000u, 0x80000u);
}

// The viewer scales only the copy on SDL's screen: the window picture keeps
// its own surface and size, a click maps back through the scale, the layer
// keys leave the model's flags alone, the arrows and - = act as stick and
// volume, and no viewer key acts while the keyboard is a device.
TEST_F(LowLevel, ViewerScalesOnlyThePresentation)
{
    ZKT_FreeLowLevelAPI(0);
    ZKT_WinViewerStart(2, 0);
    ASSERT_EQ(ZKT_InitLowLevelAPI("test"), 0u);
    SDL_Surface *video = SDL_GetVideoSurface();
    ASSERT_NE(video, nullptr);
    ASSERT_NE(g_Screen, video);
    EXPECT_EQ(video->w, 1320);
    EXPECT_EQ(video->h, 760);
    EXPECT_EQ(g_Screen->w, 660);
    EXPECT_EQ(g_Screen->h, 380);
    // Every shown pixel is the picture's pixel under it.
    auto wrongPixels = [](int k) {
        ZKT_LowLevelAPI_SoftRender();
        const SDL_Surface *v = SDL_GetVideoSurface();
        const u8 *pic = (const u8 *)g_Screen->pixels, *out = (const u8 *)v->pixels;
        int wrong = 0;
        for (int y = 0; y < v->h; y++)
            for (int x = 0; x < v->w; x++)
                wrong += std::memcmp(out + y * v->pitch + x * 3, pic + (y / k) * g_Screen->pitch + (x / k) * 3, 3) != 0;
        return wrong;
    };
    EXPECT_EQ(wrongPixels(2), 0);

    SDL_Event click = {};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_LEFT;
    click.button.x = 611 * 2 + 1; // the pictured right small button
    click.button.y = 224 * 2 + 1;
    SDL_PushEvent(&click);
    Buttons();
    ZKT_LowLevelAPI_SoftRender();
    EXPECT_EQ(Buttons(), 0x100u);
    // The window picture outside the screen is the skin again once the
    // pointer has left the button, after a size change and after a round
    // trip through a television mode.
    auto skinPixelsWrong = [] {
        int wrong = 0;
        for (int y = 0; y < ZKT_WIN_H; y++)
            for (int x = 0; x < ZKT_WIN_W; x++)
                if (x < ZKT_LCD_X || x >= ZKT_LCD_X + 320 || y < ZKT_LCD_Y || y >= ZKT_LCD_Y + 240)
                    wrong += std::memcmp((const u8 *)g_Screen->pixels + y * g_Screen->pitch + x * 3,
                                         BMP_GP2XW32 + y * ZKT_WIN_PITCH + x * 3, 3) != 0;
        return wrong;
    };
    EXPECT_GT(skinPixelsWrong(), 0); // the highlight
    ZKT_LowLevelAPI_SoftRender();
    EXPECT_EQ(skinPixelsWrong(), 0);

    g_bOSDLayerEnable = 1;
    PushKey(SDLK_3, true);
    PushKey(SDLK_3, false);
    PushKey(SDLK_UP, true);
    PushKey(SDLK_EQUALS, true);
    PushKey(SDLK_F2, true);
    PushKey(SDLK_F5, true);
    EXPECT_EQ(Buttons(), 0x20001u);
    EXPECT_EQ(g_ulViewHiddenLayers, ZKT_VIEW_OSD);
    EXPECT_EQ(g_bOSDLayerEnable, 1u);
    char *title = nullptr;
    SDL_WM_GetCaption(&title, nullptr);
    EXPECT_NE(std::string(title ? title : "").find("hidden: OSD"), std::string::npos) << title;
    EXPECT_EQ(ZKT_WinTakeViewerKey(), 2u);
    EXPECT_EQ(ZKT_WinTakeViewerKey(), 5u);
    EXPECT_EQ(ZKT_WinTakeViewerKey(), 0u);

    PushKey(SDLK_F10, true);
    Buttons();
    EXPECT_EQ(SDL_GetVideoSurface()->w, 1980);
    EXPECT_EQ(g_Screen->w, 660);
    EXPECT_EQ(wrongPixels(3), 0);
    EXPECT_EQ(skinPixelsWrong(), 0);
    ZKT_SetDisplayMode(12, 16);
    ZKT_LowLevelAPI_SoftRender();
    ZKT_SetDisplayMode(0, 16);
    ZKT_LowLevelAPI_SoftRender();
    EXPECT_EQ(skinPixelsWrong(), 0);

    PushKey(SDLK_SCROLLOCK, true);
    PushKey(SDLK_SCROLLOCK, false);
    PushKey(SDLK_3, true);
    PushKey(SDLK_F2, true);
    PushKey(SDLK_F9, true);
    Buttons();
    EXPECT_EQ(g_ulViewHiddenLayers, ZKT_VIEW_OSD);
    EXPECT_EQ(ZKT_WinTakeViewerKey(), 0u);
    EXPECT_EQ(SDL_GetVideoSurface()->w, 1980);
}

TEST_F(LowLevel, WinReadReportsTheModeItWasAskedFor)
{
    u32 b;
    u16 t, c;
    u32 v;
    EXPECT_EQ(ZKT_WinReadSDLEvent(1, &b, &t, &c, &v), 1u);
    EXPECT_EQ(ZKT_WinReadSDLEvent(0, &b, &t, &c, &v), 0u);
}

TEST_F(LowLevel, DesktopStubs)
{
    u16 a, b, c;
    EXPECT_EQ(ZKT_HIDDetection(1), (u32)ZKT_ERR_NOT_AVAILABLE);
    EXPECT_EQ(ZKT_GetTouchScreen(&a, &b, &c), (u32)ZKT_ERR_NOT_AVAILABLE);
    EXPECT_EQ(ZKT_SetTvInterlace(1), 0u);
    EXPECT_EQ(ZKT_WaitHSync(), 0u);
    EXPECT_EQ(ZKT_WaitVSync2(), 0u);
}

TEST(LowLevelFailure, InitReportsAMissingDisplay)
{
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    u32 r = ZKT_InitLowLevelAPI("test");
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    EXPECT_EQ(r, (u32)ZKT_ERR_INIT);
    EXPECT_NE(std::string(SDL_GetError()), "");
    // Freeing after a failed start-up releases what was obtained and
    // nothing else.
    EXPECT_EQ(ZKT_FreeLowLevelAPI(0), 0u);
    EXPECT_EQ(g_pGP2X_DUALCORE_MEM, nullptr);
    EXPECT_EQ(g_GP2X_VIDEO_BASE_PTR, nullptr);
}
