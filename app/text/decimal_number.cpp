#include "decimal_number.hpp"

#include <charconv>
#include <cstdint>
#include <cstdlib>

namespace zelmor {
namespace {

// Most decimal digits that always fit in an unsigned 64-bit integer.
constexpr int kMaxExactDigits = 19;

// The plain part of a decimal number: an optional sign, digits, and an optional point with digits.
struct PlainDecimal {
    std::uint64_t mantissa;  // all its digits as one integer (wrapped beyond 19 digits: then not used)
    long long digit_count;   // digits before and after the point; without any, it is not a number
    long long fraction_digits;
    bool negative;
    const char* end;  // just past its last digit (or its point)
};

// An exponent is clamped here while it is read: far beyond any double's range, far from overflowing
// the sum with a line's digit count.
constexpr long long kExponentClamp = 1'000'000'000;

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// The digits at `p` (before `end`), appended to `mantissa`; returns the end of the digits.
const char* read_digits(std::uint64_t& mantissa, const char* p, const char* end)
{
    for (; p != end && is_digit(*p); ++p) {
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    return p;
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

// Reads the plain part of the number at `p`, before `end`.
void read_plain_decimal(PlainDecimal& number, const char* p, const char* end)
{
    number.negative = p != end && *p == '-';
    p += p != end && (*p == '-' || *p == '+') ? 1 : 0;
    const char* const whole = p;
    number.mantissa = 0;
    p = read_digits(number.mantissa, p, end);
    number.digit_count = p - whole;
    number.fraction_digits = 0;
    if (p != end && *p == '.') {
        const char* const fraction = p + 1;
        p = read_digits(number.mantissa, fraction, end);
        number.fraction_digits = p - fraction;
        number.digit_count += number.fraction_digits;
    }
    number.end = p;
}

}  // namespace

std::size_t read_decimal(double& value, std::string_view text)
{
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    // "0x" after the sign starts a hexadecimal form, which is not a number here.
    const char* const unsigned_part = begin + (text.size() != 0 && (*begin == '+' || *begin == '-') ? 1 : 0);
    if (end - unsigned_part >= 2 && unsigned_part[0] == '0' && (unsigned_part[1] == 'x' || unsigned_part[1] == 'X')) {
        return 0;
    }
    PlainDecimal number{};
    read_plain_decimal(number, begin, end);
    if (number.digit_count == 0) {
        return 0;
    }
    long long exponent = 0;
    const char* const number_end = read_exponent(exponent, number.end, end);

    // The quick case: an integer mantissa up to 2^53 and a power of ten up to 10^22 are both exact, so one
    // multiplication or division rounds once, to the nearest double: the correctly rounded value.
    const long long scale = exponent - number.fraction_digits;
    double magnitude = 0.0;
    if (number.digit_count <= kMaxExactDigits && number.mantissa <= kMaxExactMantissa &&
        scale >= -kMaxExactPowerOfTen && scale <= kMaxExactPowerOfTen) {
        const double exact = static_cast<double>(number.mantissa);
        magnitude = scale >= 0 ? exact * kPowersOfTen[scale] : exact / kPowersOfTen[-scale];
    } else {
        magnitude = read_general(unsigned_part, number.end, exponent);
    }
    value = number.negative ? -magnitude : magnitude;
    return static_cast<std::size_t>(number_end - begin);
}

}  // namespace zelmor
