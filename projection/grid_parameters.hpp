// Parameters of the PUWG 1992 grid and of the method that computes it: GRS80 ellipsoid to a conformal
// sphere, the sphere to its transverse Mercator plane, that plane to the Gauss-Krueger plane by a complex
// polynomial, and the grid's scale and false origin. Every value is used exactly as written here; the
// halves are stored rather than computed so that each operation matches the written formulas.
//
// Sources:
// - the ellipsoid: H. Moritz, Geodetic Reference System 1980, Bulletin Geodesique 54 (1980), 395-405:
//   the first eccentricity e, and the rectifying radius (the radius of the sphere whose meridian is as
//   long as the ellipsoid's) used as R0;
// - the grid: Rozporzadzenie Rady Ministrow z dnia 15 pazdziernika 2012 r. w sprawie panstwowego systemu
//   odniesien przestrzennych (Dz.U. 2012 poz. 1247), and EPSG:2180: a Gauss-Krueger projection of GRS80,
//   one zone, central meridian 19 deg E, scale m0 = 0.9993 on it, false northing -5 300 000 m and false
//   easting 500 000 m;
// - the method, its offsets and the coefficients of both complex polynomials and of the latitude series:
//   R. Kadaj, Formuly odwzorowawcze i parametry ukladow wspolrzednych, Wytyczne techniczne G-1.10, Glowny
//   Urzad Geodezji i Kartografii, Warszawa 2001: the Gauss-Krueger mapping through Lagrange's conformal
//   sphere, with the sphere's Mercator plane taken to the Gauss-Krueger plane by a degree-6 polynomial
//   of a complex variable, good to well under a millimetre within the accepted area.
#pragma once

#include <zelmor/projection.hpp>

namespace zelmor::grid {

inline constexpr double kPi = 3.141592653589793;          // the double nearest to pi
inline constexpr double kHalfPi = 1.5707963267948966;     // pi/2, stored
inline constexpr double kQuarterPi = 0.7853981633974483;  // pi/4, stored
inline constexpr double kDegreesPerHalfTurn = 180.0;      // degrees in pi radians

inline constexpr double kEccentricity = 0.0818191910428;      // GRS80 first eccentricity e
inline constexpr double kHalfEccentricity = 0.0409095955214;  // e/2, exponent of the conformal latitude
inline constexpr double kCentralMeridian = 19.0;              // L0, degrees east

inline constexpr double kSphereRadius = 6367449.14577;       // R0, GRS80 rectifying radius, metres
inline constexpr double kHalfSphereRadius = 3183724.572885;  // R0/2, metres

inline constexpr double kMercatorOffset = 5760000.0;             // metres taken off the sphere's Mercator abscissa
inline constexpr double kGaussKruegerOffset = 5765181.11148097;  // metres taken off the Gauss-Krueger abscissa
inline constexpr double kNormalisation = 2e-6;                   // metres to the polynomials' argument (1/m)

inline constexpr double kScale = 0.9993;              // m0, grid scale on the central meridian
inline constexpr double kFalseNorthing = -5300000.0;  // metres added to m0 * X
inline constexpr double kFalseEasting = 500000.0;     // metres added to m0 * Y

// Accepted area of the forward conversion, both ends inclusive: latitude 48..56 deg and longitude
// difference from the central meridian -6..+6 deg (longitude 13..25 deg E); compared in radians, the
// degrees taken to radians as the conversion takes a point's (times pi, then over 180).
inline constexpr double kMinLatitudeDegrees = kAreaMinLatitude;
inline constexpr double kMaxLatitudeDegrees = kAreaMaxLatitude;
inline constexpr double kMaxLongitudeDifferenceDegrees = 6.0;
inline constexpr double kMinLatitude = kMinLatitudeDegrees * kPi / kDegreesPerHalfTurn;
inline constexpr double kMaxLatitude = kMaxLatitudeDegrees * kPi / kDegreesPerHalfTurn;
inline constexpr double kMaxLongitudeDifference = kMaxLongitudeDifferenceDegrees * kPi / kDegreesPerHalfTurn;
// The bounds are the doubles nearest to 48, 56 and 6 degrees in radians, bit for bit (finite doubles
// other than zero are equal only when their bits are).
static_assert(kMinLatitude == 0.8377580409572781);
static_assert(kMaxLatitude == 0.9773843811168246);
static_assert(kMaxLongitudeDifference == 0.10471975511965977);

}  // namespace zelmor::grid
