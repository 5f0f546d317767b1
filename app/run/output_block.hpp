// Result lines gathered in a large block and written to their file in one piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace zelmor {

struct OutputBlock {
    std::FILE* file;
    char* data;
    std::size_t capacity;
    std::size_t used;
    std::uint64_t on_file;  // bytes already in the file, all of them whole lines
};

// Writes the gathered bytes (whole lines) to the file and empties the block. Returns false when the
// write failed (disk full, a file size limit, an I/O error); the file then ends at the last whole line
// that reached it, a line cut off part way being taken back out, so that a script reading the results
// never meets half a line. The block is emptied either way.
bool flush_block(OutputBlock& block);

}  // namespace zelmor
