// vorn-capture: one frame, or a range of frames with its music, from the
// presentation on a virtual clock (runtime/capture/capture_run.h), written to disk.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "lowlevel/common/zkt_bmpfile.h"
#include "runtime/capture/capture_args.h"
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

static CAPTURE_ARGS s_args;

// Run state.
static CAPOUT_FILE s_wav, s_video;
static u32 s_bVideoOpen = 0;
static std::vector<u8> s_scaled;
static u64 s_ullSamples = 0;
static u32 s_ulFramesWritten = 0;
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
    return s_args.strOut + num;
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
    double left = fps > 0 ? (s_args.ulFrameCount - s_ulFramesWritten) / fps : 0;
    std::fprintf(stderr, "\rframe %u/%u  %.1f fps  %.0f s left   %s", s_ulFramesWritten, s_args.ulFrameCount, fps,
                 left, last ? "\n" : "");
}

static u32 OnVideoFrame(u32 k, const CAPTURE_PICTURE *pic)
{
#ifdef VORN_HAVE_VIDEO
    std::string err;
    // The picture's size is known with the first one.
    if (!s_bVideoOpen) {
        if (!CaptureVideo_Open(fileno(s_video.pFile), s_video.strTemp, s_args.ulVideo, pic->ulWidth, pic->ulHeight,
                               s_args.ulFps, CAPTURE_RATE, &err)) {
            Fail(CAPOUT_FAILED, "cannot write " + s_args.strOut + ": " + err);
            return 0;
        }
        s_bVideoOpen = 1;
    }
    if (!CaptureVideo_Frame(pic->pPixels, pic->ulPitch, &err)) {
        Fail(CAPOUT_FAILED, "frame " + std::to_string(k) + ": " + err);
        return 0;
    }
    s_ulFramesWritten++;
    Progress(s_ulFramesWritten == s_args.ulFrameCount);
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
    if (s_args.ulScale > 1) {
        const u32 w = in->ulWidth * s_args.ulScale, h = in->ulHeight * s_args.ulScale;
        s_scaled.resize((size_t)w * h * 3);
        CaptureScale(in->pPixels, in->ulWidth, in->ulHeight, in->ulPitch, s_args.ulScale, s_scaled.data());
        scaled = {s_scaled.data(), w, h, w * 3};
        pic = &scaled;
    }
    if (s_args.ulVideo)
        return OnVideoFrame(k, pic);
    const std::string name = s_args.bSingle ? s_args.strOut : FrameName(k);
    CAPOUT_FILE f;
    std::string err;
    int rc = CAPOUT_Open(&f, name, &err);
    if (rc == CAPOUT_OK && !ZKT_WriteBMP(f.pFile, pic->pPixels, pic->ulWidth, pic->ulHeight, pic->ulPitch)) {
        err = "could not write " + name + ": " + std::strerror(errno) + " (disk full?)";
        CAPOUT_Discard(&f);
        rc = CAPOUT_FAILED;
    }
    if (rc == CAPOUT_OK && (rc = CAPOUT_Commit(&f, s_args.bOverwrite, &err)) == CAPOUT_FAILED)
        err += " (disk full?)";
    if (rc != CAPOUT_OK) {
        Fail(rc, err);
        return 0;
    }
    s_ulFramesWritten++;
    Progress(s_ulFramesWritten == s_args.ulFrameCount);
    return 1;
}

static u32 OnSound(void *, u32, const u8 *data, u32 count)
{
#ifdef VORN_HAVE_VIDEO
    if (s_args.ulVideo) {
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

// Returns 0 or the exit status, with the message printed.
static int PrepareOutput()
{
    std::string err;
    int rc;
    if (s_args.bSingle || s_args.ulVideo) {
        rc = CAPOUT_CheckTarget(s_args.strOut, s_args.bOverwrite, &err);
        // Found out before the presentation runs: its folder must take files.
        const size_t slash = s_args.strOut.rfind('/');
        const std::string dir = slash == std::string::npos ? "." : s_args.strOut.substr(0, slash + (slash == 0));
        struct stat st;
        if (rc == CAPOUT_OK && (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || access(dir.c_str(), W_OK))) {
            err = "cannot write into " + dir;
            rc = CAPOUT_FAILED;
        }
        if (rc == CAPOUT_OK && s_args.ulVideo)
            rc = CAPOUT_Open(&s_video, s_args.strOut, &err);
    } else {
        rc = CAPOUT_PrepareFolder(s_args.strOut, s_args.bOverwrite, IsRangeOutput, &err);
        if (rc == CAPOUT_OK)
            rc = CAPOUT_Open(&s_wav, s_args.strOut + "/audio.wav", &err);
        if (rc == CAPOUT_OK && !WriteWavHeader(s_wav.pFile, 0)) {
            err = "cannot write " + s_args.strOut + "/audio.wav: " + std::strerror(errno);
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
        Fail(CAPOUT_FAILED, "cannot finish " + s_args.strOut + ": " + err);
        complete = false;
    }
    CaptureVideo_Abort();
#endif
    s_bVideoOpen = 0;
    int rc = complete ? CAPOUT_Commit(&s_video, s_args.bOverwrite, &err) : CAPOUT_OK;
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
        Fail(CAPOUT_FAILED, "could not finish " + s_args.strOut + "/audio.wav (disk full?)");
    } else {
        int rc = CAPOUT_Commit(&s_wav, s_args.bOverwrite, &err);
        if (rc != CAPOUT_OK)
            Fail(rc, err);
    }
}

int main(int argc, char **argv)
{
    int rc = CAPTURE_ParseArgs(argc, argv, &s_args);
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
    CAPTURE_InitJob(&job, s_args.ulFrom, s_args.ulFrameCount, s_args.ulFps, s_args.nMode, s_args.bWindow, s_args.bSingle ? 0 : 1, s_args.keys.data(),
                    (u32)s_args.keys.size());
    job.pfnFrame = OnFrame;
    job.pfnSound = OnSound;
    job.pfnStop = OnStop;
    CAPTURE_RESULT res;
    const CAPTURE_STATUS status = CAPTURE_Run(&job, &res);
    FinishAudio(status == CAPTURE_DONE);
    FinishVideo(status == CAPTURE_DONE);

    if (status == CAPTURE_STOPPED) {
        std::fprintf(stderr, "vorn-capture: interrupted after %u of %u frames\n", s_ulFramesWritten,
                     s_args.ulFrameCount);
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
                     s_args.ulFrameCount);
        return 1;
    }
    return 0;
}
