#include "process_guards.hpp"

#ifndef _WIN32
#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zelmor {

#ifndef _WIN32

namespace {

constexpr int kStandardDescriptors = 3;  // standard input, output and error: descriptors 0, 1, 2

// Puts the null device on descriptor `fd`, which is closed.
void occupy_with_null_device(int fd)
{
    const int null_fd = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (null_fd >= 0 && null_fd != fd) {
        dup2(null_fd, fd);
        close(null_fd);
    }
}

}  // namespace

bool prepare_process()
{
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    bool output_open = true;
    for (int fd = 0; fd < kStandardDescriptors; ++fd) {
        if (fcntl(fd, F_GETFD) == -1) {
            output_open = output_open && fd != STDOUT_FILENO;
            occupy_with_null_device(fd);
        }
    }
    return output_open;
}

bool is_same_file(std::FILE* open_file, const char* path)
{
    struct stat opened {};
    struct stat named {};
    if (fstat(fileno(open_file), &opened) != 0 || stat(path, &named) != 0) {
        return false;
    }
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

#else

bool prepare_process()
{
    return true;
}

bool is_same_file(std::FILE*, const char*)
{
    return false;
}

#endif

}  // namespace zelmor
