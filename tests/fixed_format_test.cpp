// Printing with four decimals: every value as the C library's printf("%.4f") prints it.
#include "fixed_format.hpp"
#include "result_line.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace {

std::string printed(double value)
{
    char text[zelmor::kMaxFixed4Length + 1];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

std::string formatted(double value)
{
    char text[zelmor::kMaxFixed4Length];
    return std::string(text, zelmor::format_fixed4(text, value));
}

::testing::AssertionResult prints_like_printf(double value)
{
    const std::string expected = printed(value);
    const std::string got = formatted(value);
    if (got == expected) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << std::hexfloat << value << ": \"" << got << "\", printf gives \"" << expected
                                         << '"';
}

TEST(FixedFormat, SignsZerosAndTheEdgesOfTheRange)
{
    const double cases[] = {
        0.0, -0.0, 1e-5, -1e-5, -0.00005, 0.00005, -0.00004999, 0.5, -0.5, 1.0, 9.99995, 99999.99995,
        459309.2094, 500000.0, 52.0, -71.0, 109.0, 1e15, -1e15, std::nextafter(1e15, 0.0), 1e15 + 0.125,
        9007199254740993.0, 1e19, 1.8446744073709552e19, 1e22, 1e300, DBL_MAX, -DBL_MAX, DBL_MIN,
        DBL_TRUE_MIN, -DBL_TRUE_MIN, 4503599627370495.5, 0.99995, 0.99994999999999,
    };
    for (const double value : cases) {
        EXPECT_TRUE(prints_like_printf(value));
    }
}

// Values with an exact 5 in the fifth decimal (k / 2^n): printf rounds these ties to even.
TEST(FixedFormat, ExactTiesRoundToEven)
{
    for (int n = 5; n <= 14; ++n) {
        for (int k = -4000; k <= 4000; k += 3) {
            ASSERT_TRUE(prints_like_printf(std::ldexp(static_cast<double>(k), -n)));
        }
    }
    EXPECT_EQ(formatted(0.03125), "0.0312");
    EXPECT_EQ(formatted(0.09375), "0.0938");
    EXPECT_EQ(formatted(-2.00005 + 2.0), printed(-2.00005 + 2.0));
}

TEST(FixedFormat, RandomDoublesOfEveryMagnitude)
{
    std::mt19937_64 random(1993);
    std::uniform_real_distribution<double> coordinate(-2e6, 2e6);
    for (int i = 0; i < 300000; ++i) {
        ASSERT_TRUE(prints_like_printf(coordinate(random)));
        // Any bit pattern of a finite double: every exponent, subnormals included.
        const double any = std::bit_cast<double>(random());
        if (std::isfinite(any)) {
            ASSERT_TRUE(prints_like_printf(any));
        }
        // Magnitudes around the four decimals and around the 64-bit limit of the fast route.
        const int exponent = static_cast<int>(random() % 80) - 20;
        ASSERT_TRUE(prints_like_printf(std::ldexp(1.0 + static_cast<double>(random() >> 11) * 0x1p-53, exponent)));
    }
}

std::string printed_pair(double first, double second)
{
    return printed(first) + " " + printed(second);
}

::testing::AssertionResult pair_prints_like_printf(double first, double second)
{
    char text[2 * zelmor::kMaxFixed4Length + 1];
    const std::string got(text, zelmor::format_fixed4_pair(text, first, second));
    const std::string expected = printed_pair(first, second);
    if (got == expected) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << std::hexfloat << first << ", " << second << ": \"" << got
                                         << "\", printf gives \"" << expected << '"';
}

// Every value of a four-digit group, in each of the three groups a number is spelled in (the two halves
// of the whole part and the decimals), for the first and for the second number of a pair.
TEST(FixedFormatPair, EveryFourDigitGroupInEveryPlace)
{
    for (int group = 0; group < 10000; ++group) {
        const double decimals = 1.0 + group / 10000.0;                       // 1.gggg
        const double low_half = group + 0.5;                                 // gggg.5000
        const double high_half = group * 10000.0 + 1234.0625;                // gggg1234.0625
        ASSERT_TRUE(pair_prints_like_printf(decimals, high_half));
        ASSERT_TRUE(pair_prints_like_printf(low_half, decimals));
        ASSERT_TRUE(pair_prints_like_printf(high_half, low_half));
    }
}

TEST(FixedFormatPair, RandomPairsOfEveryKind)
{
    std::mt19937_64 random(1994);
    std::uniform_real_distribution<double> metres(-1e7, 1e7);
    std::uniform_real_distribution<double> degrees(-180.0, 180.0);
    const double specials[] = {0.0, -0.0, 1e-5, -0.00005, 0.03125, 67108863.99995, 67108864.0, 99999999.99995,
                               1e8, 1e15, 1e300, DBL_TRUE_MIN, 0x1p-11, -0x1p-12};
    for (int i = 0; i < 200000; ++i) {
        ASSERT_TRUE(pair_prints_like_printf(metres(random), metres(random)));
        ASSERT_TRUE(pair_prints_like_printf(degrees(random), degrees(random)));
        const double special = specials[random() % std::size(specials)];
        ASSERT_TRUE(pair_prints_like_printf(special, metres(random)));
        ASSERT_TRUE(pair_prints_like_printf(degrees(random), special));
    }
}

TEST(ResultLine, TagAndTwoNumbersOnALine)
{
    char text[zelmor::kMaxResultLineLength];
    const std::size_t length = zelmor::format_result_line(text, 'P', 459309.20943, -0.00001);
    EXPECT_EQ(std::string(text, length), "P 459309.2094 -0.0000" + std::string(zelmor::kResultLineEnd));
}

}  // namespace
