// The two grid conversions: worked values, the accepted area, not-a-number rules, symmetry on the
// central meridian, round trips, and bit-exactness against a plain evaluation of the formulas.
#include <zelmor/projection.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <random>
#include <string>
#include <vector>

#include "plain_projection.hpp"

namespace {

using zelmor::geodetic_to_grid;
using zelmor::grid_to_geodetic;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kUntouched = -123.25;  // sentinel left in result slots that must not be written

std::string fixed4(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

struct Worked {
    double in1, in2;
    const char* out1;
    const char* out2;
};

TEST(GeodeticToGrid, WorkedValuesToTheLastPrintedDigit)
{
    const Worked cases[] = {
        {52, 19, "459309.2094", "500000.0000"},   {52, 21, "461197.2429", "637253.1611"},
        {50, 15, "244636.2912", "213458.0718"},   {54.5, 23.5, "746660.8738", "791241.8593"},
        {48, 13, "32141.9847", "52647.1101"},     {56, 25, "920468.8873", "873837.7994"},
    };
    for (const auto& c : cases) {
        double x = 0, y = 0;
        ASSERT_EQ(geodetic_to_grid(x, y, c.in1, c.in2), zelmor::kConverted) << c.in1 << " " << c.in2;
        EXPECT_EQ(fixed4(x), c.out1) << c.in1 << " " << c.in2;
        EXPECT_EQ(fixed4(y), c.out2) << c.in1 << " " << c.in2;
    }
}

TEST(GridToGeodetic, WorkedValuesToTheLastPrintedDigit)
{
    const Worked cases[] = {
        {459309.2094, 500000, "52.0000", "19.0000"},      {461197.2429, 637253.1611, "52.0000", "21.0000"},
        {500000, 500000, "52.3659", "19.0000"},           {0, 0, "47.6737", "12.3357"},
        {1000000, 1000000, "56.5931", "27.1554"},
    };
    for (const auto& c : cases) {
        double latitude = 0, longitude = 0;
        ASSERT_EQ(grid_to_geodetic(latitude, longitude, c.in1, c.in2), zelmor::kConverted);
        EXPECT_EQ(fixed4(latitude), c.out1) << c.in1 << " " << c.in2;
        EXPECT_EQ(fixed4(longitude), c.out2) << c.in1 << " " << c.in2;
    }
}

TEST(GeodeticToGrid, AcceptedAreaAndWhatLiesOutside)
{
    const struct {
        double latitude, longitude;
        int status;
    } cases[] = {
        {48, 19, 0},           {56, 19, 0},            {52, 13, 0},           {52, 25, 0},
        {48, 13, 0},           {56, 25, 0},            {47.9999999999, 19, 1}, {56.0000000001, 19, 1},
        {52, 12.9999999999, 2}, {52, 25.0000000001, 2}, {47, 30, 1},          {60, 0, 1},
        {-52, 19, 1},          {52, -19, 2},           {kInf, 19, 1},         {-kInf, 19, 1},
        {52, kInf, 2},         {52, -kInf, 2},         {kInf, kInf, 1},       {kInf, kNaN, 1},
        {kNaN, kInf, 2},
    };
    for (const auto& c : cases) {
        double x = kUntouched, y = kUntouched;
        EXPECT_EQ(geodetic_to_grid(x, y, c.latitude, c.longitude), c.status) << c.latitude << " " << c.longitude;
        if (c.status != zelmor::kConverted) {
            EXPECT_EQ(x, kUntouched);
            EXPECT_EQ(y, kUntouched);
        }
    }
}

TEST(GeodeticToGrid, NotANumberPassesItsOwnCheckAndGivesNotANumber)
{
    const struct {
        double latitude, longitude;
    } cases[] = {{kNaN, 19}, {52, kNaN}, {kNaN, kNaN}};
    for (const auto& c : cases) {
        double x = 0, y = 0;
        EXPECT_EQ(geodetic_to_grid(x, y, c.latitude, c.longitude), zelmor::kConverted);
        EXPECT_TRUE(std::isnan(x));
        EXPECT_TRUE(std::isnan(y));
    }
}

TEST(CentralMeridian, EastingIsExactlyTheFalseEastingBothWays)
{
    for (double latitude = 48.0; latitude <= 56.0; latitude += 0.125) {
        double x = 0, y = 0;
        ASSERT_EQ(geodetic_to_grid(x, y, latitude, 19.0), zelmor::kConverted);
        EXPECT_EQ(y, 500000.0) << latitude;
    }
    for (double x = -1e6; x <= 2e6; x += 12345.0) {
        double latitude = 0, longitude = 0;
        grid_to_geodetic(latitude, longitude, x, 500000.0);
        EXPECT_EQ(longitude, 19.0) << x;
    }
}

// The grid is the mirror image of itself about 19 deg E: a point as far east as another is west has the
// same x and the opposite y - 500000, both ways, to rounding (ln((1+p)/(1-p)) and ln((1-p)/(1+p)) are
// rounded apart). The offsets are exact in binary, so that 19 plus and minus them are too.
TEST(CentralMeridian, TheGridIsItsOwnMirrorImage)
{
    constexpr double kMetres = 1e-9;   // agreement to a nanometre
    constexpr double kDegrees = 1e-12;  // and to a picodegree back
    for (double latitude = 48.0; latitude <= 56.0; latitude += 0.5) {
        for (const double offset : {0.0078125, 0.5, 2.25, 5.9921875, 6.0}) {
            double east_x = 0, east_y = 0, west_x = 0, west_y = 0;
            ASSERT_EQ(geodetic_to_grid(east_x, east_y, latitude, 19.0 + offset), zelmor::kConverted);
            ASSERT_EQ(geodetic_to_grid(west_x, west_y, latitude, 19.0 - offset), zelmor::kConverted);
            EXPECT_NEAR(east_x, west_x, kMetres) << latitude << " " << offset;
            EXPECT_NEAR(east_y - 500000.0, 500000.0 - west_y, kMetres) << latitude << " " << offset;
        }
    }
    for (double x = 0.0; x <= 1e6; x += 62500.0) {
        for (const double offset : {0.125, 1000.0, 123456.0, 400000.0}) {
            double east_latitude = 0, east_longitude = 0, west_latitude = 0, west_longitude = 0;
            grid_to_geodetic(east_latitude, east_longitude, x, 500000.0 + offset);
            grid_to_geodetic(west_latitude, west_longitude, x, 500000.0 - offset);
            EXPECT_NEAR(east_latitude, west_latitude, kDegrees) << x << " " << offset;
            EXPECT_NEAR(east_longitude - 19.0, 19.0 - west_longitude, kDegrees) << x << " " << offset;
        }
    }
}

// The control points of tests/data/control_points.gie, each within its tolerance, as a distance on the
// ground in millimetres.
TEST(ControlPoints, EachWithinItsToleranceOnTheGround)
{
    constexpr double kMetresPerDegree = 111320.0;  // of latitude, near enough for distances of millimetres
    constexpr double kDegree = 3.141592653589793 / 180.0;  // radians
    std::ifstream file(ZELMOR_CONTROL_POINTS);
    ASSERT_TRUE(file) << ZELMOR_CONTROL_POINTS;
    std::string operation;
    double tolerance_mm = 0.0;
    double accepted[2] = {};
    int points = 0;
    for (std::string line; std::getline(file, line);) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word == "operation") {
            words >> operation;
        } else if (word == "tolerance") {
            words >> tolerance_mm;
        } else if (word == "accept") {
            words >> accepted[0] >> accepted[1];
        } else if (word == "expect") {
            double expected[2] = {};
            words >> expected[0] >> expected[1];
            double first = kNaN, second = kNaN;
            double off_metres = 0.0;
            if (operation == "geodetic_to_grid") {
                EXPECT_EQ(geodetic_to_grid(first, second, accepted[0], accepted[1]), zelmor::kConverted);
                off_metres = std::hypot(first - expected[0], second - expected[1]);
            } else {
                ASSERT_EQ(operation, "grid_to_geodetic");
                grid_to_geodetic(first, second, accepted[0], accepted[1]);
                off_metres = std::hypot((first - expected[0]) * kMetresPerDegree,
                                        (second - expected[1]) * kMetresPerDegree * std::cos(first * kDegree));
            }
            EXPECT_LE(off_metres * 1000.0, tolerance_mm) << operation << " " << accepted[0] << " " << accepted[1];
            ++points;
        }
    }
    EXPECT_EQ(points, 24);
}

