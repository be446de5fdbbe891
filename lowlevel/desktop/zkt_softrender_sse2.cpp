// The span kernels four pixels at a time with SSE2, the baseline of every
// x86-64 processor. Table look-ups stay scalar; the arithmetic, the flag
// tests and the stores are vector.
#include "lowlevel/desktop/zkt_softrender_px.h"

#if defined(__x86_64__) || defined(__i386__)

#include <emmintrin.h>

#include <cstring>

#include "lowlevel/desktop/zkt_softrender_lines.h"

namespace {

inline __m128i Load(const u32 *p)
{
    return _mm_loadu_si128((const __m128i *)p);
}

inline void Store(u32 *p, __m128i v)
{
    _mm_storeu_si128((__m128i *)p, v);
}

inline __m128i Written()
{
    return _mm_set1_epi32((int)ZKT_PX_WRITTEN);
}

// All ones in the lanes of written pixels.
inline __m128i WrittenMask(__m128i v)
{
    return _mm_srai_epi32(v, 31);
}

inline __m128i Select(__m128i mask, __m128i a, __m128i b)
{
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

// (old x ia + cw) / 15 per byte for four pixels; ia and cw per 16-bit lane
// for the low two pixels (l) and the high two (h). Flag bytes come out 0.
inline __m128i Blend15(__m128i old, __m128i ial, __m128i iah, __m128i cwl, __m128i cwh)
{
    const __m128i z = _mm_setzero_si128(), k = _mm_set1_epi16(4370);
    __m128i lo = _mm_unpacklo_epi8(old, z), hi = _mm_unpackhi_epi8(old, z);
    lo = _mm_mulhi_epu16(_mm_add_epi16(_mm_mullo_epi16(lo, ial), cwl), k);
    hi = _mm_mulhi_epu16(_mm_add_epi16(_mm_mullo_epi16(hi, iah), cwh), k);
    return _mm_and_si128(_mm_packus_epi16(lo, hi), _mm_set1_epi32(ZKT_PX_RGB));
}

} // namespace

void ZKT_SoftRenderSSE2_Fill(u32 *dst, s32 n, u32 v)
{
    const __m128i x = _mm_set1_epi32((int)v);
    s32 i = 0;
    for (; i + 4 <= n; i += 4)
        Store(dst + i, x);
    for (; i < n; i++)
        dst[i] = v;
}

// Two pixels per YUY2 word w = Y0 | Cb << 8 | Y1 << 16 | Cr << 24.
static inline void YUVPairs(__m128i w, __m128i &a, __m128i &b)
{
    const __m128i ch = _mm_or_si128(_mm_and_si128(w, _mm_set1_epi32(0xFF00)),
                                    _mm_and_si128(_mm_srli_epi32(w, 8), _mm_set1_epi32(0xFF0000)));
    const __m128i f = _mm_or_si128(ch, Written()), m = _mm_set1_epi32(0xFF);
    const __m128i p0 = _mm_or_si128(_mm_and_si128(w, m), f);
    const __m128i p1 = _mm_or_si128(_mm_and_si128(_mm_srli_epi32(w, 16), m), f);
    a = _mm_unpacklo_epi32(p0, p1);
    b = _mm_unpackhi_epi32(p0, p1);
}

void ZKT_SoftRenderSSE2_YUVCopy(u32 *dst, const u8 *src, s32 n)
{
    s32 i = 0;
    for (; i + 8 <= n; i += 8) {
        __m128i a, b;
        YUVPairs(_mm_loadu_si128((const __m128i *)(src + i * 2)), a, b);
        Store(dst + i, a);
        Store(dst + i + 4, b);
    }
    if (i < n)
        ZKT_SoftRenderScalar_YUVCopy(dst + i, src + i * 2, n - i);
}

void ZKT_SoftRenderSSE2_YUVCopyMirror(u32 *dst, const u8 *src, s32 n)
{
    s32 i = 0;
    for (; i + 8 <= n; i += 8) {
        // Pairs -(i / 2 + 3) to -(i / 2), reversed so lane k is pair -(i / 2 + k).
        const __m128i w = _mm_shuffle_epi32(_mm_loadu_si128((const __m128i *)(src - (i / 2 + 3) * 4)), 0x1B);
        const __m128i ch = _mm_or_si128(_mm_and_si128(w, _mm_set1_epi32(0xFF00)),
                                        _mm_and_si128(_mm_srli_epi32(w, 8), _mm_set1_epi32(0xFF0000)));
        const __m128i f = _mm_or_si128(ch, Written()), m = _mm_set1_epi32(0xFF);
        const __m128i p0 = _mm_or_si128(_mm_and_si128(w, m), f);
        const __m128i p1 = _mm_or_si128(_mm_and_si128(_mm_srli_epi32(w, 16), m), f);
        Store(dst + i, _mm_unpacklo_epi32(p1, p0));
        Store(dst + i + 4, _mm_unpackhi_epi32(p1, p0));
    }
    if (i < n)
        ZKT_SoftRenderScalar_YUVCopyMirror(dst + i, src - (i / 2) * 4, n - i);
}

// Four RGB565 values, one in each 32-bit lane, as colours.
static inline __m128i From565(__m128i x)
{
    return _mm_or_si128(_mm_or_si128(_mm_and_si128(_mm_slli_epi32(x, 3), _mm_set1_epi32(0xF8)),
                                     _mm_and_si128(_mm_slli_epi32(x, 5), _mm_set1_epi32(0xFC00))),
                        _mm_and_si128(_mm_slli_epi32(x, 8), _mm_set1_epi32(0xF80000)));
}

void ZKT_SoftRenderSSE2_RGB565(u32 *dst, const u8 *src, s32 n)
{
    s32 i = 0;
    const __m128i z = _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128((const __m128i *)(src + 2 * i));
        Store(dst + i, From565(_mm_unpacklo_epi16(v, z)));
        Store(dst + i + 4, From565(_mm_unpackhi_epi16(v, z)));
    }
    if (i < n)
        ZKT_SoftRenderScalar_RGB565(dst + i, src + 2 * i, n - i);
}

