// Physical lines of a text file, read in large blocks and handed out in place.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "line_paddings.hpp"

namespace zelmor {

// A reader over `file` using the caller's buffer `data` of `capacity` bytes, kPaddingBefore bytes before
// it and kPaddingAfter more after it.
//
// Lines end in "\n" (a CR before it stays in the line, where the scanner takes it for a blank), except
// in a file of classic Mac line ends: when the first block read (`capacity` bytes, or the whole of a
// smaller file) holds a CR and no "\n", a CR alone ends each line. (Files whose lines end in "\r\r\n",
// left by converting line ends twice, hold "\n"s and read one line each as always.) A last line without
// its end still counts. A UTF-8 byte order mark (EF BB BF) at the very start of the file, which Windows
// editors put there, is not part of the text: a file of only the mark has no lines. A line longer than
// the buffer is handed out once, cut to its first `capacity` bytes, and the rest of it is skipped:
// memory never grows with line length. Every line handed out is preceded by kPaddingBefore and followed
// by kPaddingAfter readable bytes, as the scanner needs.
struct LineReader {
    std::FILE* file;
    char* data;
    std::size_t capacity;
    std::size_t begin;      // first unread byte in data
    std::size_t end;        // one past the last byte read into data
    bool at_end_of_file;    // the file has no more bytes
    bool skipping;          // the rest of a cut line is being thrown away
    bool at_start;          // nothing has been read yet
    char line_end;          // the byte that ends a line: '\n', or '\r' in a file of classic Mac line ends
};

LineReader make_line_reader(std::FILE* file, char* data, std::size_t capacity);

// Statuses of next_line.
inline constexpr int kLineRead = 0;     // `line` holds the next line, without its "\n"
inline constexpr int kNoMoreLines = 1;  // the file is exhausted
inline constexpr int kReadFailed = 2;   // the file could not be read (this is not the end of it)

// The next physical line, by the general way: reading more of the file when needed.
int next_line_slowly(std::string_view& line, bool& cut, LineReader& reader);

// The next physical line. `line` points into the reader's buffer and stays valid until the next call;
// `cut` is true when it is only the start of a line longer than the buffer. Inline for the common case
// of a line whose end is already in the buffer.
inline int next_line(std::string_view& line, bool& cut, LineReader& reader)
{
    if (!reader.skipping) {
        const char* start = reader.data + reader.begin;
        const void* found = std::memchr(start, reader.line_end, reader.end - reader.begin);
        if (found != nullptr) {
            const auto length = static_cast<std::size_t>(static_cast<const char*>(found) - start);
            line = std::string_view(start, length);
            cut = false;
            reader.begin += length + 1;
            return kLineRead;
        }
    }
    return next_line_slowly(line, cut, reader);
}

}  // namespace zelmor
