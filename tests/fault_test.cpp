// The program against failing files, a failing console and hostile input: every failure is reported and
// ends with status 1, nothing is lost in silence, and memory stays bounded.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program_run.hpp"

namespace {

namespace fs = std::filesystem;
using namespace zelmor_test;
using namespace std::string_literals;

// Many valid points, and what the program writes for them.
struct LargeFile {
    std::string input;
    std::string results;
};

LargeFile large_file(int points)
{
    LargeFile file;
    for (int i = 0; i < points; ++i) {
        file.input += i % 2 == 0 ? "W 52 19\n" : "P 0 0\n";
    }
    for (int i = 0; i < points; ++i) {
        file.results += result_lines({i % 2 == 0 ? "P 459309.2094 500000.0000" : "W 47.6737 12.3357"});
    }
    return file;
}

// A failed write ends the run at once, even with lines left to report after it.
TEST(Faults, DiskFullAtTheFirstWrite)
{
    if (program_is_windows()) {
        GTEST_SKIP() << "/dev/full is a device of this system";
    }
    std::string points;
    for (int i = 0; i < 20000; ++i) {
        points += "W 52 19\n";  // more than one block of results: the first write comes before line 20 001
    }
    const struct {
        std::string input;
        std::string messages;
    } cases[] = {
        {"X 1\nW 52 19\nw 1 2\n", problem(1, kFormat) + problem(3, kTag)},
        {points + "X 1\n", ""},
    };
    for (const auto& c : cases) {
        ScratchDirectory scratch;
        write_file(scratch.path / "dane.txt", c.input);
        fs::create_symlink("/dev/full", scratch.path / "wyniki.txt");
        const ProgramRun run = run_program(scratch.path);
        EXPECT_EQ(run.exit_status, 1);
        EXPECT_EQ(run.console, kBanner + c.messages + kOutputNotWritten);
    }
}

// A file size limit reached anywhere: what stays in wyniki.txt is whole result lines, the start of the
// results up to the last line that fit.
TEST(Faults, DiskFullInTheMiddleOfALargeFile)
{
    if (program_is_windows()) {
        GTEST_SKIP() << "a file size limit is a matter of this system";
    }
    const struct {
        int points;
        long long limit;  // bytes the results file may reach
    } cases[] = {{100, 1024}, {100, 0}, {100, 26}, {100, 2199}, {100000, (1 << 18) + 13}, {100000, 1 << 20}};
    for (const auto& c : cases) {
        ScratchDirectory scratch;
        const LargeFile file = large_file(c.points);
        write_file(scratch.path / "dane.txt", "X 1\n\n" + file.input);
        RunOptions options;
        options.file_size_limit = c.limit;
        const ProgramRun run = run_program(scratch.path, options);
        EXPECT_EQ(run.exit_status, 1) << c.limit;
        EXPECT_EQ(run.console, kBanner + problem(1, kFormat) + problem(2, kFormat) + kOutputNotWritten) << c.limit;
        const std::string fitting = file.results.substr(0, static_cast<std::size_t>(c.limit));
        EXPECT_EQ(read_file(scratch.path / "wyniki.txt"), fitting.substr(0, fitting.rfind('\n') + 1)) << c.limit;
    }
}

TEST(Faults, AFailingConsoleFailsTheRunButLosesNoResults)
{
    const Console consoles[] = {Console::kClosed, Console::kFull, Console::kBrokenPipe};
    for (const Console console : consoles) {
        if (console == Console::kFull && program_is_windows()) {
            continue;  // /dev/full is a device of this system
        }
        ScratchDirectory scratch;
        write_file(scratch.path / "dane.txt", "W 52 19\nX 1\nP 0 0\n");
        RunOptions options;
        options.console = console;
        const ProgramRun run = run_program(scratch.path, options);
        EXPECT_EQ(run.exit_status, 1) << static_cast<int>(console);
        EXPECT_EQ(run.signal, 0) << static_cast<int>(console);
        EXPECT_EQ(read_file(scratch.path / "wyniki.txt"),
                  result_lines({"P 459309.2094 500000.0000", "W 47.6737 12.3357"}))
            << static_cast<int>(console);
    }
}

// With standard input and output both closed, the files opened next would take descriptors 0 and 1,
// and every message meant for the console would land in the results.
TEST(Faults, ClosedStandardDescriptorsDoNotSendMessagesIntoTheResults)
{
    if (program_is_windows()) {
        GTEST_SKIP() << "descriptor numbers are a matter of this system";
    }
    ScratchDirectory scratch;
    std::string input = "W 52 19\n";
    for (int i = 0; i < 5000; ++i) {
        input += "X 1\n";  // far more messages than the console's buffer holds before it writes
    }
    write_file(scratch.path / "dane.txt", input + "P 0 0\n");
    RunOptions options;
    options.console = Console::kClosed;
    options.close_input = true;
    const ProgramRun run = run_program(scratch.path, options);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(read_file(scratch.path / "wyniki.txt"), result_lines({"P 459309.2094 500000.0000", "W 47.6737 12.3357"}));
}

TEST(Faults, HostileBytes)
{
    const RunCase cases[] = {
        {"NUL bytes", "W 52 19\0junk\n\0W 52 19\nW 52\0 19\nW\0\n"s, {"P 459309.2094 500000.0000"},
         problem(2, kFormat) + problem(3, kFormat) + problem(4, kFormat), 4},
        {"DOS end-of-file marks", "W 52 19\n\x1a\nP 0 0\n\x1a"s, {"P 459309.2094 500000.0000", "W 47.6737 12.3357"},
         problem(2, kFormat) + problem(4, kFormat), 4},
        {"a DOS end-of-file mark as the tag", "\x1a 52 19\n", {}, problem(1, kTag), 1},
        {"invalid UTF-8", "\xff\xfe 52 19\n\xc3\x28\n\xed\xa0\x80 1 2\nW 52 19 \xc0\xaf\n", {"P 459309.2094 500000.0000"},
         problem(1, kFormat) + problem(2, kFormat) + problem(3, kFormat), 4},
        {"invalid UTF-8 as the tag", "\xff 52 19\n", {}, problem(1, kTag), 1},
        // Classic Mac line ends: a CR alone ends a line.
        {"classic Mac line ends", "W 52 19\rX 1\rP 0 0\r", {"P 459309.2094 500000.0000", "W 47.6737 12.3357"},
         problem(2, kFormat), 3},
    };
    for (const auto& c : cases) {
        expect_run(c);
    }
}

// Peak memory the program may use on any input, KiB (0: not checked, as under sanitizers or emulators,
// which have memory of their own).
long memory_limit_kib()
{
    return program_is_native() ? ZELMOR_MEMORY_LIMIT_KIB : 0;
}

TEST(Faults, A200MiBLineIsOneLineInBoundedMemory)
{
    ScratchDirectory scratch;
    {
        std::string content = "W 52 19 ";
        content.append(200u << 20, 'x');
        content += "\nP 0 0\n";
        write_file(scratch.path / "dane.txt", content);
    }
    const ProgramRun run = run_program(scratch.path);
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.console, kBanner + summary(2));
    EXPECT_EQ(read_file(scratch.path / "wyniki.txt"),
              result_lines({"P 459309.2094 500000.0000", "W 47.6737 12.3357"}));
    if (memory_limit_kib() > 0) {
        EXPECT_LE(run.peak_rss_kib, memory_limit_kib());
    }
}

