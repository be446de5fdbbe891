// Every embedded asset, with its length in bytes. The bytes are made at
// build time by the generator programs in this folder.
#ifndef VORN_ASSETS_H
#define VORN_ASSETS_H

#include "lowlevel/zkt_lowLevel.h"

#define VORN_ASSET(name)         \
    extern const u8 name[];      \
    extern const u32 name##_LEN;

// Add one VORN_ASSET line per embedded asset, grouped by its generator.

#endif
