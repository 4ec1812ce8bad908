#include "collect/Collector.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <limits>
#include <thread>
#include <utility>

#include "acquisition/AcquisitionThreadProc.h"
#include "acquisition/DeviceType.h"
#include "archive/ExchangeRecord.h"
#include "collect/CollectHost.h"
#include "collect/Console.h"
#include "collect/CountingPort.h"
#include "platform/NetworkSerialPort.h"
#include "ports/ComPortOpener.h"
#include "res/Texts.h"
#include "settings/ExchangeChoice.h"
#include "settings/IniPath.h"
#include "settings/SettingsFile.h"

namespace {

// How often a terminal sees the bytes and forms go by.
constexpr std::int64_t kProgressMs = 200;
// After a stop signal, how soon the stop is given again to a pass that cleared it as it began.
constexpr std::int64_t kEndingTurnMs = 20;
constexpr std::int64_t kNoDeadline = std::numeric_limits<std::int64_t>::max();

QString meaningOf(CollectOutcome outcome) {
    return collectOutcomeOf(outcome).meaning;
}

// With the offset from UTC, so that a reader elsewhere, or after the clocks change, reads the
// same instant.
QString jsonTime(const QDateTime& time) {
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

}  // namespace

// The worker's side of one exchange, shared with the thread that watches it.
struct Collector::Exchange {
    Exchange(Console& console, FormArchive& archive, const Report& report, int passes)
        : host(console, archive, {report.port, report.device, QString::number(report.rate)},
               g_strIniPath, bytesRead, passes, clock) {}

