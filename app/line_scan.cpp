#include "line_scan.hpp"

#include <cstddef>

#include "decimal_number.hpp"
#include "simple_line_scan.hpp"

namespace zelmor {
namespace {

// White space as the C locale's isspace sees it.
bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::size_t skip_blanks(std::string_view line, std::size_t at)
{
    while (at < line.size() && is_blank(line[at])) {
        ++at;
    }
    return at;
}

// The part of `line` from `at` (at most its size) on.
std::string_view rest_of(std::string_view line, std::size_t at)
{
    return std::string_view(line.data() + at, line.size() - at);
}

}  // namespace

int scan_line(PointRecord& record, std::string_view line, bool cut)
{
    if (!cut && scan_simple_line(record, line)) {
        return kPointItems;
    }
    std::size_t at = skip_blanks(line, 0);
    if (at == line.size() || line[at] == '\0') {
        return 0;
    }
    record.tag = line[at];

    at = skip_blanks(line, at + 1);
    const std::size_t first_length = read_decimal(record.first, rest_of(line, at));
    if (first_length == 0) {
        return 1;
    }

    at = skip_blanks(line, at + first_length);
    double second = 0.0;
    const std::size_t second_length = read_decimal(second, rest_of(line, at));
    if (second_length == 0 || (cut && at + second_length == line.size())) {
        return 2;
    }
    record.second = second;
    return kPointItems;
}

}  // namespace zelmor
