// Exact printing of a double with four decimals, as printf("%.4f") prints it in the C locale.
#pragma once

#include <cstddef>

namespace zelmor {

// Room that any double needs in this form: sign, 309 integer digits, point, four decimals.
inline constexpr std::size_t kMaxFixed4Length = 320;

// Writes `value` to `out` with four decimals, rounding its exact binary value half to even, with "-"
// for every negative value ("-0.0000" included) and "." as the point (huge and non-finite values go to
// the C library's printer, in the C locale that this program never leaves).
// `out` must have room for kMaxFixed4Length characters; the text is not terminated, and bytes after it
// within that room may be overwritten. Returns the length.
std::size_t format_fixed4(char* out, double value);

// Writes "<first> <second>", each as format_fixed4 writes it (the two are spelled together where the
// processor allows). `out` must have room for 2 * kMaxFixed4Length + 1 characters. Returns the length.
std::size_t format_fixed4_pair(char* out, double first, double second);

}  // namespace zelmor
