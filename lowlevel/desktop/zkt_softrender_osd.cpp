// OSD areas and the hardware cursor. The OSD draws Y, Cb, Cr before the
// colour pass; the cursor draws blue, green, red after it.
#include <cstring>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "lowlevel/desktop/zkt_softrender_px.h"

typedef int64_t s64;

static const s64 VMSIZE = ZKT_VIDEO_MEM_SIZE;

static inline u32 LoadLE32(const u8 *p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | ((u32)p[3] << 24);
}

// An area's palette resolved once per area: for each value, the blend over
// an unwritten pixel (the colour replaces it), the blend over a written one
// (at the value's opacity), and whether the value writes at all (the key).
struct OSDTable {
    PxBlend over[2][256]; // [pixel already written][value]
    u8 set[256];          // 1: draws and marks the pixel; 0: keyed
};

static inline void OSDPut(u8 *dst, u8 *fl, const OSDTable &t, u32 v)
{
    PxApply(dst, t.over[*fl != 0][v]);
    *fl |= t.set[v];
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
    const bool tv = g_ulDISPLAY_MODE > 4;

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

    static OSDTable t;
    for (u32 v = 0; v < 256; v++) {
        const u32 colour = g_ulOSDPalette[v];
        const u32 a = bAlpha ? areaAlpha : colour >> 28;
        if (keyOn && v == keyIndex) {
            PxBlendKeep(t.over[0][v]);
            PxBlendKeep(t.over[1][v]);
            t.set[v] = 0;
            continue;
        }
        PxBlendMake(t.over[0][v], colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF, 15);
        PxBlendMake(t.over[1][v], colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF, a);
        t.set[v] = 1;
    }

    const s32 width = lastCol - firstCol + 1;
    const s32 visEnd = lastCol < W - 1 ? lastCol : W - 1; // last column drawn
    const s32 visCount = visEnd >= firstCol ? visEnd - firstCol + 1 : 0;
    u8 *pic = g_ucSoftRenderPicture;
    u8 *flags = g_ucByteWriteOnPlane;
    const s64 data = hoff + 12;

    // RLE run state carries over from line to line: the pixels form one
    // stream with no alignment at line ends.
    s64 pos = data;
    s64 runLeft = 0; // -1: to the end of the area
    u32 runValue = 0;

    for (s32 ly = firstLine; ly < endLine; ly++) {
        const s32 oy = tv ? 2 * ly + (bOddField ? 1 : 0) : ly;
        if (oy >= H)
            break; // the rest of the area lies below the picture
        u8 *rowPix = pic + ((s64)oy * W) * 3;
        u8 *rowFl = flags + (s64)oy * W;
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
            u8 *dst = rowPix + firstCol * 3;
            u8 *fl = rowFl + firstCol;
            if (bpp == 8) {
                const u8 *src = vm + (bit >> 3);
                for (s32 i = 0; i < n; i++) {
                    OSDPut(dst + i * 3, fl + i, t, src[i]);
                }
            } else {
                for (s32 i = 0; i < n; i++, bit += bpp) {
                    OSDPut(dst + i * 3, fl + i, t, (vm[bit >> 3] >> (bit & 7)) & mask);
                }
            }
            if (cut)
                return; // the data run off the end of video memory
            continue;
        }
        s32 x = firstCol;
        while (x <= lastCol) {
            if (runLeft == 0) {
                if (pos >= VMSIZE)
                    return;
                const u32 b = vm[pos++];
                if (b > 191) {
                    if (pos >= VMSIZE)
                        return;
                    runValue = vm[pos++];
                    runLeft = (b & 63) ? (s64)(b & 63) : -1;
                } else {
                    runValue = b;
                    runLeft = 1;
                }
            }
            s32 n = lastCol - x + 1;
            if (runLeft > 0 && runLeft < n)
                n = (s32)runLeft;
            if (runLeft > 0)
                runLeft -= n;
            // Only the part of the run inside the picture costs pixel work.
            const s32 xa = x, xb = x + n - 1 < visEnd ? x + n - 1 : visEnd;
            if (xa <= xb && t.set[runValue]) {
                for (s32 i = xa; i <= xb; i++)
                    OSDPut(rowPix + i * 3, rowFl + i, t, runValue);
            }
            x += n;
        }
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
    if (g_ulDISPLAY_MODE > 4)
        OSDWalk(g_ulOSDHeaderOddField, 1);
}

// --- Cursor ---

void ZKT_LowLevelAPI_SoftRender_Cursor_Layer()
{
    const u8 *vm = g_GP2X_VIDEO_BASE_PTR;
    if (!vm)
        return;
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    const bool tv = g_ulDISPLAY_MODE > 4;
    const CursorLayer &c = g_cursorLayer;
    const s32 S = c.bLarge ? 64 : 32;
    const s32 x0 = c.usX, y0 = tv ? 2 * c.usY : c.usY;
    if (x0 >= W || y0 >= H)
        return;
    const s32 width = x0 + S > W ? W - x0 : S;
    s32 lines = tv ? 2 * S : S;
    if (y0 + lines > H)
        lines = H - y0;
    const s32 rowBytes = S / 4;
    const u32 t0 = (c.ulColor0 >> 24) & 0xF0, t1 = (c.ulColor1 >> 24) & 0xF0;
    const u32 col[2][3] = {{(c.ulColor0 >> 16) & 0xFF, (c.ulColor0 >> 8) & 0xFF, c.ulColor0 & 0xFF},
                           {(c.ulColor1 >> 16) & 0xFF, (c.ulColor1 >> 8) & 0xFF, c.ulColor1 & 0xFF}};
    const u32 t[2] = {t0, t1};

    for (s32 l = 0; l < lines; l++) {
        const s32 row = tv ? l / 2 + ((l & 1) ? S : 0) : l;
        const s64 src = (s64)c.ulBitmapOffset + (s64)row * rowBytes;
        u8 *dst = g_ucSoftRenderPicture + ((s64)(y0 + l) * W + x0) * 3;
        u8 *fl = g_ucByteWriteOnPlane + (s64)(y0 + l) * W + x0;
        if (src + rowBytes > VMSIZE)
            continue; // bitmap row outside video memory
        const u8 *bm = vm + src;
        for (s32 x = 0; x < width; x++, dst += 3) {
            fl[x] = 1;
            const u32 v = (bm[x >> 2] >> ((x & 3) * 2)) & 3;
            if (v < 2) {
                const u32 tt = t[v];
                dst[0] = (u8)((dst[0] * (240 - tt) + col[v][0] * tt) / 240);
                dst[1] = (u8)((dst[1] * (240 - tt) + col[v][1] * tt) / 240);
                dst[2] = (u8)((dst[2] * (240 - tt) + col[v][2] * tt) / 240);
            } else if (v == 3) {
                dst[0] = (u8)(255 - dst[0]);
                dst[1] = (u8)(255 - dst[1]);
                dst[2] = (u8)(255 - dst[2]);
            }
        }
    }
}
