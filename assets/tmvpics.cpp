// Draws the volume indicator and tiny menu pictures as 2-bit cursor pixels.
//
// Run as `vorn_gen_tmvpics <out> <name>`: writes the one picture <name> (see
// the table at the bottom). `vorn_gen_tmvpics --preview <out.pgm>` writes every
// picture side by side as a grey map, for looking at them while drawing.
//
// Cursor pixels: 0 = colour 0 (the translucent dark panel), 1 = colour 1
// (white), 2 = transparent, 3 = inverted underlying pixel. Four pixels to a
// byte, leftmost in the two low bits; every row starts on a byte boundary.
//
// The shapes are drawn from geometry sampled at pixel centres rather than
// scaled from a small picture, so the big (television) versions stay crisp.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

enum { PX_DARK = 0, PX_LIGHT = 1, PX_CLEAR = 2, PX_INVERT = 3 };

struct Canvas {
    int w, h;
    std::vector<unsigned char> px;
};

static Canvas NewCanvas(int w, int h, int fill)
{
    Canvas c;
    c.w = w;
    c.h = h;
    c.px.assign((size_t)w * h, (unsigned char)fill);
    return c;
}

static void Put(Canvas &c, int x, int y, int v)
{
    if (x >= 0 && y >= 0 && x < c.w && y < c.h)
        c.px[(size_t)y * c.w + x] = (unsigned char)v;
}

static int Get(const Canvas &c, int x, int y) { return c.px[(size_t)y * c.w + x]; }

// Filled rectangle, inclusive pixel bounds.
static void Rect(Canvas &c, int x0, int y0, int x1, int y1, int v)
{
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++)
            Put(c, x, y, v);
}

// ---- geometry sampled at pixel centres; coordinates are multiplied by s ----

struct Pt {
    double x, y;
};

static bool InPolygon(const std::vector<Pt> &p, double x, double y)
{
    bool in = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        if ((p[i].y > y) != (p[j].y > y)) {
            double xc = p[j].x + (y - p[j].y) * (p[i].x - p[j].x) / (p[i].y - p[j].y);
            if (x < xc)
                in = !in;
        }
    }
    return in;
}

static void Polygon(Canvas &c, std::vector<Pt> p, double s, int v)
{
    for (Pt &q : p) {
        q.x *= s;
        q.y *= s;
    }
    for (int y = 0; y < c.h; y++)
        for (int x = 0; x < c.w; x++)
            if (InPolygon(p, x + 0.5, y + 0.5))
                Put(c, x, y, v);
}

// Part of a ring between radii r0 and r1 around (cx, cy), for angles within
// `half` degrees of `dir` (0 = right, 90 = down).
static void Arc(Canvas &c, double cx, double cy, double r0, double r1, double dir, double half, double s, int v)
{
    for (int y = 0; y < c.h; y++)
        for (int x = 0; x < c.w; x++) {
            double dx = x + 0.5 - cx * s, dy = y + 0.5 - cy * s;
            double d = std::sqrt(dx * dx + dy * dy);
            if (d < r0 * s || d > r1 * s)
                continue;
            double a = std::atan2(dy, dx) * 180.0 / M_PI - dir;
            while (a > 180.0)
                a -= 360.0;
            while (a < -180.0)
                a += 360.0;
            if (std::fabs(a) <= half)
                Put(c, x, y, v);
        }
}

// Thick segment: every pixel centre within r of the segment.
static void Stroke(Canvas &c, double x0, double y0, double x1, double y1, double r, double s, int v)
{
    x0 *= s, y0 *= s, x1 *= s, y1 *= s, r *= s;
    double vx = x1 - x0, vy = y1 - y0, len2 = vx * vx + vy * vy;
    for (int y = 0; y < c.h; y++)
        for (int x = 0; x < c.w; x++) {
            double px = x + 0.5 - x0, py = y + 0.5 - y0;
            double t = len2 > 0 ? (px * vx + py * vy) / len2 : 0;
            t = t < 0 ? 0 : t > 1 ? 1 : t;
            double dx = px - t * vx, dy = py - t * vy;
            if (dx * dx + dy * dy <= r * r)
                Put(c, x, y, v);
        }
}

