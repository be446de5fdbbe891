// The two back ends compared frame by frame: the comparison scenes run on
// the desktop back end and are composed by the software compositor; the
// same scenes run on the handheld back end over the simulated chip (in a
// child process: the two back ends cannot share one), whose registers and
// video memory are read back here into the desktop model and composed by
// the same compositor. The two pictures must be equal. The handheld's whole
// show is checked the same way against the frame oracle's table.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "snap_decode.h"
#include "support/sha256.h"

namespace {

// For a look at a failure: the composed picture (blue, green, red) as PPM.
void WritePPM(const std::string &path, const std::vector<u8> &bgr, s32 w, s32 h)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return;
    std::fprintf(f, "P6 %d %d 255\n", w, h);
    for (s32 p = 0; p < w * h; p++) {
        u8 rgb[3] = {bgr[3 * p + 2], bgr[3 * p + 1], bgr[3 * p]};
        std::fwrite(rgb, 3, 1, f);
    }
    std::fclose(f);
}

// One display mode: every scene on both back ends, then compared.
void CompareMode(u32 mode)
{
    std::string dir = std::string(VORN_BINARY_DIR) + "/backends_snap/mode" + std::to_string(mode);
    std::string cmd = "mkdir -p '" + dir + "' && '" + VORN_GP2X_SNAP + "' '" + dir + "' " + std::to_string(mode);
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;

    ASSERT_EQ(ZKT_InitLowLevelAPI("backends"), (u32)ZKT_OK);
    Scene_Begin(mode);
    std::vector<std::vector<u8>> desk(g_nScenes);
    std::vector<s32> dw(g_nScenes), dh(g_nScenes);
    for (u32 i = 0; i < g_nScenes; i++) {
        Scene_Frame(i);
        desk[i] = Compose(&dw[i], &dh[i]);
    }
    for (u32 i = 0; i < g_nScenes; i++) {
        SCOPED_TRACE(g_Scenes[i].strName);
        Snap s;
        std::string path = dir + "/" + std::to_string(i) + ".snap";
        FILE *f = std::fopen(path.c_str(), "rb");
        const bool bRead = f && ReadSnap(f, &s);
        if (f)
            std::fclose(f);
        ASSERT_TRUE(bRead) << path;
        std::remove(path.c_str()); // 8 MiB each
        ASSERT_EQ(s.h.ulMode, mode);
        Decode(s);
        s32 w = 0, h = 0;
        std::vector<u8> hand = Compose(&w, &h);
        ASSERT_EQ(w, dw[i]);
        ASSERT_EQ(h, dh[i]);
        u32 differ = 0, first = 0;
        for (u32 p = 0; p < (u32)(w * h); p++)
            if (std::memcmp(&hand[3 * p], &desk[i][3 * p], 3) != 0 && differ++ == 0)
                first = p;
        if (differ) {
            WritePPM(dir + "/" + g_Scenes[i].strName + "-desktop.ppm", desk[i], w, h);
            WritePPM(dir + "/" + g_Scenes[i].strName + "-handheld.ppm", hand, w, h);
        }
        EXPECT_EQ(differ, 0u) << "pixels differ, the first at (" << first % w << ", " << first / w
                              << "); both pictures are in " << dir;
    }
    ZKT_FreeLowLevelAPI(0);
}

// The frame oracle's table holds the hashes of the desktop's frames of the
// whole show per output. The handheld back end shows the same frames: its
// show over the simulated chip, read back and composed here, hashes alike.
void ShowMatchesTheOracle(const std::string &output)
{
    std::ifstream table(VORN_SOURCE_DIR "/tests/frame_oracle.txt");
    ASSERT_TRUE(table.good());
    std::map<u32, std::string> want; // time in ms, hash
    const std::string prefix = output + "-";
    std::string name, hash;
    while (table >> name >> hash)
        if (name.compare(0, prefix.size(), prefix) == 0)
            want[(u32)std::stoul(name.substr(prefix.size()))] = hash;
    ASSERT_FALSE(want.empty()) << "no " << output << " entries";

    std::string cmd = std::string("'") + VORN_GP2X_SNAP + "' --show " + output;
    for (const auto &w : want)
        cmd += " " + std::to_string(w.first);
    ASSERT_EQ(ZKT_InitLowLevelAPI("oracle"), (u32)ZKT_OK);
    FILE *f = popen(cmd.c_str(), "r");
    ASSERT_TRUE(f) << cmd;
    for (const auto &w : want) {
        Snap s;
        if (!ReadSnap(f, &s)) {
            ADD_FAILURE() << "no frame at " << prefix << w.first;
            break;
        }
        Decode(s);
        s32 width = 0, height = 0;
        const std::vector<u8> picture = Compose(&width, &height);
        Sha256 h;
        h.Add(picture.data(), picture.size());
        EXPECT_EQ(h.Hex(), w.second) << prefix << w.first;
    }
    EXPECT_EQ(pclose(f), 0) << cmd;
    ZKT_FreeLowLevelAPI(0);
}

// The presentation keeps process-wide state from one start to the next (as
// the real program starts once), so each run goes in a child process of its
// own; the child reports its failures and exits non-zero on any.
template <class F> void InChild(F body, const std::string &what)
{
    std::fflush(nullptr);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        body();
        std::fflush(nullptr);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << what << " differs (see above)";
}

void CompareModeInChild(u32 mode) { InChild([mode] { CompareMode(mode); }, "mode " + std::to_string(mode)); }
void ShowInChild(const char *output)
{
#if defined(__SANITIZE_ADDRESS__)
    // Two minutes a show there instead of seconds; the scenes above take
    // the same code through the sanitizers.
    GTEST_SKIP() << "not under the sanitizers";
#endif
    InChild([output] { ShowMatchesTheOracle(output); }, output);
}

TEST(Backends, HandheldFramesComposeLikeTheDesktopOnTheLcd) { CompareModeInChild(0); }
TEST(Backends, HandheldFramesComposeLikeTheDesktopOnNtsc) { CompareModeInChild(12); }
TEST(Backends, HandheldFramesComposeLikeTheDesktopOnPal) { CompareModeInChild(26); }
TEST(Backends, HandheldShowMatchesTheFrameOracleOnTheLcd) { ShowInChild("lcd"); }
TEST(Backends, HandheldShowMatchesTheFrameOracleOnNtsc) { ShowInChild("ntsc"); }
TEST(Backends, HandheldShowMatchesTheFrameOracleOnPal) { ShowInChild("pal"); }

} // namespace
