// The serial line on Windows: a COM port opened for overlapped I/O, so that every wait is a
// WaitForMultipleObjects on the I/O's own event and the wake signal's, and a stop ends it at once.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/NetworkSerialPort.h"
#include "platform/SerialPort.h"
#include "platform/SerialPortName.h"
#include "platform/WakeSignal.h"
#include "platform/Win32Text.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr std::array<int, 8> kRates{1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

DWORD waitMs(milliseconds timeout) {
    return DWORD(std::clamp<long long>(timeout.count(), 0, INFINITE - 1));
}

SerialPort::Result failureOf(DWORD systemError) {
    const int error = Win32Text::errnoOf(systemError);
    if (error == ENODEV) return {SerialPort::Status::Hangup, 0, error};
    return {SerialPort::Status::Error, 0, error};
}

class Win32SerialPort final : public SerialPort {
public:
    explicit Win32SerialPort(HANDLE handle) : m_handle(handle) {
        m_readIo.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_writeIo.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~Win32SerialPort() override {
        settleOutput();
        // A read may still be under way into m_incoming, issued by whichever thread read last:
        // it must end before the buffer goes.
        CancelIoEx(m_handle, nullptr);
        if (m_readPending) {
            DWORD n = 0;
            GetOverlappedResult(m_handle, &m_readIo, &n, TRUE);
        }
        CloseHandle(m_readIo.hEvent);
        CloseHandle(m_writeIo.hEvent);
        CloseHandle(m_handle);
    }

    Result read(std::span<std::uint8_t> buffer, milliseconds timeout) override;
    Result write(std::span<const std::uint8_t> bytes, milliseconds timeout) override;
    void setWake(const WakeSignal* wake) override { m_wake = wake; }
    bool setDtr(bool raised) override {
        return EscapeCommFunction(m_handle, raised ? SETDTR : CLRDTR) != 0;
    }

private:
    // Waits for `io` or the wake signal; true when the I/O completed.
    bool waitFor(OVERLAPPED& io, milliseconds timeout) const {
        HANDLE events[2] = {io.hEvent, m_wake ? HANDLE(m_wake->event()) : nullptr};
        const DWORD count = events[1] ? 2 : 1;
        return WaitForMultipleObjects(count, events, FALSE, waitMs(timeout)) == WAIT_OBJECT_0;
    }
    Result startRead();
    Result finishRead();
    Result handOut(std::span<std::uint8_t> buffer);
    void settleOutput();

    HANDLE m_handle;
    OVERLAPPED m_readIo{};
    OVERLAPPED m_writeIo{};
    bool m_readPending = false;
    // What the last read brought and no caller took yet: a caller may ask for one byte.
    std::array<std::uint8_t, 4096> m_incoming{};
    std::size_t m_have = 0, m_taken = 0;
    const WakeSignal* m_wake = nullptr;
};

SerialPort::Result Win32SerialPort::handOut(std::span<std::uint8_t> buffer) {
    const std::size_t n = std::min(buffer.size(), m_have - m_taken);
    std::memcpy(buffer.data(), m_incoming.data() + m_taken, n);
    m_taken += n;
    return {Status::Ok, n, 0};
}

// Issues one read into m_incoming; Ok when it completed at once, Timeout while it is under way.
// It asks for what the driver holds already, which comes at once, or else for one byte, which
// waits until something comes: the driver's own timeouts stay off, since their shortcuts
// (MAXDWORD intervals) are not kept alike by every driver and Wine.
SerialPort::Result Win32SerialPort::startRead() {
    ResetEvent(m_readIo.hEvent);
    m_have = m_taken = 0;
    COMSTAT status{};
    DWORD errors = 0;
    if (!ClearCommError(m_handle, &errors, &status)) return failureOf(GetLastError());
    const DWORD wanted = std::clamp<DWORD>(status.cbInQue, 1, DWORD(m_incoming.size()));
    if (ReadFile(m_handle, m_incoming.data(), wanted, nullptr, &m_readIo))
        return finishRead();
    const DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) return failureOf(error);
    m_readPending = true;
    return {Status::Timeout, 0, 0};
}

SerialPort::Result Win32SerialPort::finishRead() {
    m_readPending = false;
    DWORD n = 0;
    if (!GetOverlappedResult(m_handle, &m_readIo, &n, FALSE)) return failureOf(GetLastError());
    m_have = n;
    return {n > 0 ? Status::Ok : Status::Timeout, 0, 0};
}

