#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/ProcessSignals.h"

namespace {

std::atomic<int>* g_received = nullptr;
WakeSignal* g_wake = nullptr;

extern "C" void onStopSignal(int signal) {
    // A lock-free atomic store and a write() are all a signal handler may do here.
    const int savedErrno = errno;
    if (g_received) g_received->store(signal);
    if (g_wake) g_wake->raise();
    errno = savedErrno;
}

}  // namespace

bool standardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

void catchStopSignals(std::atomic<int>& received) {
    static_assert(std::atomic<int>::is_always_lock_free);
    g_received = &received;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void catchStopSignals(std::atomic<int>& received, WakeSignal& wake) {
    g_wake = &wake;
    catchStopSignals(received);
}

void ignoreBrokenPipe() {
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(SIGPIPE, &action, nullptr);
}

void prepareConsoleOutput() {}
