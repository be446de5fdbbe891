// Handheld back end: buttons from the GPIO ports, input event devices and
// the touch screen, model and firmware, LED, power, CPU clock, SD card, raw
// registers and the television encoder on its two-wire bus.
#include <SDL/SDL.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "lowlevel/gp2x/zkt_lowLevelGP2X.h"

s32 g_nGP2XTouchFd = -1;
s32 g_nGP2XInputFd[4] = {-1, -1, -1, -1};

// ---------------------------------------------------------------- buttons

u32 ZKT_GetGP2XInputState(u32 *pButtons)
{
    u32 c = GP2X_R16(GP2X_GPIOC_LEVEL);
    u32 d = GP2X_R16(GP2X_GPIOD_LEVEL);
    u32 m = GP2X_R16(GP2X_GPIOM_LEVEL);
    // Inputs read low while pressed.
    u32 levels = (m & GP2X_PM_STICK) | (c & GP2X_PC_BUTTONS) | ((d >> GP2X_PD_VOLUME_SHIFT) & 3) << 16 |
                 ((d >> GP2X_PD_STICK_SHIFT) & 1) << 18;
    u32 buttons = levels ^ 0x7FFFF;
    if (!(c & GP2X_PC_SHOULDERS))
        buttons |= ZKT_BTN_EXIT;
    // The touch-screen model's pad has no diagonals and no stick push.
    if (g_ulGP2XModel >= 256)
        buttons &= 0xFFFBFF55u;
    *pButtons = buttons;
    return ZKT_OK;
}

// ---------------------------------------------------------------- input devices

void GP2X_CloseDevices()
{
    for (s32 &fd : g_nGP2XInputFd) {
        if (fd >= 0)
            g_pGP2XPlatform->pfnClose(fd);
        fd = -1;
    }
    if (g_nGP2XTouchFd >= 0)
        g_pGP2XPlatform->pfnClose(g_nGP2XTouchFd);
    g_nGP2XTouchFd = -1;
}

void GP2X_OpenInputDevices(u32 bOpen)
{
    for (s32 &fd : g_nGP2XInputFd) {
        if (fd >= 0)
            g_pGP2XPlatform->pfnClose(fd);
        fd = -1;
    }
    ZKT_DelayMS(20); // let the devices settle after a change
    if (!bOpen)
        return;
    for (int i = 0; i < 4; i++) {
        char path[32];
        std::snprintf(path, sizeof path, "/dev/input/event%d", i);
        g_nGP2XInputFd[i] = g_pGP2XPlatform->pfnOpenDevice(path);
        if (g_nGP2XInputFd[i] < 0)
            break;
    }
}

u32 ZKT_HIDDetection(u32 bOpen)
{
    GP2X_OpenInputDevices(bOpen);
    return ZKT_OK;
}

u32 ZKT_GetHIDEvent(u16 device, u16 *pType, u16 *pCode, u32 *pValue)
{
    if (device >= 4 || g_nGP2XInputFd[device] < 0)
        return ZKT_NO_DEVICE;
    // struct input_event on the handheld: 8 bytes of time, type, code, value.
    u8 ev[16];
    if (g_pGP2XPlatform->pfnRead(g_nGP2XInputFd[device], ev, 16) != 16)
        return ZKT_NO_EVENT;
    u16 type, code;
    s32 value;
    std::memcpy(&type, ev + 8, 2);
    std::memcpy(&code, ev + 10, 2);
    std::memcpy(&value, ev + 12, 4);
    *pType = type;
    *pCode = code;
    *pValue = (u32)value;
    return ZKT_EVENT_READY;
}

u32 ZKT_GetTouchScreen(u16 *p1, u16 *p2, u16 *p3)
{
    if (g_nGP2XTouchFd < 0)
        return ZKT_ERR_NOT_AVAILABLE;
    u16 sample[4] = {0, 0, 0, 0};
    g_pGP2XPlatform->pfnRead(g_nGP2XTouchFd, sample, sizeof sample);
    *p1 = sample[1];
    *p2 = sample[2];
    *p3 = sample[0];
    return ZKT_OK;
}

// ---------------------------------------------------------------- model, LED, power, clock, SD

u32 ZKT_GetHardwareModel(u32 *pModel)
{
    *pModel = g_ulGP2XModel;
    return ZKT_OK;
}

u32 ZKT_GetFirmwareVersion(u32 *pVersion)
{
    *pVersion = g_ulGP2XFirmwareVersion;
    return ZKT_OK;
}

u32 ZKT_GetBatteryLEDState()
{
    if (g_ulGP2XModel == 256)
        return ZKT_ERR_NOT_AVAILABLE;
    return (GP2X_R16(GP2X_GPIOH_LEVEL) & GP2X_PH_LED) ? ZKT_LED_OFF : ZKT_LED_ON;
}

u32 ZKT_SetBatteryLEDState(u32 bOn)
{
    if (g_ulGP2XModel == 256)
        return ZKT_ERR_NOT_AVAILABLE;
    u32 levels = GP2X_R16(GP2X_GPIOH_LEVEL);
    GP2X_W16(GP2X_GPIOH_OUT, bOn ? (levels & ~GP2X_PH_LED) : (levels | GP2X_PH_LED));
    return ZKT_OK;
}

u32 ZKT_GetPowerState(u16 *pLevel)
{
    *pLevel = GP2X_R16(GP2X_BATTERY) & GP2X_BATTERY_MASK;
    return ZKT_OK;
}

