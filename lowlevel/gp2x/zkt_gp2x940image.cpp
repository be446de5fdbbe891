// The second core's program image, loaded at its address 0 by
// ZKT_DualCoreStart. Until the queue-serving program is built this is a
// parking image: every exception vector branches to itself, so a released
// core idles harmlessly and takes no commands.
#include "lowlevel/gp2x/zkt_lowLevelGP2X.h"

#define GP2X_B_SELF 0xEAFFFFFEu // b .

const u32 g_ulGP2X_940_IMAGE[GP2X_940_IMAGE_WORDS] = {
    GP2X_B_SELF, GP2X_B_SELF, GP2X_B_SELF, GP2X_B_SELF, GP2X_B_SELF, GP2X_B_SELF, GP2X_B_SELF, GP2X_B_SELF,
};
static_assert(sizeof g_ulGP2X_940_IMAGE == 1040, "260 words");
