// Point lines in the shapes that real files have, from a random generator: the benchmark files and the
// per-operation benchmarks are made of them.
//
//   mixed  geodetic points ("W latitude longitude", seven decimals) and grid points ("P x y", four
//          decimals), half of each at random, one space apart, LF;
//   gnss   "W" lines with nine decimals (0.1 mm, as receivers write them) and "P" lines with four,
//          alternating, LF;
//   field  a field book exported on Windows: CR LF, one space between items but about one gap in ten a
//          tab or two spaces, "W" with 6 to 10 decimals, "P" with 2 to 4, and about 1% of lines that do
//          not convert (empty, a decimal comma, a comment, an unknown tag, a point outside the area).
//
// All other points lie inside the accepted area.
#pragma once

#include <cstdio>
#include <random>
#include <string>

namespace zelmor_bench {

enum class Shape { kMixed, kGnss, kField };

inline constexpr const char* kShapeNames[] = {"mixed", "gnss", "field"};

struct PointLines {
    std::mt19937_64 random;
    std::uniform_real_distribution<double> latitude{49.0, 54.8};          // degrees
    std::uniform_real_distribution<double> longitude{14.1, 24.1};         // degrees
    std::uniform_real_distribution<double> northing{130000.0, 780000.0};  // metres
    std::uniform_real_distribution<double> easting{170000.0, 860000.0};   // metres
    long long count = 0;                                                  // lines made so far
};

// printf into a string.
template <typename... Values>
std::string printed(const char* format, Values... values)
{
    char text[128];
    const int length = std::snprintf(text, sizeof text, format, values...);
    return std::string(text, static_cast<std::size_t>(length));
}

// One gap between items of a field file: mostly a space, one in ten a tab or two spaces.
inline const char* field_gap(PointLines& lines)
{
    const auto pick = lines.random() % 20;
    return pick == 0 ? "\t" : pick == 1 ? "  " : " ";
}

// The lines of a field file that do not convert, one of each kind in turn.
inline std::string field_problem(PointLines& lines)
{
    const unsigned long long a = lines.random() % 10000000, b = lines.random() % 10000000;
    switch (lines.count % 5) {
    case 0:
        return "\r\n";
    case 1:
        return printed("W 52,%07llu 19,%07llu\r\n", a, b);
    case 2:
        return printed("# stanowisko %llu\r\n", a % 1000);
    case 3:
        return printed("K 5%06llu.%llu 6%06llu.%llu\r\n", a / 10, a % 10, b / 10, b % 10);
    default:
        return printed("W 47.%07llu 19.%07llu\r\n", a, b);
    }
}

// The next line of `shape`, with its line ending. Each value is drawn in a statement of its own, so that
// the lines are the same whatever the compiler.
inline std::string mixed_line(PointLines& lines)
{
    // The second coordinate is drawn first, as in the files this benchmark has always used.
    if (lines.random() & 1) {
        const double longitude = lines.longitude(lines.random);
        return printed("W %.7f %.7f\n", lines.latitude(lines.random), longitude);
    }
    const double easting = lines.easting(lines.random);
    return printed("P %.4f %.4f\n", lines.northing(lines.random), easting);
}

inline std::string gnss_line(PointLines& lines)
{
    if (lines.count % 2 == 0) {
        const double latitude = lines.latitude(lines.random);
        return printed("W %.9f %.9f\n", latitude, lines.longitude(lines.random));
    }
    const double northing = lines.northing(lines.random);
    return printed("P %.4f %.4f\n", northing, lines.easting(lines.random));
}

inline std::string field_line(PointLines& lines)
{
    if (lines.random() % 100 == 0) {
        return field_problem(lines);
    }
    const bool geodetic = (lines.random() & 1) != 0;
    const int decimals = geodetic ? 6 + static_cast<int>(lines.random() % 5) : 2 + static_cast<int>(lines.random() % 3);
    const double first = geodetic ? lines.latitude(lines.random) : lines.northing(lines.random);
    const double second = geodetic ? lines.longitude(lines.random) : lines.easting(lines.random);
    const char* first_gap = field_gap(lines);
    const char* second_gap = field_gap(lines);
    return printed("%c%s%.*f%s%.*f\r\n", geodetic ? 'W' : 'P', first_gap, decimals, first, second_gap, decimals,
                   second);
}

inline std::string next_line(PointLines& lines, Shape shape)
{
    std::string line = shape == Shape::kMixed  ? mixed_line(lines)
                       : shape == Shape::kGnss ? gnss_line(lines)
                                               : field_line(lines);
    ++lines.count;
    return line;
}

}  // namespace zelmor_bench
