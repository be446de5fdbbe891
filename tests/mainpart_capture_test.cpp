// The main part as the viewer sees it: frames composed by the capture run
// at exact presentation times, checked against what the part must show.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "parts/dp_testPart.h"
#include "runtime/capture/capture_run.h"
#include "tools/zkt_basictools.h"
#include "tools/zkt_lowLevelCommon.h"

namespace {

struct Frame {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb; // top line first, r g b
    const unsigned char *at(int x, int y) const { return &rgb[((size_t)y * w + x) * 3]; }
};

// The composed frames at presentation times ms (ascending, each a multiple
// of 50 ms after the first) in display mode `mode`, from one capture run:
// every run reaches its first frame through the same rounds, so each is
// the picture `vorn-capture --at` gives for its time. The run has a child
// process of its own, as the main part sets its opening up once per run.
bool Capture(const std::vector<unsigned> &ms, std::vector<Frame> *frames, int mode = 0)
{
    struct Slot {
        u32 w, h;
        u8 bgr[720 * 576 * 3];
    };
    struct Run {
        const std::vector<unsigned> *ms;
        Slot *slots;
        std::vector<u32> wanted; // frame index per time
    } run = {&ms, nullptr, {}};
    if (ms.empty())
        return false;
    for (unsigned t : ms) {
        if (t < ms[0] || (t - ms[0]) * 60 % 1000 != 0)
            return false;
        run.wanted.push_back((t - ms[0]) * 60 / 1000);
    }
    const size_t bytes = sizeof(Slot) * ms.size();
    void *shared = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED)
        return false;
    run.slots = (Slot *)shared;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        // Standard output only (the usage line): a sanitizer report still shows.
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        CAPTURE_JOB job;
        CAPTURE_InitJob(&job, ms[0], run.wanted.back() + 1, 60, mode, 0, 0, nullptr, 0);
        job.pCtx = &run;
        job.pfnWant = [](void *ctx, u32 k) -> u32 {
            const std::vector<u32> &w = ((Run *)ctx)->wanted;
            return std::find(w.begin(), w.end(), k) != w.end();
        };
        job.pfnFrame = [](void *ctx, u32 k, const CAPTURE_PICTURE *pic) -> u32 {
            Run &r = *(Run *)ctx;
            if ((size_t)pic->ulWidth * pic->ulHeight * 3 > sizeof r.slots->bgr)
                return 0;
            for (size_t i = 0; i < r.wanted.size(); i++)
                if (r.wanted[i] == k) {
                    Slot &s = r.slots[i];
                    s.w = pic->ulWidth, s.h = pic->ulHeight;
                    for (u32 y = 0; y < s.h; y++)
                        std::memcpy(s.bgr + (size_t)y * s.w * 3, pic->pPixels + (size_t)y * pic->ulPitch, s.w * 3);
                }
            return 1;
        };
        _exit(CAPTURE_Run(&job, nullptr) == CAPTURE_DONE ? 0 : 1);
    }
    int status = -1;
    const bool ok = pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    frames->assign(ms.size(), Frame());
    for (size_t i = 0; ok && i < ms.size(); i++) {
        const Slot &s = run.slots[i];
        Frame &f = (*frames)[i];
        f.w = (int)s.w, f.h = (int)s.h;
        f.rgb.resize((size_t)f.w * f.h * 3);
        for (size_t p = 0; p < f.rgb.size(); p += 3) {
            f.rgb[p] = s.bgr[p + 2];
            f.rgb[p + 1] = s.bgr[p + 1];
            f.rgb[p + 2] = s.bgr[p];
        }
    }
    munmap(shared, bytes);
    return ok;
}

bool Capture(unsigned ms, Frame *f, int mode = 0)
{
    std::vector<Frame> one;
    if (!Capture(std::vector<unsigned>{ms}, &one, mode))
        return false;
    *f = one[0];
    return true;
}

