// The compositor's working picture and the span kernels that work on it.
//
// A working pixel is one 32-bit word: bits 0-7, 8-15 and 16-23 hold the
// three colour bytes (Y, Cb, Cr until the colour pass, blue, green, red
// after it) and bits 24-31 are 0xFF once a layer wrote the pixel, 0 before.
// Keeping the written flag in the spare byte lets one vector instruction
// work on four or eight whole pixels. The packed 24-bit picture that the
// window, the frame dump and the capture tool read is made once, at the
// end of a frame.
//
// Blending in fifteenths: byte = (old x (15 - a) + new x a) / 15, rounded
// down; x * 4370 >> 16 (and x * 34953 >> 19) is x / 15 exactly for every
// x up to 255 x 15.
#ifndef ZKT_SOFTRENDER_PX_H
#define ZKT_SOFTRENDER_PX_H

#include <cstdint>

#include "lowlevel/desktop/zkt_lowLevelWin.h"

#define ZKT_PX_WRITTEN 0xFF000000u
#define ZKT_PX_RGB 0x00FFFFFFu

extern u32 g_ulSoftRenderWork[ZKT_MAX_OUT_W * ZKT_MAX_OUT_H];

static inline u32 PxDiv15(u32 x)
{
    return (x * 34953u) >> 19;
}

// Byte-wise blend of colour c over old at opacity a (0..15); the flag byte
// of the result is 0.
static inline u32 PxBlend(u32 old, u32 c, u32 a)
{
    const u32 ia = 15 - a;
    return PxDiv15((old & 0xFF) * ia + (c & 0xFF) * a) |
           PxDiv15(((old >> 8) & 0xFF) * ia + ((c >> 8) & 0xFF) * a) << 8 |
           PxDiv15(((old >> 16) & 0xFF) * ia + ((c >> 16) & 0xFF) * a) << 16;
}

// A run's ink as the run-length kernels take it: the colour bytes with the
// flag byte (0xFF: draws; an OSD value that is keyed has 0) and the byte
// weights 15 - a, a of its opacity a in both 16-bit halves, the form a
// multiply-add of (old, new) byte pairs blends with.
struct PxInk {
    u32 colour, w;
};

static inline u32 PxInkWeights(u32 a)
{
    return ((15 - a) | a << 8) * 0x10001u;
}

static inline u32 PxInkAlpha(const PxInk &k)
{
    return (k.w >> 8) & 15;
}

// An SPU ink: always drawn.
static inline PxInk PxSPUInk(u32 colour, u32 a)
{
    return PxInk{(colour & ZKT_PX_RGB) | ZKT_PX_WRITTEN, PxInkWeights(a)};
}

// An OSD area's palette resolved once per area: per value, the colour and
// its opacity (15 over an unwritten pixel is applied by the kernel) and
// whether the value draws at all (the key).
struct PxPalette {
    u32 colour[256]; // colour bytes; flag byte 0xFF when the value draws, 0 when keyed
    u32 alpha[256];
    // Both in one word for a single look-up: colour bytes, the opacity in
    // bits 24-27, bit 28 set when the value draws. PxPaletteSeal fills it.
    u32 packed[256];
    // Both as an ink, for kernels that blend with a multiply-add of byte
    // pairs.
    PxInk ink[256];
    u32 keyed; // some value draws nothing
};

static inline void PxPaletteSeal(PxPalette &t)
{
    t.keyed = 0;
    for (u32 v = 0; v < 256; v++) {
        const u32 a = t.alpha[v] & 15;
        t.packed[v] = (t.colour[v] & ZKT_PX_RGB) | a << 24 | (t.colour[v] >> 24 ? 1u << 28 : 0);
        t.ink[v] = PxInk{t.colour[v], PxInkWeights(a)};
        t.keyed |= !(t.colour[v] >> 24);
    }
}

// An SPU band's columns for its lines: cut into pieces at the column
// changes, each with its colour and opacity per 2-bit code.
struct PxSPULine {
    const u8 *vm; // video memory, ZKT_VIDEO_MEM_SIZE bytes
    s32 first, last; // the columns the codes cover
    s32 visEnd; // the last of them inside the picture (below first: none)
    s32 segStart[35]; // each piece's first column, then visEnd + 1 twice
    PxInk ink[34 * 4]; // piece by piece, code by code (see PxSPUInk)
};

// A run-length OSD area's place in its stream, carried from line to line:
// the pixels form one stream with no alignment at line ends.
struct PxOSDRuns {
    const u8 *vm; // video memory, ZKT_VIDEO_MEM_SIZE bytes
    int64_t pos; // the next byte
    int64_t left; // pixels left of the current run; -1: to the end of the area
    u32 value; // the current run's value
};

// The colour pass's rule for a frame: the tables the plain and SSE2
// kernels look up (see zkt_softrender_colour.cpp) and the settings the
// AVX2 kernel computes the same numbers from.
struct PxColour {
    s32 luma[256];
    const uint64_t *chroma;
    u32 bg; // the background, converted
    s32 brightness, contrast;
    // Per quadrant 0..3 of (Cb, Cr): the new Cb's factors of Cb and Cr in
    // the low and high halves, then the new Cr's.
    s32 cbAB[4], crAB[4];
};

