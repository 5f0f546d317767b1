#include "batch_run.hpp"

#include <cmath>
#include <cstdint>
#include <string_view>

#include <zelmor/projection.hpp>

#include "line_reader.hpp"
#include "line_scan.hpp"
#include "messages.hpp"
#include "output_block.hpp"
#include "result_line.hpp"

namespace zelmor {
namespace {

// Output block, bytes: result lines are written to the file in pieces of about this size.
constexpr std::size_t kOutputBlockSize = std::size_t{1} << 18;
// Lines handled together: all are scanned, then all converted, then all written, so that each of the
// loops stays small and hot (the conversions alone are most of the work).
constexpr std::size_t kBatchLines = 512;

// What became of one line. A converted point's outcome is the tag of its result line, so that the
// writer puts it straight into the line; the problems take letters that no tag is. Stored as a char
// (LineResult), to keep a batch's lines small.
enum Outcome : char {
    kConvertedToGrid = 'P',
    kConvertedToGeodetic = 'W',
    kFormatProblem = 'f',
    kTagProblem = 't',
    kRangeProblem = 'r',
};

struct LineResult {
    PointRecord point;  // as scanned; then the converted coordinates
    char outcome;
};

// Scans one line into what it holds: a point to convert, or a problem.
void scan_into(LineResult& result, std::string_view line, bool cut)
{
    if (scan_line(result.point, line, cut) != kPointItems) {
        result.outcome = kFormatProblem;
    } else {
        const char tag = result.point.tag;
        result.outcome = tag == 'W' ? kConvertedToGrid : tag == 'P' ? kConvertedToGeodetic : kTagProblem;
    }
}

// A batch of lines: what each holds, and which of them are points of each system, listed apart so that
// each direction's points go to its batch conversion together.
struct Batch {
    LineResult lines[kBatchLines];
    std::uint32_t geodetic[kBatchLines];  // lines holding a "W" point
    std::uint32_t grid[kBatchLines];      // lines holding a "P" point
    std::size_t count;
    std::size_t geodetic_count;
    std::size_t grid_count;
};

// Scans up to kBatchLines lines from `reader` into `batch`; returns the status of the last read. The
// counts are kept in locals while the lines are scanned: stores of the scanned bytes could otherwise
// alias them, and each would be reloaded from memory for every line.
ReadStatus scan_batch(Batch& batch, LineReader& reader)
{
    std::size_t count = 0;
    std::size_t geodetic_count = 0;
    std::size_t grid_count = 0;
    ReadStatus read = ReadStatus::kLineRead;
    std::string_view line;
    bool cut = false;
    while (count < kBatchLines && (read = next_line(line, cut, reader)) == ReadStatus::kLineRead) {
        const auto index = static_cast<std::uint32_t>(count++);
        LineResult& result = batch.lines[index];
        scan_into(result, line, cut);
        if (result.outcome == kConvertedToGrid) {
            batch.geodetic[geodetic_count++] = index;
        } else if (result.outcome == kConvertedToGeodetic) {
            batch.grid[grid_count++] = index;
        }
    }
    batch.count = count;
    batch.geodetic_count = geodetic_count;
    batch.grid_count = grid_count;
    return read;
}

// A batch conversion of one direction: statuses and result arrays first, then the coordinates as read,
// and how many points.
using Conversion = void (*)(int*, double*, double*, const double*, const double*, std::size_t);

// The coordinates of one direction's points, gathered from their lines, and their results: the batch
// conversion takes arrays, and converts several points at a time.
struct Coordinates {
    double first[kBatchLines];
    double second[kBatchLines];
    double converted_first[kBatchLines];
    double converted_second[kBatchLines];
    int statuses[kBatchLines];
};

// Converts the listed lines of a batch in place. A converted point takes the place of the input; one
// without a finite result (outside the accepted area, or a grid point too far out for the formulas)
// becomes a range problem.
void convert_listed(Batch& batch, Coordinates& points, const std::uint32_t* listed, std::size_t count,
                    Conversion convert)
{
    for (std::size_t i = 0; i < count; ++i) {
        const PointRecord& point = batch.lines[listed[i]].point;
        points.first[i] = point.first;
        points.second[i] = point.second;
    }
    convert(points.statuses, points.converted_first, points.converted_second, points.first, points.second, count);
    for (std::size_t i = 0; i < count; ++i) {
        LineResult& result = batch.lines[listed[i]];
        const double first = points.converted_first[i];
        const double second = points.converted_second[i];
        if (points.statuses[i] == kConverted && std::isfinite(first) && std::isfinite(second)) {
            result.point.first = first;
            result.point.second = second;
        } else {
            result.outcome = kRangeProblem;
        }
    }
}

void convert_batch(Batch& batch, Coordinates& points)
{
    convert_listed(batch, points, batch.geodetic, batch.geodetic_count, geodetic_to_grid_batch);
    convert_listed(batch, points, batch.grid, batch.grid_count, grid_to_geodetic_batch);
}

// Prints the message about a line that holds no point to convert; false for a converted one.
bool print_problem(std::FILE* console, std::uint64_t line_number, char outcome)
{
    switch (outcome) {
    case kFormatProblem:
        print_line_problem(console, line_number, kBadFormat);
        return true;
    case kTagProblem:
        print_line_problem(console, line_number, kBadTag);
        return true;
    case kRangeProblem:
        print_line_problem(console, line_number, kOutOfRange);
        return true;
    default:
        return false;
    }
}

// Writes the outcomes of a batch's lines in order, numbering them on from `lines_read`: result lines
// into `block`, messages on `console`. False when `block` had to be written out and the write failed.
// As in the scan, the position in the block and the line number are kept in locals.
bool write_batch(OutputBlock& block, std::uint64_t& lines_read, std::FILE* console, const Batch& batch)
{
    char* const data = block.data;
    std::size_t used = block.used;
    std::uint64_t line_number = lines_read;
    for (std::size_t i = 0; i < batch.count; ++i) {
        const LineResult& result = batch.lines[i];
        ++line_number;
        if (print_problem(console, line_number, result.outcome)) {
            continue;
        }
        if (block.capacity - used < kMaxResultLineLength) {
            block.used = used;
            used = 0;
            if (!flush_block(block)) {
                lines_read = line_number;
                return false;
            }
        }
        used += format_result_line(data + used, result.outcome, result.point.first, result.point.second);
    }
    block.used = used;
    lines_read = line_number;
    return true;
}

// Everything a run works in. One run at a time needs it, so it has static storage: nothing to allocate,
// nothing that can fail to be allocated. Each buffer is an object of its own, not a member of a shared
// one, so that AddressSanitizer guards the end of each: a read past the input's padding is caught there.
char run_input[kPaddingBefore + kInputBlockSize + kPaddingAfter];
char run_output[kOutputBlockSize];
Batch run_batch;
Coordinates run_points;

}  // namespace

RunStatus convert_stream(std::uint64_t& lines_read, std::FILE* input, std::FILE* results, std::FILE* console,
                         const StopFlag* stop)
{
    Batch& batch = run_batch;
    LineReader reader = make_line_reader(input, run_input + kPaddingBefore, kInputBlockSize, stop);
    OutputBlock block = make_output_block(results, run_output, kOutputBlockSize, stop);

    lines_read = 0;
    ReadStatus read = ReadStatus::kLineRead;
    while (read == ReadStatus::kLineRead) {
        // A console that a stop found waiting (a pipe that no one reads) takes no more messages: the
        // lines still in hand are left, rather than waiting on it for each batch of them.
        if (stop_asked(stop) && std::ferror(console)) {
            read = ReadStatus::kStopped;
            break;
        }
        read = scan_batch(batch, reader);
        convert_batch(batch, run_points);
        if (!write_batch(block, lines_read, console, batch)) {
            // A write that a stop cut short (to a pipe that no one reads) is that stop.
            return stop_asked(stop) ? RunStatus::kStopped : RunStatus::kWriteFailed;
        }
    }
    // A stop that came while the last lines were handled still ends the run as stopped, so that whoever
    // sent it can tell; the lines read before it are handled either way.
    RunStatus status = RunStatus::kComplete;
    if (read == ReadStatus::kStopped || stop_asked(stop)) {
        status = RunStatus::kStopped;
    } else if (read == ReadStatus::kReadFailed) {
        status = RunStatus::kReadFailed;
    }
    // What was converted before a stop or a read failure is kept, so it is written out too.
    if ((!flush_block(block) || std::fflush(results) != 0) && status == RunStatus::kComplete) {
        status = RunStatus::kWriteFailed;
    }
    return status;
}

}  // namespace zelmor
