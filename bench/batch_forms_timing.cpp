// The time of the library's batch forms on points given as raw arrays of doubles (as numpy's tofile
// writes them): the C++ side of bench/python_speed.py, which hands the Python package the same arrays.
// The arrays are read and the result arrays written once before the clock starts; then each direction
// is converted `passes` times, and the median pass of each is printed in seconds: "<to grid> <to degrees>".
//
//   batch_forms_timing latitude.f64 longitude.f64 x.f64 y.f64 [passes]
#include <zelmor/projection.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<double> read_doubles(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<double> values(bytes.size() / sizeof(double));
    std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(values.size() * sizeof(double)),
              reinterpret_cast<char*>(values.data()));
    return values;
}

using Conversion = void (*)(int*, double*, double*, const double*, const double*, std::size_t);

// The median time of `passes` conversions of the points in `first` and `second`.
double median_seconds(Conversion convert, const std::vector<double>& first, const std::vector<double>& second,
                      int passes)
{
    std::vector<double> first_out(first.size()), second_out(first.size());
    std::vector<int> statuses(first.size());
    std::vector<double> times;
    for (int pass = 0; pass < passes; ++pass) {
        const auto start = std::chrono::steady_clock::now();
        convert(statuses.data(), first_out.data(), second_out.data(), first.data(), second.data(), first.size());
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: batch_forms_timing latitude.f64 longitude.f64 x.f64 y.f64 [passes]\n");
        return 2;
    }
    const int passes = argc > 5 ? std::atoi(argv[5]) : 3;
    const std::vector<double> latitude = read_doubles(argv[1]), longitude = read_doubles(argv[2]);
    const std::vector<double> x = read_doubles(argv[3]), y = read_doubles(argv[4]);
    std::printf("%.6f %.6f\n", median_seconds(zelmor::geodetic_to_grid_batch, latitude, longitude, passes),
                median_seconds(zelmor::grid_to_geodetic_batch, x, y, passes));
    return 0;
}
