// Basic tools: integer trigonometry, memory block operations, sorting and
// random numbers, and the configuration file.
#ifndef ZKT_BASICTOOLS_H
#define ZKT_BASICTOOLS_H

#include "lowlevel/zkt_lowLevel.h"

// ---- Integer trigonometry ----

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
