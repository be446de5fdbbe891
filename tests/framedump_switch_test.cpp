// The frame dump switch with the real compositor: ZKT_SaveOnDisk turns the
// dump on for the next composed frame, and ZKT_OUTPUT_DEBUG composes one
// at once.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "debug/zkt_lowLevelDbg.h"
#include "lowlevel/desktop/zkt_lowLevelWin.h"

namespace {

std::string DumpName(const std::string &base, s32 id)
{
    char name[400];
    std::snprintf(name, sizeof(name), "%s_%.6d.bmp", base.c_str(), (int)id);
    return name;
}

bool IsBmp(const std::string &path)
{
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char m[2] = {0, 0};
    bool ok = std::fread(m, 1, 2, f) == 2 && m[0] == 'B' && m[1] == 'M';
    std::fclose(f);
    return ok;
}

TEST(FrameDumpSwitch, StartsOnTheNextComposedFrame)
{
    ASSERT_EQ(ZKT_InitLowLevelAPI("frame dump"), 0u);
    char dir[] = "/tmp/vorn_dump_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string base = std::string(dir) + "/frame";

    ZKT_LowLevelAPI_SoftRender(); // dump off: nothing written
    s32 first = g_nDiskWriteFrameID;
    EXPECT_EQ(ZKT_SaveOnDisk(1, base.c_str()), 2u);
    EXPECT_FALSE(IsBmp(DumpName(base, first))); // not before a frame is composed
    ZKT_LowLevelAPI_SoftRender();
    EXPECT_TRUE(IsBmp(DumpName(base, first)));

    // The debug print composes (and so dumps) a frame by itself.
    ZKT_OUTPUT_DEBUG(0, 0, "dump %d", 1);
    EXPECT_TRUE(IsBmp(DumpName(base, first + 1)));

    EXPECT_EQ(ZKT_SaveOnDisk(0, nullptr), 2u);
    ZKT_LowLevelAPI_SoftRender();
    EXPECT_FALSE(IsBmp(DumpName(base, first + 2)));

    for (s32 i = first; i < first + 3; i++)
        std::remove(DumpName(base, i).c_str());
    rmdir(dir);
    ZKT_FreeLowLevelAPI(0);
}

} // namespace
