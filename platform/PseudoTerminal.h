#pragma once

#include <memory>
#include <string>

#include "platform/SerialPort.h"

// The controlling side of a pseudo-terminal in raw mode: a serial line whose far end is a device
// path that a program opens like any serial port. Closing it makes the far end hang up.
class PseudoTerminal {
public:
    // A new pseudo-terminal; nullptr with `error` set (errno) when the system refuses one.
    static std::unique_ptr<PseudoTerminal> create(int* error = nullptr);

    virtual ~PseudoTerminal() = default;

    // Path of the far end, e.g. "/dev/pts/3".
    virtual const std::string& slavePath() const = 0;
    // The controlling side as a line. Reads see Hangup while nobody holds the far end open.
    virtual SerialPort& line() = 0;
    // Whether some program holds the far end open right now. False from creation until the
    // first program opens it, and again after the last one closed it.
    virtual bool peerOpen() = 0;
    // Throws away what was written to the far end and not read there. The queue outlives the
    // program that held the far end: without this, the next program to open it would read the
    // tail of an exchange it never saw.
    virtual void discardUnread() = 0;
    // The speed that the program at the far end set, in bit/s; 0 when it is none of 1200 to
    // 115200. Read while that program holds the far end: closing it may reset the speed.
    virtual int lineRate() = 0;
};
