#include "frames/MainFrame.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "forms/FormTemplate.h"
#include "forms/TabulonPlusView.h"
#include "frames/ArchiveWindows.h"
#include "frames/CommandRouter.h"
#include "frames/ConnectFlow.h"
#include "frames/FormWindows.h"
#include "frames/KeyboardLockPane.h"
#include "frames/MessagePane.h"
#include "frames/ProgressStrip.h"
#include "frames/StoreUploadPane.h"
#include "frames/WorkerCalls.h"
#include "res/CommandIds.h"
#include "res/HelpManual.h"
#include "res/Icons.h"
#include "res/MainToolBar.h"
#include "res/Strings.h"

CMainFrame::CMainFrame(ExchangeControl::ThreadProc proc, QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(res::loadString(id::AFX_IDS_APP_TITLE));
    assembleCentre();
    m_calls = new WorkerCalls(m_block, *m_wndProgressStrip, m_forms->formTemplate(), m_dlgSettings,
                              this, this);
    m_block.m_pMainFrame = m_calls;
    m_exchange = new ExchangeControl(m_block, std::move(proc), this);
    connect(m_exchange, &ExchangeControl::exchangeStarted, this, [this] {
        m_calls->beginArchive();
        showStrip(true);
    });
    connect(m_exchange, &ExchangeControl::exchangeEnded, this, [this] { showStrip(false); });
    // A confirmed close of the receiving window waits here for the worker to let go of it.
    m_forms->formTemplate().setStopExchange([this] { m_exchange->join(); });

    m_commands = new CommandRouter(this, m_forms->mdiArea(),
                                   [this]() -> QTextEdit* { return m_forms->liveActiveView(); });
    connect(m_commands, &CommandRouter::refreshed, m_forms, &FormWindows::updateTitle);
    // The worker clears the receiving flag on its way out; the connect flow sets it in Start.
    m_commands->watch(m_exchange, &ExchangeControl::exchangeStarted);
    m_commands->watch(m_exchange, &ExchangeControl::workerFinished);
    m_commands->watch(m_exchange, &ExchangeControl::exchangeEnded);
    m_connect = new ConnectFlow({m_dlgSettings, m_block, *m_exchange, *m_calls}, this);
    m_helpPath = res::helpManualPath();
    wireArchiveWindows();
    registerCommands();
}

CMainFrame::~CMainFrame() {
    // The views the worker writes into die with this window's children: end the worker first.
    m_exchange->abortAndJoin();
    // Form windows and views deregister from the block as they die, so the forms go down while
    // the block still exists, not with the children after this object's members. The router's
    // watcher asks the forms for the active one: it goes first.
    delete m_commands;
    m_commands = nullptr;
    delete m_forms;
    m_forms = nullptr;
}

// The form windows' area with the progress strip below it, above the status bar when both show.
void CMainFrame::assembleCentre() {
    auto* area = new QMdiArea;
    area->setObjectName(QStringLiteral("MdiArea"));
    m_wndProgressStrip = new ProgressStrip;
    auto* centre = new QWidget;
    auto* layout = new QVBoxLayout(centre);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(area, 1);
    layout->addWidget(m_wndProgressStrip);
    setCentralWidget(centre);
    m_forms = new FormWindows(area, m_block, this);
}

bool CMainFrame::OnCreate() {
    setWindowIcon(res::mainFrameIcon());
    if (!m_commands->buildMenus([this] { return m_forms->anyForm(); })) return false;
    m_forms->listWindowsIn(m_commands->menu(id::IDR_FORMTYPE));
    m_wndToolBar = buildMainToolBar(m_commands->actions(), this);
    if (!m_wndToolBar) return false;
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
    buildStatusBar();

    m_wndProgressStrip->setRange(0, 1000);
    m_wndProgressStrip->setPos(0);
    m_wndProgressStrip->setStep(50);  // twenty steps fill the bar
    showStrip(false);

    // The toolbar also hides from its context menu, the status bar during an exchange.
    m_commands->addBarToggle(id::ID_VIEW_TOOLBAR, m_wndToolBar);
    m_commands->addBarToggle(id::ID_VIEW_STATUS_BAR, m_wndStatusBar);
    m_commands->refresh();
    ConnectFlow::tellSiteBookProblem();
    return true;
}

void CMainFrame::buildStatusBar() {
    m_wndStatusBar = statusBar();
    m_wndStatusBar->addWidget(new MessagePane(this), 1);
    for (LockKey key : {LockKey::Caps, LockKey::Num, LockKey::Scroll})
        m_wndStatusBar->addPermanentWidget(new KeyboardLockPane(key));
    // The common archive's backlog comes last; the pane sends what each exchange archived.
    const StoreAddress address = StoreAddress::find();
    auto* store = new StoreUploadPane(address);
    m_wndStatusBar->addPermanentWidget(store);
    store->setVisible(address.configured());
    connect(m_exchange, &ExchangeControl::exchangeEnded, store, &StoreUploadPane::wake);
}

// Each part registers the commands it carries out; the bars' two come with the bars (OnCreate),
// the application's own (New, Open, Print Setup, About, Exit) from it.
void CMainFrame::registerCommands() {
    m_forms->addCommands(*m_commands);
    m_connect->addCommands(*m_commands);
    m_archiveWindows->addCommands(*m_commands);
    m_commands->add(id::ID_HELP, [this] { OnHelp(); });
}

void CMainFrame::wireArchiveWindows() {
    m_archiveWindows = new ArchiveWindows(this);
    connect(m_exchange, &ExchangeControl::exchangeEnded, m_archiveWindows,
            &ArchiveWindows::exchangeEnded);
    connect(m_archiveWindows, &ArchiveWindows::formOpened, m_forms, &FormWindows::openInFront);
    connect(m_archiveWindows, &ArchiveWindows::connectRequested, m_connect,
            &ConnectFlow::connectToNamed);
}

void CMainFrame::showStrip(bool exchangeRunning) {
    m_wndStatusBar->setVisible(!exchangeRunning);
    m_wndProgressStrip->setVisible(exchangeRunning);
}

void CMainFrame::OnHelp() {
    if (!m_help) m_help = new HelpWindow(this);
    m_help->showContents(m_helpPath);
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
    CFormTemplate& forms = m_forms->formTemplate();
    for (int round = 0; round < 3 && !forms.documents().isEmpty(); ++round) {
        if (!forms.closeAllDocuments()) {
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
