#pragma once

#include <atomic>
#include <functional>
#include <vector>

#include "platform/LineKey.h"
#include "platform/WakeSignal.h"

// Runs a round's sites with the lines as the only thing they share: the sites of different
// lines at the same time, those of one line one after another, in the book's order, each
// exchange on a thread of its own. A thread takes the next line when its own is done, so a slow
// or silent site delays its own line and no other.
class LineScheduler {
public:
    // A line's sites, as indices into the book, in the book's order.
    using Lane = std::vector<int>;
    // Reads one site; `wake` is raised when a stop signal comes, to end the site's waits.
    using RunSite = std::function<void(int site, WakeSignal& wake)>;

    // `events` is raised by the stop signal; only the scheduler clears it while it runs.
    LineScheduler(const std::atomic<int>& stopSignal, WakeSignal& events)
        : m_stopSignal(stopSignal), m_events(events) {}

    // Every lane on at most `jobs` threads; returns once all have ended. After a stop signal no
    // further site begins; those are never passed to `runSite`.
    void run(const std::vector<Lane>& lanes, int jobs, const RunSite& runSite);

    // The lanes of sites with these keys: one per line, in the order the lines first appear.
    // This process has one event loop for RFC 2217 servers (gensio's), which one exchange at a
    // time may wait in; their lines share one lane.
    static std::vector<Lane> lanesOf(const std::vector<LineKey>& keys);
    // Exchanges at once: as many as asked, else one per lane up to `defaultCap`.
    static int jobsFor(int asked, std::size_t lanes, int defaultCap);

private:
    void runLanes(const std::vector<Lane>& lanes, std::atomic<std::size_t>& next,
                  WakeSignal& wake, const RunSite& runSite);

    const std::atomic<int>& m_stopSignal;
    WakeSignal& m_events;
};
