#include "fixed_format.hpp"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "bit_cast.hpp"

namespace zelmor {
namespace {

constexpr std::uint32_t kDecimalScale = 10000;    // 10^4: the four printed decimals
constexpr std::uint64_t kScaleOverSixteen = 625;  // 10^4 = 625 * 2^4: the odd part, so a product fits 64 bits
constexpr int kScaleTwos = 4;                     // the power of two in 10^4
constexpr int kMantissaBits = 52;                 // stored significand bits of a double
constexpr std::uint64_t kMantissaMask = (std::uint64_t{1} << kMantissaBits) - 1;
constexpr int kExponentMask = 0x7ff;                       // the 11 exponent bits
constexpr int kExponentBias = 1075;                        // bias 1023 plus the 52 fraction bits
constexpr std::uint64_t kAsciiZeros = 0x3030303030303030;  // '0' in each of eight bytes

// Shifts of the significand for which the whole part and the fraction can be split straight from the
// bits: |value| = significand * 2^-shift, with the whole part below 2^26 (at most eight digits) and
// shift - 4 a shift of a 64-bit word. Every coordinate is in this range; the rest (zero, below 2^-11,
// 2^26 and above, not finite) is printed by the C library.
constexpr int kMinSplitShift = 27;  // |value| < 2^26
constexpr int kMaxSplitShift = 63;  // |value| >= 2^-11

// A value split for printing: sign, whole part and four decimals rounded half to even.
struct Fixed4 {
    bool negative;
    std::uint32_t whole;     // at most 2^26
    std::uint32_t decimals;  // below 10^4
};

// Splits `value` when its shift is in [kMinSplitShift, kMaxSplitShift]; false otherwise. |value| * 10^4
// = (significand * 625) / 2^(shift - 4) is rounded half to even as one integer, so a carry of the
// decimals moves into the whole part by itself. The rounding is computed, not branched on: above or
// below half is a coin toss, and on the benchmark's mixed lines a branch here was mispredicted 1.1 times a
// line more (cachegrind), some 3% of the run by the cost of a misprediction; the two branch-free
// changes of the batch loop that were measured with it saved under 2% each, and are gone.
bool split_fixed4(Fixed4& split, double value)
{
    const std::uint64_t bits = bit_cast<std::uint64_t>(value);
    const int shift = kExponentBias - (static_cast<int>(bits >> kMantissaBits) & kExponentMask);
    if (shift < kMinSplitShift || shift > kMaxSplitShift) {
        return false;
    }
    const std::uint64_t product = ((bits & kMantissaMask) | (kMantissaMask + 1)) * kScaleOverSixteen;
    const int product_shift = shift - kScaleTwos;
    const std::uint64_t quotient = product >> product_shift;
    const std::uint64_t remainder = product & ((std::uint64_t{1} << product_shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (product_shift - 1);
    const std::uint64_t above_half = (half - remainder) >> 63;  // wraps to the top bit when above half
    const std::uint64_t tie_to_even = static_cast<std::uint64_t>(remainder == half) & quotient;
    const std::uint64_t scaled = quotient + (above_half | tie_to_even);
    split.negative = (bits >> 63) != 0;
    split.whole = static_cast<std::uint32_t>(scaled / kDecimalScale);
    split.decimals = static_cast<std::uint32_t>(scaled % kDecimalScale);
    return true;
}

// Two numbers below 10^4, one in each 32-bit half of `halves` (the first in the low half), as four
// ASCII digits each, leading zeros included, in reading order from the lowest byte. Each half is split
// into two-digit pairs (16-bit lanes), those into digits (bytes): division of a lane by 100 is a
// multiplication by 10486 / 2^20, by 10 one by 103 / 2^10, both exact for the lane values they meet
// (below 10^4 and 100), and lanes never spill into each other.
std::uint64_t spell_two_fours(std::uint64_t halves)
{
    const std::uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007F;
    const std::uint64_t pairs = hundreds | ((halves - hundreds * 100) << 16);
    const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000F;
    return (tens | ((pairs - tens * 10) << 8)) + kAsciiZeros;
}

void store(char* out, std::uint64_t bytes, std::size_t count)
{
    if constexpr (std::endian::native == std::endian::big) {
        bytes = __builtin_bswap64(bytes);
    }
    std::memcpy(out, &bytes, count);
}

// The ASCII digits of a split value: the whole part as eight digits, leading zeros included, and the
// four decimals, each in reading order from the lowest byte.
struct Fixed4Digits {
    std::uint64_t whole;
    std::uint32_t decimals;
};

Fixed4Digits spell(const Fixed4& split, std::uint32_t decimals_ascii)
{
    return Fixed4Digits{
        spell_two_fours(split.whole / kDecimalScale | static_cast<std::uint64_t>(split.whole % kDecimalScale) << 32),
        decimals_ascii};
}

// Both numbers' digits: their decimals spelt together.
void spell_pair(Fixed4Digits& first, Fixed4Digits& second, const Fixed4& a, const Fixed4& b)
{
    const std::uint64_t decimals = spell_two_fours(a.decimals | static_cast<std::uint64_t>(b.decimals) << 32);
    first = spell(a, static_cast<std::uint32_t>(decimals));
    second = spell(b, static_cast<std::uint32_t>(decimals >> 32));
}

// Writes "-<whole>.<decimals>" (without "-" for a positive value); returns the end. The whole part's
// leading zeros are shifted out, keeping at least one digit; bytes stored past the digits are scratch
// that the point and the decimals then overwrite.
char* write_split(char* at, bool negative, const Fixed4Digits& digits)
{
    *at = '-';
    at += negative ? 1 : 0;
    const int leading_zeros = std::countr_zero((digits.whole - kAsciiZeros) | (std::uint64_t{1} << 56)) / 8;
    store(at, digits.whole >> (8 * leading_zeros), 8);
    at += 8 - leading_zeros;
    *at = '.';
    store(at + 1, digits.decimals, 4);
    return at + 5;
}

// Zero, tiny, huge and non-finite values: the C library's exact printer, in the C locale, which this
// program never changes. The longest text and its terminator fit in kMaxFixed4Length.
std::size_t format_rare(char* out, double value)
{
    return static_cast<std::size_t>(std::snprintf(out, kMaxFixed4Length, "%.4f", value));
}

}  // namespace

std::size_t format_fixed4(char* out, double value)
{
    Fixed4 split{};
    if (!split_fixed4(split, value)) {
        return format_rare(out, value);
    }
    const Fixed4Digits digits = spell(split, static_cast<std::uint32_t>(spell_two_fours(split.decimals)));
    return static_cast<std::size_t>(write_split(out, split.negative, digits) - out);
}

std::size_t format_fixed4_pair(char* out, double first, double second)
{
    Fixed4 a{};
    Fixed4 b{};
    if (!split_fixed4(a, first) || !split_fixed4(b, second)) {
        std::size_t length = format_fixed4(out, first);
        out[length++] = ' ';
        return length + format_fixed4(out + length, second);
    }
    Fixed4Digits a_digits{};
    Fixed4Digits b_digits{};
    spell_pair(a_digits, b_digits, a, b);
    char* at = write_split(out, a.negative, a_digits);
    *at++ = ' ';
    return static_cast<std::size_t>(write_split(at, b.negative, b_digits) - out);
}

}  // namespace zelmor
