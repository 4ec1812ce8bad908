#pragma once

#include <atomic>

#include "platform/WakeSignal.h"

// How a program without windows meets the signals sent to it and the place its messages go:
// stop signals caught, broken pipes ignored, standard error told apart from a terminal.
// Implemented once per operating system.

// True when standard error goes to a terminal (a person watches it), false for a pipe or the
// journal.
bool standardErrorIsTerminal();

// From now on an interrupt (Ctrl+C) or a request to terminate stores its signal number in
// `received` instead of ending the process; the program ends itself in an orderly way.
void catchStopSignals(std::atomic<int>& received);
// The same, and `wake` is raised with every such signal, so that a waiting thread sees it at once.
void catchStopSignals(std::atomic<int>& received, WakeSignal& wake);

// Writing to a pipe whose reader has gone fails with an error instead of ending the process.
void ignoreBrokenPipe();

// The program writes UTF-8 and terminal escapes ("\r\033[K"): a console shows them as written.
// A terminal on POSIX does already; a Windows console must be told.
void prepareConsoleOutput();
