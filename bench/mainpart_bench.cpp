// One paint of the main part per iteration: the 500 streaks, or 1500 ring
// or wall sprites rebuilt, sorted and drawn with four rows of text, in the
// LCD and the PAL geometry. The pieces are timed on their own as well.
#include <benchmark/benchmark.h>

#include <vector>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "parts/dp_testPart.h"
#include "tools/zkt_basictools.h"

namespace {

struct Mem {
    std::vector<u8> buf = std::vector<u8>(ZKT_VIDEO_MEM_SIZE, 0);
    Mem()
    {
        g_GP2X_VIDEO_BASE_PTR = buf.data();
        ZKT_PreCalc_SinCos(nullptr, nullptr);
    }
    ~Mem() { g_GP2X_VIDEO_BASE_PTR = nullptr; }
};

// Paints at t, t + 20, ... so every iteration is a real new frame.
void Paint(benchmark::State &state, u32 mode, u32 t0)
{
    Mem m;
    ZKT_DP_TestPart_Init(mode);
    ZKT_DP_TestPart_Reset();
    ZKT_DP_TestPart_Paint(t0, 114000, mode);
    u32 t = t0;
    for (auto _ : state) {
        t = (t + 20 - t0) % 2000 + t0;
        ZKT_DP_TestPart_Paint(t, 114000, mode);
        benchmark::ClobberMemory();
    }
}

void BM_PaintStreaksLCD(benchmark::State &s) { Paint(s, 0, 5000); }
void BM_PaintStreaksPAL(benchmark::State &s) { Paint(s, 26, 5000); }
void BM_PaintRingTextLCD(benchmark::State &s) { Paint(s, 0, 22000); }
void BM_PaintRingTextPAL(benchmark::State &s) { Paint(s, 26, 22000); }
void BM_PaintWallTextLCD(benchmark::State &s) { Paint(s, 0, 62000); }
void BM_PaintWallTextPAL(benchmark::State &s) { Paint(s, 26, 62000); }
BENCHMARK(BM_PaintStreaksLCD)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintStreaksPAL)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintRingTextLCD)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintRingTextPAL)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintWallTextLCD)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintWallTextPAL)->Unit(benchmark::kMicrosecond);

void BM_BuildAndSortRing(benchmark::State &state)
{
    TESTPART_GEOMETRY g;
    TestPart_GetGeometry(0, &g);
    ZKT_PreCalc_SinCos(nullptr, nullptr);
    std::vector<TESTPART_SPRITE> s(TESTPART_SPRITES);
    u32 t = 22000;
    for (auto _ : state) {
        t = t >= 39000 ? 22000 : t + 20;
        TestPart_BuildRing(t, &g, s.data());
        ZKT_Sort(s.data(), TESTPART_SPRITES, sizeof(TESTPART_SPRITE), SortSprites);
        benchmark::DoNotOptimize(s.data());
    }
}
BENCHMARK(BM_BuildAndSortRing)->Unit(benchmark::kMicrosecond);

void BM_DrawSpritesOnly(benchmark::State &state)
{
    Mem m;
    ZKT_DP_TestPart_Init(state.range(0));
    TESTPART_GEOMETRY g;
    TestPart_GetGeometry((u32)state.range(0), &g);
    std::vector<TESTPART_SPRITE> s(TESTPART_SPRITES);
    TestPart_BuildRing(30000, &g, s.data());
    ZKT_Sort(s.data(), TESTPART_SPRITES, sizeof(TESTPART_SPRITE), SortSprites);
    void *surface = m.buf.data() + TESTPART_OSD_HDR0 + 12;
    for (auto _ : state) {
        TestPart_DrawSprites(surface, &g, s.data(), 0, TESTPART_SPRITES);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawSpritesOnly)->Arg(0)->Arg(26)->Unit(benchmark::kMicrosecond);

void BM_DrawTextIntro(benchmark::State &state)
{
    Mem m;
    std::vector<u8> surf(320 * 240, 0);
    for (auto _ : state) {
        DrawTextIntro(22000, surf.data(), 320, 240, 320);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawTextIntro)->Unit(benchmark::kMicrosecond);

} // namespace
