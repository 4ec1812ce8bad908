#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProcess>
#include <QStatusBar>
#include <QTest>
#include <QTreeView>

#include "forms/FormTemplate.h"
#include "forms/TabulonPlusDoc.h"
#include "frames/ArchiveWindows.h"
#include "frames/CommandRouter.h"
#include "frames/FormWindows.h"
#include "frames/MainFrame.h"
#include "frames/WorkerCalls.h"
#include "index/ArchiveTreeModel.h"
#include "index/ArchiveWindow.h"
#include "index/FormListModel.h"
#include "index/FormQuery.h"
#include "index/IndexDatabase.h"
#include "index/IndexLocation.h"
#include "res/CommandIds.h"
#include "res/MessageBox.h"
#include "tests/app/AppFixture.h"
#include "tests/xvfb/XKeys.h"

namespace {

// The program on a real X server with an archive of a few forms, the index in the test's cache.
class ArchiveWindowKeys : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("cache"))));
        writeForm(m_hit, QStringLiteral("Суточный отчёт\nзав. N 04127\nКотельная 3\n"));
        writeForm(QStringLiteral("Котельная 3/2026-11/2026-11-02_08-00-00_COM1_КСМ-Р_01.txt"),
                  QStringLiteral("Суточный отчёт\nзав. N 55555\n"));
        writeForm(QStringLiteral("2026-10/2026-10-02_08-00-00_COM1_КСМ-Р_01.txt"),
                  QStringLiteral("Месячный отчёт\nзав. N 66666\n"));
    }
    void TearDown() override {
        AppFixture::TearDown();
        qunsetenv("XDG_CACHE_HOME");
    }

    QString archive() const { return m_dir.filePath(QStringLiteral("archive")); }

    void writeForm(const QString& relative, QString text) {
        const QString path = QDir(archive()).filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(cp1251(text.replace(u'\n', QStringLiteral("\r\n"))));
    }

    // The window opened by its command, its index in line with the archive.
    ArchiveWindow* openWindow() {
        if (!startApp()) return nullptr;
        mainFrame()->activateWindow();
        if (!mainFrame()->commands().run(id::ID_ARCHIVE_BROWSE)) return nullptr;
        ArchiveWindow* w = mainFrame()->archiveWindows().archiveWindow();
        if (!QTest::qWaitForWindowExposed(w)) return nullptr;
        return settled(w) ? w : nullptr;
    }

    // The index in line and the list read.
    bool settled(ArchiveWindow* w) {
        return waitUntil([w] { return !w->isUpdating() && !w->isListing(); }, 10000);
    }

    static int listed(ArchiveWindow* w) {
        return w->findChild<QTreeView*>(QStringLiteral("ArchiveForms"))->model()->rowCount();
    }

    const QString m_hit = QStringLiteral("2026-12/2026-12-09_14-03-12_COM3_КСМ-Р_01.txt");
};

TEST_F(ArchiveWindowKeys, TypingNarrowsTheListAndEnterOpensTheHitAsOpenWould) {
    ArchiveWindow* w = openWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Архив форм"));
    EXPECT_EQ(listed(w), 3);
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    auto* search = w->findChild<QLineEdit*>(QStringLiteral("ArchiveSearch"));
    ASSERT_TRUE(waitUntil([search] { return QApplication::focusWidget() == search; }, 5000));

    ASSERT_TRUE(sendKeys(QStringLiteral("4 1 2")));
    EXPECT_TRUE(waitUntil([w] { return listed(w) == 1; }, 5000)) << listed(w);
    ASSERT_TRUE(sendKeys(QStringLiteral("8")));  // "4128": no form holds it
    EXPECT_TRUE(waitUntil([w] { return listed(w) == 0; }, 5000)) << listed(w);
    ASSERT_TRUE(sendKeys(QStringLiteral("BackSpace 7 Return")));

    const QString path = QDir(archive()).filePath(m_hit);
    ASSERT_TRUE(waitUntil(
        [&] {
            CTabulonPlusDoc* doc = mainFrame()->forms().formTemplate().activeDocument();
            return doc && doc->getPathName() == QFileInfo(path).absoluteFilePath();
        },
        5000));
    CTabulonPlusDoc* doc = mainFrame()->forms().formTemplate().activeDocument();
    EXPECT_EQ(doc->getTitle(), QFileInfo(path).fileName());
    EXPECT_EQ(plainText(doc), QStringLiteral("Суточный отчёт\nзав. N 04127\nКотельная 3\n"));
    EXPECT_FALSE(doc->IsModified());
    // In front of the archive window, where the operator looks for it.
    EXPECT_TRUE(waitUntil([&] { return QApplication::activeWindow() == mainFrame(); }, 5000));
}

