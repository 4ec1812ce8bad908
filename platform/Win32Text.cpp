#include "platform/Win32Text.h"

#include <winsock2.h>
#include <windows.h>

#include <cerrno>
#include <filesystem>

namespace Win32Text {

std::wstring wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(std::size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

std::string utf8(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(std::size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::wstring filePath(std::string_view utf8) {
    const std::wstring path = wide(utf8);
    const bool driveAbsolute =
        path.size() >= 3 && path[1] == L':' && (path[2] == L'/' || path[2] == L'\\');
    if (!driveAbsolute) return path;
    // The prefix also turns off the system's own clean-up of "." and "..".
    std::wstring clean = std::filesystem::path(path).lexically_normal().make_preferred().wstring();
    return L"\\\\?\\" + clean;
}

long long epochMsOf(unsigned long high, unsigned long low) {
    const long long ticks = (static_cast<long long>(high) << 32) | low;
    return (ticks - 116444736000000000LL) / 10000;
}

int errnoOf(unsigned long systemError) {
    switch (systemError) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_UNIT:
        case ERROR_DEV_NOT_EXIST:
            return ENOENT;
        // A COM port is opened by one program at a time; the second is refused as denied.
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EBUSY;
        case ERROR_PRIVILEGE_NOT_HELD:
            return EACCES;
        // A USB adapter pulled out under an open handle; the far end of a line that closed
        // (Wine reports a pseudo-terminal behind a COM port that way).
        case ERROR_BROKEN_PIPE:
        case ERROR_HANDLE_EOF:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEVICE_REMOVED:
        case ERROR_GEN_FAILURE:
        case ERROR_BAD_COMMAND:
        case ERROR_OPERATION_ABORTED:
            return ENODEV;
        case ERROR_INVALID_PARAMETER:
        case ERROR_INVALID_NAME:
            return EINVAL;
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_FUNCTION:
            return ENOTTY;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            return EEXIST;
        case ERROR_DISK_FULL:
            return ENOSPC;
        case WSAECONNREFUSED:
            return ECONNREFUSED;
        case WSAETIMEDOUT:
            return ETIMEDOUT;
        case WSAEHOSTUNREACH:
        case WSAENETUNREACH:
            return EHOSTUNREACH;
        case WSAECONNRESET:
        case WSAECONNABORTED:
            return ECONNRESET;
        default:
            return EIO;
    }
}

}  // namespace Win32Text
