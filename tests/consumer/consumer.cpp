// Converts one point each way through the installed library, and two at once, and prints the results.
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
    // The batch form: a point of the area and one south of it, whose slots stay as they were.
    int statuses[2] = {};
    double xs[2] = {-1.0, -1.0};
    double ys[2] = {-1.0, -1.0};
    const double latitudes[2] = {52.0, 47.0};
    const double longitudes[2] = {19.0, 19.0};
    zelmor::geodetic_to_grid_batch(statuses, xs, ys, latitudes, longitudes, 2);
    std::printf("%d %.4f %.4f %d %.4f\n", statuses[0], xs[0], ys[0], statuses[1], xs[1]);
    return 0;
}
