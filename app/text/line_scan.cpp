#include "line_scan.hpp"

#include <bit>
#include <cstddef>
#include <cstdint>

#include "decimal_number.hpp"
#include "quick_scan_choice.hpp"
#if defined(ZELMOR_SSE2)
#include "quick_scan_sse2.hpp"
#else
#include "quick_scan_portable.hpp"
#endif

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

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// True when the text from `p` to `end`, the end of a cut line, may be the start of more of the number
// just before it: nothing, an exponent mark with or without its sign, or a comma (a decimal comma's
// digits may follow it).
bool may_go_on(const char* p, const char* end)
{
    const std::ptrdiff_t rest = end - p;
    const bool mark = rest >= 1 && (p[0] == 'e' || p[0] == 'E');
    return rest == 0 || (rest == 1 && p[0] == ',') ||
           (mark && (rest == 1 || (rest == 2 && (p[1] == '+' || p[1] == '-'))));
}

// True when the text at `p` goes on a number with a decimal comma and a digit ("21,0122"): then the
// number read before it is only its whole part, which is no reading of the number at all.
bool decimal_comma_follows(const char* p, const char* end)
{
    return end - p >= 2 && p[0] == ',' && is_digit(p[1]);
}

std::string_view text_between(const char* p, const char* end)
{
    return std::string_view(p, static_cast<std::size_t>(end - p));
}

// The masks of a line's first kWordMaskBytes bytes: its words, and its points.
quick::LineBytes classify(std::string_view line)
{
    using quick::kClassifyBytes;
    quick::LineBytes bytes = quick::classify_half(line.data());
    bytes.solid &= 0xFFFFFFFF;
    if (line.size() > kClassifyBytes) {
        const quick::LineBytes more = quick::classify_half(line.data() + kClassifyBytes);
        bytes.solid |= more.solid << kClassifyBytes;
        bytes.points |= more.points << kClassifyBytes;
    }
    bytes.solid &= line.size() >= quick::kWordMaskBytes ? ~std::uint64_t{0} : (std::uint64_t{1} << line.size()) - 1;
    return bytes;
}

}  // namespace

bool scan_quick_line(PointRecord& record, std::string_view line)
{
    const quick::LineBytes bytes = classify(line);
    // The words after the tag: each starts where the byte before it is a blank, and ends where the byte
    // after it is one or the line ends.
    const std::uint64_t tag = bytes.solid & (~bytes.solid + 1);
    const std::uint64_t after_tag = bytes.solid & ~(tag | (tag - 1));
    const std::uint64_t starts = after_tag & ~(after_tag << 1);
    const std::uint64_t ends = after_tag & ~(after_tag >> 1);
    const auto second_end = static_cast<std::size_t>(std::countr_zero(ends & (ends - 1))) + 1;
    // No tag, fewer than two words, or a second word that may go on past the window.
    if (tag == 0 || second_end >= quick::kWordMaskBytes) {
        return false;
    }
    const char* const text = line.data();
    const auto tag_at = static_cast<std::size_t>(std::countr_zero(tag));
    if (text[tag_at] == '\0' ||
        !quick::plain_values(record, text, bytes.points, static_cast<std::size_t>(std::countr_zero(starts)),
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
    p += second_length;
    if (second_length == 0 || decimal_comma_follows(p, end) || (cut && may_go_on(p, end))) {
        return 2;
    }
    record.second = second;
    return kPointItems;
}

int scan_line(PointRecord& record, std::string_view line, bool cut)
{
    if (!cut && scan_quick_line(record, line)) {
        return kPointItems;
    }
    return scan_any_line(record, line, cut);
}

}  // namespace zelmor
