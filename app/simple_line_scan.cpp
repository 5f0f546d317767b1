#include "simple_line_scan.hpp"

#include <bit>
#include <cstdint>

#include "byte_window.hpp"
#include "decimal_digits.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zelmor {
namespace {

using namespace digits;

#if defined(__SSE2__)

constexpr std::size_t kWindow = kWindowBytes;  // bytes of a line classified at once

// One bit per byte of a line's first kWindow bytes (bit i for byte i); bytes past the line's end are
// none of these.
struct ByteClasses {
    std::uint64_t digits;  // '0' to '9'
    std::uint64_t blanks;  // space, \t, \n, \v, \f, \r
    std::uint64_t points;  // '.'
    std::uint64_t inside;  // any byte of the line
};

std::uint64_t bits_of(__m128i low, __m128i high)
{
    const auto low_bits = static_cast<std::uint32_t>(_mm_movemask_epi8(low));
    const auto high_bits = static_cast<std::uint32_t>(_mm_movemask_epi8(high));
    return low_bits | (static_cast<std::uint64_t>(high_bits) << 16);
}

__m128i digit_bytes(__m128i bytes)
{
    return _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8('0' - 1)), _mm_cmplt_epi8(bytes, _mm_set1_epi8('9' + 1)));
}

// Space, or \t \n \v \f \r (9 to 13).
__m128i blank_bytes(__m128i bytes)
{
    const __m128i controls =
        _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8('\t' - 1)), _mm_cmplt_epi8(bytes, _mm_set1_epi8('\r' + 1)));
    return _mm_or_si128(controls, _mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')));
}

ByteClasses classify(std::string_view line)
{
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data()));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + 16));
    const std::uint64_t inside = line.size() >= kWindow ? (std::uint64_t{1} << kWindow) - 1
                                                        : (std::uint64_t{1} << line.size()) - 1;
    const __m128i point = _mm_set1_epi8('.');
    return ByteClasses{
        bits_of(digit_bytes(low), digit_bytes(high)) & inside,
        bits_of(blank_bytes(low), blank_bytes(high)) & inside,
        bits_of(_mm_cmpeq_epi8(low, point), _mm_cmpeq_epi8(high, point)) & inside,
        inside,
    };
}

// First set bit of `bits` at or after `from` (below 64), or 64 when there is none.
std::size_t first_from(std::uint64_t bits, std::size_t from)
{
    return static_cast<std::size_t>(std::countr_zero(bits & (~std::uint64_t{0} << from)));
}

// One unsigned number of the simple shape starting with a digit at `at`: its value, and where it ends.
// False when the number is not of that shape.
// Inlined: called twice per line, and a call would reload every constant of the digit arithmetic.
[[gnu::always_inline]] inline bool read_simple_number(double& value, std::size_t& end, std::string_view line,
                                                     const ByteClasses& classes, std::size_t at)
{
    const std::uint64_t not_digits = ~classes.digits;
    const std::size_t whole_end = first_from(not_digits, at);
    const std::size_t whole_digits = whole_end - at;
    std::size_t fraction_digits = 0;
    end = whole_end;
    if ((classes.points >> whole_end) & 1) {
        end = first_from(not_digits, whole_end + 1);
        fraction_digits = end - whole_end - 1;
    }
    // The number must visibly end inside the window: at the line's end, or before a byte that cannot
    // continue it ("e" would start an exponent, "x" a hexadecimal form).
    if (end >= kWindow || whole_digits > kWordDigits || fraction_digits > kWordDigits) {
        return false;
    }
    const char next = (classes.inside >> end) & 1 ? line[end] : ' ';
    if (next == 'e' || next == 'E' || next == 'x' || next == 'X') {
        return false;
    }
    const char* text = line.data();
    std::uint64_t mantissa = digits_value(text + at, whole_digits);
    if (fraction_digits != 0) {
        mantissa = mantissa * kIntegerPowersOfTen[fraction_digits] + digits_value(text + whole_end + 1, fraction_digits);
    }
    if (mantissa > kMaxExactMantissa) {
        return false;
    }
    // Both the mantissa and the power of ten are exact, so the one division rounds correctly.
    value = static_cast<double>(mantissa) / kPowersOfTen[fraction_digits];
    return true;
}


