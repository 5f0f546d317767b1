#include "projection_reference.hpp"

#include <cmath>

namespace zelmor_test {
namespace {

const double kPi = 3.141592653589793;
const double kForward[7] = {-0.00010504, -0.00111138, 0.13046891,      0.83537915,
                            -63.81145283, 499800.817138, 5765181.11148097};
const double kInverse[7] = {0.00010778, 0.00101782, -0.13125817, -0.8203917, 63.88777449, 500199.26224125, 5760000.0};

void horner(double& re, double& im, const double* c, double zr, double zi)
{
    double wr = c[0] * zr + c[1];
    double wi = c[0] * zi;
    for (int k = 2; k < 7; ++k) {
        const double r = wr * zr - wi * zi + c[k];
        const double i = wi * zr + wr * zi;
        wr = r;
        wi = i;
    }
    re = wr;
    im = wi;
}

}  // namespace

int reference_geodetic_to_grid(double& x, double& y, double latitude, double longitude)
{
    const double b = latitude * kPi / 180.0;
    const double dl = (longitude - 19.0) * kPi / 180.0;
    if (b < 0.8377580409572781 || b > 0.9773843811168246) {
        return 1;
    }
    if (dl < -0.10471975511965977 || dl > 0.10471975511965977) {
        return 2;
    }
    const double s = 0.0818191910428 * std::sin(b);
    const double u = std::pow((1.0 - s) / (1.0 + s), 0.0409095955214);
    const double k = std::tan(b * 0.5 + 0.7853981633974483) * u;
    const double phi = 2.0 * std::atan(k) - 1.5707963267948966;
    const double p = std::sin(dl) * std::cos(phi);
    const double alpha = std::atan(std::sin(phi) / (std::cos(dl) * std::cos(phi)));
    const double x_mercator = alpha * 6367449.14577;
    const double y_mercator = std::log((1.0 + p) / (1.0 - p)) * 3183724.572885;
    double gk_x = 0.0;
    double gk_y = 0.0;
    horner(gk_x, gk_y, kForward, (x_mercator - 5760000.0) * 2e-6, y_mercator * 2e-6);
    x = 0.9993 * gk_x - 5300000.0;
    y = 0.9993 * gk_y + 500000.0;
    return 0;
}

void reference_grid_to_geodetic(double& latitude, double& longitude, double x, double y)
{
    const double gk_x = (x + 5300000.0) / 0.9993;
    const double gk_y = (y - 500000.0) / 0.9993;
    double x_mercator = 0.0;
    double y_mercator = 0.0;
    horner(x_mercator, y_mercator, kInverse, (gk_x - 5765181.11148097) * 2e-6, gk_y * 2e-6);
    const double alpha = x_mercator / 6367449.14577;
    const double beta = y_mercator / 6367449.14577;
    const double w = 2.0 * std::atan(std::exp(beta)) - 1.5707963267948966;
    const double phi = std::asin(std::sin(alpha) * std::cos(w));
    double t = 0.0033565514856 * std::sin(phi + phi) + phi;
    t = 6.5718731e-06 * std::sin(phi * 4.0) + t;
    t = 1.76466e-08 * std::sin(phi * 6.0) + t;
    t = 5.4e-11 * std::sin(phi * 8.0) + t;
    latitude = t / kPi * 180.0;
    longitude = std::atan(std::tan(w) / std::cos(alpha)) / kPi * 180.0 + 19.0;
}

}  // namespace zelmor_test
