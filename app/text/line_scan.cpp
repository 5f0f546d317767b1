#include "line_scan.hpp"

#include <bit>
#include <cstddef>
#include <cstdint>

#include "byte_words.hpp"
#include "decimal_number.hpp"
#include "fast_paths.hpp"

namespace zelmor {
namespace {

// White space as the C locale's isspace sees it: space, and \t \n \v \f \r (9 to 13).
bool is_blank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

const char* skip_blanks(const char* p, const char* end)
{
    while (p != end && is_blank(*p)) {
        ++p;
    }
    return p;
}

// True when the text from `p` to `end`, the end of a cut line, may be the start of more of the number
// just before it: nothing, or an exponent mark with or without its sign.
bool may_go_on(const char* p, const char* end)
{
    const std::ptrdiff_t rest = end - p;
    const bool mark = rest >= 1 && (p[0] == 'e' || p[0] == 'E');
    return rest == 0 || (mark && (rest == 1 || (rest == 2 && (p[1] == '+' || p[1] == '-'))));
}

std::string_view text_between(const char* p, const char* end)
{
    return std::string_view(p, static_cast<std::size_t>(end - p));
}

// The quick way sees a line as words, runs of bytes that are not blanks, found in masks of one bit per
// byte (bit i for byte i) over the line's first kWordMaskBytes bytes: a line whose numbers do not end
// within them goes the general way.
constexpr std::size_t kWordMaskBytes = 64;
// Bytes classified at once: nearly every line ends within them; more are looked at only when not.
// They are loaded whatever the line's length, so they must lie within the padding after a shorter line.
constexpr std::size_t kClassifyBytes = 32;
static_assert(kClassifyBytes <= kPaddingAfter);

struct LineBytes {
    std::uint64_t solid;   // bytes of the line that are not blanks
    std::uint64_t points;  // '.'
};

// The masks of the kClassifyBytes bytes at `p`, in the low bits (bytes past the line's end not yet cleared).
LineBytes classify_half(const char* p)
{
#if defined(ZELMOR_SSE2)
    const auto bits = [](__m128i low, __m128i high) {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(low)) |
                                          (static_cast<std::uint32_t>(_mm_movemask_epi8(high)) << 16));
    };
    // \t to \r are the 5 bytes from 9: b - 9 taken as unsigned is below 5, which a signed comparison
    // tells once the top bits are flipped.
    const auto blank = [](__m128i b) {
        const __m128i from_tab = _mm_xor_si128(_mm_sub_epi8(b, _mm_set1_epi8('\t')), _mm_set1_epi8(-128));
        return _mm_or_si128(_mm_cmplt_epi8(from_tab, _mm_set1_epi8(5 - 128)), _mm_cmpeq_epi8(b, _mm_set1_epi8(' ')));
    };
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    const __m128i point = _mm_set1_epi8('.');
    return LineBytes{~bits(blank(low), blank(high)), bits(_mm_cmpeq_epi8(low, point), _mm_cmpeq_epi8(high, point))};
#else
    // Eight bytes at a time; a blank is a space or one of \t to \r.
    LineBytes bytes{};
    for (std::size_t at = 0; at < kClassifyBytes; at += 8) {
        const std::uint64_t word = swar::load8(p + at);
        const std::uint64_t blanks = swar::bytes_equal(word, ' ') | swar::bytes_between(word, '\t', '\r');
        bytes.solid |= std::uint64_t{swar::gather(~blanks & swar::kTopBits)} << at;
        bytes.points |= std::uint64_t{swar::gather(swar::bytes_equal(word, '.'))} << at;
    }
    return bytes;
#endif
}

LineBytes classify(std::string_view line)
{
    LineBytes bytes = classify_half(line.data());
    bytes.solid &= 0xFFFFFFFF;
    if (line.size() > kClassifyBytes) {
        const LineBytes more = classify_half(line.data() + kClassifyBytes);
        bytes.solid |= more.solid << kClassifyBytes;
        bytes.points |= more.points << kClassifyBytes;
    }
    bytes.solid &= line.size() >= kWordMaskBytes ? ~std::uint64_t{0} : (std::uint64_t{1} << line.size()) - 1;
    return bytes;
}

// The value of a word that the general number reader reads whole: then the general way reads the same
// number there. False for any other word.
bool word_value(double& value, const char* start, const char* end)
{
    const std::string_view word = text_between(start, end);
    return read_decimal(value, word) == word.size();
}

