// The plain span kernels, the reference for the vector ones, and the
// choice of the path a process uses.
#include <cstdlib>
#include <cstring>

#include "lowlevel/desktop/zkt_softrender_px.h"
#include "lowlevel/desktop/zkt_softrender_lines.h"

typedef int64_t s64;

void ZKT_SoftRenderScalar_Fill(u32 *dst, s32 n, u32 v)
{
    for (s32 i = 0; i < n; i++)
        dst[i] = v;
}

void ZKT_SoftRenderScalar_YUVCopy(u32 *dst, const u8 *src, s32 n)
{
    for (s32 i = 0; i < n; i++) {
        const u8 *p = src + (i >> 1) * 4;
        dst[i] = p[(i & 1) * 2] | p[1] << 8 | p[3] << 16 | ZKT_PX_WRITTEN;
    }
}

void ZKT_SoftRenderScalar_YUVCopyMirror(u32 *dst, const u8 *src, s32 n)
{
    for (s32 i = 0; i < n; i++) {
        const u8 *p = src - (s64)(i >> 1) * 4;
        dst[i] = p[(i & 1) ? 0 : 2] | p[1] << 8 | p[3] << 16 | ZKT_PX_WRITTEN;
    }
}

void ZKT_SoftRenderScalar_RGB565(u32 *dst, const u8 *src, s32 n)
{
    for (s32 i = 0; i < n; i++) {
        const u32 v = src[2 * i] | src[2 * i + 1] << 8;
        dst[i] = ((v << 3) & 0xF8) | ((v >> 3) & 0xFC) << 8 | ((v >> 8) & 0xF8) << 16;
    }
}

void ZKT_SoftRenderScalar_RGB565Double(u32 *dst, const u8 *src, s32 n)
{
    for (s32 i = 0; i < n; i++)
        ZKT_SoftRenderScalar_RGB565(dst + i, src + (i >> 1) * 2, 1);
}

void ZKT_SoftRenderScalar_YUVGather(u32 *dst, const u8 *src, const s32 *offY, const s32 *offC, s32 n)
{
    for (s32 i = 0; i < n; i++) {
        const u8 *c = src + offC[i];
        dst[i] = src[offY[i]] | c[0] << 8 | c[2] << 16 | ZKT_PX_WRITTEN;
    }
}

void ZKT_SoftRenderScalar_Ink(u32 *dst, s32 n, u32 c, u32 a)
{
    c = (c & ZKT_PX_RGB) | ZKT_PX_WRITTEN;
    if (a == 15) {
        for (s32 i = 0; i < n; i++)
            dst[i] = c;
        return;
    }
    for (s32 i = 0; i < n; i++)
        dst[i] = dst[i] >> 24 ? PxBlend(dst[i], c, a) | ZKT_PX_WRITTEN : c;
}

void ZKT_SoftRenderScalar_Palette8(u32 *dst, const u8 *src, s32 n, const PxPalette &t)
{
    for (s32 i = 0; i < n; i++) {
        const u32 v = src[i], c = t.colour[v], old = dst[i];
        if (!(c >> 24))
            continue; // keyed
        dst[i] = old >> 24 ? PxBlend(old, c, t.alpha[v]) | ZKT_PX_WRITTEN : c;
    }
}

static inline u32 Clamp8(s32 v)
{
    return v < 0 ? 0 : v > 255 ? 255 : (u32)v;
}

void ZKT_SoftRenderScalar_Colour(u32 *p, s32 n, const PxColour &t)
{
    const s32 *luma = t.luma;
    const uint64_t *chroma = t.chroma;
    const u32 bg = t.bg;
    for (s32 i = 0; i < n; i++) {
        const u32 v = p[i];
        if (!(v >> 24)) {
            p[i] = bg;
            continue;
        }
        const s32 l = luma[v & 0xFF];
        const uint64_t c = chroma[(v >> 8) & 0xFFFF];
        p[i] = Clamp8((l + (s32)(c & 0x1FFFFF)) >> 8) | Clamp8((l + (s32)((c >> 21) & 0x1FFFFF)) >> 8) << 8 |
               Clamp8((l + (s32)(c >> 42)) >> 8) << 16 | ZKT_PX_WRITTEN;
    }
}

void ZKT_SoftRenderScalar_Widen(u32 *dst, const u32 *src, const s32 *idx, s32 base, s32 n)
{
    for (s32 i = 0; i < n; i++)
        dst[i] = src[idx[i] - base];
}

