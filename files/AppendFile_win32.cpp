// Appending on Windows: a handle with only FILE_APPEND_DATA writes every WriteFile at the end,
// whoever else appends meanwhile. A link is opened as itself and then refused, as O_NOFOLLOW
// refuses it on Linux.
#include <windows.h>

#include <QDir>

#include "files/AppendFile.h"

namespace {

bool plainFile(HANDLE h) {
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info) &&
           !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

}  // namespace

bool appendFile(const QString& path, const QByteArray& bytes) {
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    const HANDLE h = CreateFileW(name.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                 nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = plainFile(h) &&
                    WriteFile(h, bytes.constData(), DWORD(bytes.size()), &written, nullptr) &&
                    written == DWORD(bytes.size()) && FlushFileBuffers(h);
    return CloseHandle(h) && ok;
}
