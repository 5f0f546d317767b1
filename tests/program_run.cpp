#include "program_run.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelmor_test {

namespace {

// The command that runs the program: ZELMOR_TEST_COMMAND (words separated by blanks) when set, for
// instance an emulator and a cross-built program; otherwise the program built with these tests.
std::vector<std::string> program_command()
{
    std::vector<std::string> words;
    if (const char* command = std::getenv("ZELMOR_TEST_COMMAND"); command != nullptr && *command != '\0') {
        std::istringstream split(command);
        for (std::string word; split >> word;) {
            words.push_back(word);
        }
        return words;
    }
    return {ZELMOR_PROGRAM};
}

// True when the program under test writes text the Windows way (ZELMOR_TEST_LINE_END=crlf): every
// line of its results, and of its console output, ends in CR LF.
bool writes_crlf()
{
    const char* line_end = std::getenv("ZELMOR_TEST_LINE_END");
    return line_end != nullptr && std::string(line_end) == "crlf";
}

// Console output with each CR LF made LF, so that one set of expectations serves both conventions. A CR
// at the end of a piece waits in `held_cr` for the next piece.
std::string without_carriage_returns(std::string_view piece, bool& held_cr)
{
    std::string text;
    for (const char c : piece) {
        if (held_cr && c != '\n') {
            text += '\r';
        }
        held_cr = c == '\r';
        if (!held_cr) {
            text += c;
        }
    }
    return text;
}

// Opens `path` for the program's standard output, as the shell's "> path" or ">> path" does.
int open_console_file(const std::string& path, Console console)
{
    const int mode = console == Console::kFileAppended ? O_APPEND : O_TRUNC;
    return open(path.c_str(), O_WRONLY | O_CREAT | mode, 0644);
}

// In the child between fork and exec: system calls only, nothing that allocates. `argv` and every path
// were made before the fork.
[[noreturn]] void start_child(const char* directory, const RunOptions& options, int output_fd, int errors_fd,
                              char* const* argv)
{
    if (chdir(directory) != 0) {
        _exit(127);
    }
    // The stop signals as a program started from a terminal has them, whatever this test was started
    // with, but for those the run asks to be ignored.
    struct sigaction disposition {};
    sigemptyset(&disposition.sa_mask);
    for (const int stop : {SIGINT, SIGTERM, SIGHUP}) {
        disposition.sa_handler = SIG_DFL;
        for (const int ignored : options.ignored_signals) {
            disposition.sa_handler = ignored == stop ? SIG_IGN : disposition.sa_handler;
        }
        sigaction(stop, &disposition, nullptr);
    }
    const int null_input = open("/dev/null", O_RDONLY);
    dup2(null_input, STDIN_FILENO);
    if (options.close_input) {
        close(STDIN_FILENO);
    }
    if (options.console == Console::kCaptured || options.console == Console::kBrokenPipe ||
        options.console == Console::kStalledPipe) {
        dup2(output_fd, STDOUT_FILENO);
    } else if (options.console == Console::kFull) {
        const int full = open("/dev/full", O_WRONLY);
        dup2(full, STDOUT_FILENO);
    } else if (options.console == Console::kFile || options.console == Console::kFileAppended) {
        dup2(open_console_file(options.console_file, options.console), STDOUT_FILENO);
    } else {
        close(STDOUT_FILENO);
    }
    dup2(options.errors_to_console ? STDOUT_FILENO : errors_fd, STDERR_FILENO);
    if (options.file_size_limit >= 0) {
        const rlimit limit{static_cast<rlim_t>(options.file_size_limit), static_cast<rlim_t>(options.file_size_limit)};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    for (int fd = 3; fd < 256; ++fd) {
        close(fd);
    }
    execvp(argv[0], argv);
    _exit(127);
}

}  // namespace

ScratchDirectory::ScratchDirectory()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "zelmor-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a scratch directory");
    }
    path = pattern;
}

ScratchDirectory::~ScratchDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

