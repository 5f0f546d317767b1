// What the table converter says on standard error: Polish without diacritics, as the program speaks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "table_shape.hpp"

namespace zelmor {

// A row longer than the reader's buffer: kept as it is, with its new cells empty.
inline constexpr std::string_view kRowTooLong = "wiersz dluzszy niz 256 KiB, przepisany bez zmian";

// The start of every message about a whole table: the converter's name.
inline constexpr std::string_view kTableProgram = "zelmor-csv: ";

// Says why the table's shape could not be told, naming the option that settles it:
// "zelmor-csv: <name>: <why> (<option>)\n".
void print_shape_doubt(std::FILE* console, std::string_view name, ShapeStatus status, std::string_view detail);

// "zelmor-csv: <name>: nie przeliczono <failed> z <rows> wierszy (opisane wyzej)\n"
void print_table_summary(std::FILE* console, std::string_view name, std::uint64_t failed, std::uint64_t rows);

// "zelmor-csv: Blad: <what> <name>\n", as the program's "Blad: nie mozna ... pliku dane.txt".
void print_file_failure(std::FILE* console, std::string_view what, std::string_view name);

}  // namespace zelmor