// The mantissa of a plain number: its digits from `whole` to `point` and from `point` + 1 to `end`,
// with the point taken out (runs of one to eight digits each).
[[gnu::always_inline]] inline std::uint64_t plain_mantissa(const char* text, std::size_t whole, std::size_t point,
                                                           std::size_t end)
{
    const std::size_t fraction_digits = end - point - 1;
    return digits_value(text + whole, point - whole) * kIntegerPowersOfTen[fraction_digits] +
           digits_value(text + point + 1, fraction_digits);
}

// The plainest shape, which nearly every line of a field export has: "W" or "P", one space, and two
// numbers "<digits>.<digits>" (one to eight digits on each side) separated by one space, ending the
// line (a carriage return before the newline is allowed). Only the bytes that are not digits are
// located, from one bit mask: the points and the space between the numbers must be the first of them.
[[gnu::always_inline]] inline bool scan_plain_line(PointRecord& record, std::string_view line)
{
    const char* text = line.data();
    std::size_t length = line.size();
    if (length - 1 >= kWindow - 1) {
        return false;  // empty, or too long to be seen in one window
    }
    length -= text[length - 1] == '\r' ? 1 : 0;
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + 16));
    const auto digits = static_cast<std::uint32_t>(bits_of(digit_bytes(low), digit_bytes(high)));
    // Bytes past the line's end count as not digits, so the walk below always meets the end. The tag
    // and the space after it (bits 0 and 1) are checked apart.
    std::uint32_t others = (~digits | (~std::uint32_t{0} << length)) & ~std::uint32_t{3};
    const auto first_point = static_cast<std::size_t>(std::countr_zero(others));
    others &= others - 1;
    const auto middle = static_cast<std::size_t>(std::countr_zero(others));
    others &= others - 1;
    const auto second_point = static_cast<std::size_t>(std::countr_zero(others));
    others &= others - 1;
    const auto end = static_cast<std::size_t>(std::countr_zero(others));
    // Each run of digits is 1 to 8 long: one less is below 8 (a run of none wraps round to a huge size).
    const std::size_t runs = (first_point - 3) | (middle - first_point - 2) | (second_point - middle - 2) |
                             (end - second_point - 2);
    const char tag = text[0];
    // Tested all at once, without a branch for each.
    const bool shape = ((tag == 'W') | (tag == 'P')) & (text[1] == ' ') & (text[first_point] == '.') &
                       (text[middle] == ' ') & (text[second_point] == '.') & (end == length) & (runs < kWordDigits);
    if (!shape) {
        return false;
    }
    const std::uint64_t first = plain_mantissa(text, 2, first_point, middle);
    const std::uint64_t second = plain_mantissa(text, middle + 1, second_point, end);
    if ((first > kMaxExactMantissa) | (second > kMaxExactMantissa)) {
        return false;
    }
    // Both mantissas and powers of ten are exact, so each division rounds correctly.
    record.tag = tag;
    record.first = static_cast<double>(first) / kPowersOfTen[middle - first_point - 1];
    record.second = static_cast<double>(second) / kPowersOfTen[end - second_point - 1];
    return true;
}

#endif

}  // namespace

bool scan_simple_line(PointRecord& record, std::string_view line)
{
#if defined(__SSE2__)
    if (scan_plain_line(record, line)) {
        return true;
    }
    const ByteClasses classes = classify(line);
    const std::uint64_t solid = classes.inside & ~classes.blanks;
    const std::size_t tag = first_from(solid, 0);
    if (tag >= kWindow || line[tag] == '\0') {
        return false;
    }
    const std::size_t first = first_from(solid, tag + 1);
    if (first >= kWindow || ((classes.digits >> first) & 1) == 0) {
        return false;
    }
    std::size_t first_end = 0;
    if (!read_simple_number(record.first, first_end, line, classes, first)) {
        return false;
    }
    const std::size_t second = first_from(solid, first_end);
    if (second >= kWindow || ((classes.digits >> second) & 1) == 0) {
        return false;
    }
    std::size_t second_end = 0;
    if (!read_simple_number(record.second, second_end, line, classes, second)) {
        return false;
    }
    record.tag = line[tag];
    return true;
#else
    (void)record;
    (void)line;
    return false;
#endif
}

}  // namespace zelmor
