// The frame oracle: SHA-256 of composed frames at chosen presentation times
// in the LCD, NTSC and PAL geometries, of the LCD window with the handheld
// around it, and of the whole show's 60-fps WAV, against the checked-in
// table tests/frame_oracle.txt. Frames are hashed as they are handed over,
// never written. scripts/rebaseline-frames.sh remakes the table when a
// change is meant to alter the pictures or the sound.
#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/capture/capture_run.h"
#include "runtime/demo.h"
#include "support/sha256.h"

namespace {

const u32 FPS = 60;

// Splash, the opening dissolve, every wipe (halfway), every formation, the
// text rows, the closing row, then the volume indicator and the open menu
// (keys last: the menu stops the clock).
const u32 s_ulTimes[] = {300,   2500,  5000,  7500,  10000, 11950,  12500,  14000, 16000,
                         20000, 26000, 29600, 36000, 46000, 51350,  60000,  71350, 80000,
                         89350, 100000, 111350, 115000, 122000, 123500, 124600};
const CAPTURE_KEY s_keys[] = {
    {123000, SDLK_KP_PLUS, 1}, {123100, SDLK_KP_PLUS, 0}, {124000, SDLK_PAGEDOWN, 1}, {124100, SDLK_PAGEDOWN, 0}};
const u32 s_ulWindowTimes[] = {5000, 60000};

struct Pass {
    const char *strName;
    s32 nMode;
    u32 bWindow, bSound;
    const u32 *pTimes;
    u32 ulTimes;
    const CAPTURE_KEY *pKeys;
    u32 ulKeys;
};

const Pass s_passes[] = {
    {"lcd", 0, 0, 0, s_ulTimes, sizeof s_ulTimes / 4, s_keys, 4},
    {"ntsc", 12, 0, 0, s_ulTimes, sizeof s_ulTimes / 4, s_keys, 4},
    {"pal", 26, 0, 0, s_ulTimes, sizeof s_ulTimes / 4, s_keys, 4},
    {"window", 0, 1, 1, s_ulWindowTimes, 2, nullptr, 0},
};

u32 FrameOf(u32 t) { return t * FPS / 1000; }

struct Ctx {
    const Pass *pass;
    std::vector<u32> wanted;
    FILE *out;
    Sha256 wav;
};

u32 Want(void *ctx, u32 k)
{
    const std::vector<u32> &w = ((Ctx *)ctx)->wanted;
    return std::binary_search(w.begin(), w.end(), k) ? 1 : 0;
}

u32 OnFrame(void *ctx, u32 k, const CAPTURE_PICTURE *pic)
{
    Ctx *c = (Ctx *)ctx;
    Sha256 h;
    for (u32 y = 0; y < pic->ulHeight; y++)
        h.Add(pic->pPixels + (size_t)y * pic->ulPitch, (size_t)pic->ulWidth * 3);
    std::fprintf(c->out, "%s-%06u %s\n", c->pass->strName, k * 1000 / FPS, h.Hex().c_str());
    return 1;
}

u32 OnSound(void *ctx, u32, const u8 *data, u32 count)
{
    ((Ctx *)ctx)->wav.Add(data, (size_t)count * 4);
    return 1;
}

// One pass per process: the main part sets its opening up once per run.
void RunPass(const Pass &pass, FILE *out)
{
    Ctx c;
    c.pass = &pass;
    c.out = out;
    for (u32 i = 0; i < pass.ulTimes; i++)
        c.wanted.push_back(FrameOf(pass.pTimes[i]));
    // The sound pass covers the whole show, as a capture of it writes.
    CAPTURE_JOB job;
    CAPTURE_InitJob(&job, 0,
                    pass.bSound ? CAPTURE_FrameCount(0, DEMO_END_MS, FPS) : c.wanted.back() + 1, FPS,
                    pass.nMode, pass.bWindow, pass.bSound, pass.pKeys, pass.ulKeys);
    job.pCtx = &c;
    job.pfnWant = Want;
    job.pfnFrame = OnFrame;
    job.pfnSound = OnSound;
    const uint64_t samples = CAPTURE_FrameSample(&job, job.ulFrameCount);
    if (pass.bSound) {
        u8 h[CAPTURE_WAV_HEADER_BYTES];
        CAPTURE_MakeWavHeader(h, samples);
        c.wav.Add(h, sizeof h);
    }
    CAPTURE_RESULT r{};
    const CAPTURE_STATUS st = CAPTURE_Run(&job, &r);
    if (st != CAPTURE_DONE)
        std::fprintf(out, "%s-status %d\n", pass.strName, (int)st);
    else if (pass.bSound)
        std::fprintf(out, "wav-60fps %s\n", r.ullSamples == samples ? c.wav.Hex().c_str() : "short");
}

std::map<std::string, std::string> ReadLines(std::istream &in)
{
    std::map<std::string, std::string> m;
    std::string name, hash;
    while (in >> name >> hash)
        m[name] = hash;
    return m;
}

TEST(FrameOracle, EveryFrameAndTheSoundMatchTheTable)
{
#if defined(__SANITIZE_ADDRESS__)
    // Same hashes there, but minutes instead of seconds; the sanitizer pass
    // meets this code through the other tests.
    GTEST_SKIP() << "not under the sanitizers";
#endif
    const size_t n = sizeof s_passes / sizeof s_passes[0];
    std::vector<pid_t> pids(n);
    std::vector<FILE *> ins(n);
    for (size_t i = 0; i < n; i++) {
        int fd[2];
        ASSERT_EQ(pipe(fd), 0);
        std::fflush(nullptr);
        pids[i] = fork();
        ASSERT_GE(pids[i], 0);
        if (pids[i] == 0) {
            close(fd[0]);
            FILE *out = fdopen(fd[1], "w");
            RunPass(s_passes[i], out);
            std::fclose(out);
            _exit(0);
        }
        close(fd[1]);
        ins[i] = fdopen(fd[0], "r");
    }
    std::string all;
    for (size_t i = 0; i < n; i++) {
        char line[256];
        while (std::fgets(line, sizeof line, ins[i]))
            all += line;
        std::fclose(ins[i]);
        int status = 0;
        waitpid(pids[i], &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << s_passes[i].strName;
    }
    std::istringstream got(all);
    const std::map<std::string, std::string> now = ReadLines(got);

    if (std::getenv("VORN_ORACLE_PRINT")) {
        for (const auto &e : now)
            std::printf("ORACLE %s %s\n", e.first.c_str(), e.second.c_str());
        return;
    }
    std::ifstream f(VORN_SOURCE_DIR "/tests/frame_oracle.txt");
    ASSERT_TRUE(f.good()) << "no tests/frame_oracle.txt: run scripts/rebaseline-frames.sh";
    const std::map<std::string, std::string> table = ReadLines(f);
    EXPECT_EQ(now.size(), table.size());
    for (const auto &e : table) {
        auto it = now.find(e.first);
        if (it == now.end())
            ADD_FAILURE() << e.first << " not made";
        else
            EXPECT_EQ(it->second, e.second) << e.first;
    }
    for (const auto &e : now)
        EXPECT_TRUE(table.count(e.first)) << e.first << " not in the table";
}

} // namespace
