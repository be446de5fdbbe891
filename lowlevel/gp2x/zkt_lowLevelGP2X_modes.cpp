// Handheld back end: the display-mode programming (display controller and
// television encoder), the bit depth and the television's scanning.
#include "lowlevel/gp2x/zkt_lowLevelGP2X.h"

// The handheld's mode table: as the desktop's, except that the narrowest
// television modes are 184 and 96 pixels wide.
const u16 g_usGP2XModeSizeX[33] = {320, 160, 160, 80,  80,  320, 720, 720, 584, 512, 392,
                                   360, 360, 296, 256, 184, 184, 96,  96,  320, 720, 720,
                                   704, 512, 392, 360, 360, 352, 256, 184, 184, 96,  96};
const u16 g_usGP2XModeSizeY[33] = {240, 240, 120, 120, 60,  240, 480, 240, 480, 240, 240,
                                   480, 240, 240, 240, 240, 120, 120, 60,  240, 576, 288,
                                   576, 288, 288, 576, 288, 288, 288, 288, 144, 144, 72};

static u32 DepthCode(u32 depth)
{
    switch (depth) {
    case 4: return GP2X_RGB_DEPTH_4;
    case 8: return GP2X_RGB_DEPTH_8;
    case 16: return GP2X_RGB_DEPTH_16;
    case 24: return GP2X_RGB_DEPTH_24;
    }
    return 0xFFFFFFFFu;
}

static const u8 s_ucNTSCTable[36] = {0x10, 0xB4, 0xD0, 0x7E, 0x90, 0x58, 0x03, 0x14, 0xF0, 0x26, 0x15, 0x5A,
                                     0x28, 0x13, 0x06, 0x13, 0xF0, 0x31, 0x00, 0x40, 0x00, 0x00, 0x8C, 0x0A,
                                     0xE5, 0x76, 0xC1, 0x89, 0x9A, 0x1F, 0x7C, 0xF0, 0x21, 0x06, 0xC0, 0xC6};
static const u8 s_ucPALTable[36] = {0x10, 0xC0, 0xD0, 0x7E, 0x98, 0x54, 0x15, 0x17, 0x20, 0xA6, 0xFA, 0x60,
                                    0x28, 0x13, 0x38, 0x16, 0x20, 0x35, 0x00, 0x40, 0x00, 0x00, 0x8C, 0x24,
                                    0xF0, 0x59, 0xCF, 0x93, 0xA4, 0xCB, 0x8A, 0x09, 0x2A, 0x06, 0xC0, 0xC6};

static void LoadEncoderTable(const u8 *table)
{
    ZKT_OutCX25874(0x38, table[0]);
    for (u32 i = 1; i <= 32; i++)
        ZKT_OutCX25874((u8)(0x76 + 2 * (i - 1)), table[i]);
    ZKT_OutCX25874(0xC6, table[33]);
    ZKT_OutCX25874(0xC8, table[34]);
    ZKT_DelayMS(10);
    ZKT_OutCX25874(0x6C, table[35]);
    ZKT_OutCX25874(0x8C, 0x43);
}

static void EncoderSetBits(u8 reg, u8 keep, u8 bits)
{
    u8 v = 0;
    ZKT_InCX25874(reg, &v);
    ZKT_OutCX25874(reg, (u8)((v & keep) | bits));
}

// Vertical scale, GP2X_LINE_STEPS and the line width: what depends on the depth.
static void ProgramDepth(u32 wm, u32 hm, u32 depth)
{
    if (GP2X_IsPAL())
        GP2X_W16(GP2X_RGB_VSCALE, hm * wm * depth / 2304);
    else if (GP2X_IsTV())
        GP2X_W16(GP2X_RGB_VSCALE, hm * wm * depth / 1920);
    else
        GP2X_W16(GP2X_RGB_VSCALE, wm * depth * hm / 1920);
    u32 e = hm <= 288 ? hm : hm / 2;
    GP2X_W16(GP2X_LINE_STEPS, (wm / depth - 1) | (e / depth - 1) << 8);
    GP2X_W16(GP2X_RGB_LINE_WIDTH, depth * wm * (hm <= 288 ? 1 : 2) / 8);
}

