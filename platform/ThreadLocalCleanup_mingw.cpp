#include "platform/ThreadLocalCleanup.h"

#include <windows.h>

// MinGW keeps thread-locals in libgcc's emulated storage, and libstdc++ queues their destructors
// (Qt's among them); each frees its part at a thread's end through a POSIX thread key, and
// winpthreads runs key destructors in the order the keys were made. Whoever touches a
// thread-local first makes the storage's key first, so the storage went first and the
// destructors then read freed memory: a thread that had matched a regular expression took Qt's
// JIT stack destructor down with a bogus pointer, and the program with it. Queuing one
// destructor with libstdc++ before any thread-local exists makes its key the older one.
//
// The queue is libstdc++'s in its DLL, where Qt's destructors go: a program may link the C
// runtime's own __cxa_thread_atexit instead, which queues elsewhere and makes no key.

namespace {

using ThreadAtExit = int (*)(void (*)(void*), void*, void*);

void nothing(void*) {}
int anchor;

}  // namespace

void orderThreadLocalCleanup() {
    static const bool queued = [] {
        const HMODULE runtime = GetModuleHandleW(L"libstdc++-6.dll");
        if (!runtime) return false;  // linked statically: nothing of Qt's queues there
        const auto atExit = reinterpret_cast<ThreadAtExit>(
            reinterpret_cast<void*>(GetProcAddress(runtime, "__cxa_thread_atexit")));
        return atExit && atExit(nothing, &anchor, nullptr) == 0;
    }();
    (void)queued;
}
