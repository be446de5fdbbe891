// The frame dump: every composed frame as a numbered 24-bit BMP file,
// bottom line first, no line padding (960 or 2160 bytes are multiples of 4).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lowlevel/desktop/zkt_lowLevelWin.h"

static void PutLE16(u8 *p, u32 v)
{
    p[0] = (u8)v;
    p[1] = (u8)(v >> 8);
}

static void PutLE32(u8 *p, u32 v)
{
    PutLE16(p, v);
    PutLE16(p + 2, v >> 16);
}

u32 ZKT_LowLevelAPI_SaveBMP(const char *path)
{
    s32 W, H;
    ZKT_LowLevelAPI_SoftRender_GetOutputSize(&W, &H);
    const u32 line = (u32)W * 3, size = line * (u32)H;
    u8 *buf = (u8 *)malloc(size);
    if (!buf)
        return 0;
    for (s32 y = 0; y < H; y++)
        memcpy(buf + (u32)(H - 1 - y) * line, g_ucSoftRenderPicture + (u32)y * line, line);

    // The base path is at most 271 characters; the precision keeps a longer
    // or unterminated one from running past the name buffer.
    char name[320];
    snprintf(name, sizeof name, "%.271s_%.6d.bmp", path ? path : "", (int)g_nDiskWriteFrameID);
    g_nDiskWriteFrameID = (s32)((u32)g_nDiskWriteFrameID + 1u); // wraps instead of overflowing
    FILE *f = fopen(name, "wb");
    if (!f) {
        free(buf);
        return 0;
    }
    u8 hdr[54];
    memset(hdr, 0, sizeof hdr);
    hdr[0] = 'B';
    hdr[1] = 'M';
    PutLE32(hdr + 2, size + 54);
    PutLE32(hdr + 10, 54);
    PutLE32(hdr + 14, 40);
    PutLE32(hdr + 18, (u32)W);
    PutLE32(hdr + 22, (u32)H);
    PutLE16(hdr + 26, 1);
    PutLE16(hdr + 28, 24);
    PutLE32(hdr + 34, size);
    PutLE32(hdr + 38, 4000);
    PutLE32(hdr + 42, 3000);
    fwrite(hdr, 1, 14, f);
    fwrite(hdr + 14, 1, 40, f);
    fwrite(buf, 1, size, f);
    fclose(f);
    free(buf);
    return 1;
}
