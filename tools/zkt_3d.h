// 3D rotation math in two flavours with one layout: single-precision floats
// and 12-bit fixed point (4096 = 1.0) for the FPU-less handheld core.
// Angles are tenths of a degree. A matrix is row-major m[0]..m[8].
#ifndef ZKT_3D_H
#define ZKT_3D_H

#include "lowlevel/zkt_lowLevel.h"

typedef struct {
    float m[9];
} ROT_MATRIX;

typedef struct {
    s32 m[9];
} INT_ROT_MATRIX;

static_assert(sizeof(ROT_MATRIX) == 36, "ROT_MATRIX is nine floats");
static_assert(sizeof(INT_ROT_MATRIX) == 36, "INT_ROT_MATRIX is nine s32");

// Divide a 12-bit fixed-point product by 4096, rounding toward zero.
static inline s32 ZKTFL_MUL_NORM(s32 v)
{
    return v >= 0 ? (s32)((u32)v >> 12) : -(s32)((0u - (u32)v) >> 12);
}

// Rz(c) * Ry(a) * Rx(b): a turns about Y, b about X, c about Z; a point is
// turned about X first, then Y, then Z.
void ZKT_Rotation_Matrix(s32 a, s32 b, s32 c, ROT_MATRIX *out);
void ZKT_Int_Rotation_Matrix(s32 a, s32 b, s32 c, INT_ROT_MATRIX *out);

// Rotate the point in place (every input read before any output written).
void ZKT_Apply_Rotation_Matrix(s32 *x, s32 *y, s32 *z, const ROT_MATRIX *m);
// Keep coordinates within about +-170000 so the 32-bit sums cannot overflow.
void ZKT_Apply_Int_Rotation_Matrix(s32 *x, s32 *y, s32 *z, const INT_ROT_MATRIX *m);

// a = a * p (p unchanged; p may be a).
void ZKT_Combine_Rotation(ROT_MATRIX *a, const ROT_MATRIX *p);
void ZKT_Combine_Int_Rotation(INT_ROT_MATRIX *a, const INT_ROT_MATRIX *p);

void ZKT_Translation(s32 *x, s32 *y, s32 *z, s32 dx, s32 dy, s32 dz);

#endif
