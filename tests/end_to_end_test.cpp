// The whole program as a user runs it: "dane.txt" in, "wyniki.txt" and messages out, and the exit status.
#include <zelmor/projection.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "program_run.hpp"

namespace {

namespace fs = std::filesystem;
using namespace zelmor_test;

TEST(EndToEnd, EachKindOfLineAndWhatBecomesOfIt)
{
    const RunCase cases[] = {
        {"forward", "W 52 19\n", {"P 459309.2094 500000.0000"}, "", 1},
        {"inverse", "P 459309.2094 500000\n", {"W 52.0000 19.0000"}, "", 1},
        {"far grid point", "P 0 0\n", {"W 47.6737 12.3357"}, "", 1},
        {"tag touches number", "W52 19\n", {"P 459309.2094 500000.0000"}, "", 1},
        {"blanks before tag", "  \t W 52 19\n", {"P 459309.2094 500000.0000"}, "", 1},
        {"more text", "W 52 19 Warszawa, punkt 7\n", {"P 459309.2094 500000.0000"}, "", 1},
        {"decimal comma", "W 52,5 19\n", {}, problem(1, kFormat), 1},
        {"lower-case tag", "w 52 19\n", {}, problem(1, kTag), 1},
        {"format before tag", "X 1\n", {}, problem(1, kFormat), 1},
        {"unknown tag", "X 1 2\n", {}, problem(1, kTag), 1},
        {"south of the area", "W 47 19\n", {}, problem(1, kRange), 1},
        {"east of the area", "W 52 30\n", {}, problem(1, kRange), 1},
        {"empty line", "\n", {}, problem(1, kFormat), 1},
        {"blanks only", "   \t\n", {}, problem(1, kFormat), 1},
    };
    for (const auto& c : cases) {
        expect_run(c);
    }
}

TEST(EndToEnd, WholeFiles)
{
    const std::string long_tail(5000, 'x');
    const std::string blanks_64k(65536 - 7, ' ');   // "W", these blanks and "52 19" end at byte 65536
    const long long mac_points = 20000;  // 160 000 bytes of "W 52 19\r"
    std::string mac_lines;
    for (long long i = 0; i < mac_points; ++i) {
        mac_lines += "W 52 19\r";
    }
    const RunCase cases[] = {
        {"empty file", "", {}, "", 0},
        {"three lines", "W 52 19\nW 52 21\nP 500000 500000\n",
         {"P 459309.2094 500000.0000", "P 461197.2429 637253.1611", "W 52.3659 19.0000"}, "", 3},
        {"no final newline", "W 52 19\nW 52 21\nP 500000 500000",
         {"P 459309.2094 500000.0000", "P 461197.2429 637253.1611", "W 52.3659 19.0000"}, "", 3},
        {"CRLF line ends", "W 52 19\r\nX 1\r\nP 0 0\r\n", {"P 459309.2094 500000.0000", "W 47.6737 12.3357"},
         problem(2, kFormat), 3},
        {"blank and rejected lines are counted", "\nW 52 19\n\n  \nw 1 2\nW 56 25\n",
         {"P 459309.2094 500000.0000", "P 920468.8873 873837.7994"},
         problem(1, kFormat) + problem(3, kFormat) + problem(4, kFormat) + problem(5, kTag), 6},
        {"a long line is one line", "W 52 19 " + long_tail + "\nP 0 0\n",
         {"P 459309.2094 500000.0000", "W 47.6737 12.3357"}, "", 2},
        {"numbers ending within the first 64 KiB of a long line", "W" + blanks_64k + "52 19 " + long_tail + "\n",
         {"P 459309.2094 500000.0000"}, "", 1},
        {"a long line that is not a point", long_tail + "\nW 52 19\n", {"P 459309.2094 500000.0000"},
         problem(1, kFormat), 2},
        // Lines cut after 128 KiB, inside an exponent: the number may go on, so it is not read short.
        {"cut after an exponent mark", "P 52 " + std::string(131065, ' ') + "1e5\n", {}, problem(1, kFormat), 1},
        {"cut after an exponent sign", "P 52 " + std::string(131062, ' ') + "1.5e+5\nP 0 0\n", {"W 47.6737 12.3357"},
         problem(1, kFormat), 2},
        {"a grid point too far out for the formulas", "P 1e300 0\nW 1e400 19\n", {},
         problem(1, kRange) + problem(2, kRange), 2},
        // A byte order mark, as Windows editors save UTF-8, before line 1 is skipped: line 1 reads as it looks.
        {"byte order mark before a point", "\xEF\xBB\xBFW 52 19\n", {"P 459309.2094 500000.0000"}, "", 1},
        {"byte order mark before a bad line", "\xEF\xBB\xBFX 1\nW 52 19\n", {"P 459309.2094 500000.0000"},
         problem(1, kFormat), 2},
        {"only a byte order mark: an empty file", "\xEF\xBB\xBF", {}, "", 0},
        {"number words and hexadecimal forms", "W nan 19\nP 1 inf\nW 0x34 0x13\nW 52 19\n",
         {"P 459309.2094 500000.0000"}, problem(1, kFormat) + problem(2, kFormat) + problem(3, kFormat), 4},
        {"a decimal comma in either number", "W 52.2297 21,0122\nW 52,2297 21.0122\nW 52 19 ,5 m\n",
         {"P 459309.2094 500000.0000"}, problem(1, kFormat) + problem(2, kFormat), 3},
        // Line ends: a LF, with any CRs before it; any other CR alone, wherever in the file.
        {"classic Mac lines and a final LF", "W 52 19\rW 52 21\rP 0 0\r\n",
         {"P 459309.2094 500000.0000", "P 461197.2429 637253.1611", "W 47.6737 12.3357"}, "", 3},
        {"LF lines, then a tail of CR lines", "W 52 19\nX 1\nW 52 21\rX 1\rP 0 0",
         {"P 459309.2094 500000.0000", "P 461197.2429 637253.1611", "W 47.6737 12.3357"},
         problem(2, kFormat) + problem(4, kFormat), 5},
        {"CR CR LF, CR CR between two points, a CR at the very end", "W 52 19\r\r\nW 52 21\r\rP 0 0\r",
         {"P 459309.2094 500000.0000", "P 461197.2429 637253.1611", "W 47.6737 12.3357"}, problem(3, kFormat), 4},
        {"CR lines whose first LF is past the first block", mac_lines + "\nW 52 19\r\n",
         std::vector<std::string>(mac_points + 1, "P 459309.2094 500000.0000"), "", mac_points + 1},
        {"a CR LF line of 131 071 bytes, its LF in the second block", "W 52 19" + std::string(131064, ' ') + "\r\nW 52 21\r\n",
         {"P 459309.2094 500000.0000", "P 461197.2429 637253.1611"}, "", 2},
    };
    for (const auto& c : cases) {
        expect_run(c);
    }
}

// Runs refused at the start leave both files as they were: "dane.txt" missing (then "wyniki.txt" is
// not touched), "wyniki.txt" a directory or a link to "dane.txt" (creating it anew would empty the
// input), and standard output that is one of the files ("> wyniki.txt", ">> dane.txt", ">> kopia.txt"
// with kopia.txt a link to dane.txt), where the run writes nothing at all and says why on standard
// error; with standard error there too ("2>&1"), it says nothing. A null device on both sides holds
// nothing to protect: that run goes ahead.
TEST(EndToEnd, RunsRefusedAtTheStartLeaveTheFilesAsTheyWere)
{
    const std::string input = "X 1\nW 52 19\n";
    const std::string stale = "P 1.0000 2.0000\n";
    enum Setup { kNoInput, kResultsADirectory, kResultsHardLinked, kResultsSymlinked, kBothFiles, kCopyLinked, kResultsToNull };
    const struct {
        Setup setup;
        Console console;
        std::string file;     // standard output's file, for kFile and kFileAppended
        bool errors_too;      // standard error goes there as well
        int status;
        std::string said;     // on standard output, or on standard error when standard output is a file
        std::string results;  // wyniki.txt afterwards
        std::vector<std::string> arguments = {};  // on the command line: the usage and the version too
    } cases[] = {
        {kNoInput, Console::kCaptured, "", false, 1, kBanner + kInputMissing, stale},
        {kResultsADirectory, Console::kCaptured, "", false, 1, kBanner + kOutputNotCreated, ""},
        {kResultsHardLinked, Console::kCaptured, "", false, 1, kBanner + kOutputNotCreated, input},
        {kResultsSymlinked, Console::kCaptured, "", false, 1, kBanner + kOutputNotCreated, input},
        {kBothFiles, Console::kFile, "wyniki.txt", false, 1, console_is("wyniki.txt"), ""},  // emptied by the shell
        {kBothFiles, Console::kFileAppended, "wyniki.txt", false, 1, console_is("wyniki.txt"), stale},
        {kBothFiles, Console::kFileAppended, "dane.txt", false, 1, console_is("dane.txt"), stale},
        {kCopyLinked, Console::kFileAppended, "kopia.txt", false, 1, console_is("dane.txt"), stale},
        {kBothFiles, Console::kFileAppended, "dane.txt", true, 1, "", stale},
        {kBothFiles, Console::kFile, "wyniki.txt", true, 1, "", ""},
        {kResultsToNull, Console::kFile, "/dev/null", false, 0, "", ""},
        {kBothFiles, Console::kFileAppended, "dane.txt", false, 1, console_is("dane.txt"), stale, {"--help"}},
        {kBothFiles, Console::kFileAppended, "wyniki.txt", false, 1, console_is("wyniki.txt"), stale, {"--version"}},
        {kBothFiles, Console::kFileAppended, "dane.txt", true, 1, "", stale, {"punkty.txt"}},
    };
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        const auto& c = cases[row];
        if (c.setup == kResultsSymlinked && program_is_windows()) {
            continue;  // a symbolic link made here is not one that Windows programs follow
        }
        ScratchDirectory scratch;
        const fs::path dane = scratch.path / "dane.txt";
        const fs::path wyniki = scratch.path / "wyniki.txt";
        if (c.setup != kNoInput) {
            write_file(dane, input);
        }
        switch (c.setup) {
        case kResultsADirectory: fs::create_directory(wyniki); break;
        case kResultsHardLinked: fs::create_hard_link(dane, wyniki); break;
        case kResultsSymlinked: fs::create_symlink("dane.txt", wyniki); break;
        case kResultsToNull: fs::create_symlink("/dev/null", wyniki); break;
        case kCopyLinked: fs::create_hard_link(dane, scratch.path / "kopia.txt"); [[fallthrough]];
        default: write_file(wyniki, stale);
        }
        RunOptions options;
        options.console = c.console;
        options.console_file = c.file;
        options.errors_to_console = c.errors_too;
        options.arguments = c.arguments;
        const ProgramRun run = run_program(scratch.path, options);
        EXPECT_EQ(run.exit_status, c.status) << "row " << row;
        EXPECT_EQ(c.console == Console::kCaptured ? run.console : run.errors, c.said) << "row " << row;
        EXPECT_EQ(fs::exists(dane) ? read_file(dane) : input, input) << "row " << row;
        EXPECT_EQ(fs::is_directory(wyniki) ? "" : read_file(wyniki), c.results) << "row " << row;
    }
}

