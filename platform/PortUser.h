#pragma once

#include <string>

// Another program that holds a serial port, or is known to take ports for itself.
struct PortUser {
    std::string program;  // "ModemManager"; empty when nobody was found
    int pid = 0;
    // False when the program was not seen holding this port (its files are not ours to look
    // at) but is running and known to take ports that appear, so it is the likely holder.
    bool certain = false;
};

// Who holds `path` open, other than this process.
PortUser findPortUser(const std::string& path);

// Asks the driver of an open serial device to hand over each received byte at once instead of
// collecting bytes for a while (an FTDI adapter waits 16 ms). Silent where it cannot.
void requestLowLatency(int fd);
