#include "output_block.hpp"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zelmor {
namespace {

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

}  // namespace

bool flush_block(OutputBlock& block)
{
    const std::size_t written = std::fwrite(block.data, 1, block.used, block.file);
    const bool complete = written == block.used;
    if (complete) {
        block.on_file += written;
    } else if (whole_lines(block.data, written) != written) {
        truncate_file(block.file, block.on_file + whole_lines(block.data, written));
    }
    block.used = 0;
    return complete;
}

}  // namespace zelmor
