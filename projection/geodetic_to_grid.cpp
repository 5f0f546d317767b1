// WGS84 latitude and longitude to PUWG 1992 x and y: one point, and many in groups. Symbols: latitude
// and longitude in degrees, x and y in metres; the steps and their symbols are in to_grid_steps.hpp.
#include <zelmor/projection.hpp>

#include "to_grid_steps.hpp"

namespace zelmor {
namespace {

using namespace grid;

// Points per group in the batch form: four chains of math-library calls keep the processor busy (71 ns
// a point, against 121 one at a time); eight are slower again (77 ns).
constexpr std::size_t kGroupPoints = 4;

}  // namespace

// Kept out of line, so that the batch form's calls run this very code (see the batch form).
[[gnu::noinline]] int geodetic_to_grid(double& x, double& y, double latitude, double longitude)
{
    Values<1> b{};
    Values<1> dl{};
    const int status = geodetic_angles(b[0], dl[0], latitude, longitude);
    if (status != kConverted) {
        return status;
    }
    Values<1> xs{};
    Values<1> ys{};
    grid_of_group<1>(xs, ys, b, dl);
    x = xs[0];
    y = ys[0];
    return kConverted;
}

void geodetic_to_grid_batch(int* statuses, double* x, double* y, const double* latitude, const double* longitude,
                            std::size_t count)
{
    geodetic_to_grid_in_groups<kGroupPoints>(statuses, x, y, latitude, longitude, count);
}

}  // namespace zelmor
