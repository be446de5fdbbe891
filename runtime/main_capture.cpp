// vorn-capture: runs the real presentation on a clock it advances itself,
// frame by frame at a fixed rate, and writes the frames (and the music of
// the same span, sample-exact) to disk. Nothing is dropped, nothing waits.
#include <SDL/SDL.h>
#include <mikmod.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "runtime/demo.h"

#define CAPTURE_RATE 44100u

typedef uint64_t u64;

struct CaptureKey {
    u32 ulTime; // capture time in ms at which the key changes
    u32 ulKey;  // SDL key symbol
    u32 bDown;
};

// Options.
static u32 s_ulFrom = 0, s_ulTo = 0, s_ulFps = 60;
static s32 s_nMode = 0;
static u32 s_bSingle = 0, s_bWindow = 0;
static std::string s_strOut;
static std::string s_strDumpBase; // hidden name the frame dump writes under
static std::vector<CaptureKey> s_keys;

// Run state.
static u32 s_ulNow = 0;        // the virtual clock the presentation reads
static u32 s_ulFrame = 0;      // frames done
static u32 s_ulFrameCount = 0; // frames wanted
static size_t s_nextKey = 0;
static u64 s_ullSamplesDone = 0;
static FILE *s_pWav = nullptr;
static std::string s_strWavPart, s_strWavFinal;
static u32 s_bFailed = 0;
static std::string s_strError;
static double s_dStartSeconds = 0;

static u32 VirtualClock() { return s_ulNow; }
static void VirtualSleep(u32) {} // time only moves when a frame is done

static double Seconds()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + ts.tv_nsec * 1e-9;
}

static u32 FrameTime(u32 k)
{
    return s_ulFrom + (u32)((u64)k * 1000 / s_ulFps);
}

// The audio of frame k spans samples [k * rate / fps, (k + 1) * rate / fps),
// so any number of frames adds up to the exact sample count.
static u64 SampleAt(u64 k)
{
    return k * CAPTURE_RATE / s_ulFps;
}

static void Fail(const std::string &why)
{
    if (!s_bFailed)
        s_strError = why;
    s_bFailed = 1;
}

// --- The capture's sound driver: mixes only when asked to -----------------

static int CapInit() { return VC_Init(); }
static void CapUpdate() {}
static BOOL CapIsPresent() { return 1; }
static int CapReset() { return 0; }

static MDRIVER s_drvCapture = {
    nullptr, "capture", "vorn capture driver", 0, 255, "capture", nullptr, nullptr, CapIsPresent,
    VC_SampleLoad, VC_SampleUnload, VC_SampleSpace, VC_SampleLength, CapInit, VC_Exit, CapReset,
    VC_SetNumVoices, VC_PlayStart, VC_PlayStop, CapUpdate, nullptr, VC_VoiceSetVolume, VC_VoiceGetVolume,
    VC_VoiceSetFrequency, VC_VoiceGetFrequency, VC_VoiceSetPanning, VC_VoiceGetPanning, VC_VoicePlay,
    VC_VoiceStop, VC_VoiceStopped, VC_VoiceGetPosition, VC_VoiceRealVolume};

static void MixSamples(u64 count, FILE *out)
{
    static SBYTE buf[4096 * 4];
    while (count > 0) {
        u32 n = count > 4096 ? 4096 : (u32)count;
        if (md_driver == &s_drvCapture)
            VC_WriteBytes(buf, n * 4);
        else
            std::memset(buf, 0, n * 4);
        if (out && std::fwrite(buf, 4, n, out) != n)
            Fail("could not write the audio (disk full?)");
        count -= n;
    }
}

static void PutLE(u8 *p, u32 v, int bytes)
{
    for (int i = 0; i < bytes; i++)
        p[i] = (u8)(v >> (8 * i));
}

static bool WriteWavHeader(FILE *f, u64 samples)
{
    u8 h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    u32 bytes = (u32)(samples * 4);
    PutLE(h + 4, 36 + bytes, 4);
    PutLE(h + 16, 16, 4);
    PutLE(h + 20, 1, 2); // PCM
    PutLE(h + 22, 2, 2);
    PutLE(h + 24, CAPTURE_RATE, 4);
    PutLE(h + 28, CAPTURE_RATE * 4, 4);
    PutLE(h + 32, 4, 2);
    PutLE(h + 34, 16, 2);
    std::memcpy(h + 36, "data", 4);
    PutLE(h + 40, bytes, 4);
    return std::fseek(f, 0, SEEK_SET) == 0 && std::fwrite(h, 1, 44, f) == 44;
}

