// The frames both back ends are compared on: the presentation's own parts
// painted at chosen times, then the volume indicator and the menu, driven
// through the API alone so that one source runs on either back end.
#ifndef VORN_TESTS_SCENE_H
#define VORN_TESTS_SCENE_H

#include "lowlevel/zkt_lowLevel.h"

struct SCENE {
    const char *strName;
    u32 ulTime;  // presentation time, ms
    u32 ulInput; // buttons held in this frame
};

extern const SCENE g_Scenes[];
extern const u32 g_nScenes;

// After ZKT_InitLowLevelAPI: display mode (the presentation's 0, 12 or 26),
// tables, volume and menu, parts.
void Scene_Begin(u32 mode);
// One round of the main loop at the scene's time, with its buttons.
void Scene_Frame(u32 i);

// Snapshot of the simulated chip after a frame (written by vorn-gp2x-snap,
// read by the comparison).
#define SNAP_MAGIC 0x504E5356u // "VSNP"
struct SNAP_HEADER {
    u32 ulMagic;
    u32 ulMode, ulDepth;
    u32 ulPortWrites; // palette and gamma port writes since start, in order
};
struct SNAP_PORT_WRITE {
    u32 ulAddr;
    u32 ulValue;
};
#define SNAP_REG_BYTES 0x10000u
// File: header, the register block (SNAP_REG_BYTES, 16-bit cells), the port
// writes, then the 8 MiB of video memory.

#endif
