// Desktop blitter and rotator: the whole job runs inside the call, on the
// emulated video memory, so there is never anything to wait for.
#include "lowlevel/desktop/zkt_lowLevelWin.h"
#include "lowlevel/common/zkt_blitcore.h"

u32 ZKT_HwBitBlt(u32 dstOffset, u32 dstPitch, u16 width, u16 height, u32 srcOffset, u32 srcPitch, u32 flags,
                 u16 transparentColor, u16 bgColor, u16 fgColor)
{
    ZKT_BlitRun(g_GP2X_VIDEO_BASE_PTR, ZKT_VIDEO_MEM_SIZE, dstOffset, dstPitch, width, height, srcOffset, srcPitch,
                flags, transparentColor, bgColor, fgColor);
    return ZKT_OK;
}

u32 ZKT_HwBitBltSemiFix(u32 dstOffset, u32 dstPitch, u16 width, u16 height, u32 srcOffset, u32 srcPitch,
                        u32 flags, u16 transparentColor, u16 bgColor, u16 fgColor)
{
    return ZKT_HwBitBlt(dstOffset, dstPitch, width, height, srcOffset, srcPitch, flags, transparentColor, bgColor,
                        fgColor);
}

u32 ZKT_WaitHwBlitter(u32)
{
    return ZKT_OK;
}

u32 ZKT_HwBitBltRotate(u32 dstOffset, u32 dstPitch, u16 width, u16 height, u32 srcOffset, u32 srcPitch, u32 mode)
{
    ZKT_BlitRotateRun(g_GP2X_VIDEO_BASE_PTR, ZKT_VIDEO_MEM_SIZE, dstOffset, dstPitch, width, height, srcOffset,
                      srcPitch, mode);
    return ZKT_OK;
}
