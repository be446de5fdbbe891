// Cost of one splash frame (strip bands plus logo rendering) in the busiest
// time bands, and of the logo rendering alone.
#include <benchmark/benchmark.h>

#include <vector>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "parts/dp_splashzkt.h"

static std::vector<u8> s_mem(ZKT_VIDEO_MEM_SIZE, 0);

static void BM_SplashPaint(benchmark::State &state)
{
    g_GP2X_VIDEO_BASE_PTR = s_mem.data();
    ZKT_DP_SplashZkt_Init(0);
    const u32 t = (u32)state.range(0);
    for (auto _ : state) {
        ZKT_DP_SplashZkt_Paint(t, 12000, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SplashPaint)->Arg(300)->Arg(5000)->Arg(7000)->Arg(10000);

static void BM_SplashLogoOnly(benchmark::State &state)
{
    g_GP2X_VIDEO_BASE_PTR = s_mem.data();
    std::vector<u8> strip(3 * ZKT_SPLASH_STRIP_LEN, 0xFF);
    for (auto _ : state) {
        ZKT_DrawSingleSegment(1, 0x24E600, g_pZktLogo, strip.data(), ZKT_SPLASH_STRIP_LEN);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SplashLogoOnly);
