#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/ProcessAlive.h"

bool processAlive(std::int64_t pid) {
    if (pid <= 0 || pid != static_cast<pid_t>(pid)) return false;
    // Signal 0 only asks; a process of another user refuses it but exists.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::int64_t currentProcessId() {
    return ::getpid();
}