// --- Frames ---------------------------------------------------------------

static std::string DumpName(const std::string &base, u32 k)
{
    char num[16];
    std::snprintf(num, sizeof num, "_%.6u.bmp", k);
    return base + num;
}

static bool WriteBMP(const std::string &path, const u8 *pixels, int w, int h, int pitch)
{
    std::string part = path + ".part";
    FILE *f = std::fopen(part.c_str(), "wb");
    if (!f)
        return false;
    u8 hdr[54] = {'B', 'M'};
    u32 bytes = (u32)(w * h * 3);
    PutLE(hdr + 2, bytes + 54, 4);
    PutLE(hdr + 10, 54, 4);
    PutLE(hdr + 14, 40, 4);
    PutLE(hdr + 18, (u32)w, 4);
    PutLE(hdr + 22, (u32)h, 4);
    PutLE(hdr + 26, 1, 2);
    PutLE(hdr + 28, 24, 2);
    PutLE(hdr + 34, bytes, 4);
    PutLE(hdr + 38, 4000, 4);
    PutLE(hdr + 42, 3000, 4);
    bool ok = std::fwrite(hdr, 1, 54, f) == 54;
    for (int y = h - 1; ok && y >= 0; y--)
        ok = std::fwrite(pixels + (size_t)y * pitch, 1, (size_t)w * 3, f) == (size_t)w * 3;
    ok = (std::fclose(f) == 0) && ok;
    if (ok && std::rename(part.c_str(), path.c_str()) != 0)
        ok = false;
    if (!ok)
        std::remove(part.c_str());
    return ok;
}

// The frame dump writes under a hidden name; a frame gets its final name
// only once the whole file is known to be on disk.
static void TakeDumpedFrame(u32 k)
{
    std::string dumped = DumpName(s_strDumpBase, k);
    std::string final = s_bSingle ? s_strOut : DumpName(s_strOut + "/frame", k);
    u32 w = g_ulDISPLAY_MODE <= 4 ? 320 : 720;
    u32 h = g_ulDISPLAY_MODE <= 4 ? 240 : (g_ulDISPLAY_MODE <= 18 ? 480 : 576);
    struct stat st;
    if (stat(dumped.c_str(), &st) != 0 || (u64)st.st_size != 54 + (u64)w * h * 3) {
        std::remove(dumped.c_str());
        Fail("could not write frame " + std::to_string(k) + " (disk full or directory not writable?)");
        return;
    }
    if (std::rename(dumped.c_str(), final.c_str()) != 0) {
        std::remove(dumped.c_str());
        Fail("could not name frame " + final + ": " + std::strerror(errno));
    }
}

static void Progress(bool last)
{
    if (!isatty(STDERR_FILENO))
        return;
    double elapsed = Seconds() - s_dStartSeconds;
    double fps = elapsed > 0 ? s_ulFrame / elapsed : 0;
    double left = fps > 0 ? (s_ulFrameCount - s_ulFrame) / fps : 0;
    std::fprintf(stderr, "\rframe %u/%u  %.1f fps  %.0f s left   %s", s_ulFrame, s_ulFrameCount, fps, left,
                 last ? "\n" : "");
}

static void PushDueKeys(u32 until)
{
    while (s_nextKey < s_keys.size() && s_keys[s_nextKey].ulTime <= until) {
        SDL_Event ev = {};
        ev.type = s_keys[s_nextKey].bDown ? SDL_KEYDOWN : SDL_KEYUP;
        ev.key.type = ev.type;
        ev.key.state = s_keys[s_nextKey].bDown ? SDL_PRESSED : SDL_RELEASED;
        ev.key.keysym.sym = (SDLKey)s_keys[s_nextKey].ulKey;
        SDL_PushEvent(&ev);
        s_nextKey++;
    }
}

static void Stop()
{
    ZKT_SaveOnDisk(0, "");
    // The next round reads the leave button before it paints anything.
    g_ulGP2XInputStateWinGUI = ZKT_BTN_EXIT;
}

static void OnTrace(const char *step)
{
    if (std::strcmp(step, "loop") != 0)
        return;
    // Start-up is done: bring the music to the first frame's time, silently,
    // then set the clock to it.
    MixSamples((u64)s_ulFrom * CAPTURE_RATE / 1000, nullptr);
    s_ullSamplesDone = 0;
    s_ulNow = FrameTime(0);
    PushDueKeys(s_ulNow);
    // Start-up cleared the dump switch; frames are dumped from here on.
    if (!s_bWindow)
        ZKT_SaveOnDisk(1, s_strDumpBase.c_str());
}