TEST(GridToGeodetic, VeryLargeEastingGivesAnEndOfTheArctangentRange)
{
    for (const double y : {1e9, 1e12, -1e9, -1e12, 1e15}) {
        double latitude = 0, longitude = 0;
        EXPECT_EQ(grid_to_geodetic(latitude, longitude, 500000.0, y), zelmor::kConverted);
        EXPECT_TRUE(longitude == 109.0 || longitude == -71.0) << y << " gives " << longitude;
    }
}

TEST(RoundTrip, EveryPointOfTheAreaComesBackWithinANanodegree)
{
    constexpr double kTolerance = 1e-9;  // degrees
    double worst = 0.0;
    for (int i = 0; i <= 160; ++i) {
        for (int j = 0; j <= 240; ++j) {
            const double latitude = 48.0 + i * 0.05;
            const double longitude = 13.0 + j * 0.05;
            double x = 0, y = 0, back_latitude = 0, back_longitude = 0;
            if (geodetic_to_grid(x, y, latitude, longitude) != zelmor::kConverted) {
                continue;  // a grid node a hair outside after the decimal step; the bounds test covers it
            }
            grid_to_geodetic(back_latitude, back_longitude, x, y);
            worst = std::fmax(worst, std::fabs(back_latitude - latitude));
            worst = std::fmax(worst, std::fabs(back_longitude - longitude));
        }
    }
    EXPECT_LE(worst, kTolerance);
}

