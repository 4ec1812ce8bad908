#pragma once

#include <memory>
#include <vector>

#include "platform/SerialDevice.h"

// The terminal devices of this machine as the system describes them, each one a record for
// serialDevicesFrom(). Empty where the system cannot tell.
std::vector<DeviceRecord> scanTerminalDevices();

// Tells when terminal devices come and go. Its descriptor becomes readable on every change;
// whoever watches it (a socket notifier, poll()) then calls takeChanges().
class SerialDeviceMonitor {
public:
    // Null where the system offers no such notice.
    static std::unique_ptr<SerialDeviceMonitor> create();

    virtual ~SerialDeviceMonitor() = default;
    virtual int descriptor() const = 0;
    // Takes every notice waiting, without blocking. True when a terminal device came or went.
    virtual bool takeChanges() = 0;
};
