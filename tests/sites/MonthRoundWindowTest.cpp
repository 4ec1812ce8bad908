#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include "archive/ExchangeRecord.h"
#include "res/Texts.h"
#include "sites/MonthRoundModel.h"
#include "sites/MonthRoundWindow.h"
#include "sites/SiteBook.h"
#include "tests/fakes/TestArchive.h"
#include "tests/files/FifoReleaser.h"
#include "tests/sites/TestSite.h"

namespace {

const QDate kThisMonth(QDate::currentDate().year(), QDate::currentDate().month(), 1);

// The window over a book of two sites and an archive whose records the tests write.
class MonthRoundWindowTest : public testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(SiteBook::save(book(), {makeSite("Котельная 1", "COM1"),
                                            makeSite("ЦТП 2", "COM2")},
                                   &error))
            << error.toStdString();
    }
    void TearDown() override { QThreadPool::globalInstance()->waitForDone(); }

    QString book() const { return m_dir.filePath("sites.toml"); }
    QString root() const { return m_dir.filePath("archive"); }
    QString monthFolder(const QDate& month) const {
        return ExchangeRecords::monthFolder(root(), month);
    }
    void writeRecord(const QString& site, const QDate& month, RecordOutcome outcome) {
        ASSERT_TRUE(addRecord(
            root(), testRecord(site, QDateTime(month.addDays(1), QTime(10, 0)), outcome)));
    }
    // Bounded: a window that never answers fails here.
    static bool waitShown(MonthRoundWindow* w) {
        return QTest::qWaitFor([w] { return !w->reading(); }, 20000);
    }
    QString cell(MonthRoundWindow* w, int row, int column) const {
        return w->model()->index(row, column).data().toString();
    }

    QTemporaryDir m_dir;
};

// Beside a link to a pipe without a writer, named like a record, the window opens at once and
// shows the good records, with the other counted where the operator reads it; each row's state
// is said in words too. What else is skipped is the records' reading's own test.
TEST_F(MonthRoundWindowTest, OpensAtOnceAndCountsWhatIsNoRecord) {
    writeRecord("Котельная 1", kThisMonth, RecordOutcome::FormsReceived);
    writeRecord("ЦТП 2", kThisMonth, RecordOutcome::NoHandshake);
    const QDir month(monthFolder(kThisMonth));
    // A link, which a listing of files takes for what it points at.
    const QString pipe = m_dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe), 0600), 0);
    ASSERT_TRUE(QFile::link(pipe, month.filePath("pipe.json")));
    FifoReleaser releaser(QFile::encodeName(pipe));
    MonthRoundWindow window(book(), root());
    EXPECT_FALSE(releaser.released()) << "waited in the open of a pipe";
    window.show();
    ASSERT_TRUE(waitShown(&window));
    ASSERT_EQ(window.model()->rowCount(), 2);
    EXPECT_EQ(cell(&window, 0, MonthRoundModel::State), texts::kRoundCollected);
    EXPECT_EQ(cell(&window, 1, MonthRoundModel::State), texts::kRoundFailed);
    const QString summary = window.findChild<QLabel*>()->text();
    EXPECT_TRUE(summary.contains(
        texts::monthRoundUnreadable(1, QDir::toNativeSeparators(month.path()))))
        << summary.toStdString();
}

// An answer for a month no longer shown is dropped: only the month chosen last is shown, once.
TEST_F(MonthRoundWindowTest, AnswerForAnotherMonthIsDropped) {
    writeRecord("Котельная 1", kThisMonth, RecordOutcome::FormsReceived);
    writeRecord("ЦТП 2", kThisMonth.addMonths(-1), RecordOutcome::OpenFailed);
    MonthRoundWindow window(book(), root());
    QSignalSpy shown(&window, &MonthRoundWindow::shown);
    // The reading of this month is under way: its answer can only come after this.
    window.setMonth(kThisMonth.addMonths(-1));
    ASSERT_TRUE(waitShown(&window));
    QCoreApplication::processEvents();
    EXPECT_EQ(shown.size(), 1);
    EXPECT_EQ(cell(&window, 0, MonthRoundModel::State), texts::kRoundNotTried);
    EXPECT_EQ(cell(&window, 1, MonthRoundModel::State), texts::kRoundFailed);
}

// Left open during a round, the window shows each site's row change as its record arrives; the
// month's first record also makes the month's folder, and the archive's, which nobody had yet.
TEST_F(MonthRoundWindowTest, EachRowChangesAsItsRecordArrives) {
    MonthRoundWindow window(book(), root());
    window.show();
    ASSERT_TRUE(waitShown(&window));
    const auto states = [&] {
        return std::pair{cell(&window, 0, MonthRoundModel::State),
                         cell(&window, 1, MonthRoundModel::State)};
    };
    EXPECT_EQ(states(), std::pair(texts::kRoundNotTried, texts::kRoundNotTried));
    writeRecord("ЦТП 2", kThisMonth, RecordOutcome::NoHandshake);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return states() == std::pair(texts::kRoundNotTried, texts::kRoundFailed); }, 20000));
    writeRecord("Котельная 1", kThisMonth, RecordOutcome::FormsReceived);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return states() == std::pair(texts::kRoundCollected, texts::kRoundFailed); },
        20000));
}

}  // namespace
