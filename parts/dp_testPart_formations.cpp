// The main part's foreground: 500 streak lines, then four formations of
// 1500 disc sprites (ring, ribbon, wall, track). Every element is a closed
// form of the part time t and its number k, so any frame can be drawn alone.
#include <cstring>

#include "parts/dp_testPart.h"
#include "tools/zkt_basictools.h"
#include "tools/zkt_lowLevelCommon.h"

static const u32 s_ulPalFire[33] = {
    0x00000000, 0xFF800000, 0xFF900000, 0xFFA00000, 0xFFB00000, 0xFFC00000, 0xFFD00000, 0xFFE00000, 0xFFF00000,
    0xFFFF2000, 0xFFFF4000, 0xFFFF6000, 0xFFFF8000, 0xFFFFA000, 0xFFFFC000, 0xFFFFE000, 0xFFFFFF00, 0xFFFFFF20,
    0xFFFFFF40, 0xFFFFFF60, 0xFFFFFF80, 0xFFFFFFA0, 0xFFFFFFC0, 0xFFFFFFE0, 0xFFFFFFFF, 0xFFDDDDDD, 0xFFBBBBBB,
    0xFF999999, 0xFF777777, 0xFF666666, 0xFF555555, 0xFF444444, 0xFF333333,
};

static const u32 s_ulPalBlue[64] = {
    0xFF09272E, 0xFF153C46, 0xFF0E4854, 0xFF204B52, 0xFF184E61, 0xFF165C6A, 0xFF2A5A66, 0xFF276971,
    0xFF1E6B7D, 0xFF29707B, 0xFF217784, 0xFF297384, 0xFF346A77, 0xFF35737F, 0xFF397B7B, 0xFF297B84,
    0xFF29718E, 0xFF31758C, 0xFF217B8C, 0xFF277C92, 0xFF396B84, 0xFF397784, 0xFF317B8C, 0xFF357992,
    0xFF2D8490, 0xFF29889C, 0xFF318494, 0xFF378892, 0xFF31849C, 0xFF35879F, 0xFF3190A1, 0xFF3492AB,
    0xFF3F8292, 0xFF3998B5, 0xFF428EA3, 0xFF55909F, 0xFF3EA1B8, 0xFF48A2B7, 0xFF4EA3B7, 0xFF60A8B5,
    0xFF45ADC8, 0xFF55B1CA, 0xFF63ADC4, 0xFF5CBACF, 0xFF6EAFC2, 0xFF6BB9CC, 0xFF69C3D7, 0xFF73BDD6,
    0xFF79B1BE, 0xFF8EBBC5, 0xFF7BCAD6, 0xFF90CCD2, 0xFF84CEE2, 0xFF96D3E3, 0xFFA2D0DC, 0xFF9DDEEA,
    0xFFB2D4D9, 0xFFB3E2E4, 0xFFB0E2F0, 0xFFBDE1EF, 0xFFCBDEE4, 0xFFC8EFF7, 0xFFDFF2F6, 0xFFF3F9F9,
};

static const u32 s_ulPalGold[64] = {
    0xFF522A04, 0xFF725A13, 0xFF885E00, 0xFF88671E, 0xFF975C00, 0xFF967300, 0xFFA46C00, 0xFFA36D13,
    0xFFA18A04, 0xFFB69102, 0xFFC68600, 0xFFC5A600, 0xFFA88C13, 0xFFC59B0D, 0xFFAF9221, 0xFFB49E4C,
    0xFFE19606, 0xFFE2AE06, 0xFFDABB07, 0xFFF4B905, 0xFFE6D007, 0xFFF9D604, 0xFFFFD305, 0xFFFFE204,
    0xFFD6AC1F, 0xFFEFB41D, 0xFFE6D120, 0xFFFBD819, 0xFFE6BB34, 0xFFF2DE33, 0xFFE6C84C, 0xFFE8D086,
    0xFFF5F500, 0xFFFFF300, 0xFFFAF706, 0xFFF8F520, 0xFFF9F53E, 0xFFFAF553, 0xFFF8F766, 0xFFF8F577,
    0xFFF5EF90, 0xFFFFFC8D, 0xFFF5F0AC, 0xFFFFFBA9, 0xFFF6EFC1, 0xFFFFFCBD, 0xFFF8F0D0, 0xFFFBFFD6,
    0xFFF3F0E7, 0xFFF3FDEE, 0xFFFDF0E8, 0xFFF7FFF3, 0xFFFFF7E2, 0xFFFFFFDE, 0xFFFFFCEC, 0xFFFFF7F7,
    0xFFF5F1FF, 0xFFE7FFFF, 0xFFEFFFFF, 0xFFF7FFFF, 0xFFFFEFFF, 0xFFFFF7FF, 0xFFFFFFF7, 0xFFFFFFFF,
};

