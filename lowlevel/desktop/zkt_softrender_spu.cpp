// The sub-picture layer: 2-bit run-length coded lines in two fields, drawn
// in bands that differ in their column colour changes. Records are
// big-endian words; the compositor trusts none of their offsets.
#include <cstring>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "lowlevel/desktop/zkt_softrender_stages.h"

typedef int64_t s64;

static const s64 VMSIZE = ZKT_VIDEO_MEM_SIZE;

static inline u32 LoadBE32(const u8 *p)
{
    return ((u32)p[0] << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

void ZKT_LowLevelAPI_SoftRender_SPU_Layer_SubProc(u32 bTopField, s32 firstColumn, s32 firstLine, s32 lastColumn,
                                                   s32 endLine, u16 colourWord, u16 contrastWord, s32 changeCount,
                                                   const u16 *changeFirstColumn, const u16 *changeLastColumn,
                                                   const u16 *changeColourWord, const u16 *changeContrastWord,
                                                   u8 **ppData)
{
    const u8 *vm = g_GP2X_VIDEO_BASE_PTR;
    if (!vm || !ppData || !*ppData || lastColumn < firstColumn)
        return;
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    const bool tv = ZKT_ModeIsTV(g_ulDISPLAY_MODE);

    s32 y0, yEnd, step;
    if (tv) {
        step = 2;
        const s32 parity = bTopField ? 0 : 1;
        y0 = firstLine + (((firstLine & 1) != parity) ? 1 : 0);
        yEnd = endLine;
    } else {
        step = 1;
        y0 = firstLine / 2;
        yEnd = endLine / 2;
    }
    if (y0 < 0)
        y0 += ((-y0 + step - 1) / step) * step; // never above the picture
    // Lines below the picture are not drawn and consume nothing.
    if (yEnd > H)
        yEnd = H;
    if (y0 >= yEnd)
        return;

    s64 pos = *ppData - vm;
    if (pos < 0 || pos >= VMSIZE) {
        *ppData = nullptr;
        return;
    }

    // The visible columns cut into pieces at the change edges; the words
    // are constant over a piece (the last matching change wins). Without
    // changes there is one piece.
    static PxSPULine L;
    L.vm = vm;
    L.first = firstColumn;
    L.last = lastColumn;
    L.visEnd = lastColumn < W - 1 ? lastColumn : W - 1;
    const s32 visEnd = L.visEnd;
    s32 *segStart = L.segStart;
    u16 segC[34], segK[34];
    s32 nSeg = 0;
    if (visEnd >= firstColumn) {
        s32 cuts[34];
        s32 nCuts = 0;
        cuts[nCuts++] = firstColumn;
        for (s32 j = 0; j < changeCount && j < 16; j++) {
            if (changeFirstColumn[j] > firstColumn && changeFirstColumn[j] <= visEnd)
                cuts[nCuts++] = changeFirstColumn[j];
            if (changeLastColumn[j] + 1 > firstColumn && changeLastColumn[j] + 1 <= visEnd)
                cuts[nCuts++] = changeLastColumn[j] + 1;
        }
        for (s32 i = 1; i < nCuts; i++)
            for (s32 j = i; j > 0 && cuts[j - 1] > cuts[j]; j--) {
                const s32 t = cuts[j];
                cuts[j] = cuts[j - 1];
                cuts[j - 1] = t;
            }
        for (s32 i = 0; i < nCuts; i++) {
            if (nSeg && segStart[nSeg - 1] == cuts[i])
                continue;
            const s32 x = cuts[i];
            u16 cw = colourWord, kw = contrastWord;
            for (s32 j = 0; j < changeCount && j < 16; j++)
                if (changeFirstColumn[j] <= x && x <= changeLastColumn[j]) {
                    cw = changeColourWord[j];
                    kw = changeContrastWord[j];
                }
            segStart[nSeg] = x;
            segC[nSeg] = cw;
            segK[nSeg] = kw;
            nSeg++;
        }
    }
    segStart[nSeg] = segStart[nSeg + 1] = visEnd + 1;
    for (s32 i = 0; i < nSeg; i++)
        for (u32 c = 0; c < 4; c++) {
            const u32 colour = g_ulSPUColorPalette[(segC[i] >> (4 * c)) & 15];
            L.ink[4 * i + c] = PxSPUInk((colour & 0xFFFF) | ((colour >> 8) & 0xFF0000), (segK[i] >> (4 * c)) & 15);
        }

    // Lines are drawn up to what the RGB layer covers to their end: L cut
    // there, the pieces' starts past it kept in segFull.
    s32 segFull[35];
    memcpy(segFull, segStart, sizeof segFull);
    bool (*const spuLine)(u32 *, s64 &, const PxSPULine &) = ZKT_SoftRenderKernels().spuLine;
    // q counts nibbles; every line starts on a byte boundary.
    s64 q = pos * 2;
    for (s32 y = y0; y < yEnd; y += step) {
        const s32 *cx = nullptr;
        const s32 nCover = ZKT_SoftRenderCoverOf(y, &cx);
        const s32 end = nCover ? ZKT_SoftRenderCoverTail(cx, nCover, visEnd + 1) : visEnd + 1;
        if (end != L.visEnd + 1) {
            memcpy(segStart, segFull, sizeof segFull);
            s32 k = 0;
            while (k < nSeg && segStart[k] < end)
                k++;
            segStart[k] = segStart[k + 1] = end;
            L.visEnd = end - 1;
        }
        if (!spuLine(g_ulSoftRenderWork + (s64)y * W, q, L)) {
            *ppData = nullptr; // ran off the end of video memory
            return;
        }
        q += q & 1;
    }
    *ppData = (u8 *)vm + (q >> 1);
}

namespace {

struct SPUBand {
    u8 *pTop, *pBottom;
    s32 firstColumn, lastColumn;
};

// Bottom field first, then top. False once a field's data ran off the end
// of video memory, which ends the layer; a field whose data start outside
// video memory (null from the start) just draws nothing.
bool DrawBand(SPUBand &b, s32 first, s32 end, u16 cw, u16 kw, s32 n, const u16 *cf, const u16 *cl,
              const u16 *cc, const u16 *ck)
{
    if (first >= end)
        return true;
    const bool hadBottom = b.pBottom != nullptr, hadTop = b.pTop != nullptr;
    ZKT_LowLevelAPI_SoftRender_SPU_Layer_SubProc(0, b.firstColumn, first, b.lastColumn, end, cw, kw, n, cf, cl, cc,
                                                 ck, &b.pBottom);
    if (hadBottom && !b.pBottom)
        return false;
    ZKT_LowLevelAPI_SoftRender_SPU_Layer_SubProc(1, b.firstColumn, first, b.lastColumn, end, cw, kw, n, cf, cl, cc,
                                                 ck, &b.pTop);
    return !(hadTop && !b.pTop);
}

} // namespace

void ZKT_LowLevelAPI_SoftRender_SPU_Layer()
{
    u8 *vm = g_GP2X_VIDEO_BASE_PTR;
    if (!vm)
        return;
    const s64 cmd = g_ulSPUBaseCmdMemOffset & ~3u;
    if (cmd > VMSIZE - 28)
        return;
    u32 w[7];
    for (s32 i = 0; i < 7; i++)
        w[i] = LoadBE32(vm + cmd + 4 * i);
    const bool bChange = w[0] & 1;
    const u16 cw = (u16)(w[1] >> 16), kw = (u16)w[1];
    const s32 F = (s32)(w[3] >> 16), E = (s32)(w[3] & 0xFFFF);

    SPUBand b;
    b.firstColumn = (s32)(w[2] >> 16);
    b.lastColumn = (s32)(w[2] & 0xFFFF);
    b.pTop = w[4] < VMSIZE ? vm + w[4] : nullptr;
    b.pBottom = w[5] < VMSIZE ? vm + w[5] : nullptr;
    if (!b.pTop && !b.pBottom)
        return;

    if (bChange && g_bSPUHighlight) {
        DrawBand(b, F, E, cw, kw, 0, nullptr, nullptr, nullptr, nullptr);
        return;
    }
    if (bChange) {
        s64 off = w[6] & ~3u;
        s32 cur = F;
        u16 cf[15], cl[15], cc[15], ck[15];
        for (s32 entries = 0; entries < ZKT_SPU_MAX_CHANGE_ENTRIES; entries++) {
            if (off > VMSIZE - 4)
                break; // unterminated: the list ends with video memory
            const u32 head = LoadBE32(vm + off);
            if (head == 0xFFFFFFFFu)
                break;
            const s32 eF = (s32)(head >> 16), eE = (s32)(head & 0xFFF);
            const s32 n = (s32)((head >> 12) & 15);
            if (off + 4 + 8 * n > VMSIZE)
                break;
            for (s32 k = 0; k < n; k++) {
                const u32 a = LoadBE32(vm + off + 4 + 8 * k), c = LoadBE32(vm + off + 8 + 8 * k);
                cc[k] = (u16)(a >> 16);
                ck[k] = (u16)a;
                cf[k] = (u16)(c >> 16);
                cl[k] = (u16)c;
            }
            if (cur < eF && !DrawBand(b, cur, eF, cw, kw, 0, nullptr, nullptr, nullptr, nullptr))
                return;
            if (!DrawBand(b, eF, eE, cw, kw, n, cf, cl, cc, ck))
                return;
            cur = eE;
            off += 4 + 8 * n;
        }
        DrawBand(b, cur, E, cw, kw, 0, nullptr, nullptr, nullptr, nullptr);
        return;
    }
    if (g_bSPUHighlight) {
        const s64 hl = g_ulSPUHighlightInfoMemOffset & ~3u;
        if (hl > VMSIZE - 12) {
            DrawBand(b, F, E, cw, kw, 0, nullptr, nullptr, nullptr, nullptr);
            return;
        }
        const u32 h0 = LoadBE32(vm + hl), h1 = LoadBE32(vm + hl + 4), h2 = LoadBE32(vm + hl + 8);
        const u16 left = (u16)(h0 >> 16), right = (u16)h0;
        const s32 hF = (s32)(h1 >> 16), hE = (s32)(h1 & 0xFFFF);
        const u16 cf[3] = {(u16)b.firstColumn, left, right};
        const u16 cl[3] = {left, right, (u16)b.lastColumn};
        const u16 cc[3] = {cw, (u16)(h2 >> 16), cw};
        const u16 ck[3] = {kw, (u16)h2, kw};
        if (!DrawBand(b, F, hF, cw, kw, 0, nullptr, nullptr, nullptr, nullptr))
            return;
        if (!DrawBand(b, hF, hE, cw, kw, 3, cf, cl, cc, ck))
            return;
        DrawBand(b, hE, E, cw, kw, 0, nullptr, nullptr, nullptr, nullptr);
        return;
    }
    DrawBand(b, F, E, cw, kw, 0, nullptr, nullptr, nullptr, nullptr);
}
