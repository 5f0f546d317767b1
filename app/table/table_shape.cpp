#include "table_shape.hpp"

#include <vector>

#include "header_names.hpp"
#include "sample_rows.hpp"
#include "table_cells.hpp"
#include "table_records.hpp"

namespace zelmor {
namespace {

// The delimiters tried, in this order, when the user names none: a Polish spreadsheet's ";" first, as
// its cells hold decimal commas; then tabs; then commas; then blanks, as in a listing.
constexpr char kDelimiters[] = {';', '\t', ',', kBlanks};

// A pair of columns that could be the coordinates, northing (or latitude) first.
struct Pair {
    std::size_t northing;
    std::size_t easting;
    Direction direction;
    bool gis_file = false;  // named X and Y, longitude first: the file is in GIS order, and so is its output
};

// What one delimiter makes of the sample: the rows, and what is settled so far.
struct Reading {
    std::vector<SampleRow> rows;
    char decimal;
    bool header;
};

// "3" (columns numbered from 1) or the header's own name for `column`.
std::string column_label(const Reading& reading, std::size_t column)
{
    if (reading.header && column < reading.rows[0].size()) {
        return std::string(reading.rows[0][column]);
    }
    return std::to_string(column + 1);
}

std::string pair_labels(const Reading& reading, const std::vector<Pair>& pairs)
{
    std::string labels;
    for (const Pair& pair : pairs) {
        labels += labels.empty() ? "" : ", ";
        labels += column_label(reading, pair.northing) + " i " + column_label(reading, pair.easting);
    }
    return labels;
}

ColumnValues values_of(const Reading& reading, std::size_t column)
{
    return column_values(reading.rows, reading.header ? 1 : 0, column, reading.decimal);
}

// The pair of a northing (or latitude) column and an easting (or longitude) column given in `order`.
Pair in_order(std::size_t first, std::size_t second, Direction direction, AxisOrder order)
{
    return order == AxisOrder::kPolish ? Pair{first, second, direction} : Pair{second, first, direction};
}

// The column the user named: a number from 1, or a header cell's name (compared folded).
std::size_t find_column(const Reading& reading, std::string_view named)
{
    if (!named.empty() && named.find_first_not_of("0123456789") == std::string_view::npos && named.size() < 9) {
        const auto number = static_cast<std::size_t>(std::stoul(std::string(named)));
        return number >= 1 ? number - 1 : kNoColumn;
    }
    if (reading.header) {
        const std::string folded = fold_name(named);
        for (std::size_t column = 0; column < reading.rows[0].size(); ++column) {
            if (!folded.empty() && fold_name(reading.rows[0][column]) == folded) {
                return column;
            }
        }
    }
    return kNoColumn;
}

// The direction of the columns the user named: from their values.
Direction direction_of(const Reading& reading, const Pair& pair)
{
    const ColumnValues northing = values_of(reading, pair.northing);
    const ColumnValues easting = values_of(reading, pair.easting);
    if (holds_latitudes(northing) && holds_longitudes(easting)) {
        return Direction::kToGrid;
    }
    if (holds_grid_metres(northing) && holds_grid_metres(easting)) {
        return Direction::kToGeodetic;
    }
    return Direction::kUnknown;
}

// The pairs that the header's names make. Names of X and Y are taken in the asked axis order; when
// they hold degrees, they are a GIS file's longitude and latitude.
ShapeStatus pairs_by_name(std::vector<Pair>& pairs, std::string& detail, const Reading& reading,
                          const ShapeAsked& asked)
{
    std::vector<std::size_t> named[7];
    for (std::size_t column = 0; column < reading.rows[0].size(); ++column) {
        named[static_cast<int>(name_of_column(reading.rows[0][column]))].push_back(column);
    }
    const auto one = [&](ColumnName name) { return named[static_cast<int>(name)].size() == 1; };
    const auto column = [&](ColumnName name) { return named[static_cast<int>(name)][0]; };
    if (one(ColumnName::kLatitude) && one(ColumnName::kLongitude)) {
        const Pair pair = {column(ColumnName::kLatitude), column(ColumnName::kLongitude), Direction::kToGrid};
        const ColumnValues latitudes = values_of(reading, pair.northing);
        const ColumnValues longitudes = values_of(reading, pair.easting);
        if (holds_longitudes(latitudes) && holds_latitudes(longitudes)) {
            return ShapeStatus::kSwappedGeodetic;
        }
        if (!within_latitudes(latitudes) || !within_longitudes(longitudes)) {
            detail = column_label(reading, within_latitudes(latitudes) ? pair.easting : pair.northing);
            return ShapeStatus::kNotWhatNamed;
        }
        pairs.push_back(pair);
    }
    if (one(ColumnName::kNorthing) && one(ColumnName::kEasting)) {
        pairs.push_back({column(ColumnName::kNorthing), column(ColumnName::kEasting), Direction::kToGeodetic});
    }
    if (one(ColumnName::kGridX) && one(ColumnName::kGridY)) {
        const std::size_t x = column(ColumnName::kGridX);
        const std::size_t y = column(ColumnName::kGridY);
        const ColumnValues x_values = values_of(reading, x);
        const ColumnValues y_values = values_of(reading, y);
        // Degrees under X and Y are a GIS file's longitude and latitude, as QGIS writes them; the other
        // way round, they are no order anyone writes.
        if (holds_longitudes(x_values) && holds_latitudes(y_values)) {
            pairs.push_back({y, x, Direction::kToGrid, true});
        } else if (holds_latitudes(x_values) && holds_longitudes(y_values)) {
            return ShapeStatus::kDegreesUnderXY;
        } else {
            pairs.push_back(in_order(x, y, Direction::kToGeodetic, asked.order));
        }
    }
    return ShapeStatus::kTold;
}

// The pairs that the values make: one column of latitudes and one of longitudes, or two of grid metres
// (in the table's order, taken in the asked axis order).
std::vector<Pair> pairs_by_value(const Reading& reading, const ShapeAsked& asked)
{
    std::vector<std::size_t> latitudes, longitudes, metres;
    for (std::size_t column = 0; column < reading.rows[0].size(); ++column) {
        const ColumnValues values = values_of(reading, column);
        if (holds_latitudes(values)) {
            latitudes.push_back(column);
        } else if (holds_longitudes(values)) {
            longitudes.push_back(column);
        } else if (holds_grid_metres(values)) {
            metres.push_back(column);
        }
    }
    std::vector<Pair> pairs;
    for (const std::size_t latitude : latitudes) {
        for (const std::size_t longitude : longitudes) {
            pairs.push_back({latitude, longitude, Direction::kToGrid});
        }
    }
    for (std::size_t i = 0; i < metres.size(); ++i) {
        for (std::size_t k = i + 1; k < metres.size(); ++k) {
            pairs.push_back(in_order(metres[i], metres[k], Direction::kToGeodetic, asked.order));
        }
    }
    return pairs;
}

// Whether the first row names its columns: it holds a known name, or no number while a later row does.
bool looks_like_header(const std::vector<SampleRow>& rows, char decimal)
{
    const auto has_number = [decimal](const SampleRow& row) {
        for (const std::string_view cell : row) {
            double value = 0;
            if (read_cell_number(value, cell, decimal)) {
                return true;
            }
        }
        return false;
    };
    for (const std::string_view cell : rows[0]) {
        if (name_of_column(cell) != ColumnName::kOther) {
            return true;
        }
    }
    for (std::size_t i = 1; i < rows.size(); ++i) {
        if (has_number(rows[i])) {
            return !has_number(rows[0]);
        }
    }
    return false;
}

// The shape under one delimiter.
ShapeStatus tell_columns(TableShape& shape, std::string& detail, const Reading& reading, const ShapeAsked& asked)
{
    std::vector<Pair> pairs;
    if (!asked.columns[0].empty()) {
        const std::size_t first = find_column(reading, asked.columns[0]);
        const std::size_t second = find_column(reading, asked.columns[1]);
        if (first == kNoColumn || second == kNoColumn) {
            detail = std::string(first == kNoColumn ? asked.columns[0] : asked.columns[1]);
            return ShapeStatus::kColumnNotFound;
        }
        Pair pair = in_order(first, second, asked.direction, asked.order);
        pair.direction = asked.direction != Direction::kUnknown ? asked.direction : direction_of(reading, pair);
        if (pair.direction == Direction::kUnknown) {
            return ShapeStatus::kDirectionUnknown;
        }
        pairs.push_back(pair);
    } else {
        if (reading.header) {
            const ShapeStatus named = pairs_by_name(pairs, detail, reading, asked);
            if (named != ShapeStatus::kTold) {
                return named;
            }
        }
        if (pairs.empty()) {
            pairs = pairs_by_value(reading, asked);
        }
        std::erase_if(pairs, [&](const Pair& pair) {
            return asked.direction != Direction::kUnknown && pair.direction != asked.direction;
        });
        const bool both_systems = pairs.size() == 2 && pairs[0].direction != pairs[1].direction;
        if (both_systems && reading.header) {
            return ShapeStatus::kBothSystems;
        }
        if (pairs.size() != 1) {
            detail = pair_labels(reading, pairs);
            return pairs.empty() ? ShapeStatus::kNoCoordinates : ShapeStatus::kSeveralPairs;
        }
    }
    shape.northing_column = pairs[0].northing;
    shape.easting_column = pairs[0].easting;
    shape.direction = pairs[0].direction;
    shape.order = pairs[0].gis_file ? AxisOrder::kGis : asked.order;
    return ShapeStatus::kTold;
}

// The shape under one delimiter: its decimal separator, its header, its columns.
ShapeStatus tell_under(TableShape& shape, std::string& detail, Reading& reading, const ShapeAsked& asked)
{
    if (asked.decimal != 0 || shape.delimiter == ',') {
        reading.decimal = asked.decimal != 0 ? asked.decimal : '.';
    } else {
        const DecimalEvidence evidence = decimal_evidence(reading.rows);
        if (evidence.comma_only > 0 && evidence.point_only > 0) {
            return ShapeStatus::kMixedDecimals;
        }
        reading.decimal = evidence.comma_only > 0 ? ',' : '.';
    }
    reading.header = asked.header >= 0 ? asked.header == 1 : looks_like_header(reading.rows, reading.decimal);
    shape.decimal = reading.decimal;
    shape.header = reading.header;
    shape.width = reading.rows[0].size();
    return tell_columns(shape, detail, reading, asked);
}

}  // namespace

ShapeStatus tell_shape(TableShape& shape, std::string& detail, std::string_view sample, bool whole,
                       const ShapeAsked& asked)
{
    shape = TableShape{0, '.', false, kNoColumn, kNoColumn, 0, Direction::kUnknown, asked.order};
    ShapeStatus first_doubt = ShapeStatus::kNoCoordinates;
    bool tried = false;
    for (const char delimiter : kDelimiters) {
        if (asked.delimiter != 0 && delimiter != asked.delimiter) {
            continue;
        }
        Reading reading = {sample_rows(sample, whole, delimiter, kSampleRows), '.', false};
        if (reading.rows.empty()) {
            return ShapeStatus::kNoRows;
        }
        // A row of one cell has no pair of columns: the delimiter is another (unless the user named it).
        if (asked.delimiter == 0 && reading.rows[0].size() < 2) {
            continue;
        }
        shape.delimiter = delimiter;
        std::string doubt;
        const ShapeStatus status = tell_under(shape, doubt, reading, asked);
        // Under another delimiter, a table in which none could be the coordinates may make sense; any
        // other doubt is the table's own, and is said.
        if (status == ShapeStatus::kTold || status != ShapeStatus::kNoCoordinates || asked.delimiter != 0) {
            detail = doubt;
            return status;
        }
        if (!tried) {
            tried = true;
            first_doubt = status;
            detail = doubt;
        }
    }
    return first_doubt;
}

}  // namespace zelmor
