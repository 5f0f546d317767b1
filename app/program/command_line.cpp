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
        print_escaped(refusals, first_is_question ? std::string_view(argv[2]) : first);
        print_text(refusals, kArgumentNotTakenEnd);
    }
    return Asked::kArgumentRefused;
}

}  // namespace zelmor
