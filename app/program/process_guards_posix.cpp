#include "process_guards.hpp"

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

#include "stop_signals.hpp"

namespace zelmor {
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
    catch_stop_signals();
    bool output_open = true;
    for (int fd = 0; fd < kStandardDescriptors; ++fd) {
        if (fcntl(fd, F_GETFD) == -1) {
            output_open = output_open && fd != STDOUT_FILENO;
            occupy_with_null_device(fd);
        }
    }
    return output_open;
}

}  // namespace zelmor
