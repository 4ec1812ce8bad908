// One archive for the whole organisation, as it runs: two collector machines (tabulon-collect,
// each with its own site book and archive, reading simulated calculators) and an operator's
// desktop (the whole program in this process) sending to one PostgreSQL. The desktop's
// "Сбор за месяц" and "Архив форм" show every machine's forms; the store away for a round loses
// and doubles nothing once it is back.
#include <QApplication>
#include <QCryptographicHash>
#include <QDialog>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTreeView>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "files/TextFileCodec.h"
#include "frames/CommandRouter.h"
#include "frames/ExchangeControl.h"
#include "frames/MainFrame.h"
#include "frames/WorkerCalls.h"
#include "index/ArchiveWindow.h"
#include "index/FormListModel.h"
#include "res/CommandIds.h"
#include "res/MessageBox.h"
#include "res/Texts.h"
#include "sites/MonthRoundModel.h"
#include "sites/MonthRoundWindow.h"
#include "sites/SiteBook.h"
#include "sites/SitePickerDialog.h"
#include "tests/app/AppFixture.h"
#include "tests/fakes/PostgresServer.h"
#include "tests/fakes/TestArchive.h"
#include "tests/sites/TestSite.h"

namespace {

const QString kDesktopSite = QStringLiteral("Насосная");
const QStringList kNorthSites = {"Котельная №1", "Котельная №2"};
const QStringList kSouthSites = {"ЦТП Южная", "ЦТП Береговая"};

std::string formOf(const QString& site) {
    return QStringLiteral("ВЕДОМОСТЬ ТЕПЛОПОТРЕБЛЕНИЯ\nОбъект: %1\nQ = 12,446 Гкал\n")
        .arg(site)
        .toStdString();
}

// A calculator that answers every exchange with its site's form.
std::unique_ptr<CalculatorSimulator> calculator(const QString& site) {
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    o.exchanges = 0;
    o.stream.forms = {formOf(site)};
    auto sim = std::make_unique<CalculatorSimulator>(o);
    EXPECT_TRUE(sim->start()) << sim->error();
    return sim;
}

struct Ran {
    int exitCode = -1;
    QJsonObject store;  // the report's part of the common archive
    QString err;
};

// A collector machine: a folder of its own for its profile, site book and archive, and a
// calculator on a line of its own for each site of its book.
class Collector {
public:
    Collector(const QStringList& sites, const QString& store) {
        m_env.insert("HOME", m_dir.path());
        m_env.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
        m_env.insert("TABULON_INI", m_dir.filePath("Tabulon.ini"));
        m_env.insert("TABULON_LOCK_DIR", m_dir.path());
        m_env.insert("TABULON_STORE", store);
        QList<Site> book;
        for (const QString& site : sites) {
            m_sims.push_back(calculator(site));
            const QString com = QStringLiteral("COM%1").arg(book.size() + 1);
            m_env.insert("TABULON_" + com, QString::fromStdString(m_sims.back()->slavePath()));
            book.append(makeSite(site, com, 0, 9600));
        }
        QString error;
        EXPECT_TRUE(SiteBook::save(m_dir.filePath("sites.toml"), book, &error))
            << error.toStdString();
    }
    QString archive() const { return m_dir.filePath("archive"); }
    // A round of the whole book, sending for at most `uploadWait` seconds after it.
    void startRound(int uploadWait) {
        start({"--all", "--sites", m_dir.filePath("sites.toml"), "--wait", "1", "--upload-wait",
               QString::number(uploadWait)});
    }
    void startUpload() { start({"--upload"}); }
    bool running() const { return m_process && m_process->state() != QProcess::NotRunning; }
    Ran finish() {
        if (running()) {
            EXPECT_TRUE(m_process->waitForFinished(120000));
        }
        return {m_process->exitStatus() == QProcess::NormalExit ? m_process->exitCode() : -1,
                QJsonDocument::fromJson(m_process->readAllStandardOutput())
                    .object()["store"]
                    .toObject(),
                QString::fromUtf8(m_process->readAllStandardError())};
    }

private:
    void start(QStringList args) {
        m_process = std::make_unique<QProcess>();
        m_process->setProcessEnvironment(m_env);
        m_process->start(TABULON_COLLECT, args << "--out" << archive() << "--json");
        EXPECT_TRUE(m_process->waitForStarted());
    }

