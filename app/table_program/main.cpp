// zelmor-csv: converts the coordinates of a table (a CSV file, a spreadsheet's export, a listing of
// points) between WGS84 and the PUWG 1992 grid, giving back the same table with the other system's
// coordinates and a status in new cells at the end of each row.
#include <cstdio>
#include <string>
#include <string_view>

#include "messages.hpp"
#include "process_guards.hpp"
#include "same_file.hpp"
#include "stop_signals.hpp"
#include "table_messages.hpp"
#include "table_options.hpp"
#include "table_run.hpp"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

using namespace zelmor;

constexpr int kEveryRowConverted = 0;
constexpr int kSomeRowsNotConverted = 1;  // each named in a message
constexpr int kTableNotConverted = 2;     // an option, a file, or a doubt about the table's shape

// The name messages give a table read from standard input.
constexpr std::string_view kStandardInputName = "-";

int refuse(std::string_view why)
{
    print_text(stderr, kTableProgram);
    print_text(stderr, "Blad: ");
    print_escaped(stderr, why);
    print_text(stderr, "\n");
    return kTableNotConverted;
}

void end_if_stopped()
{
    if (stop_asked(&stop_signal())) {
        std::fflush(stderr);
        end_by_signal(stop_signal().load());
    }
}

// The exit status of a run of the rows, once the output is closed; a stop ends the process here.
int finish_rows(TableStatus status, const TableCounts& counts, std::string_view name, std::string_view output_name)
{
    if (status == TableStatus::kStopped) {
        std::fflush(stderr);
        end_by_signal(stop_signal().load());
    }
    if (status == TableStatus::kReadFailed) {
        print_file_failure(stderr, "nie mozna odczytac pliku", name);
        return kTableNotConverted;
    }
    if (status == TableStatus::kWriteFailed) {
        print_file_failure(stderr, "nie mozna zapisac pliku", output_name);
        return kTableNotConverted;
    }
    if (counts.failed > 0) {
        print_table_summary(stderr, name, counts.failed, counts.rows);
        return kSomeRowsNotConverted;
    }
    return kEveryRowConverted;
}

int convert(TableOptions options)
{
    if (options.output_path != nullptr && std::string_view(options.output_path) == "-") {
        options.output_path = nullptr;  // "-o -": standard output, as cs2cs and its kin take it
    }
    const bool from_standard_input = options.input_path == nullptr || std::string_view(options.input_path) == "-";
    const std::string_view name = from_standard_input ? kStandardInputName : std::string_view(options.input_path);
    std::FILE* input = from_standard_input ? stdin : std::fopen(options.input_path, "rb");
    if (input == nullptr) {
        end_if_stopped();
        print_file_failure(stderr, "nie znaleziono pliku", name);
        return kTableNotConverted;
    }
    // The output is never the input: it would be emptied before a row was read, or read back as it grew.
    const bool output_is_input = options.output_path != nullptr
                                     ? is_same_file(input, options.output_path)
                                     : !from_standard_input && is_same_file(stdout, options.input_path);
    if (output_is_input) {
        return refuse("wynik bylby zapisany do pliku wejscia " + std::string(name));
    }
    TableStart start;
    TableStatus status = start_table(start, input, options.asked, &stop_signal());
    if (status == TableStatus::kShapeDoubt) {
        print_shape_doubt(stderr, name, start.shape_status, start.detail);
        return kTableNotConverted;
    }
    if (status != TableStatus::kComplete) {
        return finish_rows(status, TableCounts{0, 0}, name, "");
    }
    const std::string_view output_name = options.output_path != nullptr ? options.output_path : "-";
    std::FILE* output = options.output_path != nullptr ? std::fopen(options.output_path, "wb") : stdout;
    if (output == nullptr) {
        end_if_stopped();
        print_file_failure(stderr, "nie mozna utworzyc pliku", output_name);
        return kTableNotConverted;
    }
    std::setvbuf(input, nullptr, _IONBF, 0);
    std::setvbuf(output, nullptr, _IONBF, 0);
    TableCounts counts;
    status = convert_rows(counts, start, output, stderr, name);
    if ((std::fflush(output) != 0 || (output != stdout && std::fclose(output) != 0)) &&
        status == TableStatus::kComplete) {
        status = TableStatus::kWriteFailed;
    }
    return finish_rows(status, counts, name, output_name);
}

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // The rows go through byte for byte: no CR added before a LF, none taken away.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    prepare_process();
    TableOptions options;
    std::string refusal;
    switch (read_table_options(options, refusal, argc, argv)) {
    case TableAsked::kHelp:
        print_text(stdout, kTableUsage);
        return std::fflush(stdout) == 0 ? kEveryRowConverted : kTableNotConverted;
    case TableAsked::kVersion:
        print_text(stdout, "zelmor-csv " ZELMOR_VERSION "\n");
        return std::fflush(stdout) == 0 ? kEveryRowConverted : kTableNotConverted;
    case TableAsked::kRefused:
        return refuse(refusal);
    case TableAsked::kRun:
        break;
    }
    return convert(options);
}
