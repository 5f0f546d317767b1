// Per-operation costs: each conversion, the scanning of one line and the formatting of one result line,
// over a fixed set of points like those of a field export (mixed geodetic and grid, inside the area).
#include <zelmor/projection.hpp>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "decimal_number.hpp"
#include "line_scan.hpp"
#include "point_lines.hpp"
#include "result_line.hpp"
#include "to_geodetic_steps.hpp"
#include "to_grid_steps.hpp"

namespace {

constexpr std::size_t kPoints = 4096;  // cycled through, so that branch predictors cannot learn them

struct Sample {
    std::vector<std::string> lines[3];  // of each shape of file, with the scanner's paddings
    std::vector<zelmor::PointRecord> geodetic;
    std::vector<zelmor::PointRecord> grid;
};

const Sample& sample()
{
    static const Sample data = [] {
        Sample s;
        std::mt19937_64 random(1992);
        std::uniform_real_distribution<double> latitude(49.0, 54.8), longitude(14.1, 24.1);
        std::uniform_real_distribution<double> northing(130000.0, 780000.0), easting(170000.0, 860000.0);
        for (std::size_t i = 0; i < kPoints; ++i) {
            const double b = latitude(random), l = longitude(random);
            const double x = northing(random), y = easting(random);
            s.geodetic.push_back({'W', b, l});
            s.grid.push_back({'P', x, y});
        }
        for (int shape = 0; shape < 3; ++shape) {
            zelmor_bench::PointLines lines{};
            lines.random.seed(1992);
            for (std::size_t i = 0; i < kPoints; ++i) {
                std::string line = zelmor_bench::next_line(lines, static_cast<zelmor_bench::Shape>(shape));
                line.pop_back();  // the newline
                s.lines[shape].push_back(std::string(zelmor::kPaddingBefore, '\0') + line +
                                         std::string(zelmor::kPaddingAfter, '\0'));
            }
        }
        return s;
    }();
    return data;
}

// One direction of conversion over its points; results slots first, as both conversions take them.
void conversion(benchmark::State& state, int (*convert)(double&, double&, double, double),
                const std::vector<zelmor::PointRecord>& (*points_of)())
{
    const auto& points = points_of();
    std::size_t i = 0;
    for (auto _ : state) {
        double first = 0, second = 0;
        benchmark::DoNotOptimize(convert(first, second, points[i].first, points[i].second));
        benchmark::DoNotOptimize(first + second);
        i = (i + 1) % kPoints;
    }
}
const std::vector<zelmor::PointRecord>& geodetic_points()
{
    return sample().geodetic;
}
const std::vector<zelmor::PointRecord>& grid_points()
{
    return sample().grid;
}
BENCHMARK_CAPTURE(conversion, geodetic_to_grid, zelmor::geodetic_to_grid, geodetic_points);
BENCHMARK_CAPTURE(conversion, grid_to_geodetic, zelmor::grid_to_geodetic, grid_points);

// Each direction over all the sample's points in groups of N, as the batch forms convert them (N = 1 is
// the one-point functions' own code); the time is per point.
using GroupConversion = void (*)(int*, double*, double*, const double*, const double*, std::size_t);
void in_groups(benchmark::State& state, GroupConversion convert, const std::vector<zelmor::PointRecord>& (*points_of)())
{
    const auto& points = points_of();
    std::vector<double> first(kPoints), second(kPoints), first_out(kPoints), second_out(kPoints);
    std::vector<int> statuses(kPoints);
    for (std::size_t i = 0; i < kPoints; ++i) {
        first[i] = points[i].first;
        second[i] = points[i].second;
    }
    for (auto _ : state) {
        convert(statuses.data(), first_out.data(), second_out.data(), first.data(), second.data(), kPoints);
        benchmark::ClobberMemory();
    }
    state.counters["per_point"] =
        benchmark::Counter(kPoints, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK_CAPTURE(in_groups, to_grid_1, zelmor::grid::geodetic_to_grid_in_groups<1>, geodetic_points);
BENCHMARK_CAPTURE(in_groups, to_grid_2, zelmor::grid::geodetic_to_grid_in_groups<2>, geodetic_points);
BENCHMARK_CAPTURE(in_groups, to_grid_4, zelmor::grid::geodetic_to_grid_in_groups<4>, geodetic_points);
BENCHMARK_CAPTURE(in_groups, to_grid_8, zelmor::grid::geodetic_to_grid_in_groups<8>, geodetic_points);
BENCHMARK_CAPTURE(in_groups, to_geodetic_1, zelmor::grid::grid_to_geodetic_in_groups<1>, grid_points);
BENCHMARK_CAPTURE(in_groups, to_geodetic_2, zelmor::grid::grid_to_geodetic_in_groups<2>, grid_points);
BENCHMARK_CAPTURE(in_groups, to_geodetic_4, zelmor::grid::grid_to_geodetic_in_groups<4>, grid_points);
BENCHMARK_CAPTURE(in_groups, to_geodetic_8, zelmor::grid::grid_to_geodetic_in_groups<8>, grid_points);

// Scanning the lines of a file of one shape, by `scan` (the whole scanner, or only its general way).
void scan(benchmark::State& state, int (*scan)(zelmor::PointRecord&, std::string_view, bool), int shape)
{
    const auto& lines = sample().lines[shape];
    std::size_t i = 0;
    for (auto _ : state) {
        zelmor::PointRecord record{};
        const std::string& line = lines[i];
        const std::string_view text(line.data() + zelmor::kPaddingBefore,
                                    line.size() - zelmor::kPaddingBefore - zelmor::kPaddingAfter);
        benchmark::DoNotOptimize(scan(record, text, false));
        benchmark::DoNotOptimize(record);
        i = (i + 1) % kPoints;
    }
}
BENCHMARK_CAPTURE(scan, mixed, zelmor::scan_line, 0);
BENCHMARK_CAPTURE(scan, gnss, zelmor::scan_line, 1);
BENCHMARK_CAPTURE(scan, field, zelmor::scan_line, 2);
BENCHMARK_CAPTURE(scan, field_general_way, zelmor::scan_any_line, 2);

void format_result_line(benchmark::State& state)
{
    const auto& geodetic = sample().geodetic;
    const auto& grid = sample().grid;
    char out[zelmor::kMaxResultLineLength];
    std::size_t i = 0;
    for (auto _ : state) {
        // Alternating like mixed input: grid results (six-digit metres), geodetic ones (two-digit degrees).
        const auto& point = (i & 1) ? grid[i] : geodetic[i];
        benchmark::DoNotOptimize(zelmor::format_result_line(out, 'P', point.first, point.second));
        benchmark::ClobberMemory();
        i = (i + 1) % kPoints;
    }
}
BENCHMARK(format_result_line);

}  // namespace

BENCHMARK_MAIN();
