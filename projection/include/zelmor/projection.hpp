// Conversions between WGS84 geodetic coordinates and the PUWG 1992 national grid of Poland.
//
// PUWG 1992 is a single-zone Gauss-Krueger (transverse Mercator) projection of the GRS80 ellipsoid with
// central meridian 19 deg E, scale 0.9993 on that meridian, false northing -5300000 m and false easting
// 500000 m. Both functions are pure: no state, no input/output. Result slots come first and are owned by
// the caller; the status is the return value.
#pragma once

#include <cstddef>

namespace zelmor {

// Conversion statuses.
inline constexpr int kConverted = 0;         // success: both result slots written
inline constexpr int kLatitudeOutside = 1;   // latitude outside 48..56 deg: result slots untouched
inline constexpr int kLongitudeOutside = 2;  // longitude outside 13..25 deg: result slots untouched

// The accepted area of the conversion to the grid, degrees, both ends inclusive.
inline constexpr double kAreaMinLatitude = 48.0;
inline constexpr double kAreaMaxLatitude = 56.0;
inline constexpr double kAreaMinLongitude = 13.0;
inline constexpr double kAreaMaxLongitude = 25.0;

// Latitude and longitude in decimal degrees (north and east positive) to grid x (northing) and
// y (easting) in metres. The point must lie in the accepted area, 48..56 deg N and 13..25 deg E, both
// ends inclusive; the latitude is checked first, so a point outside in both returns kLatitudeOutside.
// A not-a-number coordinate passes its own check (every comparison with it is false).
int geodetic_to_grid(double& x, double& y, double latitude, double longitude);

// Grid x (northing) and y (easting) in metres to latitude and longitude in decimal degrees. Every pair
// of numbers is converted (there is no area check) and the status is always kConverted. Longitudes stay
// within -71..109 deg because the longitude difference comes from a one-argument arctangent.
int grid_to_geodetic(double& latitude, double& longitude, double x, double y);

// The batch forms: `count` points at once, from arrays of inputs to arrays of results, with a status
// for each point. Every result is bit for bit what the one-point function gives for that point; the
// points are converted in small groups, each step for the whole group before the next, so that the
// processor works on several points at once (about 40% less time than one after another). As with the
// one-point function, x[i] and y[i] are written only where statuses[i] is kConverted: points outside
// the accepted area are never computed and their result slots are left as they were. No array may
// overlap another.
void geodetic_to_grid_batch(int* statuses, double* x, double* y, const double* latitude, const double* longitude,
                            std::size_t count);
void grid_to_geodetic_batch(int* statuses, double* latitude, double* longitude, const double* x, const double* y,
                            std::size_t count);

}  // namespace zelmor
