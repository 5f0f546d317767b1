#include "stop_signals.hpp"

#include <csignal>

#include <windows.h>

namespace zelmor {
namespace {

// The exit status of a console program ended by Ctrl-C (STATUS_CONTROL_C_EXIT), as the command prompt
// knows it.
constexpr UINT kInterruptedStatus = 0xC000013A;
// How long the console's closing waits for the run to finish its block, ms: Windows ends the program
// itself 5 s after the window is closed.
constexpr DWORD kCloseGraceMs = 4000;

// The console event that asked the program to stop, as a signal number, or 0: written by the handler's
// thread, read by the run.
StopFlag requested_stop{0};

// Runs on a thread of its own when the console is interrupted or closed: notes the event (as a signal
// number; only that one came matters) and lets the run finish its block. A closed window ends the
// program as soon as this returns, so for that it waits, long enough for the run to end the program
// itself first.
BOOL WINAPI note_console_event(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
        requested_stop = SIGINT;
        return TRUE;
    case CTRL_BREAK_EVENT:
        requested_stop = SIGBREAK;
        return TRUE;
    case CTRL_CLOSE_EVENT:
        requested_stop = SIGTERM;
        Sleep(kCloseGraceMs);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void catch_stop_signals()
{
    SetConsoleCtrlHandler(note_console_event, TRUE);
}

const StopFlag& stop_signal()
{
    return requested_stop;
}

void end_by_signal(int)
{
    ExitProcess(kInterruptedStatus);
}

}  // namespace zelmor
