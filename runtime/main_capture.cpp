// vorn-capture: one frame, or a range of frames with its music, from the
// presentation on a virtual clock (runtime/capture.h), written to disk.
#include <SDL/SDL.h>
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

#include "lowlevel/common/zkt_bmpfile.h"
#include "runtime/capture/capture_out.h"
#include "runtime/capture/capture_run.h"
#include "runtime/capture/capture_scale.h"
#include "runtime/capture/capture_video.h"
#include "runtime/demo.h"

#ifdef _WIN32
// A console program with its own main: SDLmain would send its messages
// to files.
#undef main
#endif

typedef uint64_t u64;

// Options.
static u32 s_ulFrom = 0, s_ulTo = 0, s_ulFps = 60;
static s32 s_nMode = 0;
static u32 s_bSingle = 0, s_bWindow = 0, s_bOverwrite = 0;
static u32 s_ulScale = 1, s_ulVideo = CAPVID_NONE;
static std::string s_strOut;
static std::vector<CAPTURE_KEY> s_keys;

// Run state.
static CAPOUT_FILE s_wav, s_video;
static u32 s_bVideoOpen = 0;
static std::vector<u8> s_scaled;
static u64 s_ullSamples = 0;
static u32 s_ulFramesWritten = 0, s_ulFrameCount = 0;
static std::string s_strError;
static int s_nErrorStatus = 0;
static double s_dStartSeconds = 0;

static double Seconds()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + ts.tv_nsec * 1e-9;
}

static void Fail(int status, const std::string &why)
{
    if (!s_nErrorStatus) {
        s_nErrorStatus = status;
        s_strError = why;
    }
}

static bool WriteWavHeader(FILE *f, u64 samples)
{
    u8 h[CAPTURE_WAV_HEADER_BYTES];
    CAPTURE_MakeWavHeader(h, samples);
    return std::fseek(f, 0, SEEK_SET) == 0 && std::fwrite(h, 1, sizeof h, f) == sizeof h;
}

// --- Frames ---------------------------------------------------------------

static std::string FrameName(u32 k)
{
    char num[32];
    std::snprintf(num, sizeof num, "/frame_%.6u.bmp", k);
    return s_strOut + num;
}

// Frame files and the music of a range; also what a killed run leaves.
static bool IsRangeOutput(const char *name)
{
    if (name[0] == '.')
        name++;
    return (std::strncmp(name, "frame_", 6) == 0 && std::strstr(name, ".bmp") != nullptr) ||
           std::strncmp(name, "audio.wav", 9) == 0;
}

static void Progress(bool last)
{
    if (!isatty(STDERR_FILENO))
        return;
    double elapsed = Seconds() - s_dStartSeconds;
    double fps = elapsed > 0 ? s_ulFramesWritten / elapsed : 0;
    double left = fps > 0 ? (s_ulFrameCount - s_ulFramesWritten) / fps : 0;
    std::fprintf(stderr, "\rframe %u/%u  %.1f fps  %.0f s left   %s", s_ulFramesWritten, s_ulFrameCount, fps,
                 left, last ? "\n" : "");
}

static u32 OnVideoFrame(u32 k, const CAPTURE_PICTURE *pic)
{
#ifdef VORN_HAVE_VIDEO
    std::string err;
    // The picture's size is known with the first one.
    if (!s_bVideoOpen) {
        if (!CaptureVideo_Open(fileno(s_video.pFile), s_video.strTemp, s_ulVideo, pic->ulWidth, pic->ulHeight,
                               s_ulFps, CAPTURE_RATE, &err)) {
            Fail(CAPOUT_FAILED, "cannot write " + s_strOut + ": " + err);
            return 0;
        }
        s_bVideoOpen = 1;
    }
    if (!CaptureVideo_Frame(pic->pPixels, pic->ulPitch, &err)) {
        Fail(CAPOUT_FAILED, "frame " + std::to_string(k) + ": " + err);
        return 0;
    }
    s_ulFramesWritten++;
    Progress(s_ulFramesWritten == s_ulFrameCount);
    return 1;
#else
    (void)k, (void)pic;
    return 0;
#endif
}

