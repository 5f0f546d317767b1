// The reading of one input line: a one-character system tag followed by two numbers.
#pragma once

#include <string_view>

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
// ignored. A NUL byte ends the readable text, as it ends a C string. Numbers are read by read_decimal.
//
// `cut` says that `line` is only the start of a longer line: a second number that runs up to the end of
// `line` might go on, so it is not taken.
//
// `line` must be preceded by kLeadPadding and followed by kReadPadding readable bytes (they are loaded,
// never used).
//
// Returns how many items were read, 0 to 3; `record` holds those items.
int scan_line(PointRecord& record, std::string_view line, bool cut);

}  // namespace zelmor
