// Desktop stand-in for the compositor, which is still being built. It lives
// in the desktop back end so that the handheld back end links its own; it
// goes away when the compositor lands.
#include <SDL/SDL.h>

#include "lowlevel/zkt_lowLevel.h"

// ---- compositor ----
void ZKT_LowLevelAPI_SoftRender()
{
    SDL_Delay(2);
}
