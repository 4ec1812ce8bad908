#pragma once

#include <QMainWindow>
#include <QPointer>

#include "acquisition/ReceiveControl.h"
#include "frames/ExchangeControl.h"
#include "frames/HelpWindow.h"
#include "settings/SettingsDlg.h"

class ArchiveWindows;
class CommandRouter;
class ConnectFlow;
class FormWindows;
class ProgressStrip;
class QStatusBar;
class QToolBar;
class WorkerCalls;

// The application's one main window. It assembles the parts, owns what they share and closes
// them in order; each part carries out its own commands through the router: the form windows
// in the MDI area, the connect flow (OnConnect, OnUpdateConnect, OnStopReceive), the archive's
// windows, and the worker's calls with the progress strip that stands in for the status bar
// during an exchange.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // Constructing the settings dialog reads the configuration file, so a message about that
    // file comes before the main window exists. `proc` runs the exchange on the worker thread.
    explicit CMainFrame(ExchangeControl::ThreadProc proc = {}, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds the bars and menus; false when one of them cannot be built.
    bool OnCreate();

    void OnHelp();
    void setHelpPath(const QString& path) { m_helpPath = path; }
    HelpWindow* help() const { return m_help; }

    CommandRouter& commands() const { return *m_commands; }
    FormWindows& forms() const { return *m_forms; }
    ArchiveWindows& archiveWindows() const { return *m_archiveWindows; }
    ExchangeControl& exchange() const { return *m_exchange; }
    WorkerCalls& calls() const { return *m_calls; }
    ReceiveControl& block() { return m_block; }
    CSettingsDlg& settingsDlg() { return m_dlgSettings; }
    ProgressStrip* progressStrip() const { return m_wndProgressStrip; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void assembleCentre();
    void buildStatusBar();
    void registerCommands();
    void wireArchiveWindows();
    void showStrip(bool exchangeRunning);

    // Declared first: the dialog reads the configuration file before anything else is made.
    CSettingsDlg m_dlgSettings;
    ReceiveControl m_block;

    ProgressStrip* m_wndProgressStrip = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    QStatusBar* m_wndStatusBar = nullptr;
    CommandRouter* m_commands = nullptr;
    FormWindows* m_forms = nullptr;
    ExchangeControl* m_exchange = nullptr;
    WorkerCalls* m_calls = nullptr;
    ConnectFlow* m_connect = nullptr;
    ArchiveWindows* m_archiveWindows = nullptr;

    QString m_helpPath;
    QPointer<HelpWindow> m_help;
};