    QTemporaryDir m_dir;
    QProcessEnvironment m_env = QProcessEnvironment::systemEnvironment();
    std::vector<std::unique_ptr<CalculatorSimulator>> m_sims;
    std::unique_ptr<QProcess> m_process;
};

// "file name|content hash" of every form file of an archive and "record|content hash" of every
// exchange record, as the store holds them; read from the files, not from what the uploader
// thought it sent.
QSet<QString> filesOf(const QString& root) {
    QSet<QString> keys;
    const auto add = [&](const QString& path, const QString& named) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        const QByteArray hash =
            QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
        keys.insert(named + u'|' + QString::fromLatin1(hash));
    };
    for (const QString& path : archiveFiles(root)) add(path, QDir(root).relativeFilePath(path));
    QDirIterator records(root + "/.exchanges", QDir::Files, QDirIterator::Subdirectories);
    while (records.hasNext()) add(records.next(), QStringLiteral("record"));
    return keys;
}

class OrganisationStore : public AppFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.ok()) << m_server.error().toStdString();
        m_server.psql("CREATE ROLE owner LOGIN");
        m_server.psql("CREATE DATABASE tabulon OWNER owner");
        ASSERT_TRUE(m_server.ok()) << m_server.error().toStdString();
        AppFixture::SetUp();
        qputenv("TABULON_STORE", store().toUtf8());
        m_north = std::make_unique<Collector>(kNorthSites, store());
        m_south = std::make_unique<Collector>(kSouthSites, store());
        startCalculator(calculatorOptions());
        QString error;
        ASSERT_TRUE(SiteBook::save(m_dir.filePath("sites.toml"),
                                   {makeSite(kDesktopSite, "COM1", 0, 9600)}, &error));
        // The operator takes the book's one site, keeps its settings and starts.
        m_answerer.whenShown<SitePickerDialog>([](SitePickerDialog* p) { p->accept(); });
        m_answerer.whenShown("IDD_SETTINGS", [](QDialog* dialog) {
            for (QPushButton* b : dialog->findChildren<QPushButton*>())
                if (b->text() == QStringLiteral("Продолжить")) b->click();
        });
        answer(QStringLiteral("Связь с вычислителем установлена."), msg::IDYES);
        answer(QStringLiteral("Чтение данных в объеме "), msg::IDNO);
    }
    void TearDown() override {
        AppFixture::TearDown();
        qunsetenv("TABULON_STORE");
    }
    static CalculatorSimulatorOptions calculatorOptions() {
        CalculatorSimulatorOptions o;
        o.exchanges = 0;
        o.stream.forms = {formOf(kDesktopSite)};
        return o;
    }
    QString store() const { return m_server.localAddress("owner", "tabulon"); }
    QString desktopArchive() const { return m_dir.filePath("archive"); }

    // The operator's exchange with the desktop's site; its end wakes the desktop's upload.
    void desktopExchange() {
        ASSERT_TRUE(mainFrame()->commands().run(id::ID_SITE_CONNECT));
        ASSERT_TRUE(waitForWorkerEnd());
        mainFrame()->calls().finishArchive();
        mainFrame()->exchange().OnTimer(ExchangeControl::kTimerId);
    }
    // Both collectors' rounds at once, the desktop's exchange while they run.
    void roundEverywhere(int uploadWait, Ran& north, Ran& south) {
        m_north->startRound(uploadWait);
        m_south->startRound(uploadWait);
        desktopExchange();
        ASSERT_TRUE(waitUntil([&] { return !m_north->running() && !m_south->running(); }, 120000));
        north = m_north->finish();
        south = m_south->finish();
    }

    // The month's rows shown: forms by site.
    static std::map<QString, int> formsShown(const MonthRoundWindow* window) {
        std::map<QString, int> shown;
        for (const MonthRoundRow& row : window->model()->rows()) shown[row.site] = row.forms;
        return shown;
    }
    static std::map<QString, int> everySite(int forms) {
        std::map<QString, int> all{{kDesktopSite, forms}};
        for (const QString& site : kNorthSites + kSouthSites) all[site] = forms;
        return all;
    }
    QString stored(const QString& sql) { return m_server.psql(sql, "tabulon"); }
    // What the store holds, keyed as filesOf keys an archive.
    QSet<QString> storedKeys() {
        const QString rows = stored(
            "SELECT file_name || '|' || encode(hash, 'hex') FROM forms UNION ALL"
            " SELECT 'record|' || encode(hash, 'hex') FROM exchanges");
        const QStringList lines = rows.split(u'\n', Qt::SkipEmptyParts);
        return QSet<QString>(lines.begin(), lines.end());
    }

    PostgresServer m_server;
    std::unique_ptr<Collector> m_north, m_south;
};

