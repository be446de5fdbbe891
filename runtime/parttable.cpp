// The presentation's timeline: the splash, then the main part. Shared by
// every program that runs the presentation.
#include "parts/dp_splashzkt.h"
#include "parts/dp_testPart.h"
#include "runtime/demo.h"

const DEMO_PART g_DemoParts[DEMO_PART_COUNT] = {
    {0, 12000, ZKT_DP_SplashZkt_Reset, ZKT_DP_SplashZkt_Init, ZKT_DP_SplashZkt_Paint},
    {12000, 126000, ZKT_DP_TestPart_Reset, ZKT_DP_TestPart_Init, ZKT_DP_TestPart_Paint},
};
