#pragma once

#include <cstdint>
#include <memory>

#include "platform/SerialPort.h"

// Winsock, what the Windows network files share (TcpLine_win32.cpp holds it).

// Starts Winsock for this process once; it stays for the process's life. Every use of a socket
// or of the name lookup comes after it.
void startWinsock();

// A line over a connected socket (a SOCKET), which it owns and closes: its network events set
// an event of its own, waited on beside the wake signal's, as the COM port's overlapped I/O is.
std::unique_ptr<SerialPort> makeWinsockLine(std::uintptr_t socket);
