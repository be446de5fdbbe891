// Declarations of subsystems that are still being built. Each block goes
// away when its subsystem lands with its own header.
#ifndef VORN_PENDING_H
#define VORN_PENDING_H

#include <mikmod.h>

#include "lowlevel/zkt_lowLevel.h"

// Configuration file.
s32 ZKT_ParseConfig(const char *name);

// Volume control, tiny menu and the presentation clock.
u32 ZKT_TMV_Vol_Initialize(u32 lcd, u32 pal);
u32 ZKT_TMV_TinyMenu_Initialize(u32 lcd, u32 pal);
u32 ZKT_TMV_Vol_GetVolume();
u32 ZKT_TMV_HandleVolAndTinyMenu(u32 input, u32 previousInput);
u32 ZKT_TMV_TinyMenu_GetState();
u32 ZKT_TMV_Start_Absolute_Timer();
u32 ZKT_TMV_Retrieve_Absolute_Timer();

// Embedded music.
extern MREADER g_MainMusic;
void IncMikMod_LoadMainMusic();
void IncMikMod_PrepareMainMusicMREADER();
// Writes "Amber Drift.it" with its messages; returns 1 when written.
u32 IncMikMod_WriteMainMusic();

// The window icon asset.
extern const u8 DEMOICON[];
extern const u32 DEMOICON_LEN;

// The main part.
u32 ZKT_DP_TestPart_Reset();
u32 ZKT_DP_TestPart_Init(u32 mode);
u32 ZKT_DP_TestPart_Paint(u32 t, u32 length, u32 mode);

#endif