// The first things a newcomer types: --help and --version are answered on standard output, anything else
// is refused on standard error; "dane.txt" and "wyniki.txt" stay byte for byte as they were.
TEST(EndToEnd, ArgumentsAreAnsweredOrRefusedWithoutTouchingAFile)
{
    const std::string usage_start = "Uzycie: zelmor\n";
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string said;    // the start of standard output
        std::string errors;  // standard error
    } cases[] = {
        {{"--help"}, 0, usage_start, ""},
        {{"-h"}, 0, usage_start, ""},
        {{"/?"}, program_is_windows() ? 0 : 1, program_is_windows() ? usage_start : "",
         program_is_windows() ? "" : argument_not_taken("/?")},
        {{"--version"}, 0, "zelmor " ZELMOR_VERSION "\n", ""},
        {{"punkty.txt"}, 1, "", argument_not_taken("punkty.txt")},
        {{"--help", "--version"}, 1, "", argument_not_taken("--version")},
        {{"-v"}, 1, "", argument_not_taken("-v")},
        // Named on one line, whatever it holds: control characters as escapes.
        {{"punkty\nwiersz 2\t\x1b[2J"}, 1, "", argument_not_taken("punkty\\nwiersz 2\\t\\x1b[2J")},
    };
    for (const auto& c : cases) {
        if (program_is_windows() && c.arguments[0].find('\n') != std::string::npos) {
            continue;  // Wine's command line for a Windows program does not carry a newline
        }
        ScratchDirectory scratch;
        write_file(scratch.path / "dane.txt", "W 52 19\n");
        write_file(scratch.path / "wyniki.txt", "P 1.0000 2.0000\n");
        RunOptions options;
        options.arguments = c.arguments;
        const ProgramRun run = run_program(scratch.path, options);
        EXPECT_EQ(run.exit_status, c.status) << c.arguments[0];
        EXPECT_EQ(run.console.substr(0, c.said.size()), c.said) << c.arguments[0];
        EXPECT_EQ(c.said.empty(), run.console.empty()) << c.arguments[0];
        EXPECT_EQ(run.errors, c.errors) << c.arguments[0];
        EXPECT_EQ(read_file(scratch.path / "dane.txt"), "W 52 19\n") << c.arguments[0];
        EXPECT_EQ(read_file(scratch.path / "wyniki.txt"), "P 1.0000 2.0000\n") << c.arguments[0];
    }
}

