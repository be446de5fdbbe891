// Seeded randomized frames: random video memory, random layer state and
// random records written at random places, composed in every display-mode
// group. Run under AddressSanitizer and UndefinedBehaviorSanitizer this
// finds any read or write outside video memory, the picture or the flags,
// any overflow, and (through a generous time limit per frame) any walk
// that does not end.
//
// A short run by default; VORN_LONG_FUZZ=1 runs for a minute (the fuzz
// label in the sanitizer build). VORN_FUZZ_SEED picks another seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

#include "compositor_helpers.h"
#include "lowlevel/desktop/zkt_softrender_stages.h"

namespace {

struct Rng {
    uint64_t s;
    u32 Next()
    {
        s ^= s >> 12;
        s ^= s << 25;
        s ^= s >> 27;
        return (u32)((s * 2685821657736338717ull) >> 32);
    }
    u32 Below(u32 n) { return n ? Next() % n : 0; }
    bool Chance(u32 n) { return Below(n) == 0; }
    // Mostly small values inside the picture, sometimes anything.
    u16 Coord(u32 limit) { return (u16)(Chance(6) ? Next() : Below(limit)); }
    u32 Offset() { return Chance(8) ? Next() : Below(ZKT_VIDEO_MEM_SIZE); }
};

void Scribble(Rng &r, u8 *vm)
{
    // A few patches of random, zero or 0xFF bytes: zeros make endless
    // "fill the line" codes and self-linked headers, 0xFF long runs.
    for (int k = 0; k < 24; k++) {
        const u32 len = 1 + r.Below(8192);
        const u32 at = r.Below(ZKT_VIDEO_MEM_SIZE - len);
        const u32 kind = r.Below(4);
        for (u32 i = 0; i < len; i++)
            vm[at + i] = kind == 0 ? 0 : kind == 1 ? 0xFF : (u8)r.Next();
    }
}

void RandomRecords(Rng &r, u32 mode)
{
    // OSD lists: a handful of headers linked at random, some pointing back.
    const u32 nOSD = r.Below(6);
    u32 prev = r.Offset();
    g_ulOSDHeaderEvenField = prev;
    for (u32 i = 0; i < nOSD; i++) {
        const u32 next = r.Chance(3) ? 0xFFFFFFFF : r.Chance(3) ? prev : r.Offset();
        ZKT_WriteOSDHeader(prev, next, r.Coord(720), r.Coord(576), r.Coord(2048), r.Coord(1024),
                           (u16)(2 << r.Below(4)), r.Below(2), r.Below(2), r.Below(2), (u16)r.Below(16),
                           (u8)r.Next());
        prev = next;
    }
    g_ulOSDHeaderOddField = r.Chance(2) ? g_ulOSDHeaderEvenField : r.Offset();

    // SPU: base command, change list and highlight with random fields.
    const u32 cmd = r.Offset(), list = r.Offset(), hl = r.Offset();
    ZKT_WriteSPUBaseCmd(cmd, r.Below(2), list, (u16)r.Next(), (u16)r.Next(), r.Coord(1200), r.Coord(1200),
                        r.Offset(), r.Offset());
    u32 at = list;
    const u32 entries = r.Below(8);
    for (u32 e = 0; e < entries; e++) {
        u16 f[15], l[15], c[15], k[15];
        const u16 n = (u16)r.Below(16);
        for (u16 j = 0; j < n; j++) {
            f[j] = r.Coord(720);
            l[j] = r.Coord(720);
            c[j] = (u16)r.Next();
            k[j] = (u16)r.Next();
        }
        ZKT_WriteSPUChangeCmd(at, e + 1 == entries && r.Chance(2), r.Coord(1200), (u16)r.Below(4096),
                              (u16)(n & 15), f, l, c, k);
        at += 4 + 8 * n;
    }
    ZKT_WriteSPUHighlightInfo(hl, r.Coord(720), r.Coord(1200), r.Coord(720), r.Coord(1200), (u16)r.Next(),
                              (u16)r.Next());
    ZKT_SetSPUPlane(r.Below(2), r.Below(2), r.Below(2), cmd, hl);
    (void)mode;
}

void RandomState(Rng &r, u32 group)
{
    u32 mode = group == 0 ? r.Below(5) : group == 1 ? 5 + r.Below(14) : 19 + r.Below(14);
    if (r.Chance(20))
        mode = r.Next(); // out of range: must still stay inside the buffers
    g_ulDISPLAY_MODE = mode;
    g_nScreenSizeX = mode <= 32 ? g_nModeSizeX[mode] : 720;
    g_nScreenSizeY = mode <= 32 ? g_nModeSizeY[mode] : 576;
    if (r.Chance(10)) {
        g_nScreenSizeX = (s32)r.Next();
        g_nScreenSizeY = (s32)r.Next();
    }
    const s32 depths[] = {4, 8, 16, 24};
    g_nColorBitDepth = r.Chance(10) ? (s32)r.Next() : depths[r.Below(4)];
    g_ulRGBVideoMemOffset = r.Offset() & ~3u;
    for (u32 &c : g_ulRGBColorTable)
        c = r.Next();
    g_ulRegionColorKey = r.Chance(2) ? g_ulRGBColorTable[r.Below(256)] : r.Next();
    for (RGBLayerRegion &g : g_RGBLayerRegion)
        g = RGBLayerRegion{r.Below(2), r.Below(2), (u16)r.Below(3), (u16)(r.Chance(8) ? r.Next() : r.Below(16)),
                           r.Coord(720), r.Coord(720), r.Coord(576), r.Coord(576)};
    // Opaque rectangles often, now and then over an opaque background:
    // the layers beneath leave out what they replace.
    for (u32 k = r.Below(4); k > 0; k--) {
        RGBLayerRegion &g = g_RGBLayerRegion[r.Chance(6) ? 4 : r.Below(4)];
        g = RGBLayerRegion{1, 1, (u16)r.Below(3), 15, (u16)r.Below(360), 0, (u16)r.Below(280), 0};
        g.usEndX = (u16)(r.Chance(2) ? 0xFFFF : g.usStartX + r.Below(400)); // to the line's end, or not
        g.usEndY = (u16)(g.usStartY + r.Below(300));
    }
    for (YUVPlane &p : g_YUVPlane) {
        p.bEnable = r.Below(2);
        p.usStartX = r.Coord(720);
        p.usStartY = r.Coord(576);
        p.usEndX = r.Coord(720);
        p.usBottomEndY = r.Coord(576);
        p.usSplitY = r.Coord(576);
        p.usLineWidth = r.Coord(1440);
        p.ulTopOffset = r.Offset();
        p.ulBottomOffset = r.Offset();
        p.bTopMirrorH = r.Below(2);
        p.bTopMirrorV = r.Below(2);
        p.bBottomMirrorH = r.Below(2);
        p.bBottomMirrorV = r.Below(2);
    }
    if (r.Chance(3)) {
        // Both planes over most of the picture, so that the upper one
        // hides whole lines of the lower one.
        for (YUVPlane &p : g_YUVPlane) {
            p.usStartX = (u16)r.Below(4);
            p.usEndX = (u16)(700 + r.Below(40));
            p.usStartY = (u16)r.Below(4);
            p.usSplitY = (u16)r.Below(300);
            p.usBottomEndY = (u16)(200 + r.Below(400));
            p.usLineWidth = (u16)(360 + r.Below(400));
            p.ulTopOffset = r.Below(ZKT_VIDEO_MEM_SIZE);
            p.ulBottomOffset = r.Below(ZKT_VIDEO_MEM_SIZE);
        }
    }
    // 1:1 often, as the straight and mirrored copies take their own kernels.
    for (YUVScaler &s : g_YUVScaler)
        s = YUVScaler{(u16)(r.Chance(3) ? 1024 : r.Chance(4) ? r.Next() : 256 + r.Below(2048)),
                      (u16)(r.Chance(4) ? r.Next() : 256 + r.Below(2048))};
    g_bYUVFirstPlanePriority = r.Below(2);
    for (int q = 0; q < 4; q++) {
        g_sMLC_HUECb_A[q] = (s8)r.Next();
        g_sMLC_HUECb_B[q] = (s8)r.Next();
        g_sMLC_HUECr_A[q] = (s8)r.Next();
        g_sMLC_HUECr_B[q] = (s8)r.Next();
    }
    g_scYUVBrightness = (s8)r.Next();
    g_ucYUVContrast = (u8)r.Next();
    g_cursorLayer = CursorLayer{r.Coord(720), r.Coord(576), r.Below(2), r.Below(2), r.Next(), r.Next(), r.Offset()};
    for (u32 &c : g_ulOSDPalette)
        c = r.Next();
    for (u32 &c : g_ulSPUColorPalette)
        c = r.Next();
    g_bEnableGamma = r.Below(2);
    for (u32 &c : g_ulGammaTable)
        c = r.Next();
    RandomRecords(r, mode);
    g_bOSDLayerEnable = !r.Chance(4);
    if (r.Chance(4)) { // raw pointers straight from the generator
        g_ulOSDHeaderEvenField = r.Next();
        g_ulSPUBaseCmdMemOffset = r.Next();
        g_ulSPUHighlightInfoMemOffset = r.Next();
    }
}

// The frame sequence stage by stage through the public stage functions,
// which draw every line of the lower YUV plane: the frame must come out
// the same as the compose that leaves out the lines the upper plane hides.
void ComposeByStages()
{
    s32 w, h;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&w, &h);
    std::memset(g_ulSoftRenderWork, 0, (size_t)w * h * 4);
    const u32 lower = g_bYUVFirstPlanePriority ? 0 : 1;
    ZKT_LowLevelAPI_SoftRender_YUV_Layer(lower, 1);
    ZKT_LowLevelAPI_SoftRender_YUV_Layer(lower, 0);
    ZKT_LowLevelAPI_SoftRender_YUV_Layer(!lower, 1);
    ZKT_LowLevelAPI_SoftRender_YUV_Layer(!lower, 0);
    if (g_bSPUonTopOfOSDLayer) {
        if (g_bOSDLayerEnable)
            ZKT_LowLevelAPI_SoftRender_OSD_Layer();
        if (g_bSPULayerEnable)
            ZKT_LowLevelAPI_SoftRender_SPU_Layer();
    } else {
        if (g_bSPULayerEnable)
            ZKT_LowLevelAPI_SoftRender_SPU_Layer();
        if (g_bOSDLayerEnable)
            ZKT_LowLevelAPI_SoftRender_OSD_Layer();
    }
    ZKT_LowLevelAPI_SoftRender_ColorPass();
    ZKT_LowLevelAPI_SoftRender_RGB_Layer();
    if (g_cursorLayer.bEnable)
        ZKT_LowLevelAPI_SoftRender_Cursor_Layer();
}

} // namespace