TEST_F(ArchiveWindowKeys, ShowsASitesMonthAndTellsOfADamagedIndex) {
    ArchiveWindow* w = openWindow();
    ASSERT_NE(w, nullptr);
    w->showForms(QStringLiteral("Котельная 3"), QDate(2026, 11, 15));
    ASSERT_TRUE(settled(w));
    EXPECT_EQ(listed(w), 1);
    EXPECT_TRUE(w->findChild<QTreeView*>(QStringLiteral("ArchiveTree"))
                    ->currentIndex()
                    .data()
                    .toString()
                    .startsWith(QStringLiteral("2026-11")));
    const QString indexFile = IndexLocation::fileFor(archive());
    w->close();
    m_app->ExitInstance();
    m_app.reset();

    QFile index(indexFile);
    ASSERT_TRUE(index.open(QIODevice::ReadWrite));
    index.write(QByteArray(8192, '\x5a'));
    index.close();
    w = openWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(listed(w), 3);
    const QLabel* status = w->statusBar()->findChild<QLabel*>();
    ASSERT_NE(status, nullptr);
    // Made anew by now: said so, not that it is still being made.
    EXPECT_TRUE(status->text().endsWith(QStringLiteral("повреждён и построен заново")))
        << status->text().toStdString();
}

// The files are the truth: without a cache folder the forms are listed all the same, and the
// operator is told which folder is at fault, in Russian.
TEST_F(ArchiveWindowKeys, WithoutACacheFolderTheFormsAreListedAndTheFolderNamed) {
    const QString blocker = m_dir.filePath(QStringLiteral("not-a-folder"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    qputenv("XDG_CACHE_HOME", QFile::encodeName(blocker + QStringLiteral("/cache")));
    ArchiveWindow* w = openWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(listed(w), 3);
    const auto* tree = w->findChild<QTreeView*>(QStringLiteral("ArchiveTree"));
    EXPECT_EQ(tree->model()->index(0, 0).data().toString(), QStringLiteral("Все формы (3)"));
    const QString status = w->statusBar()->findChild<QLabel*>()->text();
    const QString folder = QFileInfo(IndexLocation::fileFor(archive())).absolutePath();
    EXPECT_TRUE(status.contains(QDir::toNativeSeparators(folder) +
                                QStringLiteral(": не удается создать папку")))
        << status.toStdString();
    EXPECT_FALSE(status.contains(QStringLiteral("unable"))) << status.toStdString();
    EXPECT_FALSE(w->findChild<QLineEdit*>(QStringLiteral("ArchiveSearch"))->isEnabled());
}

// Forms that another program writes into the archive (tabulon-collect, a copy, a restore) show
// while the window is open, and a form removed leaves the list.
TEST_F(ArchiveWindowKeys, FormsAnotherProgramWritesOrRemovesShowWhileTheWindowIsOpen) {
    ArchiveWindow* w = openWindow();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(listed(w), 3);
    const QString month = QDate::currentDate().toString(u"yyyy-MM");
    const QString known =
        QDir(archive()).filePath(QStringLiteral("Котельная 3/%1/a.txt").arg(month));
    const QString newSite =
        QDir(archive()).filePath(QStringLiteral("Котельная 9/%1/b.txt").arg(month));
    const QString write =
        QStringLiteral("mkdir -p \"$(dirname \"$1\")\" && printf 'report 4242\\r\\n' > \"$1\"");
    const struct {
        const char* what;
        QString script;
        QString path;
        int listed;
    } steps[] = {
        {"a month new to a site", write, known, 4},
        {"a site new to the archive", write, newSite, 5},
        {"a form removed", QStringLiteral("rm \"$1\""), known, 4},
    };
    for (const auto& step : steps) {
        ASSERT_EQ(QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), step.script,
                                                           QStringLiteral("sh"), step.path}),
                  0)
            << step.what;
        EXPECT_TRUE(waitUntil([&] { return listed(w) == step.listed; }, 10000))
            << step.what << ": " << listed(w);
    }
    const auto* tree = w->findChild<QTreeView*>(QStringLiteral("ArchiveTree"));
    EXPECT_EQ(tree->model()->index(0, 0).data().toString(), QStringLiteral("Все формы (4)"));
}

