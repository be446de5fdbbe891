// Stand-ins for subsystems that are still being built, so that the runtime
// links and runs its real loop meanwhile. Each subsystem deletes its block
// here when it lands.
#include "runtime/pending.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstring>

#include "assets/assets.h"
#include "draw/zkt_draw.h"
#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "tools/zkt_lowLevelCommon.h"
#include "ui/zkt_tinymenu_vol.h"

// ---- configuration file ----
s32 ZKT_ParseConfig(const char *) { return 0; }

// ---- music glue for the volume control and the tiny menu ----
void TinyMenu_VolumeUpdate() { Player_SetVolume((SWORD)ZKT_TMV_Vol_GetVolume()); }
void TinyMenu_TogglePause(int) { Player_TogglePause(); }

// ---- embedded music ----
MREADER g_MainMusic;
static const u8 *s_pMusic = nullptr;
static u32 s_ulMusicLength = 0;
void IncMikMod_LoadMainMusic()
{
    static const u8 empty[1] = {0};
    s_pMusic = empty;
    s_ulMusicLength = 0;
}
void IncMikMod_PrepareMainMusicMREADER()
{
    std::memset(&g_MainMusic, 0, sizeof g_MainMusic);
    g_MainMusic.Seek = [](MREADER *, long, int) { return 1; };
    g_MainMusic.Tell = [](MREADER *) { return 0L; };
    g_MainMusic.Read = [](MREADER *, void *, size_t) -> BOOL { return 0; };
    g_MainMusic.Get = [](MREADER *) { return (int)EOF; };
    g_MainMusic.Eof = [](MREADER *) -> BOOL { return 1; };
}
u32 IncMikMod_WriteMainMusic()
{
    FILE *f = std::fopen("Amber Drift.it", "wb");
    if (!f) {
        std::printf("Error: could not write on disk.\n");
        return 0;
    }
    std::fwrite(s_pMusic, 1, s_ulMusicLength, f);
    std::fclose(f);
    std::printf("Music saved -- Enjoy!!!\n");
    return 1;
}

// ---- window icon ----
extern const u8 DEMOICON[4096] = {};
extern const u32 DEMOICON_LEN = 4096;

// ---- second core and device services ----
u32 ZKT_DualCoreStart() { return 0; }
u32 ZKT_DualCoreStop() { return 0; }
u32 ZKT_GetCPUClock(u32 *pMHz)
{
    *pMHz = 199;
    return 0;
}
u32 ZKT_SetCPUClock(u32) { return 2; }
u32 ZKT_SaveOnDisk(u32 bEnable, const char *path)
{
    g_bSaveOnDisk = bEnable;
    std::snprintf(g_strSaveFilePath, sizeof g_strSaveFilePath, "%s", path);
    return 2;
}

// ---- compositor ----
void ZKT_LowLevelAPI_SoftRender()
{
    SDL_Delay(2);
}
