// Stable bottom-up merge sort on an index array, and the fixed-seed random
// generator. The sort shuffles only 32-bit record numbers while merging and
// moves the records themselves once, in a single gather.
#include <cstdlib>
#include <cstring>

#include "tools/zkt_basictools.h"

static u32 s_ulRandomSeed = 17;

s32 ZKT_Rand()
{
    s_ulRandomSeed *= 1173u;
    return (s32)(s_ulRandomSeed % 65535u);
}

// Merges the neighbouring runs [lo, mid) and [mid, hi) of in into out.
// Ties take the left run, which is what keeps the sort stable.
static void MergeRuns(const u8 *base, u32 size, ZKT_SortCompare compare, const u32 *in, u32 *out, u32 lo, u32 mid,
                      u32 hi)
{
    u32 i = lo, j = mid, k = lo;
    while (i < mid && j < hi) {
        if (compare(base + (size_t)in[i] * size, base + (size_t)in[j] * size) > 0)
            out[k++] = in[j++];
        else
            out[k++] = in[i++];
    }
    while (i < mid)
        out[k++] = in[i++];
    while (j < hi)
        out[k++] = in[j++];
}

void ZKT_Sort(void *base, s32 count, u32 size, ZKT_SortCompare compare)
{
    if (!base || count < 2 || size == 0 || !compare)
        return;
    const u32 n = (u32)count;
    const size_t bytes = (size_t)n * size;

    // Everything is allocated before the first comparison: when memory runs
    // out the array is left exactly as it was.
    u32 *a = (u32 *)malloc((size_t)n * sizeof(u32));
    u32 *b = (u32 *)malloc((size_t)n * sizeof(u32));
    u8 *gather = (u8 *)malloc(bytes);
    if (!a || !b || !gather) {
        free(a);
        free(b);
        free(gather);
        return;
    }

    const u8 *rec = (const u8 *)base;
    u32 i = 0;
    for (; i + 1 < n; i += 2) {
        const bool bSwap = compare(rec + (size_t)i * size, rec + (size_t)(i + 1) * size) > 0;
        a[i] = bSwap ? i + 1 : i;
        a[i + 1] = bSwap ? i : i + 1;
    }
    if (i < n)
        a[i] = i;

    u32 *in = a, *out = b;
    for (u32 w = 2; w < n; w *= 2) {
        for (u32 lo = 0; lo < n; lo += 2 * w) {
            const u32 mid = lo + w < n ? lo + w : n;
            const u32 hi = mid + w < n ? mid + w : n;
            MergeRuns(rec, size, compare, in, out, lo, mid, hi);
        }
        u32 *t = in;
        in = out;
        out = t;
    }

    for (u32 k = 0; k < n; k++)
        memcpy(gather + (size_t)k * size, rec + (size_t)in[k] * size, size);
    free(a);
    free(b);
    memcpy(base, gather, bytes);
    free(gather);
}
