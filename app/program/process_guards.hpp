// Protections of the run against the state the process was started in.
#pragma once

#include <cstdio>

namespace zelmor {

// Makes write failures reach the program as errors rather than signals that end it (a closed pipe on
// standard output, a file size limit on the results), and gives each of the three standard descriptors
// that was closed at start a null device, so that no file opened later takes its place and receives
// messages meant for the console. Returns false when standard output was closed at start.
bool prepare_process();

// True when `path` names the very file that `open_file` is (by the same name, or through a symbolic or
// hard link): files are compared, not names. False when `path` does not exist.
bool is_same_file(std::FILE* open_file, const char* path);

// On Windows, when the console window belongs to this run alone (the system opened it for the program,
// as it does for a double click, and closes it the moment the program ends) and standard input is that
// console, prints kPressEnterToClose and waits for Enter; run from a command prompt, a script or a
// pipe, or with redirected input, it never waits. A no-op elsewhere.
void keep_own_console_window_open();

}  // namespace zelmor
