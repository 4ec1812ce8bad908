#include <QCheckBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QUrl>

#include "AppFixture.h"
#include "archive/ArchiveDlg.h"
#include "archive/ArchiveSettings.h"
#include "archive/ExchangeRecord.h"
#include "forms/TabulonPlusDoc.h"
#include "frames/MainFrame.h"
#include "frames/WorkerCalls.h"
#include "res/CommandIds.h"
#include "res/MessageBox.h"

namespace {

const QString kStart = QStringLiteral("Связь с вычислителем установлена.\nНачать прием данных?");
const QString kReport = QStringLiteral("Чтение данных в объеме ");
const QString kNotArchived = QStringLiteral("Форма ");

// Every byte a calculator can send but the form end, line breaks of every kind among them;
// sent last, with no form end after it, it reaches the archive at the pass end.
std::vector<std::uint8_t> EveryByte() {
    std::vector<std::uint8_t> bytes;
    for (int b = 1; b < 256; ++b)
        if (b != 0x1A) bytes.push_back(std::uint8_t(b));
    bytes.insert(bytes.end(), {'\r', 'x', '\n', '\n', '\r', '\r', '\n'});
    return bytes;
}

class ArchiveExchange : public AppFixture {
protected:
    QString ArchiveFolder() const { return m_dir.filePath("archive"); }

    void UseTemplate(const QString& tmpl) {
        ArchiveSettings s;
        s.folder = ArchiveFolder();
        s.nameTemplate = tmpl;
        ASSERT_TRUE(s.Save());
    }

    void Exchange(CalculatorSimulatorOptions options) {
        StartCalculator(options);
        ASSERT_TRUE(StartApp());
        Answer(kStart, msg::IDYES);
        Answer(kReport, msg::IDNO);
        ChooseSettings("COM1", options.deviceType == 4 ? "КСМ-Ж" : "КСМ-Р", "9600");
        ASSERT_TRUE(Frame()->OnCommand(id::ID_CONNECT));
        ASSERT_TRUE(WaitForWorkerEnd());
        Frame()->Calls().finishArchive();
        WaitUntil([] { return false; }, 50);  // a queued message gets its turn
    }

