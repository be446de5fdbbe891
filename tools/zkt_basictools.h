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

// Byte copy and fill that switch to 32-bit words where the addresses allow.
// Both work forwards; overlapping ranges are not supported.
void ZKT_MEMCPY(void *dst, const void *src, u32 n);
void ZKT_MEMSET(void *dst, s32 value, u32 n);   // low 8 bits of value

// Whole-word fill of a 4-byte-aligned destination: n / 4 words, the last
// n % 4 bytes are left alone. Returns the address after the last word.
u32 *ZKT_FAST_MEMSET(void *dst, u32 value, u32 n);

// Whole-word copy, source first: n / 4 words, the last n % 4 bytes are not
// copied.
void ZKT_MEMORY_XFER_32BIT_FUNC(const void *src, void *dst, u32 n);

// Places a packed bit rectangle (rows of (width + 7) / 8 bytes, bit 0 first)
// at bit bitOffset of dst, bitPitch bits per destination row.
void ZKT_BLKMEMCPY(void *dst, u32 bitOffset, u32 bitPitch, const void *src, u32 width, u32 height);

// As ZKT_BLKMEMCPY, but even source rows go to dstEven and odd ones to
// dstOdd, each destination with its own row counter (two interlaced fields).
void ZKT_BLKMEMCPY_INTERLACE(void *dstEven, void *dstOdd, u32 bitOffset, u32 bitPitch, const void *src,
                             u32 width, u32 height);

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

// The SPEED value of "config.txt" in the working directory, or 0 when the
// file is missing, unreadable or has no key. The name is not used.
s32 ZKT_ParseConfig(const char *name);
// The same scan over bytes already in memory; never reads outside them.
s32 ZKT_ParseConfigBuffer(const u8 *data, u32 length);
// Any other numeric key, read by the same rules (case-insensitive, anywhere,
// the last occurrence wins, every digit on its line). Returns 0 when the key
// is absent, ZKT_CONFIG_NUMBER with *pValue set, or ZKT_CONFIG_NOT_A_NUMBER
// when its line has no digits or more than 32 bits of them.
#define ZKT_CONFIG_NUMBER 1u
#define ZKT_CONFIG_NOT_A_NUMBER 2u
u32 ZKT_ParseConfigKey(const char *key, u32 *pValue);
u32 ZKT_ParseConfigKeyBuffer(const u8 *data, u32 length, const char *key, u32 *pValue);
// Files above this size are not read (0): no real configuration is that big.
#define ZKT_CONFIG_MAX_SIZE (1u << 20)
// The configured clock as the runtime uses it: read as unsigned, so that
// a wrapped negative number counts as large, then held to 175..266 MHz.
u32 ZKT_ClampCPUClock(u32 mhz);

// ---- end of configuration file ----

#endif
