// The RGB layer: one source picture scaled to the output, shown through
// five regions that hide it, blend it or key a colour out of it.
#include <cstring>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "lowlevel/desktop/zkt_softrender_stages.h"

typedef int64_t s64;

static const s64 VMSIZE = ZKT_VIDEO_MEM_SIZE;

// The layer resolved for the frame: source, scaling and the defaults of
// region 5.
struct RGBFrame {
    bool bDraw;
    bool tv;
    s32 W, H, depth;
    s64 SX, SY, base;
    u32 key;
    bool defDraw;
    u32 defMode, defAlpha;
    bool bStraight;   // source column x for output column x
    bool bWiden;      // fewer source columns than output ones: each repeats
    bool bDouble;     // each source column twice
    bool bDirect;     // 16-bit, straight: runs drawn from the source as they are
    bool bAllWhole;   // every source pixel of the frame lies in video memory
    u32 palette[256]; // blue | green << 8 | red << 16
    s32 srcX[ZKT_MAX_OUT_W];
    s64 rowIndex[ZKT_MAX_OUT_H]; // index of line y's first source pixel
    u8 regions[ZKT_MAX_OUT_H];   // bit r: line y lies in region r + 1 (1 to 4)
    // What srcX, rowIndex and regions were made from (all zero: nothing).
    s64 geom[13];
};

static RGBFrame s_rgb;

// A line's drawn runs, left to right. bWhole: every source byte the run
// reads lies in video memory.
struct RGBRun {
    s32 xa, xb;
    u32 alpha;
    bool bKey, bWhole;
};

struct RGBLinePlan {
    s32 y, n;
    s64 rowIndex;
    // The line's source colours when planning fetched them (for the key),
    // kept for its drawing; null otherwise.
    const u32 *colours;
    const RGBRun *run; // own or the line's run set's
    RGBRun own[ZKT_RGB_MAX_RUNS];
};

// Each line's plan as last made this frame.
static RGBLinePlan s_plan[ZKT_MAX_OUT_H];

// The drawn runs for a set of active regions 1 to 4 (bit r for region
// r + 1), before the reach into video memory is checked. Lines between
// region edges share one set, so it is worked out once per set and frame,
// and kept for the frame: the plans of lines that take it as it is point
// at it.
struct RGBRunSet {
    s32 mask, n; // mask -1: none yet this frame
    RGBRun run[ZKT_RGB_MAX_RUNS];
};

static RGBRunSet s_runSet[16];

// Source colours by output column. Drawing fetches into one row; planning
// into a row per line, as every line is planned before any is drawn.
static u32 s_ulRowColours[ZKT_MAX_OUT_W];
static u32 s_ulKeptColours[ZKT_MAX_OUT_W * ZKT_MAX_OUT_H];
// The last row fetched: output columns s_nRowLo to s_nRowHi - 1 of source
// row s_lRow (-1: none yet this frame) at s_pRow. TV lines come in pairs
// on one source row, so the second of a pair fetches nothing.
static const u32 *s_pRow;
static s64 s_lRow = -1;
static s32 s_nRowLo, s_nRowHi;

// Source column of each output column (x SX / W), index of each line's
// first source pixel (y SY / H source rows) and which of regions 1 to 4
// each line lies in.
static void RGBGeometry(RGBFrame &f, const s64 *geom)
{
    // Stepped as quotient and remainder.
    for (s64 x = 0, q = 0, r = 0; x < f.W; x++) {
        f.srcX[x] = (s32)q;
        q += f.SX / f.W;
        r += f.SX % f.W;
        if (r >= f.W) {
            r -= f.W;
            q++;
        }
    }
    for (s64 y = 0, q = 0, r = 0; y < f.H; y++) {
        f.rowIndex[y] = q * f.SX;
        q += f.SY / f.H;
        r += f.SY % f.H;
        if (r >= f.H) {
            r -= f.H;
            q++;
        }
    }
    memset(f.regions, 0, (size_t)f.H);
    for (s32 r = 0; r < 4; r++) {
        const RGBLayerRegion &rg = g_RGBLayerRegion[r];
        const s32 sy = f.tv ? 2 * rg.usStartY : rg.usStartY;
        const s32 ey = f.tv ? 2 * rg.usEndY : rg.usEndY;
        for (s32 y = sy; rg.bEnable && y <= ey && y < f.H; y++)
            f.regions[y] |= (u8)(1 << r);
    }
    memcpy(f.geom, geom, sizeof f.geom);
}