void ZKT_SoftRenderSSE2_RGB565Double(u32 *dst, const u8 *src, s32 n)
{
    s32 i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i c = From565(_mm_unpacklo_epi16(_mm_loadl_epi64((const __m128i *)(src + i)), _mm_setzero_si128()));
        Store(dst + i, _mm_unpacklo_epi32(c, c));
        Store(dst + i + 4, _mm_unpackhi_epi32(c, c));
    }
    if (i < n)
        ZKT_SoftRenderScalar_RGB565Double(dst + i, src + i, n - i);
}

// Inline in the run-length line kernels, whose runs are short and many.
__attribute__((always_inline)) static inline void InkSpan(u32 *dst, s32 n, u32 c, u32 a)
{
    c = (c & ZKT_PX_RGB) | ZKT_PX_WRITTEN;
    if (n < 4) {
        ZKT_SoftRenderScalar_Ink(dst, n, c, a);
        return;
    }
    const __m128i cv = _mm_set1_epi32((int)c);
    s32 i = 0;
    if (a == 15) {
        for (; i + 4 <= n; i += 4)
            Store(dst + i, cv);
        if (i < n)
            Store(dst + n - 4, cv);
        return;
    }
    if (a == 0) {
        // Only unwritten pixels change.
        for (; i < n; i += 4) {
            u32 *p = i + 4 <= n ? dst + i : dst + n - 4;
            const __m128i old = Load(p), wm = WrittenMask(old);
            if (_mm_movemask_epi8(wm) != 0xFFFF)
                Store(p, Select(wm, old, cv));
        }
        return;
    }
    const __m128i ia = _mm_set1_epi16((short)(15 - a));
    const __m128i cw =
        _mm_mullo_epi16(_mm_unpacklo_epi8(_mm_and_si128(cv, _mm_set1_epi32(ZKT_PX_RGB)), _mm_setzero_si128()),
                        _mm_set1_epi16((short)a));
    auto step = [&](__m128i old) {
        return Select(WrittenMask(old), _mm_or_si128(Blend15(old, ia, ia, cw, cw), Written()), cv);
    };
    // The last four pixels, from the pixels as they were, before any store
    // (as on the AVX2 path).
    const __m128i tail = (n & 3) ? step(Load(dst + n - 4)) : cv;
    for (; i + 4 <= n; i += 4)
        Store(dst + i, step(Load(dst + i)));
    if (i < n)
        Store(dst + n - 4, tail);
}

