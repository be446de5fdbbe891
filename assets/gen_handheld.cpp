// Draws the pictured handheld around the emulated screen (660x380, 24-bit,
// rows top to bottom, bytes blue, green, red) and the 32x32 window icon
// (words 0xTTRRGGBB with TT = 255 - alpha). Shapes are signed distance
// fields with analytic coverage, so every edge is anti-aliased; all maths
// is deterministic double arithmetic with no randomness.
//
// The controls sit exactly on the compositor's mouse hot spots.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

struct RGB {
    double r, g, b;
};

struct Canvas {
    int w, h;
    std::vector<RGB> px;
    std::vector<double> alpha;
    Canvas(int w_, int h_) : w(w_), h(h_), px(w_ * h_, RGB{0, 0, 0}), alpha(w_ * h_, 0.0) {}
};

double Clamp01(double v)
{
    return v < 0 ? 0 : v > 1 ? 1 : v;
}

double Mix(double a, double b, double t)
{
    return a + (b - a) * t;
}

RGB MixC(RGB a, RGB b, double t)
{
    return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)};
}

RGB Scale(RGB c, double k)
{
    return {c.r * k, c.g * k, c.b * k};
}

double SdRoundBox(double x, double y, double cx, double cy, double hx, double hy, double r)
{
    const double qx = std::fabs(x - cx) - hx + r, qy = std::fabs(y - cy) - hy + r;
    const double ox = qx > 0 ? qx : 0, oy = qy > 0 ? qy : 0;
    const double in = std::fmax(qx, qy);
    return std::sqrt(ox * ox + oy * oy) + (in < 0 ? in : 0) - r;
}

double SdCircle(double x, double y, double cx, double cy, double r)
{
    return std::hypot(x - cx, y - cy) - r;
}

// Triangle pointing from its base centre (bx, by) towards (tx, ty).
double SdTriangle(double x, double y, double bx, double by, double tx, double ty, double halfBase)
{
    const double dx = tx - bx, dy = ty - by, len = std::hypot(dx, dy);
    const double ux = dx / len, uy = dy / len;
    const double px = x - bx, py = y - by;
    const double along = px * ux + py * uy, across = -px * uy + py * ux;
    const double d1 = -along, d2 = along - len;
    // The two slanted sides.
    const double sx = halfBase, sy = len;
    const double n = std::hypot(sx, sy);
    const double d3 = (std::fabs(across) * sy + along * sx - sx * sy) / n;
    return std::fmax(std::fmax(d1, d2), d3);
}

typedef std::function<double(double, double)> Shape;
typedef std::function<RGB(double, double)> Paint;

// Coverage from the distance at the pixel centre: one pixel of soft edge.
void Fill(Canvas &c, const Shape &sd, const Paint &paint, double opacity = 1.0)
{
    for (int y = 0; y < c.h; y++)
        for (int x = 0; x < c.w; x++) {
            const double px = x + 0.5, py = y + 0.5;
            const double cov = Clamp01(0.5 - sd(px, py)) * opacity;
            if (cov <= 0)
                continue;
            RGB &d = c.px[y * c.w + x];
            d = MixC(d, paint(px, py), cov);
            double &a = c.alpha[y * c.w + x];
            a = a + (1 - a) * cov;
        }
}

// A soft dark halo below and right of a shape.
void Shadow(Canvas &c, const Shape &sd, double dx, double dy, double blur, double strength)
{
    for (int y = 0; y < c.h; y++)
        for (int x = 0; x < c.w; x++) {
            const double d = sd(x + 0.5 - dx, y + 0.5 - dy);
            if (d > blur)
                continue;
            const double k = strength * (1 - Clamp01(d / blur));
            RGB &p = c.px[y * c.w + x];
            p = Scale(p, 1 - k);
        }
}

