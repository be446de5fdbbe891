// The main part: set-up, background wipes, the logo dissolve, buffer and
// layer programming, and sprite drawing. The formations are in
// dp_testPart_formations.cpp, the text overlay in dp_testPart_text.cpp.
#include "parts/dp_testPart.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "assets/assets.h"
#include "tools/zkt_basictools.h"
#include "tools/zkt_lowLevelCommon.h"

const TESTPART_YUVCTRL g_ctrlYuv[TESTPART_YUVCTRL_COUNT] = {
    {0, 2750, 5, 0},      // plasma from the start
    {15900, 1, 6, 0},     // cut to black
    {19000, 2750, 1, 0},  // nebula rises from the bottom
    {40750, 2750, 0, 1},  // dusk ridges come down from the top
    {60750, 2750, 2, 1},  // aurora from the top
    {78750, 2750, 3, 0},  // dunes from the bottom
    {100750, 2750, 4, 1}, // Julia set from the top
};

ZKT_SPRDEF g_sprdef[8];

u32 g_bTestPartFirstPaint = 0;
static u32 s_OSD_FIRST_BUF = 1;
static u32 s_RGB_FIRST_BUF = 1;
static s32 s_prevCol = 1;
static u32 s_setFirstOSD = 0;
static u32 s_ulPalRGBText[256];

static TESTPART_SPRITE s_sprites[TESTPART_SPRITES];

static u8 *VideoBase()
{
    u32 *p = nullptr;
    ZKT_GetVideoBasePtr(&p);
    return (u8 *)p;
}

void TestPart_GetGeometry(u32 mode, TESTPART_GEOMETRY *pGeo)
{
    if (mode == 0) {
        pGeo->P = 320;
        pGeo->W = 320;
        pGeo->H = 240;
        pGeo->X0 = 0;
    } else {
        pGeo->P = 360;
        pGeo->W = 720;
        pGeo->H = (mode == 26) ? 288 : 240;
        pGeo->X0 = 20;
    }
}

// ---- Set-up ----

u32 ZKT_DP_TestPart_Reset()
{
    // Everything a first run starts from, so a part started over (the
    // window's restart and seeks) paints as on that first run.
    g_bTestPartFirstPaint = 0;
    s_OSD_FIRST_BUF = 1;
    s_RGB_FIRST_BUF = 1;
    s_prevCol = 1;
    s_setFirstOSD = 0;
    return 1;
}

u32 ZKT_DP_TestPart_Init(u32 mode)
{
    const u8 *const pictures[6] = {BMP_YUV1, BMP_YUV2, BMP_YUV3, BMP_YUV4, BMP_YUV5, BMP_YUV6};
    const s32 rows = (mode == 26) ? 288 : 240;
    const s32 rowBytes = (mode == 0) ? 640 : 720;
    const s32 skip = (mode == 0) ? 40 : 0; // LCD takes the central 320 columns
    u8 *base = VideoBase();

    for (s32 k = 0; k < 6; k++) {
        const u8 *src = pictures[k] + skip;
        // On 240-line screens the fifth picture is framed 18 rows lower.
        if (k == 4 && rows == 240)
            src += 12960;
        u8 *dst = base + k * TESTPART_BG_SLOT_SIZE;
        for (s32 r = 0; r < rows; r++)
            std::memcpy(dst + r * rowBytes, src + r * 720, (size_t)rowBytes);
    }

    const u32 black = ZKT_Dual16bitRGBtoYUY2Color(0);
    for (u32 off = TESTPART_BG_BLACK; off < TESTPART_BG_BLACK_END; off += 4)
        std::memcpy(base + off, &black, 4);

    // Disc mask and its span table: one run of covered cells per row.
    bool covered[64];
    for (s32 i = 0; i < 64; i++) {
        s32 dx = (i % 8) - 4, dy = (i / 8) - 4;
        covered[i] = std::sqrt((double)(dx * dx + dy * dy)) < 4.0;
    }
    for (s32 j = 0; j < 8; j++) {
        g_sprdef[j].start = 0;
        g_sprdef[j].length = 0;
        for (s32 c = 0; c < 8; c++) {
            if (covered[j * 8 + c])
                g_sprdef[j].length++;
            else if (g_sprdef[j].length == 0)
                g_sprdef[j].start++;
        }
    }

    g_bTestPartFirstPaint = 0;
    return 1;
}

