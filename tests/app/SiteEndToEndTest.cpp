#include <sys/stat.h>

#include <QComboBox>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "archive/ArchiveName.h"
#include "archive/ArchiveSettings.h"
#include "frames/CommandRouter.h"
#include "frames/MainFrame.h"
#include "frames/WorkerCalls.h"
#include "res/CommandIds.h"
#include "res/MessageBox.h"
#include "sites/SiteBook.h"
#include "sites/SitePickerDialog.h"
#include "tests/app/AppFixture.h"
#include "tests/fakes/TestArchive.h"
#include "tests/files/FifoReleaser.h"

namespace {

const QString kStart = QStringLiteral("Связь с вычислителем установлена.\nНачать прием данных?");
const QString kReport = QStringLiteral("Чтение данных в объеме ");

class SiteExchange : public AppFixture {
protected:
    void writeBook(const QList<Site>& sites) {
        QString error;
        ASSERT_TRUE(SiteBook::save(m_dir.filePath("sites.toml"), sites, &error))
            << error.toStdString();
    }

    // The picker narrowed by `filter` and its first site taken; "Настройки" answered with
    // "Продолжить" as it opened, its three lists noted.
    void pickAndContinue(const QString& filter) {
        m_answerer.whenShown<SitePickerDialog>([filter](SitePickerDialog* picker) {
            picker->findChild<QLineEdit*>("siteFilter")->setText(filter);
            picker->accept();
        });
        m_answerer.whenShown("IDD_SETTINGS", [this](QDialog* dialog) {
            for (const char* list : {"IDC_PORT", "IDC_DEVICE", "IDC_RATE"})
                m_preset << dialog->findChild<QComboBox*>(list)->currentText();
            for (QPushButton* b : dialog->findChildren<QPushButton*>())
                if (b->text() == QStringLiteral("Продолжить")) b->click();
        });
    }

    // The forms of the archive, named from its root.
    QStringList archived() const { return archiveNames(m_dir.filePath("archive")); }

