// OSD areas and the hardware cursor. The OSD draws Y, Cb, Cr before the
// colour pass; the cursor draws blue, green, red after it.
#include <cstring>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "lowlevel/desktop/zkt_softrender_stages.h"

typedef int64_t s64;

static const s64 VMSIZE = ZKT_VIDEO_MEM_SIZE;

static inline u32 LoadLE32(const u8 *p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | ((u32)p[3] << 24);
}

// One pixel of an area of 2- or 4-bit values.
static inline void OSDPut(u32 *dst, const PxPalette &t, u32 v)
{
    const u32 c = t.colour[v], old = *dst;
    if (c >> 24)
        *dst = old >> 24 ? PxBlend(old, c, t.alpha[v]) | ZKT_PX_WRITTEN : c;
}

void ZKT_LowLevelAPI_SoftRender_OSD_Layer_Area(const u32 *header, u32 bOddField)
{
    const u8 *vm = g_GP2X_VIDEO_BASE_PTR;
    if (!vm || !header)
        return;
    const s64 hoff = (const u8 *)header - vm;
    if (hoff < 0 || hoff > VMSIZE - 12)
        return;
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    const bool tv = ZKT_ModeIsTV(g_ulDISPLAY_MODE);

    const u32 w1 = LoadLE32(vm + hoff + 4), w2 = LoadLE32(vm + hoff + 8);
    const s32 endLine = w1 & 0x7FF, firstLine = (w1 >> 11) & 0x3FF;
    const u32 areaAlpha = (w1 >> 22) & 15;
    const bool bAlpha = (w1 >> 26) & 1;
    const u32 code = (w1 >> 28) & 3;
    const bool rle = (w1 >> 30) & 1;
    const s32 lastCol = w2 & 0x7FF, firstCol = (w2 >> 11) & 0x3FF;
    const u32 keyIndex = (w2 >> 22) & 0xFF;
    const bool keyOn = bAlpha && ((w2 >> 30) & 1);
    // Depth code 3 would be a 16-bit step over bytes: every byte is one
    // pixel, exactly as the 8-bit code.
    const s32 bpp = code == 3 ? 8 : 2 << code;
    const u32 mask = bpp == 2 ? 3 : bpp == 4 ? 15 : 255;
    if (firstLine >= endLine || firstCol > lastCol)
        return;

    static PxPalette t;
    for (u32 v = 0; v < 256; v++) {
        const u32 colour = g_ulOSDPalette[v];
        t.alpha[v] = (u32)(bAlpha ? areaAlpha : colour >> 28);
        t.colour[v] = (colour & ZKT_PX_RGB) | (keyOn && v == keyIndex ? 0 : ZKT_PX_WRITTEN);
    }
    PxPaletteSeal(t);
    const SoftRenderKernels &K = ZKT_SoftRenderKernels();

    const s32 width = lastCol - firstCol + 1;
    const s32 visEnd = lastCol < W - 1 ? lastCol : W - 1; // last column drawn
    const s32 visCount = visEnd >= firstCol ? visEnd - firstCol + 1 : 0;
    u32 *pic = g_ulSoftRenderWork;
    const s64 data = hoff + 12;

    PxOSDRuns runs{vm, data, 0, 0};

    for (s32 ly = firstLine; ly < endLine; ly++) {
        const s32 oy = tv ? 2 * ly + (bOddField ? 1 : 0) : ly;
        if (oy >= H)
            break; // the rest of the area lies below the picture
        u32 *rowPix = pic + (s64)oy * W;
        if (!rle) {
            s64 bit = data * 8 + (s64)(ly - firstLine) * width * bpp;
            s32 n = visCount;
            const s64 lastByte = (bit + (s64)n * bpp - 1) >> 3;
            bool cut = false;
            if (n > 0 && lastByte >= VMSIZE) {
                const s64 avail = VMSIZE * 8 - bit;
                n = avail > 0 ? (s32)(avail / bpp) : 0;
                cut = true;
            }
            const s32 *cx = nullptr;
            const s32 nCover = ZKT_SoftRenderCoverOf(oy, &cx);
            ZKT_SoftRenderUncovered(cx, nCover, firstCol, firstCol + n, [&](s32 xa, s32 xb) {
                if (bpp == 8) {
                    K.palette8(rowPix + xa, vm + (bit >> 3) + (xa - firstCol), xb - xa, t);
                    return;
                }
                for (s64 x = xa, b = bit + (s64)(xa - firstCol) * bpp; x < xb; x++, b += bpp)
                    OSDPut(rowPix + x, t, (vm[b >> 3] >> (b & 7)) & mask);
            });
            if (cut)
                return; // the data run off the end of video memory
            continue;
        }
        // Drawn up to what the RGB layer covers to the line's end; the
        // stream moves on as always.
        const s32 *cx = nullptr;
        const s32 nCover = ZKT_SoftRenderCoverOf(oy, &cx);
        const s32 drawEnd = nCover ? ZKT_SoftRenderCoverTail(cx, nCover, visEnd + 1) - 1 : visEnd;
        if (!K.osdRunLine(rowPix, runs, firstCol, lastCol, drawEnd, t))
            return; // the data run off the end of video memory
    }
}

