#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <functional>

#include "acquisition/ReceiveControl.h"
#include "forms/MemberCommand.h"
#include "frames/CommandTable.h"
#include "frames/ExchangeControl.h"
#include "frames/HelpWindow.h"
#include "settings/SettingsDlg.h"
#include "sites/Site.h"

class ArchiveWindow;
class ArchiveWindows;
class CFormTemplate;
class CTabulonPlusDoc;
class CTabulonPlusView;
class CommandActions;
class CommandMenu;
class CommandStateWatcher;

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
    // "Связь с объектом": the connect command with "Настройки" preset from a site of the book.
    void onSiteConnect();
    void OnStopReceive();
    void OnHelp();
    // Shows the archive's folder in the desktop's file manager, making it first if need be.
    void onOpenArchiveFolder();
    // Shows `folder` in the file manager, making it first if need be.
    void openFolder(const QString& folder);
    // The window "Сбор за месяц", one for the frame, brought to the front when open.
    void showMonthRound();
    void OnTimer(int id);
    bool OnUpdateConnect() const { return m_block.m_bReceiving == 0; }
    bool OnUpdateStopReceive() const { return m_block.m_bReceiving != 0; }

    // Runs a command when it is enabled; false when it is not, or no one registered it.
    bool onCommand(unsigned id);
    bool isCommandEnabled(unsigned id) const { return m_commands.isEnabled(id); }
    // Enables, checks and unchecks every action, and puts the right menu bar up. Runs whenever
    // something it reads may have changed (CommandStateWatcher), after each command, and when
    // a menu opens.
    void updateCommandUI();

    // Registers the one handler of a command (menu item, accelerator, toolbar button); the
    // commands that belong to no window (New, Open, Print Setup, About, Exit) come this way.
    void addCommand(unsigned id, CommandTable::Run run, CommandTable::Enabled enabled = {});
    void setHelpPath(const QString& path) { m_helpPath = path; }

    QAction* action(unsigned id) const;
    CommandMenu* menu(unsigned menuId) const;
    QMdiArea* mdiArea() const { return m_mdiArea; }
    CFormTemplate& formTemplate() const { return *m_template; }
    ExchangeControl& exchange() const { return *m_exchange; }
    WorkerCalls& calls() const { return *m_calls; }
    ReceiveControl& block() { return m_block; }
    bool showsFormMenu() const { return m_formMenuShown; }
    HelpWindow* help() const { return m_help; }
    // "Архив форм" over the archive's folder of the moment, made when first asked for; its
    // forms open as "Открыть" opens a file.
    ArchiveWindow* archiveWindow();

    ProgressStrip* m_wndProgressStrip = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    QStatusBar* m_wndStatusBar = nullptr;
    CSettingsDlg m_dlgSettings;
    ReceiveControl m_block;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool buildCommandBars();
    void buildStatusBar();
    void registerCommands();
    template <typename T, typename Active>
    void addMemberCommands(std::span<const MemberCommand<T>> commands, Active active);
    CTabulonPlusDoc* liveActiveDocument() const;
    CTabulonPlusView* liveActiveView() const;
    void showFormMenu(bool formMenu);
    void fillWindowMenu();
    void arrangeIcons();
    void showStrip(bool exchangeRunning);
    void updateTitle();
    bool connectTo(const QString& site);
    // The connect flow preset from `site` of the book.
    void connectToSite(const Site& site);
    Site siteFromSettings() const;
    void watchArchiveWindows();

    QMdiArea* m_mdiArea = nullptr;
    CFormTemplate* m_template = nullptr;
    ExchangeControl* m_exchange = nullptr;
    WorkerCalls* m_calls = nullptr;
    CommandTable m_commands;
    CommandStateWatcher* m_commandState = nullptr;

    CommandActions* m_actions = nullptr;
    CommandMenu* m_mainMenu = nullptr;  // no form window open
    CommandMenu* m_formMenu = nullptr;  // a form window active
    QList<QAction*> m_windowListActions;
    bool m_formMenuShown = false;

    QString m_helpPath;
    QPointer<HelpWindow> m_help;
    ArchiveWindows* m_archiveWindows = nullptr;
};
