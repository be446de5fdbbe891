// The span kernels eight pixels at a time with AVX2, for processors that
// have it. Only this file is built for AVX2, and it defines nothing but
// its own kernels: every header comes in before the target switch, so no
// shared inline function is compiled with instructions an older processor
// lacks.
#include <cstring>

#include "lowlevel/desktop/zkt_softrender_px.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#pragma GCC push_options
#pragma GCC target("avx2")

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

void YUVCopy(u32 *dst, const u8 *src, s32 n)
{
    const __m256i m = _mm256_set1_epi32(0xFF);
    s32 i = 0;
    for (; i + 16 <= n; i += 16) {
        // Eight YUY2 words, 64-bit pieces ordered so that the in-lane
        // unpacks below give pixels 0-7 and 8-15.
        const __m256i w = _mm256_permute4x64_epi64(_mm256_loadu_si256((const __m256i *)(src + i * 2)), 0xD8);
        const __m256i ch = _mm256_or_si256(_mm256_and_si256(w, _mm256_set1_epi32(0xFF00)),
                                           _mm256_and_si256(_mm256_srli_epi32(w, 8), _mm256_set1_epi32(0xFF0000)));
        const __m256i f = _mm256_or_si256(ch, Written());
        const __m256i p0 = _mm256_or_si256(_mm256_and_si256(w, m), f);
        const __m256i p1 = _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(w, 16), m), f);
        Store(dst + i, _mm256_unpacklo_epi32(p0, p1));
        Store(dst + i + 8, _mm256_unpackhi_epi32(p0, p1));
    }
    if (i < n)
        ZKT_SoftRenderSSE2_YUVCopy(dst + i, src + i * 2, n - i);
}

void YUVCopyMirror(u32 *dst, const u8 *src, s32 n)
{
    const __m256i m = _mm256_set1_epi32(0xFF), rev = _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0);
    s32 i = 0;
    for (; i + 16 <= n; i += 16) {
        // Pairs -(i / 2 + 7) to -(i / 2), reversed so lane k is pair -(i / 2 + k).
        const __m256i w = _mm256_permutevar8x32_epi32(
            _mm256_loadu_si256((const __m256i *)(src - (i / 2 + 7) * 4)), rev);
        const __m256i ch = _mm256_or_si256(_mm256_and_si256(w, _mm256_set1_epi32(0xFF00)),
                                           _mm256_and_si256(_mm256_srli_epi32(w, 8), _mm256_set1_epi32(0xFF0000)));
        const __m256i f = _mm256_or_si256(ch, Written());
        const __m256i p0 = _mm256_or_si256(_mm256_and_si256(w, m), f);
        const __m256i p1 = _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi32(w, 16), m), f);
        const __m256i lo = _mm256_unpacklo_epi32(p1, p0), hi = _mm256_unpackhi_epi32(p1, p0);
        Store(dst + i, _mm256_permute2x128_si256(lo, hi, 0x20));
        Store(dst + i + 8, _mm256_permute2x128_si256(lo, hi, 0x31));
    }
    if (i < n)
        ZKT_SoftRenderSSE2_YUVCopyMirror(dst + i, src - (i / 2) * 4, n - i);
}

void RGB565(u32 *dst, const u8 *src, s32 n)
{
    s32 i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i x = _mm256_cvtepu16_epi32(_mm_loadu_si128((const __m128i *)(src + 2 * i)));
        Store(dst + i, _mm256_or_si256(
                           _mm256_or_si256(_mm256_and_si256(_mm256_slli_epi32(x, 3), _mm256_set1_epi32(0xF8)),
                                           _mm256_and_si256(_mm256_slli_epi32(x, 5), _mm256_set1_epi32(0xFC00))),
                           _mm256_and_si256(_mm256_slli_epi32(x, 8), _mm256_set1_epi32(0xF80000))));
    }
    if (i < n)
        ZKT_SoftRenderScalar_RGB565(dst + i, src + 2 * i, n - i);
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

void Ink(u32 *dst, s32 n, u32 c, u32 a)
{
    c = (c & ZKT_PX_RGB) | ZKT_PX_WRITTEN;
    const __m256i cv = _mm256_set1_epi32((int)c);
    s32 i = 0;
    if (a == 15) {
        for (; i + 8 <= n; i += 8)
            Store(dst + i, cv);
    } else {
        const __m256i ia = _mm256_set1_epi16((short)(15 - a));
        const __m256i cw =
            _mm256_mullo_epi16(_mm256_unpacklo_epi8(_mm256_and_si256(cv, _mm256_set1_epi32(ZKT_PX_RGB)),
                                                    _mm256_setzero_si256()),
                               _mm256_set1_epi16((short)a));
        for (; i + 8 <= n; i += 8) {
            const __m256i old = Load(dst + i);
            const __m256i b = _mm256_or_si256(Blend15(old, ia, ia, cw, cw), Written());
            Store(dst + i, Select(WrittenMask(old), b, cv));
        }
    }
    if (i < n)
        ZKT_SoftRenderSSE2_Ink(dst + i, n - i, c, a);
}

