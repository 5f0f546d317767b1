#include "table_cells.hpp"

#include <cstring>

#include "decimal_number.hpp"
#include "table_records.hpp"

namespace zelmor {
namespace {

// The longest number with a decimal comma read: far more digits than any coordinate is written with.
constexpr std::size_t kMaxCommaNumberLength = 128;

bool is_blank_byte(char byte)
{
    return byte == ' ' || byte == '\t' || byte == '\r';
}

std::string_view trim(std::string_view text)
{
    while (!text.empty() && is_blank_byte(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && is_blank_byte(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The length of the cell at the start of `rest`: up to the delimiter outside quotes.
std::size_t cell_length(std::string_view rest, char delimiter)
{
    const bool blanks = delimiter == kBlanks;
    std::size_t i = 0;
    if (!rest.empty() && rest[0] == kQuote) {
        // A quoted cell: to its closing quote ("" is a quote inside), then on to the delimiter.
        for (i = 1; i < rest.size(); ++i) {
            if (rest[i] == kQuote) {
                if (i + 1 < rest.size() && rest[i + 1] == kQuote) {
                    ++i;
                    continue;
                }
                ++i;
                break;
            }
        }
    }
    for (; i < rest.size(); ++i) {
        const char byte = rest[i];
        if (blanks ? byte == ' ' || byte == '\t' : byte == delimiter) {
            break;
        }
    }
    return i;
}

}  // namespace

bool is_blank(std::string_view cell)
{
    return trim(cell).empty();
}

std::size_t split_cells(std::string_view* cells, std::size_t room, std::string_view row, char delimiter)
{
    const bool blanks = delimiter == kBlanks;
    std::size_t count = 0;
    std::string_view rest = row;
    while (true) {
        if (blanks) {
            while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) {
                rest.remove_prefix(1);
            }
            if (rest.empty() || (rest.size() == 1 && rest.front() == '\r')) {
                return count;
            }
        }
        const std::size_t length = cell_length(rest, delimiter);
        if (count < room) {
            cells[count] = rest.substr(0, length);
        }
        ++count;
        if (length == rest.size()) {
            return count;
        }
        rest.remove_prefix(length + 1);
    }
}

bool read_cell_number(double& value, std::string_view cell, char decimal)
{
    std::string_view text = trim(cell);
    if (text.size() >= 2 && text.front() == kQuote && text.back() == kQuote) {
        text = trim(text.substr(1, text.size() - 2));
    }
    const char other = decimal == ',' ? '.' : ',';
    if (text.empty() || text.find(other) != std::string_view::npos || text.find(kQuote) != std::string_view::npos) {
        return false;
    }
    // A decimal comma becomes the point that the program's number reader takes.
    char copy[kMaxCommaNumberLength];
    if (decimal == ',') {
        if (text.size() > sizeof copy) {
            return false;
        }
        std::memcpy(copy, text.data(), text.size());
        char* comma = static_cast<char*>(std::memchr(copy, ',', text.size()));
        if (comma != nullptr) {
            *comma = '.';
        }
        text = std::string_view(copy, text.size());
    }
    double read = 0;
    if (read_decimal(read, text) != text.size()) {
        return false;
    }
    value = read;
    return true;
}

}  // namespace zelmor