// Same double, bit for bit.
bool same_bits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The optimised library against its own sources compiled plainly, bit for bit, over the area and a
// margin around it and over grid coordinates well beyond Poland.
TEST(BitExactness, TheOptimisedBuildComputesWhatThePlainBuildComputes)
{
    std::mt19937_64 random(1992);
    std::uniform_real_distribution<double> latitude(47.9, 56.1), longitude(12.9, 25.1);
    std::uniform_real_distribution<double> metres(-100000.0, 1100000.0);
    for (int i = 0; i < 20000; ++i) {
        const double b = i == 0 ? 52.0 : latitude(random);
        const double l = i == 0 ? 19.0 : longitude(random);
        double x = kUntouched, y = kUntouched, plain_x = kUntouched, plain_y = kUntouched;
        ASSERT_EQ(geodetic_to_grid(x, y, b, l), zelmor_plain::geodetic_to_grid(plain_x, plain_y, b, l)) << b << " " << l;
        ASSERT_TRUE(same_bits(x, plain_x) && same_bits(y, plain_y)) << std::hexfloat << b << " " << l;

        const double gx = metres(random), gy = metres(random);
        double lat = 0, lon = 0, plain_lat = 1, plain_lon = 1;
        grid_to_geodetic(lat, lon, gx, gy);
        zelmor_plain::grid_to_geodetic(plain_lat, plain_lon, gx, gy);
        ASSERT_TRUE(same_bits(lat, plain_lat) && same_bits(lon, plain_lon)) << std::hexfloat << gx << " " << gy;
    }
}

// Points whose printed results lie next to a rounding boundary, with every bit of their results: a slip
// in a constant or in the order of the operations moves them, which the plain build (made from the same
// sources) cannot see. These are glibc's results on x86-64, the same with its FMA, AVX and SSE2 variants
// of the math functions; another math library may differ in the last bit, so they are checked there only.
TEST(BitExactness, PointsNextToRoundingBoundariesToTheLastBit)
{
#if !(defined(__GLIBC__) && defined(__x86_64__))
    GTEST_SKIP() << "the pinned bits are glibc's on x86-64";
#endif
    const struct {
        bool forward;
        double in1, in2, out1, out2;
    } cases[] = {
        {true, 50.194133747345532, 22.803196390884679, 0x1.033f846716c4p+18, 0x1.78a27050b0812p+19},  // y ...5098
        {true, 51.593444214865237, 19.247043007427212, 0x1.946dbd81d7dap+18, 0x1.f8fcec6717501p+18},  // x ...9610
        {false, 720972.81761406607, 660284, 0x1.b29f06f694467p+5, 0x1.577325716173bp+4},            // 54.3276
    };
    for (const auto& c : cases) {
        double out1 = 0, out2 = 0;
        (c.forward ? geodetic_to_grid : grid_to_geodetic)(out1, out2, c.in1, c.in2);
        EXPECT_TRUE(same_bits(out1, c.out1) && same_bits(out2, c.out2)) << std::hexfloat << out1 << " " << out2;
    }
}

