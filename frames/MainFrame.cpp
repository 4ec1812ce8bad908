#include "frames/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "archive/ArchiveDlg.h"
#include "archive/ArchiveSettings.h"
#include "archive/ExchangeRecord.h"
#include "forms/FormTemplate.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "frames/ArchiveWindows.h"
#include "frames/CommandStateWatcher.h"
#include "frames/HelpWindow.h"
#include "frames/KeyboardLockPane.h"
#include "frames/MessagePane.h"
#include "frames/ProgressStrip.h"
#include "frames/WorkerCalls.h"
#include "index/ArchiveWindow.h"
#include "ports/PortsDialog.h"
#include "res/CommandActions.h"
#include "res/CommandIds.h"
#include "res/CommandMenu.h"
#include "res/HelpManual.h"
#include "res/Icons.h"
#include "res/MainToolBar.h"
#include "res/MessageBox.h"
#include "res/Strings.h"
#include "res/Texts.h"
#include "settings/ExchangeChoice.h"
#include "sites/SiteBook.h"
#include "sites/SiteComNumber.h"
#include "sites/SitePickerDlg.h"
#include "sites/SitesDlg.h"

CMainFrame::CMainFrame(ExchangeControl::ThreadProc proc, QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(res::loadString(id::AFX_IDS_APP_TITLE));

    m_mdiArea = new QMdiArea;
    m_mdiArea->setObjectName(QStringLiteral("MdiArea"));
    m_wndProgressStrip = new ProgressStrip;
    auto* centre = new QWidget;
    auto* layout = new QVBoxLayout(centre);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_mdiArea, 1);
    layout->addWidget(m_wndProgressStrip);  // above the status bar when both show
    setCentralWidget(centre);

    m_template = new CFormTemplate(m_mdiArea, &m_block, this);
    m_template->setFormIcon(res::formTypeIcon());
    m_calls = new WorkerCalls(m_block, *m_wndProgressStrip, *m_template, m_dlgSettings, this, this);
    m_block.m_pMainFrame = m_calls;
    m_exchange = new ExchangeControl(m_block, std::move(proc), this);
    connect(m_exchange, &ExchangeControl::exchangeStarted, this, [this] {
        m_calls->beginArchive();
        showStrip(true);
    });
    connect(m_exchange, &ExchangeControl::exchangeEnded, this, [this] { showStrip(false); });
    // A confirmed close of the receiving window waits here for the worker to let go of it.
    m_template->setStopExchange([this] { m_exchange->join(); });

    m_commandState = new CommandStateWatcher(
        m_mdiArea, [this]() -> QTextEdit* { return liveActiveView(); }, this);
    connect(m_commandState, &CommandStateWatcher::changed, this, &CMainFrame::updateCommandUI);
    // The worker clears the receiving flag on its way out; the frame sets it in Start.
    m_commandState->watch(m_exchange, &ExchangeControl::exchangeStarted);
    m_commandState->watch(m_exchange, &ExchangeControl::workerFinished);
    m_commandState->watch(m_exchange, &ExchangeControl::exchangeEnded);
    m_helpPath = res::helpManualPath();
    watchArchiveWindows();
    registerCommands();
}

CMainFrame::~CMainFrame() {
    // The views the worker writes into die with this window's children: end the worker first.
    m_exchange->abortAndJoin();
    // Form windows and views deregister from the block as they die, so the template takes them
    // down while the block still exists, not with the children after this object's members.
    // The watcher asks the template for the active form: it goes first.
    delete m_commandState;
    m_commandState = nullptr;
    delete m_template;
}

bool CMainFrame::OnCreate() {
    if (!buildCommandBars()) return false;
    buildStatusBar();

    m_wndProgressStrip->setRange(0, 1000);
    m_wndProgressStrip->setPos(0);
    m_wndProgressStrip->setStep(50);  // twenty steps fill the bar
    showStrip(false);

    // The bars' commands carry check marks; the toolbar also hides from its context menu.
    m_commandState->watchVisibility(m_wndToolBar);
    m_commandState->watchVisibility(m_wndStatusBar);
    updateCommandUI();
    // A book that cannot be read is told once; every use of the book reads it again.
    const SiteBook::Loaded book = SiteBook::load(SiteBook::userPath());
    if (!book.problem.isEmpty())
        tabulonMessageBox(texts::siteBookAtStart(book.problem), msg::MB_ICONEXCLAMATION);
    return true;
}