static void FirstPaint(const TESTPART_GEOMETRY *g)
{
    for (u32 r = 1; r <= 5; r++)
        ZKT_SetRGBRegionOperation(r, 0, 0, 0, 0, 0, 0, 0, 0);
    ZKT_SetSPUPlane(0, 0, 0, 0, 0);
    ZKT_ModifyRGBbpp(8);
    const u32 headers[3] = {TESTPART_OSD_HDR0, TESTPART_OSD_HDR1, TESTPART_OSD_HDR2};
    for (u32 h : headers)
        ZKT_WriteOSDHeader(h, 0xFFFFFFFF, 0, 0, (u16)(g->W - 1), (u16)(g->H - 1), 8, 0, 0, 0, 0, 0);
    ZKT_SetRGBRegionColorKey(0xFF00FF);
    ZKT_HwBitBlt(TESTPART_RGB_BUF0, (u32)g->P, (u16)g->P, (u16)(g->H / 2), 0, 0, 0, 0, 0, 0);

    // Text palette: index 0 is the colour key; otherwise the grey of the
    // highest set bit, so overlapping glyphs OR'd together keep the brighter.
    static const u32 greys[8] = {0x000000, 0x333333, 0x555555, 0x808080, 0xAAAAAA, 0xCCCCCC, 0xE8E8E8, 0xFFFFFF};
    s_ulPalRGBText[0] = 0xFF00FF;
    for (s32 i = 1; i < 256; i++) {
        s32 bit = 7;
        while (!(i & (1 << bit)))
            bit--;
        s_ulPalRGBText[i] = greys[bit];
    }

    static const u32 zeros[256] = {};
    ZKT_SetOSDPaletteUsingRGB(0, zeros, 240);
    ZKT_SetPalette(0, zeros, 256);

    ZKT_WaitHwBlitter(0);
    u8 *rgb = VideoBase() + TESTPART_RGB_BUF0;
    const s32 top = (g->H - 170) / 2;
    for (s32 r = 0; r < 150; r++)
        std::memcpy(rgb + (top + r) * g->P, BMP_VORNLOGO + r * 360, (size_t)g->P);

    ZKT_SetYUVVideoPlanePriority(1);
    g_bTestPartFirstPaint = 1;
}

// ---- Background wipe ----

static u32 SlotOffset(s32 image) { return (u32)image * TESTPART_BG_SLOT_SIZE; }

void GetYUVBackgroundInfo(u32 t, s32 H, u32 *pUpper, u32 *pLower, s32 *pSplit)
{
    s32 i = 0;
    while (i < TESTPART_YUVCTRL_COUNT && g_ctrlYuv[i].time < t)
        i++;
    const s32 oldImage = g_ctrlYuv[i > 0 ? i - 1 : 0].image;
    if (i == TESTPART_YUVCTRL_COUNT || (s32)(g_ctrlYuv[i].time - t) > g_ctrlYuv[i].duration) {
        *pUpper = *pLower = SlotOffset(oldImage);
        *pSplit = H;
        return;
    }
    const TESTPART_YUVCTRL *rec = &g_ctrlYuv[i];
    const s32 d = rec->duration;
    const s32 r = (s32)(rec->time - t);
    // Half-cosine ease: l runs from d at the start of the wipe to 0 at its end.
    const s32 c = _intcos(d >> 1, r, 2 * d);
    const s32 l = d - (c + d / 2);
    s32 split;
    if (rec->fromTop) {
        split = H - (l * H) / d - 1;
        *pUpper = SlotOffset(rec->image);
        *pLower = SlotOffset(oldImage);
    } else {
        split = (l * H) / d - 1;
        *pUpper = SlotOffset(oldImage);
        *pLower = SlotOffset(rec->image);
    }
    if (split < 0) {
        *pUpper = *pLower;
        split = H;
    }
    *pSplit = split;
}

static void ProgramBackground(u32 t, const TESTPART_GEOMETRY *g)
{
    u32 upper, lower;
    s32 split;
    GetYUVBackgroundInfo(t, g->H, &upper, &lower, &split);
    if (g->P == g->W) {
        ZKT_SetYUVVideoPlane(1, 1, 0, 0, (u16)(g->P - 1), (u16)g->H, (u16)split, (u16)g->P, upper, 0, 0, lower, 0, 0);
        ZKT_SetYUVVideoPlaneScaler(1, 1, 1024, 1024);
        ZKT_SetYUVVideoPlaneScaler(1, 0, 1024, 1024);
    } else {
        // The slot rows are P pixels; a television shows each field's rows
        // at double width and on two lines, so every line reads a whole row
        // of the slot (half a row per line with the seam of two half rows
        // side by side, and memory before the slot on line 0, otherwise).
        ZKT_SetYUVVideoPlane(1, 1, 0, 0, (u16)(g->W - 1), (u16)g->H, (u16)split, (u16)g->P, upper, 0, 0, lower, 0, 0);
        ZKT_SetYUVVideoPlaneScaler(1, 1, 512, 512);
        ZKT_SetYUVVideoPlaneScaler(1, 0, 512, 512);
    }
}

// ---- Opening dissolve of the RGB layer through the logo map ----

