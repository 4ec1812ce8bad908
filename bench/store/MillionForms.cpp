#include "bench/store/StoreBench.h"

#include <QDate>
#include <memory>

#include "index/StoreHits.h"
#include "store/StoreSchema.h"
#include "store/StoreSearch.h"
#include "tests/fakes/PostgresServer.h"

using namespace bench;

namespace {

// Made in the store itself, as uploading a million files would take the better part of an
// hour: the generator's daily reports (bench/index/ArchiveGenerator) of 500 sites over five and
// a half years, each with its own serial number, site and date, their tables of figures drawn
// from 20,000 made at random (a form of 2.6 KB, as the generator's).
const char* const kTables =
    "CREATE TABLE IF NOT EXISTS bench_tables AS SELECT b, rows, (SELECT string_agg(format("
    "' %s:%s  %s  %s  %s  %s  %s  %s   %s', lpad((r / 2)::text, 2, '0'),"
    " CASE WHEN r % 2 = 0 THEN '00' ELSE '30' END,"
    " to_char(60 + random() * 40, 'FM990.00'), to_char(35 + random() * 20, 'FM990.00'),"
    " lpad(to_char(random() * 80, 'FM990.000'), 7), lpad(to_char(random() * 80, 'FM990.000'), 7),"
    " to_char(random() * 2, 'FM0.0000'), to_char(0.3 + random() * 0.5, 'FM0.000'),"
    " CASE WHEN random() < 0.025 THEN 'код ' || (11 + floor(random() * 9))::int ELSE '-' END),"
    " E'\\r\\n') FROM generate_series(0, rows - 1 + 0 * b) r) AS figures"
    " FROM (SELECT b, 28 + floor(random() * 25)::int AS rows FROM generate_series(0, 19999) b) s";

QString formsFrom(long from, long count) {
    return QStringLiteral(
               "INSERT INTO forms (site, port, device, speed, received, file_name, size, hash,"
               " body, incomplete, machine) SELECT site, port, 'КСМ-Р', 9600, received,"
               " site || '/' || to_char(received, 'YYYY-MM') || '/' ||"
               " to_char(received, 'YYYY-MM-DD_HH24-MI-SS') || '_' || port || '_КСМ-Р_' ||"
               " lpad(i::text, 7, '0') || '.txt', length(body), sha256(convert_to(body, 'UTF8')),"
               " body, false, 1 FROM (SELECT i, site, port, received,"
               " 'Суточный отчёт о теплопотреблении' || E'\\r\\n' ||"
               " 'Тепловычислитель КСМ-Р зав. N ' || lpad((i % 997 * 100 + i % 89)::text, 5, '0')"
               " || E'\\r\\n' || 'Объект: ' || site || E'\\r\\n' || 'Дата: ' ||"
               " to_char(received, 'DD.MM.YYYY') || E'\\r\\n\\r\\n' ||"
               " ' Время  T1,°C   T2,°C   G1,т     G2,т     Q,Гкал   P1,МПа  Ошибки' || E'\\r\\n'"
               " || t.figures || E'\\r\\n\\r\\n' || 'Итого за сутки: Q = ' ||"
               " to_char((i % 40000) / 1000.0, 'FM990.000') || ' Гкал, время наработки ' ||"
               " (t.rows / 2) || ' ч' || E'\\r\\n' AS body FROM (SELECT i,"
               " (ARRAY['Котельная','Школа','ЦТП','Больница','Жилой дом'])[i % 5 + 1] || ' ' ||"
               " (i % 500 + 1) AS site, 'COM' || (i % 4 + 1) AS port,"
               " now() - interval '2000 days' + (i / 500) * interval '1 day' +"
               " (i % 500) * interval '97 s' AS received FROM generate_series(%1, %2) i) g"
               " JOIN bench_tables t ON t.b = (g.i::bigint * 7919) % 20000) f")
        .arg(from)
        .arg(from + count - 1);
}

// The store of `forms` forms, made the first time and kept after.
void fill(PostgresServer& server, const StoreAddress& address, long forms) {
    StoreConnection connection(address, 60000);
    QString storeId;
    if (!connection.open() || !StoreSchema::migrate(connection, &storeId))
        die(connection.message().toStdString());
    const long stored = server.psql("SELECT count(*) FROM forms", "million").toLong();
    if (stored >= forms) return;
    std::fprintf(stderr, "Making %ld forms in the store (once; kept for the next runs)...\n", forms);
    server.psql("INSERT INTO machines (machine_key, host_name) VALUES ('bench', 'bench')"
                " ON CONFLICT DO NOTHING", "million");
    server.psql(kTables, "million");
    constexpr long kChunk = 20000;  // each within the fixture's two minutes for a statement
    for (long from = stored; from < forms; from += kChunk) {
        server.psql(formsFrom(from, std::min(kChunk, forms - from)), "million");
        if (!server.ok()) die(server.error().toStdString());
        std::fprintf(stderr, "  %ld\n", std::min(from + kChunk, forms));
    }
    server.psql("ANALYZE forms", "million");
}

struct Kind {
    const char* measure;
    QString query;
    FormQuery::Scope scope;
};

// The serial number of form `n`, in about one form in 88,733 (997 x 89).
QString serial(long n) {
    return QStringLiteral("%1").arg(n % 997 * 100 + n % 89, 5, 10, QChar(u'0'));
}

}  // namespace