void ZKT_SoftRenderSSE2_Ink(u32 *dst, s32 n, u32 c, u32 a)
{
    InkSpan(dst, n, c, a);
}

// Opacity a (per pixel, one per 32-bit lane) as 16-bit lanes for the low
// and the high two pixels.
static inline void Spread(__m128i a32, __m128i &lo, __m128i &hi)
{
    const __m128i a16 = _mm_or_si128(a32, _mm_slli_epi32(a32, 16));
    lo = _mm_unpacklo_epi32(a16, a16);
    hi = _mm_unpackhi_epi32(a16, a16);
}

// Colours c at opacities a32 over old; per pixel: c where old is
// unwritten, the blend where it is written.
static inline __m128i Over(__m128i old, __m128i c, __m128i a32)
{
    const __m128i z = _mm_setzero_si128();
    __m128i al, ah, il, ih;
    Spread(a32, al, ah);
    Spread(_mm_sub_epi32(_mm_set1_epi32(15), a32), il, ih);
    const __m128i cwl = _mm_mullo_epi16(_mm_unpacklo_epi8(c, z), al);
    const __m128i cwh = _mm_mullo_epi16(_mm_unpackhi_epi8(c, z), ah);
    const __m128i b = _mm_or_si128(Blend15(old, il, ih, cwl, cwh), Written());
    return Select(WrittenMask(old), b, _mm_or_si128(c, Written()));
}

void ZKT_SoftRenderSSE2_Palette8(u32 *dst, const u8 *src, s32 n, const PxPalette &t)
{
    s32 i = 0;
    for (; i + 4 <= n; i += 4) {
        const u32 v0 = src[i], v1 = src[i + 1], v2 = src[i + 2], v3 = src[i + 3];
        const __m128i e = _mm_set_epi32((int)t.packed[v3], (int)t.packed[v2], (int)t.packed[v1], (int)t.packed[v0]);
        const __m128i a = _mm_and_si128(_mm_srli_epi32(e, 24), _mm_set1_epi32(15));
        const __m128i old = Load(dst + i);
        const __m128i rgb = _mm_and_si128(e, _mm_set1_epi32(ZKT_PX_RGB));
        // Keyed values (bit 28 clear) leave the pixel.
        Store(dst + i, Select(WrittenMask(_mm_slli_epi32(e, 3)), Over(old, rgb, a), old));
    }
    if (i < n)
        ZKT_SoftRenderScalar_Palette8(dst + i, src + i, n - i, t);
}

void ZKT_SoftRenderSSE2_Colour(u32 *p, s32 n, const PxColour &t)
{
    const s32 *luma = t.luma;
    const uint64_t *chroma = t.chroma;
    const u32 bg = t.bg;
    const __m128i bgv = _mm_set1_epi32((int)bg), m21 = _mm_set1_epi32(0x1FFFFF);
    s32 i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i v = Load(p + i);
        const __m128i wm = WrittenMask(v);
        if (_mm_movemask_epi8(wm) == 0) {
            Store(p + i, bgv);
            continue;
        }
        const u32 *q = p + i;
        const __m128i l = _mm_set_epi32(luma[q[3] & 0xFF], luma[q[2] & 0xFF], luma[q[1] & 0xFF], luma[q[0] & 0xFF]);
        const uint64_t c0 = chroma[(q[0] >> 8) & 0xFFFF], c1 = chroma[(q[1] >> 8) & 0xFFFF],
                       c2 = chroma[(q[2] >> 8) & 0xFFFF], c3 = chroma[(q[3] >> 8) & 0xFFFF];
        // The three 21-bit terms of four pixels: low words give blue and
        // part of green, high words the rest of green and red.
        const __m128i lo = _mm_set_epi32((int)(u32)c3, (int)(u32)c2, (int)(u32)c1, (int)(u32)c0);
        const __m128i hi =
            _mm_set_epi32((int)(u32)(c3 >> 32), (int)(u32)(c2 >> 32), (int)(u32)(c1 >> 32), (int)(u32)(c0 >> 32));
        const __m128i tb = _mm_and_si128(lo, m21);
        const __m128i tg = _mm_and_si128(_mm_or_si128(_mm_srli_epi32(lo, 21), _mm_slli_epi32(hi, 11)), m21);
        const __m128i tr = _mm_srli_epi32(hi, 10);
        const __m128i b = _mm_srai_epi32(_mm_add_epi32(l, tb), 8);
        const __m128i g = _mm_srai_epi32(_mm_add_epi32(l, tg), 8);
        const __m128i r = _mm_srai_epi32(_mm_add_epi32(l, tr), 8);
        // Clamp through the saturating packs: bytes b0..b3 r0..r3 g0..g3.
        const __m128i u8s = _mm_packus_epi16(_mm_packs_epi32(b, r), _mm_packs_epi32(g, _mm_setzero_si128()));
        const __m128i bg16 = _mm_unpacklo_epi8(u8s, _mm_srli_si128(u8s, 8)); // b g pairs, then r 0
        const __m128i px = _mm_unpacklo_epi16(bg16, _mm_srli_si128(bg16, 8));
        Store(p + i, Select(wm, _mm_or_si128(px, Written()), bgv));
    }
    if (i < n)
        ZKT_SoftRenderScalar_Colour(p + i, n - i, t);
}