static void OpeningDissolve(u32 t)
{
    const s32 n = _intsin(612, (s32)t, 32000);
    if (!s_setFirstOSD) {
        TestPart_LoadStreakPalette();
        s_setFirstOSD = 1;
        ZKT_SetRGBRegionOperation(5, 1, 1, 1, 15, 0, 0, 0, 0);
    }
    if (n != s_prevCol) {
        // Logo values below the threshold turn transparent; 0 stays black.
        u32 pal[256];
        for (s32 k = 0; k < 256; k++)
            pal[k] = (k < n) ? 0xFF00FF : 0x000000;
        pal[0] = 0x000000;
        ZKT_SetPalette(0, pal, 256);
        s_prevCol = n;
    }
    ZKT_WaitHwBlitter(0);
}

// ---- Sprites ----

s32 SortSprites(const void *a, const void *b)
{
    return ((const TESTPART_SPRITE *)a)->depth - ((const TESTPART_SPRITE *)b)->depth;
}

void TestPart_DrawSprites(void *surface, const TESTPART_GEOMETRY *g, const TESTPART_SPRITE *sprites, s32 first,
                          s32 last)
{
    if (first < 0)
        first = 0;
    if (last > TESTPART_SPRITES)
        last = TESTPART_SPRITES;
    const bool pairs = g->W > 360;
    // Offsets carry into neighbouring rows on purpose (no horizontal
    // clipping), but a span never leaves the OSD buffer slot.
    const s32 limit = (s32)((TESTPART_OSD_SLOT_SIZE - 12) / (pairs ? 2 : 1));
    for (s32 s = first; s < last; s++) {
        const TESTPART_SPRITE *sp = &sprites[s];
        const s32 rows = sp->rows < 8 ? sp->rows : 8;
        for (s32 j = 0; j < rows; j++) {
            const s32 len0 = g_sprdef[j].length;
            if (len0 <= 0)
                continue;
            // 64-bit so that no offset, however wild, wraps around.
            int64_t from = (int64_t)sp->offset + (int64_t)j * g->P + g_sprdef[j].start;
            int64_t to = from + len0;
            if (from < 0)
                from = 0;
            if (to > limit)
                to = limit;
            if (from >= to)
                continue;
            const s32 at = (s32)from, len = (s32)(to - from);
            if (pairs) {
                u16 *p = (u16 *)surface + at;
                const u16 v = (u16)(sp->colour * 257);
                for (s32 x = 0; x < len; x++)
                    p[x] = v;
            } else {
                std::memset((u8 *)surface + at, sp->colour, (size_t)len);
            }
        }
    }
}

// ---- Frame ----

u32 ZKT_DP_TestPart_Paint(u32 t, u32 length, u32 mode)
{
    (void)length;
    TESTPART_GEOMETRY g;
    TestPart_GetGeometry(mode, &g);
    if (!g_bTestPartFirstPaint)
        FirstPaint(&g);

    ProgramBackground(t, &g);

    const u32 osd = s_OSD_FIRST_BUF ? TESTPART_OSD_HDR0 + 12 : TESTPART_OSD_HDR1 + 12;
    s_OSD_FIRST_BUF = !s_OSD_FIRST_BUF;
    ZKT_HwBitBlt(osd, (u32)g.W, (u16)g.W, (u16)(g.H / 2), 0, 0, 0, 0, 0, 0);
    u8 *base = VideoBase();
    void *surface = base + osd;

    s32 first = 1, last = 0;
    if (t <= 17999)
        OpeningDissolve(t);
    TestPart_RunFormation(t, &g, surface, s_sprites, &first, &last);

    u32 rgb = TESTPART_RGB_BUF0;
    if (t > 17999) {
        rgb = s_RGB_FIRST_BUF ? TESTPART_RGB_BUF0 : TESTPART_RGB_BUF1;
        ZKT_HwBitBlt(rgb, (u32)g.P, (u16)g.P, (u16)(g.H / 2), 0, 0, 0, 0, 0, 0);
    }

    if (first < last) {
        ZKT_Sort(s_sprites, TESTPART_SPRITES, sizeof(TESTPART_SPRITE), SortSprites);
        // The OSD clear must be done before the processor writes into it.
        ZKT_WaitHwBlitter(0);
        TestPart_DrawSprites(surface, &g, s_sprites, first, last);
    }

    ZKT_SetOSDPlane(1, osd - 12, osd - 12);
    ZKT_WaitHwBlitter(0);

    if (t > 16000) {
        ZKT_SetPalette(0, s_ulPalRGBText, 256);
        DrawTextIntro(t, base + rgb, g.P, g.H, g.W);
        s_RGB_FIRST_BUF = !s_RGB_FIRST_BUF;
    }
    ZKT_SetRGBStartAddress(rgb);
    return 0;
}
