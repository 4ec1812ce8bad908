#include "tools/EscapeDetector.h"

#include <algorithm>

void EscapeDetector::restart(std::int64_t nowMs, std::int64_t guardMs) {
    m_guardMs = guardMs;
    m_lastMs = nowMs;
    m_pluses = 0;
}

void EscapeDetector::byte(std::uint8_t b, std::int64_t nowMs) {
    const std::int64_t silence = nowMs - m_lastMs;
    m_lastMs = nowMs;
    if (b != '+' || m_pluses == 3) {
        m_pluses = 0;
        return;
    }
    if (m_pluses == 0)
        m_pluses = silence >= m_guardMs ? 1 : 0;
    else
        m_pluses = silence < m_guardMs ? m_pluses + 1 : 0;
}

bool EscapeDetector::escaped(std::int64_t nowMs) {
    if (m_pluses != 3 || nowMs - m_lastMs < m_guardMs) return false;
    m_pluses = 0;
    return true;
}

std::optional<std::int64_t> EscapeDetector::msUntilDecision(std::int64_t nowMs) const {
    if (m_pluses != 3) return std::nullopt;
    return std::max<std::int64_t>(0, m_guardMs - (nowMs - m_lastMs));
}
