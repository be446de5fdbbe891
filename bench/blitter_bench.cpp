// Blitter throughput on the desktop: the per-frame clear of a PAL-sized
// 16-bit buffer, and a plain copy and a transparent copy for comparison.
#include <benchmark/benchmark.h>

#include <vector>

#include "lowlevel/desktop/zkt_lowLevelWin.h"

namespace {

struct Mem {
    std::vector<u8> buf = std::vector<u8>(ZKT_VIDEO_MEM_SIZE, 0x5A);
    Mem() { g_GP2X_VIDEO_BASE_PTR = buf.data(); }
    ~Mem() { g_GP2X_VIDEO_BASE_PTR = nullptr; }
};

void BM_Clear720x576x16(benchmark::State &state)
{
    Mem m;
    for (auto _ : state) {
        ZKT_HwBitBlt(0x100000, 720, 720, 576, 0, 0, 0, 0, 0, 0);
        ZKT_WaitHwBlitter(0);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 720 * 576 * 2);
}
BENCHMARK(BM_Clear720x576x16);

void BM_Copy720x576x16(benchmark::State &state)
{
    Mem m;
    for (auto _ : state) {
        ZKT_HwBitBlt(0x100000, 720, 720, 576, 0x400000, 720, 0xC, 0, 0, 0);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 720 * 576 * 2);
}
BENCHMARK(BM_Copy720x576x16);

void BM_TransparentCopy720x576x16(benchmark::State &state)
{
    Mem m;
    for (auto _ : state) {
        ZKT_HwBitBlt(0x100000, 720, 720, 576, 0x400000, 720, 0x40C, 0x5A5A, 0, 0);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 720 * 576 * 2);
}
BENCHMARK(BM_TransparentCopy720x576x16);

void BM_Rotate320x240x16(benchmark::State &state)
{
    Mem m;
    for (auto _ : state) {
        ZKT_HwBitBltRotate(0x100000, 240, 320, 240, 0x400000, 320, 5);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 320 * 240 * 2);
}
BENCHMARK(BM_Rotate320x240x16);

} // namespace
