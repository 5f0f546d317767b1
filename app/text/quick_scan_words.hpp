// What the scanner's two quick ways share: a line seen as a mask of its words over its first bytes,
// and the general number reader for a word too long for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "decimal_number.hpp"
#include "line_paddings.hpp"

namespace zelmor::quick {

// A line is seen as words, runs of bytes that are not blanks, found in masks of one bit per byte (bit i
// for byte i) over the line's first kWordMaskBytes bytes: a line whose numbers do not end within them
// goes the general way.
inline constexpr std::size_t kWordMaskBytes = 64;
// Bytes classified at once: nearly every line ends within them; more are looked at only when not.
// They are loaded whatever the line's length, so they must lie within the padding after a shorter line.
inline constexpr std::size_t kClassifyBytes = 32;
static_assert(kClassifyBytes <= kPaddingAfter);

struct LineBytes {
    std::uint64_t solid;   // bytes of the line that are not blanks
    std::uint64_t points;  // '.'
};

// The value of a word that the general number reader reads whole: then the general way reads the same
// number there. False for any other word.
inline bool word_value(double& value, const char* start, const char* end)
{
    const std::string_view word(start, static_cast<std::size_t>(end - start));
    return read_decimal(value, word) == word.size();
}

}  // namespace zelmor::quick
