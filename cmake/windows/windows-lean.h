/* Precompiled once for SDL 1.2's and libmikmod's files: the Windows headers
   take most of the time of each file that reads them. Lean, as both
   libraries ask for them. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
