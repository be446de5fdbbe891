// The presentation on a clock the caller advances itself, frame by frame at
// a fixed rate, handing over composed pictures and the music of the same
// span, sample-exact. Nothing is dropped, nothing waits.
//
// Every run starts the presentation at 0 and reaches its first frame
// through the same frames a capture from 0 shows (at the same rate, not
// composed), so a frame comes out the same whichever run takes it.
#ifndef VORN_CAPTURE_RUN_H
#define VORN_CAPTURE_RUN_H

#include "lowlevel/zkt_lowLevel.h"

#define CAPTURE_RATE 44100u

// A key that changes at a capture time (SDL key symbol).
struct CAPTURE_KEY {
    u32 ulTime;
    u32 ulKey;
    u32 bDown;
};

// Pixels top line first, blue green red per pixel.
struct CAPTURE_PICTURE {
    const u8 *pPixels;
    u32 ulWidth, ulHeight, ulPitch;
};

struct CAPTURE_JOB {
    u32 ulFrom;       // time of frame 0 in ms
    u32 ulFrameCount; // frames at ulFrom + k * 1000 / ulFps
    u32 ulFps;        // 1..1000
    s32 nMode;        // display mode
    u32 bWindow;      // the window picture (with the handheld on LCD modes)
    u32 bSound;       // mix the music of the frames and hand it over
    const CAPTURE_KEY *pKeys; // by time
    u32 ulKeyCount;
    void *pCtx;
    // Optional: whether frame k is composed and handed over (null: all).
    u32 (*pfnWant)(void *ctx, u32 k);
    // Frame k's picture; returning 0 ends the run as failed.
    u32 (*pfnFrame)(void *ctx, u32 k, const CAPTURE_PICTURE *pic);
    // Frame k's music: 16-bit stereo little-endian sample frames; 0 fails.
    u32 (*pfnSound)(void *ctx, u32 k, const u8 *data, u32 count);
    // Optional, polled once per frame: nonzero ends the run as stopped.
    u32 (*pfnStop)(void *ctx);
};

enum CAPTURE_STATUS {
    CAPTURE_DONE = 0,     // every frame handed over
    CAPTURE_FAILED,       // a hand-over returned 0
    CAPTURE_STOPPED,      // pfnStop asked to
    CAPTURE_ENDED_EARLY,  // the presentation ended first (its menu's quit)
    CAPTURE_NOT_STARTED,  // the presentation could not start
};

struct CAPTURE_RESULT {
    u32 ulFramesDone; // frames passed (handed over or not wanted)
    uint64_t ullSamples; // sample frames handed over
    int nDemoStatus;  // the presentation's own exit status
};

// Runs the presentation for the job. One run per process: the main part
// sets its opening up once per run of the program, so a second run in the
// same process shows other frames from 12 to 28 s.
CAPTURE_STATUS CAPTURE_Run(const CAPTURE_JOB *job, CAPTURE_RESULT *pResult);

// Frame k's time and the first sample of its music.
u32 CAPTURE_FrameTime(const CAPTURE_JOB *job, u32 k);
uint64_t CAPTURE_FrameSample(const CAPTURE_JOB *job, uint64_t k);

// A job of ulFrameCount frames from ulFrom at ulFps in display mode nMode
// (the window's picture if bWindow), with their music if bSound, and the
// keys (by time). The hand-overs and their context are the caller's.
void CAPTURE_InitJob(CAPTURE_JOB *job, u32 ulFrom, u32 ulFrameCount, u32 ulFps, s32 nMode, u32 bWindow,
                     u32 bSound, const CAPTURE_KEY *pKeys, u32 ulKeyCount);
// The number of frames whose time lies in [ulFrom, ulTo) at ulFps.
u32 CAPTURE_FrameCount(u32 ulFrom, u32 ulTo, u32 ulFps);
// The 44-byte header of a WAV file holding ullSamples sample frames of
// the handed-over music.
#define CAPTURE_WAV_HEADER_BYTES 44u
void CAPTURE_MakeWavHeader(u8 *pHeader, uint64_t ullSamples);

#endif
