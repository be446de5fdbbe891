// The blitter's raster engine, run on any memory block: the desktop back end
// runs it on its video memory, a simulated handheld chip can run the jobs it
// is handed through the same code. Every read and write is kept inside
// [mem, mem + memSize); the part of a rectangle that reaches outside is cut.
#ifndef ZKT_BLITCORE_H
#define ZKT_BLITCORE_H

#include "lowlevel/zkt_lowLevel.h"

// The sixteen raster operations; the index is the truth table:
// result bit = bit (2 * s + d) of the index. 8-bit blits use the low byte.
inline u16 BlitterOp_0(u16, u16) { return 0; }
inline u16 BlitterOp_1(u16 s, u16 d) { return (u16)~(s | d); }
inline u16 BlitterOp_2(u16 s, u16 d) { return (u16)(~s & d); }
inline u16 BlitterOp_3(u16 s, u16) { return (u16)~s; }
inline u16 BlitterOp_4(u16 s, u16 d) { return (u16)(s & ~d); }
inline u16 BlitterOp_5(u16, u16 d) { return (u16)~d; }
inline u16 BlitterOp_6(u16 s, u16 d) { return (u16)(s ^ d); }
inline u16 BlitterOp_7(u16 s, u16 d) { return (u16)~(s & d); }
inline u16 BlitterOp_8(u16 s, u16 d) { return (u16)(s & d); }
inline u16 BlitterOp_9(u16 s, u16 d) { return (u16)~(s ^ d); }
inline u16 BlitterOp_A(u16, u16 d) { return d; }
inline u16 BlitterOp_B(u16 s, u16 d) { return (u16)(~s | d); }
inline u16 BlitterOp_C(u16 s, u16) { return s; }
inline u16 BlitterOp_D(u16 s, u16 d) { return (u16)(s | ~d); }
inline u16 BlitterOp_E(u16 s, u16 d) { return (u16)(s | d); }
inline u16 BlitterOp_F(u16, u16) { return 0xFFFF; }

typedef u16 (*ZKT_BlitterOp)(u16 s, u16 d);

inline constexpr ZKT_BlitterOp g_pBlitterOps[16] = {
    BlitterOp_0, BlitterOp_1, BlitterOp_2, BlitterOp_3, BlitterOp_4, BlitterOp_5, BlitterOp_6, BlitterOp_7,
    BlitterOp_8, BlitterOp_9, BlitterOp_A, BlitterOp_B, BlitterOp_C, BlitterOp_D, BlitterOp_E, BlitterOp_F};

// Same arguments and meaning as ZKT_HwBitBlt, on the block mem of memSize
// bytes. The operation index is taken modulo 16.
// One-bit source (ZKT_BLT_MONO): srcPitch counts bits, and pixel c of row r
// takes bit 7 - c % 8 of byte srcOffset + r * srcPitch / 8 + c / 8 (most
// significant bit leftmost) as fgColor (1) or bgColor (0). 16-bit pixels use
// the same bit order and receive the whole 16-bit colour; 8-bit pixels its
// low byte.
void ZKT_BlitRun(u8 *mem, u32 memSize, u32 dstOffset, u32 dstPitch, u16 width, u16 height, u32 srcOffset,
                 u32 srcPitch, u32 flags, u16 transparentColor, u16 bgColor, u16 fgColor);

// Same arguments and meaning as ZKT_HwBitBltRotate, on the block mem.
void ZKT_BlitRotateRun(u8 *mem, u32 memSize, u32 dstOffset, u32 dstPitch, u16 width, u16 height, u32 srcOffset,
                       u32 srcPitch, u32 mode);

#endif