TEST(Faults, TenMillionEmptyLinesEachGetTheirMessage)
{
    constexpr long long kLines = 10'000'000;
    ScratchDirectory scratch;
    write_file(scratch.path / "dane.txt", std::string(kLines, '\n'));
    // Half a gigabyte of messages, checked as they arrive rather than kept.
    std::string pending;
    long long next = 1;
    bool in_order = true;
    bool banner_seen = false;
    std::string tail;
    RunOptions options;
    options.console_sink = [&](std::string_view chunk) {
        pending.append(chunk);
        if (!banner_seen && pending.size() >= kBanner.size()) {
            banner_seen = pending.compare(0, kBanner.size(), kBanner) == 0;
            in_order = in_order && banner_seen;
            pending.erase(0, kBanner.size());
        }
        std::size_t start = 0;
        for (std::size_t end; banner_seen && (end = pending.find('\n', start)) != std::string::npos; start = end + 1) {
            const std::string_view line(pending.data() + start, end + 1 - start);
            if (next <= kLines) {
                in_order = in_order && line == problem(next, kFormat);
                ++next;
            } else {
                tail += line;
            }
        }
        pending.erase(0, start);
    };
    const ProgramRun run = run_program(scratch.path, options);
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_TRUE(in_order);
    EXPECT_EQ(next, kLines + 1);
    EXPECT_EQ(tail + pending, summary(kLines));
    EXPECT_EQ(read_file(scratch.path / "wyniki.txt"), "");
    if (memory_limit_kib() > 0) {
        EXPECT_LE(run.peak_rss_kib, memory_limit_kib());
    }
}

}  // namespace
