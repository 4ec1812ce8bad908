#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The command set of the fake modem: one command line in, what to do and answer out, and the
// settings the commands leave (echo, verbose codes, DTR mode, the escape guard time).
class HayesInterpreter {
public:
    enum class Code { Ok, Connect, Ring, NoCarrier, Error, NoDialtone, Busy, NoAnswer };
    struct Reply {
        std::optional<Code> code = Code::Ok;  // none: the answer comes later (a dial)
        std::optional<std::string> dial;      // ATD: the number
        bool hangUp = false;                  // ATH, ATZ
        bool online = false;                  // ATO: back to the call
    };

    HayesInterpreter(std::vector<std::string> bearers, int guardMs);

    // A line as the modem took it, without its CR; a line that is no AT command is ignored.
    Reply execute(std::string_view line);
    // The result code as the settings send it: "\r\nOK\r\n", or "0\r" under ATV0. `words`
    // replaces the code's own (a CONNECT with its rate).
    std::string resultText(Code code, std::string_view words = {}) const;

    bool echo() const { return m_echo; }
    // AT&D2: a DTR drop hangs up; &D1 only leaves the call for commands; &D0 ignores it.
    int dtrMode() const { return m_dtrMode; }
    int guardMs() const { return m_guardMs; }

private:
    void reset();
    bool apply(std::string_view& rest, Reply& reply);
    bool applyCall(char letter, std::string_view& rest, Reply& reply);
    bool applySetting(char letter, std::string_view& rest);
    bool applyAmpersand(std::string_view& rest);
    bool applyRegister(std::string_view& rest);
    bool applyExtended(std::string_view& rest);
    static int takeNumber(std::string_view& rest, int otherwise);

    std::vector<std::string> m_bearers;
    int m_defaultGuardMs;
    bool m_echo = true;
    bool m_verbose = true;
    int m_dtrMode = 2;
    int m_guardMs = 1000;  // S12, which counts fiftieths of a second
};