static const u32 s_ulPalGreenBlue[64] = {
    0xFF185A0C, 0xFF186B10, 0xFF187310, 0xFF187B10, 0xFF148410, 0xFF109112, 0xFF109C18, 0xFF10A518,
    0xFF10AD18, 0xFF10B918, 0xFF10CA18, 0xFF10CE21, 0xFF10D621, 0xFF1FD927, 0xFF2EDE33, 0xFF41E23D,
    0xFF52E74A, 0xFF5DE74F, 0xFF6BEF56, 0xFF77EF63, 0xFF84F168, 0xFF94F770, 0xFFA0F77B, 0xFFADFF7F,
    0xFFB9FF90, 0xFFBDFF9C, 0xFFC8FFA4, 0xFFD2FFB5, 0xFFD8FFC3, 0xFFE2FFCE, 0xFFEBFFDE, 0xFFF7FFEF,
    0xFF0C445A, 0xFF104A6B, 0xFF104A73, 0xFF105277, 0xFF105688, 0xFF145A94, 0xFF10639C, 0xFF1063A9,
    0xFF1067B5, 0xFF106BBD, 0xFF106BC6, 0xFF1271D2, 0xFF2082D9, 0xFF3190DE, 0xFF3D9CE2, 0xFF4AA9E7,
    0xFF4FB5E9, 0xFF57C0EF, 0xFF63CEEF, 0xFF6BCEF7, 0xFF6BD6F7, 0xFF70E1F7, 0xFF7EEFFC, 0xFF8CF7FF,
    0xFF94F7FF, 0xFF9CF7FF, 0xFFA5F7FF, 0xFFB5F9FF, 0xFFBDFFFF, 0xFFCBF9FF, 0xFFDBFFFC, 0xFFEDFFF9,
};

// ---- Palettes ----

void TestPart_LoadStreakPalette()
{
    u32 pal[65];
    pal[0] = 0x00000000;
    for (s32 k = 0; k < 64; k++)
        pal[k + 1] = s_ulPalBlue[k] | 0x000000C8; // push every streak towards blue
    ZKT_SetOSDPaletteUsingRGB(0, pal, 65);
}

void TestPart_LoadRingPalette()
{
    // Entries 1..63 are the gold ramp; entry 64 is loaded but never used
    // by a sprite, so it gets the transparent colour rather than whatever
    // lies past the table.
    u32 pal[64];
    for (s32 k = 0; k < 63; k++)
        pal[k] = s_ulPalGold[k + 1] | 0xFF000000;
    pal[63] = 0x00000000;
    ZKT_SetOSDPaletteUsingRGB(0, s_ulPalFire, 1);
    ZKT_SetOSDPaletteUsingRGB(1, pal, 64);
}

void TestPart_LoadRibbonPalette()
{
    u32 pal[65];
    pal[0] = s_ulPalFire[0];
    std::memcpy(pal + 1, s_ulPalGreenBlue, sizeof s_ulPalGreenBlue);
    ZKT_SetOSDPaletteUsingRGB(0, pal, 65);
}

void TestPart_LoadWallPalette()
{
    // Three alpha banks of the blue ramp, each a little tinted.
    u32 pal[193];
    pal[0] = s_ulPalFire[0];
    for (s32 n = 0; n < 64; n++) {
        pal[1 + n] = (s_ulPalBlue[n] & 0xFFFFFF) | 0xEE000000;
        pal[65 + n] = (s_ulPalBlue[n] & 0xF5ECFF) | 0xBB000000;
        pal[129 + n] = (s_ulPalBlue[n] & 0xDAE4FF) | 0x77000000;
    }
    ZKT_SetOSDPaletteUsingRGB(0, pal, 193);
}

