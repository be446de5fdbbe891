// Snapshots of the simulated chip (see scene.h) read back into the desktop
// model and composed there by the software compositor: how the handheld
// back end's pictures are checked.
#ifndef VORN_TESTS_SNAP_DECODE_H
#define VORN_TESTS_SNAP_DECODE_H

#include <cstdio>
#include <vector>

#include "scene.h"

struct Snap {
    SNAP_HEADER h;
    std::vector<u16> regs;
    std::vector<SNAP_PORT_WRITE> ports;
    std::vector<u8> video;
};

// The next snapshot from f; false at its end or on a short one.
bool ReadSnap(FILE *f, Snap *s);
// Reads the chip's state into the desktop model: everything the compositor
// looks at (the desktop API must be started).
void Decode(Snap &s);
// Composes the desktop model: blue, green, red per pixel, top line first.
std::vector<u8> Compose(s32 *pW, s32 *pH);

#endif