u32 ZKT_SetDisplayMode(u32 mode, u32 bitDepth)
{
    u32 code = DepthCode(bitDepth);
    if (code == 0xFFFFFFFFu || mode > 32)
        return ZKT_ERR_INVALID_ARG;
    g_nColorBitDepth = (s32)bitDepth;

    u32 bWasTV = GP2X_IsTV();
    u32 bTV = ZKT_ModeIsTV(mode), bPAL = ZKT_ModeIsPAL(mode);
    if (bWasTV && !bTV) {
        ZKT_OutCX25874(0xBA, 0x80);
        ZKT_DelayMS(10);
        GP2X_SET16(GP2X_GPIOB_OUT, GP2X_PB_LCD_ON);
    } else if (!bWasTV && bTV) {
        GP2X_CLR16(GP2X_GPIOB_OUT, GP2X_PB_LCD_ON | GP2X_PB_TV_ON);
        ZKT_DelayMS(10);
        GP2X_SET16(GP2X_GPIOB_OUT, GP2X_PB_TV_ON);
        ZKT_DelayMS(10);
        ZKT_OutCX25874(0xBA, 0x80);
        ZKT_DelayMS(10);
    }
    if (bTV)
        LoadEncoderTable(bPAL ? s_ucPALTable : s_ucNTSCTable);

    u32 wm = g_usGP2XModeSizeX[mode], hm = g_usGP2XModeSizeY[mode];
    GP2X_W16(GP2X_DPC_TIMING_0A, 0);
    GP2X_W16(GP2X_DPC_TIMING_0C, 0);
    GP2X_W16(GP2X_DPC_TIMING_0E, 0);
    GP2X_CLR16(GP2X_DPC_CTRL, GP2X_DPC_ON);

    u32 old2800 = GP2X_R16(GP2X_DPC_CTRL);
    if (bPAL) {
        GP2X_W16(GP2X_DPC_CTRL, (old2800 & GP2X_DPC_KEEP) + GP2X_DPC_PAL_SETUP);
        GP2X_W16(GP2X_DPC_TIMING_20, 385);
        GP2X_W16(GP2X_DPC_TIMING_22, 0x3818);
        GP2X_W16(GP2X_RGB_HSCALE, wm * 1024 / 720);
        GP2X_W16(GP2X_RGB_VSCALE, hm * wm * bitDepth / 2304);
    } else if (bTV) {
        GP2X_W16(GP2X_DPC_CTRL, (old2800 & GP2X_DPC_KEEP) + GP2X_DPC_NTSC_SETUP);
        GP2X_W16(GP2X_DPC_TIMING_20, 384);
        GP2X_W16(GP2X_DPC_TIMING_22, 0x3816);
        GP2X_W16(GP2X_RGB_HSCALE, wm * 1024 / 720);
        GP2X_W16(GP2X_RGB_VSCALE, hm * wm * bitDepth / 1920);
    } else {
        GP2X_W16(GP2X_DPC_CTRL, (old2800 & GP2X_DPC_KEEP) + GP2X_DPC_LCD_SETUP);
        GP2X_W16(GP2X_DPC_TIMING_20, (GP2X_R16(GP2X_DPC_TIMING_20) & 0xF0) | 0x502);
        GP2X_W16(GP2X_DPC_TIMING_22, (GP2X_R16(GP2X_DPC_TIMING_22) & 0xFE00) | 0x16);
        GP2X_W16(GP2X_RGB_HSCALE, wm * 1024 / 320);
        GP2X_W16(GP2X_RGB_VSCALE, wm * bitDepth * hm / 1920);
    }

    if (bTV) {
        GP2X_W16(GP2X_GPIOH_OUT, 24);
        GP2X_W16(GP2X_VCLK_SOURCE, 0x4170);
        GP2X_W16(GP2X_VCLK_DIVIDER, 256);
        GP2X_W16(GP2X_DPC_TIMING_04, 19);
        GP2X_W16(GP2X_DPC_TIMING_06, 0);
        GP2X_W16(GP2X_DPC_TIMING_08, 0);
        GP2X_W16(GP2X_DPC_LAST_COLUMN, 719);
        GP2X_W16(GP2X_DPC_TIMING_1A, 1055);
        GP2X_W16(GP2X_DPC_TIMING_1C, bPAL ? 35 : 32);
        GP2X_W16(GP2X_DPC_TIMING_1E, bPAL ? 35 : 32);
        GP2X_W16(GP2X_DPC_TIMING_24, 0);
        GP2X_W16(GP2X_DPC_TIMING_48, 10);
        if (g_ulGP2XModel == 256) {
            GP2X_CLR16(GP2X_GPIOL_OUT, GP2X_PL_LCD);
            GP2X_CLR16(GP2X_GPIOF_OUT, GP2X_PF_LCD);
        }
        EncoderSetBits(0x5E, 0xF0, 0x04);
        EncoderSetBits(0xC4, 0xC7, 0x18);
        ZKT_OutCX25874(0xD0, 0x4A);
        ZKT_OutCX25874(0xD2, 0x8C);
        ZKT_OutCX25874(0xD4, 0x59);
    } else {
        GP2X_W16(GP2X_VCLK_SOURCE, 0x9000);
        GP2X_W16(GP2X_VCLK_DIVIDER, 0x8A80);
        if (g_ulGP2XModel == 257) {
            GP2X_W16(GP2X_DPC_TIMING_04, 4);
            GP2X_W16(GP2X_DPC_TIMING_06, 0);
            GP2X_W16(GP2X_DPC_TIMING_08, 0);
        } else {
            GP2X_W16(GP2X_DPC_TIMING_04, 1);
            GP2X_W16(GP2X_DPC_TIMING_06, 0xFFFF);
            GP2X_W16(GP2X_DPC_TIMING_08, 255);
        }
        GP2X_W16(GP2X_DPC_LAST_COLUMN, 319);
        GP2X_W16(GP2X_DPC_TIMING_1A, (GP2X_R16(GP2X_DPC_TIMING_1A) & 0xFF00) | 0x1D);
        GP2X_W16(GP2X_DPC_TIMING_1C, 1);
        GP2X_W16(GP2X_DPC_TIMING_1E, 1);
        GP2X_W16(GP2X_DPC_TIMING_24, (GP2X_R16(GP2X_DPC_TIMING_24) & 0xF00F) | 0x250);
        GP2X_SET16(GP2X_GPIOH_OUT, GP2X_PH_LCD);
        GP2X_W16(GP2X_DPC_TIMING_48, 16);
        if (g_ulGP2XModel == 256) {
            GP2X_SET16(GP2X_GPIOL_OUT, GP2X_PL_LCD);
            GP2X_SET16(GP2X_GPIOF_OUT, GP2X_PF_LCD);
        }
    }
    GP2X_W16(GP2X_DPC_LAST_LINE, bPAL ? 287 : (bTV ? 239 : 240));

    // A frame-height source is shown as two fields.
    u32 e = hm <= 288 ? hm : hm / 2;
    GP2X_W16(GP2X_LINE_STEPS, (wm / bitDepth - 1) | (e / bitDepth - 1) << 8);
    GP2X_W16(GP2X_LINE_HEIGHT2, e);
    GP2X_W16(GP2X_LINE_HEIGHT1, e);
    GP2X_W16(GP2X_LINE_WIDTH2, wm - 1);
    GP2X_W16(GP2X_LINE_WIDTH1, wm - 1);
    GP2X_W16(GP2X_YUVA_LINE_WIDTH, wm);
    GP2X_W16(GP2X_OUT_WIDTH, wm);
    GP2X_W16(GP2X_OUT_HEIGHT, e);
    GP2X_W16(GP2X_RGB_LINE_WIDTH, bitDepth * wm * (hm <= 288 ? 1 : 2) / 8);
    GP2X_W16(GP2X_RGB_FIELD1_ADDR, 0);
    GP2X_W16(GP2X_RGB_CTRL, code | GP2X_RGB_CTRL_SETUP);
    GP2X_W16(GP2X_RGB_BLEND, 0);
    GP2X_W16(GP2X_OVL_CTRL, GP2X_OVL_NO_GAMMA | GP2X_OVL_REGION(5));
    GP2X_W16(GP2X_DPC_TIMING_26, 624);
    GP2X_W16(GP2X_DPC_SYNC, 0);
    GP2X_W16(GP2X_DPC_TIMING_0A, 0xFFFF);
    GP2X_W16(GP2X_DPC_TIMING_0C, 0xFFFF);
    GP2X_W16(GP2X_DPC_TIMING_0E, 0xFFFF);

    g_ulDISPLAY_MODE = mode;
    g_nScreenSizeX = (s32)wm;
    g_nScreenSizeY = (s32)hm;
    GP2X_SET16(GP2X_DPC_CTRL, GP2X_DPC_ON);
    return ZKT_OK;
}