static void OnFrameDone(u32)
{
    if (s_ulFrame >= s_ulFrameCount)
        return Stop();
    u32 k = s_ulFrame;
    if (s_bWindow && s_bSingle) {
        SDL_Surface *s = g_Screen;
        if (!WriteBMP(s_strOut, (const u8 *)s->pixels, s->w, s->h, s->pitch))
            Fail("could not write " + s_strOut);
    } else {
        TakeDumpedFrame(k);
    }
    if (s_pWav) {
        u64 n = SampleAt(k + 1) - SampleAt(k);
        MixSamples(n, s_pWav);
        s_ullSamplesDone += n;
    }
    s_ulFrame++;
    Progress(s_ulFrame == s_ulFrameCount);
    if (s_bFailed || s_ulFrame >= s_ulFrameCount)
        return Stop();
    s_ulNow = FrameTime(s_ulFrame);
    PushDueKeys(s_ulNow);
}

// --- Options --------------------------------------------------------------

static const struct {
    const char *name;
    SDLKey key;
} s_KeyNames[] = {
    {"kp_plus", SDLK_KP_PLUS}, {"kp_minus", SDLK_KP_MINUS}, {"pagedown", SDLK_PAGEDOWN},
    {"pageup", SDLK_PAGEUP},   {"delete", SDLK_DELETE},     {"kp4", SDLK_KP4},
    {"kp6", SDLK_KP6},         {"kp8", SDLK_KP8},           {"kp2", SDLK_KP2},
    {"escape", SDLK_ESCAPE},   {"home", SDLK_HOME},         {"end", SDLK_END},
    {"insert", SDLK_INSERT},   {"kp_divide", SDLK_KP_DIVIDE}, {"kp_multiply", SDLK_KP_MULTIPLY},
};

static void Usage()
{
    std::fprintf(stderr,
                 "usage: vorn-capture --at MS [--mode M] [--window] [--key MS:NAME[:HOLDMS]]... --out FILE.bmp\n"
                 "       vorn-capture --from MS --to MS --fps N [--mode M] [--key ...] --out DIR\n"
                 "Keys: kp_plus kp_minus pagedown pageup delete kp4 kp6 kp8 kp2 escape home end insert\n"
                 "      kp_divide kp_multiply; a key is held for HOLDMS (default 100) ms.\n");
}

static bool ParseU32(const char *s, u32 *out)
{
    if (!s || !*s)
        return false;
    char *end = nullptr;
    errno = 0;
    unsigned long v = std::strtoul(s, &end, 10);
    if (errno || *end || v > 0xFFFFFFFFul || s[0] == '-')
        return false;
    *out = (u32)v;
    return true;
}

static bool ParseKey(const char *arg)
{
    std::string s(arg);
    size_t a = s.find(':');
    if (a == std::string::npos)
        return false;
    size_t b = s.find(':', a + 1);
    u32 t, hold = 100;
    if (!ParseU32(s.substr(0, a).c_str(), &t))
        return false;
    std::string name = s.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
    if (b != std::string::npos && (!ParseU32(s.substr(b + 1).c_str(), &hold) || hold == 0))
        return false;
    for (auto &k : s_KeyNames)
        if (name == k.name) {
            s_keys.push_back({t, (u32)k.key, 1});
            s_keys.push_back({t + hold, (u32)k.key, 0});
            return true;
        }
    return false;
}

