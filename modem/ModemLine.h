#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "modem/ModemResult.h"

class Clock;
class SerialPort;
class WakeSignal;

// The command side of a line to a Hayes modem: commands out, result codes in. Lines without a
// result code (the echo of a command, information texts) are passed over. Nothing behind a
// CONNECT is taken as the modem's: it is the far end's, kept for the call.
class ModemLine {
public:
    enum class Wait { Answered, Timeout, Stopped, Lost };
    struct Answer {
        Wait wait = Wait::Timeout;
        ModemResult result = ModemResult::None;
        std::string text;  // the line that carried the result, e.g. "CONNECT 9600/RLP"
    };

    // The longest single block in the port; the wake signal ends it at once.
    static constexpr std::chrono::milliseconds kSlice{250};

    ModemLine(SerialPort& port, Clock& clock);

    // From now on a wait given `heedStop` ends when `stop` is set; `wake` (may be null) is the
    // signal raised with it, set on the port. stop null: no wait ends early.
    void setStop(const std::atomic<int>* stop, WakeSignal* wake);

    // Sends `command` and the CR that ends it. False when the line is gone or stays full.
    bool send(std::string_view command);
    // Sends bytes as they are (the escape "+++", the CR that breaks off a dial).
    bool sendRaw(std::string_view bytes);
    // Waits up to `limit` for the next result code.
    Answer await(std::chrono::milliseconds limit, bool heedStop);
    // Drops what the modem said before now: a late answer, a RING, a NO CARRIER of an old call.
    void discardInput();
    // The bytes that came right behind CONNECT, the first of the call; taken once.
    std::string takeCallBytes();

private:
    std::optional<std::string> takeLine();
    bool stopSet(bool heedStop) const;
    void readSlice(std::chrono::milliseconds span, bool& lost);
    void keepCallBytes();

    SerialPort& m_port;
    Clock& m_clock;
    const std::atomic<int>* m_stop = nullptr;
    WakeSignal* m_wake = nullptr;
    std::string m_pending;    // read, not yet split into lines
    std::string m_callBytes;  // behind CONNECT
};
