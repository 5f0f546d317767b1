// A table's shape: how its cells are parted, how its numbers are written, whether it has a header, and
// which of its columns hold the coordinates. Told from the table's first rows, and from what the user
// said; where the rows leave a real doubt, the doubt is reported rather than a guess made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelmor {

enum class Direction {
    kUnknown,
    kToGrid,      // the coordinate columns are WGS84 latitude and longitude
    kToGeodetic,  // they are PUWG 1992 x (northing) and y (easting)
};

// The order of the coordinates, in the columns the user names and in the columns written.
enum class AxisOrder {
    kPolish,  // Polish geodetic usage: x (northing) before y (easting), latitude before longitude
    kGis,     // GIS files and libraries: easting before northing, longitude before latitude
};

inline constexpr std::size_t kNoColumn = SIZE_MAX;

// What the user said about the table; what is left unsaid is told from it.
struct ShapeAsked {
    char delimiter;               // ';', ',', '\t', kBlanks, or 0 to tell
    char decimal;                 // '.' or ',', or 0 to tell
    int header;                   // 1 the first row is a header, 0 it is not, -1 to tell
    std::string_view columns[2];  // column numbers from 1 or header names, in the axis order; "" to tell
    Direction direction;          // kUnknown to tell
    AxisOrder order;
};

struct TableShape {
    char delimiter;
    char decimal;
    bool header;
    std::size_t northing_column;  // the latitude's column (to the grid) or the x northing's (from it)
    std::size_t easting_column;   // the longitude's column or the y easting's
    std::size_t width;            // cells of the first row: shorter rows are given empty cells up to it
    Direction direction;
    AxisOrder order;  // as asked; GIS order for a file of longitudes and latitudes named X and Y
};

enum class ShapeStatus {
    kTold,
    kNoRows,            // the table holds nothing but blank rows: there is nothing to convert
    kNoCoordinates,     // no columns that could be the coordinates
    kSeveralPairs,      // more than one pair of columns could be (`detail` names them)
    kBothSystems,       // the header names both systems' columns
    kMixedDecimals,     // numbers with a decimal point and with a decimal comma
    kDegreesUnderXY,    // columns named X and Y hold latitudes and longitudes, in that order
    kSwappedGeodetic,   // the latitude's column holds longitudes and the longitude's latitudes
    kNotWhatNamed,      // a column's values cannot be what its name says (`detail` names it)
    kColumnNotFound,    // a column the user named is not in the table (`detail`)
    kDirectionUnknown,  // the columns the user named could be either system's
};

// The rows the shape is told from: at most this many of the table's first.
inline constexpr std::size_t kSampleRows = 200;

// Tells the shape of the table that starts with `sample` (its first bytes, a byte order mark left
// out; `whole` when that is the whole table), as `asked` leaves to tell. `detail` is set for the
// statuses that name columns.
ShapeStatus tell_shape(TableShape& shape, std::string& detail, std::string_view sample, bool whole,
                       const ShapeAsked& asked);

}  // namespace zelmor