// The line where the search found a form runs under the whole row: a narrow column of the
// first line no longer cuts the place off.
TEST_F(ArchiveWindowKeys, TheFoundLineRunsUnderTheWholeRow) {
    ArchiveWindow* w = openWindow();
    ASSERT_NE(w, nullptr);
    auto* search = w->findChild<QLineEdit*>(QStringLiteral("ArchiveSearch"));
    QTest::keyClicks(search, QStringLiteral("04127"));
    ASSERT_TRUE(waitUntil([w] { return listed(w) == 1; }, 5000)) << listed(w);
    auto* list = w->findChild<QTreeView*>(QStringLiteral("ArchiveForms"));
    const QImage image = list->viewport()->grab().toImage();
    // The lower line of the row under the first column, "Дата и время": the excerpt begins
    // there.
    const QRect cell = list->visualRect(list->model()->index(0, FormListModel::Received));
    const int line = list->fontMetrics().height();
    const QColor background = image.pixelColor(cell.left() + 1, cell.bottom() - line / 2);
    int inked = 0;
    for (int y = cell.bottom() - line; y < cell.bottom(); ++y)
        for (int x = cell.left() + 4; x < cell.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            inked += std::abs(c.lightness() - background.lightness()) > 60;
        }
    EXPECT_GT(inked, 20);
}

// A window left open while the calculator sends forms shows them once the exchange has ended.
TEST_F(ArchiveWindowKeys, FormsOfAnExchangeShowWhileTheWindowIsOpen) {
    ArchiveWindow* w = openWindow();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(listed(w), 3);
    CalculatorSimulatorOptions o;
    o.deviceType = 4;
    o.stream.forms = {"Ведомость узла 31337"};
    startCalculator(o);
    answer(QStringLiteral("Связь с вычислителем установлена."), msg::IDYES);
    answer(QStringLiteral("Чтение данных в объеме "), msg::IDNO);
    chooseSettings("COM1", "КСМ-Ж", "9600");
    mainFrame()->activateWindow();
    ASSERT_TRUE(mainFrame()->commands().run(id::ID_CONNECT));
    ASSERT_TRUE(waitForWorkerEnd());
    mainFrame()->exchange().OnTimer(1);  // the tick that ends the exchange for the windows
    EXPECT_TRUE(waitUntil([w] { return listed(w) == 4; }, 10000)) << listed(w);
    const auto* tree = w->findChild<QTreeView*>(QStringLiteral("ArchiveTree"));
    EXPECT_EQ(tree->model()->index(0, 0).data().toString(), QStringLiteral("Все формы (4)"));
}

// The program ends when its main window closes, the archive window open or not.
TEST_F(ArchiveWindowKeys, ClosingTheMainWindowEndsTheProgram) {
    QPointer<ArchiveWindow> w = openWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(mainFrame()->close());
    // A window of its own: left open, it alone would keep the program running.
    EXPECT_FALSE(w->isVisible());
}

