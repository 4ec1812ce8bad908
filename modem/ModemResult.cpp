#include "modem/ModemResult.h"

#include <array>

namespace {

struct Code {
    std::string_view words;
    std::string_view number;
    ModemResult result;
};

constexpr std::array<Code, 8> kCodes{{
    {"OK", "0", ModemResult::Ok},
    {"CONNECT", "1", ModemResult::Connect},
    {"RING", "2", ModemResult::Ring},
    {"NO CARRIER", "3", ModemResult::NoCarrier},
    {"ERROR", "4", ModemResult::Error},
    {"NO DIALTONE", "6", ModemResult::NoDialtone},
    {"BUSY", "7", ModemResult::Busy},
    {"NO ANSWER", "8", ModemResult::NoAnswer},
}};

// "CONNECT 9600/RLP" and "CONNECT" alike; "NO DIAL TONE" is how some modems spell it.
bool isConnect(std::string_view line) {
    return line == "CONNECT" || line.starts_with("CONNECT ") || line.starts_with("CONNECT/");
}

}  // namespace

ModemResult modemResultOf(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (isConnect(line)) return ModemResult::Connect;
    if (line == "NO DIAL TONE") return ModemResult::NoDialtone;
    for (const Code& c : kCodes)
        if (line == c.words || line == c.number) return c.result;
    return ModemResult::None;
}
