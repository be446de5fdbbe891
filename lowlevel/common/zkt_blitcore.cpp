// Software raster engine of the blitter and the rotator. Rows are clipped
// once against the memory block; the inner loops carry no bounds tests.
#include "lowlevel/common/zkt_blitcore.h"

#include <array>
#include <cstring>
#include <utility>

namespace {

typedef unsigned long long u64;
typedef long long s64;

// Pixel access through memcpy: callers may pass odd offsets for 16-bit
// pixels and the x86 desktop must not trip over alignment.
template <typename Pixel> inline u16 LoadPixel(const u8 *p)
{
    Pixel v;
    memcpy(&v, p, sizeof v);
    return v;
}
template <typename Pixel> inline void StorePixel(u8 *p, u16 v)
{
    Pixel px = (Pixel)v;
    memcpy(p, &px, sizeof px);
}

struct BlitJob {
    u8 *mem;
    u64 memSize;
    u64 dstOffset, dstPitch, srcOffset, srcPitch;
    u32 width, height;
    bool bMono, bTransparent;
    u16 transparentColor, bgColor, fgColor;
};

// Operations 0, 5, 10 and 15 ignore S; then the source is neither read nor
// clipped against, unless transparency needs S.
constexpr bool OpUsesSource(int op)
{
    return op != 0 && op != 5 && op != 10 && op != 15;
}

// Number of whole items of size bytes that fit from byte offset start to the
// end of the block.
inline u64 ItemsLeft(u64 start, u64 size, u64 memSize)
{
    return start >= memSize ? 0 : (memSize - start) / size;
}

template <typename Pixel, int OP> void BlitRows(const BlitJob &j)
{
    constexpr ZKT_BlitterOp op = g_pBlitterOps[OP];
    constexpr u64 bpp = sizeof(Pixel);
    const bool bNeedSrc = OpUsesSource(OP) || j.bTransparent;

    for (u64 r = 0; r < j.height; r++) {
        const u64 dstRow = j.dstOffset + bpp * (r * j.dstPitch);
        u64 cols = ItemsLeft(dstRow, bpp, j.memSize);
        if (cols > j.width)
            cols = j.width;
        u8 *d = j.mem + (cols ? dstRow : 0);

        if (!bNeedSrc && (OP == 0 || OP == 15)) {
            // A constant: the clears of every frame, as one fill (a sanitizer
            // build would otherwise check each pixel twice).
            memset(d, OP == 0 ? 0 : 0xFF, cols * bpp);
        } else if (!bNeedSrc) {
            for (u64 c = 0; c < cols; c++)
                StorePixel<Pixel>(d + c * bpp, op(0, LoadPixel<Pixel>(d + c * bpp)));
        } else if (j.bMono) {
            // srcPitch counts bits; bit 7 of each byte is the leftmost pixel.
            const u64 srcRow = j.srcOffset + (r * j.srcPitch) / 8;
            const u64 bits = ItemsLeft(srcRow, 1, j.memSize) * 8;
            if (cols > bits)
                cols = bits;
            const u8 *s = j.mem + (cols ? srcRow : 0);
            for (u64 c = 0; c < cols; c++) {
                const u16 sv = ((s[c >> 3] >> (7 - (c & 7))) & 1) ? j.fgColor : j.bgColor;
                if (j.bTransparent && sv == j.transparentColor)
                    continue;
                StorePixel<Pixel>(d + c * bpp, op(sv, LoadPixel<Pixel>(d + c * bpp)));
            }
        } else {
            const u64 srcRow = j.srcOffset + bpp * (r * j.srcPitch);
            const u64 srcCols = ItemsLeft(srcRow, bpp, j.memSize);
            if (cols > srcCols)
                cols = srcCols;
            const u8 *s = j.mem + (cols ? srcRow : 0);
            if (j.bTransparent) {
                for (u64 c = 0; c < cols; c++) {
                    const u16 sv = LoadPixel<Pixel>(s + c * bpp);
                    if (sv == j.transparentColor)
                        continue;
                    StorePixel<Pixel>(d + c * bpp, op(sv, LoadPixel<Pixel>(d + c * bpp)));
                }
            } else {
                for (u64 c = 0; c < cols; c++)
                    StorePixel<Pixel>(d + c * bpp, op(LoadPixel<Pixel>(s + c * bpp), LoadPixel<Pixel>(d + c * bpp)));
            }
        }
    }
}

typedef void (*BlitRowsFn)(const BlitJob &);

template <typename Pixel, int... OPS> constexpr auto MakeRowTable(std::integer_sequence<int, OPS...>)
{
    return std::array<BlitRowsFn, sizeof...(OPS)>{{BlitRows<Pixel, OPS>...}};
}

constexpr auto s_BlitRows8 = MakeRowTable<u8>(std::make_integer_sequence<int, 16>());
constexpr auto s_BlitRows16 = MakeRowTable<u16>(std::make_integer_sequence<int, 16>());
} // namespace

