// Runs a command with its standard output discarded and prints its wall time in seconds: a timer with
// less overhead and finer grain than a shell's, for the whole-program benchmark.
//
//   wall_time command [arguments...]
#include <chrono>
#include <cstdio>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: wall_time command [arguments...]\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int null_output = open("/dev/null", O_WRONLY);
        dup2(null_output, STDOUT_FILENO);
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.6f\n", seconds);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
