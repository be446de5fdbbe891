// Register access cost of the handheld back end: the accessors on a plain
// mapping (as on the handheld, no hooks) against the simulated chip's
// logged, time-keeping hooks. A whole palette upload (513 writes) and a
// read-modify-write setter.
#include <benchmark/benchmark.h>

#include <vector>

#include "lowlevel/gp2x/zkt_gp2xSim.h"

namespace {

std::vector<u16> s_regs(GP2X_REG_SIZE / 2);
u32 s_palette[256];

// Points the accessors at a bare block, as the handheld's mapping would be.
void UseBareMapping()
{
    g_pusGP2XRegs = s_regs.data();
    g_pfnGP2XRegRead = nullptr;
    g_pfnGP2XRegWrite = nullptr;
}

void BM_PaletteUpload_Mapped(benchmark::State &state)
{
    UseBareMapping();
    for (auto _ : state) {
        ZKT_SetPalette(0, s_palette, 256);
        benchmark::ClobberMemory();
    }
    g_pusGP2XRegs = nullptr;
}
BENCHMARK(BM_PaletteUpload_Mapped);

void BM_RegionSetter_Mapped(benchmark::State &state)
{
    UseBareMapping();
    u32 i = 0;
    for (auto _ : state) {
        ZKT_SetRGBRegionOperation(1 + (i++ & 3), 1, 1, 1, 8, 0, 0, 319, 239);
        benchmark::ClobberMemory();
    }
    g_pusGP2XRegs = nullptr;
}
BENCHMARK(BM_RegionSetter_Mapped);

void BM_PaletteUpload_Simulated(benchmark::State &state)
{
    GP2X_SIM_CONFIG cfg;
    GP2X_SimDefaultConfig(&cfg);
    GP2X_SimInstall(&cfg);
    ZKT_InitLowLevelAPI("bench");
    for (auto _ : state) {
        ZKT_SetPalette(0, s_palette, 256);
        GP2X_SimClearLog();
    }
    ZKT_FreeLowLevelAPI(0);
    GP2X_SimUninstall();
}
BENCHMARK(BM_PaletteUpload_Simulated);

} // namespace
