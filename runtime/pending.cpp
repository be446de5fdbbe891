// Stand-ins for subsystems that are still being built, so that the runtime
// links and runs its real loop meanwhile. Each subsystem deletes its block
// here when it lands.
#include "runtime/pending.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstring>

#include "assets/assets.h"
#include "draw/zkt_draw.h"
#include "tools/zkt_lowLevelCommon.h"
#include "ui/zkt_tinymenu_vol.h"

