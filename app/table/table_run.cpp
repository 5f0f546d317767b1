#include "table_run.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include <zelmor/projection.hpp>

#include "fixed_format.hpp"
#include "messages.hpp"
#include "output_block.hpp"
#include "table_cells.hpp"
#include "table_messages.hpp"
#include "table_records.hpp"

namespace zelmor {
namespace {

// The reader's buffer, bytes: a row up to this long is converted; a longer one is kept as it is.
constexpr std::size_t kTableBufferSize = std::size_t{1} << 18;
// Bytes read before the shape is told from them (or the whole table, when shorter).
constexpr std::size_t kSampleBytes = std::size_t{1} << 17;
// The output block, bytes: room for the longest row, the empty cells it may be given and its new cells.
constexpr std::size_t kOutputSize = std::size_t{1} << 20;
// Rows handled together, as the program's lines are: read, then converted in one batch, then written.
constexpr std::size_t kBatchRows = 512;

enum RowKind : char {
    kBlankRow,       // written as it is
    kHeaderRow,      // given the new columns' names
    kPointRow,       // two numbers to convert
    kFormatProblem,  // a coordinate cell missing or not a number
    kRangeProblem,   // no result for the point
    kLongPiece,      // a piece of a row longer than the buffer, written as it is
    kLongRowEnd,     // the last piece of such a row
};

struct RowBatch {
    Record records[kBatchRows];
    RowKind kinds[kBatchRows];
    std::size_t cells[kBatchRows];
    std::uint32_t points[kBatchRows];  // the rows of kind kPointRow
    double northing[kBatchRows];       // latitude or x, as read
    double easting[kBatchRows];
    double converted_northing[kBatchRows];  // x or latitude
    double converted_easting[kBatchRows];
    int statuses[kBatchRows];
    std::size_t count;
    std::size_t point_count;
};

// What a run works in: one run at a time, in static storage, as the program's.
char table_input[kTableBufferSize];
char table_output[kOutputSize];
RowBatch table_batch;
char output_delimiter = ';';  // the delimiter of the table being written, for whole_output_rows

// The output block's unit: whole rows of the table written, so that a write cut short (a full disk, a
// stop while a pipe's reader waits) never leaves a row with a line break in a quoted cell cut there.
std::size_t whole_output_rows(const char* data, std::size_t length)
{
    return whole_rows(std::string_view(data, length), output_delimiter);
}

struct RunState {
    const TableShape& shape;
    std::vector<std::string_view> cells;  // room for the cells up to the last coordinate column
    bool header_pending;                  // the header row is still to come
    bool pass_through;                    // nothing to convert: every row is written as it is
};

void classify(RowBatch& batch, RunState& state, const Record& record, bool long_row_ends)
{
    const std::size_t index = batch.count++;
    batch.records[index] = record;
    batch.cells[index] = 0;
    RowKind& kind = batch.kinds[index];
    if (!record.complete || long_row_ends) {
        kind = record.complete ? kLongRowEnd : kLongPiece;
        batch.cells[index] = state.shape.width;  // its cells are not counted: it is given none
        state.header_pending = false;
        return;
    }
    if (state.pass_through || is_blank(record.text)) {
        kind = kBlankRow;
        return;
    }
    const TableShape& shape = state.shape;
    batch.cells[index] = split_cells(state.cells.data(), state.cells.size(), record.text, shape.delimiter);
    if (state.header_pending) {
        state.header_pending = false;
        kind = kHeaderRow;
        return;
    }
    kind = kFormatProblem;
    if (batch.cells[index] >= state.cells.size() &&
        read_cell_number(batch.northing[batch.point_count], state.cells[shape.northing_column], shape.decimal) &&
        read_cell_number(batch.easting[batch.point_count], state.cells[shape.easting_column], shape.decimal)) {
        kind = kPointRow;
        batch.points[batch.point_count++] = static_cast<std::uint32_t>(index);
    }
}

void convert_batch(RowBatch& batch, Direction direction)
{
    const auto convert = direction == Direction::kToGrid ? geodetic_to_grid_batch : grid_to_geodetic_batch;
    convert(batch.statuses, batch.converted_northing, batch.converted_easting, batch.northing, batch.easting,
            batch.point_count);
    for (std::size_t i = 0; i < batch.point_count; ++i) {
        if (batch.statuses[i] != kConverted || !std::isfinite(batch.converted_northing[i]) ||
            !std::isfinite(batch.converted_easting[i])) {
            batch.kinds[batch.points[i]] = kRangeProblem;
        }
    }
}

char* append(char* at, std::string_view text)
{
    if (!text.empty()) {  // an empty view's data may be null, which memcpy must never be given
        std::memcpy(at, text.data(), text.size());
    }
    return at + text.size();
}

// A coordinate as the program writes it, with the table's decimal separator.
char* append_number(char* at, double value, char decimal)
{
    const std::size_t length = format_fixed4(at, value);
    if (decimal != '.') {
        *static_cast<char*>(std::memchr(at, '.', length)) = decimal;
    }
    return at + length;
}

// A status cell, quoted where a blank would part it.
char* append_status(char* at, std::string_view status, char delimiter)
{
    const bool quoted = delimiter == kBlanks && status.find(' ') != std::string_view::npos;
    at = quoted ? append(at, "\"") : at;
    at = append(at, status);
    return quoted ? append(at, "\"") : at;
}

// Writes the rows of the batch, with their new cells, and the messages about those that did not convert.
bool write_batch(OutputBlock& block, TableCounts& counts, const RowBatch& batch, const TableShape& shape,
                 std::FILE* console, std::string_view name)
{
    const char cell_end = shape.delimiter;
    const NewColumns columns = new_columns(shape.direction, shape.order);
    std::size_t point = 0;
    for (std::size_t i = 0; i < batch.count; ++i) {
        const Record& record = batch.records[i];
        const RowKind kind = batch.kinds[i];
        if (block.capacity - block.used < record.text.size() + shape.width + 2 * kMaxFixed4Length + 256 &&
            !flush_block(block)) {
            return false;
        }
        char* at = append(block.data + block.used, record.text);
        if (kind != kBlankRow && kind != kLongPiece) {
            for (std::size_t cells = batch.cells[i]; cell_end != kBlanks && cells < shape.width; ++cells) {
                *at++ = cell_end;
            }
            *at++ = cell_end;
        }
        std::string_view problem;
        if (kind == kHeaderRow) {
            at = append(append(append(append(at, columns.first), {&cell_end, 1}), columns.second), {&cell_end, 1});
            at = append(at, kStatusColumn);
        } else if (kind == kPointRow) {
            const double northing = batch.converted_northing[point];
            const double easting = batch.converted_easting[point++];
            const bool polish = shape.order == AxisOrder::kPolish;
            at = append_number(at, polish ? northing : easting, shape.decimal);
            *at++ = cell_end;
            at = append_number(at, polish ? easting : northing, shape.decimal);
            *at++ = cell_end;
            at = append(at, kStatusConverted);
        } else if (kind == kFormatProblem || kind == kRangeProblem || kind == kLongRowEnd) {
            problem = kind == kFormatProblem ? kBadFormat : kind == kRangeProblem ? kOutOfRange : kRowTooLong;
            // Empty cells: in a listing, where blanks part the cells, as "" (a run of blanks is one).
            const std::string_view empty = cell_end == kBlanks ? "\"\"" : "";
            at = append(append(append(append(at, empty), {&cell_end, 1}), empty), {&cell_end, 1});
            at = append_status(at, problem, cell_end);
        }
        point += kind == kRangeProblem ? 1 : 0;
        at = append(at, record.line_end);
        block.used = static_cast<std::size_t>(at - block.data);
        if (kind == kPointRow || !problem.empty()) {
            ++counts.rows;
        }
        if (!problem.empty()) {
            ++counts.failed;
            print_row_problem(console, name, record.line_number, problem);
        }
    }
    return true;
}

// Reads until the sample is in, or the table ends: kRecord, or why not.
RecordStatus read_sample(RecordReader& reader)
{
    RecordStatus status = RecordStatus::kRecord;
    while (status == RecordStatus::kRecord && !reader.at_end_of_file && reader.end < kSampleBytes) {
        status = read_records(reader);
    }
    return status;
}

TableStatus run_status(RecordStatus status)
{
    return status == RecordStatus::kReadFailed ? TableStatus::kReadFailed : TableStatus::kStopped;
}

}  // namespace

NewColumns new_columns(Direction direction, AxisOrder order)
{
    const bool polish = order == AxisOrder::kPolish;
    if (direction == Direction::kToGrid) {
        return polish ? NewColumns{"X_PUWG92", "Y_PUWG92"} : NewColumns{"E_PUWG92", "N_PUWG92"};
    }
    return polish ? NewColumns{"B_WGS84", "L_WGS84"} : NewColumns{"lon_WGS84", "lat_WGS84"};
}

TableStatus start_table(TableStart& start, std::FILE* input, const ShapeAsked& asked, const StopFlag* stop)
{
    start.reader = make_record_reader(input, table_input, kTableBufferSize, stop);
    const RecordStatus sampled = read_sample(start.reader);
    if (sampled != RecordStatus::kRecord) {
        return run_status(sampled);
    }
    start.shape_status =
        tell_shape(start.shape, start.detail, unread_bytes(start.reader), start.reader.at_end_of_file, asked);
    const bool told = start.shape_status == ShapeStatus::kTold || start.shape_status == ShapeStatus::kNoRows;
    return told ? TableStatus::kComplete : TableStatus::kShapeDoubt;
}

TableStatus convert_rows(TableCounts& counts, TableStart& start, std::FILE* output, std::FILE* console,
                         std::string_view name)
{
    counts = TableCounts{0, 0};
    const TableShape& shape = start.shape;
    RecordReader& reader = start.reader;
    RunState state = {shape, {}, shape.header, start.shape_status == ShapeStatus::kNoRows};
    if (!state.pass_through) {
        state.cells.resize(std::max(shape.northing_column, shape.easting_column) + 1);
        reader.delimiter = shape.delimiter;
    }
    output_delimiter = shape.delimiter;
    OutputBlock block = make_output_block(output, table_output, kOutputSize, reader.stop,
                                          state.pass_through ? whole_lines : whole_output_rows);
    if (reader.byte_order_mark) {
        block.used = static_cast<std::size_t>(append(block.data, "\xEF\xBB\xBF") - block.data);
    }
    RowBatch& batch = table_batch;
    RecordStatus read = RecordStatus::kRecord;
    while (read != RecordStatus::kNoMoreRows) {
        batch.count = 0;
        batch.point_count = 0;
        Record record;
        while (batch.count < kBatchRows) {
            const bool long_row_ends = reader.in_long_row;
            if ((read = next_record(record, reader)) != RecordStatus::kRecord) {
                break;
            }
            classify(batch, state, record, long_row_ends);
        }
        convert_batch(batch, shape.direction);
        if (!write_batch(block, counts, batch, shape, console, name)) {
            return TableStatus::kWriteFailed;
        }
        if (read == RecordStatus::kNeedBytes && (read = read_records(reader)) != RecordStatus::kRecord) {
            return flush_block(block) ? run_status(read) : TableStatus::kWriteFailed;
        }
    }
    return flush_block(block) ? TableStatus::kComplete : TableStatus::kWriteFailed;
}

}  // namespace zelmor
