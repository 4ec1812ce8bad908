#include <QFileInfo>

#include "archive/ArchiveName.h"
#include "archive/FormPath.h"
#include "files/TextFileCodec.h"
#include "index/SearchText.h"
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
        write(kB, QStringLiteral("СУТОЧНЫЙ ОТЧЕТ\nКОТЕЛЬНАЯ 3\nзав. N 104127\n"));
        write(kC, QStringLiteral("Ёмкость бака 12.5 м3\nзав. N 77777\nкод 211\n"));
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

TEST_F(Search, FindsExactlyTheFormsHoldingEveryTerm) {
    const Case cases[] = {
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
        {"11", {kA}},     // short terms only at a word's start: not "211"
        {"м3", {kC}},
        {"тельн", {kA, kB}},  // inside a word
        {"xyz", {}},
        {"бака12", {}},        // the blank between counts
        {"\u4e2d\u6587", {}},  // nothing a cp1251 form can hold
    };
    for (const Case& c : cases) EXPECT_EQ(found(QString::fromUtf8(c.query)), c.expected) << c.query;
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
