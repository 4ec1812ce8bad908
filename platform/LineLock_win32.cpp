// Every line claimed by a lock on a file of our own (LineLock.h says why). The lock is on a byte
// far past the file's end, so that the holder's pid at its start stays readable to the next
// taker, for its message.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/LineLock.h"
#include "platform/Win32Text.h"

namespace {

std::string environment(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value && *value ? Win32Text::utf8(value) : std::string();
}

// The named folder, made when missing (with its parent); empty when it cannot be.
std::string madeFolder(const std::string& parent, const std::string& name) {
    if (parent.empty()) return {};
    const std::string folder = parent + "\\" + name;
    CreateDirectoryW(Win32Text::filePath(folder).c_str(), nullptr);
    const DWORD attributes = GetFileAttributesW(Win32Text::filePath(folder).c_str());
    const bool made = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return made ? folder : std::string();
}

std::string sharedFolder() {
    return madeFolder(madeFolder(environment(L"ProgramData"), "Tabulon"), "locks");
}

// Where locks go when the shared folder refuses us: seen by this user's programs only.
std::string privateFolder() {
    return madeFolder(environment(L"TEMP"), "Tabulon");
}

// "tabulon-line-" and the line's name with what a file name cannot hold made '_': "COM3" for a
// port (its "\\.\" dropped), "192.0.2.7_4001" for a server.
std::string lockName(std::string id) {
    if (id.rfind("\\\\.\\", 0) == 0) id.erase(0, 4);
    for (char& c : id)
        if (c == '\\' || c == '/' || c == ':' || c == '[' || c == ']' || c == '*' || c == '?' ||
            c == '"' || c == '<' || c == '>' || c == '|')
            c = '_';
    return "tabulon-line-" + id;
}

long long holderIn(HANDLE file) {
    char text[32] = {};
    OVERLAPPED at{};
    DWORD n = 0;
    if (!ReadFile(file, text, sizeof text - 1, &n, &at) || n == 0) return 0;
    char* end = nullptr;
    const long long pid = std::strtoll(text, &end, 10);
    return end != text && pid > 0 ? pid : 0;
}

// Who holds it, for whoever comes next; the lock is the byte range, not this.
void writeHolder(HANDLE file) {
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%10lu\n", GetCurrentProcessId());
    LARGE_INTEGER start{};
    DWORD written = 0;
    if (SetFilePointerEx(file, start, nullptr, FILE_BEGIN) &&
        WriteFile(file, text, DWORD(n), &written, nullptr))
        SetEndOfFile(file);
}

HANDLE openLockFile(const std::string& path, bool& writable) {
    const std::wstring name = Win32Text::filePath(path);
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    writable = file != INVALID_HANDLE_VALUE;
    // Another user's file in the shared folder: a lock needs only reading.
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
        file = CreateFileW(name.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return file;
}

// The lock on `path`, its handle; null with `attempt`'s holder or error set when not had.
HANDLE lockAt(const std::string& path, LineLock::Attempt& attempt) {
    bool writable = false;
    const HANDLE file = openLockFile(path, writable);
    if (file == INVALID_HANDLE_VALUE) {
        attempt.error = Win32Text::errnoOf(GetLastError());
        return nullptr;
    }
    OVERLAPPED past{};
    past.OffsetHigh = 1;  // 4 GiB in: never where the pid is
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &past)) {
        const DWORD error = GetLastError();
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
            attempt.holder = holderIn(file);
        else
            attempt.error = Win32Text::errnoOf(error);
        CloseHandle(file);
        return nullptr;
    }
    if (writable) writeHolder(file);
    return file;
}

}  // namespace

LineLock::Attempt LineLock::tryDevice(const std::string& device) {
    return tryFileLock(device);
}

LineLock::Attempt LineLock::tryNetwork(const std::string& key) {
    return tryFileLock(key);
}

// `line`'s lock in the folder every user shares, else in this user's own.
LineLock::Attempt LineLock::tryFileLock(const std::string& line) {
    const std::string chosen = environment(L"TABULON_LOCK_DIR");
    std::string folder = chosen.empty() ? sharedFolder() : chosen;
    Attempt attempt;
    HANDLE file = folder.empty() ? nullptr : lockAt(folder + "\\" + lockName(line), attempt);
    if (!file && chosen.empty() && (folder.empty() || attempt.error == EACCES)) {
        folder = privateFolder();
        attempt = {};
        if (folder.empty()) attempt.error = EACCES;
        else file = lockAt(folder + "\\" + lockName(line), attempt);
    }
    if (file) attempt.lock.reset(new LineLock(folder + "\\" + lockName(line), file));
    return attempt;
}

// Closing the handle lets the lock go; the file stays, as removing it races with the next taker.
LineLock::~LineLock() {
    if (m_file) CloseHandle(m_file);
}
