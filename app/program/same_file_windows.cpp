#include "same_file.hpp"

#include <cstring>

#include <io.h>
#include <windows.h>

namespace zelmor {
namespace {

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

}  // namespace zelmor
