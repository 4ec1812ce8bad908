// The whole program with its form archive on and off, in one run: type 4 throughput and type 0
// echo turnaround as the simulated calculator measures them. Rounds alternate which goes first.
#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/TabulonPlusApp.h"
#include "archive/ArchiveName.h"
#include "archive/ArchiveSettings.h"
#include "bench/BenchTable.h"
#include "bench/app/BenchOperator.h"
#include "frames/CommandRouter.h"
#include "frames/MainFrame.h"
#include "frames/WorkerCalls.h"
#include "res/CommandIds.h"
#include "tools/CalculatorSimulator.h"

namespace {

struct Figures {
    double megabytesPerSecond = 0;
    double medianEchoUs = 0;
};

void prepare(const QTemporaryDir& dir, bool archive, const char* device) {
    const QString ini = dir.filePath("Tabulon.ini");
    QFile f(ini);
    f.open(QIODevice::WriteOnly);
    f.write(QStringEncoder("windows-1251")(
        QStringLiteral("PORT = COM1\r\nDEVICE = %1\r\nRATE = 19200").arg(device)));
    f.close();
    qputenv("TABULON_INI", ini.toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("profile"));
    ArchiveSettings s;
    s.enabled = archive;
    s.folder = dir.filePath("archive");
    s.nameTemplate = ArchiveName::kDefaultTemplate;
    s.save();
}

// One exchange through the whole program; the simulator's report of it.
CalculatorSimulatorReport exchange(CalculatorSimulatorOptions options, bool archive) {
    QTemporaryDir dir;
    prepare(dir, archive, options.deviceType == 4 ? "КСМ-Ж" : "КСМ-Р");
    CalculatorSimulator sim(options);
    if (!sim.start()) std::exit(1);
    qputenv("TABULON_COM1", QByteArray::fromStdString(sim.slavePath()));
    const BenchOperator answers;
    CTabulonPlusApp tabulon;
    if (!tabulon.InitInstance({})) std::exit(1);
    CMainFrame* frame = tabulon.mainFrame();
    frame->commands().run(id::ID_CONNECT);
    while (frame->exchange().workerAlive()) QApplication::processEvents(QEventLoop::AllEvents, 5);
    frame->calls().finishArchive();
    sim.waitFinished(std::chrono::seconds(10));
    tabulon.ExitInstance();
    const CalculatorSimulatorReport r = sim.report();
    if (r.streamsCompleted != 1 || r.echoErrors || r.echoesMissing) {
        std::fprintf(stderr, "archive bench: the exchange went wrong\n");
        std::exit(1);
    }
    return r;
}

std::string form(std::size_t size) {
    const std::string line = "14.01 12:00  t1= 94.21 C  t2= 61.08 C  M1=12.446 т  Q=0.413 Гкал\n";
    std::string f;
    while (f.size() + line.size() < size) f += line;
    return f;
}

Figures measure(int kb, bool archive) {
    CalculatorSimulatorOptions stream;
    stream.deviceType = 4;
    stream.stream.forms.assign(std::max(1, kb / 8), form(8192));
    const CalculatorSimulatorReport s = exchange(stream, archive);

    CalculatorSimulatorOptions echo;
    echo.deviceType = 0;
    echo.recordEchoTimes = true;
    echo.stream.forms.assign(std::max(1, kb / 40), form(2048));
    CalculatorSimulatorReport e = exchange(echo, archive);
    std::sort(e.echoTurnaroundNs.begin(), e.echoTurnaroundNs.end());
    return {s.bytesSent / 1e6 / (s.lastStreamNs / 1e9),
            e.echoTurnaroundNs[e.echoTurnaroundNs.size() / 2] / 1000.0};
}

}  // namespace

int archiveOnOff(int argc, char** argv, int kb, int rounds) {
    QApplication app(argc, argv);
    std::vector<double> onMb, offMb, onUs, offUs;
    for (int i = 0; i < rounds; ++i) {
        const bool onFirst = i % 2 == 0;
        const Figures a = measure(kb, onFirst), b = measure(kb, !onFirst);
        const Figures& on = onFirst ? a : b;
        const Figures& off = onFirst ? b : a;
        onMb.push_back(on.megabytesPerSecond);
        offMb.push_back(off.megabytesPerSecond);
        onUs.push_back(on.medianEchoUs);
        offUs.push_back(off.medianEchoUs);
        std::printf("<!-- round %d: %.2f / %.2f MB/s, %.1f / %.1f us -->\n", i + 1,
                    on.megabytesPerSecond, off.megabytesPerSecond, on.medianEchoUs,
                    off.medianEchoUs);
    }
    using bench::median;
    const double mOn = median(onMb), mOff = median(offMb), uOn = median(onUs), uOff = median(offUs);
    std::printf(
        "| measure | archive on | archive off | ratio | target | verdict |\n"
        "|---|---|---|---|---|---|\n");
    std::printf(
        "| Tabulon throughput, type 4, %d KB of 8 KB forms | %.2f MB/s | %.2f MB/s | %.3f "
        "| >= 0.95 | %s |\n",
        kb, mOn, mOff, mOn / mOff, mOn >= 0.95 * mOff ? "met" : "MISSED");
    std::printf(
        "| Tabulon echo turnaround, median, type 0 | %.1f us | %.1f us | %.3f | <= 1.05 "
        "| %s |\n",
        uOn, uOff, uOn / uOff, uOn <= 1.05 * uOff ? "met" : "MISSED");
    return 0;
}
