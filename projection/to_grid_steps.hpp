// WGS84 latitude and longitude to PUWG 1992 x and y, through the conformal sphere and the sphere's
// transverse Mercator plane, for a group of points at once. Every operation is a double operation in the
// order written; the build forbids contraction into fused multiply-adds, which would change the last
// bits.
//
// Symbols (radians unless said otherwise): b the ellipsoidal latitude B, dl the longitude difference
// from the central meridian, s = e sin B, u the factor ((1 - s) / (1 + s))^(e/2), k the cotangent of
// half the conformal colatitude (tan(pi/4 + phi/2)), phi the conformal latitude, p the sine of the
// angle from the central meridian on the sphere, alpha the sphere's latitude along its transverse
// meridian (tan_alpha its tangent); then x_mercator, y_mercator, x_gk, y_gk and x, y in metres.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>

#include <zelmor/projection.hpp>

#include "complex_polynomial.hpp"
#include "grid_parameters.hpp"

namespace zelmor::grid {

// One value for each point of a group of N.
template <std::size_t N>
using Values = std::array<double, N>;

// Sphere's Mercator plane to the Gauss-Krueger plane.
inline constexpr Sextic kForward = {{
    -0.00010504,          // a6
    -0.00111138,          // a5
    0.13046891,           // a4
    0.83537915,           // a3
    -63.81145283,         // a2
    499800.817138,        // a1
    kGaussKruegerOffset,  // a0, metres
}};

// The angles of a point, radians, and whether it lies in the accepted area: the latitude is checked
// first, so a point outside in both is outside in latitude. A not-a-number angle passes its check.
inline int geodetic_angles(double& b, double& dl, double latitude, double longitude)
{
    b = latitude * kPi / kDegreesPerHalfTurn;
    dl = (longitude - kCentralMeridian) * kPi / kDegreesPerHalfTurn;
    if (b < kMinLatitude || b > kMaxLatitude) {
        return kLatitudeOutside;
    }
    if (dl < -kMaxLongitudeDifference || dl > kMaxLongitudeDifference) {
        return kLongitudeOutside;
    }
    return kConverted;
}

// Grid coordinates of N points of the accepted area from their angles. Each step is taken for every
// point of the group before the next: the points' chains of math-library calls do not depend on each
// other, so the processor works on several at once, where one point alone would leave it waiting for
// each call in turn. Each point's own operations are those of a group of one, in the same order.
template <std::size_t N>
void grid_of_group(Values<N>& x, Values<N>& y, const Values<N>& b, const Values<N>& dl)
{
    // Ellipsoid to the conformal sphere.
    Values<N> s;
    for (std::size_t i = 0; i < N; ++i) {
        s[i] = kEccentricity * std::sin(b[i]);
    }
    Values<N> k;
    for (std::size_t i = 0; i < N; ++i) {
        const double u = std::pow((1.0 - s[i]) / (1.0 + s[i]), kHalfEccentricity);
        k[i] = std::tan(b[i] * 0.5 + kQuarterPi) * u;
    }
    Values<N> phi;
    for (std::size_t i = 0; i < N; ++i) {
        phi[i] = 2.0 * std::atan(k[i]) - kHalfPi;
    }
    // The sphere to its transverse Mercator plane, abscissa along the central meridian.
    Values<N> p;
    Values<N> tan_alpha;
    for (std::size_t i = 0; i < N; ++i) {
        const double cos_phi = std::cos(phi[i]);
        p[i] = std::sin(dl[i]) * cos_phi;
        tan_alpha[i] = std::sin(phi[i]) / (std::cos(dl[i]) * cos_phi);
    }
    Values<N> alpha;
    for (std::size_t i = 0; i < N; ++i) {
        alpha[i] = std::atan(tan_alpha[i]);
    }
    for (std::size_t i = 0; i < N; ++i) {
        const double x_mercator = alpha[i] * kSphereRadius;
        const double y_mercator = std::log((1.0 + p[i]) / (1.0 - p[i])) * kHalfSphereRadius;
        // The Gauss-Krueger plane, then the grid's scale and false origin.
        double x_gk = 0.0;
        double y_gk = 0.0;
        evaluate_sextic(x_gk, y_gk, kForward, (x_mercator - kMercatorOffset) * kNormalisation,
                        y_mercator * kNormalisation);
        x[i] = kScale * x_gk + kFalseNorthing;
        y[i] = kScale * y_gk + kFalseEasting;
    }
}

// The batch form in groups of N: the points of the accepted area are gathered N at a time; the others are
// never computed, and their result slots are left as they were. The last few go one at a time, through
// the one-point function. So does every point whose result is not a number: which of two not-a-number
// operands an operation hands on (and so the sign of the result) depends on the order in which the
// compiler happened to put them, which the group's code and the one-point code need not share.
template <std::size_t N>
void geodetic_to_grid_in_groups(int* statuses, double* x, double* y, const double* latitude, const double* longitude,
                                std::size_t count)
{
    Values<N> b{};
    Values<N> dl{};
    Values<N> xs{};
    Values<N> ys{};
    std::size_t where[N] = {};
    std::size_t gathered = 0;
    for (std::size_t i = 0; i < count; ++i) {
        statuses[i] = geodetic_angles(b[gathered], dl[gathered], latitude[i], longitude[i]);
        if (statuses[i] != kConverted) {
            continue;
        }
        where[gathered++] = i;
        if (gathered == N) {
            grid_of_group<N>(xs, ys, b, dl);
            for (std::size_t j = 0; j < N; ++j) {
                const std::size_t at = where[j];
                if (std::isnan(xs[j]) || std::isnan(ys[j])) {
                    geodetic_to_grid(x[at], y[at], latitude[at], longitude[at]);
                } else {
                    x[at] = xs[j];
                    y[at] = ys[j];
                }
            }
            gathered = 0;
        }
    }
    for (std::size_t j = 0; j < gathered; ++j) {
        const std::size_t at = where[j];
        geodetic_to_grid(x[at], y[at], latitude[at], longitude[at]);
    }
}

}  // namespace zelmor::grid