bool CMainFrame::buildCommandBars() {
    setWindowIcon(res::mainFrameIcon());
    m_actions = new CommandActions(this);
    for (const auto& [command, action] : m_actions->actions())
        connect(action, &QAction::triggered, this, [this, c = command] { onCommand(c); });
    m_actions->addShortcutsTo(this);

    m_mainMenu = new CommandMenu(id::IDR_MAINFRAME, *m_actions, this);
    m_formMenu = new CommandMenu(id::IDR_FORMTYPE, *m_actions, this);
    if (m_mainMenu->popups().isEmpty() || m_formMenu->popups().isEmpty()) return false;
    for (CommandMenu* menu : {m_mainMenu, m_formMenu}) {
        for (QMenu* popup : menu->popups()) {
            connect(popup, &QMenu::aboutToShow, this, &CMainFrame::updateCommandUI);
        }
    }
    if (QMenu* windows = m_formMenu->windowMenu())
        connect(windows, &QMenu::aboutToShow, this, &CMainFrame::fillWindowMenu);

    m_wndToolBar = buildMainToolBar(*m_actions, this);
    if (!m_wndToolBar) return false;
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
    m_formMenuShown = true;  // forces the first showFormMenu to install a menu
    showFormMenu(false);
    return true;
}

QAction* CMainFrame::action(unsigned c) const {
    return m_actions ? m_actions->action(c) : nullptr;
}

CommandMenu* CMainFrame::menu(unsigned menuId) const {
    return menuId == id::IDR_FORMTYPE ? m_formMenu : m_mainMenu;
}

void CMainFrame::buildStatusBar() {
    m_wndStatusBar = statusBar();
    m_wndStatusBar->addWidget(new MessagePane(this), 1);
    for (LockKey key : {LockKey::Caps, LockKey::Num, LockKey::Scroll})
        m_wndStatusBar->addPermanentWidget(new KeyboardLockPane(key));
}

ArchiveWindow* CMainFrame::archiveWindow() {
    return m_archiveWindows->archiveWindow();
}

void CMainFrame::onOpenArchiveFolder() {
    openFolder(ArchiveSettings::load().folder);
}

