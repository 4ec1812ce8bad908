#pragma once

#include <QDateTime>
#include <QString>
#include <atomic>
#include <cstdint>
#include <vector>

#include "archive/FormArchive.h"
#include "collect/CollectOptions.h"
#include "collect/CollectOutcome.h"

class Console;

// One unattended exchange: the settings resolved, the worker run on the line with the answers
// of CollectHost, the forms archived, the outcome decided.
class Collector {
public:
    struct Report {
        CollectOutcome outcome = CollectOutcome::Nothing;
        QString port, device;
        int rate = 0;
        QString folder;
        QDateTime started, finished;
        std::uint64_t bytes = 0;
        int passes = 0;
        int forms = 0;
        std::vector<FormArchive::Entry> files;  // with `keepEntries`
        std::optional<FormArchive::Failure> archiveFailure;
        QString message;  // the worker's failure message, if any
    };

    Collector(const CollectOptions& options, Console& console, const std::atomic<int>& stopSignal)
        : m_options(options), m_console(console), m_stopSignal(stopSignal) {}

    Report run();

    // The report as JSON, for --json.
    static QByteArray Json(const Report& report);

private:
    bool resolveLine(Report& report, int& deviceType);

    const CollectOptions& m_options;
    Console& m_console;
    const std::atomic<int>& m_stopSignal;
};