static void Ellipse(Canvas &c, double cx, double cy, double rx, double ry, double s, int v)
{
    for (int y = 0; y < c.h; y++)
        for (int x = 0; x < c.w; x++) {
            double dx = (x + 0.5 - cx * s) / (rx * s), dy = (y + 0.5 - cy * s) / (ry * s);
            if (dx * dx + dy * dy <= 1.0)
                Put(c, x, y, v);
        }
}

// ---- hand-drawn glyphs ----

// Level digits: 7 x 11 with two-pixel strokes, drawn light inside an 11 x 13
// dark box so that they read over any picture.
static const char *const kDigits[10][11] = {
    {".#####.", "##...##", "##...##", "##..###", "##.#.##", "##.#.##", "###..##", "##...##", "##...##", "##...##", ".#####."},
    {"...##..", "..###..", ".####..", "...##..", "...##..", "...##..", "...##..", "...##..", "...##..", "...##..", ".######"},
    {".#####.", "##...##", ".....##", ".....##", "....##.", "...##..", "..##...", ".##....", "##.....", "##.....", "#######"},
    {".#####.", "##...##", ".....##", ".....##", "..####.", ".....##", ".....##", ".....##", ".....##", "##...##", ".#####."},
    {"....##.", "...###.", "..####.", ".##.##.", "##..##.", "##..##.", "#######", "....##.", "....##.", "....##.", "....##."},
    {"#######", "##.....", "##.....", "##.....", "######.", ".....##", ".....##", ".....##", ".....##", "##...##", ".#####."},
    {".#####.", "##...##", "##.....", "##.....", "######.", "##...##", "##...##", "##...##", "##...##", "##...##", ".#####."},
    {"#######", ".....##", ".....##", "....##.", "....##.", "...##..", "...##..", "..##...", "..##...", "..##...", "..##..."},
    {".#####.", "##...##", "##...##", "##...##", ".#####.", "##...##", "##...##", "##...##", "##...##", "##...##", ".#####."},
    {".#####.", "##...##", "##...##", "##...##", "##...##", ".######", ".....##", ".....##", ".....##", "##...##", ".#####."},
};

