// Result lines gathered in a large block and written to their file in one piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "stop_flag.hpp"

namespace zelmor {

struct OutputBlock {
    std::FILE* file;
    char* data;
    std::size_t capacity;
    std::size_t used;
    std::uint64_t on_file;  // bytes already in the file, all of them whole lines
    // Bytes handed to the system in one write at most: the whole block for a file; for a pipe or FIFO,
    // whole lines within the size that a pipe takes whole or not at all, so that a write cut short
    // leaves no line in it cut.
    std::size_t largest_write;
    const StopFlag* stop;  // a stop asked for (see flush_block), or nullptr
};

// A block of `capacity` bytes at `data` for the results going to `file`.
OutputBlock make_output_block(std::FILE* file, char* data, std::size_t capacity, const StopFlag* stop = nullptr);

// Writes the gathered bytes (whole lines) to the file and empties the block. Returns false when the
// write failed (disk full, a file size limit, an I/O error); the file then ends at the last whole line
// that reached it, a line cut off part way being taken back out, so that a script reading the results
// never meets half a line. A write that a signal interrupts is tried again, unless `stop` says a stop
// was asked for: then it ends there, as a failed one, with whole lines written. The block is emptied
// either way.
bool flush_block(OutputBlock& block);

}  // namespace zelmor
