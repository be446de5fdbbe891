// Basic tools: integer trigonometry, memory block operations, sorting and
// random numbers, and the configuration file.
#ifndef ZKT_BASICTOOLS_H
#define ZKT_BASICTOOLS_H

#include "lowlevel/zkt_lowLevel.h"

// ---- Integer trigonometry ----

// Biased tables, 4096 steps per turn: sine entry i is about
// 32768 + 32768 x sin(2 pi i / 4096), 1 to 65535; cosine entry i is sine
// entry (i + 1024) mod 4096. Zero until ZKT_PreCalc_SinCos has run.
#define ZKT_TRIG_STEPS 4096
extern s32 g_ZKT_SIN[ZKT_TRIG_STEPS];
extern s32 g_ZKT_COS[ZKT_TRIG_STEPS];

// Fills both tables; copies them out to sinOut / cosOut when given.
void ZKT_PreCalc_SinCos(s32 *sinOut, s32 *cosOut);

// amplitude x sin or cos(2 pi angle / period). The angle's unit is the
// caller's (period 3600 = tenths of a degree). Needs period > 0,
// 0 <= amplitude <= 32767 and angle x 4096 + period / 2 within s32.
s32 _intsin(s32 amplitude, s32 angle, s32 period);
s32 _intcos(s32 amplitude, s32 angle, s32 period);
// Truncating instead of rounding; one less at the positive peak.
s32 _intsinFast(s32 amplitude, s32 angle, s32 period);
s32 _intcosFast(s32 amplitude, s32 angle, s32 period);
// 1024 x cos(2 pi angle / period), -1024 to 1023.
s32 _intcosFast1024(s32 angle, s32 period);

// ---- end of integer trigonometry ----

// ---- Memory block operations ----

// ---- end of memory block operations ----

// ---- Sorting and random numbers ----

// Positive when a belongs after b; zero or negative keeps a first.
typedef s32 (*ZKT_SortCompare)(const void *a, const void *b);

// Stable ascending merge sort of count records of size bytes each, moved as
// raw bytes once. Leaves the array untouched when count < 2 or when the
// temporary buffers cannot be allocated.
void ZKT_Sort(void *base, s32 count, u32 size, ZKT_SortCompare compare);

// Next value of the fixed-seed generator (seed 17 at start), 0 to 65534.
s32 ZKT_Rand();

// ---- end of sorting and random numbers ----

// ---- Configuration file ----

// ---- end of configuration file ----

#endif
