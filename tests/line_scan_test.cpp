// Reading one input line: the tag and two numbers, as "%1s %lf %lf" reads them.
#include "line_scan.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "padded_text.hpp"

namespace {

using zelmor::PointRecord;

// The scanner under test, given its padding.
int scan_padded(PointRecord& record, std::string_view line, bool cut)
{
    std::string storage;
    return zelmor::scan_line(record, zelmor_test::padded(storage, line), cut);
}

struct Expected {
    std::string line;
    int items;
    char tag;
    double first;
    double second;
};

void expect_scan(const Expected& c, bool cut = false)
{
    PointRecord record{};
    const int items = scan_padded(record, c.line, cut);
    EXPECT_EQ(items, c.items) << '"' << c.line << '"';
    if (items >= 1 && c.items >= 1) {
        EXPECT_EQ(record.tag, c.tag) << '"' << c.line << '"';
    }
    if (items >= 2 && c.items >= 2) {
        EXPECT_EQ(record.first, c.first) << '"' << c.line << '"';
    }
    if (items == 3 && c.items == 3) {
        EXPECT_EQ(record.second, c.second) << '"' << c.line << '"';
    }
}

TEST(LineScan, LinesOfTheDescribedBehaviour)
{
    const Expected cases[] = {
        {"W 52 19", 3, 'W', 52, 19},
        {"P 459309.2094 500000", 3, 'P', 459309.2094, 500000},
        {"P 0 0", 3, 'P', 0, 0},
        {"W52 19", 3, 'W', 52, 19},
        {"   \t W 52 19", 3, 'W', 52, 19},
        {"W 52 19 followed by more text", 3, 'W', 52, 19},
        {"W 52,5 19", 2, 'W', 52, 0},
        {"w 52 19", 3, 'w', 52, 19},
        {"X 1", 2, 'X', 1, 0},
        {"X 1 2", 3, 'X', 1, 2},
        {"", 0, 0, 0, 0},
        {"   \t ", 0, 0, 0, 0},
        {"W 52 19\r", 3, 'W', 52, 19},
    };
    for (const auto& c : cases) {
        expect_scan(c);
    }
}

TEST(LineScan, CornersOfTheNumberFormat)
{
    const Expected cases[] = {
        {"W 1. 2.", 3, 'W', 1, 2},
        {"W .5 -.5", 3, 'W', 0.5, -0.5},
        {"W . 1", 1, 'W', 0, 0},
        {"W 1e5 2E-3", 3, 'W', 1e5, 2e-3},
        {"W 52 1-9", 3, 'W', 52, 1},
        {"W+1-2", 3, 'W', 1, -2},
        {"W-.5e+1 +.7", 3, 'W', -5, 0.7},
        {"W\v1\f2", 3, 'W', 1, 2},
        {"\r\n\v\fP\t1\t2", 3, 'P', 1, 2},
        {"W 52 19e5x", 3, 'W', 52, 19e5},
        {"W 52 19e", 3, 'W', 52, 19},       // a dangling exponent mark is not part of the number
        {"W 52 19e+", 3, 'W', 52, 19},
        {"W 52e 19", 2, 'W', 52, 0},        // ... so here the second number cannot start
        {"W 1 .e5", 2, 'W', 1, 0},
        {"W 1 1.e", 3, 'W', 1, 1},
        {"W 52 -", 2, 'W', 52, 0},
        {"W 1 +-2", 2, 'W', 1, 0},
        {"W 1e400 19", 3, 'W', INFINITY, 19},
        {"P 1 -1e-400", 3, 'P', 1, -0.0},
        {"WW 52 19", 1, 'W', 0, 0},
        {"52 19", 3, '5', 2, 19},           // the tag is any non-blank byte
        {"\xc3\xa9 1 2", 1, '\xc3', 0, 0},  // a UTF-8 letter: its first byte is the tag
    };
    for (const auto& c : cases) {
        expect_scan(c);
    }
}

TEST(LineScan, NumberWordsAndHexadecimalFormsAreNotNumbers)
{
    const Expected cases[] = {
        {"W nan 19", 1, 'W', 0, 0},     {"W 52 nan", 2, 'W', 52, 0},    {"W 52 -NaN", 2, 'W', 52, 0},
        {"W 52 inf", 2, 'W', 52, 0},    {"W INF 19", 1, 'W', 0, 0},     {"W 52 Infinity", 2, 'W', 52, 0},
        {"W 0x34 19", 1, 'W', 0, 0},    {"W 52 0x13", 2, 'W', 52, 0},   {"P 1 -0X1p3", 2, 'P', 1, 0},
    };
    for (const auto& c : cases) {
        expect_scan(c);
    }
}

TEST(LineScan, NulEndsTheReadableText)
{
    using namespace std::string_literals;
    const Expected cases[] = {
        {"W 52 19\0 junk"s, 3, 'W', 52, 19},
        {"W 52\0 19"s, 2, 'W', 52, 0},
        {"W\0 52 19"s, 1, 'W', 0, 0},
        {"\0W 52 19"s, 0, 0, 0, 0},
        {"  \0"s, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        expect_scan(c);
    }
}

TEST(LineScan, ACutLineDoesNotTakeANumberThatMayGoOn)
{
    const Expected cases[] = {
        {"W 52 19", 2, 'W', 52, 0},
        {"W 52 19 ", 3, 'W', 52, 19},
        {"W 52 19x", 3, 'W', 52, 19},
        {"W 52", 2, 'W', 52, 0},  // fewer than three items either way
        {"      ", 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        expect_scan(c, true);
    }
}

// Random lines built from pieces that the C library's "%1s %lf %lf" and this scanner must read alike.
// Left out on purpose are the forms where they differ by design: number words, hexadecimal forms, and a
// dangling exponent mark ("52e 19"), which glibc swallows as part of the number.
std::string random_number(std::mt19937& random)
{
    static const char* const kSigns[] = {"", "", "-", "+"};
    static const char* const kExponents[] = {"", "", "", "e5", "E-3", "e+12", "e-320", "e400"};
    std::uniform_int_distribution<int> pick(0, 7);
    std::string text = kSigns[pick(random) % 4];
    const int whole = pick(random) % 5;
    for (int i = 0; i < whole; ++i) {
        text += static_cast<char>('0' + pick(random));
    }
    if (pick(random) % 2 == 0) {
        text += '.';
        const int fraction = pick(random) % 4;
        for (int i = 0; i < fraction; ++i) {
            text += static_cast<char>('0' + pick(random) + 2);
        }
    }
    return text + kExponents[pick(random)];
}

// Same items and values as the C library's "%1s %lf %lf".
void expect_like_scanf(const std::string& line)
{
    char tag_text[2] = {};
    double first = 0, second = 0;
    const int expected = std::sscanf(line.c_str(), "%1s %lf %lf", tag_text, &first, &second);
    PointRecord record{};
    const int items = scan_padded(record, line, false);
    ASSERT_EQ(items, expected < 0 ? 0 : expected) << '"' << line << '"';
    if (items >= 1) {
        ASSERT_EQ(record.tag, tag_text[0]) << '"' << line << '"';
    }
    if (items >= 2) {
        ASSERT_EQ(std::signbit(record.first), std::signbit(first)) << '"' << line << '"';
        ASSERT_EQ(record.first, first) << '"' << line << '"';
    }
    if (items == 3) {
        ASSERT_EQ(std::signbit(record.second), std::signbit(second)) << '"' << line << '"';
        ASSERT_EQ(record.second, second) << '"' << line << '"';
    }
}

// The common shape of a line is read by a quick path that looks at its first 32 bytes at once and
// reads runs of up to eight digits in one step; everything else goes the general way. Lines at the
// edges of that shape must read the same either way.
TEST(LineScan, EdgesOfTheQuickShape)
{
    const std::string lines[] = {
        "W 12345678.12345678 1",           // eight digits before and after the point
        "W 123456789.1 1",                 // nine before
        "W 1.123456789 1",                 // nine after
        "W 99999999.99999999 1",           // sixteen digits: beyond 2^53
        "W 90071992.54740993 1",           // 2^53 + 1 in sixteen digits
        "W 90071992.54740992 1",           // 2^53
        "P 1234567.1234 7654321.4321",
        "P 0.0 0.",
        "P 00000000.00000000 00000001",
        "W 52 19e",                        // an exponent mark right after the second number
        "W 52e1 19",
        "W 52 19x",
        "W 52.19.5",                       // the second number starts at the second point
        "W 52 19 trailing words",
    };
    for (const auto& line : lines) {
        expect_like_scanf(line);
    }
    // A second number that ends at every place around the end of the 32-byte window, with the line
    // ending there or going on.
    for (std::size_t padding = 0; padding < 40; ++padding) {
        std::string start = "W";
        start.append(padding, ' ');
        start += " 52.25 19.125";
        expect_like_scanf(start);
        expect_like_scanf(start + " ");
        expect_like_scanf(start + "7");
        expect_like_scanf(start + "e5");
        std::string indented(padding, '\t');
        indented += "P 459309.2094 500000";
        expect_like_scanf(indented);
    }
}

// Nearly every line of a field export is "<W or P> <digits>.<digits> <digits>.<digits>", read by the
// quickest path of all. Every count of digits on each side of each point, around its limits (none,
// eight, nine), with the line ending there, in a carriage return, or going on.
TEST(LineScan, EdgesOfThePlainShape)
{
    std::mt19937 random(1992);
    std::uniform_int_distribution<int> digit(0, 9);
    const auto digits = [&](int count) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += static_cast<char>('0' + digit(random));
        }
        return text;
    };
    static const char* const kEndings[] = {"", "\r", "\r\r", " ", "7", "e5", ".5", "\t"};
    const int counts[] = {0, 1, 2, 7, 8, 9};
    for (const int first_whole : counts) {
        for (const int first_fraction : counts) {
            for (const int second_whole : counts) {
                for (const int second_fraction : counts) {
                    const std::string line = std::string(digit(random) < 5 ? "W " : "P ") + digits(first_whole) + "." +
                                             digits(first_fraction) + " " + digits(second_whole) + "." +
                                             digits(second_fraction);
                    for (const char* ending : kEndings) {
                        expect_like_scanf(line + ending);
                    }
                }
            }
        }
    }
    const std::string near_misses[] = {
        "X 52.5 19.5",  "w 52.5 19.5",  "W  52.5 19.5", "W 52.5  19.5", " W 52.5 19.5", "W52.5 19.5",
        "W 52.5\t19.5", "W 52.5,19.5",  "W -52.5 19.5", "W 52.5 +19.5", "W 52..5 19.5", "W 52.5 19..5",
        "W 99999999.99999999 1.5",       "W 1.5 90071992.54740993",       "W 1.5 90071992.54740992",
        "P 1234567890123.123456789 1.5", "P 123456.1234 1234567.12345678901234",
        "\rW 52.5 19.5", "W 52.5 19.5\r\n",
    };
    for (const auto& line : near_misses) {
        expect_like_scanf(line);
    }
}

TEST(LineScan, ReadsLikeTheCLibrariesScanf)
{
    static const char* const kTags[] = {"W", "P", "X", "w", "5", "-", ".", ""};
    static const char* const kGaps[] = {"", " ", "  ", "\t", "\r", "\v", " \f ", ",", ";", "#"};
    std::mt19937 random(84);
    std::uniform_int_distribution<int> tag(0, 7);
    std::uniform_int_distribution<int> gap(0, 9);
    for (int i = 0; i < 100000; ++i) {
        const std::string line = std::string(kGaps[gap(random) % 6]) + kTags[tag(random)] + kGaps[gap(random)] +
                                 random_number(random) + kGaps[gap(random)] + random_number(random) +
                                 kGaps[gap(random)] + random_number(random);
        expect_like_scanf(line);
    }
}

}  // namespace
