// PUWG 1992 x and y to WGS84 latitude and longitude: the forward stages run backwards, then a sine
// series takes the conformal sphere's latitude to the ellipsoid's. Every operation is a double operation
// in the order written.
#include <zelmor/projection.hpp>

#include <cmath>

#include "complex_polynomial.hpp"
#include "grid_parameters.hpp"

namespace zelmor {
namespace {

using namespace grid;

// Gauss-Krueger plane to the sphere's Mercator plane.
constexpr Sextic kInverse = {{
    0.00010778,        // b6
    0.00101782,        // b5
    -0.13125817,       // b4
    -0.8203917,        // b3
    63.88777449,       // b2
    500199.26224125,   // b1
    kMercatorOffset,   // b0, metres
}};

// Coefficients of sin 2phi, sin 4phi, sin 6phi and sin 8phi in the series from the conformal latitude
// phi to the ellipsoidal latitude (radians).
constexpr double kSin2 = 0.0033565514856;
constexpr double kSin4 = 6.5718731e-06;
constexpr double kSin6 = 1.76466e-08;
constexpr double kSin8 = 5.4e-11;

double ellipsoidal_latitude(double phi)
{
    double t = kSin2 * std::sin(phi + phi) + phi;
    t = kSin4 * std::sin(phi * 4.0) + t;
    t = kSin6 * std::sin(phi * 6.0) + t;
    t = kSin8 * std::sin(phi * 8.0) + t;
    return t;
}

}  // namespace

int grid_to_geodetic(double& latitude, double& longitude, double x, double y)
{
    const double x_gk = (x - kFalseNorthing) / kScale;
    const double y_gk = (y - kFalseEasting) / kScale;

    double x_mercator = 0.0;
    double y_mercator = 0.0;
    evaluate_sextic(x_mercator, y_mercator, kInverse, (x_gk - kGaussKruegerOffset) * kNormalisation,
                    y_gk * kNormalisation);

    const double alpha = x_mercator / kSphereRadius;
    const double beta = y_mercator / kSphereRadius;
    const double w = 2.0 * std::atan(std::exp(beta)) - kHalfPi;
    const double phi = std::asin(std::sin(alpha) * std::cos(w));

    latitude = ellipsoidal_latitude(phi) / kPi * kDegreesPerHalfTurn;
    const double dl = std::atan(std::tan(w) / std::cos(alpha));
    longitude = dl / kPi * kDegreesPerHalfTurn + kCentralMeridian;
    return kConverted;
}

}  // namespace zelmor
