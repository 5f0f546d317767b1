// The program's command line: it takes no arguments, but answers the two questions a newcomer asks.
#pragma once

#include <cstdio>

namespace zelmor {

// What a command line asks for.
enum class Asked {
    kRun,               // no arguments: convert "dane.txt"
    kQuestionAnswered,  // --help or --version, answered on standard output
    kArgumentRefused,   // anything else, refused on standard error
};

// Answers `--help` (or `-h`, and `/?` on Windows) with the program's usage and `--version` with its
// version, on standard output. Any other command line with arguments is refused with one line on
// `refusals` (standard error; nullptr to say nothing) that names the argument, its control characters
// written as escapes (a newline as \n), and says where the points are read from. Prints nothing for a
// command line without arguments. Touches no file either way.
Asked answer_command_line(int argc, const char* const* argv, std::FILE* refusals);

}  // namespace zelmor