u32 ZKT_GetCPUClock(u32 *pMHz)
{
    u32 pll = GP2X_R16(GP2X_PLL_VALUE);
    u32 m = (pll >> GP2X_PLL_M_SHIFT) & GP2X_PLL_M_MASK, p = (pll >> GP2X_PLL_P_SHIFT) & GP2X_PLL_P_MASK;
    u32 s = pll & GP2X_PLL_S_MASK;
    u32 div = GP2X_R16(GP2X_CPU_DIVIDER) & GP2X_CPU_DIVIDER_MASK;
    // 7.3728 MHz crystal; the result is in units of 100 Hz.
    u32 clock = (((m * 9 + 72) << 13) / ((p + 2) << s)) / (div + 1);
    *pMHz = clock / 10000;
    return ZKT_OK;
}

u32 ZKT_SetCPUClock(u32 mhz)
{
    GP2X_W16(GP2X_PLL_SET, (mhz * 30000 / 73728) * 256 - 2044);
    GP2X_W16(GP2X_CPU_DIVIDER, GP2X_R16(GP2X_CPU_DIVIDER) & GP2X_CPU_DIVIDER_KEEP);
    return ZKT_OK;
}

u32 ZKT_GetSDState()
{
    if (GP2X_R16(GP2X_GPIOI_LEVEL) & GP2X_PI_NO_SD)
        return ZKT_NO_DEVICE;
    return (GP2X_R16(GP2X_GPIOD_LEVEL) & GP2X_PD_SD_SWITCH) ? ZKT_SD_SWITCH : ZKT_NO_EVENT;
}

u32 ZKT_SaveOnDisk(u32, const char *)
{
    return ZKT_ERR_NOT_AVAILABLE;
}

u32 ZKT_ReadMemRegister(u32 offset, u16 *pValue)
{
    *pValue = GP2X_R16(GP2X_REG_BASE + (offset & 0xFFFE));
    return ZKT_OK;
}

u32 ZKT_WriteMemRegister(u32 offset, u16 value)
{
    GP2X_W16(GP2X_REG_BASE + (offset & 0xFFFE), value);
    return ZKT_OK;
}

// ---------------------------------------------------------------- two-wire bus

// GPIO port B: bit 0 clock, bit 1 data. A line is driven low by making
// its pin an output at 0 and released (pulled high) by making it an input.
constexpr u32 I2C_FUNC = GP2X_GPIOB_FUNC, I2C_OUT = GP2X_GPIOB_OUT, I2C_LEVEL = GP2X_GPIOB_LEVEL;
constexpr u32 I2C_SCL = GP2X_PB_SCL, I2C_SDA = GP2X_PB_SDA;

static void BusDelay()
{
    // A few microseconds between line changes.
    for (int i = 0; i < 8; i++)
        (void)GP2X_R16(I2C_LEVEL);
}

static void BusLine(u32 line, u32 bHigh)
{
    if (bHigh) {
        GP2X_CLR16(I2C_FUNC, line);
    } else {
        GP2X_CLR16(I2C_OUT, line);
        GP2X_SET16(I2C_FUNC, line);
    }
    BusDelay();
}

static void BusStart()
{
    BusLine(I2C_SDA, 1);
    BusLine(I2C_SCL, 1);
    BusLine(I2C_SDA, 0);
    BusLine(I2C_SCL, 0);
}

static void BusStop()
{
    BusLine(I2C_SDA, 0);
    BusLine(I2C_SCL, 1);
    BusLine(I2C_SDA, 1);
}

// Sends a byte, most significant bit first; true when acknowledged.
static bool BusWriteByte(u8 v)
{
    for (int i = 7; i >= 0; i--) {
        BusLine(I2C_SDA, (v >> i) & 1);
        BusLine(I2C_SCL, 1);
        BusLine(I2C_SCL, 0);
    }
    BusLine(I2C_SDA, 1);
    BusLine(I2C_SCL, 1);
    bool ack = !(GP2X_R16(I2C_LEVEL) & I2C_SDA);
    BusLine(I2C_SCL, 0);
    return ack;
}

static u8 BusReadByte(bool bAck)
{
    u8 v = 0;
    BusLine(I2C_SDA, 1);
    for (int i = 0; i < 8; i++) {
        BusLine(I2C_SCL, 1);
        v = (u8)(v << 1 | ((GP2X_R16(I2C_LEVEL) & I2C_SDA) ? 1 : 0));
        BusLine(I2C_SCL, 0);
    }
    BusLine(I2C_SDA, bAck ? 0 : 1);
    BusLine(I2C_SCL, 1);
    BusLine(I2C_SCL, 0);
    BusLine(I2C_SDA, 1);
    return v;
}

u32 ZKT_OutCX25874(u8 reg, u8 value)
{
    BusStart();
    bool ok = BusWriteByte(GP2X_CX25874_ADDR) && BusWriteByte(reg) && BusWriteByte(value);
    BusStop();
    return ok ? ZKT_OK : ZKT_ERR_NOT_AVAILABLE;
}

u32 ZKT_InCX25874(u8 reg, u8 *pValue)
{
    BusStart();
    bool ok = BusWriteByte(GP2X_CX25874_ADDR) && BusWriteByte(reg);
    if (ok) {
        BusStart(); // repeated start, then read
        ok = BusWriteByte(GP2X_CX25874_ADDR | 1);
        if (ok)
            *pValue = BusReadByte(false);
    }
    BusStop();
    if (!ok)
        *pValue = 0;
    return ok ? ZKT_OK : ZKT_ERR_NOT_AVAILABLE;
}

u32 ZKT_GetCurrentTVFieldOutput(u32 *pField)
{
    if (!GP2X_IsTV())
        return ZKT_ERR_NOT_AVAILABLE;
    u8 v = 0;
    ZKT_InCX25874(6, &v);
    *pField = (v >> 1) & 1;
    return ZKT_OK;
}
