// PUWG 1992 x and y to WGS84 latitude and longitude: one point, and many in groups. Symbols: x and y
// in metres, latitude and longitude in degrees; the steps and their symbols are in to_geodetic_steps.hpp.
#include <zelmor/projection.hpp>

#include "to_geodetic_steps.hpp"

namespace zelmor {
namespace {

using namespace grid;

// Points per group in the batch form: eight chains of math-library calls here, where the forward
// direction's longer chains gain nothing beyond four (measured: 84 ns a point in fours, 80 in eights).
constexpr std::size_t kGroupPoints = 8;

}  // namespace

// Kept out of line, so that the batch form's calls run this very code (see the batch form).
[[gnu::noinline]] int grid_to_geodetic(double& latitude, double& longitude, double x, double y)
{
    std::array<double, 1> latitudes{};
    std::array<double, 1> longitudes{};
    geodetic_of_group<1>(latitudes, longitudes, {x}, {y});
    latitude = latitudes[0];
    longitude = longitudes[0];
    return kConverted;
}

void grid_to_geodetic_batch(int* statuses, double* latitude, double* longitude, const double* x, const double* y,
                            std::size_t count)
{
    grid_to_geodetic_in_groups<kGroupPoints>(statuses, latitude, longitude, x, y, count);
}

}  // namespace zelmor