u32 ZKT_ModifyRGBbpp(u32 bitDepth)
{
    u32 code = DepthCode(bitDepth);
    if (code == 0xFFFFFFFFu)
        return ZKT_ERR_INVALID_ARG;
    g_nColorBitDepth = (s32)bitDepth;
    ProgramDepth((u32)g_nScreenSizeX, (u32)g_nScreenSizeY, bitDepth);
    GP2X_PUT16(GP2X_RGB_CTRL, GP2X_RGB_DEPTH_MASK, code);
    return ZKT_OK;
}

u32 ZKT_SetTvInterlace(u32 bInterlace)
{
    if (!GP2X_IsTV())
        return 1;
    u32 bPAL = GP2X_IsPAL();
    ZKT_OutCX25874(0x6C, 0x42);
    if (bInterlace) {
        u32 old = GP2X_R16(GP2X_DPC_CTRL);
        if (!bPAL) {
            GP2X_W16(GP2X_DPC_TIMING_22, 0x3816);
            GP2X_W16(GP2X_DPC_CTRL, (old & (GP2X_DPC_KEEP | GP2X_DPC_ON)) | GP2X_DPC_NTSC_SETUP);
            GP2X_W16(GP2X_DPC_TIMING_20, 384);
            GP2X_W16(GP2X_DPC_TIMING_26, 624);
            ZKT_OutCX25874(0x90, 6);
        } else {
            GP2X_W16(GP2X_DPC_TIMING_22, 0x3818);
            GP2X_W16(GP2X_DPC_CTRL, (old & (GP2X_DPC_KEEP | GP2X_DPC_ON)) | GP2X_DPC_NTSC_SETUP | (old & GP2X_DPC_PAL));
            GP2X_W16(GP2X_DPC_TIMING_20, 385);
            GP2X_W16(GP2X_DPC_TIMING_26, 624);
            ZKT_OutCX25874(0x90, 0x38);
        }
    } else {
        // Switch on a field boundary.
        u8 v = 0;
        do {
            ZKT_InCX25874(6, &v);
        } while (!(v & 0xF));
        do {
            ZKT_InCX25874(6, &v);
        } while (v & 0xF);
        GP2X_W16(GP2X_DPC_TIMING_20, bPAL ? 0x1C1 : 0x1C0);
        u32 old = GP2X_R16(GP2X_DPC_CTRL);
        GP2X_W16(GP2X_DPC_CTRL, (old & ~0x77FEu) | (old & GP2X_DPC_PAL) | GP2X_DPC_PROGRESSIVE_SETUP);
        GP2X_W16(GP2X_DPC_TIMING_26, 624);
        ZKT_DelayMS(bPAL ? 48 : 40);
        if (!bPAL) {
            ZKT_OutCX25874(0x90, 4);
            GP2X_W16(GP2X_DPC_TIMING_22, 0x3815);
        } else {
            ZKT_OutCX25874(0x90, 0x37);
        }
    }
    ZKT_OutCX25874(0x6C, 0x46);
    return ZKT_OK;
}
