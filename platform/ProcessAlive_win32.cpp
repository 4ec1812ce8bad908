#include <windows.h>

#include "platform/ProcessAlive.h"

bool processAlive(std::int64_t pid) {
    if (pid <= 0 || pid > 0xFFFFFFFFLL) return false;
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    // A process of another user (or a protected one) refuses to be opened but exists.
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    // A process that ended stays openable while anyone holds a handle to it.
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

std::int64_t currentProcessId() {
    return GetCurrentProcessId();
}
