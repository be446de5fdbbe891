// The span kernels eight pixels at a time with AVX2, for processors that
// have it. Only this file is built for AVX2, and it defines nothing but
// its own kernels: every header comes in before the target switch, so no
// shared inline function is compiled with instructions an older processor
// lacks. The one after it, the line templates, has internal linkage: this
// file's copy is its own.
#include <cstring>

#include "lowlevel/desktop/zkt_softrender_px.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#pragma GCC push_options
#pragma GCC target("avx2")

#include "lowlevel/desktop/zkt_softrender_lines.h"

namespace {

inline __m256i Load(const u32 *p)
{
    return _mm256_loadu_si256((const __m256i *)p);
}

inline void Store(u32 *p, __m256i v)
{
    _mm256_storeu_si256((__m256i *)p, v);
}

inline __m256i Written()
{
    return _mm256_set1_epi32((int)ZKT_PX_WRITTEN);
}

inline __m256i WrittenMask(__m256i v)
{
    return _mm256_srai_epi32(v, 31);
}

inline __m256i Select(__m256i mask, __m256i a, __m256i b)
{
    return _mm256_blendv_epi8(b, a, mask);
}

// a where v's pixel is written (flag byte 0xFF), else b: one instruction
// on the flag's top bit.
inline __m256i IfWritten(__m256i v, __m256i a, __m256i b)
{
    return _mm256_castps_si256(
        _mm256_blendv_ps(_mm256_castsi256_ps(b), _mm256_castsi256_ps(a), _mm256_castsi256_ps(v)));
}

// (old x ia + cw) / 15 per byte for eight pixels; ia and cw per 16-bit
// lane, low (l) and high (h) halves of each 128-bit lane as unpacked.
inline __m256i Blend15(__m256i old, __m256i ial, __m256i iah, __m256i cwl, __m256i cwh)
{
    const __m256i z = _mm256_setzero_si256(), k = _mm256_set1_epi16(4370);
    __m256i lo = _mm256_unpacklo_epi8(old, z), hi = _mm256_unpackhi_epi8(old, z);
    lo = _mm256_mulhi_epu16(_mm256_add_epi16(_mm256_mullo_epi16(lo, ial), cwl), k);
    hi = _mm256_mulhi_epu16(_mm256_add_epi16(_mm256_mullo_epi16(hi, iah), cwh), k);
    return _mm256_and_si256(_mm256_packus_epi16(lo, hi), _mm256_set1_epi32(ZKT_PX_RGB));
}

void Fill(u32 *dst, s32 n, u32 v)
{
    const __m256i x = _mm256_set1_epi32((int)v);
    s32 i = 0;
    for (; i + 8 <= n; i += 8)
        Store(dst + i, x);
    if (i < n)
        ZKT_SoftRenderScalar_Fill(dst + i, n - i, v);
}

// Per 128-bit lane, four pixels from the eight bytes Y0 Cb Y1 Cr Y2 Cb Y3
// Cr in its low half, in the order the indices give; the flag byte is
// or-ed in.
inline void YUVPixels(u32 *dst, __m256i q, __m256i order)
{
    Store(dst, _mm256_or_si256(_mm256_shuffle_epi8(q, order), Written()));
}

void YUVCopy(u32 *dst, const u8 *src, s32 n)
{
    const __m256i order = _mm256_setr_epi8(0, 1, 3, -1, 2, 1, 3, -1, 4, 5, 7, -1, 6, 5, 7, -1, 0, 1, 3, -1, 2, 1, 3,
                                           -1, 4, 5, 7, -1, 6, 5, 7, -1);
    s32 i = 0;
    for (; i + 16 <= n; i += 16) {
        // Sixteen pixels from 64-bit pieces q0 to q3: q0 and q1, then q2
        // and q3, one to a lane.
        const __m256i w = _mm256_loadu_si256((const __m256i *)(src + i * 2));
        YUVPixels(dst + i, _mm256_permute4x64_epi64(w, 0x50), order);
        YUVPixels(dst + i + 8, _mm256_permute4x64_epi64(w, 0xFA), order);
    }
    if (i < n)
        ZKT_SoftRenderSSE2_YUVCopy(dst + i, src + i * 2, n - i);
}

void YUVCopyMirror(u32 *dst, const u8 *src, s32 n)
{
    // Each piece's pixels backwards: the second luma of its upper pair
    // first.
    const __m256i order = _mm256_setr_epi8(6, 5, 7, -1, 4, 5, 7, -1, 2, 1, 3, -1, 0, 1, 3, -1, 6, 5, 7, -1, 4, 5, 7,
                                           -1, 2, 1, 3, -1, 0, 1, 3, -1);
    s32 i = 0;
    for (; i + 16 <= n; i += 16) {
        // Pairs -(i / 2 + 7) to -(i / 2): pieces q3 and q2, then q1 and q0.
        const __m256i w = _mm256_loadu_si256((const __m256i *)(src - (i / 2 + 7) * 4));
        YUVPixels(dst + i, _mm256_permute4x64_epi64(w, 0xAF), order);
        YUVPixels(dst + i + 8, _mm256_permute4x64_epi64(w, 0x05), order);
    }
    if (i < n)
        ZKT_SoftRenderSSE2_YUVCopyMirror(dst + i, src - (i / 2) * 4, n - i);
}

// Eight RGB565 values as colours.
inline __m256i From565(const u8 *src)
{
    const __m256i x = _mm256_cvtepu16_epi32(_mm_loadu_si128((const __m128i *)src));
    return _mm256_or_si256(_mm256_or_si256(_mm256_and_si256(_mm256_slli_epi32(x, 3), _mm256_set1_epi32(0xF8)),
                                           _mm256_and_si256(_mm256_slli_epi32(x, 5), _mm256_set1_epi32(0xFC00))),
                           _mm256_and_si256(_mm256_slli_epi32(x, 8), _mm256_set1_epi32(0xF80000)));
}

void RGB565(u32 *dst, const u8 *src, s32 n)
{
    s32 i = 0;
    for (; i + 8 <= n; i += 8)
        Store(dst + i, From565(src + 2 * i));
    if (i < n)
        ZKT_SoftRenderScalar_RGB565(dst + i, src + 2 * i, n - i);
}

void RGB565Double(u32 *dst, const u8 *src, s32 n)
{
    s32 i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i c = From565(src + i);
        const __m256i lo = _mm256_unpacklo_epi32(c, c), hi = _mm256_unpackhi_epi32(c, c);
        Store(dst + i, _mm256_permute2x128_si256(lo, hi, 0x20));
        Store(dst + i + 8, _mm256_permute2x128_si256(lo, hi, 0x31));
    }
    if (i < n)
        ZKT_SoftRenderSSE2_RGB565Double(dst + i, src + i, n - i);
}

