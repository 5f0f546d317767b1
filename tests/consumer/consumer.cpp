// Converts one point each way through the installed library and prints the results.
#include <zelmor/projection.hpp>

#include <cstdio>

int main()
{
    double x = 0.0;
    double y = 0.0;
    double latitude = 0.0;
    double longitude = 0.0;
    const int forward = zelmor::geodetic_to_grid(x, y, 52.0, 19.0);
    const int inverse = zelmor::grid_to_geodetic(latitude, longitude, 459309.2094, 500000.0);
    std::printf("%d %.4f %.4f\n%d %.4f %.4f\n", forward, x, y, inverse, latitude, longitude);
    return 0;
}