// Gamma for a frame: lut[k][v] is channel k's level for v already shifted
// into its byte, so a pixel is three look-ups or-ed together.
// The same tables as sixteen-byte shuffles (each twice, for both halves of
// a 256-bit register): level[k][j][i] is channel k's level for 16j + i, so
// that a byte's low nibble looks up all sixteen and its high nibble picks
// one. PxGammaSeal fills them, and same[k], true when channel k's table
// maps every level to itself.
struct PxGamma {
    u32 lut[3][256];
    alignas(32) u8 level[3][16][32];
    bool same[3];
};

static inline void PxGammaSeal(PxGamma &g)
{
    for (u32 k = 0; k < 3; k++) {
        g.same[k] = true;
        for (u32 v = 0; v < 256; v++) {
            const u8 level = (u8)(g.lut[k][v] >> (8 * k));
            g.same[k] = g.same[k] && level == v;
            g.level[k][v / 16][v % 16] = g.level[k][v / 16][16 + v % 16] = level;
        }
    }
}

// The span kernels. Every kernel has a plain version, the reference; the
// vector versions give the same words bit for bit.
struct SoftRenderKernels {
    const char *name;
    // dst[i] = v.
    void (*fill)(u32 *dst, s32 n, u32 v);
    // A 1:1 YUY2 line from an even pixel: dst[i] = Y | Cb << 8 | Cr << 16, written.
    void (*yuvCopy)(u32 *dst, const u8 *src, s32 n);
    // The same mirrored: pixel 0 is the second luma of the pair at src,
    // pixel 1 its first, then the pair before.
    void (*yuvCopyMirror)(u32 *dst, const u8 *src, s32 n);
    // Any other walk: luma at src + offY[i], chroma at src + offC[i] and + 2.
    void (*yuvGather)(u32 *dst, const u8 *src, const s32 *offY, const s32 *offC, s32 n);
    // Colour c at opacity a over n pixels: replaces unwritten pixels, blends
    // over written ones, marks all written.
    void (*ink)(u32 *dst, s32 n, u32 c, u32 a);
    // One palette value per source byte.
    void (*palette8)(u32 *dst, const u8 *src, s32 n, const PxPalette &t);
    // Colour pass: written pixels converted, unwritten ones become t.bg
    // (flag 0).
    void (*colour)(u32 *p, s32 n, const PxColour &t);
    // n RGB565 source pixels (little-endian) as colours, low bits zero.
    void (*rgb565)(u32 *dst, const u8 *src, s32 n);
    // The same with each source pixel twice: dst[i] from source pixel i / 2.
    void (*rgb565Double)(u32 *dst, const u8 *src, s32 n);
    // dst[i] = src[idx[i] - base], for an idx that never falls and rises by
    // at most 1 per step; src may be read up to 7 words past the last
    // index.
    void (*widen)(u32 *dst, const u32 *src, const s32 *idx, s32 base, s32 n);
    // RGB source colours (blue | green << 8 | red << 16) at opacity a; with
    // bKey, colours equal to key (same byte order) count as opacity 0.
    void (*rgb)(u32 *dst, const u32 *src, s32 n, u32 a, u32 bKey, u32 key);
    // The same straight from n RGB565 source pixels (as rgb565 reads them).
    void (*rgb565Over)(u32 *dst, const u8 *src, s32 n, u32 a, u32 bKey, u32 key);
    // Gamma on written pixels.
    void (*gamma)(u32 *p, s32 n, const PxGamma &g);
    // Packs n working pixels into 3n bytes.
    void (*pack)(u8 *dst, const u32 *src, s32 n);
    // Gamma and packing in one pass over the line: dst as gamma then pack
    // would make it; p stays as it is.
    void (*gammaPack)(u8 *dst, const u32 *p, s32 n, const PxGamma &g);
    // The cursor's 2-bit values for n pixels (four a byte of bits, low bits
    // first): 0 and 1 blend colour col[v] (blue, green, red) at opacity
    // t[v] in sixteenths of 240, 2 keeps the pixel, 3 inverts it; all end
    // written.
    void (*cursor)(u32 *dst, const u8 *bits, s32 n, const u32 *col, const u32 *t);
    // One SPU line from nibble q of video memory on, each run drawn as ink
    // draws it; q ends past the line's last code. False when the codes run
    // off the end of video memory (the runs before it drawn).
    bool (*spuLine)(u32 *row, int64_t &q, const PxSPULine &L);
    // One line of a run-length OSD area over columns first to last, drawn
    // up to visEnd, each value as the palette gives it. False when the data
    // run off the end of video memory.
    bool (*osdRunLine)(u32 *row, PxOSDRuns &s, s32 first, s32 last, s32 visEnd, const PxPalette &t);
};

extern const SoftRenderKernels g_softRenderScalar;
#if defined(__x86_64__) || defined(__i386__)
extern const SoftRenderKernels g_softRenderSSE2;
extern const SoftRenderKernels g_softRenderAVX2;
#endif