static void OSDWalk(u32 start, u32 bOddField)
{
    // Repeats are found with a small open-addressed set of the offsets
    // drawn so far; a generation number saves clearing it per walk.
    enum { SLOTS = 2 * ZKT_OSD_MAX_AREAS };
    static u32 s_ulSeenOffset[SLOTS];
    static u32 s_ulSeenGen[SLOTS];
    static u32 s_ulGen = 0;
    if (++s_ulGen == 0) {
        memset(s_ulSeenGen, 0, sizeof s_ulSeenGen);
        s_ulGen = 1;
    }
    const u8 *vm = g_GP2X_VIDEO_BASE_PTR;
    u32 off = start & ~3u;
    for (s32 n = 0; n < ZKT_OSD_MAX_AREAS; n++) {
        if ((s64)off > VMSIZE - 12)
            return;
        u32 h = (off >> 2) * 2654435761u % SLOTS;
        while (s_ulSeenGen[h] == s_ulGen) {
            if (s_ulSeenOffset[h] == off)
                return; // links back to an area already drawn
            h = (h + 1) % SLOTS;
        }
        s_ulSeenGen[h] = s_ulGen;
        s_ulSeenOffset[h] = off;
        ZKT_LowLevelAPI_SoftRender_OSD_Layer_Area((const u32 *)(vm + off), bOddField);
        if (LoadLE32(vm + off + 4) >> 31)
            return;
        off = LoadLE32(vm + off) & ~3u;
    }
}

void ZKT_LowLevelAPI_SoftRender_OSD_Layer()
{
    if (!g_GP2X_VIDEO_BASE_PTR)
        return;
    OSDWalk(g_ulOSDHeaderEvenField, 0);
    if (ZKT_ModeIsTV(g_ulDISPLAY_MODE))
        OSDWalk(g_ulOSDHeaderOddField, 1);
}

// --- Cursor ---

bool ZKT_SoftRenderCursorPrepare(ZKT_SoftRenderCursor &c)
{
    if (!g_GP2X_VIDEO_BASE_PTR)
        return false;
    s32 H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&c.W, &H);
    c.tv = ZKT_ModeIsTV(g_ulDISPLAY_MODE);
    const CursorLayer &cl = g_cursorLayer;
    c.S = cl.bLarge ? 64 : 32;
    c.x0 = cl.usX;
    c.y0 = c.tv ? 2 * cl.usY : cl.usY;
    if (c.x0 >= c.W || c.y0 >= H)
        return false;
    c.width = c.x0 + c.S > c.W ? c.W - c.x0 : c.S;
    c.lines = c.tv ? 2 * c.S : c.S;
    if (c.y0 + c.lines > H)
        c.lines = H - c.y0;
    c.rowBytes = c.S / 4;
    c.t[0] = cl.ulColor0 >> 28;
    c.t[1] = cl.ulColor1 >> 28;
    // Blue, green, red in the working picture's byte order.
    c.col[0] = ((cl.ulColor0 >> 16) & 0xFF) | (cl.ulColor0 & 0xFF00) | (cl.ulColor0 & 0xFF) << 16;
    c.col[1] = ((cl.ulColor1 >> 16) & 0xFF) | (cl.ulColor1 & 0xFF00) | (cl.ulColor1 & 0xFF) << 16;
    return true;
}

void ZKT_SoftRenderCursorLine(const ZKT_SoftRenderCursor &c, s32 y)
{
    const s32 l = y - c.y0;
    if (l < 0 || l >= c.lines)
        return;
    const s32 row = c.tv ? l / 2 + ((l & 1) ? c.S : 0) : l;
    const s64 src = (s64)g_cursorLayer.ulBitmapOffset + (s64)row * c.rowBytes;
    if (src + c.rowBytes > VMSIZE)
        return; // bitmap row outside video memory
    ZKT_SoftRenderKernels().cursor(g_ulSoftRenderWork + (s64)y * c.W + c.x0, g_GP2X_VIDEO_BASE_PTR + src, c.width,
                                   c.col, c.t);
}

void ZKT_LowLevelAPI_SoftRender_Cursor_Layer()
{
    ZKT_SoftRenderCursor c;
    if (!ZKT_SoftRenderCursorPrepare(c))
        return;
    for (s32 l = 0; l < c.lines; l++)
        ZKT_SoftRenderCursorLine(c, c.y0 + l);
}