TEST(EndToEnd, InputThatIsADirectoryIsAReadErrorNotAnEmptyFile)
{
    ScratchDirectory scratch;
    fs::create_directory(scratch.path / "dane.txt");
    const ProgramRun run = run_program(scratch.path);
    EXPECT_EQ(run.exit_status, 1);
    const bool opened = run.console == kBanner + kInputNotRead;
    // Where the system refuses to open a directory at all, it is simply not found.
    const bool refused = run.console == kBanner + kInputMissing;
    EXPECT_TRUE(opened || refused) << run.console;
    if (program_is_native()) {
        EXPECT_TRUE(opened) << run.console;
    }
}

// The program under test (built for another system, or run by an emulator) against this build's library
// and printf, on a million random points of the area and of its grid: a printed result may differ only
// where the math libraries' last bits decide it, by one unit in the last digit with this build's exact
// value within 1e-6 (metres or degrees) of the rounding boundary, and in at most 10 results.
TEST(EndToEnd, SameResultsAsThisBuildButAtRoundingBoundaries)
{
    std::mt19937_64 random(1992);
    std::uniform_real_distribution<double> latitude(48.0, 56.0), longitude(13.0, 25.0), metres(30000.0, 950000.0);
    std::string input;
    std::vector<double> exact;  // this build's results, two per line
    char line[96];
    for (int i = 0; i < 1'000'000; ++i) {
        const bool forward = i % 2 == 0;
        const double in1 = forward ? latitude(random) : metres(random);
        const double in2 = forward ? longitude(random) : metres(random);
        std::snprintf(line, sizeof line, forward ? "W %.9f %.9f\n" : "P %.4f %.4f\n", in1, in2);
        input += line;
        char* second = nullptr;
        const double read1 = std::strtod(line + 2, &second);
        double out1 = 0, out2 = 0;
        (forward ? zelmor::geodetic_to_grid : zelmor::grid_to_geodetic)(out1, out2, read1, std::strtod(second, nullptr));
        exact.insert(exact.end(), {out1, out2});
    }
    ScratchDirectory scratch;
    write_file(scratch.path / "dane.txt", input);
    ASSERT_EQ(run_program(scratch.path).exit_status, 0);
    std::istringstream results(read_file(scratch.path / "wyniki.txt"));
    std::string tag;
    double printed[2] = {};
    int differing = 0;
    std::size_t i = 0;
    for (; i < exact.size() && results >> tag >> printed[0] >> printed[1]; i += 2) {
        for (std::size_t k = 0; k < 2; ++k) {
            std::snprintf(line, sizeof line, "%.4f", exact[i + k]);
            const double scaled = exact[i + k] * 1e4;
            if (std::strtod(line, nullptr) != printed[k]) {
                ++differing;
                EXPECT_NEAR(scaled - std::floor(scaled), 0.5, 1e-2) << "result " << i + k << ": " << printed[k];
                EXPECT_NEAR(printed[k], exact[i + k], 1e-4 + 1e-9) << "result " << i + k;
            }
        }
    }
    EXPECT_EQ(i, exact.size());
    EXPECT_LE(differing, 10);
    std::printf("%d of %zu printed results differ from this build's, each at a rounding boundary\n", differing, i);
}

}  // namespace
