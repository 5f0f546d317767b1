// Protections of the run against the state the process was started in.
#pragma once

#include <cstdio>

namespace zelmor {

// Makes write failures reach the program as errors rather than signals that end it (a closed pipe on
// standard output, a file size limit on the results), and gives each of the three standard descriptors
// that was closed at start a null device, so that no file opened later takes its place and receives
// messages meant for the console. Returns false when standard output was closed at start.
bool prepare_process();

// True when `path` names the very file that `open_file` is (through a symbolic or hard link), so that
// creating `path` anew would destroy `open_file`.
bool is_same_file(std::FILE* open_file, const char* path);

// Whether the run should end by waiting for Enter: when the console window belongs to this run alone
// (the system opened it for the program, as it does when the program is started by a double click,
// and it will close it the moment the program ends) and standard input is that console. Run from a
// command prompt, a script or a pipe, or with redirected input, it must never wait.
bool should_wait_for_enter(unsigned long processes_on_console, bool input_is_console);

// On Windows, when should_wait_for_enter says so, prints kPressEnterToClose and waits for Enter; a
// no-op elsewhere.
void keep_own_console_window_open();

}  // namespace zelmor
