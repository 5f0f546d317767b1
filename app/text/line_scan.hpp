// The reading of one input line: a one-character system tag followed by two numbers.
#pragma once

#include <string_view>

#include "line_paddings.hpp"

namespace zelmor {

// One point as read from a line: the system tag ('W' geodetic degrees, 'P' grid metres, or anything
// else) and the two coordinates in the order they are written.
struct PointRecord {
    char tag;
    double first;
    double second;
};

// Items in a line that holds a point: the tag and two numbers.
inline constexpr int kPointItems = 3;

// Reads the start of `line` (one line without its newline) the way the format "%1s %lf %lf" does:
// leading white space (space, \t, \n, \v, \f, \r) is skipped and the tag is the first other byte; white
// space before each number is skipped and none is required; anything after the second number is
// ignored, except a comma and a digit right after it: "21,0122" is a number with a decimal comma, not
// 21, so the line has no second number (as "52,2297 21" has none). A NUL byte ends the readable text,
// as it ends a C string. Numbers are read by read_decimal.
//
// `cut` says that `line` is only the start of a longer line: a second number that might go on past the
// end of `line` (its digits, or an exponent mark and sign, or a comma after it, run up to that end) is
// not taken.
//
// `line` must be preceded by kPaddingBefore and followed by kPaddingAfter readable bytes (they are loaded,
// never used).
//
// Returns how many items were read, 0 to 3; `record` holds those items.
int scan_line(PointRecord& record, std::string_view line, bool cut);

// The two ways scan_line reads, apart so that they can be held against each other.
//
// The quick way, for lines of plain decimals: blanks, the tag, blanks, a number, blanks, a number, then
// the line's end or a blank and anything. Each number is an optional sign, digits and an optional point
// and digits, 19 digits at most whose integer is at most 2^53, so that one correctly rounded division
// gives its value; the second must end within the line's first 64 bytes. It reads such a line exactly
// as the general way does and returns true (so it may for a few more, when a number is long enough to
// be left to the general number reader); for every other line it returns false, with `record` in any
// state.
bool scan_quick_line(PointRecord& record, std::string_view line);

// The general way, for any line.
int scan_any_line(PointRecord& record, std::string_view line, bool cut);

}  // namespace zelmor
