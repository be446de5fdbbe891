// Memory block operations: byte copies and fills that move whole words when
// the alignment allows, word-only fills and copies, and the bit-granular
// block copies used for packed OSD/SPU pictures and interlaced fields.
#include "tools/zkt_basictools.h"

#include <cstring>

// A 4-byte memcpy compiles to one load/store and keeps the compiler's
// aliasing rules intact for buffers that are really u8 arrays.
static inline void CopyWord(u8 *d, const u8 *s) { std::memcpy(d, s, 4); }
static inline void StoreWord(u8 *d, u32 v) { std::memcpy(d, &v, 4); }

void ZKT_MEMCPY(void *dst, const void *src, u32 n)
{
    u8 *d = static_cast<u8 *>(dst);
    const u8 *s = static_cast<const u8 *>(src);
    if (((uintptr_t)d & 3) == ((uintptr_t)s & 3)) {
        u32 head = (4 - ((uintptr_t)s & 3)) & 3;
        if (head > n)
            head = n;
        n -= head;
        while (head--)
            *d++ = *s++;
        for (u32 w = n >> 2; w; w--, d += 4, s += 4)
            CopyWord(d, s);
        n &= 3;
    }
    while (n--)
        *d++ = *s++;
}

void ZKT_MEMSET(void *dst, s32 value, u32 n)
{
    u8 *d = static_cast<u8 *>(dst);
    const u8 b = (u8)value;
    u32 head = (4 - ((uintptr_t)d & 3)) & 3;
    if (head > n)
        head = n;
    n -= head;
    while (head--)
        *d++ = b;
    const u32 w4 = b * 0x01010101u;
    for (u32 w = n >> 2; w; w--, d += 4)
        StoreWord(d, w4);
    n &= 3;
    while (n--)
        *d++ = b;
}

u32 *ZKT_FAST_MEMSET(void *dst, u32 value, u32 n)
{
    u8 *d = static_cast<u8 *>(dst);
    for (u32 w = n >> 2; w; w--, d += 4)
        StoreWord(d, value);
    return reinterpret_cast<u32 *>(d);
}

void ZKT_MEMORY_XFER_32BIT_FUNC(const void *src, void *dst, u32 n)
{
    u8 *d = static_cast<u8 *>(dst);
    const u8 *s = static_cast<const u8 *>(src);
    for (u32 w = n >> 2; w; w--, d += 4, s += 4)
        CopyWord(d, s);
}

// One source row into the destination starting at bit position pos.
static void BlitBitRow(u8 *dst, u32 pos, const u8 *src, u32 width)
{
    u32 srcBit = 0; // bits of this row copied so far
    while (srcBit < width) {
        const u32 sb = srcBit & 7, db = pos & 7;
        const u32 left = width - srcBit;
        if (sb == 0 && db == 0 && left >= 8) {
            dst[pos >> 3] = src[srcBit >> 3];
            srcBit += 8;
            pos += 8;
            continue;
        }
        u32 k = 8 - sb;
        if (left < k)
            k = left;
        if (8 - db < k)
            k = 8 - db;
        const u32 mask = (1u << k) - 1;
        const u32 bits = (src[srcBit >> 3] >> sb) & mask;
        u8 &out = dst[pos >> 3];
        out = (u8)((out & ~(mask << db)) | (bits << db));
        srcBit += k;
        pos += k;
    }
}

void ZKT_BLKMEMCPY(void *dst, u32 bitOffset, u32 bitPitch, const void *src, u32 width, u32 height)
{
    u8 *d = static_cast<u8 *>(dst);
    const u8 *s = static_cast<const u8 *>(src);
    const u32 rowBytes = (width + 7) >> 3;
    for (u32 r = 0; r < height; r++, s += rowBytes)
        BlitBitRow(d, bitOffset + r * bitPitch, s, width);
}

void ZKT_BLKMEMCPY_INTERLACE(void *dstEven, void *dstOdd, u32 bitOffset, u32 bitPitch, const void *src,
                             u32 width, u32 height)
{
    u8 *fields[2] = {static_cast<u8 *>(dstEven), static_cast<u8 *>(dstOdd)};
    const u8 *s = static_cast<const u8 *>(src);
    const u32 rowBytes = (width + 7) >> 3;
    for (u32 r = 0; r < height; r++, s += rowBytes)
        BlitBitRow(fields[r & 1], bitOffset + (r >> 1) * bitPitch, s, width);
}