static int ParseArgs(int argc, char **argv)
{
    bool at = false, from = false, to = false, fps = false;
    for (int i = 1; i < argc; i++) {
        std::string o = argv[i];
        const char *v = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = true;
        if (o == "--at") {
            ok = ParseU32(v, &s_ulFrom), at = true, i++;
        } else if (o == "--from") {
            ok = ParseU32(v, &s_ulFrom), from = true, i++;
        } else if (o == "--to") {
            ok = ParseU32(v, &s_ulTo), to = true, i++;
        } else if (o == "--fps") {
            ok = ParseU32(v, &s_ulFps) && s_ulFps >= 1 && s_ulFps <= 1000, fps = true, i++;
        } else if (o == "--mode") {
            u32 m;
            ok = ParseU32(v, &m) && m <= 32, s_nMode = (s32)m, i++;
        } else if (o == "--out") {
            ok = v && *v, s_strOut = v ? v : "", i++;
        } else if (o == "--key") {
            ok = v && ParseKey(v), i++;
        } else if (o == "--window") {
            s_bWindow = 1;
        } else if (o == "--help" || o == "-h") {
            Usage();
            std::exit(0);
        } else {
            std::fprintf(stderr, "vorn-capture: unknown option '%s'\n", o.c_str());
            return 2;
        }
        if (!ok) {
            std::fprintf(stderr, "vorn-capture: bad or missing value for %s\n", o.c_str());
            return 2;
        }
    }
    if (s_strOut.empty() || (at == (from || to || fps)) || (!at && !(from && to && fps))) {
        Usage();
        return 2;
    }
    if (at) {
        s_bSingle = 1;
        s_ulFrameCount = 1;
    } else {
        if (s_ulTo <= s_ulFrom) {
            std::fprintf(stderr, "vorn-capture: --to must be after --from\n");
            return 2;
        }
        // Frames whose time lies in [from, to).
        u64 span = (u64)(s_ulTo - s_ulFrom) * s_ulFps;
        s_ulFrameCount = (u32)((span + 999) / 1000);
    }
    if (s_bWindow && !at) {
        std::fprintf(stderr, "vorn-capture: --window goes with --at\n");
        return 2;
    }
    std::stable_sort(s_keys.begin(), s_keys.end(),
                     [](const CaptureKey &a, const CaptureKey &b) { return a.ulTime < b.ulTime; });
    return 0;
}

static bool PrepareOutput()
{
    std::string dir = s_strOut;
    if (s_bSingle) {
        size_t slash = s_strOut.rfind('/');
        dir = slash == std::string::npos ? "." : s_strOut.substr(0, slash + (slash == 0));
    }
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 && !s_bSingle && mkdir(dir.c_str(), 0777) != 0) {
        std::fprintf(stderr, "vorn-capture: cannot create %s: %s\n", dir.c_str(), std::strerror(errno));
        return false;
    }
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || access(dir.c_str(), W_OK) != 0) {
        std::fprintf(stderr, "vorn-capture: cannot write into %s\n", dir.c_str());
        return false;
    }
    s_strDumpBase = (s_bSingle ? dir : s_strOut) + "/.partial";
    if (!s_bSingle) {
        s_strWavFinal = s_strOut + "/audio.wav";
        s_strWavPart = s_strWavFinal + ".part";
        s_pWav = std::fopen(s_strWavPart.c_str(), "wb+");
        if (!s_pWav || !WriteWavHeader(s_pWav, 0)) {
            std::fprintf(stderr, "vorn-capture: cannot write %s\n", s_strWavPart.c_str());
            return false;
        }
    }
    return true;
}

static bool FinishAudio()
{
    if (!s_pWav)
        return true;
    bool ok = !s_bFailed && WriteWavHeader(s_pWav, s_ullSamplesDone);
    ok = (std::fclose(s_pWav) == 0) && ok;
    s_pWav = nullptr;
    if (ok && std::rename(s_strWavPart.c_str(), s_strWavFinal.c_str()) != 0)
        ok = false;
    if (!ok) {
        std::remove(s_strWavPart.c_str());
        Fail("could not finish " + s_strWavFinal);
    }
    return ok;
}

int main(int argc, char **argv)
{
    int rc = ParseArgs(argc, argv);
    if (rc)
        return rc;
    if (!PrepareOutput())
        return 1;
    if (s_strDumpBase.size() >= sizeof g_strSaveFilePath) {
        std::fprintf(stderr, "vorn-capture: output path too long\n");
        return 2;
    }

    // No window and no sound card: the capture needs neither.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    g_pfnZKTClock = VirtualClock;
    g_pfnZKTSleep = VirtualSleep;
    g_pfnDemoTrace = OnTrace;
    s_dStartSeconds = Seconds();

    // The dump's counter starts at 0 in a fresh process, so frame k is the
    // dump's k-th file. Standard output carries the runtime's own messages.
    DEMO_PLATFORM platform = {"vorn-capture", 1, &s_drvCapture, CAPTURE_RATE, s_nMode, OnFrameDone};
    char *args[] = {argv[0], nullptr};
    int demo = DEMO_Main(1, args, g_DemoParts, &platform);
    FinishAudio();
    if (demo != 0) {
        std::fprintf(stderr, "vorn-capture: the presentation could not run (status %d)\n", demo);
        return 1;
    }
    if (s_bFailed) {
        std::fprintf(stderr, "vorn-capture: %s\n", s_strError.c_str());
        return 1;
    }
    if (s_ulFrame < s_ulFrameCount) {
        std::fprintf(stderr, "vorn-capture: the presentation ended after %u of %u frames\n", s_ulFrame,
                     s_ulFrameCount);
        return 1;
    }
    return 0;
}
