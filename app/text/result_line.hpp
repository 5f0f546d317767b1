// The formatting of one line of "wyniki.txt": the tag of the system the point is now in, then its two
// coordinates with four decimals.
#pragma once

#include <cstddef>
#include <string_view>

#include "fixed_format.hpp"

namespace zelmor {

// Line ending of the results file: the platform's text-file convention.
#ifdef _WIN32
inline constexpr std::string_view kResultLineEnd = "\r\n";
#else
inline constexpr std::string_view kResultLineEnd = "\n";
#endif

// Room that any result line needs: tag, two blanks, two numbers, line ending.
inline constexpr std::size_t kMaxResultLineLength = 3 + 2 * kMaxFixed4Length + 2;

// Writes "<tag> <first> <second>" and the line ending, each number as printf("%.4f") prints it.
// `out` must have room for kMaxResultLineLength characters. Returns the length written.
std::size_t format_result_line(char* out, char tag, double first, double second);

}  // namespace zelmor