void Widen(u32 *dst, const u32 *src, const s32 *idx, s32 base, s32 n)
{
    // Eight outputs come from at most eight neighbouring sources.
    s32 i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i ix = _mm256_sub_epi32(Load((const u32 *)idx + i), _mm256_set1_epi32(idx[i]));
        Store(dst + i, _mm256_permutevar8x32_epi32(Load(src + idx[i] - base), ix));
    }
    if (i < n)
        ZKT_SoftRenderScalar_Widen(dst + i, src, idx + i, base, n - i);
}

// Colour c (flag byte set) over eight pixels at the opacity whose byte
// weights (15 - a, a) w holds.
// An unwritten pixel blends as c over c, which is c exactly, and the flag
// bytes (0xFF over 0xFF) blend to 0xFF: no masking after the blend.
inline __m256i InkStep(__m256i old, __m256i c, __m256i w)
{
    const __m256i k = _mm256_set1_epi16(4370);
    old = IfWritten(old, old, c);
    const __m256i lo = _mm256_mulhi_epu16(_mm256_maddubs_epi16(_mm256_unpacklo_epi8(old, c), w), k);
    const __m256i hi = _mm256_mulhi_epu16(_mm256_maddubs_epi16(_mm256_unpackhi_epi8(old, c), w), k);
    return _mm256_packus_epi16(lo, hi);
}

// InkStep on four pixels.
inline __m128i InkStep4(__m128i old, __m128i c, __m128i w)
{
    const __m128i k = _mm_set1_epi16(4370);
    old = _mm_blendv_epi8(c, old, _mm_srai_epi32(old, 31));
    const __m128i lo = _mm_mulhi_epu16(_mm_maddubs_epi16(_mm_unpacklo_epi8(old, c), w), k);
    const __m128i hi = _mm_mulhi_epu16(_mm_maddubs_epi16(_mm_unpackhi_epi8(old, c), w), k);
    return _mm_packus_epi16(lo, hi);
}

// Colour c (flag byte set) at the byte weights w (see PxInk). Runs of up
// to sixteen pixels, the most common, are two overlapping groups worked
// out before either is stored, without a loop.
// The words are broadcast straight from the ink's memory.
__attribute__((always_inline)) inline void InkSpan(u32 *dst, s32 n, const PxInk &k)
{
    const u32 w = k.w;
    if (n < 8) {
        const __m128i cv = _mm_castps_si128(_mm_broadcast_ss((const float *)&k.colour));
        const __m128i wv = _mm_castps_si128(_mm_broadcast_ss((const float *)&k.w));
        if (n >= 4) {
            const __m128i a = InkStep4(_mm_loadu_si128((const __m128i *)dst), cv, wv);
            const __m128i b = InkStep4(_mm_loadu_si128((const __m128i *)(dst + n - 4)), cv, wv);
            _mm_storeu_si128((__m128i *)dst, a);
            _mm_storeu_si128((__m128i *)(dst + n - 4), b);
            return;
        }
        for (s32 i = 0; i < n; i++)
            dst[i] = (u32)_mm_cvtsi128_si32(InkStep4(_mm_cvtsi32_si128((int)dst[i]), cv, wv));
        return;
    }
    const __m256i cv = _mm256_castps_si256(_mm256_broadcast_ss((const float *)&k.colour));
    s32 i = 0;
    if (w == PxInkWeights(15)) {
        Store(dst, cv);
        for (i = 8; i + 8 < n; i += 8)
            Store(dst + i, cv);
        Store(dst + n - 8, cv);
        return;
    }
    if (w == PxInkWeights(0)) {
        // Only unwritten pixels change: transparent runs are often long.
        for (; i < n; i += 8) {
            u32 *p = i + 8 <= n ? dst + i : dst + n - 8;
            const __m256i old = Load(p), wm = WrittenMask(old);
            if (!_mm256_testc_si256(wm, _mm256_set1_epi32(-1)))
                Store(p, Select(wm, old, cv));
        }
        return;
    }
    // The last eight pixels end the span. They are worked out before any
    // store, from the pixels as they were, so where they overlap the last
    // whole group they store the same values again.
    const __m256i wv = _mm256_castps_si256(_mm256_broadcast_ss((const float *)&k.w));
    const __m256i head = InkStep(Load(dst), cv, wv), tail = InkStep(Load(dst + n - 8), cv, wv);
    Store(dst, head);
    if (n > 16) {
        // Runs of up to 24 pixels without a loop as well.
        Store(dst + 8, InkStep(Load(dst + 8), cv, wv));
        for (i = 16; i + 8 < n; i += 8)
            Store(dst + i, InkStep(Load(dst + i), cv, wv));
    }
    Store(dst + n - 8, tail);
}

