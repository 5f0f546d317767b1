// Random files made of valid and invalid lines of every kind, run through the whole batch conversion in
// memory: every run must keep the rules of a run, and every line must meet the fate its kind gives it.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "expected_messages.hpp"
#include "run_invariants.hpp"

namespace {

using namespace std::string_literals;

// What becomes of a line of a kind: a result line, or the message about format, tag or range.
enum Fate : char { kResult = 'r', kFormat = 'f', kTag = 't', kRange = 'o' };

struct Kind {
    std::string text;  // the line, without its ending
    Fate fate;
};

const std::vector<Kind>& kinds()
{
    static const std::vector<Kind> all = {
        {"W 52 19", kResult},
        {"W 54.3520 18.6466", kResult},
        {"  P 459309.2094 500000", kResult},
        {"P 0 0", kResult},
        {"W52 19 trailing words", kResult},
        {"W 52 19\0 after a NUL"s, kResult},
        {"W 52 19 \xc3\xa9\xff\xfe", kResult},          // invalid UTF-8 after the point
        {"P 1e6 1e6", kResult},
        {"P 1e300 0", kRange},
        {"W 47 19", kRange},
        {"W 52 30", kRange},
        {"W 1e400 19", kRange},
        {"W 52,5 19", kFormat},
        {"", kFormat},
        {"   \t", kFormat},
        {"X 1", kFormat},
        {"W nan 19", kFormat},
        {"W 0x34 19", kFormat},
        {"W 52\0 19"s, kFormat},
        {"\0"s, kFormat},
        {"\x1a", kFormat},                              // a DOS end-of-file mark is only a byte here
        {"w 52 19", kTag},
        {"X 1 2", kTag},
        {"\x1a 52 19", kTag},
        {"\xc3\xa9 52 19", kFormat},                   // the tag is one byte; the next cannot start a number
        {"\xff 52 19", kTag},
        {"p 459309.2094 500000", kTag},
        {"W 52 19 " + std::string(200000, 'x'), kResult},   // longer than the input block
        {std::string(150000, ' ') + "W 52 19", kFormat},    // its point lies past what is read
    };
    return all;
}

TEST(RunProperties, RandomMixesOfLinesKeepEveryRule)
{
    std::mt19937 random(2024);
    // Every line end, mixed in one file: LF, CR LF, a lone CR (classic Mac), CR CR LF (converted twice).
    const std::string endings[] = {"\n", "\r\n", "\r", "\r\r\n"};
    for (int round = 0; round < 300; ++round) {
        const std::size_t count = random() % 60;
        std::string input;
        std::string expected_console;
        std::uint64_t expected_results = 0;
        std::string ending;
        for (std::size_t line = 1; line <= count; ++line) {
            const Kind& kind = kinds()[random() % kinds().size()];
            input += kind.text;
            const bool last = line == count;
            if (kind.text.empty() && ending == "\r") {
                ending = "\r";  // after a lone CR, an empty line's LF would join that CR's line end
            } else if (!last || random() % 2 == 0 || kind.text.empty()) {
                ending = endings[random() % std::size(endings)];  // an empty last line exists only with its end
            } else {
                ending = "";
            }
            input += ending;
            if (kind.fate == kResult) {
                ++expected_results;
            } else {
                expected_console += zelmor_test::problem(static_cast<long long>(line),
                                                         kind.fate == kFormat ? zelmor_test::kFormat
                                                         : kind.fate == kTag  ? zelmor_test::kTag
                                                                              : zelmor_test::kRange);
            }
        }
        const zelmor_test::InMemoryRun run = zelmor_test::run_in_memory(input);
        const std::string broken = zelmor_test::broken_rule(input, run);
        ASSERT_TRUE(broken.empty()) << broken << " (round " << round << ")";
        ASSERT_EQ(run.lines_read, count) << "round " << round;
        ASSERT_EQ(run.console, expected_console) << "round " << round;
        const auto result_lines = static_cast<std::uint64_t>(std::count(run.results.begin(), run.results.end(), '\n'));
        ASSERT_EQ(result_lines, expected_results) << "round " << round;
    }
}

TEST(RunProperties, TheRulesCatchABrokenRun)
{
    const std::string input = "W 52 19\nX 1\n";
    zelmor_test::InMemoryRun run = zelmor_test::run_in_memory(input);
    ASSERT_EQ(zelmor_test::broken_rule(input, run), "");
    zelmor_test::InMemoryRun lost_line = run;
    lost_line.console.clear();
    EXPECT_NE(zelmor_test::broken_rule(input, lost_line), "");
    zelmor_test::InMemoryRun miscounted = run;
    miscounted.lines_read = 3;
    EXPECT_NE(zelmor_test::broken_rule(input, miscounted), "");
    zelmor_test::InMemoryRun not_a_number = run;
    not_a_number.results = "P nan 500000.0000\n";
    EXPECT_NE(zelmor_test::broken_rule(input, not_a_number), "");
}

}  // namespace
