// Reading one input line: the tag and two numbers, as "%1s %lf %lf" reads them.
#include "line_scan.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <random>
#include <string>

#include "padded_text.hpp"
#include "scanf_reading.hpp"

namespace {

using zelmor::PointRecord;

// The scanner under test, given its padding.
int scan_padded(PointRecord& record, std::string_view line, bool cut)
{
    zelmor_test::PaddedStorage storage;
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

TEST(LineScan, TagAndTwoNumbersOrWhatIsMissing)
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
        // A decimal comma in either number leaves the line without its second number; a comma that no
        // digit follows, or one after a blank, is text after the point like any other.
        {"W 52.2297 21,0122", 2, 'W', 52.2297, 0},
        {"P 459309.2 500000,0 12", 2, 'P', 459309.2, 0},
        {"W 52 19e1,5", 2, 'W', 52, 0},
        {"W 52 19,", 3, 'W', 52, 19},
        {"W 52 19,x", 3, 'W', 52, 19},
        {"W 52 19 ,5", 3, 'W', 52, 19},
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
        // Bytes next to the blanks (\b and 0x0E beside \t to \r, 0x1F), next to the digits ('/' and
        // ':'), and blanks and digits with the top bit set (0xA0, the no-break space of cp1250 files,
        // 0x89, 0xB0) are neither: each build's quick way must see them as the general way does.
        {"W\xA0" "52 19", 1, 'W', 0, 0},   {"W\b52 19", 1, 'W', 0, 0},        {"W\x89" "52 19", 1, 'W', 0, 0},
        {"W\x1f" "52 19", 1, 'W', 0, 0},   {"W 52\x0e" "19", 2, 'W', 52, 0},  {"W 52\x8d" "19", 2, 'W', 52, 0},
        {"W 4:.0 19", 2, 'W', 4, 0},       {"W 4/.0 19", 2, 'W', 4, 0},       {"W 5\xb0" "2 19", 2, 'W', 5, 0},
        {"W 52 1\xb9", 3, 'W', 52, 1},     {"W 52 19:", 3, 'W', 52, 19},      {"W 52 1:9", 3, 'W', 52, 1},
        {"W 52.5 /19", 2, 'W', 52.5, 0},   {"W\x7f" "52 19", 1, 'W', 0, 0},  {"W 52 \xA0" "19", 2, 'W', 52, 0},
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
        {"\0 52 19"s, 0, 0, 0, 0},
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
        {"W 52 19,", 2, 'W', 52, 0},  // the digits of a decimal comma may follow
        {"W 52 19,x", 3, 'W', 52, 19},
        {"      ", 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        expect_scan(c, true);
    }
    // Cut at every byte of a second number, exponents included: never read as a shorter number.
    for (const std::string number : {"1e5", "1.5e+5", "-2.25E-3", "459309.2094", "7.", "0x13"}) {
        for (std::size_t length = 1; length <= number.size(); ++length) {
            expect_scan({"P 52 " + number.substr(0, length), 2, 'P', 52, 0}, true);
        }
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

// Same items and values as the C library's "%1s %lf %lf" (but for a decimal comma, see scanf_reading).
void expect_like_scanf(const std::string& line)
{
    const zelmor_test::ScanfReading expected = zelmor_test::scanf_reading(line);
    PointRecord record{};
    const int items = scan_padded(record, line, false);
    ASSERT_EQ(items, expected.items) << '"' << line << '"';
    if (items >= 1) {
        ASSERT_EQ(record.tag, expected.tag) << '"' << line << '"';
    }
    if (items >= 2) {
        ASSERT_EQ(std::signbit(record.first), std::signbit(expected.first)) << '"' << line << '"';
        ASSERT_EQ(record.first, expected.first) << '"' << line << '"';
    }
    if (items == 3) {
        ASSERT_EQ(std::signbit(record.second), std::signbit(expected.second)) << '"' << line << '"';
        ASSERT_EQ(record.second, expected.second) << '"' << line << '"';
    }
}

// The quick way reads a line exactly as the general way does, or declines; and it declines no line of
// plain decimals whose numbers end within its window: any blanks, signs, 0 to 20 digits on either side
// of a point, CR LF, trailing words, and near misses (exponents, a second point, a comma, 2^53 + 1).
TEST(LineScan, TheQuickWayReadsAsTheGeneralWayOrDeclines)
{
    static const char* const kBlanks[] = {"", " ", "  ", "\t", " \t\v\f ", "                                      "};
    static const char* const kSigns[] = {"", "", "-", "+"};
    static const char* const kEndings[] = {"", "\r", " ", " trailing words", "e5", ".5", "x", ",5", "\0"};
    std::mt19937_64 random(2026);
    const auto digits = [&](std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            text += static_cast<char>('0' + random() % (random() % 4 == 0 ? 1 : 10));  // leading zeros, too
        }
        return text;
    };
    // Whole parts and fractions around 2^53 = 9007199254740992 and 19 digits.
    static const char* const kEdges[][2] = {{"90071992", "54740993"}, {"90071992", "54740992"}, {"", "9007199254740993"},
                                            {"0000", "000000000000001"}, {"123456789012345678", "9"}, {"1", "2345678901234567890"}};
    // A number, and whether the quick way must take it: 1 to 19 digits whose integer is at most 2^53.
    const auto number = [&](bool& plain) {
        const auto edge = random() % 24;
        const std::string whole = edge < std::size(kEdges) ? kEdges[edge][0] : digits(random() % 21);
        const std::string fraction = edge < std::size(kEdges) ? kEdges[edge][1] : digits(random() % 21);
        const std::string all = whole + fraction;
        plain = !all.empty() && all.size() <= 19 && std::stoull(all) <= (std::uint64_t{1} << 53);
        return kSigns[random() % 4] + whole + (random() % 4 != 0 ? "." : "") + fraction;
    };
    int taken = 0;
    for (int i = 0; i < 200000; ++i) {
        bool first_plain = false;
        bool second_plain = false;
        const std::string tag = std::string(kBlanks[random() % 6]) + "WP-5"[random() % 4] + kBlanks[random() % 6];
        const std::string first = number(first_plain);
        const std::string gap = std::string(" \t\r")[random() % 3] + std::string(kBlanks[random() % 6]);
        const std::string second = number(second_plain);
        const std::size_t ending = random() % std::size(kEndings);
        const std::string line = tag + first + gap + second + std::string(kEndings[ending], ending == 8 ? 1 : std::strlen(kEndings[ending]));
        zelmor_test::PaddedStorage storage;
        const std::string_view padded = zelmor_test::padded(storage, line);
        PointRecord quick{};
        PointRecord general{};
        const bool must_take = first_plain && second_plain && ending <= 3 && line.size() - std::strlen(kEndings[ending]) < 64;
        if (!zelmor::scan_quick_line(quick, padded)) {
            ASSERT_FALSE(must_take) << '"' << line << '"';
            continue;
        }
        ++taken;
        ASSERT_EQ(zelmor::scan_any_line(general, padded, false), zelmor::kPointItems) << '"' << line << '"';
        ASSERT_EQ(quick.tag, general.tag) << '"' << line << '"';
        ASSERT_EQ(std::bit_cast<std::uint64_t>(quick.first), std::bit_cast<std::uint64_t>(general.first)) << '"' << line << '"';
        ASSERT_EQ(std::bit_cast<std::uint64_t>(quick.second), std::bit_cast<std::uint64_t>(general.second)) << '"' << line << '"';
    }
    EXPECT_GT(taken, 5000);  // the lines above do exercise the quick way
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
