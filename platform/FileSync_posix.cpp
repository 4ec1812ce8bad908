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
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#endif

void LowerThreadPriority() {
#if defined(__linux__)
    // An idle-class thread runs only on a processor nothing else wants, and gives it up at once
    // when the line's thread wakes; it still gets a small share on a machine that is busy for
    // long, more than enough for the forms of a serial line. Where the class is refused, a
    // nice value of its own.
    const sched_param none{};
    if (::pthread_setschedparam(::pthread_self(), SCHED_IDLE, &none) != 0)
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 10);
#endif
}
