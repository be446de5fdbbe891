// The handheld back end: the ZKT_ API programmed straight into the chip's
// registers from user space. Everything the handheld provides and a
// development machine lacks (the memory device and its physical windows,
// the input devices, the firmware's files and menu program) goes through
// one small platform interface, so the same back end runs on a simulated
// chip for tests.
#ifndef ZKT_LOWLEVELGP2X_H
#define ZKT_LOWLEVELGP2X_H

#include "lowlevel/gp2x/arm940/arm940.h"
#include "lowlevel/gp2x/zkt_gp2xRegs.h"
#include "lowlevel/zkt_lowLevel.h"

// What the back end needs from the system. The handheld's implementation
// uses the memory device and the firmware's paths; the simulated chip
// answers from memory blocks of its own.
struct GP2X_PLATFORM {
    const char *strName;
    // Prepares physical mapping; the handheld's version checks first that
    // it is really running on the handheld. Non-zero on failure.
    u32 (*pfnOpenMem)();
    void (*pfnCloseMem)();
    void *(*pfnMap)(u32 phys, u32 len); // null on failure
    void (*pfnUnmap)(void *p, u32 len);
    // Devices: open read-write and non-blocking (-1 on failure), read
    // (bytes read, or negative), close.
    s32 (*pfnOpenDevice)(const char *path);
    s32 (*pfnRead)(s32 fd, void *buf, u32 len);
    void (*pfnClose)(s32 fd);
    // The whole text of a small file into buf (terminated); 0 when missing.
    u32 (*pfnReadTextFile)(const char *path, char *buf, u32 size);
    // Replaces the process with the firmware's menu program; returns only
    // when that failed (or on the simulated chip).
    void (*pfnExecMenu)();
    // Register access hooks; null on the handheld, where the accessors
    // touch the mapped cells directly. width is 16 or 32.
    u32 (*pfnRegRead)(u32 phys, u32 width);
    void (*pfnRegWrite)(u32 phys, u32 value, u32 width);
};

// The platform in use. The handheld's own by default; a simulated chip
// installs itself before ZKT_InitLowLevelAPI.
extern const GP2X_PLATFORM *g_pGP2XPlatform;
extern const GP2X_PLATFORM g_GP2XHandheldPlatform;

// The firmware's version file exists and the main core is an ARM920T.
u32 GP2X_IsHandheld();

// Mapped windows (null while closed).
extern volatile u16 *g_pusGP2XRegs;
extern volatile u32 *g_pulGP2XAccel;
extern u8 *g_GP2X_VIDEO_BASE_PTR;
extern u8 *g_pGP2X_940_MEM;      // whole second-core memory
extern u8 *g_pGP2X_DUALCORE_MEM; // its shared data area
// Copies of the platform's hooks, so the accessors test one pointer.
extern u32 (*g_pfnGP2XRegRead)(u32 phys, u32 width);
extern void (*g_pfnGP2XRegWrite)(u32 phys, u32 value, u32 width);

// Register accessors, by physical address. On the handheld they are plain
// loads and stores into the mapping.
inline u16 GP2X_R16(u32 phys)
{
    if (__builtin_expect(g_pfnGP2XRegRead != nullptr, 0))
        return (u16)g_pfnGP2XRegRead(phys, 16);
    return g_pusGP2XRegs[(phys & 0xFFFEu) >> 1];
}
inline void GP2X_W16(u32 phys, u32 value)
{
    if (__builtin_expect(g_pfnGP2XRegWrite != nullptr, 0)) {
        g_pfnGP2XRegWrite(phys, value & 0xFFFFu, 16);
        return;
    }
    g_pusGP2XRegs[(phys & 0xFFFEu) >> 1] = (u16)value;
}
inline u32 GP2X_R32(u32 phys)
{
    if (__builtin_expect(g_pfnGP2XRegRead != nullptr, 0))
        return g_pfnGP2XRegRead(phys, 32);
    return *(volatile u32 *)(g_pusGP2XRegs + ((phys & 0xFFFCu) >> 1));
}
inline void GP2X_W32(u32 phys, u32 value)
{
    if (__builtin_expect(g_pfnGP2XRegWrite != nullptr, 0)) {
        g_pfnGP2XRegWrite(phys, value, 32);
        return;
    }
    *(volatile u32 *)(g_pusGP2XRegs + ((phys & 0xFFFCu) >> 1)) = value;
}
// The 2D accelerator's 32-bit registers, by offset in its window.
inline u32 GP2X_AR32(u32 offset)
{
    if (__builtin_expect(g_pfnGP2XRegRead != nullptr, 0))
        return g_pfnGP2XRegRead(GP2X_ACCEL_BASE + offset, 32);
    return g_pulGP2XAccel[offset >> 2];
}
inline void GP2X_AW32(u32 offset, u32 value)
{
    if (__builtin_expect(g_pfnGP2XRegWrite != nullptr, 0)) {
        g_pfnGP2XRegWrite(GP2X_ACCEL_BASE + offset, value, 32);
        return;
    }
    g_pulGP2XAccel[offset >> 2] = value;
}
inline void GP2X_SET16(u32 phys, u32 bits) { GP2X_W16(phys, GP2X_R16(phys) | bits); }
inline void GP2X_CLR16(u32 phys, u32 bits) { GP2X_W16(phys, GP2X_R16(phys) & ~bits); }
// Replaces the bits of mask with value (already shifted into place).
inline void GP2X_PUT16(u32 phys, u32 mask, u32 value)
{
    GP2X_W16(phys, (GP2X_R16(phys) & ~mask) | (value & mask));
}

// Back-end state shared between the source files.
extern u32 g_ulGP2XModel;           // 0, 256 or 257
extern u32 g_ulGP2XFirmwareVersion; // major << 16 | minor << 8 | patch
extern u32 g_ulDISPLAY_MODE;
extern s32 g_nColorBitDepth;
extern s32 g_nScreenSizeX, g_nScreenSizeY;
extern s32 g_nGP2XTouchFd;
extern s32 g_nGP2XInputFd[4];

// The handheld's RGB source size per display mode.
extern const u16 g_usGP2XModeSizeX[33];
extern const u16 g_usGP2XModeSizeY[33];

inline u32 GP2X_IsTV() { return ZKT_ModeIsTV(g_ulDISPLAY_MODE); }
inline u32 GP2X_IsPAL() { return ZKT_ModeIsPAL(g_ulDISPLAY_MODE); }
inline u32 GP2X_Phys(u32 offset) { return offset + GP2X_VIDEO_BASE; }

// Milliseconds from the real-time clock, not yet relative to the base.
u32 GP2X_ReadRTCMs();
// Opens or closes the input event devices (20 ms settling wait between).
void GP2X_OpenInputDevices(u32 bOpen);
void GP2X_CloseDevices();

// A caption byte with its odd parity bit (bit 7).
u8 ZKT_CC_OddParity(u8 c);

// The second core's program, loaded at its address 0.
extern const u32 g_ulGP2X_940_IMAGE[ARM940_IMAGE_WORDS];

#endif
