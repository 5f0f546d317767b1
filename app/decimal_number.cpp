#include "decimal_number.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace zelmor {
namespace {

// Most decimal digits that always fit in an unsigned 64-bit integer.
constexpr int kMaxExactDigits = 19;
// Largest integer from which every smaller one is exact in a double: 2^53.
constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;
// Powers of ten that are exact in a double: 10^0 .. 10^22.
constexpr int kMaxExactPowerOfTen = 22;
constexpr double kPowersOfTen[kMaxExactPowerOfTen + 1] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22,
};
// An exponent is clamped here while it is read: far beyond any double's range, far from overflowing
// the sum with a line's digit count.
constexpr long long kExponentClamp = 1'000'000'000;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// What the syntax pass learns about a number.
struct DecimalText {
    std::size_t length;          // characters of the number, sign included; 0 when there is none
    bool negative;
    std::size_t digits_begin;    // offset of the first digit or "." after the sign
    std::size_t mantissa_end;    // offset just past the digits and fraction
    std::uint64_t mantissa;      // the digits as an integer, valid when digit_count <= kMaxExactDigits
    int digit_count;             // digits before and after the point
    int fraction_digits;         // digits after the point
    long long exponent;          // the written exponent, clamped
};

std::size_t read_digits(std::uint64_t& accumulated, int& count, std::string_view text, std::size_t at)
{
    while (at < text.size() && is_digit(text[at])) {
        if (count < kMaxExactDigits) {
            accumulated = accumulated * 10 + static_cast<unsigned>(text[at] - '0');
        }
        ++count;
        ++at;
    }
    return at;
}

// The exponent part at `at`, if complete; returns the offset past it, or `at` when there is none.
std::size_t read_exponent(long long& exponent, std::string_view text, std::size_t at)
{
    if (at >= text.size() || (text[at] != 'e' && text[at] != 'E')) {
        return at;
    }
    std::size_t i = at + 1;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || !is_digit(text[i])) {
        return at;  // "1e" or "1e+": the exponent is not part of the number
    }
    long long magnitude = 0;
    for (; i < text.size() && is_digit(text[i]); ++i) {
        if (magnitude < kExponentClamp) {
            magnitude = magnitude * 10 + (text[i] - '0');
        }
    }
    exponent = negative ? -magnitude : magnitude;
    return i;
}

DecimalText read_syntax(std::string_view text)
{
    DecimalText number{};
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        number.negative = text[at] == '-';
        ++at;
    }
    number.digits_begin = at;
    // "0x" starts a hexadecimal form, which is not a number here.
    if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        return number;
    }
    at = read_digits(number.mantissa, number.digit_count, text, at);
    if (at < text.size() && text[at] == '.') {
        const int before = number.digit_count;
        at = read_digits(number.mantissa, number.digit_count, text, at + 1);
        number.fraction_digits = number.digit_count - before;
    }
    if (number.digit_count == 0) {
        return number;
    }
    number.mantissa_end = at;
    at = read_exponent(number.exponent, text, at);
    number.length = at;
    return number;
}

// True when a decimal too far out of range for a double is huge rather than tiny. Its order of
// magnitude m (10^m > |value| >= 10^(m-1)) is the count of integer digits from the first non-zero one,
// or minus the count of zeros between the point and the first non-zero digit; the exponent moves it.
bool is_huge(const DecimalText& number, std::string_view text)
{
    long long magnitude = 0;
    bool in_fraction = false;
    for (std::size_t i = number.digits_begin; i < number.mantissa_end; ++i) {
        const char c = text[i];
        if (c == '.') {
            if (magnitude > 0) {
                break;
            }
            in_fraction = true;
        } else if (in_fraction) {
            if (c != '0') {
                break;
            }
            --magnitude;
        } else if (c != '0' || magnitude > 0) {
            ++magnitude;
        }
    }
    return magnitude + number.exponent > 0;
}

// Correctly rounded value of any decimal text, through the exact general reader.
double read_general(const DecimalText& number, std::string_view text)
{
    const char* first = text.data() + number.digits_begin;
    const char* last = text.data() + number.length;
    double magnitude = 0.0;
    const auto [end, error] = std::from_chars(first, last, magnitude, std::chars_format::general);
    (void)end;
    if (error == std::errc::result_out_of_range) {
        magnitude = is_huge(number, text) ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return number.negative ? -magnitude : magnitude;
}

}  // namespace

std::size_t read_decimal(double& value, std::string_view text)
{
    const DecimalText number = read_syntax(text);
    if (number.length == 0) {
        return 0;
    }
    // Fast path: an integer mantissa below 2^53 and a power of ten up to 10^22 are both exact, so one
    // multiplication or division rounds once, to the nearest double: the correctly rounded value.
    const long long scale = number.exponent - number.fraction_digits;
    if (number.digit_count <= kMaxExactDigits && number.mantissa <= kMaxExactMantissa &&
        scale >= -kMaxExactPowerOfTen && scale <= kMaxExactPowerOfTen) {
        const double mantissa = static_cast<double>(number.mantissa);
        const double magnitude = scale >= 0 ? mantissa * kPowersOfTen[scale] : mantissa / kPowersOfTen[-scale];
        value = number.negative ? -magnitude : magnitude;
    } else {
        value = read_general(number, text);
    }
    return number.length;
}

}  // namespace zelmor
