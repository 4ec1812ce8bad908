#include <windows.h>

#include "platform/FileSystemSync.h"
#include "platform/Win32Text.h"

// Windows has no sync of a whole file system for a user: flushing the volume needs an
// administrator. The renames are in NTFS's journal; the folder's handle, flushed, writes its
// entries out, and the files were flushed when they were written.
bool syncFileSystemOf(const std::string& path) {
    const HANDLE h = CreateFileW(Win32Text::wide(path).c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    // A file system that cannot flush a folder (FAT, a network share) has nothing more to do.
    const bool ok = FlushFileBuffers(h) || GetLastError() == ERROR_INVALID_FUNCTION ||
                    GetLastError() == ERROR_ACCESS_DENIED;
    CloseHandle(h);
    return ok;
}
