// The two files of a run, in the current directory. (The messages name them in their own texts.)
#pragma once

namespace zelmor {

inline constexpr char kInputFileName[] = "dane.txt";     // the points to convert
inline constexpr char kOutputFileName[] = "wyniki.txt";  // the converted points

}  // namespace zelmor
