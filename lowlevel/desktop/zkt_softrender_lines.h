// Lines of run-length layers (SPU codes, OSD areas) decoded and drawn run
// by run, for the span kernel files to build their line kernels from with
// their own ink. Each file gets its own copy (internal linkage), compiled
// for its own processor.
#ifndef ZKT_SOFTRENDER_LINES_H
#define ZKT_SOFTRENDER_LINES_H

#include <cstring>

#include "lowlevel/desktop/zkt_softrender_px.h"

namespace {

// The variable-length code of one to four nibbles at nibble q (the stream
// is read high nibble first); q moves past it. Away from the end of video
// memory it comes from the four bytes at q, near it nibble by nibble; false
// when it runs off the end. The length shows in the leading zeros, tested
// one pair at a time: streams mostly repeat a length, which the branches
// learn, so that reading the next code need not wait for this one.
inline bool PxSPUCode(const u8 *vm, int64_t &q, u32 &code)
{
    const int64_t size = ZKT_VIDEO_MEM_SIZE;
    if (q <= (size - 4) * 2) {
        u32 v;
        memcpy(&v, vm + (q >> 1), 4);
        const u32 w = __builtin_bswap32(v) << (4 * (q & 1));
        if (w >= 0x40000000u) {
            code = w >> 28;
            q += 1;
        } else if (w >= 0x10000000u) {
            code = w >> 24;
            q += 2;
        } else if (w >= 0x04000000u) {
            code = w >> 20;
            q += 3;
        } else {
            code = w >> 16;
            q += 4;
        }
        return true;
    }
    code = 0;
    for (s32 k = 0; k < 4; k++) {
        if ((q >> 1) >= size)
            return false;
        const u32 nib = (q & 1) ? vm[q >> 1] & 15 : vm[q >> 1] >> 4;
        q++;
        code = (code << 4) | nib;
        if (code >= (k == 0 ? 4u : k == 1 ? 16u : 64u))
            break;
    }
    return true;
}

// The stream of nibbles from nibble q on, sixteen at a time in a register
// (the next one in the top bits), so that most codes are read without a
// load. Near the end of video memory, where eight bytes cannot be read,
// the codes come from PxSPUCode.
struct PxNibbles {
    const u8 *vm;
    int64_t q; // the next code's nibble
    uint64_t win; // nibbles from q on, the first in bits 60-63
    int64_t qLast; // the last q at which win still holds a whole code

    __attribute__((always_inline)) inline bool Next(u32 &code)
    {
        const int64_t size = ZKT_VIDEO_MEM_SIZE;
        if (q > qLast) {
            if (q > (size - 8) * 2)
                return PxSPUCode(vm, q, code);
            uint64_t v;
            memcpy(&v, vm + (q >> 1), 8);
            win = __builtin_bswap64(v) << (4 * (q & 1));
            qLast = q + 12 - (q & 1);
        }
        // The length from the leading zeros in two tests, whichever it is.
        if (win >= 1ull << 60) {
            if (win >= 1ull << 62) {
                code = (u32)(win >> 60);
                win <<= 4;
                q += 1;
            } else {
                code = (u32)(win >> 56);
                win <<= 8;
                q += 2;
            }
        } else if (win >= 1ull << 58) {
            code = (u32)(win >> 52);
            win <<= 12;
            q += 3;
        } else {
            code = (u32)(win >> 48);
            win <<= 16;
            q += 4;
        }
        return true;
    }
};

// Codes from nibble q to the line's last column; every visible run is
// drawn by ink(dst, n, const PxInk &), cut at the pieces' edges.
template <class Ink>
inline bool PxSPULineDraw(u32 *row, int64_t &qLine, const PxSPULine &L, Ink ink)
{
    // Locals, not the references: the vector stores of the ink may alias
    // anything, which would reload them after every run.
    PxNibbles s{L.vm, qLine, 0, qLine - 1};
    const s32 visEnd1 = L.visEnd + 1, end1 = L.last + 1;
    s32 x = L.first;
    // The visible part; the piece x is in, its inks and where it ends (the
    // last one where the picture does).
    const s32 *segNext = L.segStart + 1;
    const PxInk *segInk = L.ink;
    s32 segEnd = *segNext;
    while (x < visEnd1) {
        u32 code;
        if (!s.Next(code)) {
            qLine = s.q;
            return false;
        }
        s32 xn = x + (s32)(code >> 2);
        const u32 c = code & 3;
        // Most runs end inside the piece they start in (which ends inside
        // the picture).
        if (xn <= segEnd && xn != x) {
            ink(row + x, xn - x, segInk[c]);
            x = xn;
            continue;
        }
        // Run 0 and runs past the end both end the line.
        if (xn == x || xn > end1)
            xn = end1;
        const s32 xe = xn < visEnd1 ? xn : visEnd1;
        while (xe > segEnd) {
            if (segEnd > x)
                ink(row + x, segEnd - x, segInk[c]);
            x = segEnd;
            segEnd = *++segNext;
            segInk += 4;
        }
        ink(row + x, xe - x, segInk[c]);
        x = xn;
    }
    // The rest only moves the stream on.
    while (x < end1) {
        u32 code;
        if (!s.Next(code)) {
            qLine = s.q;
            return false;
        }
        const s32 xn = x + (s32)(code >> 2);
        x = xn == x || xn > end1 ? end1 : xn;
    }
    qLine = s.q;
    return true;
}

// One line of a run-length OSD area: a byte above 191 is a run of the next
// byte's value, its low six bits long (0: to the end of the area), any
// other byte one pixel. Keyed values draw nothing.
template <class Ink>
inline bool PxOSDRunLineDraw(u32 *row, PxOSDRuns &s, s32 first, s32 last, s32 visEnd, const PxPalette &t, Ink ink)
{
    const int64_t size = ZKT_VIDEO_MEM_SIZE;
    // Locals, for the same reason as above.
    const u8 *const vm = s.vm;
    int64_t pos = s.pos, left = s.left;
    u32 value = s.value;
    const s32 lastVis = last < visEnd ? last : visEnd;
    for (s32 x = first; x <= last;) {
        // Most runs start and end inside the line's visible part: one after
        // the other while they do.
        if (left == 0) {
            while (x <= lastVis && pos + 1 < size) {
                const u32 b = vm[pos];
                const bool bRun = b > 191;
                const u32 v = bRun ? vm[pos + 1] : b;
                const s32 n = bRun ? (s32)(b & 63) : 1;
                if (!n || x + n - 1 > lastVis)
                    break;
                pos += bRun ? 2 : 1;
                value = v;
                const PxInk &k = t.ink[v];
                if (k.colour >> 24)
                    ink(row + x, n, k);
                x += n;
            }
            if (x > last)
                break;
            if (pos >= size || (vm[pos] > 191 && pos + 1 >= size))
                return false;
            const u32 b = vm[pos++];
            if (b > 191) {
                value = vm[pos++];
                left = (b & 63) ? (int64_t)(b & 63) : -1;
            } else {
                value = b;
                left = 1;
            }
        }
        s32 n = last - x + 1;
        if (left > 0 && left < n)
            n = (s32)left;
        if (left > 0)
            left -= n;
        // Only the part of the run inside the picture costs pixel work.
        const s32 xb = x + n - 1 < visEnd ? x + n - 1 : visEnd;
        const PxInk &k = t.ink[value];
        if (x <= xb && (k.colour >> 24))
            ink(row + x, xb - x + 1, k);
        x += n;
    }
    s.pos = pos;
    s.left = left;
    s.value = value;
    return true;
}

} // namespace

#endif
