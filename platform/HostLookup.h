#pragma once

#include <chrono>
#include <string>

#include "platform/NetworkSerialPort.h"

// `host` looked up by `resolve` (resolveHostName when empty) on a thread of its own. The caller
// waits until the answer, the deadline (ETIMEDOUT) or a raised cancel signal (ECANCELED); an
// answer that comes later is dropped with the thread. A host written as a number is its own
// address and needs no lookup.
HostAddresses lookUpHost(const std::string& host, std::chrono::steady_clock::time_point deadline,
                         const OpenCancel& cancel, const HostResolver& resolve);
