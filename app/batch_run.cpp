#include "batch_run.hpp"

#include <cmath>
#include <memory>
#include <string_view>

#include <zelmor/projection.hpp>

#include "line_reader.hpp"
#include "line_scan.hpp"
#include "messages.hpp"
#include "output_block.hpp"
#include "result_line.hpp"

namespace zelmor {
namespace {

// Input block, bytes: any line up to this length is read whole; longer ones are cut to it.
constexpr std::size_t kInputBlockSize = std::size_t{1} << 20;
// Output block, bytes: result lines are written to the file in pieces of about this size.
constexpr std::size_t kOutputBlockSize = std::size_t{1} << 18;

// Converts one point to the other system. Returns the tag of the result, or 0 when the point has no
// finite result (outside the accepted area, or a grid point too far out for the formulas).
char convert_point(double& first, double& second, const PointRecord& point)
{
    if (point.tag == 'P') {
        grid_to_geodetic(first, second, point.first, point.second);
        return std::isfinite(first) && std::isfinite(second) ? 'W' : 0;
    }
    if (geodetic_to_grid(first, second, point.first, point.second) != kConverted) {
        return 0;
    }
    return std::isfinite(first) && std::isfinite(second) ? 'P' : 0;
}

// Handles one line: a result line into `block`, or a message on `console`. False when `block` had to
// be written out and the write failed.
bool handle_line(OutputBlock& block, std::FILE* console, std::uint64_t line_number, std::string_view line,
                 bool cut)
{
    PointRecord point{};
    if (scan_line(point, line, cut) != kPointItems) {
        print_line_problem(console, line_number, kBadFormat);
        return true;
    }
    if (point.tag != 'W' && point.tag != 'P') {
        print_line_problem(console, line_number, kBadTag);
        return true;
    }
    double first = 0.0;
    double second = 0.0;
    const char tag = convert_point(first, second, point);
    if (tag == 0) {
        print_line_problem(console, line_number, kOutOfRange);
        return true;
    }
    if (block.capacity - block.used < kMaxResultLineLength && !flush_block(block)) {
        return false;
    }
    block.used += format_result_line(block.data + block.used, tag, first, second);
    return true;
}

}  // namespace

int convert_stream(std::uint64_t& lines_read, std::FILE* input, std::FILE* results, std::FILE* console)
{
    const auto input_data = std::make_unique_for_overwrite<char[]>(kInputBlockSize);
    const auto output_data = std::make_unique_for_overwrite<char[]>(kOutputBlockSize);
    LineReader reader = make_line_reader(input, input_data.get(), kInputBlockSize);
    OutputBlock block{results, output_data.get(), kOutputBlockSize, 0};

    lines_read = 0;
    int status = kRunComplete;
    for (;;) {
        std::string_view line;
        bool cut = false;
        const int read = next_line(line, cut, reader);
        if (read != kLineRead) {
            status = read == kNoMoreLines ? kRunComplete : kRunReadFailed;
            break;
        }
        ++lines_read;
        if (!handle_line(block, console, lines_read, line, cut)) {
            return kRunWriteFailed;
        }
    }
    // What was converted before a read failure is kept, so it is written out too.
    if ((!flush_block(block) || std::fflush(results) != 0) && status == kRunComplete) {
        status = kRunWriteFailed;
    }
    return status;
}

}  // namespace zelmor
