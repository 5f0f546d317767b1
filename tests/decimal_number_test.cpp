// Reading numbers: the extent of a number, and its value bit for bit against the C library's strtod.
#include "decimal_number.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "padded_text.hpp"

namespace {

// The reader under test, given its padding.
std::size_t read_padded(double& value, std::string_view text)
{
    zelmor_test::PaddedStorage storage;
    return zelmor::read_decimal(value, zelmor_test::padded(storage, text));
}

// Same double, bit for bit (tells -0.0 from 0.0).
::testing::AssertionResult same_bits(const std::string& text, double got, double expected)
{
    if (std::bit_cast<std::uint64_t>(got) == std::bit_cast<std::uint64_t>(expected)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "\"" << text << "\": read " << std::hexfloat << got << ", strtod gives "
                                         << expected;
}

// Reads the whole of `text` and checks the value against strtod.
::testing::AssertionResult reads_like_strtod(const std::string& text)
{
    double value = 0.0;
    const std::size_t used = read_padded(value, text);
    if (used != text.size()) {
        return ::testing::AssertionFailure() << "\"" << text << "\": used " << used << " characters";
    }
    return same_bits(text, value, std::strtod(text.c_str(), nullptr));
}

TEST(DecimalExtent, TheLongestPrefixThatIsANumber)
{
    using namespace std::string_literals;
    const struct {
        std::string text;
        std::size_t length;
    } cases[] = {
        {"52", 2},        {"-52.5", 5},     {"+.5", 3},         {"5.", 2},          {".", 0},
        {"+", 0},         {"-.", 0},        {"", 0},            {"e5", 0},          {"1e", 1},
        {"1e+", 1},       {"1E-x", 1},      {"1.e5", 4},        {"1e+05x", 5},      {"19e5x", 4},
        {"1-9", 1},       {"1..5", 2},      {"1.5.5", 3},       {"52,5", 2},        {" 1", 0},
        {"nan", 0},       {"-inf", 0},      {"Infinity", 0},    {"0x10", 0},        {"-0X1p3", 0},
        {"00x1", 2},      {"0.x", 2},       {"12\0" "3"s, 2},  {"1e5e5", 3},
        {"123456789012345678901234", 24}, {"12345678.12345678", 17}, {"-00000000.00000001e-00000001", 28},
    };
    for (const auto& c : cases) {
        double value = -7.0;
        EXPECT_EQ(read_padded(value, c.text), c.length) << '"' << c.text << '"';
        if (c.length == 0) {
            EXPECT_EQ(value, -7.0) << "value written for \"" << c.text << '"';
        }
    }
}

TEST(DecimalValue, BoundariesOfTheDoubleRange)
{
    const char* cases[] = {
        "0",  "-0",  "0.0e-999", "-0e999999999999999", "9007199254740991", "9007199254740992",
        "9007199254740993",  // halfway between 2^53 and 2^53+2: ties to even
        "9007199254740995", "9007199254740993.0000000000000000001", "18014398509481985",
        "0.1", "0.3", "1e22", "1e23", "8.5e-22", "123456789012345678",
        "2.2250738585072011e-308", "2.2250738585072012e-308", "2.2250738585072014e-308",
        "4.9406564584124654e-324", "2.4703282292062327e-324", "2.4703282292062328e-324",
        "1e-320", "-1e-320", "1e-324", "1e-400", "-1e-400", "1e-99999999999999999999",
        "1.7976931348623157e308", "1.7976931348623158e308", "1.7976931348623159e308",
        "1e309", "-1e309", "1e99999999999999999999", "0.00000000000000000000000000001e340",
        "100000000000000000000000000000000000000e-350", "000000000000000000000000001.5",
        ".0000000000000000000000001e25", "459309.2094", "-0.00001",
    };
    for (const char* text : cases) {
        EXPECT_TRUE(reads_like_strtod(text));
    }
}

TEST(DecimalValue, HugeIsInfiniteAndTinyIsSignedZero)
{
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"1e400", INFINITY},       {"-1e400", -INFINITY},  {"123456789e999999", INFINITY},
        {"0.000001e-400", 0.0},    {"-1e-400", -0.0},      {"5000e-327", 4.94065645841246544e-324},
    };
    for (const auto& c : cases) {
        double value = 0.0;
        read_padded(value, c.text);
        EXPECT_TRUE(same_bits(c.text, value, c.value));
    }
}

