// Device services, desktop: the handheld's devices are not here, so most
// calls answer with fixed values or "not available" and the presentation
// runs unchanged. The LED, the television field and the frame dump switch
// are emulated.
#include <cstring>

#include "lowlevel/desktop/zkt_lowLevelWin.h"

#define DESKTOP_CPU_MHZ 199u
#define DESKTOP_POWER_LEVEL 0x3FFu

u32 ZKT_GetBatteryLEDState()
{
    return g_bGP2XBatteryLEDState ? ZKT_LED_ON : ZKT_LED_OFF;
}

u32 ZKT_SetBatteryLEDState(u32 bOn)
{
    g_bGP2XBatteryLEDState = bOn;
    return ZKT_OK;
}

u32 ZKT_GetPowerState(u16 *pLevel)
{
    *pLevel = DESKTOP_POWER_LEVEL;
    return ZKT_OK;
}

u32 ZKT_GetCPUClock(u32 *pMHz)
{
    *pMHz = DESKTOP_CPU_MHZ;
    return ZKT_OK;
}

u32 ZKT_SetCPUClock(u32)
{
    return ZKT_ERR_NOT_AVAILABLE;
}

// NTSC sends a field every 16.5 ms or so, PAL every 20 ms; the desktop
// approximates both from the millisecond clock.
u32 ZKT_WinTVFieldAt(u32 mode, u32 ms, u32 *pField)
{
    if (ZKT_ModeIsLCD(mode))
        return ZKT_ERR_NOT_AVAILABLE;
    if (!ZKT_ModeIsPAL(mode))
        *pField = (ms % 33u) > 15u ? 1u : 0u;
    else
        *pField = (ms % 40u) > 19u ? 1u : 0u;
    return ZKT_OK;
}

u32 ZKT_GetCurrentTVFieldOutput(u32 *pField)
{
    u32 ms = 0;
    ZKT_GetTime(&ms);
    return ZKT_WinTVFieldAt(g_ulDISPLAY_MODE, ms, pField);
}

u32 ZKT_GetSDState()
{
    return ZKT_ERR_NOT_AVAILABLE;
}

// The compositor writes the frames; this only sets the switch and the base
// name. A path longer than the buffer is cut rather than overflowing it; a
// null path keeps the previous one.
u32 ZKT_SaveOnDisk(u32 bEnable, const char *path)
{
    if (path) {
        std::strncpy(g_strSaveFilePath, path, sizeof(g_strSaveFilePath) - 1);
        g_strSaveFilePath[sizeof(g_strSaveFilePath) - 1] = 0;
    }
    g_bSaveOnDisk = bEnable;
    return ZKT_ERR_NOT_AVAILABLE;
}

u32 ZKT_GetHardwareModel(u32 *)
{
    return ZKT_ERR_NOT_AVAILABLE;
}

u32 ZKT_GetFirmwareVersion(u32 *)
{
    return ZKT_ERR_NOT_AVAILABLE;
}

u32 ZKT_ReadMemRegister(u32, u16 *)
{
    return ZKT_ERR_NOT_AVAILABLE;
}

u32 ZKT_WriteMemRegister(u32, u16)
{
    return ZKT_ERR_NOT_AVAILABLE;
}

u32 ZKT_InCX25874(u8, u8 *)
{
    return ZKT_ERR_NOT_AVAILABLE;
}

u32 ZKT_OutCX25874(u8, u8)
{
    return ZKT_ERR_NOT_AVAILABLE;
}

// Closed captions need the television encoder; accepted and dropped.
u32 ZKT_WriteCloseCaption(u16) { return ZKT_OK; }
u32 ZKT_CC_SetChannel(u32) { return ZKT_OK; }
u32 ZKT_CC_SetCommand(u32) { return ZKT_OK; }
u32 ZKT_CC_SetPosition(u32, u32) { return ZKT_OK; }
u32 ZKT_CC_SetColor(u8, u8) { return ZKT_OK; }
u32 ZKT_CC_printf(const char *, ...) { return ZKT_OK; }
u32 ZKT_CC_OutputToTV() { return ZKT_OK; }
