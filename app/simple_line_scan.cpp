#include "simple_line_scan.hpp"

#include <bit>
#include <cstdint>

#include "byte_window.hpp"
#include "decimal_digits.hpp"

#if defined(__SSE2__) && (defined(__x86_64__) || defined(_M_X64))
#include <emmintrin.h>
#define ZELMOR_LINE_IN_VECTORS 1
#endif

namespace zelmor {
namespace {

using namespace digits;

#if defined(ZELMOR_LINE_IN_VECTORS)

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


// A plain number is read from the 16 bytes around its point, the point in lane kPointLane: up to
// kPlainWholeDigits digits before it (right-aligned against it) and up to kPlainFractionDigits after.
constexpr std::size_t kPointLane = 7;
constexpr std::size_t kPlainWholeDigits = 7;
constexpr std::size_t kPlainFractionDigits = 8;
constexpr std::uint32_t kFractionScale = 100000000;  // 10^8: the fraction as a whole number of 10^-8
constexpr double kFractionScaleDouble = 1e8;

// Masks of the lanes that hold a number's digits, as sliding windows: the 16 bytes at
// kLanesFrom + 16 - k keep the lanes from k on; those at kLanesBefore + 16 - k keep the lanes before k.
alignas(16) constexpr unsigned char kLanesFrom[32] = {
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
alignas(16) constexpr unsigned char kLanesBefore[32] = {
    0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0};

__m128i load16(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }

// The whole part and the fraction in units of 10^-8 of a plain number, as two 64-bit lanes. The digits
// (other lanes cleared) are joined into pairs, then fours, then the two parts by multiplications with
// a weight for each lane; the point's lane has weight 0.
[[gnu::always_inline]] inline __m128i plain_parts(const char* point, std::size_t whole_digits,
                                                  std::size_t fraction_digits)
{
    __m128i digits = _mm_sub_epi8(load16(point - kPointLane), _mm_set1_epi8('0'));
    digits = _mm_and_si128(digits, load16(kLanesFrom + 16 - (kPointLane - whole_digits)));
    digits = _mm_and_si128(digits, load16(kLanesBefore + 16 - (kPointLane + 1 + fraction_digits)));
    const __m128i zero = _mm_setzero_si128();
    // Lanes 0-6 are whole digits and lane 7 the point: pairs d0d1, d2d3, d4d5, d6.
    const __m128i whole_pairs =
        _mm_madd_epi16(_mm_unpacklo_epi8(digits, zero), _mm_setr_epi16(10, 1, 10, 1, 10, 1, 1, 0));
    const __m128i fraction_pairs =
        _mm_madd_epi16(_mm_unpackhi_epi8(digits, zero), _mm_setr_epi16(10, 1, 10, 1, 10, 1, 10, 1));
    // Whole digits d0-d3 and d4-d6; fraction digits f0-f3 and f4-f7.
    const __m128i fours = _mm_madd_epi16(_mm_packs_epi32(whole_pairs, fraction_pairs),
                                         _mm_setr_epi16(100, 1, 10, 1, 100, 1, 100, 1));
    return _mm_add_epi64(_mm_mul_epu32(fours, _mm_setr_epi32(1000, 0, 10000, 0)), _mm_srli_epi64(fours, 32));
}

// The plainest shape, which nearly every line of a field export has: "W" or "P", one space, and two
// numbers "<digits>.<digits>" (one to seven digits before the point, one to eight after) separated by
// one space, ending the line (a carriage return before the newline is allowed). Only the bytes that are
// not digits are located, from one bit mask: the points and the space between the numbers must be the
// first of them.
[[gnu::always_inline]] inline bool scan_plain_line(PointRecord& record, std::string_view line)
{
    const char* text = line.data();
    std::size_t length = line.size();
    if (length - 1 >= kWindow - 1) {
        return false;  // empty, or too long to be seen in one window
    }
    length -= text[length - 1] == '\r' ? 1 : 0;
    const auto digits = static_cast<std::uint32_t>(
        bits_of(digit_bytes(load16(text)), digit_bytes(load16(text + kWindow / 2))));
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
    const std::size_t first_whole = first_point - 2;
    const std::size_t first_fraction = middle - first_point - 1;
    const std::size_t second_whole = second_point - middle - 1;
    const std::size_t second_fraction = end - second_point - 1;
    // A run of n digits fits when n - 1 is below the most it may have (none wraps round to a huge size).
    const bool runs_fit = (((first_whole - 1) | (second_whole - 1)) < kPlainWholeDigits) &
                          (((first_fraction - 1) | (second_fraction - 1)) < kPlainFractionDigits);
    const char tag = text[0];
    // Tested all at once, without a branch for each.
    const bool shape = ((tag == 'W') | (tag == 'P')) & (text[1] == ' ') & (text[first_point] == '.') &
                       (text[middle] == ' ') & (text[second_point] == '.') & (end == length) & runs_fit;
    if (!shape) {
        return false;
    }
    const __m128i first = plain_parts(text + first_point, first_whole, first_fraction);
    const __m128i second = plain_parts(text + second_point, second_whole, second_fraction);
    // Each mantissa, whole * 10^8 + fraction, is below 10^15 and so exact in a double; so is 10^8, and
    // the one division rounds correctly.
    const __m128i mantissas = _mm_add_epi64(
        _mm_mul_epu32(_mm_unpacklo_epi64(first, second), _mm_set1_epi64x(kFractionScale)),
        _mm_unpackhi_epi64(first, second));
    const auto first_mantissa = _mm_cvtsi128_si64(mantissas);
    const auto second_mantissa = _mm_cvtsi128_si64(_mm_unpackhi_epi64(mantissas, mantissas));
    const __m128d values =
        _mm_div_pd(_mm_setr_pd(static_cast<double>(first_mantissa), static_cast<double>(second_mantissa)),
                   _mm_set1_pd(kFractionScaleDouble));
    record.tag = tag;
    record.first = _mm_cvtsd_f64(values);
    record.second = _mm_cvtsd_f64(_mm_unpackhi_pd(values, values));
    return true;
}

#endif

}  // namespace

bool scan_simple_line(PointRecord& record, std::string_view line)
{
#if defined(ZELMOR_LINE_IN_VECTORS)
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
