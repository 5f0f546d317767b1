#include "line_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zelmor {
namespace {

// The byte order mark of UTF-8, which some programs write before a text's first line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Bytes tested together in the search for a lone CR: enough for the compiler to test them in vector
// registers, few enough that in a file of CR line ends, where every line has one, the search does not
// run far ahead of the line it is for.
constexpr std::size_t kCrSearchChunk = 256;

// 1 when the byte at `p` is the last CR of a run that no LF follows (nor another CR), 0 otherwise.
// Computed without branches, so that the compiler can test many bytes at once.
unsigned char ends_run_without_lf(const char* p)
{
    const bool cr = p[0] == '\r';
    const bool line_end_next = (p[1] == '\n') | (p[1] == '\r');
    return static_cast<unsigned char>(cr & !line_end_next);
}

// The first CR at or after `from`, before `end`, that ends a line by itself: the first of a run of CRs
// that no LF follows. The byte after `end` is the padding's 0, so a run that reaches `end` counts too
// (whether the file goes on with a LF is settled later). `end` when there is none. Files of LF line
// ends have no CR at all, which the C library's search tells quickest; in those of CR LF line ends, the
// bytes are tested a chunk at a time.
std::size_t find_lone_cr(const char* data, std::size_t from, std::size_t end)
{
    const void* first_cr = std::memchr(data + from, '\r', end - from);
    if (first_cr == nullptr) {
        return end;
    }
    for (auto chunk = static_cast<std::size_t>(static_cast<const char*>(first_cr) - data); chunk < end;
         chunk += kCrSearchChunk) {
        const std::size_t chunk_end = std::min(chunk + kCrSearchChunk, end);
        unsigned char found = 0;
        for (std::size_t i = chunk; i < chunk_end; ++i) {
            found |= ends_run_without_lf(data + i);
        }
        if (found != 0) {
            std::size_t at = chunk;
            while (ends_run_without_lf(data + at) == 0) {
                ++at;
            }
            while (at > from && data[at - 1] == '\r') {
                --at;
            }
            return at;
        }
    }
    return end;
}

// The outcome of the helpers below that read: kFilled to go on, or the status for next_line to return
// (kReadFailed, kStopped).
constexpr ReadStatus kFilled = ReadStatus::kLineRead;

// Reads more bytes after `end`: kFilled, kReadFailed or kStopped.
ReadStatus fill(LineReader& reader)
{
    if (stop_asked(reader.stop)) {
        return ReadStatus::kStopped;
    }
    errno = 0;
    const std::size_t count = std::fread(reader.data + reader.end, 1, reader.capacity - reader.end, reader.file);
    reader.end += count;
    // The bytes after the data are defined, so that loading them past a line's end reads no stale or
    // uninitialised memory, and the search for a lone CR meets no LF there.
    std::memset(reader.data + reader.end, 0, kPaddingAfter);
    reader.lone_cr = find_lone_cr(reader.data, reader.begin, reader.end);
    if (std::ferror(reader.file)) {
        // A wait cut short by a signal: what arrived before it is kept, and the next read tells whether
        // the signal asked for a stop.
        if (errno != EINTR) {
            return ReadStatus::kReadFailed;
        }
        std::clearerr(reader.file);
    } else if (count == 0) {
        reader.at_end_of_file = true;
    }
    return kFilled;
}

// Moves the unread bytes to the start of the buffer, making room behind them.
void compact(LineReader& reader)
{
    const std::size_t unread = reader.end - reader.begin;
    if (reader.begin != 0) {
        std::memmove(reader.data, reader.data + reader.begin, unread);
    }
    reader.lone_cr -= reader.begin;
    reader.begin = 0;
    reader.end = unread;
}

// Moves past the end of the line at `begin` when it lies in the bytes read (a LF, or a lone CR), and
// gives the line's length; false, with nothing changed, when it does not.
bool take_line_end(std::size_t& length, LineReader& reader)
{
    const char* start = reader.data + reader.begin;
    const void* lf = std::memchr(start, '\n', reader.lone_cr - reader.begin);
    if (lf != nullptr) {
        length = static_cast<std::size_t>(static_cast<const char*>(lf) - start);
        reader.begin += length + 1;
        return true;
    }
    if (reader.lone_cr == reader.end) {
        return false;
    }
    length = reader.lone_cr - reader.begin;
    std::size_t run_end = reader.lone_cr;
    while (run_end < reader.end && reader.data[run_end] == '\r') {
        ++run_end;
    }
    reader.begin = reader.lone_cr + 1;
    // A run that reaches the end of the bytes read may yet be followed by a LF: the next read settles it.
    reader.cr_run_open = run_end == reader.end && !reader.at_end_of_file;
    reader.lone_cr = reader.cr_run_open ? reader.begin : find_lone_cr(reader.data, reader.begin, reader.end);
    return true;
}

// Settles the run of CRs that ended the last line, reading on until its end: with a LF after it, the
// rest of the run and the LF belong to that line end; otherwise each of its CRs ends an empty line,
// counted in held_crs. kFilled, or the status of a read that did not go on.
ReadStatus settle_cr_run(LineReader& reader)
{
    for (;;) {
        std::size_t at = reader.begin;
        while (at < reader.end && reader.data[at] == '\r') {
            ++at;
        }
        reader.held_crs += at - reader.begin;
        reader.begin = at;
        reader.lone_cr = at;
        if (at < reader.end || reader.at_end_of_file) {
            break;
        }
        compact(reader);
        if (const ReadStatus filled = fill(reader); filled != kFilled) {
            return filled;
        }
    }
    reader.cr_run_open = false;
    if (reader.begin < reader.end && reader.data[reader.begin] == '\n') {
        ++reader.begin;
        reader.held_crs = 0;
    }
    reader.lone_cr = reader.held_crs > 0 ? reader.begin : find_lone_cr(reader.data, reader.begin, reader.end);
    return kFilled;
}

// Throws bytes away up to and including the next line end: kFilled, or the status of a read that did
// not go on.
ReadStatus skip_rest_of_line(LineReader& reader)
{
    std::size_t length = 0;
    while (!take_line_end(length, reader)) {
        reader.begin = 0;
        reader.end = 0;
        reader.lone_cr = 0;
        if (reader.at_end_of_file) {
            break;
        }
        if (const ReadStatus filled = fill(reader); filled != kFilled) {
            return filled;
        }
    }
    reader.skipping = false;
    return kFilled;
}

// Reads the start of the file, up to its first three bytes at least, and takes off a byte order mark:
// kFilled, or the status of a read that did not go on.
ReadStatus start_reading(LineReader& reader)
{
    while (reader.end < kByteOrderMark.size() && !reader.at_end_of_file) {
        if (const ReadStatus filled = fill(reader); filled != kFilled) {
            return filled;
        }
    }
    if (std::string_view(reader.data, reader.end).starts_with(kByteOrderMark)) {
        reader.begin = kByteOrderMark.size();
    }
    return kFilled;
}

// The next physical line, reading more of the file when needed.
ReadStatus read_line(std::string_view& line, bool& cut, LineReader& reader)
{
    for (;;) {
        const std::size_t start = reader.begin;
        std::size_t length = 0;
        if (take_line_end(length, reader)) {
            line = std::string_view(reader.data + start, length);
            cut = false;
            return ReadStatus::kLineRead;
        }
        const std::size_t unread = reader.end - reader.begin;
        if (reader.at_end_of_file || unread == reader.capacity) {
            if (unread == 0) {
                return ReadStatus::kNoMoreLines;
            }
            // The last line, without a line end; or the start of a line longer than the buffer.
            line = std::string_view(reader.data + reader.begin, unread);
            cut = !reader.at_end_of_file;
            reader.skipping = cut;
            reader.begin = reader.end;
            return ReadStatus::kLineRead;
        }
        compact(reader);
        if (const ReadStatus filled = fill(reader); filled != kFilled) {
            return filled;
        }
    }
}

}  // namespace

