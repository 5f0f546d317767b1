// PUWG 1992 x and y to WGS84 latitude and longitude, for a group of points at once: the forward stages
// run backwards, then a sine series takes the conformal sphere's latitude to the ellipsoid's. Every
// operation is a double operation in the order written.
//
// Symbols: x_gk, y_gk, x_mercator, y_mercator in metres; then, in radians, alpha and beta the Mercator
// coordinates over the sphere's radius (exp_beta the exponential of beta), w the angle from the central
// meridian on the sphere, phi the conformal latitude (sin_phi its sine), t the ellipsoidal latitude as
// the series sums it, dl the longitude difference from the central meridian.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>

#include <zelmor/projection.hpp>

#include "complex_polynomial.hpp"
#include "grid_parameters.hpp"

namespace zelmor::grid {

// Gauss-Krueger plane to the sphere's Mercator plane.
inline constexpr Sextic kInverse = {{
    0.00010778,       // b6
    0.00101782,       // b5
    -0.13125817,      // b4
    -0.8203917,       // b3
    63.88777449,      // b2
    500199.26224125,  // b1
    kMercatorOffset,  // b0, metres
}};

// Coefficients of sin 2phi, sin 4phi, sin 6phi and sin 8phi in the series from the conformal latitude
// phi to the ellipsoidal latitude (radians).
inline constexpr double kSin2 = 0.0033565514856;
inline constexpr double kSin4 = 6.5718731e-06;
inline constexpr double kSin6 = 1.76466e-08;
inline constexpr double kSin8 = 5.4e-11;

// Latitudes and longitudes, degrees, of N grid points. As in the forward direction, each step is taken
// for every point of the group before the next, and each point's own operations are those of a group
// of one, in the same order.
template <std::size_t N>
void geodetic_of_group(std::array<double, N>& latitude, std::array<double, N>& longitude,
                       const std::array<double, N>& x, const std::array<double, N>& y)
{
    std::array<double, N> alpha;
    std::array<double, N> beta;
    for (std::size_t i = 0; i < N; ++i) {
        const double x_gk = (x[i] - kFalseNorthing) / kScale;
        const double y_gk = (y[i] - kFalseEasting) / kScale;
        double x_mercator = 0.0;
        double y_mercator = 0.0;
        evaluate_sextic(x_mercator, y_mercator, kInverse, (x_gk - kGaussKruegerOffset) * kNormalisation,
                        y_gk * kNormalisation);
        alpha[i] = x_mercator / kSphereRadius;
        beta[i] = y_mercator / kSphereRadius;
    }
    std::array<double, N> exp_beta;
    for (std::size_t i = 0; i < N; ++i) {
        exp_beta[i] = std::exp(beta[i]);
    }
    std::array<double, N> w;
    for (std::size_t i = 0; i < N; ++i) {
        w[i] = 2.0 * std::atan(exp_beta[i]) - kHalfPi;
    }
    std::array<double, N> sin_phi;
    for (std::size_t i = 0; i < N; ++i) {
        sin_phi[i] = std::sin(alpha[i]) * std::cos(w[i]);
    }
    std::array<double, N> phi;
    for (std::size_t i = 0; i < N; ++i) {
        phi[i] = std::asin(sin_phi[i]);
    }
    // The ellipsoid's latitude by the sine series, summed in this order.
    for (std::size_t i = 0; i < N; ++i) {
        double t = kSin2 * std::sin(phi[i] + phi[i]) + phi[i];
        t = kSin4 * std::sin(phi[i] * 4.0) + t;
        t = kSin6 * std::sin(phi[i] * 6.0) + t;
        t = kSin8 * std::sin(phi[i] * 8.0) + t;
        latitude[i] = t / kPi * kDegreesPerHalfTurn;
    }
    for (std::size_t i = 0; i < N; ++i) {
        const double dl = std::atan(std::tan(w[i]) / std::cos(alpha[i]));
        longitude[i] = dl / kPi * kDegreesPerHalfTurn + kCentralMeridian;
    }
}

// The batch form in groups of N; the last few points go one at a time, through the one-point function,
// and so does every point whose result is not a number (its sign is the one-point function's only
// then: see the forward direction's batch form).
template <std::size_t N>
void grid_to_geodetic_in_groups(int* statuses, double* latitude, double* longitude, const double* x, const double* y,
                                std::size_t count)
{
    std::size_t i = 0;
    for (; i + N <= count; i += N) {
        std::array<double, N> xs{};
        std::array<double, N> ys{};
        std::array<double, N> latitudes{};
        std::array<double, N> longitudes{};
        for (std::size_t j = 0; j < N; ++j) {
            xs[j] = x[i + j];
            ys[j] = y[i + j];
        }
        geodetic_of_group<N>(latitudes, longitudes, xs, ys);
        for (std::size_t j = 0; j < N; ++j) {
            if (std::isnan(latitudes[j]) || std::isnan(longitudes[j])) {
                statuses[i + j] = grid_to_geodetic(latitude[i + j], longitude[i + j], x[i + j], y[i + j]);
            } else {
                latitude[i + j] = latitudes[j];
                longitude[i + j] = longitudes[j];
                statuses[i + j] = kConverted;
            }
        }
    }
    for (; i < count; ++i) {
        statuses[i] = grid_to_geodetic(latitude[i], longitude[i], x[i], y[i]);
    }
}

}  // namespace zelmor::grid
