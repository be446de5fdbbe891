// 3D rotation math. The fixed-point flavour normalises every product of two
// 12-bit values before it is used again, so intermediate values stay within
// 32 bits on the handheld's core.
#include "tools/zkt_3d.h"

#include <cmath>

#include "tools/zkt_basictools.h"

namespace {

typedef long long s64;

// The handheld forms these sums in 32-bit registers; do the same here with
// a defined wrap instead of signed overflow.
inline s32 Wrap32(s64 v)
{
    return (s32)(u32)(unsigned long long)v;
}

inline s32 N(s32 v)
{
    return ZKTFL_MUL_NORM(v);
}

// Float to integer, truncating toward zero, saturating instead of the
// undefined conversion of an out-of-range value.
inline s32 TruncSat(float f)
{
    if (!(f > -2147483648.0f))
        return f != f ? 0 : INT32_MIN;
    if (f >= 2147483648.0f)
        return INT32_MAX;
    return (s32)f;
}

} // namespace

void ZKT_Rotation_Matrix(s32 a, s32 b, s32 c, ROT_MATRIX *out)
{
    const float ra = ((float)a * 6.2831855f) / 3600.0f;
    const float rb = ((float)b * 6.2831855f) / 3600.0f;
    const float rc = ((float)c * 6.2831855f) / 3600.0f;
    const float cA = (float)std::cos((double)ra), sA = (float)std::sin((double)ra);
    const float cB = (float)std::cos((double)rb), sB = (float)std::sin((double)rb);
    const float cC = (float)std::cos((double)rc), sC = (float)std::sin((double)rc);
    float *m = out->m;
    m[0] = cA * cC;
    m[1] = sA * sB * cC + cB * sC;
    m[2] = sB * sC - sA * cB * cC;
    m[3] = -cA * sC;
    m[4] = cB * cC - sA * sB * sC;
    m[5] = sA * cB * sC + sB * cC;
    m[6] = sA;
    m[7] = -cA * sB;
    m[8] = cA * cB;
}

void ZKT_Int_Rotation_Matrix(s32 a, s32 b, s32 c, INT_ROT_MATRIX *out)
{
    const s32 cA = _intcos(4096, a, 3600), sA = _intsin(4096, a, 3600);
    const s32 cB = _intcos(4096, b, 3600), sB = _intsin(4096, b, 3600);
    const s32 cC = _intcos(4096, c, 3600), sC = _intsin(4096, c, 3600);
    s32 *m = out->m;
    m[0] = N(cA * cC);
    m[1] = N(cB * sC) + N(cC * N(sB * sA));
    m[2] = N(sB * sC) - N(cC * N(cB * sA));
    m[3] = -N(cA * sC);
    m[4] = N(cB * cC) - N(sC * N(sB * sA));
    m[5] = N(cC * sB) + N(sC * N(cB * sA));
    m[6] = sA;
    m[7] = -N(cA * sB);
    m[8] = N(cB * cA);
}

void ZKT_Apply_Rotation_Matrix(s32 *x, s32 *y, s32 *z, const ROT_MATRIX *m)
{
    const float px = (float)*x, py = (float)*y, pz = (float)*z;
    const float *r = m->m;
    *x = TruncSat(px * r[0] + py * r[1] + pz * r[2]);
    *y = TruncSat(px * r[3] + py * r[4] + pz * r[5]);
    *z = TruncSat(px * r[6] + py * r[7] + pz * r[8]);
}

void ZKT_Apply_Int_Rotation_Matrix(s32 *x, s32 *y, s32 *z, const INT_ROT_MATRIX *m)
{
    const s64 px = *x, py = *y, pz = *z;
    const s32 *r = m->m;
    *x = N(Wrap32(px * r[0] + py * r[1] + pz * r[2]));
    *y = N(Wrap32(px * r[3] + py * r[4] + pz * r[5]));
    *z = N(Wrap32(px * r[6] + py * r[7] + pz * r[8]));
}

void ZKT_Combine_Rotation(ROT_MATRIX *a, const ROT_MATRIX *p)
{
    float t[9];
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            t[i * 3 + j] = a->m[i * 3] * p->m[j] + a->m[i * 3 + 1] * p->m[3 + j] + a->m[i * 3 + 2] * p->m[6 + j];
    for (int k = 0; k < 9; k++)
        a->m[k] = t[k];
}

void ZKT_Combine_Int_Rotation(INT_ROT_MATRIX *a, const INT_ROT_MATRIX *p)
{
    s32 t[9];
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            t[i * 3 + j] = N(Wrap32((s64)a->m[i * 3] * p->m[j] + (s64)a->m[i * 3 + 1] * p->m[3 + j] +
                                    (s64)a->m[i * 3 + 2] * p->m[6 + j]));
    for (int k = 0; k < 9; k++)
        a->m[k] = t[k];
}

void ZKT_Translation(s32 *x, s32 *y, s32 *z, s32 dx, s32 dy, s32 dz)
{
    *x = Wrap32((s64)*x + dx);
    *y = Wrap32((s64)*y + dy);
    *z = Wrap32((s64)*z + dz);
}
