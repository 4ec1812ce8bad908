#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>

class WakeSignal;

// One open serial line. Every call blocks at most `timeout`; none spins.
//
// What every implementation (a device, a network serial server, a test's fake) must do with
// the wake signal given to setWake():
// - every wait in read() and write() also ends as soon as the signal is raised, at once and
//   not at the next turn of some slice: on POSIX, poll its handle() for POLLIN beside the
//   line's own descriptor;
// - a call that finds it raised returns at once: with what the line has ready, or Timeout
//   with nothing moved;
// - it never clears the signal (its owner does) and never holds on to it after setWake(nullptr)
//   or its own destruction.
class SerialPort {
public:
    enum class Status {
        Ok,       // `count` bytes moved (at least one)
        Timeout,  // nothing moved before the timeout
        Hangup,   // the device vanished: end of file, POLLHUP, EIO
        Error,    // any other refusal of the system; `error` holds errno
    };
    struct Result {
        Status status = Status::Timeout;
        std::size_t count = 0;
        int error = 0;
    };

    virtual ~SerialPort() = default;

    // Waits up to `timeout` for data, then takes all that is waiting, up to buffer.size().
    virtual Result read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout) = 0;
    // Waits up to `timeout` for room on the line, then writes as much as it can.
    virtual Result write(std::span<const std::uint8_t> bytes,
                         std::chrono::milliseconds timeout) = 0;
    // From now on `wake` (which outlives this line or is replaced first) ends every wait;
    // nullptr: only data and the timeout do.
    virtual void setWake(const WakeSignal* wake) = 0;
    // Raises or drops DTR, for a modem that hangs up when it drops (AT&D2). False where the
    // line has no modem lines to set (a pseudo-terminal, a network server, an adapter without
    // them): nothing happens there.
    virtual bool setDtr(bool raised) {
        (void)raised;
        return false;
    }
};

// Which step of opening a port failed, and the system's error code.
struct SerialOpenResult {
    enum class Stage { Ok, Open, GetState, SetState, SetTimeouts };
    Stage stage = Stage::Ok;
    int error = 0;
    std::unique_ptr<SerialPort> port;  // set when stage is Ok
    std::string path;                  // the system path that was opened or tried

    // An opening refused before any line was set up: Stage::Open with `error`.
    static SerialOpenResult refused(int error, std::string path = {}) {
        SerialOpenResult result;
        result.stage = Stage::Open;
        result.error = error;
        result.path = std::move(path);
        return result;
    }
};

// Opens port `name` (a system path, or "COM1".."COM9" as SerialPortName.h maps them) raw 8-N-1
// at `rate` bit/s, exclusively, with DTR and RTS raised, asking the driver for low latency.
// Something that is no terminal fails to open with ENOTTY. Implemented once per operating system.
SerialOpenResult openSerialPort(const std::string& name, int rate);
