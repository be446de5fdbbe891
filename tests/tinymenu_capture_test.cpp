// The volume indicator and the tiny menu in composed frames: vorn-capture
// plays the presentation on its virtual clock with scripted keys, and the
// frames are compared with each other and with frames taken without keys.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::string kCapture = std::string(VORN_BINARY_DIR) + "/vorn-capture";
const std::string kOut = std::string(VORN_BINARY_DIR) + "/tests/tinymenu_capture";

struct Frame {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb; // top row first, 3 bytes a pixel (B, G, R)
    bool Ok() const { return w > 0; }
    const unsigned char *At(int x, int y) const { return &rgb[((size_t)y * w + x) * 3]; }
};

Frame ReadBMP(const std::string &path)
{
    Frame f;
    FILE *in = std::fopen(path.c_str(), "rb");
    if (!in)
        return f;
    unsigned char h[54];
    if (std::fread(h, 1, 54, in) == 54 && h[0] == 'B' && h[1] == 'M' && h[28] == 24) {
        int w = h[18] | h[19] << 8, ht = h[22] | h[23] << 8;
        int pitch = (w * 3 + 3) & ~3;
        std::vector<unsigned char> row(pitch);
        f.rgb.resize((size_t)w * ht * 3);
        bool ok = true;
        for (int y = ht - 1; y >= 0 && ok; y--) {
            ok = std::fread(row.data(), 1, pitch, in) == (size_t)pitch;
            std::copy(row.begin(), row.begin() + w * 3, f.rgb.begin() + (size_t)y * w * 3);
        }
        if (ok)
            f.w = w, f.h = ht;
    }
    std::fclose(in);
    return f;
}

// Runs vorn-capture; returns its exit status.
int Capture(const std::string &args)
{
    std::string cmd = "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy '" + kCapture + "' " + args + " > /dev/null";
    return std::system(cmd.c_str());
}

Frame RangeFrame(const std::string &dir, int k)
{
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%.6d.bmp", k);
    return ReadBMP(dir + name);
}

// Pixels that differ between two frames, inside or outside a rectangle.
int Differences(const Frame &a, const Frame &b, int x0, int y0, int x1, int y1, bool inside)
{
    int n = 0;
    for (int y = 0; y < a.h; y++)
        for (int x = 0; x < a.w; x++) {
            bool in = x >= x0 && x <= x1 && y >= y0 && y <= y1;
            if (in != inside)
                continue;
            const unsigned char *p = a.At(x, y), *q = b.At(x, y);
            n += p[0] != q[0] || p[1] != q[1] || p[2] != q[2];
        }
    return n;
}

// Pixels of the rectangle that are white in a but not in b.
int WhiteAdded(const Frame &a, const Frame &b, int x0, int y0, int x1, int y1)
{
    auto white = [](const unsigned char *p) { return p[0] >= 250 && p[1] >= 250 && p[2] >= 250; };
    int n = 0;
    for (int y = y0; y <= y1 && y < a.h; y++)
        for (int x = x0; x <= x1 && x < a.w; x++)
            n += white(a.At(x, y)) && !white(b.At(x, y));
    return n;
}

// Each test writes into a folder of its own: ctest runs them side by side.
class TinyMenuCapture : public ::testing::Test {
protected:
    std::string out;
    void SetUp() override
    {
        out = kOut + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::system(("rm -rf '" + out + "' && mkdir -p '" + out + "'").c_str());
    }
};

