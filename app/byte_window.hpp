// The first 32 bytes of a line looked at all at once: one bit per byte (bit i for byte i).
#pragma once

#include <cstddef>
#include <cstdint>

#include "fast_paths.hpp"

namespace zelmor {

// Bytes that one window covers.
inline constexpr std::size_t kWindowBytes = 32;

// Bytes after the end of a text that the line readers may load (a line's start a window at a time,
// digits eight at a time) but never use: whoever hands them a text must own at least this many
// readable bytes after it.
inline constexpr std::size_t kReadPadding = kWindowBytes;

// Bytes before the start of a line that the scanner may load (a number's digits are loaded in 16 bytes
// ending at its end, and again one byte earlier) but never use: whoever hands it a line must own at
// least this many readable bytes before it.
inline constexpr std::size_t kLeadPadding = 16;

// Bit i set when byte i of the `kWindowBytes` bytes at `p` equals `c`. All of them must be readable.
inline std::uint32_t window_bytes_equal(const char* p, char c)
{
#if defined(ZELMOR_SSE2)
    const __m128i wanted = _mm_set1_epi8(c);
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const auto low_bits = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(low, wanted)));
    const auto high_bits = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(high, wanted)));
    return low_bits | (high_bits << 16);
#else
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < kWindowBytes; ++i) {
        bits |= static_cast<std::uint32_t>(p[i] == c) << i;
    }
    return bits;
#endif
}

}  // namespace zelmor
