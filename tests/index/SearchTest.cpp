#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include "archive/ArchiveName.h"
#include "archive/FormPath.h"
#include "files/TextFileCodec.h"
#include "index/FormListModel.h"
#include "index/SearchText.h"
#include "index/StoreHits.h"
#include "store/StoreSearch.h"
#include "store/StoreUploader.h"
#include "tests/fakes/FakeClock.h"
#include "tests/store/StoreRig.h"
#include "tests/index/IndexFixture.h"

namespace {

const QString kA = QStringLiteral("2026-11/2026-11-03_08-00-00_COM1_КСМ-Р_01.txt");
const QString kB = QStringLiteral("Котельная 3/2026-12/2026-12-01_09-00-00_COM2_КСМ-Р_01.txt");
const QString kC = QStringLiteral("Школа №5/2026-12/отчёт школы.txt");

class Search : public IndexFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        write(kA,
              QStringLiteral("Суточный отчёт\nКотельная 3\nзав. N 04127\nОшибка 11\n09.12.2026\n"));
        write(kB, QStringLiteral("СУТОЧНЫЙ ОТЧЕТ\nКОТЕЛЬНАЯ 3\nзав. N 104127\n08:00:15\n"));
        write(kC, QStringLiteral("Ёмкость бака 12.5 м3\nзав. N 77777\nкод 211\nверсия 20261.10.4.1\nкоды 7,8,9\n"));
        // Not forms: exchange records, other files, the archive's temporary file.
        write(QStringLiteral(".exchanges/2026-12/x.txt"), QStringLiteral("04127"));
        write(QStringLiteral("2026-12/record.json"), QStringLiteral("04127"));
        write(QStringLiteral("2026-12/.tabulon-123-1.part"), QStringLiteral("04127"));
        ASSERT_TRUE(m_db.open(indexFile())) << m_db.error().toStdString();
        ASSERT_FALSE(reconcile().failed);
    }
};

struct Case {
    const char* query;
    std::set<QString> expected;
};

const Case kCases[] = {
        {"04127", {kA, kB}},      // a part of a number
        {"104127", {kB}},         // the whole of it
        {"котельная", {kA, kB}},  // any letter case
        {"КоТеЛьНаЯ", {kA, kB}},
        {"отчет", {kA, kB}},  // ё and е find each other
        {"отчёт", {kA, kB}},
        {"ЁМКОСТЬ", {kC}},
        {"емкость", {kC}},
        {"зав 04127", {kA, kB}},  // several words, all in one form
        {"котельная 77777", {}},  // each word in another form
        {"12.5", {kC}},
        {"09.12.2026", {kA}},  // figures with a number in them
        {"9.12.202", {kA}},
        {"12.20", {kA}},  // and without
        {"08:00:1", {kB}},  // a time, cut anywhere
        {"8:00:15", {kB}},
        {"0:00:15", {}},
        {"0.4.1", {kC}},  // any three groups of a longer run
        {"61.10.4.1", {kC}},
        {"20261.10.4", {kC}},
        {"7,8,9", {kC}},
        {"2026 09.12", {kA}},
        {"11", {kA}},     // short terms only at a word's start: not "211"
        {"м3", {kC}},
        {"тельн", {kA, kB}},  // inside a word
        {"xyz", {}},
        {"бака12", {}},        // the blank between counts
        {"\u4e2d\u6587", {}},  // nothing a cp1251 form can hold
        {"1%7", {}},            // no wildcards in the store's patterns
        {"N_0", {}},
        {"n", {kA, kB, kC}},  // a short term at a line's start or after a blank
};

TEST_F(Search, FindsExactlyTheFormsHoldingEveryTerm) {
    for (const Case& c : kCases) EXPECT_EQ(found(QString::fromUtf8(c.query)), c.expected) << c.query;
}

// The same forms sent to a common archive are found there by the same queries.
class StoreRoundTrip : public Search {
protected:
    void SetUp() override {
        Search::SetUp();
        ASSERT_TRUE(m_server.ok()) << m_server.error().toStdString();
        storeRig::makeStore(m_server);
        SteadyClock clock;
        StoreUploader uploader(owner(), root(), clock);
        ASSERT_EQ(uploader.drain(0).formsLeft, 0);
    }
    StoreAddress owner() const {
        return StoreAddress::fromText(m_server.localAddress("owner", "tabulon"), "test");
    }
    std::set<QString> foundInStore(StoreSearch& search, const QString& query) {
        std::set<QString> paths;
        const auto hits = StoreHits::find(search, query);
        EXPECT_TRUE(hits) << search.failure().toStdString();
        if (hits)
            for (const StoreHits::Hit& hit : *hits) paths.insert(hit.row.form.path);
        return paths;
    }

    PostgresServer m_server;
};

