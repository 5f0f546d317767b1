#include "fixed_format.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__) && (defined(__x86_64__) || defined(_M_X64))
#include <emmintrin.h>
#define ZELMOR_PAIR_IN_VECTORS 1
#endif

namespace zelmor {
namespace {

constexpr std::uint32_t kDecimalScale = 10000;    // 10^4: the four printed decimals
constexpr std::uint64_t kScaleOverSixteen = 625;  // 10^4 = 625 * 2^4: the odd part, so a product fits 64 bits
constexpr int kScaleTwos = 4;                     // the power of two in 10^4
constexpr double kFastLimit = 0x1p48;             // below it, the rounding needs no more than 64 bits
constexpr int kMantissaBits = 52;                 // stored significand bits of a double
constexpr std::uint64_t kMantissaMask = (std::uint64_t{1} << kMantissaBits) - 1;
constexpr int kExponentMask = 0x7ff;              // the 11 exponent bits
constexpr int kExponentBias = 1075;               // bias 1023 plus the 52 fraction bits
constexpr int kWordBits = 64;
constexpr std::uint64_t kEveryByte = 0x0101010101010101;  // one in each byte
constexpr std::uint64_t kAsciiZeros = 0x30 * kEveryByte;  // '0' in each byte
constexpr std::uint32_t kEightDigits = 100000000;         // 10^8: whole parts below it take the short way

// Shifts of the significand for which the whole part and the fraction can be split straight from the
// bits: |value| = significand * 2^-shift, with the whole part below 2^26 (fewer than eight digits) and
// shift - 4 a shift of a 64-bit word. Every coordinate is in this range.
constexpr int kMinSplitShift = 27;  // |value| < 2^26
constexpr int kMaxSplitShift = 63;  // |value| >= 2^-11

// Round-half-to-even increment of a quotient, from its remainder and half the divisor (both below
// 2^63). Computed, not branched on: above or below half is a coin toss that a branch would mispredict.
std::uint64_t round_half_even(std::uint64_t quotient, std::uint64_t remainder, std::uint64_t half)
{
    const std::uint64_t above_half = (half - remainder) >> 63;  // wraps to the top bit when above half
    const std::uint64_t tie_to_even = static_cast<std::uint64_t>(remainder == half) & quotient;
    return above_half | tie_to_even;
}

// product / 2^shift rounded half to even, for 1 <= shift <= 63 and product below 2^63.
std::uint64_t shifted_half_even(std::uint64_t product, int shift)
{
    const std::uint64_t quotient = product >> shift;
    const std::uint64_t remainder = product & ((std::uint64_t{1} << shift) - 1);
    return quotient + round_half_even(quotient, remainder, std::uint64_t{1} << (shift - 1));
}

// The exact value of |value| times 10^4, rounded half to even to an integer; |value| < kFastLimit.
// |value| = significand * 2^-shift exactly, so |value| * 10^4 = (significand * 625) / 2^(shift - 4), with
// significand * 625 < 2^63 and shift - 4 >= 1 below kFastLimit.
std::uint64_t scaled_and_rounded(double value)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    const int biased = static_cast<int>(bits >> kMantissaBits) & kExponentMask;
    const std::uint64_t fraction = bits & kMantissaMask;
    const std::uint64_t significand = biased == 0 ? fraction : fraction | (kMantissaMask + 1);
    const int shift = kExponentBias - (biased == 0 ? 1 : biased) - kScaleTwos;
    if (shift >= kWordBits) {
        return 0;  // below 2^-60: far under half of the last decimal
    }
    return shifted_half_even(significand * kScaleOverSixteen, shift);
}

// A value split for printing: sign, whole part and four decimals rounded half to even.
struct Fixed4 {
    bool negative;
    std::uint32_t whole;     // below 2^26 + 1
    std::uint32_t decimals;  // below 10^4
};

// Splits `value` straight from its bits when its shift is in [kMinSplitShift, kMaxSplitShift]; false
// otherwise. |value| * 10^4 = (significand * 625) / 2^(shift - 4) is rounded as one integer, so a carry
// of the decimals moves into the whole part by itself.
[[gnu::always_inline]] inline bool split_fixed4(Fixed4& split, double value)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    const int shift = kExponentBias - (static_cast<int>(bits >> kMantissaBits) & kExponentMask);
    if (shift < kMinSplitShift || shift > kMaxSplitShift) {
        return false;
    }
    const std::uint64_t significand = (bits & kMantissaMask) | (kMantissaMask + 1);
    const std::uint64_t scaled = shifted_half_even(significand * kScaleOverSixteen, shift - kScaleTwos);
    split.negative = (bits >> 63) != 0;
    split.whole = static_cast<std::uint32_t>(scaled / kDecimalScale);
    split.decimals = static_cast<std::uint32_t>(scaled % kDecimalScale);
    return true;
}

