// The conversion of a whole table: its shape told from its first rows, then every row written back as
// it came, with the other system's coordinates and a status in new cells at its end.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "stop_flag.hpp"
#include "table_records.hpp"
#include "table_shape.hpp"

namespace zelmor {

enum class TableStatus {
    kComplete,     // every row was read and written
    kShapeDoubt,   // the shape could not be told: nothing was written
    kReadFailed,   // reading the table failed; the rows before were written
    kWriteFailed,  // writing failed; the output ends at its last whole row
    kStopped,      // a stop was asked for; the rows read were written whole
};

struct TableCounts {
    std::uint64_t rows;    // rows of points (not the header, not blank rows)
    std::uint64_t failed;  // of them, those not converted
};

// The names of the new cells in the header row, in the order they are written.
struct NewColumns {
    std::string_view first;
    std::string_view second;
};
NewColumns new_columns(Direction direction, AxisOrder order);
// The name of the status column, whose cells say "ok" or why the row did not convert.
inline constexpr std::string_view kStatusColumn = "zelmor";
inline constexpr std::string_view kStatusConverted = "ok";

// A table's start: the reader over it, holding its first rows, and its shape as told from them.
struct TableStart {
    RecordReader reader;
    TableShape shape;
    ShapeStatus shape_status;
    std::string detail;  // the columns a doubt names
};

// Reads the start of the table from `input` and tells its shape, as `asked` leaves to tell: kComplete,
// kShapeDoubt (`shape_status` and `detail` say why: print_shape_doubt), kReadFailed or kStopped. Nothing
// is written, so that a table that cannot be converted leaves the output as it was. One run at a time:
// the buffers are shared.
TableStatus start_table(TableStart& start, std::FILE* input, const ShapeAsked& asked, const StopFlag* stop = nullptr);

// Converts the rows of a started table into `output` (handed to the file, not closed), saying on
// `console` why each row that did not convert did not, with `name` as the table's name.
TableStatus convert_rows(TableCounts& counts, TableStart& start, std::FILE* output, std::FILE* console,
                         std::string_view name);

}  // namespace zelmor
