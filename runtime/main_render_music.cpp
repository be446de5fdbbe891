// Renders the embedded module through libmikmod and our output driver into
// a 16-bit stereo WAV file, exactly as the presentation mixes it. Used to
// make the listening excerpt in docs/.
//
//   vorn_render_music OUT.wav [START_SECONDS [LENGTH_SECONDS]]
//
// Status 0 written, 1 the system failed (nothing is left under OUT then),
// 2 bad arguments.
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/music.h"

static const char kUsage[] =
    "usage: vorn_render_music OUT.wav [START_SECONDS [LENGTH_SECONDS]]\n"
    "  renders the music from START (default 0) for LENGTH seconds (default: to the end);\n"
    "  seconds are digits with up to three decimals, within the song's 126 s\n";

static constexpr u32 kSongMs = 126000;
static constexpr u32 kRate = 44100;
static constexpr u32 kChunk = 4096;

static volatile std::sig_atomic_t s_nStopSignal = 0;

static void OnStopSignal(int sig) { s_nStopSignal = sig; }

// Seconds as digits with up to three decimals, to milliseconds; refuses
// anything else and anything past the song before it can wrap.
static bool ParseSeconds(const char *s, u32 *pMs)
{
    u32 ms = 0, digits = 0, decimals = 0;
    bool point = false;
    for (; *s; s++) {
        if (*s == '.' && !point) {
            point = true;
            continue;
        }
        if (*s < '0' || *s > '9' || (point && decimals == 3))
            return false;
        ms = ms * 10 + (u32)(*s - '0');
        digits++;
        decimals += point;
        if (ms > 10u * kSongMs) // every further digit only grows it
            return false;
    }
    if (digits == 0)
        return false;
    for (; decimals < 3; decimals++)
        ms *= 10;
    *pMs = ms;
    return true;
}

static bool Fail(const char *what, const std::string &path)
{
    std::fprintf(stderr, "vorn_render_music: %s %s: %s\n", what, path.c_str(), std::strerror(errno));
    return false;
}

static bool Put32(FILE *f, u32 v)
{
    const u8 b[4] = {(u8)v, (u8)(v >> 8), (u8)(v >> 16), (u8)(v >> 24)};
    return std::fwrite(b, 1, 4, f) == 4;
}

// Header, then the mix streamed in the player's own chunk sizes (the same
// chunks as a whole-song render, so the samples are the same too).
static bool WriteWav(FILE *f, u32 skip, u32 total, const std::string &path)
{
    bool ok = std::fwrite("RIFF", 1, 4, f) == 4 && Put32(f, 36 + total) && std::fwrite("WAVEfmt ", 1, 8, f) == 8 &&
              Put32(f, 16) && Put32(f, 1 | (2u << 16)) && // PCM, stereo
              Put32(f, kRate) && Put32(f, kRate * 4) && Put32(f, 4 | (16u << 16)) && // block align, bits
              std::fwrite("data", 1, 4, f) == 4 && Put32(f, total);
    if (!ok)
        return Fail("cannot write", path);
    u8 buf[kChunk];
    for (u32 done = 0; done < skip && !s_nStopSignal; done += kChunk)
        MikModSDL12_Render(buf, skip - done < kChunk ? skip - done : kChunk);
    for (u32 done = 0; done < total && !s_nStopSignal; done += kChunk) {
        const u32 n = total - done < kChunk ? total - done : kChunk;
        MikModSDL12_Render(buf, n);
        if (std::fwrite(buf, 1, n, f) != n)
            return Fail("cannot write", path);
    }
    return true;
}

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc < 2 || argc > 4 || argv[1][0] == '-' || argv[1][0] == '\0') {
        std::fputs(kUsage, stderr);
        return 2;
    }
    u32 startMs = 0, lengthMs = 0;
    if (argc > 2 && (!ParseSeconds(argv[2], &startMs) || startMs >= kSongMs)) {
        std::fprintf(stderr, "vorn_render_music: start \"%s\" is not a time within the song (0 to 125.999 s)\n",
                     argv[2]);
        return 2;
    }
    if (argc > 3 && (!ParseSeconds(argv[3], &lengthMs) || lengthMs == 0 || lengthMs > kSongMs - startMs)) {
        std::fprintf(stderr, "vorn_render_music: length \"%s\" is not 0.001 to %u.%03u s (the rest of the song)\n",
                     argv[3], (kSongMs - startMs) / 1000, (kSongMs - startMs) % 1000);
        return 2;
    }
    // Same arithmetic as ever, so valid arguments give the same samples.
    const double start = startMs / 1000.0;
    const double length = argc > 3 ? lengthMs / 1000.0 : 126.0 - start;
    const u32 skip = (u32)(start * kRate) * 4, total = (u32)(length * kRate) * 4;

    // OUT itself is replaced only when complete, and only if it is a plain
    // file: a device, link or folder of that name is never written through.
    const std::string out = argv[1], part = out + ".part";
    for (const std::string &p : {out, part}) {
        struct stat st;
        if (lstat(p.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
            std::fprintf(stderr, "vorn_render_music: %s exists and is not a plain file\n", p.c_str());
            return 2;
        }
    }

    MikModSDL12_SetOffline(1);
    MikMod_RegisterDriver(&drv_sdl12);
    md_mixfreq = kRate;
    MikMod_RegisterLoader(&load_it);
    md_mode = DMODE_16BITS | DMODE_STEREO | DMODE_SOFT_MUSIC;
    if (MikMod_Init("")) {
        std::fprintf(stderr, "Could not init sound: %s\n", MikMod_strerror(MikMod_errno));
        return 1;
    }
    IncMikMod_LoadMainMusic();
    IncMikMod_PrepareMainMusicMREADER();
    MODULE *module = Player_LoadGeneric(&g_MainMusic, 32, 0);
    if (!module) {
        std::fprintf(stderr, "module did not load: %s\n", MikMod_strerror(MikMod_errno));
        MikMod_Exit();
        return 1;
    }
    Player_Start(module);
    Player_SetVolume(96); // the volume control's level at start-up

    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    FILE *f = std::fopen(part.c_str(), "wb");
    bool ok = f ? WriteWav(f, skip, total, part) : Fail("cannot create", part);
    if (f) {
        const bool flushed = std::fflush(f) == 0;
        if (ok && !flushed)
            ok = Fail("cannot write", part);
        const bool closed = std::fclose(f) == 0;
        if (ok && !closed)
            ok = Fail("cannot write", part);
    }
    Player_Stop();
    Player_Free(module);
    MikMod_Exit();
    if (ok && !s_nStopSignal && std::rename(part.c_str(), out.c_str()) != 0)
        ok = Fail("cannot rename to", out);
    if (!ok || s_nStopSignal) {
        if (f)
            std::remove(part.c_str());
        if (s_nStopSignal) {
            std::signal(s_nStopSignal, SIG_DFL);
            std::raise(s_nStopSignal);
        }
        return 1;
    }
    return 0;
}
