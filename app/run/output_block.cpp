#include "output_block.hpp"

#include <algorithm>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zelmor {
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

// The length of the whole lines at the start of the `length` bytes at `data`: up to its last "\n".
std::size_t whole_lines(const char* data, std::size_t length)
{
    while (length != 0 && data[length - 1] != '\n') {
        --length;
    }
    return length;
}

// How many of the block's bytes reached the file in a write that failed. The count the write returns is
// not always all of them: Windows' C runtime reports none when the disk fills part way through a block
// that the system did write in part. The file's length tells.
std::size_t bytes_that_arrived(const OutputBlock& block, std::size_t reported)
{
    const long long length = file_length(block.file);
    if (length < 0 || static_cast<std::uint64_t>(length) <= block.on_file) {
        return reported;
    }
    return std::max(reported, static_cast<std::size_t>(std::min<std::uint64_t>(
                                  static_cast<std::uint64_t>(length) - block.on_file, block.used)));
}

}  // namespace

bool flush_block(OutputBlock& block)
{
    const std::size_t written = std::fwrite(block.data, 1, block.used, block.file);
    const bool complete = written == block.used;
    if (complete) {
        block.on_file += written;
    } else {
        truncate_file(block.file, block.on_file + whole_lines(block.data, bytes_that_arrived(block, written)));
    }
    block.used = 0;
    return complete;
}

}  // namespace zelmor
