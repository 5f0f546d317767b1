// Splitting a file into physical lines through buffers small and large, so that lines cross block
// boundaries, fill the buffer exactly, and outgrow it. Each buffer is allocated at exactly its size and
// paddings, so that AddressSanitizer sees any read past them.
#include "line_reader.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Line {
    std::string text;
    bool cut;
    bool operator==(const Line&) const = default;
};

std::FILE* file_holding(const std::string& content)
{
    std::FILE* file = std::tmpfile();
    std::fwrite(content.data(), 1, content.size(), file);
    std::rewind(file);
    return file;
}

std::vector<Line> read_all(const std::string& content, std::size_t capacity, int& final_status)
{
    std::FILE* file = file_holding(content);
    std::vector<char> buffer(zelmor::kPaddingBefore + capacity + zelmor::kPaddingAfter);
    zelmor::LineReader reader = zelmor::make_line_reader(file, buffer.data() + zelmor::kPaddingBefore, capacity);
    std::vector<Line> lines;
    std::string_view line;
    bool cut = false;
    while ((final_status = zelmor::next_line(line, cut, reader)) == zelmor::kLineRead) {
        lines.push_back({std::string(line), cut});
    }
    std::fclose(file);
    return lines;
}

// Each file's physical lines, as read through buffers of 8, 64 and 256 bytes: a line as long as the
// buffer or longer comes cut to it.
TEST(LineReader, PhysicalLinesThroughBuffersOfEverySize)
{
    const std::string xs(300, 'x');
    std::string mac = "\xEF\xBB\xBF" "a\rb\r";  // built by appending: GCC 12 warns falsely otherwise
    mac.append(xs).append("\nyz\r");
    const struct {
        std::string content;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"\n", {""}},
        {"\n\n", {"", ""}},
        {"ab\ncd", {"ab", "cd"}},
        {"ab\r\ncd\r\n", {"ab\r", "cd\r"}},
        {"1234567\n", {"1234567"}},
        {"abc\n1234567\nxy", {"abc", "1234567", "xy"}},
        {"abcdefgh\nxy\n", {"abcdefgh", "xy"}},
        {"abcdefghijklmnopqrstuvwxyz\n\nz", {"abcdefghijklmnopqrstuvwxyz", "", "z"}},
        {std::string("a\0b\n\0\n", 6), {std::string("a\0b", 3), std::string("\0", 1)}},
        // A UTF-8 byte order mark before the first line is not part of it; anywhere else it is.
        {"\xEF\xBB\xBF" "ab\n\xEF\xBB\xBF\n", {"ab", "\xEF\xBB\xBF"}},
        {"\xEF\xBB\xBF", {}},
        {"\xEF\xBB", {"\xEF\xBB"}},
        {"\xEF\xBB\x41\n", {"\xEF\xBB\x41"}},
        // Classic Mac line ends: a first block with a CR and no LF; lines across the blocks' edges, and
        // a LF after the first block is an ordinary byte. A file with a LF reads as always.
        {"ab\rcdefghij\rk\r\rlm", {"ab", "cdefghij", "k", "", "lm"}},
        {mac, {"a", "b", xs + "\nyz"}},
        {"a\rb\rc\n", {"a\rb\rc"}},
        {"ab\r\r\ncd\r\r\n", {"ab\r\r", "cd\r\r"}},
    };
    const std::size_t capacities[] = {8, 64, 256};
    for (const std::size_t capacity : capacities) {
        for (const auto& c : cases) {
            std::vector<Line> expected;
            for (const std::string& line : c.lines) {
                expected.push_back({line.substr(0, capacity), line.size() >= capacity});
            }
            int status = -1;
            EXPECT_EQ(read_all(c.content, capacity, status), expected) << '"' << c.content << "\" through " << capacity;
            EXPECT_EQ(status, zelmor::kNoMoreLines);
        }
    }
}

TEST(LineReader, EveryLineLengthAroundTheBufferSize)
{
    const std::size_t capacities[] = {16, 64};
    for (const std::size_t capacity : capacities) {
        for (std::size_t length = 0; length < capacity + 24; ++length) {
            const std::string line(length, 'x');
            int status = -1;
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
    EXPECT_EQ(zelmor::next_line(line, cut, reader), zelmor::kReadFailed);
    std::fclose(directory);
}

}  // namespace