void TestPart_LoadTrackPalette() { ZKT_SetOSDPaletteUsingRGB(0, s_ulPalFire, 33); }

// ---- Visible range ----

void TestPart_VisibleRange(s32 t, s32 S, s32 E, s32 *pFirst, s32 *pLast)
{
    // Fade in by depth over S+1000..S+4000, fade out over the last 3000 ms.
    *pLast = (t - S > 4000) ? TESTPART_SPRITES : (t - (S + 1000)) * TESTPART_SPRITES / 3000;
    *pFirst = (t < E - 3000) ? 0 : TESTPART_SPRITES - ((E - t) * TESTPART_SPRITES) / 3000;
}

// ---- Streaks ----

void TestPart_DrawStreaks(u32 t, const TESTPART_GEOMETRY *g, void *surface)
{
    const s32 P = g->P, H = g->H;
    const s32 ts = (s32)t;
    for (s32 k = 0; k < 500; k++) {
        // Scroll left a quarter pixel per ms, wrapping over P + 40 columns.
        const u32 wrap = ((u32)g->X0 + 4u * (u32)k + t / 4u) % (u32)(P + 40);
        const s32 x = P - (s32)wrap;
        const s32 y = _intsin(18, ts + 8 * x, 2400) + _intsin(35, ts + 573 * k, 5000 + k / 2) +
                      _intcos(10, ts + 40 * k, 1500) + 3 * (k % 8) + 165;
        const s32 len = _intsin(20, 37 * k, 100) + 30;
        const s32 thickness = 2 * (len % 8) + 3;
        const s32 dy = (k % 8 == 0) ? _intsin(8, ts + 5 * k, 1200) + 5 : 0;
        const s32 colour = (k % 64) + 1;
        if (P == g->W)
            ZKT_DrawLineW8((u8 *)surface, P, H, x, y, x + len, y + dy, thickness, (u8)colour);
        else
            ZKT_DrawLineW16((u16 *)surface, P, H, x, y, x + len, y + dy, thickness, (u16)(colour * 257));
    }
}

// ---- Sprite formations ----

static void Place(TESTPART_SPRITE *sp, const TESTPART_GEOMETRY *g, s32 X, s32 top)
{
    sp->offset = g->P * top + X;
    sp->rows = (top + 8 < g->H) ? 8 : g->H - top;
}

void TestPart_BuildRing(u32 t, const TESTPART_GEOMETRY *g, TESTPART_SPRITE *sprites)
{
    const s32 ts = (s32)t;
    for (s32 k = 0; k < TESTPART_SPRITES; k++) {
        TESTPART_SPRITE *sp = &sprites[k];
        const s32 X = _intcos(140 - k / 16, ts + 40 * k, 5000) + g->X0 + 156;
        const s32 y = _intsin(110 - k / 16, ts + 80 * k, 5000) - _intsin(20, ts + 8192 * k, 15000) / 16;
        Place(sp, g, X, y + 120);
        sp->depth = _intsin(2000, ts + 40 * k, 5000) + 2500;
        const s32 m = k % 64;
        const s32 c = (m <= 31 ? m : 64 - m) + 2;
        // A highlight travels round the ring where b is positive.
        s32 b = _intsin(1064, 4 * X + 30 * (k % 32) + ts, 5000) - 1000;
        if (b < 0)
            b = 0;
        const s32 colour = c + b;
        sp->colour = (u8)(colour > 63 ? 63 : colour);
    }
}

