// The common archive on loopback against a PostgreSQL of the bench's own, on the archive the
// index benchmark generates (daily reports of 2-4 KB, 20 sites, 12 months):
//   store_bench upload [FORMS=5000 [ROUNDS=3]]  forms per second into an empty store
//   store_bench drain [FORMS=100000]            a backlog drained in one go, and a row's size
//   store_bench search [FORMS=100000]           the first 100 hits of a search, in the store
//                                               and in the local index of the same forms
//   store_bench million [FORMS=1000000]         the same over a million forms made in a store
//                                               kept in $TABULON_BENCH_STORE between runs
//   store_bench month [SITES=500 [ROUNDS=3]]    "Сбор за месяц" read from the store
// Prints rows of a Markdown table.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "bench/BenchTable.h"
#include "bench/index/ArchiveGenerator.h"
#include "bench/store/StoreBench.h"
#include "index/FormQuery.h"
#include "index/IndexDatabase.h"
#include "index/Reconciler.h"
#include "index/StoreHits.h"
#include "store/StoreSearch.h"
#include "store/StoreUploader.h"
#include "tests/fakes/PostgresServer.h"

using namespace bench;

namespace {

struct Sent {
    double seconds = 0;
    int forms = 0;
};

Sent send(PostgresServer& server, const QString& root, const QString& database) {
    server.psql("CREATE DATABASE " + database);
    SteadyClock clock;
    StoreUploader uploader(
        StoreAddress::fromText(server.superAddress(database), QStringLiteral("bench")), root,
        clock);
    QElapsedTimer timer;
    timer.start();
    const StoreUploader::Report r = uploader.drain(0);
    if (!r.complete()) die(r.failure.toStdString());
    return {timer.nsecsElapsed() / 1e9, r.formsSent};
}

void upload(PostgresServer& server, const Arguments& a) {
    QTemporaryDir archive;
    generateArchive(archive.path(), int(a.amount ? a.amount : 5000));
    std::vector<double> rates;
    for (int round = 0; round < a.rounds; ++round) {
        const Sent s = send(server, archive.path(), QStringLiteral("up%1").arg(round));
        rates.push_back(s.forms / s.seconds);
        // The next round sends everything again, into a store of its own.
        QDir(archive.path() + "/.store").removeRecursively();
    }
    const double rate = median(rates);
    row("upload, forms/s", format("%.0f", rate), "-", rate / 500, "≥ 500", rate >= 500);
}

void drain(PostgresServer& server, const Arguments& a) {
    QTemporaryDir archive;
    const int forms = int(a.amount ? a.amount : 100000);
    generateArchive(archive.path(), forms);
    const Sent s = send(server, archive.path(), QStringLiteral("drain"));
    row("drain " + std::to_string(forms) + " forms, s", format("%.1f", s.seconds), "-",
        s.seconds / 300, "< 300", s.seconds < 300);
    const double bytes =
        server.psql("SELECT pg_total_relation_size('forms')::float8 / count(*) FROM forms", "drain")
            .toDouble();
    row("store bytes per form (table, TOAST, indexes)", format("%.0f", bytes), "-", 0, "-", true);
}

void search(PostgresServer& server, const Arguments& a) {
    QTemporaryDir archive;
    generateArchive(archive.path(), int(a.amount ? a.amount : 100000));
    send(server, archive.path(), QStringLiteral("search"));
    IndexDatabase db;
    if (!db.open(archive.filePath(QStringLiteral("index.sqlite")))) die("no index");
    Reconciler(db, archive.path()).run();
    settle();
    StoreSearch store(
        StoreAddress::fromText(server.superAddress("search"), QStringLiteral("bench")), 10000);
    for (const QString& q : {serialOf(4242), QStringLiteral("наработки"),
                             "теплопотреблении " + serialOf(4242), QStringLiteral("ко"),
                             QStringLiteral("Котельная 6"), QStringLiteral("код 17"),
                             QStringLiteral("10.12.2025"), QStringLiteral("нет такого")}) {
        std::size_t hits = 0;
        const double ours = bestMs([&] { hits = StoreHits::find(store, q).value().size(); });
        const double local = bestMs([&] { FormQuery(db, q, {}).fetch(100); });
        row(QStringLiteral("Search \"%1\", %2 hits of 100").arg(q).arg(hits).toStdString(),
            format("%.1f ms", ours), format("%.1f ms local FTS5", local), ours / local,
            "under 100 ms", ours < 100);
    }
}

}  // namespace

int main(int argc, char** argv) {
    // The month's window is a window: on no screen at all unless one is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const Arguments a = arguments(argc, argv);
    if (a.what == "million") {
        const QString kept = qEnvironmentVariable("TABULON_BENCH_STORE");
        if (kept.isEmpty()) die("TABULON_BENCH_STORE names the folder the store is kept in");
        searchMillion(a, kept);
        return 0;
    }
    if (a.what == "month") {
        header("Tabulon", "-");
        monthWindow(a);
        return 0;
    }
    PostgresServer server;
    if (!server.ok()) die(server.error().toStdString());
    header("Tabulon", "-");
    if (a.what == "upload")
        upload(server, a);
    else if (a.what == "drain")
        drain(server, a);
    else if (a.what == "search")
        search(server, a);
    else
        die("upload [FORMS [ROUNDS]] | drain [FORMS] | search [FORMS] | million [FORMS] |"
            " month [SITES [ROUNDS]]");
    return 0;
}