void Ink(u32 *dst, s32 n, u32 c, u32 a)
{
    InkSpan(dst, n, PxInk{(c & ZKT_PX_RGB) | ZKT_PX_WRITTEN, PxInkWeights(a)});
}

// The spans inline: SPU and OSD run-length lines are many short runs.
struct InkRun {
    __attribute__((always_inline)) void operator()(u32 *dst, s32 n, const PxInk &k) const
    {
        InkSpan(dst, n, k);
    }
};

bool SPULine(u32 *row, int64_t &q, const PxSPULine &L)
{
    return PxSPULineDraw(row, q, L, InkRun());
}

bool OSDRunLine(u32 *row, PxOSDRuns &s, s32 first, s32 last, s32 visEnd, const PxPalette &t)
{
    return PxOSDRunLineDraw(row, s, first, last, visEnd, t, InkRun());
}

// Two palette entries, colour words low, weights high.
inline __m128i Entries(const PxPalette &t, u32 v0, u32 v1)
{
    long long e1;
    memcpy(&e1, &t.ink[v1], 8);
    return _mm_insert_epi64(_mm_loadl_epi64((const __m128i *)(t.ink + v0)), e1, 1);
}

// Plain look-ups beat a gather here; the blend is a multiply-add of
// (old, new) byte pairs with per-pixel weights. Without keyed values
// every pixel takes the blend.
template <bool KEYED>
__attribute__((always_inline)) inline s32 Palette8Groups(u32 *dst, const u8 *src, s32 n, const PxPalette &t)
{
    const __m256i k = _mm256_set1_epi16(4370);
    s32 i = 0;
    for (; i + 8 <= n; i += 8) {
        const u8 *v = src + i;
        // Pixels 0, 1, 4, 5 and 2, 3, 6, 7, so that taking the even and the
        // odd words of both gives colours and weights in pixel order.
        const __m256i e0 = _mm256_inserti128_si256(_mm256_castsi128_si256(Entries(t, v[0], v[1])),
                                                   Entries(t, v[4], v[5]), 1);
        const __m256i e1 = _mm256_inserti128_si256(_mm256_castsi128_si256(Entries(t, v[2], v[3])),
                                                   Entries(t, v[6], v[7]), 1);
        const __m256i c = _mm256_castps_si256(
            _mm256_shuffle_ps(_mm256_castsi256_ps(e0), _mm256_castsi256_ps(e1), 0x88));
        const __m256i w = _mm256_castps_si256(
            _mm256_shuffle_ps(_mm256_castsi256_ps(e0), _mm256_castsi256_ps(e1), 0xDD));
        const __m256i old = Load(dst + i);
        // Unwritten pixels blend as c over c (see InkStep); keyed values
        // (flag byte 0) leave the pixel.
        const __m256i o = IfWritten(old, old, c);
        const __m256i lo =
            _mm256_mulhi_epu16(_mm256_maddubs_epi16(_mm256_unpacklo_epi8(o, c), _mm256_unpacklo_epi32(w, w)), k);
        const __m256i hi =
            _mm256_mulhi_epu16(_mm256_maddubs_epi16(_mm256_unpackhi_epi8(o, c), _mm256_unpackhi_epi32(w, w)), k);
        const __m256i b = _mm256_packus_epi16(lo, hi);
        Store(dst + i, KEYED ? IfWritten(c, b, old) : b);
    }
    return i;
}

void Palette8(u32 *dst, const u8 *src, s32 n, const PxPalette &t)
{
    const s32 i = t.keyed ? Palette8Groups<true>(dst, src, n, t) : Palette8Groups<false>(dst, src, n, t);
    if (i < n)
        ZKT_SoftRenderSSE2_Palette8(dst + i, src + i, n - i, t);
}

// An unwritten pixel is replaced, which is the colour blended over
// itself: that gives the colour and the written flag exactly, so the
// blend needs no masking after it. A keyed colour leaves written pixels.
// A: the opacity when 0 or 15, any other value for the rest (their
// weights in w).
template <bool KEYED, u32 A>
__attribute__((always_inline)) inline __m256i RGBStep(__m256i old, __m256i c, __m256i w, __m256i kv)
{
    const __m256i cw = _mm256_or_si256(c, Written());
    const __m256i o = IfWritten(old, old, cw);
    __m256i over = o;
    if (A == 15) {
        over = cw;
    } else if (A) {
        const __m256i k = _mm256_set1_epi16(4370);
        const __m256i lo = _mm256_mulhi_epu16(_mm256_maddubs_epi16(_mm256_unpacklo_epi8(o, cw), w), k);
        const __m256i hi = _mm256_mulhi_epu16(_mm256_maddubs_epi16(_mm256_unpackhi_epi8(o, cw), w), k);
        over = _mm256_packus_epi16(lo, hi);
    }
    return KEYED ? Select(_mm256_cmpeq_epi32(c, kv), o, over) : over;
}

