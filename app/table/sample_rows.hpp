// The first rows of a table, parted into cells under one delimiter, and what each column's values are
// like: the evidence a table's shape is told from.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace zelmor {

using SampleRow = std::vector<std::string_view>;

// The rows at the start of `bytes`, blank ones left out, at most `limit`, under the quoting rules of
// `delimiter`. A last row that does not end in `bytes` (unless `whole` says the table ends there) is
// taken without its last cell, which may be cut.
std::vector<SampleRow> sample_rows(std::string_view bytes, bool whole, char delimiter, std::size_t limit);

// Cells that read as numbers only with a decimal comma, and only with a decimal point, over `rows`.
struct DecimalEvidence {
    std::size_t comma_only;
    std::size_t point_only;
};
DecimalEvidence decimal_evidence(const std::vector<SampleRow>& rows);

// What the numbers of one column are like, over the rows from `first_row` on.
struct ColumnValues {
    std::size_t numbers;  // cells that read as numbers
    std::size_t filled;   // cells that are not blank
    double least;
    double greatest;
};
ColumnValues column_values(const std::vector<SampleRow>& rows, std::size_t first_row, std::size_t column, char decimal);

// The kinds of coordinates a column's values can be: each holds when most of its cells are numbers and
// every number lies in the kind's range (the accepted area for degrees, Poland's grid for metres).
bool holds_latitudes(const ColumnValues& values);
bool holds_longitudes(const ColumnValues& values);
bool holds_grid_metres(const ColumnValues& values);
// Whether the numbers are, at least, angles of that kind (|value| up to 90 or 180 degrees).
bool within_latitudes(const ColumnValues& values);
bool within_longitudes(const ColumnValues& values);

}  // namespace zelmor
