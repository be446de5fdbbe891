// Paints the six background pictures of the main part (360x288, YUY2) and
// writes one of them: backgrounds <out> <1..6>. Everything is procedural
// and seeded, so the bytes are the same on every run.
//
//   1  mountain ridges at dusk      4  dunes under a setting sun
//   2  nebula with a star field     5  a Julia set in violet and gold
//   3  aurora over a frozen lake    6  a teal and violet plasma
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int W = 360;
const int H = 288;

struct Rgb {
    float r, g, b;
};

Rgb rgb(float r, float g, float b) { return Rgb{r, g, b}; }
Rgb add(Rgb a, Rgb b) { return Rgb{a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb scale(Rgb a, float s) { return Rgb{a.r * s, a.g * s, a.b * s}; }
Rgb mix(Rgb a, Rgb b, float t) { return Rgb{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

float clampf(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }
float smooth(float e0, float e1, float x)
{
    float t = clampf((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// Integer hash: well mixed and identical on every platform.
uint32_t hash3(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}
float hashf(int x, int y, uint32_t seed) { return (hash3((uint32_t)x, (uint32_t)y, seed) & 0xFFFFFF) / 16777216.0f; }

float vnoise(float x, float y, uint32_t seed)
{
    int xi = (int)std::floor(x), yi = (int)std::floor(y);
    float fx = x - xi, fy = y - yi;
    float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    float a = hashf(xi, yi, seed), b = hashf(xi + 1, yi, seed);
    float c = hashf(xi, yi + 1, seed), d = hashf(xi + 1, yi + 1, seed);
    return a + (b - a) * sx + (c - a) * sy + (a - b - c + d) * sx * sy;
}

// Fractal sum of value noise, roughly in 0..1.
float fbm(float x, float y, int octaves, uint32_t seed)
{
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; i++) {
        sum += amp * vnoise(x, y, seed + i * 101);
        norm += amp;
        x = x * 2.03f + 17.1f;
        y = y * 2.03f + 5.3f;
        amp *= 0.5f;
    }
    return sum / norm;
}

// A sparse star field: returns brightness at (x, y).
float stars(int x, int y, uint32_t seed, float density)
{
    float h = hashf(x, y, seed);
    if (h > density)
        return 0.0f;
    float b = hashf(x, y, seed + 7);
    return b * b * b * 1.2f + 0.15f;
}

// Cosine colour ramp: a + b * cos(2pi (c t + d)).
Rgb ramp(float t, Rgb a, Rgb b, Rgb c, Rgb d)
{
    const float tau = 6.2831853f;
    return Rgb{a.r + b.r * std::cos(tau * (c.r * t + d.r)), a.g + b.g * std::cos(tau * (c.g * t + d.g)),
               a.b + b.b * std::cos(tau * (c.b * t + d.b))};
}

// ---- 1: mountain ridges at dusk ----
// Ridged noise: sharp crests where the noise crosses its middle.
float ridgeNoise(float x, int layer)
{
    float sum = 0, amp = 0.55f, f = 1.0f / (170.0f - layer * 30.0f);
    for (int o = 0; o < 6; o++) {
        float n = vnoise(x * f + layer * 9.0f, layer * 3.7f + o * 1.3f, 40 + layer * 7 + o);
        sum += amp * (1.0f - std::fabs(2.0f * n - 1.0f));
        f *= 2.1f;
        amp *= 0.48f;
    }
    return sum;
}

Rgb paintDusk(int x, int y)
{
    float v = y / (float)H;
    Rgb sky = mix(rgb(0.10f, 0.07f, 0.25f), rgb(0.55f, 0.25f, 0.45f), smooth(0.0f, 0.45f, v));
    sky = mix(sky, rgb(1.00f, 0.55f, 0.30f), smooth(0.30f, 0.62f, v));
    // Sun glow low behind the ridges, right of centre.
    float dx = (x - 235) / (float)W, dy = (y - 170) / (float)H;
    float glow = std::exp(-(dx * dx + dy * dy) * 18.0f);
    sky = add(sky, scale(rgb(1.0f, 0.75f, 0.45f), glow * 0.55f));
    // Thin streaky clouds.
    float cl = fbm(x / 90.0f, y / 14.0f, 5, 11);
    float cloud = smooth(0.55f, 0.75f, cl) * (1.0f - smooth(0.35f, 0.55f, v));
    sky = mix(sky, mix(rgb(0.85f, 0.45f, 0.55f), rgb(1.0f, 0.8f, 0.6f), glow), cloud * 0.6f);
    float st = stars(x, y, 3, 0.004f) * (1.0f - smooth(0.05f, 0.35f, v));
    sky = add(sky, rgb(st, st, st * 0.9f));

    // Four ridges, far to near: each nearer one darker and less hazy.
    const Rgb far = rgb(0.62f, 0.40f, 0.55f), nearc = rgb(0.05f, 0.03f, 0.09f);
    Rgb c = sky;
    for (int l = 0; l < 4; l++) {
        float base = 175.0f + l * 28.0f;
        float amp = 95.0f - l * 12.0f;
        float ridge = base - amp * ridgeNoise((float)x, l);
        if (y >= ridge) {
            float t = l / 3.0f;
            Rgb m = mix(far, nearc, t);
            // Light on the slopes facing the sun, haze thickening downward.
            float slope = ridgeNoise(x + 1.5f, l) - ridgeNoise(x - 1.5f, l);
            float lit = clampf(0.5f + slope * 6.0f, 0.0f, 1.0f);
            m = add(m, scale(rgb(0.35f, 0.18f, 0.12f), lit * (1.0f - t) * 0.7f));
            float haze = (1.0f - smooth(ridge, ridge + 50.0f, (float)y)) * (1.0f - t) * 0.25f;
            c = mix(m, rgb(0.75f, 0.45f, 0.5f), haze);
            c = add(c, scale(rgb(0.05f, 0.04f, 0.06f), fbm(x / 6.0f, y / 6.0f, 3, 90 + l) - 0.5f));
        }
    }
    return c;
}

// ---- 2: nebula ----
Rgb paintNebula(int x, int y)
{
    float u = x / 110.0f, v = y / 110.0f;
    // Domain warp for billowing filaments.
    float wx = fbm(u + 3.1f, v + 1.7f, 5, 21), wy = fbm(u + 8.3f, v + 2.8f, 5, 22);
    float n = fbm(u + 2.2f * wx, v + 2.2f * wy, 6, 23);
    float m = fbm(u * 1.7f + 4.0f * wy, v * 1.7f - 3.0f * wx, 5, 24);
    Rgb c = rgb(0.01f, 0.01f, 0.04f);
    float dens = smooth(0.35f, 0.85f, n);
    Rgb gas = mix(rgb(0.45f, 0.05f, 0.45f), rgb(0.10f, 0.45f, 0.75f), smooth(0.3f, 0.7f, m));
    gas = mix(gas, rgb(1.0f, 0.72f, 0.35f), smooth(0.72f, 0.95f, n) * 0.9f);
    c = add(c, scale(gas, dens * 1.1f));
    // Dark dust lanes cut through the glow.
    float dust = smooth(0.55f, 0.75f, fbm(u * 2.3f + 9.0f, v * 2.3f, 5, 25));
    c = scale(c, 1.0f - dust * 0.75f);
    // Stars, a few large ones with a soft halo.
    float st = stars(x, y, 26, 0.012f);
    c = add(c, rgb(st, st, st));
    static const int big[][2] = {{52, 40}, {300, 62}, {210, 230}, {96, 190}, {330, 250}, {160, 110}};
    for (auto &b : big) {
        float ddx = (float)(x - b[0]), ddy = (float)(y - b[1]);
        float d2 = ddx * ddx + ddy * ddy;
        float halo = std::exp(-d2 / 18.0f) + 0.25f * std::exp(-d2 / 120.0f);
        float spike = (std::exp(-ddy * ddy / 0.6f) * std::exp(-std::fabs(ddx) / 9.0f) +
                       std::exp(-ddx * ddx / 0.6f) * std::exp(-std::fabs(ddy) / 9.0f)) * 0.5f;
        c = add(c, scale(rgb(0.9f, 0.95f, 1.0f), halo + spike));
    }
    return c;
}

// ---- 3: aurora over a frozen lake ----
Rgb auroraSky(float x, float y)
{
    float v = y / 170.0f;
    Rgb c = mix(rgb(0.01f, 0.02f, 0.07f), rgb(0.03f, 0.12f, 0.20f), v);
    // Two curtains following wavy lines; bright at the lower edge, fading up.
    for (int k = 0; k < 2; k++) {
        float line = 95.0f + k * 28.0f + 22.0f * std::sin(x * 0.018f + k * 2.0f) + 12.0f * (fbm(x / 60.0f, k * 5.0f, 4, 31 + k) - 0.5f);
        float d = line - y;  // distance above the lower edge
        if (d > -6.0f) {
            float edge = std::exp(-std::max(d, 0.0f) / (35.0f + k * 15.0f)) * smooth(-6.0f, 2.0f, d);
            float rays = 0.5f + 0.5f * fbm(x / 3.5f, k * 13.0f, 3, 35 + k);
            float a = edge * rays * (k ? 0.7f : 1.0f);
            Rgb col = mix(rgb(0.15f, 1.0f, 0.45f), rgb(0.55f, 0.25f, 0.85f), smooth(10.0f, 70.0f, d));
            c = add(c, scale(col, a * 0.9f));
        }
    }
    return c;
}

Rgb paintAurora(int x, int y)
{
    const int horizon = 182;
    float hill = horizon - 14.0f * fbm(x / 70.0f, 1.0f, 5, 37) - 10.0f * smooth(220.0f, 360.0f, (float)x);
    if (y < hill) {
        Rgb c = auroraSky((float)x, (float)y);
        float st = stars(x, y, 38, 0.006f);
        return add(c, rgb(st, st, st));
    }
    if (y < horizon + 3) {
        // Snowy hills, faintly green from the sky above.
        float s = fbm(x / 8.0f, y / 8.0f, 3, 39);
        return add(rgb(0.10f, 0.16f, 0.20f), scale(rgb(0.10f, 0.25f, 0.20f), s));
    }
    // Ice: mirror the sky with ripples, darker and bluer, plus cracks.
    float depth = (float)(y - horizon);
    float rip = 3.0f * std::sin(y * 0.9f + 2.0f * fbm(x / 30.0f, y / 6.0f, 3, 40)) * (depth / 106.0f);
    float my = 2.0f * horizon - y;
    Rgb r = auroraSky(x + rip, clampf(my, 0.0f, (float)horizon));
    float hillAt = horizon - 14.0f * fbm((x + rip) / 70.0f, 1.0f, 5, 37) - 10.0f * smooth(220.0f, 360.0f, x + rip);
    if (my >= hillAt)
        r = rgb(0.08f, 0.12f, 0.16f);
    Rgb ice = mix(rgb(0.04f, 0.08f, 0.14f), rgb(0.10f, 0.16f, 0.24f), fbm(x / 40.0f, y / 10.0f, 4, 41));
    Rgb c = mix(ice, r, 0.55f - depth / 400.0f);
    float crack = smooth(0.47f, 0.5f, fbm(x / 25.0f, y / 9.0f, 5, 42)) * (1.0f - smooth(0.5f, 0.53f, fbm(x / 25.0f, y / 9.0f, 5, 42)));
    return add(c, scale(rgb(0.5f, 0.7f, 0.8f), crack * 0.12f));
}

// ---- 4: dunes under a setting sun ----
float duneHeight(float x, int layer)
{
    float f = 1.0f / (110.0f - layer * 20.0f);
    return std::sin(x * f * 6.28f + layer * 1.3f) * (10.0f + layer * 3.0f) +
           (fbm(x * f * 1.2f, layer * 4.0f, 3, 50 + layer) - 0.5f) * (22.0f + layer * 6.0f);
}

Rgb paintDunes(int x, int y)
{
    float v = y / (float)H;
    Rgb sky = mix(rgb(0.30f, 0.05f, 0.12f), rgb(0.95f, 0.35f, 0.10f), smooth(0.0f, 0.5f, v));
    sky = mix(sky, rgb(1.0f, 0.80f, 0.35f), smooth(0.38f, 0.58f, v));
    float dx = x - 120.0f, dy = y - 128.0f;
    float d = std::sqrt(dx * dx + dy * dy);
    sky = add(sky, scale(rgb(1.0f, 0.6f, 0.2f), std::exp(-d / 60.0f) * 0.6f));
    if (d < 26.0f) {
        // The sun, cut by a few thin bands of haze.
        float band = (y > 118 && (y / 5) % 2 == 0) ? 0.0f : 1.0f;
        sky = mix(sky, rgb(1.0f, 0.95f, 0.7f), smooth(26.0f, 24.0f, d) * (band > 0 ? 1.0f : 0.35f));
    }
    // Wisps of cloud across the sky.
    float cl = smooth(0.58f, 0.8f, fbm(x / 120.0f, y / 10.0f, 5, 55)) * (1.0f - smooth(0.3f, 0.5f, v));
    sky = mix(sky, rgb(0.6f, 0.15f, 0.2f), cl * 0.7f);

    Rgb c = sky;
    for (int l = 0; l < 4; l++) {
        float top = 150.0f + l * 32.0f + duneHeight((float)x, l);
        if (y >= top) {
            // Lit side versus shadow side from the dune's slope (sun on the left).
            float slope = duneHeight(x + 1.0f, l) - duneHeight(x - 1.0f, l);
            float lit = clampf(0.55f + slope * 0.6f, 0.0f, 1.0f);
            Rgb sand = mix(rgb(0.35f, 0.10f, 0.06f), rgb(0.95f, 0.55f, 0.25f), lit);
            float t = l / 3.0f;
            sand = mix(mix(sand, rgb(0.85f, 0.45f, 0.3f), 0.45f * (1.0f - t)), sand, t);
            // Wind ripples and grain.
            float rip = std::sin((y - top) * 0.8f + x * 0.05f + 4.0f * fbm(x / 40.0f, y / 20.0f, 3, 60 + l));
            sand = scale(sand, 0.95f + 0.03f * rip + 0.06f * (hashf(x, y, 61) - 0.5f));
            // Crest highlight.
            sand = add(sand, scale(rgb(1.0f, 0.7f, 0.4f), std::exp(-(y - top) / 2.0f) * 0.35f));
            c = sand;
        }
    }
    return c;
}

// ---- 5: Julia set ----
Rgb paintJulia(int x, int y)
{
    Rgb acc = rgb(0, 0, 0);
    for (int s = 0; s < 4; s++) {
        float px = (x + 0.25f + 0.5f * (s & 1) - W / 2.0f) / 140.0f;
        float py = (y + 0.25f + 0.5f * (s >> 1) - H / 2.0f) / 140.0f;
        // Slight rotation for a less axis-bound composition.
        float zx = px * 0.94f - py * 0.34f, zy = px * 0.34f + py * 0.94f;
        const float cx = -0.745f, cy = 0.113f;
        int i = 0;
        const int maxIter = 200;
        float r2 = 0;
        for (; i < maxIter; i++) {
            float nx = zx * zx - zy * zy + cx;
            zy = 2 * zx * zy + cy;
            zx = nx;
            r2 = zx * zx + zy * zy;
            if (r2 > 256.0f)
                break;
        }
        Rgb c;
        if (i == maxIter) {
            c = rgb(0.02f, 0.0f, 0.05f);
        } else {
            float mu = i + 1.0f - std::log(std::log(std::sqrt(r2))) / std::log(2.0f);
            float t = std::sqrt(mu / 60.0f);
            c = ramp(t, rgb(0.5f, 0.35f, 0.45f), rgb(0.5f, 0.35f, 0.4f), rgb(1.0f, 1.0f, 1.0f), rgb(0.0f, 0.12f, 0.25f));
            c = scale(c, smooth(0.0f, 0.35f, t) * 0.9f + 0.1f);
        }
        acc = add(acc, c);
    }
    return scale(acc, 0.25f);
}

// ---- 6: plasma ----
Rgb paintPlasma(int x, int y)
{
    float fx = x / 40.0f, fy = y / 40.0f;
    float v = std::sin(fx * 1.3f + 0.5f) + std::sin(fy * 1.1f - 0.7f) + std::sin((fx + fy) * 0.9f) +
              std::sin(std::sqrt((fx - 4.5f) * (fx - 4.5f) + (fy - 3.6f) * (fy - 3.6f)) * 1.6f);
    v += 0.5f * std::sin(fx * 3.1f + 2.0f * std::sin(fy * 1.7f)) + 0.35f * std::sin(fy * 3.7f - fx * 1.9f);
    v += 1.4f * (fbm(fx * 0.6f, fy * 0.6f, 4, 70) - 0.5f);
    float t = v * 0.125f + 0.5f;
    Rgb c = ramp(t * 1.3f, rgb(0.30f, 0.25f, 0.45f), rgb(0.30f, 0.25f, 0.35f), rgb(1.0f, 0.9f, 0.8f), rgb(0.55f, 0.35f, 0.15f));
    // Vignette keeps the corners calm behind the streaks.
    float dx = (x - W / 2.0f) / W, dy = (y - H / 2.0f) / H;
    return scale(c, 1.0f - 0.9f * (dx * dx + dy * dy));
}

int toByte(float v)
{
    int i = (int)std::lround(clampf(v, 0.0f, 1.0f) * 255.0f);
    return i;
}

// BT.601 studio range, the integer form the hardware model uses.
void rgbToYuv(int r, int g, int b, int *y, int *u, int *v)
{
    *y = ((66 * r + 129 * g + 25 * b + 128) >> 8) + 16;
    *u = ((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128;
    *v = ((112 * r - 94 * g - 18 * b + 128) >> 8) + 128;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: backgrounds OUT 1..6\n");
        return 2;
    }
    int which = std::atoi(argv[2]);
    Rgb (*paint)(int, int) = nullptr;
    switch (which) {
    case 1: paint = paintDusk; break;
    case 2: paint = paintNebula; break;
    case 3: paint = paintAurora; break;
    case 4: paint = paintDunes; break;
    case 5: paint = paintJulia; break;
    case 6: paint = paintPlasma; break;
    default:
        std::fprintf(stderr, "backgrounds: picture must be 1..6\n");
        return 2;
    }
    std::vector<unsigned char> out((size_t)W * H * 2);
    for (int y = 0; y < H; y++) {
        for (int x = 0; x < W; x += 2) {
            Rgb a = paint(x, y), b = paint(x + 1, y);
            int ra = toByte(a.r), ga = toByte(a.g), ba = toByte(a.b);
            int rb = toByte(b.r), gb = toByte(b.g), bb = toByte(b.b);
            int y0, y1, u, v, du, dv;
            rgbToYuv(ra, ga, ba, &y0, &du, &dv);
            rgbToYuv(rb, gb, bb, &y1, &du, &dv);
            rgbToYuv((ra + rb + 1) / 2, (ga + gb + 1) / 2, (ba + bb + 1) / 2, &du, &u, &v);
            unsigned char *p = &out[((size_t)y * W + x) * 2];
            p[0] = (unsigned char)y0;
            p[1] = (unsigned char)u;
            p[2] = (unsigned char)y1;
            p[3] = (unsigned char)v;
        }
    }
    std::string tmp = std::string(argv[1]) + ".tmp";
    FILE *f = std::fopen(tmp.c_str(), "wb");
    if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size() || std::fclose(f) != 0 ||
        std::rename(tmp.c_str(), argv[1]) != 0) {
        std::fprintf(stderr, "backgrounds: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
