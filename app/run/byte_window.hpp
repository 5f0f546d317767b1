// The first 32 bytes of a line looked at all at once, to find its end: one bit per byte (bit i for
// byte i).
#pragma once

#include <cstddef>
#include <cstdint>

#include "fast_paths.hpp"
#include "line_paddings.hpp"

namespace zelmor {

// Bytes that one window covers: the reader may load them at the start of a line that it hands out, so
// they lie within the padding after any shorter line.
inline constexpr std::size_t kLineEndSearchBytes = 32;
static_assert(kLineEndSearchBytes <= kPaddingAfter);

// Bit i set when byte i of the `kLineEndSearchBytes` bytes at `p` equals `c`. All of them must be readable.
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
    for (std::size_t i = 0; i < kLineEndSearchBytes; ++i) {
        bits |= static_cast<std::uint32_t>(p[i] == c) << i;
    }
    return bits;
#endif
}

}  // namespace zelmor
