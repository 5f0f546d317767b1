#include "output_block.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <climits>

#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zelmor {

std::size_t whole_lines(const char* data, std::size_t length)
{
    while (length != 0 && data[length - 1] != '\n') {
        --length;
    }
    return length;
}

std::uint64_t length_after_failed_write(const char* data, std::size_t used, std::uint64_t on_file, std::size_t reported,
                                        long long file_length, WholeUnits whole)
{
    std::size_t arrived = reported;
    if (file_length >= 0 && static_cast<std::uint64_t>(file_length) > on_file) {
        const std::uint64_t grown = static_cast<std::uint64_t>(file_length) - on_file;
        arrived = std::max(reported, static_cast<std::size_t>(std::min<std::uint64_t>(grown, used)));
    }
    return on_file + whole(data, arrived);
}

namespace {

// The length of the open file, or -1 when it cannot be told.
long long file_length(std::FILE* file)
{
#ifdef _WIN32
    return _filelengthi64(_fileno(file));
#else
    struct stat status {};
    return fstat(fileno(file), &status) == 0 ? static_cast<long long>(status.st_size) : -1;
#endif
}

// Cuts the open file to `length` bytes. (If even that fails, the write failure is reported all the same.)
void truncate_file(std::FILE* file, std::uint64_t length)
{
#ifdef _WIN32
    _chsize_s(_fileno(file), static_cast<long long>(length));
#else
    [[maybe_unused]] const int ignored = ftruncate(fileno(file), static_cast<off_t>(length));
#endif
}

// Bytes of the block that the system is handed at once (see OutputBlock::largest_write).
std::size_t largest_write_to(std::FILE* file, std::size_t capacity)
{
#ifdef _WIN32
    static_cast<void>(file);
    return capacity;
#else
    struct stat status {};
    const bool pipe = fstat(fileno(file), &status) == 0 && S_ISFIFO(status.st_mode);
    return pipe ? std::min<std::size_t>(PIPE_BUF, capacity) : capacity;
#endif
}

// The length of the next write of `data`, `length` bytes of whole units (lines, rows): all of them when
// they fit in `largest`, otherwise the whole units that do (a result line is far shorter than a pipe's
// unit; a row longer than it goes in pieces).
std::size_t next_write(const char* data, std::size_t length, std::size_t largest, WholeUnits whole)
{
    if (length <= largest) {
        return length;
    }
    const std::size_t units = whole(data, largest);
    return units != 0 ? units : largest;
}

// Writes the block's bytes, piece by piece; returns how many reached the file, as the writes report it.
std::size_t write_pieces(const OutputBlock& block)
{
    std::size_t written = 0;
    while (written < block.used) {
        const std::size_t piece =
            next_write(block.data + written, block.used - written, block.largest_write, block.whole);
        errno = 0;
        const std::size_t count = std::fwrite(block.data + written, 1, piece, block.file);
        written += count;
        if (count == piece) {
            continue;
        }
        // A wait for a pipe's reader cut short by a signal: tried again, unless that signal asked to stop.
        const bool interrupted = std::ferror(block.file) && errno == EINTR;
        if (!interrupted || stop_asked(block.stop)) {
            break;
        }
        std::clearerr(block.file);
    }
    return written;
}

}  // namespace

OutputBlock make_output_block(std::FILE* file, char* data, std::size_t capacity, const StopFlag* stop, WholeUnits whole)
{
    return OutputBlock{file, data, capacity, 0, 0, largest_write_to(file, capacity), stop, whole};
}

bool flush_block(OutputBlock& block)
{
    const std::size_t written = write_pieces(block);
    const bool complete = written == block.used;
    if (complete) {
        block.on_file += written;
    } else {
        truncate_file(block.file, length_after_failed_write(block.data, block.used, block.on_file, written,
                                                            file_length(block.file), block.whole));
    }
    block.used = 0;
    return complete;
}

}  // namespace zelmor
