#include "sample_rows.hpp"

#include <cstdint>

#include <zelmor/projection.hpp>

#include "table_cells.hpp"
#include "table_records.hpp"

namespace zelmor {
namespace {

// Where PUWG 1992 coordinates of points in and around Poland lie, metres: both x and y have six digits.
constexpr double kLeastGridMetres = 100000.0;
constexpr double kGreatestGridMetres = 1000000.0;
constexpr double kRightAngle = 90.0;      // degrees: the largest latitude
constexpr double kStraightAngle = 180.0;  // degrees: the largest longitude

bool mostly_numbers(const ColumnValues& values)
{
    return values.numbers > 0 && 2 * values.numbers >= values.filled;
}

bool numbers_within(const ColumnValues& values, double least, double greatest)
{
    return mostly_numbers(values) && values.least >= least && values.greatest <= greatest;
}

}  // namespace

std::vector<SampleRow> sample_rows(std::string_view bytes, bool whole, char delimiter, std::size_t limit)
{
    std::vector<SampleRow> rows;
    while (!bytes.empty() && rows.size() < limit) {
        QuoteState state = {false, true, false};
        std::uint64_t inner_lines = 0;
        const std::size_t end = find_row_end(state, inner_lines, bytes, delimiter);
        const bool cut = end == bytes.size() && !whole;
        std::string_view row = bytes.substr(0, end);
        bytes.remove_prefix(end < bytes.size() ? end + 1 : end);
        if (!row.empty() && row.back() == '\r') {
            row.remove_suffix(1);
        }
        if (is_blank(row)) {
            continue;
        }
        SampleRow cells(split_cells(nullptr, 0, row, delimiter));
        split_cells(cells.data(), cells.size(), row, delimiter);
        // A row cut off where the sample ends still tells by its whole cells (a long row at the start);
        // its last may be cut.
        if (cut) {
            cells.pop_back();
        }
        if (!cells.empty()) {
            rows.push_back(std::move(cells));
        }
        if (cut) {
            break;
        }
    }
    return rows;
}

DecimalEvidence decimal_evidence(const std::vector<SampleRow>& rows)
{
    DecimalEvidence evidence = {0, 0};
    for (const SampleRow& row : rows) {
        for (const std::string_view cell : row) {
            double value = 0;
            const bool with_comma = read_cell_number(value, cell, ',');
            const bool with_point = read_cell_number(value, cell, '.');
            evidence.comma_only += with_comma && !with_point ? 1 : 0;
            evidence.point_only += with_point && !with_comma ? 1 : 0;
        }
    }
    return evidence;
}

ColumnValues column_values(const std::vector<SampleRow>& rows, std::size_t first_row, std::size_t column, char decimal)
{
    ColumnValues values = {0, 0, 0.0, 0.0};
    for (std::size_t i = first_row; i < rows.size(); ++i) {
        if (column >= rows[i].size() || is_blank(rows[i][column])) {
            continue;
        }
        ++values.filled;
        double value = 0;
        if (!read_cell_number(value, rows[i][column], decimal)) {
            continue;
        }
        values.least = values.numbers == 0 || value < values.least ? value : values.least;
        values.greatest = values.numbers == 0 || value > values.greatest ? value : values.greatest;
        ++values.numbers;
    }
    return values;
}

bool holds_latitudes(const ColumnValues& values)
{
    return numbers_within(values, kAreaMinLatitude, kAreaMaxLatitude);
}

bool holds_longitudes(const ColumnValues& values)
{
    return numbers_within(values, kAreaMinLongitude, kAreaMaxLongitude);
}

bool holds_grid_metres(const ColumnValues& values)
{
    return numbers_within(values, kLeastGridMetres, kGreatestGridMetres);
}

bool within_latitudes(const ColumnValues& values)
{
    return values.numbers == 0 || (values.least >= -kRightAngle && values.greatest <= kRightAngle);
}

bool within_longitudes(const ColumnValues& values)
{
    return values.numbers == 0 || (values.least >= -kStraightAngle && values.greatest <= kStraightAngle);
}

}  // namespace zelmor
