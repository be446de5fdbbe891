// vorn-capture's command line.
#ifndef VORN_CAPTURE_ARGS_H
#define VORN_CAPTURE_ARGS_H

#include <string>
#include <vector>

#include "runtime/capture/capture_run.h"
#include "runtime/capture/capture_video.h"

struct CAPTURE_ARGS {
    u32 ulFrom = 0, ulTo = 0, ulFps = 60;
    s32 nMode = 0;
    u32 bSingle = 0; // --at: one picture file
    u32 bWindow = 0, bOverwrite = 0;
    u32 ulScale = 1, ulVideo = CAPVID_NONE;
    u32 ulFrameCount = 0;
    std::string strOut;
    std::vector<CAPTURE_KEY> keys; // by time
};

// Reads the options into *pArgs: 0, or the exit status with the reason
// printed (--help prints the usage and ends the process).
int CAPTURE_ParseArgs(int argc, char **argv, CAPTURE_ARGS *pArgs);

#endif
