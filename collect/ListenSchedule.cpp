#include "collect/ListenSchedule.h"

#include <algorithm>
#include <limits>

void ListenSchedule::remember(const QString& site, std::optional<std::int64_t> successAgoMs,
                              std::optional<std::int64_t> tryAgoMs) {
    const std::int64_t now = m_clock.nowMs();
    std::lock_guard lock(m_mutex);
    Last& last = m_last[site];
    if (successAgoMs) last.success = now - *successAgoMs;
    if (tryAgoMs) last.attempt = now - *tryAgoMs;
}

void ListenSchedule::tried(const QString& site, bool succeeded) {
    const std::int64_t now = m_clock.nowMs();
    std::lock_guard lock(m_mutex);
    Last& last = m_last[site];
    last.attempt = now;
    if (succeeded) last.success = now;
}

std::int64_t ListenSchedule::dueAtMs(const Site& site) {
    std::lock_guard lock(m_mutex);
    const Last last = m_last.value(site.name);
    const std::int64_t every = std::int64_t{site.readEvery} * 1000;
    std::int64_t due = std::numeric_limits<std::int64_t>::min();
    if (last.success) due = *last.success + every;
    // A site read more often than the pause is asked again after its own span.
    if (last.attempt) due = std::max(due, *last.attempt + std::min(every, kRetryPauseMs));
    return due;
}