SerialPort::Result Win32SerialPort::read(std::span<std::uint8_t> buffer, milliseconds timeout) {
    if (buffer.empty()) return {Status::Ok, 0, 0};
    if (m_taken < m_have) return handOut(buffer);
    const auto deadline = steady_clock::now() + timeout;
    for (;;) {
        if (!m_readPending) {
            const Result started = startRead();
            if (started.status == Status::Ok) return handOut(buffer);
            if (started.status != Status::Timeout) return started;
        }
        if (m_readPending) {
            const auto left = std::chrono::duration_cast<milliseconds>(deadline - steady_clock::now());
            // The read stays under way after a time-out or a wake: the next call takes it up.
            if (!waitFor(m_readIo, left)) return {Status::Timeout, 0, 0};
            const Result done = finishRead();
            if (done.status == Status::Ok) return handOut(buffer);
            if (done.status != Status::Timeout) return done;
        }
        if (steady_clock::now() >= deadline || (m_wake && m_wake->isRaised()))
            return {Status::Timeout, 0, 0};
    }
}

SerialPort::Result Win32SerialPort::write(std::span<const std::uint8_t> bytes,
                                          milliseconds timeout) {
    if (bytes.empty()) return {Status::Ok, 0, 0};
    ResetEvent(m_writeIo.hEvent);
    DWORD n = 0;
    if (!WriteFile(m_handle, bytes.data(), DWORD(bytes.size()), nullptr, &m_writeIo)) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) return failureOf(error);
        // The bytes are the caller's: a write that did not finish in time is taken back before
        // the call returns, keeping what already went out.
        if (!waitFor(m_writeIo, timeout)) CancelIoEx(m_handle, &m_writeIo);
    }
    if (!GetOverlappedResult(m_handle, &m_writeIo, &n, TRUE) &&
        GetLastError() != ERROR_OPERATION_ABORTED)
        return failureOf(GetLastError());
    if (n == 0) return {Status::Timeout, 0, 0};
    return {Status::Ok, n, 0};
}

// Gives the last bytes a moment to leave, then drops what flow control holds back, so that
// closing never hangs.
void Win32SerialPort::settleOutput() {
    for (int i = 0; i < 50; ++i) {
        COMSTAT status{};
        DWORD errors = 0;
        if (!ClearCommError(m_handle, &errors, &status) || status.cbOutQue == 0) return;
        Sleep(10);
    }
    PurgeComm(m_handle, PURGE_TXABORT | PURGE_TXCLEAR);
}

SerialOpenResult failure(SerialOpenResult::Stage stage, int error, HANDLE handle,
                         const std::string& path) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    SerialOpenResult result;
    result.stage = stage;
    result.error = error;
    result.path = path;
    return result;
}

// Raw 8 data bits, no parity, one stop bit, DTR and RTS raised, no flow control in software
// (it would swallow the bytes 0x11 and 0x13 of the stream) nor in hardware.
void makeRaw8N1(DCB& dcb, int rate) {
    dcb.BaudRate = DWORD(rate);
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
}

// No timeouts in the driver: a read completes when the bytes it asked for have come, a write
// when its bytes went out; the caller's waits bound both.
COMMTIMEOUTS lineTimeouts() {
    return COMMTIMEOUTS{};
}

SerialOpenResult openNetwork(const std::string& path, int rate) {
    const std::optional<NetworkAddress> address = parseNetworkAddress(path);
    if (!address)
        return failure(SerialOpenResult::Stage::Open, kErrorBadAddress, INVALID_HANDLE_VALUE, path);
    SerialOpenResult result = openNetworkSerialPort(*address, rate);
    result.path = path;
    return result;
}

}  // namespace

SerialOpenResult openSerialPort(const std::string& name, int rate) {
    using Stage = SerialOpenResult::Stage;
    const std::string path = serialPortPath(name);
    if (isNetworkAddress(path)) return openNetwork(path, rate);
    // No sharing: the port belongs to one program at a time, as the system has it anyway.
    const HANDLE h = CreateFileW(Win32Text::wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return failure(Stage::Open, Win32Text::errnoOf(GetLastError()), h, path);
    // A file or another device that happens to be there is no port to open.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (GetFileType(h) != FILE_TYPE_CHAR || !GetCommState(h, &dcb))
        return failure(Stage::Open, ENOTTY, h, path);
    if (std::find(kRates.begin(), kRates.end(), rate) == kRates.end())
        return failure(Stage::SetState, EINVAL, h, path);
    makeRaw8N1(dcb, rate);
    if (!SetCommState(h, &dcb))
        return failure(Stage::SetState, Win32Text::errnoOf(GetLastError()), h, path);
    COMMTIMEOUTS timeouts = lineTimeouts();
    if (!SetCommTimeouts(h, &timeouts))
        return failure(Stage::SetTimeouts, Win32Text::errnoOf(GetLastError()), h, path);

    SerialOpenResult result;
    result.path = path;
    result.port = std::make_unique<Win32SerialPort>(h);
    return result;
}