// A round button with a lit top-left and a rim.
void RoundButton(Canvas &c, double cx, double cy, double r, RGB base)
{
    Shadow(c, [=](double x, double y) { return SdCircle(x, y, cx, cy, r); }, 1.5, 2.0, 4.0, 0.45);
    Fill(c, [=](double x, double y) { return SdCircle(x, y, cx, cy, r + 1.5); },
         [=](double, double) { return Scale(base, 0.45); });
    Fill(c, [=](double x, double y) { return SdCircle(x, y, cx, cy, r); },
         [=](double x, double y) {
             const double lx = (x - (cx - r * 0.35)) / r, ly = (y - (cy - r * 0.4)) / r;
             const double lit = Clamp01(1.0 - std::sqrt(lx * lx + ly * ly) * 0.75);
             return MixC(Scale(base, 0.7), RGB{255, 255, 255}, lit * 0.55);
         });
}

void Pill(Canvas &c, double x0, double y0, double x1, double y1, double r, RGB base)
{
    const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2, hx = (x1 - x0) / 2, hy = (y1 - y0) / 2;
    Shadow(c, [=](double x, double y) { return SdRoundBox(x, y, cx, cy, hx, hy, r); }, 1.0, 2.0, 4.0, 0.4);
    Fill(c, [=](double x, double y) { return SdRoundBox(x, y, cx, cy, hx + 1.2, hy + 1.2, r + 1.2); },
         [=](double, double) { return Scale(base, 0.5); });
    Fill(c, [=](double x, double y) { return SdRoundBox(x, y, cx, cy, hx, hy, r); },
         [=](double, double y) {
             const double t = Clamp01((y - y0) / (y1 - y0));
             return MixC(MixC(base, RGB{255, 255, 255}, 0.35), Scale(base, 0.75), t);
         });
}

void Bar(Canvas &c, double cx, double cy, double hx, double hy, RGB col)
{
    Fill(c, [=](double x, double y) { return SdRoundBox(x, y, cx, cy, hx, hy, std::fmin(hx, hy)); },
         [=](double, double) { return col; });
}