#if defined(ZELMOR_SSE2)

// Most digits that the vector way joins: one lane each. A number's digits are loaded in the 16 bytes
// that end at its end, and again one byte earlier; since a number ends at the line's second byte or
// later, these loads start no more than 16 bytes before the line.
constexpr std::size_t kLaneDigits = 16;
static_assert(kLaneDigits <= kPaddingBefore);

// Lane masks as sliding windows: the 16 bytes at kLanesFrom + k are set from lane 16 - k on; those at
// kNibblesFrom + k keep the low nibble (a digit's value) from lane 16 - k on.
alignas(16) constexpr unsigned char kLanesFrom[32] = {
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
alignas(16) constexpr unsigned char kNibblesFrom[32] = {
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f};

__m128i load16(const void* p)
{
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}

// A word as a number: an optional sign, then digits with at most one point among them.
struct NumberShape {
    std::size_t end;       // one past its last byte
    std::size_t fraction;  // digits after the point
    std::size_t digit_count;  // digits in all (the bytes other than sign and point, digits or not)
    bool has_point;
    bool negative;
};

NumberShape number_shape(const char* text, std::uint64_t points, std::size_t start, std::size_t end)
{
    const std::uint64_t point = points & ((std::uint64_t{1} << end) - (std::uint64_t{1} << start));
    const bool has_point = point != 0;
    const bool has_sign = text[start] == '-' || text[start] == '+';
    const std::size_t point_at = has_point ? static_cast<std::size_t>(std::countr_zero(point)) : end;
    // A second point counts as a digit here, and the check of the digits refuses it.
    return NumberShape{end, end - point_at - (has_point ? 1 : 0), end - start - (has_sign ? 1 : 0) - (has_point ? 1 : 0),
                       has_point, text[start] == '-'};
}

// The bytes of a number's digits with its point taken out, right-aligned (its last digit in lane 15):
// the bytes up to the point are taken from a load one byte earlier than those after it. Lanes before
// the digits hold whatever came before the number. Needs 17 readable bytes before the number's end.
__m128i digit_lanes(const char* text, const NumberShape& number)
{
    const __m128i at_end = load16(text + number.end - 16);
    const __m128i one_earlier = load16(text + number.end - 17);
    const __m128i after_point = load16(kLanesFrom + (number.has_point ? number.fraction : kLaneDigits));
    return _mm_or_si128(_mm_and_si128(at_end, after_point), _mm_andnot_si128(after_point, one_earlier));
}

// True when the last `count` lanes of `lanes` are digits.
bool all_digits(__m128i lanes, std::size_t count)
{
    const __m128i from_zero = _mm_xor_si128(_mm_sub_epi8(lanes, _mm_set1_epi8('0')), _mm_set1_epi8(-128));
    const auto digits = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmplt_epi8(from_zero, _mm_set1_epi8(10 - 128))));
    return (digits | ((std::uint32_t{1} << (kLaneDigits - count)) - 1)) == 0xFFFF;
}

// Four digits per 32-bit lane, from 16 digits (one per byte, the first the most significant): bytes are
// widened to 16 bits and joined with a multiply-add into pairs, the pairs into fours.
__m128i fours_of(__m128i digits)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i tens = _mm_set1_epi32(0x0001000A);  // weights 10 and 1 in each pair of 16-bit lanes
    const __m128i pairs = _mm_packs_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(digits, zero), tens),
                                          _mm_madd_epi16(_mm_unpackhi_epi8(digits, zero), tens));
    return _mm_madd_epi16(pairs, _mm_set1_epi32(0x00010064));  // weights 100 and 1
}

