// The scanner's quick way on x86-64: a line's bytes classified 16 at a time, and a number's digits
// joined in SSE2 vector lanes.
#pragma once

#include <emmintrin.h>

#include <bit>
#include <cstddef>
#include <cstdint>

#include "line_scan.hpp"
#include "quick_scan_words.hpp"

namespace zelmor::quick {

// The masks of the kClassifyBytes bytes at `p`, in the low bits (bytes past the line's end not yet cleared).
inline LineBytes classify_half(const char* p)
{
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
}

// Most digits that the vector way joins: one lane each. A number's digits are loaded in the 16 bytes
// that end at its end, and again one byte earlier; since a number ends at the line's second byte or
// later, these loads start no more than 16 bytes before the line.
inline constexpr std::size_t kLaneDigits = 16;
static_assert(kLaneDigits <= kPaddingBefore);

// Lane masks as sliding windows: the 16 bytes at kLanesFrom + k are set from lane 16 - k on; those at
// kNibblesFrom + k keep the low nibble (a digit's value) from lane 16 - k on.
alignas(16) inline constexpr unsigned char kLanesFrom[32] = {
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
alignas(16) inline constexpr unsigned char kNibblesFrom[32] = {
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f, 0x0f};

inline __m128i load16(const void* p)
{
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}

// A word as a number: an optional sign, then digits with at most one point among them.
struct NumberShape {
    std::size_t end;          // one past its last byte
    std::size_t fraction;     // digits after the point
    std::size_t digit_count;  // digits in all (the bytes other than sign and point, digits or not)
    bool has_point;
    bool negative;
};

inline NumberShape number_shape(const char* text, std::uint64_t points, std::size_t start, std::size_t end)
{
    const std::uint64_t point = points & ((std::uint64_t{1} << end) - (std::uint64_t{1} << start));
    const bool has_point = point != 0;
    const bool has_sign = text[start] == '-' || text[start] == '+';
    const std::size_t point_at = has_point ? static_cast<std::size_t>(std::countr_zero(point)) : end;
    // A second point counts as a digit here, and the check of the digits refuses it.
    return NumberShape{end, end - point_at - (has_point ? 1 : 0),
                       end - start - (has_sign ? 1 : 0) - (has_point ? 1 : 0), has_point, text[start] == '-'};
}

// The bytes of a number's digits with its point taken out, right-aligned (its last digit in lane 15):
// the bytes up to the point are taken from a load one byte earlier than those after it. Lanes before
// the digits hold whatever came before the number. Needs 17 readable bytes before the number's end.
inline __m128i digit_lanes(const char* text, const NumberShape& number)
{
    const __m128i at_end = load16(text + number.end - 16);
    const __m128i one_earlier = load16(text + number.end - 17);
    const __m128i after_point = load16(kLanesFrom + (number.has_point ? number.fraction : kLaneDigits));
    return _mm_or_si128(_mm_and_si128(at_end, after_point), _mm_andnot_si128(after_point, one_earlier));
}

// True when the last `count` lanes of `lanes` are digits.
inline bool all_digits(__m128i lanes, std::size_t count)
{
    const __m128i from_zero = _mm_xor_si128(_mm_sub_epi8(lanes, _mm_set1_epi8('0')), _mm_set1_epi8(-128));
    const auto digits =
        static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmplt_epi8(from_zero, _mm_set1_epi8(10 - 128))));
    return (digits | ((std::uint32_t{1} << (kLaneDigits - count)) - 1)) == 0xFFFF;
}

// Four digits per 32-bit lane, from 16 digits (one per byte, the first the most significant): bytes are
// widened to 16 bits and joined with a multiply-add into pairs, the pairs into fours.
inline __m128i fours_of(__m128i digits)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i tens = _mm_set1_epi32(0x0001000A);  // weights 10 and 1 in each pair of 16-bit lanes
    const __m128i pairs = _mm_packs_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(digits, zero), tens),
                                          _mm_madd_epi16(_mm_unpackhi_epi8(digits, zero), tens));
    return _mm_madd_epi16(pairs, _mm_set1_epi32(0x00010064));  // weights 100 and 1
}

// The values of two words that are plain decimals of at most 16 digits, or false.
inline bool plain_values(PointRecord& record, const char* text, std::uint64_t points, std::size_t first_start,
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
    const __m128i mantissas =
        _mm_add_epi64(_mm_mul_epu32(eights, _mm_set1_epi64x(100000000)), _mm_srli_epi64(eights, 32));
    const auto first_mantissa = static_cast<std::uint64_t>(_mm_cvtsi128_si64(mantissas));
    const auto second_mantissa =
        static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(mantissas, mantissas)));
    if (first_mantissa > kMaxExactMantissa || second_mantissa > kMaxExactMantissa) {
        return false;
    }
    // Both mantissas and both powers of ten are exact, so the one division rounds each correctly.
    const __m128d values = _mm_div_pd(_mm_setr_pd(static_cast<double>(static_cast<std::int64_t>(first_mantissa)),
                                                  static_cast<double>(static_cast<std::int64_t>(second_mantissa))),
                                      _mm_setr_pd(kPowersOfTen[first.fraction], kPowersOfTen[second.fraction]));
    const double first_value = _mm_cvtsd_f64(values);
    const double second_value = _mm_cvtsd_f64(_mm_unpackhi_pd(values, values));
    record.first = first.negative ? -first_value : first_value;
    record.second = second.negative ? -second_value : second_value;
    return true;
}

}  // namespace zelmor::quick
