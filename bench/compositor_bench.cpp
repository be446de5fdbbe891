// One full frame of the software compositor with every layer on: two YUV
// planes, a two-area OSD list (raw 8-bit with blending and run-length),
// SPU with a change list, the RGB layer with all five regions (alpha and
// colour key), a 64x64 cursor and gamma; LCD frames include the framing in
// the skin. Next to it, a plain memset plus memcpy of the same picture
// bytes as the floor of what touching the picture costs. The frame and
// each stage run on every kernel path the processor has.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "lowlevel/desktop/zkt_softrender_stages.h"

namespace {

std::vector<u8> s_vm(ZKT_VIDEO_MEM_SIZE);
std::vector<u8> s_window(ZKT_WIN_PITCH * ZKT_WIN_H);
// The window keeps its skin from frame to frame, as presenting does.
ZKT_WinSkinKept s_kept;

void Scene(u32 mode)
{
    s32 W, H;
    g_ulDISPLAY_MODE = mode;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    const bool tv = mode > 4;
    const s32 fieldH = tv ? H / 2 : H; // YUV, RGB-region and OSD lines
    u8 *vm = s_vm.data();
    g_GP2X_VIDEO_BASE_PTR = vm;
    g_nScreenSizeX = g_nModeSizeX[mode];
    g_nScreenSizeY = g_nModeSizeY[mode];
    for (size_t i = 0; i < s_vm.size(); i++)
        vm[i] = (u8)(i * 2654435761u >> 13);

    // YUV: plane A 1:1, plane B scaled 2x, both over the whole picture,
    // showing a smooth picture with some texture, as the backgrounds do.
    const u32 yuvA = 0x000000, yuvB = 0x100000;
    for (u32 k = 0; k < 0x200000 / 4; k++) {
        const u32 x = (2 * k) % W, y = (2 * k) / W;
        u8 *p = vm + 4 * k;
        p[0] = (u8)(16 + ((x + 2 * y) % 200) + ((x * 7 + y * 13) & 15));
        p[1] = (u8)(96 + ((x / 4 + y / 3) % 64));
        p[2] = (u8)(p[0] + 3);
        p[3] = (u8)(160 - ((x / 5 + y / 2) % 64));
    }
    for (int p = 0; p < 2; p++) {
        YUVPlane &pl = g_YUVPlane[p];
        pl = YUVPlane{};
        pl.bEnable = 1;
        pl.usEndX = (u16)(W - 1);
        pl.usSplitY = (u16)(fieldH / 2);
        pl.usBottomEndY = (u16)fieldH;
        pl.usLineWidth = (u16)W;
        pl.ulTopOffset = p ? yuvB : yuvA;
        pl.ulBottomOffset = (p ? yuvB : yuvA) + 0x40000;
        pl.bBottomMirrorH = 1;
        g_YUVScaler[p * 2] = g_YUVScaler[p * 2 + 1] = YUVScaler{(u16)(p ? 512 : 1024), (u16)(p ? 512 : 1024)};
    }
    g_bYUVFirstPlanePriority = 1;
    for (int q = 0; q < 4; q++) {
        g_sMLC_HUECb_A[q] = 63;
        g_sMLC_HUECb_B[q] = 4;
        g_sMLC_HUECr_A[q] = -4;
        g_sMLC_HUECr_B[q] = 63;
    }
    g_scYUVBrightness = 4;
    g_ucYUVContrast = 1;

    // OSD: a full-picture raw 8-bit area blending at opacity 8, then a
    // run-length area over the lower half.
    const u32 osd1 = 0x300000, osd2 = 0x360000;
    for (u32 i = 0; i < 256; i++)
        g_ulOSDPalette[i] = (i & 1 ? 0x80000000u : 0) | (i * 0x010101u);
    ZKT_WriteOSDHeader(osd1, osd2, 0, 0, (u16)(W - 1), (u16)fieldH, 8, 0, 0, 0, 0, 0);
    ZKT_WriteOSDHeader(osd2, 0xFFFFFFFF, 0, (u16)(fieldH / 2), (u16)(W - 1), (u16)fieldH, 8, 1, 1, 1, 10, 0);
    u8 *rle = vm + osd2 + 12;
    for (u32 i = 0; i < 0x20000; i += 2) {
        rle[i] = 0xC0 | 20;
        rle[i + 1] = (u8)(i & 0xFF);
    }
    ZKT_SetOSDPlane(1, osd1, osd1);

    // SPU: runs of 16 pixels cycling through the four codes on every line,
    // a change list with two entries of three column changes.
    const u32 cmd = 0x400000, top = 0x401000, bottom = 0x440000, list = 0x480000;
    for (u32 i = 0; i < 16; i++)
        ZKT_SetSPUColor((u16)i, (16 + i * 12) | ((128 + i) << 8) | ((128 - i) << 24));
    for (u32 field : {top, bottom}) {
        u8 *d = vm + field;
        for (s32 l = 0; l < 600; l++) {
            // 0x04c codes: three nibbles each, two codes in three bytes.
            for (s32 r = 0; r < W / 16; r += 2) {
                const u32 c0 = r & 3, c1 = (r + 1) & 3;
                *d++ = 0x04;
                *d++ = (u8)((c0 << 4) | 0x0);
                *d++ = (u8)(0x40 | c1);
            }
        }
    }
    const u16 f[3] = {0, 100, 200}, la[3] = {99, 199, 299}, cw[3] = {0x1234, 0x5678, 0x9ABC},
              kw[3] = {0xF8F8, 0x8F8F, 0xFFFF};
    ZKT_WriteSPUChangeCmd(list, 0, 40, 120, 3, f, la, cw, kw);
    ZKT_WriteSPUChangeCmd(list + 28, 1, 200, 300, 3, f, la, cw, kw);
    ZKT_WriteSPUBaseCmd(cmd, 1, list, 0x3210, 0x9FCF, 0, (u16)(2 * fieldH), top, bottom);
    ZKT_SetSPUPlane(1, 1, 0, cmd, 0);

    // RGB: 16-bit source, region 5 alpha 12, regions 1 to 4 as bands with
    // key, alpha, hiding and opaque.
    const u32 rgb = 0x600000;
    g_nColorBitDepth = 16;
    g_ulRGBVideoMemOffset = rgb;
    g_ulRegionColorKey = 0x00F8FCF8;
    const s32 w1 = W - 1, q = fieldH / 4;
    g_RGBLayerRegion[4] = RGBLayerRegion{1, 1, 2, 12, 0, (u16)w1, 0, (u16)(fieldH - 1)};
    g_RGBLayerRegion[0] = RGBLayerRegion{1, 1, 1, 15, 0, (u16)(W / 2), 0, (u16)q};
    g_RGBLayerRegion[1] = RGBLayerRegion{1, 0, 0, 0, (u16)(W / 4), (u16)(W / 2), (u16)q, (u16)(2 * q)};
    g_RGBLayerRegion[2] = RGBLayerRegion{1, 1, 2, 6, 0, (u16)w1, (u16)(2 * q), (u16)(3 * q)};
    g_RGBLayerRegion[3] = RGBLayerRegion{1, 1, 2, 15, (u16)(W / 3), (u16)w1, (u16)(3 * q), (u16)(fieldH - 1)};

    // Cursor and gamma.
    g_cursorLayer = CursorLayer{(u16)(W / 2), (u16)(fieldH / 2), 1, 1, 0xF00000FF, 0x80FFFFFF, 0x700000};
    g_bEnableGamma = 1;
    for (u32 i = 0; i < 256; i++)
        g_ulGammaTable[i] = (i * 3 / 4) | (i << 8) | ((255 - i) << 16);
    g_Screen = nullptr;
}

const char *const s_strPath[] = {"scalar", "sse2", "avx2"};

// Second argument: the kernel path. False (and the run skipped) when this
// processor lacks it.
bool UsePath(benchmark::State &state, int arg)
{
    const char *path = s_strPath[state.range(arg)];
    if (ZKT_SoftRenderUseKernels(path) != 0) {
        state.SkipWithError("path not available here");
        return false;
    }
    return true;
}

void BM_Compose(benchmark::State &state)
{
    const u32 mode = (u32)state.range(0);
    if (!UsePath(state, 1))
        return;
    Scene(mode);
    // As presenting does it: an LCD window takes each line as it is made.
    const bool lcd = mode <= 4;
    u8 *screen = lcd ? ZKT_WinScreenOf(s_window.data(), ZKT_WIN_PITCH) : nullptr;
    for (auto _ : state) {
        ZKT_LowLevelAPI_SoftRender_Compose(screen, ZKT_WIN_PITCH);
        if (lcd)
            ZKT_LowLevelAPI_SoftRender_FrameLCD(s_window.data(), ZKT_WIN_PITCH, 80, 233, 0, 0, &s_kept, 1);
        benchmark::ClobberMemory();
    }
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    state.SetLabel(std::to_string(W) + "x" + std::to_string(H) + " " + s_strPath[state.range(1)]);
}

void BM_MemsetMemcpy(benchmark::State &state)
{
    g_ulDISPLAY_MODE = (u32)state.range(0);
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    const size_t bytes = (size_t)W * H * 3;
    std::vector<u8> a(bytes), b(bytes);
    u8 v = 0;
    for (auto _ : state) {
        std::memset(a.data(), v++, bytes);
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::to_string(W) + "x" + std::to_string(H));
}

} // namespace

