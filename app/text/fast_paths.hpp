// Which processor-specific ways this build has. Each has a portable twin that gives the same bytes; the
// CMake option ZELMOR_PORTABLE leaves them all out, so that the portable code is built and tested too.
#pragma once

#if (defined(__x86_64__) || defined(_M_X64)) && !defined(ZELMOR_PORTABLE)
#include <emmintrin.h>
// SSE2, which every x86-64 processor has: a line's bytes classified 16 at a time, numbers joined and
// digits spelt in vector lanes.
#define ZELMOR_SSE2 1
#endif
