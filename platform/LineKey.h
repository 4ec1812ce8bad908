#pragma once

#include <chrono>
#include <string>

// What two exchanges cannot share at once: one device, whatever names lead to it (a by-id link,
// a symlink of a test, the device itself), or one network server's port, whichever way it is
// spoken to (raw TCP and RFC 2217 reach the same serial line behind it). Two keys are the same
// line exactly when their `id`s are equal.
struct LineKey {
    enum class Kind { Device, Network };
    Kind kind = Kind::Device;
    // A device's canonical path ("/dev/ttyUSB0", "\\.\COM3"); a server's numeric address and
    // port ("127.0.0.1:4001", "[::1]:4001"), or its name as written when it cannot be looked up.
    std::string id;
    // Spoken to through gensio's event loop (RFC 2217), which this process has one of.
    bool rfc2217 = false;

    bool operator==(const LineKey&) const = default;
};

// The key of a device path or a network address ("tcp://host:port", "rfc2217://host:port").
// A host name is looked up (waiting at most `lookup`); a device that is not there keeps the
// path as written.
LineKey lineKeyOfPath(const std::string& path,
                      std::chrono::milliseconds lookup = std::chrono::seconds(5));

// A device's one name whatever way it was written, for its key: on Linux the path with every
// link resolved, on Windows the COM port's name in the one spelling. Implemented once per
// operating system.
std::string canonicalDevicePath(const std::string& path);
