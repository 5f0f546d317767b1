// When a run waits for Enter before its console window closes: only in a window of its own, with its
// input from that window.
#include "process_guards.hpp"

#include <gtest/gtest.h>

TEST(ConsoleWindow, WaitsOnlyInAWindowOfItsOwnWithInputFromIt)
{
    const struct {
        unsigned long processes_on_console;  // as GetConsoleProcessList counts them; 0: no console
        bool input_is_console;
        bool waits;
    } cases[] = {
        {1, true, true},    // double-clicked: the window was opened for this run
        {2, true, false},   // run from a command prompt, PowerShell or a batch file
        {3, true, false},   // ... started by another program in that prompt
        {1, false, false},  // input redirected from a file or a pipe
        {0, false, false},  // no console at all
        {0, true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(zelmor::should_wait_for_enter(c.processes_on_console, c.input_is_console), c.waits)
            << c.processes_on_console << " processes, input from the console: " << c.input_is_console;
    }
}
