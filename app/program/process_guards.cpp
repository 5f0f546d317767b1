#include "process_guards.hpp"

#include "messages.hpp"

#ifdef _WIN32
#include <cstdlib>
#include <cstring>

#include <io.h>
#include <windows.h>
#else
#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#endif

namespace zelmor {
namespace {

// The signal that asked the program to stop, or 0: written by the handlers, read by the run.
StopFlag requested_stop{0};

}  // namespace

const StopFlag& stop_signal()
{
    return requested_stop;
}

#ifndef _WIN32

namespace {

constexpr int kStandardDescriptors = 3;  // standard input, output and error: descriptors 0, 1, 2
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};  // the signals that ask a program to stop

// Puts the null device on descriptor `fd`, which is closed.
void occupy_with_null_device(int fd)
{
    const int null_fd = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (null_fd >= 0 && null_fd != fd) {
        dup2(null_fd, fd);
        close(null_fd);
    }
}

// How often a stopping run's waits are cut short, microseconds (see note_stop).
constexpr suseconds_t kWakeInterval = 50000;

// Notes the stop, and from then on has the system interrupt whatever the run waits in every
// kWakeInterval: a read of a quiet pipe, the open of a FIFO that no one opened at its other end, a write
// to a pipe that no one reads. Each such call then fails with EINTR, which the run takes as the stop,
// however long the wait would have been. The first interruption comes from the stop signal itself; the
// timer's are for a signal that lands just before the run begins to wait, too late to cut that call.
// (setitimer is a plain system call, safe in a handler.)
void note_stop(int signal)
{
    requested_stop = signal;
    const itimerval wake{{0, kWakeInterval}, {0, kWakeInterval}};
    setitimer(ITIMER_REAL, &wake, nullptr);
}

// The timer's signal does nothing but interrupt the call the run waits in.
void interrupt_the_wait(int) {}

// Notes each stop signal in requested_stop; the handler is then removed (SA_RESETHAND), so that a
// second one ends the program at once, wherever it is. Calls that wait are interrupted rather than
// resumed (no SA_RESTART), so that a stop is heard there too. A signal that the process was started with
// ignored (as a shell does for a job in the background, and nohup for SIGHUP) stays ignored.
void catch_stop_signals()
{
    struct sigaction noting {};
    noting.sa_handler = note_stop;
    noting.sa_flags = static_cast<int>(SA_RESETHAND);
    sigemptyset(&noting.sa_mask);
    for (const int signal : kStopSignals) {
        struct sigaction before {};
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
            sigaction(signal, &noting, nullptr);
        }
    }
    struct sigaction waking {};
    waking.sa_handler = interrupt_the_wait;
    sigemptyset(&waking.sa_mask);
    sigaction(SIGALRM, &waking, nullptr);
}

}  // namespace

void end_by_signal(int signal)
{
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);  // only if the signal did not end the process
}

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

bool is_same_file(std::FILE* open_file, const char* path)
{
    struct stat opened {};
    struct stat named {};
    if (fstat(fileno(open_file), &opened) != 0 || stat(path, &named) != 0 || S_ISCHR(opened.st_mode)) {
        return false;
    }
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

void keep_own_console_window_open() {}

#else

namespace {

// The exit status of a console program ended by Ctrl-C (STATUS_CONTROL_C_EXIT), as the command prompt
// knows it.
constexpr UINT kInterruptedStatus = 0xC000013A;
// How long the console's closing waits for the run to finish its block, ms: Windows ends the program
// itself 5 s after the window is closed.
constexpr DWORD kCloseGraceMs = 4000;

// Runs on a thread of its own when the console is interrupted or closed: notes the event (as a signal
// number; only that one came matters) and lets the run finish its block. A closed window ends the
// program as soon as this returns, so for that it waits, long enough for the run to end the program
// itself first.
BOOL WINAPI note_console_event(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT: requested_stop = SIGINT; return TRUE;
    case CTRL_BREAK_EVENT: requested_stop = SIGBREAK; return TRUE;
    case CTRL_CLOSE_EVENT: requested_stop = SIGTERM; Sleep(kCloseGraceMs); return TRUE;
    default: return FALSE;
    }
}

}  // namespace

void end_by_signal(int)
{
    ExitProcess(kInterruptedStatus);
}

bool prepare_process()
{
    SetConsoleCtrlHandler(note_console_event, TRUE);
    return true;
}

namespace {

// Whether the run should end by waiting for Enter: only in a console window of its own (this run is the
// only process on it) with its input from that window.
bool should_wait_for_enter(unsigned long processes_on_console, bool input_is_console)
{
    return processes_on_console == 1 && input_is_console;
}

// A file is known by the serial number of its volume and its index on that volume, as a Unix file by
// its device and inode. Wine, which runs this program in the tests, knows no volume for a handle that a
// Unix parent passed on (a redirected standard output) and gives 0 for it; its index is right, so a
// volume of 0 matches any, for handles of files on disk only (a pipe's index may be any number).
bool same_file(HANDLE first, HANDLE second)
{
    FILE_ID_INFO first_id{};
    FILE_ID_INFO second_id{};
    if (GetFileType(first) != FILE_TYPE_DISK || GetFileType(second) != FILE_TYPE_DISK ||
        GetFileInformationByHandleEx(first, FileIdInfo, &first_id, sizeof first_id) == 0 ||
        GetFileInformationByHandleEx(second, FileIdInfo, &second_id, sizeof second_id) == 0) {
        return false;
    }
    const bool same_volume = first_id.VolumeSerialNumber == second_id.VolumeSerialNumber ||
                             first_id.VolumeSerialNumber == 0 || second_id.VolumeSerialNumber == 0;
    return same_volume && std::memcmp(&first_id.FileId, &second_id.FileId, sizeof first_id.FileId) == 0;
}

}  // namespace

bool is_same_file(std::FILE* open_file, const char* path)
{
    const auto opened = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(open_file)));
    if (opened == INVALID_HANDLE_VALUE) {
        return false;
    }
    // Opened for no access at all, only to ask what file it is; others may go on using it meanwhile.
    const HANDLE named = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (named == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool same = same_file(opened, named);
    CloseHandle(named);
    return same;
}

void keep_own_console_window_open()
{
    DWORD processes[2];  // this run, and whether there is any other
    DWORD mode = 0;
    const bool input_is_console = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
    if (!should_wait_for_enter(GetConsoleProcessList(processes, 2), input_is_console)) {
        return;
    }
    print_text(stdout, kPressEnterToClose);
    std::fflush(stdout);
    for (int c = std::getchar(); c != '\n' && c != EOF; c = std::getchar()) {
    }
}

#endif

}  // namespace zelmor