static u32 OnFrame(void *, u32 k, const CAPTURE_PICTURE *in)
{
    CAPTURE_PICTURE scaled;
    const CAPTURE_PICTURE *pic = in;
    if (s_ulScale > 1) {
        const u32 w = in->ulWidth * s_ulScale, h = in->ulHeight * s_ulScale;
        s_scaled.resize((size_t)w * h * 3);
        CaptureScale(in->pPixels, in->ulWidth, in->ulHeight, in->ulPitch, s_ulScale, s_scaled.data());
        scaled = {s_scaled.data(), w, h, w * 3};
        pic = &scaled;
    }
    if (s_ulVideo)
        return OnVideoFrame(k, pic);
    const std::string name = s_bSingle ? s_strOut : FrameName(k);
    CAPOUT_FILE f;
    std::string err;
    int rc = CAPOUT_Open(&f, name, &err);
    if (rc == CAPOUT_OK && !ZKT_WriteBMP(f.pFile, pic->pPixels, pic->ulWidth, pic->ulHeight, pic->ulPitch)) {
        err = "could not write " + name + ": " + std::strerror(errno) + " (disk full?)";
        CAPOUT_Discard(&f);
        rc = CAPOUT_FAILED;
    }
    if (rc == CAPOUT_OK && (rc = CAPOUT_Commit(&f, s_bOverwrite, &err)) == CAPOUT_FAILED)
        err += " (disk full?)";
    if (rc != CAPOUT_OK) {
        Fail(rc, err);
        return 0;
    }
    s_ulFramesWritten++;
    Progress(s_ulFramesWritten == s_ulFrameCount);
    return 1;
}

static u32 OnSound(void *, u32, const u8 *data, u32 count)
{
#ifdef VORN_HAVE_VIDEO
    if (s_ulVideo) {
        std::string err;
        if (!s_bVideoOpen || !CaptureVideo_Sound(data, count, &err)) {
            Fail(CAPOUT_FAILED, "the sound: " + err);
            return 0;
        }
        s_ullSamples += count;
        return 1;
    }
#endif
    if (std::fwrite(data, 4, count, s_wav.pFile) != count) {
        Fail(CAPOUT_FAILED, "could not write the audio: " + std::string(std::strerror(errno)) + " (disk full?)");
        return 0;
    }
    s_ullSamples += count;
    return 1;
}

static u32 OnStop(void *)
{
    return CAPOUT_Signal() != 0;
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
                 "usage: vorn-capture --at MS [--fps N] [--mode M] [--window] [--key MS:NAME[:HOLDMS]]...\n"
                 "                    [--scale S] [--overwrite] --out FILE.bmp\n"
                 "       vorn-capture --from MS --to MS --fps N [--mode M] [--window] [--scale S] [--key ...]\n"
                 "                    [--overwrite] --out DIR|FILE.mkv|FILE.mp4\n"
                 "Times are below %u ms. --at reaches MS through the frames a range at N (default 60)\n"
                 "frames per second shows. --overwrite replaces an earlier file or range.\n"
                 "A range into FILE.mkv is lossless (FFV1 + FLAC), into FILE.mp4 H.264 + AAC; otherwise\n"
                 "DIR gets frame_NNNNNN.bmp and audio.wav. --scale 1..4 enlarges every pixel to S x S.\n"
                 "Keys: kp_plus kp_minus pagedown pageup delete kp4 kp6 kp8 kp2 escape home end insert\n"
                 "      kp_divide kp_multiply; a key is held for HOLDMS (default 100) ms.\n",
                 DEMO_END_MS);
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
    // The release must be a time the clock reaches.
    if (hold > 0xFFFFFFFFu - t)
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
        } else if (o == "--scale") {
            ok = ParseU32(v, &s_ulScale) && s_ulScale >= 1 && s_ulScale <= CAPTURE_MAX_SCALE, i++;
        } else if (o == "--window") {
            s_bWindow = 1;
        } else if (o == "--overwrite") {
            s_bOverwrite = 1;
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
    if (s_strOut.empty() || (at && (from || to)) || (!at && !(from && to && fps))) {
        Usage();
        return 2;
    }
    if (at) {
        if (s_ulFrom >= DEMO_END_MS) {
            std::fprintf(stderr, "vorn-capture: --at must be below %u (the presentation's end)\n", DEMO_END_MS);
            return 2;
        }
        s_bSingle = 1;
        s_ulFrameCount = 1;
    } else {
        if (s_ulTo <= s_ulFrom) {
            std::fprintf(stderr, "vorn-capture: --to must be after --from\n");
            return 2;
        }
        if (s_ulTo > DEMO_END_MS) {
            std::fprintf(stderr, "vorn-capture: --to must be at most %u (the presentation's end)\n", DEMO_END_MS);
            return 2;
        }
        s_ulFrameCount = CAPTURE_FrameCount(s_ulFrom, s_ulTo, s_ulFps);
    }
    s_ulVideo = CaptureVideo_KindOfName(s_strOut);
    if (s_ulVideo && at) {
        std::fprintf(stderr, "vorn-capture: a video file takes a range (--from, --to, --fps)\n");
        return 2;
    }
#ifndef VORN_HAVE_VIDEO
    if (s_ulVideo) {
        std::fprintf(stderr, "vorn-capture: this build writes no video files (FFmpeg's libraries were "
                             "missing); capture into a folder\n");
        return 2;
    }
#endif
    std::stable_sort(s_keys.begin(), s_keys.end(),
                     [](const CAPTURE_KEY &a, const CAPTURE_KEY &b) { return a.ulTime < b.ulTime; });
    return 0;
}