LineReader make_line_reader(std::FILE* file, char* data, std::size_t capacity, const StopFlag* stop)
{
    std::memset(data - kPaddingBefore, 0, kPaddingBefore + kPaddingAfter);
    return LineReader{file, stop, data, capacity, 0, 0, 0, 0, false, false, true, false};
}

ReadStatus next_line_slowly(std::string_view& line, bool& cut, LineReader& reader)
{
    // The first line is always read here: nothing is in the buffer before it.
    if (reader.at_start) {
        if (const ReadStatus started = start_reading(reader); started != kFilled) {
            return started;
        }
        reader.at_start = false;
    }
    if (reader.skipping) {
        if (const ReadStatus skipped = skip_rest_of_line(reader); skipped != kFilled) {
            return skipped;
        }
    }
    if (reader.cr_run_open) {
        if (const ReadStatus settled = settle_cr_run(reader); settled != kFilled) {
            return settled;
        }
    }
    if (reader.held_crs > 0) {
        // An empty line ended by one of the CRs of a run longer than the buffer.
        --reader.held_crs;
        line = std::string_view(reader.data + reader.begin, 0);
        cut = false;
        if (reader.held_crs == 0) {
            reader.lone_cr = find_lone_cr(reader.data, reader.begin, reader.end);
        }
        return ReadStatus::kLineRead;
    }
    return read_line(line, cut, reader);
}

}  // namespace zelmor
