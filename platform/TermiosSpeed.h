#pragma once

#include <termios.h>

#include <array>
#include <optional>

// The line speeds a terminal is set to, one table for both ways: the serial port sets a speed by
// its bits per second, and the pseudo-terminal tells the simulator which one its far end chose.
namespace TermiosSpeed {

struct Entry {
    int rate;  // bit/s
    speed_t speed;
};

inline constexpr std::array<Entry, 8> kEntries{{{1200, B1200},
                                               {2400, B2400},
                                               {4800, B4800},
                                               {9600, B9600},
                                               {19200, B19200},
                                               {38400, B38400},
                                               {57600, B57600},
                                               {115200, B115200}}};

// The termios speed of `rate` bit/s; nothing when the table has none.
inline std::optional<speed_t> speedOf(int rate) {
    for (const Entry& e : kEntries)
        if (e.rate == rate) return e.speed;
    return std::nullopt;
}

// The bits per second of `speed`; 0 when the table has none.
inline int rateOf(speed_t speed) {
    for (const Entry& e : kEntries)
        if (e.speed == speed) return e.rate;
    return 0;
}

}  // namespace TermiosSpeed
