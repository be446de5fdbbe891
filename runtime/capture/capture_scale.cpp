#include "runtime/capture/capture_scale.h"

#include <cstring>

void CaptureScale(const u8 *src, u32 w, u32 h, u32 srcPitch, u32 f, u8 *dst)
{
    const size_t out = (size_t)w * f * 3;
    for (u32 y = 0; y < h; y++) {
        const u8 *s = src + (size_t)y * srcPitch;
        u8 *d = dst + (size_t)y * f * out;
        u8 *p = d;
        for (u32 x = 0; x < w; x++, s += 3)
            for (u32 i = 0; i < f; i++, p += 3) {
                p[0] = s[0];
                p[1] = s[1];
                p[2] = s[2];
            }
        // The other lines of the block are copies of the first.
        for (u32 i = 1; i < f; i++)
            std::memcpy(d + i * out, d, out);
    }
}
