// The handheld chip's registers as the back end, the simulated chip and
// their tests use them: physical addresses of the 16-bit register cells
// (32-bit where noted), the 2D accelerator's offsets in its window, and the
// fields the back end builds values from.
#ifndef ZKT_GP2XREGS_H
#define ZKT_GP2XREGS_H

#include "lowlevel/zkt_lowLevel.h"

// Physical windows.
constexpr u32 GP2X_REG_BASE = 0xC0000000;
constexpr u32 GP2X_REG_SIZE = 0x10000;
constexpr u32 GP2X_ACCEL_BASE = 0xE0024000;
constexpr u32 GP2X_ACCEL_SIZE = 0x200;
constexpr u32 GP2X_VIDEO_BASE = 0x03800000;
constexpr u32 GP2X_VIDEO_SIZE = 0x800000;
constexpr u32 GP2X_940_BASE = 0x03000000;
constexpr u32 GP2X_940_SIZE = 0x600000;
constexpr u32 GP2X_940_DATA = 0x100000; // shared data area inside the second core's memory
// The command queue's layout in the data area is in arm940/arm940.h.

// Two-wire bus address of the television encoder.
constexpr u32 GP2X_CX25874_ADDR = 0x8A;

// ---------------------------------------------------------------- clocks

constexpr u32 GP2X_CLK_ENABLE = 0xC0000904;  // clock enables
constexpr u32 GP2X_CLK_940 = 0x0001;         //   second core
constexpr u32 GP2X_CLK_ACCEL = 0x0400;       //   2D accelerator
constexpr u32 GP2X_CLK_ENABLE2 = 0xC000090A; // more clock enables, all on at start-up
constexpr u32 GP2X_PLL_SET = 0xC0000910;     // main PLL, new value
constexpr u32 GP2X_PLL_VALUE = 0xC0000912;   // main PLL, value in use
constexpr u32 GP2X_PLL_M_SHIFT = 8, GP2X_PLL_M_MASK = 0xFF;
constexpr u32 GP2X_PLL_P_SHIFT = 2, GP2X_PLL_P_MASK = 0x3F;
constexpr u32 GP2X_PLL_S_MASK = 3;
constexpr u32 GP2X_CPU_DIVIDER = 0xC000091C; // bits 0 to 2: CPU divider
constexpr u32 GP2X_CPU_DIVIDER_MASK = 7;
constexpr u32 GP2X_CPU_DIVIDER_KEEP = 0xFE3C; // what a clock change keeps
constexpr u32 GP2X_VCLK_SOURCE = 0xC000091E;  // video clock set-up
constexpr u32 GP2X_VCLK_DIVIDER = 0xC0000924;

// ---------------------------------------------------------------- real-time clock

constexpr u32 GP2X_RTC_SECONDS = 0xC0000C04; // 32-bit
constexpr u32 GP2X_RTC_TICKS = 0xC0000C08;   // 32-bit, 1/1024 s in bits 0 to 9
constexpr u32 GP2X_RTC_TICKS_MASK = 0x3FF;

// ---------------------------------------------------------------- GPIO ports

constexpr u32 GP2X_GPIOB_FUNC = 0xC0001022; // port B pin functions (1: output)
constexpr u32 GP2X_TOUCH_PINS = 0xC0001050; // bits 8, 9 freed on the touch-screen model
constexpr u32 GP2X_TOUCH_PINS_MASK = 0x300;
constexpr u32 GP2X_GPIOB_OUT = 0xC0001062;
constexpr u32 GP2X_GPIOF_OUT = 0xC000106A;
constexpr u32 GP2X_GPIOH_OUT = 0xC000106E;
constexpr u32 GP2X_GPIOL_OUT = 0xC0001076;
constexpr u32 GP2X_GPIOB_LEVEL = 0xC0001182;
constexpr u32 GP2X_GPIOC_LEVEL = 0xC0001184;
constexpr u32 GP2X_GPIOD_LEVEL = 0xC0001186;
constexpr u32 GP2X_GPIOH_LEVEL = 0xC000118E;
constexpr u32 GP2X_GPIOI_LEVEL = 0xC0001190;
constexpr u32 GP2X_GPIOM_LEVEL = 0xC0001198;

