// 24-bit BMP files of a picture held top line first, blue, green, red per
// pixel: the frame dump and the capture tool write the same bytes.
#ifndef ZKT_BMPFILE_H
#define ZKT_BMPFILE_H

#include <cstdio>

#include "lowlevel/zkt_lowLevel.h"

#define ZKT_BMP_HEADER_BYTES 54u

// A file made by mkstemp (owner-only) gets the permissions any new file
// would have. 0 on success.
int ZKT_GiveNewFileMode(int fd);

// The 54 header bytes of a picture of that size.
void ZKT_MakeBMPHeader(u8 *pHeader, u32 ulWidth, u32 ulHeight);
// Headers, then the lines bottom line first, each padded to four bytes
// (the widths in use need no padding). 1 when every byte was written.
u32 ZKT_WriteBMP(FILE *f, const u8 *pPixels, u32 ulWidth, u32 ulHeight, u32 ulPitch);
// The picture as the file path: written under a fresh temporary name in the
// same folder and renamed over path once every write and the close
// succeeded. A regular file of that name is replaced; a link, folder or
// device is never written through or replaced. 1 when path holds the
// picture; 0 leaves nothing behind.
u32 ZKT_SaveBMPFile(const char *path, const u8 *pPixels, u32 ulWidth, u32 ulHeight, u32 ulPitch);

#endif
