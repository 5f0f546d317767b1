// Physical lines of a text file, read in large blocks and handed out in place.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

namespace zelmor {

// A reader over `file` using the caller's buffer `data` of `capacity` bytes. Lines are separated by
// "\n"; a last line without one still counts. A line longer than the buffer is handed out once, cut to
// its first `capacity` bytes, and the rest of it is skipped: memory never grows with line length.
struct LineReader {
    std::FILE* file;
    char* data;
    std::size_t capacity;
    std::size_t begin;      // first unread byte in data
    std::size_t end;        // one past the last byte read into data
    bool at_end_of_file;    // the file has no more bytes
    bool skipping;          // the rest of a cut line is being thrown away
};

LineReader make_line_reader(std::FILE* file, char* data, std::size_t capacity);

// Statuses of next_line.
inline constexpr int kLineRead = 0;     // `line` holds the next line, without its "\n"
inline constexpr int kNoMoreLines = 1;  // the file is exhausted
inline constexpr int kReadFailed = 2;   // the file could not be read (this is not the end of it)

// The next physical line. `line` points into the reader's buffer and stays valid until the next call;
// `cut` is true when it is only the start of a line longer than the buffer.
int next_line(std::string_view& line, bool& cut, LineReader& reader);

}  // namespace zelmor
