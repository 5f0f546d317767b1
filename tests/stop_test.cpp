// A stop (Ctrl-C, kill's SIGTERM, a closed terminal's SIGHUP) wherever the run waits: on a quiet pipe
// or FIFO for its input, on the open of a FIFO for its results, on an endless line, on a console that no
// one reads. Each is honoured within a fraction of a second: every whole line read by then is converted
// and reported, its results written whole, and the run ends by the signal. The test feeds the program's
// FIFOs itself, so it knows exactly which lines were read.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "program_run.hpp"

namespace {

namespace fs = std::filesystem;
using namespace zelmor_test;
using namespace std::chrono_literals;

constexpr auto kSettle = 300ms;            // time for the program to handle what it read and wait again
constexpr double kStopDeadline = 2.0;      // seconds from the signal by which the run must have ended
constexpr auto kOpenDeadline = 10s;        // for the program to open its end of a FIFO

// Lines of every kind, some 200 000 bytes: more than the program's input block, so that it has handled
// a block and waits with the start of the next; and what the program must say and write for them.
struct FedLines {
    std::string input;
    std::vector<std::string> results;
    std::string messages;
    long long lines = 0;
};

FedLines fed_lines()
{
    FedLines fed;
    while (fed.input.size() < 200000) {
        ++fed.lines;
        if (fed.lines % 100 == 0) {
            fed.input += "X 1\n";
            fed.messages += problem(fed.lines, kFormat);
        } else if (fed.lines % 2 == 0) {
            fed.input += "W 52 19\n";
            fed.results.push_back("P 459309.2094 500000.0000");
        } else {
            fed.input += "P 0 0\n";
            fed.results.push_back("W 47.6737 12.3357");
        }
    }
    return fed;
}

// The end of the FIFO at `path` that this test opens with `mode` (O_WRONLY or O_RDONLY), once the program
// has its other end open; -1 if it has not within kOpenDeadline. Opened without waiting, so that a program
// that never comes cannot hold the test.
int open_when_program_has(const fs::path& path, int mode)
{
    const auto deadline = std::chrono::steady_clock::now() + kOpenDeadline;
    while (std::chrono::steady_clock::now() < deadline) {
        const int fd = open(path.c_str(), mode | O_NONBLOCK);
        if (fd >= 0 && mode == O_WRONLY) {
            fcntl(fd, F_SETFL, 0);
            return fd;
        }
        if (fd >= 0) {
            return fd;  // a reading end opens at once; it waits for data in read_all
        }
        std::this_thread::sleep_for(1ms);
    }
    return -1;
}

// Writes `text` into the FIFO `fd`, then waits until the program has taken every byte of it out.
void feed(int fd, const std::string& text)
{
    for (std::size_t at = 0; at < text.size();) {
        const ssize_t count = write(fd, text.data() + at, text.size() - at);
        if (count <= 0) {
            return;  // the program is gone
        }
        at += static_cast<std::size_t>(count);
    }
    int unread = 1;
    const auto deadline = std::chrono::steady_clock::now() + kOpenDeadline;
    while (ioctl(fd, FIONREAD, &unread) == 0 && unread > 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
}

// Everything that arrives at the reading end `fd` (opened without waiting) until its writer is gone,
// reading `first` bytes and pausing for `pause` before the rest; the pause sees the writer wait.
std::string read_all(int fd, std::size_t first, std::function<void()> pause)
{
    std::string got;
    char chunk[4096];
    bool writer_seen = false;
    const auto deadline = std::chrono::steady_clock::now() + kOpenDeadline;
    while (std::chrono::steady_clock::now() < deadline) {
        const std::size_t wanted = got.size() < first ? std::min(sizeof chunk, first - got.size()) : sizeof chunk;
        const ssize_t count = read(fd, chunk, wanted);
        if (count > 0) {
            writer_seen = true;
            got.append(chunk, static_cast<std::size_t>(count));
            if (got.size() == first && pause) {
                pause();
                pause = nullptr;
            }
        } else if (count == 0 && writer_seen) {
            break;
        } else {
            std::this_thread::sleep_for(1ms);  // no writer yet, or no data yet
        }
    }
    return got;
}

// Waits until the process `pid`, not yet reaped, has ended (a zombie), or kStopDeadline and a second.
void wait_until_ended(int pid)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kStopDeadline + 1);
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        std::getline(stat, line);
        const std::size_t name_end = line.rfind(')');
        if (name_end == std::string::npos || line.compare(name_end, 4, ") Z ") == 0) {
            return;
        }
        std::this_thread::sleep_for(10ms);
    }
}

