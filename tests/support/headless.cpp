// Linked into every test program: tests never need a display or a sound
// card, whatever the environment they are started from.
#include <cstdlib>

namespace {
struct Headless {
    Headless()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
    }
} s_headless;
} // namespace
