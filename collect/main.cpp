// tabulon-collect: receives a calculator's forms into the archive without a person at a
// desktop; meant to be started by a systemd timer, one instance per line.
#include <QCoreApplication>
#include <cstdio>

#include "collect/CollectOptions.h"
#include "collect/CollectRound.h"
#include "collect/Collector.h"
#include "collect/Console.h"
#include "platform/ProcessSignals.h"
#include "res/Texts.h"
#include "settings/IniPath.h"

namespace {

// The log's last line, and the report when asked for. Nobody may be reading any more (a pipe
// closed early): what cannot be written is lost, the exit status still says it.
int finish(const CollectRound::Result& result, bool json, Console& console) {
    if (result.outcome != CollectOutcome::Usage) console.line(CollectRound::summary(result));
    if (json) {
        const QByteArray text = CollectRound::json(result);
        std::fwrite(text.constData(), 1, std::size_t(text.size()), stdout);
        std::fflush(stdout);
    }
    return int(result.outcome);
}

}  // namespace

int main(int argc, char** argv) {
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
        return finish(CollectRound::usageResult(options.error), options.json, console);
    }
    g_strIniPath = computeIniPath();
    static std::atomic<int> stopSignal{0};
    static WakeSignal events;
    catchStopSignals(stopSignal, events);

    SteadyClock clock;
    CollectRound round(
        options, console, stopSignal, clock,
        [](std::chrono::milliseconds ms) {
            events.waitFor(ms);
            events.clear();
        },
        [&console](const CollectOptions& o) {
            return Collector(o, console, stopSignal, events).run();
        });
    return finish(round.run(), options.json, console);
}
