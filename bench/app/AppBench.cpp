// Measures, by hand (see bench/README.md for the other layers):
//   startup  — process start until the main window is shown and painted, Tabulon against a bare
//              QMainWindow program, both from this one executable so they load the same code;
//   exchange — FORMS small forms from the simulated calculator (type 4: no echo, the line at
//              full pseudo-terminal speed) through the whole program, one window per form:
//              time per form and the memory of the program afterwards;
//   archive  — type 4 throughput and type 0 echo turnaround with the form archive on and off;
//   endless  — MEGABYTES of text without a form end through the whole program (a faulty device,
//              a fast network server): the program's peak resident size and the windows left.
// QT_QPA_PLATFORM defaults to offscreen.
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/TabulonPlusApp.h"
#include "archive/ArchiveName.h"
#include "archive/ArchiveSettings.h"
#include "bench/app/BenchOperator.h"
#include "forms/FormTemplate.h"
#include "frames/CommandRouter.h"
#include "frames/FormWindows.h"
#include "frames/MainFrame.h"
#include "res/CommandIds.h"
#include "tools/CalculatorSimulator.h"
#include "tools/Cp866Encoder.h"

namespace {

void prepareProfile(const QTemporaryDir& dir) {
    const QString ini = dir.filePath("Tabulon.ini");
    QFile f(ini);
    f.open(QIODevice::WriteOnly);
    f.write(QStringEncoder("windows-1251")(
        QStringLiteral("PORT = COM1\r\nDEVICE = КСМ-Ж\r\nRATE = 9600")));
    f.close();
    qputenv("TABULON_INI", ini.toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("profile"));
    ArchiveSettings archive;
    archive.folder = dir.filePath("archive");
    archive.nameTemplate = ArchiveName::kDefaultTemplate;
    archive.save();
}

// The two programs measured by `startup`; each ends as soon as its window is painted.
// Both leave at once without tearing down: only the way to the painted window is measured.
int childTabulon(int argc, char** argv) {
    QApplication app(argc, argv);
    CTabulonPlusApp tabulon;
    if (!tabulon.InitInstance({})) _exit(1);  // shown maximized and painted on return
    _exit(0);
}

// The bare peer in two kinds: an empty main window, which never lays out a letter, and the same
// window with one menu and "Ready" in its status bar, which loads the fonts as any program
// with a word on its window must.
int childBare(int argc, char** argv, bool withText) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QMdiArea);
    if (withText) {
        window.menuBar()->addMenu(QStringLiteral("&Файл"))->addAction(QStringLiteral("&Выход"));
        window.statusBar()->showMessage(QStringLiteral("Ready"));
    }
    window.showMaximized();
    window.repaint();
    _exit(0);
}

double spawnMs(const char* self, const char* mode) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(self, self, mode, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int startup(const char* self, int runs) {
    QTemporaryDir dir;  // the configuration file and profile the children find
    prepareProfile(dir);
    std::vector<double> tabulon, bare, bareText;
    for (const char* mode : {"--child-bare", "--child-bare-text", "--child-tabulon"})
        spawnMs(self, mode);  // warm the file cache for all three
    for (int i = 0; i < runs; ++i) {
        bare.push_back(spawnMs(self, "--child-bare"));
        bareText.push_back(spawnMs(self, "--child-bare-text"));
        tabulon.push_back(spawnMs(self, "--child-tabulon"));
    }
    const double t = median(tabulon), b = median(bare), bt = median(bareText);
    std::printf(
        "| start-up to the main window painted (median of %d) | time | Tabulon / this |\n"
        "|---|---|---|\n",
        runs);
    std::printf("| Tabulon | %.1f ms | |\n", t);
    std::printf("| bare QMainWindow, empty (no text laid out) | %.1f ms | %.2f |\n", b, t / b);
    std::printf("| bare QMainWindow, one menu and \"Ready\" | %.1f ms | %.2f |\n", bt, t / bt);
    return 0;
}

long statusKb(const char* field) {
    QFile f("/proc/self/status");
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ')[0].toLong();
    return -1;
}

int exchange(int argc, char** argv, int forms) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    prepareProfile(dir);

    CalculatorSimulatorOptions options;
    options.deviceType = 4;
    for (int i = 0; i < forms; ++i)
        options.stream.forms.push_back("Ведомость N" + std::to_string(i + 1) +
                                       "\nt1 = 94.21  t2 = 61.08  Q = 0.413 Гкал\n");
    CalculatorSimulator sim(options);
    if (!sim.start()) {
        std::fprintf(stderr, "simulator: %s\n", sim.error().c_str());
        return 1;
    }
    qputenv("TABULON_COM1", QByteArray::fromStdString(sim.slavePath()));
    const BenchOperator answers;

    const long rssBefore = statusKb("VmRSS:");
    CTabulonPlusApp tabulon;
    if (!tabulon.InitInstance({})) return 1;
    CMainFrame* frame = tabulon.mainFrame();
    QElapsedTimer timer;
    timer.start();
    frame->commands().run(id::ID_CONNECT);
    while (frame->exchange().workerAlive()) QApplication::processEvents(QEventLoop::AllEvents, 5);
    // The pass ends one second after the last byte (type 4): that second is not the forms'.
    const double ms = timer.elapsed() - 1000.0;
    const int received = static_cast<int>(frame->forms().formTemplate().documents().size()) - 1;
    std::printf("| measure | value |\n|---|---|\n");
    std::printf("| forms received (one window each) | %d of %d |\n", received, forms);
    std::printf("| time per form | %.2f ms |\n", ms / forms);
    std::printf("| VmRSS before start-up / after the exchange | %ld / %ld KiB |\n", rssBefore,
                statusKb("VmRSS:"));
    std::printf("| VmHWM after the exchange | %ld KiB |\n", statusKb("VmHWM:"));
    tabulon.ExitInstance();
    return received == forms ? 0 : 1;
}

