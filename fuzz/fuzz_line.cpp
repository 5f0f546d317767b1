// Fuzzer of one line in and one line out: the scanner against the C library's "%1s %lf %lf", and the
// formatter against printf("%.4f"), on any bytes.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fixed_format.hpp"
#include "line_scan.hpp"
#include "padded_text.hpp"
#include "scanf_reading.hpp"

namespace {

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// True when `text` holds `word` in any case.
bool contains_in_any_case(std::string_view text, std::string_view word)
{
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
        bool same = true;
        for (std::size_t j = 0; j < word.size() && same; ++j) {
            same = (text[i + j] | 0x20) == word[j];
        }
        if (same) {
            return true;
        }
    }
    return false;
}

// Lines that the C library reads otherwise by design: number words ("nan", "inf", "infinity") and
// hexadecimal forms ("0x1p3"), which it takes as numbers, and an exponent mark not followed by digits,
// which glibc takes into the number.
bool differs_by_design(std::string_view line)
{
    if (contains_in_any_case(line, "nan") || contains_in_any_case(line, "inf") || contains_in_any_case(line, "0x")) {
        return true;
    }
    for (std::size_t i = 1; i < line.size(); ++i) {
        if ((line[i] == 'e' || line[i] == 'E') && (is_digit(line[i - 1]) || line[i - 1] == '.')) {
            std::size_t j = i + 1;
            if (j < line.size() && (line[j] == '+' || line[j] == '-')) {
                ++j;
            }
            if (j >= line.size() || !is_digit(line[j])) {
                return true;
            }
        }
    }
    return false;
}

[[noreturn]] void fail(const char* what, std::string_view line)
{
    std::fprintf(stderr, "%s: \"%.*s\"\n", what, static_cast<int>(line.size()), line.data());
    std::abort();
}

void check_scan(std::string_view line)
{
    zelmor_test::PaddedStorage storage;
    const std::string_view in_place = zelmor_test::padded(storage, line);
    zelmor::PointRecord record{};
    const int items = zelmor::scan_line(record, in_place, false);
    if (items < 0 || items > zelmor::kPointItems) {
        fail("item count out of range", line);
    }
    // The quick way reads what the general way reads, or declines.
    zelmor::PointRecord quick{};
    zelmor::PointRecord general{};
    if (zelmor::scan_quick_line(quick, in_place) &&
        (zelmor::scan_any_line(general, in_place, false) != zelmor::kPointItems || quick.tag != general.tag ||
         std::memcmp(&quick.first, &general.first, sizeof(double)) != 0 ||
         std::memcmp(&quick.second, &general.second, sizeof(double)) != 0)) {
        fail("the quick way reads otherwise than the general way", line);
    }
    const std::string_view text = line.substr(0, line.find('\0'));  // what a C string holds
    if (differs_by_design(text)) {
        return;
    }
    const zelmor_test::ScanfReading expected = zelmor_test::scanf_reading(std::string(text));
    const bool same = items == expected.items && (items < 1 || record.tag == expected.tag) &&
                      (items < 2 || std::memcmp(&record.first, &expected.first, sizeof(double)) == 0) &&
                      (items < 3 || std::memcmp(&record.second, &expected.second, sizeof(double)) == 0);
    if (!same) {
        fail("reads otherwise than sscanf", line);
    }
}

void check_format(double value)
{
    char expected[zelmor::kMaxFixed4Length + 1];
    std::snprintf(expected, sizeof expected, "%.4f", value);
    char got[2 * zelmor::kMaxFixed4Length + 1];
    const std::size_t length = zelmor::format_fixed4(got, value);
    if (std::string_view(got, length) != expected) {
        std::fprintf(stderr, "%a: \"%.*s\", printf gives \"%s\"\n", value, static_cast<int>(length), got, expected);
        std::abort();
    }
    const std::size_t pair = zelmor::format_fixed4_pair(got, value, -value);
    char both[2 * zelmor::kMaxFixed4Length + 2];
    std::snprintf(both, sizeof both, "%.4f %.4f", value, -value);
    if (std::string_view(got, pair) != both) {
        std::fprintf(stderr, "pair %a: \"%.*s\", printf gives \"%s\"\n", value, static_cast<int>(pair), got, both);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    check_scan(bytes);
    // Every eight bytes are also a double to print (printf's "nan" and "inf" are left aside: the program
    // never prints them).
    for (std::size_t at = 0; at + sizeof(double) <= size; at += sizeof(double)) {
        double value = 0.0;
        std::memcpy(&value, data + at, sizeof value);
        if (std::isfinite(value)) {
            check_format(value);
        }
    }
    return 0;
}
