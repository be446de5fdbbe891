// The embedded music: in-memory reader, extraction to disk and the glue
// between the volume control / tiny menu and the player.
#include "runtime/music.h"

#include <sys/stat.h>

#include <cerrno>
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

// Why name may not be (re)written, or nullptr: it must be missing or a
// plain file; a device, a link or a folder of that name is left alone.
static const char *NotReplaceable(const char *name)
{
    struct stat st;
#ifdef _WIN32
    const int r = stat(name, &st);
#else
    const int r = lstat(name, &st);
#endif
    if (r != 0)
        return errno == ENOENT ? nullptr : std::strerror(errno);
    return S_ISREG(st.st_mode) ? nullptr : "exists and is not a plain file";
}

// The module goes to a temporary name beside its own and is renamed once
// every byte and the close have succeeded: a full disk never leaves a short
// module under the real name.
u32 IncMikMod_WriteMainMusic()
{
    static const char kName[] = "Amber Drift.it";
    static const char kPart[] = "Amber Drift.it.part";
    const size_t len = (size_t)g_nMainMusicLength;
    const char *why = NotReplaceable(kName);
    if (!why)
        why = NotReplaceable(kPart);
    FILE *f = why ? nullptr : std::fopen(kPart, "wb");
    bool ok = f != nullptr;
    if (f) {
        ok = std::fwrite(g_pMainMusic, 1, len, f) == len;
        ok = std::fflush(f) == 0 && ok;
        ok = std::fclose(f) == 0 && ok;
#ifdef _WIN32
        if (ok)
            std::remove(kName); // rename does not replace there
#endif
        ok = ok && std::rename(kPart, kName) == 0;
        if (!ok) {
            why = std::strerror(errno);
            std::remove(kPart);
        }
    } else if (!why) {
        why = std::strerror(errno);
    }
    if (!ok) {
        std::printf("Error: could not write on disk.\n");
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s\n", kName, why);
        return 0;
    }
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
