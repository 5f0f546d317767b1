// The rows of a table, read from a file in large blocks and handed out in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "stop_flag.hpp"

namespace zelmor {

// The delimiter that stands for runs of blanks (spaces and tabs), as in a total station's listing.
inline constexpr char kBlanks = ' ';
inline constexpr char kQuote = '"';

// Where a cell starts and whether it is quoted, carried from one piece of a row to the next. A quote is
// special only as a cell's first byte, as spreadsheets write it and Python's csv module reads it: there
// it opens a quoted cell, in which delimiters and line ends are text and a doubled quote is one quote.
struct QuoteState {
    bool in_quotes;
    bool at_cell_start;
    bool quote_pending;  // in a quoted cell, the last byte was a quote: it closes the cell or starts ""
};

// One row as the file holds it. A row ends at a LF outside quotes; a CR right before that LF belongs to
// the line end. A row longer than the buffer comes in pieces, each with `complete` false but the last.
struct Record {
    std::string_view text;      // the row's bytes (this piece's), without its line end
    std::string_view line_end;  // "\n", "\r\n", or "" for a last row without one (or an inner piece)
    std::uint64_t line_number;  // the file's line on which the row starts, from 1
    bool complete;              // false for every piece of a long row but its last
};

// A reader over `file` using the caller's buffer `data` of `capacity` bytes. A UTF-8 byte order mark at
// the start of the file is held apart (`byte_order_mark`), so that the first row's first cell does not
// start with it; it is written back before the first row. When `stop` becomes non-zero (a signal
// handler sets it), the reader reads no more; the rows it holds are still handed out.
struct RecordReader {
    std::FILE* file;
    const StopFlag* stop;
    char* data;
    std::size_t capacity;
    std::size_t begin;          // first byte of the next row
    std::size_t scanned;        // bytes from `begin` on already scanned for the row's end (with `quotes`)
    std::size_t end;            // one past the last byte read
    char delimiter;             // what ends a cell, for the quoting rules; kBlanks for runs of blanks
    QuoteState quotes;          // the state at `begin + scanned`
    std::uint64_t line_number;  // the line on which the next row starts
    std::uint64_t inner_lines;  // LFs inside quotes in the part of the row scanned
    bool at_end_of_file;
    bool mark_checked;     // the file's first bytes have been looked at for a byte order mark
    bool byte_order_mark;  // the file starts with one
    bool in_long_row;      // the pieces handed out so far are of a row not yet ended
};

RecordReader make_record_reader(std::FILE* file, char* data, std::size_t capacity, const StopFlag* stop);

enum class RecordStatus {
    kRecord,      // `record` holds the next row, or piece of one
    kNeedBytes,   // the buffer holds no whole row more: read_records, then ask again
    kNoMoreRows,  // the file is exhausted
    kReadFailed,  // the file could not be read
    kStopped,     // a stop was asked for
};

// Reads more of the file (moving the unread bytes to the buffer's start first, which ends the life of
// every row handed out): kRecord when bytes came or the end was reached, else kReadFailed or kStopped.
RecordStatus read_records(RecordReader& reader);

// The next row from the bytes in the buffer; it stays valid until read_records.
RecordStatus next_record(Record& record, RecordReader& reader);

// The bytes of the buffer not handed out yet: what the table's shape is told from, before any row is.
inline std::string_view unread_bytes(const RecordReader& reader)
{
    return std::string_view(reader.data + reader.begin, reader.end - reader.begin);
}

// The length of the whole rows at the start of `bytes` under the quoting rules of `delimiter`: up to the
// LF that ends the last row ending there (`bytes` starting at a row's start).
std::size_t whole_rows(std::string_view bytes, char delimiter);

// Finds the end of a row in `bytes` under the quoting rules, from `state`: the offset of the LF that
// ends it, or bytes.size() when it does not end there (then `state` and `inner_lines` hold where the
// scan stopped, to go on from).
std::size_t find_row_end(QuoteState& state, std::uint64_t& inner_lines, std::string_view bytes, char delimiter);

}  // namespace zelmor