// Returns 0 or the exit status, with the message printed.
static int PrepareOutput()
{
    std::string err;
    int rc;
    if (s_bSingle || s_ulVideo) {
        rc = CAPOUT_CheckTarget(s_strOut, s_bOverwrite, &err);
        // Found out before the presentation runs: its folder must take files.
        const size_t slash = s_strOut.rfind('/');
        const std::string dir = slash == std::string::npos ? "." : s_strOut.substr(0, slash + (slash == 0));
        struct stat st;
        if (rc == CAPOUT_OK && (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || access(dir.c_str(), W_OK))) {
            err = "cannot write into " + dir;
            rc = CAPOUT_FAILED;
        }
        if (rc == CAPOUT_OK && s_ulVideo)
            rc = CAPOUT_Open(&s_video, s_strOut, &err);
    } else {
        rc = CAPOUT_PrepareFolder(s_strOut, s_bOverwrite, IsRangeOutput, &err);
        if (rc == CAPOUT_OK)
            rc = CAPOUT_Open(&s_wav, s_strOut + "/audio.wav", &err);
        if (rc == CAPOUT_OK && !WriteWavHeader(s_wav.pFile, 0)) {
            err = "cannot write " + s_strOut + "/audio.wav: " + std::strerror(errno);
            rc = CAPOUT_FAILED;
        }
    }
    if (rc != CAPOUT_OK)
        std::fprintf(stderr, "vorn-capture: %s\n", err.c_str());
    return rc;
}

// The encoders finish first; the file gets its final name only then.
static void FinishVideo(bool complete)
{
    if (!s_video.pFile)
        return;
    std::string err;
#ifdef VORN_HAVE_VIDEO
    if (complete && !CaptureVideo_Close(&err)) {
        Fail(CAPOUT_FAILED, "cannot finish " + s_strOut + ": " + err);
        complete = false;
    }
    CaptureVideo_Abort();
#endif
    s_bVideoOpen = 0;
    int rc = complete ? CAPOUT_Commit(&s_video, s_bOverwrite, &err) : CAPOUT_OK;
    if (rc != CAPOUT_OK)
        Fail(rc, err);
    CAPOUT_Discard(&s_video);
}

static void FinishAudio(bool complete)
{
    if (!s_wav.pFile)
        return;
    std::string err;
    if (!complete) {
        CAPOUT_Discard(&s_wav);
    } else if (!WriteWavHeader(s_wav.pFile, s_ullSamples)) {
        CAPOUT_Discard(&s_wav);
        Fail(CAPOUT_FAILED, "could not finish " + s_strOut + "/audio.wav (disk full?)");
    } else {
        int rc = CAPOUT_Commit(&s_wav, s_bOverwrite, &err);
        if (rc != CAPOUT_OK)
            Fail(rc, err);
    }
}

int main(int argc, char **argv)
{
    int rc = ParseArgs(argc, argv);
    if (rc)
        return rc;
    CAPOUT_InstallSignalHandlers();
    if ((rc = PrepareOutput()) != 0) {
        CAPOUT_Discard(&s_wav);
        CAPOUT_Discard(&s_video);
        return rc;
    }
    s_dStartSeconds = Seconds();

    // Standard output carries the runtime's own messages.
    CAPTURE_JOB job;
    // The picture never depends on the music: a single frame goes without.
    CAPTURE_InitJob(&job, s_ulFrom, s_ulFrameCount, s_ulFps, s_nMode, s_bWindow, s_bSingle ? 0 : 1, s_keys.data(),
                    (u32)s_keys.size());
    job.pfnFrame = OnFrame;
    job.pfnSound = OnSound;
    job.pfnStop = OnStop;
    CAPTURE_RESULT res;
    const CAPTURE_STATUS status = CAPTURE_Run(&job, &res);
    FinishAudio(status == CAPTURE_DONE);
    FinishVideo(status == CAPTURE_DONE);

    if (status == CAPTURE_STOPPED) {
        std::fprintf(stderr, "vorn-capture: interrupted after %u of %u frames\n", s_ulFramesWritten,
                     s_ulFrameCount);
        CAPOUT_DieOfSignal(CAPOUT_Signal());
    }
    if (status == CAPTURE_NOT_STARTED) {
        std::fprintf(stderr, "vorn-capture: the presentation could not run (status %d)\n", res.nDemoStatus);
        return 1;
    }
    if (s_nErrorStatus) {
        std::fprintf(stderr, "vorn-capture: %s\n", s_strError.c_str());
        return s_nErrorStatus;
    }
    if (status == CAPTURE_ENDED_EARLY) {
        std::fprintf(stderr, "vorn-capture: the presentation ended after %u of %u frames\n", res.ulFramesDone,
                     s_ulFrameCount);
        return 1;
    }
    return 0;
}
