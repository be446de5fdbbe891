// Renders the main part's two type assets from a TrueType font:
//
//   vorn_type OUT font FONT.ttf   the text overlay's 96 glyphs (textfont.h)
//   vorn_type OUT logo FONT.ttf   the 360x150 dissolve map of the word "Vorn"
//
// FreeType rasterises deterministically, so a given font file always
// gives the same bytes.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/textfont.h"

namespace {

struct Coverage {
    int w = 0, h = 0;
    std::vector<float> v; // 0..1 per pixel
    float at(int x, int y) const { return (x < 0 || y < 0 || x >= w || y >= h) ? 0.0f : v[(size_t)y * w + x]; }
};

// Renders one code point at pixelSize with a horizontal squeeze, and adds
// its coverage into cov with the pen at (penX, baseline). Returns the
// horizontal advance in pixels, or -1 when the font lacks the glyph.
int renderInto(FT_Face face, unsigned long code, int pixelSize, float squeeze, Coverage &cov, float penX, int baseline,
               int *pLeft = nullptr, int *pWidth = nullptr)
{
    FT_UInt gi = FT_Get_Char_Index(face, code);
    if (gi == 0)
        return -1;
    FT_Set_Pixel_Sizes(face, 0, (FT_UInt)pixelSize);
    FT_Matrix m;
    m.xx = (FT_Fixed)std::lround(squeeze * 65536.0);
    m.xy = 0;
    m.yx = 0;
    m.yy = 0x10000;
    // Sub-pixel pen position through the transform's delta.
    FT_Vector d;
    d.x = (FT_Pos)std::lround((penX - std::floor(penX)) * 64.0);
    d.y = 0;
    FT_Set_Transform(face, &m, &d);
    if (FT_Load_Glyph(face, gi, FT_LOAD_NO_HINTING | FT_LOAD_RENDER) != 0)
        return -1;
    FT_GlyphSlot g = face->glyph;
    int ox = (int)std::floor(penX) + g->bitmap_left;
    int oy = baseline - g->bitmap_top;
    if (pLeft)
        *pLeft = g->bitmap_left;
    if (pWidth)
        *pWidth = (int)g->bitmap.width;
    for (unsigned r = 0; r < g->bitmap.rows; r++)
        for (unsigned c = 0; c < g->bitmap.width; c++) {
            int x = ox + (int)c, y = oy + (int)r;
            if (x < 0 || y < 0 || x >= cov.w || y >= cov.h)
                continue;
            float a = g->bitmap.buffer[r * g->bitmap.pitch + c] / 255.0f;
            float &p = cov.v[(size_t)y * cov.w + x];
            p = std::min(1.0f, p + a);
        }
    return (int)((g->advance.x + 32) >> 6);
}

// ---- text font ----

const int kGlyphSize = 25;  // pixel size of the em
const int kBaseline = 24;   // glyph row of the baseline

// The replacement glyph: a hollow box, unmistakably "not a letter".
void drawUnknown(Coverage &cov)
{
    int x0 = 4, x1 = cov.w - 5, y0 = 7, y1 = kBaseline;
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++)
            if (y < y0 + 3 || y > y1 - 3 || x < x0 + 3 || x > x1 - 3)
                cov.v[(size_t)y * cov.w + x] = 1.0f;
}

void renderGlyph(FT_Face face, int index, std::vector<unsigned char> &out)
{
    const int w = g_nTextFontWidths[index];
    Coverage cov;
    cov.w = w;
    cov.h = TEXTFONT_HEIGHT;
    cov.v.assign((size_t)w * TEXTFONT_HEIGHT, 0.0f);
    unsigned char ch = g_ucTextFontChars[index];
    if (index == TEXTFONT_UNKNOWN) {
        drawUnknown(cov);
    } else if (ch != ' ') {
        // Measure first, then centre in the cell with one column kept free
        // on each side for the outline; squeeze horizontally if too wide.
        Coverage probe;
        probe.w = 128;
        probe.h = 64;
        probe.v.assign((size_t)probe.w * probe.h, 0.0f);
        int left = 0, bw = 0;
        renderInto(face, ch, kGlyphSize, 1.0f, probe, 32.0f, 40, &left, &bw);
        float squeeze = 1.0f;
        if (bw > w - 2)
            squeeze = (w - 2) / (float)bw;
        float pen = (w - bw * squeeze) / 2.0f - left * squeeze;
        renderInto(face, ch, kGlyphSize, squeeze, cov, pen, kBaseline);
    }
    for (int y = 0; y < TEXTFONT_HEIGHT; y++)
        for (int x = 0; x < w; x++) {
            float c = cov.at(x, y);
            unsigned char px = 0;
            if (c >= 1.0f / 14.0f) {
                int level = std::min(7, (int)std::lround(c * 7.0f));
                px = (unsigned char)(1u << level);
            } else {
                // A one-pixel black rim wherever the body is near.
                float nb = 0;
                for (int dy = -1; dy <= 1; dy++)
                    for (int dx = -1; dx <= 1; dx++)
                        nb = std::max(nb, cov.at(x + dx, y + dy));
                if (nb >= 0.3f)
                    px = 1;
            }
            out.push_back(px);
        }
}

// ---- logo dissolve map ----

const int kLogoW = 360, kLogoH = 150;

