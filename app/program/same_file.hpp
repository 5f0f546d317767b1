// Whether a name and an open stream are one file: the guard against reading or writing the run's own
// files through another name.
#pragma once

#include <cstdio>

namespace zelmor {

// True when `path` names the very file that `open_file` is (by the same name, or through a symbolic or
// hard link) and that file holds data: files are compared, not names, and devices such as the null
// device, which hold nothing, are never the same file. False when `path` does not exist.
bool is_same_file(std::FILE* open_file, const char* path);

}  // namespace zelmor
