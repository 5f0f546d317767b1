// Splitting a file into physical lines through a small buffer, so that lines cross block boundaries,
// fill the buffer exactly, and outgrow it.
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
    std::vector<char> buffer(zelmor::kLeadPadding + capacity + zelmor::kReadPadding);
    zelmor::LineReader reader = zelmor::make_line_reader(file, buffer.data() + zelmor::kLeadPadding, capacity);
    std::vector<Line> lines;
    std::string_view line;
    bool cut = false;
    while ((final_status = zelmor::next_line(line, cut, reader)) == zelmor::kLineRead) {
        lines.push_back({std::string(line), cut});
    }
    std::fclose(file);
    return lines;
}

TEST(LineReader, PhysicalLinesThroughAnEightByteBuffer)
{
    const struct {
        std::string content;
        std::vector<Line> lines;
    } cases[] = {
        {"", {}},
        {"\n", {{"", false}}},
        {"\n\n", {{"", false}, {"", false}}},
        {"ab\ncd", {{"ab", false}, {"cd", false}}},
        {"ab\r\ncd\r\n", {{"ab\r", false}, {"cd\r", false}}},
        {"1234567\n", {{"1234567", false}}},
        {"abc\n1234567\nxy", {{"abc", false}, {"1234567", false}, {"xy", false}}},
        {"abcdefgh\n", {{"abcdefgh", true}}},
        {"abcdefgh\nxy\n", {{"abcdefgh", true}, {"xy", false}}},
        {"abcdefghijklmnopqrstuvwxyz\n\nz", {{"abcdefgh", true}, {"", false}, {"z", false}}},
        {"abcdefghijklmnopqrstuvwxyz", {{"abcdefgh", true}}},
        {"a\rb\rc\n", {{"a\rb\rc", false}}},
        {std::string("a\0b\n\0\n", 6), {{std::string("a\0b", 3), false}, {std::string("\0", 1), false}}},
        // A UTF-8 byte order mark before the first line is not part of it; anywhere else it is.
        {"\xEF\xBB\xBF" "ab\n\xEF\xBB\xBF\n", {{"ab", false}, {"\xEF\xBB\xBF", false}}},
        {"\xEF\xBB\xBF", {{"", false}}},
        {"\xEF\xBB", {{"\xEF\xBB", false}}},
    };
    for (const auto& c : cases) {
        int status = -1;
        EXPECT_EQ(read_all(c.content, 8, status), c.lines) << '"' << c.content << '"';
        EXPECT_EQ(status, zelmor::kNoMoreLines);
    }
}

TEST(LineReader, EveryLineLengthAroundTheBufferSize)
{
    for (std::size_t length = 0; length < 40; ++length) {
        const std::string line(length, 'x');
        int status = -1;
        const auto lines = read_all(line + "\n" + line + "\nend", 16, status);
        ASSERT_EQ(lines.size(), 3u) << length;
        EXPECT_EQ(lines[0].text, line.substr(0, 16));
        EXPECT_EQ(lines[0].cut, length >= 16);
        EXPECT_EQ(lines[1], lines[0]);
        EXPECT_EQ(lines[2], (Line{"end", false}));
    }
}

TEST(LineReader, AFileThatCannotBeReadIsAnErrorNotTheEnd)
{
    std::FILE* directory = std::fopen(".", "rb");
    if (directory == nullptr) {
        GTEST_SKIP() << "this system does not open directories as files";
    }
    char buffer[zelmor::kLeadPadding + 64 + zelmor::kReadPadding];
    zelmor::LineReader reader = zelmor::make_line_reader(directory, buffer + zelmor::kLeadPadding, 64);
    std::string_view line;
    bool cut = false;
    EXPECT_EQ(zelmor::next_line(line, cut, reader), zelmor::kReadFailed);
    std::fclose(directory);
}

}  // namespace
