// The text overlay of the main part: up to four rows of anti-aliased text
// in the 8-bit RGB layer, each shown through its own RGB region whose
// alpha fades the row in and out.
#include "assets/assets.h"
#include "assets/textfont.h"
#include "parts/dp_testPart.h"
#include "tools/zkt_basictools.h"

// Rows of one screen start 250 ms apart, one per slot, so they cascade.
const TEXTINTRO_ROW g_TextIntro[TEXTINTRO_ROWS] = {
    {20000, 4500, 0, 106, 30, 200, 32, "\"Vorn\""},
    {20250, 4500, 1, 64, 75, 250, 32, "a gp2x intro"},
    {20500, 4500, 2, 141, 115, 200, 32, "by"},
    {20750, 4500, 3, 56, 155, 250, 32, "Zokatel Crew"},
    {26250, 4000, 1, 112, 70, 200, 32, "Music:"},
    {26500, 4000, 2, 21, 110, 280, 32, "Ilvo Traskmoren"},
    {32000, 4500, 0, 41, 30, 280, 32, "First Presented"},
    {32250, 4500, 1, 144, 70, 200, 32, "at"},
    {32500, 4500, 2, 29, 115, 280, 32, "Glimmerfest '26"},
    {32750, 4500, 3, 31, 165, 280, 32, "Quillmarsh Hall"},
    {42000, 13500, 0, 81, 30, 210, 32, "Greetings:"},
    {42250, 4000, 1, 123, 80, 200, 32, "Nyxa"},
    {42500, 4000, 2, 101, 115, 200, 32, "Quorvi"},
    {42750, 4000, 3, 85, 150, 200, 32, "Pelamire"},
    {47250, 4000, 1, 19, 80, 285, 32, "The Halcyon Loom"},
    {47500, 4000, 2, 93, 115, 200, 32, "Brackwyn"},
    {47750, 4000, 3, 95, 150, 200, 32, "Ostrevo"},
    {52250, 4000, 1, 83, 80, 200, 32, "Lindquoll"},
    {52500, 4000, 2, 106, 115, 200, 32, "Zintra"},
    {52750, 4000, 3, 131, 150, 200, 32, "Oxa"},
    {60000, 5000, 0, 52, 30, 250, 32, "This intro use"},
    {60250, 5000, 1, 50, 70, 250, 32, "up to 4 layers:"},
    {60500, 5000, 2, 39, 120, 250, 32, "YUV, OSD, RGB"},
    {60750, 5000, 3, 86, 160, 200, 32, "& Cursor."},
    {65500, 4000, 0, 68, 30, 200, 32, "Want to get"},
    {65750, 4000, 1, 81, 70, 200, 32, "started on"},
    {66000, 4000, 2, 110, 130, 200, 32, "GP2X?"},
    {70000, 5500, 0, 72, 30, 200, 32, "ZKT Tools"},
    {70250, 5500, 1, 90, 85, 200, 32, "is free to"},
    {70500, 5500, 2, 64, 120, 250, 32, "download at"},
    {70750, 5500, 3, 66, 160, 250, 32, "www.zkt.test"},
    {85000, 5250, 0, 88, 40, 250, 32, "I see a 3D"},
    {85250, 5250, 1, 73, 80, 250, 32, "RaceTrack!"},
    {85500, 5250, 2, 85, 120, 250, 32, "a twisted"},
    {85750, 5250, 3, 125, 160, 200, 32, "one!"},
    {101000, 25000, 3, 40, 160, 200, 32, "The End."},
};

// Glyph start offsets in BMP_TEXTFONT, from the widths.
struct GlyphOffsets {
    s32 at[TEXTFONT_GLYPHS];
};
static constexpr GlyphOffsets MakeGlyphOffsets()
{
    GlyphOffsets o{};
    s32 sum = 0;
    for (s32 i = 0; i < TEXTFONT_GLYPHS; i++) {
        o.at[i] = sum;
        sum += g_nTextFontWidths[i] * TEXTFONT_HEIGHT;
    }
    return o;
}
static constexpr GlyphOffsets s_glyphAt = MakeGlyphOffsets();

