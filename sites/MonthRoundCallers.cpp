#include "sites/MonthRoundCallers.h"

#include <QHash>
#include <algorithm>

#include "res/Texts.h"
#include "sites/SiteListenKeys.h"

namespace MonthRound {

QStringList callerLines(const QList<UnknownCaller>& callers) {
    struct Seen {
        UnknownCaller latest;
        int calls = 0;
    };
    // A modem set up wrong calls again and again with the same words: one line for all of it.
    QHash<QString, Seen> seen;
    for (const UnknownCaller& caller : callers) {
        Seen& s = seen[caller.address + u'\n' + QString::fromLatin1(caller.sent.toHex())];
        if (s.calls++ == 0 || caller.time > s.latest.time) s.latest = caller;
    }
    QList<Seen> list = seen.values();
    std::sort(list.begin(), list.end(),
              [](const Seen& a, const Seen& b) { return a.latest.time > b.latest.time; });
    QStringList lines;
    for (const Seen& s : list)
        lines << texts::monthCaller(s.latest.address, SiteListenKeys::shownBytes(s.latest.sent),
                                    s.calls,
                                    s.latest.time.toLocalTime().toString(QStringLiteral("dd.MM HH:mm")));
    return lines;
}

}  // namespace MonthRound