static void RGBPrepare(RGBFrame &f)
{
    f.bDraw = false;
    // Video memory and the regions may have changed since the last frame.
    s_lRow = -1;
    for (RGBRunSet &rs : s_runSet)
        rs.mask = -1;
    if (!g_GP2X_VIDEO_BASE_PTR)
        return;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&f.W, &f.H);
    f.tv = ZKT_ModeIsTV(g_ulDISPLAY_MODE);
    f.SX = g_nScreenSizeX;
    f.SY = g_nScreenSizeY;
    // A line longer than video memory cannot be read; refusing it also
    // keeps every index below within 64 bits.
    if (f.SX <= 0 || f.SY <= 0 || f.SX > VMSIZE)
        return;
    f.depth = g_nColorBitDepth;
    f.base = g_ulRGBVideoMemOffset;
    f.key = f.depth == 16 ? (g_ulRegionColorKey & 0xF8FCF8) : g_ulRegionColorKey;
    const RGBLayerRegion &r5 = g_RGBLayerRegion[4];
    f.defDraw = r5.bEnable && r5.bShow;
    f.defMode = r5.usBlendMode;
    // Opacity is four bits: anything above 15 is opaque.
    f.defAlpha = r5.usBlendMode ? (r5.usAlpha > 15 ? 15 : r5.usAlpha) : 15;
    bool any = f.defDraw;
    for (s32 r = 0; r < 4; r++)
        any = any || g_RGBLayerRegion[r].bEnable;
    if (!any)
        return;
    // Columns, rows and the lines' regions: kept while what they come
    // from stays, which it mostly does from frame to frame.
    s64 geom[13] = {f.W, f.H, f.SX, f.SY, f.tv};
    for (s32 r = 0; r < 4; r++) {
        const RGBLayerRegion &rg = g_RGBLayerRegion[r];
        geom[5 + 2 * r] = rg.bEnable != 0;
        geom[6 + 2 * r] = rg.usStartY | (s64)rg.usEndY << 16;
    }
    if (memcmp(geom, f.geom, sizeof geom) != 0)
        RGBGeometry(f, geom);
    // Indices only grow along lines and columns: the last one is the
    // largest.
    const s64 iMax = f.rowIndex[f.H - 1] + f.srcX[f.W - 1];
    const s64 hiMax = f.depth == 4 ? iMax >> 1 : f.depth == 8 ? iMax : f.depth == 16 ? iMax * 2 + 1 : iMax * 3 + 2;
    f.bAllWhole = f.base + hiMax < VMSIZE;
    f.bStraight = f.SX == f.W;
    f.bWiden = f.SX < f.W;
    f.bDouble = 2 * f.SX == f.W;
    f.bDirect = f.depth == 16 && f.bStraight;
    if (f.depth == 4 || f.depth == 8)
        for (s32 i = 0; i < 256; i++)
            f.palette[i] = g_ulRGBColorTable[i] & ZKT_PX_RGB;
    f.bDraw = true;
}

// Source colours of n output columns from index rowIndex + srcX[i]; CHECK
// leaves out (as invalid) what lies outside video memory.
template <int DEPTH, bool CHECK>
static void RGBFetch(u32 *out, u8 *valid, const RGBFrame &f, const u8 *src, s64 rowIndex, const s32 *srcX, s32 n)
{
    for (s32 i = 0; i < n; i++) {
        const s64 idx = rowIndex + srcX[i];
        if (DEPTH == 4 || DEPTH == 8) {
            const s64 o = DEPTH == 4 ? idx >> 1 : idx;
            if (CHECK && !(valid[i] = f.base + o >= 0 && f.base + o < VMSIZE))
                continue;
            u32 v = src[o];
            if (DEPTH == 4)
                v = (idx & 1) ? v >> 4 : v & 15;
            out[i] = f.palette[v];
        } else if (DEPTH == 16) {
            const s64 o = idx * 2;
            if (CHECK && !(valid[i] = f.base + o >= 0 && f.base + o + 1 < VMSIZE))
                continue;
            const u32 v = src[o] | (src[o + 1] << 8);
            out[i] = ((v << 3) & 0xF8) | ((v >> 3) & 0xFC) << 8 | ((v >> 8) & 0xF8) << 16;
        } else {
            const s64 o = idx * 3;
            if (CHECK && !(valid[i] = f.base + o >= 0 && f.base + o + 2 < VMSIZE))
                continue;
            out[i] = src[o] | src[o + 1] << 8 | src[o + 2] << 16;
        }
    }
}

