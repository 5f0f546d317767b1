// A plain evaluation of the two conversions, written apart from the program's and compiled without
// optimisation: the oracle for bit-exactness. It calls the same math library at run time, so only the
// program's own arithmetic (its order of operations, and what the compiler made of it) can differ.
#pragma once

namespace zelmor_test {

int reference_geodetic_to_grid(double& x, double& y, double latitude, double longitude);
void reference_grid_to_geodetic(double& latitude, double& longitude, double x, double y);

}  // namespace zelmor_test
