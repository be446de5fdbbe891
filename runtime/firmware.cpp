// The start-up firmware check and its warning screen, drawn with the debug
// console over the RGB layer.
#include "runtime/firmware.h"

#include <SDL/SDL.h>

#include "debug/zkt_lowLevelDbg.h"

static void ShowWarning(u32 bAllowProceed)
{
    ZKT_SetRGBStartAddress(0);
    ZKT_DbgClrScr(0, 0);
    ZKT_DbgColor(7, 0);
    ZKT_DbgPrint("            *** WARNING ***\n");
    ZKT_DbgColor(1, 0);
    ZKT_DbgPrint("\n\n\n");
    ZKT_DbgPrint("    WE HAVE DETECT A NO-GPH FIRMWARE\n");
    ZKT_DbgPrint("       ENVIRONMENT (e.g.: ");
    ZKT_DbgColor(8, 0);
    ZKT_DbgPrint("Open2X");
    ZKT_DbgColor(1, 0);
    ZKT_DbgPrint(").\n");
    ZKT_DbgPrint("\n");
    ZKT_DbgPrint("\n");
    ZKT_DbgPrint(" WE RECOMMEND TO GO IN COMPATIBLE MODE\n");
    ZKT_DbgPrint("      FIRST, THEN LAUNCH THIS FILE!\n");
    ZKT_DbgGotoXY(0, 15);
    ZKT_DbgPrint("       HOLD BOTH TRIGGERS TO EXIT.\n");
    ZKT_DbgGotoXY(0, 24);
    ZKT_DbgColor(12, 0);
    if (bAllowProceed)
        ZKT_DbgPrint("At your risk: press B to proceed anyway.");
    ZKT_DbgDrawScr(0, 0);
}

static void ClearWarning()
{
    ZKT_DbgClrScr(0, 0);
    ZKT_DbgDrawScr(0, 0);
}

u32 ZKT_CheckOpen2X(u32 bWarn, u32 bAllowProceed)
{
    // A build without the register (the desktop) has no firmware to check.
    u16 value = 0;
    if (ZKT_ReadMemRegister(0x2912, &value) != ZKT_OK || value == 0x1000)
        return ZKT_OK;
    if (!bWarn)
        return ZKT_OPEN2X_PROCEED;
    ShowWarning(bAllowProceed);

    // Only a fresh press of B on its own counts: B held from before, or
    // together with anything else, does not.
    u32 prev = ZKT_BTN_B, input = 0;
    for (;;) {
        ZKT_GetGP2XInputState(&input);
        if (input & ZKT_BTN_EXIT)
            return ZKT_OPEN2X_QUIT;
        if (prev == 0 && input == ZKT_BTN_B)
            break;
        prev = input;
        SDL_Delay(15);
    }
    ClearWarning();
    return ZKT_OPEN2X_PROCEED;
}