s32 TextIntro_GlyphIndex(u8 ch)
{
    for (s32 i = 0; i < TEXTFONT_UNKNOWN; i++)
        if (g_ucTextFontChars[i] == ch)
            return i;
    return TEXTFONT_UNKNOWN;
}

s32 DrawChar(u8 *surface, s32 pitch, s32 height, u8 ch, s32 x, s32 y, s32 rowFrom, s32 rowTo)
{
    if (x < 0 || y < 0 || x > pitch - 16 || y > height - TEXTFONT_HEIGHT)
        return 0;
    const s32 g = TextIntro_GlyphIndex(ch);
    const s32 w = g_nTextFontWidths[g];
    const u8 *glyph = BMP_TEXTFONT + s_glyphAt.at[g];
    if (rowFrom < 0)
        rowFrom = 0;
    if (rowTo > TEXTFONT_HEIGHT)
        rowTo = TEXTFONT_HEIGHT;
    // A wide glyph near the right edge runs on into the next surface row;
    // only the very last row could run past the surface, so stop there.
    const s32 end = pitch * height;
    for (s32 r = rowFrom; r < rowTo; r++) {
        const s32 row = (y + r) * pitch + x;
        const u8 *src = glyph + r * w;
        for (s32 c = 0; c < w && row + c < end; c++)
            surface[row + c] |= src[c];
    }
    return x + w - 2;
}

void TextIntro_SelectSlots(u32 t, s32 rowOfSlot[4])
{
    for (s32 s = 0; s < 4; s++)
        rowOfSlot[s] = -1;
    for (s32 i = 0; i < TEXTINTRO_ROWS; i++) {
        const TEXTINTRO_ROW *r = &g_TextIntro[i];
        const s32 s = r->slot;
        if (r->start <= t && t < r->start + (u32)r->duration)
            rowOfSlot[s] = i;
        // A slot with no active row keeps the first row that has started
        // (its fade is over, so it shows with alpha 0).
        if (rowOfSlot[s] < 0 && r->start <= t)
            rowOfSlot[s] = i;
    }
}

s32 TextIntro_Alpha(u32 t, const TEXTINTRO_ROW *r)
{
    const s32 ts = (s32)t, start = (s32)r->start;
    if (ts < start + 750)
        return ((ts - start) * 15) / 750;
    if (ts <= start + r->duration - 750)
        return 15;
    const s32 a = 15 - (ts - (start + r->duration - 750)) / 50;
    return a < 0 ? 0 : a;
}

void DrawTextIntro(u32 t, u8 *surface, s32 pitch, s32 height, s32 displayWidth)
{
    s32 rowOfSlot[4];
    TextIntro_SelectSlots(t, rowOfSlot);
    for (s32 s = 0; s < 4; s++) {
        const s32 i = rowOfSlot[s];
        if (i < 0)
            continue; // the region keeps its previous setting
        const TEXTINTRO_ROW *r = &g_TextIntro[i];
        // Rows are laid out for the 320-pixel LCD; nudge them on television.
        const s32 dx = (pitch >= 321) ? 12 : -8;
        const s32 w = _intsin(4, (s32)t, 2000 + 350 * (i % 4)) + 4;
        s32 x = r->x + dx;
        const s32 y0 = r->y + w;
        s32 a = TextIntro_Alpha(t, r);
        if (a != 0)
            for (const char *p = r->text; *p; p++)
                x = DrawChar(surface, pitch, height, (u8)*p, x, y0, 0, TEXTFONT_HEIGHT);
        if (a > 11)
            a = 11;
        ZKT_SetRGBRegionOperation((u32)(s + 1), 1, 1, 1, (u16)a, 0, (u16)y0, (u16)(displayWidth - 1),
                                  (u16)(y0 + r->height));
    }
    ZKT_SetRGBRegionOperation(5, 0, 0, 1, 15, 0, 0, 0, 0);
}
