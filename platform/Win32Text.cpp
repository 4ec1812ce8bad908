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

namespace {

struct ErrorMeaning {
    unsigned long systemError;
    int error;
};

// What the rest of the program asks about a failure is its errno meaning; each system error
// that can reach it is named once here.
constexpr ErrorMeaning kMeanings[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_BAD_UNIT, ENOENT},
    {ERROR_DEV_NOT_EXIST, ENOENT},
    // A COM port is opened by one program at a time; the second is refused as denied.
    {ERROR_ACCESS_DENIED, EBUSY},
    {ERROR_SHARING_VIOLATION, EBUSY},
    {ERROR_LOCK_VIOLATION, EBUSY},
    {ERROR_PRIVILEGE_NOT_HELD, EACCES},
    // A USB adapter pulled out under an open handle; the far end of a line that closed
    // (Wine reports a pseudo-terminal behind a COM port that way).
    {ERROR_BROKEN_PIPE, ENODEV},
    {ERROR_HANDLE_EOF, ENODEV},
    {ERROR_DEVICE_NOT_CONNECTED, ENODEV},
    {ERROR_DEVICE_REMOVED, ENODEV},
    {ERROR_GEN_FAILURE, ENODEV},
    {ERROR_BAD_COMMAND, ENODEV},
    {ERROR_OPERATION_ABORTED, ENODEV},
    {ERROR_INVALID_PARAMETER, EINVAL},
    {ERROR_INVALID_NAME, EINVAL},
    {ERROR_NOT_SUPPORTED, ENOTTY},
    {ERROR_INVALID_FUNCTION, ENOTTY},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    {ERROR_OUTOFMEMORY, ENOMEM},
    {ERROR_TOO_MANY_OPEN_FILES, EMFILE},
    {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_FILE_EXISTS, EEXIST},
    {ERROR_DISK_FULL, ENOSPC},
    {WSAECONNREFUSED, ECONNREFUSED},
    {WSAETIMEDOUT, ETIMEDOUT},
    {WSAEHOSTUNREACH, EHOSTUNREACH},
    {WSAENETUNREACH, EHOSTUNREACH},
    {WSAECONNRESET, ECONNRESET},
    {WSAECONNABORTED, ECONNRESET},
};

}  // namespace

int errnoOf(unsigned long systemError) {
    for (const ErrorMeaning& meaning : kMeanings)
        if (meaning.systemError == systemError) return meaning.error;
    return EIO;
}

}  // namespace Win32Text
