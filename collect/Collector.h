#pragma once

#include <QDateTime>
#include <QString>
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "acquisition/LinkSetup.h"
#include "archive/ExchangeRecord.h"
#include "archive/FormArchive.h"
#include "collect/CollectOptions.h"
#include "collect/CollectOutcome.h"
#include "platform/WakeSignal.h"

class Console;

// One unattended exchange: the settings resolved, the worker run on the line with the answers
// of CollectHost, the forms archived, the outcome decided.
class Collector {
public:
    struct Report {
        CollectOutcome outcome = CollectOutcome::NothingReceived;
        QString port, device;
        int rate = 0;
        QString folder;
        QDateTime started, finished;
        std::uint64_t bytes = 0;
        int passes = 0;
        int forms = 0;
        std::vector<FormArchive::Entry> files;  // with `keepEntries`
        std::optional<FormArchive::Failure> archiveFailure;
        int formsLost = 0;  // received but not in the archive
        // What the exchange met besides lost forms, which outrank it in `outcome`.
        CollectOutcome otherOutcome = CollectOutcome::NothingReceived;
        QString message;        // the worker's failure message, or the command line's fault
        QString record;         // the exchange's record in the archive
        QString recordFailure;  // where and why it could not be written
        // The record, until keepRecord writes it once the collection's tries are over.
        std::optional<ExchangeRecord> pendingRecord;
        QString archiveRoot;
    };

    // `events` is raised with every stop signal; the collector raises it too, for its own
    // watch, when the worker begins a pass or ends.
    Collector(const CollectOptions& options, Console& console, const std::atomic<int>& stopSignal,
              WakeSignal& events)
        : m_options(options), m_console(console), m_stopSignal(stopSignal), m_events(events) {}

    Report run();
    // The line the exchange runs over, in place of opening the options' port: a connection
    // that a modem made to the office.
    void setLine(SerialOpener line) { m_line = std::move(line); }

    // The report as JSON, for --json.
    static QByteArray json(const Report& report);
    // The log's last line.
    static QString summary(const Report& report);
    // The report of a command line that makes no sense.
    static Report usageReport(const QString& error);
    // Writes the pending record into the archive. A record lost is a collection nobody will
    // know of: it counts as an archive failure.
    static void keepRecord(Report& report, Console& console);

private:
    struct Exchange;

    bool resolveLine(Report& report, int& deviceType);
    void logArchive(FormArchive& archive, std::optional<FormArchive::Entry>& cutShort);
    void runExchange(Exchange& exchange, const Report& report, int deviceType);
    void watch(Exchange& exchange);
    std::int64_t nextDeadline(Exchange& exchange, std::int64_t waitMs, std::int64_t progressMs);
    static void conclude(Report& report, const Exchange& exchange, const FormArchive& archive);
    static ExchangeRecord recordOf(const Report& report, const QString& archiveRoot,
                                   const FormArchive::Line& line, const Exchange& exchange);

    const CollectOptions& m_options;
    Console& m_console;
    const std::atomic<int>& m_stopSignal;
    WakeSignal& m_events;
    SerialOpener m_line;
};