void DrawSkin(Canvas &c)
{
    const RGB backdrop{28, 30, 36};
    Fill(c, [](double, double) { return -1.0; },
         [&](double x, double y) {
             const double v = 0.85 + 0.15 * (1 - y / 380.0) - 0.05 * std::fabs(x - 330) / 330;
             return Scale(backdrop, v);
         });

    // Body: silver with a light top, a darker belly and a soft edge light.
    const auto body = [](double x, double y) { return SdRoundBox(x, y, 330, 194, 326, 180, 70); };
    Shadow(c, body, 0, 3, 6, 0.5);
    Fill(c, body, [&](double x, double y) {
        const double t = y / 380.0;
        RGB top{212, 216, 224}, bot{150, 155, 166};
        RGB col = MixC(top, bot, t);
        const double rim = Clamp01(1 + body(x, y) / 10.0); // near the outline
        col = MixC(col, RGB{236, 239, 244}, rim * 0.5 * (1 - t));
        const double side = std::fabs(x - 330) / 330;
        return Scale(col, 1 - 0.08 * side * side);
    });

    // Shoulder buttons on the top edge.
    Pill(c, 4, 2, 116, 27, 12, RGB{118, 122, 134});
    Pill(c, 542, 2, 654, 27, 12, RGB{118, 122, 134});
    Bar(c, 60, 14.5, 18, 2.0, RGB{70, 72, 80});  // L
    Bar(c, 598, 14.5, 18, 2.0, RGB{70, 72, 80}); // R

    // Screen bezel around the opening (columns 169..488, lines 45..284).
    const auto bezel = [](double x, double y) { return SdRoundBox(x, y, 329, 165, 178, 138, 16); };
    Shadow(c, bezel, 0, 2, 5, 0.45);
    Fill(c, bezel, [](double, double y) {
        const double t = (y - 27) / 276.0;
        return MixC(RGB{58, 62, 72}, RGB{22, 24, 30}, Clamp01(t));
    });
    // Gloss stripe across the bezel's upper part.
    Fill(c, [](double x, double y) {
             const double d = SdRoundBox(x, y, 329, 165, 176, 136, 14);
             return std::fmax(d, (y - 0.25 * x) - 30);
         },
         [](double, double) { return RGB{255, 255, 255}; }, 0.08);
    Fill(c, [](double x, double y) { return SdRoundBox(x, y, 328.5, 164.5, 162, 122, 3); },
         [](double, double) { return RGB{8, 8, 10}; });
    // Power LED and speaker holes below the screen.
    Fill(c, [](double x, double y) { return SdCircle(x, y, 190, 296, 3); },
         [](double x, double y) { return MixC(RGB{60, 220, 90}, RGB{200, 255, 210}, Clamp01(1 - std::hypot(x - 189, y - 295) / 3)); });
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 3; j++) {
            const double cx = 440 + i * 9 + (j & 1) * 4.5, cy = 292 + j * 7;
            Fill(c, [=](double x, double y) { return SdCircle(x, y, cx, cy, 2.2); },
                 [](double, double) { return RGB{60, 62, 70}; });
        }

    // Stick: a round well with four arrows on the hot spots and a cap.
    Shadow(c, [](double x, double y) { return SdCircle(x, y, 80, 128, 50); }, 0, 2, 5, 0.35);
    Fill(c, [](double x, double y) { return SdCircle(x, y, 80, 128, 50); },
         [](double, double y) {
             const double t = Clamp01((y - 78) / 100.0);
             return MixC(RGB{96, 100, 112}, RGB{150, 155, 168}, t);
         });
    Fill(c, [](double x, double y) { return SdCircle(x, y, 80, 128, 46); },
         [](double, double y) {
             const double t = Clamp01((y - 82) / 92.0);
             return MixC(RGB{176, 180, 192}, RGB{120, 124, 136}, t);
         });
    const RGB arrow{52, 56, 66};
    Fill(c, [](double x, double y) { return SdTriangle(x, y, 79.5, 103, 79.5, 87, 8); },
         [&](double, double) { return arrow; });
    Fill(c, [](double x, double y) { return SdTriangle(x, y, 79.5, 152, 79.5, 168, 8); },
         [&](double, double) { return arrow; });
    Fill(c, [](double x, double y) { return SdTriangle(x, y, 56, 127, 39, 127, 8); },
         [&](double, double) { return arrow; });
    Fill(c, [](double x, double y) { return SdTriangle(x, y, 104, 127, 121, 127, 8); },
         [&](double, double) { return arrow; });
    RoundButton(c, 80, 127.5, 17, RGB{90, 94, 106});
    Fill(c, [](double x, double y) { return SdCircle(x, y, 80, 127.5, 9); },
         [](double, double y) { return MixC(RGB{70, 73, 84}, RGB{120, 124, 138}, Clamp01((y - 118) / 19)); });

    // Volume rocker with its minus and plus marks.
    Pill(c, 39, 224, 121, 243, 9, RGB{124, 128, 140});
    Fill(c, [](double x, double y) { return std::fabs(x - 80.5) - 0.6 + std::fmax(0.0, std::fabs(y - 233.5) - 7); },
         [](double, double) { return RGB{92, 95, 106}; });
    Bar(c, 57, 233.5, 6, 1.4, RGB{40, 42, 50});
    Bar(c, 104, 233.5, 6, 1.4, RGB{40, 42, 50});
    Bar(c, 104, 233.5, 1.4, 6, RGB{40, 42, 50});

    // The two small buttons under the face buttons.
    for (int k = 0; k < 2; k++) {
        const double cx = k == 0 ? 562.5 : 611.5;
        Fill(c, [=](double x, double y) { return SdRoundBox(x, y, cx, 224.5, 22, 26, 10); },
             [](double, double y) { return MixC(RGB{150, 154, 166}, RGB{176, 180, 192}, Clamp01((y - 198) / 54)); });
        Pill(c, cx - 16, 218, cx + 16, 231, 6.5, RGB{84, 88, 100});
        Bar(c, cx, 242, 10, 1.2, RGB{96, 100, 112});
    }

    // Face buttons: top, bottom, left, right, each with its own tint.
    RoundButton(c, 582, 93, 15, RGB{90, 180, 110});
    RoundButton(c, 582, 161, 15, RGB{90, 130, 200});
    RoundButton(c, 547, 127, 15, RGB{210, 90, 90});
    RoundButton(c, 618, 127, 15, RGB{220, 190, 80});

    // The leave control: a red slider at the left edge.
    Pill(c, 3, 191, 15, 237, 6, RGB{190, 60, 56});
    Bar(c, 9, 207, 3, 1, RGB{250, 220, 216});
    Bar(c, 9, 214, 3, 1, RGB{250, 220, 216});
    Bar(c, 9, 221, 3, 1, RGB{250, 220, 216});
}

