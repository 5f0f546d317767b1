// The cells of one row, and the numbers in them.
#pragma once

#include <cstddef>
#include <string_view>

namespace zelmor {

// Splits `row` into its cells, each as the file holds it (a quoted one with its quotes), the first
// `room` of them into `cells`; returns how many cells the row has. With kBlanks as the delimiter, runs
// of spaces and tabs part the cells, and blanks at the row's start or end make none.
std::size_t split_cells(std::string_view* cells, std::size_t room, std::string_view row, char delimiter);

// Reads `cell` as one number with `decimal` ('.' or ',') as its decimal separator, as the program reads
// a coordinate: blanks around it and quotes around the whole are allowed, nothing else. A number with
// the other separator in it is not one (a "." in a table of decimal commas may be a thousands mark).
// Returns false, leaving `value` as it was, when the cell is not one number.
bool read_cell_number(double& value, std::string_view cell, char decimal);

// Whether the cell is empty or only blanks (a CR that a line end left included).
bool is_blank(std::string_view cell);

}  // namespace zelmor
