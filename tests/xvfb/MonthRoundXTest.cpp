#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QIcon>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include "archive/ArchiveSettings.h"
#include "frames/MainFrame.h"
#include "res/Texts.h"
#include "sites/MonthRoundModel.h"
#include "sites/MonthRoundWindow.h"
#include "sites/SiteBook.h"
#include "tests/app/AppFixture.h"
#include "tests/fakes/TestArchive.h"
#include "tests/xvfb/XKeys.h"

// Takes the folders the frame would show in the file manager.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
    Q_INVOKABLE void open(const QUrl& url) { urls.append(url); }
};

namespace {

const QDate kThisMonth(QDate::currentDate().year(), QDate::currentDate().month(), 1);
const QDate kLastMonth = kThisMonth.addMonths(-1);

// The month's `day` at `hour`, local time, as records keep it.
QDateTime on(const QDate& month, int day, int hour) {
    return QDateTime(month.addDays(day - 1), QTime(hour, 0)).toUTC();
}

struct Expected {
    QString site;  // as the first column shows it
    QString state;
    QString lastCollected;
    QString forms;
    QString lastOutcome;
};

// The program on a real X server with a book of four sites; the window opened with its keys.
class MonthRoundKeys : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        m_root = ArchiveSettings::load().folder;
        qputenv("TABULON_SITES", m_dir.filePath("sites.toml").toLocal8Bit());
        QList<Site> book;
        for (const char* name : {"Котельная 1", "ЦТП 2", "Школа 3", "Баня 4"}) {
            Site s;
            s.name = QString::fromUtf8(name);
            s.port = QStringLiteral("COM1");
            book.append(s);
        }
        QString error;
        ASSERT_TRUE(SiteBook::save(SiteBook::userPath(), book, &error)) << error.toStdString();
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_opened, "open");
        // The operator's keyboard: the letters of the Russian menus are Cyrillic keys.
        ASSERT_TRUE(setLayout("ru"));
    }
    void TearDown() override {
        setLayout("us");
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        AppFixture::TearDown();
        qunsetenv("TABULON_SITES");
    }

    void writeRecord(const QString& site, const QDateTime& start, RecordOutcome outcome,
                     int forms = 0) {
        ASSERT_TRUE(addRecord(m_root, testRecord(site, start, outcome, forms)));
    }

    void openWindow() {
        ASSERT_TRUE(startApp());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(mainFrame()));
        ASSERT_NO_FATAL_FAILURE(openByKeys());
    }
    void openByKeys() {
        mainFrame()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(mainFrame()));
        press("alt+Cyrillic_ve");
        press("Cyrillic_ze");
        ASSERT_TRUE(waitUntil([&] { return mainFrame()->findChild<MonthRoundWindow*>(); }, 5000));
        m_window = mainFrame()->findChild<MonthRoundWindow*>();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window));
        ASSERT_NO_FATAL_FAILURE(waitRead());
    }
    // The rows come from a worker, once the month is read.
    void waitRead() const { ASSERT_TRUE(waitUntil([&] { return !m_window->reading(); }, 20000)); }

    static bool setLayout(const char* layout) {
        const bool set = QProcess::execute("setxkbmap", {"-layout", layout}) == 0;
        sendKeys({});  // Qt reads the new key map from the server's notice of it
        return set;
    }

    void press(const QString& keys) { ASSERT_TRUE(sendKeys(keys)) << keys.toStdString(); }

    QString cell(int row, int column, int role = Qt::DisplayRole) const {
        const MonthRoundModel* m = m_window->model();
        return m->data(m->index(row, column), role).toString();
    }

    void expectRows(const QList<Expected>& rows) const {
        ASSERT_EQ(m_window->model()->rowCount(), rows.size());
        for (int i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(rows[i].site.toStdString());
            EXPECT_EQ(cell(i, MonthRoundModel::Site).toStdString(), rows[i].site.toStdString());
            EXPECT_TRUE(cell(i, MonthRoundModel::Site, Qt::ToolTipRole).endsWith(rows[i].state));
            EXPECT_EQ(cell(i, MonthRoundModel::LastCollected), rows[i].lastCollected);
            EXPECT_EQ(cell(i, MonthRoundModel::Forms), rows[i].forms);
            EXPECT_EQ(cell(i, MonthRoundModel::LastOutcome), rows[i].lastOutcome);
        }
    }

    QString m_root;
    OpenedUrls m_opened;
    MonthRoundWindow* m_window = nullptr;
};

