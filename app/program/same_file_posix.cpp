#include "same_file.hpp"

#include <sys/stat.h>

namespace zelmor {

// A file is known by its device and inode.
bool is_same_file(std::FILE* open_file, const char* path)
{
    struct stat opened {};
    struct stat named {};
    if (fstat(fileno(open_file), &opened) != 0 || stat(path, &named) != 0 || S_ISCHR(opened.st_mode)) {
        return false;
    }
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

}  // namespace zelmor