// Keypad + at 5 s: the indicator stands at (240, 195) for two seconds, its
// last 240 ms fading, and only there does the picture differ.
TEST_F(TinyMenuCapture, IndicatorForTwoSecondsAfterKeypadPlus)
{
    const std::string with = out + "/vol", without = out + "/plain";
    ASSERT_EQ(Capture("--from 4900 --to 7100 --fps 50 --key 5000:kp_plus --out '" + with + "'"), 0);
    ASSERT_EQ(Capture("--from 4900 --to 7100 --fps 50 --out '" + without + "'"), 0);
    // Frame k is at 4900 + 20 k ms.
    auto at = [](int ms) { return (ms - 4900) / 20; };
    for (int ms : {4980, 5000, 5500, 6740, 6760, 6900, 6980, 7000, 7080}) {
        SCOPED_TRACE(ms);
        Frame a = RangeFrame(with, at(ms)), b = RangeFrame(without, at(ms));
        ASSERT_TRUE(a.Ok() && b.Ok());
        ASSERT_EQ(a.w, 320);
        EXPECT_EQ(Differences(a, b, 240, 195, 271, 226, false), 0) << "only the indicator's square changes";
        const int changed = Differences(a, b, 240, 195, 271, 226, true);
        if (ms < 5000 || ms >= 7000) {
            EXPECT_EQ(changed, 0);
        } else {
            EXPECT_GT(changed, 100);
            if (ms <= 6760) {
                EXPECT_GT(WhiteAdded(a, b, 240, 195, 271, 226), 60) << "opaque white speaker, bar and digits";
            }
        }
    }
    // The fade: nothing is opaque white any more near its end.
    EXPECT_EQ(WhiteAdded(RangeFrame(with, at(6980)), RangeFrame(without, at(6980)), 240, 195, 271, 226), 0);
}

// Page Down at 30 s: the menu covers the picture's middle, the rest of the
// picture stands still; Page Up at 34 s resumes, and the picture goes on
// from the presentation time at which it stopped.
TEST_F(TinyMenuCapture, MenuFreezesAndResumesFromTheSameTime)
{
    const std::string dir = out + "/menu";
    ASSERT_EQ(Capture("--from 29900 --to 35000 --fps 10 --key 30000:pagedown --key 34000:pageup --out '" + dir +
                      "'"),
              0);
    auto at = [](int ms) { return (ms - 29900) / 100; };
    const Frame open = RangeFrame(dir, at(30000)), shown = RangeFrame(dir, at(31000)),
                later = RangeFrame(dir, at(33900));
    ASSERT_TRUE(open.Ok() && shown.Ok() && later.Ok());
    // Opened in the round of 30000: the parts did not paint it, so it still
    // shows the frame of 29900.
    EXPECT_EQ(Differences(open, RangeFrame(dir, at(29900)), 0, 0, -1, -1, false), 0);
    EXPECT_EQ(Differences(shown, later, 132, 104, 175, 135, false), 0) << "picture frozen around the menu";
    EXPECT_GT(Differences(shown, open, 144, 104, 175, 135, true), 200) << "menu drawn in the middle";

    // After the resume the presentation time is the clock less the 4 s paused:
    // the frame at 34900 is the picture of 30900, menu gone.
    const std::string ref = out + "/ref.bmp";
    ASSERT_EQ(Capture("--at 30900 --out '" + ref + "'"), 0);
    const Frame resumed = RangeFrame(dir, at(34900)), plain = ReadBMP(ref);
    ASSERT_TRUE(resumed.Ok() && plain.Ok());
    EXPECT_EQ(Differences(resumed, plain, 0, 0, -1, -1, false), 0);
}

// Leaving through the menu ends the presentation before the capture's end.
TEST_F(TinyMenuCapture, LeaveEndsThePresentation)
{
    const int rc = Capture("--from 1000 --to 4000 --fps 20 --key 1500:pagedown --key 2000:delete --key 2500:pageup "
                           "--out '" + out + "/leave' 2> '" + out + "/leave.err'");
    EXPECT_NE(rc, 0);
    FILE *f = std::fopen((out + "/leave.err").c_str(), "r");
    ASSERT_NE(f, nullptr);
    char buf[256] = {};
    size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    EXPECT_NE(std::string(buf, n).find("ended after 31 of 60 frames"), std::string::npos) << buf;
}

} // namespace
