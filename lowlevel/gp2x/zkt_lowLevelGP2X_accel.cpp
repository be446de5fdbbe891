// Handheld back end: the blitter and rotator of the 2D accelerator, and the
// second core's start, stop, pause and command queue.
#include <cstring>

#include "lowlevel/gp2x/zkt_lowLevelGP2X.h"

// ---------------------------------------------------------------- blitter and rotator

u32 ZKT_HwBitBlt(u32 dstOffset, u32 dstPitch, u16 width, u16 height, u32 srcOffset, u32 srcPitch, u32 flags,
                 u16, u16 bgColor, u16 fgColor)
{
    u32 rop = flags & 0xFF;
    u32 e;
    if (flags & 0x200) {
        srcPitch /= 8;
        e = 0x1C0;
    } else if (flags & 0x100) {
        e = 0x180 + (srcOffset & 3) * 8;
    } else {
        e = 0x1A0;
        srcPitch *= 2;
    }
    u32 f = (flags & 0x100) ? 0 : 1;
    u32 bNoDst = rop == 0 || rop == 3 || rop == 12 || rop == 15;
    u32 g = bNoDst ? (f ? 32 : 0) : (f ? 96 : 64);
    if (rop == 0 || rop == 5 || rop == 10 || rop == 15)
        e &= ~0x80u; // the source is not read

    while (GP2X_AR32(GP2X_BLT_RUN) & GP2X_ACCEL_BUSY) {
    }
    GP2X_AW32(GP2X_BLT_DST_CTRL, g + (dstOffset & 3) * 8);
    GP2X_AW32(GP2X_BLT_DST_ADDR, GP2X_Phys(dstOffset));
    GP2X_AW32(GP2X_BLT_DST_PITCH, f ? dstPitch * 2 : dstPitch);
    GP2X_AW32(GP2X_BLT_SRC_CTRL, e);
    GP2X_AW32(GP2X_BLT_SRC_ADDR, GP2X_Phys(srcOffset));
    GP2X_AW32(GP2X_BLT_SRC_PITCH, srcPitch);
    GP2X_AW32(GP2X_BLT_FG, fgColor);
    GP2X_AW32(GP2X_BLT_BG, bgColor);
    GP2X_AW32(GP2X_BLT_KEY, 0);
    GP2X_AW32(GP2X_BLT_SIZE, (u32)height << 16 | width);
    GP2X_AW32(GP2X_BLT_CTRL, (rop & 0xFF) | 0x300 | (flags >= 0x400 ? 0x800u : 0u));
    GP2X_AW32(GP2X_BLT_RUN, GP2X_AR32(GP2X_BLT_RUN) | GP2X_ACCEL_BUSY);
    return ZKT_OK;
}

u32 ZKT_HwBitBltSemiFix(u32 dstOffset, u32 dstPitch, u16 width, u16 height, u32 srcOffset, u32 srcPitch,
                        u32 flags, u16 transparentColor, u16 bgColor, u16 fgColor)
{
    return ZKT_HwBitBlt(dstOffset, dstPitch, width, height, srcOffset, srcPitch, flags, transparentColor, bgColor,
                        fgColor);
}

u32 ZKT_WaitHwBlitter(u32 bRotator)
{
    u32 reg = bRotator ? GP2X_ROT_CTRL : GP2X_BLT_RUN;
    while (GP2X_AR32(reg) & GP2X_ACCEL_BUSY) {
    }
    return ZKT_OK;
}

u32 ZKT_HwBitBltRotate(u32 dstOffset, u32 dstPitch, u16 width, u16 height, u32 srcOffset, u32 srcPitch,
                       u32 mode)
{
    u32 angle = mode & 3;
    u32 bpp = mode < 4 ? 1 : (mode <= 7 ? 2 : 3);
    u32 g = srcPitch * bpp;
    u32 l = 0;
    if (angle == 1)
        l = g * (height - 1u);
    else if (angle == 2)
        l = g * (height - 1u) + bpp * (width - 1u);
    else if (angle == 3)
        l = bpp * (width - 1u);
    while (GP2X_AR32(GP2X_ROT_CTRL) & GP2X_ACCEL_BUSY) {
    }
    GP2X_AW32(GP2X_ROT_SRC_PITCH, g);
    GP2X_AW32(GP2X_ROT_DST_PITCH, dstPitch * bpp);
    GP2X_AW32(GP2X_ROT_SIZE, (u32)height << 16 | width);
    GP2X_AW32(GP2X_ROT_SRC_ADDR, GP2X_Phys(srcOffset) + l);
    GP2X_AW32(GP2X_ROT_DST_ADDR, GP2X_Phys(dstOffset));
    GP2X_AW32(GP2X_ROT_CTRL, ((mode << 3) & 0x1F) | (bpp - 1) * 2);
    GP2X_AW32(GP2X_ROT_CTRL, GP2X_AR32(GP2X_ROT_CTRL) | GP2X_ACCEL_BUSY);
    return ZKT_OK;
}

