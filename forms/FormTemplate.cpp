#include "forms/FormTemplate.h"

#include <QEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <utility>

#include "acquisition/ReceiveControl.h"
#include "forms/ChildFrame.h"
#include "forms/FileDialogs.h"
#include "forms/TabulonPlusDoc.h"
#include "forms/TabulonPlusView.h"
#include "res/MessageBox.h"
#include "res/Strings.h"

namespace {

// Puts the receiving window and view back as they were when it goes, if `keep`: a form the
// operator opens during an exchange would otherwise take the exchange's next text in place of
// its own, and Save would write that over its file.
class ReceiverKeeper {
public:
    ReceiverKeeper(ReceiveControl& rc, bool keep)
        : m_rc(rc), m_keep(keep), m_frame(rc.m_pReceivingFrame), m_view(rc.m_pView) {}
    ~ReceiverKeeper() {
        if (!m_keep) return;
        m_rc.m_pReceivingFrame = m_frame.data();
        m_rc.m_pView = m_view.data();
    }

private:
    ReceiveControl& m_rc;
    const bool m_keep;
    QPointer<QObject> m_frame;  // null if it went meanwhile
    QPointer<QObject> m_view;
};

}  // namespace

CFormTemplate::CFormTemplate(QMdiArea* area, ReceiveControl* rc, QObject* parent)
    : QObject(parent), m_pArea(area), m_pControl(rc) {
    // A closed window hands over to the one the operator worked in before it, as MDI frames do.
    m_pArea->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    m_pArea->viewport()->installEventFilter(this);
}

CFormTemplate::~CFormTemplate() {
    for (const QPointer<CChildFrame>& frame : std::as_const(m_frames)) delete frame.data();
    qDeleteAll(m_docs);
}

CTabulonPlusDoc* CFormTemplate::CreateDocument() {
    auto* doc = new CTabulonPlusDoc(this);
    m_docs.append(doc);
    connect(doc, &CTabulonPlusDoc::closed, this, [this](CTabulonPlusDoc* closed) {
        m_docs.removeOne(closed);
        closed->deleteLater();  // after its windows, whose deletion was asked for first
    });
    connect(doc, &CTabulonPlusDoc::pathNameChanged, this, &CFormTemplate::RecentFileAdded);
    connect(doc, &CTabulonPlusDoc::closeRequested, this, &CFormTemplate::closeDocument);
    return doc;
}

CChildFrame* CFormTemplate::CreateFrame(CTabulonPlusDoc* doc) {
    auto* frame = new CChildFrame(doc, m_pControl, m_formIcon, [self = QPointer(this)] {
        if (self) self->StopExchange();
    });
    m_frames.removeAll(nullptr);
    m_frames.append(frame);
    return frame;
}

void CFormTemplate::InitialUpdateFrame(CChildFrame* frame) {
    frame->GetActiveView()->OnInitialUpdate();
    QMdiSubWindow* previous = m_pArea->activeSubWindow();
    if (!frame->mdiArea()) m_pArea->addSubWindow(frame);
    PlaceFrame(frame, previous);
    frame->show();
    m_pArea->setActiveSubWindow(frame);
    frame->GetActiveView()->setFocus();
}

// A form is a page of a report: it gets most of the area rather than the text edit's small
// default size, one title bar below and right of the window before it, as MDI children
// cascade, and starts again at the top left when it would leave the area.
void CFormTemplate::PlaceFrame(CChildFrame* frame, QMdiSubWindow* previous) {
    const QSize area = m_pArea->viewport()->size();
    // The form made at start-up comes before the main window is shown and has its size.
    if (!AreaReady()) {
        m_unplaced.append(frame);
        return;
    }
    if (previous && previous->isMaximized()) return;  // the area maximizes the new one too
    const QSize size(area.width() * 3 / 4, area.height() * 3 / 4);
    const int step = frame->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frame);
    QPoint pos = previous ? previous->pos() + QPoint(step, step) : QPoint(0, 0);
    if (!QRect(QPoint(0, 0), area).contains(QRect(pos, size))) pos = QPoint(0, 0);
    frame->setGeometry(QRect(pos, size));
}

bool CFormTemplate::AreaReady() const {
    const QSize area = m_pArea->viewport()->size();
    return m_pArea->isVisible() && area.width() >= 200 && area.height() >= 150;
}

