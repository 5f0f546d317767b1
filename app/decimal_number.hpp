// Exact reading of one decimal number, with "." as its point. (The rare numbers of more than 19 digits
// or beyond the exact powers of ten go to the C library's strtod, in the C locale that this program
// never leaves.)
#pragma once

#include <cstddef>
#include <string_view>

#include "byte_window.hpp"

namespace zelmor {

// Reads the number at the start of `text`: an optional sign, digits with an optional "." fraction (at
// least one digit in all) and an optional exponent ("e" or "E", optional sign, at least one digit).
// The longest such prefix is the number; what follows is left to the caller. The value is the double
// nearest to the decimal value (ties to even), as strtod gives it: too large for a double is infinite,
// too small is zero or the nearest subnormal.
//
// Not numbers: number words ("nan", "inf"), and hexadecimal forms ("0x1p3"), which some readers accept.
// Returns the number of characters used, or 0 when `text` does not start with a number (then `value` is
// untouched). `text` must be followed by kReadPadding readable bytes.
std::size_t read_decimal(double& value, std::string_view text);

}  // namespace zelmor
