// The conversion of a whole input stream, line by line, into result lines and messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "stop_flag.hpp"

namespace zelmor {

// Input block, bytes: any line up to this length is read whole, longer ones are cut to it. Small enough to stay in the
// processor's second-level cache between the copy from the file and the scan. Users are promised half of it, that
// numbers ending within a line's first 64 KiB are always read: the block may then shrink for a smaller
// cache without breaking a promise.
inline constexpr std::size_t kInputBlockSize = std::size_t{1} << 17;

// Statuses of convert_stream.
enum class RunStatus {
    kComplete,     // every line was read and handled
    kReadFailed,   // reading the input failed; the lines before were handled
    kWriteFailed,  // writing a result failed; the run stopped there
    kStopped,      // a stop was asked for; the lines read before were handled
};

// Reads every physical line of `input`, converts each point with a "W" or "P" tag to the other system,
// writes one result line per converted point to `results` (handed to the file, not closed) and prints a
// message naming the line on `console` for every line that does not convert. `lines_read` is the number
// of physical lines handled, also when the run stops early. The banner and summary are not printed here.
// When `stop` is given and becomes non-zero (a signal handler sets it), the run reads no more: the whole
// lines it has read are handled and their results written whole, and it returns kStopped, also when
// the stop came as the input ended. One run at a time: its buffers are shared.
RunStatus convert_stream(std::uint64_t& lines_read, std::FILE* input, std::FILE* results, std::FILE* console,
                         const StopFlag* stop = nullptr);

}  // namespace zelmor
