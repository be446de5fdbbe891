// The embedded music: in-memory reader, extraction to disk and the glue
// between the volume control / tiny menu and the player.
#include "runtime/music.h"

#include <cstdio>
#include <cstring>

#include "assets/assets.h"
#include "ui/zkt_tinymenu_vol.h"

const u8 *g_pMainMusic = nullptr;
s32 g_nMainMusicLength = 0;
s32 g_nMainMusicPtr = 0;
MREADER g_MainMusic;

int MIKMOD_MEM_SEEK(MREADER *reader, long offset, int whence)
{
    if (reader != &g_MainMusic)
        return 1;
    long base;
    switch (whence) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = g_nMainMusicPtr; break;
    case SEEK_END: base = g_nMainMusicLength; break;
    default: return 1;
    }
    // Clamp without forming base + offset, which could overflow for the
    // extreme offsets a damaged module can make the loader ask for.
    const long len = g_nMainMusicLength;
    if (offset >= len - base)
        g_nMainMusicPtr = (s32)len;
    else if (offset <= -base)
        g_nMainMusicPtr = 0;
    else
        g_nMainMusicPtr = (s32)(base + offset);
    return 0;
}

long MIKMOD_MEM_TELL(MREADER *reader)
{
    return reader == &g_MainMusic ? g_nMainMusicPtr : 0;
}

BOOL MIKMOD_MEM_READ(MREADER *reader, void *dst, size_t size)
{
    if (reader != &g_MainMusic || !dst)
        return 0;
    size_t n = (size_t)(g_nMainMusicLength - g_nMainMusicPtr);
    if (size < n)
        n = size;
    if (n)
        std::memcpy(dst, g_pMainMusic + g_nMainMusicPtr, n);
    g_nMainMusicPtr += (s32)n;
    return (BOOL)n;
}

int MIKMOD_MEM_GET(MREADER *reader)
{
    if (reader != &g_MainMusic)
        return 0;
    // Only Seek and Read can reach the end; no byte lies there.
    if (g_nMainMusicPtr >= g_nMainMusicLength)
        return EOF;
    const int c = g_pMainMusic[g_nMainMusicPtr];
    if (g_nMainMusicPtr + 1 < g_nMainMusicLength)
        g_nMainMusicPtr++;
    return c;
}

BOOL MIKMOD_MEM_EOF(MREADER *reader)
{
    if (reader != &g_MainMusic)
        return 1;
    return g_nMainMusicPtr >= g_nMainMusicLength;
}

void IncMikMod_LoadMainMusic()
{
    g_pMainMusic = g_MUSIC_MAIN;
    g_nMainMusicLength = (s32)g_MUSIC_MAIN_LEN;
}

void IncMikMod_PrepareMainMusicMREADER()
{
    g_nMainMusicPtr = 0;
    std::memset(&g_MainMusic, 0, sizeof g_MainMusic);
    g_MainMusic.Seek = MIKMOD_MEM_SEEK;
    g_MainMusic.Tell = MIKMOD_MEM_TELL;
    g_MainMusic.Read = MIKMOD_MEM_READ;
    g_MainMusic.Get = MIKMOD_MEM_GET;
    g_MainMusic.Eof = MIKMOD_MEM_EOF;
}

u32 IncMikMod_WriteMainMusic()
{
    FILE *f = std::fopen("Amber Drift.it", "wb");
    if (!f) {
        std::printf("Error: could not write on disk.\n");
        return 0;
    }
    std::fwrite(g_pMainMusic, 1, (size_t)g_nMainMusicLength, f);
    std::fclose(f);
    std::printf("Music saved -- Enjoy!!!\n");
    return 1;
}

void TinyMenu_VolumeUpdate()
{
    Player_SetVolume((SWORD)(s16)ZKT_TMV_Vol_GetVolume());
}

void TinyMenu_TogglePause(s32)
{
    Player_TogglePause();
}

static void SetPlayerVolume(u32 volume)
{
    Player_SetVolume((SWORD)(s16)volume);
}

static void TogglePlayerPause()
{
    Player_TogglePause();
}

void IncMikMod_ConnectTinyMenu()
{
    g_TMV_PLAYER_HOOKS.pfnSetVolume = SetPlayerVolume;
    g_TMV_PLAYER_HOOKS.pfnTogglePause = TogglePlayerPause;
}
