// Drawing library: lines and sprites into plain pixel arrays. All clipping
// happens once per line, row or sprite, in 64-bit arithmetic so that any s32
// coordinate is safe; the inner loops write without bounds tests.
#include "draw/zkt_draw.h"

#include <cmath>
#include <cstddef>

namespace {

typedef long long s64;

inline s64 Min64(s64 a, s64 b) { return a < b ? a : b; }
inline s64 Max64(s64 a, s64 b) { return a > b ? a : b; }

// Floor and ceiling of v / 65536 for either sign.
inline s64 FloorFix(s64 v) { return v >= 0 ? v / 65536 : -((-v + 65535) / 65536); }
inline s64 CeilFix(s64 v) { return -FloorFix(-v); }

// 16.16 value to the nearest whole pixel, exact halves towards zero except
// that exactly -1/2 gives -1.
inline s64 RoundFix(s64 v) { return v >= -32768 ? CeilFix(v - 32768) : FloorFix(v + 32768); }

// ---- One-pixel lines ----

// A line along its major axis a (extent majLim, stride majStride) with the
// minor axis b (extent minLim, stride minStride).
template <typename Pixel>
void DrawMajor(Pixel *surf, s64 a0, s64 b0, s64 a1, s64 b1, s64 majLim, s64 minLim, s64 majStride, s64 minStride,
               Pixel colour)
{
    s64 as = a0, bs = b0, ae = a1, be = b1;
    if (as > ae) {
        as = a1, bs = b1;
        ae = a0, be = b0;
    }
    if (as >= majLim || ae < 0)
        return;
    const s64 slope = ((be - bs) * 65536) / (ae - as);

    if (as < 0) {
        bs += (slope * -as) / 65536;
        as = 0;
    }
    if (ae >= majLim) {
        be += (slope * (majLim - 1 - ae)) / 65536;
        ae = majLim - 1;
    }
    // The direction comes from the slope: after the cut above both ends may
    // share a minor coordinate. A zero slope needs no minor cut.
    if (slope > 0) {
        if (bs < 0) {
            as += (-bs * 65536) / slope;
            bs = 0;
        }
        if (be >= minLim)
            ae -= ((be - minLim) * 65536 + 65536) / slope;
    } else if (slope < 0) {
        if (be < 0)
            ae -= (-be * 65536) / -slope;
        if (bs >= minLim) {
            as += ((bs - minLim) * 65536 + 65536) / -slope;
            bs = minLim - 1;
        }
    }
    as = Max64(as, 0);
    ae = Min64(ae, majLim - 1);
    if (as > ae)
        return;

    // The cuts above are rounded; trim the ends exactly so that no pixel can
    // land off the surface. b(a) is monotonic in a.
    auto bAt = [&](s64 a) { return bs + (slope * (a - as)) / 65536; };
    auto first = [&](s64 lo, s64 hi, auto pred) { // first a in [lo, hi] with pred, else hi + 1
        while (lo <= hi) {
            const s64 mid = lo + (hi - lo) / 2;
            if (pred(mid))
                hi = mid - 1;
            else
                lo = mid + 1;
        }
        return lo;
    };
    s64 from, to;
    if (slope >= 0) {
        from = first(as, ae, [&](s64 a) { return bAt(a) >= 0; });
        to = first(as, ae, [&](s64 a) { return bAt(a) >= minLim; }) - 1;
    } else {
        from = first(as, ae, [&](s64 a) { return bAt(a) < minLim; });
        to = first(as, ae, [&](s64 a) { return bAt(a) < 0; }) - 1;
    }

    s64 acc = slope * (from - as);
    for (s64 a = from; a <= to; a++, acc += slope)
        surf[a * majStride + (bs + acc / 65536) * minStride] = colour;
}

template <typename Pixel>
void DrawLine1(Pixel *surf, s32 width, s32 height, s32 x0, s32 y0, s32 x1, s32 y1, Pixel colour)
{
    if (!surf || width <= 0 || height <= 0)
        return;
    const s64 W = width, H = height;
    if (x0 == x1) {
        if (x0 < 0 || x0 >= W)
            return;
        const s64 lo = Max64(Min64(y0, y1), 0), hi = Min64(Max64(y0, y1), H - 1);
        for (s64 y = lo; y <= hi; y++)
            surf[y * W + x0] = colour;
        return;
    }
    if (y0 == y1) {
        if (y0 < 0 || y0 >= H)
            return;
        const s64 lo = Max64(Min64(x0, x1), 0), hi = Min64(Max64(x0, x1), W - 1);
        Pixel *row = surf + (s64)y0 * W;
        for (s64 x = lo; x <= hi; x++)
            row[x] = colour;
        return;
    }
    const s64 dx = (s64)x1 - x0, dy = (s64)y1 - y0;
    if ((dx < 0 ? -dx : dx) > (dy < 0 ? -dy : dy))
        DrawMajor<Pixel>(surf, x0, y0, x1, y1, W, H, 1, W, colour);
    else
        DrawMajor<Pixel>(surf, y0, x0, y1, x1, H, W, W, 1, colour);
}

// ---- Thick lines ----

template <typename Pixel> void FillRect(Pixel *surf, s64 W, s64 H, s64 x0, s64 y0, s64 x1, s64 y1, Pixel colour)
{
    x0 = Max64(x0, 0);
    y0 = Max64(y0, 0);
    x1 = Min64(x1, W - 1);
    y1 = Min64(y1, H - 1);
    for (s64 y = y0; y <= y1; y++) {
        Pixel *row = surf + y * W;
        for (s64 x = x0; x <= x1; x++)
            row[x] = colour;
    }
}

struct Corner {
    s64 x, y;
};

// One side of the quadrilateral: from the top corner to its middle corner,
// then on to the bottom corner. The value is advanced before each row is
// filled, so it reaches the middle corner on the middle corner's row.
struct Edge {
    s64 top, topY, midY, slope1, slope2;
    s64 At(s64 y) const
    {
        if (y <= midY)
            return top + (y - topY + 1) * slope1;
        return top + (midY - topY + 1) * slope1 + (y - midY) * slope2;
    }
};

Edge MakeEdge(const Corner &t, const Corner &m, const Corner &b)
{
    Edge e;
    e.top = t.x * 65536;
    e.topY = t.y;
    e.midY = m.y;
    e.slope1 = ((m.x - t.x) * 65536) / (m.y - t.y + 1);
    e.slope2 = ((b.x - m.x) * 65536) / (b.y - m.y + 1);
    return e;
}

template <typename Pixel>
void DrawLineThick(Pixel *surf, s32 width, s32 height, s32 x0, s32 y0, s32 x1, s32 y1, s32 thickness,
                   Pixel colour)
{
    // A thickness below one covers no pixel on either side of the centre.
    if (!surf || width <= 0 || height <= 0 || thickness < 1)
        return;
    const s64 W = width, H = height;
    const s64 h1 = thickness >> 1, h2 = thickness - h1;
    if (x0 == x1) {
        if ((s64)x0 + h2 < 1 || (s64)x0 - h1 >= W)
            return;
        FillRect<Pixel>(surf, W, H, x0 - h1, Min64(y0, y1), x0 + h2 - 1, Max64(y0, y1), colour);
        return;
    }
    if (y0 == y1) {
        if ((s64)y0 + h2 < 1 || (s64)y0 - h1 >= H)
            return;
        FillRect<Pixel>(surf, W, H, Min64(x0, x1), y0 - h1, Max64(x0, x1), y0 + h2 - 1, colour);
        return;
    }

    const s64 dx = (s64)x1 - x0, dy = (s64)y1 - y0;
    const s64 len = (s64)std::sqrt((double)dx * (double)dx + (double)dy * (double)dy);
    const s64 nx = (-dy * 65536) / len, ny = (dx * 65536) / len;
    const s64 a = RoundFix(h1 * nx), b = RoundFix(h1 * ny);
    const s64 c = RoundFix(h2 * nx), d = RoundFix(h2 * ny);
    // A parallelogram: corners 0 and 3, and 1 and 2, are opposite.
    const Corner k[4] = {{x0 + a, y0 + b}, {x0 - c, y0 - d}, {x1 + a, y1 + b}, {x1 - c, y1 - d}};

    // The top corner (ties to the left) is opposite the bottom one, so the
    // two others are the middle corners where each side changes edge.
    int t = 0;
    for (int i = 1; i < 4; i++)
        if (k[i].y < k[t].y || (k[i].y == k[t].y && k[i].x < k[t].x))
            t = i;
    const Corner &top = k[t], &bot = k[3 - t];
    const Corner &ma = k[t == 0 || t == 3 ? 1 : 0], &mb = k[t == 0 || t == 3 ? 2 : 3];
    const __int128 cross = (__int128)(ma.x - top.x) * (mb.y - top.y) - (__int128)(ma.y - top.y) * (mb.x - top.x);
    const bool bALeft = cross < 0 || (cross == 0 && ma.x <= mb.x);
    const Edge left = MakeEdge(top, bALeft ? ma : mb, bot);
    const Edge right = MakeEdge(top, bALeft ? mb : ma, bot);

    const s64 yEnd = Min64(bot.y, H);
    for (s64 y = Max64(top.y, 0); y < yEnd; y++) {
        const s64 L = left.At(y), R = right.At(y);
        const s64 xl = L < 32768 ? 0 : CeilFix(L + 32768);
        const s64 xr = Min64(RoundFix(R), W);
        Pixel *row = surf + y * W;
        for (s64 x = xl; x < xr; x++)
            row[x] = colour;
    }
}

// ---- Sprites ----

template <typename Pixel>
void DrawSprite(Pixel *surf, s32 width, s32 height, s32 x, s32 y, const u8 *pic, s32 w, s32 h, u32 useKey,
                u8 key)
{
    if (!surf || !pic || width <= 0 || height <= 0 || w <= 0 || h <= 0)
        return;
    const s64 W = width, H = height;
    if (x > W || y > H || (s64)x + w < 0 || (s64)y + h < 0)
        return;
    const s64 c0 = x < 0 ? -(s64)x : 0, c1 = Min64(w, W - x);
    const s64 r0 = y < 0 ? -(s64)y : 0, r1 = Min64(h, H - y);
    for (s64 r = r0; r < r1; r++) {
        const u8 *src = pic + r * w;
        Pixel *dst = surf + (y + r) * W + x;
        if (useKey) {
            for (s64 cc = c0; cc < c1; cc++)
                if (src[cc] != key)
                    dst[cc] = (Pixel)(src[cc] * (sizeof(Pixel) == 2 ? 257 : 1));
        } else {
            for (s64 cc = c0; cc < c1; cc++)
                dst[cc] = (Pixel)(src[cc] * (sizeof(Pixel) == 2 ? 257 : 1));
        }
    }
}

// 5-6-5 bits of a 0x00RRGGBB colour spread apart so that three products by
// a 5-bit weight cannot carry into each other.
inline u32 Spread565(u32 c)
{
    return ((c & 0xF80000u) << 2) | (c & 0xFC00u) | ((c >> 3) & 0x1Fu);
}

// Each field of m holds colour * 31 at most; dividing by 32 brings it back
// to 5-6-5 bits, which then sit at the top of their bytes.
inline u32 Blend32(u32 p, u32 d)
{
    const u32 a = p >> 27;
    const u32 m = ((Spread565(p) * a) & 0x7F9FE3FCu) + ((Spread565(d) * (31 - a)) & 0x7F9FE3FCu);
    return ((m >> 7) & 0xF80000u) | ((m >> 5) & 0xFC00u) | ((m >> 2) & 0xF8u);
}

} // namespace