template <bool CHECK>
static void RGBFetchDepth(u32 *out, u8 *valid, const RGBFrame &f, const u8 *src, s64 rowIndex, const s32 *srcX,
                          s32 n)
{
    switch (f.depth) {
    case 4: RGBFetch<4, CHECK>(out, valid, f, src, rowIndex, srcX, n); break;
    case 8: RGBFetch<8, CHECK>(out, valid, f, src, rowIndex, srcX, n); break;
    case 16: RGBFetch<16, CHECK>(out, valid, f, src, rowIndex, srcX, n); break;
    default: RGBFetch<24, CHECK>(out, valid, f, src, rowIndex, srcX, n); break;
    }
}

static void RGBRunsFor(const RGBFrame &f, s32 mask, RGBRunSet &rs)
{
    rs.mask = mask;
    rs.n = 0;
    // Regions 1 to 4 active on this line, kept in test order 4, 3, 2, 1.
    const RGBLayerRegion *act[4];
    s32 nAct = 0;
    for (s32 r = 3; r >= 0; r--)
        if (mask >> r & 1)
            act[nAct++] = &g_RGBLayerRegion[r];
    if (!f.defDraw && nAct == 0)
        return;
    const s32 W = f.W;

    // The outcome only changes at region edges: cut the line there.
    s32 cuts[ZKT_RGB_MAX_RUNS + 1];
    s32 nCuts = 0;
    cuts[nCuts++] = 0;
    for (s32 i = 0; i < nAct; i++) {
        if (act[i]->usStartX < W)
            cuts[nCuts++] = act[i]->usStartX;
        if (act[i]->usEndX + 1 < W)
            cuts[nCuts++] = act[i]->usEndX + 1;
    }
    for (s32 i = 1; i < nCuts; i++) // insertion sort, at most ten
        for (s32 j = i; j > 0 && cuts[j - 1] > cuts[j]; j--) {
            const s32 t = cuts[j];
            cuts[j] = cuts[j - 1];
            cuts[j - 1] = t;
        }
    cuts[nCuts++] = W;

    for (s32 c = 0; c + 1 < nCuts; c++) {
        const s32 xa = cuts[c], xb = cuts[c + 1];
        if (xa >= xb)
            continue;
        bool draw = f.defDraw;
        u32 mode = f.defMode, alpha = f.defAlpha;
        for (s32 i = 0; i < nAct; i++) {
            const RGBLayerRegion &rg = *act[i];
            if (rg.usStartX <= xa && xa <= rg.usEndX) {
                draw = rg.bShow != 0;
                if (rg.bShow && rg.usBlendMode) {
                    mode = rg.usBlendMode;
                    alpha = rg.usAlpha > 15 ? 15 : rg.usAlpha;
                }
            }
        }
        if (draw)
            rs.run[rs.n++] = RGBRun{xa, xb, alpha, mode == 1, f.bAllWhole};
    }
}

static void RGBPlan(const RGBFrame &f, s32 y, RGBLinePlan &p)
{
    p.y = y;
    p.n = 0;
    p.run = p.own;
    p.colours = nullptr;
    const s32 mask = f.regions[y];
    RGBRunSet &rs = s_runSet[mask];
    if (mask != rs.mask)
        RGBRunsFor(f, mask, rs);
    if (rs.n == 0)
        return;
    p.rowIndex = f.rowIndex[y];
    if (f.bAllWhole) {
        p.n = rs.n;
        p.run = rs.run;
        return;
    }
    for (s32 i = 0; i < rs.n; i++) {
        RGBRun r = rs.run[i];
        // Byte range this run reads; source columns never decrease.
        const s64 iLo = p.rowIndex + f.srcX[r.xa], iHi = p.rowIndex + f.srcX[r.xb - 1];
        s64 lo, hi;
        switch (f.depth) {
        case 4: lo = iLo >> 1; hi = iHi >> 1; break;
        case 8: lo = iLo; hi = iHi; break;
        case 16: lo = iLo * 2; hi = iHi * 2 + 1; break;
        default: lo = iLo * 3; hi = iHi * 3 + 2; break;
        }
        if (f.base + hi < 0 || f.base + lo >= VMSIZE)
            continue;
        r.bWhole = f.base + lo >= 0 && f.base + hi < VMSIZE;
        p.own[p.n++] = r;
    }
}

