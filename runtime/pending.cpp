// Stand-ins for subsystems that are still being built, so that the runtime
// links and runs its real loop meanwhile. Each subsystem deletes its block
// here when it lands.
#include "runtime/pending.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstring>

#include "assets/assets.h"
#include "draw/zkt_draw.h"
#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "tools/zkt_lowLevelCommon.h"
#include "ui/zkt_tinymenu_vol.h"

// ---- configuration file ----
s32 ZKT_ParseConfig(const char *) { return 0; }

// ---- window icon ----
extern const u8 DEMOICON[4096] = {};
extern const u32 DEMOICON_LEN = 4096;

// ---- second core and device services ----
u32 ZKT_DualCoreStart() { return 0; }
u32 ZKT_DualCoreStop() { return 0; }
u32 ZKT_GetCPUClock(u32 *pMHz)
{
    *pMHz = 199;
    return 0;
}
u32 ZKT_SetCPUClock(u32) { return 2; }
u32 ZKT_SaveOnDisk(u32 bEnable, const char *path)
{
    g_bSaveOnDisk = bEnable;
    std::snprintf(g_strSaveFilePath, sizeof g_strSaveFilePath, "%s", path);
    return 2;
}

// ---- compositor ----
void ZKT_LowLevelAPI_SoftRender()
{
    SDL_Delay(2);
}
