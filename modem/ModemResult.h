#pragma once

#include <string_view>

// The result codes of a Hayes modem that a dialer acts on.
enum class ModemResult { None, Ok, Connect, Ring, NoCarrier, Error, NoDialtone, Busy, NoAnswer };

// The result code a line from the modem carries, in words ("NO CARRIER", "CONNECT 9600/RLP")
// or as the number a modem left in ATV0 sends ("3"); None for any other line: the echo of a
// command, an information text. The modem's case is taken as it comes; none sends lower case.
ModemResult modemResultOf(std::string_view line);
