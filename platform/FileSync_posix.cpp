#include <fcntl.h>
#include <unistd.h>

#include "platform/FileSync.h"

bool SyncFileSystemOf(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::syncfs(fd) == 0;
    ::close(fd);
    return ok;
}

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void ReleaseFreedMemory() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

#if defined(__linux__)
#include <sys/resource.h>
#include <sys/syscall.h>
#endif

void LowerThreadPriority() {
#if defined(__linux__)
    // On Linux a thread has a nice value of its own.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 10);
#endif
}
