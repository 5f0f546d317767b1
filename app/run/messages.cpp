#include "messages.hpp"

#include <charconv>
#include <cstring>

namespace zelmor {
namespace {

constexpr std::size_t kMessageRoom = 256;       // bytes: the longest message with a 20-digit number fits
constexpr std::size_t kMaxFileNameShown = 160;  // bytes of a file's name in a message: it still fits

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

void print_escaped(std::FILE* stream, std::string_view argument)
{
    constexpr char kHexDigits[] = "0123456789abcdef";
    constexpr unsigned char kFirstPrintable = 0x20;  // the space; below it, control characters
    constexpr unsigned char kDelete = 0x7f;          // a control character too
    std::string_view::size_type start = 0;
    for (std::string_view::size_type i = 0; i < argument.size(); ++i) {
        const auto byte = static_cast<unsigned char>(argument[i]);
        if (byte >= kFirstPrintable && byte != kDelete) {
            continue;
        }
        print_text(stream, argument.substr(start, i - start));
        const char named = byte == '\n' ? 'n' : byte == '\t' ? 't' : byte == '\r' ? 'r' : '\0';
        const char escape[4] = {'\\', named != '\0' ? named : 'x', kHexDigits[byte >> 4], kHexDigits[byte & 0xf]};
        print_text(stream, std::string_view(escape, named != '\0' ? 2 : 4));
        start = i + 1;
    }
    print_text(stream, argument.substr(start));
}

void print_line_problem(std::FILE* console, std::uint64_t line_number, std::string_view problem)
{
    print_row_problem(console, "dane.txt", line_number, problem);
}

void print_row_problem(std::FILE* console, std::string_view file_name, std::uint64_t line_number,
                       std::string_view problem)
{
    char buffer[kMessageRoom + kMaxFileNameShown];
    char* end = append(buffer, file_name.substr(0, kMaxFileNameShown));
    end = append(end, ": wiersz ");
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