// A coordinate of any kind: inside the area and around it, far beyond it, huge, signed zeros, not
// finite; as degrees for the forward direction or metres for the inverse.
double any_coordinate(std::mt19937_64& random, double centre, double spread)
{
    static const double kSpecials[] = {0.0, -0.0, kNaN, -kNaN, kInf, -kInf, 1e300, -1e300, 4.9e-324};
    switch (random() % 6) {
    case 0: return kSpecials[random() % std::size(kSpecials)];
    case 1: return std::uniform_real_distribution<double>(-1e9, 1e9)(random);
    default: return std::uniform_real_distribution<double>(centre - spread, centre + spread)(random);
    }
}

// The batch forms give, point for point, the statuses and the bits of the one-point functions, and
// leave the result slots of points outside the area as they were; for every count from 0 to 37, which
// the group size divides or not.
TEST(BatchForms, EveryPointAsTheOnePointFunctionGivesIt)
{
    std::mt19937_64 random(2026);
    for (std::size_t count = 0; count <= 37; ++count) {
        for (int round = 0; round < 40; ++round) {
            std::vector<double> in1(count), in2(count);
            std::vector<double> out1(count, kUntouched), out2(count, kUntouched);
            std::vector<int> statuses(count, -1);
            const bool forward = round % 2 == 0;
            for (std::size_t i = 0; i < count; ++i) {
                in1[i] = forward ? any_coordinate(random, 52.0, 5.0) : any_coordinate(random, 500000.0, 700000.0);
                in2[i] = forward ? any_coordinate(random, 19.0, 7.0) : any_coordinate(random, 500000.0, 700000.0);
            }
            (forward ? zelmor::geodetic_to_grid_batch : zelmor::grid_to_geodetic_batch)(
                statuses.data(), out1.data(), out2.data(), in1.data(), in2.data(), count);
            for (std::size_t i = 0; i < count; ++i) {
                double one1 = kUntouched, one2 = kUntouched;
                const int status = (forward ? geodetic_to_grid : grid_to_geodetic)(one1, one2, in1[i], in2[i]);
                ASSERT_EQ(statuses[i], status) << std::hexfloat << in1[i] << " " << in2[i];
                ASSERT_TRUE(same_bits(out1[i], one1) && same_bits(out2[i], one2))
                    << std::hexfloat << in1[i] << " " << in2[i] << " of " << count;
            }
        }
    }
}

// Not-a-number of either sign, in either coordinate or both, at every place of a group of eight (the
// grid's groups are four, the degrees' eight) among ordinary points: the sign a one-point conversion
// hands on is the batch form's too, wherever the point sits.
TEST(BatchForms, NotANumberOfEitherSignAtEveryPlaceOfAGroup)
{
    const double values[] = {kNaN, -kNaN, 0.0};  // 0.0: the direction's ordinary coordinate
    for (const bool forward : {true, false}) {
        const double ordinary1 = forward ? 52.0 : 459309.2094;
        const double ordinary2 = forward ? 19.0 : 500000.0;
        for (std::size_t place = 0; place < 8; ++place) {
            for (const double first : values) {
                for (const double second : values) {
                    std::vector<double> in1(8, ordinary1), in2(8, ordinary2);
                    in1[place] = first == 0.0 ? ordinary1 : first;
                    in2[place] = second == 0.0 ? ordinary2 : second;
                    std::vector<double> out1(8, kUntouched), out2(8, kUntouched);
                    std::vector<int> statuses(8, -1);
                    (forward ? zelmor::geodetic_to_grid_batch : zelmor::grid_to_geodetic_batch)(
                        statuses.data(), out1.data(), out2.data(), in1.data(), in2.data(), 8);
                    double one1 = kUntouched, one2 = kUntouched;
                    (forward ? geodetic_to_grid : grid_to_geodetic)(one1, one2, in1[place], in2[place]);
                    EXPECT_TRUE(same_bits(out1[place], one1) && same_bits(out2[place], one2))
                        << (forward ? "to the grid: " : "to degrees: ") << in1[place] << " " << in2[place]
                        << " at " << place;
                }
            }
        }
    }
}

}  // namespace
