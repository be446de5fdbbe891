// 100,000 commands through the queue with the emulation thread taking them
// as fast as it can. Also built with ThreadSanitizer (dualcore_tsan.cmake),
// where any unordered access to the queue is reported as a race.
#include <gtest/gtest.h>

#include <cstdlib>

#include "lowlevel/desktop/zkt_lowLevelWin.h"

TEST(DualCoreStress, HundredThousandCommands)
{
    if (!g_pGP2X_DUALCORE_MEM)
        g_pGP2X_DUALCORE_MEM = (u8 *)std::calloc(1, ZKT_DUALCORE_MEM_SIZE);
    ZKT_DualCoreResetQueue();
    g_ulArm940CmdPauseMs = 0;
    ASSERT_EQ(ZKT_DualCoreStart(), 0u);
    const u32 n = 100000;
    for (u32 i = 0; i < n; i++)
        ZKT_DualCoreSendCmd(i);
    ZKT_WaitArm940T();
    u32 sent = 0, done = 0;
    ZKT_DualCoreGetSendCmdCount(&sent);
    ZKT_DualCoreGetCmdProcessedCount(&done);
    EXPECT_EQ(sent, n);
    EXPECT_EQ(done, n);
    EXPECT_EQ(g_dualCoreItemHdr.ulReadIndex, n % 1000);
    EXPECT_EQ(g_dualCoreItemHdr.ulWriteIndex, n % 1000);
    ZKT_DualCoreStop();
    g_ulArm940CmdPauseMs = 5;
}
