#include "table_messages.hpp"

#include <string>

#include "messages.hpp"

namespace zelmor {
namespace {

struct Doubt {
    ShapeStatus status;
    std::string_view before_detail;
    std::string_view after_detail;
};

constexpr Doubt kDoubts[] = {
    {ShapeStatus::kNoRows, "tabela nie ma wierszy", ""},
    {ShapeStatus::kNoCoordinates, "nie znaleziono kolumn ze wspolrzednymi (wskaz je: --columns A,B)", ""},
    {ShapeStatus::kSeveralPairs, "wspolrzednymi moga byc kolumny ", " (wskaz je: --columns A,B)"},
    {ShapeStatus::kBothSystems, "naglowek ma kolumny obu ukladow (wybierz kierunek: --to puwg92 albo --to wgs84)", ""},
    {ShapeStatus::kMixedDecimals,
     "liczby sa zapisane z kropka i z przecinkiem (wskaz separator dziesietny: --decimal . albo --decimal ,)", ""},
    {ShapeStatus::kDegreesUnderXY,
     "kolumny X i Y maja wartosci w stopniach, X szerokosci, a Y dlugosci (wskaz kolumny: --columns A,B)", ""},
    {ShapeStatus::kSwappedGeodetic,
     "kolumna szerokosci ma wartosci dlugosci, a kolumna dlugosci wartosci szerokosci (wskaz kolumny: --columns B,L)",
     ""},
    {ShapeStatus::kNotWhatNamed, "wartosci kolumny ",
     " nie moga byc tym, co mowi jej nazwa (wskaz kolumny: --columns A,B)"},
    {ShapeStatus::kColumnNotFound, "nie ma kolumny ", " (--columns: numery kolumn od 1 albo nazwy z naglowka)"},
    {ShapeStatus::kDirectionUnknown,
     "nie wiadomo, w ktorym ukladzie sa wskazane kolumny (wybierz kierunek: --to puwg92 albo --to wgs84)", ""},
};

}  // namespace

void print_shape_doubt(std::FILE* console, std::string_view name, ShapeStatus status, std::string_view detail)
{
    for (const Doubt& doubt : kDoubts) {
        if (doubt.status == status) {
            print_text(console, kTableProgram);
            print_escaped(console, name);
            print_text(console, ": ");
            print_text(console, doubt.before_detail);
            if (!doubt.after_detail.empty()) {
                print_escaped(console, detail);
                print_text(console, doubt.after_detail);
            }
            print_text(console, "\n");
        }
    }
}

void print_table_summary(std::FILE* console, std::string_view name, std::uint64_t failed, std::uint64_t rows)
{
    const std::string text =
        ": nie przeliczono " + std::to_string(failed) + " z " + std::to_string(rows) + " wierszy (opisane wyzej)\n";
    print_text(console, kTableProgram);
    print_escaped(console, name);
    print_text(console, text);
}

void print_file_failure(std::FILE* console, std::string_view what, std::string_view name)
{
    print_text(console, kTableProgram);
    print_text(console, "Blad: ");
    print_text(console, what);
    print_text(console, " ");
    print_escaped(console, name);
    print_text(console, "\n");
}

}  // namespace zelmor