// Port B: the two-wire bus (clock, data) and the LCD's sync signals.
constexpr u32 GP2X_PB_SCL = 0x01, GP2X_PB_SDA = 0x02;
constexpr u32 GP2X_PB_VSYNC = 0x10, GP2X_PB_HSYNC = 0x20;
// Port B outputs switching between the LCD and a television.
constexpr u32 GP2X_PB_LCD_ON = 0x04, GP2X_PB_TV_ON = 0x08;
// Port C: bits 8 to 15 buttons (both shoulders: bits 10 and 11).
constexpr u32 GP2X_PC_BUTTONS = 0xFF00, GP2X_PC_SHOULDERS = 0x0C00;
// Port D: volume down and up (bits 6, 7), stick push (bit 11), card switch (bit 2).
constexpr u32 GP2X_PD_VOLUME_SHIFT = 6, GP2X_PD_STICK_SHIFT = 11;
constexpr u32 GP2X_PD_SD_SWITCH = 0x0004;
// Port F and L outputs of the touch-screen model's LCD.
constexpr u32 GP2X_PF_LCD = 0x0008, GP2X_PL_LCD = 0x0800;
// Port H: the battery LED (lit at 0); bits 1 and 2 drive the LCD.
constexpr u32 GP2X_PH_LED = 0x0010, GP2X_PH_LCD = 0x0006;
// Port I: bit 12 reads 0 on the later touch-screen model; bit 14 set: no card.
constexpr u32 GP2X_PI_MODEL257 = 0x1000, GP2X_PI_NO_SD = 0x4000;
// Port M: bits 0 to 7 the stick directions.
constexpr u32 GP2X_PM_STICK = 0x00FF;

// ---------------------------------------------------------------- line geometry

constexpr u32 GP2X_LINE_HEIGHT1 = 0xC000181E; // lines per field
constexpr u32 GP2X_LINE_WIDTH1 = 0xC0001820;  // width - 1
constexpr u32 GP2X_LINE_HEIGHT2 = 0xC0001824;
constexpr u32 GP2X_LINE_WIDTH2 = 0xC0001826;
constexpr u32 GP2X_LINE_STEPS = 0xC000183A; // width / depth - 1 | (height / depth - 1) << 8
constexpr u32 GP2X_OUT_WIDTH = 0xC0003010;
constexpr u32 GP2X_OUT_HEIGHT = 0xC0003014;

// ---------------------------------------------------------------- display controller

constexpr u32 GP2X_DPC_CTRL = 0xC0002800;
constexpr u32 GP2X_DPC_ON = 0x0001;
constexpr u32 GP2X_DPC_INTERLACE = 0x0020;
constexpr u32 GP2X_DPC_TV = 0x0100;
constexpr u32 GP2X_DPC_PAL = 0x1000;
constexpr u32 GP2X_DPC_KEEP = 0x8800; // what a mode change keeps
constexpr u32 GP2X_DPC_NTSC_SETUP = 0x03A8, GP2X_DPC_PAL_SETUP = 0x13A8, GP2X_DPC_LCD_SETUP = 0x0004;
constexpr u32 GP2X_DPC_PROGRESSIVE_SETUP = 0x0388;
// Display timing, written by the mode set-up.
constexpr u32 GP2X_DPC_TIMING_04 = 0xC0002804;
constexpr u32 GP2X_DPC_TIMING_06 = 0xC0002806;
constexpr u32 GP2X_DPC_TIMING_08 = 0xC0002808;
constexpr u32 GP2X_DPC_TIMING_0A = 0xC000280A;
constexpr u32 GP2X_DPC_TIMING_0C = 0xC000280C;
constexpr u32 GP2X_DPC_TIMING_0E = 0xC000280E;
constexpr u32 GP2X_DPC_LAST_COLUMN = 0xC0002816;
constexpr u32 GP2X_DPC_LAST_LINE = 0xC0002818;
constexpr u32 GP2X_DPC_TIMING_1A = 0xC000281A;
constexpr u32 GP2X_DPC_TIMING_1C = 0xC000281C;
constexpr u32 GP2X_DPC_TIMING_1E = 0xC000281E;
constexpr u32 GP2X_DPC_TIMING_20 = 0xC0002820;
constexpr u32 GP2X_DPC_TIMING_22 = 0xC0002822;
constexpr u32 GP2X_DPC_TIMING_24 = 0xC0002824;
constexpr u32 GP2X_DPC_TIMING_26 = 0xC0002826;
constexpr u32 GP2X_DPC_SYNC = 0xC0002846; // bit 8: television sync
constexpr u32 GP2X_DPC_SYNC_ARM = 0x0020, GP2X_DPC_SYNC_TV = 0x0100;
constexpr u32 GP2X_DPC_TIMING_48 = 0xC0002848;