// The list of "Архив форм" over a store: every machine's forms while it answers, a form of
// another machine with its text to open; this machine's forms and the reason once it does not.
TEST_F(StoreRoundTrip, TheListSearchesTheStoreElseTheIndex) {
    static int argc = 1;
    static char name[] = "index_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) static QCoreApplication app(argc, argv);
    QTemporaryDir otherMachine;
    const QString kD = QStringLiteral("Школа №5/2026-12/2026-12-02_10-00-00_COM1_КСМ-Р_01.txt");
    QDir(otherMachine.path()).mkpath(QFileInfo(kD).path());
    ASSERT_TRUE(writeAll(QDir(otherMachine.path()).filePath(kD),
                         archivedForm(QStringLiteral("Узел учёта\nзав. N 04127\n"))));
    SteadyClock clock;
    ASSERT_TRUE(StoreUploader(owner(), otherMachine.path(), clock).drain(0).complete());

    // Older: the store as the previous version left it, which the search does not wait to
    // migrate; the next upload migrates it.
    enum class Store { Up, Older, Down };
    struct {
        Store store;
        std::set<QString> listed;
        const char* failure;
    } const cases[] = {{Store::Up, {kA, kB, kD}, ""},
                       {Store::Older, {kA, kB}, "ещё не обновлён"},
                       {Store::Up, {kA, kB, kD}, ""},
                       {Store::Down, {kA, kB}, "недоступен"}};
    for (const auto& c : cases) {
        if (c.store == Store::Up) {
            ASSERT_TRUE(StoreUploader(owner(), root(), clock).drain(0).complete());
        } else if (c.store == Store::Older) {
            storeRig::count(m_server, "DROP INDEX forms_dates; DROP FUNCTION tabulon_dates(text);"
                                      " DELETE FROM tabulon_schema WHERE version = 4");
        } else {
            ASSERT_TRUE(m_server.stop());
        }
        FormListModel list(root());
        list.setIndexFile(indexFile());
        list.setStore(owner());
        list.show(QStringLiteral("04127"), {});
        QElapsedTimer t;
        t.start();
        while (list.isBusy() && t.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_FALSE(list.isBusy());
        const bool fromStore = c.store == Store::Up;
        std::set<QString> listed;
        for (int row = 0; row < list.rowCount(); ++row) {
            listed.insert(list.index(row, 0).data(FormListModel::RelativePathRole).toString());
            EXPECT_EQ(list.storeTextAt(row).contains(u"04127"), fromStore) << row;
        }
        EXPECT_EQ(listed, c.listed) << int(c.store);
        EXPECT_TRUE(list.storeFailure().contains(QString::fromUtf8(c.failure)))
            << list.storeFailure().toStdString();
        EXPECT_EQ(list.storeFailure().isEmpty(), fromStore);
    }
}

TEST_F(StoreRoundTrip, FindsWhatTheLocalIndexFinds) {
    StoreSearch search(owner(), 5000);
    for (const Case& c : kCases) {
        const QString query = QString::fromUtf8(c.query);
        EXPECT_EQ(foundInStore(search, query), found(query)) << c.query;
    }
}

// More forms than a list of hits holds: the store's first hits are the local index's newest
// ones of the tree's site and month, whether the newest forms or the indexes gave them.
TEST_F(StoreRoundTrip, NarrowsAsTheTreeDoesAndTakesTheNewest) {
    storeRig::writeForms(root(), QStringLiteral("Котельная 3"), 150, 1000);  // "Тепло 1000".."1149"
    ASSERT_FALSE(reconcile().failed);
    SteadyClock clock;
    ASSERT_TRUE(StoreUploader(owner(), root(), clock).drain(0).complete());
    const auto newestLocal = [&](const QString& query, const FormQuery::Scope& scope) {
        auto rows = FormQuery(m_db, query, scope).fetch(1000);
        std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
            return a.form.received > b.form.received;
        });
        std::vector<QString> paths;
        for (const auto& row : rows)
            if (paths.size() < std::size_t(StoreSearch::kFirst)) paths.push_back(row.form.path);
        return paths;
    };
    const QString site = QStringLiteral("Котельная 3");
    const QString november = QStringLiteral("2026-11"), december = QStringLiteral("2026-12");
    const struct {
        const char* query;
        FormQuery::Scope scope;
        std::size_t hits;
    } cases[] = {
        {"отчет", {}, 100},                 // in every form: the newest read one by one
        {"отчет", {site, {}}, 100},
        {"отчет", {site, december}, 1},
        {"отчет", {{}, november}, 100},
        {"отчет", {QString(""), {}}, 1},    // the forms without a site
        {"тепло 1137", {}, 1},              // a number through its pieces
        {"1137", {{}, december}, 0},
        {"тепло 11", {site, november}, 50},  // too few among the newest: the indexes
        {"04127", {QString(""), november}, 1},
    };
    StoreSearch search(owner(), 5000);
    for (const auto& c : cases) {
        const QString query = QString::fromUtf8(c.query);
        SCOPED_TRACE(c.query + (" " + c.scope.site.value_or("*") + " " +
                                c.scope.month.value_or("*")).toStdString());
        const auto hits = StoreHits::find(search, query, c.scope);
        ASSERT_TRUE(hits) << search.failure().toStdString();
        std::vector<QString> paths;
        for (const StoreHits::Hit& hit : *hits) paths.push_back(hit.row.form.path);
        EXPECT_EQ(paths.size(), c.hits);
        EXPECT_EQ(paths, newestLocal(query, c.scope));
    }
}

