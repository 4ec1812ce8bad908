#include <QCheckBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

#include "archive/ArchiveSettings.h"
#include "forms/TabulonPlusDoc.h"
#include "frames/CommandRouter.h"
#include "frames/MainFrame.h"
#include "frames/WorkerCalls.h"
#include "res/CommandIds.h"
#include "res/MessageBox.h"
#include "tests/app/AppFixture.h"
#include "tests/fakes/TestArchive.h"
#include "tests/fakes/TestFiles.h"

namespace {

const QString kStart = QStringLiteral("Связь с вычислителем установлена.\nНачать прием данных?");
const QString kReport = QStringLiteral("Чтение данных в объеме ");
const QString kNotArchived = QStringLiteral("Форма ");

// Every byte a calculator can send but the form end, line breaks of every kind among them;
// sent last, with no form end after it, it reaches the archive at the pass end.
std::vector<std::uint8_t> everyByte() {
    std::vector<std::uint8_t> bytes;
    for (int b = 1; b < 256; ++b)
        if (b != 0x1A) bytes.push_back(std::uint8_t(b));
    bytes.insert(bytes.end(), {'\r', 'x', '\n', '\n', '\r', '\r', '\n'});
    return bytes;
}

class ArchiveExchange : public AppFixture {
protected:
    QString archiveFolder() const { return m_dir.filePath("archive"); }

    void useTemplate(const QString& tmpl) {
        ArchiveSettings s;
        s.folder = archiveFolder();
        s.nameTemplate = tmpl;
        ASSERT_TRUE(s.save());
    }

    void exchange(CalculatorSimulatorOptions options) {
        startCalculator(options);
        ASSERT_TRUE(startApp());
        answer(kStart, msg::IDYES);
        answer(kReport, msg::IDNO);
        chooseSettings("COM1", options.deviceType == 4 ? "КСМ-Ж" : "КСМ-Р", "9600");
        ASSERT_TRUE(mainFrame()->commands().run(id::ID_CONNECT));
        ASSERT_TRUE(waitForWorkerEnd());
        mainFrame()->calls().finishArchive();
        waitUntil([] { return false; }, 50);  // a queued message gets its turn
    }

    QByteArray saved(CTabulonPlusDoc* doc, int n) {
        const QString path = m_dir.filePath(QStringLiteral("saved%1").arg(n));
        EXPECT_TRUE(doc->onSaveDocument(path));
        return readAll(path);
    }
};

TEST_F(ArchiveExchange, ArchivedFormsEqualTheirSavedWindowsByteForByte) {
    useTemplate("{n}_{port}_{device}.txt");
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    o.stream.forms = {"СУТОЧНАЯ ВЕДОМОСТЬ N1\nТемпература подачи 94,21\n", "",
                      "\tтаб\tи пробелы  \n\n"};
    o.stream.rawBytes = everyByte();
    o.stream.tailText = "Хвост без конца формы";
    exchange(o);

    const QList<CTabulonPlusDoc*> docs = formDocs();
    ASSERT_EQ(docs.size(), 4);
    const QStringList files = archiveFiles(archiveFolder());
    ASSERT_EQ(files.size(), 4) << files.join('\n').toStdString();
    for (int i = 0; i < 4; ++i) {
        // The tail had no form end: its name says it is cut short.
        const QString suffix = i == 3 ? QStringLiteral("-неполная") : QString();
        EXPECT_TRUE(
            files[i].endsWith(QStringLiteral("/0%1_COM1_КСМ-Р%2.txt").arg(i + 1).arg(suffix)))
            << files[i].toStdString();
        EXPECT_TRUE(docs[i]->IsModified()) << "the archive is a copy, not the form's file";
        EXPECT_TRUE(docs[i]->getPathName().isEmpty());
        EXPECT_EQ(readAll(files[i]), saved(docs[i], i)) << files[i].toStdString();
    }
    EXPECT_FALSE(sent(kNotArchived));

    // The exchange's record names the forms as the archive holds them.
    const QList<ExchangeRecord> records = archivedRecords(archiveFolder());
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].outcome, RecordOutcome::FormsReceived);
    EXPECT_EQ(records[0].port, "COM1");
    EXPECT_EQ(records[0].device, "КСМ-Р");
    // The stream and the handshake's reply.
    EXPECT_EQ(records[0].bytes, qint64(m_sim->report().bytesSent) + 2);
    EXPECT_LE(records[0].start, records[0].end);
    ASSERT_EQ(records[0].forms.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(QDir(archiveFolder()).filePath(records[0].forms[i].file), files[i]);
        EXPECT_EQ(records[0].forms[i].size, QFileInfo(files[i]).size());
    }
}

