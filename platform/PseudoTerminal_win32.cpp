#include <cerrno>

#include "platform/PseudoTerminal.h"

// Windows has no pseudo-terminals that a program opens as a COM port: the built-in simulator
// needs one, so the demonstration runs on Linux (or with a real calculator, or a virtual COM
// pair such as com0com and the simulator on the other end).
std::unique_ptr<PseudoTerminal> PseudoTerminal::create(int* error) {
    if (error) *error = ENOSYS;
    return nullptr;
}
