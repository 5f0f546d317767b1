// What a table's header names its columns, in Polish and English.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelmor {

enum class ColumnName {
    kOther,
    kLatitude,   // B, lat, szerokosc, ...
    kLongitude,  // L, lon, dlugosc, ...
    kGridX,      // X: the northing in Polish usage, the easting in GIS files
    kGridY,      // Y: the easting in Polish usage, the northing in GIS files
    kNorthing,   // northing, N: the same in either usage
    kEasting,    // easting, E
};

// A header cell folded for comparing: quotes and blanks dropped, units in brackets or parentheses
// dropped ("X [m]", "Szerokosc (°)"), Polish letters as their Latin base letters whether the cell is
// UTF-8 or Windows-1250 (a cell that is not valid UTF-8 is read as Windows-1250), lower case, and only
// letters and digits kept.
std::string fold_name(std::string_view cell);

// What the header cell `cell` names.
ColumnName name_of_column(std::string_view cell);

}  // namespace zelmor
