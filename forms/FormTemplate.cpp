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
    : QObject(parent), m_area(area), m_control(rc) {
    // A closed window hands over to the one the operator worked in before it, as MDI frames do.
    m_area->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    m_area->viewport()->installEventFilter(this);
}

CFormTemplate::~CFormTemplate() {
    for (const QPointer<CChildFrame>& frame : std::as_const(m_frames)) delete frame.data();
    qDeleteAll(m_docs);
}

CTabulonPlusDoc* CFormTemplate::createDocument() {
    auto* doc = new CTabulonPlusDoc(this);
    m_docs.append(doc);
    connect(doc, &CTabulonPlusDoc::closed, this, [this](CTabulonPlusDoc* closed) {
        m_docs.removeOne(closed);
        closed->deleteLater();  // after its windows, whose deletion was asked for first
    });
    connect(doc, &CTabulonPlusDoc::pathNameChanged, this, &CFormTemplate::recentFileAdded);
    connect(doc, &CTabulonPlusDoc::closeRequested, this, &CFormTemplate::closeDocument);
    return doc;
}

CChildFrame* CFormTemplate::createFrame(CTabulonPlusDoc* doc) {
    auto* frame = new CChildFrame(doc, m_control, m_formIcon, [self = QPointer(this)] {
        if (self) self->stopExchange();
    });
    m_frames.removeAll(nullptr);
    m_frames.append(frame);
    return frame;
}

void CFormTemplate::initialUpdateFrame(CChildFrame* frame) {
    frame->GetActiveView()->OnInitialUpdate();
    QMdiSubWindow* previous = m_area->activeSubWindow();
    if (!frame->mdiArea()) m_area->addSubWindow(frame);
    placeFrame(frame, previous);
    frame->show();
    m_area->setActiveSubWindow(frame);
    frame->GetActiveView()->setFocus();
}

// A form is a page of a report: it gets most of the area rather than the text edit's small
// default size, one title bar below and right of the window before it, as MDI children
// cascade, and starts again at the top left when it would leave the area.
void CFormTemplate::placeFrame(CChildFrame* frame, QMdiSubWindow* previous) {
    const QSize area = m_area->viewport()->size();
    // The form made at start-up comes before the main window is shown and has its size.
    if (!areaReady()) {
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

bool CFormTemplate::areaReady() const {
    const QSize area = m_area->viewport()->size();
    return m_area->isVisible() && area.width() >= 200 && area.height() >= 150;
}

bool CFormTemplate::eventFilter(QObject* watched, QEvent* event) {
    const bool sized = event->type() == QEvent::Resize || event->type() == QEvent::Show;
    if (sized && watched == m_area->viewport() && !m_unplaced.isEmpty()) {
        if (areaReady()) {
            QMdiSubWindow* previous = nullptr;
            for (const QPointer<CChildFrame>& frame : std::exchange(m_unplaced, {})) {
                if (!frame || frame->isMaximized() || frame->isMinimized()) continue;
                placeFrame(frame, previous);
                previous = frame;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

// A form whose content could not be made: its window goes and the window that received
// before it receives again.
void CFormTemplate::abandonNewForm(CChildFrame* frame, QObject* previousReceiver) {
    frame->closeQuietly();
    m_control->m_pReceivingFrame = previousReceiver;
}

CTabulonPlusDoc* CFormTemplate::openNewDocument(Origin origin) {
    const ReceiverKeeper keeper(*m_control,
                                origin == Origin::Operator && m_control->m_bReceiving != 0);
    QObject* previous = m_control->m_pReceivingFrame;
    CTabulonPlusDoc* doc = createDocument();
    CChildFrame* frame = createFrame(doc);
    doc->setTitle(res::documentString(res::DocStringIndex::docName) +
                  QString::number(m_untitledCount + 1));
    if (!doc->OnNewDocument()) {
        abandonNewForm(frame, previous);
        tabulonMessageBox(res::loadString(id::AFX_IDP_FAILED_TO_CREATE_DOC), msg::MB_OK);
        return nullptr;
    }
    ++m_untitledCount;  // only a form that was made uses up its number
    initialUpdateFrame(frame);
    return doc;
}

CTabulonPlusDoc* CFormTemplate::openDocumentFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    for (CTabulonPlusDoc* doc : std::as_const(m_docs)) {
        if (!doc->getPathName().isEmpty() && doc->getPathName() == full &&
            !doc->frames().isEmpty()) {
            m_area->setActiveSubWindow(doc->frames().constFirst());
            return doc;
        }
    }
    const ReceiverKeeper keeper(*m_control, m_control->m_bReceiving != 0);
    QObject* previous = m_control->m_pReceivingFrame;
    CTabulonPlusDoc* doc = createDocument();
    CChildFrame* frame = createFrame(doc);
    if (!doc->onOpenDocument(path)) {
        abandonNewForm(frame, previous);
        return nullptr;
    }
    doc->setPathName(path);
    initialUpdateFrame(frame);
    return doc;
}

void CFormTemplate::OnFileOpen(QWidget* owner) {
    const QString path = openFormPath(owner);
    if (!path.isEmpty()) openDocumentFile(path);
}

void CFormTemplate::onWindowNew() {
    CTabulonPlusDoc* doc = activeDocument();
    if (!doc) return;
    const ReceiverKeeper keeper(*m_control, m_control->m_bReceiving != 0);
    initialUpdateFrame(createFrame(doc));
}

bool CFormTemplate::closeAllDocuments() {
    // Every question first; only when none was cancelled does any form close.
    for (CTabulonPlusDoc* doc : QList(m_docs))
        if (!passCloseGuards(doc) || !doc->saveModified()) return false;
    for (CTabulonPlusDoc* doc : QList(m_docs)) destroyDocument(doc);
    return true;
}

bool CFormTemplate::closeDocument(CTabulonPlusDoc* doc) {
    if (!passCloseGuards(doc) || !doc->saveModified()) return false;
    destroyDocument(doc);
    return true;
}

void CFormTemplate::destroyDocument(CTabulonPlusDoc* doc) {
    for (CChildFrame* frame : framesOf(doc)) frame->closeQuietly();
}

bool CFormTemplate::passCloseGuards(CTabulonPlusDoc* doc) {
    for (CChildFrame* frame : framesOf(doc))
        if (!frame->passCloseGuard()) return false;
    return true;
}

// Every window on a form is one this template made.
QList<CChildFrame*> CFormTemplate::framesOf(CTabulonPlusDoc* doc) const {
    QList<CChildFrame*> frames;
    for (QMdiSubWindow* frame : doc->frames())
        if (auto* child = qobject_cast<CChildFrame*>(frame)) frames.append(child);
    return frames;
}

void CFormTemplate::stopExchange() {
    if (m_stopExchange) m_stopExchange();
}

CChildFrame* CFormTemplate::activeFrame() const {
    QMdiSubWindow* sub = m_area->activeSubWindow();
    if (!sub) sub = m_area->currentSubWindow();
    return qobject_cast<CChildFrame*>(sub);
}

CTabulonPlusDoc* CFormTemplate::activeDocument() const {
    CChildFrame* frame = activeFrame();
    return frame ? frame->getDocument() : nullptr;
}

CTabulonPlusView* CFormTemplate::activeView() const {
    CChildFrame* frame = activeFrame();
    return frame ? frame->GetActiveView() : nullptr;
}