// Source colours for output columns xa to xb - 1, all inside video memory.
static void RGBFetchRow(u32 *row, const RGBFrame &f, s64 rowIndex, s32 xa, s32 xb, const SoftRenderKernels &K)
{
    const u8 *src = g_GP2X_VIDEO_BASE_PTR + f.base;
    const s32 n = xb - xa;
    u32 *out = row + xa;
    if (f.depth == 16 && f.bStraight) {
        K.rgb565(out, src + (rowIndex + xa) * 2, n);
    } else if (f.depth == 16 && f.bDouble) {
        // From an even column, which shows the same source column as the
        // odd one after it.
        const s32 x0 = xa & ~1;
        K.rgb565Double(row + x0, src + (rowIndex + x0 / 2) * 2, xb - x0);
    } else if (f.depth == 16 && f.bWiden) {
        // Each source pixel converted once, then repeated.
        u32 wide[ZKT_MAX_OUT_W + 8];
        const s32 s0 = f.srcX[xa];
        K.rgb565(wide, src + (rowIndex + s0) * 2, f.srcX[xb - 1] - s0 + 1);
        K.widen(out, wide, f.srcX + xa, s0, n);
    } else {
        u8 valid[ZKT_MAX_OUT_W];
        RGBFetchDepth<false>(out, valid, f, src, rowIndex, f.srcX + xa, n);
    }
}

// The source colours of the plan's runs that lie wholly in video memory,
// by output column: fetched into row unless the last row fetched has them.
static const u32 *RGBFetchPlanned(u32 *row, const RGBFrame &f, const RGBLinePlan &p, const SoftRenderKernels &K)
{
    // The columns of those runs; the bytes of any column between two of
    // them lie between theirs, so are readable too.
    s32 lo = f.W, hi = 0;
    for (s32 i = 0; i < p.n; i++)
        if (p.run[i].bWhole) {
            lo = lo < p.run[i].xa ? lo : p.run[i].xa;
            hi = p.run[i].xb;
        }
    if (lo < hi && !(p.rowIndex == s_lRow && s_nRowLo <= lo && hi <= s_nRowHi)) {
        RGBFetchRow(row, f, p.rowIndex, lo, hi, K);
        s_pRow = row;
        s_lRow = p.rowIndex;
        s_nRowLo = lo;
        s_nRowHi = hi;
    }
    return s_pRow;
}

static void RGBDraw(const RGBFrame &f, const RGBLinePlan &p, const SoftRenderKernels &K)
{
    const u32 *colours = p.colours;
    if (!colours && !f.bDirect)
        colours = RGBFetchPlanned(s_ulRowColours, f, p, K);
    const u8 *src = g_GP2X_VIDEO_BASE_PTR + f.base;
    for (s32 i = 0; i < p.n; i++) {
        const RGBRun &r = p.run[i];
        const s32 n = r.xb - r.xa;
        u32 *dst = g_ulSoftRenderWork + (s64)p.y * f.W + r.xa;
        if (r.bWhole && f.bDirect) {
            // Converted as drawn: no colour goes through the row buffer.
            K.rgb565Over(dst, src + (p.rowIndex + r.xa) * 2, n, r.alpha, r.bKey, f.key);
        } else if (r.bWhole) {
            K.rgb(dst, colours + r.xa, n, r.alpha, r.bKey, f.key);
        } else {
            // Reaches outside video memory: only the readable pixels.
            u32 colours[ZKT_MAX_OUT_W];
            u8 valid[ZKT_MAX_OUT_W];
            RGBFetchDepth<true>(colours, valid, f, src, p.rowIndex, f.srcX + r.xa, n);
            for (s32 x = 0; x < n; x++)
                if (valid[x])
                    ZKT_SoftRenderScalar_RGB(dst + x, colours + x, 1, r.alpha, r.bKey, f.key);
        }
    }
}