// The program in a process of its own, so that its peak holds none of the simulator's stream.
int childEndless(int argc, char** argv, const char* port) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    prepareProfile(dir);
    qputenv("TABULON_COM1", port);
    const BenchOperator answers;
    CTabulonPlusApp tabulon;
    if (!tabulon.InitInstance({})) return 1;
    CMainFrame* frame = tabulon.mainFrame();
    frame->commands().run(id::ID_CONNECT);
    while (frame->exchange().workerAlive()) QApplication::processEvents(QEventLoop::AllEvents, 5);
    for (int i = 0; i < 50; ++i) QApplication::processEvents(QEventLoop::AllEvents, 5);
    int files = 0;
    for (QDirIterator it(dir.filePath("archive"), QDir::Files, QDirIterator::Subdirectories);
         it.hasNext(); it.next())
        ++files;
    std::printf("| windows open after the exchange | %lld |\n",
                static_cast<long long>(frame->forms().formTemplate().documents().size()));
    std::printf("| forms in the archive | %d |\n", files);
    std::printf("| status line | %s |\n", qPrintable(frame->statusBar()->currentMessage()));
    std::printf("| VmHWM (peak resident size) | %ld KiB |\n", statusKb("VmHWM:"));
    std::printf("| VmRSS after the exchange | %ld KiB |\n", statusKb("VmRSS:"));
    std::fflush(stdout);
    _exit(0);
}

int endless(const char* self, int megabytes) {
    CalculatorSimulatorOptions options;
    options.deviceType = 4;
    const std::string line =
        utf8ToCp866("14.01 12:00  t1= 94.21 C  t2= 61.08 C  M1=12.446 т  Q=0.413 Гкал\r\n");
    const std::size_t size = std::size_t(megabytes) << 20;
    options.stream.rawBytes.reserve(size + line.size());
    while (options.stream.rawBytes.size() < size)
        options.stream.rawBytes.insert(options.stream.rawBytes.end(), line.begin(), line.end());
    CalculatorSimulator sim(options);
    if (!sim.start()) {
        std::fprintf(stderr, "simulator: %s\n", sim.error().c_str());
        return 1;
    }
    std::printf("| %d MiB without a form end, the whole program | value |\n|---|---|\n", megabytes);
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        execl(self, self, "--child-endless", sim.slavePath().c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    sim.stop();
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int archiveOnOff(int argc, char** argv, int kb, int rounds);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--child-tabulon") return childTabulon(1, argv);
    if (mode == "--child-bare") return childBare(1, argv, false);
    if (mode == "--child-bare-text") return childBare(1, argv, true);
    if (mode == "--child-endless" && argc > 2) return childEndless(1, argv, argv[2]);
    if (mode == "endless") return endless(argv[0], argc > 2 ? std::atoi(argv[2]) : 100);
    if (mode == "startup") return startup(argv[0], argc > 2 ? std::atoi(argv[2]) : 15);
    if (mode == "exchange") return exchange(1, argv, argc > 2 ? std::atoi(argv[2]) : 1000);
    if (mode == "archive")
        return archiveOnOff(1, argv, argc > 2 ? std::atoi(argv[2]) : 2000,
                            argc > 3 ? std::max(1, std::atoi(argv[3])) : 3);
    std::fprintf(stderr,
                 "usage: %s startup [RUNS] | exchange [FORMS] | archive [KB [ROUNDS]] | endless "
                 "[MEGABYTES]\n",
                 argv[0]);
    return 2;
}
