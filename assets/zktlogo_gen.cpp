// Draws the maker's logo, the word "Zokatel", and writes it as the splash
// part's run-length codes: little-endian 16-bit words, a word below 0x600
// skips that many columns, any other word is one pixel (intensity << 12 |
// group << 8 | index), and a 0 ends the picture. The picture is 360 columns
// by 39 rows.
//
// The letters are our own shapes (bars, slanted bars and elliptic rings),
// sampled 8x8 times per pixel for smooth edges and shaded as a bevel lit
// from the top left. The group and index of a pixel depend on its column
// only, so that the splash part's colour strip sweeps across the word.
//
// usage: zktlogo_gen OUT.bin [PREVIEW.pgm]
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

const int W = 360, H = 39, SS = 8;

enum Kind { RECT, POLY, RING };

struct Shape {
    Kind kind;
    double v[8];   // RECT: x0 y0 x1 y1; POLY: four corners; RING: cx cy rxo ryo rxi ryi gap0 gap1
};

std::vector<Shape> s_shapes;

void Rect(double x0, double y0, double x1, double y1)
{
    s_shapes.push_back({RECT, {x0, y0, x1, y1, 0, 0, 0, 0}});
}

// Convex quadrilateral, corners in clockwise order on screen (y down).
void Quad(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy)
{
    s_shapes.push_back({POLY, {ax, ay, bx, by, cx, cy, dx, dy}});
}

// Elliptic ring; angles (radians, y down, 0 = right) inside [gap0, gap1] are left open.
void Ring(double cx, double cy, double rxo, double ryo, double rxi, double ryi, double gap0 = 0, double gap1 = 0)
{
    s_shapes.push_back({RING, {cx, cy, rxo, ryo, rxi, ryi, gap0, gap1}});
}

bool Inside(const Shape &s, double x, double y)
{
    const double *v = s.v;
    switch (s.kind) {
    case RECT:
        return x >= v[0] && x < v[2] && y >= v[1] && y < v[3];
    case POLY:
        for (int k = 0; k < 4; k++) {
            double ax = v[2 * k], ay = v[2 * k + 1];
            double bx = v[(2 * k + 2) % 8], by = v[(2 * k + 3) % 8];
            if ((bx - ax) * (y - ay) - (by - ay) * (x - ax) < 0)
                return false;
        }
        return true;
    case RING: {
        double dx = x - v[0], dy = y - v[1];
        double o = (dx / v[2]) * (dx / v[2]) + (dy / v[3]) * (dy / v[3]);
        double i = (dx / v[4]) * (dx / v[4]) + (dy / v[5]) * (dy / v[5]);
        if (o > 1.0 || i < 1.0)
            return false;
        if (v[7] > v[6]) {
            double a = std::atan2(dy, dx);
            if (a >= v[6] && a <= v[7])
                return false;
        }
        return true;
    }
    }
    return false;
}

// Vertical metrics: caps and ascenders from row 1, x-height from row 11,
// baseline at row 38. Vertical strokes 8 wide, horizontal ones 7.
const double TOP = 1, XH = 11, BASE = 38, CY = (XH + BASE) / 2;
const double GAP = 10;

double LetterZ(double x)
{
    Rect(x, TOP, x + 40, TOP + 7);
    Rect(x, BASE - 7, x + 40, BASE);
    Quad(x + 30, TOP + 7, x + 40, TOP + 7, x + 10, BASE - 7, x, BASE - 7);
    return x + 40;
}

double LetterO(double x, double rx)
{
    Ring(x + rx, CY, rx, BASE - CY, rx - 8, BASE - CY - 7);
    return x + 2 * rx;
}

double LetterK(double x)
{
    Rect(x, TOP, x + 8, BASE);
    Quad(x + 8, 22, x + 20, XH, x + 31, XH, x + 8, 32);
    Quad(x + 13, 26, x + 19, 20, x + 33, BASE, x + 23, BASE);
    return x + 33;
}

double LetterA(double x, double rx)
{
    Ring(x + rx, CY, rx, BASE - CY, rx - 8, BASE - CY - 7);
    Rect(x + 2 * rx - 8, XH, x + 2 * rx, BASE);
    return x + 2 * rx;
}

double LetterT(double x)
{
    Rect(x + 8, TOP + 3, x + 16, BASE);
    Rect(x, XH, x + 26, XH + 7);
    return x + 26;
}

double LetterE(double x, double rx)
{
    // Open at the lower right, between the bar and the lower bowl.
    Ring(x + rx, CY, rx, BASE - CY, rx - 8, BASE - CY - 7, 0.22, 0.85);
    Rect(x + 4, CY - 3, x + 2 * rx - 1, CY + 3.5);
    return x + 2 * rx;
}

double LetterL(double x)
{
    Rect(x, TOP, x + 8, BASE);
    return x + 8;
}

void Layout()
{
    // Total advance is 291 columns; centred on column 180 and so well inside
    // the 320 columns the handheld's own screen shows.
    double x = 180 - 291.0 / 2;
    x = LetterZ(x) + GAP;
    x = LetterO(x, 21) + GAP;
    x = LetterK(x) + GAP;
    x = LetterA(x, 20) + GAP;
    x = LetterT(x) + GAP;
    x = LetterE(x, 21) + GAP;
    LetterL(x);
}