// ---------------------------------------------------------------- second core

static u32 *QueueHeader()
{
    return ARM940_Word(g_pGP2X_DUALCORE_MEM, ARM940_HEADER);
}

u32 ZKT_DualCoreStart()
{
    GP2X_W16(GP2X_940_CTRL, GP2X_940_RESET);
    GP2X_W16(GP2X_940_IRQ_ENABLE1, 0);
    GP2X_W16(GP2X_940_IRQ_ENABLE2, 0);
    GP2X_W16(GP2X_940_IRQ_PENDING1, 0xFFFF);
    GP2X_W16(GP2X_940_IRQ_PENDING2, 0xFFFF);
    GP2X_SET16(GP2X_CLK_ENABLE, GP2X_CLK_940);
    std::memcpy(g_pGP2X_940_MEM, g_ulGP2X_940_IMAGE, sizeof g_ulGP2X_940_IMAGE);

    // The core is held in reset: nobody else touches the queue now.
    u32 *h = QueueHeader();
    std::memset(g_pGP2X_DUALCORE_MEM + ARM940_SLOTS, 0, ARM940_CAPACITY * 4);
    h[ARM940_HDR_WRITE] = 0;
    h[ARM940_HDR_READ] = 0;
    __atomic_store_n(&h[ARM940_HDR_PENDING], 0u, __ATOMIC_SEQ_CST);
    h[ARM940_HDR_CAPACITY] = ARM940_CAPACITY;
    h[ARM940_HDR_SENT] = 0;
    __atomic_store_n(&h[ARM940_HDR_PROCESSED], 0u, __ATOMIC_SEQ_CST);
    // The slots as each core addresses them (the main core's view kept as
    // a 32-bit word, as on the handheld).
    h[ARM940_HDR_WBUF] = (u32)(uintptr_t)(g_pGP2X_DUALCORE_MEM + ARM940_SLOTS);
    h[ARM940_HDR_RBUF] = GP2X_940_DATA + ARM940_SLOTS;
    ARM940_ResetLock(g_pGP2X_DUALCORE_MEM);
    GP2X_W16(GP2X_940_CTRL, GP2X_940_RUN);
    return ZKT_OK;
}

u32 ZKT_DualCoreStop()
{
    GP2X_W16(GP2X_940_CTRL, GP2X_940_RESET);
    GP2X_SET16(GP2X_CLK_ENABLE, GP2X_CLK_940);
    return ZKT_OK;
}

u32 ZKT_DualCorePause(u32 bPause)
{
    GP2X_PUT16(GP2X_CLK_ENABLE, GP2X_CLK_940, bPause ? 0u : ~0u);
    return ZKT_OK;
}

u32 ZKT_DualCoreSendCmd(u32 command)
{
    u32 *h = QueueHeader();
    u32 capacity = h[ARM940_HDR_CAPACITY];
    while (__atomic_load_n(&h[ARM940_HDR_PENDING], __ATOMIC_SEQ_CST) >= capacity) {
    }
    u32 *slots = ARM940_Word(g_pGP2X_DUALCORE_MEM, ARM940_SLOTS);
    u32 w = h[ARM940_HDR_WRITE];
    // The slot is written before the second core can see it counted.
    __atomic_store_n(&slots[w], command, __ATOMIC_SEQ_CST);
    h[ARM940_HDR_WRITE] = w + 1 >= capacity ? 0 : w + 1;
    ARM940_ChangePending(g_pGP2X_DUALCORE_MEM, 0, 1);
    h[ARM940_HDR_SENT]++;
    return ZKT_OK;
}

u32 ZKT_WaitArm940T()
{
    u32 *h = QueueHeader();
    while (__atomic_load_n(&h[ARM940_HDR_PENDING], __ATOMIC_SEQ_CST) != 0) {
    }
    return ZKT_OK;
}

u32 ZKT_DualCoreGetSendCmdCount(u32 *pCount)
{
    *pCount = QueueHeader()[ARM940_HDR_SENT];
    return ZKT_OK;
}

u32 ZKT_DualCoreGetCmdProcessedCount(u32 *pCount)
{
    *pCount = __atomic_load_n(&QueueHeader()[ARM940_HDR_PROCESSED], __ATOMIC_SEQ_CST);
    return ZKT_OK;
}
