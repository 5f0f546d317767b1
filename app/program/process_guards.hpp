// Protections of the run against the state the process was started in.
#pragma once

namespace zelmor {

// Makes write failures reach the program as errors rather than signals that end it (a closed pipe on
// standard output, a file size limit on the results), gives each of the three standard descriptors
// that was closed at start a null device, so that no file opened later takes its place and receives
// messages meant for the console, and catches the stop signals (see catch_stop_signals). Returns false
// when standard output was closed at start.
bool prepare_process();

}  // namespace zelmor