// Strip position of each group's first entry; the splash part holds the same table.
const int GROUP_BASE[16] = {0, 0, 0, 0, 0, 0, 1162, 1025, 973, 886, 735, 584, 557, 393, 256, 0};
const int LAST_POS = 1417; // group 6's base plus 255

void GroupOf(int col, int *g, int *i)
{
    int p = (col * LAST_POS + (W - 1) / 2) / (W - 1);
    int best = 15;
    for (int k = 6; k <= 15; k++)
        if (GROUP_BASE[k] <= p && GROUP_BASE[k] > GROUP_BASE[best])
            best = k;
    *g = best;
    *i = p - GROUP_BASE[best];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: zktlogo_gen OUT.bin [PREVIEW.pgm]\n");
        return 2;
    }
    Layout();

    const int SW = W * SS, SH = H * SS;
    std::vector<uint8_t> mask(size_t(SW) * SH, 0);
    for (int sy = 0; sy < SH; sy++)
        for (int sx = 0; sx < SW; sx++) {
            double x = (sx + 0.5) / SS, y = (sy + 0.5) / SS;
            for (const Shape &s : s_shapes)
                if (Inside(s, x, y)) {
                    mask[size_t(sy) * SW + sx] = 1;
                    break;
                }
        }

    // Coverage, and the depth of each pixel: its distance to the nearest
    // sample outside the letters (clamped), which shapes the bevel.
    const double BEVEL = 3.0;
    std::vector<double> cover(size_t(W) * H, 0), depth(size_t(W) * H, 0);
    const int R = int(BEVEL * SS) + 1;
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            int n = 0;
            for (int j = 0; j < SS; j++)
                for (int k = 0; k < SS; k++)
                    n += mask[size_t(y * SS + j) * SW + x * SS + k];
            cover[size_t(y) * W + x] = double(n) / (SS * SS);
            if (n == 0)
                continue;
            int cx = x * SS + SS / 2, cy = y * SS + SS / 2;
            int best = R * R;
            for (int dy = -R; dy <= R; dy++)
                for (int dx = -R; dx <= R; dx++) {
                    int d2 = dx * dx + dy * dy;
                    if (d2 >= best)
                        continue;
                    int px = cx + dx, py = cy + dy;
                    bool out = px < 0 || py < 0 || px >= SW || py >= SH || !mask[size_t(py) * SW + px];
                    if (out)
                        best = d2;
                }
            depth[size_t(y) * W + x] = std::fmin(std::sqrt(double(best)) / SS, BEVEL);
        }

    auto D = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= W || y >= H)
            return 0.0;
        return depth[size_t(y) * W + x];
    };

    std::vector<uint8_t> level(size_t(W) * H, 0);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            double c = cover[size_t(y) * W + x];
            if (c <= 0)
                continue;
            // Slope of the bevel towards the light: positive where the
            // surface faces up and left.
            double slope = (D(x + 1, y) - D(x - 1, y) + D(x, y + 1) - D(x, y - 1)) / 4;
            double h = D(x, y) / BEVEL;
            double shade = 0.58 + 0.12 * h + 0.55 * slope;
            shade *= 1.0 - 0.22 * y / (H - 1);
            shade = std::fmin(std::fmax(shade, 0.15), 1.0);
            long v = std::lround(15.0 * c * shade);
            level[size_t(y) * W + x] = uint8_t(v < 0 ? 0 : v > 15 ? 15 : v);
        }

    std::vector<uint16_t> codes;
    unsigned skip = 0, pixels = 0;
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            unsigned v = level[size_t(y) * W + x];
            if (v == 0) {
                skip++;
                continue;
            }
            while (skip > 0) {
                unsigned n = skip > 0x5FF ? 0x5FF : skip;
                codes.push_back(uint16_t(n));
                skip -= n;
            }
            int g, i;
            GroupOf(x, &g, &i);
            codes.push_back(uint16_t(v << 12 | unsigned(g) << 8 | unsigned(i)));
            pixels++;
        }
    codes.push_back(0);

    FILE *f = std::fopen(argv[1], "wb");
    if (!f) {
        std::fprintf(stderr, "zktlogo_gen: cannot write %s\n", argv[1]);
        return 1;
    }
    for (uint16_t c : codes) {
        uint8_t b[2] = {uint8_t(c & 0xFF), uint8_t(c >> 8)};
        std::fwrite(b, 1, 2, f);
    }
    if (std::fclose(f) != 0) {
        std::fprintf(stderr, "zktlogo_gen: cannot finish %s\n", argv[1]);
        return 1;
    }

    if (argc == 3) {
        FILE *p = std::fopen(argv[2], "wb");
        if (!p) {
            std::fprintf(stderr, "zktlogo_gen: cannot write %s\n", argv[2]);
            return 1;
        }
        std::fprintf(p, "P5\n%d %d\n15\n", W, H);
        std::fwrite(level.data(), 1, level.size(), p);
        std::fclose(p);
        std::fprintf(stderr, "%zu codes, %u pixels\n", codes.size(), pixels);
    }
    return 0;
}
