// What the program says, written out once for every test as a user reads it: kept apart from the
// program's own table, so that a slip in either one shows.
#pragma once

#include <string>

namespace zelmor_test {

// The four banner lines and the empty line that begin every run.
inline const std::string kBanner =
    "ZELMOR wersja 1.0\n"
    "Program do konwersji wspolrzednych miedzy ukladami WGS84 a PUWG92\n"
    "Dane pobierane sa z pliku dane.txt\n"
    "Wyniki konwersji zapisywane sa do pliku wyniki.txt\n"
    "\n";

// The failures that end a run.
inline const std::string kInputMissing = "Blad: nie znaleziono pliku dane.txt\n";
inline const std::string kOutputNotCreated = "Blad: nie mozna utworzyc pliku wyniki.txt\n";
inline const std::string kOutputNotWritten = "Blad: nie mozna zapisac pliku wyniki.txt\n";
inline const std::string kInputNotRead = "Blad: nie mozna odczytac pliku dane.txt\n";

// On standard error, when standard output is `file` ("dane.txt" or "wyniki.txt").
inline std::string console_is(const std::string& file)
{
    return "Blad: standardowe wyjscie jest plikiem " + file + "\n";
}

// On standard error, when the program is given an argument other than --help or --version.
inline std::string argument_not_taken(const std::string& argument)
{
    return "Blad: zelmor nie przyjmuje argumentow (podano: " + argument +
           "); przelicza plik dane.txt z biezacego katalogu (zelmor --help mowi wiecej)\n";
}

// What can be wrong with a line.
inline const std::string kFormat = "nieprawidlowy format danych";
inline const std::string kTag = "nieprawidlowy oznaczenie ukladu wspolrzednych (dozwolone: W - WGS84, P - PUWG92)";
inline const std::string kRange = "wspolrzedne poza dopuszczalnym zakresem";

// "dane.txt: wiersz <line>: <what>\n"
inline std::string problem(long long line, const std::string& what)
{
    return "dane.txt: wiersz " + std::to_string(line) + ": " + what + "\n";
}

// "Wczytano <lines> wierszy z pliku dane.txt\n"
inline std::string summary(long long lines)
{
    return "Wczytano " + std::to_string(lines) + " wierszy z pliku dane.txt\n";
}

}  // namespace zelmor_test