// The values of two words that are plain decimals of at most 16 digits, or false.
bool plain_values(PointRecord& record, const char* text, std::uint64_t points, std::size_t first_start,
                  std::size_t first_end, std::size_t second_start, std::size_t second_end)
{
    const NumberShape first = number_shape(text, points, first_start, first_end);
    const NumberShape second = number_shape(text, points, second_start, second_end);
    if (first.digit_count - 1 >= kLaneDigits || second.digit_count - 1 >= kLaneDigits) {
        // No digits, or more than the lanes hold: the general reader tells.
        return word_value(record.first, text + first_start, text + first_end) &&
               word_value(record.second, text + second_start, text + second_end);
    }
    const __m128i first_lanes = digit_lanes(text, first);
    const __m128i second_lanes = digit_lanes(text, second);
    if (!all_digits(first_lanes, first.digit_count) || !all_digits(second_lanes, second.digit_count)) {
        return false;
    }
    // Each number's 16 digits as two lanes of eight (weights 10^4 and 1), then one 64-bit lane.
    const __m128i eights = _mm_madd_epi16(
        _mm_packs_epi32(fours_of(_mm_and_si128(first_lanes, load16(kNibblesFrom + first.digit_count))),
                        fours_of(_mm_and_si128(second_lanes, load16(kNibblesFrom + second.digit_count)))),
        _mm_set1_epi32(0x00012710));
    const __m128i mantissas = _mm_add_epi64(_mm_mul_epu32(eights, _mm_set1_epi64x(100000000)), _mm_srli_epi64(eights, 32));
    const auto first_mantissa = static_cast<std::uint64_t>(_mm_cvtsi128_si64(mantissas));
    const auto second_mantissa = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(mantissas, mantissas)));
    if (first_mantissa > kMaxExactMantissa || second_mantissa > kMaxExactMantissa) {
        return false;
    }
    // Both mantissas and both powers of ten are exact, so the one division rounds each correctly.
    const __m128d values = _mm_div_pd(
        _mm_setr_pd(static_cast<double>(static_cast<std::int64_t>(first_mantissa)),
                    static_cast<double>(static_cast<std::int64_t>(second_mantissa))),
        _mm_setr_pd(kPowersOfTen[first.fraction], kPowersOfTen[second.fraction]));
    const double first_value = _mm_cvtsd_f64(values);
    const double second_value = _mm_cvtsd_f64(_mm_unpackhi_pd(values, values));
    record.first = first.negative ? -first_value : first_value;
    record.second = second.negative ? -second_value : second_value;
    return true;
}

#else

// Most digits that the portable way joins: two words of eight. Each word is loaded as the eight bytes
// that end where its digits end: since a number ends at the line's second byte or later, these loads
// start fewer than 16 bytes before the line.
constexpr std::size_t kWordDigits = 16;
static_assert(kWordDigits <= kPaddingBefore);
// Powers of ten as integers, 10^0 to 10^16: the scale of a fraction of up to kWordDigits digits.
constexpr std::uint64_t kIntegerPowersOfTen[kWordDigits + 1] = {
    1,          10,          100,          1000,          10000,          100000,          1000000,
    10000000,   100000000,   1000000000,   10000000000,   100000000000,   1000000000000,   10000000000000,
    100000000000000, 1000000000000000, 10000000000000000};

// The value of the `count` (at most 8) ASCII digits that end at `end`, or false when any of them is not
// a digit. The eight bytes before `end` are loaded; those before the digits count as '0'. The digits'
// values are then joined in pairs, fours and the eight with three multiplications, each lane's sum
// staying within its lane; the first digit is in the lowest byte, so it weighs most.
bool eight_digits(std::uint64_t& value, const char* end, std::size_t count)
{
    constexpr std::uint64_t kZeros = 0x3030303030303030;  // '0' in every byte
    constexpr std::uint64_t kHighNibbles = 0xF0F0F0F0F0F0F0F0;
    if (count == 0) {
        value = 0;
        return true;
    }
    const std::uint64_t before = (std::uint64_t{1} << (8 * (8 - count))) - 1;  // the bytes before the digits
    const std::uint64_t word = (swar::load8(end - 8) & ~before) | (kZeros & before);
    // A byte is a digit when its high nibble is 3 and it stays below 0x40 when 6 is added.
    if (((word & kHighNibbles) | (((word + 0x0606060606060606) & kHighNibbles) >> 4)) != 0x3333333333333333) {
        return false;
    }
    std::uint64_t lanes = word - kZeros;
    lanes = (lanes * 10 + (lanes >> 8)) & 0x00FF00FF00FF00FF;
    lanes = (lanes * 100 + (lanes >> 16)) & 0x0000FFFF0000FFFF;
    value = (lanes * 10000 + (lanes >> 32)) & 0xFFFFFFFF;
    return true;
}

// The value of the `count` (at most kWordDigits) ASCII digits that end at `end`, or false.
bool digits_value(std::uint64_t& value, const char* end, std::size_t count)
{
    if (count <= 8) {
        return eight_digits(value, end, count);
    }
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    if (!eight_digits(high, end - 8, count - 8) || !eight_digits(low, end, 8)) {
        return false;
    }
    value = high * 100000000 + low;
    return true;
}

