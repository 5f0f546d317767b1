// The projection library's own sources compiled a second time, plainly (no optimisation, no link-time
// optimisation), into namespace zelmor_plain: the oracle of bit-exactness for the optimised library.
// It calls the same math library at run time, so only what the compiler made of the arithmetic can
// differ. The worked values and the comparison with PROJ guard the formulas themselves.
#pragma once

#include <cstddef>

namespace zelmor_plain {

int geodetic_to_grid(double& x, double& y, double latitude, double longitude);
int grid_to_geodetic(double& latitude, double& longitude, double x, double y);

}  // namespace zelmor_plain