    QStringList m_preset;
};

// The site's port is the simulator's device path, which stands under COM1 for this run.
TEST_F(SiteExchange, FormsGoToTheSitesFolderAndTabulonIniIsWrittenAsEver) {
    CalculatorSimulatorOptions o;
    o.deviceType = 2;
    o.rate = 4800;
    o.stream.forms = {"СУТОЧНАЯ ВЕДОМОСТЬ N1\n", "ИТОГ\n"};
    startCalculator(o);
    const QString line = qEnvironmentVariable("TABULON_COM1");
    writeBook({makeSite("Котельная 1", "COM2", 0, 9600), makeSite("ЦТП Береговая", line, 2, 4800)});
    ASSERT_TRUE(startApp());
    answer(kStart, msg::IDYES);
    answer(kReport, msg::IDNO);
    pickAndContinue(QStringLiteral("берег"));

    ASSERT_TRUE(mainFrame()->commands().run(id::ID_SITE_CONNECT));
    ASSERT_TRUE(waitForWorkerEnd());
    mainFrame()->calls().finishArchive();

    EXPECT_EQ(m_preset, (QStringList{"COM1", "КСМ-С", "4800"}));
    EXPECT_EQ(iniBytes(), cp1251("PORT = COM1\r\nDEVICE = КСМ-С\r\nRATE = 4800"));
    const QString month = ArchiveName::monthFolder(QDate::currentDate());
    const QStringList files = archived();
    ASSERT_EQ(files.size(), 2) << files.join('\n').toStdString();
    for (const QString& file : files)
        EXPECT_TRUE(file.startsWith(QStringLiteral("ЦТП Береговая/") + month + '/'))
            << file.toStdString();

    // The next exchange without a site keeps today's folder.
    chooseSettings("COM1", "КСМ-С", "4800");
    m_sim->stop();
    startCalculator(o);
    ASSERT_TRUE(mainFrame()->commands().run(id::ID_CONNECT));
    ASSERT_TRUE(waitForWorkerEnd());
    mainFrame()->calls().finishArchive();
    EXPECT_EQ(archived().filter(QRegularExpression("^" + month + "/[^/]+$")).size(), 2)
        << archived().join('\n').toStdString();
}

// A site whose port no COM number stands for is refused before "Настройки" opens, and a
// cancelled "Настройки" leaves the choice Tabulon.ini gave.
TEST_F(SiteExchange, SiteWithoutComNumberIsToldAndCancelKeepsTheIniChoice) {
    writeBook({makeSite("Насосная", "tcp://192.0.2.7:4001", 1, 2400),
               makeSite("Котельная 5", "COM5", 3, 19200)});
    ASSERT_TRUE(startApp());
    pickAndContinue(QStringLiteral("насос"));
    ASSERT_TRUE(mainFrame()->commands().run(id::ID_SITE_CONNECT));
    ASSERT_TRUE(sent(QStringLiteral("Порт объекта «Насосная» (tcp://192.0.2.7:4001) не стоит")));
    EXPECT_TRUE(m_preset.isEmpty());

    m_answerer.whenShown<SitePickerDialog>([](SitePickerDialog* picker) {
        picker->findChild<QLineEdit*>("siteFilter")->setText("5");
        picker->accept();
    });
    m_answerer.whenShown("IDD_SETTINGS", [this](QDialog* dialog) {
        m_preset << dialog->findChild<QComboBox*>("IDC_PORT")->currentText();
        dialog->reject();
    });
    ASSERT_TRUE(mainFrame()->commands().run(id::ID_SITE_CONNECT));
    EXPECT_EQ(m_preset, QStringList{"COM5"});
    EXPECT_EQ(mainFrame()->settingsDlg().m_strPort, QStringLiteral("COM1"));
    EXPECT_EQ(mainFrame()->settingsDlg().m_strDevice, QStringLiteral("КСМ-Р"));
    EXPECT_FALSE(mainFrame()->exchange().workerAlive());
}

// The picker opens at once whatever the archive's records are, and fills in each site's last
// collection when a worker has read them: a pipe named like a record never holds it.
TEST_F(SiteExchange, PickerOpensAtOnceAndFillsInTheLastCollection) {
    writeBook({makeSite("Котельная 1", "COM1", 0, 9600), makeSite("ЦТП 2", "COM2", 0, 9600)});
    ASSERT_TRUE(startApp());
    const QString root = ArchiveSettings::load().folder;
    const ExchangeRecord r =
        testRecord(QStringLiteral("Котельная 1"), QDateTime::currentDateTimeUtc(),
                   RecordOutcome::FormsReceived);
    ASSERT_TRUE(addRecord(root, r));
    // A link, which a listing of files takes for what it points at.
    const QString pipe = m_dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(pipe, QDir(ExchangeRecords::monthFolder(root, r.start.toLocalTime().date()))
                                      .filePath(QStringLiteral("pipe.json"))));
    FifoReleaser releaser(QFile::encodeName(pipe));
    QStringList when, outcome;
    m_answerer.whenShown<SitePickerDialog>([&](SitePickerDialog* picker) {
        const QTreeWidget* table = picker->findChild<QTreeWidget*>();
        waitUntil([&] { return !table->topLevelItem(0)->text(3).isEmpty(); });
        for (int i = 0; i < table->topLevelItemCount(); ++i) {
            when << table->topLevelItem(i)->text(2);
            outcome << table->topLevelItem(i)->text(3);
        }
        picker->reject();
    });
    ASSERT_TRUE(mainFrame()->commands().run(id::ID_SITE_CONNECT));
    EXPECT_FALSE(releaser.released()) << "waited in the open of a pipe";
    EXPECT_EQ(when, (QStringList{r.start.toLocalTime().toString("dd.MM.yyyy HH:mm"), ""}));
    EXPECT_EQ(outcome, (QStringList{recordOutcomeText(RecordOutcome::FormsReceived), ""}));
}

TEST_F(SiteExchange, BadBookIsToldOnceAtStartAndNamesFileAndLine) {
    QFile book(m_dir.filePath("sites.toml"));
    ASSERT_TRUE(book.open(QIODevice::WriteOnly));
    book.write("[\"Котельная 3\"]\nport = \"COM3\"\nspeed = 9601\n");
    book.close();
    ASSERT_TRUE(startApp());
    QStringList told;
    // A fresh run also has no Tabulon.ini to read, and says so first.
    for (const Message& m : m_messages)
        if (m.text.contains(QStringLiteral("объект"))) told << m.text;
    EXPECT_EQ(told, QStringList{
                        QStringLiteral(
                            "Файл объектов %1, строка 3: объект «Котельная 3»: Неправильно задана "
                            "скорость обмена данными («9601»).\nTabulon работает без объектов.")
                            .arg(book.fileName())});
}

}  // namespace
