// Exact reading of one decimal number, with "." as its point. (The rare numbers of more than 19 digits
// or beyond the exact powers of ten go to the C library's strtod, in the C locale that this program
// never leaves.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zelmor {

// Powers of ten that are exact in a double: 10^0 .. 10^22.
inline constexpr int kMaxExactPowerOfTen = 22;
inline constexpr double kPowersOfTen[kMaxExactPowerOfTen + 1] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22,
};
// Largest integer from which every smaller one is exact in a double: 2^53.
inline constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;

// Reads the number at the start of `text`: an optional sign, digits with an optional "." fraction (at
// least one digit in all) and an optional exponent ("e" or "E", optional sign, at least one digit).
// The longest such prefix is the number; what follows is left to the caller. The value is the double
// nearest to the decimal value (ties to even), as strtod gives it: too large for a double is infinite,
// too small is zero or the nearest subnormal.
//
// Not numbers: number words ("nan", "inf"), and hexadecimal forms ("0x1p3"), which some readers accept.
// Returns the number of characters used, or 0 when `text` does not start with a number (then `value` is
// untouched).
std::size_t read_decimal(double& value, std::string_view text);

}  // namespace zelmor
