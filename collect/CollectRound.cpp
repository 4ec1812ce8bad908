#include "collect/CollectRound.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

#include "collect/Console.h"
#include "collect/LineScheduler.h"
#include "collect/SiteOptions.h"
#include "res/Texts.h"
#include "sites/SiteLineKey.h"

namespace {

QString jsonTime(const QDateTime& time) {
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QString keyOf(CollectOutcome outcome) {
    return QString::fromUtf8(collectOutcomeOf(outcome).key);
}

bool succeeded(CollectOutcome outcome) {
    return outcome == CollectOutcome::FormsReceived || outcome == CollectOutcome::NothingReceived;
}

// A later try's report joined to the earlier ones: its end is the collection's end, and what
// every try received counts.
void absorb(Collector::Report& total, const Collector::Report& next, bool first) {
    if (first) {
        total = next;
        return;
    }
    const QDateTime started = total.started;
    std::vector<FormArchive::Entry> files = std::move(total.files);
    const auto failure = total.archiveFailure;
    const std::uint64_t bytes = total.bytes;
    const int passes = total.passes, forms = total.forms, lost = total.formsLost;
    std::optional<ExchangeRecord> record = std::move(total.pendingRecord);
    total = next;
    // One record for all the tries: from the first one's start to the last one's end, with how
    // the last ended and what every try received.
    if (record && next.pendingRecord) {
        record->end = next.pendingRecord->end;
        record->outcome = next.pendingRecord->outcome;
        record->forms += next.pendingRecord->forms;
        record->bytes += next.pendingRecord->bytes;
        total.pendingRecord = std::move(record);
    }
    total.started = started;
    total.bytes += bytes;
    total.passes += passes;
    total.forms += forms;
    total.formsLost += lost;
    if (failure) total.archiveFailure = failure;
    files.insert(files.end(), next.files.begin(), next.files.end());
    total.files = std::move(files);
}

QString siteSummary(const CollectRound::SiteRun& run) {
    QString text = Collector::summary(run.report);
    if (run.tries > 1) text += texts::collectTries(run.tries);
    return text;
}

QJsonObject siteJson(const CollectRound::SiteRun& run) {
    QJsonArray files;
    for (const FormArchive::Entry& e : run.report.files) files.append(e.path);
    QJsonObject o{{"site", run.site},
                  {"outcome", keyOf(run.report.outcome)},
                  {"exitStatus", int(run.report.outcome)},
                  {"forms", run.report.forms},
                  {"tries", run.tries},
                  {"port", run.report.port},
                  {"files", files}};
    if (!run.report.message.isEmpty()) o.insert("message", run.report.message);
    return o;
}

// Every site in one lane: one at a time, in the book's order.
LineScheduler::Lane bookOrder(int count) {
    LineScheduler::Lane lane(std::size_t(count), 0);
    for (int i = 0; i < count; ++i) lane[std::size_t(i)] = i;
    return lane;
}

std::vector<LineScheduler::Lane> lanesOf(const QList<Site>& sites) {
    std::vector<LineKey> keys;
    for (const Site& site : sites) keys.push_back(siteLineKey(site));
    return LineScheduler::lanesOf(keys);
}

}  // namespace

bool CollectRound::retryable(CollectOutcome outcome) {
    if (outcome == CollectOutcome::OpenFailed || outcome == CollectOutcome::NoHandshake ||
        outcome == CollectOutcome::LineBroken)
        return true;
    // A call that met a busy number or a slow network may come about later; a modem that
    // refuses the site's settings will refuse them again.
    const std::optional<DialOutcome> dial = dialOutcomeOf(outcome);
    return dial && worthAnotherTry(*dial);
}

// Between tries the round sleeps in the collector's own signal, so a stop ends the wait at once.
bool CollectRound::waitBeforeRetry(std::int64_t ms, WakeSignal& wake) {
    const std::int64_t deadline = m_clock.nowMs() + ms;
    for (;;) {
        if (stopped()) return false;
        const std::int64_t left = deadline - m_clock.nowMs();
        if (left <= 0) return true;
        m_wait(std::chrono::milliseconds(left), wake);
    }
}

int CollectRound::retryPauseSeconds(int delaySeconds, int failedTries) {
    const int first = std::max(delaySeconds, kMinRetryPauseSeconds);
    const int ceiling = std::max(first, kMaxRetryPauseSeconds);
    int pause = first;
    for (int i = 1; i < failedTries && pause < ceiling; ++i)
        pause = pause > ceiling / 2 ? ceiling : pause * 2;
    return std::min(pause, ceiling);
}

CollectRound::SiteRun CollectRound::collect(const CollectOptions& options, Console& console,
                                            WakeSignal& wake) {
    SiteRun run;
    run.site = options.site.value_or(QString());
    // Wide: the retries at the top of int plus the first try must not wrap to no try at all.
    const std::int64_t tries = std::int64_t{options.retries} + 1;
    for (;;) {
        const Collector::Report report = m_collect(options, console, wake);
        absorb(run.report, report, run.tries == 0);
        ++run.tries;
        if (!retryable(report.outcome) || run.tries >= tries || stopped()) break;
        const int pause = retryPauseSeconds(options.retryDelaySeconds, run.tries);
        console.line(texts::collectTryFailed(run.tries, tries,
                                             collectOutcomeOf(report.outcome).meaning, pause));
        if (!waitBeforeRetry(std::int64_t{pause} * 1000, wake)) {
            // The try's failure stays the outcome (it outranks a stop); the log says why no
            // more tries followed.
            console.line(texts::kCollectRetriesStopped);
            break;
        }
    }
    if (run.report.pendingRecord) {
        run.report.pendingRecord->tries = run.tries;
        Collector::keepRecord(run.report, console);
    }
    return run;
}

CollectRound::Result CollectRound::collectSites(const QList<Site>& sites) {
    Result result;
    result.all = true;
    result.started = QDateTime::currentDateTime();
    // A site the round never came to, for a stop, is told as such.
    for (const Site& site : sites) {
        SiteRun skipped{site.name, Collector::usageReport(texts::kCollectNotTried), 0};
        skipped.report.outcome = skipped.report.otherOutcome = CollectOutcome::Interrupted;
        result.runs.push_back(std::move(skipped));
    }
    const std::vector<LineScheduler::Lane> lanes = lanesOf(sites);
    const int jobs = LineScheduler::jobsFor(m_options.jobs, lanes.size(),
                                            CollectOptions::kDefaultJobs);
    const int count = int(sites.size());
    LineScheduler(m_stopSignal, m_events)
        .run(jobs == 1 ? std::vector<LineScheduler::Lane>{bookOrder(count)} : lanes, jobs,
             [&](int i, WakeSignal& wake) {
                 Console console(m_console, sites[i].name);
                 console.line(texts::collectSiteBegins(sites[i].name, i + 1, count));
                 result.runs[std::size_t(i)] =
                     collect(optionsForSite(m_options, sites[i]), console, wake);
                 console.line(texts::collectSiteEnded(sites[i].name,
                                                      siteSummary(result.runs[std::size_t(i)])));
             });
    result.outcome = roundOutcome(result.runs, stopped());
    result.finished = QDateTime::currentDateTime();
    return result;
}

CollectRound::Result CollectRound::run() {
    CollectOptions options = m_options;
    if (m_options.all || m_options.site) {
        const SiteChoice chosen = chooseSites(m_options);
        if (!chosen.error.isEmpty()) {
            m_console.line(chosen.error);
            return usageResult(chosen.error);
        }
        if (m_options.all) return collectSites(chosen.sites);
        options = optionsForSite(m_options, chosen.sites.front());
    }
    Result result;
    result.runs.push_back(collect(options));
    result.outcome = result.runs.front().report.outcome;
    result.started = result.runs.front().report.started;
    result.finished = result.runs.front().report.finished;
    return result;
}

CollectOutcome CollectRound::roundOutcome(const std::vector<SiteRun>& runs, bool stopped) {
    const auto has = [&](CollectOutcome outcome) {
        return std::any_of(runs.begin(), runs.end(),
                           [&](const SiteRun& r) { return r.report.outcome == outcome; });
    };
    if (stopped)
        return has(CollectOutcome::ArchiveIncomplete) ? CollectOutcome::ArchiveIncomplete
                                                      : CollectOutcome::Interrupted;
    const auto failed = std::count_if(
        runs.begin(), runs.end(), [](const SiteRun& r) { return !succeeded(r.report.outcome); });
    if (failed == 0)
        return has(CollectOutcome::FormsReceived) ? CollectOutcome::FormsReceived
                                                  : CollectOutcome::NothingReceived;
    if (std::size_t(failed) < runs.size()) return CollectOutcome::SomeSitesFailed;
    // Every site failed: most often for one cause, which the most important failure names.
    for (CollectOutcome outcome : {CollectOutcome::ArchiveIncomplete, CollectOutcome::OpenFailed,
                                   CollectOutcome::NoHandshake, CollectOutcome::BadReply,
                                   CollectOutcome::EchoTooLate, CollectOutcome::LineBroken,
                                   CollectOutcome::DialBusy, CollectOutcome::DialNoAnswer,
                                   CollectOutcome::DialNoCarrier, CollectOutcome::DialNoDialtone,
                                   CollectOutcome::DialError, CollectOutcome::DialBearerRefused,
                                   CollectOutcome::ModemSilent, CollectOutcome::DialTimeout,
                                   CollectOutcome::Interrupted, CollectOutcome::SettingsNotWritten})
        if (has(outcome)) return outcome;
    return CollectOutcome::Usage;
}

CollectRound::Result CollectRound::usageResult(const QString& error) {
    Result result;
    result.outcome = CollectOutcome::Usage;
    result.runs.push_back({{}, Collector::usageReport(error), 0});
    result.started = result.finished = result.runs.front().report.started;
    return result;
}

QString CollectRound::summary(const Result& r) {
    if (!r.all) return siteSummary(r.runs.front());
    int forms = 0, nothing = 0, failed = 0, notTried = 0;
    for (const SiteRun& run : r.runs) {
        if (run.tries == 0)
            ++notTried;
        else if (run.report.outcome == CollectOutcome::FormsReceived)
            ++forms;
        else if (run.report.outcome == CollectOutcome::NothingReceived)
            ++nothing;
        else
            ++failed;
    }
    return texts::collectRoundSummary(collectOutcomeOf(r.outcome).meaning, int(r.runs.size()),
                                      forms, nothing, failed, notTried);
}

QByteArray CollectRound::json(const Result& r) {
    if (!r.all) {
        const SiteRun& run = r.runs.front();
        QJsonObject o = QJsonDocument::fromJson(Collector::json(run.report)).object();
        o.insert("tries", run.tries);
        if (!run.site.isEmpty()) o.insert("site", run.site);
        return QJsonDocument(o).toJson(QJsonDocument::Indented);
    }
    QJsonArray sites;
    int forms = 0, lost = 0;
    for (const SiteRun& run : r.runs) {
        sites.append(siteJson(run));
        forms += run.report.forms;
        lost += run.report.formsLost;
    }
    const CollectOutcomeInfo& info = collectOutcomeOf(r.outcome);
    const QJsonObject o{{"outcome", QString::fromUtf8(info.key)},
                        {"exitCode", int(r.outcome)},
                        {"meaning", info.meaning},
                        {"started", jsonTime(r.started)},
                        {"finished", jsonTime(r.finished)},
                        {"seconds", r.started.msecsTo(r.finished) / 1000.0},
                        {"formsReceived", forms},
                        {"formsLost", lost},
                        {"sites", sites}};
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}