// Colours c over four pixels old at opacity a (ia = 15 - a, av = a in
// every word); keyed colours (km) leave written pixels.
static inline __m128i RGBStep(__m128i old, __m128i c, u32 a, __m128i ia, __m128i av, __m128i km)
{
    const __m128i wm = WrittenMask(old), z = _mm_setzero_si128();
    const __m128i cw = _mm_or_si128(c, Written());
    __m128i over; // what a written, unkeyed pixel becomes
    if (a == 15)
        over = cw;
    else if (a == 0)
        over = old;
    else
        over = _mm_or_si128(
            Blend15(old, ia, ia, _mm_mullo_epi16(_mm_unpacklo_epi8(c, z), av), _mm_mullo_epi16(_mm_unpackhi_epi8(c, z), av)),
            Written());
    return Select(wm, Select(km, old, over), cw);
}

void ZKT_SoftRenderSSE2_RGB(u32 *dst, const u32 *src, s32 n, u32 a, u32 bKey, u32 key)
{
    s32 i = 0;
    // The key in the colours' byte order; a key with bits above 23 never
    // matches.
    const bool keyed = bKey && !(key >> 24);
    const __m128i kv = _mm_set1_epi32((int)(((key & 0xFF) << 16) | (key & 0xFF00) | ((key >> 16) & 0xFF)));
    const __m128i ia = _mm_set1_epi16((short)(15 - a)), av = _mm_set1_epi16((short)a), z = _mm_setzero_si128();
    for (; i + 4 <= n; i += 4) {
        const __m128i c = Load(src + i);
        Store(dst + i, RGBStep(Load(dst + i), c, a, ia, av, keyed ? _mm_cmpeq_epi32(c, kv) : z));
    }
    if (i < n)
        ZKT_SoftRenderScalar_RGB(dst + i, src + i, n - i, a, bKey, key);
}

void ZKT_SoftRenderSSE2_RGB565Over(u32 *dst, const u8 *src, s32 n, u32 a, u32 bKey, u32 key)
{
    s32 i = 0;
    const bool keyed = bKey && !(key >> 24);
    const __m128i kv = _mm_set1_epi32((int)(((key & 0xFF) << 16) | (key & 0xFF00) | ((key >> 16) & 0xFF)));
    const __m128i ia = _mm_set1_epi16((short)(15 - a)), av = _mm_set1_epi16((short)a), z = _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128((const __m128i *)(src + 2 * i));
        const __m128i c0 = From565(_mm_unpacklo_epi16(v, z)), c1 = From565(_mm_unpackhi_epi16(v, z));
        Store(dst + i, RGBStep(Load(dst + i), c0, a, ia, av, keyed ? _mm_cmpeq_epi32(c0, kv) : z));
        Store(dst + i + 4, RGBStep(Load(dst + i + 4), c1, a, ia, av, keyed ? _mm_cmpeq_epi32(c1, kv) : z));
    }
    if (i < n)
        ZKT_SoftRenderScalar_RGB565Over(dst + i, src + 2 * i, n - i, a, bKey, key);
}

