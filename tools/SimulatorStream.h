#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the calculator prints after the handshake, as bytes on the line: each form in cp866
// ended by 0x1A, then the tail text without a form end, then the raw bytes as they are.
struct SimulatorStreamParts {
    std::vector<std::string> forms;  // UTF-8
    std::string tailText;            // UTF-8
    std::vector<std::uint8_t> rawBytes;
    bool crlf = true;  // "\n" becomes CR LF (a "\r\n" already there stays as it is)
};

std::vector<std::uint8_t> buildSimulatorStream(const SimulatorStreamParts& parts);