void ZKT_BlitRun(u8 *mem, u32 memSize, u32 dstOffset, u32 dstPitch, u16 width, u16 height, u32 srcOffset,
                 u32 srcPitch, u32 flags, u16 transparentColor, u16 bgColor, u16 fgColor)
{
    if (!mem || !width || !height)
        return;
    BlitJob j;
    j.mem = mem;
    j.memSize = memSize;
    j.dstOffset = dstOffset;
    j.dstPitch = dstPitch;
    j.srcOffset = srcOffset;
    j.srcPitch = srcPitch;
    j.width = width;
    j.height = height;
    j.bMono = (flags & ZKT_BLT_MONO) != 0;
    j.bTransparent = (flags & 0xFC00u) != 0;
    j.transparentColor = transparentColor;
    j.bgColor = bgColor;
    j.fgColor = fgColor;
    // An index above 15 has no operation; wrap it rather than run off the table.
    const u32 op = flags & 15u;
    if (flags & ZKT_BLT_8BIT)
        s_BlitRows8[op](j);
    else
        s_BlitRows16[op](j);
}

void ZKT_BlitRotateRun(u8 *mem, u32 memSize, u32 dstOffset, u32 dstPitch, u16 width, u16 height, u32 srcOffset,
                       u32 srcPitch, u32 mode)
{
    if (!mem || !width || !height)
        return;
    const s64 p = mode < 4 ? 1 : (mode < 8 ? 2 : 3);
    const u32 rot = mode & 3;
    const s64 w = width, h = height, sp = srcPitch, dp = dstPitch;

    // Destination rows and columns, and for each destination row j the
    // source pixel of column 0 (r0 + drj * j, c0 + dcj * j) and the source
    // step per destination column (dri, dci).
    s64 rows, cols, r0, c0, drj, dcj, dri, dci;
    switch (rot) {
    case 0: rows = h, cols = w, r0 = 0, c0 = 0, drj = 1, dcj = 0, dri = 0, dci = 1; break;
    case 1: rows = w, cols = h, r0 = h - 1, c0 = 0, drj = 0, dcj = 1, dri = -1, dci = 0; break;
    case 2: rows = h, cols = w, r0 = h - 1, c0 = w - 1, drj = -1, dcj = 0, dri = 0, dci = -1; break;
    default: rows = w, cols = h, r0 = 0, c0 = w - 1, drj = 0, dcj = -1, dri = 1, dci = 0; break;
    }

    const s64 size = memSize;
    const s64 srcEnd = (s64)srcOffset + p * ((h - 1) * sp + w);
    const s64 dstEnd = (s64)dstOffset + p * ((rows - 1) * dp + cols);
    const bool bInside = srcEnd <= size && dstEnd <= size;
    const s64 srcStep = p * (dri * sp + dci);

    for (s64 jr = 0; jr < rows; jr++) {
        s64 s = (s64)srcOffset + p * ((r0 + drj * jr) * sp + c0 + dcj * jr);
        s64 d = (s64)dstOffset + p * (jr * dp);
        if (bInside) {
            u8 *dd = mem + d;
            if (p == 2) {
                for (s64 i = 0; i < cols; i++, s += srcStep, dd += 2)
                    memcpy(dd, mem + s, 2);
            } else if (p == 1) {
                for (s64 i = 0; i < cols; i++, s += srcStep)
                    dd[i] = mem[s];
            } else {
                for (s64 i = 0; i < cols; i++, s += srcStep, dd += 3)
                    memcpy(dd, mem + s, 3);
            }
        } else {
            // Part of the job reaches past the block: copy only pixels whose
            // source and destination bytes both lie inside.
            for (s64 i = 0; i < cols; i++, s += srcStep, d += p) {
                if (s >= 0 && s + p <= size && d + p <= size)
                    memcpy(mem + d, mem + s, (size_t)p);
            }
        }
    }
}