void ZKT_DrawLine16(u16 *surface, s32 width, s32 height, s32 x0, s32 y0, s32 x1, s32 y1, u16 colour)
{
    DrawLine1<u16>(surface, width, height, x0, y0, x1, y1, colour);
}

void ZKT_DrawLine32(u32 *surface, s32 width, s32 height, s32 x0, s32 y0, s32 x1, s32 y1, u32 colour)
{
    DrawLine1<u32>(surface, width, height, x0, y0, x1, y1, colour);
}

void ZKT_DrawLineW8(u8 *surface, s32 width, s32 height, s32 x0, s32 y0, s32 x1, s32 y1, s32 thickness, u8 colour)
{
    DrawLineThick<u8>(surface, width, height, x0, y0, x1, y1, thickness, colour);
}

void ZKT_DrawLineW16(u16 *surface, s32 width, s32 height, s32 x0, s32 y0, s32 x1, s32 y1, s32 thickness,
                     u16 colour)
{
    DrawLineThick<u16>(surface, width, height, x0, y0, x1, y1, thickness, colour);
}

void ZKT_DrawSprite8(u8 *surface, s32 width, s32 height, s32 x, s32 y, const u8 *picture, s32 w, s32 h, u32 useKey,
                     u8 key)
{
    DrawSprite<u8>(surface, width, height, x, y, picture, w, h, useKey, key);
}

