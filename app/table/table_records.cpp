#include "table_records.hpp"

#include <cerrno>
#include <cstring>

namespace zelmor {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";  // UTF-8's, which "CSV UTF-8" exports start with
constexpr QuoteState kRowStart = {false, true, false};

bool ends_cell(char byte, char delimiter)
{
    return delimiter == kBlanks ? byte == ' ' || byte == '\t' : byte == delimiter;
}

// The row's end the byte-by-byte way, for rows with a quote in them.
std::size_t scan_quoted(QuoteState& state, std::uint64_t& inner_lines, std::string_view bytes, char delimiter)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char byte = bytes[i];
        if (state.in_quotes) {
            if (state.quote_pending) {
                state.quote_pending = false;
                if (byte == kQuote) {
                    continue;  // "" is a quote in the cell's text
                }
                state.in_quotes = false;  // the quote closed the cell; this byte is read as outside
            } else if (byte == kQuote) {
                state.quote_pending = true;
                continue;
            } else {
                inner_lines += byte == '\n' ? 1 : 0;
                continue;
            }
        }
        if (byte == '\n') {
            state = kRowStart;
            return i;
        }
        if (state.at_cell_start && byte == kQuote) {
            state.in_quotes = true;
            state.at_cell_start = false;
            continue;
        }
        state.at_cell_start = ends_cell(byte, delimiter);
    }
    return bytes.size();
}

}  // namespace

std::size_t find_row_end(QuoteState& state, std::uint64_t& inner_lines, std::string_view bytes, char delimiter)
{
    if (!state.in_quotes) {
        // Most rows hold no quote: the LF ends them.
        const void* found = std::memchr(bytes.data(), '\n', bytes.size());
        const std::size_t length =
            found == nullptr ? bytes.size() : static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data());
        const bool quote_first = state.at_cell_start && length > 0 && bytes[0] == kQuote;
        if (!quote_first && std::memchr(bytes.data(), kQuote, length) == nullptr) {
            if (found != nullptr) {
                state = kRowStart;
            } else if (length > 0) {
                state.at_cell_start = ends_cell(bytes[length - 1], delimiter);
            }
            return length;
        }
    }
    return scan_quoted(state, inner_lines, bytes, delimiter);
}

std::size_t whole_rows(std::string_view bytes, char delimiter)
{
    std::size_t whole = 0;
    while (whole < bytes.size()) {
        QuoteState state = kRowStart;
        std::uint64_t inner_lines = 0;
        const std::size_t end = find_row_end(state, inner_lines, bytes.substr(whole), delimiter);
        if (whole + end == bytes.size()) {
            break;
        }
        whole += end + 1;
    }
    return whole;
}

RecordReader make_record_reader(std::FILE* file, char* data, std::size_t capacity, const StopFlag* stop)
{
    return RecordReader{file, stop, data, capacity, 0, 0, 0, ',', kRowStart, 1, 0, false, false, false, false};
}

RecordStatus read_records(RecordReader& reader)
{
    if (stop_asked(reader.stop)) {
        return RecordStatus::kStopped;
    }
    const std::size_t unread = reader.end - reader.begin;
    if (reader.begin != 0) {
        std::memmove(reader.data, reader.data + reader.begin, unread);
        reader.begin = 0;
        reader.end = unread;
    }
    errno = 0;
    const std::size_t count = std::fread(reader.data + reader.end, 1, reader.capacity - reader.end, reader.file);
    reader.end += count;
    if (std::ferror(reader.file)) {
        // A wait cut short by a signal keeps what arrived; the next read tells whether it asked for a stop.
        if (errno != EINTR) {
            return RecordStatus::kReadFailed;
        }
        std::clearerr(reader.file);
    } else if (count == 0) {
        reader.at_end_of_file = true;
    }
    // The mark is told once three bytes are in (or the file is shorter): a slow pipe may bring fewer.
    if (!reader.mark_checked && (reader.end >= kByteOrderMark.size() || reader.at_end_of_file)) {
        reader.mark_checked = true;
        reader.byte_order_mark = unread_bytes(reader).starts_with(kByteOrderMark);
        reader.begin = reader.byte_order_mark ? kByteOrderMark.size() : 0;
    }
    return RecordStatus::kRecord;
}

RecordStatus next_record(Record& record, RecordReader& reader)
{
    const std::string_view unread = unread_bytes(reader);
    if (!reader.mark_checked) {
        return RecordStatus::kNeedBytes;
    }
    if (unread.empty()) {
        return reader.at_end_of_file ? RecordStatus::kNoMoreRows : RecordStatus::kNeedBytes;
    }
    const std::size_t row_end = reader.scanned + find_row_end(reader.quotes, reader.inner_lines,
                                                              unread.substr(reader.scanned), reader.delimiter);
    record.line_number = reader.line_number;
    const bool whole_buffer = reader.begin == 0 && reader.end == reader.capacity;
    if (row_end == unread.size() && !reader.at_end_of_file && !whole_buffer) {
        reader.scanned = row_end;
        return RecordStatus::kNeedBytes;
    }
    std::size_t length = row_end;
    std::size_t used = row_end;
    record.complete = true;
    if (row_end < unread.size()) {
        used = row_end + 1;  // the LF
        length -= length > 0 && unread[length - 1] == '\r' ? 1 : 0;
        record.line_end = unread.substr(length, used - length);
    } else if (reader.at_end_of_file) {
        record.line_end = std::string_view();
    } else {
        // A row longer than the whole buffer: this piece now, the rest as it comes. A CR at the piece's
        // end is kept back, since it may be the first byte of a CR LF.
        length -= length > 1 && unread[length - 1] == '\r' ? 1 : 0;
        used = length;
        record.complete = false;
        record.line_end = std::string_view();
    }
    record.text = unread.substr(0, length);
    reader.begin += used;
    reader.scanned = 0;
    if (record.complete) {
        reader.line_number += 1 + reader.inner_lines;
        reader.inner_lines = 0;
        reader.quotes = kRowStart;
    }
    reader.in_long_row = !record.complete;
    return RecordStatus::kRecord;
}

}  // namespace zelmor
