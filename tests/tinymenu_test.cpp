// Volume control and tiny menu: the input rules, the presentation clock and
// the cursor bitmaps, driven frame by frame at chosen times.
#include <gtest/gtest.h>
#include <mikmod.h>

#include <cstring>
#include <vector>

#include "assets/assets.h"
#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "runtime/music.h"
#include "ui/zkt_tinymenu_vol.h"

namespace {

u32 s_now = 0;
u32 Now() { return s_now; }

// 2-bit pixel of a packed picture with `rowBytes` per row.
u32 Pix(const u8 *p, u32 rowBytes, u32 x, u32 y) { return (p[y * rowBytes + x / 4] >> ((x % 4) * 2)) & 3u; }
u32 PicPix(const u8 *pic, u32 w, u32 x, u32 y) { return Pix(pic, (w * 2 + 7) / 8, x, y); }
// Frame pixel of a television cursor bitmap: even rows in the first field.
u32 TvPix(const u8 *p, u32 x, u32 y) { return Pix(p + (y & 1) * 0x400, 16, x, y >> 1); }

class TinyMenu : public ::testing::Test {
protected:
    std::vector<u8> vram = std::vector<u8>(ZKT_VIDEO_MEM_SIZE, 0x5C);
    u8 *saved = nullptr;
    u32 prev = 0;

    void SetUp() override
    {
        saved = g_GP2X_VIDEO_BASE_PTR;
        g_GP2X_VIDEO_BASE_PTR = vram.data();
        s_now = 100000;
        ZKT_TMV_SetTimeSource(Now);
        std::memset(&g_cursorLayer, 0, sizeof g_cursorLayer);
        Init(1, 0);
    }
    void TearDown() override
    {
        ZKT_TMV_SetTimeSource(nullptr);
        g_GP2X_VIDEO_BASE_PTR = saved;
    }

    void Init(u32 lcd, u32 pal)
    {
        ASSERT_EQ(ZKT_TMV_Vol_Initialize(lcd, pal), 0u);
        ASSERT_EQ(ZKT_TMV_TinyMenu_Initialize(lcd, pal), 0u);
        ZKT_TMV_Vol_GetVolume(); // the start-up read
        ZKT_TMV_Start_Absolute_Timer();
        prev = 0;
    }

