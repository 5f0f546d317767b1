// Running the built program as a user would: in a directory of its own, with its standard output
// captured, closed or full, and reading back what it left.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "expected_messages.hpp"

namespace zelmor_test {

// What standard output is when the program starts: captured through a pipe, closed, the full device,
// a pipe whose reader has gone away, a pipe that no one reads (as "zelmor | less" left waiting), or a
// file of the run's directory (`console_file`) as "> file" or ">> file" opens it.
enum class Console { kCaptured, kClosed, kFull, kBrokenPipe, kStalledPipe, kFile, kFileAppended };

struct RunOptions {
    Console console = Console::kCaptured;
    std::string console_file;        // for kFile and kFileAppended
    long long file_size_limit = -1;  // bytes a file may grow to (RLIMIT_FSIZE), or -1 for none
    bool close_input = false;        // start with standard input closed too
    bool errors_to_console = false;  // standard error where standard output goes ("2>&1")
    std::vector<std::string> arguments;  // on the program's command line
    int stop_signal = 0;             // a signal sent to the program once "wyniki.txt" in its directory ...
    long long stop_at_results = 0;   // ... has grown to this many bytes (not sent if it never does)
    // When set, captured output is handed over piece by piece instead of being kept.
    std::function<void(std::string_view)> console_sink;
    std::vector<int> ignored_signals;  // ignored when the program starts (as "&" and nohup leave them)
    // When set, runs on a thread of its own while the program runs, given its process id: to feed it,
    // or signal it. It must end by itself once the program has ended.
    std::function<void(int)> while_running;
    double deadline_seconds = 0;  // when positive, the program is killed (SIGKILL) if still running then
};

struct ProgramRun {
    int exit_status = -1;     // -1 when the program did not exit by itself
    int signal = 0;           // the signal that ended it, if any
    std::string console;      // what it wrote to standard output
    std::string errors;       // what it wrote to standard error
    long peak_rss_kib = 0;    // its largest resident set, KiB
    bool past_deadline = false;  // it was still running at RunOptions::deadline_seconds, and was killed
};

// A fresh empty directory, removed with everything in it when the object goes.
struct ScratchDirectory {
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    std::filesystem::path path;
};

// Runs the program under test in `directory` and waits for it.
ProgramRun run_program(const std::filesystem::path& directory, const RunOptions& options = {});

// True when the program under test is the native build (not one run by an emulator), so that its memory
// can be observed.
bool program_is_native();

// True when the program under test is a Windows build (ZELMOR_TEST_LINE_END=crlf, run by Wine), which
// knows nothing of this system's special files, file size limits and descriptors.
bool program_is_windows();

void write_file(const std::filesystem::path& path, std::string_view content);
std::string read_file(const std::filesystem::path& path);

// The result lines as the program writes them: each followed by the platform's line ending.
std::string result_lines(const std::vector<std::string>& lines);

// Empty when `actual` is `expected`; otherwise their sizes and the first line where they differ, so that
// a failure on megabytes of text says what matters in a few lines.
std::string text_difference(const std::string& actual, const std::string& expected);

// A run over one "dane.txt" that completes, and what it must leave.
struct RunCase {
    std::string name;
    std::string input;                 // content of dane.txt
    std::vector<std::string> results;  // lines of wyniki.txt
    std::string messages;              // standard output between the banner and the summary
    long long lines;                   // the count in the summary
};

// Runs `c` in a fresh directory, where a stale "wyniki.txt" waits to be replaced, and checks the exit
// status, the console and the results.
void expect_run(const RunCase& c);

}  // namespace zelmor_test
