// The capture run: the real presentation on a virtual clock, with a sound
// driver that mixes only when asked to.
#include "runtime/capture/capture_run.h"
#include "runtime/capture/capture_os.h"

#include <SDL/SDL.h>
#include <mikmod.h>

#include <cstdlib>
#include <cstring>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "runtime/demo.h"

typedef uint64_t u64;
typedef int64_t s64;

static const CAPTURE_JOB *s_pJob = nullptr;
static u32 s_ulNow = 0;      // the virtual clock the presentation reads
static u32 s_ulLead = 0;     // rounds before frame 0, from time 0 at the job's rate
static u32 s_ulRound = 0;    // rounds done
static u64 s_ullMixed = 0;   // samples mixed since time 0
static u64 s_ullLeadSamples = 0;
static u32 s_ulNextKey = 0;
static CAPTURE_STATUS s_status = CAPTURE_DONE;
static u64 s_ullHanded = 0;

u32 CAPTURE_FrameTime(const CAPTURE_JOB *job, u32 k)
{
    return job->ulFrom + (u32)((u64)k * 1000 / job->ulFps);
}

// The music of frame k spans samples [k * rate / fps, (k + 1) * rate / fps)
// after the first frame's, so any number of frames adds up exactly.
u64 CAPTURE_FrameSample(const CAPTURE_JOB *job, u64 k)
{
    return k * CAPTURE_RATE / job->ulFps;
}

void CAPTURE_InitJob(CAPTURE_JOB *job, u32 ulFrom, u32 ulFrameCount, u32 ulFps, s32 nMode, u32 bWindow,
                     u32 bSound, const CAPTURE_KEY *pKeys, u32 ulKeyCount)
{
    *job = CAPTURE_JOB{};
    job->ulFrom = ulFrom;
    job->ulFrameCount = ulFrameCount;
    job->ulFps = ulFps;
    job->nMode = nMode;
    job->bWindow = bWindow;
    job->bSound = bSound;
    job->pKeys = pKeys;
    job->ulKeyCount = ulKeyCount;
}

u32 CAPTURE_FrameCount(u32 ulFrom, u32 ulTo, u32 ulFps)
{
    const u64 span = (u64)(ulTo - ulFrom) * ulFps;
    return (u32)((span + 999) / 1000);
}

static void PutLE(u8 *p, u32 v, int bytes)
{
    for (int i = 0; i < bytes; i++)
        p[i] = (u8)(v >> (8 * i));
}

void CAPTURE_MakeWavHeader(u8 *h, u64 ullSamples)
{
    static const u8 s_ucStart[16] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    std::memcpy(h, s_ucStart, sizeof s_ucStart);
    const u32 bytes = (u32)(ullSamples * 4);
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
}

static u32 RoundTime(u32 r)
{
    return r < s_ulLead ? (u32)((u64)r * 1000 / s_pJob->ulFps) : CAPTURE_FrameTime(s_pJob, r - s_ulLead);
}

// Samples mixed once round r is done.
static u64 RoundSamplesEnd(u32 r)
{
    if (r < s_ulLead) {
        u64 n = (u64)(r + 1) * CAPTURE_RATE / s_pJob->ulFps;
        return n < s_ullLeadSamples ? n : s_ullLeadSamples;
    }
    return s_ullLeadSamples + CAPTURE_FrameSample(s_pJob, (u64)(r - s_ulLead) + 1);
}

static bool Wanted(u32 r)
{
    return r >= s_ulLead && (!s_pJob->pfnWant || s_pJob->pfnWant(s_pJob->pCtx, r - s_ulLead));
}

static u32 VirtualClock() { return s_ulNow; }
static void VirtualSleep(u32) {} // time only moves when a frame is done
static u32 SkipCompose() { return Wanted(s_ulRound) ? 0 : 1; }

// --- The capture's sound driver ---------------------------------------------

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

// Mixes up to sample `until`; frame k >= 0 gets what it mixes.
static bool MixTo(u64 until, s64 k)
{
    static SBYTE buf[4096 * 4];
    while (s_ullMixed < until) {
        u32 n = until - s_ullMixed > 4096 ? 4096 : (u32)(until - s_ullMixed);
        if (md_driver == &s_drvCapture)
            VC_WriteBytes(buf, n * 4);
        else
            std::memset(buf, 0, n * 4);
        s_ullMixed += n;
        if (k >= 0) {
            if (!s_pJob->pfnSound(s_pJob->pCtx, (u32)k, (const u8 *)buf, n))
                return false;
            s_ullHanded += n;
        }
    }
    return true;
}

// --- Rounds -------------------------------------------------------------------

