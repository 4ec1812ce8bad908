// Windows has no stop signals: Ctrl+C, Ctrl+Break and the closing of the console come to a
// handler on a thread of their own. They end the program as SIGINT and SIGTERM do elsewhere.
#include <windows.h>

#include <csignal>

#include "platform/ProcessSignals.h"

namespace {

std::atomic<int>* g_received = nullptr;
WakeSignal* g_wake = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event) {
    const int signal = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    if (g_received) g_received->store(signal);
    if (g_wake) g_wake->raise();
    // The system ends the process as soon as the handler returns from a closing console, a
    // logoff or a shutdown: wait here, and the program ends itself in order meanwhile (it has
    // five seconds before the system ends it all the same).
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(INFINITE);
    return TRUE;
}

}  // namespace

bool standardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void catchStopSignals(std::atomic<int>& received) {
    g_received = &received;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void catchStopSignals(std::atomic<int>& received, WakeSignal& wake) {
    g_wake = &wake;
    catchStopSignals(received);
}

// A pipe whose reader has gone fails the write with an error on Windows anyway.
void ignoreBrokenPipe() {}

void prepareConsoleOutput() {
    SetConsoleOutputCP(CP_UTF8);
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(err, &mode))
        SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}
