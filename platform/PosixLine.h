#pragma once

#include <memory>

#include "platform/SerialPort.h"

// A line over an open, non-blocking terminal descriptor, which it owns and closes. A serial
// device gets its pending output settled and its exclusive flag cleared first.
std::unique_ptr<SerialPort> makePosixLine(int fd, bool serialDevice = false);
