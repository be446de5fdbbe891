// Basic tools: integer trigonometry, memory block operations, sorting and
// random numbers, and the configuration file.
#ifndef ZKT_BASICTOOLS_H
#define ZKT_BASICTOOLS_H

#include "lowlevel/zkt_lowLevel.h"

// ---- Integer trigonometry ----

// ---- end of integer trigonometry ----

// ---- Memory block operations ----

// ---- end of memory block operations ----

// ---- Sorting and random numbers ----

// ---- end of sorting and random numbers ----

// ---- Configuration file ----

// ---- end of configuration file ----

#endif
