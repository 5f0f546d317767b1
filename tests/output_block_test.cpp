// Where the results file is cut back to after a failed write, on every system's way of failing (the
// Windows one included, tested here on any system).
#include "output_block.hpp"

#include <gtest/gtest.h>

#include "table_records.hpp"

#include <string_view>

namespace {

TEST(OutputBlock, AFailedWriteIsCutBackToTheWholeLinesThatArrived)
{
    constexpr std::string_view kBlock = "P 1\nP 2\nP 3\n";  // three result lines of four bytes
    constexpr std::uint64_t kBefore = 1000;                 // bytes on file before the block
    const struct {
        const char* name;
        std::size_t reported;    // what the write said it wrote
        long long file_length;   // the file's length afterwards, or -1
        std::uint64_t expected;  // the length it is cut back to
    } cases[] = {
        {"a write that reports what arrived, part way into a line", 6, kBefore + 6, kBefore + 4},
        {"Windows: none reported, though part of the block arrived", 0, kBefore + 9, kBefore + 8},
        {"none reported, and the length cannot be told", 0, -1, kBefore},
        {"nothing arrived", 0, kBefore, kBefore},
        {"a file shorter than before the block", 5, kBefore - 10, kBefore + 4},
        {"a length past the block is the block's end at most", 0, kBefore + 100, kBefore + 12},
        {"the write's count when it says more than the length", 9, kBefore + 2, kBefore + 8},
        {"every line arrived but for the last line end", 11, kBefore + 11, kBefore + 8},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(zelmor::length_after_failed_write(kBlock.data(), kBlock.size(), kBefore, c.reported, c.file_length),
                  c.expected)
            << c.name;
    }
}

// A table's rows, whose quoted cells may hold line breaks: what is whole, and where a failed write of
// them is cut back to.
TEST(OutputBlock, ATablesWritesAreCutBackToItsWholeRows)
{
    const struct {
        const char* name;
        std::string_view bytes;
        char delimiter;
        std::size_t whole;  // the length of its whole rows
    } cases[] = {
        {"rows of no quotes", "a;1\nb;2\nc", ';', 8},
        {"a line break in a quoted cell is no row's end", "a;\"x\ny\";1\nb;\"p\nq", ';', 10},
        {"a doubled quote stays inside the cell", "\"say \"\"hi\"\"\n\";1\nz", ';', 16},
        {"a quote inside a cell is a character", "12\" pipe;1\nx;\"\n", ';', 11},
        {"in a listing a quote opens a cell after a blank", "101 \"a\nb\" 1\n102", ' ', 12},
        {"a row still open at the end", "\"open\n", ',', 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(zelmor::whole_rows(c.bytes, c.delimiter), c.whole) << c.name;
    }
    // Cut back after a failed write: the row with a line break inside is taken out whole.
    constexpr std::string_view kBlock = "a;\"x\ny\";1\nb;2\n";
    const zelmor::WholeUnits rows = [](const char* data, std::size_t length) {
        return zelmor::whole_rows(std::string_view(data, length), ';');
    };
    EXPECT_EQ(zelmor::length_after_failed_write(kBlock.data(), kBlock.size(), 0, 6, 6, rows), 0U);
    EXPECT_EQ(zelmor::length_after_failed_write(kBlock.data(), kBlock.size(), 0, 12, 12, rows), 10U);
    EXPECT_EQ(zelmor::length_after_failed_write(kBlock.data(), kBlock.size(), 0, 6, 6), 5U);  // lines would cut it
}

}  // namespace
