#pragma once

#include <QMdiSubWindow>
#include <QPointer>
#include <functional>

class CTabulonPlusDoc;
class CTabulonPlusView;
struct ReceiveControl;

// The window of one form inside the main frame. It becomes the receiving window when it is
// created, and while an exchange runs it closes only after the operator agreed to stop it.
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    // Called by the close guard after it set m_bAbort and m_bStop, before the window goes:
    // returns when the worker has ended.
    using StopExchange = std::function<void()>;

    // Creates the window with its view on `doc` and registers it as the receiving window.
    CChildFrame(CTabulonPlusDoc* doc, ReceiveControl* rc, const QIcon& icon,
                StopExchange stopExchange);
    ~CChildFrame() override;

    CTabulonPlusDoc* getDocument() const { return m_doc; }
    CTabulonPlusView* GetActiveView() const { return m_pView; }

    // The question asked before the receiving window closes during an exchange. On OK the
    // worker is told to end (m_bAbort, then m_bStop) and waited for; false on Cancel.
    bool passCloseGuard();
    // Goes without any question: the caller has asked them already.
    void closeQuietly();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The next (`step` 1) or previous (-1) form window in the order they were made, round.
    void activateNeighbour(int step);
    // The system menu's Close names and takes Ctrl+F4, the key that closes a form window; false
    // when there is no such item.
    bool showCloseKeyInSystemMenu();
    // Leaves the form and the control block: nothing reaches this window any more.
    void detach();

    QPointer<CTabulonPlusDoc> m_doc;
    ReceiveControl* m_control;
    StopExchange m_stopExchange;
    CTabulonPlusView* m_pView;
    bool m_detached = false;
    bool m_asking = false;
};