// The colour a background pixel shows on the LCD: picture pixel (x + 20,
// y + rowSkip) of the 360x288 YUY2 asset.
void Background(const unsigned char *pic, int x, int y, int rowSkip, int rgb[3])
{
    const int sx = x + 20, sy = y + rowSkip;
    const unsigned char *p = pic + (size_t)sy * 720 + (size_t)(sx & ~1) * 2;
    const unsigned yuy2 = p[0] | p[1] << 8 | p[2] << 16 | (unsigned)p[3] << 24;
    // The right pixel of a pair has its own luma.
    const unsigned word = (sx & 1) ? ((yuy2 & 0xFF00FF00u) | p[2] | p[2] << 16) : yuy2;
    s32 r, g, b;
    ZKT_YUY2toRGBColor(word, &r, &g, &b);
    rgb[0] = r;
    rgb[1] = g;
    rgb[2] = b;
}

bool Near(const unsigned char *px, const int rgb[3], int tol = 6)
{
    for (int c = 0; c < 3; c++)
        if (std::abs(px[c] - rgb[c]) > tol)
            return false;
    return true;
}

bool Black(const unsigned char *px) { return px[0] < 8 && px[1] < 8 && px[2] < 8; }

// Share of the rows [y0, y1) that shows the given background untouched.
double BackgroundShare(const Frame &f, const unsigned char *pic, int rowSkip, int y0, int y1)
{
    long match = 0, all = 0;
    for (int y = y0; y < y1; y++)
        for (int x = 0; x < 320; x++) {
            int bg[3];
            Background(pic, x, y, rowSkip, bg);
            match += Near(f.at(x, y), bg);
            all++;
        }
    return (double)match / (double)all;
}

const unsigned kPart = 12000; // the main part starts 12 s into the presentation

// Pixels of a text row's band that show the white glyph body blended at
// the region's alpha 11 over the untouched background.
long WhiteTextPixels(const Frame &f, const unsigned char *pic, int rowSkip, int y0, int y1)
{
    long n = 0;
    for (int y = y0 < 0 ? 0 : y0; y < y1 && y < 240; y++)
        for (int x = 0; x < 320; x++) {
            int bg[3], want[3];
            Background(pic, x, y, rowSkip, bg);
            for (int c = 0; c < 3; c++)
                want[c] = (255 * 11 + bg[c] * 4) / 15;
            // Bright stars already look like that; count only where the
            // text would visibly change the picture.
            bool changes = false;
            for (int c = 0; c < 3; c++)
                changes = changes || std::abs(want[c] - bg[c]) > 24;
            n += changes && Near(f.at(x, y), want, 3);
        }
    return n;
}

TEST(MainPartCapture, HalfwayThroughTheFirstWipe)
{
    Frame f;
    ASSERT_TRUE(Capture(kPart + 17625, &f));
    ASSERT_EQ(f.w, 320);
    ASSERT_EQ(f.h, 240);
    // Upper half black down to the eased split row 119; below it the nebula
    // rises, its top line at the split (each region starts at its own
    // first source line).
    for (int y = 0; y < 119; y++)
        for (int x = 0; x < 320; x++)
            ASSERT_TRUE(Black(f.at(x, y))) << x << "," << y;
    long match = 0;
    for (int y = 119; y < 240; y++)
        for (int x = 0; x < 320; x++) {
            int bg[3];
            Background(BMP_YUV2, x, y, -119, bg);
            match += Near(f.at(x, y), bg);
        }
    EXPECT_GT(match, 121 * 320 * 97 / 100);
}

TEST(MainPartCapture, LogoWindowsThenNoTextBefore16001)
{
    std::vector<Frame> at;
    ASSERT_TRUE(Capture({kPart + 8000, kPart + 16000}, &at));
    // At 8 s every letter is open onto the plasma and streaks; around them black.
    const Frame &f = at[0];
    long open = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) {
            const bool inLogo = y >= 35 && y < 185 && BMP_VORNLOGO[(y - 35) * 360 + x] != 0;
            if (!inLogo) {
                ASSERT_TRUE(Black(f.at(x, y))) << x << "," << y;
            } else {
                open += !Black(f.at(x, y));
            }
        }
    EXPECT_GT(open, 5000);
    // At 16000 the threshold is back to 0: the whole screen is black.
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++)
            ASSERT_TRUE(Black(at[1].at(x, y))) << x << "," << y;
}

