// Result lines gathered in a large block and written to their file in one piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "stop_flag.hpp"

namespace zelmor {

// The length of the whole units at the start of the `length` bytes at `data`: lines for the program's
// results (whole_lines), rows for a table, whose quoted cells may hold line breaks.
using WholeUnits = std::size_t (*)(const char* data, std::size_t length);

struct OutputBlock {
    std::FILE* file;
    char* data;
    std::size_t capacity;
    std::size_t used;
    std::uint64_t on_file;  // bytes already in the file, all of them whole units (lines, rows)
    // Bytes handed to the system in one write at most: the whole block for a file; for a pipe or FIFO,
    // whole lines within the size that a pipe takes whole or not at all, so that a write cut short
    // leaves no line in it cut.
    std::size_t largest_write;
    const StopFlag* stop;  // a stop asked for (see flush_block), or nullptr
    WholeUnits whole;      // what a write is cut back to, and a pipe's pieces hold whole
};

// The length of the whole lines at the start of the `length` bytes at `data`: up to its last "\n".
std::size_t whole_lines(const char* data, std::size_t length);

// A block of `capacity` bytes at `data` for the results going to `file`, in units of `whole` (lines,
// unless said otherwise).
OutputBlock make_output_block(std::FILE* file, char* data, std::size_t capacity, const StopFlag* stop = nullptr,
                              WholeUnits whole = whole_lines);

// Writes the gathered bytes (whole lines) to the file and empties the block. Returns false when the
// write failed (disk full, a file size limit, an I/O error); the file then ends at the last whole line
// that reached it, a line cut off part way being taken back out, so that a script reading the results
// never meets half a line. A write that a signal interrupts is tried again, unless `stop` says a stop
// was asked for: then it ends there, as a failed one, with whole lines written. The block is emptied
// either way.
bool flush_block(OutputBlock& block);

// The length that the results file is cut back to after a write of a block failed: the whole lines of
// the block's bytes that reached it (its whole units, by `whole`). `on_file` bytes were in the file before the block;
// `reported` of the `used` bytes at `data` are what the write said it wrote, and `file_length` is the file's length
// afterwards (-1 when it cannot be told). The count a write returns is not always all that arrived:
// Windows' C runtime reports none when the disk fills part way through a block that the system did
// write in part. The file's length tells, up to the block's end.
std::uint64_t length_after_failed_write(const char* data, std::size_t used, std::uint64_t on_file, std::size_t reported,
                                        long long file_length, WholeUnits whole = whole_lines);

}  // namespace zelmor