ProgramRun run_program(const std::filesystem::path& directory, const RunOptions& options)
{
    std::vector<std::string> command = program_command();
    command.insert(command.end(), options.arguments.begin(), options.arguments.end());
    std::vector<char*> argv;
    for (auto& word : command) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    std::FILE* errors = std::tmpfile();
    int pipe_fds[2];
    if (errors == nullptr || pipe(pipe_fds) != 0) {
        throw std::runtime_error("cannot make a pipe");
    }
    const pid_t child = fork();
    if (child == 0) {
        close(pipe_fds[0]);
        start_child(directory.c_str(), options, pipe_fds[1], fileno(errors), argv.data());
    }
    close(pipe_fds[1]);
    // Watches the results grow, and sends the stop signal when they are large enough. The child is not
    // reaped before the watch ends, so that its number is still its own.
    std::atomic<bool> ended = false;
    std::thread stopper;
    if (options.stop_signal != 0) {
        const std::filesystem::path results = directory / "wyniki.txt";
        stopper = std::thread([&options, &ended, results, child] {
            for (std::error_code error; !ended; std::this_thread::sleep_for(std::chrono::microseconds(200))) {
                const auto size = std::filesystem::file_size(results, error);
                if (!error && static_cast<long long>(size) >= options.stop_at_results) {
                    kill(child, options.stop_signal);
                    return;
                }
            }
        });
    }
    // Kills the program if it is still running at the deadline; it is not reaped before this ends.
    std::mutex ending;
    std::condition_variable end_seen;
    bool reaped_soon = false;
    ProgramRun run;
    std::thread watchdog;
    if (options.deadline_seconds > 0) {
        watchdog = std::thread([&] {
            std::unique_lock lock(ending);
            const auto deadline = std::chrono::duration<double>(options.deadline_seconds);
            if (!end_seen.wait_for(lock, deadline, [&] { return reaped_soon; })) {
                run.past_deadline = true;
                kill(child, SIGKILL);
            }
        });
    }
    std::thread helper;
    if (options.while_running) {
        helper = std::thread(options.while_running, static_cast<int>(child));
    }
    if (options.console == Console::kBrokenPipe) {
        close(pipe_fds[0]);  // nobody reads: every write to the pipe fails
        pipe_fds[0] = -1;
    }
    const int stalled_fd = options.console == Console::kStalledPipe ? pipe_fds[0] : -1;
    if (stalled_fd >= 0) {
        pipe_fds[0] = -1;  // kept open, and never read
    }
    const bool crlf = writes_crlf();
    bool held_cr = false;
    char chunk[1 << 16];
    while (pipe_fds[0] >= 0) {
        const ssize_t count = read(pipe_fds[0], chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        std::string_view piece(chunk, static_cast<std::size_t>(count));
        std::string normalised;
        if (crlf) {
            normalised = without_carriage_returns(piece, held_cr);
            piece = normalised;
        }
        if (options.console_sink) {
            options.console_sink(piece);
        } else {
            run.console.append(piece);
        }
    }
    if (pipe_fds[0] >= 0) {
        close(pipe_fds[0]);
    }
    // The program's end, waited for without reaping it, so that its number stays its own for the threads.
    siginfo_t exited{};
    while (waitid(P_PID, static_cast<id_t>(child), &exited, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    ended = true;
    {
        const std::lock_guard lock(ending);
        reaped_soon = true;
    }
    end_seen.notify_all();
    for (std::thread* thread : {&stopper, &watchdog, &helper}) {
        if (thread->joinable()) {
            thread->join();
        }
    }
    if (stalled_fd >= 0) {
        close(stalled_fd);
    }
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        run.exit_status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run.signal = WTERMSIG(status);
    }
    run.peak_rss_kib = usage.ru_maxrss;
    std::rewind(errors);
    for (int c; (c = std::fgetc(errors)) != EOF;) {
        run.errors += static_cast<char>(c);
    }
    std::fclose(errors);
    if (crlf) {
        held_cr = false;
        run.errors = without_carriage_returns(run.errors, held_cr);
    }
    return run;
}

bool program_is_windows()
{
    return writes_crlf();
}

bool program_is_native()
{
    const char* command = std::getenv("ZELMOR_TEST_COMMAND");
    return command == nullptr || *command == '\0';
}

void write_file(const std::filesystem::path& path, std::string_view content)
{
    std::ofstream file(path, std::ios::binary);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string read_file(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::string result_lines(const std::vector<std::string>& lines)
{
    const std::string ending = writes_crlf() ? "\r\n" : "\n";
    std::string joined;
    for (const auto& line : lines) {
        joined += line + ending;
    }
    return joined;
}

std::string text_difference(const std::string& actual, const std::string& expected)
{
    if (actual == expected) {
        return {};
    }
    const auto [differs, _] = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    const auto at = static_cast<std::size_t>(differs - actual.begin());
    const std::size_t line_start = actual.rfind('\n', at == 0 ? 0 : at - 1);
    const std::size_t start = line_start == std::string::npos || at == 0 ? 0 : line_start + 1;
    const auto line_at = [start](const std::string& text) {
        return start >= text.size() ? std::string("(the end)") : text.substr(start, text.find('\n', start) - start);
    };
    return std::to_string(actual.size()) + " bytes where " + std::to_string(expected.size()) +
           " were expected; line " + std::to_string(std::count(actual.begin(), actual.begin() + static_cast<long>(start), '\n') + 1) +
           " is \"" + line_at(actual) + "\", not \"" + line_at(expected) + "\"";
}

void expect_run(const RunCase& c)
{
    ScratchDirectory scratch;
    write_file(scratch.path / "dane.txt", c.input);
    write_file(scratch.path / "wyniki.txt", "stale results of an earlier run\n");
    const ProgramRun run = run_program(scratch.path);
    EXPECT_EQ(run.exit_status, 0) << c.name << "; standard error: " << run.errors;
    EXPECT_EQ(run.console, kBanner + c.messages + summary(c.lines)) << c.name;
    EXPECT_EQ(text_difference(read_file(scratch.path / "wyniki.txt"), result_lines(c.results)), "") << c.name;
}

}  // namespace zelmor_test
