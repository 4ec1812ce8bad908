#include "platform/ThreadLocalCleanup.h"

// MinGW keeps thread-locals in libgcc's emulated storage and libstdc++ queues their destructors;
// each frees its part through a POSIX thread key, and winpthreads runs key destructors in the
// order the keys were made. Whoever touches a thread-local first makes the storage's key first,
// so at a thread's end the storage is freed and the destructors then read freed memory: a thread
// that had matched a regular expression took Qt's JIT stack destructor down with a bogus
// pointer, and the program with it. Queuing one destructor before any thread-local exists makes
// libstdc++'s key the older one, so the destructors run while the storage is still there.

extern "C" int __cxa_thread_atexit(void (*destructor)(void*), void* object, void* module);

namespace {

void nothing(void*) {}
int anchor;

}  // namespace

void orderThreadLocalCleanup() {
    static const int queued = __cxa_thread_atexit(nothing, &anchor, nullptr);
    (void)queued;
}
