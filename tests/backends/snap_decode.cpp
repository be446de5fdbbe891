// A snapshot of the simulated chip read back into the desktop model (see
// snap_decode.h).
#include "snap_decode.h"

#include <cstring>

#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "lowlevel/gp2x/zkt_gp2xRegs.h"

bool ReadSnap(FILE *f, Snap *s)
{
    bool ok = std::fread(&s->h, sizeof s->h, 1, f) == 1 && s->h.ulMagic == SNAP_MAGIC;
    if (ok) {
        s->regs.resize(SNAP_REG_BYTES / 2);
        s->ports.resize(s->h.ulPortWrites);
        s->video.resize(ZKT_VIDEO_MEM_SIZE);
        ok = std::fread(s->regs.data(), 2, s->regs.size(), f) == s->regs.size() &&
             (s->ports.empty() ||
              std::fread(s->ports.data(), sizeof(SNAP_PORT_WRITE), s->ports.size(), f) == s->ports.size()) &&
             std::fread(s->video.data(), 1, s->video.size(), f) == s->video.size();
    }
    return ok;
}

// ---------------------------------------------------------------- decoder

namespace {

u32 R16(const Snap &s, u32 phys) { return s.regs[(phys & 0xFFFEu) >> 1]; }
u32 R32(const Snap &s, u32 phys) { return R16(s, phys) | R16(s, phys + 2) << 16; }
u32 Has(const Snap &s, u32 phys, u32 mask) { return (R16(s, phys) & mask) ? 1 : 0; }
u32 Off(u32 phys) { return phys - GP2X_VIDEO_BASE; }

// Palette-like tables loaded through an index port (in halves) and a data
// port, replayed in the order the chip received them.
void ReplayPorts(const Snap &s, u32 indexPort, void (*pfnData)(u32 half, u32 value))
{
    u32 half = 0;
    for (const SNAP_PORT_WRITE &w : s.ports) {
        if (w.ulAddr == indexPort)
            half = w.ulValue;
        else if (w.ulAddr == indexPort + 2)
            pfnData(half++, w.ulValue);
    }
}

void SetHalf(u32 *table, u32 half, u32 value)
{
    if (half / 2 >= 256)
        return;
    u32 &e = table[half / 2];
    e = half & 1 ? (e & 0xFFFFu) | (value & 0xFFFFu) << 16 : (e & 0xFFFF0000u) | (value & 0xFFFFu);
}

// OSD palette: the second half carries V in its low byte and the opacity
// in bits 8 to 11.
void SetOSDHalf(u32 half, u32 value)
{
    if (half / 2 >= 256)
        return;
    u32 &e = g_ulOSDPalette[half / 2];
    if (half & 1)
        e = (e & 0xFFFFu) | (value & 0xFFu) << 16 | ((value >> 8) & 0xFu) << 28;
    else
        e = (e & 0xFFFF0000u) | (value & 0xFFFFu);
}

// The chip's OSD headers link by physical address; the model's by offset.
void RelinkOSD(u8 *video, u32 first)
{
    std::vector<u32> seen;
    for (u32 off = first; off <= ZKT_VIDEO_MEM_SIZE - 16 && seen.size() < ZKT_OSD_MAX_AREAS;) {
        for (u32 o : seen)
            if (o == off)
                return;
        seen.push_back(off);
        u32 next;
        std::memcpy(&next, video + off, 4);
        if (next >= GP2X_VIDEO_BASE && next < GP2X_VIDEO_BASE + ZKT_VIDEO_MEM_SIZE)
            next -= GP2X_VIDEO_BASE;
        std::memcpy(video + off, &next, 4);
        off = next;
    }
}

u32 BigEndian(const u8 *p) { return (u32)p[0] << 24 | (u32)p[1] << 16 | (u32)p[2] << 8 | p[3]; }
void PutBigEndian(u8 *p, u32 v)
{
    p[0] = (u8)(v >> 24);
    p[1] = (u8)(v >> 16);
    p[2] = (u8)(v >> 8);
    p[3] = (u8)v;
}

// The vertical scale the chip holds as (v x line width) >> 10 in two cells.
u16 VScale(const Snap &s, u32 lo, u32 hi, u32 lineWidth)
{
    u32 stored = R16(s, lo) | R16(s, hi) << 16;
    if (lineWidth == 0)
        return 1024;
    u32 v = (u32)(((uint64_t)stored << 10) + lineWidth - 1) / lineWidth;
    return (u16)v;
}

} // namespace

