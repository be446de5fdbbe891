// Blending one working-picture pixel with a colour at an opacity in
// fifteenths: byte = (old x (15 - a) + new x a) / 15, rounded down.
//
// With SSE2 the three channels go through one multiply-add and one exact
// divide by 15 (x * 4370 >> 16 is x / 15 rounded down for every x up to
// 255 x 15). The pixel is read and written as two bytes plus one: a wider
// access would overlap the neighbour's and stall on its pending store.
#ifndef ZKT_SOFTRENDER_PX_H
#define ZKT_SOFTRENDER_PX_H

#include <cstring>

#include "lowlevel/zkt_lowLevel.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

struct alignas(16) PxBlend {
    u16 w[4];   // new byte x a per channel (the fourth is unused)
    u16 inv[4]; // 15 - a per channel
};

// Opacity a (0..15) of colour bytes c0, c1, c2.
static inline void PxBlendMake(PxBlend &b, u32 c0, u32 c1, u32 c2, u32 a)
{
    b.w[0] = (u16)(c0 * a);
    b.w[1] = (u16)(c1 * a);
    b.w[2] = (u16)(c2 * a);
    b.w[3] = 0;
    b.inv[0] = b.inv[1] = b.inv[2] = (u16)(15 - a);
    b.inv[3] = 15;
}

// Leaves the pixel as it is.
static inline void PxBlendKeep(PxBlend &b)
{
    PxBlendMake(b, 0, 0, 0, 0);
}

static inline void PxApply(u8 *dst, const PxBlend &b)
{
#if defined(__SSE2__)
    const __m128i e = _mm_load_si128((const __m128i *)&b);
    u16 lo;
    std::memcpy(&lo, dst, 2);
    const s32 v = lo | (dst[2] << 16);
    const __m128i o = _mm_unpacklo_epi8(_mm_cvtsi32_si128(v), _mm_setzero_si128());
    __m128i x = _mm_add_epi16(_mm_mullo_epi16(o, _mm_srli_si128(e, 8)), e);
    x = _mm_mulhi_epu16(x, _mm_set1_epi16(4370));
    const u32 r = (u32)_mm_cvtsi128_si32(_mm_packus_epi16(x, x));
    lo = (u16)r;
    std::memcpy(dst, &lo, 2);
    dst[2] = (u8)(r >> 16);
#else
    for (int k = 0; k < 3; k++)
        dst[k] = (u8)(((dst[k] * b.inv[k] + b.w[k]) * 34953u) >> 19);
#endif
}

// The same with a colour of its own per pixel (blue | green << 8 |
// red << 16) at opacity a, 1..14.
static inline void PxApplyColour(u8 *dst, u32 colour, u32 a)
{
#if defined(__SSE2__)
    u16 lo;
    std::memcpy(&lo, dst, 2);
    const s32 v = lo | (dst[2] << 16);
    const __m128i z = _mm_setzero_si128();
    const __m128i o = _mm_unpacklo_epi8(_mm_cvtsi32_si128(v), z);
    const __m128i c = _mm_unpacklo_epi8(_mm_cvtsi32_si128((s32)colour), z);
    __m128i x = _mm_add_epi16(_mm_mullo_epi16(o, _mm_set1_epi16((s16)(15 - a))),
                              _mm_mullo_epi16(c, _mm_set1_epi16((s16)a)));
    x = _mm_mulhi_epu16(x, _mm_set1_epi16(4370));
    const u32 r = (u32)_mm_cvtsi128_si32(_mm_packus_epi16(x, x));
    lo = (u16)r;
    std::memcpy(dst, &lo, 2);
    dst[2] = (u8)(r >> 16);
#else
    for (int k = 0; k < 3; k++)
        dst[k] = (u8)((((colour >> (8 * k) & 0xFF) * a + dst[k] * (15 - a)) * 34953u) >> 19);
#endif
}

#endif