TEST_F(Search, ShowsTheMatchingLineWithThePlace) {
    FormQuery q(m_db, QStringLiteral("04127"), {});
    const auto rows = q.fetch(10);
    ASSERT_EQ(rows.size(), 2u);
    // The newest form first; the line as written, the place of the match in it.
    EXPECT_EQ(rows[0].form.path, kB);
    EXPECT_EQ(rows[0].excerpt.line, QStringLiteral("зав. N 104127"));
    EXPECT_EQ(rows[0].excerpt.start, 8);
    EXPECT_EQ(rows[0].excerpt.length, 5);
    FormQuery upper(m_db, QStringLiteral("отчет"), {});
    const auto hits = upper.fetch(10);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].excerpt.line, QStringLiteral("СУТОЧНЫЙ ОТЧЕТ"));
    EXPECT_EQ(hits[1].excerpt.line, QStringLiteral("Суточный отчёт"));
    EXPECT_EQ(hits[1].excerpt.start, 9);
}

TEST_F(Search, BrowsesASiteOrAMonth) {
    EXPECT_EQ(found({}, {QStringLiteral("Котельная 3"), {}}), std::set<QString>{kB});
    EXPECT_EQ(found({}, {QString(""), {}}), std::set<QString>{kA});
    EXPECT_EQ(found({}, {{}, QStringLiteral("2026-12")}), (std::set<QString>{kB, kC}));
    EXPECT_EQ(found(QStringLiteral("зав"), {{}, QStringLiteral("2026-12")}),
              (std::set<QString>{kB, kC}));
    const auto scopes = m_db.scopes();
    ASSERT_EQ(scopes.size(), 3u);
    EXPECT_EQ(scopes[0].site, QString());
    EXPECT_EQ(scopes[1].site, QStringLiteral("Котельная 3"));
    EXPECT_EQ(scopes[2].month, QStringLiteral("2026-12"));
}

// Where a form lies tells its site and month; its name (ArchiveName's to read) its time, port and
// type, or else the file's modification time does.
struct PathCase {
    QString path;
    const char* site;
    const char* month;
    bool named;  // whether the name tells the time
};

TEST(FormPath, ReadsWhatThePlaceAndTheDefaultNameTell) {
    const QDateTime modified(QDate(2025, 3, 4), QTime(5, 6, 7));
    const QDateTime received(QDate(2026, 12, 9), QTime(14, 3, 12));
    const QString name = ArchiveName::expand(ArchiveName::kDefaultTemplate,
                                             {received, "COM3", "КСМ-Р", 9600, 1, {}, {}});
    const PathCase cases[] = {
        {"2026-12/" + name, "", "2026-12", true},
        {"Котельная 3/2026-12/" + ArchiveName::alternative(ArchiveName::incomplete(name), 2),
         "Котельная 3", "2026-12", true},
        {"2026-12/отчёт котельной.txt", "", "2026-12", false},  // the operator's template
        {"старое/отчёт.txt", "", "2025-03", false},             // no month folder
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const FormPath::Fields f = FormPath::fields(c.path, modified.toMSecsSinceEpoch());
        EXPECT_EQ(f.site, QString::fromUtf8(c.site));
        EXPECT_EQ(f.month, QString::fromUtf8(c.month));
        EXPECT_EQ(f.received, c.named ? received : modified);
        EXPECT_EQ(f.port, c.named ? "COM3" : "");
        EXPECT_EQ(f.type, c.named ? "КСМ-Р" : "");
    }
    for (const char* notForm : {".exchanges/2026-12/a.txt", "2026-12/.tabulon-1-2.part",
                                "2026-12/.hidden.txt", "2026-12/a.json"})
        EXPECT_FALSE(FormPath::isForm(QString::fromUtf8(notForm))) << notForm;
}

}  // namespace

namespace {

TEST(SearchText, AnExcerptOfALongLineKeepsThePlaceNearItsStart) {
    const QByteArray line = QByteArray(100, '1') + " kod 17 " + QByteArray(300, '2');
    const SearchText::Excerpt e = SearchText::excerpt(line, line, {"kod"}, 160);
    EXPECT_EQ(e.line.left(8), QStringLiteral("…kod 17 "));  // cut at a word, and marked
    EXPECT_EQ(e.start, 1);
    EXPECT_EQ(e.length, 3);
    EXPECT_EQ(e.line.size(), 160);
    const QByteArray words = TextFileCodec::encode(u"Тепловычислитель КСМ-Р зав. N 04127");
    EXPECT_EQ(SearchText::excerpt(words, words, {"04127"}).line, QStringLiteral("…зав. N 04127"));
    // The line shown holds every term when one does.
    const QByteArray text = "kod 15\r\nkod 17\r\n";
    EXPECT_EQ(SearchText::excerpt(text, text, {"kod", "17"}).line, QStringLiteral("kod 17"));
    EXPECT_EQ(SearchText::excerpt(text, text, {"kod", "99"}).line, QStringLiteral("kod 15"));
}

}  // namespace
