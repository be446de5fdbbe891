// The start-up firmware check.
#ifndef VORN_FIRMWARE_H
#define VORN_FIRMWARE_H

#include "lowlevel/zkt_lowLevel.h"

// Returns 0 on the expected firmware (always on the desktop), 12 to carry
// on elsewhere, 13 when the user chose to leave from the warning screen.
u32 ZKT_CheckOpen2X(u32 bWarn, u32 bAllowProceed);

#endif
