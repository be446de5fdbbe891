// A drawing surface with guard pixels before and after it, for the drawing
// library's tests: any write outside the surface shows up in the guards.
#ifndef TESTS_DRAW_SURFACE_H
#define TESTS_DRAW_SURFACE_H

#include <vector>

#include "lowlevel/zkt_lowLevel.h"

template <typename Pixel> struct GuardedSurface {
    static constexpr int kGuard = 4096;
    static constexpr Pixel kGuardValue = (Pixel)0xA5C3E1F7u;
    int w, h;
    std::vector<Pixel> buf;
    GuardedSurface(int width, int height, Pixel fill = 0)
        : w(width), h(height), buf((size_t)width * height + 2 * kGuard, kGuardValue)
    {
        for (int i = 0; i < w * h; i++)
            buf[kGuard + i] = fill;
    }
    Pixel *p() { return buf.data() + kGuard; }
    Pixel at(int x, int y) const { return buf[kGuard + (size_t)y * w + x]; }
    bool GuardsIntact() const
    {
        for (int i = 0; i < kGuard; i++)
            if (buf[i] != kGuardValue || buf[kGuard + (size_t)w * h + i] != kGuardValue)
                return false;
        return true;
    }
    int Count(Pixel v) const
    {
        int n = 0;
        for (int i = 0; i < w * h; i++)
            n += buf[kGuard + i] == v;
        return n;
    }
};

#endif
