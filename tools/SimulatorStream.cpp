#include "tools/SimulatorStream.h"

#include "tools/Cp866Encoder.h"

namespace {

void appendText(std::vector<std::uint8_t>& out, const std::string& utf8, bool crlf) {
    const std::string cp866 = utf8ToCp866(utf8);
    char previous = 0;
    for (const char c : cp866) {
        if (crlf && c == '\n' && previous != '\r') out.push_back('\r');
        out.push_back(static_cast<std::uint8_t>(c));
        previous = c;
    }
}

}  // namespace

std::vector<std::uint8_t> buildSimulatorStream(const SimulatorStreamParts& parts) {
    std::vector<std::uint8_t> out;
    for (const std::string& form : parts.forms) {
        appendText(out, form, parts.crlf);
        out.push_back(0x1A);
    }
    appendText(out, parts.tailText, parts.crlf);
    out.insert(out.end(), parts.rawBytes.begin(), parts.rawBytes.end());
    return out;
}
