// Declarations of subsystems that are still being built. Each block goes
// away when its subsystem lands with its own header.
#ifndef VORN_PENDING_H
#define VORN_PENDING_H

#include <mikmod.h>

#include "lowlevel/zkt_lowLevel.h"

// Configuration file.
s32 ZKT_ParseConfig(const char *name);

// Glue through which the volume control and the tiny menu act on the player.
void TinyMenu_VolumeUpdate();
void TinyMenu_TogglePause(int flag);

// Embedded music.
extern MREADER g_MainMusic;
void IncMikMod_LoadMainMusic();
void IncMikMod_PrepareMainMusicMREADER();
// Writes "Amber Drift.it" with its messages; returns 1 when written.
u32 IncMikMod_WriteMainMusic();

// The window icon asset.
extern const u8 DEMOICON[];
extern const u32 DEMOICON_LEN;

#endif