void renderLogo(FT_Face face, std::vector<unsigned char> &out)
{
    const char *word = "Vorn";
    const int size = 112;
    // Measure the word, then centre it on the 320 columns the handheld's
    // screen shows of each row.
    Coverage probe;
    probe.w = 1024;
    probe.h = 256;
    probe.v.assign((size_t)probe.w * probe.h, 0.0f);
    float pen = 16.0f;
    for (const char *p = word; *p; p++)
        pen += renderInto(face, (unsigned char)*p, size, 1.0f, probe, pen, 200);
    int minX = probe.w, maxX = -1, minY = probe.h, maxY = -1;
    for (int y = 0; y < probe.h; y++)
        for (int x = 0; x < probe.w; x++)
            if (probe.at(x, y) > 0) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    float shiftX = 160.0f - (minX + maxX + 1) / 2.0f;
    int baseline = 200 - ((minY + maxY + 1) / 2 - kLogoH / 2);

    Coverage cov;
    cov.w = kLogoW;
    cov.h = kLogoH;
    cov.v.assign((size_t)kLogoW * kLogoH, 0.0f);
    pen = 16.0f + shiftX;
    for (const char *p = word; *p; p++)
        pen += renderInto(face, (unsigned char)*p, size, 1.0f, cov, pen, baseline);

    // Distance from the letters' edge (8-neighbour chamfer, two passes).
    const float big = 1e9f;
    std::vector<float> dist((size_t)kLogoW * kLogoH);
    for (int i = 0; i < kLogoW * kLogoH; i++)
        dist[i] = cov.v[i] >= 0.5f ? big : 0.0f;
    auto relax = [&](int x, int y, int dx, int dy, float cost) {
        int nx = x + dx, ny = y + dy;
        float n = (nx < 0 || ny < 0 || nx >= kLogoW || ny >= kLogoH) ? 0.0f : dist[(size_t)ny * kLogoW + nx];
        float &d = dist[(size_t)y * kLogoW + x];
        d = std::min(d, n + cost);
    };
    for (int y = 0; y < kLogoH; y++)
        for (int x = 0; x < kLogoW; x++) {
            relax(x, y, -1, 0, 1.0f);
            relax(x, y, 0, -1, 1.0f);
            relax(x, y, -1, -1, 1.4142f);
            relax(x, y, 1, -1, 1.4142f);
        }
    for (int y = kLogoH - 1; y >= 0; y--)
        for (int x = kLogoW - 1; x >= 0; x--) {
            relax(x, y, 1, 0, 1.0f);
            relax(x, y, 0, 1, 1.0f);
            relax(x, y, 1, 1, 1.4142f);
            relax(x, y, -1, 1, 1.4142f);
        }
    float dmax = 0;
    int x0 = kLogoW, x1 = 0;
    for (int y = 0; y < kLogoH; y++)
        for (int x = 0; x < kLogoW; x++) {
            float d = dist[(size_t)y * kLogoW + x];
            if (d > 0) {
                dmax = std::max(dmax, d);
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
            }
        }

    // Order of opening: the strokes' spines first, spreading to the edges,
    // with a sweep from left to right and a faint diagonal grain.
    std::vector<float> key((size_t)kLogoW * kLogoH, -1.0f);
    float kmin = big, kmax = -big;
    for (int y = 0; y < kLogoH; y++)
        for (int x = 0; x < kLogoW; x++) {
            float d = dist[(size_t)y * kLogoW + x];
            if (d <= 0)
                continue;
            float sweep = (x - x0) / (float)std::max(1, x1 - x0);
            float k = 0.55f * (1.0f - d / dmax) + 0.40f * sweep + 0.05f * (0.5f + 0.5f * std::sin((x + y) * 0.35f));
            key[(size_t)y * kLogoW + x] = k;
            kmin = std::min(kmin, k);
            kmax = std::max(kmax, k);
        }
    out.assign((size_t)kLogoW * kLogoH, 0);
    for (size_t i = 0; i < key.size(); i++)
        if (key[i] >= 0)
            out[i] = (unsigned char)(42 + std::lround(213.0f * (key[i] - kmin) / (kmax - kmin)));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4 || (std::strcmp(argv[2], "font") != 0 && std::strcmp(argv[2], "logo") != 0)) {
        std::fprintf(stderr, "usage: vorn_type OUT font|logo FONT.ttf\n");
        return 2;
    }
    FT_Library lib;
    FT_Face face;
    if (FT_Init_FreeType(&lib) != 0 || FT_New_Face(lib, argv[3], 0, &face) != 0) {
        std::fprintf(stderr, "vorn_type: cannot load %s\n", argv[3]);
        return 1;
    }
    std::vector<unsigned char> out;
    if (std::strcmp(argv[2], "font") == 0) {
        for (int i = 0; i < TEXTFONT_GLYPHS; i++)
            renderGlyph(face, i, out);
    } else {
        renderLogo(face, out);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);

    std::string tmp = std::string(argv[1]) + ".tmp";
    FILE *f = std::fopen(tmp.c_str(), "wb");
    if (!f || std::fwrite(out.data(), 1, out.size(), f) != out.size() || std::fclose(f) != 0 ||
        std::rename(tmp.c_str(), argv[1]) != 0) {
        std::fprintf(stderr, "vorn_type: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
