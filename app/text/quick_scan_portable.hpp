// The scanner's quick way, its portable build for any processor: a line's bytes classified and a
// number's digits joined eight at a time in 64-bit words.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "byte_words.hpp"
#include "line_scan.hpp"
#include "quick_scan_words.hpp"

namespace zelmor::quick {

// The masks of the kClassifyBytes bytes at `p`, in the low bits (bytes past the line's end not yet
// cleared): eight bytes at a time; a blank is a space or one of \t to \r.
inline LineBytes classify_half(const char* p)
{
    LineBytes bytes{};
    for (std::size_t at = 0; at < kClassifyBytes; at += 8) {
        const std::uint64_t word = swar::load8(p + at);
        const std::uint64_t blanks = swar::bytes_equal(word, ' ') | swar::bytes_between(word, '\t', '\r');
        bytes.solid |= std::uint64_t{swar::gather(~blanks & swar::kTopBits)} << at;
        bytes.points |= std::uint64_t{swar::gather(swar::bytes_equal(word, '.'))} << at;
    }
    return bytes;
}

// Most digits that the portable way joins: two words of eight. Each word is loaded as the eight bytes
// that end where its digits end: since a number ends at the line's second byte or later, these loads
// start fewer than 16 bytes before the line.
inline constexpr std::size_t kWordDigits = 16;
static_assert(kWordDigits <= kPaddingBefore);
// Powers of ten as integers, 10^0 to 10^16: the scale of a fraction of up to kWordDigits digits.
inline constexpr std::uint64_t kIntegerPowersOfTen[kWordDigits + 1] = {1,
                                                                       10,
                                                                       100,
                                                                       1000,
                                                                       10000,
                                                                       100000,
                                                                       1000000,
                                                                       10000000,
                                                                       100000000,
                                                                       1000000000,
                                                                       10000000000,
                                                                       100000000000,
                                                                       1000000000000,
                                                                       10000000000000,
                                                                       100000000000000,
                                                                       1000000000000000,
                                                                       10000000000000000};

// The value of the `count` (at most 8) ASCII digits that end at `end`, or false when any of them is not
// a digit. The eight bytes before `end` are loaded; those before the digits count as '0'. The digits'
// values are then joined in pairs, fours and the eight with three multiplications, each lane's sum
// staying within its lane; the first digit is in the lowest byte, so it weighs most.
inline bool eight_digits(std::uint64_t& value, const char* end, std::size_t count)
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
inline bool digits_value(std::uint64_t& value, const char* end, std::size_t count)
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
inline bool plain_value(double& value, const char* text, std::uint64_t points, std::size_t start, std::size_t end)
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

// The values of the two words from `first_start` to `first_end` and `second_start` to `second_end`, when
// both are plain decimals as plain_value takes them; false otherwise.
inline bool plain_values(PointRecord& record, const char* text, std::uint64_t points, std::size_t first_start,
                         std::size_t first_end, std::size_t second_start, std::size_t second_end)
{
    return plain_value(record.first, text, points, first_start, first_end) &&
           plain_value(record.second, text, points, second_start, second_end);
}

}  // namespace zelmor::quick
