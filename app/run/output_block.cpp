#include "output_block.hpp"

namespace zelmor {

bool flush_block(OutputBlock& block)
{
    const std::size_t written = std::fwrite(block.data, 1, block.used, block.file);
    const bool complete = written == block.used;
    block.used = 0;
    return complete;
}

}  // namespace zelmor