template <bool KEYED, u32 A>
void RGBSpan(u32 *dst, const u32 *src, s32 n, __m256i w, __m256i kv)
{
    // The last eight pixels end the span, worked out first, as in Ink.
    const __m256i tail = RGBStep<KEYED, A>(Load(dst + n - 8), Load(src + n - 8), w, kv);
    s32 i = 0;
    for (; i + 8 <= n; i += 8)
        Store(dst + i, RGBStep<KEYED, A>(Load(dst + i), Load(src + i), w, kv));
    if (i < n)
        Store(dst + n - 8, tail);
}

// A span kernel for each key use and opacity kind, picked once per span.
// Byte pairs (old, new) times (15 - a, a) in one multiply-add.
template <template <bool, u32> class SPAN, typename SRC>
inline void RGBPick(u32 *dst, SRC src, s32 n, u32 a, u32 bKey, u32 key)
{
    const __m256i w = _mm256_set1_epi16((short)((15 - a) | a << 8));
    // A key with bits above 23 never matches.
    const __m256i kv = _mm256_set1_epi32((int)(((key & 0xFF) << 16) | (key & 0xFF00) | ((key >> 16) & 0xFF)));
    if (bKey && !(key >> 24))
        a == 15 ? SPAN<true, 15>::Run(dst, src, n, w, kv)
        : a     ? SPAN<true, 1>::Run(dst, src, n, w, kv)
                : SPAN<true, 0>::Run(dst, src, n, w, kv);
    else
        a == 15 ? SPAN<false, 15>::Run(dst, src, n, w, kv)
        : a     ? SPAN<false, 1>::Run(dst, src, n, w, kv)
                : SPAN<false, 0>::Run(dst, src, n, w, kv);
}

template <bool KEYED, u32 A>
struct RGBColours {
    static void Run(u32 *dst, const u32 *src, s32 n, __m256i w, __m256i kv) { RGBSpan<KEYED, A>(dst, src, n, w, kv); }
};

void RGB(u32 *dst, const u32 *src, s32 n, u32 a, u32 bKey, u32 key)
{
    if (n < 8) {
        ZKT_SoftRenderSSE2_RGB(dst, src, n, a, bKey, key);
        return;
    }
    RGBPick<RGBColours>(dst, src, n, a, bKey, key);
}

// Sixteen RGB565 values as colours, pixels 0-7 in c0 and 8-15 in c1: in
// 16-bit lanes, blue and green then red, paired up.
inline void From565x16(const u8 *src, __m256i &c0, __m256i &c1)
{
    // 64-bit pieces 0, 2, 1, 3, so that the in-lane unpacks give pixel order.
    const __m256i v = _mm256_permute4x64_epi64(_mm256_loadu_si256((const __m256i *)src), 0xD8);
    const __m256i bg = _mm256_or_si256(_mm256_and_si256(_mm256_slli_epi16(v, 3), _mm256_set1_epi16(0xF8)),
                                       _mm256_and_si256(_mm256_slli_epi16(v, 5), _mm256_set1_epi16((short)0xFC00)));
    const __m256i r = _mm256_and_si256(_mm256_srli_epi16(v, 8), _mm256_set1_epi16(0xF8));
    c0 = _mm256_unpacklo_epi16(bg, r);
    c1 = _mm256_unpackhi_epi16(bg, r);
}

template <bool KEYED, u32 A>
struct RGB565Span {
    static void Run(u32 *dst, const u8 *src, s32 n, __m256i w, __m256i kv)
    {
        // The last sixteen pixels end the span, worked out first, as in Ink.
        __m256i c0, c1;
        From565x16(src + 2 * (n - 16), c0, c1);
        const __m256i t0 = RGBStep<KEYED, A>(Load(dst + n - 16), c0, w, kv);
        const __m256i t1 = RGBStep<KEYED, A>(Load(dst + n - 8), c1, w, kv);
        s32 i = 0;
        for (; i + 16 <= n; i += 16) {
            From565x16(src + 2 * i, c0, c1);
            Store(dst + i, RGBStep<KEYED, A>(Load(dst + i), c0, w, kv));
            Store(dst + i + 8, RGBStep<KEYED, A>(Load(dst + i + 8), c1, w, kv));
        }
        if (i < n) {
            Store(dst + n - 16, t0);
            Store(dst + n - 8, t1);
        }
    }
};

void RGB565Over(u32 *dst, const u8 *src, s32 n, u32 a, u32 bKey, u32 key)
{
    if (n < 16) {
        ZKT_SoftRenderSSE2_RGB565Over(dst, src, n, a, bKey, key);
        return;
    }
    RGBPick<RGB565Span>(dst, src, n, a, bKey, key);
}

