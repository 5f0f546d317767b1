#include "result_line.hpp"

namespace zelmor {

std::size_t format_result_line(char* out, char tag, double first, double second)
{
    std::size_t length = 0;
    out[length++] = tag;
    out[length++] = ' ';
    length += format_fixed4_pair(out + length, first, second);
    for (const char c : kResultLineEnd) {
        out[length++] = c;
    }
    return length;
}

}  // namespace zelmor