QString shown(const QDateTime& utc) {
    return utc.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

TEST_F(MonthRoundKeys, RowsSayWhatTheRecordsSayAndFollowThem) {
    writeRecord("Котельная 1", on(kThisMonth, 1, 3), RecordOutcome::NoHandshake);
    writeRecord("Котельная 1", on(kThisMonth, 1, 4), RecordOutcome::FormsReceived, 2);
    writeRecord("ЦТП 2", on(kThisMonth, 1, 5), RecordOutcome::OpenFailed);
    writeRecord("Баня 4", on(kLastMonth, 15, 6), RecordOutcome::FormsReceived, 1);
    writeRecord("Старая котельная", on(kThisMonth, 1, 7), RecordOutcome::FormsReceived, 1);
    writeRecord(QString(), on(kThisMonth, 1, 8), RecordOutcome::LineBroken);
    ASSERT_NO_FATAL_FAILURE(openWindow());

    const QString never = texts::kRoundNever;
    expectRows({
        {"Котельная 1", texts::kRoundCollected, shown(on(kThisMonth, 1, 4)), "2",
         texts::kRecordForms},
        {"ЦТП 2", texts::kRoundFailed, never, "0", texts::kRecordOpenFailed},
        {"Школа 3", texts::kRoundNotTried, never, "0", never},
        {"Баня 4", texts::kRoundNotTried, shown(on(kLastMonth, 15, 6)), "0", never},
        {"Старая котельная (нет в книге)", texts::kRoundCollected, shown(on(kThisMonth, 1, 7)), "1",
         texts::kRecordForms},
        {texts::kRoundNoSite, texts::kRoundFailed, never, "0", texts::kRecordLineBroken},
    });
    // Not by colour alone: each state has an icon of its own.
    const auto icon = [&](int row) {
        return qvariant_cast<QIcon>(
                   m_window->model()->data(m_window->model()->index(row, 0), Qt::DecorationRole))
            .cacheKey();
    };
    EXPECT_NE(icon(0), icon(1));
    EXPECT_NE(icon(1), icon(2));
    EXPECT_NE(icon(0), icon(2));

    // A collector beside the program reads the school.
    writeRecord("Школа 3", on(kThisMonth, 1, 9), RecordOutcome::FormsReceived, 3);
    EXPECT_TRUE(waitUntil([&] { return cell(2, MonthRoundModel::Forms) == "3"; }, 5000));
    EXPECT_TRUE(cell(2, 0, Qt::ToolTipRole).endsWith(texts::kRoundCollected));

    // The month before, chosen with the keys.
    press("alt+Cyrillic_em");
    press("Down");
    EXPECT_EQ(m_window->month(), kLastMonth);
    ASSERT_NO_FATAL_FAILURE(waitRead());
    EXPECT_EQ(m_window->model()->rowCount(), 4);
    EXPECT_TRUE(cell(3, 0, Qt::ToolTipRole).endsWith(texts::kRoundCollected));
}

TEST_F(MonthRoundKeys, FirstRecordOfTheMonthAppears) {
    ASSERT_NO_FATAL_FAILURE(openWindow());
    ASSERT_EQ(m_window->model()->rowCount(), 4);
    EXPECT_FALSE(QDir(ExchangeRecords::monthFolder(m_root, kThisMonth)).exists());
    writeRecord("ЦТП 2", on(kThisMonth, 1, 5), RecordOutcome::BadReply);
    EXPECT_TRUE(waitUntil(
        [&] { return cell(1, MonthRoundModel::LastOutcome) == texts::kRecordBadReply; }, 5000));
    // And the next one, now that the month's folder exists.
    writeRecord("ЦТП 2", on(kThisMonth, 1, 6), RecordOutcome::FormsReceived, 1);
    EXPECT_TRUE(waitUntil([&] { return cell(1, MonthRoundModel::Forms) == "1"; }, 5000));

    // Another archive folder chosen in "Архив…": the window shows the records there.
    const QString other = m_root = m_dir.filePath("другой архив");
    writeRecord("Школа 3", on(kThisMonth, 1, 7), RecordOutcome::FormsReceived, 2);
    m_answerer.whenShown("ArchiveDialog", [&](QDialog* d) {
        d->findChild<QLineEdit*>("archiveFolder")->setText(other);
        d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    mainFrame()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(mainFrame()));
    press("alt+Cyrillic_ve");
    press("Cyrillic_a");
    ASSERT_EQ(ArchiveSettings::load().folder, other);
    m_window = mainFrame()->findChild<MonthRoundWindow*>();
    ASSERT_NE(m_window, nullptr);
    EXPECT_TRUE(m_window->isVisible());
    ASSERT_NO_FATAL_FAILURE(waitRead());
    EXPECT_EQ(cell(1, MonthRoundModel::Forms), "0");
    EXPECT_EQ(cell(2, MonthRoundModel::Forms), "2");
}

TEST_F(MonthRoundKeys, ConnectAndFormsOfTheRowChosen) {
    writeRecord("ЦТП 2", on(kThisMonth, 1, 5), RecordOutcome::FormsReceived, 1);
    const QString forms = QDir(m_root).filePath("ЦТП 2/" + kThisMonth.toString("yyyy-MM"));
    ASSERT_TRUE(QDir().mkpath(forms));
    QFile form(QDir(forms).filePath("01.txt"));
    ASSERT_TRUE(form.open(QIODevice::WriteOnly));
    form.write("Report\r\n");
    form.close();
    ASSERT_NO_FATAL_FAILURE(openWindow());
    QSignalSpy connect(m_window, &MonthRoundWindow::connectRequested);
    // "Связь" runs the site's connect flow: "Настройки" opens, and is cancelled here.
    QString shown;
    m_answerer.whenShown("QDialog", [&](QDialog* dialog) {
        shown = dialog->windowTitle();
        dialog->close();
    });
    press("Down");
    press("alt+Cyrillic_es");
    // A loaded machine may hand the key over after the press's own quiet spell.
    ASSERT_TRUE(waitUntil([&] { return connect.size() == 1; }, 5000));
    EXPECT_EQ(connect[0][0].toString().toStdString(), "ЦТП 2");
    EXPECT_TRUE(waitUntil([&] { return !shown.isEmpty(); }, 5000));
    EXPECT_EQ(shown.toStdString(), "Настройки");
    m_answerer.whenShown("QDialog", {});
    m_window->activateWindow();
    press("Return");
    // The row's forms open in "Архив форм", on the site's month.
    QWidget* archive = nullptr;
    ASSERT_TRUE(waitUntil(
        [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == u"ArchiveWindow" && w->isVisible()) archive = w;
            return archive != nullptr;
        },
        5000));
    // Chosen once the index, new here, has taken the form in.
    const auto* tree = archive->findChild<QTreeView*>(QStringLiteral("ArchiveTree"));
    EXPECT_TRUE(waitUntil(
        [&] {
            return tree->currentIndex().data().toString().startsWith(
                kThisMonth.toString("yyyy-MM"));
        },
        5000));
    EXPECT_TRUE(tree->currentIndex().parent().data().toString().startsWith("ЦТП 2"));
    EXPECT_TRUE(m_opened.urls.isEmpty()) << "no file manager";
}

}  // namespace

#include "MonthRoundXTest.moc"
