// Debug console drawing: a full screen of text at each depth on the LCD and
// at scale 2 on a PAL-sized frame, opaque and blended; and the queue's
// round trip through the emulation thread with its pause removed.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "debug/zkt_lowLevelDbg.h"
#include "lowlevel/desktop/zkt_lowLevelWin.h"

static void Setup(u32 mode, s32 depth, s32 w, s32 h)
{
    if (!g_GP2X_VIDEO_BASE_PTR)
        g_GP2X_VIDEO_BASE_PTR = (u8 *)std::calloc(1, ZKT_VIDEO_MEM_SIZE);
    g_ulDISPLAY_MODE = mode;
    g_nColorBitDepth = depth;
    g_nScreenSizeX = w;
    g_nScreenSizeY = h;
    ZKT_DbgClrScr(ZKT_DBG_LIGHTBLUE, ZKT_DBG_BLUE);
    for (int i = 0; i < 24; i++)
        ZKT_DbgPrint("%02d The quick brown fox jumps over it.\n", i);
}

static void BM_DrawLcd(benchmark::State &state)
{
    Setup(0, (s32)state.range(0), 320, 240);
    u32 mode = (u32)state.range(1);
    for (auto _ : state) {
        ZKT_DbgDrawScr(mode, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawLcd)->Args({4, 0})->Args({8, 0})->Args({16, 0})->Args({24, 0})->Args({16, 2})->Args({16, 8});

static void BM_DrawPalScale2(benchmark::State &state)
{
    Setup(20, (s32)state.range(0), 720, 576);
    for (auto _ : state) {
        ZKT_DbgDrawScr((u32)state.range(1), 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawPalScale2)->Args({16, 0})->Args({24, 1});

static void BM_QueueRoundTrip(benchmark::State &state)
{
    if (!g_pGP2X_DUALCORE_MEM)
        g_pGP2X_DUALCORE_MEM = (u8 *)std::calloc(1, ZKT_DUALCORE_MEM_SIZE);
    ZKT_DualCoreResetQueue();
    g_ulArm940CmdPauseMs = 0;
    ZKT_DualCoreStart();
    for (auto _ : state) {
        for (int i = 0; i < 1000; i++)
            ZKT_DualCoreSendCmd((u32)i);
        ZKT_WaitArm940T();
    }
    ZKT_DualCoreStop();
    g_ulArm940CmdPauseMs = 5;
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_QueueRoundTrip)->Unit(benchmark::kMillisecond);
