// A degree-6 polynomial with real coefficients evaluated at a complex argument. Both directions of the
// grid conversion map one plane onto the other this way: the real part is the northing-like abscissa,
// the imaginary part the easting-like ordinate.
#pragma once

namespace zelmor::grid {

// Coefficients from the highest degree down: c6, c5, c4, c3, c2, c1, c0.
struct Sextic {
    double c[7];
};

// (re, im) = P(zr + i*zi) by the Horner scheme, one complex multiplication and one real addition per
// coefficient, in that order.
void evaluate_sextic(double& re, double& im, const Sextic& polynomial, double zr, double zi);

}  // namespace zelmor::grid
