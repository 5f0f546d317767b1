// The time of the two conversions alone on the points of a dane.txt: the floor under the whole
// program's time. The file is read and scanned before the clock starts; then every point is converted,
// a few times over, and the median pass is printed in seconds.
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
        line.insert(0, zelmor::kLeadPadding, '\0');
        line.append(zelmor::kReadPadding, '\0');
        const std::string_view text(line.data() + zelmor::kLeadPadding, length);
        if (zelmor::scan_line(point, text, false) == zelmor::kPointItems) {
            (point.tag == 'W' ? geodetic : grid).push_back(point);
        }
    }
    std::vector<double> seconds;
    double checksum = 0.0;  // keeps the results alive
    for (int pass = 0; pass < passes; ++pass) {
        const auto start = std::chrono::steady_clock::now();
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
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("%.6f\n", seconds[seconds.size() / 2]);
    std::fprintf(stderr, "points %zu checksum %.6e\n", geodetic.size() + grid.size(), checksum);
    return 0;
}
