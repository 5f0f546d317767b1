// Everything the program says on standard output: Polish without diacritics, one message per line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace zelmor {

// The banner. Its "1.0" is the program's fixed text, which users and scripts know it by; the version
// of the build, which --version tells, is VERSION's.
inline constexpr std::string_view kBanner =
    "ZELMOR wersja 1.0\n"
    "Program do konwersji wspolrzednych miedzy ukladami WGS84 a PUWG92\n"
    "Dane pobierane sa z pliku dane.txt\n"
    "Wyniki konwersji zapisywane sa do pliku wyniki.txt\n"
    "\n";

// Whole-run failures; each ends the run with exit status 1.
inline constexpr std::string_view kInputMissing = "Blad: nie znaleziono pliku dane.txt\n";
inline constexpr std::string_view kOutputNotCreated = "Blad: nie mozna utworzyc pliku wyniki.txt\n";
inline constexpr std::string_view kOutputNotWritten = "Blad: nie mozna zapisac pliku wyniki.txt\n";
inline constexpr std::string_view kInputNotRead = "Blad: nie mozna odczytac pliku dane.txt\n";

// Standard output is one of the run's own files: the messages would be read back as input, or mixed into
// the results. Said on standard error, the one thing ever written there, since standard output is data.
inline constexpr std::string_view kConsoleIsInput = "Blad: standardowe wyjscie jest plikiem dane.txt\n";
inline constexpr std::string_view kConsoleIsOutput = "Blad: standardowe wyjscie jest plikiem wyniki.txt\n";

// An argument on the command line, which the program does not take; said on standard error around the
// argument itself.
inline constexpr std::string_view kArgumentNotTakenStart = "Blad: zelmor nie przyjmuje argumentow (podano: ";
inline constexpr std::string_view kArgumentNotTakenEnd =
    "); przelicza plik dane.txt z biezacego katalogu (zelmor --help mowi wiecej)\n";

// The last line of a run in a console window of its own, which closes when the run ends.
inline constexpr std::string_view kPressEnterToClose = "Nacisnij Enter, aby zamknac okno.\n";

// What is wrong with one input line; printed after "dane.txt: wiersz <n>: ".
inline constexpr std::string_view kBadFormat = "nieprawidlowy format danych";
inline constexpr std::string_view kBadTag =
    "nieprawidlowy oznaczenie ukladu wspolrzednych (dozwolone: W - WGS84, P - PUWG92)";
inline constexpr std::string_view kOutOfRange = "wspolrzedne poza dopuszczalnym zakresem";

void print_text(std::FILE* console, std::string_view text);

// Prints `text` (an argument, a name from a file) on one line whatever it holds: each control character
// (a newline, a tab, an escape that would move the terminal's cursor) as a C escape, \n, \t or \x1b.
void print_escaped(std::FILE* stream, std::string_view text);

// "dane.txt: wiersz <line_number>: <problem>\n"
void print_line_problem(std::FILE* console, std::uint64_t line_number, std::string_view problem);

// "<file_name>: wiersz <line_number>: <problem>\n", the same word about a row of another file. The name
// is cut to its first 160 bytes.
void print_row_problem(std::FILE* console, std::string_view file_name, std::uint64_t line_number,
                       std::string_view problem);

// "Wczytano <lines_read> wierszy z pliku dane.txt\n"
void print_summary(std::FILE* console, std::uint64_t lines_read);

}  // namespace zelmor
