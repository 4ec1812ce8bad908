// The archive window's index on a generated archive, against the tools a user would otherwise
// use (see bench/README.md):
//   index_bench generate DIR [FORMS=100000]
//   index_bench index DIR          first indexing, reopening, 100 new files, the searches
//   index_bench first DIR          the first indexing alone
//   index_bench update DIR         reopening and 100 new files alone
//   index_bench reopen DIR         the same without the first indexing
//   index_bench trigram DIR [N=5000]  the index's trigrams against FTS5's own trigram tokenizer
//   index_bench window DIR         resident size with the window open on DIR
//   index_bench show DIR TEXT      the window on the screen with TEXT searched
//   index_bench gaps DIR           the window's longest pause: first indexing, a two-letter
//                                  search, closing during the first indexing
#include <sqlite3.h>
#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <string>

#include "bench/BenchTable.h"
#include "bench/index/ArchiveGenerator.h"
#include "files/TextFileCodec.h"
#include "index/ArchiveWindow.h"
#include "index/FormQuery.h"
#include "index/IndexDatabase.h"
#include "index/IndexLocation.h"
#include "index/Reconciler.h"
#include "res/Texts.h"

namespace {

double seconds(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}

// Processor time of this process so far: on a shared machine the wall clock tells the load.
double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return 0;
}

bool dropCaches() {
    if (std::system("sync") != 0) return false;
    std::ofstream drop("/proc/sys/vm/drop_caches");
    drop << "3\n";
    drop.flush();
    return bool(drop);
}

// All the forms' bytes read as they lie, file by file: what indexing cannot beat.
qint64 readAll(const QString& root) {
    qint64 bytes = 0;
    QDirIterator it(root, {QStringLiteral("*.txt")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly)) bytes += f.readAll().size();
    }
    return bytes;
}

double grepSeconds(const QString& root, const QString& text) {
    QTemporaryDir dir;
    const QString pattern = dir.filePath(QStringLiteral("pattern"));
    QFile f(pattern);
    f.open(QIODevice::WriteOnly);
    f.write(QStringEncoder("windows-1251")(text));
    f.close();
    const QByteArray command = "grep -rlF -f '" + QFile::encodeName(pattern) + "' '" +
                               QFile::encodeName(root) + "' > /dev/null";
    QElapsedTimer t;
    t.start();
    if (std::system(command.constData()) < 0) bench::die("grep did not run");
    return seconds(t);
}

double searchSeconds(IndexDatabase& db, const QString& text, int& hits) {
    QElapsedTimer t;
    t.start();
    FormQuery q(db, text, {});
    hits = int(q.fetch(100).size());
    return seconds(t);
}

void indexing(const QString& root) {
    const QString file = IndexLocation::fileFor(root);
    IndexDatabase::removeFiles(file);
    dropCaches();
    QElapsedTimer t;
    t.start();
    const qint64 readBytes = readAll(root);
    const double read = seconds(t);
    dropCaches();
    IndexDatabase db;
    if (!db.open(file)) bench::die(db.error().toStdString());
    t.restart();
    const double cpu = cpuSeconds();
    const Reconciler::Summary first = Reconciler(db, root).run();
    const double indexed = seconds(t);
    const double mbs = double(first.bytes) / 1e6 / indexed;
    const double perCpu = double(first.bytes) / 1e6 / (cpuSeconds() - cpu);
    std::fprintf(stderr, "%d forms, %.0f MB, index file %.0f MB\n", first.added,
                 double(first.bytes) / 1e6, double(QFileInfo(file).size()) / 1e6);
    bench::row("First indexing, cold cache (per processor second)",
               bench::format("%.1f MB/s", mbs) + bench::format(" (%.1f MB/s)", perCpu),
               bench::format("%.1f MB/s (reading the files)", double(readBytes) / 1e6 / read),
               mbs / (double(readBytes) / 1e6 / read), "at least 20 MB/s", mbs >= 20);
    db.close();
}