void CMainFrame::openFolder(const QString& folder) {
    if (!QDir().mkpath(folder)) {
        tabulonMessageBox(texts::cannotCreateArchiveFolder(QDir::toNativeSeparators(folder)),
                          msg::MB_ICONEXCLAMATION);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        tabulonMessageBox(texts::cannotOpenArchiveFolder(QDir::toNativeSeparators(folder)),
                          msg::MB_ICONEXCLAMATION);
}

void CMainFrame::showMonthRound() {
    m_archiveWindows->showMonthRound();
}

void CMainFrame::watchArchiveWindows() {
    m_archiveWindows = new ArchiveWindows(this);
    connect(m_exchange, &ExchangeControl::exchangeEnded, m_archiveWindows,
            &ArchiveWindows::exchangeEnded);
    connect(m_archiveWindows, &ArchiveWindows::formOpened, this, [this](const QString& path) {
        if (!m_template->openDocumentFile(path)) return;
        raise();
        activateWindow();
    });
    // As "Связь с объектом…" would run it, and only while that command could.
    connect(m_archiveWindows, &ArchiveWindows::connectRequested, this, [this](const QString& name) {
        if (!OnUpdateConnect()) return;
        const SiteBook::Loaded book = SiteBook::load(SiteBook::userPath());
        if (const Site* site = SiteBook::find(book.sites, name)) connectToSite(*site);
    });
}

void CMainFrame::showStrip(bool exchangeRunning) {
    m_wndStatusBar->setVisible(!exchangeRunning);
    m_wndProgressStrip->setVisible(exchangeRunning);
}

void CMainFrame::OnConnect() {
    connectTo(QString());
}

// The connect command as it stands, the exchange's forms archived under `site` when one is named;
// false when the operator cancelled "Настройки".
bool CMainFrame::connectTo(const QString& site) {
    if (m_dlgSettings.DoModal(this) != msg::IDOK) return false;
    m_calls->setSite(site);
    const ChoiceVerdict verdict = applyConnectChoice(
        m_dlgSettings.m_strPort, m_dlgSettings.m_strDevice, m_dlgSettings.m_strRate, m_block);
    if (verdict != ChoiceVerdict::Accepted) {
        tabulonMessageBox(choiceVerdictText(verdict), msg::MB_OK);
        return true;
    }
    if (!m_exchange->start()) tabulonMessageBox(texts::kTimerStartFailed, msg::MB_OK);
    updateCommandUI();
    return true;
}

Site CMainFrame::siteFromSettings() const {
    Site site;
    site.port = m_dlgSettings.m_strPort;
    site.device = exchangeDeviceType(m_dlgSettings.m_strDevice, Spelling::Numbers)
                      .value_or(kDefaultDeviceType);
    site.speed = exchangeRate(m_dlgSettings.m_strRate, Spelling::Items).value_or(kDefaultSpeed);
    return site;
}

// The last collection and outcome of each site, from the archive's exchange records of this
// month and the last, read on a worker: a month may hold thousands of records.
QFuture<SiteLastExchanges> CMainFrame::lastSiteExchanges() {
    const auto read = [](QPromise<SiteLastExchanges>& promise, const QString& root,
                         const QDate& thisMonth) {
        const auto stopped = [&promise] { return promise.isCanceled(); };
        SiteLastExchanges last;
        for (const QDate& month : {thisMonth.addMonths(-1), thisMonth}) {
            for (const ExchangeRecord& r : ExchangeRecords::readMonth(root, month, nullptr, stopped))
                noteSiteExchange(last, r.site, r.end.toLocalTime(), r.succeeded(),
                                 recordOutcomeText(r.outcome));
        }
        if (!stopped()) promise.addResult(std::move(last));
    };
    return QtConcurrent::run(read, ArchiveSettings::load().folder, QDate::currentDate());
}

void CMainFrame::onSiteConnect() {
    const SiteBook::Loaded book = SiteBook::load(SiteBook::userPath());
    if (!book.problem.isEmpty()) {
        tabulonMessageBox(book.problem, msg::MB_ICONEXCLAMATION);
        return;
    }
    if (book.sites.isEmpty()) {
        tabulonMessageBox(texts::noSites(SiteBook::userPath()), msg::MB_OK);
        return;
    }
    const std::optional<Site> site = SitePickerDlg::pick(this, book.sites, lastSiteExchanges());
    if (site) connectToSite(*site);
}

void CMainFrame::connectToSite(const Site& site) {
    const int com = siteComNumber(site.port);
    if (com == 0) {
        tabulonMessageBox(texts::siteNotOnComNumber(site.name, site.port), msg::MB_OK);
        return;
    }
    // "Настройки" opens with the site's choice; cancelled, it keeps what Tabulon.ini gave.
    const QStringList before{m_dlgSettings.m_strPort, m_dlgSettings.m_strDevice,
                             m_dlgSettings.m_strRate};
    m_dlgSettings.m_strPort = QStringLiteral("COM%1").arg(com);
    m_dlgSettings.m_strDevice = exchangeDeviceName(site.device);
    m_dlgSettings.m_strRate = QString::number(site.speed);
    if (connectTo(site.name)) return;
    m_dlgSettings.m_strPort = before[0];
    m_dlgSettings.m_strDevice = before[1];
    m_dlgSettings.m_strRate = before[2];
}

void CMainFrame::OnStopReceive() {
    m_exchange->stop();
}

void CMainFrame::OnTimer(int id) {
    m_exchange->OnTimer(id);
}

void CMainFrame::OnHelp() {
    if (!m_help) m_help = new HelpWindow(this);
    m_help->showContents(m_helpPath);
}

void CMainFrame::addCommand(unsigned c, CommandTable::Run run, CommandTable::Enabled enabled) {
    m_commands.add(c, std::move(run), std::move(enabled));
}

// The active form's view and document carry out their own commands; the frame registers them
// for whichever form is active when the command comes.
template <typename T, typename Active>
void CMainFrame::addMemberCommands(std::span<const MemberCommand<T>> commands, Active active) {
    for (const MemberCommand<T>& command : commands) {
        addCommand(
            command.id, [active, command] { (active()->*command.run)(); },
            [active, command] {
                const T* object = active();
                return object && isMemberCommandEnabled(*object, command);
            });
    }
}

void CMainFrame::registerCommands() {
    addMemberCommands(CTabulonPlusView::commands(), [this] { return liveActiveView(); });
    addMemberCommands(CTabulonPlusDoc::commands(), [this] { return liveActiveDocument(); });

    const auto idle = [this] { return OnUpdateConnect(); };
    const auto receiving = [this] { return OnUpdateStopReceive(); };
    const auto anyForm = [this] { return !m_template->documents().isEmpty(); };
    addCommand(
        id::ID_CONNECT, [this] { OnConnect(); }, idle);
    addCommand(
        id::ID_STOP_RECEIVE, [this] { OnStopReceive(); }, receiving);
    addCommand(id::ID_HELP, [this] { OnHelp(); });
    addCommand(id::ID_PORTS, [this] { PortsDialog::showModal(this); });
    addCommand(id::ID_ARCHIVE_SETTINGS, [this] {
        if (ArchiveDlg::DoModal(this) == msg::IDOK) m_archiveWindows->followFolder();
    });
    addCommand(id::ID_ARCHIVE_OPEN_FOLDER, [this] { onOpenArchiveFolder(); });
    addCommand(id::ID_SITES,
               [this] { SitesDlg::showModal(this, SiteBook::userPath(), siteFromSettings()); });
    addCommand(
        id::ID_SITE_CONNECT, [this] { onSiteConnect(); }, idle);
    addCommand(id::ID_MONTH_ROUND, [this] { showMonthRound(); });
    addCommand(id::ID_ARCHIVE_BROWSE, [this] { archiveWindow()->showArchive(); });
    addCommand(id::ID_VIEW_TOOLBAR,
               [this] { m_wndToolBar->setVisible(!m_wndToolBar->isVisible()); });
    addCommand(id::ID_VIEW_STATUS_BAR,
               [this] { m_wndStatusBar->setVisible(!m_wndStatusBar->isVisible()); });
    addCommand(
        id::ID_WINDOW_NEW, [this] { m_template->onWindowNew(); },
        [this] { return liveActiveDocument() != nullptr; });
    addCommand(
        id::ID_WINDOW_CASCADE, [this] { m_mdiArea->cascadeSubWindows(); }, anyForm);
    addCommand(
        id::ID_WINDOW_TILE_HORZ, [this] { m_mdiArea->tileSubWindows(); }, anyForm);
    addCommand(
        id::ID_WINDOW_ARRANGE, [this] { arrangeIcons(); }, anyForm);
}

CTabulonPlusDoc* CMainFrame::liveActiveDocument() const {
    // A window whose form has just closed may still stand in the area until it is deleted.
    CTabulonPlusDoc* doc = m_template->activeDocument();
    return doc && m_template->documents().contains(doc) && m_template->activeView() ? doc : nullptr;
}

CTabulonPlusView* CMainFrame::liveActiveView() const {
    return liveActiveDocument() ? m_template->activeView() : nullptr;
}

bool CMainFrame::onCommand(unsigned c) {
    const bool done = m_commands.run(c);
    if (done) updateCommandUI();
    return done;
}

void CMainFrame::updateCommandUI() {
    if (!m_actions) return;
    showFormMenu(!m_template->documents().isEmpty());
    for (const auto& [command, action] : m_actions->actions()) {
        // Esc stays armed although nothing handles it, so that the key does nothing at all.
        if (command != id::ID_ESCAPE_NOTHING) action->setEnabled(m_commands.isEnabled(command));
    }
    if (QAction* a = action(id::ID_VIEW_TOOLBAR)) {
        a->setCheckable(true);
        a->setChecked(m_wndToolBar->isVisible());
    }
    if (QAction* a = action(id::ID_VIEW_STATUS_BAR)) {
        a->setCheckable(true);
        a->setChecked(m_wndStatusBar->isVisible());
    }
    updateTitle();
}

void CMainFrame::showFormMenu(bool formMenu) {
    if (formMenu == m_formMenuShown) return;
    m_formMenuShown = formMenu;
    (formMenu ? m_formMenu : m_mainMenu)->install(menuBar());
}

void CMainFrame::fillWindowMenu() {
    for (QAction* a : m_windowListActions) a->deleteLater();
    m_windowListActions.clear();
    int number = 1;
    for (QMdiSubWindow* w : m_mdiArea->subWindowList()) {
        QString title = w->windowTitle();
        title.remove(QLatin1String("[*]"));
        auto* a = new QAction(QStringLiteral("&%1 %2").arg(number++).arg(title), this);
        a->setCheckable(true);
        a->setChecked(w == m_mdiArea->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w = QPointer<QMdiSubWindow>(w)] {
            if (w) m_mdiArea->setActiveSubWindow(w);
        });
        m_windowListActions.append(a);
    }
    m_formMenu->setWindowList(m_windowListActions);
}