// A record that cannot be kept is told as a form that cannot be archived is.
TEST_F(ArchiveExchange, RecordNotWrittenIsTold) {
    useTemplate("{n}.txt");
    ASSERT_TRUE(QDir().mkpath(archiveFolder()));
    QFile blocker(QDir(archiveFolder()).filePath(".exchanges"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    CalculatorSimulatorOptions o;
    o.deviceType = 4;
    o.stream.forms = {"A"};
    exchange(o);
    EXPECT_EQ(archiveFiles(archiveFolder()).size(), 1);
    EXPECT_TRUE(sent("Запись о сеансе связи не сохранена: " +
                     QDir::toNativeSeparators(QDir(archiveFolder()).filePath(".exchanges"))));
}

// A small tmpfs of our own as the archive: the second form does not fit.
TEST_F(ArchiveExchange, FullDiskLeavesTheExchangeAndTheWindowsWhole) {
    ASSERT_TRUE(QDir().mkpath(archiveFolder()));
    const bool mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=16k",
                                                     "tabulon-test", archiveFolder()}) == 0;
    if (!mounted) GTEST_SKIP() << "cannot mount a tmpfs here (needs CAP_SYS_ADMIN)";
    struct Unmount {
        QString where;
        ~Unmount() { QProcess::execute("umount", {where}); }
    } unmount{archiveFolder()};

    const std::string big(40000, 'x');
    CalculatorSimulatorOptions o;
    o.deviceType = 4;
    o.stream.forms = {"первая", big, "третья", "четвертая"};
    exchange(o);

    EXPECT_TRUE(sent(kReport)) << "the exchange went on to its end";
    EXPECT_FALSE(iniBytes().isEmpty());
    ASSERT_EQ(formDocs().size(), 5);
    EXPECT_EQ(plainText(formDocs()[1]), QString::fromStdString(big));
    EXPECT_EQ(plainText(formDocs()[3]), QStringLiteral("четвертая"));
    QStringList told;
    for (const Message& m : m_messages)
        if (m.text.startsWith(kNotArchived)) told << m.text;
    ASSERT_EQ(told.size(), 1) << "once per exchange";
    EXPECT_TRUE(told[0].startsWith("Форма 2 не записана в архив: на диске нет места."))
        << told[0].toStdString();
    EXPECT_EQ(archiveFiles(archiveFolder()).size(), 3);
}

}  // namespace

namespace {

// Receives the URLs the program asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

TEST_F(ArchiveExchange, CommandsOpenTheFolderAndSwitchTheArchiveOff) {
    ASSERT_TRUE(startApp());
    // The folder is opened by the desktop, and made first when it does not exist yet.
    UrlCatcher desktop;
    QDesktopServices::setUrlHandler("file", &desktop, "open");
    EXPECT_TRUE(mainFrame()->commands().run(id::ID_ARCHIVE_OPEN_FOLDER));
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_EQ(desktop.urls, QList<QUrl>{QUrl::fromLocalFile(archiveFolder())});
    EXPECT_TRUE(QFileInfo(archiveFolder()).isDir());

    // A file where the folder should be: the operator is told, and nothing is opened.
    ASSERT_TRUE(QDir(archiveFolder()).removeRecursively());
    QFile blocker(archiveFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_messages.clear();
    QDesktopServices::setUrlHandler("file", &desktop, "open");
    EXPECT_TRUE(mainFrame()->commands().run(id::ID_ARCHIVE_OPEN_FOLDER));
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages[0].text,
              "Не удается создать папку архива " + QDir::toNativeSeparators(archiveFolder()));
    EXPECT_EQ(desktop.urls.size(), 1);
    ASSERT_TRUE(QFile::remove(archiveFolder()) && QDir().mkpath(archiveFolder()));

    // Switched off in the dialog, the archive keeps nothing of the next exchange.
    m_answerer.whenShown("ArchiveDialog", [](QDialog* d) {
        d->findChild<QCheckBox*>("archiveEnabled")->setChecked(false);
        d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_TRUE(mainFrame()->commands().run(id::ID_ARCHIVE_SETTINGS));
    CalculatorSimulatorOptions o;
    o.deviceType = 4;
    o.stream.forms = {"A", "B"};
    startCalculator(o);
    answer(kStart, msg::IDYES);
    answer(kReport, msg::IDNO);
    chooseSettings("COM1", "КСМ-Ж", "9600");
    ASSERT_TRUE(mainFrame()->commands().run(id::ID_CONNECT));
    ASSERT_TRUE(waitForWorkerEnd());
    mainFrame()->calls().finishArchive();
    EXPECT_EQ(formDocs().size(), 3);
    EXPECT_TRUE(archiveFiles(archiveFolder()).isEmpty());
    EXPECT_TRUE(archivedRecords(archiveFolder()).isEmpty()) << "nor a record of the exchange";
}

}  // namespace

#include "ArchiveEndToEndTest.moc"