// Two palette entries, colour words low, weights high.
inline __m128i Entries(const PxPalette &t, u32 v0, u32 v1)
{
    return _mm_insert_epi64(_mm_loadl_epi64((const __m128i *)(t.weighed + v0)), (long long)t.weighed[v1], 1);
}

// Plain look-ups beat a gather here; the blend is a multiply-add of
// (old, new) byte pairs with per-pixel weights.
void Palette8(u32 *dst, const u8 *src, s32 n, const PxPalette &t)
{
    const __m256i k = _mm256_set1_epi16(4370), rgb = _mm256_set1_epi32(ZKT_PX_RGB);
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
        const __m256i lo =
            _mm256_mulhi_epu16(_mm256_maddubs_epi16(_mm256_unpacklo_epi8(old, c), _mm256_unpacklo_epi32(w, w)), k);
        const __m256i hi =
            _mm256_mulhi_epu16(_mm256_maddubs_epi16(_mm256_unpackhi_epi8(old, c), _mm256_unpackhi_epi32(w, w)), k);
        const __m256i b = _mm256_or_si256(_mm256_and_si256(_mm256_packus_epi16(lo, hi), rgb), Written());
        // Keyed values (flag byte 0) leave the pixel.
        Store(dst + i, Select(WrittenMask(c), Select(WrittenMask(old), b, c), old));
    }
    if (i < n)
        ZKT_SoftRenderSSE2_Palette8(dst + i, src + i, n - i, t);
}

void RGB(u32 *dst, const u32 *src, s32 n, u32 a, u32 bKey, u32 key)
{
    s32 i = 0;
    const bool keyed = bKey && !(key >> 24);
    const __m256i kv = _mm256_set1_epi32((int)(((key & 0xFF) << 16) | (key & 0xFF00) | ((key >> 16) & 0xFF)));
    const __m256i ia = _mm256_set1_epi16((short)(15 - a)), av = _mm256_set1_epi16((short)a);
    const __m256i z = _mm256_setzero_si256();
    for (; i + 8 <= n; i += 8) {
        const __m256i c = Load(src + i), old = Load(dst + i);
        const __m256i wm = WrittenMask(old);
        const __m256i km = keyed ? _mm256_cmpeq_epi32(c, kv) : z;
        const __m256i cw = _mm256_or_si256(c, Written());
        __m256i over;
        if (a == 15)
            over = cw;
        else if (a == 0)
            over = old;
        else
            over = _mm256_or_si256(Blend15(old, ia, ia, _mm256_mullo_epi16(_mm256_unpacklo_epi8(c, z), av),
                                           _mm256_mullo_epi16(_mm256_unpackhi_epi8(c, z), av)),
                                   Written());
        Store(dst + i, Select(wm, Select(km, old, over), cw));
    }
    if (i < n)
        ZKT_SoftRenderSSE2_RGB(dst + i, src + i, n - i, a, bKey, key);
}

// x / 2^k rounded toward zero, as C divides.
template <int K>
inline __m256i DivPow2(__m256i x)
{
    return _mm256_srai_epi32(_mm256_add_epi32(x, _mm256_and_si256(_mm256_srai_epi32(x, 31), _mm256_set1_epi32((1 << K) - 1))), K);
}

inline __m256i Clamp(__m256i x, __m256i lo, __m256i hi)
{
    return _mm256_min_epi32(_mm256_max_epi32(x, lo), hi);
}

