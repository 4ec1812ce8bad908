#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "platform/NetworkSerialPort.h"
#include "platform/SerialPort.h"

// Opens "COM1".."COM9" at `rate`: the device that the machine's device list and the remembered
// numbers put under that name, or the network serial server remembered there. With nothing
// under the number the result is Stage::Open with ENODEV and no path. Any other name is opened
// as a system path. The worker's port opener in the real program.
SerialOpenResult openComPort(const std::string& name, int rate);
// The same, with the opening of a network serial server ended early by `cancel`.
//
// Every opening first claims the line (see LineClaim): one in use by another exchange, of this
// program or another, is waited for up to `busyWait`, then refused as Stage::Open with EBUSY
// (and the device's path or the address), or with ECANCELED when `cancel` ended the wait. The
// port holds the claim until it is closed.
inline constexpr std::chrono::milliseconds kLineBusyWait{30000};
SerialOpenResult openComPortWith(const std::string& name, int rate, const OpenCancel& cancel,
                                 std::chrono::milliseconds busyWait = kLineBusyWait);

// How a COM number that stands for a network address ("tcp://host:port") is opened, for tests;
// unless one is set, the serial layer opens it (see NetworkSerialPort.h).
using ComAddressOpener = std::function<SerialOpenResult(const std::string& address, int rate)>;
void setComAddressOpener(ComAddressOpener opener);
