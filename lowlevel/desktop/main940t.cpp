// Second-core routines. On the desktop they run on the emulation thread;
// the arithmetic is kept bit-exact with what the ARM940T computes, in
// 32-bit registers, so both builds give the same numbers.
#include "lowlevel/desktop/main940t.h"

#include <cstring>

#include "lowlevel/desktop/zkt_lowLevelWin.h"

static u32 Load940(u32 offset)
{
    u32 v;
    std::memcpy(&v, g_pGP2X_DUALCORE_MEM + offset, 4);
    return v;
}

static void Store940(u32 offset, u32 v)
{
    std::memcpy(g_pGP2X_DUALCORE_MEM + offset, &v, 4);
}

void ZKT_Arm940T_Main(u32 command)
{
    (void)command;
    if (g_pGP2X_DUALCORE_MEM)
        Store940(ZKT_940_FLAG_OFFSET, 1);
}

u32 Rand940()
{
    u32 state = Load940(ZKT_940_RAND_OFFSET) * 0x495u;
    Store940(ZKT_940_RAND_OFFSET, state);
    return state % 65535u;
}

// The loops work on 32-bit words with wrapping shifts and signed compares,
// as the core's registers do; out-of-range inputs give the core's garbage
// rather than undefined behaviour here.
static u32 Abs940(s32 v)
{
    return v < 0 ? 0u - (u32)v : (u32)v;
}

s32 Div940(s32 a, s32 b)
{
    if (b == 0)
        return 0x7FFFFFFF;
    s32 A = (s32)Abs940(a);
    u32 B = Abs940(b);
    u32 q = 0;
    for (int i = 16; i >= 0; i--) {
        s32 step = (s32)(B << i);
        if (step <= A) {
            A = (s32)((u32)A - (u32)step);
            q += 1u << i;
        }
    }
    return ((a < 0) != (b < 0)) ? (s32)(0u - q) : (s32)q;
}

s32 Mod940(s32 a, s32 b)
{
    if (b == 0)
        return 0x7FFFFFFF;
    s32 A = (s32)Abs940(a);
    for (int i = 16; i >= 0; i--) {
        s32 step = (s32)((u32)b << i);
        if (step <= A)
            A = (s32)((u32)A - (u32)step);
    }
    return A;
}

static s32 TableTrig940(u32 tableOffset, s32 r, s32 num, s32 den)
{
    u32 index = (u32)Div940((s32)((u32)num * 4096u), den) & 4095u;
    u32 T = Load940(tableOffset + index * 4);
    s32 prod = (s32)((u32)r * 2u * T);
    return (s32)((u32)(prod >> 16) - (u32)r);
}

s32 _intsin940(s32 r, s32 num, s32 den)
{
    return TableTrig940(ZKT_940_SIN_OFFSET, r, num, den);
}

s32 _intcos940(s32 r, s32 num, s32 den)
{
    return TableTrig940(ZKT_940_COS_OFFSET, r, num, den);
}

static s32 ShiftDiv940(s32 x, int shift)
{
    if (x < 0)
        return (s32)(0u - ((0u - (u32)x) >> shift));
    return x >> shift;
}

s32 DivINTFL940(s32 x) { return ShiftDiv940(x, 12); }
s32 DIV2_940(s32 x) { return ShiftDiv940(x, 1); }
s32 DIV8_940(s32 x) { return ShiftDiv940(x, 3); }
