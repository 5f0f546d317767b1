// Everything the program says on standard output: Polish without diacritics, one message per line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace zelmor {

inline constexpr const char* kInputFileName = "dane.txt";
inline constexpr const char* kOutputFileName = "wyniki.txt";

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

// The last line of a run in a console window of its own, which closes when the run ends.
inline constexpr std::string_view kPressEnterToClose = "Nacisnij Enter, aby zamknac okno.\n";

// What is wrong with one input line; printed after "dane.txt: wiersz <n>: ".
inline constexpr std::string_view kBadFormat = "nieprawidlowy format danych";
inline constexpr std::string_view kBadTag =
    "nieprawidlowy oznaczenie ukladu wspolrzednych (dozwolone: W - WGS84, P - PUWG92)";
inline constexpr std::string_view kOutOfRange = "wspolrzedne poza dopuszczalnym zakresem";

void print_text(std::FILE* console, std::string_view text);

// "dane.txt: wiersz <line_number>: <problem>\n"
void print_line_problem(std::FILE* console, std::uint64_t line_number, std::string_view problem);

// "Wczytano <lines_read> wierszy z pliku dane.txt\n"
void print_summary(std::FILE* console, std::uint64_t lines_read);

}  // namespace zelmor
