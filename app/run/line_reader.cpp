#include "line_reader.hpp"

#include <cstring>

namespace zelmor {
namespace {

// The byte order mark of UTF-8, which some programs write before a text's first line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Reads more bytes after `end`; false when the read failed.
bool fill(LineReader& reader)
{
    const std::size_t count =
        std::fread(reader.data + reader.end, 1, reader.capacity - reader.end, reader.file);
    reader.end += count;
    // The bytes after the data are defined, so that loading them past a line's end reads no stale
    // or uninitialised memory.
    std::memset(reader.data + reader.end, 0, kPaddingAfter);
    if (count == 0) {
        if (std::ferror(reader.file)) {
            return false;
        }
        reader.at_end_of_file = true;
    }
    return true;
}

// Moves the unread bytes to the start of the buffer, making room behind them.
void compact(LineReader& reader)
{
    const std::size_t unread = reader.end - reader.begin;
    if (reader.begin != 0) {
        std::memmove(reader.data, reader.data + reader.begin, unread);
    }
    reader.begin = 0;
    reader.end = unread;
}

// Throws bytes away up to and including the next line end; false when a read failed.
bool skip_rest_of_line(LineReader& reader)
{
    for (;;) {
        const void* found = std::memchr(reader.data + reader.begin, reader.line_end, reader.end - reader.begin);
        if (found != nullptr) {
            reader.begin = static_cast<std::size_t>(static_cast<const char*>(found) - reader.data) + 1;
            reader.skipping = false;
            return true;
        }
        reader.begin = 0;
        reader.end = 0;
        if (reader.at_end_of_file) {
            reader.skipping = false;
            return true;
        }
        if (!fill(reader)) {
            return false;
        }
    }
}


// Reads the first block of the file: takes off a byte order mark, and chooses the line end. False when
// the read failed.
bool start_reading(LineReader& reader)
{
    if (!fill(reader)) {
        return false;
    }
    const std::string_view block(reader.data, reader.end);
    if (block.starts_with(kByteOrderMark)) {
        reader.begin = kByteOrderMark.size();
    }
    if (block.find('\n') == std::string_view::npos && block.find('\r') != std::string_view::npos) {
        reader.line_end = '\r';
    }
    return true;
}

// The next physical line, reading more of the file when needed.
int read_line(std::string_view& line, bool& cut, LineReader& reader)
{
    if (reader.skipping && !skip_rest_of_line(reader)) {
        return kReadFailed;
    }
    for (;;) {
        char* start = reader.data + reader.begin;
        const std::size_t unread = reader.end - reader.begin;
        const void* found = std::memchr(start, reader.line_end, unread);
        if (found != nullptr) {
            const char* newline = static_cast<const char*>(found);
            line = std::string_view(start, static_cast<std::size_t>(newline - start));
            cut = false;
            reader.begin += line.size() + 1;
            return kLineRead;
        }
        if (reader.at_end_of_file) {
            if (unread == 0) {
                return kNoMoreLines;
            }
            line = std::string_view(start, unread);  // the last line has no line end
            cut = false;
            reader.begin = reader.end;
            return kLineRead;
        }
        if (unread == reader.capacity) {
            line = std::string_view(start, unread);
            cut = true;
            reader.begin = reader.end;
            reader.skipping = true;
            return kLineRead;
        }
        compact(reader);
        if (!fill(reader)) {
            return kReadFailed;
        }
    }
}

}  // namespace

LineReader make_line_reader(std::FILE* file, char* data, std::size_t capacity)
{
    std::memset(data - kPaddingBefore, 0, kPaddingBefore + kPaddingAfter);
    return LineReader{file, data, capacity, 0, 0, false, false, true, '\n'};
}

int next_line_slowly(std::string_view& line, bool& cut, LineReader& reader)
{
    // The first line is always read here: nothing is in the buffer before it.
    if (reader.at_start) {
        reader.at_start = false;
        if (!start_reading(reader)) {
            return kReadFailed;
        }
    }
    return read_line(line, cut, reader);
}

}  // namespace zelmor