void ZKT_DrawSpriteW8(u16 *surface, s32 width, s32 height, s32 x, s32 y, const u8 *picture, s32 w, s32 h,
                      u32 useKey, u8 key)
{
    DrawSprite<u16>(surface, width, height, x, y, picture, w, h, useKey, key);
}

void ZKT_Draw_AdvSprite(u32 *surface, s32 width, s32 height, s32 cx, s32 cy, const u32 *picture, s32 srcW,
                        s32 srcH, s32 dudx, s32 dvdx, s32 dudy, s32 dvdy)
{
    if (!surface || !picture || width <= 0 || height <= 0 || srcW <= 0 || srcH <= 0)
        return;
    const s64 W = width, H = height;
    const s64 uMax = (s64)srcW << 14, vMax = (s64)srcH << 14;
    const s64 u0 = (s64)(srcW >> 1) << 14, v0 = (s64)(srcH >> 1) << 14;

    // Box of destination pixels that can map into the picture: the picture's
    // corners taken through the inverse of the step matrix, plus a margin for
    // rounding. A singular matrix maps a whole strip; scan the surface then.
    s64 bx0 = 0, bx1 = W, by0 = 0, by1 = H;
    const double det = (double)dudx * dvdy - (double)dudy * dvdx;
    if (det != 0.0) {
        double lox = 1e300, hix = -1e300, loy = 1e300, hiy = -1e300;
        for (int i = 0; i < 4; i++) {
            const double du = (double)((i & 1) ? uMax : 0) - (double)u0;
            const double dv = (double)((i & 2) ? vMax : 0) - (double)v0;
            const double ox = (dvdy * du - dudy * dv) / det, oy = (dudx * dv - dvdx * du) / det;
            lox = std::fmin(lox, ox), hix = std::fmax(hix, ox);
            loy = std::fmin(loy, oy), hiy = std::fmax(hiy, oy);
        }
        auto clampTo = [](double v, s64 lo, s64 hi) { return v < (double)lo ? lo : v > (double)hi ? hi : (s64)v; };
        bx0 = Max64(clampTo(std::floor(cx + lox) - 2, -1, W + 1), 0);
        bx1 = Min64(clampTo(std::ceil(cx + hix) + 3, -1, W + 1), W);
        by0 = Max64(clampTo(std::floor(cy + loy) - 2, -1, H + 1), 0);
        by1 = Min64(clampTo(std::ceil(cy + hiy) + 3, -1, H + 1), H);
    }
    if (bx0 >= bx1 || by0 >= by1)
        return;

    const s64 span = bx1 - 1 - bx0;
    for (s64 y = by0; y < by1; y++) {
        // Row ends in 128 bits: far off the picture they may not fit in 64.
        // A row whose u or v stays on one side of the picture is skipped;
        // on the others both ends are within 2^63.
        const __int128 ru = (__int128)u0 + (__int128)dudx * (bx0 - cx) + (__int128)dudy * (y - cy);
        const __int128 rv = (__int128)v0 + (__int128)dvdx * (bx0 - cx) + (__int128)dvdy * (y - cy);
        const __int128 eu = ru + (__int128)dudx * span, ev = rv + (__int128)dvdx * span;
        if ((ru < 0 && eu < 0) || (ru >= uMax && eu >= uMax) || (rv < 0 && ev < 0) || (rv >= vMax && ev >= vMax))
            continue;
        s64 u = (s64)ru, v = (s64)rv;
        u32 *row = surface + y * W;
        for (s64 x = bx0; x < bx1; x++, u += dudx, v += dvdx) {
            if (u < 0 || v < 0 || u >= uMax || v >= vMax)
                continue;
            const u32 p = picture[(size_t)(u >> 14) + (size_t)srcW * (size_t)(v >> 14)];
            if (p <= 0xFFFFFFu)
                continue;
            row[x] = p > 0xFEFFFFFFu ? (p & 0xFFFFFFu) : Blend32(p, row[x]);
        }
    }
}
