// The signals that ask a program to stop (SIGINT, SIGTERM, SIGHUP; on Windows a console's Ctrl-C,
// Ctrl-Break or closing), noted instead of ending the program where they land, which may be in the
// middle of a result line.
#pragma once

#include "stop_flag.hpp"

namespace zelmor {

// Has each stop signal noted in stop_signal(). On Linux, from a stop on, any call the run waits in (a
// read, an open, a write to a pipe) is cut short within a fraction of a second, failing with EINTR, and
// a second stop signal ends the program at once; a signal that the process was started with ignored
// stays ignored.
void catch_stop_signals();

// The signal that asked the program to stop, once one has come, or 0. The run looks at it before each
// read.
const StopFlag& stop_signal();

// Ends the process as the stop signal `signal` asks, without flushing a stream: on Linux by that signal
// itself, so that whoever started the run (a shell, a script) sees it; on Windows with the exit status
// of a console program ended by Ctrl-C.
[[noreturn]] void end_by_signal(int signal);

}  // namespace zelmor
