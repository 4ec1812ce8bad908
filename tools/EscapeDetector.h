#pragma once

#include <cstdint>
#include <optional>

// The Hayes escape as a modem in a call sees it: "+++" counts only with the guard time of
// silence before the first '+' and after the last, and the three within a guard time of each
// other. Anything else is data for the far end.
class EscapeDetector {
public:
    // The call is up from `nowMs`: the silence before a first '+' counts from here.
    void restart(std::int64_t nowMs, std::int64_t guardMs);
    void byte(std::uint8_t b, std::int64_t nowMs);
    // True once, when three '+' have been followed by the guard time of silence.
    bool escaped(std::int64_t nowMs);
    // How long until escaped() may turn true; none while no "+++" waits for its silence.
    std::optional<std::int64_t> msUntilDecision(std::int64_t nowMs) const;

private:
    std::int64_t m_guardMs = 1000;
    std::int64_t m_lastMs = 0;
    int m_pluses = 0;
};