static void RGBLine(const RGBFrame &f, s32 y, const SoftRenderKernels &K)
{
    RGBPlan(f, y, s_plan[y]);
    RGBDraw(f, s_plan[y], K);
}

void ZKT_LowLevelAPI_SoftRender_RGB_Layer()
{
    // The whole layer in one go is the reference the frame is checked
    // against: nothing kept from an earlier frame.
    memset(s_rgb.geom, 0, sizeof s_rgb.geom);
    RGBPrepare(s_rgb);
    if (!s_rgb.bDraw)
        return;
    const SoftRenderKernels &K = ZKT_SoftRenderKernels();
    for (s32 y = 0; y < s_rgb.H; y++)
        RGBLine(s_rgb, y, K);
}

bool ZKT_SoftRenderRGBPrepare()
{
    RGBPrepare(s_rgb);
    return s_rgb.bDraw;
}

void ZKT_SoftRenderRGBLine(s32 y, const SoftRenderKernels &K)
{
    RGBLine(s_rgb, y, K);
}

// True when a colour of columns xa to xb - 1 of the fetched row is the
// key (in the colours' byte order). Vectorised, or it costs as much as
// the colour pass it saves.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("tree-vectorize")))
#endif
static bool RGBKeyHit(const u32 *row, u32 key, s32 xa, s32 xb)
{
    const u32 kv = ((key & 0xFF) << 16) | (key & 0xFF00) | ((key >> 16) & 0xFF);
    u32 hit = 0;
    for (s32 x = xa; x < xb; x++)
        hit |= row[x] == kv;
    return hit != 0;
}

// The same for n 16-bit source pixels: a converted colour is the key
// exactly when the source pixel is the key's RGB565 form, as the key keeps
// only the bits such a colour has.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("tree-vectorize")))
#endif
static bool RGBKeyHit565(const u8 *src, u32 key, s32 n)
{
    const u8 k[2] = {(u8)(((key >> 10) & 0x3F) << 5 | ((key >> 19) & 0x1F)),
                     (u8)(((key >> 3) & 0x1F) << 3 | ((key >> 10) & 0x3F) >> 3)};
    u16 kv, v;
    memcpy(&kv, k, 2);
    u16 hit = 0;
    for (s32 i = 0; i < n; i++) {
        memcpy(&v, src + 2 * i, 2);
        hit |= v == kv;
    }
    return hit != 0;
}

s32 ZKT_SoftRenderRGBPlanLine(s32 y, s32 *cover, const SoftRenderKernels &K)
{
    RGBLinePlan &p = s_plan[y];
    RGBPlan(s_rgb, y, p);
    s32 n = 0;
    // Opaque, wholly readable and with no key hole (no key, a key that
    // never matches, or none of the run's colours matching it): every
    // pixel replaced.
    const bool bKeyMatches = !(s_rgb.key >> 24);
    for (s32 i = 0; i < p.n; i++) {
        const RGBRun &r = p.run[i];
        if (r.alpha != 15 || !r.bWhole)
            continue;
        if (r.bKey && bKeyMatches && s_rgb.bDirect) {
            if (RGBKeyHit565(g_GP2X_VIDEO_BASE_PTR + s_rgb.base + (p.rowIndex + r.xa) * 2, s_rgb.key, r.xb - r.xa))
                continue;
        } else if (r.bKey && bKeyMatches) {
            if (!p.colours)
                p.colours = RGBFetchPlanned(s_ulKeptColours + (s64)y * s_rgb.W, s_rgb, p, K);
            if (RGBKeyHit(p.colours, s_rgb.key, r.xa, r.xb))
                continue;
        }
        cover[n++] = r.xa;
        cover[n++] = r.xb;
    }
    return n / 2;
}

void ZKT_SoftRenderRGBDrawLine(s32 y, const SoftRenderKernels &K)
{
    RGBDraw(s_rgb, s_plan[y], K);
}
