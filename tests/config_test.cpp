// "config.txt": the scan rules on text, arbitrary bytes, and the file
// itself (missing, empty, a directory, a pipe, too large), plus the clock
// clamp.
#include <gtest/gtest.h>

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tools/zkt_basictools.h"

namespace {

s32 Parse(const std::string &s)
{
    // An exact-size heap copy, so AddressSanitizer catches any read past it.
    std::vector<u8> buf(s.begin(), s.end());
    u8 *p = (u8 *)std::malloc(buf.size() ? buf.size() : 1);
    if (!buf.empty())
        std::memcpy(p, buf.data(), buf.size());
    s32 v = ZKT_ParseConfigBuffer(p, (u32)buf.size());
    std::free(p);
    return v;
}

TEST(Config, ScanRules)
{
    EXPECT_EQ(Parse("SPEED=200\n"), 200);
    EXPECT_EQ(Parse("speed 200 MHz\n"), 200);
    EXPECT_EQ(Parse("SPEED: 2 0 0\n"), 200);
    EXPECT_EQ(Parse("# SPEED=250\nSPEED=200\n"), 200);
    EXPECT_EQ(Parse("SPEED=200\nSPEED=150\n"), 150);
    EXPECT_EQ(Parse("SPEED=\n"), 0);
    EXPECT_EQ(Parse("SPEED=200\nSPEED=\n"), 0); // last wins, even empty
    EXPECT_EQ(Parse("myspeed=180x\n"), 180);
    EXPECT_EQ(Parse("SPEED=2a0\n"), 20);
    EXPECT_EQ(Parse("SpEeD=190\r\n"), 190);
    EXPECT_EQ(Parse("clock 100 # SPEED=250\nSPEED=220"), 220);  // '#' mid-line
    EXPECT_EQ(Parse("SPEED=200\rSPEED=210\r"), 210);           // CR line ends
    EXPECT_EQ(Parse("SPEED=200 # 99\n"), 20099);               // digits run to the line end
    EXPECT_EQ(Parse("x\nSPEED=1\nother 7\n"), 1);             // the value stops at its line
}

TEST(Config, EndOfData)
{
    EXPECT_EQ(Parse(""), 0);
    EXPECT_EQ(Parse("SPEED"), 0);   // the key needs a byte after it
    EXPECT_EQ(Parse("SPEED1"), 1);  // no newline at the end
    EXPECT_EQ(Parse("SPEED=266"), 266);
    EXPECT_EQ(Parse("#"), 0);
    EXPECT_EQ(Parse("######"), 0);
    EXPECT_EQ(Parse("ab SPEED"), 0);  // stops five bytes short of the end
    EXPECT_EQ(ZKT_ParseConfigBuffer(nullptr, 10), 0);
}

TEST(Config, NumberWrapsAt32Bits)
{
    // 4294967496 = 2^32 + 200
    EXPECT_EQ(Parse("SPEED=4294967496\n"), 200);
    EXPECT_EQ((u32)Parse("SPEED=4294967295\n"), 0xFFFFFFFFu);
}

TEST(Config, ArbitraryBytesStayInTheBuffer)
{
    std::mt19937 rng(1234);
    const char alphabet[] = "SPEEDspeed0123456789#\n\r =x";
    for (int round = 0; round < 20000; round++) {
        size_t len = rng() % 64;
        std::string s(len, '\0');
        for (size_t i = 0; i < len; i++) {
            // Half random bytes, half bytes that steer into the key and
            // comment paths near the end of the data.
            s[i] = (rng() & 1) ? (char)(rng() & 0xFF) : alphabet[rng() % (sizeof(alphabet) - 1)];
        }
        s32 v = Parse(s);
        // Reference: the same rules written naively.
        u32 ref = 0;
        for (size_t i = 0; len > 5 && i < len - 5;) {
            if (s[i] == '#') {
                while (i < len && s[i] != '\n' && s[i] != '\r')
                    i++;
                i++;
            } else if (strncasecmp(s.c_str() + i, "SPEED", 5) == 0) {
                ref = 0;
                for (; i < len && s[i] != '\n' && s[i] != '\r'; i++)
                    if (s[i] >= '0' && s[i] <= '9')
                        ref = ref * 10 + (u32)(s[i] - '0');
                i++;
            } else {
                i++;
            }
        }
        ASSERT_EQ((u32)v, ref) << "round " << round;
    }
}

class ConfigFile : public ::testing::Test {
protected:
    char m_dir[64];
    std::string m_old;
    void SetUp() override
    {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
        m_old = cwd;
        std::strcpy(m_dir, "/tmp/vorn_config_XXXXXX");
        ASSERT_NE(mkdtemp(m_dir), nullptr);
        ASSERT_EQ(chdir(m_dir), 0);
    }
    void TearDown() override
    {
        std::remove("config.txt");
        rmdir("config.txt");
        ASSERT_EQ(chdir(m_old.c_str()), 0);
        rmdir(m_dir);
    }
    void Write(const std::string &s)
    {
        FILE *f = std::fopen("config.txt", "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(s.data(), 1, s.size(), f);
        std::fclose(f);
    }
};

TEST_F(ConfigFile, ReadsTheFixedName)
{
    EXPECT_EQ(ZKT_ParseConfig("config.txt"), 0); // no file
    Write("# clock\nSPEED=200\nSPEED=150\n");
    EXPECT_EQ(ZKT_ParseConfig("config.txt"), 150);
    EXPECT_EQ(ZKT_ParseConfig("other.txt"), 150); // the name is not used
    Write("");
    EXPECT_EQ(ZKT_ParseConfig("config.txt"), 0);
    Write(std::string("SPEED=2\0\0" "33\n", 11));  // NUL bytes are just bytes
    EXPECT_EQ(ZKT_ParseConfig("config.txt"), 233);
}

TEST_F(ConfigFile, UnreadableOrHugeGivesZero)
{
    ASSERT_EQ(mkdir("config.txt", 0700), 0); // opens, but cannot be read
    EXPECT_EQ(ZKT_ParseConfig("config.txt"), 0);
    rmdir("config.txt");

    // Bigger than any real configuration: not read at all.
    std::string big(ZKT_CONFIG_MAX_SIZE + 1, ' ');
    std::memcpy(&big[0], "SPEED=200\n", 10);
    Write(big);
    EXPECT_EQ(ZKT_ParseConfig("config.txt"), 0);
    big.resize(ZKT_CONFIG_MAX_SIZE);
    Write(big);
    EXPECT_EQ(ZKT_ParseConfig("config.txt"), 200);
}

// A named pipe (or a device) under the name is not a configuration: start-up
// must not wait for a writer that never comes, nor read an endless stream.
TEST_F(ConfigFile, PipeIsIgnoredWithoutWaiting)
{
    ASSERT_EQ(mkfifo("config.txt", 0600), 0);
    EXPECT_EXIT(
        {
            alarm(5);
            std::exit(ZKT_ParseConfig("config.txt") == 0 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    std::remove("config.txt");
    ASSERT_EQ(symlink("/dev/zero", "config.txt"), 0);
    EXPECT_EQ(ZKT_ParseConfig("config.txt"), 0);
}

TEST(Config, ClockClamp)
{
    EXPECT_EQ(ZKT_ClampCPUClock(100), 175u);
    EXPECT_EQ(ZKT_ClampCPUClock(174), 175u);
    EXPECT_EQ(ZKT_ClampCPUClock(175), 175u);
    EXPECT_EQ(ZKT_ClampCPUClock(200), 200u);
    EXPECT_EQ(ZKT_ClampCPUClock(266), 266u);
    EXPECT_EQ(ZKT_ClampCPUClock(300), 266u);
    EXPECT_EQ(ZKT_ClampCPUClock((u32)-5), 266u); // a wrapped value counts as large
}

} // namespace

// SCALE and FULLSCREEN read like SPEED, but tell a missing key from one
// that holds no usable number (no digits, or too many to be one).
TEST(Config, OtherKeysTellMissingFromBad)
{
    auto parse = [](const std::string &text, const char *key, u32 *v) {
        return ZKT_ParseConfigKeyBuffer((const u8 *)text.data(), (u32)text.size(), key, v);
    };
    u32 v = 99;
    EXPECT_EQ(parse("SPEED=200\n", "SCALE", &v), 0u);
    EXPECT_EQ(parse("# SCALE=2\nscale: 3 x\n", "SCALE", &v), ZKT_CONFIG_NUMBER);
    EXPECT_EQ(v, 3u);
    EXPECT_EQ(parse("SCALE=2\nSCALE=big\n", "SCALE", &v), ZKT_CONFIG_NOT_A_NUMBER);
    EXPECT_EQ(parse("SCALE=4294967298\n", "SCALE", &v), ZKT_CONFIG_NOT_A_NUMBER);
    EXPECT_EQ(parse("fullscreen=1", "FULLSCREEN", &v), ZKT_CONFIG_NUMBER);
    EXPECT_EQ(v, 1u);
    EXPECT_EQ(parse("FULLSCREEN", "FULLSCREEN", &v), 0u);
}