// The conversion computed rather than looked up: the numbers the tables
// hold, from the same integer steps (every product fits a 16 x 16-bit
// multiply-add), so the result is the same to the bit and no 512 KiB
// table walks through the cache.
void Colour(u32 *p, s32 n, const PxColour &t)
{
    const __m256i bgv = _mm256_set1_epi32((int)t.bg), m8 = _mm256_set1_epi32(0xFF);
    // Cb - 128 and Cr - 128 as the low and high 16 bits of a lane.
    const __m256i flip = _mm256_set1_epi32(0x00808000);
    const __m256i uvShuf = _mm256_setr_epi8(-1, 1, -1, 2, -1, 5, -1, 6, -1, 9, -1, 10, -1, 13, -1, 14, -1, 1, -1, 2,
                                            -1, 5, -1, 6, -1, 9, -1, 10, -1, 13, -1, 14);
    // Blue, green, red bytes of four pixels, as the packs leave them, back
    // in pixel order.
    const __m256i pxShuf = _mm256_setr_epi8(0, 4, 8, -1, 1, 5, 9, -1, 2, 6, 10, -1, 3, 7, 11, -1, 0, 4, 8, -1, 1, 5,
                                            9, -1, 2, 6, 10, -1, 3, 7, 11, -1);
    const __m256i bri = _mm256_set1_epi32(t.brightness - 128), con = _mm256_set1_epi32(t.contrast + 8);
    const __m256i cbAB = _mm256_setr_epi32(t.cbAB[0], t.cbAB[1], t.cbAB[2], t.cbAB[3], 0, 0, 0, 0);
    const __m256i crAB = _mm256_setr_epi32(t.crAB[0], t.crAB[1], t.crAB[2], t.crAB[3], 0, 0, 0, 0);
    const __m256i k298 = _mm256_set1_epi32(298), kB = _mm256_set1_epi32(517);
    const __m256i kG = _mm256_set1_epi32((int)(0xFF9Cu | (u32)(u16)-208 << 16)), kR = _mm256_set1_epi32(409 << 16);
    const __m256i yLo = _mm256_set1_epi32(-16), yHi = _mm256_set1_epi32(239), y112 = _mm256_set1_epi32(112);
    const __m256i dLo = _mm256_set1_epi32(-128), dHi = _mm256_set1_epi32(127);
    s32 i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i v = Load(p + i);
        const __m256i wm = WrittenMask(v);
        if (_mm256_testz_si256(wm, wm)) {
            Store(p + i, bgv);
            continue;
        }
        // Y' - 16 = clamp((Y + brightness - 128) (contrast + 8) / 8 + 128) - 16.
        const __m256i y = _mm256_madd_epi16(_mm256_add_epi32(_mm256_and_si256(v, m8), bri), con);
        const __m256i l = _mm256_madd_epi16(Clamp(_mm256_add_epi32(DivPow2<3>(y), y112), yLo, yHi), k298);
        const __m256i uw = _mm256_srai_epi16(_mm256_shuffle_epi8(_mm256_xor_si256(v, flip), uvShuf), 8);
        // Quadrant 0..3 from the signs of u and v picks the matrix column.
        const __m256i sv = _mm256_srli_epi32(uw, 31);
        const __m256i k =
            _mm256_or_si256(_mm256_xor_si256(_mm256_srli_epi32(_mm256_slli_epi32(uw, 16), 31), sv), _mm256_slli_epi32(sv, 1));
        const __m256i d0 = _mm256_madd_epi16(uw, _mm256_permutevar8x32_epi32(cbAB, k));
        const __m256i e0 = _mm256_madd_epi16(uw, _mm256_permutevar8x32_epi32(crAB, k));
        const __m256i d = Clamp(DivPow2<6>(d0), dLo, dHi), e = Clamp(DivPow2<6>(e0), dLo, dHi);
        const __m256i de = _mm256_blend_epi16(d, _mm256_slli_epi32(e, 16), 0xAA);
        const __m256i vb = _mm256_srai_epi32(_mm256_add_epi32(l, _mm256_madd_epi16(de, kB)), 8);
        const __m256i vg = _mm256_srai_epi32(_mm256_add_epi32(l, _mm256_madd_epi16(de, kG)), 8);
        const __m256i vr = _mm256_srai_epi32(_mm256_add_epi32(l, _mm256_madd_epi16(de, kR)), 8);
        // The saturating packs clamp to 0..255.
        const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(vb, vg), _mm256_packs_epi32(vr, vr));
        const __m256i px = _mm256_or_si256(_mm256_shuffle_epi8(bytes, pxShuf), Written());
        Store(p + i, Select(wm, px, bgv));
    }
    if (i < n)
        ZKT_SoftRenderSSE2_Colour(p + i, n - i, t);
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

} // namespace

#pragma GCC pop_options

const SoftRenderKernels g_softRenderAVX2 = {
    "avx2", Fill,   YUVCopy, YUVCopyMirror, ZKT_SoftRenderScalar_YUVGather, Ink, Palette8, Colour, RGB565, Widen,
    RGB, ZKT_SoftRenderScalar_Gamma, Pack, // gathers lose to plain look-ups here
};

#endif
