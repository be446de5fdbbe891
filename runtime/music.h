// The embedded music: the in-memory reader that feeds the module to
// libmikmod, the "/MUSIC" extraction, the glue through which the volume
// control and the tiny menu act on the player, and the desktop's own
// libmikmod output driver on SDL 1.2 audio.
#ifndef VORN_MUSIC_H
#define VORN_MUSIC_H

#include <mikmod.h>

#include "lowlevel/zkt_lowLevel.h"

// In-memory reader state; the module bytes are indexed, never copied.
extern const u8 *g_pMainMusic;
extern s32 g_nMainMusicLength;
extern s32 g_nMainMusicPtr; // 0 <= position <= length
extern MREADER g_MainMusic;

// The reader's five operations. Each first checks that it was handed
// g_MainMusic; any other reader gets a fixed answer (Seek 1, Tell 0,
// Read 0, Get 0, Eof 1) and nothing moves.
int MIKMOD_MEM_SEEK(MREADER *reader, long offset, int whence); // 0 done, 1 refused
long MIKMOD_MEM_TELL(MREADER *reader);
BOOL MIKMOD_MEM_READ(MREADER *reader, void *dst, size_t size); // bytes copied
int MIKMOD_MEM_GET(MREADER *reader); // byte at the position, EOF at the end
BOOL MIKMOD_MEM_EOF(MREADER *reader);

// Points the reader at the embedded module (g_MUSIC_MAIN, its stored length).
void IncMikMod_LoadMainMusic();
// Position 0 and the five operations in libmikmod's slot order.
void IncMikMod_PrepareMainMusicMREADER();
// "/MUSIC": writes the module as "Amber Drift.it" in the working directory
// and prints the outcome; returns 1 when written, 0 when it could not be
// written whole (nothing is left behind then; the caller ends the process
// with 0 or -1).
u32 IncMikMod_WriteMainMusic();

// Glue for the volume control and the tiny menu (main thread only).
void TinyMenu_VolumeUpdate();                // player volume = volume control's level
void TinyMenu_TogglePause(s32 bFlag = 0);    // flag unused: every call toggles
// Points the volume control's and the menu's player hooks at the two above.
void IncMikMod_ConnectTinyMenu();

// ---- The desktop output driver (runtime/mikmod_sdl12.cpp) ----
//
// Plays through SDL 1.2 audio, 16-bit stereo at md_mixfreq, filled from
// libmikmod's software mixer. SDL's audio thread mixes each buffer inside
// MikMod_Update(), i.e. under libmikmod's own lock, so player calls from
// the main thread never race the mixer; MikMod_Update() on the main thread
// does nothing. Exit leaves the device paused; SDL_Quit() (or
// MikModSDL12_CloseDevice() after MikMod_Exit) closes it, outside
// libmikmod's lock, so closing never waits on a mixer blocked by that lock.
extern MDRIVER drv_sdl12;

// Offline rendering for tools and tests: set before MikMod_Init, the driver
// opens no device and mixes only when asked through MikModSDL12_Render.
void MikModSDL12_SetOffline(u32 bOffline);
// Mixes len bytes of output into buf (silence while paused or stopped).
void MikModSDL12_Render(void *buf, u32 len);
// Closes the SDL audio device if the driver opened it; call after MikMod_Exit.
void MikModSDL12_CloseDevice();

#endif