    SteadyClock clock;
    std::atomic<std::uint64_t> bytesRead{0};
    std::atomic<bool> done{false};
    ExchangeOutcome outcome = ExchangeOutcome::NothingReceived;  // once done
    bool interrupted = false;
    ReceiveControl rc;
    CollectHost host;
};

// Port, type and speed: the options', else the configuration file's. A port is never guessed:
// unasked, the handshake byte could reach whatever device answers to COM1.
bool Collector::resolveLine(Report& report, int& deviceType) {
    QString port, device = kDefaultDevice, rate = kDefaultRate;
    bool iniRead = true;
    if (!m_options.port || !m_options.deviceType || !m_options.rate) {
        ReadSettingsFile(g_strIniPath, port, device, rate, [&](const QString& text, unsigned) {
            iniRead = false;
            m_console.line(text);
            return 1;
        });
    }
    if (!m_options.port && !iniRead) {
        report.message = texts::kCollectNoPort;
        m_console.line(report.message);
        return false;
    }
    // The command line's parts were checked as they were given; they stand over the file's.
    if (m_options.port) port = *m_options.port;
    if (m_options.deviceType) device = exchangeDeviceName(*m_options.deviceType);
    if (m_options.rate) rate = QString::number(*m_options.rate);
    report.port = port;
    const CheckedChoice choice = checkChoice(port, device, rate, kCollectRules);
    if (choice.verdict != ChoiceVerdict::Accepted) {
        report.message = choiceVerdictText(choice.verdict);
        m_console.line(report.message);
        return false;
    }
    deviceType = *choice.type;
    report.device = exchangeDeviceName(deviceType);
    report.rate = *choice.rate;
    return true;
}

// Until the worker ends: a stop signal ends the exchange, a pass that hears nothing for
// --wait seconds is stopped, and a terminal sees the bytes and forms go by. Between these the
// thread sleeps until the next deadline or until the events signal wakes it.
void Collector::watch(Exchange& x) {
    const std::int64_t waitMs = std::int64_t{m_options.waitSeconds} * 1000;
    std::int64_t progressMs = x.clock.nowMs() + kProgressMs;
    while (!x.done.load()) {
        m_events.waitFor(
            std::chrono::milliseconds(nextDeadline(x, waitMs, progressMs) - x.clock.nowMs()));
        m_events.clear();
        if (m_stopSignal.load() != 0 && !x.interrupted) {
            x.interrupted = true;
            // Before the first pass nothing received can be lost, and only an abort ends the
            // opening and the handshake at once.
            if (!x.host.interrupt()) x.rc.requestAbort();
        }
        // A pass that began just before the signal cleared the stop as it started.
        if (x.interrupted && !x.rc.m_bStop) x.rc.requestStop();
        if (!x.interrupted) x.host.stopIfSilent(x.rc, waitMs);
        if (m_console.terminal() && x.clock.nowMs() >= progressMs) {
            progressMs = x.clock.nowMs() + kProgressMs;
            m_console.progress(texts::collectProgress(x.bytesRead.load(), x.host.formsReceived()));
        }
    }
}

std::int64_t Collector::nextDeadline(Exchange& x, std::int64_t waitMs, std::int64_t progressMs) {
    std::int64_t deadline = m_console.terminal() ? progressMs : kNoDeadline;
    if (x.interrupted) return std::min(deadline, x.clock.nowMs() + kEndingTurnMs);
    if (const std::optional<std::int64_t> silent = x.host.silenceDeadline(waitMs))
        deadline = std::min(deadline, *silent);
    return deadline;
}

Collector::Report Collector::run() {
    Report report;
    report.started = QDateTime::currentDateTime();
    int deviceType = 0;
    if (!resolveLine(report, deviceType)) {
        report.outcome = report.otherOutcome = CollectOutcome::Usage;
        report.finished = QDateTime::currentDateTime();
        return report;
    }
    ArchiveSettings settings = ArchiveSettings::load();
    if (m_options.folder) settings.folder = *m_options.folder;
    if (m_options.nameTemplate) settings.nameTemplate = *m_options.nameTemplate;
    report.folder = settings.folder;

    const FormArchive::Line line{report.port, report.device, report.rate,
                                 m_options.site.value_or(QString())};
    FormArchive archive(settings, line);
    archive.keepEntries(true);  // for the record
    std::optional<FormArchive::Entry> cutShort;
    logArchive(archive, cutShort);
    Exchange x(m_console, archive, report, m_options.passes);
    runExchange(x, report, deviceType);
    archive.finish();
    if (cutShort)
        m_console.line(texts::kCollectFormCutShort.arg(cutShort->number)
                           .arg(cutShort->path)
                           .arg(cutShort->size));
    conclude(report, x, archive);
    report.pendingRecord = recordOf(report, settings.folder, line, x);
    report.archiveRoot = settings.folder;
    return report;
}

// Each form is logged when its file is written. Only the exchange's last form can end cut
// short; that one is told once the archive is done.
void Collector::logArchive(FormArchive& archive, std::optional<FormArchive::Entry>& cutShort) {
    archive.setWrittenHandler([this, &cutShort](const FormArchive::Entry& e) {
        cutShort.reset();
        if (!e.complete) {
            cutShort = e;
            return;
        }
        m_console.line(texts::collectFormWritten(e.number, e.path, e.size));
    });
    archive.setFailureHandler([this](const FormArchive::Failure& f) {
        m_console.line(FormArchive::failureText(f).replace(u'\n', u' '));
    });
    archive.setLeftoversHandler([this](const std::vector<Leftover>& found) {
        for (const Leftover& leftover : found) m_console.line(FormArchive::leftoverText(leftover));
    });
    archive.recoverLeftovers();
}

// The worker on the line, watched until it ends.
void Collector::runExchange(Exchange& x, const Report& report, int deviceType) {
    x.rc.m_strPort = report.port.toStdString();
    x.rc.m_nRate = report.rate;
    x.rc.m_nDeviceType = DeviceType(deviceType);
    x.rc.m_dial = m_options.dial;
    x.rc.m_pMainFrame = &x.host;
    x.rc.m_bReceiving = 1;
    const auto logWait = [this](bool waiting) {
        if (waiting) m_console.line(texts::lineWaiting(m_options.lineWaitSeconds));
    };
    const SerialOpener opener = [this, &x, logWait](const std::string& name, int rate) {
        SerialOpenResult r =
            m_line ? m_line(name, rate)
                   : openComPortWith(name, rate, {&x.rc.m_wake, &x.rc.m_bAbort, logWait},
                                     std::chrono::seconds(m_options.lineWaitSeconds));
        if (r.port) r.port = std::make_unique<CountingPort>(std::move(r.port), x.bytesRead);
        return r;
    };
    x.host.setPassSignal(&m_events);
    std::thread worker([&] {
        x.outcome = ::runExchange(x.rc, opener, x.clock);
        x.done = true;
        m_events.raise();
    });
    watch(x);
    worker.join();
    m_console.endProgress();
}

void Collector::conclude(Report& report, const Exchange& x, const FormArchive& archive) {
    report.finished = QDateTime::currentDateTime();
    report.bytes = x.bytesRead.load();
    report.passes = x.host.passes();
    report.forms = x.host.formsReceived();
    report.files = archive.entries();
    report.archiveFailure = archive.firstFailure();
    report.message = x.host.failure().value_or(QString());
    report.otherOutcome = collectOutcomeOf(x.outcome, x.interrupted);
    // A lost form outranks everything else: it is what nobody can fetch again later.
    if (report.archiveFailure)
        report.formsLost = std::max(1, report.forms - archive.formsWritten());
    report.outcome =
        report.archiveFailure ? CollectOutcome::ArchiveIncomplete : report.otherOutcome;
}

// Once the archive is done, so that the record's forms are the files as they stand.
ExchangeRecord Collector::recordOf(const Report& report, const QString& archiveRoot,
                                   const FormArchive::Line& line, const Exchange& x) {
    ExchangeRecord record;
    record.site = line.site;
    record.port = report.port;
    record.device = report.device;
    record.speed = report.rate;
    record.start = report.started.toUTC();
    record.end = report.finished.toUTC();
    record.outcome = recordOutcomeOf(
        {x.outcome, x.interrupted, report.archiveFailure.has_value(), report.forms > 0});
    record.forms = ExchangeRecords::formsOf(archiveRoot, report.files);
    record.bytes = qint64(report.bytes);
    return record;
}

void Collector::keepRecord(Report& report, Console& console) {
    if (!report.pendingRecord) return;
    const ExchangeRecord record = *std::exchange(report.pendingRecord, std::nullopt);
    if (ExchangeRecords::write(report.archiveRoot, record, &report.recordFailure, &report.record))
        return;
    console.line(texts::kRecordNotWritten.arg(report.recordFailure).replace(u'\n', u' '));
    report.outcome = CollectOutcome::ArchiveIncomplete;
}

Collector::Report Collector::usageReport(const QString& error) {
    Report report;
    report.outcome = report.otherOutcome = CollectOutcome::Usage;
    report.started = report.finished = QDateTime::currentDateTime();
    report.message = error;
    return report;
}

QString Collector::summary(const Report& r) {
    if (r.outcome != CollectOutcome::ArchiveIncomplete)
        return texts::kCollectSummary.arg(meaningOf(r.outcome)).arg(r.forms).arg(r.bytes);
    QString text = r.archiveFailure
                       ? texts::kCollectFormsLost.arg(r.formsLost).arg(r.forms).arg(r.bytes)
                       : texts::kCollectRecordLost.arg(r.forms).arg(r.bytes);
    if (r.otherOutcome != CollectOutcome::FormsReceived &&
        r.otherOutcome != CollectOutcome::NothingReceived)
        text += texts::kCollectAlso.arg(meaningOf(r.otherOutcome));
    return text;
}

QByteArray Collector::json(const Report& r) {
    QJsonArray files;
    for (const FormArchive::Entry& e : r.files)
        files.append(QJsonObject{{"number", e.number},
                                 {"file", e.path},
                                 {"size", qint64(e.size)},
                                 {"complete", e.complete}});
    const CollectOutcomeInfo& info = collectOutcomeOf(r.outcome);
    QJsonObject o{{"outcome", QString::fromUtf8(info.key)},
                  {"exitCode", int(r.outcome)},
                  {"meaning", info.meaning},
                  {"port", r.port},
                  {"device", r.device},
                  {"speed", r.rate},
                  {"archive", r.folder},
                  {"started", jsonTime(r.started)},
                  {"finished", jsonTime(r.finished)},
                  {"seconds", r.started.msecsTo(r.finished) / 1000.0},
                  {"bytes", qint64(r.bytes)},
                  {"passes", r.passes},
                  {"formsReceived", r.forms},
                  {"formsLost", r.formsLost},
                  {"forms", files}};
    if (r.otherOutcome != r.outcome)
        o.insert("otherOutcome", QString::fromUtf8(collectOutcomeOf(r.otherOutcome).key));
    if (!r.message.isEmpty()) o.insert("message", r.message);
    if (!r.record.isEmpty()) o.insert("record", r.record);
    if (!r.recordFailure.isEmpty()) o.insert("recordFailure", r.recordFailure);
    if (r.archiveFailure)
        o.insert("archiveFailure", QJsonObject{{"form", r.archiveFailure->number},
                                               {"reason", r.archiveFailure->reason},
                                               {"folder", r.archiveFailure->folder}});
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}
