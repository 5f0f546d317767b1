#include "messages.hpp"

#include <charconv>
#include <cstring>

namespace zelmor {
namespace {

constexpr std::size_t kMessageRoom = 256;  // bytes: the longest message with a 20-digit number fits

// Appends `text` at `at` in `buffer`; returns the new end.
char* append(char* at, std::string_view text)
{
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

char* append_number(char* at, std::uint64_t number)
{
    return std::to_chars(at, at + 20, number).ptr;
}

}  // namespace

void print_text(std::FILE* console, std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), console);
}

void print_line_problem(std::FILE* console, std::uint64_t line_number, std::string_view problem)
{
    char buffer[kMessageRoom];
    char* end = append(buffer, "dane.txt: wiersz ");
    end = append_number(end, line_number);
    end = append(end, ": ");
    end = append(end, problem);
    end = append(end, "\n");
    print_text(console, std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

void print_summary(std::FILE* console, std::uint64_t lines_read)
{
    char buffer[kMessageRoom];
    char* end = append(buffer, "Wczytano ");
    end = append_number(end, lines_read);
    end = append(end, " wierszy z pliku dane.txt\n");
    print_text(console, std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

}  // namespace zelmor
