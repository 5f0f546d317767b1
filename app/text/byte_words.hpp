// Eight bytes of text in one 64-bit word, tested all at once with integer arithmetic (SWAR: SIMD within
// a register), on any processor. Byte i of the text is bits 8i to 8i + 7 of the word whatever the
// processor's byte order, so that bit i of a gathered mask is byte i.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace zelmor::swar {

inline constexpr std::uint64_t kEachByte = 0x0101010101010101;      // 1 in every byte
inline constexpr std::uint64_t kTopBits = 0x8080808080808080;       // the top bit of every byte
inline constexpr std::uint64_t kLowSevenBits = 0x7F7F7F7F7F7F7F7F;  // the other seven bits of every byte

// The eight bytes at `p`, byte i in bits 8i to 8i + 7.
inline std::uint64_t load8(const char* p)
{
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::big) {
        word = __builtin_bswap64(word);
    }
    return word;
}

// The top bit of each byte of `word` that is zero, and no other bit. Exact: the sum that tests the low
// seven bits never carries out of its byte, so no byte's result depends on its neighbours.
inline std::uint64_t zero_bytes(std::uint64_t word)
{
    return ~(((word & kLowSevenBits) + kLowSevenBits) | word | kLowSevenBits);
}

// The top bit of each byte of `word` that equals `c`.
inline std::uint64_t bytes_equal(std::uint64_t word, char c)
{
    return zero_bytes(word ^ (kEachByte * static_cast<unsigned char>(c)));
}

// The top bit of each byte of `word` from `low` to `high`, both below 128. Each byte's low seven bits
// plus 128 - low reach the top bit when they are at least `low`, plus 127 - high when above `high`;
// neither sum carries out of its byte, and a byte with its own top bit set is above both.
inline std::uint64_t bytes_between(std::uint64_t word, unsigned char low, unsigned char high)
{
    const std::uint64_t seven = word & kLowSevenBits;
    const std::uint64_t at_least_low = seven + kEachByte * (0x80u - low);
    const std::uint64_t above_high = seven + kEachByte * (0x7Fu - high);
    return at_least_low & ~above_high & ~word & kTopBits;
}

// One bit per byte from a word of top bits: bit i for byte i. The multiplication moves the top bit of
// byte i to bit 56 + i, and no two of its partial products meet.
inline std::uint32_t gather(std::uint64_t top_bits)
{
    return static_cast<std::uint32_t>(((top_bits >> 7) * 0x0102040810204080) >> 56);
}

}  // namespace zelmor::swar
