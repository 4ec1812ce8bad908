#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <functional>

#include "acquisition/ReceiveControl.h"
#include "frames/CommandRouter.h"
#include "frames/ExchangeControl.h"
#include "frames/HelpWindow.h"
#include "settings/SettingsDlg.h"

class CFormTemplate;
class CTabulonPlusDoc;
class CommandActions;
class CommandMenu;

class ProgressStrip;
class QAction;
class QMdiArea;
class QMenu;
class QStatusBar;
class QToolBar;
class WorkerCalls;

// The application's one main window: the form windows in an MDI area, menu, toolbar, status bar,
// the progress strip that stands in for the status bar during an exchange, the settings dialog
// kept for the whole run and the receive control block shared with the worker.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // Constructing the settings dialog reads the configuration file, so a message about that
    // file comes before the main window exists. `proc` runs the exchange on the worker thread.
    explicit CMainFrame(ExchangeControl::ThreadProc proc = {}, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds the bars and menus; false when one of them cannot be built.
    bool OnCreate();

    void OnConnect();
    void OnStopReceive();
    void OnHelp();
    // Shows the archive's folder in the desktop's file manager, making it first if need be.
    void OnOpenArchiveFolder();
    void OnTimer(int id);
    bool OnUpdateConnect() const { return m_block.m_bReceiving == 0; }
    bool OnUpdateStopReceive() const { return m_block.m_bReceiving != 0; }

    // Offers a command to the active view, its document, the frame and the application in turn.
    bool OnCommand(unsigned id);
    bool IsCommandEnabled(unsigned id) const { return m_router.IsEnabled(id); }
    // Enables, checks and unchecks every action, and puts the right menu bar up.
    void UpdateCommandUI();

    // The commands that belong to no window (New, Open, Print Setup, About, Exit).
    void SetApplicationCommands(std::function<bool(unsigned)> handles,
                                std::function<void(unsigned)> run);
    void SetHelpPath(const QString& path) { m_helpPath = path; }

    QAction* Action(unsigned id) const;
    CommandMenu* Menu(unsigned menuId) const;
    QMdiArea* MdiArea() const { return m_mdiArea; }
    CFormTemplate& Template() const { return *m_template; }
    ExchangeControl& Exchange() const { return *m_exchange; }
    WorkerCalls& Calls() const { return *m_calls; }
    ReceiveControl& Block() { return m_block; }
    bool ShowsFormMenu() const { return m_formMenuShown; }
    HelpWindow* Help() const { return m_help; }

    ProgressStrip* m_wndProgressStrip = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    QStatusBar* m_wndStatusBar = nullptr;
    CSettingsDlg m_dlgSettings;
    ReceiveControl m_block;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool BuildCommandBars();
    void BuildStatusBar();
    void BuildRouter();
    CTabulonPlusDoc* LiveActiveDocument() const;
    bool FrameHandles(unsigned id) const;
    bool FrameEnabled(unsigned id) const;
    void FrameRun(unsigned id);
    void ShowFormMenu(bool formMenu);
    void FillWindowMenu();
    void ArrangeIcons();
    void ShowStrip(bool exchangeRunning);
    void UpdateTitle();

    QMdiArea* m_mdiArea = nullptr;
    CFormTemplate* m_template = nullptr;
    ExchangeControl* m_exchange = nullptr;
    WorkerCalls* m_calls = nullptr;
    CommandRouter m_router;
    std::function<bool(unsigned)> m_appHandles;
    std::function<void(unsigned)> m_appRun;

    CommandActions* m_actions = nullptr;
    CommandMenu* m_mainMenu = nullptr;  // no form window open
    CommandMenu* m_formMenu = nullptr;  // a form window active
    QList<QAction*> m_windowListActions;
    bool m_formMenuShown = false;

    QString m_helpPath;
    QPointer<HelpWindow> m_help;
};
