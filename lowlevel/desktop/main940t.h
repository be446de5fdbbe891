// The second core's side of the command channel: its entry point and the
// integer routines written for it. The ARM940T has no divide instruction,
// so division is shift-subtract and trigonometry reads tables that the
// first core fills in the shared block.
#ifndef MAIN940T_H
#define MAIN940T_H

#include "lowlevel/zkt_lowLevel.h"

// Offsets in the shared data area (g_pGP2X_DUALCORE_MEM).
#define ZKT_940_SLOTS_OFFSET 0x0040u
#define ZKT_940_HEADER_OFFSET 0x0FE0u
#define ZKT_940_FLAG_OFFSET 0x1000u
#define ZKT_940_RAND_OFFSET 0x1024u
#define ZKT_940_SIN_OFFSET 0x8000u
#define ZKT_940_COS_OFFSET 0x10000u
#define ZKT_940_TABLE_STEPS 4096

// One call per command; the command value is not examined.
void ZKT_Arm940T_Main(u32 command);

// Multiplicative generator, state at ZKT_940_RAND_OFFSET; 0..65534.
u32 Rand940();
// Quotients are right below 2^17 only, and |b| must stay below 32768.
s32 Div940(s32 a, s32 b);
// Remainder of |a| by b (sign of a dropped); meant for b > 0.
s32 Mod940(s32 a, s32 b);
// r * sin / cos of the angle num / den of a full turn, from the tables.
s32 _intsin940(s32 r, s32 num, s32 den);
s32 _intcos940(s32 r, s32 num, s32 den);
// Division by 4096, 2 and 8, truncating toward zero.
s32 DivINTFL940(s32 x);
s32 DIV2_940(s32 x);
s32 DIV8_940(s32 x);

#endif
