#include "ChildFrame.h"

#include <QCloseEvent>

#include "acquisition/ReceiveControl.h"
#include "app/MessageBox.h"
#include "forms/FormTemplate.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"

CChildFrame::CChildFrame(CTabulonPlusDoc* doc, CFormTemplate* formTemplate)
    : m_pDoc(doc), m_pTemplate(formTemplate), m_pControl(formTemplate->Control()) {
    m_pView = new CTabulonPlusView(doc, m_pControl);
    setWidget(m_pView);
    setWindowIcon(formTemplate->FormIcon());
    // The view exists before the window announces itself, and the view's own announcement
    // follows at its initial update.
    m_pControl->m_pReceivingFrame = this;
    doc->AddFrame(this);
}

CChildFrame::~CChildFrame() {
    Detach();
}

bool CChildFrame::PassCloseGuard() {
    if (!m_pControl->m_bReceiving || m_pControl->m_pReceivingFrame != this) return true;
    if (m_bAsking) return false;  // a second close request while the question is showing
    m_bAsking = true;
    const QString text = QStringLiteral("%1\n%2").arg(
        QStringLiteral("Документ не может быть закрыт до окончания передачи данных!"),
        QStringLiteral("Остановить передачу данных?"));
    const int answer = TabulonMessageBox(text, msg::MB_OKCANCEL | msg::MB_ICONQUESTION);
    if (answer == msg::IDOK) {
        m_pControl->requestAbort();
        // The worker lets go of this window before the window goes.
        if (m_pTemplate) m_pTemplate->StopExchange();
    }
    m_bAsking = false;
    return answer == msg::IDOK;
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (!m_bDetached) {
        // The guard may wait for the worker with the event loop turning: count windows after it.
        if (!PassCloseGuard() ||
            (m_pDoc && m_pDoc->Frames().size() == 1 && !m_pDoc->SaveModified())) {
            event->ignore();
            return;
        }
        // Deleted before the form is, which goes after its last window.
        deleteLater();
        Detach();
    }
    QMdiSubWindow::closeEvent(event);
}

void CChildFrame::CloseQuietly() {
    deleteLater();
    Detach();
    close();
}

void CChildFrame::Detach() {
    if (m_bDetached) return;
    m_bDetached = true;
    if (m_pControl->m_pReceivingFrame == this) m_pControl->m_pReceivingFrame = nullptr;
    m_pView->Deregister();
    if (m_pDoc) m_pDoc->RemoveFrame(this);
}