// How the run is made to wait when the signal comes.
enum class Wait {
    kQuietInput,           // dane.txt a FIFO whose writer has gone quiet after the fed lines
    kInputEndingAtStop,    // the same, but the writer closes right after the signal: the last batch
    kNothingReadYet,       // dane.txt a FIFO with a writer that has written nothing
    kResultsNeverOpened,   // wyniki.txt a FIFO that no one opens for reading
    kSlowResultsReader,    // wyniki.txt a FIFO read part way, then not for a while
    kEndlessLine,          // dane.txt the endless line of /dev/zero
    kConsoleNotRead,       // standard output a pipe that no one reads
};

struct StopCase {
    std::string name;
    Wait wait;
    int signal;
    bool ignored;         // the signal is ignored from the start: the run goes on, and completes
    bool twice = false;   // a second one follows at once, which ends the run wherever it is
};

TEST(Faults, AStopIsHonouredWhereverTheRunWaits)
{
    if (program_is_windows()) {
        GTEST_SKIP() << "FIFOs, /dev/zero and these signals are matters of this system";
    }
    const StopCase cases[] = {
        {"SIGINT on a quiet FIFO", Wait::kQuietInput, SIGINT, false},
        {"SIGTERM on a quiet FIFO", Wait::kQuietInput, SIGTERM, false},
        {"SIGHUP on a quiet FIFO", Wait::kQuietInput, SIGHUP, false},
        {"two SIGINTs on a quiet FIFO", Wait::kQuietInput, SIGINT, false, true},
        {"SIGINT ignored from the start (cmd &)", Wait::kInputEndingAtStop, SIGINT, true},
        {"SIGHUP ignored from the start (nohup)", Wait::kInputEndingAtStop, SIGHUP, true},
        {"SIGINT as the input ends", Wait::kInputEndingAtStop, SIGINT, false},
        {"SIGINT before the first byte", Wait::kNothingReadYet, SIGINT, false},
        {"SIGTERM in the open of the results", Wait::kResultsNeverOpened, SIGTERM, false},
        {"SIGINT while the results' reader pauses", Wait::kSlowResultsReader, SIGINT, false},
        {"SIGINT in an endless line", Wait::kEndlessLine, SIGINT, false},
        {"SIGINT with the console not read", Wait::kConsoleNotRead, SIGINT, false},
    };
    const FedLines fed = fed_lines();
    for (const auto& c : cases) {
        ScratchDirectory scratch;
        const fs::path dane = scratch.path / "dane.txt";
        const fs::path wyniki = scratch.path / "wyniki.txt";
        const bool fifo_input = c.wait == Wait::kQuietInput || c.wait == Wait::kInputEndingAtStop ||
                                c.wait == Wait::kNothingReadYet;
        if (fifo_input) {
            ASSERT_EQ(mkfifo(dane.c_str(), 0600), 0);
        } else if (c.wait == Wait::kEndlessLine) {
            fs::create_symlink("/dev/zero", dane);
        } else if (c.wait == Wait::kConsoleNotRead) {
            std::string rejected;
            for (int i = 0; i < 100000; ++i) {
                rejected += "X 1\n";  // messages enough to fill the pipe and the console's buffer
            }
            write_file(dane, fed.input + rejected);
        } else {
            write_file(dane, fed.input);
        }
        if (c.wait == Wait::kResultsNeverOpened || c.wait == Wait::kSlowResultsReader) {
            ASSERT_EQ(mkfifo(wyniki.c_str(), 0600), 0);
        }
        std::string piped_results;  // what a reader of a results FIFO received
        RunOptions options;
        options.console = c.wait == Wait::kConsoleNotRead ? Console::kStalledPipe : Console::kCaptured;
        options.deadline_seconds = 20;
        if (c.ignored) {
            options.ignored_signals = {c.signal};
        }
        std::chrono::steady_clock::time_point signalled;
        const auto stop = [&](int pid) {
            signalled = std::chrono::steady_clock::now();
            kill(pid, c.signal);
            if (c.twice) {
                kill(pid, c.signal);
            }
        };
        options.while_running = [&](int pid) {
            if (fifo_input) {
                const int writer = open_when_program_has(dane, O_WRONLY);
                feed(writer, c.wait == Wait::kNothingReadYet ? std::string() : fed.input);
                std::this_thread::sleep_for(kSettle);
                stop(pid);
                if (c.wait == Wait::kInputEndingAtStop) {
                    close(writer);
                    return;
                }
                wait_until_ended(pid);
                close(writer);
            } else if (c.wait == Wait::kSlowResultsReader) {
                const int reader = open_when_program_has(wyniki, O_RDONLY);
                piped_results = read_all(reader, 1000, [&] {
                    std::this_thread::sleep_for(kSettle);
                    stop(pid);
                });
                close(reader);
            } else {
                std::this_thread::sleep_for(kSettle);
                stop(pid);
            }
        };
        const ProgramRun run = run_program(scratch.path, options);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count();
        const std::string results = fs::is_regular_file(wyniki) ? read_file(wyniki) : piped_results;
        EXPECT_FALSE(run.past_deadline) << c.name << ": the run went on after the signal";
        if (run.past_deadline) {
            continue;
        }
        if (c.ignored) {
            EXPECT_EQ(run.exit_status, 0) << c.name;
            EXPECT_EQ(run.console, kBanner + fed.messages + summary(fed.lines)) << c.name;
            EXPECT_EQ(text_difference(results, result_lines(fed.results)), "") << c.name;
            continue;
        }
        EXPECT_EQ(run.signal, c.signal) << c.name << ": status " << run.exit_status << "; " << run.console;
        EXPECT_LT(seconds, kStopDeadline) << c.name;
        EXPECT_EQ(run.errors, "") << c.name;
        if (c.twice) {
            continue;  // ended at once: what it had in hand may be cut
        }
        switch (c.wait) {
        case Wait::kQuietInput:
        case Wait::kInputEndingAtStop:
            // Every line it read is handled, and nothing else: no summary, since the run was stopped.
            EXPECT_EQ(run.console, kBanner + fed.messages) << c.name;
            EXPECT_EQ(text_difference(results, result_lines(fed.results)), "") << c.name;
            break;
        case Wait::kNothingReadYet:
        case Wait::kResultsNeverOpened:
            EXPECT_EQ(run.console, kBanner) << c.name;
            EXPECT_EQ(results, "") << c.name;
            break;
        case Wait::kEndlessLine:
            EXPECT_EQ(run.console, kBanner + problem(1, kFormat)) << c.name;
            EXPECT_EQ(results, "") << c.name;
            break;
        case Wait::kSlowResultsReader:
        case Wait::kConsoleNotRead: {
            // Whole result lines, the start of the results, past what had been read before the pause.
            const std::string all = result_lines(fed.results);
            EXPECT_GT(results.size(), 1000U) << c.name;
            EXPECT_EQ(text_difference(results, all.substr(0, all.rfind('\n', results.size() - 1) + 1)), "") << c.name;
            break;
        }
        }
    }
}

}  // namespace
