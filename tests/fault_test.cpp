// The program against failing files, a failing console and hostile input: every failure is reported and
// ends with status 1, nothing is lost in silence, and memory stays bounded.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/mount.h>
#include <sys/statvfs.h>

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

// The whole lines at the start of the first `bytes` bytes of `text`.
std::string whole_lines_of(const std::string& text, long long bytes)
{
    const std::string fitting = text.substr(0, static_cast<std::size_t>(bytes));
    return fitting.substr(0, fitting.rfind('\n') + 1);
}

// A failed write ends the run at once, even with lines left to report after it. (Under Wine, too, the
// link leads to this system's full device.)
TEST(Faults, DiskFullAtTheFirstWrite)
{
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
TEST(Faults, AFileSizeLimitAnywhereLeavesWholeLines)
{
    if (program_is_windows()) {
        GTEST_SKIP() << "a file size limit is a matter of this system (under Wine its signal ends the program)";
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
        EXPECT_EQ(text_difference(read_file(scratch.path / "wyniki.txt"), whole_lines_of(file.results, c.limit)), "")
            << c.limit;
    }
}

// A directory on a file system of its own, a memory one of `bytes` bytes (rounded up to pages), gone
// with everything in it when the object goes. Only root may make one: `made` says whether it was.
struct SmallDisk {
    explicit SmallDisk(long long bytes)
    {
        const std::string size = "size=" + std::to_string(bytes);
        made = mount("tmpfs", scratch.path.c_str(), "tmpfs", 0, size.c_str()) == 0;
    }
    ~SmallDisk()
    {
        if (made) {
            umount2(scratch.path.c_str(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    ScratchDirectory scratch;
    bool made = false;
};

// A disk that fills at many places of the results, within a block and at its edges, on Linux and (the
// line ends CR LF, its C runtime's own way of failing) on Windows: wyniki.txt keeps every whole line
// that fitted and no part of the next. Needs root, for the small disks; ZELMOR_REQUIRE_SMALL_DISKS=1
// (as in CI) makes their absence a failure.
TEST(Faults, AFullDiskAnywhereLeavesWholeLines)
{
    constexpr long long kPage = 4096;                       // a memory file system's unit of space
    const long long free_pages[] = {0, 1, 2, 3, 7, 63, 64, 65, 100, 129, 255};  // free for the results
    const LargeFile file = large_file(100000);
    const std::string input = "X 1\n\n" + file.input;
    for (const long long pages : free_pages) {
        SmallDisk disk((static_cast<long long>(input.size()) / kPage + 1 + pages) * kPage);
        if (!disk.made) {
            const char* required = std::getenv("ZELMOR_REQUIRE_SMALL_DISKS");
            ASSERT_FALSE(required != nullptr && std::string(required) == "1") << "cannot mount a small disk";
            GTEST_SKIP() << "only root can make the small disks this test fills";
        }
        write_file(disk.scratch.path / "dane.txt", input);
        struct statvfs space {};
        ASSERT_EQ(statvfs(disk.scratch.path.c_str(), &space), 0);
        const auto free_bytes = static_cast<long long>(space.f_bavail * space.f_frsize);
        const ProgramRun run = run_program(disk.scratch.path);
        EXPECT_EQ(run.exit_status, 1) << pages << " pages free";
        EXPECT_EQ(run.console, kBanner + problem(1, kFormat) + problem(2, kFormat) + kOutputNotWritten)
            << pages << " pages free";
        EXPECT_EQ(text_difference(read_file(disk.scratch.path / "wyniki.txt"), whole_lines_of(file.results, free_bytes)), "")
            << pages << " pages free";
    }
}

// Asked to stop (Ctrl-C, a SIGTERM, the terminal gone) at many points of a long run, once its results
// have reached some size: the run ends as the signal asks, with wyniki.txt the start of the results up
// to a whole line, and the messages about the lines it handled said, each whole. Under Wine, Ctrl-C
// comes as SIGINT; the program then ends with the status of a Windows program stopped by Ctrl-C.
TEST(Faults, AnInterruptedRunLeavesWholeLines)
{
    constexpr int kInterrupts = 16;
    constexpr int kWindowsInterruptedStatus = 0x3A;  // STATUS_CONTROL_C_EXIT (0xC000013A), as a Unix status
    const LargeFile file = large_file(300000);
    ScratchDirectory scratch;
    write_file(scratch.path / "dane.txt", "X 1\n" + file.input);
    const int signals[] = {SIGINT, SIGTERM, SIGHUP};
    int stopped = 0;
    for (int i = 1; i <= kInterrupts; ++i) {
        RunOptions options;
        options.stop_signal = program_is_windows() ? SIGINT : signals[i % 3];
        options.stop_at_results = static_cast<long long>(file.results.size()) * i / (kInterrupts + 2);
        fs::remove(scratch.path / "wyniki.txt");
        const ProgramRun run = run_program(scratch.path, options);
        const std::string results = read_file(scratch.path / "wyniki.txt");
        if (run.exit_status != 0) {
            ++stopped;
            EXPECT_TRUE(run.signal == options.stop_signal ||
                        (program_is_windows() && run.exit_status == kWindowsInterruptedStatus))
                << "status " << run.exit_status << ", signal " << run.signal << " at " << options.stop_at_results;
        }
        EXPECT_EQ(text_difference(results, whole_lines_of(file.results, static_cast<long long>(results.size()))), "")
            << "stopped at " << options.stop_at_results;
        // What it said about the lines it handled is not lost with it: line 1 is rejected, in the first batch.
        EXPECT_TRUE(run.console.starts_with(kBanner + problem(1, kFormat)) && run.console.ends_with("\n"))
            << run.console.substr(0, 400);
    }
    EXPECT_GE(stopped, kInterrupts / 2) << "the runs were over before most of the signals came";
}

TEST(Faults, AFailingConsoleFailsTheRunButLosesNoResults)
{
    const Console consoles[] = {Console::kClosed, Console::kFull, Console::kBrokenPipe};
    for (const Console console : consoles) {
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
        // The usage and the version that do not arrive are a failure too.
        for (const char* question : {"--help", "--version"}) {
            options.arguments = {question};
            EXPECT_EQ(run_program(scratch.path, options).exit_status, 1) << question << static_cast<int>(console);
        }
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
    EXPECT_EQ(run.exit_status, 0) << "standard error: " << run.errors;
    EXPECT_TRUE(in_order);
    EXPECT_EQ(next, kLines + 1);
    EXPECT_EQ(tail + pending, summary(kLines));
    EXPECT_EQ(read_file(scratch.path / "wyniki.txt"), "");
    if (memory_limit_kib() > 0) {
        EXPECT_LE(run.peak_rss_kib, memory_limit_kib());
    }
}

}  // namespace
