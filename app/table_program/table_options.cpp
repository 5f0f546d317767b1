#include "table_options.hpp"

#include <string_view>

#include "table_records.hpp"

namespace zelmor {

const char* const kTableUsage =
    "Uzycie: zelmor-csv [opcje] [TABELA] [-o WYNIK]\n"
    "Przelicza wspolrzedne w tabeli (CSV, eksport arkusza, wykaz punktow) miedzy WGS84 a PUWG 1992.\n"
    "Kazdy wiersz zostaje, bajt w bajt, w swojej kolejnosci; na jego koncu dochodza trzy komorki:\n"
    "wspolrzedne drugiego ukladu (cztery miejsca po przecinku, z separatorem dziesietnym tabeli) i\n"
    "status: \"ok\" albo powod, dla ktorego wiersza nie przeliczono (opisany tez na standardowym\n"
    "wyjsciu bledow, z numerem wiersza pliku). Separator, separator dziesietny, naglowek i kolumny\n"
    "wspolrzednych sa rozpoznawane z tabeli; gdy tabela zostawia watpliwosc, nic nie jest zapisywane,\n"
    "a komunikat mowi, ktora opcja ja rozstrzyga.\n"
    "  TABELA                  plik wejscia; bez niego albo \"-\": standardowe wejscie\n"
    "  -o WYNIK                plik wyniku (nigdy plik wejscia); bez niego: standardowe wyjscie\n"
    "  --to puwg92|wgs84       kierunek: do ukladu PUWG 1992 albo do WGS84\n"
    "  --columns A,B           kolumny wspolrzednych (numery od 1 albo nazwy z naglowka), w kolejnosci osi\n"
    "  --gis                   kolejnosc osi GIS: najpierw wschodnia (y, dlugosc), potem polnocna (x,\n"
    "                          szerokosc), w kolumnach czytanych i zapisywanych; bez niej kolejnosc\n"
    "                          geodezyjna: x (polnocna) przed y, szerokosc przed dlugoscia. Eksport CSV\n"
    "                          z QGIS (kolumny X i Y z geometrii AS_XY) ma kolejnosc GIS: podaj --gis.\n"
    "  --delimiter ';'|','|tab|blanks   separator komorek (blanks: spacje i tabulatory, jak w wykazie)\n"
    "  --decimal .|,           separator dziesietny\n"
    "  --header yes|no         czy pierwszy wiersz jest naglowkiem\n"
    "  --help, -h              ten opis\n"
    "  --version               wersja programu\n"
    "Status wyjscia: 0 kazdy wiersz przeliczony, 1 nie kazdy (patrz komunikaty), 2 tabela nie\n"
    "przeliczona (opcja, plik, watpliwosc co do tabeli).\n";

namespace {

struct Choice {
    std::string_view word;
    char value;
};

constexpr Choice kDelimiterWords[] = {{";", ';'}, {",", ','}, {"tab", '\t'}, {"\t", '\t'}, {"blanks", kBlanks}};
constexpr Choice kDecimalWords[] = {{".", '.'}, {",", ','}};

bool choose(char& value, std::string_view word, const Choice* choices, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (choices[i].word == word) {
            value = choices[i].value;
            return true;
        }
    }
    return false;
}

// Reads the value of the option `option`; false with `refusal` set when it is not one of its values.
bool read_value(TableOptions& options, std::string& refusal, std::string_view option, std::string_view value)
{
    ShapeAsked& asked = options.asked;
    bool known = true;
    if (option == "--to") {
        known = value == "puwg92" || value == "wgs84";
        asked.direction = value == "puwg92" ? Direction::kToGrid : Direction::kToGeodetic;
    } else if (option == "--columns") {
        const std::size_t comma = value.find(',');
        known = comma != std::string_view::npos && comma > 0 && comma + 1 < value.size();
        asked.columns[0] = value.substr(0, comma);
        asked.columns[1] = known ? value.substr(comma + 1) : std::string_view();
    } else if (option == "--delimiter") {
        known = choose(asked.delimiter, value, kDelimiterWords, std::size(kDelimiterWords));
    } else if (option == "--decimal") {
        known = choose(asked.decimal, value, kDecimalWords, std::size(kDecimalWords));
    } else if (option == "--header") {
        known = value == "yes" || value == "no";
        asked.header = value == "yes" ? 1 : 0;
    } else if (option == "-o" || option == "--output") {
        options.output_path = value.data();
    }
    if (!known) {
        refusal = "niedozwolona wartosc opcji " + std::string(option) + ": " + std::string(value);
    }
    return known;
}

bool takes_value(std::string_view option)
{
    return option == "--to" || option == "--columns" || option == "--delimiter" || option == "--decimal" ||
           option == "--header" || option == "-o" || option == "--output";
}

}  // namespace

TableAsked read_table_options(TableOptions& options, std::string& refusal, int argc, const char* const* argv)
{
    options = TableOptions{{0, 0, -1, {"", ""}, Direction::kUnknown, AxisOrder::kPolish}, nullptr, nullptr};
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            return TableAsked::kHelp;
        }
        if (argument == "--version") {
            return TableAsked::kVersion;
        }
        if (argument == "--gis") {
            options.asked.order = AxisOrder::kGis;
        } else if (takes_value(argument)) {
            if (i + 1 == argc) {
                refusal = "opcja " + std::string(argument) + " wymaga wartosci";
                return TableAsked::kRefused;
            }
            if (!read_value(options, refusal, argument, argv[++i])) {
                return TableAsked::kRefused;
            }
        } else if (argument.size() > 1 && argument[0] == '-') {
            refusal = "nieznana opcja " + std::string(argument) + " (zelmor-csv --help mowi wiecej)";
            return TableAsked::kRefused;
        } else if (options.input_path != nullptr) {
            refusal = "podano wiecej niz jedna tabele: " + std::string(argument);
            return TableAsked::kRefused;
        } else {
            options.input_path = argv[i];
        }
    }
    return TableAsked::kRun;
}

}  // namespace zelmor