// Sixteenths of 240 blend as fifteenths: (o x 16(15 - t) + k x 16t) / 240
// is (o x (15 - t) + k x t) / 15.
void Cursor(u32 *dst, const u8 *bits, s32 n, const u32 *col, const u32 *t)
{
    const __m256i k = _mm256_set1_epi16(4370), rgb = _mm256_set1_epi32(ZKT_PX_RGB);
    const __m256i c0 = _mm256_set1_epi32((int)(col[0] & ZKT_PX_RGB)), c1 = _mm256_set1_epi32((int)(col[1] & ZKT_PX_RGB));
    const __m256i w0 = _mm256_set1_epi16((short)((15 - t[0]) | t[0] << 8));
    const __m256i w1 = _mm256_set1_epi16((short)((15 - t[1]) | t[1] << 8));
    const __m256i shifts = _mm256_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14);
    auto blend = [&](__m256i old, __m256i c, __m256i w) {
        const __m256i lo = _mm256_mulhi_epu16(_mm256_maddubs_epi16(_mm256_unpacklo_epi8(old, c), w), k);
        const __m256i hi = _mm256_mulhi_epu16(_mm256_maddubs_epi16(_mm256_unpackhi_epi8(old, c), w), k);
        return _mm256_and_si256(_mm256_packus_epi16(lo, hi), rgb);
    };
    s32 i = 0;
    for (; i + 8 <= n; i += 8) {
        const u32 b = bits[i >> 2] | bits[(i >> 2) + 1] << 8;
        const __m256i v = _mm256_and_si256(_mm256_srlv_epi32(_mm256_set1_epi32((int)b), shifts), _mm256_set1_epi32(3));
        const __m256i old = Load(dst + i);
        __m256i r = _mm256_andnot_si256(old, rgb); // 3: inverted
        r = Select(_mm256_cmpeq_epi32(v, _mm256_set1_epi32(2)), old, r);
        r = Select(_mm256_cmpeq_epi32(v, _mm256_setzero_si256()), blend(old, c0, w0), r);
        r = Select(_mm256_cmpeq_epi32(v, _mm256_set1_epi32(1)), blend(old, c1, w1), r);
        Store(dst + i, _mm256_or_si256(r, Written()));
    }
    if (i < n)
        ZKT_SoftRenderScalar_Cursor(dst + i, bits + (i >> 2), n - i, col, t);
}

// x / 64 rounded toward zero, as C divides, in 16-bit lanes.
inline __m256i Div64(__m256i x)
{
    // |-32768| is 0x8000 as an unsigned word, so it too divides right.
    return _mm256_sign_epi16(_mm256_srli_epi16(_mm256_abs_epi16(x), 6), x);
}

// One matrix factor per quadrant 0..3 as a byte shuffle: bytes 0-3 its
// low byte, 4-7 its high byte, so index k | (k + 4) << 8 gives the word.
inline __m256i FactorTable(const s32 *ab, int shift)
{
    u8 b[16] = {};
    for (int k = 0; k < 4; k++) {
        const u16 f = (u16)(ab[k] >> shift);
        b[k] = (u8)f;
        b[4 + k] = (u8)(f >> 8);
    }
    return _mm256_broadcastsi128_si256(_mm_loadu_si128((const __m128i *)b));
}

// The conversion computed rather than looked up, sixteen pixels a step:
// the numbers the tables hold, from the same integer steps, so the result
// is the same to the bit and no 512 KiB table walks through the cache.
// Everything fits 16-bit lanes: 64 (Y + brightness - 128) does, and its
// magnitude times 128 (contrast + 8) over 2^16 (one high-half multiply)
// is |Y + brightness - 128| (contrast + 8) / 8; each matrix product is at most 2^14 and their sum only reaches
// 2^15 where the result saturates (the adds saturate too). The final sums
// split off their multiples of 256: 298y + 517d is 256 (y + 2d) + 42y +
// 5d, and the remainders stay within 16 bits.
//
// The span reads its constants through a pointer the compiler cannot see
// through: known factors it would turn into shifts and adds, and known
// words it would rebuild inside the loop, both costing more than the one
// multiply or memory operand they replace. Plain words, so that nothing
// runs before a processor without AVX2 is turned away.
enum {
    CK_SPLIT, CK_LO8, CK_128, CK_112, CK_16, CK_YLO, CK_YHI, CK_DLO, CK_DHI,
    CK_42, CK_5, CK_M100, CK_48, CK_153, CK_QU, CK_QW, CK_Q4, CK_COUNT
};

struct ColourConsts {
    alignas(32) u16 w[CK_COUNT][16];
};

constexpr ColourConsts MakeColourConsts()
{
    // Per four pixels: their lumas as words, then their (Cb, Cr) words
    // (byte indices in pairs; 0xFF gives a zero byte).
    const u16 split[8] = {0xFF00, 0xFF04, 0xFF08, 0xFF0C, 0x0201, 0x0605, 0x0A09, 0x0E0D};
    const u16 v[CK_COUNT] = {0,  0xFF, 128, 112, 16, (u16)-16, 239, (u16)-128, 127, 42, 5, (u16)-100, 48, 153,
                             0x0101, 0x0303, 0x0400};
    ColourConsts c{};
    for (int k = 0; k < CK_COUNT; k++)
        for (int i = 0; i < 16; i++)
            c.w[k][i] = k == CK_SPLIT ? split[i % 8] : v[k];
    return c;
}

constexpr ColourConsts s_colourConsts = MakeColourConsts();

// The settings' words, made per span; the constants by reference.
struct ColourRule {
    __m256i bgv, bri, con, cbA, cbB, crA, crB;
    const ColourConsts *k;
    __m256i K(int i) const { return _mm256_load_si256((const __m256i *)k->w[i]); }
};

// UNIFORM: the matrix is the same in all four quadrants, so no factor
// needs picking: the factors are plain words. PLAIN: brightness and
// contrast 0, which leave the luma as it is.
template <bool UNIFORM>
inline __m256i Factor(const s32 *ab, int shift)
{
    return UNIFORM ? _mm256_set1_epi16((short)(ab[0] >> shift)) : FactorTable(ab, shift);
}

