#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/LineKey.h"
#include "platform/LineLock.h"
#include "platform/NetworkSerialPort.h"

// The line under a port name ("COM3", a device path, a network address): COM numbers mapped
// as they are opened, then the line's key.
LineKey lineKeyOfPort(const std::string& name);

// Waits until `key`'s line is free and takes it: at most `wait`, looking again every quarter
// of a second, ended at once by `cancel`. `error` is EBUSY when the line stayed taken (`holder`
// then tells who holds it, when known), ECANCELED when the wait was cancelled; a lock folder
// that cannot be used at all gives no lock and no error: the line is then used unclaimed rather
// than not at all.
struct LineClaim {
    std::unique_ptr<LineLock> lock;
    long long holder = 0;
    int error = 0;
};
LineClaim claimLine(const LineKey& key, std::chrono::milliseconds wait, const OpenCancel& cancel);