static void PushDueKeys(u32 until)
{
    while (s_ulNextKey < s_pJob->ulKeyCount && s_pJob->pKeys[s_ulNextKey].ulTime <= until) {
        const CAPTURE_KEY &key = s_pJob->pKeys[s_ulNextKey++];
        SDL_Event ev = {};
        ev.type = key.bDown ? SDL_KEYDOWN : SDL_KEYUP;
        ev.key.type = ev.type;
        ev.key.state = key.bDown ? SDL_PRESSED : SDL_RELEASED;
        ev.key.keysym.sym = (SDLKey)key.ulKey;
        SDL_PushEvent(&ev);
    }
}

static void Stop()
{
    // The next round reads the leave button before it paints anything.
    g_ulGP2XInputStateWinGUI = ZKT_BTN_EXIT;
}

static void OnTrace(const char *step)
{
    if (std::strcmp(step, "loop") != 0)
        return;
    // Start-up is done: the clock starts at the first round's time.
    s_ulNow = RoundTime(0);
    PushDueKeys(s_ulNow);
}

static void OnFrameDone(u32)
{
    const u32 total = s_ulLead + s_pJob->ulFrameCount;
    if (s_ulRound >= total || s_status != CAPTURE_DONE)
        return Stop();
    const u32 r = s_ulRound;
    const s64 k = r >= s_ulLead ? (s64)(r - s_ulLead) : -1;
    if (Wanted(r)) {
        CAPTURE_PICTURE pic;
        if (s_pJob->bWindow) {
            SDL_Surface *s = g_Screen;
            pic = {(const u8 *)s->pixels, (u32)s->w, (u32)s->h, (u32)s->pitch};
        } else {
            s32 w, h;
            ZKT_LowLevelAPI_SoftRender_GetOutputSize(&w, &h);
            pic = {g_ucSoftRenderPicture, (u32)w, (u32)h, (u32)w * 3};
        }
        if (!s_pJob->pfnFrame(s_pJob->pCtx, (u32)k, &pic))
            s_status = CAPTURE_FAILED;
    }
    if (s_status == CAPTURE_DONE && s_pJob->bSound && !MixTo(RoundSamplesEnd(r), k))
        s_status = CAPTURE_FAILED;
    s_ulRound++;
    if (s_status == CAPTURE_DONE && s_pJob->pfnStop && s_pJob->pfnStop(s_pJob->pCtx))
        s_status = CAPTURE_STOPPED;
    if (s_status != CAPTURE_DONE || s_ulRound >= total)
        return Stop();
    s_ulNow = RoundTime(s_ulRound);
    PushDueKeys(s_ulNow);
}

CAPTURE_STATUS CAPTURE_Run(const CAPTURE_JOB *job, CAPTURE_RESULT *pResult)
{
    s_pJob = job;
    // Rounds at i * 1000 / fps while that lies before the first frame.
    s_ulLead = (u32)(((u64)job->ulFrom * job->ulFps + 999) / 1000);
    s_ullLeadSamples = (u64)job->ulFrom * CAPTURE_RATE / 1000;
    s_ulNow = 0;
    s_ulRound = 0;
    s_ullMixed = 0;
    s_ullHanded = 0;
    s_ulNextKey = 0;
    s_status = CAPTURE_DONE;

    // No window and no sound card: the capture needs neither.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);

    u32 (*savedClock)() = g_pfnZKTClock;
    void (*savedSleep)(u32) = g_pfnZKTSleep;
    void (*savedTrace)(const char *) = g_pfnDemoTrace;
    u32 (*savedSkip)() = g_pfnDemoSkipCompose;
    g_pfnZKTClock = VirtualClock;
    g_pfnZKTSleep = VirtualSleep;
    g_pfnDemoTrace = OnTrace;
    g_pfnDemoSkipCompose = SkipCompose;

    DEMO_PLATFORM platform = {"vorn-capture", 1, &s_drvCapture, CAPTURE_RATE, job->nMode, OnFrameDone};
    char name[] = "vorn-capture";
    char *args[] = {name, nullptr};
    const int demo = DEMO_Main(1, args, g_DemoParts, &platform);

    g_ulGP2XInputStateWinGUI = 0; // Stop()'s leave button is not the next run's
    g_pfnZKTClock = savedClock;
    g_pfnZKTSleep = savedSleep;
    g_pfnDemoTrace = savedTrace;
    g_pfnDemoSkipCompose = savedSkip;

    const u32 done = s_ulRound > s_ulLead ? s_ulRound - s_ulLead : 0;
    if (pResult) {
        pResult->ulFramesDone = done;
        pResult->ullSamples = s_ullHanded;
        pResult->nDemoStatus = demo;
    }
    s_pJob = nullptr;
    if (demo != 0)
        return CAPTURE_NOT_STARTED;
    if (s_status == CAPTURE_DONE && done < job->ulFrameCount)
        return CAPTURE_ENDED_EARLY;
    return s_status;
}