template <bool UNIFORM>
inline void ColourSetUp(ColourRule &c, const PxColour &t)
{
    c.bgv = _mm256_set1_epi32((int)t.bg);
    // Brightness -128 to 127, contrast 0 to 255.
    c.bri = _mm256_set1_epi16((short)((t.brightness - 128) * 64));
    c.con = _mm256_set1_epi16((short)((t.contrast + 8) << 7));
    c.cbA = Factor<UNIFORM>(t.cbAB, 0);
    c.cbB = Factor<UNIFORM>(t.cbAB, 16);
    c.crA = Factor<UNIFORM>(t.crAB, 0);
    c.crB = Factor<UNIFORM>(t.crAB, 16);
    c.k = &s_colourConsts;
    __asm__("" : "+r"(c.k));
}

inline __m256i Clamp16(__m256i x, __m256i lo, __m256i hi)
{
    return _mm256_min_epi16(_mm256_max_epi16(x, lo), hi);
}

// Sixteen pixels converted as if all were written (flag byte 0xFF).
template <bool UNIFORM, bool PLAIN>
__attribute__((always_inline)) inline void ColourStep(const ColourRule &c, __m256i v0, __m256i v1, __m256i &o0,
                                                      __m256i &o1)
{
    // Words in the order the packs below keep: per 128-bit lane, four
    // pixels of v0 then four of v1.
    const __m256i s0 = _mm256_shuffle_epi8(v0, c.K(CK_SPLIT)), s1 = _mm256_shuffle_epi8(v1, c.K(CK_SPLIT));
    const __m256i yw = _mm256_unpacklo_epi64(s0, s1), cw = _mm256_unpackhi_epi64(s0, s1);
    const __m256i u = _mm256_sub_epi16(_mm256_and_si256(cw, c.K(CK_LO8)), c.K(CK_128));
    const __m256i w = _mm256_sub_epi16(_mm256_srli_epi16(cw, 8), c.K(CK_128));
    // Y' - 16 = clamp((Y + brightness - 128) (contrast + 8) / 8 + 128) - 16.
    __m256i y;
    if (PLAIN) {
        y = _mm256_sub_epi16(yw, c.K(CK_16));
    } else {
        const __m256i ty = _mm256_add_epi16(_mm256_slli_epi16(yw, 6), c.bri);
        const __m256i q = _mm256_mulhi_epu16(_mm256_abs_epi16(ty), c.con);
        y = Clamp16(_mm256_add_epi16(_mm256_sign_epi16(q, ty), c.K(CK_112)), c.K(CK_YLO), c.K(CK_YHI));
    }
    __m256i fcbA = c.cbA, fcbB = c.cbB, fcrA = c.crA, fcrB = c.crB;
    if (!UNIFORM) {
        // Quadrant k = 0..3 from the signs of u and w picks the factors.
        const __m256i mu = _mm256_srai_epi16(u, 15), mw = _mm256_srai_epi16(w, 15);
        const __m256i k = _mm256_xor_si256(
            _mm256_xor_si256(_mm256_and_si256(mu, c.K(CK_QU)), _mm256_and_si256(mw, c.K(CK_QW))), c.K(CK_Q4));
        fcbA = _mm256_shuffle_epi8(fcbA, k);
        fcbB = _mm256_shuffle_epi8(fcbB, k);
        fcrA = _mm256_shuffle_epi8(fcrA, k);
        fcrB = _mm256_shuffle_epi8(fcrB, k);
    }
    const __m256i d0 = _mm256_adds_epi16(_mm256_mullo_epi16(u, fcbA), _mm256_mullo_epi16(w, fcbB));
    const __m256i e0 = _mm256_adds_epi16(_mm256_mullo_epi16(u, fcrA), _mm256_mullo_epi16(w, fcrB));
    const __m256i d = Clamp16(Div64(d0), c.K(CK_DLO), c.K(CK_DHI)), e = Clamp16(Div64(e0), c.K(CK_DLO), c.K(CK_DHI));
    const __m256i y42 = _mm256_mullo_epi16(y, c.K(CK_42));
    // Blue 298y + 517d, green 298y - 100d - 208e, red 298y + 409e, / 256.
    const __m256i b = _mm256_add_epi16(_mm256_add_epi16(y, _mm256_add_epi16(d, d)),
                                       _mm256_srai_epi16(_mm256_add_epi16(y42, _mm256_mullo_epi16(d, c.K(CK_5))), 8));
    const __m256i gl = _mm256_add_epi16(_mm256_mullo_epi16(d, c.K(CK_M100)), _mm256_mullo_epi16(e, c.K(CK_48)));
    const __m256i g = _mm256_add_epi16(_mm256_sub_epi16(y, e), _mm256_srai_epi16(_mm256_add_epi16(y42, gl), 8));
    const __m256i r = _mm256_add_epi16(_mm256_add_epi16(y, e),
                                       _mm256_srai_epi16(_mm256_add_epi16(y42, _mm256_mullo_epi16(e, c.K(CK_153))), 8));
    // The saturating packs clamp to 0..255; the unpacks put blue, green,
    // red and the flag back in pixel order, v0's then v1's.
    const __m256i br = _mm256_packus_epi16(b, r), gf = _mm256_packus_epi16(g, c.K(CK_LO8));
    const __m256i bg = _mm256_unpacklo_epi8(br, gf), rf = _mm256_unpackhi_epi8(br, gf);
    o0 = _mm256_unpacklo_epi16(bg, rf);
    o1 = _mm256_unpackhi_epi16(bg, rf);
}