TEST(MainPartCapture, FormationsOverTheRightBackgrounds)
{
    struct Case {
        unsigned t;
        const unsigned char *pic;
        int rowSkip;
    } const cases[] = {
        {20000, BMP_YUV2, 0},  // ring fading in over the nebula
        {30000, BMP_YUV2, 0},  // full ring, "Music:" rows
        {50000, BMP_YUV1, 0},  // ribbon over the dusk ridges, greetings
        {70000, BMP_YUV3, 0},  // wall over the aurora
        {90000, BMP_YUV4, 0},  // track over the dunes
    };
    const unsigned char *all[6] = {BMP_YUV1, BMP_YUV2, BMP_YUV3, BMP_YUV4, BMP_YUV5, BMP_YUV6};
    std::vector<unsigned> times;
    for (const Case &c : cases)
        times.push_back(kPart + c.t);
    std::vector<Frame> at;
    ASSERT_TRUE(Capture(times, &at));
    for (const Case &c : cases) {
        const Frame &f = at[&c - cases];
        const double share = BackgroundShare(f, c.pic, c.rowSkip, 0, 240);
        EXPECT_GT(share, 0.25) << c.t; // the background shows...
        EXPECT_LT(share, 0.97) << c.t; // ...with sprites and text over it
        for (const unsigned char *other : all)
            if (other != c.pic) {
                EXPECT_LT(BackgroundShare(f, other, 0, 0, 240), 0.1) << c.t;
            }
        // The text rows of their slots: white glyphs in the bands of the
        // rows shown at full alpha, none in the bands of faded-out rows.
        ZKT_PreCalc_SinCos(nullptr, nullptr);
        s32 slot[4];
        TextIntro_SelectSlots(c.t, slot);
        for (int k = 0; k < 4; k++) {
            if (slot[k] < 0)
                continue;
            const TEXTINTRO_ROW &r = g_TextIntro[slot[k]];
            const int y0 = r.y + _intsin(4, (s32)c.t, 2000 + 350 * (slot[k] % 4)) + 4;
            const s32 a = TextIntro_Alpha(c.t, &r);
            const long white = WhiteTextPixels(f, c.pic, c.rowSkip, y0, y0 + 32);
            if (a == 15) {
                EXPECT_GT(white, 40) << c.t << " slot " << k;
            } else if (a == 0) {
                EXPECT_LT(white, 10) << c.t << " slot " << k;
            }
        }
    }
}

TEST(MainPartCapture, OnlyTheClosingRowOverTheLastBackground)
{
    Frame f;
    ASSERT_TRUE(Capture(kPart + 110000, &f));
    // "The End." sits in slot 3 at line 160 plus a wobble of 0..8.
    EXPECT_GT(BackgroundShare(f, BMP_YUV5, 18, 0, 160), 0.995);
    EXPECT_GT(BackgroundShare(f, BMP_YUV5, 18, 200, 240), 0.995);
    long bright = 0;
    for (int y = 160; y < 200; y++)
        for (int x = 0; x < 320; x++) {
            const unsigned char *p = f.at(x, y);
            bright += p[0] > 180 && p[1] > 180 && p[2] > 180;
        }
    EXPECT_GT(bright, 300);
}

TEST(MainPartCapture, PalGeometryComposes)
{
    Frame f;
    ASSERT_TRUE(Capture(kPart + 30000, &f, 26));
    EXPECT_EQ(f.w, 720);
    EXPECT_EQ(f.h, 576);
    long lit = 0;
    for (size_t i = 0; i < f.rgb.size(); i += 3)
        lit += !Black(&f.rgb[i]);
    EXPECT_GT(lit, 720 * 576 / 2);
}

} // namespace
