// The table converter's command line.
#pragma once

#include <string>

#include "table_shape.hpp"

namespace zelmor {

struct TableOptions {
    ShapeAsked asked;
    const char* input_path;   // nullptr (or "-"): standard input
    const char* output_path;  // nullptr: standard output
};

enum class TableAsked {
    kRun,
    kHelp,
    kVersion,
    kRefused,  // `refusal` says why
};

// Reads the command line. Every value of an option is checked here, so that a run never starts on a
// misspelt one.
TableAsked read_table_options(TableOptions& options, std::string& refusal, int argc, const char* const* argv);

// The answer to --help.
extern const char* const kTableUsage;

}  // namespace zelmor
