// What the music costs: mixing one 60 Hz frame's worth of audio (735
// stereo frames at 44.1 kHz) of the climax, where most voices sound.
#include <benchmark/benchmark.h>

#include <vector>

#include "runtime/music.h"

namespace {

void BM_MixOneFrameOfTheClimax(benchmark::State &state)
{
    MikModSDL12_SetOffline(1);
    MikMod_RegisterDriver(&drv_sdl12);
    md_mixfreq = 44100;
    static bool s_bLoaderRegistered = false; // libmikmod does not check for duplicates
    if (!s_bLoaderRegistered) {
        MikMod_RegisterLoader(&load_it);
        s_bLoaderRegistered = true;
    }
    md_mode = DMODE_16BITS | DMODE_STEREO | DMODE_SOFT_MUSIC;
    if (MikMod_Init("")) {
        state.SkipWithError("MikMod_Init failed");
        return;
    }
    IncMikMod_LoadMainMusic();
    IncMikMod_PrepareMainMusicMREADER();
    MODULE *module = Player_LoadGeneric(&g_MainMusic, 32, 0);
    if (!module) {
        MikMod_Exit();
        state.SkipWithError("module did not load");
        return;
    }
    Player_Start(module);
    Player_SetPosition(16);
    std::vector<u8> buf(735 * 4);
    for (auto _ : state) {
        MikModSDL12_Render(buf.data(), (u32)buf.size());
        if (Player_GetOrder() > 18) { // stay in the climax
            state.PauseTiming();
            Player_SetPosition(16);
            state.ResumeTiming();
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * buf.size());
    Player_Stop();
    Player_Free(module);
    MikMod_Exit();
    MikModSDL12_SetOffline(0);
}
BENCHMARK(BM_MixOneFrameOfTheClimax);

} // namespace
