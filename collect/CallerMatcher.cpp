#include "collect/CallerMatcher.h"

#include "platform/IpAddress.h"

CallerMatcher::CallerMatcher(const QList<Site>& sites) {
    for (const Site& site : sites) {
        if (!site.callsIn()) continue;
        m_sites << site;
        m_addresses << canonicalIpAddress(site.address.toStdString()).value_or(std::string());
    }
}

bool CallerMatcher::from(int site, const std::string& peer) const {
    return m_addresses[site].empty() || m_addresses[site] == peer;
}

CallerMatcher::Verdict CallerMatcher::match(const QByteArray& received, const std::string& peer,
                                            bool timeUp) const {
    timeUp = timeUp || received.size() >= kMaxHelloBytes;
    int known = -1;
    bool longerPossible = false;
    for (int i = 0; i < m_sites.size(); ++i) {
        const Site& site = m_sites[i];
        if (site.hello.isEmpty() || !from(i, peer)) continue;
        if (received.startsWith(site.hello)) {
            if (known < 0 || site.hello.size() > m_sites[known].hello.size()) known = i;
        } else if (site.hello.startsWith(received)) {
            longerPossible = true;
        }
    }
    if (longerPossible && !timeUp) return {Kind::Wait, -1};
    if (known >= 0) return {Kind::Known, known};
    // Known by its address alone: whatever it sent is no hello of the book's.
    for (int i = 0; i < m_sites.size(); ++i)
        if (m_sites[i].hello.isEmpty() && m_addresses[i] == peer) return {Kind::Known, i};
    return {Kind::Unknown, -1};
}
