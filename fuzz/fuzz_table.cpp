// Fuzzer of the table converter over an in-memory table: whatever the bytes, the shape is told or a doubt
// is said with nothing written, and a converted table keeps every row: as many line ends as it came with,
// its byte order mark, and every byte of the input in order within the output.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "table_run.hpp"

namespace {

void fail(const char* rule)
{
    std::fprintf(stderr, "broken: %s\n", rule);
    std::abort();
}

std::string read_back(std::FILE* file)
{
    std::string bytes;
    std::rewind(file);
    char piece[4096];
    for (std::size_t count; (count = std::fread(piece, 1, sizeof piece, file)) > 0;) {
        bytes.append(piece, count);
    }
    return bytes;
}

// Whether every byte of `part` appears in `whole` in the same order.
bool in_order_within(std::string_view part, std::string_view whole)
{
    std::size_t at = 0;
    for (const char byte : part) {
        at = whole.find(byte, at);
        if (at == std::string_view::npos) {
            return false;
        }
        ++at;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    // The first byte picks what is asked: the axis order, and a delimiter or none.
    const char delimiters[] = {0, ';', ',', '\t', zelmor::kBlanks};
    zelmor::ShapeAsked asked = {delimiters[data[0] % 5],
                                0,
                                -1,
                                {"", ""},
                                zelmor::Direction::kUnknown,
                                (data[0] & 0x80) != 0 ? zelmor::AxisOrder::kGis : zelmor::AxisOrder::kPolish};
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::FILE* table = fmemopen(const_cast<char*>(input.data()), input.size(), "rb");
    std::FILE* output = std::tmpfile();
    std::FILE* console = std::fopen("/dev/null", "w");
    if (table == nullptr || output == nullptr || console == nullptr) {
        fail("could not open the in-memory files");
    }
    zelmor::TableStart start;
    zelmor::TableStatus status = zelmor::start_table(start, table, asked);
    if (status == zelmor::TableStatus::kComplete) {
        zelmor::TableCounts counts;
        status = zelmor::convert_rows(counts, start, output, console, "fuzz.csv");
        const std::string written = read_back(output);
        if (status != zelmor::TableStatus::kComplete) {
            fail("a table in memory was not converted whole");
        }
        const auto line_ends = [](std::string_view text) { return std::count(text.begin(), text.end(), '\n'); };
        if (line_ends(written) != line_ends(input)) {
            fail("a row was lost or made");
        }
        if (!in_order_within(input, written) || counts.failed > counts.rows) {
            fail("the input's bytes are not all in the output, in order");
        }
    } else if (status != zelmor::TableStatus::kShapeDoubt || !read_back(output).empty()) {
        fail("a table not converted wrote something, or ended otherwise than by a doubt");
    }
    std::fclose(table);
    std::fclose(output);
    std::fclose(console);
    return 0;
}
