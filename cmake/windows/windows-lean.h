/* Precompiled once for SDL 1.2's and libmikmod's files, and once for ours
   that read the Windows headers: they take most of the time of each file
   that reads them. Lean, as both libraries and our files ask for them. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
