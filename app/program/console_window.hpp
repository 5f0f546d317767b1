// A console window that the system opened for this run alone, and closes the moment the run ends.
#pragma once

namespace zelmor {

// On Windows, when the console window belongs to this run alone (the system opened it for the program,
// as it does for a double click, and closes it the moment the program ends) and standard input is that
// console, prints kPressEnterToClose and waits for Enter; run from a command prompt, a script or a
// pipe, or with redirected input, it never waits. Elsewhere there is no such window: nothing to do.
#ifdef _WIN32
void keep_own_console_window_open();
#else
inline void keep_own_console_window_open() {}
#endif

}  // namespace zelmor
