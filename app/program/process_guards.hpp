// Protections of the run against the state the process was started in.
#pragma once

#include <cstdio>

#include "stop_flag.hpp"

namespace zelmor {

// Makes write failures reach the program as errors rather than signals that end it (a closed pipe on
// standard output, a file size limit on the results), gives each of the three standard descriptors
// that was closed at start a null device, so that no file opened later takes its place and receives
// messages meant for the console, and has the signals that ask a program to stop (SIGINT, SIGTERM,
// SIGHUP; on Windows a console's Ctrl-C, Ctrl-Break or closing) noted in stop_signal() instead of
// ending it where they land, which may be in the middle of a result line. On Linux, from a stop on, any
// call the run waits in (a read, an open, a write to a pipe) is cut short within a fraction of a second,
// failing with EINTR, and a second stop signal ends the program at once. Returns false when standard
// output was closed at start.
bool prepare_process();

// The signal that asked the program to stop, once one has come, or 0. The run looks at it before each
// read.
const StopFlag& stop_signal();

// Ends the process as the stop signal `signal` asks, without flushing a stream: on Linux by that signal
// itself, so that whoever started the run (a shell, a script) sees it; on Windows with the exit status
// of a console program ended by Ctrl-C.
[[noreturn]] void end_by_signal(int signal);

// True when `path` names the very file that `open_file` is (by the same name, or through a symbolic or
// hard link) and that file holds data: files are compared, not names, and devices such as the null
// device, which hold nothing, are never the same file. False when `path` does not exist.
bool is_same_file(std::FILE* open_file, const char* path);

// On Windows, when the console window belongs to this run alone (the system opened it for the program,
// as it does for a double click, and closes it the moment the program ends) and standard input is that
// console, prints kPressEnterToClose and waits for Enter; run from a command prompt, a script or a
// pipe, or with redirected input, it never waits. A no-op elsewhere.
void keep_own_console_window_open();

}  // namespace zelmor
