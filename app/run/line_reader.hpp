// Physical lines of a text file, read in large blocks and handed out in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "line_paddings.hpp"
#include "stop_flag.hpp"

namespace zelmor {

// A reader over `file` using the caller's buffer `data` of `capacity` bytes (3 at least: room for a byte
// order mark), kPaddingBefore bytes before it and kPaddingAfter more after it.
//
// Where lines end, anywhere in the file: a LF ends a line, and a CR right before it, or a run of CRs,
// belongs to that line end (so that lines ending "\r\n", or "\r\r\n" in a file whose line ends were
// converted twice, are one line each); every other CR ends a line by itself (classic Mac line ends,
// wherever they start or stop: "a\r\rb" is three lines, the second empty). A last line without its end
// still counts. A UTF-8 byte order mark (EF BB BF) at the very start of the file, which Windows editors
// put there, is not part of the text: a file of only the mark has no lines. A line longer than the
// buffer is handed out once, cut to its first `capacity` bytes, and the rest of it is skipped: memory
// never grows with line length. Every line handed out is preceded by kPaddingBefore and followed by
// kPaddingAfter readable bytes, as the scanner needs.
//
// When `stop` is given and becomes non-zero (a signal handler sets it), the reader reads no more: the
// whole lines it holds are still handed out, then ReadStatus::kStopped. A read that a signal interrupts is no
// read error: what it brought is kept, and the stop, if the signal was one, is heard at once.
struct LineReader {
    std::FILE* file;
    const StopFlag* stop;
    char* data;
    std::size_t capacity;
    std::size_t begin;  // first unread byte in data
    std::size_t end;    // one past the last byte read into data
    // The first CR at or after `begin` that ends a line by itself (the first of a run that no LF follows,
    // or whose end is not read yet); `end` when there is none. Lines whose LF comes before it are handed
    // out at once; it equals `begin` whenever the next line needs the general way.
    std::size_t lone_cr;
    // CRs of the run that ended the last line, thrown out of the buffer before the run's end was read (a
    // run longer than the buffer). If a LF follows the run, they belong to that line end; if not, each
    // ends an empty line, still to be handed out.
    std::uint64_t held_crs;
    bool at_end_of_file;  // the file has no more bytes
    bool skipping;        // the rest of a cut line is being thrown away
    bool at_start;        // nothing has been read yet
    bool cr_run_open;     // the last line ended at a CR whose run reaches the end of the bytes read
};

LineReader make_line_reader(std::FILE* file, char* data, std::size_t capacity, const StopFlag* stop = nullptr);

// Statuses of next_line.
enum class ReadStatus {
    kLineRead,     // `line` holds the next line, without the LF or lone CR that ended it
    kNoMoreLines,  // the file is exhausted
    kReadFailed,   // the file could not be read (this is not the end of it)
    kStopped,      // a stop was asked for: no more is read (the file may go on)
};

// The next physical line, by the general way: reading more of the file when needed.
ReadStatus next_line_slowly(std::string_view& line, bool& cut, LineReader& reader);

// The next physical line. `line` points into the reader's buffer and stays valid until the next call;
// `cut` is true when it is only the start of a line longer than the buffer. A line ended by a LF keeps
// the CRs right before it, which the scanner takes for blanks. Inline for the common case of a line
// whose LF is already in the buffer, with no lone CR before it.
inline ReadStatus next_line(std::string_view& line, bool& cut, LineReader& reader)
{
    const char* start = reader.data + reader.begin;
    const void* found = std::memchr(start, '\n', reader.lone_cr - reader.begin);
    if (found != nullptr) {
        const auto length = static_cast<std::size_t>(static_cast<const char*>(found) - start);
        line = std::string_view(start, length);
        cut = false;
        reader.begin += length + 1;
        return ReadStatus::kLineRead;
    }
    return next_line_slowly(line, cut, reader);
}

}  // namespace zelmor