bool CFormTemplate::eventFilter(QObject* watched, QEvent* event) {
    const bool sized = event->type() == QEvent::Resize || event->type() == QEvent::Show;
    if (sized && watched == m_pArea->viewport() && !m_unplaced.isEmpty()) {
        if (AreaReady()) {
            QMdiSubWindow* previous = nullptr;
            for (const QPointer<CChildFrame>& frame : std::exchange(m_unplaced, {})) {
                if (!frame || frame->isMaximized() || frame->isMinimized()) continue;
                PlaceFrame(frame, previous);
                previous = frame;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

// A form whose content could not be made: its window goes and the window that received
// before it receives again.
void CFormTemplate::AbandonNewForm(CChildFrame* frame, QObject* previousReceiver) {
    frame->CloseQuietly();
    m_pControl->m_pReceivingFrame = previousReceiver;
}

CTabulonPlusDoc* CFormTemplate::OpenNewDocument(Origin origin) {
    const ReceiverKeeper keeper(*m_pControl,
                                origin == Origin::Operator && m_pControl->m_bReceiving != 0);
    QObject* previous = m_pControl->m_pReceivingFrame;
    CTabulonPlusDoc* doc = CreateDocument();
    CChildFrame* frame = CreateFrame(doc);
    doc->SetTitle(res::DocumentString(res::DocStringIndex::docName) +
                  QString::number(m_nUntitledCount + 1));
    if (!doc->OnNewDocument()) {
        AbandonNewForm(frame, previous);
        TabulonMessageBox(res::LoadString(id::AFX_IDP_FAILED_TO_CREATE_DOC), msg::MB_OK);
        return nullptr;
    }
    ++m_nUntitledCount;  // only a form that was made uses up its number
    InitialUpdateFrame(frame);
    return doc;
}

CTabulonPlusDoc* CFormTemplate::OpenDocumentFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    for (CTabulonPlusDoc* doc : std::as_const(m_docs)) {
        if (!doc->GetPathName().isEmpty() && doc->GetPathName() == full &&
            !doc->Frames().isEmpty()) {
            m_pArea->setActiveSubWindow(doc->Frames().constFirst());
            return doc;
        }
    }
    const ReceiverKeeper keeper(*m_pControl, m_pControl->m_bReceiving != 0);
    QObject* previous = m_pControl->m_pReceivingFrame;
    CTabulonPlusDoc* doc = CreateDocument();
    CChildFrame* frame = CreateFrame(doc);
    if (!doc->OnOpenDocument(path)) {
        AbandonNewForm(frame, previous);
        return nullptr;
    }
    doc->SetPathName(path);
    InitialUpdateFrame(frame);
    return doc;
}

void CFormTemplate::OnFileOpen(QWidget* owner) {
    const QString path = openFormPath(owner);
    if (!path.isEmpty()) OpenDocumentFile(path);
}

void CFormTemplate::OnWindowNew() {
    CTabulonPlusDoc* doc = ActiveDocument();
    if (!doc) return;
    const ReceiverKeeper keeper(*m_pControl, m_pControl->m_bReceiving != 0);
    InitialUpdateFrame(CreateFrame(doc));
}

bool CFormTemplate::CloseAllDocuments() {
    // Every question first; only when none was cancelled does any form close.
    for (CTabulonPlusDoc* doc : QList(m_docs))
        if (!passCloseGuards(doc) || !doc->SaveModified()) return false;
    for (CTabulonPlusDoc* doc : QList(m_docs)) destroyDocument(doc);
    return true;
}

bool CFormTemplate::closeDocument(CTabulonPlusDoc* doc) {
    if (!passCloseGuards(doc) || !doc->SaveModified()) return false;
    destroyDocument(doc);
    return true;
}

void CFormTemplate::destroyDocument(CTabulonPlusDoc* doc) {
    for (CChildFrame* frame : framesOf(doc)) frame->CloseQuietly();
}

bool CFormTemplate::passCloseGuards(CTabulonPlusDoc* doc) {
    for (CChildFrame* frame : framesOf(doc))
        if (!frame->PassCloseGuard()) return false;
    return true;
}

// Every window on a form is one this template made.
QList<CChildFrame*> CFormTemplate::framesOf(CTabulonPlusDoc* doc) const {
    QList<CChildFrame*> frames;
    for (QMdiSubWindow* frame : doc->Frames())
        if (auto* child = qobject_cast<CChildFrame*>(frame)) frames.append(child);
    return frames;
}

void CFormTemplate::StopExchange() {
    if (m_stopExchange) m_stopExchange();
}

CChildFrame* CFormTemplate::ActiveFrame() const {
    QMdiSubWindow* sub = m_pArea->activeSubWindow();
    if (!sub) sub = m_pArea->currentSubWindow();
    return qobject_cast<CChildFrame*>(sub);
}

CTabulonPlusDoc* CFormTemplate::ActiveDocument() const {
    CChildFrame* frame = ActiveFrame();
    return frame ? frame->GetDocument() : nullptr;
}

CTabulonPlusView* CFormTemplate::ActiveView() const {
    CChildFrame* frame = ActiveFrame();
    return frame ? frame->GetActiveView() : nullptr;
}