// Each decimal digit of `number` (below 10^8) in its own byte, the first digit in the lowest byte and
// leading zeros included: the number is split into halves of four digits (32-bit lanes), those into
// pairs (16-bit lanes), those into digits (bytes). Division of a lane by 100 is a multiplication by
// 10486 / 2^20, by 10 one by 103 / 2^10: both exact for the lane values they meet (below 10^4 and 100),
// and lanes never spill into each other.
std::uint64_t eight_digits(std::uint32_t number)
{
    const std::uint64_t halves = (number / 10000) | (static_cast<std::uint64_t>(number % 10000) << 32);
    const std::uint64_t hundreds = ((halves * 10486) >> 20) & 0x0000007F0000007F;
    const std::uint64_t pairs = hundreds | ((halves - hundreds * 100) << 16);
    const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000F;
    return tens | ((pairs - tens * 10) << 8);
}

// The same for four digits (below 10^4), in the low four bytes.
std::uint32_t four_digits(std::uint32_t number)
{
    const std::uint32_t hundreds = (number * 10486) >> 20;
    const std::uint32_t pairs = hundreds | ((number - hundreds * 100) << 16);
    const std::uint32_t tens = ((pairs * 103) >> 10) & 0x000F000F;
    return tens | ((pairs - tens * 10) << 8);
}

void store(char* out, std::uint64_t bytes, std::size_t count)
{
    if constexpr (std::endian::native == std::endian::big) {
        bytes = __builtin_bswap64(bytes);
    }
    std::memcpy(out, &bytes, count);
}

// Writes "<whole>.<decimals>" from the ASCII digits of the whole part (eight, leading zeros included,
// first digit in the lowest byte) and of the decimals; returns the end. The leading zeros are shifted
// out, keeping at least one digit; the bytes stored past the digits are scratch that the point and the
// decimals then overwrite.
char* write_digits(char* at, std::uint64_t whole_ascii, std::uint32_t decimals_ascii)
{
    const std::uint64_t values = whole_ascii - kAsciiZeros;
    const int leading_zeros = std::countr_zero(values | (std::uint64_t{1} << 56)) / 8;
    store(at, whole_ascii >> (8 * leading_zeros), 8);
    at += 8 - leading_zeros;
    *at = '.';
    store(at + 1, decimals_ascii, 4);
    return at + 5;
}

