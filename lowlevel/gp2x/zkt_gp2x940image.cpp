// The second core's program image, loaded at its address 0 by
// ZKT_DualCoreStart: assembled from arm940/arm940.S.
#include "lowlevel/gp2x/zkt_lowLevelGP2X.h"

const u32 g_ulGP2X_940_IMAGE[ARM940_IMAGE_WORDS] = {
#include "lowlevel/gp2x/arm940/arm940_image.inc"
};
static_assert(sizeof g_ulGP2X_940_IMAGE == 1040, "260 words");
