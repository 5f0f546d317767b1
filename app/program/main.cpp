// zelmor: converts the points of "dane.txt" between WGS84 geodetic coordinates and the PUWG 1992 grid,
// writing the converted points to "wyniki.txt" and a word about every other line to standard output.
#include <cstdint>
#include <cstdio>

#include "batch_run.hpp"
#include "command_line.hpp"
#include "console_window.hpp"
#include "messages.hpp"
#include "process_guards.hpp"
#include "run_files.hpp"
#include "same_file.hpp"
#include "stop_signals.hpp"

namespace {

using namespace zelmor;

constexpr int kExitSuccess = 0;  // the whole input was converted and reported
// A file could not be opened, read or written, the console could not be written, standard output is one
// of the run's files, or an argument was refused.
constexpr int kExitFailure = 1;
constexpr std::size_t kConsoleBufferSize = std::size_t{1} << 16;  // bytes of standard output buffering

// The exit status, made a failure when anything written to standard output did not arrive. In a console
// window of its own, the run first waits for Enter, so that what it said can be read before the window
// closes.
int finish(int status, bool console_open)
{
    const bool console_failed = std::fflush(stdout) != 0 || std::ferror(stdout) != 0 || !console_open;
    keep_own_console_window_open();
    return console_failed ? kExitFailure : status;
}

// Runs the conversion of the open files and reports its end; returns the exit status. A run stopped by
// a signal ends the process here, as the signal asks, once its files hold whole lines and what it said
// has been written out.
int convert_files(std::FILE* input, std::FILE* results)
{
    std::uint64_t lines_read = 0;
    RunStatus status = convert_stream(lines_read, input, results, stdout, &stop_signal());
    if (std::fclose(results) != 0 && status == RunStatus::kComplete) {
        status = RunStatus::kWriteFailed;
    }
    std::fclose(input);
    if (status == RunStatus::kStopped) {
        std::fflush(stdout);
        end_by_signal(stop_signal().load());
    }
    if (status == RunStatus::kReadFailed) {
        print_text(stdout, kInputNotRead);
        return kExitFailure;
    }
    if (status == RunStatus::kWriteFailed) {
        print_text(stdout, kOutputNotWritten);
        return kExitFailure;
    }
    print_summary(stdout, lines_read);
    return kExitSuccess;
}

// True when `stream` is "dane.txt" or "wyniki.txt".
bool is_a_data_file(std::FILE* stream)
{
    return is_same_file(stream, kInputFileName) || is_same_file(stream, kOutputFileName);
}

// When standard output is "dane.txt" or "wyniki.txt" (redirected to it, appended to it, or to a link
// to it), says so on standard error and returns true, before a byte is written to either. Writing the
// console there would feed the program its own messages as input without end, or put them among (and
// over) the results. Where standard error is one of the files too (zelmor >> dane.txt 2>&1), even that
// would land among the data, so the exit status alone tells.
bool console_is_a_data_file()
{
    const bool input = is_same_file(stdout, kInputFileName);
    if (!input && !is_same_file(stdout, kOutputFileName)) {
        return false;
    }
    if (!is_a_data_file(stderr)) {
        print_text(stderr, input ? kConsoleIsInput : kConsoleIsOutput);
    }
    return true;
}

// Ends the process as the stop signal asks when one came while the run waited to open a file (a FIFO
// that no one has opened at its other end): the open failed for it, and no file is the worse.
void end_if_stopped()
{
    if (stop_asked(&stop_signal())) {
        std::fflush(stdout);
        end_by_signal(stop_signal().load());
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const bool console_open = prepare_process();
    // Before anything is written, the usage and the version included: they too would land among the data.
    if (console_is_a_data_file()) {
        return kExitFailure;
    }
    // A refusal goes to standard error, but not where that is one of the files.
    const Asked asked = answer_command_line(argc, argv, is_a_data_file(stderr) ? nullptr : stderr);
    if (asked != Asked::kRun) {
        return finish(asked == Asked::kQuestionAnswered ? kExitSuccess : kExitFailure, console_open);
    }
    static char console_buffer[kConsoleBufferSize];
    std::setvbuf(stdout, console_buffer, _IOFBF, sizeof console_buffer);
    print_text(stdout, kBanner);
    // Standard output is fully buffered for the messages; the banner is shown at once, so that a user
    // sees the run begin even when a large file then keeps it busy for a while.
    std::fflush(stdout);

    std::FILE* input = std::fopen(kInputFileName, "rb");
    if (input == nullptr) {
        end_if_stopped();
        print_text(stdout, kInputMissing);
        return finish(kExitFailure, console_open);
    }
    // A "wyniki.txt" that is a link to "dane.txt" would be emptied before a line was read.
    std::FILE* results = is_same_file(input, kOutputFileName) ? nullptr : std::fopen(kOutputFileName, "wb");
    if (results == nullptr) {
        std::fclose(input);
        end_if_stopped();
        print_text(stdout, kOutputNotCreated);
        return finish(kExitFailure, console_open);
    }
    // Both files move in large blocks of the program's own; stdio buffering would only copy them again.
    std::setvbuf(input, nullptr, _IONBF, 0);
    std::setvbuf(results, nullptr, _IONBF, 0);
    return finish(convert_files(input, results), console_open);
}
