#include "stop_signals.hpp"

#include <csignal>
#include <cstdlib>

#include <sys/time.h>

namespace zelmor {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};  // the signals that ask a program to stop

// How often a stopping run's waits are cut short, microseconds (see note_stop).
constexpr suseconds_t kWakeInterval = 50000;

// The signal that asked the program to stop, or 0: written by the handler, read by the run.
StopFlag requested_stop{0};

// Notes the stop, and from then on has the system interrupt whatever the run waits in every
// kWakeInterval: a read of a quiet pipe, the open of a FIFO that no one opened at its other end, a write
// to a pipe that no one reads. Each such call then fails with EINTR, which the run takes as the stop,
// however long the wait would have been. The first interruption comes from the stop signal itself; the
// timer's are for a signal that lands just before the run begins to wait, too late to cut that call.
// (setitimer is a plain system call, safe in a handler.)
void note_stop(int signal)
{
    requested_stop = signal;
    const itimerval wake{{0, kWakeInterval}, {0, kWakeInterval}};
    setitimer(ITIMER_REAL, &wake, nullptr);
}

// The timer's signal does nothing but interrupt the call the run waits in.
void interrupt_the_wait(int) {}

}  // namespace

// Each stop signal's handler is removed once it has run (SA_RESETHAND), so that a second one ends the
// program at once, wherever it is. Calls that wait are interrupted rather than resumed (no SA_RESTART),
// so that a stop is heard there too. A signal that the process was started with ignored (as a shell
// does for a job in the background, and nohup for SIGHUP) stays ignored.
void catch_stop_signals()
{
    struct sigaction noting {};
    noting.sa_handler = note_stop;
    noting.sa_flags = static_cast<int>(SA_RESETHAND);
    sigemptyset(&noting.sa_mask);
    for (const int signal : kStopSignals) {
        struct sigaction before {};
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
            sigaction(signal, &noting, nullptr);
        }
    }
    struct sigaction waking {};
    waking.sa_handler = interrupt_the_wait;
    sigemptyset(&waking.sa_mask);
    sigaction(SIGALRM, &waking, nullptr);
}

const StopFlag& stop_signal()
{
    return requested_stop;
}

void end_by_signal(int signal)
{
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);  // only if the signal did not end the process
}

}  // namespace zelmor
