#include "console_window.hpp"

#include <cstdio>

#include <windows.h>

#include "messages.hpp"

namespace zelmor {
namespace {

// Whether the run should end by waiting for Enter: only in a console window of its own (this run is the
// only process on it) with its input from that window.
bool should_wait_for_enter(unsigned long processes_on_console, bool input_is_console)
{
    return processes_on_console == 1 && input_is_console;
}

}  // namespace

void keep_own_console_window_open()
{
    DWORD processes[2];  // this run, and whether there is any other
    DWORD mode = 0;
    const bool input_is_console = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
    if (!should_wait_for_enter(GetConsoleProcessList(processes, 2), input_is_console)) {
        return;
    }
    print_text(stdout, kPressEnterToClose);
    std::fflush(stdout);
    for (int c = std::getchar(); c != '\n' && c != EOF; c = std::getchar()) {
    }
}

}  // namespace zelmor
