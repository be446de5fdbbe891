// libmikmod output driver on SDL 1.2 audio.
//
// Debian's libmikmod carries an SDL driver built against SDL 2; loading it
// would put a second SDL into the process. This one uses the SDL 1.2 the
// rest of the program runs on, and libmikmod's software mixer (VC_*).
//
// Locking: SDL's audio thread asks for each buffer by calling
// MikMod_Update(), which takes libmikmod's variable lock and calls our
// Update (or Pause, while the player is paused). Only then is the mixer run,
// into the buffer the thread left in s_pTarget. The main thread's own
// MikMod_Update() calls find no target and return at once. So the mixer and
// every player call are serialised by libmikmod's lock, and nothing of ours
// ever waits for the audio thread while holding it (Exit only pauses; the
// device is closed later, outside the lock).
#include "runtime/music.h"

#include <SDL/SDL.h>
#include <cstring>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

static u32 s_bOffline = 0;
static u32 s_bDeviceOpen = 0;      // opened by us, still open
static u32 s_bAudioInitByUs = 0;   // we started SDL's audio subsystem
static SDL_AudioSpec s_Opened; // the format the device was opened with

// The buffer being filled on this thread, if any.
static thread_local Uint8 *s_pTarget = nullptr;
static thread_local int s_nTarget = 0;
static thread_local int s_bFilled = 0;

static void Mix(Uint8 *buf, int len)
{
    s_pTarget = buf;
    s_nTarget = len;
    s_bFilled = 0;
    MikMod_Update();
    if (!s_bFilled) // not playing: output the format's silence
        std::memset(buf, (md_mode & DMODE_16BITS) ? 0 : 0x80, (size_t)len);
    s_pTarget = nullptr;
}

static void SDLCALL FillAudio(void *, Uint8 *stream, int len) { Mix(stream, len); }

static void Drv_Update()
{
    if (!s_pTarget)
        return;
    VC_WriteBytes((SBYTE *)s_pTarget, (ULONG)s_nTarget);
    s_bFilled = 1;
}

static void Drv_Pause()
{
    if (!s_pTarget)
        return;
    VC_SilenceBytes((SBYTE *)s_pTarget, (ULONG)s_nTarget);
    s_bFilled = 1;
}

static void Drv_CommandLine(const CHAR *) {}
static BOOL Drv_IsPresent() { return 1; }

#ifdef __EMSCRIPTEN__
// The page's SDL has no status query; its device exists until closed.
static bool AudioStopped() { return EM_ASM_INT({ return typeof SDL != 'undefined' && SDL.audio ? 0 : 1; }) != 0; }
#else
static bool AudioStopped() { return SDL_GetAudioStatus() == SDL_AUDIO_STOPPED; }
#endif

// SDL_Quit() closes the device and the subsystem behind our back.
static void ForgetWhatSDLClosed()
{
    if (s_bDeviceOpen && AudioStopped())
        s_bDeviceOpen = 0;
    if (s_bAudioInitByUs && !SDL_WasInit(SDL_INIT_AUDIO))
        s_bAudioInitByUs = 0;
}

static int Drv_Init()
{
    md_mode &= ~DMODE_FLOAT; // SDL 1.2 has no float output
    ForgetWhatSDLClosed();
    if (!s_bOffline) {
        const Uint16 format = (md_mode & DMODE_16BITS) ? AUDIO_S16SYS : AUDIO_U8;
        const Uint8 channels = (md_mode & DMODE_STEREO) ? 2 : 1;
        if (s_bDeviceOpen && (s_Opened.freq != md_mixfreq || s_Opened.format != format || s_Opened.channels != channels)) {
            // Closing here would wait for the audio thread while we hold
            // libmikmod's lock; refuse instead.
            MikMod_errno = MMERR_OPENING_AUDIO;
            return 1;
        }
        if (!s_bDeviceOpen) {
            if (!SDL_WasInit(SDL_INIT_AUDIO)) {
                if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) {
                    MikMod_errno = MMERR_OPENING_AUDIO;
                    return 1;
                }
                s_bAudioInitByUs = 1;
            }
            SDL_AudioSpec want;
            std::memset(&want, 0, sizeof want);
            want.freq = md_mixfreq;
            want.format = format;
            want.channels = channels;
            want.samples = 1024; // 23 ms at 44100 Hz
            want.callback = FillAudio;
            // No "obtained" format asked for: SDL converts to exactly this one.
            if (SDL_OpenAudio(&want, nullptr) < 0) {
                MikMod_errno = MMERR_OPENING_AUDIO;
                if (s_bAudioInitByUs) {
                    SDL_QuitSubSystem(SDL_INIT_AUDIO);
                    s_bAudioInitByUs = 0;
                }
                return 1;
            }
            s_Opened = want;
            s_bDeviceOpen = 1;
        }
    }
    return VC_Init();
}

static void Drv_Exit()
{
    if (s_bDeviceOpen)
        SDL_PauseAudio(1); // does not wait for the audio thread
    VC_Exit();
}

static int Drv_Reset()
{
    VC_Exit();
    return VC_Init();
}

static int Drv_PlayStart()
{
    const int r = VC_PlayStart();
    if (r == 0 && s_bDeviceOpen)
        SDL_PauseAudio(0);
    return r;
}

static void Drv_PlayStop()
{
    if (s_bDeviceOpen)
        SDL_PauseAudio(1);
    VC_PlayStop();
}

MDRIVER drv_sdl12 = {
    nullptr,
    "SDL 1.2 audio",
    "SDL 1.2 audio output",
    0,
    255,
    "sdl12",
    "",
    Drv_CommandLine,
    Drv_IsPresent,
    VC_SampleLoad,
    VC_SampleUnload,
    VC_SampleSpace,
    VC_SampleLength,
    Drv_Init,
    Drv_Exit,
    Drv_Reset,
    VC_SetNumVoices,
    Drv_PlayStart,
    Drv_PlayStop,
    Drv_Update,
    Drv_Pause,
    VC_VoiceSetVolume,
    VC_VoiceGetVolume,
    VC_VoiceSetFrequency,
    VC_VoiceGetFrequency,
    VC_VoiceSetPanning,
    VC_VoiceGetPanning,
    VC_VoicePlay,
    VC_VoiceStop,
    VC_VoiceStopped,
    VC_VoiceGetPosition,
    VC_VoiceRealVolume,
};

void MikModSDL12_SetOffline(u32 bOffline) { s_bOffline = bOffline ? 1 : 0; }

void MikModSDL12_Render(void *buf, u32 len) { Mix(static_cast<Uint8 *>(buf), (int)len); }

void MikModSDL12_CloseDevice()
{
    ForgetWhatSDLClosed();
    if (s_bDeviceOpen) {
        SDL_CloseAudio();
        s_bDeviceOpen = 0;
    }
    if (s_bAudioInitByUs) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        s_bAudioInitByUs = 0;
    }
}
