#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QMdiArea;
class QEvent;
class QMdiSubWindow;
class QWidget;
class CChildFrame;
class CTabulonPlusDoc;
class CTabulonPlusView;
struct ReceiveControl;

// The document template of forms: makes the document, its window and its view together, in
// that order, numbers new forms for the whole run, and closes them.
class CFormTemplate : public QObject {
    Q_OBJECT
public:
    CFormTemplate(QMdiArea* area, ReceiveControl* rc, QObject* parent = nullptr);
    // Destroys every form window and form it made; call it while the control block still lives.
    ~CFormTemplate() override;

    // Who asks for a form: while an exchange runs only the forms it makes itself receive; a
    // window the operator opens or makes meanwhile leaves the receiving window as it was.
    enum class Origin { Operator, Exchange };

    // File → New. Returns nullptr after "Failed to create empty document.".
    CTabulonPlusDoc* openNewDocument(Origin origin = Origin::Operator);
    // Opens a form file; a file already open only has its window brought forward. Returns
    // nullptr after the failure was reported; no form stays open then.
    CTabulonPlusDoc* openDocumentFile(const QString& path);
    // File → Open: the "Open" dialog, then the chosen file.
    void OnFileOpen(QWidget* owner);
    // Window → New Window: one more window on the active form.
    void onWindowNew();
    // Closes every form, through the close guard and the save questions. False, with nothing
    // closed, when the operator cancelled one of them.
    bool closeAllDocuments();
    // File → Close: the close guard of the receiving window, the save question, then every
    // window of the form goes. False when the operator cancelled.
    bool closeDocument(CTabulonPlusDoc* doc);
    // Destroys every window of the form without asking anything more.
    void destroyDocument(CTabulonPlusDoc* doc);

    // Called by the close guard after it set m_bAbort and m_bStop, before the window goes:
    // returns when the worker has ended.
    void setStopExchange(std::function<void()> stop) { m_stopExchange = std::move(stop); }
    void stopExchange();

    CTabulonPlusDoc* activeDocument() const;
    CTabulonPlusView* activeView() const;
    CChildFrame* activeFrame() const;
    QList<CTabulonPlusDoc*> documents() const { return m_docs; }

    ReceiveControl* control() const { return m_control; }
    QMdiArea* area() const { return m_area; }
    void setFormIcon(const QIcon& icon) { m_formIcon = icon; }
    QIcon formIcon() const { return m_formIcon; }

protected:
    // Places the windows made before the area had its size, once it has.
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // A form file was opened or saved under a name: the recent-file list records it.
    void recentFileAdded(const QString& path);

private:
    CTabulonPlusDoc* createDocument();
    CChildFrame* createFrame(CTabulonPlusDoc* doc);
    void initialUpdateFrame(CChildFrame* frame);
    void placeFrame(CChildFrame* frame, QMdiSubWindow* previous);
    bool areaReady() const;  // shown, with room for a form
    void abandonNewForm(CChildFrame* frame, QObject* previousReceiver);
    bool passCloseGuards(CTabulonPlusDoc* doc);
    QList<CChildFrame*> framesOf(CTabulonPlusDoc* doc) const;

    QMdiArea* m_area;
    ReceiveControl* m_control;
    std::function<void()> m_stopExchange;
    QList<CTabulonPlusDoc*> m_docs;
    QList<QPointer<CChildFrame>> m_frames;
    QList<QPointer<CChildFrame>> m_unplaced;  // made while the area had no size yet
    int m_untitledCount = 0;
    QIcon m_formIcon;
};
