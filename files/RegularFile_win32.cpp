#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <QDir>
#include <QFile>

#include "files/RegularFile.h"

namespace {

using Failure = RegularFile::Failure;

QFileDevice::FileError openErrorOf(DWORD error) {
    switch (error) {
        case ERROR_TOO_MANY_OPEN_FILES:
        case ERROR_NOT_ENOUGH_MEMORY:
            return QFileDevice::ResourceError;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return QFileDevice::PermissionsError;
        default:
            return QFileDevice::OpenError;
    }
}

bool isFolder(const std::wstring& name) {
    const DWORD attributes = GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Reads the opened handle through QFile, which then owns and closes it.
RegularFile::Result readOpened(HANDLE h, qint64 size, qint64 limit) {
    if (size > limit) return RegularFile::failure(Failure::TooLarge);
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return RegularFile::failure(Failure::Open, QFileDevice::ResourceError);
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        return RegularFile::failure(Failure::Open, file.error(), file.errorString());
    }
    return RegularFile::readAll(file, size, limit);
}

}  // namespace

// A device ("COM1", "\\.\pipe\x") opens without waiting for anything on Windows; what was opened
// is then told by its handle: only a file on a disk is read.
RegularFile::Result RegularFile::read(const QString& path, qint64 limit) {
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    const HANDLE h = CreateFileW(name.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A folder refuses to be opened as a file, where POSIX opens it and tells its kind.
        if (error == ERROR_ACCESS_DENIED && isFolder(name)) return failure(Failure::NotRegular);
        return failure(Failure::Open, openErrorOf(error), qt_error_string(int(error)));
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(h);
        return failure(Failure::NotRegular);
    }
    const qint64 size = (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    Result out = readOpened(h, size, limit);
    out.size = size;
    const qint64 ticks =
        (qint64(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    out.modifiedMs = (ticks - 116444736000000000LL) / 10000;
    return out;
}
