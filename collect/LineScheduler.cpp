#include "collect/LineScheduler.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

void LineScheduler::runLanes(const std::vector<Lane>& lanes, std::atomic<std::size_t>& next,
                             WakeSignal& wake, const RunSite& runSite) {
    for (std::size_t lane = next++; lane < lanes.size(); lane = next++)
        for (int site : lanes[lane]) {
            if (m_stopSignal.load() != 0) return;
            runSite(site, wake);
        }
}

void LineScheduler::run(const std::vector<Lane>& lanes, int jobs, const RunSite& runSite) {
    const std::size_t threads = std::min<std::size_t>(std::max(jobs, 1), lanes.size());
    // A wake signal per thread: each exchange clears its own as it waits, which on a shared one
    // would swallow another's stop.
    std::vector<std::unique_ptr<WakeSignal>> wakes;
    for (std::size_t i = 0; i < threads; ++i) wakes.push_back(std::make_unique<WakeSignal>());
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> running{threads};
    std::vector<std::thread> workers;
    for (std::size_t i = 0; i < threads; ++i)
        workers.emplace_back([&, i] {
            runLanes(lanes, next, *wakes[i], runSite);
            running.fetch_sub(1);
            m_events.raise();
        });
    // This thread passes a stop signal on to every exchange, and sleeps otherwise.
    while (running.load() > 0) {
        m_events.waitFor(std::chrono::hours(1));
        m_events.clear();
        if (m_stopSignal.load() != 0)
            for (const auto& wake : wakes) wake->raise();
    }
    for (std::thread& worker : workers) worker.join();
}

std::vector<LineScheduler::Lane> LineScheduler::lanesOf(const std::vector<LineKey>& keys) {
    std::vector<Lane> lanes;
    std::vector<std::string> laneIds;
    std::vector<bool> rfc2217;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const auto found = std::find(laneIds.begin(), laneIds.end(), keys[i].id);
        const std::size_t lane = std::size_t(found - laneIds.begin());
        if (found == laneIds.end()) {
            laneIds.push_back(keys[i].id);
            lanes.emplace_back();
            rfc2217.push_back(false);
        }
        lanes[lane].push_back(int(i));
        rfc2217[lane] = rfc2217[lane] || keys[i].rfc2217;
    }
    // The lines spoken to through gensio join the first of them, the book's order kept.
    const auto first = std::find(rfc2217.begin(), rfc2217.end(), true);
    if (first == rfc2217.end()) return lanes;
    const std::size_t into = std::size_t(first - rfc2217.begin());
    for (std::size_t lane = lanes.size(); lane-- > into + 1;) {
        if (!rfc2217[lane]) continue;
        lanes[into].insert(lanes[into].end(), lanes[lane].begin(), lanes[lane].end());
        lanes.erase(lanes.begin() + std::ptrdiff_t(lane));
    }
    std::sort(lanes[into].begin(), lanes[into].end());
    return lanes;
}

int LineScheduler::jobsFor(int asked, std::size_t lanes, int defaultCap) {
    if (asked > 0) return asked;
    return int(std::clamp<std::size_t>(lanes, 1, std::size_t(defaultCap)));
}