// What looking at every file's size and time costs by itself.
double findSeconds(const QString& root) {
    const QByteArray command =
        "find '" + QFile::encodeName(root) + "' -name '*.txt' -printf '%s %T@\\n' > /dev/null";
    QElapsedTimer t;
    t.start();
    if (std::system(command.constData()) != 0) bench::die("find did not run");
    return seconds(t);
}

void reopening(const QString& root) {
    const QString file = IndexLocation::fileFor(root);
    const double find = findSeconds(root);
    QElapsedTimer t;
    t.start();
    IndexDatabase again;
    again.open(file);
    const std::size_t page = FormQuery(again, {}, {}).fetch(100).size();
    const qint64 scopes = qint64(again.scopes().size());
    const double shown = seconds(t);
    const Reconciler::Summary none = Reconciler(again, root).run();
    const double unchanged = seconds(t);
    t.restart();
    Reconciler thorough(again, root);
    thorough.setThorough(true);
    const Reconciler::Summary noneThorough = thorough.run();
    const double statted = seconds(t);
    bench::row("Reopening, nothing changed: list shown / names checked / every file's time",
               bench::format("%.3f s", shown) + bench::format(" / %.3f s", unchanged) +
                   bench::format(" / %.3f s", statted),
               bench::format("%.3f s find -printf size and time", find), unchanged / find,
               "under 1 s",
               unchanged < 1 && none.added + none.changed == 0 &&
                   noneThorough.added + noneThorough.changed == 0);
    std::fprintf(stderr, "%zu forms and %lld months shown first\n", page, qlonglong(scopes));
    generateArchive(root, 100, 1000000 + int(again.formCount().value_or(0)));
    const double findMore = findSeconds(root);
    t.restart();
    const Reconciler::Summary added = Reconciler(again, root).run();
    const double more = seconds(t);
    bench::row("After 100 new files (" + std::to_string(added.added) + " added)",
               bench::format("%.3f s", more), bench::format("%.3f s find", findMore),
               more / findMore, "under 1 s more", more < 1);
}

void searches(const QString& root) {
    const QString file = IndexLocation::fileFor(root);
    const QString queries[] = {serialOf(4242), QStringLiteral("Котельная 6"),
                               QStringLiteral("код 17"), QStringLiteral("наработки"),
                               QStringLiteral("нет такого")};
    for (const QString& q : queries) {
        int hits = 0;
        for (bool cold : {true, false}) {
            if (cold && !dropCaches()) continue;
            IndexDatabase db;
            db.open(file);
            const double ours = searchSeconds(db, q, hits);
            if (cold) dropCaches();
            const double grep = grepSeconds(root, q);
            bench::row(QStringLiteral("Search \"%1\", %2 hits of 100, %3")
                           .arg(q)
                           .arg(hits)
                           .arg(cold ? QStringLiteral("cold") : QStringLiteral("warm"))
                           .toStdString(),
                       bench::format("%.1f ms", ours * 1000),
                       bench::format("%.0f ms grep -rlF", grep * 1000), grep / ours,
                       "under 50 ms, at least 20 x", ours < 0.05 && grep / ours >= 20);
        }
    }
}