void CMainFrame::arrangeIcons() {
    // Minimized windows line up along the bottom edge of the area, left to right.
    int x = 0;
    for (QMdiSubWindow* w : m_mdiArea->subWindowList()) {
        if (!w->isMinimized()) continue;
        w->move(x, m_mdiArea->viewport()->height() - w->height());
        x += w->width();
    }
}

void CMainFrame::updateTitle() {
    QString title = QStringLiteral("Tabulon");
    // The active window's own title, which tells the windows onto one form apart ("title:2").
    QMdiSubWindow* active = m_mdiArea->currentSubWindow();
    if (liveActiveDocument() && active)
        title += QStringLiteral(" - ") + active->windowTitle().remove(QStringLiteral("[*]"));
    if (windowTitle() != title) setWindowTitle(title);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The worker waits for the answer to its question further down this thread's stack: it
    // could not be stopped and joined from here. The question comes first, as it does for a
    // disabled window.
    if (m_calls->questionShowing()) {
        event->ignore();
        return;
    }
    // Every form window closes through its guard and its save question; a worker that is still
    // ending is joined before any window goes, so it never writes into a destroyed view.
    for (int round = 0; round < 3 && !m_template->documents().isEmpty(); ++round) {
        if (!m_template->closeAllDocuments()) {
            event->ignore();
            return;
        }
        m_exchange->abortAndJoin();  // may have opened one more form on its way out
    }
    m_exchange->abortAndJoin();
    if (m_help) m_help->close();
    m_archiveWindows->closeAll();
    event->accept();
}
