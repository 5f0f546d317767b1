// What every run over any input must satisfy, whatever the bytes: the checks shared by the fuzzer of the
// whole run and the property test.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "batch_run.hpp"

namespace zelmor_test {

// What a run over an in-memory input left.
struct InMemoryRun {
    zelmor::RunStatus status{};   // what convert_stream returned
    std::uint64_t lines_read = 0;
    std::string results;          // bytes written to the results file
    std::string console;          // bytes written to the console
};

// Runs the batch conversion over `input` held in memory.
InMemoryRun run_in_memory(std::string_view input);

// The lines of a text, by the rule its users are told: a LF ends a line, together with any CRs right
// before it; every other CR ends a line by itself; a last line without an end still counts; a UTF-8 byte
// order mark at the very start is not text. Each line is given without its end.
std::vector<std::string_view> rule_lines(std::string_view text);

// How many lines rule_lines finds.
std::uint64_t physical_lines(std::string_view input);

// Empty when `run` keeps every rule of a run over `input`; otherwise what is wrong:
// - the run completes, and the count of lines read is the number of physical lines;
// - every console line is "dane.txt: wiersz N: " and one of the three problems, N rising strictly;
// - every result line is a tag "W" or "P" and two numbers with four decimals (never nan or inf);
// - messages and result lines together are exactly one per physical line.
std::string broken_rule(std::string_view input, const InMemoryRun& run);

}  // namespace zelmor_test
