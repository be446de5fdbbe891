// Temporary stand-ins for functions whose subsystems have not landed yet,
// grouped by subsystem. Delete a group when the real functions arrive.
#include "lowlevel/desktop/zkt_lowLevelWin.h"

// ---- API state and video memory ----
u32 ZKT_GetVideoBasePtr(u32 **ppBase)
{
    *ppBase = reinterpret_cast<u32 *>(g_GP2X_VIDEO_BASE_PTR);
    return 0;
}
