#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "archive/ExchangeRecord.h"
#include "bench/store/StoreBench.h"
#include "platform/Clock.h"
#include "sites/MonthRoundModel.h"
#include "sites/MonthRoundWindow.h"
#include "sites/SiteBook.h"
#include "store/StoreUploader.h"
#include "tests/fakes/PostgresServer.h"

using namespace bench;

namespace {

QString siteName(int i) {
    return QStringLiteral("Объект %1").arg(i + 1);
}

void writeBook(const QString& path, int sites) {
    QList<Site> book;
    for (int i = 0; i < sites; ++i) {
        Site s;
        s.name = siteName(i);
        s.port = QStringLiteral("COM1");
        book.append(s);
    }
    QString error;
    if (!SiteBook::save(path, book, &error)) die(error.toStdString());
}

// Every site read once a day of the current month, by one of two collectors (`machines`
// archives): a record each, every tenth without forms.
void writeRecords(const QStringList& machines, int sites) {
    const QDate first(QDate::currentDate().year(), QDate::currentDate().month(), 1);
    for (int day = 0; day < first.daysInMonth(); ++day)
        for (int i = 0; i < sites; ++i) {
            ExchangeRecord r;
            r.site = siteName(i);
            r.port = QStringLiteral("COM1");
            r.device = QStringLiteral("КСМ-Р");
            r.speed = 9600;
            r.start = QDateTime(first.addDays(day), QTime(1 + i / 60 % 20, i % 60)).toUTC();
            r.end = r.start.addSecs(40);
            const bool received = (day + i) % 10 != 0;
            r.outcome = received ? RecordOutcome::FormsReceived : RecordOutcome::NothingReceived;
            if (received) r.forms.append({r.site + "/" + first.toString(u"yyyy-MM") + "/f.txt", 2600});
            r.bytes = received ? 2600 : 0;
            QString error;
            if (!ExchangeRecords::write(machines[i % machines.size()], r, &error))
                die(error.toStdString());
        }
}

// Opens the window and waits for its rows; the milliseconds it took.
double openMs(const QString& book, const QString& archive, const StoreAddress& store, int sites) {
    QElapsedTimer timer;
    timer.start();
    auto* window = new MonthRoundWindow(book, archive, store);
    bool shown = false;
    QObject::connect(window, &MonthRoundWindow::shown, [&] { shown = true; });
    window->show();
    while (!shown && timer.elapsed() < 60000) QApplication::processEvents(QEventLoop::AllEvents, 1);
    const double ms = timer.nsecsElapsed() / 1e6;
    if (window->model()->rowCount() != sites) die("the window shows another number of sites");
    delete window;
    return ms;
}

}  // namespace

void monthWindow(const Arguments& a) {
    const int sites = int(a.amount ? a.amount : 500);
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("sites.toml"));
    writeBook(book, sites);
    const QStringList machines{dir.filePath("collector-1"), dir.filePath("collector-2")};
    writeRecords(machines, sites);
    PostgresServer server;
    if (!server.ok()) die(server.error().toStdString());
    server.psql("CREATE DATABASE month");
    const StoreAddress store =
        StoreAddress::fromText(server.superAddress("month"), QStringLiteral("bench"));
    SteadyClock clock;
    for (const QString& machine : machines)
        if (!StoreUploader(store, machine, clock).drain(0).complete()) die("upload failed");
    settle();
    // This desktop's own archive holds nothing: every row comes from the store. The same
    // records read from a collector's own archive, without a store, for comparison.
    const QString desktop = dir.filePath(QStringLiteral("desktop"));
    QDir().mkpath(desktop);
    std::vector<double> fromStore, fromFolder;
    for (int round = 0; round < a.rounds; ++round) {
        fromStore.push_back(openMs(book, desktop, store, sites));
        fromFolder.push_back(openMs(book, machines[0], {}, sites));
    }
    const double ms = median(fromStore);
    row("\"Сбор за месяц\", " + std::to_string(sites) + " sites, their month from the store",
        format("%.0f ms", ms), format("%.0f ms one collector's own folder (half the records)", median(fromFolder)),
        ms / 1000, "< 1 s", ms < 1000);
}
