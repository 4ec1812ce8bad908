// tabulon-collect: receives a calculator's forms into the archive without a person at a
// desktop; meant to be started by a systemd timer, one instance per line.
#include <QCoreApplication>
#include <QJsonDocument>
#include <cstdio>

#include "collect/CollectOptions.h"
#include "collect/CollectRound.h"
#include "collect/CollectUpload.h"
#include "collect/Collector.h"
#include "collect/Console.h"
#include "collect/ListenService.h"
#include "platform/ProcessSignals.h"
#include "platform/ThreadLocalCleanup.h"
#include "res/Texts.h"
#include "settings/IniPath.h"

namespace {

// The log's last line, and the report when asked for. Nobody may be reading any more (a pipe
// closed early): what cannot be written is lost, the exit status still says it.
int finish(const CollectRound::Result& result, const std::optional<StoreUploader::Report>& store,
           bool json, Console& console) {
    if (result.outcome != CollectOutcome::Usage) console.line(CollectRound::summary(result));
    if (json) {
        QByteArray text = CollectRound::json(result);
        if (store) {
            QJsonObject o = QJsonDocument::fromJson(text).object();
            o.insert("store", CollectUpload::json(*store));
            text = QJsonDocument(o).toJson(QJsonDocument::Indented);
        }
        std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
        std::fflush(stdout);
    }
    return int(result.outcome);
}

// After the round, never inside it: a store that is away costs the calculators nothing.
std::optional<StoreUploader::Report> sendAfter(const CollectRound::Result& result,
                                               const CollectOptions& options, Console& console,
                                               const std::atomic<int>& stop, WakeSignal& events) {
    if (result.outcome == CollectOutcome::Usage) return std::nullopt;
    // The pauses between tries at the store wait in it: whatever the round left raised is over.
    events.clear();
    return CollectUpload::send(CollectUpload::rootsOf(result), options.uploadWaitSeconds, console,
                               stop, &events);
}

// --upload: the archive's backlog sent, nothing collected.
int uploadOnly(const CollectOptions& options, Console& console, const std::atomic<int>& stop,
               const WakeSignal& events) {
    const CollectUpload::Drained drained =
        CollectUpload::drainOnly(options, console, stop, &events);
    if (options.json)
        std::fwrite(drained.json.constData(), 1, std::size_t(drained.json.size()), stdout);
    return int(drained.outcome);
}

}  // namespace

int main(int argc, char** argv) {
    orderThreadLocalCleanup();
    // From the first line on: a reader that goes away must not end an exchange mid-form.
    ignoreBrokenPipe();
    prepareConsoleOutput();
    QCoreApplication app(argc, argv);
    const CollectOptions options = parseCollectOptions(app.arguments().mid(1));
    if (options.help) {
        std::fputs(collectUsage().toUtf8().constData(), stdout);
        return 0;
    }
    Console console(standardErrorIsTerminal());
    if (!options.error.isEmpty()) {
        console.line(options.error);
        console.line(texts::kCollectHelpHint);
        return finish(CollectRound::usageResult(options.error), std::nullopt, options.json,
                      console);
    }
    g_strIniPath = computeIniPath();
    static std::atomic<int> stopSignal{0};
    static WakeSignal events;
    catchStopSignals(stopSignal, events);
    if (options.upload) return uploadOnly(options, console, stopSignal, events);

    SteadyClock clock;
    if (options.listen)
        return ListenService(options, console, stopSignal, events, clock).run();
    CollectRound round(
        options, console, stopSignal, events, clock,
        [](std::chrono::milliseconds ms, WakeSignal& wake) {
            wake.waitFor(ms);
            wake.clear();
        },
        [](const CollectOptions& o, Console& siteConsole, WakeSignal& wake) {
            return Collector(o, siteConsole, stopSignal, wake).run();
        });
    const CollectRound::Result result = round.run();
    return finish(result, sendAfter(result, options, console, stopSignal, events), options.json,
                  console);
}
