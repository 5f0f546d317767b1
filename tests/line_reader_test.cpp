// Splitting a file into physical lines through buffers small and large, so that lines cross block
// boundaries, fill the buffer exactly, and outgrow it. Each buffer is allocated at exactly its size and
// paddings, so that AddressSanitizer sees any read past them.
#include "line_reader.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "run_invariants.hpp"

namespace {

struct Line {
    std::string text;
    bool cut;
    bool operator==(const Line&) const = default;
    friend void PrintTo(const Line& line, std::ostream* out) { *out << '"' << line.text << (line.cut ? "\" (cut)" : "\""); }
};

std::FILE* file_holding(const std::string& content)
{
    std::FILE* file = std::tmpfile();
    std::fwrite(content.data(), 1, content.size(), file);
    std::rewind(file);
    return file;
}

std::vector<Line> read_all(const std::string& content, std::size_t capacity, zelmor::ReadStatus& final_status)
{
    std::FILE* file = file_holding(content);
    std::vector<char> buffer(zelmor::kPaddingBefore + capacity + zelmor::kPaddingAfter);
    zelmor::LineReader reader = zelmor::make_line_reader(file, buffer.data() + zelmor::kPaddingBefore, capacity);
    std::vector<Line> lines;
    std::string_view line;
    bool cut = false;
    while ((final_status = zelmor::next_line(line, cut, reader)) == zelmor::ReadStatus::kLineRead) {
        lines.push_back({std::string(line), cut});
    }
    std::fclose(file);
    return lines;
}

// Each file's physical lines, as the rule users are told makes them, read through buffers of every size
// from 3 bytes (a byte order mark's) to 16 and two larger ones, so that every line end, CR run and byte order mark meets a
// block's edge at every place: a line as long as the buffer or longer comes cut to it. (A line ended by a
// LF keeps the CRs before it, which the scanner takes for blanks; they are left out of the comparison.)
TEST(LineReader, PhysicalLinesThroughBuffersFromThreeBytesUp)
{
    const std::string xs(300, 'x');
    const std::string crs(40, '\r');
    const std::string contents[] = {
        "", "\n", "\n\n", "ab\ncd", "ab\r\ncd\r\n", "1234567\n", "abc\n1234567\nxy", "abcdefgh\nxy\n",
        "abcdefghijklmnopqrstuvwxyz\n\nz", std::string("a\0b\n\0\n", 6),
        // A UTF-8 byte order mark before the first line is not part of it; anywhere else it is.
        "\xEF\xBB\xBF" "ab\n\xEF\xBB\xBF\n", "\xEF\xBB\xBF", "\xEF\xBB", "\xEF\xBB\x41\n", "\xEF\xBB\xBF" "a\rb\r",
        // Classic Mac line ends anywhere: alone, with a final LF, after LF lines, and runs of CRs.
        "ab\rcdefghij\rk\r\rlm", "W 52 19\rW 52 21\rP 0 0\r\n", "a\rb\rc\n", "W 52 19\nW 52 21\nP 0 0\rX 1\rW 50 20\r",
        "ab\r\r\ncd\r\r\n", "W 52 19\r\rW 52 21", "W 52 19\r", "ab\r" + xs + "\nyz\r", "a" + crs + "\nb" + crs + "c" + crs,
        // Lines around the buffer's size, ending every way.
        xs + "\r\n" + xs + "\r" + xs + "\n" + xs,
    };
    std::vector<std::size_t> capacities = {64, 256};
    for (std::size_t capacity = 3; capacity <= 16; ++capacity) {
        capacities.push_back(capacity);
    }
    for (const std::size_t capacity : capacities) {
        for (const std::string& content : contents) {
            std::vector<Line> expected;
            for (const std::string_view line : zelmor_test::rule_lines(content)) {
                expected.push_back({std::string(line.substr(0, capacity)), line.size() >= capacity});
            }
            zelmor::ReadStatus status{};
            std::vector<Line> lines = read_all(content, capacity, status);
            for (Line& line : lines) {
                while (!line.cut && line.text.ends_with('\r')) {
                    line.text.pop_back();
                }
            }
            EXPECT_EQ(lines, expected) << '"' << content << "\" through " << capacity;
            EXPECT_EQ(status, zelmor::ReadStatus::kNoMoreLines);
        }
    }
}

TEST(LineReader, EveryLineLengthAroundTheBufferSize)
{
    const std::size_t capacities[] = {16, 64};
    for (const std::size_t capacity : capacities) {
        for (std::size_t length = 0; length < capacity + 24; ++length) {
            const std::string line(length, 'x');
            zelmor::ReadStatus status{};
            const auto lines = read_all(line + "\n" + line + "\nend", capacity, status);
            ASSERT_EQ(lines.size(), 3u) << length;
            EXPECT_EQ(lines[0].text, line.substr(0, capacity));
            EXPECT_EQ(lines[0].cut, length >= capacity);
            EXPECT_EQ(lines[1], lines[0]);
            EXPECT_EQ(lines[2], (Line{"end", false}));
        }
    }
}

TEST(LineReader, AFileThatCannotBeReadIsAnErrorNotTheEnd)
{
    std::FILE* directory = std::fopen(".", "rb");
    if (directory == nullptr) {
        GTEST_SKIP() << "this system does not open directories as files";
    }
    char buffer[zelmor::kPaddingBefore + 64 + zelmor::kPaddingAfter];
    zelmor::LineReader reader = zelmor::make_line_reader(directory, buffer + zelmor::kPaddingBefore, 64);
    std::string_view line;
    bool cut = false;
    EXPECT_EQ(zelmor::next_line(line, cut, reader), zelmor::ReadStatus::kReadFailed);
    std::fclose(directory);
}

}  // namespace
