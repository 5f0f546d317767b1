// Result lines gathered in a large block and written to their file in one piece.
#pragma once

#include <cstddef>
#include <cstdio>

namespace zelmor {

struct OutputBlock {
    std::FILE* file;
    char* data;
    std::size_t capacity;
    std::size_t used;
};

// Writes the gathered bytes to the file and empties the block. Returns false when the write failed
// (disk full, I/O error); the block is emptied either way.
bool flush_block(OutputBlock& block);

}  // namespace zelmor