void ZKT_SoftRenderScalar_RGB(u32 *dst, const u32 *src, s32 n, u32 a, u32 bKey, u32 key)
{
    for (s32 i = 0; i < n; i++) {
        const u32 c = src[i];
        u32 ca = a;
        if (bKey && (((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF)) == key)
            ca = 0;
        const u32 old = dst[i];
        if (!(old >> 24) || ca == 15)
            dst[i] = c | ZKT_PX_WRITTEN;
        else if (ca)
            dst[i] = PxBlend(old, c, ca) | ZKT_PX_WRITTEN;
    }
}

void ZKT_SoftRenderScalar_RGB565Over(u32 *dst, const u8 *src, s32 n, u32 a, u32 bKey, u32 key)
{
    for (s32 i = 0; i < n; i++) {
        u32 c;
        ZKT_SoftRenderScalar_RGB565(&c, src + 2 * i, 1);
        ZKT_SoftRenderScalar_RGB(dst + i, &c, 1, a, bKey, key);
    }
}

void ZKT_SoftRenderScalar_Gamma(u32 *p, s32 n, const PxGamma &g)
{
    for (s32 i = 0; i < n; i++) {
        const u32 v = p[i];
        if (v >> 24)
            p[i] = g.lut[0][v & 0xFF] | g.lut[1][(v >> 8) & 0xFF] | g.lut[2][(v >> 16) & 0xFF] | ZKT_PX_WRITTEN;
    }
}

void ZKT_SoftRenderScalar_Pack(u8 *dst, const u32 *src, s32 n)
{
    for (s32 i = 0; i < n; i++, dst += 3) {
        const u32 v = src[i];
        dst[0] = (u8)v;
        dst[1] = (u8)(v >> 8);
        dst[2] = (u8)(v >> 16);
    }
}

void ZKT_SoftRenderScalar_GammaPack(u8 *dst, const u32 *p, s32 n, const PxGamma &g)
{
    for (s32 i = 0; i < n; i++, dst += 3) {
        u32 v = p[i];
        if (v >> 24)
            v = g.lut[0][v & 0xFF] | g.lut[1][(v >> 8) & 0xFF] | g.lut[2][(v >> 16) & 0xFF];
        dst[0] = (u8)v;
        dst[1] = (u8)(v >> 8);
        dst[2] = (u8)(v >> 16);
    }
}

void ZKT_SoftRenderScalar_Cursor(u32 *dst, const u8 *bits, s32 n, const u32 *col, const u32 *t)
{
    for (s32 x = 0; x < n; x++) {
        const u32 v = (bits[x >> 2] >> ((x & 3) * 2)) & 3, old = dst[x];
        if (v < 2) {
            const u32 tt = t[v] << 4, it = 240 - tt, k = col[v];
            dst[x] = ((old & 0xFF) * it + (k & 0xFF) * tt) / 240 |
                     (((old >> 8) & 0xFF) * it + ((k >> 8) & 0xFF) * tt) / 240 << 8 |
                     (((old >> 16) & 0xFF) * it + ((k >> 16) & 0xFF) * tt) / 240 << 16 | ZKT_PX_WRITTEN;
        } else if (v == 3) {
            dst[x] = (~old & ZKT_PX_RGB) | ZKT_PX_WRITTEN;
        } else {
            dst[x] = old | ZKT_PX_WRITTEN;
        }
    }
}

static void InkRun(u32 *dst, s32 n, const PxInk &k)
{
    ZKT_SoftRenderScalar_Ink(dst, n, k.colour, PxInkAlpha(k));
}

bool ZKT_SoftRenderScalar_SPULine(u32 *row, int64_t &q, const PxSPULine &L)
{
    return PxSPULineDraw(row, q, L, InkRun);
}

bool ZKT_SoftRenderScalar_OSDRunLine(u32 *row, PxOSDRuns &s, s32 first, s32 last, s32 visEnd, const PxPalette &t)
{
    return PxOSDRunLineDraw(row, s, first, last, visEnd, t, InkRun);
}

const SoftRenderKernels g_softRenderScalar = {
    "scalar",
    ZKT_SoftRenderScalar_Fill,
    ZKT_SoftRenderScalar_YUVCopy,
    ZKT_SoftRenderScalar_YUVCopyMirror,
    ZKT_SoftRenderScalar_YUVGather,
    ZKT_SoftRenderScalar_Ink,
    ZKT_SoftRenderScalar_Palette8,
    ZKT_SoftRenderScalar_Colour,
    ZKT_SoftRenderScalar_RGB565,
    ZKT_SoftRenderScalar_RGB565Double,
    ZKT_SoftRenderScalar_Widen,
    ZKT_SoftRenderScalar_RGB,
    ZKT_SoftRenderScalar_RGB565Over,
    ZKT_SoftRenderScalar_Gamma,
    ZKT_SoftRenderScalar_Pack,
    ZKT_SoftRenderScalar_GammaPack,
    ZKT_SoftRenderScalar_Cursor,
    ZKT_SoftRenderScalar_SPULine,
    ZKT_SoftRenderScalar_OSDRunLine,
};

static const SoftRenderKernels *s_pKernels = nullptr;

static const SoftRenderKernels *KernelsByName(const char *name)
{
    if (!strcmp(name, "scalar"))
        return &g_softRenderScalar;
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    if (!strcmp(name, "sse2") && __builtin_cpu_supports("sse2"))
        return &g_softRenderSSE2;
    if (!strcmp(name, "avx2") && __builtin_cpu_supports("avx2"))
        return &g_softRenderAVX2;
#endif
    return nullptr;
}

const SoftRenderKernels &ZKT_SoftRenderKernels()
{
    if (s_pKernels)
        return *s_pKernels;
    const char *forced = getenv("VORN_KERNELS");
    if (forced && *forced)
        s_pKernels = KernelsByName(forced);
    if (!s_pKernels)
        s_pKernels = KernelsByName("avx2");
    if (!s_pKernels)
        s_pKernels = KernelsByName("sse2");
    if (!s_pKernels)
        s_pKernels = &g_softRenderScalar;
    return *s_pKernels;
}

u32 ZKT_SoftRenderUseKernels(const char *name)
{
    const SoftRenderKernels *k = name ? KernelsByName(name) : nullptr;
    if (!k)
        return 2;
    s_pKernels = k;
    return 0;
}