// Any whole part: digits written backwards from `end`; returns where they start.
char* write_whole_backwards(char* end, std::uint64_t whole)
{
    char* at = end;
    do {
        *--at = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    return at;
}

// Values outside the split range: zero, tiny values and subnormals, and large ones.
std::size_t format_uncommon(char* out, double value)
{
    if (!(std::fabs(value) < kFastLimit)) {
        // Huge values and non-finite ones: the C library's exact printer, in the C locale, which this
        // program never changes. The longest text and its terminator fit in kMaxFixed4Length.
        return static_cast<std::size_t>(std::snprintf(out, kMaxFixed4Length, "%.4f", value));
    }
    char* at = out;
    if (std::signbit(value)) {
        *at++ = '-';
    }
    const std::uint64_t scaled = scaled_and_rounded(value);
    const std::uint64_t whole = scaled / kDecimalScale;
    const std::uint32_t decimals_ascii =
        four_digits(static_cast<std::uint32_t>(scaled % kDecimalScale)) + static_cast<std::uint32_t>(kAsciiZeros);
    if (whole < kEightDigits) {
        const std::uint64_t whole_ascii = eight_digits(static_cast<std::uint32_t>(whole)) + kAsciiZeros;
        return static_cast<std::size_t>(write_digits(at, whole_ascii, decimals_ascii) - out);
    }
    char text[24];
    char* const end = text + sizeof text;
    const char* const start = write_whole_backwards(end, whole);
    std::memcpy(at, start, static_cast<std::size_t>(end - start));
    at += end - start;
    *at = '.';
    store(at + 1, decimals_ascii, 4);
    return static_cast<std::size_t>(at + 5 - out);
}

char* write_split(char* at, const Fixed4& split)
{
    *at = '-';
    at += split.negative ? 1 : 0;
    return write_digits(at, eight_digits(split.whole) + kAsciiZeros,
                        four_digits(split.decimals) + static_cast<std::uint32_t>(kAsciiZeros));
}

#if defined(ZELMOR_PAIR_IN_VECTORS)

// Both numbers' digits at once. Each number gives three groups of four digits (the whole part's two
// halves and the decimals), one group per 16-bit lane; a lane is divided by 100 with a multiplication
// by 5243 / 2^19 and the results by 10 with one by 6554 / 2^16, both exact for the values they meet
// (below 10^4 and below 100). The digits are then interleaved into bytes in reading order.
void spell_pair(std::uint64_t (&whole_ascii)[2], std::uint32_t (&decimals_ascii)[2], const Fixed4& a, const Fixed4& b)
{
    const auto group = [](std::uint32_t value) { return static_cast<short>(value); };
    const __m128i groups = _mm_set_epi16(0, group(b.decimals), group(b.whole % 10000), group(b.whole / 10000), 0,
                                         group(a.decimals), group(a.whole % 10000), group(a.whole / 10000));
    const __m128i hundreds = _mm_srli_epi16(_mm_mulhi_epu16(groups, _mm_set1_epi16(5243)), 3);
    const __m128i below_hundred = _mm_sub_epi16(groups, _mm_mullo_epi16(hundreds, _mm_set1_epi16(100)));
    const __m128i tenth = _mm_set1_epi16(6554);
    const __m128i ten = _mm_set1_epi16(10);
    const __m128i high_tens = _mm_mulhi_epu16(hundreds, tenth);
    const __m128i high_units = _mm_sub_epi16(hundreds, _mm_mullo_epi16(high_tens, ten));
    const __m128i low_tens = _mm_mulhi_epu16(below_hundred, tenth);
    const __m128i low_units = _mm_sub_epi16(below_hundred, _mm_mullo_epi16(low_tens, ten));
    // Two digits per 16-bit lane, the earlier in the lower byte; then the lanes of the high and low pairs
    // interleaved, so that each group's four digits follow each other.
    const __m128i high_pairs = _mm_or_si128(high_tens, _mm_slli_epi16(high_units, 8));
    const __m128i low_pairs = _mm_or_si128(low_tens, _mm_slli_epi16(low_units, 8));
    const __m128i zeros = _mm_set1_epi8('0');
    const __m128i first = _mm_add_epi8(_mm_unpacklo_epi16(high_pairs, low_pairs), zeros);
    const __m128i second = _mm_add_epi8(_mm_unpackhi_epi16(high_pairs, low_pairs), zeros);
    whole_ascii[0] = static_cast<std::uint64_t>(_mm_cvtsi128_si64(first));
    whole_ascii[1] = static_cast<std::uint64_t>(_mm_cvtsi128_si64(second));
    decimals_ascii[0] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(first, 8)));
    decimals_ascii[1] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(second, 8)));
}

#endif

}  // namespace

std::size_t format_fixed4(char* out, double value)
{
    Fixed4 split{};
    if (split_fixed4(split, value)) {
        return static_cast<std::size_t>(write_split(out, split) - out);
    }
    return format_uncommon(out, value);
}

std::size_t format_fixed4_pair(char* out, double first, double second)
{
#if defined(ZELMOR_PAIR_IN_VECTORS)
    Fixed4 a{};
    Fixed4 b{};
    if (split_fixed4(a, first) && split_fixed4(b, second)) {
        std::uint64_t whole_ascii[2];
        std::uint32_t decimals_ascii[2];
        spell_pair(whole_ascii, decimals_ascii, a, b);
        char* at = out;
        *at = '-';
        at += a.negative ? 1 : 0;
        at = write_digits(at, whole_ascii[0], decimals_ascii[0]);
        *at++ = ' ';
        *at = '-';
        at += b.negative ? 1 : 0;
        return static_cast<std::size_t>(write_digits(at, whole_ascii[1], decimals_ascii[1]) - out);
    }
#endif
    std::size_t length = format_fixed4(out, first);
    out[length++] = ' ';
    return length + format_fixed4(out + length, second);
}

}  // namespace zelmor
