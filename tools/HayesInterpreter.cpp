#include "tools/HayesInterpreter.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

struct CodeText {
    const char* words;
    char digit;
};
constexpr std::array<CodeText, 8> kCodeTexts{{{"OK", '0'},
                                              {"CONNECT", '1'},
                                              {"RING", '2'},
                                              {"NO CARRIER", '3'},
                                              {"ERROR", '4'},
                                              {"NO DIALTONE", '6'},
                                              {"BUSY", '7'},
                                              {"NO ANSWER", '8'}}};

char upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// The digits and dial characters of "ATD 555-12-34;": the rest of the line.
std::string dialNumber(std::string_view rest) {
    std::string number;
    for (char c : rest)
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '*' || c == '#')
            number += c;
    return number;
}

}  // namespace

HayesInterpreter::HayesInterpreter(std::vector<std::string> bearers, int guardMs)
    : m_bearers(std::move(bearers)), m_defaultGuardMs(std::max(1, guardMs)) {
    reset();
}

void HayesInterpreter::reset() {
    m_echo = true;
    m_verbose = true;
    m_dtrMode = 2;
    m_guardMs = m_defaultGuardMs;
}

HayesInterpreter::Reply HayesInterpreter::execute(std::string_view line) {
    Reply reply;
    if (line.size() < 2 || upper(line[0]) != 'A' || upper(line[1]) != 'T') {
        reply.code.reset();
        return reply;
    }
    std::string_view rest = line.substr(2);
    while (!rest.empty()) {
        if (rest.front() == ' ' || rest.front() == ';') {
            rest.remove_prefix(1);
            continue;
        }
        if (!apply(rest, reply)) {
            Reply refused;
            refused.code = Code::Error;
            return refused;
        }
    }
    if (reply.dial) reply.code.reset();
    return reply;
}

std::string HayesInterpreter::resultText(Code code, std::string_view words) const {
    const CodeText& text = kCodeTexts[static_cast<std::size_t>(code)];
    if (!m_verbose) return std::string(1, text.digit) + '\r';
    return "\r\n" + std::string(words.empty() ? std::string_view(text.words) : words) + "\r\n";
}

// Takes one command from the front of `rest`. False for one this modem does not know.
bool HayesInterpreter::apply(std::string_view& rest, Reply& reply) {
    const char letter = upper(rest.front());
    rest.remove_prefix(1);
    switch (letter) {
        case '&':
            return applyAmpersand(rest);
        case 'S':
            return applyRegister(rest);
        case '+':
            return applyExtended(rest);
        default:
            return applyCall(letter, rest, reply) || applySetting(letter, rest);
    }
}

// The commands that act on the call: hang up, reset, back on line, dial.
bool HayesInterpreter::applyCall(char letter, std::string_view& rest, Reply& reply) {
    switch (letter) {
        case 'H':
            reply.hangUp = takeNumber(rest, 0) == 0;
            return true;
        case 'Z':
            takeNumber(rest, 0);
            reset();
            reply.hangUp = true;
            return true;
        case 'O':
            takeNumber(rest, 0);
            reply.online = true;
            return true;
        case 'D':
            reply.dial = dialNumber(rest);
            rest = {};
            return true;
        default:
            return false;
    }
}

// The one-letter settings; those a fake modem has no use for are taken and ignored.
bool HayesInterpreter::applySetting(char letter, std::string_view& rest) {
    switch (letter) {
        case 'E':
            m_echo = takeNumber(rest, 0) != 0;
            return true;
        case 'V':
            m_verbose = takeNumber(rest, 0) != 0;
            return true;
        case 'Q':
        case 'X':
        case 'L':
        case 'M':
            takeNumber(rest, 0);
            return true;
        default:
            return false;
    }
}

bool HayesInterpreter::applyAmpersand(std::string_view& rest) {
    if (rest.empty()) return false;
    const char letter = upper(rest.front());
    rest.remove_prefix(1);
    const int value = takeNumber(rest, 0);
    if (letter == 'F') {
        reset();
        return true;
    }
    if (letter == 'D') m_dtrMode = value;
    return letter == 'D' || letter == 'C' || letter == 'K' || letter == 'W';
}

// "S12=50" sets a register (only S12 means anything here), "S0?" asks for one.
bool HayesInterpreter::applyRegister(std::string_view& rest) {
    const int number = takeNumber(rest, -1);
    if (number < 0 || rest.empty()) return false;
    const char op = rest.front();
    rest.remove_prefix(1);
    if (op == '?') return true;
    if (op != '=') return false;
    const int value = takeNumber(rest, -1);
    if (value < 0) return false;
    if (number == 12) m_guardMs = std::max(1, value) * 20;
    return true;
}

// Only the GSM bearer: "+CBST=7,0,1" up to the next ';'.
bool HayesInterpreter::applyExtended(std::string_view& rest) {
    const std::size_t end = std::min(rest.find(';'), rest.size());
    std::string command(rest.substr(0, end));
    rest.remove_prefix(end);
    std::transform(command.begin(), command.end(), command.begin(), upper);
    if (!command.starts_with("CBST=")) return false;
    const std::string value = command.substr(5);
    return std::find(m_bearers.begin(), m_bearers.end(), value) != m_bearers.end();
}

int HayesInterpreter::takeNumber(std::string_view& rest, int otherwise) {
    if (rest.empty() || !std::isdigit(static_cast<unsigned char>(rest.front()))) return otherwise;
    int value = 0;
    while (!rest.empty() && std::isdigit(static_cast<unsigned char>(rest.front()))) {
        value = value * 10 + (rest.front() - '0');
        rest.remove_prefix(1);
    }
    return value;
}
