// The time of the two conversions alone on the points of a dane.txt: the floor under the whole
// program's time. The file is read and scanned before the clock starts; then every point is converted,
// a few times over, one point at a time and by the batch forms, and the median pass of each is printed
// in seconds: "<one at a time> <in groups>".
//
//   conversions_only dane.txt [passes]
#include <zelmor/projection.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "decimal_number.hpp"
#include "line_scan.hpp"

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: conversions_only dane.txt [passes]\n");
        return 2;
    }
    const int passes = argc > 2 ? std::atoi(argv[2]) : 5;
    // Geodetic and grid points apart, so that each direction runs in a loop of its own with no branch
    // between them: the least the conversions can cost.
    std::vector<zelmor::PointRecord> geodetic;
    std::vector<zelmor::PointRecord> grid;
    std::ifstream file(argv[1], std::ios::binary);
    for (std::string line; std::getline(file, line);) {
        zelmor::PointRecord point{};
        const std::size_t length = line.size();
        // The scanner may load bytes before the line's start and past its end.
        line.insert(0, zelmor::kPaddingBefore, '\0');
        line.append(zelmor::kPaddingAfter, '\0');
        const std::string_view text(line.data() + zelmor::kPaddingBefore, length);
        if (zelmor::scan_line(point, text, false) == zelmor::kPointItems) {
            (point.tag == 'W' ? geodetic : grid).push_back(point);
        }
    }
    // The same points as arrays, for the batch forms.
    std::vector<double> first[2], second[2], first_out[2], second_out[2];
    std::vector<int> statuses[2];
    for (int direction = 0; direction < 2; ++direction) {
        for (const auto& point : direction == 0 ? geodetic : grid) {
            first[direction].push_back(point.first);
            second[direction].push_back(point.second);
        }
        first_out[direction].resize(first[direction].size());
        second_out[direction].resize(first[direction].size());
        statuses[direction].resize(first[direction].size());
    }
    std::vector<double> one_at_a_time;
    std::vector<double> in_groups;
    double checksum = 0.0;  // keeps the results alive
    for (int pass = 0; pass < passes; ++pass) {
        auto start = std::chrono::steady_clock::now();
        for (const auto& point : geodetic) {
            double x = 0.0;
            double y = 0.0;
            zelmor::geodetic_to_grid(x, y, point.first, point.second);
            checksum += x + y;
        }
        for (const auto& point : grid) {
            double latitude = 0.0;
            double longitude = 0.0;
            zelmor::grid_to_geodetic(latitude, longitude, point.first, point.second);
            checksum += latitude + longitude;
        }
        auto stop = std::chrono::steady_clock::now();
        one_at_a_time.push_back(std::chrono::duration<double>(stop - start).count());
        start = std::chrono::steady_clock::now();
        zelmor::geodetic_to_grid_batch(statuses[0].data(), first_out[0].data(), second_out[0].data(), first[0].data(),
                                       second[0].data(), first[0].size());
        zelmor::grid_to_geodetic_batch(statuses[1].data(), first_out[1].data(), second_out[1].data(), first[1].data(),
                                       second[1].data(), first[1].size());
        stop = std::chrono::steady_clock::now();
        in_groups.push_back(std::chrono::duration<double>(stop - start).count());
        for (const auto& results : first_out) {
            checksum += results.empty() ? 0.0 : results.back();  // a file may hold points of one system only
        }
    }
    std::sort(one_at_a_time.begin(), one_at_a_time.end());
    std::sort(in_groups.begin(), in_groups.end());
    std::printf("%.6f %.6f\n", one_at_a_time[one_at_a_time.size() / 2], in_groups[in_groups.size() / 2]);
    std::fprintf(stderr, "points %zu checksum %.6e\n", geodetic.size() + grid.size(), checksum);
    return 0;
}
