// Exact printing of a double with four decimals, as printf("%.4f") prints it in the C locale.
#pragma once

#include <cstddef>

namespace zelmor {

// Room that any double needs in this form: sign, 309 integer digits, point, four decimals.
inline constexpr std::size_t kMaxFixed4Length = 320;

// Writes `value` to `out` with four decimals, rounding its exact binary value half to even, with "-"
// for every negative value ("-0.0000" included) and "." as the point. (Values that no coordinate takes,
// zero and those below 2^-11 or from 2^26 on, and non-finite ones go to the C library's printer, in the
// C locale that this program never leaves.)
// `out` must have room for kMaxFixed4Length characters; the text is not terminated, and bytes after it
// within that room may be overwritten. Returns the length.
std::size_t format_fixed4(char* out, double value);

// Writes "<first> <second>", each as format_fixed4 writes it. `out` must have room for 2 * kMaxFixed4Length + 1
// characters. Returns the length.
std::size_t format_fixed4_pair(char* out, double first, double second);

}  // namespace zelmor
