// A stop asked for while the run goes on, by a signal (or, on Windows, a console event).
#pragma once

#include <atomic>

namespace zelmor {

// The number of the signal that asked to stop, or 0. Set by a signal handler, or on Windows by the
// console's handler thread, and read by the run before each read and after each interrupted write: a
// lock-free atomic, which a handler may set and another thread read.
using StopFlag = std::atomic<int>;
static_assert(StopFlag::is_always_lock_free);

// Whether `stop` is given and a stop has been asked for.
inline bool stop_asked(const StopFlag* stop)
{
    return stop != nullptr && stop->load(std::memory_order_relaxed) != 0;
}

}  // namespace zelmor