void TestPart_BuildRibbon(u32 t, const TESTPART_GEOMETRY *g, TESTPART_SPRITE *sprites)
{
    const s32 ts = (s32)t;
    for (s32 k = 0; k < TESTPART_SPRITES; k++) {
        TESTPART_SPRITE *sp = &sprites[k];
        const bool odd = (k & 1) != 0;
        const s32 X = _intsin(35, ts + 27 * (k % 16), 4000) + (5 * k) / 32 + g->X0 + 40;
        const s32 J = _intcos(70, 2 * k - ts, 6000);
        const s32 y = _intsin(_intcos(8, 4 * ts + 10 * k, 7000) + 15, ts + 80 * k, 5000) + _intcos(10, ts, 3000) + 116 +
                      (odd ? J : -J);
        Place(sp, g, X, y);
        const s32 K = _intsin(170, 2 * k - ts, 6000);
        sp->depth = _intcos(2000, ts + 40 * k, 5000) + 2500 + (odd ? K : -K);
        // Even elements take the green half of the palette, odd the blue.
        sp->colour = (u8)(32 * (k % 2) + (k % 32) + 1);
    }
}

void TestPart_BuildWall(u32 t, const TESTPART_GEOMETRY *g, TESTPART_SPRITE *sprites)
{
    const s32 ts = (s32)t;
    for (s32 k = 0; k < TESTPART_SPRITES; k++) {
        TESTPART_SPRITE *sp = &sprites[k];
        const s32 j = k % 40, i = k / 40, q = k / 120;
        // Lower blocks are wider than the screen and carry into the
        // neighbouring rows through the offset.
        const s32 X = j * (q + 8) - 20 * q + 2 * (i % 4) + g->X0;
        const s32 y = 3 * i + _intsin(4, ts + 40 * j, 2000) + _intsin(8, 210 * j + 100 * i + 2 * ts, 4000) +
                      _intcos(10, 2 * i, 1000) + _intsin(_intcos(15, ts, 5000) + 16, 50 * i, 5000) + 130;
        Place(sp, g, X, y);
        sp->depth = k + 100;
        s32 base = ts / 30 + 3 * k;
        if ((X & 0x15) <= 4)
            base += 7;
        const s32 c = base & 0x7F;
        const s32 tri = c <= 63 ? c : 127 - c;
        sp->colour = (u8)((k % 8 == 4 || k % 16 == 3) ? tri + 65 : tri + 1);
    }
}

void TestPart_BuildTrack(u32 t, const TESTPART_GEOMETRY *g, TESTPART_SPRITE *sprites)
{
    const s32 ts = (s32)t;
    for (s32 k = 0; k < TESTPART_SPRITES; k++) {
        TESTPART_SPRITE *sp = &sprites[k];
        const s32 X = _intcos(140 - k / 32, ts + 40 * k, 5000) + g->X0 + 156;
        const s32 A = X / 64 + _intcos(25, 3 * ts + 4 * k, 10000) + 50;
        const s32 y = _intsin(A, ts + 120 * k, 5000) - _intsin(20, ts + 8192 * k, 15000) / 16;
        Place(sp, g, X, y + 120);
        sp->depth = _intsin(2000, ts + 40 * k, 5000) + 2500;
        sp->colour = (u8)((k % 32) + 1);
    }
}

void TestPart_RunFormation(u32 t, const TESTPART_GEOMETRY *g, void *surface, TESTPART_SPRITE *sprites, s32 *pFirst,
                           s32 *pLast)
{
    const s32 ts = (s32)t;
    if (t <= 17999) {
        // The streak palette is loaded once by the opening dissolve.
        if (t <= 15749)
            TestPart_DrawStreaks(t, g, surface);
    } else if (t <= 39999) {
        TestPart_LoadRingPalette();
        TestPart_BuildRing(t, g, sprites);
        TestPart_VisibleRange(ts, 18000, 40000, pFirst, pLast);
    } else if (t <= 57999) {
        TestPart_LoadRibbonPalette();
        TestPart_BuildRibbon(t, g, sprites);
        TestPart_VisibleRange(ts, 40000, 58000, pFirst, pLast);
    } else if (t <= 77999) {
        TestPart_LoadWallPalette();
        TestPart_BuildWall(t, g, sprites);
        TestPart_VisibleRange(ts, 58000, 78000, pFirst, pLast);
    } else if (t <= 98999) {
        TestPart_LoadTrackPalette();
        TestPart_BuildTrack(t, g, sprites);
        TestPart_VisibleRange(ts, 78000, 99000, pFirst, pLast);
    }
}
