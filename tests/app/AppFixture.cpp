#include "tests/app/AppFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QStringEncoder>
#include <QTextDocument>
#include <chrono>
#include <thread>

#include "acquisition/AcquisitionThreadProc.h"
#include "archive/ArchiveName.h"
#include "archive/ArchiveSettings.h"
#include "forms/FormTemplate.h"
#include "forms/TabulonPlusDoc.h"
#include "frames/ExchangeControl.h"
#include "frames/FormWindows.h"
#include "frames/MainFrame.h"
#include "ports/ComPortOpener.h"

QByteArray cp1251(const QString& text) {
    QStringEncoder encoder("windows-1251");
    return encoder(text);
}

void AppFixture::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    m_iniPath = m_dir.filePath("Tabulon.ini");
    qputenv("TABULON_INI", m_iniPath.toLocal8Bit());
    // The operator's own site book stays out of the tests.
    qputenv("TABULON_SITES", m_dir.filePath("sites.toml").toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath("profile"));
    // Received forms are archived into the test's folder, never into the user's documents.
    ArchiveSettings archive;
    archive.folder = m_dir.filePath("archive");
    archive.nameTemplate = ArchiveName::kDefaultTemplate;
    ASSERT_TRUE(archive.save());
    m_answerer.noteWindow([this] { return mainFrame(); });
}

void AppFixture::TearDown() {
    if (m_app) m_app->ExitInstance();
    m_app.reset();
    if (m_sim) m_sim->stop();
    m_sim.reset();
    for (const char* v :
         {"TABULON_COM1", "TABULON_COM2", "TABULON_COM3", "TABULON_INI", "TABULON_SITES"})
        qunsetenv(v);
}

void AppFixture::startCalculator(CalculatorSimulatorOptions options, const char* comVariable) {
    m_sim = std::make_unique<CalculatorSimulator>(std::move(options));
    ASSERT_TRUE(m_sim->start()) << m_sim->error();
    qputenv(comVariable, QByteArray::fromStdString(m_sim->slavePath()));
}

bool AppFixture::startApp(const QStringList& args, bool realClock) {
    m_app = std::make_unique<CTabulonPlusApp>();
    if (!realClock) {
        m_app->setThreadProc([this](void* p) {
            return AcquisitionThreadProc(*static_cast<ReceiveControl*>(p), &openComPort, m_clock);
        });
    }
    const bool started = m_app->InitInstance(args);
    // The tests give the timer its ticks themselves.
    if (mainFrame()) mainFrame()->exchange().setTickInterval(24 * 3600 * 1000);
    return started;
}

void AppFixture::answer(const QString& prefix, int answer) {
    m_answerer.answer(prefix, answer);
}

void AppFixture::chooseSettings(const QString& port, const QString& device, const QString& rate) {
    m_answerer.whenShown("IDD_SETTINGS", [=](QDialog* dialog) {
        dialog->findChild<QComboBox*>("IDC_PORT")->setEditText(port);
        dialog->findChild<QComboBox*>("IDC_DEVICE")->setEditText(device);
        dialog->findChild<QComboBox*>("IDC_RATE")->setEditText(rate);
        for (QPushButton* b : dialog->findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("Продолжить")) b->click();
    });
}

bool AppFixture::waitUntil(const std::function<bool()>& done, int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

bool AppFixture::waitForWorkerEnd(int ms) {
    return waitUntil([this] { return !mainFrame()->exchange().workerAlive(); }, ms);
}

CMainFrame* AppFixture::mainFrame() const {
    return m_app ? m_app->mainFrame() : nullptr;
}

QList<CTabulonPlusDoc*> AppFixture::formDocs() const {
    return mainFrame()->forms().formTemplate().documents();
}

QStringList AppFixture::titles() const {
    QStringList titles;
    for (CTabulonPlusDoc* doc : formDocs()) titles.append(doc->getTitle());
    return titles;
}

QString AppFixture::plainText(CTabulonPlusDoc* doc) {
    return doc->getTextDocument()->toPlainText();
}

bool AppFixture::sent(const QString& prefix) const {
    return m_answerer.sent(prefix);
}

QByteArray AppFixture::iniBytes() const {
    QFile file(m_iniPath);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}
