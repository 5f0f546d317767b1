// A quick reading of the common shape of a point line, as a field export writes it.
#pragma once

#include <string_view>

#include "line_scan.hpp"

namespace zelmor {

// Reads `line` when it has the common shape: blanks, a tag, blanks, then two unsigned decimal numbers
// of at most eight digits before and after the point, separated by blanks or touching, the whole ending
// within the line's first 32 bytes and not followed by an exponent mark or an "x". Returns false, with
// `record` in any state, for every other line; the general scanner reads those. What it reads is always
// what the general scanner would read. The plainest lines ("W 52.2297 21.0122", one space apart, nothing
// after) take a shorter way still. `line` must be preceded by kLeadPadding and followed by kReadPadding
// readable bytes.
bool scan_simple_line(PointRecord& record, std::string_view line);

}  // namespace zelmor
