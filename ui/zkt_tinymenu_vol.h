// Volume control and tiny pause menu, both drawn with the hardware cursor,
// and the presentation clock that stands still while the menu pauses.
//
// The volume indicator's bitmaps (one per step plus the muted one) are built
// once into video memory, so showing a level is only a cursor-parameter
// change. The menu composes its bitmap every frame in a work area and copies
// it to video memory.
#ifndef ZKT_TINYMENU_VOL_H
#define ZKT_TINYMENU_VOL_H

#include "lowlevel/zkt_lowLevel.h"

// Video memory used by this module (each slot 0x800 bytes).
#define ZKT_TMV_MENU_BITMAP 0x7F4800u
#define ZKT_TMV_VOL_MUTED_BITMAP 0x7F5000u
#define ZKT_TMV_VOL_STEP_BITMAP(i) (0x7F5800u + 0x800u * (u32)(i))
#define ZKT_TMV_SLOT_SIZE 0x800u

#define ZKT_TMV_VOL_STEPS 21
#define ZKT_TMV_VOL_SHOW_MS 2000u
#define ZKT_TMV_VOL_FADE_MS 240u
#define ZKT_TMV_VOL_BLINK_MS 200u
#define ZKT_TMV_MENU_FADE_MS 320u
#define ZKT_TMV_MENU_SCROLL_MS 290u

// Menu states.
enum {
    ZKT_TMV_STATE_RUNNING = 0, // hidden, presentation running
    ZKT_TMV_STATE_SHOWN = 1,   // shown, paused
    ZKT_TMV_STATE_LEAVE = 2,   // the viewer asked to leave
    ZKT_TMV_STATE_HIDDEN = 3   // hidden while paused
};

// What the volume control and the menu ask of the music player. The
// runtime fills these in at start-up; left empty, nothing is told.
struct ZKT_TMV_PLAYER_HOOKS {
    void (*pfnSetVolume)(u32 volume); // 0..128
    void (*pfnTogglePause)();
};
extern ZKT_TMV_PLAYER_HOOKS g_TMV_PLAYER_HOOKS;

// ---- volume control ----
extern u32 g_TMV_VOLUME_INDEX;
extern u32 g_TMV_MUTE_ENABLE;
extern u32 g_TMV_IS_VOLUME_CHANGE;
extern u32 g_TMV_IS_VOLUME_SHOW;
extern u32 g_TMV_VOLCTRL_SHOW_UNTIL_TIME;
extern u32 g_TMV_VOLCTRL_TILD_TIME;
extern u16 g_TMV_VOLCTRL_POSX, g_TMV_VOLCTRL_POSY;
extern u32 g_TMV_Volume_LCD;
extern u32 g_TMV_VOLUME_TABLE[ZKT_TMV_VOL_STEPS];

u32 ZKT_TMV_Vol_Initialize(u32 bLCD, u32 bPAL);
u32 ZKT_TMV_Vol_Mute();
u32 ZKT_TMV_Vol_IncVolume();
u32 ZKT_TMV_Vol_DecVolume();
// Programs the cursor for this frame; returns the change flag.
u32 ZKT_TMV_Vol_Update();
// 0..128 for the player; reading it clears the change flag.
u32 ZKT_TMV_Vol_GetVolume();

// ---- tiny menu and presentation clock ----
extern u32 g_TMV_TINYMENU_STATE;
extern u32 g_TMV_TINYMENU_SHOW;
extern u32 g_TMV_TINYMENU_SELITEM;
extern u32 g_TMV_TINYMENU_FADEIN_UNTIL_TIME, g_TMV_TINYMENU_FADEOUT_UNTIL_TIME;
extern u32 g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME, g_TMV_TINYMENU_DO_PREV_UNTIL_TIME;
extern u32 g_TMV_TINYMENU_TIME_START_SHOWING;
extern u32 g_TMV_TINYMENU_NEXT_PRESSED, g_TMV_TINYMENU_PREV_PRESSED;
extern u16 g_TMV_TINYMENU_POSX, g_TMV_TINYMENU_POSY;
extern u32 g_TMV_Tinymenu_LCD;
extern u32 g_TMV_ABSOLUTE_TIMER_START;
extern u32 g_TMV_ABSOLUTE_TIMER_START_PAUSE;
extern u8 g_TMV_TINYMENU_BUFFER[ZKT_TMV_SLOT_SIZE];

u32 ZKT_TMV_TinyMenu_Initialize(u32 bLCD, u32 bPAL);
u32 ZKT_TMV_TinyMenu_GetState();
// Once per frame with this frame's and the previous frame's button masks.
u32 ZKT_TMV_HandleVolAndTinyMenu(u32 input, u32 previousInput);
u32 ZKT_TMV_TinyMenu_Update();

u32 ZKT_TMV_Start_Absolute_Timer();
// Presentation time in ms, without the paused spans.
u32 ZKT_TMV_Retrieve_Absolute_Timer();
// The same pause as the menu's, for the viewer's own pause key, and
// setting the presentation time (paused or running) for its seeks.
u32 ZKT_TMV_Pause_Absolute_Timer();
u32 ZKT_TMV_Resume_Absolute_Timer();
u32 ZKT_TMV_Set_Absolute_Timer(u32 ms);

// Single steps of the handler. Unlike the handler they leave the music's
// pause alone.
u32 ZKT_TMV_TinyMenu_Activate(); // open (state 0 -> 1), clock stopped
u32 ZKT_TMV_TinyMenu_Awake();    // reopen (state 3 -> 1)
u32 ZKT_TMV_TinyMenu_Prev();     // start a backward scroll
u32 ZKT_TMV_TinyMenu_Next();     // start a forward scroll
u32 ZKT_TMV_TinyMenu_Select();   // confirm the selected item
u32 ZKT_TMV_TinyMenu_SetNextState(u32 bPressed);
u32 ZKT_TMV_TinyMenu_SetPreviousState(u32 bPressed);

// The clock both halves read, ZKT_GetTime unless a test installed its own
// source (nullptr restores ZKT_GetTime).
u32 ZKT_TMV_Now();
void ZKT_TMV_SetTimeSource(u32 (*pfnNow)());

#endif
