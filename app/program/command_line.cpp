#include "command_line.hpp"

#include <cstdio>
#include <string_view>

#include "messages.hpp"

namespace zelmor {
namespace {

// What the program does and how it is run: the answer to --help.
constexpr std::string_view kUsage =
    "Uzycie: zelmor\n"
    "Przelicza punkty z pliku dane.txt w biezacym katalogu: wiersze \"W szerokosc dlugosc\" (WGS84,\n"
    "w stopniach) na \"P x y\" (PUWG 1992, w metrach) i odwrotnie. Wyniki zapisuje do pliku wyniki.txt\n"
    "w tym samym katalogu (tworzy go albo oproznia), a o kazdym wierszu, ktorego nie przeliczyl, pisze\n"
    "na standardowe wyjscie. Innych argumentow nie przyjmuje.\n"
#ifdef _WIN32
    "  zelmor --help, -h, /?   ten opis\n"
    "  zelmor --version        wersja programu\n"
    "Wiecej: README.pl.md (po angielsku README.md) obok zelmor.exe.\n";
#else
    "  zelmor --help, -h   ten opis\n"
    "  zelmor --version    wersja programu\n"
    "Wiecej: man -L pl zelmor (po angielsku man zelmor).\n";
#endif

// The answer to --version: the program's name and its version, as the build states it.
constexpr std::string_view kVersion = "zelmor " ZELMOR_VERSION "\n";

bool asks_for_help(std::string_view argument)
{
#ifdef _WIN32
    if (argument == "/?") {
        return true;
    }
#endif
    return argument == "--help" || argument == "-h";
}

// Prints `argument` on `stream` on one line whatever it holds: each control character (a newline, a
// tab, an escape that would move the terminal's cursor) as a C escape, \n, \t or \x1b.
void print_argument(std::FILE* stream, std::string_view argument)
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

}  // namespace

Asked answer_command_line(int argc, const char* const* argv, std::FILE* refusals)
{
    if (argc < 2) {
        return Asked::kRun;
    }
    const std::string_view first = argv[1];
    if (argc == 2 && asks_for_help(first)) {
        print_text(stdout, kUsage);
        return Asked::kQuestionAnswered;
    }
    if (argc == 2 && first == "--version") {
        print_text(stdout, kVersion);
        return Asked::kQuestionAnswered;
    }
    // The first argument that is not a question asked alone.
    const bool first_is_question = asks_for_help(first) || first == "--version";
    if (refusals != nullptr) {
        print_text(refusals, kArgumentNotTakenStart);
        print_argument(refusals, first_is_question ? std::string_view(argv[2]) : first);
        print_text(refusals, kArgumentNotTakenEnd);
    }
    return Asked::kArgumentRefused;
}

}  // namespace zelmor