void Decode(Snap &s)
{
    g_ulDISPLAY_MODE = s.h.ulMode;
    g_nColorBitDepth = (s32)s.h.ulDepth;
    g_nScreenSizeX = g_nModeSizeX[s.h.ulMode];
    g_nScreenSizeY = g_nModeSizeY[s.h.ulMode];
    std::memcpy(g_GP2X_VIDEO_BASE_PTR, s.video.data(), ZKT_VIDEO_MEM_SIZE);
    u8 *video = g_GP2X_VIDEO_BASE_PTR;

    // RGB layer.
    g_ulRGBVideoMemOffset = Off(R32(s, GP2X_RGB_FIELD2_ADDR));
    std::memset(g_ulRGBColorTable, 0, sizeof g_ulRGBColorTable);
    ReplayPorts(s, GP2X_RGB_PAL_INDEX, [](u32 half, u32 v) { SetHalf(g_ulRGBColorTable, half, v); });
    g_ulRegionColorKey = R32(s, GP2X_RGB_KEY_LO);
    for (u32 r = 1; r <= 5; r++) {
        RGBLayerRegion &g = g_RGBLayerRegion[r - 1];
        g.bEnable = Has(s, GP2X_OVL_CTRL, GP2X_OVL_REGION(r));
        g.bShow = Has(s, GP2X_RGB_CTRL, 1u << (2 * (r - 1)));
        g.usBlendMode = (u16)((R16(s, GP2X_RGB_BLEND) >> (2 * (r - 1))) & 3);
        u32 alphas = r <= 3 ? R16(s, GP2X_RGB_ALPHA_123) >> (4 * (r - 1)) : R16(s, GP2X_RGB_ALPHA_45) >> (4 * (r - 4));
        g.usAlpha = (u16)(alphas & 15);
        if (r <= 4) {
            u32 a = GP2X_RGB_REGION1 + 8 * (r - 1);
            g.usStartX = (u16)R16(s, a);
            g.usEndX = (u16)R16(s, a + 2);
            g.usStartY = (u16)R16(s, a + 4);
            g.usEndY = (u16)R16(s, a + 6);
        } else {
            g.usStartX = g.usEndX = g.usStartY = g.usEndY = 0;
        }
    }

    // YUV planes, their scalers, priority and colour controls.
    u32 tv = s.h.ulMode >= 5;
    for (u32 p = 0; p < 2; p++) {
        u32 o = p ? 0x2A : 0;
        YUVPlane &y = g_YUVPlane[p];
        y.bEnable = Has(s, GP2X_OVL_CTRL, p ? GP2X_OVL_YUVB : GP2X_OVL_YUVA);
        // A television scans fields: the line width register spans two
        // source lines, and each region has one start address per field,
        // the unmirrored first field one line further in.
        u32 widthReg = R16(s, GP2X_YUVA_LINE_WIDTH + o);
        y.usLineWidth = (u16)(tv ? widthReg / 2 : widthReg);
        y.usStartX = (u16)R16(s, GP2X_YUVA_START_X + o);
        y.usEndX = (u16)R16(s, GP2X_YUVA_END_X + o);
        y.usStartY = (u16)R16(s, GP2X_YUVA_START_Y + o);
        y.usSplitY = (u16)R16(s, GP2X_YUVA_SPLIT_Y + o);
        y.usBottomEndY = (u16)R16(s, GP2X_YUVA_END_Y + o);
        u32 m = R16(s, GP2X_YUV_MIRROR) >> (p ? GP2X_YUV_B_MIRROR_SHIFT : 0);
        y.bTopMirrorH = (m & GP2X_YUV_TOP_H) ? 1 : 0;
        y.bTopMirrorV = (m & GP2X_YUV_TOP_V) ? 1 : 0;
        y.bBottomMirrorH = (m & GP2X_YUV_BOTTOM_H) ? 1 : 0;
        y.bBottomMirrorV = (m & GP2X_YUV_BOTTOM_V) ? 1 : 0;
        y.ulTopOffset = Off(R32(s, (y.bTopMirrorV ? GP2X_YUVA_TOP_ADDR : GP2X_YUVA_TOP_ADDR + 4) + o));
        y.ulBottomOffset = Off(R32(s, (y.bBottomMirrorV ? GP2X_YUVA_BOTTOM_ADDR : GP2X_YUVA_BOTTOM_ADDR + 4) + o));
        for (u32 top = 0; top < 2; top++) {
            YUVScaler &sc = g_YUVScaler[p * 2 + (top ? 0 : 1)];
            sc.usHScale = (u16)R16(s, (top ? GP2X_YUVA_TOP_HSCALE : GP2X_YUVA_BOTTOM_HSCALE) + o);
            sc.usVScale = top ? VScale(s, GP2X_YUVA_TOP_VSCALE_LO + o, GP2X_YUVA_TOP_VSCALE_HI + o, widthReg)
                              : VScale(s, GP2X_YUVA_BOTTOM_VSCALE_LO + o, GP2X_YUVA_BOTTOM_VSCALE_HI + o, widthReg);
        }
    }
    g_bYUVFirstPlanePriority = Has(s, GP2X_YUV_PRIORITY, GP2X_YUV_B_ON_TOP) ? 0 : 1;
    g_scYUVBrightness = (s8)(R16(s, GP2X_YUV_EFFECT) & GP2X_YUV_BRIGHTNESS_MASK);
    g_ucYUVContrast = (u8)((R16(s, GP2X_YUV_EFFECT) & GP2X_YUV_CONTRAST_MASK) >> GP2X_YUV_CONTRAST_SHIFT);
    for (u32 k = 0; k < 4; k++) {
        u32 a = R16(s, GP2X_HUE_CB + 4 * k), b = R16(s, GP2X_HUE_CR + 4 * k);
        g_sMLC_HUECb_A[k] = (s8)(a >> 8);
        g_sMLC_HUECb_B[k] = (s8)(a & 0xFF);
        g_sMLC_HUECr_A[k] = (s8)(b >> 8);
        g_sMLC_HUECr_B[k] = (s8)(b & 0xFF);
    }

    // Cursor: the opacities live in the control register.
    u32 cc = R16(s, GP2X_CURSOR_CTRL);
    g_cursorLayer.bEnable = Has(s, GP2X_OVL_CTRL, GP2X_OVL_CURSOR);
    g_cursorLayer.bLarge = (cc & 0xFF) != 32;
    const u32 alpha0 = (cc >> GP2X_CURSOR_ALPHA0_SHIFT) & 15, alpha1 = (cc >> GP2X_CURSOR_ALPHA1_SHIFT) & 15;
    g_cursorLayer.ulColor0 = (R32(s, GP2X_CURSOR_COLOUR0) & 0x0FFFFFFFu) | alpha0 << 28;
    g_cursorLayer.ulColor1 = (R32(s, GP2X_CURSOR_COLOUR1) & 0x0FFFFFFFu) | alpha1 << 28;
    g_cursorLayer.ulBitmapOffset = Off(R32(s, GP2X_CURSOR_ADDR1));
    g_cursorLayer.usX = (u16)R16(s, GP2X_CURSOR_X);
    g_cursorLayer.usY = (u16)R16(s, GP2X_CURSOR_Y);

    // OSD.
    g_bOSDLayerEnable = Has(s, GP2X_OVL_CTRL, GP2X_OVL_OSD);
    g_ulOSDHeaderOddField = Off(R32(s, GP2X_OSD_ODD_ADDR));
    g_ulOSDHeaderEvenField = Off(R32(s, GP2X_OSD_EVEN_ADDR));
    std::memset(g_ulOSDPalette, 0, sizeof g_ulOSDPalette);
    ReplayPorts(s, GP2X_OSD_PAL_INDEX, SetOSDHalf);
    if (g_bOSDLayerEnable) {
        RelinkOSD(video, g_ulOSDHeaderOddField);
        if (g_ulOSDHeaderEvenField != g_ulOSDHeaderOddField)
            RelinkOSD(video, g_ulOSDHeaderEvenField);
    }

    // SPU.
    g_bSPULayerEnable = Has(s, GP2X_OVL_CTRL, GP2X_OVL_SPU);
    g_bSPUonTopOfOSDLayer = Has(s, GP2X_OVL_CTRL, GP2X_OVL_SPU_BELOW_OSD) ? 0 : 1;
    g_bSPUHighlight = R16(s, GP2X_SPU_CTRL) == GP2X_SPU_ON_HIGHLIGHT;
    g_ulSPUBaseCmdMemOffset = Off(R32(s, GP2X_SPU_CMD_ADDR));
    g_ulSPUHighlightInfoMemOffset = Off(R32(s, GP2X_SPU_HL_ADDR));
    for (u32 i = 0; i < 16; i++) {
        u32 a = R16(s, GP2X_SPU_COLOUR + 4 * i), b = R16(s, GP2X_SPU_COLOUR + 2 + 4 * i);
        g_ulSPUColorPalette[i] = (a >> 8) << 24 | (a & 0xFF) << 8 | (b & 0xFF);
    }
    if (g_bSPULayerEnable && g_ulSPUBaseCmdMemOffset + 28 <= ZKT_VIDEO_MEM_SIZE)
        for (u32 w = 4; w < 7; w++) {
            u8 *p = video + g_ulSPUBaseCmdMemOffset + 4 * w;
            u32 v = BigEndian(p);
            if (v >= GP2X_VIDEO_BASE && v < GP2X_VIDEO_BASE + ZKT_VIDEO_MEM_SIZE)
                PutBigEndian(p, v - GP2X_VIDEO_BASE);
        }

    // Gamma.
    g_bEnableGamma = Has(s, GP2X_OVL_CTRL, GP2X_OVL_NO_GAMMA) ? 0 : 1;
    std::memset(g_ulGammaTable, 0, sizeof g_ulGammaTable);
    ReplayPorts(s, GP2X_GAMMA_INDEX, [](u32 half, u32 v) { SetHalf(g_ulGammaTable, half, v); });
}

std::vector<u8> Compose(s32 *pW, s32 *pH)
{
    ZKT_LowLevelAPI_SoftRender_Compose();
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(pW, pH);
    return std::vector<u8>(g_ucSoftRenderPicture, g_ucSoftRenderPicture + (size_t)*pW * *pH * 3);
}

