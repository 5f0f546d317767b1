#include "decimal_number.hpp"

#include <charconv>
#include <cstdint>
#include <limits>

#include "decimal_digits.hpp"

namespace zelmor {
namespace {

using namespace digits;

// Most decimal digits that always fit in an unsigned 64-bit integer.
constexpr int kMaxExactDigits = 19;
// An exponent is clamped here while it is read: far beyond any double's range, far from overflowing
// the sum with a line's digit count.
constexpr long long kExponentClamp = 1'000'000'000;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Digits past the first eight of a run, appended to `mantissa` (which wraps beyond 19 digits: it is
// then not used). Returns the end of the digits.
const char* read_more_digits(std::uint64_t& mantissa, const char* p, const char* end)
{
    for (;;) {
        const std::size_t run = digit_run(p, end);
        if (run == 0) {
            return p;
        }
        mantissa = mantissa * kIntegerPowersOfTen[run] + digits_value(p, run);
        p += run;
        if (run < kWordDigits) {
            return p;
        }
    }
}

// The digits at `p`, appended to `mantissa`; returns the end of the digits. Coordinates have runs of
// at most eight digits, which take one step without a loop.
inline const char* read_digits(std::uint64_t& mantissa, const char* p, const char* end)
{
    const std::size_t run = digit_run(p, end);
    if (run == 0) {
        return p;
    }
    mantissa = mantissa * kIntegerPowersOfTen[run] + digits_value(p, run);
    return run < kWordDigits ? p + run : read_more_digits(mantissa, p + run, end);
}

// The exponent part at `p`, if complete; returns the end of it, or `p` when there is none ("1e", "1e+":
// the mark is then not part of the number).
const char* read_exponent(long long& exponent, const char* p, const char* end)
{
    if (p == end || (*p != 'e' && *p != 'E')) {
        return p;
    }
    const char* q = p + 1;
    bool negative = false;
    if (q != end && (*q == '+' || *q == '-')) {
        negative = *q == '-';
        ++q;
    }
    if (q == end || !is_digit(*q)) {
        return p;
    }
    long long magnitude = 0;
    for (; q != end && is_digit(*q); ++q) {
        if (magnitude < kExponentClamp) {
            magnitude = magnitude * 10 + (*q - '0');
        }
    }
    exponent = negative ? -magnitude : magnitude;
    return q;
}

// True when a decimal too far out of range for a double is huge rather than tiny. Its order of
// magnitude m (10^m > |value| >= 10^(m-1)) is the count of integer digits from the first non-zero one,
// or minus the count of zeros between the point and the first non-zero digit; the exponent moves it.
bool is_huge(const char* digits, const char* digits_end, long long exponent)
{
    long long magnitude = 0;
    bool in_fraction = false;
    for (const char* p = digits; p != digits_end; ++p) {
        if (*p == '.') {
            if (magnitude > 0) {
                break;
            }
            in_fraction = true;
        } else if (in_fraction) {
            if (*p != '0') {
                break;
            }
            --magnitude;
        } else if (*p != '0' || magnitude > 0) {
            ++magnitude;
        }
    }
    return magnitude + exponent > 0;
}

// Correctly rounded magnitude of any unsigned decimal text, through the exact general reader.
double read_general(const char* digits, const char* digits_end, const char* number_end, long long exponent)
{
    double magnitude = 0.0;
    const auto result = std::from_chars(digits, number_end, magnitude, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        magnitude = is_huge(digits, digits_end, exponent) ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return magnitude;
}

}  // namespace

std::size_t read_decimal(double& value, std::string_view text)
{
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    const char* const digits = p;
    // "0x" starts a hexadecimal form, which is not a number here.
    if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        return 0;
    }
    std::uint64_t mantissa = 0;
    p = read_digits(mantissa, p, end);
    long long digit_count = p - digits;
    long long fraction_digits = 0;
    if (p != end && *p == '.') {
        const char* const fraction = p + 1;
        p = read_digits(mantissa, fraction, end);
        fraction_digits = p - fraction;
        digit_count += fraction_digits;
    }
    if (digit_count == 0) {
        return 0;
    }
    const char* const digits_end = p;
    long long exponent = 0;
    p = read_exponent(exponent, p, end);

    // Fast path: an integer mantissa up to 2^53 and a power of ten up to 10^22 are both exact, so one
    // multiplication or division rounds once, to the nearest double: the correctly rounded value.
    const long long scale = exponent - fraction_digits;
    double magnitude = 0.0;
    if (digit_count <= kMaxExactDigits && mantissa <= kMaxExactMantissa && scale >= -kMaxExactPowerOfTen &&
        scale <= kMaxExactPowerOfTen) {
        const double exact = static_cast<double>(mantissa);
        magnitude = scale >= 0 ? exact * kPowersOfTen[scale] : exact / kPowersOfTen[-scale];
    } else {
        magnitude = read_general(digits, digits_end, p, exponent);
    }
    value = negative ? -magnitude : magnitude;
    return static_cast<std::size_t>(p - begin);
}

}  // namespace zelmor