TEST(CompositorFuzz, RandomStateInEveryModeGroup)
{
    const char *longRun = std::getenv("VORN_LONG_FUZZ");
    const bool isLong = longRun && longRun[0] == '1';
    const char *seedEnv = std::getenv("VORN_FUZZ_SEED");
    const uint64_t seed = seedEnv ? std::strtoull(seedEnv, nullptr, 0) : 0x5EED0F0Bull;
    const double seconds = isLong ? 60.0 : 2.0;

    ResetModel(0);
    u8 *vm = g_GP2X_VIDEO_BASE_PTR;
    Rng r{seed | 1};
    for (u32 i = 0; i < ZKT_VIDEO_MEM_SIZE; i++)
        vm[i] = (u8)r.Next();
    std::vector<u8> window(ZKT_WIN_PITCH * ZKT_WIN_H), keptWindow(window.size());
    ZKT_WinSkinKept kept;

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    double slowest = 0;
    u32 frames = 0, compared = 0, covered = 0;
    std::vector<u8> picture;
    std::vector<u32> work;
    u32 paths = 0;
    while (std::chrono::duration<double>(Clock::now() - start).count() < seconds || frames < 3) {
        const u32 group = frames % 3;
        Scribble(r, vm);
        RandomState(r, group);
        const auto t0 = Clock::now();
        ZKT_LowLevelAPI_SoftRender_Compose();
        const s32 mx = (s32)r.Below(700) - 20, my = (s32)r.Below(420) - 20;
        const u32 pressed = r.Below(2), ticks = r.Next();
        if (g_ulDISPLAY_MODE <= 4)
            ZKT_LowLevelAPI_SoftRender_FrameLCD(window.data(), ZKT_WIN_PITCH, mx, my, pressed, ticks);
        const double dt = std::chrono::duration<double>(Clock::now() - t0).count();
        // A window that keeps its skin from frame to frame (at times written
        // over by someone else, who says so) and takes the screen line by
        // line from the composition gets the same picture as one framed
        // from scratch.
        if (g_ulDISPLAY_MODE <= 4) {
            if (r.Below(8) == 0) {
                for (u8 &b : keptWindow)
                    b = (u8)r.Next();
                kept.pWindow = nullptr;
            }
            ZKT_LowLevelAPI_SoftRender_Compose(ZKT_WinScreenOf(keptWindow.data(), ZKT_WIN_PITCH), ZKT_WIN_PITCH);
            ZKT_LowLevelAPI_SoftRender_FrameLCD(keptWindow.data(), ZKT_WIN_PITCH, mx, my, pressed, ticks, &kept, 1);
            ASSERT_EQ(0, std::memcmp(window.data(), keptWindow.data(), window.size()))
                << "kept skin, frame " << frames << " of seed " << seed;
        }
        if (dt > slowest)
            slowest = dt;
        ASSERT_LT(dt, 30.0) << "frame " << frames << " of seed " << seed << " took " << dt << " s";
        if (frames % 4 == 0) {
            s32 w, h;
            ZKT_LowLevelAPI_SoftRender_GetOutputSize(&w, &h);
            const size_t n = (size_t)w * h;
            // The frame leaves gamma out of the working picture, only the
            // packed one has it.
            work.assign(g_ulSoftRenderWork, g_ulSoftRenderWork + n);
            picture.assign(g_ucSoftRenderPicture, g_ucSoftRenderPicture + n * 3);
            ComposeByStages();
            ASSERT_EQ(0, std::memcmp(work.data(), g_ulSoftRenderWork, n * 4))
                << "frame " << frames << " of seed " << seed;
            if (g_bEnableGamma)
                ZKT_LowLevelAPI_GammaCorrection();
            ZKT_SoftRenderScalar_Pack(g_ucSoftRenderPicture, g_ulSoftRenderWork, (s32)n);
            ASSERT_EQ(0, std::memcmp(picture.data(), g_ucSoftRenderPicture, n * 3))
                << "picture, frame " << frames << " of seed " << seed;
            compared++;
            // One change that what the RGB layer keeps from frame to frame
            // must follow: its source size, or a region's lines.
            RGBLayerRegion &rg = g_RGBLayerRegion[r.Below(4)];
            const u32 what = r.Below(5);
            const s32 size = 1 + (s32)r.Below(800);
            g_nScreenSizeX = what == 0 ? size : g_nScreenSizeX;
            g_nScreenSizeY = what == 1 ? size : g_nScreenSizeY;
            rg.bEnable = what == 2 ? !rg.bEnable : rg.bEnable;
            rg.usStartY = what == 3 ? r.Coord(576) : rg.usStartY;
            rg.usEndY = what == 4 ? r.Coord(576) : rg.usEndY;
            ZKT_LowLevelAPI_SoftRender_Compose();
            work.assign(g_ulSoftRenderWork, g_ulSoftRenderWork + n);
            ComposeByStages();
            ASSERT_EQ(0, std::memcmp(work.data(), g_ulSoftRenderWork, n * 4))
                << "RGB layer change " << what << ", frame " << frames << " of seed " << seed;
        }
        // Every kernel path this processor has gives the same frame, bit for
        // bit, working picture and written flags included, as the plain
        // kernels drawing every layer whole (what the RGB layer replaces
        // too).
        {
            s32 w, h;
            ZKT_LowLevelAPI_SoftRender_GetOutputSize(&w, &h);
            const size_t n = (size_t)w * h;
            const std::string used = ZKT_SoftRenderKernels().name;
            ZKT_SoftRenderUseKernels("scalar");
            // Dirty columns left from before must not show through the
            // skipped ones.
            // The viewer hiding layers now and then, the RGB one among them.
            g_ulViewHiddenLayers = r.Chance(4) ? r.Below(1u << ZKT_VIEW_LAYERS) : 0;
            std::fill(g_ulSoftRenderWork, g_ulSoftRenderWork + n, r.Next());
            g_bSoftRenderSkipCover = false;
            ZKT_LowLevelAPI_SoftRender_Compose();
            g_bSoftRenderSkipCover = true;
            picture.assign(g_ucSoftRenderPicture, g_ucSoftRenderPicture + n * 3);
            work.assign(g_ulSoftRenderWork, g_ulSoftRenderWork + n);
            if (ZKT_SoftRenderRGBPrepare()) {
                s32 cover[2 * ZKT_RGB_MAX_RUNS];
                bool any = false;
                for (s32 y = 0; y < h && !any; y++)
                    any = ZKT_SoftRenderRGBPlanLine(y, cover, g_softRenderScalar) != 0;
                covered += any;
            }
            for (const char *path : {"scalar", "sse2", "avx2"}) {
                if (ZKT_SoftRenderUseKernels(path) != 0)
                    continue;
                std::fill(g_ulSoftRenderWork, g_ulSoftRenderWork + n, r.Next());
                ZKT_LowLevelAPI_SoftRender_Compose();
                ASSERT_EQ(0, std::memcmp(picture.data(), g_ucSoftRenderPicture, n * 3))
                    << path << " picture, frame " << frames << " of seed " << seed;
                ASSERT_EQ(0, std::memcmp(work.data(), g_ulSoftRenderWork, n * 4))
                    << path << " working picture, frame " << frames << " of seed " << seed;
                paths++;
            }
            g_ulViewHiddenLayers = 0;
            ZKT_SoftRenderUseKernels(used.c_str());
        }
        frames++;
    }
    std::printf("fuzz: seed 0x%llx, %u frames in %.1f s (%u checked stage by stage, %u against the scalar "
                "kernels, %u with columns the RGB layer replaces), slowest %.1f ms\n",
                (unsigned long long)seed, frames, std::chrono::duration<double>(Clock::now() - start).count(),
                compared, paths, covered, slowest * 1000);
    // The skipping must have been tried.
    EXPECT_GE(covered * 8, frames);
}

