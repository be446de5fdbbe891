// The frame dump: every composed frame as a numbered 24-bit BMP file.
#include <cstdio>

#include "lowlevel/common/zkt_bmpfile.h"
#include "lowlevel/desktop/zkt_lowLevelWin.h"

u32 ZKT_LowLevelAPI_SaveBMP(const char *path)
{
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);

    // The base path is at most 271 characters; the precision keeps a longer
    // or unterminated one from running past the name buffer.
    char name[320];
    snprintf(name, sizeof name, "%.271s_%.6d.bmp", path ? path : "", (int)g_nDiskWriteFrameID);
    g_nDiskWriteFrameID = (s32)((u32)g_nDiskWriteFrameID + 1u); // wraps instead of overflowing
    return ZKT_SaveBMPFile(name, g_ucSoftRenderPicture, (u32)W, (u32)H, (u32)W * 3);
}
