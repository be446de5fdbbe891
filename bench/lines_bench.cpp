// Thick-line drawing as the main part's streaks use it: 500 lines of
// thickness 3..17, mostly horizontal, every eighth one sloped, scrolling
// across the screen edges. Also one-pixel lines for comparison.
#include <benchmark/benchmark.h>

#include <vector>

#include "draw/zkt_draw.h"
#include "tools/zkt_basictools.h"

namespace {

struct Streak {
    s32 x, y, len, dy, thickness, colour;
};

void MakeStreaks(std::vector<Streak> &out, u32 t, s32 P)
{
    out.clear();
    for (s32 k = 0; k < 500; k++) {
        Streak s;
        s.x = P - (s32)(((u32)(4 * k) + t / 4) % (u32)(P + 40));
        s.y = _intsin(18, (s32)t + 8 * s.x, 2400) + _intsin(35, (s32)t + 573 * k, 5000 + k / 2) +
              _intcos(10, (s32)t + 40 * k, 1500) + 3 * (k % 8) + 165;
        s.len = _intsin(20, 37 * k, 100) + 30;
        s.thickness = 2 * (s.len % 8) + 3;
        s.dy = k % 8 == 0 ? _intsin(8, (s32)t + 5 * k, 1200) + 5 : 0;
        s.colour = k % 64 + 1;
        out.push_back(s);
    }
}

void BM_Streaks500_W8_320x240(benchmark::State &state)
{
    ZKT_PreCalc_SinCos(nullptr, nullptr);
    std::vector<u8> surf(320 * 240);
    std::vector<Streak> lines;
    u32 t = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MakeStreaks(lines, t, 320);
        t = (t + 20) % 15750;
        state.ResumeTiming();
        for (const Streak &s : lines)
            ZKT_DrawLineW8(surf.data(), 320, 240, s.x, s.y, s.x + s.len, s.y + s.dy, s.thickness, (u8)s.colour);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 500);
}
BENCHMARK(BM_Streaks500_W8_320x240);

void BM_Streaks500_W16_360x288(benchmark::State &state)
{
    ZKT_PreCalc_SinCos(nullptr, nullptr);
    std::vector<u16> surf(360 * 288);
    std::vector<Streak> lines;
    u32 t = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MakeStreaks(lines, t, 360);
        t = (t + 20) % 15750;
        state.ResumeTiming();
        for (const Streak &s : lines)
            ZKT_DrawLineW16(surf.data(), 360, 288, s.x, s.y, s.x + s.len, s.y + s.dy, s.thickness,
                            (u16)(s.colour * 257));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 500);
}
BENCHMARK(BM_Streaks500_W16_360x288);

void BM_Lines500_One16_320x240(benchmark::State &state)
{
    std::vector<u16> surf(320 * 240);
    u32 seed = 1;
    std::vector<s32> c(2000);
    for (auto &v : c) {
        seed = seed * 1664525u + 1013904223u;
        v = (s32)(seed >> 22) - 300; // -300..723
    }
    for (auto _ : state) {
        for (int k = 0; k < 500; k++)
            ZKT_DrawLine16(surf.data(), 320, 240, c[4 * k], c[4 * k + 1] / 2, c[4 * k + 2], c[4 * k + 3] / 2, 0xFFFF);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 500);
}
BENCHMARK(BM_Lines500_One16_320x240);

} // namespace
