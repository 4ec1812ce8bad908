#pragma once

#include <QHash>
#include <QString>
#include <cstdint>
#include <mutex>
#include <optional>

#include "platform/Clock.h"
#include "sites/Site.h"

// When a site whose modem stays connected is read again: once its `read_every` has passed
// since its last success, and never sooner than kRetryPauseMs after a try that failed, so that
// a calculator that cannot answer is not asked every minute of the day. Times are the
// service's clock; what the archive tells of earlier runs comes in as ages. Any thread.
class ListenSchedule {
public:
    explicit ListenSchedule(Clock& clock) : m_clock(clock) {}

    static constexpr std::int64_t kRetryPauseMs = 10 * 60 * 1000;

    // What the archive's records tell: how long ago the site's last success and its last try
    // began; nothing: none found.
    void remember(const QString& site, std::optional<std::int64_t> successAgoMs,
                  std::optional<std::int64_t> tryAgoMs);
    // A try begun now; a stopped one does not count, since it said nothing of the calculator.
    void tried(const QString& site, bool succeeded);

    // When the site is next due (clock time); at or before now: due.
    std::int64_t dueAtMs(const Site& site);
    bool due(const Site& site) { return dueAtMs(site) <= m_clock.nowMs(); }

private:
    struct Last {
        std::optional<std::int64_t> success, attempt;
    };
    Clock& m_clock;
    std::mutex m_mutex;
    QHash<QString, Last> m_last;
};
