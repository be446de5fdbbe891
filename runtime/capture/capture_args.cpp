// vorn-capture's command line: options, key names, the usage text.
#include "runtime/capture/capture_args.h"

#include <SDL/SDL.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "runtime/capture/capture_scale.h"
#include "runtime/demo.h"

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

static bool ParseKey(const char *arg, std::vector<CAPTURE_KEY> *pKeys)
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
            pKeys->push_back({t, (u32)k.key, 1});
            pKeys->push_back({t + hold, (u32)k.key, 0});
            return true;
        }
    return false;
}

int CAPTURE_ParseArgs(int argc, char **argv, CAPTURE_ARGS *pArgs)
{
    bool at = false, from = false, to = false, fps = false;
    for (int i = 1; i < argc; i++) {
        std::string o = argv[i];
        const char *v = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = true;
        if (o == "--at") {
            ok = ParseU32(v, &pArgs->ulFrom), at = true, i++;
        } else if (o == "--from") {
            ok = ParseU32(v, &pArgs->ulFrom), from = true, i++;
        } else if (o == "--to") {
            ok = ParseU32(v, &pArgs->ulTo), to = true, i++;
        } else if (o == "--fps") {
            ok = ParseU32(v, &pArgs->ulFps) && pArgs->ulFps >= 1 && pArgs->ulFps <= 1000, fps = true, i++;
        } else if (o == "--mode") {
            u32 m = 0;
            ok = ParseU32(v, &m) && m <= 32, pArgs->nMode = (s32)m, i++;
        } else if (o == "--out") {
            ok = v && *v, pArgs->strOut = v ? v : "", i++;
        } else if (o == "--key") {
            ok = v && ParseKey(v, &pArgs->keys), i++;
        } else if (o == "--scale") {
            ok = ParseU32(v, &pArgs->ulScale) && pArgs->ulScale >= 1 && pArgs->ulScale <= CAPTURE_MAX_SCALE, i++;
        } else if (o == "--window") {
            pArgs->bWindow = 1;
        } else if (o == "--overwrite") {
            pArgs->bOverwrite = 1;
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
    if (pArgs->strOut.empty() || (at && (from || to)) || (!at && !(from && to && fps))) {
        Usage();
        return 2;
    }
    if (at) {
        if (pArgs->ulFrom >= DEMO_END_MS) {
            std::fprintf(stderr, "vorn-capture: --at must be below %u (the presentation's end)\n", DEMO_END_MS);
            return 2;
        }
        pArgs->bSingle = 1;
        pArgs->ulFrameCount = 1;
    } else {
        if (pArgs->ulTo <= pArgs->ulFrom) {
            std::fprintf(stderr, "vorn-capture: --to must be after --from\n");
            return 2;
        }
        if (pArgs->ulTo > DEMO_END_MS) {
            std::fprintf(stderr, "vorn-capture: --to must be at most %u (the presentation's end)\n", DEMO_END_MS);
            return 2;
        }
        pArgs->ulFrameCount = CAPTURE_FrameCount(pArgs->ulFrom, pArgs->ulTo, pArgs->ulFps);
    }
    pArgs->ulVideo = CaptureVideo_KindOfName(pArgs->strOut);
    if (pArgs->ulVideo && at) {
        std::fprintf(stderr, "vorn-capture: a video file takes a range (--from, --to, --fps)\n");
        return 2;
    }
#ifndef VORN_HAVE_VIDEO
    if (pArgs->ulVideo) {
        std::fprintf(stderr, "vorn-capture: this build writes no video files (FFmpeg's libraries were "
                             "missing); capture into a folder\n");
        return 2;
    }
#endif
    std::stable_sort(pArgs->keys.begin(), pArgs->keys.end(),
                     [](const CAPTURE_KEY &a, const CAPTURE_KEY &b) { return a.ulTime < b.ulTime; });
    return 0;
}
