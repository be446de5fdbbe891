// Per-colour conversion and trigonometry costs: the compositor converts
// YUV pixels one at a time, and the parts call the look-ups many times a
// frame, so both must stay a handful of nanoseconds.
#include <benchmark/benchmark.h>

#include "tools/zkt_basictools.h"
#include "tools/zkt_lowLevelCommon.h"

namespace {

void BM_YUY2toRGB(benchmark::State &state)
{
    u32 w = 0x80108010u;
    s32 r, g, b, sum = 0;
    for (auto _ : state) {
        ZKT_YUY2toRGBColor(w, &r, &g, &b);
        sum += r + g + b;
        w = w * 1664525u + 1013904223u;
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_YUY2toRGB);

void BM_RGBtoYUY2(benchmark::State &state)
{
    u32 c = 1, acc = 0;
    for (auto _ : state) {
        acc ^= ZKT_RGBtoYUY2Color(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
        c = c * 1664525u + 1013904223u;
    }
    benchmark::DoNotOptimize(acc);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RGBtoYUY2);

void BM_IntSin(benchmark::State &state)
{
    ZKT_PreCalc_SinCos(nullptr, nullptr);
    s32 a = 0, sum = 0;
    for (auto _ : state) {
        sum += _intsin(4096, a, 3600);
        a = (a + 37) % 7200;
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IntSin);

} // namespace