// The same for pixels of any flags: unwritten ones become the background.
template <bool UNIFORM, bool PLAIN>
__attribute__((always_inline)) inline void ColourStepAny(const ColourRule &c, __m256i v0, __m256i v1, __m256i &o0,
                                                         __m256i &o1)
{
    ColourStep<UNIFORM, PLAIN>(c, v0, v1, o0, o1);
    o0 = IfWritten(v0, o0, c.bgv);
    o1 = IfWritten(v1, o1, c.bgv);
}

template <bool UNIFORM, bool PLAIN>
void ColourSpan(u32 *p, s32 n, const PxColour &t)
{
    ColourRule c;
    ColourSetUp<UNIFORM>(c, t);
    // The last sixteen pixels end the span, worked out before any store
    // from the pixels as they were, as in Ink.
    __m256i t0 = c.bgv, t1 = c.bgv;
    if (n & 15)
        ColourStepAny<UNIFORM, PLAIN>(c, Load(p + n - 16), Load(p + n - 8), t0, t1);
    s32 i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i v0 = Load(p + i), v1 = Load(p + i + 8);
        __m256i o0, o1;
        // Most groups are written throughout, or not at all.
        if (_mm256_testc_si256(_mm256_and_si256(v0, v1), Written())) {
            ColourStep<UNIFORM, PLAIN>(c, v0, v1, o0, o1);
        } else if (_mm256_testz_si256(_mm256_or_si256(v0, v1), Written())) {
            o0 = o1 = c.bgv;
        } else {
            ColourStepAny<UNIFORM, PLAIN>(c, v0, v1, o0, o1);
        }
        Store(p + i, o0);
        Store(p + i + 8, o1);
    }
    if (i < n) {
        Store(p + n - 16, t0);
        Store(p + n - 8, t1);
    }
}

void Colour(u32 *p, s32 n, const PxColour &t)
{
    if (n < 16) {
        ZKT_SoftRenderSSE2_Colour(p, n, t);
        return;
    }
    const bool uniform = t.cbAB[0] == t.cbAB[1] && t.cbAB[0] == t.cbAB[2] && t.cbAB[0] == t.cbAB[3] &&
                         t.crAB[0] == t.crAB[1] && t.crAB[0] == t.crAB[2] && t.crAB[0] == t.crAB[3];
    const bool plain = t.brightness == 0 && t.contrast == 0;
    if (uniform)
        plain ? ColourSpan<true, true>(p, n, t) : ColourSpan<true, false>(p, n, t);
    else
        plain ? ColourSpan<false, true>(p, n, t) : ColourSpan<false, false>(p, n, t);
}

void Pack(u8 *dst, const u32 *src, s32 n)
{
    // Twelve bytes from each four pixels; each store writes sixteen, the
    // last four overwritten by the next, so the last group goes the plain
    // way.
    const __m128i sh = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i sh2 = _mm256_broadcastsi128_si256(sh);
    s32 i = 0;
    for (; i + 12 <= n; i += 8) {
        const __m256i v = _mm256_shuffle_epi8(Load(src + i), sh2);
        _mm_storeu_si128((__m128i *)(dst + i * 3), _mm256_castsi256_si128(v));
        _mm_storeu_si128((__m128i *)(dst + i * 3 + 12), _mm256_extracti128_si256(v, 1));
    }
    if (i < n)
        ZKT_SoftRenderSSE2_Pack(dst + i * 3, src + i, n - i);
}

// b where m's byte has its top bit set, else a: the one instruction. The
// compiler makes the intrinsic a compare with 0 and a blend by its result
// wherever one mask serves several blends.
inline __m256i BlendTop(__m256i a, __m256i b, __m256i m)
{
    __m256i r;
    asm("vpblendvb %3, %2, %1, %0" : "=x"(r) : "x"(a), "x"(b), "x"(m));
    return r;
}

// Levels of 32 bytes of one channel: the low nibble looks up all sixteen
// tables, then the high nibble's bits 4, 5, 6 and 7 pick one in a tree of
// blends. A blend reads each byte's top bit; a 16-bit shift moves bit 4,
// 5 or 6 of every byte there, whatever the byte below carries into it.
__attribute__((always_inline)) inline __m256i GammaBytes(__m256i x, const u8 (*level)[32])
{
    const __m256i i = _mm256_and_si256(x, _mm256_set1_epi8(15));
    const __m256i b4 = _mm256_slli_epi16(x, 3), b5 = _mm256_slli_epi16(x, 2), b6 = _mm256_add_epi8(x, x);
    auto pick = [&](int j) {
        return BlendTop(_mm256_shuffle_epi8(Load((const u32 *)level[j]), i),
                        _mm256_shuffle_epi8(Load((const u32 *)level[j + 1]), i), b4);
    };
    auto four = [&](int j) { return BlendTop(pick(j), pick(j + 2), b5); };
    auto eight = [&](int j) { return BlendTop(four(j), four(j + 4), b6); };
    return BlendTop(eight(0), eight(8), x);
}

