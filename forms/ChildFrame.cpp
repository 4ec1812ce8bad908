#include "forms/ChildFrame.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMenu>
#include <QShortcut>

#include "acquisition/ReceiveControl.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "res/MessageBox.h"
#include "res/Texts.h"

CChildFrame::CChildFrame(CTabulonPlusDoc* doc, ReceiveControl* rc, const QIcon& icon,
                         StopExchange stopExchange)
    : m_doc(doc), m_control(rc), m_stopExchange(std::move(stopExchange)) {
    m_pView = new CTabulonPlusView(doc, m_control);
    setWidget(m_pView);
    setWindowIcon(icon);
    // The view exists before the window announces itself, and the view's own announcement
    // follows at its initial update.
    m_control->m_pReceivingFrame = this;
    doc->addFrame(this);

    // The MDI keys of a child window: Ctrl+F4 is a close request like the close box (the system
    // menu's Close carries it), Ctrl+F6 and Ctrl+Shift+F6 step through the windows.
    const auto key = [this](QKeyCombination k, auto slot) {
        new QShortcut(QKeySequence(k), this, this, slot, Qt::WidgetWithChildrenShortcut);
    };
    key(Qt::CTRL | Qt::Key_F6, [this] { activateNeighbour(1); });
    key(Qt::CTRL | Qt::SHIFT | Qt::Key_F6, [this] { activateNeighbour(-1); });
    if (!showCloseKeyInSystemMenu()) key(Qt::CTRL | Qt::Key_F4, [this] { close(); });
}

// The system menu's Close answers the platform's Close keys (Ctrl+W) and shows the first of
// them. Ctrl+F4 goes first: the menu names it, and the item takes it too, so that no second
// owner of the key makes it ambiguous.
bool CChildFrame::showCloseKeyInSystemMenu() {
    const QList<QKeySequence> platform = QKeySequence::keyBindings(QKeySequence::Close);
    const QKeySequence ctrlF4(Qt::CTRL | Qt::Key_F4);
    if (!systemMenu() || platform.isEmpty()) return false;
    for (QAction* action : systemMenu()->actions()) {
        if (action->shortcuts() != platform) continue;
        QList<QKeySequence> keys{ctrlF4};
        for (const QKeySequence& other : platform)
            if (other != ctrlF4) keys << other;
        action->setShortcuts(keys);
        return true;
    }
    return false;
}

void CChildFrame::activateNeighbour(int step) {
    QMdiArea* area = mdiArea();
    if (!area) return;
    const QList<QMdiSubWindow*> windows = area->subWindowList(QMdiArea::CreationOrder);
    const qsizetype at = windows.indexOf(this);
    if (at < 0 || windows.size() < 2) return;
    area->setActiveSubWindow(windows[(at + step + windows.size()) % windows.size()]);
}

CChildFrame::~CChildFrame() {
    detach();
}

bool CChildFrame::passCloseGuard() {
    if (!m_control->m_bReceiving || m_control->m_pReceivingFrame != this) return true;
    if (m_asking) return false;  // a second close request while the question is showing
    m_asking = true;
    const int answer =
        tabulonMessageBox(texts::kCloseGuard, msg::MB_OKCANCEL | msg::MB_ICONQUESTION);
    if (answer == msg::IDOK) {
        m_control->requestAbort();
        // The worker lets go of this window before the window goes.
        if (m_stopExchange) m_stopExchange();
    }
    m_asking = false;
    return answer == msg::IDOK;
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (!m_detached) {
        // The guard may wait for the worker with the event loop turning: count windows after it.
        if (!passCloseGuard() || (m_doc && m_doc->frames().size() == 1 && !m_doc->saveModified())) {
            event->ignore();
            return;
        }
        // Deleted before the form is, which goes after its last window.
        deleteLater();
        detach();
    }
    QMdiSubWindow::closeEvent(event);
}

void CChildFrame::closeQuietly() {
    deleteLater();
    detach();
    close();
}

void CChildFrame::detach() {
    if (m_detached) return;
    m_detached = true;
    if (m_control->m_pReceivingFrame == this) m_control->m_pReceivingFrame = nullptr;
    m_pView->deregister();
    if (m_doc) m_doc->removeFrame(this);
}