// The kernels by name, for the vector paths to fall back on (the tails of
// spans, and kernels that are table look-ups through and through).
void ZKT_SoftRenderScalar_Fill(u32 *dst, s32 n, u32 v);
void ZKT_SoftRenderScalar_YUVCopy(u32 *dst, const u8 *src, s32 n);
void ZKT_SoftRenderScalar_YUVCopyMirror(u32 *dst, const u8 *src, s32 n);
void ZKT_SoftRenderScalar_RGB565(u32 *dst, const u8 *src, s32 n);
void ZKT_SoftRenderScalar_RGB565Double(u32 *dst, const u8 *src, s32 n);
void ZKT_SoftRenderScalar_YUVGather(u32 *dst, const u8 *src, const s32 *offY, const s32 *offC, s32 n);
void ZKT_SoftRenderScalar_Ink(u32 *dst, s32 n, u32 c, u32 a);
void ZKT_SoftRenderScalar_Palette8(u32 *dst, const u8 *src, s32 n, const PxPalette &t);
void ZKT_SoftRenderScalar_Colour(u32 *p, s32 n, const PxColour &t);
void ZKT_SoftRenderScalar_Widen(u32 *dst, const u32 *src, const s32 *idx, s32 base, s32 n);
void ZKT_SoftRenderScalar_RGB(u32 *dst, const u32 *src, s32 n, u32 a, u32 bKey, u32 key);
void ZKT_SoftRenderScalar_RGB565Over(u32 *dst, const u8 *src, s32 n, u32 a, u32 bKey, u32 key);
void ZKT_SoftRenderScalar_Gamma(u32 *p, s32 n, const PxGamma &g);
void ZKT_SoftRenderScalar_Pack(u8 *dst, const u32 *src, s32 n);
void ZKT_SoftRenderScalar_GammaPack(u8 *dst, const u32 *p, s32 n, const PxGamma &g);
void ZKT_SoftRenderScalar_Cursor(u32 *dst, const u8 *bits, s32 n, const u32 *col, const u32 *t);
bool ZKT_SoftRenderScalar_SPULine(u32 *row, int64_t &q, const PxSPULine &L);
bool ZKT_SoftRenderScalar_OSDRunLine(u32 *row, PxOSDRuns &s, s32 first, s32 last, s32 visEnd, const PxPalette &t);
#if defined(__x86_64__) || defined(__i386__)
void ZKT_SoftRenderSSE2_Fill(u32 *dst, s32 n, u32 v);
void ZKT_SoftRenderSSE2_YUVCopy(u32 *dst, const u8 *src, s32 n);
void ZKT_SoftRenderSSE2_YUVCopyMirror(u32 *dst, const u8 *src, s32 n);
void ZKT_SoftRenderSSE2_RGB565(u32 *dst, const u8 *src, s32 n);
void ZKT_SoftRenderSSE2_RGB565Double(u32 *dst, const u8 *src, s32 n);
void ZKT_SoftRenderSSE2_Ink(u32 *dst, s32 n, u32 c, u32 a);
void ZKT_SoftRenderSSE2_Palette8(u32 *dst, const u8 *src, s32 n, const PxPalette &t);
void ZKT_SoftRenderSSE2_Colour(u32 *p, s32 n, const PxColour &t);
void ZKT_SoftRenderSSE2_RGB(u32 *dst, const u32 *src, s32 n, u32 a, u32 bKey, u32 key);
void ZKT_SoftRenderSSE2_RGB565Over(u32 *dst, const u8 *src, s32 n, u32 a, u32 bKey, u32 key);
void ZKT_SoftRenderSSE2_Pack(u8 *dst, const u32 *src, s32 n);
void ZKT_SoftRenderSSE2_GammaPack(u8 *dst, const u32 *p, s32 n, const PxGamma &g);
#endif

// The cursor resolved for a frame, drawn line by line.
struct ZKT_SoftRenderCursor {
    s32 W, x0, y0, width, lines, S, rowBytes;
    bool tv;
    u32 t[2], col[2]; // opacity in sixteenths of 240, colour
};
// False when the cursor draws nothing this frame.
bool ZKT_SoftRenderCursorPrepare(ZKT_SoftRenderCursor &c);
void ZKT_SoftRenderCursorLine(const ZKT_SoftRenderCursor &c, s32 y);

// The colour pass's rule for the given brightness, contrast and matrix
// (Cb A, Cb B, Cr A, Cr B, four quadrants each), as the frame uses it.
void ZKT_SoftRenderColourRule(PxColour &t, s32 brightness, s32 contrast, const s8 *matrix);

// The kernels in use: picked once, from what the processor offers, unless
// VORN_KERNELS names a path (scalar, sse2, avx2).
const SoftRenderKernels &ZKT_SoftRenderKernels();
// Switches to the named path; result 0, or 2 when this build or processor
// lacks it (the current path stays).
u32 ZKT_SoftRenderUseKernels(const char *name);

#endif