void DrawIcon(Canvas &c)
{
    const auto body = [](double x, double y) { return SdRoundBox(x, y, 16, 16.5, 15.5, 10, 5); };
    Fill(c, body, [](double, double y) { return MixC(RGB{222, 226, 234}, RGB{140, 146, 160}, Clamp01((y - 6) / 21)); });
    Fill(c, [](double x, double y) { return SdRoundBox(x, y, 16, 15, 8.5, 6.5, 1.5); },
         [](double, double) { return RGB{24, 26, 32}; });
    Fill(c, [](double x, double y) { return SdRoundBox(x, y, 16, 15, 7, 5, 0.5); },
         [](double x, double y) {
             const double t = Clamp01((x + y - 18) / 18);
             return MixC(RGB{40, 90, 200}, RGB{240, 140, 60}, t);
         });
    Fill(c, [](double x, double y) { return SdCircle(x, y, 4.5, 16, 2.6); },
         [](double, double) { return RGB{70, 74, 86}; });
    Fill(c, [](double x, double y) { return SdCircle(x, y, 27.5, 14, 1.6); },
         [](double, double) { return RGB{90, 180, 110}; });
    Fill(c, [](double x, double y) { return SdCircle(x, y, 27.5, 19, 1.6); },
         [](double, double) { return RGB{210, 90, 90}; });
}

int Byte(double v)
{
    const long r = std::lround(v);
    return r < 0 ? 0 : r > 255 ? 255 : (int)r;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 || (std::strcmp(argv[2], "skin") != 0 && std::strcmp(argv[2], "icon") != 0)) {
        std::fprintf(stderr, "usage: gen_handheld OUTPUT skin|icon\n");
        return 2;
    }
    std::vector<unsigned char> out;
    if (std::strcmp(argv[2], "skin") == 0) {
        Canvas c(660, 380);
        DrawSkin(c);
        for (const RGB &p : c.px) {
            out.push_back((unsigned char)Byte(p.b));
            out.push_back((unsigned char)Byte(p.g));
            out.push_back((unsigned char)Byte(p.r));
        }
    } else {
        Canvas c(32, 32);
        DrawIcon(c);
        for (int i = 0; i < 32 * 32; i++) {
            const RGB &p = c.px[i];
            const unsigned a = (unsigned)Byte(c.alpha[i] * 255);
            // Colour is stored unpremultiplied where the shape covers it.
            const double k = c.alpha[i] > 0 ? 1.0 / c.alpha[i] : 0;
            const unsigned w = ((255u - a) << 24) | ((unsigned)Byte(p.r * k) << 16) |
                               ((unsigned)Byte(p.g * k) << 8) | (unsigned)Byte(p.b * k);
            for (int b = 0; b < 4; b++)
                out.push_back((unsigned char)(w >> (8 * b)));
        }
    }
    FILE *f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "gen_handheld: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
