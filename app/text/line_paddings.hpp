// The bytes around a line that the readers of its text may load but never use: whoever hands them a
// line must own this many readable bytes before and after it. Loading whole words and vectors, even
// where a line ends within them, is what makes the readers quick.
#pragma once

#include <cstddef>

namespace zelmor {

// Before a line: a number's digits are loaded in 16 bytes that end at its end, and again one byte
// earlier.
inline constexpr std::size_t kPaddingBefore = 16;

// After a line: its first 32 bytes are loaded at once, and the next 32 when the line is longer.
inline constexpr std::size_t kPaddingAfter = 32;

}  // namespace zelmor