TEST_F(OrganisationStore, OneRoundOneSearchAndAStoreAwayForARound) {
    ASSERT_TRUE(startApp());
    ASSERT_TRUE(mainFrame()->commands().run(id::ID_MONTH_ROUND));
    auto* month = mainFrame()->findChild<MonthRoundWindow*>();
    ASSERT_TRUE(month);

    // The round: each machine sends as it goes, and the open month hears of the others'.
    Ran north, south;
    roundEverywhere(30, north, south);
    for (const Ran* ran : {&north, &south}) {
        EXPECT_EQ(ran->exitCode, 0) << ran->err.toStdString();
        EXPECT_EQ(ran->store["formsLeft"].toInt(), 0) << ran->err.toStdString();
    }
    EXPECT_TRUE(waitUntil([&] { return formsShown(month) == everySite(1); }, 60000))
        << testing::PrintToString(formsShown(month));
    auto* backlog = month->findChild<QLabel*>("storeBacklog");
    EXPECT_TRUE(waitUntil([&] { return backlog->text() == texts::kStoreAllSent; }))
        << backlog->text().toStdString();

    // One search finds the forms of all three machines, each once, in the store.
    ASSERT_TRUE(mainFrame()->commands().run(id::ID_ARCHIVE_BROWSE));
    ArchiveWindow* forms = nullptr;  // a window of its own, not the frame's child
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* a = qobject_cast<ArchiveWindow*>(w)) forms = a;
    ASSERT_TRUE(forms);
    auto* field = forms->findChild<QLineEdit*>("ArchiveSearch");
    auto* list =
        qobject_cast<FormListModel*>(forms->findChild<QTreeView*>("ArchiveForms")->model());
    ASSERT_TRUE(waitUntil([&] { return field->isEnabled() && !forms->isUpdating(); }));
    // Typed key by key; QTest::keyClicks knows Latin letters only.
    for (const QChar c : QStringLiteral("теплопотребления"))
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    ASSERT_TRUE(waitUntil([&] { return list->isSearch() && !forms->isListing(); }));
    EXPECT_TRUE(list->storeFailure().isEmpty()) << list->storeFailure().toStdString();
    std::multiset<QString> found;
    int northern = -1;
    for (int row = 0; row < list->rowCount(); ++row) {
        const QString site = list->index(row, FormListModel::Site).data().toString();
        found.insert(site);
        if (site == kNorthSites[0]) northern = row;
    }
    std::multiset<QString> expected;
    for (const auto& [site, count] : everySite(1)) expected.insert(site);
    EXPECT_EQ(found, expected);
    // A form whose file lives on another machine opens from the store's text.
    ASSERT_GE(northern, 0);
    auto* view = forms->findChild<QTreeView*>("ArchiveForms");
    view->setCurrentIndex(list->index(northern, 0));
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return !formDocs().isEmpty(); }));
    EXPECT_EQ(plainText(formDocs().last()).toStdString(), formOf(kNorthSites[0]));

    // The store away for a whole round: every exchange ends as it would without it.
    ASSERT_TRUE(m_server.stop());
    roundEverywhere(1, north, south);
    for (const Ran* ran : {&north, &south}) {
        EXPECT_EQ(ran->exitCode, 0) << ran->err.toStdString();
        EXPECT_EQ(ran->store["formsLeft"].toInt(), 2) << ran->err.toStdString();
        EXPECT_EQ(ran->store["recordsLeft"].toInt(), 2) << ran->err.toStdString();
        EXPECT_TRUE(ran->err.contains(QStringLiteral("недоступен"))) << ran->err.toStdString();
    }
    // The desktop's status bar tells what its archive has not sent, and why.
    auto* pane = mainFrame()->statusBar()->findChild<QLabel*>("storeBacklog");
    ASSERT_TRUE(pane);
    EXPECT_TRUE(waitUntil([&] { return pane->text() == texts::kStoreBacklog.arg(1).arg(1); }))
        << pane->text().toStdString();
    EXPECT_TRUE(pane->toolTip().contains(QStringLiteral("недоступен")))
        << pane->toolTip().toStdString();

    // Back: --upload on each collector, the desktop's own upload tries again by itself.
    ASSERT_TRUE(m_server.start());
    m_north->startUpload();
    m_south->startUpload();
    for (Collector* c : {m_north.get(), m_south.get()}) {
        const Ran drained = c->finish();
        EXPECT_EQ(drained.exitCode, 0) << drained.err.toStdString();
        EXPECT_EQ(drained.store["formsLeft"].toInt(), 0) << drained.err.toStdString();
    }
    ASSERT_TRUE(waitUntil([&] { return pane->text() == texts::kStoreAllSent; }, 120000))
        << pane->text().toStdString();

    // Every form and record of the three archives is in the store exactly once.
    const QSet<QString> onDisk =
        filesOf(desktopArchive()) + filesOf(m_north->archive()) + filesOf(m_south->archive());
    EXPECT_EQ(onDisk.size(), 20);  // five sites, two rounds, a form and a record each
    EXPECT_EQ(storedKeys(), onDisk);
    EXPECT_EQ(stored("SELECT count(*) FROM forms"), "10");
    EXPECT_EQ(stored("SELECT count(*) FROM exchanges"), "10");
    // And the month still open shows both rounds of every site, each exchange once.
    EXPECT_TRUE(waitUntil([&] { return formsShown(month) == everySite(2); }, 60000))
        << testing::PrintToString(formsShown(month));

    // A file of this machine under the name of another machine's form is not that form: the
    // hit opens the store's text still.
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    ASSERT_TRUE(waitUntil([&] { return !list->isSearch() && !forms->isListing(); }));
    for (const QChar c : QStringLiteral("теплопотребления"))
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    ASSERT_TRUE(waitUntil([&] { return list->isSearch() && !forms->isListing(); }));
    ASSERT_TRUE(list->storeFailure().isEmpty()) << list->storeFailure().toStdString();
    northern = -1;
    for (int row = 0; row < list->rowCount() && northern < 0; ++row)
        if (list->index(row, FormListModel::Site).data().toString() == kNorthSites[0] &&
            !list->storeTextAt(row).isEmpty())
            northern = row;
    ASSERT_GE(northern, 0);
    const QString decoy = QDir(desktopArchive()).filePath(
        list->index(northern, 0).data(FormListModel::RelativePathRole).toString());
    ASSERT_TRUE(QDir().mkpath(QFileInfo(decoy).path()));
    QFile file(decoy);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("not the northern form\r\n") > 0);
    file.close();
    QSignalSpy opened(forms, &ArchiveWindow::formOpened);
    view->setCurrentIndex(list->index(northern, 0));
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_EQ(opened.size(), 1);
    const QString path = opened[0][0].toString();
    EXPECT_NE(QFileInfo(path).canonicalFilePath(), QFileInfo(decoy).canonicalFilePath());
    QFile copy(path);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly)) << path.toStdString();
    EXPECT_EQ(TextFileCodec::decode(copy.readAll()).toStdString(), formOf(kNorthSites[0]));
}

}  // namespace