// ---------------------------------------------------------------- layers

constexpr u32 GP2X_OVL_CTRL = 0xC0002880;
constexpr u32 GP2X_OVL_YUVA = 0x0001, GP2X_OVL_YUVB = 0x0002;
constexpr u32 GP2X_OVL_OSD = 0x0080, GP2X_OVL_SPU = 0x0100, GP2X_OVL_CURSOR = 0x0200;
constexpr u32 GP2X_OVL_SPU_BELOW_OSD = 0x0800, GP2X_OVL_NO_GAMMA = 0x1000;
// RGB region r (1 to 5) on.
constexpr u32 GP2X_OVL_REGION(u32 r) { return 1u << (r + 1); }

// YUV planes: plane B's registers follow plane A's at GP2X_YUV_B.
constexpr u32 GP2X_YUV_MIRROR = 0xC0002882; // per plane: mirror bits and bottom region
constexpr u32 GP2X_YUV_B_MIRROR_SHIFT = 5;
constexpr u32 GP2X_YUV_TOP_H = 0x8, GP2X_YUV_TOP_V = 0x4, GP2X_YUV_BOTTOM_H = 0x2, GP2X_YUV_BOTTOM_V = 0x1;
constexpr u32 GP2X_YUV_BOTTOM_ON = 0x10, GP2X_YUV_MIRROR_MASK = 0x1F;
constexpr u32 GP2X_YUV_PRIORITY = 0xC0002884;
constexpr u32 GP2X_YUV_B_ON_TOP = 0x0400;
constexpr u32 GP2X_YUV_B = 0x2A;
constexpr u32 GP2X_YUVA_TOP_HSCALE = 0xC0002886;
constexpr u32 GP2X_YUVA_BOTTOM_HSCALE = 0xC0002888;
constexpr u32 GP2X_YUVA_TOP_VSCALE_LO = 0xC000288A;
constexpr u32 GP2X_YUVA_TOP_VSCALE_HI = 0xC000288C;
constexpr u32 GP2X_YUVA_BOTTOM_VSCALE_LO = 0xC000288E;
constexpr u32 GP2X_YUVA_BOTTOM_VSCALE_HI = 0xC0002890;
constexpr u32 GP2X_YUVA_LINE_WIDTH = 0xC0002892;
constexpr u32 GP2X_YUVA_LINE_WIDTH2 = 0xC0002894;
constexpr u32 GP2X_YUVA_START_X = 0xC0002896;
constexpr u32 GP2X_YUVA_END_X = 0xC0002898;
constexpr u32 GP2X_YUVA_START_Y = 0xC000289A;
constexpr u32 GP2X_YUVA_SPLIT_Y = 0xC000289C;
constexpr u32 GP2X_YUVA_END_Y = 0xC000289E;
// Each region: first field address (low, high), then second field's.
constexpr u32 GP2X_YUVA_TOP_ADDR = 0xC00028A0;
constexpr u32 GP2X_YUVA_BOTTOM_ADDR = 0xC00028A8;

// RGB layer.
constexpr u32 GP2X_RGB_CTRL = 0xC00028DA; // region show flags, depth code
constexpr u32 GP2X_RGB_DEPTH_MASK = 0x0600;
constexpr u32 GP2X_RGB_DEPTH_4 = 0x0000, GP2X_RGB_DEPTH_8 = 0x0200, GP2X_RGB_DEPTH_16 = 0x0400,
              GP2X_RGB_DEPTH_24 = 0x0600;
