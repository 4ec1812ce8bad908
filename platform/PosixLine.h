#pragma once

#include <memory>

#include "platform/SerialPort.h"

// A line over an open, non-blocking terminal descriptor, which it owns and closes. A serial
// device gets its pending output settled and its exclusive flag cleared first.
std::unique_ptr<SerialPort> makePosixLine(int fd, bool serialDevice = false);

// A line over a connected, non-blocking socket, which it owns and closes. A write to a socket
// the far end has closed reports a hang-up instead of raising SIGPIPE.
std::unique_ptr<SerialPort> makeSocketLine(int fd);

struct NetworkAddress;
struct NetworkLinkLimits;
struct HostAddresses;
struct OpenCancel;
// Connects to a network serial server in raw mode (see NetworkSerialPort.h), at the first of
// the host's addresses that answers.
SerialOpenResult openTcpLine(const HostAddresses& hosts, const NetworkAddress& address,
                             const NetworkLinkLimits& limits, const OpenCancel& cancel);
