// A frame comes out the same whichever capture takes it: a run that skips
// composing the frames it does not keep (as `--at` does on its way to its
// time) shows at every kept time exactly what a run composing every frame
// shows, every 250 ms, around the splash's end and around
// a pause menu opened and closed by keys.
#include <gtest/gtest.h>

#include <SDL/SDL.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

#include "runtime/capture/capture_run.h"
#include "runtime/demo.h"

namespace {

struct Hashes {
    std::map<u32, uint64_t> frame; // by frame index: the ones compared
    std::vector<u32> wanted;       // sorted: the frames compared
    u32 ulHanded = 0;              // frames handed over
};

// Eight bytes a step: the frames are many and the test code unoptimised
// in the sanitizer build.
uint64_t Fnv(const CAPTURE_PICTURE *pic)
{
    uint64_t h = 1469598103934665603ull;
    for (u32 y = 0; y < pic->ulHeight; y++) {
        const u8 *p = pic->pPixels + (size_t)y * pic->ulPitch;
        const u32 n = pic->ulWidth * 3;
        u32 i = 0;
        for (; i + 8 <= n; i += 8) {
            uint64_t w;
            std::memcpy(&w, p + i, 8);
            h = (h ^ w) * 1099511628211ull;
        }
        for (; i < n; i++)
            h = (h ^ p[i]) * 1099511628211ull;
    }
    return h;
}

u32 Want(void *ctx, u32 k)
{
    const std::vector<u32> &w = ((Hashes *)ctx)->wanted;
    return std::binary_search(w.begin(), w.end(), k) ? 1 : 0;
}

// Every frame handed over is counted; only the compared ones are hashed.
u32 OnFrame(void *ctx, u32 k, const CAPTURE_PICTURE *pic)
{
    Hashes *h = (Hashes *)ctx;
    h->ulHanded++;
    if (Want(ctx, k))
        h->frame[k] = Fnv(pic);
    return 1;
}

// The main part sets its opening up once per run of the program, so each
// run gets a process of its own; both go side by side.
struct Child {
    pid_t pid = -1;
    FILE *in = nullptr;
};

Child Start(CAPTURE_JOB job, Hashes *h)
{
    int fd[2];
    Child c;
    if (pipe(fd) != 0)
        return c;
    std::fflush(nullptr);
    c.pid = fork();
    if (c.pid == 0) {
        close(fd[0]);
        job.pCtx = h;
        const int status = CAPTURE_Run(&job, nullptr);
        FILE *out = fdopen(fd[1], "w");
        std::fprintf(out, "%u\n", h->ulHanded);
        for (const auto &f : h->frame)
            std::fprintf(out, "%u %llu\n", f.first, (unsigned long long)f.second);
        std::fclose(out);
        _exit(status);
    }
    close(fd[1]);
    c.in = fdopen(fd[0], "r");
    return c;
}

// The run's status; its hashes into h.
int Finish(Child c, Hashes *h)
{
    if (c.pid < 0 || !c.in)
        return -1;
    unsigned k;
    unsigned long long v;
    if (std::fscanf(c.in, "%u", &k) == 1)
        h->ulHanded = k;
    while (std::fscanf(c.in, "%u %llu", &k, &v) == 2)
        h->frame[k] = v;
    std::fclose(c.in);
    int status = -1;
    waitpid(c.pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CaptureRun, SkippedFramesLeaveTheKeptOnesAsAFullRunShowsThem)
{
    // Page Down at 30 s opens the menu, Page Up at 34 s resumes. The full
    // run composes every frame from 11 s on (from 0 over the whole show
    // in the slow pass, VORN_CAPTURE_WHOLE_SHOW set).
    const bool whole = std::getenv("VORN_CAPTURE_WHOLE_SHOW") != nullptr;
    const CAPTURE_KEY keys[] = {{30000, SDLK_PAGEDOWN, 1}, {30100, SDLK_PAGEDOWN, 0},
                                {34000, SDLK_PAGEUP, 1},   {34100, SDLK_PAGEUP, 0}};
    CAPTURE_JOB job = {};
    job.ulFrom = whole ? 0 : 11000;
    job.ulFps = 60;
    job.ulFrameCount = ((whole ? DEMO_END_MS : 34500) - job.ulFrom) * 60 / 1000;
    job.pKeys = keys;
    job.ulKeyCount = 4;
    job.pfnFrame = OnFrame;

    Hashes all, some;
    auto index = [&](u32 ms) { return (ms - job.ulFrom) * 60 / 1000; };
    auto span = [&](u32 from, u32 to, u32 step) {
        for (u32 ms = from; ms <= to; ms += step)
            some.wanted.push_back(index(ms));
    };
    span(job.ulFrom, job.ulFrom + job.ulFrameCount * 1000 / 60 - 1, 250);
    span(11900, 12100, 1); // the splash's last picture, then the main part
    span(29900, 30300, 1); // the menu opening
    span(33900, 34300, 1); // and closing
    std::sort(some.wanted.begin(), some.wanted.end());
    some.wanted.erase(std::unique(some.wanted.begin(), some.wanted.end()), some.wanted.end());
    // The full run composes and hands over every frame; it hashes those
    // compared, and two to see the menu.
    all.wanted = some.wanted;
    for (u32 ms : {29000u, 31000u})
        all.wanted.push_back(index(ms));
    std::sort(all.wanted.begin(), all.wanted.end());

    Child a = Start(job, &all);
    job.pfnWant = Want;
    Child b = Start(job, &some);
    ASSERT_EQ(Finish(a, &all), CAPTURE_DONE);
    ASSERT_EQ(Finish(b, &some), CAPTURE_DONE);
    ASSERT_EQ(all.ulHanded, job.ulFrameCount);
    ASSERT_EQ(some.ulHanded, some.wanted.size());
    ASSERT_EQ(some.frame.size(), some.wanted.size());

    int differ = 0;
    for (const auto &f : some.frame)
        if (f.second != all.frame[f.first] && differ++ < 10)
            ADD_FAILURE() << "frame at " << CAPTURE_FrameTime(&job, f.first) << " ms";
    EXPECT_EQ(differ, 0);
    // The menu did open: the frames under it differ from those before.
    EXPECT_NE(all.frame[index(31000)], all.frame[index(29000)]);
}

} // namespace