// Label letters, 7 rows; widths vary (M and T need five columns).
struct Glyph {
    char ch;
    const char *rows[7];
};
static const Glyph kLetters[] = {
    {'R', {"###.", "#..#", "#..#", "###.", "#.#.", "#..#", "#..#"}},
    {'E', {"####", "#...", "#...", "###.", "#...", "#...", "####"}},
    {'S', {".###", "#...", "#...", ".##.", "...#", "...#", "###."}},
    {'U', {"#..#", "#..#", "#..#", "#..#", "#..#", "#..#", ".##."}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'H', {"#..#", "#..#", "#..#", "####", "#..#", "#..#", "#..#"}},
    {'I', {"###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"}},
    {'D', {"###.", "#..#", "#..#", "#..#", "#..#", "#..#", "###."}},
    {'Q', {".##.", "#..#", "#..#", "#..#", "#.##", "#..#", ".###"}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
};

static const Glyph *Letter(char ch)
{
    for (const Glyph &g : kLetters)
        if (g.ch == ch)
            return &g;
    std::fprintf(stderr, "vorn_gen_tmvpics: no glyph for '%c'\n", ch);
    return nullptr;
}

static int TextWidth(const char *text)
{
    int w = 0;
    for (const char *p = text; *p; p++)
        w += (int)std::strlen(Letter(*p)->rows[0]) + (p[1] ? 1 : 0);
    return w;
}

// Draws the text centred in the canvas, each font pixel as an s x s block.
static void Text(Canvas &c, const char *text, int s, int v)
{
    int x = (c.w - TextWidth(text) * s) / 2;
    int y = (c.h - 7 * s + 1) / 2;
    for (const char *p = text; *p; p++) {
        const Glyph *g = Letter(*p);
        int gw = (int)std::strlen(g->rows[0]);
        for (int r = 0; r < 7; r++)
            for (int k = 0; k < gw; k++)
                if (g->rows[r][k] == '#')
                    Rect(c, x + k * s, y + r * s, x + k * s + s - 1, y + r * s + s - 1, v);
        x += (gw + 1) * s;
    }
}

// ---- the pictures ----

// Volume indicator background. Small: 32 x 19 for the 32 x 32 LCD cursor, bar
// interior rows 13-15, columns 3-28. Big: 64 x 30 for the 64 x 64 television
// cursor, bar interior rows 20-24, columns 4-59. The indicator fills the bar
// interior light and darkens what lies above the level.
static Canvas VolumeBackground(bool big, bool muted)
{
    int w = big ? 64 : 32, h = big ? 30 : 19;
    Canvas c = NewCanvas(w, h, PX_DARK);
    // Rounded panel corners.
    Put(c, 0, 0, PX_CLEAR), Put(c, w - 1, 0, PX_CLEAR), Put(c, 0, h - 1, PX_CLEAR), Put(c, w - 1, h - 1, PX_CLEAR);
    if (big)
        Put(c, 1, 0, PX_CLEAR), Put(c, 0, 1, PX_CLEAR), Put(c, w - 2, 0, PX_CLEAR), Put(c, w - 1, 1, PX_CLEAR),
            Put(c, 1, h - 1, PX_CLEAR), Put(c, 0, h - 2, PX_CLEAR), Put(c, w - 2, h - 1, PX_CLEAR),
            Put(c, w - 1, h - 2, PX_CLEAR);

    // Speaker: box and cone laid out on the big grid; the LCD version halves
    // the columns and squeezes the rows into the lower panel.
    double sx = big ? 1.0 : 0.5, sy = big ? 1.0 : 0.625;
    auto P = [&](double x, double y) { return Pt{x * sx, 1.0 + (y - 1.0) * sy}; };
    Polygon(c, {P(5, 6), P(11, 6), P(18, 1), P(18, 17), P(11, 12), P(5, 12)}, 1.0, PX_LIGHT);
    Pt mouth = P(15, 9);
    if (!muted) {
        static const double kBig[3][2] = {{6, 8}, {11, 13}, {16, 18}};
        static const double kSmall[3][2] = {{3.3, 4.3}, {5.6, 6.6}, {7.9, 8.9}};
        for (int i = 0; i < 3; i++) {
            const double *r = big ? kBig[i] : kSmall[i];
            Arc(c, mouth.x, mouth.y, r[0], r[1], 0, 32, 1.0, PX_LIGHT);
        }
    } else {
        Pt a = P(25, 4), b = P(35, 14);
        double r = big ? 1.4 : 0.7;
        Stroke(c, a.x, a.y, b.x, b.y, r, 1.0, PX_LIGHT);
        Stroke(c, a.x, b.y, b.x, a.y, r, 1.0, PX_LIGHT);
    }

    // Level bar: a light frame around a light interior.
    int bx0 = big ? 4 : 3, bx1 = big ? 59 : 28, by0 = big ? 20 : 13, by1 = big ? 24 : 15;
    Rect(c, bx0 - 1, by0 - 1, bx1 + 1, by1 + 1, PX_LIGHT);
    if (muted)
        Rect(c, bx0, by0, bx1, by1, PX_DARK);
    return c;
}

static Canvas VolumeDigit(int d)
{
    Canvas c = NewCanvas(11, 13, PX_DARK);
    for (int r = 0; r < 11; r++)
        for (int k = 0; k < 7; k++)
            if (kDigits[d][r][k] == '#')
                Put(c, 2 + k, 1 + r, PX_LIGHT);
    return c;
}

// Menu icons, designed on the 20 x 20 LCD grid and drawn at scale s.
// 1: resume (play triangle), 2: leave (power sign), 3: hide (an eye).
static Canvas MenuIcon(int n, int s)
{
    Canvas c = NewCanvas(20 * s, 20 * s, PX_DARK);
    if (n == 1) {
        Polygon(c, {{6, 3.5}, {16.5, 10}, {6, 16.5}}, s, PX_LIGHT);
    } else if (n == 2) {
        Arc(c, 10, 10.5, 4.6, 6.8, 90, 140, s, PX_LIGHT);
        Rect(c, 9 * s, 2 * s, 11 * s - 1, 10 * s - 1, PX_DARK);
        Stroke(c, 10, 3, 10, 9, 1.0, s, PX_LIGHT);
    } else {
        // Eye: almond outline, iris with a dark pupil.
        Canvas outer = NewCanvas(20 * s, 20 * s, PX_DARK);
        Arc(outer, 10, 16.5, 0, 11, -90, 80, s, PX_LIGHT);
        Canvas lower = NewCanvas(20 * s, 20 * s, PX_DARK);
        Arc(lower, 10, 3.5, 0, 11, 90, 80, s, PX_LIGHT);
        Canvas inner = NewCanvas(20 * s, 20 * s, PX_DARK);
        Arc(inner, 10, 16.5, 0, 9.5, -90, 80, s, PX_LIGHT);
        Canvas innerLow = NewCanvas(20 * s, 20 * s, PX_DARK);
        Arc(innerLow, 10, 3.5, 0, 9.5, 90, 80, s, PX_LIGHT);
        for (int y = 0; y < c.h; y++)
            for (int x = 0; x < c.w; x++) {
                bool o = Get(outer, x, y) && Get(lower, x, y);
                bool i = Get(inner, x, y) && Get(innerLow, x, y);
                if (o && !i)
                    Put(c, x, y, PX_LIGHT);
            }
        Ellipse(c, 10, 10, 3.3, 3.3, s, PX_LIGHT);
        Ellipse(c, 10, 10, 1.3, 1.3, s, PX_DARK);
    }
    return c;
}

static Canvas MenuLabel(int n, int s)
{
    static const char *const kText[3] = {"RESUME", "QUIT", "HIDE"};
    Canvas c = NewCanvas(32 * s, 12 * s, PX_DARK);
    Text(c, kText[n - 1], s, PX_LIGHT);
    return c;
}

// Arrows, 6 x 20 on the LCD grid. 1: left, 2: right, 3: left pressed,
// 4: right pressed. A pressed arrow shows as a light key with a dark arrow.
static Canvas MenuArrow(int n, int s)
{
    bool right = (n == 2 || n == 4), pressed = n >= 3;
    Canvas c = NewCanvas(6 * s, 20 * s, PX_DARK);
    if (pressed)
        Rect(c, 0, 5 * s, 6 * s - 1, 15 * s - 1, PX_LIGHT);
    double d = pressed ? (right ? 0.5 : -0.5) : 0;
    std::vector<Pt> tri = right ? std::vector<Pt>{{1.5 + d, 6}, {5 + d, 10}, {1.5 + d, 14}}
                                : std::vector<Pt>{{4.5 + d, 6}, {1 + d, 10}, {4.5 + d, 14}};
    Polygon(c, tri, s, pressed ? PX_DARK : PX_LIGHT);
    return c;
}

static std::vector<unsigned char> Pack(const Canvas &c, size_t padTo)
{
    int stride = (c.w * 2 + 7) / 8;
    std::vector<unsigned char> out((size_t)stride * c.h, 0xAA);
    for (int y = 0; y < c.h; y++)
        for (int x = 0; x < c.w; x++) {
            unsigned char &b = out[(size_t)y * stride + x / 4];
            int sh = (x % 4) * 2;
            b = (unsigned char)((b & ~(3 << sh)) | (Get(c, x, y) << sh));
        }
    if (out.size() < padTo)
        out.resize(padTo, 0xAA);
    return out;
}

// Every picture by file name, with the byte length its consumer expects.
static bool Make(const std::string &name, Canvas *pc, size_t *pPad)
{
    *pPad = 0;
    if (name == "volumebkg_small") *pc = VolumeBackground(false, false);
    else if (name == "volumebkg_muted_small") *pc = VolumeBackground(false, true);
    else if (name == "volumebkg_big") *pc = VolumeBackground(true, false);
    else if (name == "volumebkg_muted_big") *pc = VolumeBackground(true, true);
    else if (name.rfind("volume_number_", 0) == 0) {
        int n = std::atoi(name.c_str() + 14);
        if (n < 1 || n > 10)
            return false;
        *pc = VolumeDigit(n - 1);
        *pPad = 64; // fixed 64-byte records; the 11 x 13 picture takes the first 39
    } else {
        int s = 0;
        std::string rest;
        if (name.rfind("tinymenu_", 0) != 0)
            return false;
        rest = name.substr(9);
        size_t us = rest.find('_');
        size_t us2 = rest.rfind('_');
        if (us == std::string::npos || us2 == us)
            return false;
        std::string kind = rest.substr(0, us), size = rest.substr(us + 1, us2 - us - 1);
        int n = std::atoi(rest.c_str() + us2 + 1);
        s = size == "small" ? 1 : size == "big" ? 2 : 0;
        if (!s)
            return false;
        if (kind == "icon" && n >= 1 && n <= 3) *pc = MenuIcon(n, s);
        else if (kind == "label" && n >= 1 && n <= 3) *pc = MenuLabel(n, s);
        else if (kind == "arrows" && n >= 1 && n <= 4) *pc = MenuArrow(n, s);
        else return false;
    }
    return true;
}

static int Preview(const char *path)
{
    static const char *const kAll[] = {
        "volumebkg_small", "volumebkg_muted_small", "volumebkg_big", "volumebkg_muted_big",
        "volume_number_1", "volume_number_2", "volume_number_3", "volume_number_4", "volume_number_5",
        "volume_number_6", "volume_number_7", "volume_number_8", "volume_number_9", "volume_number_10",
        "tinymenu_icon_small_1", "tinymenu_icon_small_2", "tinymenu_icon_small_3", "tinymenu_label_small_1",
        "tinymenu_label_small_2", "tinymenu_label_small_3", "tinymenu_arrows_small_1", "tinymenu_arrows_small_2",
        "tinymenu_arrows_small_3", "tinymenu_arrows_small_4", "tinymenu_icon_big_1", "tinymenu_icon_big_2",
        "tinymenu_icon_big_3", "tinymenu_label_big_1", "tinymenu_label_big_2", "tinymenu_label_big_3",
        "tinymenu_arrows_big_1", "tinymenu_arrows_big_2", "tinymenu_arrows_big_3", "tinymenu_arrows_big_4"};
    const int W = 400, H = 150;
    std::vector<unsigned char> img((size_t)W * H, 160);
    int x = 2, y = 2, rowH = 0;
    for (const char *n : kAll) {
        Canvas c;
        size_t pad;
        Make(n, &c, &pad);
        if (x + c.w + 2 > W)
            x = 2, y += rowH + 3, rowH = 0;
        static const unsigned char kGrey[4] = {40, 255, 160, 100};
        for (int j = 0; j < c.h; j++)
            for (int i = 0; i < c.w; i++)
                if (y + j < H)
                    img[(size_t)(y + j) * W + x + i] = kGrey[Get(c, i, j)];
        x += c.w + 3;
        rowH = c.h > rowH ? c.h : rowH;
    }
    FILE *f = std::fopen(path, "wb");
    if (!f)
        return 1;
    std::fprintf(f, "P5\n%d %d\n255\n", W, H);
    std::fwrite(img.data(), 1, img.size(), f);
    return std::fclose(f) == 0 ? 0 : 1;
}

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--preview") == 0)
        return Preview(argv[2]);
    if (argc != 3) {
        std::fprintf(stderr, "usage: vorn_gen_tmvpics OUT NAME | --preview OUT.pgm\n");
        return 2;
    }
    Canvas c;
    size_t pad;
    if (!Make(argv[2], &c, &pad)) {
        std::fprintf(stderr, "vorn_gen_tmvpics: unknown picture %s\n", argv[2]);
        return 2;
    }
    std::vector<unsigned char> bytes = Pack(c, pad);
    FILE *f = std::fopen(argv[1], "wb");
    if (!f) {
        std::fprintf(stderr, "vorn_gen_tmvpics: cannot write %s\n", argv[1]);
        return 1;
    }
    size_t n = std::fwrite(bytes.data(), 1, bytes.size(), f);
    if (std::fclose(f) != 0 || n != bytes.size()) {
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
