// Decimal digits eight at a time: the pieces shared by the number reader and the fast line scanner.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zelmor::digits {

inline constexpr std::uint64_t kEveryByte = 0x0101010101010101;  // one in each byte
inline constexpr std::uint64_t kHighBits = 0x8080808080808080;   // the top bit of each byte
inline constexpr std::size_t kWordDigits = 8;                    // digits that one word holds

// Powers of ten that are exact in a double: 10^0 .. 10^22.
inline constexpr int kMaxExactPowerOfTen = 22;
inline constexpr double kPowersOfTen[kMaxExactPowerOfTen + 1] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22,
};
// Powers of ten as integers, for joining runs of digits: 10^0 .. 10^8.
inline constexpr std::uint64_t kIntegerPowersOfTen[kWordDigits + 1] = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000,
};
// Largest integer from which every smaller one is exact in a double: 2^53.
inline constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;

// Eight characters at once, the first in the lowest byte (the order of a little-endian load).
inline std::uint64_t load_eight(const char* p)
{
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    if constexpr (std::endian::native == std::endian::big) {
        word = __builtin_bswap64(word);
    }
    return word;
}

// How many of the (at most eight) characters at `p`, before `end`, are decimal digits in a row. A byte
// is a digit when its high nibble is 3 both as it is and with 6 added ('9' + 6 is 0x3f, ':' + 6 is
// 0x40). A carry out of a byte only comes from a byte of 0xfa or more, which is not a digit, so it can
// only disturb bytes after the run.
inline std::size_t digit_run(const char* p, const char* end)
{
    const std::uint64_t word = load_eight(p);
    const std::uint64_t nibbles = 0xF0 * kEveryByte;
    const std::uint64_t threes = 0x30 * kEveryByte;
    const std::uint64_t off = ((word & nibbles) ^ threes) | (((word + 6 * kEveryByte) & nibbles) ^ threes);
    // Top bit of each byte of `off` that is not zero, without carries between bytes.
    const std::uint64_t non_digits = (off | ((off & ~kHighBits) + ~kHighBits)) & kHighBits;
    const auto run = static_cast<std::size_t>(std::countr_zero(non_digits) / 8);
    const auto left = static_cast<std::size_t>(end - p);
    return run < left ? run : left;
}

// The value of the `run` digits (1 to 8) at `p`. Moving them to the top of the word puts zeros, as
// leading digits, in front; the digits are then joined in pairs, fours and the eight by multiplication.
// Subtracting '0' from a byte that is not a digit can borrow from the byte after it: both are past the
// run and shifted out.
inline std::uint64_t digits_value(const char* p, std::size_t run)
{
    std::uint64_t value = (load_eight(p) - 0x30 * kEveryByte) << (8 * (kWordDigits - run));
    const std::uint64_t bytes = 0x00FF00FF00FF00FF;
    value = (value & bytes) * 10 + ((value >> 8) & bytes);  // 16-bit lanes of two digits
    const std::uint64_t pairs = 0x0000FFFF0000FFFF;
    value = (value & pairs) * 100 + ((value >> 16) & pairs);  // 32-bit lanes of four digits
    return (value & 0xFFFFFFFF) * 10000 + (value >> 32);
}

}  // namespace zelmor::digits
