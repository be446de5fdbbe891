// Declarations of subsystems that are still being built. Each block goes
// away when its subsystem lands with its own header.
#ifndef VORN_PENDING_H
#define VORN_PENDING_H

#include <mikmod.h>

#include "lowlevel/zkt_lowLevel.h"


#endif
