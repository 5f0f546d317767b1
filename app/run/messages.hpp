// Everything the program says on standard output: Polish without diacritics, one message per line.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace zelmor {

// The two files of a run, in the current directory; every message names them from here.
inline constexpr char kInputFileName[] = "dane.txt";
inline constexpr char kOutputFileName[] = "wyniki.txt";

// A text made at compile time from string literals and the names above, without their terminators.
template <std::size_t... Sizes>
struct JoinedText {
    std::array<char, ((Sizes - 1) + ...)> text{};
    constexpr explicit JoinedText(const char (&... pieces)[Sizes])
    {
        std::size_t at = 0;
        ((std::copy_n(pieces, Sizes - 1, text.begin() + at), at += Sizes - 1), ...);
    }
    constexpr std::string_view view() const { return std::string_view(text.data(), text.size()); }
};

inline constexpr JoinedText kBannerText{"ZELMOR wersja 1.0\n",
                                        "Program do konwersji wspolrzednych miedzy ukladami WGS84 a PUWG92\n",
                                        "Dane pobierane sa z pliku ", kInputFileName, "\n",
                                        "Wyniki konwersji zapisywane sa do pliku ", kOutputFileName, "\n", "\n"};
inline constexpr std::string_view kBanner = kBannerText.view();

// Whole-run failures; each ends the run with exit status 1.
inline constexpr JoinedText kInputMissingText{"Blad: nie znaleziono pliku ", kInputFileName, "\n"};
inline constexpr JoinedText kOutputNotCreatedText{"Blad: nie mozna utworzyc pliku ", kOutputFileName, "\n"};
inline constexpr JoinedText kOutputNotWrittenText{"Blad: nie mozna zapisac pliku ", kOutputFileName, "\n"};
inline constexpr JoinedText kInputNotReadText{"Blad: nie mozna odczytac pliku ", kInputFileName, "\n"};
inline constexpr std::string_view kInputMissing = kInputMissingText.view();
inline constexpr std::string_view kOutputNotCreated = kOutputNotCreatedText.view();
inline constexpr std::string_view kOutputNotWritten = kOutputNotWrittenText.view();
inline constexpr std::string_view kInputNotRead = kInputNotReadText.view();

// Standard output is one of the run's own files: the messages would be read back as input, or mixed into
// the results. Said on standard error, the one thing ever written there, since standard output is data.
inline constexpr JoinedText kConsoleIsInputText{"Blad: standardowe wyjscie jest plikiem ", kInputFileName, "\n"};
inline constexpr JoinedText kConsoleIsOutputText{"Blad: standardowe wyjscie jest plikiem ", kOutputFileName, "\n"};
inline constexpr std::string_view kConsoleIsInput = kConsoleIsInputText.view();
inline constexpr std::string_view kConsoleIsOutput = kConsoleIsOutputText.view();

// An argument on the command line, which the program does not take; said on standard error around the
// argument itself.
inline constexpr JoinedText kArgumentNotTakenStartText{"Blad: zelmor nie przyjmuje argumentow (podano: "};
inline constexpr JoinedText kArgumentNotTakenEndText{"); przelicza plik ", kInputFileName,
                                                     " z biezacego katalogu (zelmor --help mowi wiecej)\n"};
inline constexpr std::string_view kArgumentNotTakenStart = kArgumentNotTakenStartText.view();
inline constexpr std::string_view kArgumentNotTakenEnd = kArgumentNotTakenEndText.view();

// The last line of a run in a console window of its own, which closes when the run ends.
inline constexpr std::string_view kPressEnterToClose = "Nacisnij Enter, aby zamknac okno.\n";

// What is wrong with one input line; printed after "dane.txt: wiersz <n>: ".
inline constexpr std::string_view kBadFormat = "nieprawidlowy format danych";
inline constexpr std::string_view kBadTag =
    "nieprawidlowy oznaczenie ukladu wspolrzednych (dozwolone: W - WGS84, P - PUWG92)";
inline constexpr std::string_view kOutOfRange = "wspolrzedne poza dopuszczalnym zakresem";

void print_text(std::FILE* console, std::string_view text);

// "<input file>: wiersz <line_number>: <problem>\n"
void print_line_problem(std::FILE* console, std::uint64_t line_number, std::string_view problem);

// "Wczytano <lines_read> wierszy z pliku <input file>\n"
void print_summary(std::FILE* console, std::uint64_t lines_read);

}  // namespace zelmor