BENCHMARK(BM_Compose)->ArgsProduct({{0, 12, 26}, {0, 1, 2}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemsetMemcpy)->Arg(0)->Arg(12)->Arg(26)->Unit(benchmark::kMillisecond);

namespace {

// Each stage alone on a composed picture, as the frame drives it: YUV with
// the clearing of lines it leaves and the hiding of the lower plane, the
// per-line stages line by line with their per-frame set-up.
void BM_Stage(benchmark::State &state)
{
    const u32 mode = (u32)state.range(0);
    if (!UsePath(state, 2))
        return;
    Scene(mode);
    ZKT_LowLevelAPI_SoftRender_Compose();
    const int stage = (int)state.range(1);
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    const SoftRenderKernels &K = ZKT_SoftRenderKernels();
    static PxColour s_colour;
    static PxGamma s_gamma;
    ZKT_SoftRenderCursor cur;
    // The layers beneath the RGB one leave out what it replaces.
    if (stage <= 2)
        ZKT_SoftRenderCoverPlan(ZKT_SoftRenderRGBPrepare(), H, K);
    for (auto _ : state) {
        switch (stage) {
        case 0:
            ZKT_SoftRenderYUVPrepare(0);
            ZKT_SoftRenderYUVDraw();
            break;
        case 1: ZKT_LowLevelAPI_SoftRender_OSD_Layer(); break;
        case 2: ZKT_LowLevelAPI_SoftRender_SPU_Layer(); break;
        case 3: {
            // Less what opaque RGB runs replace.
            ZKT_SoftRenderColourPrepare(s_colour);
            const bool bRGB = ZKT_SoftRenderRGBPrepare();
            s32 cover[2 * ZKT_RGB_MAX_RUNS];
            for (s32 y = 0; y < H; y++)
                ZKT_SoftRenderColourLine(g_ulSoftRenderWork + (size_t)y * W, W, cover,
                                         bRGB ? ZKT_SoftRenderRGBPlanLine(y, cover, K) : 0, s_colour, K);
            break;
        }
        case 4:
            if (ZKT_SoftRenderRGBPrepare())
                for (s32 y = 0; y < H; y++)
                    ZKT_SoftRenderRGBLine(y, K);
            break;
        case 5:
            if (ZKT_SoftRenderGammaPrepare(s_gamma))
                for (s32 y = 0; y < H; y++)
                    K.gammaPack(g_ucSoftRenderPicture + (size_t)y * W * 3, g_ulSoftRenderWork + (size_t)y * W, W,
                                s_gamma);
            break;
        case 6: // frames without gamma
            for (s32 y = 0; y < H; y++)
                K.pack(g_ucSoftRenderPicture + (size_t)y * W * 3, g_ulSoftRenderWork + (size_t)y * W, W);
            break;
        case 7:
            if (ZKT_SoftRenderCursorPrepare(cur))
                for (s32 y = 0; y < H; y++)
                    ZKT_SoftRenderCursorLine(cur, y);
            break;
        case 8: ZKT_LowLevelAPI_SoftRender_FrameLCD(s_window.data(), ZKT_WIN_PITCH, 80, 233, 0, 0, &s_kept); break;
        default: // planning that
            ZKT_SoftRenderCoverPlan(ZKT_SoftRenderRGBPrepare(), H, K);
            ZKT_SoftRenderCoverPlan(false, H, K);
            break;
        }
        benchmark::ClobberMemory();
    }
    ZKT_SoftRenderCoverPlan(false, H, K);
    static const char *names[] = {"yuv",        "osd",  "spu",    "colour", "rgb",
                                  "gamma+pack", "pack", "cursor", "frame",  "cover"};
    state.SetLabel(std::string(names[stage]) + " " + s_strPath[state.range(2)]);
}

} // namespace

BENCHMARK(BM_Stage)->ArgsProduct({{0, 26}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 1, 2}})->Unit(benchmark::kMillisecond);