void searchMillion(const Arguments& a, const QString& folder) {
    const long forms = a.amount ? a.amount : 1000000;
    PostgresServer server(folder);
    if (!server.ok()) die(server.error().toStdString());
    if (server.psql("SELECT 1 FROM pg_database WHERE datname = 'million'").isEmpty())
        server.psql("CREATE DATABASE million");
    const StoreAddress address =
        StoreAddress::fromText(server.superAddress("million"), QStringLiteral("bench"));
    fill(server, address, forms);
    const QString site = QStringLiteral("Котельная 6");
    const QString month = QDate::currentDate().addMonths(-2).toString(u"yyyy-MM");
    const Kind kinds[] = {
        {"a rare number", serial(4242), {}},
        {"a word in every form", QStringLiteral("наработки"), {}},
        {"two terms: in every form and rare", "теплопотреблении " + serial(4242), {}},
        {"a short prefix", QStringLiteral("ко"), {}},
        {"a word and a short number", QStringLiteral("Котельная 6"), {}},
        {"a date (500 forms, its pieces in most)", QDate::currentDate().addYears(-1).toString(
                                                       u"dd.MM.yyyy"), {}},
        {"nothing found", QStringLiteral("нет такого"), {}},
        {"a site's forms, every one", QStringLiteral("наработки"), {site, {}}},
        {"a month's forms, a rare number", serial(4242), {{}, month}},
    };
    StoreSearch search(address, 60000);
    header("Tabulon", "-");
    for (const Kind& k : kinds) {
        std::size_t hits = 0;
        const double ms = bestMs([&] { hits = StoreHits::find(search, k.query, k.scope)->size(); });
        const char* way = search.lastWay() == StoreQuery::Way::Newest ? "newest" : "indexes";
        row(format("Search %.0f forms: ", double(forms)) + k.measure + " \"" +
                k.query.toStdString() + "\" (" + std::to_string(hits) + " hits, " + way + ")",
            format("%.1f ms", ms), "-", ms / 100, "< 100 ms", ms < 100);
    }
    // The first search of the list of "Архив форм", which connects first; the next ones keep
    // its connection and its prepared statements.
    const double ms = bestMs([&] { StoreHits::find(*std::make_unique<StoreSearch>(address, 60000),
                                                   serial(4242)); });
    row("Search, a rare number, connecting first (the list's first search)",
        format("%.1f ms", ms), "-", ms / 100, "< 100 ms", ms < 100);
}