TEST(DecimalValue, ThousandDigitMantissas)
{
    // Built by appending: GCC 12 warns falsely about concatenating long temporaries here.
    const std::string digits(1000, '3');
    std::string fraction = "0.";
    fraction += digits;
    std::string large = "1";
    large.append(400, '0').append("e-400");
    std::string small = "0.";
    small.append(330, '0').append("1e10");
    std::string far = "0.";  // 52: an exponent above 10^5 that the zeros bring back
    far.append(100000, '0').append("52e100002");
    for (const std::string& text : {digits, fraction, large, small, far}) {
        EXPECT_TRUE(reads_like_strtod(text));
    }
}

// The exact decimal of a midpoint between neighbouring doubles near 2^exponent, as its significant
// digits (ending in 5) and its exponent part ("e-308"). A midpoint has 54 significant bits, so a long
// double holds it exactly and printf can spell it out digit for digit.
struct Midpoint {
    std::string mantissa;
    std::string suffix;
};

Midpoint random_midpoint(std::mt19937_64& random, int exponent)
{
    const double low = std::ldexp(1.0 + std::ldexp(static_cast<double>(random() >> 12), -52), exponent);
    const long double midpoint = (static_cast<long double>(low) + std::nextafter(low, INFINITY)) / 2;
    char text[1200];
    std::snprintf(text, sizeof text, "%.1100Le", midpoint);
    const std::string exact = text;
    const std::size_t e = exact.find('e');
    Midpoint result{exact.substr(0, e), exact.substr(e)};
    while (result.mantissa.back() == '0') {
        result.mantissa.pop_back();
    }
    return result;
}

// Exact midpoints, and the decimals just either side of them: the cases a reader that rounds twice gets
// wrong.
TEST(DecimalValue, HalfwayCasesAndTheirNeighbours)
{
    std::mt19937_64 random(53);
    std::uniform_int_distribution<int> exponent(-1070, 1020);
    for (int i = 0; i < 3000; ++i) {
        const Midpoint m = random_midpoint(random, exponent(random));
        EXPECT_TRUE(reads_like_strtod(m.mantissa + m.suffix));
        EXPECT_TRUE(reads_like_strtod(m.mantissa + "000001" + m.suffix));
        std::string below = m.mantissa;
        below.back() = static_cast<char>(below.back() - 1);  // the last digit of an exact midpoint is 5
        EXPECT_TRUE(reads_like_strtod(below + "9999" + m.suffix));
    }
}

// Long decimals are read from their first 800 significant digits and whether anything nonzero follows:
// a midpoint (subnormal ones have the most digits) followed by zeros to far past that and then a 1
// rounds up, and with zeros only it rounds to even; leading zeros and a long whole part do not count.
TEST(DecimalValue, DigitsFarBeyondTheFirstEightHundredStillDecide)
{
    std::mt19937_64 random(768);
    for (const int exponent : {-1074, -1060, -1030, -600, 0, 52, 900}) {
        for (int i = 0; i < 20; ++i) {
            const Midpoint m = random_midpoint(random, exponent);
            // Built by appending: GCC 12 warns falsely about concatenating long temporaries here.
            const std::string zeros(1000 - m.mantissa.size(), '0');
            std::string leading = "0.";
            leading.append(500, '0').append(m.mantissa, 0, 1).append(m.mantissa, 2);  // the point moved
            std::string shifted = "e";
            shifted += std::to_string(std::stoi(m.suffix.substr(1)) + 501);
            for (const std::string& tail : {zeros + "1", zeros, zeros + "0000", std::string("")}) {
                EXPECT_TRUE(reads_like_strtod(m.mantissa + tail + m.suffix));
                EXPECT_TRUE(reads_like_strtod(leading + tail + shifted));
            }
        }
    }
    std::string nines(1200, '9');
    EXPECT_TRUE(reads_like_strtod(nines));  // about 10^1200: infinite
    nines[309] = '.';
    EXPECT_TRUE(reads_like_strtod(nines));  // about 10^309: just above the largest double
    std::string tiny = "0.";
    tiny.append(1000, '0').append("1");
    EXPECT_TRUE(reads_like_strtod(tiny));  // far below the smallest
}

TEST(DecimalValue, RandomDecimalsAgreeWithStrtod)
{
    std::mt19937_64 random(1992);
    std::uniform_int_distribution<int> digit_count(1, 24);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> exponent(-340, 330);
    std::uniform_int_distribution<int> coin(0, 3);
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        if (coin(random) == 0) {
            text += '-';
        }
        const int count = digit_count(random);
        const int point = std::uniform_int_distribution<int>(0, count)(random);
        for (int k = 0; k < count; ++k) {
            if (k == point) {
                text += '.';
            }
            text += static_cast<char>('0' + digit(random));
        }
        if (coin(random) != 0) {
            text += 'e' + std::to_string(coin(random) == 0 ? exponent(random) : exponent(random) / 20);
        }
        ASSERT_TRUE(reads_like_strtod(text));
    }
}

}  // namespace
