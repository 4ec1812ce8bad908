#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <atomic>
#include <chrono>
#include <functional>
#include <vector>

#include "collect/CollectOptions.h"
#include "collect/Collector.h"
#include "platform/Clock.h"
#include "platform/WakeSignal.h"
#include "sites/Site.h"

class Console;

// What one run of tabulon-collect does: one collection on the line of the command line or of
// a site, or every site of the book, the sites of different lines at once (LineScheduler). A collection that failed on the line (the port,
// the handshake, a broken line) is tried again as often as --retry allows, each try an exchange
// of its own; the tries share one record in the archive. One site's failure never stops the
// round; a stop signal does.
class CollectRound {
public:
    // One collection on the line the options name, logging to `console`; `wake` is raised with
    // a stop signal.
    using Collect =
        std::function<Collector::Report(const CollectOptions&, Console& console, WakeSignal& wake)>;
    // Sleeps for at most this long, and less when `wake` is raised.
    using Wait = std::function<void(std::chrono::milliseconds, WakeSignal& wake)>;

    // One site's collection, its tries together.
    struct SiteRun {
        QString site;  // empty: the line of the command line
        Collector::Report report;
        int tries = 0;  // 0: never tried, the round was stopped before its turn
    };
    struct Result {
        CollectOutcome outcome = CollectOutcome::NothingReceived;
        bool all = false;
        std::vector<SiteRun> runs;
        QDateTime started, finished;
    };

    // `events` is raised with every stop signal.
    CollectRound(const CollectOptions& options, Console& console,
                 const std::atomic<int>& stopSignal, WakeSignal& events, Clock& clock, Wait wait,
                 Collect collect)
        : m_options(options),
          m_console(console),
          m_stopSignal(stopSignal),
          m_events(events),
          m_clock(clock),
          m_wait(std::move(wait)),
          m_collect(std::move(collect)) {}

    // Everything the options ask for; a book that cannot be read or a site not in it is a
    // command line that makes no sense.
    Result run();
    // One collection with its tries.
    SiteRun collect(const CollectOptions& options) { return collect(options, m_console, m_events); }
    SiteRun collect(const CollectOptions& options, Console& console, WakeSignal& wake);
    // Every site: those of different lines at once (up to --jobs), those of one line in the
    // book's order; the runs in the book's order, whatever order they ended in.
    Result collectSites(const QList<Site>& sites);

    // The round's exit status from its sites' (see kCollectRoundOutcome).
    static CollectOutcome roundOutcome(const std::vector<SiteRun>& runs, bool stopped);
    static bool retryable(CollectOutcome outcome);
    // The pause after the `failedTries`-th failed try: --retry-delay, but at least a second, and
    // twice as long after each further failure, up to ten minutes (or the delay asked, when
    // longer). A device that is away for good is asked a few times an hour, not hundreds a
    // second.
    static int retryPauseSeconds(int delaySeconds, int failedTries);
    static constexpr int kMinRetryPauseSeconds = 1;
    static constexpr int kMaxRetryPauseSeconds = 600;

    static Result usageResult(const QString& error);
    // The log's last line, and the report for --json.
    static QString summary(const Result& result);
    static QByteArray json(const Result& result);

private:
    bool waitBeforeRetry(std::int64_t ms, WakeSignal& wake);
    bool stopped() const { return m_stopSignal.load() != 0; }

    const CollectOptions& m_options;
    Console& m_console;
    const std::atomic<int>& m_stopSignal;
    WakeSignal& m_events;
    Clock& m_clock;
    Wait m_wait;
    Collect m_collect;
};
