#include "decimal_number.hpp"

#include <charconv>
#include <cstdint>
#include <cstdlib>

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

// Significant digits that decide how any decimal rounds to a double: a point halfway between two
// neighbouring doubles has at most 767, so a decimal cut after more than that rounds like the whole one
// as long as a nonzero digit stands in for everything cut away.
constexpr std::size_t kDecidingDigits = 800;
// Room for "0.", the deciding digits, the stand-in digit, "e", a sign and 19 exponent digits, and the
// terminator.
constexpr std::size_t kCanonicalRoom = 2 + kDecidingDigits + 1 + 2 + 19 + 1;

// Correctly rounded magnitude of any unsigned decimal text (digits with at most one point, between
// `digits` and `digits_end`, times 10^exponent), through the C library's exact reader. The text is first
// rewritten as "0.<significant digits>e<order>", cut to the deciding digits: then its length is bounded
// and it is terminated, as the C library needs. It reads in the C locale, which this program never
// leaves. Out of range, the C library gives infinity or zero (or a subnormal), as wanted.
double read_general(const char* digits, const char* digits_end, long long exponent)
{
    char canonical[kCanonicalRoom] = {'0', '.'};
    std::size_t length = 2;
    long long order = 0;  // the value is 0.<significant digits> * 10^(order + exponent)
    bool in_fraction = false;
    bool cut_nonzero = false;
    for (const char* p = digits; p != digits_end; ++p) {
        if (*p == '.') {
            in_fraction = true;
        } else if (length == 2 && *p == '0') {
            order -= in_fraction ? 1 : 0;  // a leading zero: after the point, it moves the order down
        } else {
            order += in_fraction ? 0 : 1;
            if (length < 2 + kDecidingDigits) {
                canonical[length++] = *p;
            } else {
                cut_nonzero = cut_nonzero || *p != '0';
            }
        }
    }
    if (length == 2) {
        return 0.0;  // only zeros
    }
    if (cut_nonzero) {
        canonical[length++] = '1';
    }
    canonical[length++] = 'e';
    const auto written = std::to_chars(canonical + length, canonical + kCanonicalRoom - 1, order + exponent);
    *written.ptr = '\0';
    return std::strtod(canonical, nullptr);
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
        magnitude = read_general(digits, digits_end, exponent);
    }
    value = negative ? -magnitude : magnitude;
    return static_cast<std::size_t>(p - begin);
}

}  // namespace zelmor