    // One frame at time t with the buttons held.
    void Frame(u32 t, u32 input)
    {
        s_now = t;
        ZKT_TMV_HandleVolAndTinyMenu(input, prev);
        prev = input;
    }
    // Press and release over two frames.
    void Tap(u32 t, u32 button)
    {
        Frame(t, button);
        Frame(t + 1, 0);
    }
    const u8 *Vram(u32 off) const { return vram.data() + off; }
};

// ---- volume ----

TEST_F(TinyMenu, VolumeTableStartLevelAndMute)
{
    static const u32 kTable[21] = {0, 6, 12, 19, 25, 32, 38, 44, 51, 57, 64, 70, 76, 83, 89, 96, 102, 108, 115, 121, 128};
    for (int i = 0; i < 21; i++)
        EXPECT_EQ(g_TMV_VOLUME_TABLE[i], kTable[i]) << i;

    ZKT_TMV_Vol_Initialize(1, 0);
    EXPECT_EQ(g_TMV_IS_VOLUME_CHANGE, 1u) << "the first read must apply the level";
    EXPECT_EQ(ZKT_TMV_Vol_GetVolume(), 96u);
    EXPECT_EQ(g_TMV_IS_VOLUME_CHANGE, 0u);

    Tap(1000, ZKT_BTN_VOLUP | ZKT_BTN_VOLDOWN);
    EXPECT_EQ(g_TMV_MUTE_ENABLE, 1u);
    EXPECT_EQ(ZKT_TMV_Vol_GetVolume(), 0u);
}

TEST_F(TinyMenu, UpAtTopBlinksWithoutChange)
{
    for (u32 i = 0; i < 5; i++)
        Tap(1000 + 10 * i, ZKT_BTN_VOLUP);
    ASSERT_EQ(g_TMV_VOLUME_INDEX, 20u);
    ZKT_TMV_Vol_GetVolume();

    Frame(2000, ZKT_BTN_VOLUP);
    EXPECT_EQ(g_TMV_VOLUME_INDEX, 20u);
    EXPECT_EQ(g_TMV_IS_VOLUME_CHANGE, 0u);
    EXPECT_EQ(g_TMV_VOLCTRL_TILD_TIME, 2200u);
    EXPECT_EQ(g_TMV_VOLCTRL_SHOW_UNTIL_TIME, 4000u);

    // The white's opacity dips in the middle of the blink and comes back.
    Frame(2100, 0);
    EXPECT_EQ(g_cursorLayer.ulColor1, 0x7FFFFFFFu);
    Frame(2199, 0);
    EXPECT_GE(g_cursorLayer.ulColor1 >> 28, 0xFu);
    Frame(2300, 0);
    EXPECT_EQ(g_cursorLayer.ulColor1, 0xFFFFFFFFu);
    EXPECT_EQ(g_cursorLayer.bEnable, 1u);
    EXPECT_EQ(g_cursorLayer.ulBitmapOffset, ZKT_TMV_VOL_STEP_BITMAP(20));

    // Down at the bottom blinks the same way.
    Init(1, 0);
    for (u32 i = 0; i < 16; i++)
        Tap(5000 + 10 * i, ZKT_BTN_VOLDOWN);
    ASSERT_EQ(g_TMV_VOLUME_INDEX, 0u);
    EXPECT_EQ(ZKT_TMV_Vol_GetVolume(), 0u);
    Frame(6000, ZKT_BTN_VOLDOWN);
    EXPECT_EQ(g_TMV_VOLUME_INDEX, 0u);
    EXPECT_EQ(g_TMV_IS_VOLUME_CHANGE, 0u);
    EXPECT_EQ(g_TMV_VOLCTRL_TILD_TIME, 6200u);
}

TEST_F(TinyMenu, MuteAndUnmuteKeepTheStep)
{
    Frame(1000, ZKT_BTN_VOLDOWN); // 14
    Frame(1100, ZKT_BTN_VOLDOWN);
    Frame(1101, ZKT_BTN_VOLDOWN | ZKT_BTN_VOLUP); // second button joins: mute
    EXPECT_EQ(g_TMV_MUTE_ENABLE, 1u);
    EXPECT_EQ(g_TMV_VOLUME_INDEX, 14u);
    Frame(1102, 0);
    EXPECT_EQ(ZKT_TMV_Vol_GetVolume(), 0u);

    // Mute again: only the display time grows.
    Tap(1500, ZKT_BTN_VOLUP | ZKT_BTN_VOLDOWN);
    EXPECT_EQ(g_TMV_IS_VOLUME_CHANGE, 0u);
    EXPECT_EQ(g_TMV_VOLCTRL_SHOW_UNTIL_TIME, 3500u);
    EXPECT_EQ(g_cursorLayer.ulBitmapOffset, ZKT_TMV_VOL_MUTED_BITMAP);

    // Up while muted unmutes at the same step.
    Tap(2000, ZKT_BTN_VOLUP);
    EXPECT_EQ(g_TMV_MUTE_ENABLE, 0u);
    EXPECT_EQ(g_TMV_VOLUME_INDEX, 14u);
    EXPECT_EQ(ZKT_TMV_Vol_GetVolume(), 89u);
    // Down while muted the same.
    Tap(2500, ZKT_BTN_VOLUP | ZKT_BTN_VOLDOWN);
    Tap(2600, ZKT_BTN_VOLDOWN);
    EXPECT_EQ(g_TMV_VOLUME_INDEX, 14u);
    EXPECT_EQ(g_TMV_MUTE_ENABLE, 0u);
}

TEST_F(TinyMenu, HeldVolumeButtonDoesNotRepeat)
{
    for (u32 t = 1000; t < 3000; t += 17)
        Frame(t, ZKT_BTN_VOLUP);
    EXPECT_EQ(g_TMV_VOLUME_INDEX, 16u);
    // Adding the second button mutes; letting go of one then steps nothing.
    Frame(3000, ZKT_BTN_VOLUP | ZKT_BTN_VOLDOWN);
    EXPECT_EQ(g_TMV_MUTE_ENABLE, 1u);
    Frame(3017, ZKT_BTN_VOLDOWN);
    EXPECT_EQ(g_TMV_VOLUME_INDEX, 16u);
    EXPECT_EQ(g_TMV_MUTE_ENABLE, 1u);
}

TEST_F(TinyMenu, IndicatorShowsTwoSecondsAndFades)
{
    Tap(1000, ZKT_BTN_VOLUP);
    EXPECT_EQ(g_cursorLayer.bEnable, 1u);
    EXPECT_EQ(g_cursorLayer.bLarge, 0u);
    EXPECT_EQ(g_cursorLayer.usX, 240u);
    EXPECT_EQ(g_cursorLayer.usY, 195u);
    EXPECT_EQ(g_cursorLayer.ulBitmapOffset, ZKT_TMV_VOL_STEP_BITMAP(16));
    EXPECT_EQ(g_cursorLayer.ulColor1, 0xFFFFFFFFu);
    EXPECT_EQ(g_cursorLayer.ulColor0, 0x80000000u);

    Frame(2760, 0); // 240 ms left: the fade starts right after
    EXPECT_EQ(g_cursorLayer.ulColor1, 0xFFFFFFFFu);
    Frame(2880, 0); // half-way through the fade
    EXPECT_EQ(g_cursorLayer.ulColor1, (32768u * 0xFF00u) | 0xFFFFFFu);
    EXPECT_EQ(g_cursorLayer.ulColor0, 0x40000000u);
    Frame(2999, 0);
    EXPECT_EQ(g_cursorLayer.bEnable, 1u);
    EXPECT_LT(g_cursorLayer.ulColor1 >> 24, 2u);
    Frame(3000, 0);
    EXPECT_EQ(g_cursorLayer.bEnable, 0u);
    EXPECT_EQ(g_TMV_IS_VOLUME_SHOW, 0u);
}

// ---- menu states and input rules ----

TEST_F(TinyMenu, OpenConfirmOnlyAfterFadeIn)
{
    Tap(1000, ZKT_BTN_START);
    EXPECT_EQ(ZKT_TMV_TinyMenu_GetState(), 1u);
    EXPECT_EQ(g_TMV_TINYMENU_SHOW, 1u);
    EXPECT_EQ(g_TMV_TINYMENU_FADEIN_UNTIL_TIME, 1320u);

    Tap(1100, ZKT_BTN_START);
    Frame(1200, ZKT_BTN_B);
    Frame(1319, ZKT_BTN_B);
    EXPECT_EQ(ZKT_TMV_TinyMenu_GetState(), 1u) << "confirm during the fade-in";
    Frame(1320, 0); // fade-in over
    Frame(1330, ZKT_BTN_B);
    EXPECT_EQ(ZKT_TMV_TinyMenu_GetState(), 0u);
    EXPECT_EQ(g_TMV_TINYMENU_FADEOUT_UNTIL_TIME, 1650u);
    Frame(1340, 0);
    EXPECT_EQ(g_TMV_TINYMENU_SHOW, 1u) << "still fading out";
    Frame(1650, 0);
    EXPECT_EQ(g_TMV_TINYMENU_SHOW, 0u);
    EXPECT_EQ(g_cursorLayer.bEnable, 0u);
}

TEST_F(TinyMenu, ScrollsNeedNewPressesAndWaitForEachOther)
{
    Tap(1000, ZKT_BTN_START);
    Tap(1010, ZKT_BTN_LEFT); // during the fade-in: ignored
    EXPECT_EQ(g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME, 0u);
    Frame(1400, 0);

    Frame(1500, ZKT_BTN_LEFT);
    EXPECT_EQ(g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME, 1790u);
    EXPECT_EQ(g_TMV_TINYMENU_NEXT_PRESSED, 1u);
    Frame(1600, 0);
    Frame(1601, ZKT_BTN_RIGHT); // another scroll while one runs: ignored
    EXPECT_EQ(g_TMV_TINYMENU_DO_PREV_UNTIL_TIME, 0u);
    EXPECT_EQ(g_TMV_TINYMENU_PREV_PRESSED, 1u);
    Frame(1602, 0);
    EXPECT_EQ(g_TMV_TINYMENU_SELITEM, 0u);
    Frame(1790, 0);
    EXPECT_EQ(g_TMV_TINYMENU_SELITEM, 1u);

    // Holding the stick does not repeat.
    for (u32 t = 1800; t < 3000; t += 17)
        Frame(t, ZKT_BTN_LEFT);
    Frame(3000, 0);
    EXPECT_EQ(g_TMV_TINYMENU_SELITEM, 2u);

    // Forward wraps to 0, backward (stick right or the left small button) to 2.
    Tap(3100, ZKT_BTN_LEFT);
    Frame(3400, 0);
    EXPECT_EQ(g_TMV_TINYMENU_SELITEM, 0u);
    Tap(3500, ZKT_BTN_SELECT);
    Frame(3800, 0);
    EXPECT_EQ(g_TMV_TINYMENU_SELITEM, 2u);
    Tap(3900, ZKT_BTN_RIGHT);
    Frame(4200, 0);
    EXPECT_EQ(g_TMV_TINYMENU_SELITEM, 1u);

    // Confirm during a scroll does nothing.
    Tap(4300, ZKT_BTN_RIGHT);
    Tap(4400, ZKT_BTN_START);
    EXPECT_EQ(ZKT_TMV_TinyMenu_GetState(), 1u);
}

TEST_F(TinyMenu, VolumeIgnoredWhileTheMenuOwnsTheCursor)
{
    Tap(1000, ZKT_BTN_VOLUP); // indicator up, step 16
    ZKT_TMV_Vol_GetVolume();
    Tap(1100, ZKT_BTN_START);
    Tap(1200, ZKT_BTN_VOLUP);
    EXPECT_EQ(g_TMV_VOLUME_INDEX, 16u);
    EXPECT_EQ(g_cursorLayer.ulBitmapOffset, ZKT_TMV_MENU_BITMAP);

    // Hidden while paused: still ignored, indicator stays away.
    Frame(1500, 0);
    Tap(1600, ZKT_BTN_LEFT);
    Frame(2000, 0);
    ASSERT_EQ(g_TMV_TINYMENU_SELITEM, 1u);
    Tap(2100, ZKT_BTN_START);
    ASSERT_EQ(ZKT_TMV_TinyMenu_GetState(), 3u);
    Frame(2500, 0);
    EXPECT_EQ(g_cursorLayer.bEnable, 0u);
    Frame(2600, ZKT_BTN_VOLDOWN); // reopens the menu instead
    EXPECT_EQ(g_TMV_VOLUME_INDEX, 16u);
    EXPECT_EQ(ZKT_TMV_TinyMenu_GetState(), 1u);
    Frame(2700, 0);

    // Resume: ignored until the fade-out has ended, then heard again.
    Frame(3000, 0);
    Tap(3100, ZKT_BTN_SELECT);
    Frame(3800, 0);
    ASSERT_EQ(g_TMV_TINYMENU_SELITEM, 0u);
    Tap(3900, ZKT_BTN_START);
    ASSERT_EQ(ZKT_TMV_TinyMenu_GetState(), 0u);
    Tap(4000, ZKT_BTN_VOLUP);
    EXPECT_EQ(g_TMV_VOLUME_INDEX, 16u);
    Frame(4220, 0);
    ASSERT_EQ(g_TMV_TINYMENU_SHOW, 0u);
    Tap(4300, ZKT_BTN_VOLUP);
    EXPECT_EQ(g_TMV_VOLUME_INDEX, 17u);
    EXPECT_EQ(g_cursorLayer.ulBitmapOffset, ZKT_TMV_VOL_STEP_BITMAP(17));
}

TEST_F(TinyMenu, HideAndReopen)
{
    Tap(1000, ZKT_BTN_START);
    Frame(1400, 0);
    Tap(1500, ZKT_BTN_LEFT);
    Frame(1800, 0);
    Tap(1900, ZKT_BTN_START);
    EXPECT_EQ(ZKT_TMV_TinyMenu_GetState(), 3u);
    Frame(2220, 0);
    EXPECT_EQ(g_cursorLayer.bEnable, 0u);
    EXPECT_EQ(g_TMV_TINYMENU_SHOW, 1u);

    // Any button pressed from nothing held reopens it.
    Frame(2300, ZKT_BTN_X);
    EXPECT_EQ(ZKT_TMV_TinyMenu_GetState(), 1u);

    // A button still held from before, or pressed while another is held, does not.
    Init(1, 0);
    Tap(1000, ZKT_BTN_START);
    Frame(1400, 0);
    Tap(1500, ZKT_BTN_LEFT);
    Frame(1800, 0);
    Frame(1900, ZKT_BTN_START | ZKT_BTN_X);
    ASSERT_EQ(ZKT_TMV_TinyMenu_GetState(), 3u);
    Frame(2300, ZKT_BTN_X);
    Frame(2301, ZKT_BTN_X | ZKT_BTN_Y);
    EXPECT_EQ(ZKT_TMV_TinyMenu_GetState(), 3u);
    Frame(2400, 0);
    Frame(2500, ZKT_BTN_Y);
    EXPECT_EQ(ZKT_TMV_TinyMenu_GetState(), 1u);
    EXPECT_EQ(g_TMV_TINYMENU_FADEIN_UNTIL_TIME, 2820u);
    EXPECT_EQ(g_TMV_TINYMENU_SELITEM, 1u);
}

TEST_F(TinyMenu, LeaveFromTheMenu)
{
    Tap(1000, ZKT_BTN_START);
    Frame(1400, 0);
    Tap(1500, ZKT_BTN_RIGHT);
    Frame(1800, 0);
    ASSERT_EQ(g_TMV_TINYMENU_SELITEM, 2u);
    Frame(1900, ZKT_BTN_B);
    EXPECT_EQ(ZKT_TMV_TinyMenu_GetState(), 2u);
}

TEST_F(TinyMenu, ClockStandsStillWhilePausedAndPausesAccumulate)
{
    s_now = 0;
    ZKT_TMV_Start_Absolute_Timer();
    s_now = 1000;
    EXPECT_EQ(ZKT_TMV_Retrieve_Absolute_Timer(), 1000u);

    Tap(1000, ZKT_BTN_START); // first pause: 1000 to 2500
    Frame(1400, 0);
    s_now = 2499;
    EXPECT_EQ(ZKT_TMV_Retrieve_Absolute_Timer(), 1000u);
    Frame(2500, ZKT_BTN_START); // resume on item 0
    ASSERT_EQ(ZKT_TMV_TinyMenu_GetState(), 0u);
    s_now = 4500;
    EXPECT_EQ(ZKT_TMV_Retrieve_Absolute_Timer(), 3000u);

    Frame(4500, 0);
    Frame(5000, ZKT_BTN_START); // second pause: 5000 to 8400
    EXPECT_EQ(ZKT_TMV_Retrieve_Absolute_Timer(), 3500u);
    Frame(5400, 0);
    // Hidden while paused: the clock stays stopped.
    Tap(6000, ZKT_BTN_LEFT);
    Frame(6400, 0);
    Tap(6500, ZKT_BTN_START);
    ASSERT_EQ(ZKT_TMV_TinyMenu_GetState(), 3u);
    s_now = 7000;
    EXPECT_EQ(ZKT_TMV_Retrieve_Absolute_Timer(), 3500u);
    Tap(7500, ZKT_BTN_X); // reopen, item 1 still selected
    Frame(7900, 0);
    Tap(7950, ZKT_BTN_RIGHT);
    Frame(8300, 0);
    ASSERT_EQ(g_TMV_TINYMENU_SELITEM, 0u);
    Frame(8400, ZKT_BTN_B);
    ASSERT_EQ(ZKT_TMV_TinyMenu_GetState(), 0u);
    s_now = 9000;
    // Played: 0-1000, 2500-5000 and 8400-9000.
    EXPECT_EQ(ZKT_TMV_Retrieve_Absolute_Timer(), 4100u);
}

TEST_F(TinyMenu, PauseAtTimeZeroStillStopsTheClock)
{
    s_now = 0;
    ZKT_TMV_Start_Absolute_Timer();
    ZKT_TMV_TinyMenu_Activate();
    s_now = 5000;
    EXPECT_EQ(ZKT_TMV_Retrieve_Absolute_Timer(), 0u);
    s_now = 5400;
    ZKT_TMV_TinyMenu_Update(); // fade-in over
    ZKT_TMV_TinyMenu_Select();
    s_now = 6000;
    EXPECT_EQ(ZKT_TMV_Retrieve_Absolute_Timer(), 600u);
}

TEST_F(TinyMenu, SingleStepOperations)
{
    ZKT_TMV_TinyMenu_Next(); // closed: nothing
    EXPECT_EQ(g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME, 0u);
    s_now = 1000;
    ZKT_TMV_TinyMenu_Activate();
    EXPECT_EQ(ZKT_TMV_TinyMenu_GetState(), 1u);
    ZKT_TMV_TinyMenu_Select(); // fade-in running
    EXPECT_EQ(ZKT_TMV_TinyMenu_GetState(), 1u);
    s_now = 1320;
    ZKT_TMV_TinyMenu_Update();
    ZKT_TMV_TinyMenu_Prev();
    EXPECT_EQ(g_TMV_TINYMENU_DO_PREV_UNTIL_TIME, 1610u);
    ZKT_TMV_TinyMenu_Next();
    EXPECT_EQ(g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME, 0u);
    s_now = 1610;
    ZKT_TMV_TinyMenu_Update();
    EXPECT_EQ(g_TMV_TINYMENU_SELITEM, 2u);
    ZKT_TMV_TinyMenu_Next();
    s_now = 1900;
    ZKT_TMV_TinyMenu_Update();
    ZKT_TMV_TinyMenu_Next();
    s_now = 2190;
    ZKT_TMV_TinyMenu_Update();
    ASSERT_EQ(g_TMV_TINYMENU_SELITEM, 1u);
    ZKT_TMV_TinyMenu_Select();
    EXPECT_EQ(ZKT_TMV_TinyMenu_GetState(), 3u);
    ZKT_TMV_TinyMenu_Awake();
    EXPECT_EQ(ZKT_TMV_TinyMenu_GetState(), 1u);
    ZKT_TMV_TinyMenu_SetNextState(5);
    ZKT_TMV_TinyMenu_SetPreviousState(1);
    EXPECT_EQ(g_TMV_TINYMENU_NEXT_PRESSED, 1u);
    EXPECT_EQ(g_TMV_TINYMENU_PREV_PRESSED, 1u);
}

// ---- the player follows ----

// The embedded module loaded and playing, as the presentation starts it.
class TinyMenuPlayer : public TinyMenu {
protected:
    MODULE *module = nullptr;
    void SetUp() override
    {
        TinyMenu::SetUp();
        // libmikmod links a loader registered twice into a loop: once per process.
        static bool s_bLoaderRegistered = false;
        MikMod_RegisterDriver(&drv_nos);
        if (!s_bLoaderRegistered) {
            MikMod_RegisterLoader(&load_it);
            s_bLoaderRegistered = true;
        }
        md_mode = DMODE_16BITS | DMODE_STEREO | DMODE_SOFT_MUSIC;
        ASSERT_EQ(MikMod_Init(""), 0) << MikMod_strerror(MikMod_errno);
        IncMikMod_LoadMainMusic();
        IncMikMod_PrepareMainMusicMREADER();
        module = Player_LoadGeneric(&g_MainMusic, 32, 0);
        ASSERT_NE(module, nullptr);
        Player_Start(module);
        Player_SetVolume((SWORD)ZKT_TMV_Vol_GetVolume());
        IncMikMod_ConnectTinyMenu();
    }
    void TearDown() override
    {
        Player_Stop();
        if (module)
            Player_Free(module);
        MikMod_Exit();
        g_TMV_PLAYER_HOOKS = {nullptr, nullptr};
        TinyMenu::TearDown();
    }
};

TEST_F(TinyMenuPlayer, VolumeFollowsEveryChange)
{
    EXPECT_EQ(module->volume, 96);
    u32 t = 1000;
    for (u32 i = 16; i <= 20; i++, t += 100) {
        Tap(t, ZKT_BTN_VOLUP);
        ASSERT_EQ(module->volume, g_TMV_VOLUME_TABLE[i]) << i;
    }
    for (u32 i = 19; i + 1 > 0; i--, t += 100) {
        Tap(t, ZKT_BTN_VOLDOWN);
        ASSERT_EQ(module->volume, g_TMV_VOLUME_TABLE[i]) << i;
    }
    Tap(t += 100, ZKT_BTN_VOLUP);
    Tap(t += 100, ZKT_BTN_VOLUP);
    EXPECT_EQ(module->volume, 12);
    Tap(t += 100, ZKT_BTN_VOLUP | ZKT_BTN_VOLDOWN);
    EXPECT_EQ(module->volume, 0);
    Tap(t += 100, ZKT_BTN_VOLDOWN);
    EXPECT_EQ(module->volume, 12) << "unmuted at the same step";
    EXPECT_EQ(g_TMV_IS_VOLUME_CHANGE, 0u) << "every change was handed on";
}

TEST_F(TinyMenuPlayer, MenuPausesAndResumesTheMusic)
{
    EXPECT_FALSE(Player_Paused());
    Tap(1000, ZKT_BTN_START);
    EXPECT_TRUE(Player_Paused());
    Frame(1400, 0);
    Tap(1500, ZKT_BTN_LEFT); // to "hide": the music stays paused
    Frame(1800, 0);
    Tap(1900, ZKT_BTN_START);
    ASSERT_EQ(ZKT_TMV_TinyMenu_GetState(), 3u);
    EXPECT_TRUE(Player_Paused());
    Tap(2500, ZKT_BTN_Y); // reopen
    Frame(2900, 0);
    EXPECT_TRUE(Player_Paused());
    Tap(3000, ZKT_BTN_RIGHT); // back to "resume"
    Frame(3300, 0);
    Tap(3400, ZKT_BTN_B);
    ASSERT_EQ(ZKT_TMV_TinyMenu_GetState(), 0u);
    EXPECT_FALSE(Player_Paused());
}

// ---- menu drawing ----

TEST_F(TinyMenu, FadeRampsOpacityAndSlides)
{
    Frame(1000, ZKT_BTN_START);
    EXPECT_EQ(g_cursorLayer.bEnable, 1u);
    EXPECT_EQ(g_cursorLayer.bLarge, 0u);
    EXPECT_EQ(g_cursorLayer.ulBitmapOffset, ZKT_TMV_MENU_BITMAP);
    EXPECT_EQ(g_cursorLayer.ulColor1 >> 24, 0u) << "fully transparent at the start of the fade-in";
    EXPECT_LE((s32)g_cursorLayer.usX, 144 - 11);
    EXPECT_EQ(g_cursorLayer.usY, 104u);

    Frame(1160, 0); // half-way: half the opacity, f = 128
    const u32 half = g_cursorLayer.ulColor1 >> 24;
    Frame(1320, 0);
    const u32 full = g_cursorLayer.ulColor1 >> 24;
    EXPECT_EQ(g_cursorLayer.usX, 144u);
    EXPECT_GE(full, 0xAFu);
    // Half-way through the fade-in the opacity is halved (f = 128): the pulse
    // keeps colour 1 between 0xAF and 0xFF.
    EXPECT_GE(half, 0xAFu / 2);
    EXPECT_LE(half, 0xFFu / 2);
    // Colour 0 pulses between opacity 5 and 7 when no fade runs.
    for (u32 t = 1400; t < 3200; t += 50) {
        Frame(t, 0);
        EXPECT_GE(g_cursorLayer.ulColor0 >> 28, 5u);
        EXPECT_LE(g_cursorLayer.ulColor0 >> 28, 7u);
        EXPECT_EQ(g_cursorLayer.ulColor0 & 0xFFFFFFu, 0u);
        EXPECT_GE(g_cursorLayer.ulColor1 >> 28, 0xAu);
        EXPECT_EQ(g_cursorLayer.ulColor1 & 0xFFFFFFu, 0xFFFFFFu);
    }

    // The fade-out slides to the left and ends with the cursor off.
    Frame(3300, ZKT_BTN_B);
    Frame(3620 - 1, 0);
    EXPECT_LE((s32)g_cursorLayer.usX, 144 - 11);
    EXPECT_LE(g_cursorLayer.ulColor1 >> 24, 1u);
    Frame(3620, 0);
    EXPECT_EQ(g_cursorLayer.bEnable, 0u);
}

class TinyMenuBitmap : public TinyMenu {
protected:
    const u8 *Menu() const { return Vram(ZKT_TMV_MENU_BITMAP); }
    // Whether the w x h picture sits at (x, y) of the 32x32 menu bitmap.
    bool HasPicture(const u8 *pic, u32 w, u32 h, u32 x, u32 y) const
    {
        for (u32 j = 0; j < h; j++)
            for (u32 i = 0; i < w; i++)
                if (Pix(Menu(), 8, x + i, y + j) != PicPix(pic, w, i, j))
                    return false;
        return true;
    }
};

TEST_F(TinyMenuBitmap, LcdLayoutShowsArrowsIconAndLabel)
{
    Frame(1000, ZKT_BTN_START);
    Frame(1400, 0);
    EXPECT_TRUE(HasPicture(BMP_TINYMENU_ARROWS_SMALL_1, 6, 20, 0, 0));
    EXPECT_TRUE(HasPicture(BMP_TINYMENU_ARROWS_SMALL_2, 6, 20, 26, 0));
    EXPECT_TRUE(HasPicture(BMP_TINYMENU_ICON_SMALL_1, 20, 20, 6, 0));
    EXPECT_TRUE(HasPicture(BMP_TINYMENU_LABEL_SMALL_1, 32, 12, 0, 20));

    // Held stick left shows the left arrow pressed; the right one for the
    // left small button.
    Frame(1500, ZKT_BTN_LEFT);
    EXPECT_TRUE(HasPicture(BMP_TINYMENU_ARROWS_SMALL_3, 6, 20, 0, 0));
    EXPECT_TRUE(HasPicture(BMP_TINYMENU_ARROWS_SMALL_2, 6, 20, 26, 0));
    // Forward scroll just begun: the selected icon squeezed into 19 columns,
    // column 19 the next item's first column.
    for (u32 j = 0; j < 20; j++) {
        for (u32 i = 0; i < 19; i++)
            ASSERT_EQ(Pix(Menu(), 8, 6 + i, j), PicPix(BMP_TINYMENU_ICON_SMALL_1, 20, (i * 20) / 20, j));
        ASSERT_EQ(Pix(Menu(), 8, 6 + 19, j), PicPix(BMP_TINYMENU_ICON_SMALL_3, 20, 0, j));
    }
    Frame(1790, ZKT_BTN_LEFT);
    EXPECT_TRUE(HasPicture(BMP_TINYMENU_ICON_SMALL_3, 20, 20, 6, 0)) << "item 1 uses icon 3";
    EXPECT_TRUE(HasPicture(BMP_TINYMENU_LABEL_SMALL_3, 32, 12, 0, 20));
    Frame(1800, ZKT_BTN_SELECT);
    EXPECT_TRUE(HasPicture(BMP_TINYMENU_ARROWS_SMALL_4, 6, 20, 26, 0));
    EXPECT_TRUE(HasPicture(BMP_TINYMENU_ARROWS_SMALL_1, 6, 20, 0, 0));
    // Backward scroll mid-way: the previous item's label grows from the left,
    // the selected one is squeezed to the right.
    Frame(1945, ZKT_BTN_SELECT);
    const u32 c = 31 - (31 * 145) / 290;
    for (u32 j = 0; j < 12; j++)
        for (u32 i = 0; i < 32; i++) {
            u32 want = i < c ? PicPix(BMP_TINYMENU_LABEL_SMALL_1, 32, (i * 32) / (c + 1), j)
                             : PicPix(BMP_TINYMENU_LABEL_SMALL_3, 32, ((i - c) * 32) / (32 - c), j);
            ASSERT_EQ(Pix(Menu(), 8, i, 20 + j), want) << i << "," << j;
        }
    Frame(2090, 0);
    EXPECT_TRUE(HasPicture(BMP_TINYMENU_ICON_SMALL_1, 20, 20, 6, 0));
}

TEST_F(TinyMenuBitmap, GlintSweepsTheIconInTheLastSecondOfTen)
{
    Frame(1000, ZKT_BTN_START); // start-showing = 1000
    Frame(1400, 0);
    Frame(10000, 0); // e = 9000: no glint yet
    EXPECT_TRUE(HasPicture(BMP_TINYMENU_ICON_SMALL_1, 20, 20, 6, 0));
    Frame(10500, 0); // e = 9500, front = 23: band 16 < i + j < 23
    u32 inverted = 0;
    for (u32 j = 0; j < 20; j++)
        for (u32 i = 0; i < 20; i++) {
            u32 src = PicPix(BMP_TINYMENU_ICON_SMALL_1, 20, i, j);
            u32 got = Pix(Menu(), 8, 6 + i, j);
            bool inBand = i + j > 16 && i + j < 23;
            ASSERT_EQ(got, inBand && src ? 3u : src) << i << "," << j;
            inverted += got == 3;
        }
    EXPECT_GT(inverted, 0u);
    Frame(11000, 0); // e = 0 again
    EXPECT_TRUE(HasPicture(BMP_TINYMENU_ICON_SMALL_1, 20, 20, 6, 0));
}

TEST_F(TinyMenuBitmap, TelevisionLayoutIsInterlaced)
{
    Init(0, 0);
    EXPECT_EQ(g_TMV_TINYMENU_POSX, 328u);
    EXPECT_EQ(g_TMV_TINYMENU_POSY, 90u);
    Frame(1000, ZKT_BTN_START);
    Frame(1400, 0);
    EXPECT_EQ(g_cursorLayer.bLarge, 1u);
    EXPECT_EQ(g_cursorLayer.usX, 328u);
    for (u32 y = 0; y < 40; y++) {
        for (u32 x = 0; x < 12; x++) {
            ASSERT_EQ(TvPix(Menu(), x, y), PicPix(BMP_TINYMENU_ARROWS_BIG_1, 12, x, y));
            ASSERT_EQ(TvPix(Menu(), 52 + x, y), PicPix(BMP_TINYMENU_ARROWS_BIG_2, 12, x, y));
        }
        for (u32 x = 0; x < 40; x++)
            ASSERT_EQ(TvPix(Menu(), 12 + x, y), PicPix(BMP_TINYMENU_ICON_BIG_1, 40, x, y));
    }
    for (u32 y = 0; y < 24; y++)
        for (u32 x = 0; x < 64; x++)
            ASSERT_EQ(TvPix(Menu(), x, 40 + y), PicPix(BMP_TINYMENU_LABEL_BIG_1, 64, x, y));
    // Below the picture both fields stay transparent.
    for (u32 off : {0x200u, 0x600u})
        for (u32 i = 0; i < 0x200; i++)
            ASSERT_EQ(Menu()[off + i], 0xAAu);

    Init(0, 1);
    EXPECT_EQ(g_TMV_TINYMENU_POSY, 130u);
    EXPECT_EQ(g_TMV_VOLCTRL_POSX, 540u);
    EXPECT_EQ(g_TMV_VOLCTRL_POSY, 219u);
}

// ---- indicator bitmaps ----

class VolumeBitmap : public TinyMenu {
protected:
    // LCD slot of a step: background above, digits and bar as built.
    void CheckLcdStep(u32 step)
    {
        SCOPED_TRACE(step);
        const u8 *slot = Vram(ZKT_TMV_VOL_STEP_BITMAP(step));
        const u32 cut = 3 + (26 * step) / 20;
        for (u32 y = 0; y < 19; y++)
            for (u32 x = 0; x < 32; x++) {
                u32 want = PicPix(BMP_VOLUMEBKG_SMALL, 32, x, y);
                if (step < 20 && y >= 13 && y <= 15 && x >= cut && x <= 28)
                    want = 0;
                ASSERT_EQ(Pix(slot, 8, x, y), want) << x << "," << y;
            }
        const u8 *tens = step >= 20 ? BMP_VOLUME_NUMBER_3 : step >= 10 ? BMP_VOLUME_NUMBER_2 : nullptr;
        static const u8 *const kDigit[10] = {BMP_VOLUME_NUMBER_1, BMP_VOLUME_NUMBER_2, BMP_VOLUME_NUMBER_3,
                                             BMP_VOLUME_NUMBER_4, BMP_VOLUME_NUMBER_5, BMP_VOLUME_NUMBER_6,
                                             BMP_VOLUME_NUMBER_7, BMP_VOLUME_NUMBER_8, BMP_VOLUME_NUMBER_9,
                                             BMP_VOLUME_NUMBER_10};
        const u8 *units = kDigit[step % 10];
        for (u32 y = 19; y < 32; y++)
            for (u32 x = 0; x < 32; x++) {
                u32 want = 2;
                if (x >= 21)
                    want = PicPix(units, 11, x - 21, y - 19);
                else if (x >= 10 && tens)
                    want = PicPix(tens, 11, x - 10, y - 19);
                ASSERT_EQ(Pix(slot, 8, x, y), want) << x << "," << y;
            }
    }
};

TEST_F(VolumeBitmap, LcdSlots)
{
    for (u32 step : {0u, 9u, 10u, 15u, 20u})
        CheckLcdStep(step);
    const u8 *muted = Vram(ZKT_TMV_VOL_MUTED_BITMAP);
    EXPECT_EQ(std::memcmp(muted, BMP_VOLUMEBKG_MUTED_SMALL, 152), 0);
    for (u32 i = 152; i < 512; i++)
        ASSERT_EQ(muted[i], 0xAAu) << i;
    // The level number is legible: units and tens differ between 9 and 10.
    EXPECT_NE(std::memcmp(Vram(ZKT_TMV_VOL_STEP_BITMAP(9)), Vram(ZKT_TMV_VOL_STEP_BITMAP(10)), 256), 0);
}

TEST_F(VolumeBitmap, TelevisionSlotsAreInterlaced)
{
    Init(0, 0);
    EXPECT_EQ(g_TMV_VOLCTRL_POSX, 540u);
    EXPECT_EQ(g_TMV_VOLCTRL_POSY, 179u);
    static const u8 *const kDigit[10] = {BMP_VOLUME_NUMBER_1, BMP_VOLUME_NUMBER_2, BMP_VOLUME_NUMBER_3,
                                         BMP_VOLUME_NUMBER_4, BMP_VOLUME_NUMBER_5, BMP_VOLUME_NUMBER_6,
                                         BMP_VOLUME_NUMBER_7, BMP_VOLUME_NUMBER_8, BMP_VOLUME_NUMBER_9,
                                         BMP_VOLUME_NUMBER_10};
    for (u32 step : {0u, 9u, 10u, 15u, 20u}) {
        SCOPED_TRACE(step);
        const u8 *slot = Vram(ZKT_TMV_VOL_STEP_BITMAP(step));
        const u32 cut = 4 + (56 * step) / 20;
        for (u32 y = 0; y < 64; y++)
            for (u32 x = 0; x < 64; x++) {
                u32 want = 2;
                if (y < 30) {
                    want = PicPix(BMP_VOLUMEBKG_BIG, 64, x, y);
                    if (step < 20 && y >= 20 && y <= 24 && x >= cut && x <= 59)
                        want = 0;
                } else if (y >= 32 && y < 45) {
                    if (x >= 53)
                        want = PicPix(kDigit[step % 10], 11, x - 53, y - 32);
                    else if (x >= 42 && step >= 10)
                        want = PicPix(kDigit[step / 10], 11, x - 42, y - 32);
                }
                ASSERT_EQ(TvPix(slot, x, y), want) << x << "," << y;
            }
    }
    const u8 *muted = Vram(ZKT_TMV_VOL_MUTED_BITMAP);
    for (u32 y = 0; y < 64; y++)
        for (u32 x = 0; x < 64; x++)
            ASSERT_EQ(TvPix(muted, x, y), y < 30 ? PicPix(BMP_VOLUMEBKG_MUTED_BIG, 64, x, y) : 2u);

    Tap(1000, ZKT_BTN_VOLUP);
    EXPECT_EQ(g_cursorLayer.bLarge, 1u);
    EXPECT_EQ(g_cursorLayer.usX, 540u);
    EXPECT_EQ(g_cursorLayer.usY, 179u);
}

TEST_F(VolumeBitmap, BitmapsFillTheirSlotsExactly)
{
    // The last step slot ends at the end of video memory; the menu slot sits
    // just below the muted one.
    EXPECT_EQ(ZKT_TMV_VOL_STEP_BITMAP(20) + ZKT_TMV_SLOT_SIZE, ZKT_VIDEO_MEM_SIZE);
    EXPECT_EQ(ZKT_TMV_MENU_BITMAP + ZKT_TMV_SLOT_SIZE, ZKT_TMV_VOL_MUTED_BITMAP);
    // Nothing below the menu slot is touched by either layout.
    for (u32 lcd : {1u, 0u}) {
        std::fill(vram.begin(), vram.end(), 0x5C);
        Init(lcd, 0);
        Frame(1000, ZKT_BTN_START);
        for (u32 i = ZKT_TMV_MENU_BITMAP - 0x1000; i < ZKT_TMV_MENU_BITMAP; i++)
            ASSERT_EQ(vram[i], 0x5Cu);
    }
}

TEST(TinyMenuAssets, PictureSizes)
{
    EXPECT_EQ(BMP_VOLUMEBKG_SMALL_LEN, 152u);
    EXPECT_EQ(BMP_VOLUMEBKG_MUTED_SMALL_LEN, 152u);
    EXPECT_EQ(BMP_VOLUMEBKG_BIG_LEN, 480u);
    EXPECT_EQ(BMP_VOLUMEBKG_MUTED_BIG_LEN, 480u);
    EXPECT_EQ(BMP_VOLUME_NUMBER_1_LEN, 64u);
    EXPECT_EQ(BMP_VOLUME_NUMBER_10_LEN, 64u);
    EXPECT_EQ(BMP_TINYMENU_ICON_SMALL_1_LEN, 100u);
    EXPECT_EQ(BMP_TINYMENU_LABEL_SMALL_2_LEN, 96u);
    EXPECT_EQ(BMP_TINYMENU_ARROWS_SMALL_4_LEN, 40u);
    EXPECT_EQ(BMP_TINYMENU_ICON_BIG_3_LEN, 400u);
    EXPECT_EQ(BMP_TINYMENU_LABEL_BIG_1_LEN, 384u);
    EXPECT_EQ(BMP_TINYMENU_ARROWS_BIG_2_LEN, 120u);
    // The digits differ from each other, and each has light and dark pixels.
    const u8 *d[2] = {BMP_VOLUME_NUMBER_1, BMP_VOLUME_NUMBER_2};
    EXPECT_NE(std::memcmp(d[0], d[1], 39), 0);
}

} // namespace