void ZKT_SoftRenderSSE2_Pack(u8 *dst, const u32 *src, s32 n)
{
    // Four-byte stores three bytes apart, each overwriting the flag byte
    // the one before left; the last pixel goes byte by byte.
    s32 i = 0;
    for (; i + 1 < n; i++)
        memcpy(dst + i * 3, src + i, 4);
    if (i < n)
        ZKT_SoftRenderScalar_Pack(dst + i * 3, src + i, n - i);
}

// Look-ups bound: each pixel goes straight from the tables to the packed
// picture, as in ZKT_SoftRenderSSE2_Pack. A channel whose table changes
// nothing (SAME0 to SAME2) keeps its byte without a look-up.
template <bool SAME0, bool SAME1, bool SAME2>
static void GammaPackLine(u8 *dst, const u32 *p, s32 n, const PxGamma &g)
{
    const u32 *l0 = g.lut[0], *l1 = g.lut[1], *l2 = g.lut[2];
    s32 i = 0;
#pragma GCC unroll 4
    for (; i + 1 < n; i++) {
        u32 v = p[i];
        if (v >> 24)
            v = (SAME0 ? v & 0xFF : l0[v & 0xFF]) | (SAME1 ? v & 0xFF00 : l1[(v >> 8) & 0xFF]) |
                (SAME2 ? v & 0xFF0000 : l2[(v >> 16) & 0xFF]);
        memcpy(dst + i * 3, &v, 4);
    }
    if (i < n)
        ZKT_SoftRenderScalar_GammaPack(dst + i * 3, p + i, n - i, g);
}

void ZKT_SoftRenderSSE2_GammaPack(u8 *dst, const u32 *p, s32 n, const PxGamma &g)
{
    static void (*const s_line[8])(u8 *, const u32 *, s32, const PxGamma &) = {
        GammaPackLine<false, false, false>, GammaPackLine<true, false, false>, GammaPackLine<false, true, false>,
        GammaPackLine<true, true, false>,   GammaPackLine<false, false, true>, GammaPackLine<true, false, true>,
        GammaPackLine<false, true, true>,   GammaPackLine<true, true, true>};
    s_line[g.same[0] | g.same[1] << 1 | g.same[2] << 2](dst, p, n, g);
}

struct InkRun {
    __attribute__((always_inline)) void operator()(u32 *dst, s32 n, const PxInk &k) const
    {
        InkSpan(dst, n, k.colour, PxInkAlpha(k));
    }
};

static bool SPULine(u32 *row, int64_t &q, const PxSPULine &L)
{
    return PxSPULineDraw(row, q, L, InkRun());
}

static bool OSDRunLine(u32 *row, PxOSDRuns &s, s32 first, s32 last, s32 visEnd, const PxPalette &t)
{
    return PxOSDRunLineDraw(row, s, first, last, visEnd, t, InkRun());
}

const SoftRenderKernels g_softRenderSSE2 = {
    "sse2",
    ZKT_SoftRenderSSE2_Fill,
    ZKT_SoftRenderSSE2_YUVCopy,
    ZKT_SoftRenderSSE2_YUVCopyMirror,
    ZKT_SoftRenderScalar_YUVGather, // byte loads either way
    ZKT_SoftRenderSSE2_Ink,
    ZKT_SoftRenderSSE2_Palette8,
    ZKT_SoftRenderSSE2_Colour,
    ZKT_SoftRenderSSE2_RGB565,
    ZKT_SoftRenderSSE2_RGB565Double,
    ZKT_SoftRenderScalar_Widen, // look-ups only
    ZKT_SoftRenderSSE2_RGB,
    ZKT_SoftRenderSSE2_RGB565Over,
    ZKT_SoftRenderScalar_Gamma, // look-ups only
    ZKT_SoftRenderSSE2_Pack,
    ZKT_SoftRenderSSE2_GammaPack,
    ZKT_SoftRenderScalar_Cursor, // four selects a pixel need byte shuffles SSE2 lacks
    SPULine,
    OSDRunLine,
};

#endif