// The value of the word from `start` to `end` when it is a plain decimal of 1 to kWordDigits digits (an
// optional sign, digits, an optional point and digits) whose digits make an integer up to 2^53; or,
// when it has more digits, when the general number reader reads it whole. False otherwise.
bool plain_value(double& value, const char* text, std::uint64_t points, std::size_t start, std::size_t end)
{
    const bool has_sign = text[start] == '-' || text[start] == '+';
    const std::uint64_t point = points & ((std::uint64_t{1} << end) - (std::uint64_t{1} << start));
    const std::size_t whole_end = point != 0 ? static_cast<std::size_t>(std::countr_zero(point)) : end;
    const std::size_t whole_count = whole_end - start - (has_sign ? 1 : 0);
    const std::size_t fraction_count = end - whole_end - (point != 0 ? 1 : 0);
    if (whole_count + fraction_count - 1 >= kWordDigits) {
        // No digits, or more than two words hold: the general reader tells.
        return word_value(value, text + start, text + end);
    }
    std::uint64_t whole = 0;
    std::uint64_t fraction = 0;
    if (!digits_value(whole, text + whole_end, whole_count) || !digits_value(fraction, text + end, fraction_count)) {
        return false;
    }
    const std::uint64_t mantissa = whole * kIntegerPowersOfTen[fraction_count] + fraction;
    if (mantissa > kMaxExactMantissa) {
        return false;
    }
    // The mantissa and the power of ten are exact, so the one division rounds correctly.
    const double magnitude = static_cast<double>(mantissa) / kPowersOfTen[fraction_count];
    value = text[start] == '-' ? -magnitude : magnitude;
    return true;
}

bool plain_values(PointRecord& record, const char* text, std::uint64_t points, std::size_t first_start,
                  std::size_t first_end, std::size_t second_start, std::size_t second_end)
{
    return plain_value(record.first, text, points, first_start, first_end) &&
           plain_value(record.second, text, points, second_start, second_end);
}

#endif

}  // namespace

bool scan_plain_line(PointRecord& record, std::string_view line)
{
    const LineBytes bytes = classify(line);
    // The words after the tag: each starts where the byte before it is a blank, and ends where the byte
    // after it is one or the line ends.
    const std::uint64_t tag = bytes.solid & (~bytes.solid + 1);
    const std::uint64_t after_tag = bytes.solid & ~(tag | (tag - 1));
    const std::uint64_t starts = after_tag & ~(after_tag << 1);
    const std::uint64_t ends = after_tag & ~(after_tag >> 1);
    const auto second_end = static_cast<std::size_t>(std::countr_zero(ends & (ends - 1))) + 1;
    // No tag, fewer than two words, or a second word that may go on past the window.
    if (tag == 0 || second_end >= kWordMaskBytes) {
        return false;
    }
    const char* const text = line.data();
    const auto tag_at = static_cast<std::size_t>(std::countr_zero(tag));
    if (text[tag_at] == '\0' ||
        !plain_values(record, text, bytes.points, static_cast<std::size_t>(std::countr_zero(starts)),
                      static_cast<std::size_t>(std::countr_zero(ends)) + 1,
                      static_cast<std::size_t>(std::countr_zero(starts & (starts - 1))), second_end)) {
        return false;
    }
    record.tag = text[tag_at];
    return true;
}

int scan_any_line(PointRecord& record, std::string_view line, bool cut)
{
    const char* const end = line.data() + line.size();
    const char* p = skip_blanks(line.data(), end);
    if (p == end || *p == '\0') {
        return 0;
    }
    record.tag = *p;

    p = skip_blanks(p + 1, end);
    const std::size_t first_length = read_decimal(record.first, text_between(p, end));
    if (first_length == 0) {
        return 1;
    }

    p = skip_blanks(p + first_length, end);
    double second = 0.0;
    const std::size_t second_length = read_decimal(second, text_between(p, end));
    if (second_length == 0 || (cut && may_go_on(p + second_length, end))) {
        return 2;
    }
    record.second = second;
    return kPointItems;
}

int scan_line(PointRecord& record, std::string_view line, bool cut)
{
    if (!cut && scan_plain_line(record, line)) {
        return kPointItems;
    }
    return scan_any_line(record, line, cut);
}

}  // namespace zelmor
