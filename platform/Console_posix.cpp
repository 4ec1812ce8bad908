#include <signal.h>
#include <unistd.h>

#include "platform/Console.h"

namespace {

std::atomic<int>* g_received = nullptr;

extern "C" void onStopSignal(int signal) {
    // A lock-free atomic store is all a signal handler may do here.
    if (g_received) g_received->store(signal);
}

}  // namespace

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

void CatchStopSignals(std::atomic<int>& received) {
    static_assert(std::atomic<int>::is_always_lock_free);
    g_received = &received;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void IgnoreBrokenPipe() {
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(SIGPIPE, &action, nullptr);
}
