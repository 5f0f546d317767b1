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

}  // namespace zelmor