constexpr u32 GP2X_RGB_CTRL_SETUP = 0x01AA; // flags the mode set-up writes
constexpr u32 GP2X_RGB_BLEND = 0xC00028DC;    // 2 bits per region
constexpr u32 GP2X_RGB_ALPHA_123 = 0xC00028DE; // 4 bits per region
constexpr u32 GP2X_RGB_ALPHA_45 = 0xC00028E0;
constexpr u32 GP2X_RGB_REGION1 = 0xC00028E2; // x0, x1, y0, y1; regions 2 to 4 follow every 8
constexpr u32 GP2X_RGB_KEY_LO = 0xC0002902, GP2X_RGB_KEY_HI = 0xC0002904;
constexpr u32 GP2X_RGB_HSCALE = 0xC0002906;
constexpr u32 GP2X_RGB_VSCALE = 0xC0002908;
constexpr u32 GP2X_RGB_LINE_WIDTH = 0xC000290C; // bytes
// Start addresses (low half, then high half): first and second field.
constexpr u32 GP2X_RGB_FIELD1_ADDR = 0xC000290E;
constexpr u32 GP2X_RGB_FIELD2_ADDR = 0xC0002912;

// OSD headers: odd and even field (low, high).
constexpr u32 GP2X_OSD_ODD_ADDR = 0xC0002916;
constexpr u32 GP2X_OSD_EVEN_ADDR = 0xC000291A;

// Cursor.
constexpr u32 GP2X_CURSOR_CTRL = 0xC000291E; // size, alpha 1 in bits 8 to 11, alpha 0 in 12 to 15
constexpr u32 GP2X_CURSOR_ALPHA1_SHIFT = 8, GP2X_CURSOR_ALPHA0_SHIFT = 12;
constexpr u32 GP2X_CURSOR_X = 0xC0002920;
constexpr u32 GP2X_CURSOR_Y = 0xC0002922;
constexpr u32 GP2X_CURSOR_COLOUR0 = 0xC0002924; // low, high
constexpr u32 GP2X_CURSOR_COLOUR1 = 0xC0002928;
constexpr u32 GP2X_CURSOR_ADDR2 = 0xC000292C; // 32-bit: second image
constexpr u32 GP2X_CURSOR_ADDR1 = 0xC0002930; // 32-bit

// YUV colour controls.
constexpr u32 GP2X_YUV_EFFECT = 0xC0002934;
constexpr u32 GP2X_YUV_BRIGHTNESS_MASK = 0x00FF, GP2X_YUV_CONTRAST_MASK = 0x0700, GP2X_YUV_CONTRAST_SHIFT = 8;
constexpr u32 GP2X_HUE_CB = 0xC0002936; // colour matrix of quadrant k at + 4k
constexpr u32 GP2X_HUE_CR = 0xC0002938;

// Tables loaded through an index port (counting halves) and a data port.
constexpr u32 GP2X_OSD_PAL_INDEX = 0xC0002954, GP2X_OSD_PAL_DATA = 0xC0002956;
constexpr u32 GP2X_RGB_PAL_INDEX = 0xC0002958, GP2X_RGB_PAL_DATA = 0xC000295A;
constexpr u32 GP2X_GAMMA_INDEX = 0xC000295C, GP2X_GAMMA_DATA = 0xC000295E;

// SPU.
constexpr u32 GP2X_SPU_CTRL = 0xC0002974;
constexpr u32 GP2X_SPU_OFF = 0, GP2X_SPU_ON = 3, GP2X_SPU_ON_HIGHLIGHT = 7;
constexpr u32 GP2X_SPU_CTRL2 = 0xC0002976;    // 0 when enabled
constexpr u32 GP2X_SPU_CMD_ADDR = 0xC0002978; // 32-bit
constexpr u32 GP2X_SPU_HL_ADDR = 0xC000297C;  // 32-bit
constexpr u32 GP2X_SPU_COLOUR = 0xC0002980;   // colour i: Cr << 8 | Cb at + 4i, Y at + 4i + 2

// ---------------------------------------------------------------- second core, power

constexpr u32 GP2X_940_IRQ_ENABLE1 = 0xC0003B40;
constexpr u32 GP2X_940_IRQ_ENABLE2 = 0xC0003B42;
constexpr u32 GP2X_940_IRQ_PENDING1 = 0xC0003B44;
constexpr u32 GP2X_940_IRQ_PENDING2 = 0xC0003B46;
constexpr u32 GP2X_940_CTRL = 0xC0003B48;
constexpr u32 GP2X_940_RESET = 0x83, GP2X_940_RUN = 3; // memory bank 3
constexpr u32 GP2X_BATTERY = 0xC0004674;
constexpr u32 GP2X_BATTERY_MASK = 0x3FF;

