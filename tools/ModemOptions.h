#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// How the fake modem answers a dialled number.
struct ModemCallScript {
    enum class Answer { Connect, Busy, NoAnswer, NoCarrier, NoDialtone, Silent };
    Answer answer = Answer::NoCarrier;
    // From ATD to the answer; Silent never answers.
    std::chrono::milliseconds delay{0};
    std::string connectText = "CONNECT 9600/RLP";
    // Connect: the device the call is bridged to (a calculator simulator's line); empty: the far
    // end takes every byte and says nothing.
    std::string peer;
    int peerRate = 9600;
};

struct ModemSimulatorOptions {
    std::map<std::string, ModemCallScript> numbers;
    ModemCallScript otherNumbers;  // every number not in `numbers`
    // The AT+CBST values it takes; ERROR to any other.
    std::vector<std::string> bearers{"7,0,1", "71,0,1"};
    // The escape guard time, S12 (a real modem's default is a second).
    std::chrono::milliseconds guardTime{1000};
    // Takes commands (and logs them) but answers and does nothing: a modem that hangs.
    bool deaf = false;
};

// One line of the fake modem's log: what came, what it answered, when it went on-hook.
struct ModemEvent {
    std::int64_t ms = 0;  // since the modem started
    std::string text;     // "AT&D2", "-> OK", "+++", "DTR low", "on-hook", "line closed"
};
