// WGS84 latitude and longitude to PUWG 1992 x and y, through the conformal sphere and the sphere's
// transverse Mercator plane. Every operation is a double operation in the order written; the build
// forbids contraction into fused multiply-adds, which would change the last bits.
#include <zelmor/projection.hpp>

#include <cmath>

#include "complex_polynomial.hpp"
#include "grid_parameters.hpp"

namespace zelmor {
namespace {

using namespace grid;

// Sphere's Mercator plane to the Gauss-Krueger plane.
constexpr Sextic kForward = {{
    -0.00010504,       // a6
    -0.00111138,       // a5
    0.13046891,        // a4
    0.83537915,        // a3
    -63.81145283,      // a2
    499800.817138,     // a1
    kGaussKruegerOffset,  // a0, metres
}};

// Latitude on the conformal sphere for an ellipsoidal latitude, radians.
double conformal_latitude(double latitude)
{
    const double s = kEccentricity * std::sin(latitude);
    const double u = std::pow((1.0 - s) / (1.0 + s), kHalfEccentricity);
    const double k = std::tan(latitude * 0.5 + kQuarterPi) * u;
    return 2.0 * std::atan(k) - kHalfPi;
}

}  // namespace

int geodetic_to_grid(double& x, double& y, double latitude, double longitude)
{
    const double b = latitude * kPi / kDegreesPerHalfTurn;
    const double dl = (longitude - kCentralMeridian) * kPi / kDegreesPerHalfTurn;
    if (b < kMinLatitude || b > kMaxLatitude) {
        return kLatitudeOutside;
    }
    if (dl < -kMaxLongitudeDifference || dl > kMaxLongitudeDifference) {
        return kLongitudeOutside;
    }

    const double phi = conformal_latitude(b);

    // Transverse Mercator plane of the sphere, abscissa along the central meridian.
    const double p = std::sin(dl) * std::cos(phi);
    const double alpha = std::atan(std::sin(phi) / (std::cos(dl) * std::cos(phi)));
    const double x_mercator = alpha * kSphereRadius;
    const double y_mercator = std::log((1.0 + p) / (1.0 - p)) * kHalfSphereRadius;

    double x_gk = 0.0;
    double y_gk = 0.0;
    evaluate_sextic(x_gk, y_gk, kForward, (x_mercator - kMercatorOffset) * kNormalisation,
                    y_mercator * kNormalisation);

    x = kScale * x_gk + kFalseNorthing;
    y = kScale * y_gk + kFalseEasting;
    return kConverted;
}

}  // namespace zelmor
