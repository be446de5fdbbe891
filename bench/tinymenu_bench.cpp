// Per-frame cost of the volume and menu handler: idle, with the indicator
// up, and with the menu open while a scroll squeezes two items together.
#include <benchmark/benchmark.h>

#include <vector>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "ui/zkt_tinymenu_vol.h"

namespace {

u32 s_now = 0;
u32 Now() { return s_now; }

struct Setup {
    std::vector<u8> vram = std::vector<u8>(ZKT_VIDEO_MEM_SIZE);
    explicit Setup(u32 lcd)
    {
        g_GP2X_VIDEO_BASE_PTR = vram.data();
        ZKT_TMV_SetTimeSource(Now);
        s_now = 1000;
        ZKT_TMV_Vol_Initialize(lcd, 0);
        ZKT_TMV_TinyMenu_Initialize(lcd, 0);
        ZKT_TMV_Start_Absolute_Timer();
    }
    ~Setup()
    {
        ZKT_TMV_SetTimeSource(nullptr);
        g_GP2X_VIDEO_BASE_PTR = nullptr;
    }
};

void BM_VolumeInitialize(benchmark::State &state)
{
    Setup s((u32)state.range(0));
    for (auto _ : state)
        ZKT_TMV_Vol_Initialize((u32)state.range(0), 0);
}
BENCHMARK(BM_VolumeInitialize)->Arg(1)->Arg(0);

void BM_HandlerIndicator(benchmark::State &state)
{
    Setup s(1);
    ZKT_TMV_HandleVolAndTinyMenu(ZKT_BTN_VOLUP, 0);
    for (auto _ : state) {
        s_now = 1000 + (s_now + 1) % 1500;
        ZKT_TMV_HandleVolAndTinyMenu(0, 0);
    }
}
BENCHMARK(BM_HandlerIndicator);

// The menu's heaviest frame: a squeezed scroll of icon and label.
void BM_HandlerMenuScroll(benchmark::State &state)
{
    Setup s((u32)state.range(0));
    ZKT_TMV_HandleVolAndTinyMenu(ZKT_BTN_START, 0);
    s_now = 1400;
    ZKT_TMV_HandleVolAndTinyMenu(0, 0);
    for (auto _ : state) {
        if (!g_TMV_TINYMENU_DO_NEXT_UNTIL_TIME)
            ZKT_TMV_HandleVolAndTinyMenu(ZKT_BTN_LEFT, 0);
        s_now += 1;
        ZKT_TMV_HandleVolAndTinyMenu(0, 0);
    }
}
BENCHMARK(BM_HandlerMenuScroll)->Arg(1)->Arg(0);

} // namespace