    // The archive's files by name, below the month folders.
    QStringList ArchiveFiles() const {
        QStringList files;
        QDirIterator it(ArchiveFolder(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) files << it.next();
        files.sort();
        return files;
    }

    static QByteArray Read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    // The records of every month the archive has any for.
    QList<ExchangeRecord> archivedRecords() const {
        QList<ExchangeRecord> records;
        const QDir folder(QDir(ArchiveFolder()).filePath(".exchanges"));
        for (const QString& month : folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            records +=
                ExchangeRecords::readMonth(ArchiveFolder(), QDate::fromString(month, "yyyy-MM"));
        return records;
    }

    QByteArray Saved(CTabulonPlusDoc* doc, int n) {
        const QString path = m_dir.filePath(QStringLiteral("saved%1").arg(n));
        EXPECT_TRUE(doc->OnSaveDocument(path));
        return Read(path);
    }
};

TEST_F(ArchiveExchange, ArchivedFormsEqualTheirSavedWindowsByteForByte) {
    UseTemplate("{n}_{port}_{device}.txt");
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    o.stream.forms = {"СУТОЧНАЯ ВЕДОМОСТЬ N1\nТемпература подачи 94,21\n", "",
                      "\tтаб\tи пробелы  \n\n"};
    o.stream.rawBytes = EveryByte();
    o.stream.tailText = "Хвост без конца формы";
    Exchange(o);

    const QList<CTabulonPlusDoc*> docs = Docs();
    ASSERT_EQ(docs.size(), 4);
    const QStringList files = ArchiveFiles();
    ASSERT_EQ(files.size(), 4) << files.join('\n').toStdString();
    for (int i = 0; i < 4; ++i) {
        // The tail had no form end: its name says it is cut short.
        const QString suffix = i == 3 ? QStringLiteral("-неполная") : QString();
        EXPECT_TRUE(
            files[i].endsWith(QStringLiteral("/0%1_COM1_КСМ-Р%2.txt").arg(i + 1).arg(suffix)))
            << files[i].toStdString();
        EXPECT_TRUE(docs[i]->IsModified()) << "the archive is a copy, not the form's file";
        EXPECT_TRUE(docs[i]->GetPathName().isEmpty());
        EXPECT_EQ(Read(files[i]), Saved(docs[i], i)) << files[i].toStdString();
    }
    EXPECT_FALSE(Sent(kNotArchived));

    // The exchange's record names the forms as the archive holds them.
    const QList<ExchangeRecord> records = archivedRecords();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].outcome, RecordOutcome::FormsReceived);
    EXPECT_EQ(records[0].port, "COM1");
    EXPECT_EQ(records[0].device, "КСМ-Р");
    // The stream and the handshake's reply.
    EXPECT_EQ(records[0].bytes, qint64(m_sim->report().bytesSent) + 2);
    EXPECT_LE(records[0].start, records[0].end);
    ASSERT_EQ(records[0].forms.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(QDir(ArchiveFolder()).filePath(records[0].forms[i].file), files[i]);
        EXPECT_EQ(records[0].forms[i].size, QFileInfo(files[i]).size());
    }
}

// A record that cannot be kept is told as a form that cannot be archived is.
TEST_F(ArchiveExchange, RecordNotWrittenIsTold) {
    UseTemplate("{n}.txt");
    ASSERT_TRUE(QDir().mkpath(ArchiveFolder()));
    QFile blocker(QDir(ArchiveFolder()).filePath(".exchanges"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    CalculatorSimulatorOptions o;
    o.deviceType = 4;
    o.stream.forms = {"A"};
    Exchange(o);
    EXPECT_EQ(ArchiveFiles().size(), 1);
    EXPECT_TRUE(Sent("Запись о сеансе связи не сохранена: " +
                     QDir::toNativeSeparators(QDir(ArchiveFolder()).filePath(".exchanges"))));
}

// A small tmpfs of our own as the archive: the second form does not fit.
TEST_F(ArchiveExchange, FullDiskLeavesTheExchangeAndTheWindowsWhole) {
    ASSERT_TRUE(QDir().mkpath(ArchiveFolder()));
    const bool mounted = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=16k",
                                                     "tabulon-test", ArchiveFolder()}) == 0;
    if (!mounted) GTEST_SKIP() << "cannot mount a tmpfs here (needs CAP_SYS_ADMIN)";
    struct Unmount {
        QString where;
        ~Unmount() { QProcess::execute("umount", {where}); }
    } unmount{ArchiveFolder()};

    const std::string big(40000, 'x');
    CalculatorSimulatorOptions o;
    o.deviceType = 4;
    o.stream.forms = {"первая", big, "третья", "четвертая"};
    Exchange(o);

    EXPECT_TRUE(Sent(kReport)) << "the exchange went on to its end";
    EXPECT_FALSE(IniBytes().isEmpty());
    ASSERT_EQ(Docs().size(), 5);
    EXPECT_EQ(PlainText(Docs()[1]), QString::fromStdString(big));
    EXPECT_EQ(PlainText(Docs()[3]), QStringLiteral("четвертая"));
    QStringList told;
    for (const Message& m : m_messages)
        if (m.text.startsWith(kNotArchived)) told << m.text;
    ASSERT_EQ(told.size(), 1) << "once per exchange";
    EXPECT_TRUE(told[0].startsWith("Форма 2 не записана в архив: на диске нет места."))
        << told[0].toStdString();
    EXPECT_EQ(ArchiveFiles().size(), 3);
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
    ASSERT_TRUE(StartApp());
    // The folder is opened by the desktop, and made first when it does not exist yet.
    UrlCatcher desktop;
    QDesktopServices::setUrlHandler("file", &desktop, "open");
    EXPECT_TRUE(Frame()->OnCommand(id::ID_ARCHIVE_OPEN_FOLDER));
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_EQ(desktop.urls, QList<QUrl>{QUrl::fromLocalFile(ArchiveFolder())});
    EXPECT_TRUE(QFileInfo(ArchiveFolder()).isDir());

    // A file where the folder should be: the operator is told, and nothing is opened.
    ASSERT_TRUE(QDir(ArchiveFolder()).removeRecursively());
    QFile blocker(ArchiveFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_messages.clear();
    QDesktopServices::setUrlHandler("file", &desktop, "open");
    EXPECT_TRUE(Frame()->OnCommand(id::ID_ARCHIVE_OPEN_FOLDER));
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages[0].text,
              "Не удается создать папку архива " + QDir::toNativeSeparators(ArchiveFolder()));
    EXPECT_EQ(desktop.urls.size(), 1);
    ASSERT_TRUE(QFile::remove(ArchiveFolder()) && QDir().mkpath(ArchiveFolder()));

    // Switched off in the dialog, the archive keeps nothing of the next exchange.
    ArchiveDlg::SetShownHook([](QDialog* d) {
        d->findChild<QCheckBox*>("IDC_ARCHIVE_ENABLED")->setChecked(false);
        d->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_TRUE(Frame()->OnCommand(id::ID_ARCHIVE_SETTINGS));
    ArchiveDlg::SetShownHook({});
    CalculatorSimulatorOptions o;
    o.deviceType = 4;
    o.stream.forms = {"A", "B"};
    StartCalculator(o);
    Answer(kStart, msg::IDYES);
    Answer(kReport, msg::IDNO);
    ChooseSettings("COM1", "КСМ-Ж", "9600");
    ASSERT_TRUE(Frame()->OnCommand(id::ID_CONNECT));
    ASSERT_TRUE(WaitForWorkerEnd());
    Frame()->Calls().finishArchive();
    EXPECT_EQ(Docs().size(), 3);
    EXPECT_TRUE(ArchiveFiles().isEmpty());
    EXPECT_TRUE(archivedRecords().isEmpty()) << "nor a record of the exchange";
}

}  // namespace

#include "ArchiveEndToEndTest.moc"