// ---------------------------------------------------------------- 2D accelerator (offsets)

constexpr u32 GP2X_BLT_DST_CTRL = 0x00;
constexpr u32 GP2X_BLT_DST_ADDR = 0x04;
constexpr u32 GP2X_BLT_DST_PITCH = 0x08;
constexpr u32 GP2X_BLT_SRC_CTRL = 0x0C;
constexpr u32 GP2X_BLT_SRC_ADDR = 0x10;
constexpr u32 GP2X_BLT_SRC_PITCH = 0x14;
constexpr u32 GP2X_BLT_FG = 0x18;
constexpr u32 GP2X_BLT_BG = 0x1C;
constexpr u32 GP2X_BLT_KEY = 0x20;
constexpr u32 GP2X_BLT_SIZE = 0x2C; // height << 16 | width
constexpr u32 GP2X_BLT_CTRL = 0x30;
constexpr u32 GP2X_BLT_RUN = 0x34; // bit 0: start, busy
constexpr u32 GP2X_ROT_CTRL = 0x100; // bit 0: start, busy
constexpr u32 GP2X_ROT_SRC_PITCH = 0x104;
constexpr u32 GP2X_ROT_DST_PITCH = 0x108;
constexpr u32 GP2X_ROT_SIZE = 0x10C;
constexpr u32 GP2X_ROT_SRC_ADDR = 0x110;
constexpr u32 GP2X_ROT_DST_ADDR = 0x114;
constexpr u32 GP2X_ACCEL_BUSY = 1;

// The registers the firmware's menu needs back (restored in this order
// after the two 32-bit cells at GP2X_RGB_LINE_WIDTH and GP2X_RGB_FIELD1_ADDR + 2).
constexpr u32 GP2X_SAVED_REG_COUNT = 51;
inline constexpr u32 GP2X_SAVED_REGS[GP2X_SAVED_REG_COUNT] = {
    GP2X_CLK_ENABLE, GP2X_CLK_ENABLE2, GP2X_PLL_VALUE, GP2X_CPU_DIVIDER, GP2X_VCLK_SOURCE, GP2X_VCLK_DIVIDER,
    GP2X_OUT_WIDTH, GP2X_OUT_HEIGHT, GP2X_DPC_CTRL, GP2X_DPC_TIMING_0A, GP2X_DPC_TIMING_0C, GP2X_DPC_TIMING_0E,
    GP2X_DPC_TIMING_20, GP2X_DPC_TIMING_22, GP2X_DPC_TIMING_04, GP2X_DPC_TIMING_06, GP2X_DPC_TIMING_08,
    GP2X_DPC_LAST_COLUMN, GP2X_DPC_TIMING_1A, GP2X_DPC_TIMING_1C, GP2X_DPC_TIMING_1E, GP2X_YUV_MIRROR,
    GP2X_DPC_TIMING_24, GP2X_DPC_TIMING_48, GP2X_DPC_LAST_LINE, GP2X_YUVA_LINE_WIDTH, GP2X_RGB_CTRL, GP2X_RGB_BLEND,
    GP2X_OVL_CTRL, GP2X_DPC_TIMING_26, GP2X_DPC_SYNC, GP2X_RGB_ALPHA_123, GP2X_RGB_ALPHA_45, GP2X_RGB_HSCALE,
    GP2X_RGB_VSCALE, GP2X_RGB_LINE_WIDTH, GP2X_RGB_FIELD1_ADDR, GP2X_LINE_STEPS, GP2X_LINE_HEIGHT1, GP2X_LINE_WIDTH1,
    GP2X_CURSOR_CTRL, GP2X_CURSOR_X, GP2X_CURSOR_Y, GP2X_CURSOR_COLOUR0, GP2X_CURSOR_COLOUR0 + 2, GP2X_CURSOR_COLOUR1,
    GP2X_CURSOR_COLOUR1 + 2, GP2X_CURSOR_ADDR2, GP2X_CURSOR_ADDR2 + 2, GP2X_CURSOR_ADDR1, GP2X_CURSOR_ADDR1 + 2};

#endif
