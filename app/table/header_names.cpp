#include "header_names.hpp"

#include <array>
#include <cstdint>

namespace zelmor {
namespace {

// A Polish letter and its base letter, as UTF-8 (two bytes) and as Windows-1250 (one byte).
struct PolishLetter {
    std::uint8_t utf8_lead;
    std::uint8_t utf8_trail;
    std::uint8_t cp1250;
    char base;
};

constexpr std::array<PolishLetter, 18> kPolishLetters = {{
    {0xC4, 0x85, 0xB9, 'a'},
    {0xC4, 0x84, 0xA5, 'a'},  // ą Ą
    {0xC4, 0x87, 0xE6, 'c'},
    {0xC4, 0x86, 0xC6, 'c'},  // ć Ć
    {0xC4, 0x99, 0xEA, 'e'},
    {0xC4, 0x98, 0xCA, 'e'},  // ę Ę
    {0xC5, 0x82, 0xB3, 'l'},
    {0xC5, 0x81, 0xA3, 'l'},  // ł Ł
    {0xC5, 0x84, 0xF1, 'n'},
    {0xC5, 0x83, 0xD1, 'n'},  // ń Ń
    {0xC3, 0xB3, 0xF3, 'o'},
    {0xC3, 0x93, 0xD3, 'o'},  // ó Ó
    {0xC5, 0x9B, 0x9C, 's'},
    {0xC5, 0x9A, 0x8C, 's'},  // ś Ś
    {0xC5, 0xBA, 0x9F, 'z'},
    {0xC5, 0xB9, 0x8F, 'z'},  // ź Ź
    {0xC5, 0xBC, 0xBF, 'z'},
    {0xC5, 0xBB, 0xAF, 'z'},  // ż Ż
}};

struct KnownName {
    std::string_view folded;
    ColumnName name;
};

constexpr std::array<KnownName, 40> kKnownNames = {{
    {"b", ColumnName::kLatitude},         {"lat", ColumnName::kLatitude},
    {"latitude", ColumnName::kLatitude},  {"szerokosc", ColumnName::kLatitude},
    {"szer", ColumnName::kLatitude},      {"szerokoscgeograficzna", ColumnName::kLatitude},
    {"fi", ColumnName::kLatitude},        {"phi", ColumnName::kLatitude},
    {"bwgs84", ColumnName::kLatitude},    {"latwgs84", ColumnName::kLatitude},
    {"l", ColumnName::kLongitude},        {"lon", ColumnName::kLongitude},
    {"long", ColumnName::kLongitude},     {"longitude", ColumnName::kLongitude},
    {"lng", ColumnName::kLongitude},      {"dlugosc", ColumnName::kLongitude},
    {"dl", ColumnName::kLongitude},       {"dlugoscgeograficzna", ColumnName::kLongitude},
    {"lambda", ColumnName::kLongitude},   {"lwgs84", ColumnName::kLongitude},
    {"lonwgs84", ColumnName::kLongitude}, {"x", ColumnName::kGridX},
    {"x1992", ColumnName::kGridX},        {"x92", ColumnName::kGridX},
    {"xpuwg92", ColumnName::kGridX},      {"xpuwg1992", ColumnName::kGridX},
    {"x2180", ColumnName::kGridX},        {"y", ColumnName::kGridY},
    {"y1992", ColumnName::kGridY},        {"y92", ColumnName::kGridY},
    {"ypuwg92", ColumnName::kGridY},      {"ypuwg1992", ColumnName::kGridY},
    {"y2180", ColumnName::kGridY},        {"northing", ColumnName::kNorthing},
    {"n", ColumnName::kNorthing},         {"npuwg92", ColumnName::kNorthing},
    {"easting", ColumnName::kEasting},    {"e", ColumnName::kEasting},
    {"epuwg92", ColumnName::kEasting},    {"wschod", ColumnName::kEasting},
}};

// Whether `text` is valid UTF-8 (lead bytes with the right number of continuation bytes).
bool is_utf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x6  ? 2
                                   : (lead >> 4) == 0xE  ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<std::uint8_t>(text[i + k]) >> 6) != 0x2) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

char ascii_lower(char byte)
{
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

bool is_letter_or_digit(char byte)
{
    return (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9');
}

// The base letter of the Polish letter at `text[i]`, and its length in bytes; '\0' when it is none.
char polish_base(std::size_t& length, std::string_view text, std::size_t i, bool utf8)
{
    const auto byte = static_cast<std::uint8_t>(text[i]);
    for (const PolishLetter& letter : kPolishLetters) {
        if (utf8 && byte == letter.utf8_lead && i + 1 < text.size() &&
            static_cast<std::uint8_t>(text[i + 1]) == letter.utf8_trail) {
            length = 2;
            return letter.base;
        }
        if (!utf8 && byte == letter.cp1250) {
            length = 1;
            return letter.base;
        }
    }
    length = 1;
    return '\0';
}

}  // namespace

std::string fold_name(std::string_view cell)
{
    const bool utf8 = is_utf8(cell);
    std::string folded;
    int brackets = 0;  // depth in () or []
    for (std::size_t i = 0; i < cell.size();) {
        const char byte = cell[i];
        if (byte == '(' || byte == '[') {
            ++brackets;
        } else if ((byte == ')' || byte == ']') && brackets > 0) {
            --brackets;
        }
        std::size_t length = 1;
        const char base = polish_base(length, cell, i, utf8);
        const char letter = base != '\0' ? base : ascii_lower(byte);
        if (brackets == 0 && is_letter_or_digit(letter)) {
            folded.push_back(letter);
        }
        i += length;
    }
    return folded;
}

ColumnName name_of_column(std::string_view cell)
{
    const std::string folded = fold_name(cell);
    for (const KnownName& known : kKnownNames) {
        if (folded == known.folded) {
            return known.name;
        }
    }
    return ColumnName::kOther;
}

}  // namespace zelmor
