// Memory block operations on picture-sized buffers: the aligned word path,
// the byte path when source and destination never align, the word fill,
// and the bit-block copy at a byte boundary and at an odd bit.
#include <benchmark/benchmark.h>

#include <vector>

#include "tools/zkt_basictools.h"

namespace {

const u32 kBytes = 320 * 240 * 2; // one 16-bit LCD picture

void BM_MemcpyAligned(benchmark::State &state)
{
    std::vector<u8> src(kBytes + 8, 1), dst(kBytes + 8);
    for (auto _ : state) {
        ZKT_MEMCPY(dst.data(), src.data(), kBytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_MemcpyAligned);

void BM_MemcpyMisaligned(benchmark::State &state)
{
    std::vector<u8> src(kBytes + 8, 1), dst(kBytes + 8);
    for (auto _ : state) {
        ZKT_MEMCPY(dst.data() + 1, src.data() + 2, kBytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_MemcpyMisaligned);

void BM_FastMemset(benchmark::State &state)
{
    std::vector<u32> dst(kBytes / 4);
    for (auto _ : state) {
        ZKT_FAST_MEMSET(dst.data(), 0x12345678u, kBytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBytes);
}
BENCHMARK(BM_FastMemset);

// A 64x64 one-bit picture into a 720-pixel-wide bit plane.
void BM_BitBlock(benchmark::State &state)
{
    const u32 bitOffset = (u32)state.range(0);
    std::vector<u8> src(64 * 8, 0xA5), dst(720 * 80 / 8);
    for (auto _ : state) {
        ZKT_BLKMEMCPY(dst.data(), bitOffset, 720, src.data(), 64, 64);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 64 * 8);
}
BENCHMARK(BM_BitBlock)->Arg(8)->Arg(3);

} // namespace
