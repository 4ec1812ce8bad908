#pragma once

#include <gtest/gtest.h>

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "app/TabulonPlusApp.h"
#include "platform/Clock.h"
#include "sites/Site.h"
#include "tests/fakes/DialogAnswerer.h"
#include "tests/sites/TestSite.h"
#include "tools/CalculatorSimulator.h"

class CMainFrame;
class CTabulonPlusDoc;
class QAction;

// Runs a fast clock: the worker's limits of whole seconds pass five times as fast, so a pass
// that ends on silence takes one real second instead of five.
class ScaledClock final : public Clock {
public:
    std::int64_t nowMs() override { return m_steady.nowMs() * 5; }

private:
    SteadyClock m_steady;
};

// The whole program in one test: its own configuration file and per-user profile in a
// temporary folder, message boxes and dialogs answered from a script, and a simulated
// calculator on a pseudo-terminal.
class AppFixture : public testing::Test {
protected:
    using Message = DialogAnswerer::Box;

    void SetUp() override;
    void TearDown() override;

    // Starts the simulator and points `comVariable` (e.g. "TABULON_COM1") at its line.
    void startCalculator(CalculatorSimulatorOptions options,
                         const char* comVariable = "TABULON_COM1");
    // The worker runs on the fast clock unless `realClock`.
    bool startApp(const QStringList& args = {}, bool realClock = false);

    // The answer to every message beginning with `prefix`, until changed.
    void answer(const QString& prefix, int answer);
    // The settings dialog of the next connect command is answered with these three texts.
    void chooseSettings(const QString& port, const QString& device, const QString& rate);

    // Pumps events until `done` holds; false after `ms` milliseconds.
    static bool waitUntil(const std::function<bool()>& done, int ms = 20000);
    bool waitForWorkerEnd(int ms = 30000);

    CMainFrame* mainFrame() const;
    QList<CTabulonPlusDoc*> formDocs() const;
    QStringList titles() const;
    static QString plainText(CTabulonPlusDoc* doc);
    bool sent(const QString& prefix) const;  // a message beginning with `prefix` was shown
    QByteArray iniBytes() const;

    DialogAnswerer m_answerer;
    QTemporaryDir m_dir;
    QString m_iniPath;
    std::unique_ptr<CTabulonPlusApp> m_app;
    std::unique_ptr<CalculatorSimulator> m_sim;
    ScaledClock m_clock;
    QList<Message>& m_messages = m_answerer.boxes;
};

// The text in the Windows Cyrillic code page, as files and the worker hold it.
QByteArray cp1251(const QString& text);