// The same forms into this index and into one of FTS5's own trigram tokenizer (detail=full,
// the text as UTF-8), each in one transaction.
void trigramPeer(const QString& root, int forms) {
    std::vector<QByteArray> texts;
    qint64 bytes = 0;
    QDirIterator it(root, {QStringLiteral("*.txt")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext() && int(texts.size()) < forms) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly)) bytes += texts.emplace_back(f.readAll()).size();
    }
    QTemporaryDir dir;
    IndexDatabase ours;
    ours.open(dir.filePath(QStringLiteral("ours.sqlite")));
    QElapsedTimer t;
    t.start();
    ours.begin();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        FormRecord r;
        r.path = QString::number(i);
        ours.put(r, texts[i]);
    }
    ours.commit();
    const double oursMbs = double(bytes) / 1e6 / seconds(t);
    std::vector<QByteArray> utf8;
    for (const QByteArray& text : texts) utf8.push_back(TextFileCodec::decode(text).toUtf8());
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(dir.filePath(QStringLiteral("fts5.sqlite"))).constData(), &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=WAL; CREATE VIRTUAL TABLE t USING fts5(body, "
                 "tokenize='trigram'); BEGIN",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t(body) VALUES(?)", -1, &insert, nullptr);
    t.restart();
    for (const QByteArray& text : utf8) {
        sqlite3_bind_text(insert, 1, text.constData(), int(text.size()), SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const double peerMbs = double(bytes) / 1e6 / seconds(t);
    sqlite3_finalize(insert);
    sqlite3_close(db);
    bench::row(
        bench::format("Indexing %.0f forms: distinct trigrams, detail=none", double(texts.size())),
        bench::format("%.1f MB/s", oursMbs),
        bench::format("%.1f MB/s FTS5 trigram tokenizer", peerMbs), oursMbs / peerMbs, "(shown)",
        true);
}

int window(int argc, char** argv, const QString& root) {
    QApplication app(argc, argv);
    const long before = statusKb("VmRSS:");
    ArchiveWindow w(root);
    w.showArchive();
    while (w.isUpdating()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    w.showForms(QString(), QDate());
    QCoreApplication::processEvents();
    const long after = statusKb("VmRSS:");
    bench::row("Resident size, window open on the archive (high-water mark)",
               bench::format("%.0f MB", double(after) / 1024) +
                   bench::format(" (%.0f MB)", double(statusKb("VmHWM:")) / 1024),
               bench::format("%.0f MB before the window", double(before) / 1024), 0, "under 150 MB",
               statusKb("VmHWM:") < 150 * 1024);
    return 0;
}

// The window on the screen with `text` searched, until it is closed: for a picture of it.
int show(int argc, char** argv, const QString& root, const QString& text) {
    QApplication app(argc, argv);
    ArchiveWindow w(root);
    w.showArchive();
    while (w.isUpdating()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    auto* search = w.findChild<QLineEdit*>(QStringLiteral("ArchiveSearch"));
    search->setText(text);
    emit search->textEdited(text);
    return app.exec();
}

// The longest pause between two ticks of a 10 ms timer on the window's thread: how long the
// window could not have answered a key or repainted. On a loaded machine a pause may be the
// thread waiting for a core; the processor time the thread itself spent between two ticks is
// its own work, whatever the load.
class GapMeter {
public:
    GapMeter() {
        m_tick.setInterval(10);
        QObject::connect(&m_tick, &QTimer::timeout, [this] { tick(); });
    }
    void restart() {
        m_longest = m_busiest = 0;
        m_clock.start();
        m_cpu = threadCpuNs();
        m_tick.start();
    }
    qint64 longestMs() const { return std::max(m_longest, m_clock.elapsed()); }
    double busiestMs() const {
        return double(std::max(m_busiest, threadCpuNs() - m_cpu)) / 1e6;
    }

private:
    static qint64 threadCpuNs() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
    void tick() {
        m_longest = std::max(m_longest, m_clock.restart());
        const qint64 cpu = threadCpuNs();
        m_busiest = std::max(m_busiest, cpu - m_cpu);
        m_cpu = cpu;
    }

    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
    qint64 m_busiest = 0;
    qint64 m_cpu = 0;
};

// Runs the window's events until `done` holds, at most `limitMs`.
template <typename Done>
void runUntil(Done done, int limitMs) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
}

void gapRow(const std::string& what, const GapMeter& meter) {
    const qint64 gap = meter.longestMs();
    bench::row(what, bench::format("%.0f ms", double(gap)) +
                         bench::format(" (%.1f ms processor)", meter.busiestMs()),
               "", double(gap) / 50, "no gap over 50 ms", gap <= 50);
}

// The window shown on an archive without an index, then closed (deleted, as a window over
// another folder is replaced) `afterMs` into its first indexing.
void closingGap(const QString& root, int afterMs, const char* when) {
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    dropCaches();
    auto* w = new ArchiveWindow(root);
    w->showArchive();
    runUntil([] { return false; }, afterMs);
    const bool updating = w->isUpdating();
    GapMeter meter;
    meter.restart();
    QTimer::singleShot(0, [w] { delete w; });
    runUntil([] { return false; }, 500);
    gapRow(std::string("Closing the window ") + when + (updating ? "" : " (indexing had ended)"),
           meter);
}

// The first indexing with the window open, then a term of two letters that no trigram holds,
// which only a reading of every stored text answers.
void typingGap(const QString& root) {
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    dropCaches();
    ArchiveWindow w(root);
    GapMeter meter;
    meter.restart();
    QElapsedTimer t;
    t.start();
    w.showArchive();
    runUntil([&] { return !w.isUpdating(); }, 600000);
    gapRow(bench::format("First indexing with the window open (%.0f s)", seconds(t)),
           meter);
    auto* search = w.findChild<QLineEdit*>(QStringLiteral("ArchiveSearch"));
    auto* status = w.findChild<QLabel*>();
    const QString term = QStringLiteral("щя");
    runUntil([] { return false; }, 300);
    meter.restart();
    t.restart();
    for (int i = 1; i <= term.size(); ++i) {
        search->setText(term.left(i));
        emit search->textEdited(search->text());
        runUntil([] { return false; }, 80);
    }
    // Answered once the count is no longer the note of a search under way.
    runUntil([&] { return t.elapsed() > 500 && status->text() != texts::kArchiveSearching; },
             600000);
    gapRow(bench::format("Typing \"щя\", answered in %.1f s: ", seconds(t)) +
               status->text().toStdString(),
           meter);
}

int gaps(int argc, char** argv, const QString& root) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    typingGap(root);
    closingGap(root, 100, "during the first walk of the folders");
    closingGap(root, 4000, "while the first indexing reads forms");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bench::Arguments a = bench::arguments(argc, argv);
    const QString root = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QCoreApplication::setOrganizationName(QStringLiteral("TabulonBench"));
    if (a.what == "header") {
        bench::header("index", "peer");
    } else if (a.what == "generate" && argc > 2) {
        const int forms = argc > 3 ? std::atoi(argv[3]) : 100000;
        QElapsedTimer t;
        t.start();
        const qint64 bytes = generateArchive(root, forms);
        std::fprintf(stderr, "%d forms, %.0f MB in %.0f s\n", forms, double(bytes) / 1e6,
                     seconds(t));
    } else if (a.what == "index" && argc > 2) {
        indexing(root);
        reopening(root);
        searches(root);
    } else if (a.what == "first" && argc > 2) {
        indexing(root);
    } else if (a.what == "update" && argc > 2) {
        reopening(root);
    } else if (a.what == "reopen" && argc > 2) {
        reopening(root);
        searches(root);
    } else if (a.what == "trigram" && argc > 2) {
        trigramPeer(root, a.rounds > 0 && argc > 3 ? std::atoi(argv[3]) : 5000);
    } else if (a.what == "show" && argc > 3) {
        return show(argc, argv, root, QString::fromLocal8Bit(argv[3]));
    } else if (a.what == "gaps" && argc > 2) {
        return gaps(argc, argv, root);
    } else if (a.what == "window" && argc > 2) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return window(argc, argv, root);
    } else {
        bench::die(
            "usage: index_bench header | generate DIR [FORMS] | index DIR | trigram DIR [N] | "
            "window DIR");
    }
    return 0;
}
