// Which build of the scanner's quick way this is: on x86-64, the one that classifies a line's bytes 16
// at a time and joins a number's digits in SSE2 vector lanes; on every other processor, and with the
// CMake option ZELMOR_PORTABLE (so that it is built and tested on x86-64 too), the portable one, which
// does the same eight bytes at a time in 64-bit words. Both read exactly as the general way does.
#pragma once

#if (defined(__x86_64__) || defined(_M_X64)) && !defined(ZELMOR_PORTABLE)
#include <emmintrin.h>
// SSE2, which every x86-64 processor has.
#define ZELMOR_SSE2 1
#endif
