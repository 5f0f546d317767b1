#include "fixed_format.hpp"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace zelmor {
namespace {

__extension__ using u128 = unsigned __int128;  // exact products of a significand and 10^4

constexpr std::uint32_t kDecimalScale = 10000;         // 10^4: the four printed decimals
constexpr double kFastLimit = 1e15;                    // below it, value * 10^4 fits in 64 bits
constexpr int kMantissaBits = 52;                      // stored significand bits of a double
constexpr std::uint64_t kMantissaMask = (std::uint64_t{1} << kMantissaBits) - 1;
constexpr int kExponentMask = 0x7ff;                   // the 11 exponent bits
constexpr int kExponentBias = 1075;                    // bias 1023 plus the 52 fraction bits
constexpr int kWideBits = 128;                         // width of the intermediate product

// The exact value of |value| times 10^4, rounded half to even to an integer; |value| < kFastLimit.
std::uint64_t scaled_and_rounded(double value)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    const int biased = static_cast<int>(bits >> kMantissaBits) & kExponentMask;
    const std::uint64_t fraction = bits & kMantissaMask;
    // |value| = significand * 2^exponent exactly.
    const std::uint64_t significand = biased == 0 ? fraction : fraction | (kMantissaMask + 1);
    const int exponent = (biased == 0 ? 1 : biased) - kExponentBias;

    const u128 product = static_cast<u128>(significand) * kDecimalScale;  // below 2^67
    if (exponent >= 0) {
        return static_cast<std::uint64_t>(product << exponent);
    }
    const int shift = -exponent;
    if (shift >= kWideBits) {
        return 0;  // the product is far below half of 2^shift
    }
    const u128 quotient = product >> shift;
    const u128 remainder = product - (quotient << shift);
    const u128 half = static_cast<u128>(1) << (shift - 1);
    const bool round_up = remainder > half || (remainder == half && (quotient & 1) != 0);
    return static_cast<std::uint64_t>(quotient + (round_up ? 1 : 0));
}

// Decimal digits of `number`, most significant first; returns their count.
std::size_t write_unsigned(char* out, std::uint64_t number)
{
    char reversed[20];
    std::size_t count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = reversed[count - 1 - i];
    }
    return count;
}

}  // namespace

std::size_t format_fixed4(char* out, double value)
{
    const double magnitude = value < 0 ? -value : value;
    if (!(magnitude < kFastLimit)) {
        // Huge values and non-finite ones: the exact general printer.
        const auto result = std::to_chars(out, out + kMaxFixed4Length, value, std::chars_format::fixed, 4);
        return static_cast<std::size_t>(result.ptr - out);
    }
    const std::uint64_t scaled = scaled_and_rounded(value);
    std::size_t length = 0;
    if (std::signbit(value)) {
        out[length++] = '-';
    }
    length += write_unsigned(out + length, scaled / kDecimalScale);
    out[length++] = '.';
    std::uint32_t decimals = static_cast<std::uint32_t>(scaled % kDecimalScale);
    for (int place = 3; place >= 0; --place) {
        out[length + place] = static_cast<char>('0' + decimals % 10);
        decimals /= 10;
    }
    return length + 4;
}

}  // namespace zelmor