// Each kernel of each vector path against the plain one on random spans of
// every length up to a few vectors, over random pictures and sources.
TEST(CompositorKernels, EveryPathMatchesThePlainKernels)
{
    const SoftRenderKernels &ref = g_softRenderScalar;
    std::vector<const SoftRenderKernels *> paths;
#if defined(__x86_64__) || defined(__i386__)
    if (ZKT_SoftRenderUseKernels("sse2") == 0)
        paths.push_back(&g_softRenderSSE2);
    if (ZKT_SoftRenderUseKernels("avx2") == 0)
        paths.push_back(&g_softRenderAVX2);
    ZKT_SoftRenderUseKernels(ZKT_SoftRenderKernels().name);
#endif
    Rng r{0x4B45524Eull};
    enum { MAXN = 70 };
    u8 src[4 * MAXN + 8];
    u32 a[MAXN], b[MAXN], colours[MAXN];
    s32 offY[MAXN], offC[MAXN], idx[MAXN];
    u32 wsrc[MAXN + 10];
    static PxPalette pal;
    static PxColour rule;
    static PxGamma gamma;
    // A colour rule from random settings, the extremes among them, some
    // with the same matrix in all four quadrants.
    auto randomRule = [&](int extreme = -1) {
        s8 m[16];
        for (s8 &v : m)
            v = r.Chance(4) ? (r.Chance(2) ? -128 : 127) : (s8)r.Next();
        if (r.Chance(2))
            for (int k = 0; k < 16; k++)
                m[k] = m[k & ~3];
        s32 bright = r.Chance(4) ? (r.Chance(2) ? -128 : 127) : (s8)r.Next();
        s32 contrast = r.Chance(4) ? (r.Chance(2) ? 0 : 255) : (u8)r.Next();
        if (r.Chance(3))
            bright = contrast = 0; // the luma left as it is
        if (extreme >= 0) {
            bright = extreme & 1 ? 127 : -128;
            contrast = extreme & 2 ? 255 : 0;
        }
        ZKT_SoftRenderColourRule(rule, bright, contrast, m);
    };
    for (const SoftRenderKernels *k : paths) {
        // Every (Cb, Cr) with the extreme and some other lumas, under rules
        // from neutral to extreme: the vector conversion is computed, not
        // looked up, so it must meet the tables everywhere.
        for (int rr = 0; rr < 8; rr++) {
            randomRule(rr < 4 ? rr : -1);
            static u32 want[65536], got[65536];
            for (u32 yv : {0u, 1u, 16u, 127u, 128u, 235u, 254u, 255u, (u32)r.Below(256), 256u}) {
                // Y 256 stands for every luma, with every Cb and a Cr that moves.
                // Stretches written throughout, scattered unwritten pixels
                // and runs of unwritten ones.
                for (u32 c = 0; c < 65536; c++) {
                    const u32 kind = (c >> 10) % 3;
                    const bool unwritten = kind == 1 ? c % 7 == 0 : kind == 2 && (c & 32);
                    want[c] = got[c] = (yv < 256 ? yv | c << 8 : c >> 8 | (c & 0xFF) << 8 | (c * 37 & 0xFF) << 16) |
                                       (unwritten ? 0 : ZKT_PX_WRITTEN);
                }
                ref.colour(want, 65536, rule);
                k->colour(got, 65536, rule);
                ASSERT_EQ(0, std::memcmp(want, got, sizeof want)) << k->name << " colour, Y " << yv;
            }
        }
        for (int round = 0; round < 400; round++) {
            const s32 n = (s32)r.Below(MAXN + 1);
            if (round % 8 == 0) {
                randomRule();
                // Random channels, channels left as they are, and ones
                // that change a single level.
                for (s32 ch = 0; ch < 3; ch++) {
                    const u32 kind = r.Below(3), one = r.Below(256);
                    for (u32 v = 0; v < 256; v++)
                        gamma.lut[ch][v] = (kind == 0 || (kind == 2 && v == one) ? r.Next() & 0xFF : v) << (8 * ch);
                }
                PxGammaSeal(gamma);
            }
            for (u8 &v : src)
                v = (u8)r.Next();
            // Sometimes every pixel written, as under a full-picture YUV
            // plane, which the vector kernels take shorter ways over.
            const bool bAllWritten = r.Chance(4);
            for (s32 i = 0; i < MAXN; i++) {
                // Written or not, in runs, as layers leave them.
                a[i] = (r.Next() & ZKT_PX_RGB) | (r.Chance(3) && !bAllWritten ? 0 : ZKT_PX_WRITTEN);
                colours[i] = r.Chance(4) ? 0xF8FCF8 : r.Next() & ZKT_PX_RGB;
                offC[i] = 4 * (s32)r.Below(MAXN - 1) + 1;
                offY[i] = offC[i] - 1 + 2 * (s32)r.Below(2);
                idx[i] = i ? idx[i - 1] + (s32)r.Below(2) : 100 + (s32)r.Below(3);
            }
            for (u32 &v : wsrc)
                v = r.Next() & ZKT_PX_RGB;
            const bool bKeyed = r.Below(2);
            for (s32 v = 0; v < 256; v++) {
                pal.colour[v] = (r.Next() & ZKT_PX_RGB) | (bKeyed && r.Chance(8) ? 0 : ZKT_PX_WRITTEN);
                pal.alpha[v] = r.Below(16);
            }
            PxPaletteSeal(pal);
            const u32 c = r.Next(), alpha = r.Below(16), key = r.Chance(2) ? 0xF8FCF8 : r.Next(), bKey = r.Below(2);
            auto check = [&](const char *what, auto draw) {
                std::memcpy(b, a, sizeof a);
                draw(ref, a);
                draw(*k, b);
                ASSERT_EQ(0, std::memcmp(a, b, sizeof a)) << k->name << " " << what << " n " << n;
            };
            check("fill", [&](const SoftRenderKernels &K, u32 *d) { K.fill(d, n, c); });
            check("yuvCopy", [&](const SoftRenderKernels &K, u32 *d) { K.yuvCopy(d, src, n); });
            check("yuvCopyMirror",
                  [&](const SoftRenderKernels &K, u32 *d) { K.yuvCopyMirror(d, src + 4 * (MAXN / 2), n); });
            check("yuvGather", [&](const SoftRenderKernels &K, u32 *d) { K.yuvGather(d, src, offY, offC, n); });
            check("ink", [&](const SoftRenderKernels &K, u32 *d) { K.ink(d, n, c, alpha); });
            // An SPU line: short runs mostly, up to a few pieces, the codes
            // sometimes at the very end of video memory.
            static PxSPULine spu;
            u8 *vm = TestVideoMemory().data();
            const int64_t at = r.Chance(4) ? ZKT_VIDEO_MEM_SIZE - 1 - r.Below(40) : 0x100000;
            for (int64_t i = at; i < std::min(at + 64, (int64_t)ZKT_VIDEO_MEM_SIZE); i++)
                vm[i] = (u8)(r.Chance(8) ? r.Next() : r.Below(4) << 6 | r.Below(64) >> (2 * r.Below(4)));
            // Or, for the OSD line, runs of a value each, mostly short, one
            // after the other.
            if (r.Chance(3))
                for (int64_t i = at; i + 1 < std::min(at + 64, (int64_t)ZKT_VIDEO_MEM_SIZE); i += 2) {
                    vm[i] = (u8)(0xC0 | (r.Chance(8) ? r.Below(64) : 1 + r.Below(24)));
                    vm[i + 1] = (u8)r.Next();
                }
            spu.vm = vm;
            spu.first = (s32)r.Below(8);
            spu.last = r.Chance(4) ? (s32)r.Below(0x10000) : spu.first + (s32)r.Below(MAXN);
            spu.visEnd = std::min(spu.last, n - 1);
            s32 nSeg = 0;
            for (s32 x = spu.first; x <= spu.visEnd && nSeg < 33; x += 1 + (s32)r.Below(24), nSeg++)
                spu.segStart[nSeg] = x;
            spu.segStart[nSeg] = spu.segStart[nSeg + 1] = spu.visEnd + 1;
            for (PxInk &k : spu.ink)
                k = PxSPUInk(r.Next(), r.Below(16));
            int64_t qa = 2 * at + r.Below(2), qb = qa;
            bool okA = false, okB = false;
            check("spuLine", [&](const SoftRenderKernels &K, u32 *d) {
                (&K == &ref ? okA : okB) = K.spuLine(d, &K == &ref ? qa : qb, spu);
            });
            ASSERT_EQ(okA, okB) << k->name << " spuLine n " << n;
            ASSERT_EQ(qa, qb) << k->name << " spuLine n " << n;
            // An OSD run-length line from the same bytes, sometimes in the
            // middle of a run.
            PxOSDRuns ra{vm, at, r.Chance(3) ? (int64_t)r.Below(80) - 1 : 0, r.Below(256)}, rb = ra;
            check("osdRunLine", [&](const SoftRenderKernels &K, u32 *d) {
                (&K == &ref ? okA : okB) = K.osdRunLine(d, &K == &ref ? ra : rb, spu.first, spu.last, spu.visEnd, pal);
            });
            ASSERT_EQ(okA, okB) << k->name << " osdRunLine n " << n;
            ASSERT_TRUE(!okA || (ra.pos == rb.pos && ra.left == rb.left && ra.value == rb.value)) << k->name;
            check("palette8", [&](const SoftRenderKernels &K, u32 *d) { K.palette8(d, src, n, pal); });
            check("colour", [&](const SoftRenderKernels &K, u32 *d) { K.colour(d, n, rule); });
            check("rgb565", [&](const SoftRenderKernels &K, u32 *d) { K.rgb565(d, src, n); });
            check("rgb565Double", [&](const SoftRenderKernels &K, u32 *d) { K.rgb565Double(d, src, n); });
            check("widen", [&](const SoftRenderKernels &K, u32 *d) { K.widen(d, wsrc, idx, 100, n); });
            check("rgb", [&](const SoftRenderKernels &K, u32 *d) { K.rgb(d, colours, n, alpha, bKey, key); });
            // RGB565 pixels, a quarter of them the key 0xF8FCF8's.
            u8 src565[2 * MAXN];
            for (s32 i = 0; i < 2 * MAXN; i += 2)
                if (r.Chance(4))
                    src565[i] = src565[i + 1] = 0xFF;
                else
                    src565[i] = (u8)r.Next(), src565[i + 1] = (u8)r.Next();
            check("rgb565Over",
                  [&](const SoftRenderKernels &K, u32 *d) { K.rgb565Over(d, src565, n, alpha, bKey, key); });
            // The RGB and cursor kernels leave every pixel written: unwrite
            // some again, in half the rounds (gamma takes a shorter way
            // through pixels all written).
            const bool bUnwrite = r.Below(2);
            auto unwrite = [&] {
                for (u32 &v : a)
                    v = bUnwrite && r.Chance(3) ? v & ZKT_PX_RGB : v;
            };
            unwrite();
            check("gamma", [&](const SoftRenderKernels &K, u32 *d) { K.gamma(d, n, gamma); });
            const u32 curCol[2] = {r.Next(), r.Next()}, curT[2] = {r.Below(16), r.Below(16)};
            check("cursor", [&](const SoftRenderKernels &K, u32 *d) { K.cursor(d, src, n, curCol, curT); });
            unwrite();
            u8 pa[3 * MAXN], pb[3 * MAXN];
            std::memset(pa, 0x5A, sizeof pa);
            std::memset(pb, 0x5A, sizeof pb);
            ref.pack(pa, a, n);
            k->pack(pb, a, n);
            ASSERT_EQ(0, std::memcmp(pa, pb, sizeof pa)) << k->name << " pack n " << n;
            std::memcpy(b, a, sizeof a);
            ref.gammaPack(pa, a, n, gamma);
            k->gammaPack(pb, b, n, gamma);
            ASSERT_EQ(0, std::memcmp(pa, pb, sizeof pa)) << k->name << " gammaPack n " << n;
            ASSERT_EQ(0, std::memcmp(a, b, sizeof a)) << k->name << " gammaPack n " << n;
            // The same bytes as gamma then packing, the line left as it was.
            ref.gamma(b, n, gamma);
            ref.pack(pb, b, n);
            ASSERT_EQ(0, std::memcmp(pa, pb, sizeof pa)) << "plain gammaPack n " << n;
        }
    }
}
