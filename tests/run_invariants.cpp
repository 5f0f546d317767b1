#include "run_invariants.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "batch_run.hpp"
#include "expected_messages.hpp"
#include "result_line.hpp"

namespace zelmor_test {
namespace {

const std::string* const kProblems[] = {&kFormat, &kTag, &kRange};

std::vector<std::string_view> split_lines(std::string_view text, std::string_view ending)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find(ending);
        if (end == std::string_view::npos) {
            lines.push_back(text);  // an unterminated piece: reported by the callers' checks
            break;
        }
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + ending.size());
    }
    return lines;
}

bool is_digits(std::string_view text)
{
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// "-?digits.dddd"
bool is_fixed4(std::string_view number)
{
    if (!number.empty() && number.front() == '-') {
        number.remove_prefix(1);
    }
    const std::size_t point = number.find('.');
    return point != std::string_view::npos && is_digits(number.substr(0, point)) &&
           number.size() - point - 1 == 4 && is_digits(number.substr(point + 1));
}

std::string check_console(std::uint64_t& messages, std::string_view console, std::uint64_t lines)
{
    constexpr std::string_view kPrefix = "dane.txt: wiersz ";
    if (!console.empty() && console.back() != '\n') {
        return "the console output does not end with a newline";
    }
    std::uint64_t previous = 0;
    for (const std::string_view message : split_lines(console, "\n")) {
        if (message.substr(0, kPrefix.size()) != kPrefix) {
            return "not a line message: " + std::string(message);
        }
        const std::string_view rest = message.substr(kPrefix.size());
        const std::size_t colon = rest.find(": ");
        if (colon == std::string_view::npos || !is_digits(rest.substr(0, colon))) {
            return "no line number: " + std::string(message);
        }
        const std::uint64_t number = std::strtoull(std::string(rest.substr(0, colon)).c_str(), nullptr, 10);
        if (number <= previous || number > lines) {
            return "line number out of order or range: " + std::string(message);
        }
        bool known = false;
        for (const std::string* problem : kProblems) {
            known = known || rest.substr(colon + 2) == *problem;
        }
        if (!known) {
            return "unknown problem: " + std::string(message);
        }
        previous = number;
        ++messages;
    }
    return {};
}

std::string check_results(std::uint64_t& results, std::string_view text)
{
    const std::string_view ending = zelmor::kResultLineEnd;
    if (!text.empty() && text.substr(text.size() - std::min(text.size(), ending.size())) != ending) {
        return "the results do not end with a line ending";
    }
    for (const std::string_view line : split_lines(text, ending)) {
        const std::size_t blank = line.find(' ', 2);
        const bool tagged = line.size() > 2 && (line[0] == 'W' || line[0] == 'P') && line[1] == ' ';
        if (!tagged || blank == std::string_view::npos || !is_fixed4(line.substr(2, blank - 2)) ||
            !is_fixed4(line.substr(blank + 1))) {
            return "malformed result line: " + std::string(line);
        }
        ++results;
    }
    return {};
}

// The bytes written to a memory stream, once it is closed.
struct MemoryStream {
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* file = nullptr;
};

}  // namespace

std::vector<std::string_view> rule_lines(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] != '\n' && text[at] != '\r') {
            ++at;
            continue;
        }
        lines.push_back(text.substr(start, at - start));
        const std::size_t after_crs = text.find_first_not_of('\r', at);
        // CRs and a LF (or a LF alone) are one line end; a CR that no LF follows is one by itself.
        at = after_crs != std::string_view::npos && text[after_crs] == '\n' ? after_crs + 1 : at + 1;
        start = at;
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

std::uint64_t physical_lines(std::string_view input)
{
    return rule_lines(input).size();
}

InMemoryRun run_in_memory(std::string_view input)
{
    InMemoryRun run;
    // An empty memory stream is not allowed everywhere; the null device reads as empty.
    std::FILE* source = input.empty() ? std::fopen("/dev/null", "rb")
                                      : fmemopen(const_cast<char*>(input.data()), input.size(), "rb");
    MemoryStream results;
    MemoryStream console;
    results.file = open_memstream(&results.data, &results.size);
    console.file = open_memstream(&console.data, &console.size);
    if (source == nullptr || results.file == nullptr || console.file == nullptr) {
        std::abort();
    }
    run.status = zelmor::convert_stream(run.lines_read, source, results.file, console.file);
    std::fclose(source);
    std::fclose(results.file);
    std::fclose(console.file);
    run.results.assign(results.data, results.size);
    run.console.assign(console.data, console.size);
    std::free(results.data);
    std::free(console.data);
    return run;
}

std::string broken_rule(std::string_view input, const InMemoryRun& run)
{
    const std::uint64_t lines = physical_lines(input);
    if (run.status != zelmor::RunStatus::kComplete) {
        return "the run did not complete: status " + std::to_string(static_cast<int>(run.status));
    }
    if (run.lines_read != lines) {
        return "counted " + std::to_string(run.lines_read) + " lines of " + std::to_string(lines);
    }
    std::uint64_t messages = 0;
    std::uint64_t results = 0;
    std::string broken = check_console(messages, run.console, lines);
    if (broken.empty()) {
        broken = check_results(results, run.results);
    }
    if (broken.empty() && messages + results != lines) {
        broken = std::to_string(messages) + " messages and " + std::to_string(results) + " results for " +
                 std::to_string(lines) + " lines";
    }
    return broken;
}

}  // namespace zelmor_test
