// Second-core command channel on the desktop: the emulation thread's pace,
// the full-queue wait, restarts, and the second core's integer routines.
#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "lowlevel/desktop/main940t.h"
#include "lowlevel/desktop/zkt_lowLevelWin.h"

namespace {

using Clock = std::chrono::steady_clock;

u32 SharedWord(u32 offset)
{
    u32 v;
    std::memcpy(&v, g_pGP2X_DUALCORE_MEM + offset, 4);
    return v;
}

void SetSharedWord(u32 offset, u32 v)
{
    std::memcpy(g_pGP2X_DUALCORE_MEM + offset, &v, 4);
}

u32 Sent()
{
    u32 n = 0;
    ZKT_DualCoreGetSendCmdCount(&n);
    return n;
}

u32 Processed()
{
    u32 n = 0;
    ZKT_DualCoreGetCmdProcessedCount(&n);
    return n;
}

class DualCore : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!g_pGP2X_DUALCORE_MEM)
            g_pGP2X_DUALCORE_MEM = (u8 *)std::calloc(1, ZKT_DUALCORE_MEM_SIZE);
        ZKT_DualCoreResetQueue();
        g_ulArm940CmdPauseMs = 5;
    }
    void TearDown() override
    {
        g_ulArm940CmdPauseMs = 0;
        if (g_ThreadId)
            ZKT_WaitArm940T();
        ZKT_DualCoreStop();
        g_ulArm940CmdPauseMs = 5;
    }
};

TEST_F(DualCore, ResetQueueIsEmpty)
{
    EXPECT_EQ(Sent(), 0u);
    EXPECT_EQ(Processed(), 0u);
    EXPECT_EQ(g_dualCoreItemHdr.ulCapacity, 1000u);
    EXPECT_EQ(g_dualCoreItemHdr.pWriteBuffer, g_ulDualCoreMsg);
    EXPECT_EQ(g_dualCoreItemHdr.pReadBuffer, g_ulDualCoreMsg);
    // Nothing pending: returns at once even with no thread.
    EXPECT_EQ(ZKT_WaitArm940T(), 0u);
    EXPECT_EQ(ZKT_DualCorePause(1), 2u);
    EXPECT_EQ(ZKT_DualCoreStop(), 0u); // no thread: nothing to do
}

TEST_F(DualCore, ThreeCommandsTakeTwoPauses)
{
    SetSharedWord(ZKT_940_FLAG_OFFSET, 0);
    ASSERT_EQ(ZKT_DualCoreStart(), 0u);
    ASSERT_NE(g_ThreadId, nullptr);
    auto t0 = Clock::now();
    for (u32 i = 0; i < 3; i++)
        EXPECT_EQ(ZKT_DualCoreSendCmd(0x100 + i), 0u);
    EXPECT_EQ(Sent(), 3u);
    while (Processed() < 3)
        std::this_thread::yield();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
    EXPECT_GE(ms, 10);
    EXPECT_EQ(SharedWord(ZKT_940_FLAG_OFFSET), 1u);
    ZKT_WaitArm940T();
    EXPECT_EQ(g_dualCoreItemHdr.ulPending.load(), 0u);
    EXPECT_EQ(g_dualCoreItemHdr.ulReadIndex, 3u);
    EXPECT_EQ(g_dualCoreItemHdr.ulWriteIndex, 3u);
}

TEST_F(DualCore, FullQueueBlocksUntilOneIsTaken)
{
    // Fill all 1000 slots with the core stopped, wrapping the indices once.
    for (u32 i = 0; i < 1000; i++)
        ZKT_DualCoreSendCmd(i);
    EXPECT_EQ(g_dualCoreItemHdr.ulPending.load(), 1000u);
    EXPECT_EQ(g_dualCoreItemHdr.ulWriteIndex, 0u);
    ZKT_DualCoreStart();
    ZKT_DualCoreSendCmd(1000);
    // Returned, so the thread must have freed a slot first.
    EXPECT_GE(Processed(), 1u);
    EXPECT_EQ(Sent(), 1001u);
    EXPECT_EQ(g_ulDualCoreMsg[0], 1000u);
    g_ulArm940CmdPauseMs = 0;
    ZKT_WaitArm940T();
    EXPECT_EQ(Processed(), 1001u);
    EXPECT_EQ(g_dualCoreItemHdr.ulReadIndex, 1u);
}

TEST_F(DualCore, RestartKeepsCountsAndStopsCleanly)
{
    g_ulArm940CmdPauseMs = 0;
    ZKT_DualCoreStart();
    for (u32 i = 0; i < 5; i++)
        ZKT_DualCoreSendCmd(i);
    ZKT_WaitArm940T();
    // Starting again while running replaces the thread; counts carry on.
    ZKT_DualCoreStart();
    EXPECT_EQ(Sent(), 5u);
    EXPECT_EQ(Processed(), 5u);
    ZKT_DualCoreSendCmd(9);
    ZKT_WaitArm940T();
    EXPECT_EQ(Processed(), 6u);
    ZKT_DualCoreStop();
    EXPECT_EQ(g_ThreadId, nullptr);
    // Stopped: commands queue up and nothing takes them.
    ZKT_DualCoreSendCmd(10);
    SDL_Delay(20);
    EXPECT_EQ(Processed(), 6u);
    EXPECT_EQ(g_dualCoreItemHdr.ulPending.load(), 1u);
    ZKT_DualCoreStart();
    ZKT_WaitArm940T();
    EXPECT_EQ(Processed(), 7u);
}

TEST_F(DualCore, StopEndsWithinAPoll)
{
    ZKT_DualCoreStart();
    SDL_Delay(5);
    auto t0 = Clock::now();
    ZKT_DualCoreStop();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count();
    EXPECT_LT(ms, 500);
    EXPECT_EQ(g_ThreadId, nullptr);
}

