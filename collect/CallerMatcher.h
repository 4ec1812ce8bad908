#pragma once

#include <QByteArray>
#include <QList>
#include <string>

#include "sites/Site.h"

// Which site of the book a modem that connected is: the one whose `hello` the modem sent first
// (and whose `address`, where the book gives one, is where it connected from), else the one
// known by its address alone. A longer hello that the bytes so far could still become is waited
// for, so that "ID1" does not take the call of "ID12".
class CallerMatcher {
public:
    // Only the sites whose modems call in count.
    explicit CallerMatcher(const QList<Site>& sites);

    enum class Kind { Wait, Known, Unknown };
    struct Verdict {
        Kind kind = Kind::Wait;
        int site = -1;  // index into sites(), when Known
    };
    // `received`: everything the caller sent so far; `timeUp`: no more will be waited for.
    Verdict match(const QByteArray& received, const std::string& peer, bool timeUp) const;

    const QList<Site>& sites() const { return m_sites; }
    // A hello longer than this is no registration string but a stream; reading stops there.
    static constexpr qsizetype kMaxHelloBytes = 256;

private:
    bool from(int site, const std::string& peer) const;

    QList<Site> m_sites;
    QList<std::string> m_addresses;  // canonical, beside m_sites; empty: from anywhere
};
