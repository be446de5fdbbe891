// Composed splash frames at exact times, taken with vorn-capture: what the
// viewer sees, not just what the part wrote.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "parts/dp_splashzkt.h"

namespace {

struct Picture {
    int w = 0, h = 0;
    std::vector<u8> rgb; // top row first, three bytes per pixel (B, G, R)
    const u8 *At(int x, int y) const { return &rgb[3 * ((size_t)y * w + x)]; }
};

bool ReadBMP(const std::string &path, Picture *pic)
{
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    u8 hdr[54];
    bool ok = std::fread(hdr, 1, 54, f) == 54 && hdr[0] == 'B' && hdr[1] == 'M' && hdr[28] == 24;
    if (ok) {
        pic->w = hdr[18] | hdr[19] << 8;
        pic->h = hdr[22] | hdr[23] << 8;
        const size_t pitch = ((size_t)pic->w * 3 + 3) & ~(size_t)3;
        std::vector<u8> row(pitch);
        pic->rgb.assign((size_t)pic->w * pic->h * 3, 0);
        for (int y = pic->h - 1; ok && y >= 0; y--) {
            ok = std::fread(row.data(), 1, pitch, f) == pitch;
            std::copy(row.begin(), row.begin() + pic->w * 3, pic->rgb.begin() + (size_t)y * pic->w * 3);
        }
    }
    std::fclose(f);
    return ok;
}

class SplashCapture : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override
    {
        char tmpl[] = "/tmp/vorn-splash-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }
    int Capture(const std::string &args)
    {
        const std::string cmd = std::string(VORN_BINARY_DIR) + "/vorn-capture " + args + " >/dev/null 2>&1";
        return std::system(cmd.c_str());
    }
};

TEST_F(SplashCapture, FirstFrameIsBlackBesideThePulseLitLogo)
{
    ASSERT_EQ(Capture("--at 0 --out " + dir + "/at0.bmp"), 0);
    Picture pic;
    ASSERT_TRUE(ReadBMP(dir + "/at0.bmp", &pic));
    ASSERT_EQ(pic.w, 320);
    ASSERT_EQ(pic.h, 240);

    // What the part puts into RGB buffer 0 at t = 0: only the pulse bands.
    std::vector<u8> mem(ZKT_VIDEO_MEM_SIZE, 0);
    g_GP2X_VIDEO_BASE_PTR = mem.data();
    std::vector<u8> strip(3 * ZKT_SPLASH_STRIP_LEN);
    ZKT_DP_SplashZkt_FillStrip(strip.data(), 0);
    ZKT_DrawSingleSegment(1, 0x24E600, g_pZktLogo, strip.data(), ZKT_SPLASH_STRIP_LEN);

    int lit = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) {
            const u32 a = ZKT_SPLASH_RGB_OFFSET + 2 * (y * 320 + x);
            const bool want = (mem[a] | mem[a + 1]) != 0;
            const u8 *p = pic.At(x, y);
            const bool got = (p[0] | p[1] | p[2]) != 0;
            ASSERT_EQ(got, want) << x << "," << y;
            if (got) {
                lit++;
                EXPECT_GE(p[0], p[1]) << "pulses are blue and red, not green"; // B >= G
            }
        }
    EXPECT_GT(lit, 100);
    g_GP2X_VIDEO_BASE_PTR = nullptr;
}

TEST_F(SplashCapture, LastPictureStaysAfterTheSweep)
{
    // 50 frames per second from 11000: frame 25 is at 11500, the last drawn.
    ASSERT_EQ(Capture("--from 11000 --to 11700 --fps 50 --out " + dir + "/range"), 0);
    auto frame = [&](int k) {
        char name[64];
        std::snprintf(name, sizeof name, "/range/frame_%06d.bmp", k);
        Picture p;
        EXPECT_TRUE(ReadBMP(dir + name, &p)) << name;
        return p.rgb;
    };
    const std::vector<u8> last = frame(25);
    ASSERT_FALSE(last.empty());
    EXPECT_NE(frame(0), last) << "the sweep still moves before 11500";
    for (int k = 26; k < 35; k++)
        EXPECT_EQ(frame(k), last) << "frame " << k;
}

} // namespace