TEST(DualCoreLifecycle, InitResetsAndFreeStops)
{
    if (!g_pGP2X_DUALCORE_MEM)
        g_pGP2X_DUALCORE_MEM = (u8 *)std::calloc(1, ZKT_DUALCORE_MEM_SIZE);
    ZKT_DualCoreResetQueue();
    ZKT_DualCoreSendCmd(1);
    ZKT_DualCoreSendCmd(2);
    ASSERT_EQ(ZKT_InitLowLevelAPI("dual core"), 0u);
    EXPECT_EQ(Sent(), 0u);
    EXPECT_EQ(Processed(), 0u);
    EXPECT_EQ(ZKT_WaitArm940T(), 0u); // nothing pending any more
    EXPECT_EQ(ZKT_GetBatteryLEDState(), 5u);
    ZKT_DualCoreStart();
    ZKT_DualCoreSendCmd(3);
    ZKT_WaitArm940T();
    EXPECT_EQ(Processed(), 1u);
    // Shut-down ends a running thread.
    ZKT_FreeLowLevelAPI(0);
    EXPECT_EQ(g_ThreadId, nullptr);
}

TEST(Arm940, Division)
{
    EXPECT_EQ(Div940(-7, 2), -3);
    EXPECT_EQ(Div940(7, -2), -3);
    EXPECT_EQ(Div940(-7, -2), 3);
    EXPECT_EQ(Div940(7, 0), 0x7FFFFFFF);
    EXPECT_EQ(Div940(0, 5), 0);
    EXPECT_EQ(Div940(131071, 1), 131071);  // the largest quotient it can give
    EXPECT_EQ(Div940(100000, 3), 33333);
    EXPECT_EQ(Mod940(-7, 2), 1);
    EXPECT_EQ(Mod940(7, 0), 0x7FFFFFFF);
    EXPECT_EQ(Mod940(100, 7), 2);
    // Within its range it agrees with the C operators.
    for (s32 a = -3000; a <= 3000; a += 37)
        for (s32 b = 1; b < 300; b += 13) {
            ASSERT_EQ(Div940(a, b), a / b) << a << "/" << b;
            ASSERT_EQ(Mod940(a, b), (a < 0 ? -a : a) % b) << a << "%" << b;
        }
    // Out of range: no crash or trap, just the core's answer.
    (void)Div940(INT32_MIN, 1);
    (void)Mod940(INT32_MIN, -1);
}

TEST(Arm940, ShiftDivisions)
{
    EXPECT_EQ(DivINTFL940(-4097), -1);
    EXPECT_EQ(DivINTFL940(4097), 1);
    EXPECT_EQ(DivINTFL940(-4095), 0);
    EXPECT_EQ(DIV8_940(-7), 0);
    EXPECT_EQ(DIV8_940(-8), -1);
    EXPECT_EQ(DIV2_940(-3), -1);
    EXPECT_EQ(DIV2_940(3), 1);
    EXPECT_EQ(DivINTFL940(INT32_MIN), INT32_MIN / 4096);
}

class Arm940Mem : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!g_pGP2X_DUALCORE_MEM)
            g_pGP2X_DUALCORE_MEM = (u8 *)std::calloc(1, ZKT_DUALCORE_MEM_SIZE);
    }
};

TEST_F(Arm940Mem, RandFromStateOne)
{
    SetSharedWord(ZKT_940_RAND_OFFSET, 1);
    EXPECT_EQ(Rand940(), 1173u);
    EXPECT_EQ(SharedWord(ZKT_940_RAND_OFFSET), 1173u);
    EXPECT_EQ(Rand940(), (1173u * 1173u) % 65535u);
    // The state wraps at 32 bits and the result stays below 65535.
    SetSharedWord(ZKT_940_RAND_OFFSET, 0xFFFFFFFFu);
    u32 r = Rand940();
    EXPECT_EQ(SharedWord(ZKT_940_RAND_OFFSET), 0xFFFFFFFFu * 1173u);
    EXPECT_EQ(r, (0xFFFFFFFFu * 1173u) % 65535u);
}

TEST_F(Arm940Mem, TrigThroughTables)
{
    // Fill the tables with (1 + sin) * 32768, as a user of them would.
    for (u32 i = 0; i < 4096; i++) {
        double a = i * 2.0 * 3.14159265358979323846 / 4096.0;
        SetSharedWord(ZKT_940_SIN_OFFSET + 4 * i, (u32)((1.0 + std::sin(a)) * 32768.0));
        SetSharedWord(ZKT_940_COS_OFFSET + 4 * i, (u32)((1.0 + std::cos(a)) * 32768.0));
    }
    EXPECT_EQ(_intsin940(1000, 0, 4), 0);
    EXPECT_EQ(_intsin940(1000, 1, 4), 1000);
    EXPECT_NEAR(_intsin940(1000, 3, 4), -1000, 1);
    EXPECT_EQ(_intcos940(1000, 0, 1), 1000);
    EXPECT_NEAR(_intcos940(1000, 1, 2), -1000, 1);
    // Whole turns wrap; den 0 reads the last step (index 4095).
    EXPECT_EQ(_intsin940(1000, 5, 4), 1000);
    u32 T = SharedWord(ZKT_940_SIN_OFFSET + 4 * 4095);
    EXPECT_EQ(_intsin940(1000, 1, 0), (s32)((2000 * T) >> 16) - 1000);
}

TEST_F(Arm940Mem, MainSetsTheFlag)
{
    SetSharedWord(ZKT_940_FLAG_OFFSET, 0);
    ZKT_Arm940T_Main(0xDEAD);
    EXPECT_EQ(SharedWord(ZKT_940_FLAG_OFFSET), 1u);
}

} // namespace