// A list is read a batch at a time; the count under it is the whole one when browsing, and
// follows the reading when searching.
TEST_F(ArchiveWindowKeys, TheCountTellsTheWholeListAndFollowsTheScrolling) {
    for (int i = 0; i < 250; ++i)
        writeForm(QStringLiteral("2026-12/2026-12-01_%1-%2-00_COM1_КСМ-Р_01.txt")
                      .arg(i / 60, 2, 10, QChar(u'0'))
                      .arg(i % 60, 2, 10, QChar(u'0')),
                  QStringLiteral("Ведомость учёта, узел 7777\n"));
    ArchiveWindow* w = openWindow();
    ASSERT_NE(w, nullptr);
    const QLabel* status = w->statusBar()->findChild<QLabel*>();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text(), QStringLiteral("Форм: 253"));
    // Forms another program wrote while the list shows its first batch: the next look counts
    // them in the tree too.
    for (int i = 0; i < 5; ++i)
        writeForm(QStringLiteral("2026-12/2026-12-02_00-00-0%1_COM1_КСМ-Р_01.txt").arg(i),
                  QStringLiteral("Ведомость учёта, узел 7777\n"));
    w->showArchive();
    ASSERT_TRUE(settled(w));
    const auto* tree = w->findChild<QTreeView*>(QStringLiteral("ArchiveTree"));
    EXPECT_EQ(tree->model()->index(0, 0).data().toString(), QStringLiteral("Все формы (258)"));
    EXPECT_EQ(status->text(), QStringLiteral("Форм: 258"));
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    ASSERT_TRUE(sendKeys(QStringLiteral("7 7 7 7")));
    ASSERT_TRUE(
        waitUntil([&] { return status->text().endsWith(QStringLiteral(" и более")); }, 5000))
        << status->text().toStdString();
    auto* list = w->findChild<QTreeView*>(QStringLiteral("ArchiveForms"));
    list->setFocus();
    // Each End at the end of the rows read asks for the next batch.
    for (int batch = 0; batch < 3 && status->text().endsWith(QStringLiteral(" и более")); ++batch) {
        const QString before = status->text();
        ASSERT_TRUE(sendKeys(QStringLiteral("End")));
        ASSERT_TRUE(waitUntil(
            [&] { return status->text() != before && !w->isListing(); }, 5000));
    }
    EXPECT_EQ(status->text(), QStringLiteral("Найдено форм: 255"));
}

}  // namespace

namespace {

TEST_F(ArchiveWindowKeys, AFormTheProgramArchivesIsInTheIndexBeforeTheWindowLooks) {
    ASSERT_TRUE(startApp());
    const QString indexFile = IndexLocation::fileFor(archive());
    ASSERT_FALSE(QFile::exists(indexFile));
    mainFrame()->calls().beginArchive();
    mainFrame()->calls().formDelivered(1, cp1251(QStringLiteral("Отчёт\r\nзав. N 98765\r\n")),
                                       true);
    mainFrame()->calls().finishArchive();
    // Added on the index's writer, after the archive's thread has gone on.
    std::vector<FormQuery::Row> rows;
    ASSERT_TRUE(waitUntil(
        [&] {
            IndexDatabase db;
            if (!QFile::exists(indexFile) || !db.openToRead(indexFile)) return false;
            rows = FormQuery(db, QStringLiteral("98765"), {}).fetch(10);
            return !rows.empty();
        },
        5000));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(QFile::exists(QDir(archive()).filePath(rows[0].form.path)));
    EXPECT_EQ(rows[0].excerpt.line, QStringLiteral("зав. N 98765"));
}

}  // namespace

namespace {

TEST(ArchiveTree, SitesComeAsTheOperatorCountsThemThenMonthsWithoutASite) {
    ArchiveTreeModel tree;
    tree.fill({{QStringLiteral("Котельная 10"), QStringLiteral("2026-12"), 1},
               {QStringLiteral("Котельная 2"), QStringLiteral("2026-12"), 2},
               {QStringLiteral("Котельная 2"), QStringLiteral("2026-11"), 3},
               {QString(), QStringLiteral("2026-10"), 4},
               {QStringLiteral("котельная 3"), QStringLiteral("2026-12"), 5},
               {QStringLiteral("Больница"), QStringLiteral("2026-12"), 6}},
              21);
    QStringList rows;
    for (int row = 0; row < tree.rowCount(); ++row) rows << tree.index(row, 0).data().toString();
    EXPECT_EQ(rows, (QStringList{"Все формы (21)", "Больница (6)", "Котельная 2 (5)",
                                 "котельная 3 (5)", "Котельная 10 (1)", "2026-10 (4)"}))
        << rows.join(u'|').toStdString();
}

}  // namespace
