// tabulon-collect: receives a calculator's forms into the archive without a person at a
// desktop; meant to be started by a systemd timer, one instance per line.
#include <QCoreApplication>
#include <cstdio>

#include "collect/CollectOptions.h"
#include "collect/Collector.h"
#include "collect/Console.h"
#include "platform/Console.h"
#include "settings/IniPath.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const CollectOptions options = ParseCollectOptions(app.arguments().mid(1));
    if (options.help) {
        std::fputs(CollectUsage().toUtf8().constData(), stdout);
        return 0;
    }
    Console console(StandardErrorIsTerminal());
    if (!options.error.isEmpty()) {
        console.line(options.error);
        console.line(QStringLiteral("Справка: tabulon-collect --help"));
        return int(CollectOutcome::Usage);
    }
    g_strIniPath = ComputeIniPath();
    static std::atomic<int> stopSignal{0};
    CatchStopSignals(stopSignal);

    Collector collector(options, console, stopSignal);
    const Collector::Report report = collector.run();
    console.line(QStringLiteral("Итог: %1; форм: %2, байт: %3")
                     .arg(QString::fromUtf8(CollectOutcomeOf(report.outcome).meaning))
                     .arg(report.forms)
                     .arg(report.bytes));
    if (options.json) {
        const QByteArray json = Collector::Json(report);
        std::fwrite(json.constData(), 1, std::size_t(json.size()), stdout);
    }
    return int(report.outcome);
}