// Gamma by byte shuffles instead of look-ups, 32 pixels a step: the four
// registers turned into one of blues, one of greens, one of reds and one
// of flags (a 4 x 4 transpose per 128-bit lane, which undoes itself).
// Each 128-bit lane of x[k] comes out as the blues, greens, reds and flags
// of four pixels: 0-3 and 4-7 for k = 0, 8-15 for k = 1, and so on.
__attribute__((always_inline)) inline void GammaStep(const u32 *p, const PxGamma &g, __m256i x[4])
{
    const __m256i tr = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 0, 4, 8, 12, 1, 5, 9, 13,
                                        2, 6, 10, 14, 3, 7, 11, 15);
    const __m256i a = _mm256_shuffle_epi8(Load(p), tr), b = _mm256_shuffle_epi8(Load(p + 8), tr);
    const __m256i c = _mm256_shuffle_epi8(Load(p + 16), tr), d = _mm256_shuffle_epi8(Load(p + 24), tr);
    const __m256i abLo = _mm256_unpacklo_epi32(a, b), abHi = _mm256_unpackhi_epi32(a, b);
    const __m256i cdLo = _mm256_unpacklo_epi32(c, d), cdHi = _mm256_unpackhi_epi32(c, d);
    const __m256i f = _mm256_unpackhi_epi64(abHi, cdHi);
    const __m256i b0 = _mm256_unpacklo_epi64(abLo, cdLo), g0 = _mm256_unpackhi_epi64(abLo, cdLo);
    const __m256i r0 = _mm256_unpacklo_epi64(abHi, cdHi);
    // A channel whose table changes nothing is left as it is.
    __m256i bl = g.same[0] ? b0 : GammaBytes(b0, g.level[0]);
    __m256i gr = g.same[1] ? g0 : GammaBytes(g0, g.level[1]);
    __m256i rd = g.same[2] ? r0 : GammaBytes(r0, g.level[2]);
    // Only written pixels (flag byte 0xFF) change; most steps have no
    // other.
    if (!_mm256_testc_si256(f, _mm256_set1_epi8(-128))) {
        bl = BlendTop(b0, bl, f);
        gr = BlendTop(g0, gr, f);
        rd = BlendTop(r0, rd, f);
    }
    const __m256i x0 = _mm256_unpacklo_epi32(bl, gr), x1 = _mm256_unpacklo_epi32(rd, f);
    const __m256i x2 = _mm256_unpackhi_epi32(bl, gr), x3 = _mm256_unpackhi_epi32(rd, f);
    x[0] = _mm256_unpacklo_epi64(x0, x1);
    x[1] = _mm256_unpackhi_epi64(x0, x1);
    x[2] = _mm256_unpacklo_epi64(x2, x3);
    x[3] = _mm256_unpackhi_epi64(x2, x3);
}

void Gamma(u32 *p, s32 n, const PxGamma &g)
{
    if (n < 32) {
        ZKT_SoftRenderScalar_Gamma(p, n, g);
        return;
    }
    const __m256i tr = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 0, 4, 8, 12, 1, 5, 9, 13,
                                        2, 6, 10, 14, 3, 7, 11, 15);
    // The last 32 pixels end the span, worked out before any store from
    // the pixels as they were, as in Ink.
    __m256i tail[4];
    if (n & 31)
        GammaStep(p + n - 32, g, tail);
    s32 i = 0;
    for (; i + 32 <= n; i += 32) {
        __m256i x[4];
        GammaStep(p + i, g, x);
#pragma GCC unroll 4
        for (int k = 0; k < 4; k++)
            Store(p + i + 8 * k, _mm256_shuffle_epi8(x[k], tr));
    }
    if (i < n)
        for (int k = 0; k < 4; k++)
            Store(p + n - 32 + 8 * k, _mm256_shuffle_epi8(tail[k], tr));
}

// Straight from the channel registers to the packed bytes: twelve from
// each four pixels, each sixteen-byte store overwritten at its end by the
// next. At the span's end (EDGE) the last four pixels go as eight and
// four bytes, so nothing past it is touched.
template <bool EDGE>
__attribute__((always_inline)) inline void GammaPackStep(u8 *d, const u32 *p, const PxGamma &g)
{
    const __m256i pk = _mm256_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, -1, -1, -1, -1, 0, 4, 8, 1, 5, 9, 2, 6,
                                        10, 3, 7, 11, -1, -1, -1, -1);
    __m256i x[4];
    GammaStep(p, g, x);
#pragma GCC unroll 4
    for (int k = 0; k < 4; k++, d += 24) {
        const __m256i v = _mm256_shuffle_epi8(x[k], pk);
        const __m128i h = _mm256_extracti128_si256(v, 1);
        _mm_storeu_si128((__m128i *)d, _mm256_castsi256_si128(v));
        if (!EDGE || k < 3) {
            _mm_storeu_si128((__m128i *)(d + 12), h);
        } else {
            const u32 end = (u32)_mm_extract_epi32(h, 2);
            _mm_storel_epi64((__m128i *)(d + 12), h);
            memcpy(d + 20, &end, 4);
        }
    }
}

// A span's end that is not a whole step is the step ending there again.
void GammaPack(u8 *dst, const u32 *p, s32 n, const PxGamma &g)
{
    if (n < 32) {
        ZKT_SoftRenderScalar_GammaPack(dst, p, n, g);
        return;
    }
    s32 i = 0;
    for (; i + 34 <= n; i += 32)
        GammaPackStep<false>(dst + i * 3, p + i, g);
    if (i + 32 < n)
        GammaPackStep<true>(dst + i * 3, p + i, g);
    GammaPackStep<true>(dst + (n - 32) * 3, p + n - 32, g);
}

} // namespace

#pragma GCC pop_options

const SoftRenderKernels g_softRenderAVX2 = {
    "avx2",
    Fill,
    YUVCopy,
    YUVCopyMirror,
    ZKT_SoftRenderScalar_YUVGather,
    Ink,
    Palette8,
    Colour,
    RGB565,
    RGB565Double,
    Widen,
    RGB,
    RGB565Over,
    Gamma,
    Pack,
    GammaPack,
    Cursor,
    SPULine,
    OSDRunLine,
};

#endif
